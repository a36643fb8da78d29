#include "projector/Calibration.h"

#include <gtest/gtest.h>

namespace {

using projector::Channel;

struct Case {
    const char *name;
    Channel channel;
    double brightness;
};

class ChannelCurve : public testing::TestWithParam<Case> {};

TEST_P(ChannelCurve, IsMonotonicKeepsZeroAtZeroAndLightsAtLeastTheMinimum)
{
    const auto &[name, channel, brightness] = GetParam();
    EXPECT_EQ(projector::ChannelLevel(channel, brightness, 0), 0);
    double before = 0;
    for (int v = 1; v <= 255; ++v) {
        const double level = projector::ChannelLevel(channel, brightness, v / 255.0);
        EXPECT_GE(level, before) << name << " at " << v;
        EXPECT_GE(level, channel.min) << name << " at " << v;
        EXPECT_LE(level, 1) << name << " at " << v;
        before = level;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Channels, ChannelCurve,
    testing::Values(Case{"plain", Channel{}, 100}, Case{"gamma", Channel{0.8, 0.15, 2.2, std::nullopt}, 100},
                    Case{"dim", Channel{1, 0.2, 0.5, std::nullopt}, 30},
                    Case{"levels", Channel{0.9, 0.05, 1, std::array<double, 5>{10, 20, 20, 70, 100}}, 100},
                    Case{"off", Channel{0, 0, 1, std::nullopt}, 100}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Calibration, GainMinimumAndBrightnessPerChannel)
{
    projector::ColorSetup color;
    color.brightness = 50;
    color.channels[0].gain = 0.5;
    color.channels[1].min = 0.2;
    color.channels[2].levels = std::array<double, 5>{0, 40, 60, 80, 100};
    const projector::Calibration calibrate(color);
    // red: 255 x 50 % x 0.5; green: 10 x 50 % is 5, raised to 20 %;
    // blue: 50 % is the curve's third level, 60 %.
    EXPECT_EQ(calibrate(ilda::Rgb(255, 10, 255)), ilda::Rgb(64, 51, 153));
    EXPECT_EQ(calibrate(0), 0u);
    EXPECT_TRUE(projector::Calibration(projector::ColorSetup{}).Identity());
}

} // namespace
