// Colours as a projector's lasers need them: the overall brightness, each
// channel's curve and gain, and its lowest level that lights (a lit channel
// below it is raised to it; 0 stays 0, so dark stays dark).
#pragma once

#include "ilda/Codec.h"
#include "projector/Setup.h"

#include <array>
#include <cstdint>
#include <span>

namespace projector {

// The level (0 to 1) a channel is sent for the level it was asked
// (0 to 1): brightness, then the curve, then the gain, then the minimum.
double ChannelLevel(const Channel &channel, double brightness, double asked);

class Calibration {
public:
    explicit Calibration(const ColorSetup &color);
    ilda::Color operator()(ilda::Color color) const;
    // Every point's colour; a point that ends dark is blanked.
    void Apply(std::span<ilda::Point> points) const;
    bool Identity() const { return identity_; }

private:
    std::array<std::array<std::uint8_t, 256>, 3> table_{};
    bool identity_ = true;
};

} // namespace projector
