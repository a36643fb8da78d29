#include "dac/Emulator.h"

#include "dac/EtherDream.h"
#include "dac/Idn.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>

namespace dac {

namespace {

namespace ed = etherdream;
using namespace std::chrono_literals;

constexpr std::size_t kMostKept = 20'000'000;    // points kept for the recording
constexpr std::size_t kMostPerFrame = 65535;     // an ILDA frame's limit
constexpr std::size_t kMostFrameBytes = 1 << 24; // one IDN frame's, however many sequels come
constexpr std::size_t kMostStarts = 100'000;

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

} // namespace

void Emulator::Log(char letter)
{
    std::lock_guard lock(mutex_);
    if (figures_.log.size() < 4096)
        figures_.log.push_back(letter);
}

void Emulator::NoteStart(const ilda::Point &first, Clock::time_point at)
{
    auto &starts = figures_.frameStarts;
    if (first.Blanked() || first.x != -32768 || starts.size() >= kMostStarts)
        return;
    // An Ether Dream shows no frame boundaries: a frame repeated is one start.
    if (!starts.empty() && starts.back().second == first.y)
        return;
    starts.emplace_back(std::chrono::duration<double>(at.time_since_epoch()).count(), first.y);
}

Emulator::Emulator(EmulatorOptions options) : options_(std::move(options)) {}

Emulator::~Emulator()
{
    Stop();
}

bool Emulator::Start(std::string &problem)
{
    const bool etherDream = options_.kind == Kind::EtherDream;
    const std::uint16_t port = options_.anyPort ? 0
                               : options_.port  ? options_.port
                               : etherDream     ? ed::kCommandPort
                                                : idn::kPort;
    const auto address = Resolve(options_.address, port);
    if (!address) {
        problem = "cannot use the address " + options_.address;
        return false;
    }
    Socket socket = etherDream ? TcpListen(*address) : UdpSocket(&*address);
    if (!socket.Valid()) {
        problem =
            "cannot listen on " + options_.address + " port " + std::to_string(port) + ": " + std::strerror(errno);
        return false;
    }
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    getsockname(socket.Fd(), reinterpret_cast<sockaddr *>(&bound), &length);
    port_ = ntohs(bound.sin_port);
    listenFd_ = socket.Release();
    stop_ = false;
    thread_ = std::thread([this, etherDream] { etherDream ? RunEtherDream() : RunIdn(); });
    return true;
}

void Emulator::Stop()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (listenFd_ >= 0)
        ::close(listenFd_);
    listenFd_ = -1;
}

EmulatorFigures Emulator::Figures() const
{
    std::lock_guard lock(mutex_);
    return figures_;
}

std::vector<std::vector<ilda::Point>> Emulator::Recording() const
{
    std::lock_guard lock(mutex_);
    return recording_;
}

void Emulator::Announce(int fd, const sockaddr_in &to)
{
    ed::Broadcast b;
    b.mac = {0x02, 0x4C, 0x56, 0x58, 0x00, static_cast<std::uint8_t>(port_)};
    b.hardwareRevision = 1;
    b.softwareRevision = 1;
    b.bufferCapacity = static_cast<std::uint16_t>(std::min<std::uint32_t>(options_.capacity, 65535));
    b.maxPointRate = options_.maxRate;
    const auto bytes = ed::EncodeBroadcast(b);
    ::sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr *>(&to), sizeof to);
}

