#include "emulator/LaserCubeModel.h"

#include <algorithm>
#include <cmath>

namespace emu {

namespace lc = dac::lasercube;
using namespace std::chrono_literals;

LaserCubeModel::LaserCubeModel(const EmulatorOptions &options, Tally &tally, dac::Clock::time_point start)
    : options_(options), tally_(tally), start_(start), lastTick_(start), silentUntil_(start)
{
}

lc::Info LaserCubeModel::Info() const
{
    lc::Info info;
    info.firmwareMajor = 0;
    info.firmwareMinor = 13;
    info.outputEnabled = output_;
    info.rate = rate_;
    info.maxRate = options_.maxRate;
    info.bufferFree = Free();
    info.bufferSize = static_cast<std::uint16_t>(std::min<std::uint32_t>(options_.capacity, 65535));
    info.battery = 100;
    info.temperature = 30;
    info.connection = lc::Connection::Ethernet;
    info.serial = {0x4c,
                   0x56,
                   0x58,
                   0x00,
                   static_cast<std::uint8_t>(options_.port >> 8),
                   static_cast<std::uint8_t>(options_.port)};
    info.ip = {127, 0, 0, 1};
    info.modelName = options_.name.substr(0, lc::kModelNameSize - 1);
    return info;
}

std::uint16_t LaserCubeModel::Free() const
{
    const std::size_t capacity = std::min<std::uint32_t>(options_.capacity, 65535);
    return static_cast<std::uint16_t>(capacity - std::min(buffer_.size(), capacity));
}

void LaserCubeModel::Tick(dac::Clock::time_point now)
{
    const double seconds = std::chrono::duration<double>(now - start_).count();
    if (options_.dropAfter >= 0 && !dropped_ && seconds >= options_.dropAfter) {
        dropped_ = true;
        silentUntil_ = now + 1500ms;
    }
    if (options_.estopAfter >= 0 && !estopped_ && seconds >= options_.estopAfter) {
        estopped_ = true; // as its interlock would: the output goes off
        SetOutput(false);
        tally_.Update([](EmulatorFigures &f) { f.estop = true; });
    }
    if (output_)
        owed_ += rate_ * std::chrono::duration<double>(now - lastTick_).count();
    lastTick_ = now;
    const auto due = static_cast<std::size_t>(owed_);
    const std::size_t played = std::min(due, buffer_.size());
    owed_ -= static_cast<double>(played);
    if (played < due) {
        // Points ran out while playing (an emptied buffer waiting for its
        // first points is not short of any).
        starved_ = starved_ || !buffer_.empty();
        owed_ = 0; // an empty buffer plays nothing, and owes nothing after
    }
    std::vector<ilda::Point> points(played);
    std::transform(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(played), points.begin(), lc::ToIlda);
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(played));
    for (std::size_t i = 0; i < played; ++i)
        tally_.FrameStart(points[i], now, owed_ + static_cast<double>(played - i - 1), rate_);
    tally_.KeepPoints(points, rate_);
    tally_.Update([&](EmulatorFigures &f) {
        f.pointsPlayed += played;
        f.playing = output_ && !buffer_.empty();
    });
}

std::vector<std::uint8_t> LaserCubeModel::Command(std::span<const std::uint8_t> datagram, dac::Clock::time_point now)
{
    if (now < silentUntil_ || datagram.empty())
        return {};
    return Answer(datagram);
}

std::vector<std::uint8_t> LaserCubeModel::Answer(std::span<const std::uint8_t> d)
{
    const bool flag = d.size() == 2 && d[1] <= 1;
    switch (d[0]) {
    case lc::kGetFullInfo: tally_.Log('i'); return lc::EncodeInfo(Info());
    case lc::kGetBufferFree: tally_.Log('f'); return lc::EncodeBufferFreeAnswer(Free());
    case lc::kClearRingBuffer:
        tally_.Log('c');
        buffer_.clear();
        starved_ = false;
        return lc::EncodeCommand(d[0]);
    case lc::kEnableBufferSizeResponse:
        if (!flag)
            break;
        tally_.Log(d[1] ? 'r' : 'R');
        responses_ = d[1] != 0;
        return lc::EncodeCommand(d[0]);
    case lc::kSetOutput:
        if (!flag)
            break;
        tally_.Log(d[1] ? 'o' : 'O');
        SetOutput(d[1] != 0);
        return lc::EncodeCommand(d[0]);
    case lc::kSetRate:
        if (!SetRate(d))
            break;
        return lc::EncodeCommand(d[0]);
    }
    tally_.Count(&EmulatorFigures::malformed);
    return {};
}

void LaserCubeModel::SetOutput(bool on)
{
    // Its emergency stop holds until the emulator is started again.
    on = on && !estopped_;
    const bool opening = on && !output_;
    output_ = on;
    tally_.Update([&](EmulatorFigures &f) {
        f.connections += opening ? 1 : 0;
        f.playing = output_ && !buffer_.empty();
    });
}

bool LaserCubeModel::SetRate(std::span<const std::uint8_t> d)
{
    if (d.size() != 5)
        return false;
    const std::uint32_t rate = static_cast<std::uint32_t>(d[1]) | static_cast<std::uint32_t>(d[2]) << 8 |
                               static_cast<std::uint32_t>(d[3]) << 16 | static_cast<std::uint32_t>(d[4]) << 24;
    if (rate == 0 || rate > options_.maxRate)
        return false; // the unit keeps the rate it had
    tally_.Log('q');
    rate_ = rate;
    tally_.RateChange(received_, rate);
    tally_.Update([&](EmulatorFigures &f) { f.rate = rate; });
    return true;
}

std::vector<std::uint8_t> LaserCubeModel::Data(std::span<const std::uint8_t> datagram, dac::Clock::time_point now)
{
    if (now < silentUntil_)
        return {};
    if (!lc::DecodeDataHeader(datagram)) {
        tally_.Count(&EmulatorFigures::malformed);
        return {};
    }
    const auto samples = lc::DecodeSamples(datagram);
    const std::size_t room = Free();
    const std::size_t taken = std::min(samples.size(), room);
    buffer_.insert(buffer_.end(), samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(taken));
    received_ += samples.size();
    const bool gap = starved_;
    starved_ = false;
    tally_.Log('d');
    tally_.Update([&](EmulatorFigures &f) {
        ++f.messages;
        f.pointsReceived += samples.size();
        f.underflows += gap ? 1 : 0;
        f.refusedFull += taken < samples.size() ? 1 : 0;
    });
    if (!responses_)
        return {};
    return lc::EncodeBufferFree(Free());
}

} // namespace emu
