#include "dac/Stream.h"

#include <cmath>
#include <utility>

namespace dac {

ilda::Point BlankCentre()
{
    ilda::Point point;
    point.status = ilda::kBlankingBit;
    return point;
}

PointFeed::PointFeed(FrameSource &source, double rate, double fps, double leadSeconds)
    : source_(source), rate_(rate), fps_(fps), leadPoints_(static_cast<std::size_t>(std::ceil(rate * leadSeconds))),
      leadLeft_(leadPoints_)
{
}

void PointFeed::Finish()
{
    if (phase_ == Phase::LeadIn || phase_ == Phase::Show) {
        phase_ = Phase::LeadOut;
        leadLeft_ = leadPoints_;
        pending_.clear();
        pendingAt_ = 0;
    }
}

void PointFeed::Resume(double seconds)
{
    if (Ending())
        return;
    phase_ = Phase::LeadIn;
    leadLeft_ = leadPoints_;
    pending_.clear();
    pendingAt_ = 0;
    slot_ = static_cast<std::uint64_t>(seconds * fps_);
    lastStarted_.reset();
    showPoints_ = static_cast<std::uint64_t>(std::llround(seconds * rate_));
}

std::vector<std::uint64_t> PointFeed::TakeStartedSlots()
{
    return std::exchange(started_, {});
}

void PointFeed::Take(std::size_t count, std::vector<ilda::Point> &out)
{
    while (count > 0 && phase_ != Phase::Done) {
        if (phase_ == Phase::LeadIn || phase_ == Phase::LeadOut) {
            const std::size_t n = std::min(count, leadLeft_);
            out.insert(out.end(), n, BlankCentre());
            count -= n;
            leadLeft_ -= n;
            if (leadLeft_ == 0)
                phase_ = phase_ == Phase::LeadIn ? Phase::Show : Phase::Done;
            continue;
        }
        if (pendingAt_ == pending_.size()) {
            // The next whole repetition: of this slot's frame while its
            // time lasts, else of the next slot's.
            const auto slotEnd = [&](std::uint64_t slot) {
                return static_cast<std::uint64_t>(std::llround(static_cast<double>(slot + 1) * rate_ / fps_));
            };
            while (showPoints_ >= slotEnd(slot_))
                ++slot_;
            const std::vector<ilda::Point> *frame = source_.Frame(slot_);
            if (!frame) {
                Finish();
                continue;
            }
            if (lastStarted_ != slot_) {
                started_.push_back(slot_);
                lastStarted_ = slot_;
            }
            pending_.assign(frame->begin(), frame->end());
            if (pending_.empty()) // an empty frame shows as blanked time
                pending_.assign(slotEnd(slot_) - showPoints_, BlankCentre());
            pendingAt_ = 0;
        }
        const std::size_t n = std::min(count, pending_.size() - pendingAt_);
        out.insert(out.end(), pending_.begin() + static_cast<std::ptrdiff_t>(pendingAt_),
                   pending_.begin() + static_cast<std::ptrdiff_t>(pendingAt_ + n));
        pendingAt_ += n;
        showPoints_ += n;
        count -= n;
    }
}

} // namespace dac
