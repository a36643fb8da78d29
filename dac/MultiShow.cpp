#include "dac/MultiShow.h"

#include <chrono>
#include <mutex>
#include <thread>

namespace dac {

namespace {

using SteadyClock = std::chrono::steady_clock;

// The hooks of one output, serialised with the others'.
StreamHooks OutputHooks(std::size_t output, const MultiShowHooks &hooks, std::mutex &mutex)
{
    StreamHooks own;
    if (hooks.onStatus)
        own.onStatus = [output, &hooks, &mutex](const StreamStatus &status) {
            std::lock_guard lock(mutex);
            hooks.onStatus(output, status);
        };
    if (hooks.onFrameSent)
        own.onFrameSent = [output, &hooks, &mutex](std::uint64_t slot) {
            std::lock_guard lock(mutex);
            hooks.onFrameSent(output, slot);
        };
    return own;
}

} // namespace

std::vector<StreamOutcome> RunMultiShow(std::vector<ShowOutput> &outputs, const std::atomic<bool> &stop,
                                        const MultiShowHooks &hooks, const MultiShowOptions &options)
{
    std::vector<StreamOutcome> outcomes(outputs.size());
    std::atomic<bool> stopAll{false};
    std::atomic<std::size_t> running{outputs.size()};
    std::mutex hookMutex;
    const auto start = SteadyClock::now() + std::chrono::duration_cast<SteadyClock::duration>(
                                                std::chrono::duration<double>(options.startDelay));
    std::vector<std::thread> threads;
    threads.reserve(outputs.size());
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        outputs[i].options.showStart = start;
        threads.emplace_back([&, i] {
            const StreamHooks own = OutputHooks(i, hooks, hookMutex);
            outcomes[i] = RunStream(outputs[i].options, *outputs[i].source, stopAll, own);
            if (hooks.onEnded) {
                std::lock_guard lock(hookMutex);
                hooks.onEnded(i, outcomes[i]);
            }
            if (outcomes[i].end == StreamEnd::EmergencyStop)
                stopAll = true; // one projector stopped for safety stops them all
            --running;
        });
    }
    while (running > 0) {
        if (stop)
            stopAll = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (std::thread &thread : threads)
        thread.join();
    return outcomes;
}

} // namespace dac