// The Ether Dream: one host at a time on TCP, a broadcast each second, a
// buffer played out at the point rate (rate changes where a point says so).
void Emulator::RunEtherDream()
{
    ed::Status status;
    std::deque<ed::Point> buffer;
    std::deque<std::uint32_t> rates;
    std::vector<std::uint8_t> inbox;
    Socket client;
    Socket announcer = UdpSocket(nullptr, true);
    const auto announceTo = Resolve(options_.broadcastTo, options_.broadcastPort);
    const auto start = Clock::now();
    auto lastTick = start, lastAnnounce = start - 2s, refuseUntil = start;
    double owed = 0;
    bool dropped = false, estopped = false;
    std::size_t keptPoints = 0;

    const auto enterEstop = [&](std::uint16_t flag) {
        status.lightEngine = ed::LightEngine::EmergencyStop;
        status.lightEngineFlags |= flag;
        status.playback = ed::Playback::Idle;
        status.playbackFlags |= ed::kFlagEStop;
        buffer.clear();
    };
    const auto respond = [&](std::uint8_t answer, std::uint8_t command) {
        status.bufferFullness = static_cast<std::uint16_t>(buffer.size());
        const auto bytes = ed::EncodeResponse({answer, command, status});
        if (client.Valid())
            SendAll(client.Fd(), bytes);
    };
    // One command at the front of inbox: its size, or 0 while incomplete.
    const auto handle = [&]() -> std::size_t {
        const std::uint8_t command = inbox[0];
        std::size_t size = ed::CommandSize(command);
        if (size == 0) {
            respond(ed::kNakInvalid, command);
            std::lock_guard lock(mutex_);
            ++figures_.malformed;
            return inbox.size();
        }
        if (command == ed::kData && inbox.size() >= 3)
            size += ed::DataCount(inbox.data()) * ed::kPointSize;
        if (inbox.size() < size)
            return 0;
        const bool estop = status.lightEngine == ed::LightEngine::EmergencyStop;
        Log(static_cast<char>(command));
        std::uint8_t answer = ed::kAck;
        if (command == ed::kEmergencyStop || command == ed::kEmergencyStopAlt) {
            enterEstop(ed::kEngineEStopNetwork);
        } else if (command == ed::kClearEmergencyStop) {
            status.lightEngine = ed::LightEngine::Ready;
            status.lightEngineFlags = 0;
            status.playbackFlags &= static_cast<std::uint16_t>(~ed::kFlagEStop);
        } else if (command == ed::kPing) {
        } else if (estop) {
            answer = ed::kNakStop;
        } else if (command == ed::kPrepare) {
            if (status.playback == ed::Playback::Playing) {
                answer = ed::kNakInvalid;
            } else {
                status.playback = ed::Playback::Prepared;
                status.playbackFlags = 0;
                status.pointCount = 0;
                buffer.clear();
                rates.clear();
            }
        } else if (command == ed::kStop) {
            status.playback = ed::Playback::Idle;
            buffer.clear();
        } else if (command == ed::kBegin || command == ed::kQueueRate) {
            const std::uint8_t *at = inbox.data() + (command == ed::kBegin ? 3 : 1);
            const std::uint32_t rate = std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 |
                                       std::uint32_t{at[3]} << 24;
            if (rate == 0 || rate > options_.maxRate || status.playback == ed::Playback::Idle ||
                (command == ed::kBegin && status.playback != ed::Playback::Prepared)) {
                answer = ed::kNakInvalid;
            } else if (command == ed::kBegin) {
                status.playback = ed::Playback::Playing;
                status.pointRate = rate;
                owed = 0;
            } else {
                rates.push_back(rate);
            }
        } else if (command == ed::kData) {
            const std::size_t count = ed::DataCount(inbox.data());
            if (status.playback == ed::Playback::Idle)
                answer = ed::kNakInvalid;
            else if (buffer.size() + count > options_.capacity) {
                answer = ed::kNakFull;
                std::lock_guard lock(mutex_);
                ++figures_.refusedFull;
            } else {
                for (std::size_t i = 0; i < count; ++i)
                    buffer.push_back(ed::DecodePoint(inbox.data() + 3 + i * ed::kPointSize));
                std::lock_guard lock(mutex_);
                figures_.pointsReceived += count;
                ++figures_.messages;
            }
        }
        respond(answer, command);
        return size;
    };
    const auto play = [&](Clock::time_point now) {
        const double dt = Seconds(now - lastTick);
        lastTick = now;
        if (status.playback != ed::Playback::Playing)
            return;
        owed += status.pointRate * dt;
        std::vector<ilda::Point> played;
        std::vector<std::pair<std::uint64_t, ilda::Point>> marks; // by the count played before
        std::uint64_t count = 0;
        while (owed >= 1) {
            if (buffer.empty()) {
                // Ran dry: the DAC goes idle and says so.
                status.playback = ed::Playback::Idle;
                status.playbackFlags |= ed::kFlagUnderflow;
                owed = 0;
                std::lock_guard lock(mutex_);
                ++figures_.underflows;
                break;
            }
            const ed::Point point = buffer.front();
            buffer.pop_front();
            owed -= 1;
            if ((point.control & ed::kControlRateChange) && !rates.empty()) {
                // The rest of this tick's time plays at the new rate.
                owed *= static_cast<double>(rates.front()) / status.pointRate;
                status.pointRate = rates.front();
                rates.pop_front();
                std::lock_guard lock(mutex_);
                figures_.rateChanges.emplace_back(status.pointCount, status.pointRate);
            }
            ++status.pointCount;
            if (point.x == -32768 && (point.r | point.g | point.b))
                marks.emplace_back(count, ed::ToIlda(point));
            ++count;
            if (options_.keep)
                played.push_back(ed::ToIlda(point));
        }
        std::lock_guard lock(mutex_);
        figures_.pointsPlayed += count;
        for (const auto &[before, point] : marks) {
            // This tick's points were due between the last tick and now.
            const double after = owed + static_cast<double>(count - before - 1);
            NoteStart(point, now - std::chrono::duration_cast<Clock::duration>(
                                       std::chrono::duration<double>(after / status.pointRate)));
        }
        for (const ilda::Point &point : played) {
            if (keptPoints >= kMostKept)
                break;
            const std::size_t perFrame = std::clamp<std::size_t>(status.pointRate, 1, kMostPerFrame);
            if (recording_.empty() || recording_.back().size() >= perFrame)
                recording_.emplace_back();
            recording_.back().push_back(point);
            ++keptPoints;
        }
        figures_.rate = status.pointRate;
        figures_.playing = true;
    };

    while (!stop_) {
        const auto now = Clock::now();
        play(now);
        const double elapsed = Seconds(now - start);
        if (announceTo && announcer.Valid() && !options_.broadcastTo.empty() && now - lastAnnounce >= 1s) {
            Announce(announcer.Fd(), *announceTo);
            lastAnnounce = now;
        }
        if (options_.dropAfter >= 0 && !dropped && elapsed >= options_.dropAfter) {
            dropped = true;
            client.Close();
            refuseUntil = now + 1s;
        }
        if (options_.estopAfter >= 0 && !estopped && elapsed >= options_.estopAfter) {
            estopped = true;
            enterEstop(0x02); // as if the interlock opened
        }
        if (!client.Valid() && status.playback != ed::Playback::Idle) {
            status.playback = ed::Playback::Idle;
            buffer.clear();
        }
        {
            std::lock_guard lock(mutex_);
            figures_.estop = status.lightEngine == ed::LightEngine::EmergencyStop;
            figures_.playing = status.playback == ed::Playback::Playing;
        }
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {client.Fd(), POLLIN, 0}};
        if (::poll(fds, client.Valid() ? 2 : 1, 1) <= 0)
            continue;
        if (fds[0].revents & POLLIN) {
            Socket incoming(::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC));
            if (incoming.Valid() && !client.Valid() && now >= refuseUntil) {
                client = std::move(incoming);
                inbox.clear();
                {
                    std::lock_guard lock(mutex_);
                    ++figures_.connections;
                }
                respond(ed::kAck, ed::kPing);
            }
        }
        if (client.Valid() && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) {
            play(Clock::now()); // the answers tell the buffer as it is now
            std::uint8_t bytes[65536];
            const ssize_t got = ::recv(client.Fd(), bytes, sizeof bytes, 0);
            if (got <= 0) {
                client.Close();
                continue;
            }
            inbox.insert(inbox.end(), bytes, bytes + got);
            while (!inbox.empty()) {
                const std::size_t used = handle();
                if (used == 0)
                    break;
                inbox.erase(inbox.begin(), inbox.begin() + static_cast<std::ptrdiff_t>(used));
            }
        }
    }
}

