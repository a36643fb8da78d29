// A show as a stream plays it: frames in order, each for one slot, once or
// looped, for at most a number of slots.
#pragma once

#include "dac/Stream.h"

#include <limits>

namespace dac {

class ShowSource : public FrameSource {
public:
    ShowSource(std::vector<std::vector<ilda::Point>> frames, bool loop,
               std::uint64_t slots = std::numeric_limits<std::uint64_t>::max())
        : frames_(std::move(frames)), loop_(loop), slots_(slots)
    {
    }
    const std::vector<ilda::Point> *Frame(std::uint64_t slot) override
    {
        if (frames_.empty() || slot >= slots_ || (!loop_ && slot >= frames_.size()))
            return nullptr;
        return &frames_[slot % frames_.size()];
    }

private:
    std::vector<std::vector<ilda::Point>> frames_;
    bool loop_;
    std::uint64_t slots_;
};

} // namespace dac
