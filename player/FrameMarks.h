// What the drawing adds over the laser's lines on request: a mark on each
// point, and the drawing order (shading, the first and last point, numbers).
#pragma once

#include "player/Renderer.h"

#include <cstddef>

namespace player {

// Darkens the colour of early points: the frame starts dim and ends at full
// light, in a few steps so that lines of one colour still draw together.
class OrderShade {
public:
    explicit OrderShade(std::size_t count) : last_(count > 1 ? count - 1 : 1) {}
    ilda::Color operator()(ilda::Color color, std::size_t index) const
    {
        const std::size_t step = index * (kSteps - 1) / last_; // the last point at full light
        const unsigned percent = 30 + unsigned(70 * step / (kSteps - 1));
        const auto part = [&](int shift) { return ((color >> shift & 0xFF) * percent / 100) << shift; };
        return part(0) | part(8) | part(16);
    }
    static constexpr std::size_t kSteps = 8;

private:
    std::size_t last_;
};

// Numbers are written once at most this many points are in sight.
constexpr std::size_t kMaxNumberedPoints = 150;

void DrawMarks(QPainter &painter, const Projection &projection, std::span<const ilda::Point> points,
               const DrawOptions &options);

} // namespace player
