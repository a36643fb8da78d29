#include "SenderLoops.h"
#include "dac/Stream.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace dac {

ilda::Point BlankCentre()
{
    ilda::Point point;
    point.status = ilda::kBlankingBit;
    return point;
}

PointFeed::PointFeed(FrameSource &source, double rate, double fps, double leadSeconds, Timing timing)
    : source_(source), rate_(rate), leadSeconds_(leadSeconds),
      leadPoints_(static_cast<std::size_t>(std::ceil(rate * leadSeconds))), leadLeft_(leadPoints_),
      // Half a point late: a slot ends at the point nearest its time.
      clock_(fps, timing, [this] { return baseSeconds_ + (static_cast<double>(showPoints_) + 0.5) / rate_; })
{
}

void PointFeed::Finish()
{
    if (phase_ == Phase::LeadIn || phase_ == Phase::Show) {
        phase_ = Phase::LeadOut;
        leadPoints_ = static_cast<std::size_t>(std::ceil(rate_ * leadSeconds_));
        leadLeft_ = leadPoints_;
        pending_.clear();
        pendingAt_ = 0;
    }
}

void PointFeed::LeadIn(double seconds)
{
    if (phase_ != Phase::LeadIn)
        return;
    const std::size_t taken = leadPoints_ - leadLeft_;
    leadPoints_ = std::max(taken, static_cast<std::size_t>(std::ceil(rate_ * std::max(seconds, leadSeconds_))));
    leadLeft_ = leadPoints_ - taken;
}

void PointFeed::Resume(double seconds)
{
    if (Ending())
        return;
    // The lead-in lasts until the show can come back on a slot's start.
    const double back = clock_.ComeBackAt(seconds);
    phase_ = Phase::LeadIn;
    // (A millionth of a point of rounding is no point more.)
    leadPoints_ = static_cast<std::size_t>(std::ceil(rate_ * (leadSeconds_ + (back - seconds)) - 1e-6));
    leadLeft_ = leadPoints_;
    pending_.clear();
    pendingAt_ = 0;
    lastStarted_.reset();
    baseSeconds_ = back;
    showPoints_ = 0;
    clock_.Resume();
}

double JoinSharedStart(PointFeed &feed, const StreamOptions &options)
{
    const double until = std::chrono::duration<double>(*options.showStart - std::chrono::steady_clock::now()).count();
    if (until >= options.leadSeconds)
        feed.LeadIn(until);
    else // connected late
        feed.Resume(options.leadSeconds - until);
    return until;
}

std::vector<std::uint64_t> PointFeed::TakeStartedSlots()
{
    return std::exchange(started_, {});
}

void PointFeed::Take(std::size_t count, std::vector<ilda::Point> &out)
{
    const std::size_t before = out.size();
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
            const std::uint64_t slot = clock_.Next();
            const std::vector<ilda::Point> *frame = source_.Frame(slot);
            if (!frame) {
                Finish();
                continue;
            }
            if (const double rate = source_.FrameRate(); rate > 0 && rate != rate_) {
                if (out.size() > before)
                    return; // the next Take starts at the new rate (and fetches the frame again)
                baseSeconds_ += static_cast<double>(showPoints_) / rate_;
                showPoints_ = 0;
                rate_ = rate;
            }
            if (lastStarted_ != slot) {
                started_.push_back(slot);
                lastStarted_ = slot;
            }
            pending_.assign(frame->begin(), frame->end());
            if (pending_.empty()) // an empty frame shows as blanked time
                pending_.assign(
                    static_cast<std::size_t>(std::max(1.0, std::round((clock_.SlotEnd() - baseSeconds_) * rate_) -
                                                               static_cast<double>(showPoints_))),
                    BlankCentre());
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
