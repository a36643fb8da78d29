#include "projector/Calibration.h"

#include <algorithm>
#include <cmath>

namespace projector {

namespace {

double Curve(const Channel &channel, double x)
{
    if (!channel.levels)
        return std::pow(x, channel.gamma);
    const auto &levels = *channel.levels;
    const double at = std::clamp(x, 0.0, 1.0) * 4;
    const std::size_t k = std::min<std::size_t>(static_cast<std::size_t>(at), 3);
    return (levels[k] + (levels[k + 1] - levels[k]) * (at - static_cast<double>(k))) / 100;
}

} // namespace

double ChannelLevel(const Channel &channel, double brightness, double asked)
{
    if (asked <= 0)
        return 0;
    const double level = std::clamp(Curve(channel, asked * brightness / 100) * channel.gain, 0.0, 1.0);
    return std::max(level, channel.min);
}

Calibration::Calibration(const ColorSetup &color)
{
    for (std::size_t c = 0; c < 3; ++c)
        for (int v = 0; v < 256; ++v) {
            const double level = ChannelLevel(color.channels[c], color.brightness, v / 255.0);
            table_[c][v] = static_cast<std::uint8_t>(std::lround(level * 255));
            identity_ = identity_ && table_[c][v] == v;
        }
}

ilda::Color Calibration::operator()(ilda::Color color) const
{
    ilda::Color out = 0;
    for (std::size_t c = 0; c < 3; ++c)
        out |= ilda::Color{table_[c][color >> (8 * c) & 0xFF]} << (8 * c);
    return out;
}

void Calibration::Apply(std::span<ilda::Point> points) const
{
    if (identity_)
        return;
    for (ilda::Point &p : points) {
        if (p.Blanked())
            continue;
        p.color = (*this)(p.color);
        if (p.color == 0)
            p.status |= ilda::kBlankingBit;
    }
}

} // namespace projector
