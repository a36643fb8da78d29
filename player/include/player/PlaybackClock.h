// Which frame is due: counted from the moment playing started, so the rate
// holds however late the timer fires or the drawing takes (late frames are
// skipped, never slowed down).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace player {

class PlaybackClock {
public:
    using Time = std::chrono::steady_clock::time_point;

    struct Due {
        std::size_t frame = 0;
        bool ended = false;     // not looping, and past the last frame
        std::uint64_t step = 0; // frames moved on since Start, none past the end
    };

    // Playing from frame at now, rate frames a second (above 0).
    void Start(std::size_t frame, Time now, double rate);
    // The frame of now among count frames (count above 0).
    Due FrameAt(Time now, std::size_t count, bool loop) const;
    // FrameAt for the frame about to be shown; the frames passed over since
    // the last one shown are counted as skipped.
    Due Advance(Time now, std::size_t count, bool loop);
    // Frames skipped since ClearSkipped, across restarts of the clock.
    std::uint64_t Skipped() const { return skipped_; }
    void ClearSkipped() { skipped_ = 0; }
    double Rate() const { return rate_; }

private:
    std::size_t start_ = 0;
    Time started_{};
    double rate_ = 30;
    std::uint64_t shownStep_ = 0;
    std::uint64_t skipped_ = 0;
};

} // namespace player
