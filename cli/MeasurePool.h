// A few threads that measure frames under a scanner profile while the
// reading goes on. Each keeps its memory from frame to frame, so a long file
// costs no fresh pages per frame; the figures come back by frame.
#pragma once

#include "ilda/Codec.h"
#include "scan/Figures.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <map>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace cli {

class MeasurePool {
public:
    // threads 0, or none to be had: frames are measured as they are given.
    MeasurePool(const scan::Profile &profile, std::size_t threads);
    ~MeasurePool();
    MeasurePool(const MeasurePool &) = delete;
    MeasurePool &operator=(const MeasurePool &) = delete;

    // Hands frame index over (its points are copied); waits while every
    // thread has a frame in hand and one more waits.
    void Submit(std::size_t index, std::span<const ilda::Point> points);
    // The figures of frame index, once measured.
    scan::Figures Take(std::size_t index);

private:
    struct Job {
        std::size_t index;
        std::vector<ilda::Point> points;
    };
    void Work();

    const scan::Profile profile_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> jobs_;
    std::vector<std::vector<ilda::Point>> spare_; // copies' memory, used again
    std::map<std::size_t, scan::Figures> done_;
    std::size_t busy_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

} // namespace cli
