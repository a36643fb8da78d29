#include "emulator/EtherDreamModel.h"

#include <algorithm>

namespace emu {

namespace {

namespace ed = dac::etherdream;

double Seconds(dac::Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

std::uint32_t Le32(const std::uint8_t *at)
{
    return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 | std::uint32_t{at[3]} << 24;
}

} // namespace

EtherDreamModel::EtherDreamModel(const EmulatorOptions &options, Tally &tally, dac::Clock::time_point start)
    : options_(options), tally_(tally), start_(start), lastTick_(start)
{
}

std::vector<std::uint8_t> EtherDreamModel::Connect(dac::Clock::time_point now)
{
    Tick(now);
    inbox_.clear();
    tally_.Count(&EmulatorFigures::connections);
    std::vector<std::uint8_t> out;
    Respond(ed::kAck, ed::kPing, out);
    return out;
}

std::vector<std::uint8_t> EtherDreamModel::Receive(std::span<const std::uint8_t> bytes, dac::Clock::time_point now)
{
    Play(now); // the answers tell the buffer as it is now
    inbox_.insert(inbox_.end(), bytes.begin(), bytes.end());
    std::vector<std::uint8_t> out;
    std::size_t used = 0;
    // Consumed commands leave the inbox at once at the end, not one by one.
    while (used < inbox_.size()) {
        const std::size_t size = Handle(std::span(inbox_).subspan(used), out);
        if (size == 0)
            break;
        used += size;
    }
    inbox_.erase(inbox_.begin(), inbox_.begin() + static_cast<std::ptrdiff_t>(used));
    return out;
}

void EtherDreamModel::Disconnect()
{
    inbox_.clear();
    if (status_.playback != ed::Playback::Idle) {
        status_.playback = ed::Playback::Idle;
        buffer_.clear();
    }
    Publish();
}

void EtherDreamModel::Tick(dac::Clock::time_point now)
{
    Play(now);
    if (options_.estopAfter >= 0 && !estopped_ && Seconds(now - start_) >= options_.estopAfter) {
        estopped_ = true;
        EnterEstop(0x02); // as if the interlock opened
    }
    Publish();
}

std::vector<std::uint8_t> EtherDreamModel::Broadcast(std::uint16_t port) const
{
    ed::Broadcast b;
    b.mac = {0x02, 0x4C, 0x56, 0x58, 0x00, static_cast<std::uint8_t>(port)};
    b.hardwareRevision = 1;
    b.softwareRevision = 1;
    b.bufferCapacity = static_cast<std::uint16_t>(std::min<std::uint32_t>(options_.capacity, 65535));
    b.maxPointRate = options_.maxRate;
    return ed::EncodeBroadcast(b);
}

// One command at the front of pending: its size, or 0 while incomplete.
std::size_t EtherDreamModel::Handle(std::span<const std::uint8_t> pending, std::vector<std::uint8_t> &out)
{
    const std::uint8_t command = pending[0];
    std::size_t size = ed::CommandSize(command);
    if (size == 0) {
        // Nothing after an unknown byte can be framed: all of it goes.
        Respond(ed::kNakInvalid, command, out);
        tally_.Count(&EmulatorFigures::malformed);
        return pending.size();
    }
    if (command == ed::kData && pending.size() >= 3)
        size += ed::DataCount(pending.data()) * ed::kPointSize;
    if (pending.size() < size)
        return 0;
    tally_.Log(static_cast<char>(command));
    Respond(Answer(command, pending.first(size)), command, out);
    return size;
}

std::uint8_t EtherDreamModel::Answer(std::uint8_t command, std::span<const std::uint8_t> bytes)
{
    const bool estop = status_.lightEngine == ed::LightEngine::EmergencyStop;
    if (command == ed::kEmergencyStop || command == ed::kEmergencyStopAlt) {
        EnterEstop(ed::kEngineEStopNetwork);
    } else if (command == ed::kClearEmergencyStop) {
        status_.lightEngine = ed::LightEngine::Ready;
        status_.lightEngineFlags = 0;
        status_.playbackFlags &= static_cast<std::uint16_t>(~ed::kFlagEStop);
    } else if (command == ed::kPing) {
    } else if (estop) {
        return ed::kNakStop;
    } else if (command == ed::kPrepare) {
        return Prepare();
    } else if (command == ed::kStop) {
        status_.playback = ed::Playback::Idle;
        buffer_.clear();
    } else if (command == ed::kBegin || command == ed::kQueueRate) {
        return Rate(command, Le32(bytes.data() + (command == ed::kBegin ? 3 : 1)));
    } else if (command == ed::kData) {
        return Data(bytes);
    }
    return ed::kAck;
}

std::uint8_t EtherDreamModel::Prepare()
{
    if (status_.playback == ed::Playback::Playing)
        return ed::kNakInvalid;
    status_.playback = ed::Playback::Prepared;
    status_.playbackFlags = 0;
    status_.pointCount = 0;
    buffer_.clear();
    rates_.clear();
    return ed::kAck;
}

std::uint8_t EtherDreamModel::Rate(std::uint8_t command, std::uint32_t rate)
{
    if (rate == 0 || rate > options_.maxRate || status_.playback == ed::Playback::Idle ||
        (command == ed::kBegin && status_.playback != ed::Playback::Prepared))
        return ed::kNakInvalid;
    if (command == ed::kBegin) {
        status_.playback = ed::Playback::Playing;
        status_.pointRate = rate;
        owed_ = 0;
        return ed::kAck;
    }
    // More rates than points it can hold could never all start.
    if (rates_.size() >= options_.capacity)
        return ed::kNakFull;
    rates_.push_back(rate);
    return ed::kAck;
}

std::uint8_t EtherDreamModel::Data(std::span<const std::uint8_t> bytes)
{
    const std::size_t count = ed::DataCount(bytes.data());
    if (status_.playback == ed::Playback::Idle)
        return ed::kNakInvalid;
    if (buffer_.size() + count > options_.capacity) {
        tally_.Count(&EmulatorFigures::refusedFull);
        return ed::kNakFull;
    }
    for (std::size_t i = 0; i < count; ++i)
        buffer_.push_back(ed::DecodePoint(bytes.data() + 3 + i * ed::kPointSize));
    tally_.Update([count](EmulatorFigures &f) {
        f.pointsReceived += count;
        ++f.messages;
    });
    return ed::kAck;
}

void EtherDreamModel::Respond(std::uint8_t answer, std::uint8_t command, std::vector<std::uint8_t> &out)
{
    status_.bufferFullness = static_cast<std::uint16_t>(buffer_.size());
    const auto bytes = ed::EncodeResponse({answer, command, status_});
    out.insert(out.end(), bytes.begin(), bytes.end());
}

void EtherDreamModel::EnterEstop(std::uint16_t flag)
{
    status_.lightEngine = ed::LightEngine::EmergencyStop;
    status_.lightEngineFlags |= flag;
    status_.playback = ed::Playback::Idle;
    status_.playbackFlags |= ed::kFlagEStop;
    buffer_.clear();
}

void EtherDreamModel::Play(dac::Clock::time_point now)
{
    const double dt = Seconds(now - lastTick_);
    lastTick_ = now;
    if (status_.playback != ed::Playback::Playing)
        return;
    owed_ += status_.pointRate * dt;
    std::vector<ilda::Point> played;
    std::vector<std::pair<std::uint64_t, ilda::Point>> marks; // by the count played before
    std::uint64_t count = 0;
    while (owed_ >= 1 && PlayOne(played, marks, count))
        ++count;
    const double rate = status_.pointRate;
    for (const auto &[before, point] : marks)
        tally_.FrameStart(point, now, owed_ + static_cast<double>(count - before - 1), rate);
    tally_.Update([&](EmulatorFigures &f) {
        f.pointsPlayed += count;
        f.rate = rate;
        f.playing = true;
    });
    tally_.KeepPoints(played, status_.pointRate);
}

// Plays the buffer's first point; false when there was none.
bool EtherDreamModel::PlayOne(std::vector<ilda::Point> &played,
                              std::vector<std::pair<std::uint64_t, ilda::Point>> &marks, std::uint64_t count)
{
    if (buffer_.empty()) {
        // Ran dry: the DAC goes idle and says so.
        status_.playback = ed::Playback::Idle;
        status_.playbackFlags |= ed::kFlagUnderflow;
        owed_ = 0;
        tally_.Count(&EmulatorFigures::underflows);
        return false;
    }
    const ed::Point point = buffer_.front();
    buffer_.pop_front();
    owed_ -= 1;
    if ((point.control & ed::kControlRateChange) && !rates_.empty()) {
        // The rest of this tick's time plays at the new rate.
        owed_ *= static_cast<double>(rates_.front()) / status_.pointRate;
        status_.pointRate = rates_.front();
        rates_.pop_front();
        tally_.RateChange(status_.pointCount, status_.pointRate);
    }
    ++status_.pointCount;
    if (point.x == -32768 && (point.r | point.g | point.b))
        marks.emplace_back(count, ed::ToIlda(point));
    if (tally_.Keeping())
        played.push_back(ed::ToIlda(point));
    return true;
}

void EtherDreamModel::Publish()
{
    const bool estop = status_.lightEngine == ed::LightEngine::EmergencyStop;
    const bool playing = status_.playback == ed::Playback::Playing;
    tally_.Update([&](EmulatorFigures &f) {
        f.estop = estop;
        f.playing = playing;
    });
}

} // namespace emu
