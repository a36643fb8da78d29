#include "emulator/IdnModel.h"

#include <algorithm>
#include <cmath>

namespace emu {

namespace {

namespace idn = dac::idn;
using namespace std::chrono_literals;

constexpr std::size_t kMostFrameBytes = 1 << 24; // one frame's, however many sequels come

double Seconds(dac::Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

} // namespace

IdnModel::IdnModel(const EmulatorOptions &options, std::uint16_t port, Tally &tally, dac::Clock::time_point start)
    : options_(options), port_(port), tally_(tally), start_(start), lastTick_(start), lastMessage_(start),
      silentUntil_(start), hostClock_(options.holdSeconds)
{
}

void IdnModel::Tick(dac::Clock::time_point now)
{
    if (open_)
        owed_ += frameRate_ * Seconds(now - lastTick_);
    lastTick_ = now;
    const auto played = static_cast<std::uint64_t>(owed_);
    owed_ -= std::floor(owed_);
    const bool gap = open_ && !gapCounted_ && now - lastMessage_ > 1s;
    if (gap)
        gapCounted_ = true; // the source fell silent: the unit would blank
    tally_.Update([&](EmulatorFigures &f) {
        f.pointsPlayed += played;
        f.underflows += gap ? 1 : 0;
    });
    if (options_.dropAfter >= 0 && !dropped_ && Seconds(now - start_) >= options_.dropAfter) {
        dropped_ = true;
        silentUntil_ = now + 1500ms;
    }
}

std::vector<std::uint8_t> IdnModel::Receive(std::span<const std::uint8_t> bytes, dac::Clock::time_point now)
{
    const auto header = idn::DecodePacketHeader(bytes);
    if (!header || now < silentUntil_)
        return {};
    if (header->command == idn::kScanRequest)
        return ScanReply(header->sequence);
    if (header->command == idn::kPingRequest) {
        std::vector<std::uint8_t> answer(bytes.begin(), bytes.end());
        answer[0] = idn::kPingResponse;
        return answer;
    }
    const auto message = idn::DecodeChannelMessage(bytes);
    if (!message) {
        if (header->command == idn::kChannelMessage || header->command == idn::kChannelClose)
            tally_.Count(&EmulatorFigures::malformed);
        return {};
    }
    Take(*message, now);
    return {};
}

std::vector<std::uint8_t> IdnModel::ScanReply(std::uint16_t sequence) const
{
    idn::ScanResponse response;
    response.hostName = options_.name.substr(0, 20);
    response.unitId[0] = 7;
    response.unitId[1] = 0x02; // a locally made identity
    std::copy_n(reinterpret_cast<const std::uint8_t *>(&port_), 2, response.unitId.begin() + 2);
    return idn::EncodeScanResponse(sequence, response);
}

void IdnModel::Take(const idn::Received &message, dac::Clock::time_point now)
{
    lastMessage_ = now;
    gapCounted_ = false;
    LogMessage(message);
    const auto plays = hostClock_.Plays(message.timestamp, now);
    if (!message.configValid) {
        tally_.Count(&EmulatorFigures::malformed);
    } else if (message.chunk == idn::kChunkFrame) {
        TakeFrame(message.sampleBytes, message.duration, now, plays);
    } else if (message.chunk == idn::kChunkFrameFirst) {
        reassembling_ = true;
        reassembly_.assign(message.sampleBytes.begin(), message.sampleBytes.end());
        reassemblyDuration_ = message.duration;
        reassemblyPlays_ = plays;
        nextTimestamp_ = message.timestamp + 1;
    } else if (message.chunk == idn::kChunkFrameSequel) {
        TakeSequel(message, now);
    }
    if (message.command == idn::kChannelClose || message.close) {
        open_ = false;
        frameRate_ = 0;
        tally_.Update([](EmulatorFigures &f) {
            f.playing = false;
            ++f.closes;
        });
    }
}

void IdnModel::TakeSequel(const idn::Received &message, dac::Clock::time_point now)
{
    if (!reassembling_ || message.timestamp != nextTimestamp_ ||
        reassembly_.size() + message.sampleBytes.size() > kMostFrameBytes) {
        // A lost or foreign fragment: the frame is dropped, never glued.
        reassembling_ = false;
        tally_.Count(&EmulatorFigures::malformed);
        return;
    }
    reassembly_.insert(reassembly_.end(), message.sampleBytes.begin(), message.sampleBytes.end());
    nextTimestamp_ = message.timestamp + 1;
    if (message.configOrLast) {
        reassembling_ = false;
        TakeFrame(reassembly_, reassemblyDuration_, now, std::max(now, reassemblyPlays_));
    }
}

void IdnModel::TakeFrame(std::span<const std::uint8_t> sampleBytes, std::uint32_t duration, dac::Clock::time_point now,
                         dac::Clock::time_point plays)
{
    const auto samples = idn::DecodeSamples(sampleBytes);
    const bool opening = !open_;
    open_ = true;
    if (!firstFrame_)
        firstFrame_ = now;
    frameRate_ = duration > 0 ? samples.size() * 1e6 / duration : 0;
    tally_.Arrival(Seconds(now - *firstFrame_));
    if (!samples.empty())
        tally_.FrameStart(idn::ToIlda(samples.front()), plays);
    tally_.Update([&](EmulatorFigures &f) {
        f.connections += opening ? 1 : 0;
        ++f.messages;
        f.pointsReceived += samples.size();
        f.rate = frameRate_;
        f.playing = true;
    });
    if (tally_.Keeping()) {
        std::vector<ilda::Point> frame(std::min(samples.size(), kMostPerFrame));
        std::transform(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(frame.size()), frame.begin(),
                       idn::ToIlda);
        tally_.KeepFrame(std::move(frame));
    }
}

void IdnModel::LogMessage(const idn::Received &message)
{
    if (message.configOrLast && message.chunk != idn::kChunkFrameSequel)
        tally_.Log('c');
    tally_.Log(message.chunk == idn::kChunkFrame         ? 'f'
               : message.chunk == idn::kChunkFrameFirst  ? '1'
               : message.chunk == idn::kChunkFrameSequel ? '+'
                                                         : 'v');
    if (message.command == idn::kChannelClose || message.close)
        tally_.Log('x');
}

} // namespace emu
