#include "MeasurePool.h"

#include <system_error>

namespace cli {

MeasurePool::MeasurePool(const scan::Profile &profile, std::size_t threads) : profile_(profile)
{
    try {
        for (std::size_t i = 0; i < threads; ++i)
            threads_.emplace_back([this] { Work(); });
    } catch (const std::system_error &) {
        // Fewer threads than asked for still do the work; none: Submit does.
    }
}

MeasurePool::~MeasurePool()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread &thread : threads_)
        thread.join();
}

void MeasurePool::Submit(std::size_t index, std::span<const ilda::Point> points)
{
    if (threads_.empty()) {
        const scan::Figures figures = scan::Measure(points, points, profile_);
        const std::lock_guard lock(mutex_);
        done_[index] = figures;
        return;
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return jobs_.size() + busy_ <= threads_.size(); });
    std::vector<ilda::Point> copy;
    if (!spare_.empty()) {
        copy = std::move(spare_.back());
        spare_.pop_back();
    }
    copy.assign(points.begin(), points.end());
    jobs_.push_back({index, std::move(copy)});
    lock.unlock();
    changed_.notify_all();
}

scan::Figures MeasurePool::Take(std::size_t index)
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return done_.count(index) != 0; });
    const scan::Figures figures = done_.at(index);
    done_.erase(index);
    return figures;
}

void MeasurePool::Work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty())
            return;
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        ++busy_;
        lock.unlock();
        const scan::Figures figures = scan::Measure(job.points, job.points, profile_);
        lock.lock();
        --busy_;
        done_[job.index] = figures;
        spare_.push_back(std::move(job.points));
        changed_.notify_all();
    }
}

} // namespace cli
