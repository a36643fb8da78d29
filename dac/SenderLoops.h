// The senders' loops, behind RunStream.
#pragma once

#include "dac/Stream.h"

namespace dac {

StreamOutcome RunEtherDream(const StreamOptions &options, FrameSource &source, const std::atomic<bool> &stop,
                            const StreamHooks &hooks);
StreamOutcome RunIdn(const StreamOptions &options, FrameSource &source, const std::atomic<bool> &stop,
                     const StreamHooks &hooks);

// "helios" or "helios:N".
std::optional<Target> ParseHeliosTarget(const std::string &text, std::string &problem);
// On libusb, after the rate is checked against the unit's range.
StreamOutcome RunHeliosOverUsb(const StreamOptions &options, FrameSource &source, const std::atomic<bool> &stop,
                               const StreamHooks &hooks);
StreamOutcome RunLaserCube(const StreamOptions &options, FrameSource &source, const std::atomic<bool> &stop,
                           const StreamHooks &hooks);

} // namespace dac
