// Streaming frames to a network DAC: what is played, the options, and the
// run itself. The senders are state machines driven by one loop on the
// caller's thread; they stop when asked, at the show's end or on a fault.
#pragma once

#include "dac/ShowClock.h"
#include "ilda/Codec.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace dac {

enum class Kind { EtherDream, Idn, LaserCube, Helios };

// "etherdream:HOST[:PORT]", "idn:HOST[:PORT]", "lasercube:HOST[:PORT]" (a
// LaserCube's command port; its data go to the next) or "helios[:N]".
struct Target {
    Kind kind = Kind::EtherDream;
    std::string host;
    std::uint16_t port = 0;
    std::size_t unit = 0; // a USB unit's place among its kind's, from 0
};
std::optional<Target> ParseTarget(const std::string &text, std::string &problem);
const char *KindName(Kind kind);

// How long an IDN unit holds each frame past its timestamp before it plays
// it, in milliseconds from 0 to 500 (what option names in the problem);
// in seconds.
std::optional<double> ParseHoldMs(const std::string &option, const std::string &text, std::string &problem);

// The frames on show, by slot: slot k is on show from k/fps to (k+1)/fps
// seconds after the lead-in. A null frame ends the show. Called from the
// sender's thread only.
class FrameSource {
public:
    virtual ~FrameSource() = default;
    virtual const std::vector<ilda::Point> *Frame(std::uint64_t slot) = 0;
    // The point rate the frame Frame() last returned was prepared for; 0:
    // the stream's. Another rate plays from that frame's first point on.
    virtual double FrameRate() const { return 0; }
};

struct StreamOptions {
    Target target;
    double rate = 30000; // points a second
    double fps = 30;
    Timing timing = Timing::Keep;
    double bufferSeconds = 0.040;          // Ether Dream: the buffer kept this full
    double leadSeconds = 0.010;            // blanked points at the centre, before and after
    bool clearEstop = false;               // clear an emergency stop the DAC reports at the start
    bool endOnLoss = false;                // a lost connection ends the stream instead of reconnecting
    std::optional<std::uint32_t> maxRate;  // what the DAC reports, when known
    std::optional<std::uint32_t> capacity; // points its buffer holds, when known
    // Ether Dream: queue the rate before the first points, so that a DAC
    // whose maximum is not known refuses a rate above it before any is sent.
    bool askRate = false;
    // IDN: the unit holds each frame this long past its timestamp, so each
    // goes this much ahead, stamped with when it starts; a stall of the
    // sending computer shorter than that cannot make it late. 0: the unit
    // plays a frame as it arrives, and it goes when due.
    double idnHoldSeconds = 0;
    // When slot 0 starts at the DAC's output, for several senders playing
    // one show in step; none: as soon as the DAC is ready.
    std::optional<std::chrono::steady_clock::time_point> showStart;
};

struct StreamStatus {
    bool connected = false;
    std::uint64_t frame = 0;      // the slot being sent
    std::uint64_t pointsSent = 0; // of frames and blanking
    std::uint32_t buffered = 0;   // points in the DAC's buffer (Ether Dream)
    std::uint32_t capacity = 0;   // 0: the DAC reports none
    std::uint64_t underflows = 0;
    std::uint64_t reconnects = 0;
    std::uint64_t skipped = 0; // slots whose time passed before their frame went out
    double rate = 0;
};

enum class StreamEnd { Done, Stopped, EmergencyStop, Lost, Failed };

struct StreamOutcome {
    StreamEnd end = StreamEnd::Done;
    std::string message; // why it ended, for Failed, Lost and EmergencyStop
    StreamStatus status;

    // How and why the stream ends, for a sender to return.
    StreamOutcome &Ended(StreamEnd how, std::string why)
    {
        end = how;
        message = std::move(why);
        return *this;
    }
};

struct StreamHooks {
    std::function<void(const StreamStatus &)> onStatus;  // about every second and at changes
    std::function<void(std::uint64_t slot)> onFrameSent; // the first point of a slot went out
};

// Streams source until it ends or stop turns true; then the lead-out and
// the protocol's end are sent.
StreamOutcome RunStream(const StreamOptions &options, FrameSource &source, const std::atomic<bool> &stop,
                        const StreamHooks &hooks = {});

// The points a stream sends, in order: the lead-in, each slot's frame
// repeated whole until the slot's time is filled (the surplus is taken
// from the next slot, so the time never drifts), then the lead-out. Its
// show clock runs on the points sent.
class PointFeed {
public:
    PointFeed(FrameSource &source, double rate, double fps, double leadSeconds, Timing timing = Timing::Keep);
    PointFeed(const PointFeed &) = delete; // its clock reads this one's points
    PointFeed &operator=(const PointFeed &) = delete;
    // Up to count points appended to out, all at Rate() once it returns;
    // fewer at the end or before a point at another rate.
    void Take(std::size_t count, std::vector<ilda::Point> &out);
    // The rate of the points the last Take gave.
    double Rate() const { return rate_; }
    bool Done() const { return phase_ == Phase::Done; }
    bool Ending() const { return phase_ == Phase::LeadOut || phase_ == Phase::Done; }
    // From here on only the lead-out.
    void Finish();
    // While in the lead-in: it lasts seconds in all (at least its own
    // time, and what was taken of it already).
    void LeadIn(double seconds);
    // After a reconnection: the lead-in again, then the show at time
    // seconds after its start (keeping its time: at the next slot's start,
    // the lead-in longer by the wait).
    void Resume(double seconds);
    // Whether the show is over at seconds after its start, by the clock,
    // whatever was sent meanwhile.
    bool OverAt(double seconds) { return Ending() || !source_.Frame(clock_.DueAt(seconds)); }
    std::uint64_t Slot() const { return clock_.Slot(); }
    // While in the lead-in: the show's time its first frame plays at.
    double ResumesAt() const { return baseSeconds_; }
    std::uint64_t Skipped() const { return clock_.Skipped(); }
    // Slots whose first point went out since the last call.
    std::vector<std::uint64_t> TakeStartedSlots();

private:
    enum class Phase { LeadIn, Show, LeadOut, Done };
    FrameSource &source_;
    double rate_;
    double leadSeconds_;
    std::size_t leadPoints_;
    Phase phase_ = Phase::LeadIn;
    std::size_t leadLeft_;
    ShowClock clock_;
    double baseSeconds_ = 0;       // show time at the last change of rate (or resume)
    std::uint64_t showPoints_ = 0; // show points sent since then
    std::vector<ilda::Point> pending_;
    std::size_t pendingAt_ = 0;
    std::vector<std::uint64_t> started_;
    std::optional<std::uint64_t> lastStarted_;
};

// A blanked point at the centre.
ilda::Point BlankCentre();

} // namespace dac
