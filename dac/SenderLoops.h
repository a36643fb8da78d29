// The senders' loops, behind RunStream.
#pragma once

#include "dac/Stream.h"

namespace dac {

StreamOutcome RunEtherDream(const StreamOptions &options, FrameSource &source, const std::atomic<bool> &stop,
                            const StreamHooks &hooks);
StreamOutcome RunIdn(const StreamOptions &options, FrameSource &source, const std::atomic<bool> &stop,
                     const StreamHooks &hooks);

StreamOutcome RunLaserCube(const StreamOptions &options, FrameSource &source, const std::atomic<bool> &stop,
                           const StreamHooks &hooks);

} // namespace dac
