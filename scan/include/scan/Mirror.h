// The scanner model's mirror: a first-order lag that moves a fixed share
// of the way to each point it is sent. The frame loops; the beam's path is
// taken on the second pass, when the mirror has settled into the loop.
#pragma once

#include "ilda/Codec.h"
#include "scan/Profile.h"

#include <array>
#include <span>
#include <vector>

namespace scan {

struct Vec2 {
    double x = 0;
    double y = 0;
};

// Lit: the blanking bit clear and a colour that is not black.
inline bool IsLit(const ilda::Point &point)
{
    return !point.Blanked() && point.color != 0;
}

// Colours this close, channel by channel, are one colour to the eye.
constexpr int kSameColor = 8;

inline bool SameColor(ilda::Color a, ilda::Color b)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int difference = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
        if (difference > kSameColor || difference < -kSameColor)
            return false;
    }
    return true;
}

// One sample of the second pass: the mirror moved from `from` to `to`
// while point k was sent. Each laser lags the mirror by the profile's
// colour delay, so the move shows each channel of the point that many
// points earlier (the frame loops), and is drawn when any channel shows.
struct BeamStep {
    Vec2 from;
    Vec2 to;
    bool lit = false;
    ilda::Color color = 0;
};

// The colour the beam shows while point k is sent: each channel from the
// point its delay (in points, as ColorDelayPoints) reaches back to, none
// from a dark point.
ilda::Color DelayedColor(std::span<const ilda::Point> frame, std::size_t k, const std::array<long, 3> &delay);

// The second pass, a step per point (empty for an empty frame).
std::vector<BeamStep> TraceBeam(std::span<const ilda::Point> frame, const Profile &profile);
// The same into steps, whose memory is used again.
void TraceBeam(std::span<const ilda::Point> frame, const Profile &profile, std::vector<BeamStep> &steps);

} // namespace scan
