// One show sent to several DACs at once, each with its own frames (as its
// projector wants them) and options, all on one show clock: slot k starts
// on every output k/fps after a start they share. A DAC lost is resumed
// while the others play on; an emergency stop on one stops them all.
#pragma once

#include "dac/Stream.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace dac {

struct ShowOutput {
    StreamOptions options; // its target, rate, buffer; showStart is set here
    std::unique_ptr<FrameSource> source;
};

struct MultiShowHooks {
    // Called from the senders' threads, one call at a time.
    std::function<void(std::size_t output, const StreamStatus &)> onStatus;
    std::function<void(std::size_t output, std::uint64_t slot)> onFrameSent;
    // An output's end, as it comes: the others may play on after it.
    std::function<void(std::size_t output, const StreamOutcome &)> onEnded;
};

struct MultiShowOptions {
    // From the call to the shared start: time for every DAC to answer.
    double startDelay = 0.5;
};

// Plays until every output has ended; the outcomes in the outputs' order.
// An output ending in an emergency stop stops the others (they end
// Stopped), as stop turning true does.
std::vector<StreamOutcome> RunMultiShow(std::vector<ShowOutput> &outputs, const std::atomic<bool> &stop,
                                        const MultiShowHooks &hooks = {}, const MultiShowOptions &options = {});

} // namespace dac