// The IDN unit: answers scans and pings, takes frames (whole or in
// fragments) on its channels, and plays the latest one over and over at the
// pace its duration sets.
void Emulator::RunIdn()
{
    const auto start = Clock::now();
    auto lastTick = start, lastMessage = start, silentUntil = start;
    std::optional<Clock::time_point> firstFrame;
    bool open = false, gapCounted = false, dropped = false;
    double frameRate = 0, owed = 0;
    std::vector<std::uint8_t> reassembly;
    std::uint32_t reassemblyDuration = 0, nextTimestamp = 0;
    bool reassembling = false;
    std::size_t keptPoints = 0;

    const auto takeFrame = [&](std::span<const std::uint8_t> sampleBytes, std::uint32_t duration,
                               Clock::time_point now) {
        auto samples = idn::DecodeSamples(sampleBytes);
        std::lock_guard lock(mutex_);
        if (!open) {
            open = true;
            ++figures_.connections;
        }
        if (!firstFrame)
            firstFrame = now;
        figures_.frameArrivals.push_back(Seconds(now - *firstFrame));
        if (!samples.empty())
            NoteStart(idn::ToIlda(samples.front()), now);
        ++figures_.messages;
        figures_.pointsReceived += samples.size();
        frameRate = duration > 0 ? samples.size() * 1e6 / duration : 0;
        figures_.rate = frameRate;
        figures_.playing = true;
        if (options_.keep && keptPoints < kMostKept) {
            std::vector<ilda::Point> frame(samples.size());
            std::transform(samples.begin(), samples.end(), frame.begin(), idn::ToIlda);
            if (frame.size() > kMostPerFrame)
                frame.resize(kMostPerFrame);
            keptPoints += frame.size();
            recording_.push_back(std::move(frame));
        }
    };

    while (!stop_) {
        auto now = Clock::now();
        if (open)
            owed += frameRate * Seconds(now - lastTick);
        lastTick = now;
        {
            std::lock_guard lock(mutex_);
            figures_.pointsPlayed += static_cast<std::uint64_t>(owed);
            owed -= std::floor(owed);
            if (open && !gapCounted && now - lastMessage > 1s) {
                ++figures_.underflows; // the source fell silent: the unit would blank
                gapCounted = true;
            }
        }
        if (options_.dropAfter >= 0 && !dropped && Seconds(now - start) >= options_.dropAfter) {
            dropped = true;
            silentUntil = now + 1500ms;
        }
        if (!WaitReadable(listenFd_, 2ms))
            continue;
        std::uint8_t datagram[65536];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t got =
            ::recvfrom(listenFd_, datagram, sizeof datagram, 0, reinterpret_cast<sockaddr *>(&from), &length);
        now = Clock::now();
        if (got < 4 || now < silentUntil)
            continue;
        const std::span<const std::uint8_t> bytes(datagram, static_cast<std::size_t>(got));
        const auto header = *idn::DecodePacketHeader(bytes);
        const auto reply = [&](std::span<const std::uint8_t> answer) {
            ::sendto(listenFd_, answer.data(), answer.size(), 0, reinterpret_cast<const sockaddr *>(&from), length);
        };
        if (header.command == idn::kScanRequest) {
            idn::ScanResponse response;
            response.hostName = options_.name.substr(0, 20);
            response.unitId[0] = 7;
            response.unitId[1] = 0x02; // a locally made identity
            std::copy_n(reinterpret_cast<const std::uint8_t *>(&port_), 2, response.unitId.begin() + 2);
            reply(idn::EncodeScanResponse(header.sequence, response));
            continue;
        }
        if (header.command == idn::kPingRequest) {
            std::vector<std::uint8_t> answer(bytes.begin(), bytes.end());
            answer[0] = idn::kPingResponse;
            reply(answer);
            continue;
        }
        const auto message = idn::DecodeChannelMessage(bytes);
        if (!message) {
            if (header.command == idn::kChannelMessage || header.command == idn::kChannelClose) {
                std::lock_guard lock(mutex_);
                ++figures_.malformed;
            }
            continue;
        }
        lastMessage = now;
        gapCounted = false;
        if (message->configOrLast && message->chunk != idn::kChunkFrameSequel)
            Log('c');
        Log(message->chunk == idn::kChunkFrame         ? 'f'
            : message->chunk == idn::kChunkFrameFirst  ? '1'
            : message->chunk == idn::kChunkFrameSequel ? '+'
                                                       : 'v');
        if (message->command == idn::kChannelClose || message->close)
            Log('x');
        if (!message->configValid) {
            std::lock_guard lock(mutex_);
            ++figures_.malformed;
        } else if (message->chunk == idn::kChunkFrame) {
            takeFrame(message->sampleBytes, message->duration, now);
        } else if (message->chunk == idn::kChunkFrameFirst) {
            reassembling = true;
            reassembly.assign(message->sampleBytes.begin(), message->sampleBytes.end());
            reassemblyDuration = message->duration;
            nextTimestamp = message->timestamp + 1;
        } else if (message->chunk == idn::kChunkFrameSequel) {
            if (!reassembling || message->timestamp != nextTimestamp ||
                reassembly.size() + message->sampleBytes.size() > kMostFrameBytes) {
                reassembling = false;
                std::lock_guard lock(mutex_);
                ++figures_.malformed;
            } else {
                reassembly.insert(reassembly.end(), message->sampleBytes.begin(), message->sampleBytes.end());
                nextTimestamp = message->timestamp + 1;
                if (message->configOrLast) {
                    reassembling = false;
                    takeFrame(reassembly, reassemblyDuration, now);
                }
            }
        }
        if (message->command == idn::kChannelClose || message->close) {
            std::lock_guard lock(mutex_);
            open = false;
            frameRate = 0;
            figures_.playing = false;
            ++figures_.closes;
        }
    }
}

} // namespace dac
