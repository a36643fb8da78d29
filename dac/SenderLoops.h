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

// For a sender whose first point plays now, in a show several play in
// step (options.showStart): its lead-in lasts until that start, or, when
// it is later than the start less a lead-in, the show joins the others
// where they are. Returns the seconds until the start (below 0: past).
double JoinSharedStart(PointFeed &feed, const StreamOptions &options);

} // namespace dac
