// The Ether Dream's sockets: one host at a time on TCP, as the unit does;
// the next waits in the listen queue and is greeted once the one before has
// gone. Nothing here ever waits on a host: a host that stops reading its
// answers or falls silent is let go, so it cannot keep the others out or
// hold up a stop.
#include "Units.h"
#include "emulator/EtherDreamModel.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

namespace emu {

namespace {

namespace ed = dac::etherdream;
using namespace std::chrono_literals;

// Answers a host may leave unread; a sender reads each one long before.
constexpr std::size_t kMostUnsent = 1 << 20;

class EtherDreamUnit final : public Unit {
public:
    EtherDreamUnit(const EmulatorOptions &options, Tally &tally, Bound bound);
    std::uint16_t Port() const override { return port_; }
    void Run(const std::atomic<bool> &stop) override;

private:
    void Announce(dac::Clock::time_point now);
    void Admit(dac::Clock::time_point now);
    void Serve(short events, dac::Clock::time_point now);
    void Flush();
    bool Stuck(dac::Clock::time_point now) const;
    void LetGo();
    void Close();

    const EmulatorOptions options_;
    Tally &tally_;
    dac::Socket listener_;
    std::uint16_t port_;
    const dac::Clock::time_point start_;
    EtherDreamModel model_;
    dac::Socket client_;
    std::vector<std::uint8_t> outbox_; // answers the host has not taken yet
    dac::Socket announcer_;
    std::optional<sockaddr_in> announceTo_;
    dac::Clock::time_point lastAnnounce_, refuseUntil_, lastHeard_;
    bool dropped_ = false;
};

EtherDreamUnit::EtherDreamUnit(const EmulatorOptions &options, Tally &tally, Bound bound)
    : options_(options), tally_(tally), listener_(std::move(bound.socket)), port_(bound.port),
      start_(dac::Clock::now()), model_(options, tally, start_), announcer_(dac::UdpSocket(nullptr, true)),
      announceTo_(dac::Resolve(options.broadcastTo, options.broadcastPort)), lastAnnounce_(start_ - 2s),
      refuseUntil_(start_), lastHeard_(start_)
{
}

void EtherDreamUnit::Run(const std::atomic<bool> &stop)
{
    while (!stop) {
        const auto now = dac::Clock::now();
        model_.Tick(now);
        Announce(now);
        if (options_.dropAfter >= 0 && !dropped_ && now - start_ >= std::chrono::duration<double>(options_.dropAfter)) {
            dropped_ = true;
            Close();
            refuseUntil_ = now + 1s;
        }
        // The host's hang-up is read before the next is let in, and nobody
        // is taken from the queue while a host is served.
        pollfd fds[2] = {{client_.Fd(), static_cast<short>(POLLIN | (outbox_.empty() ? 0 : POLLOUT)), 0},
                         {client_.Valid() ? -1 : listener_.Fd(), POLLIN, 0}};
        const bool ready = ::poll(fds, 2, 1) > 0;
        if (ready && client_.Valid() && fds[0].revents)
            Serve(fds[0].revents, dac::Clock::now());
        if (ready && !client_.Valid() && (fds[1].revents & POLLIN))
            Admit(dac::Clock::now());
        if (client_.Valid() && Stuck(dac::Clock::now()))
            LetGo();
    }
    if (client_.Valid())
        Close();
}

void EtherDreamUnit::Announce(dac::Clock::time_point now)
{
    if (!announceTo_ || !announcer_.Valid() || options_.broadcastTo.empty() || now - lastAnnounce_ < 1s)
        return;
    const auto bytes = model_.Broadcast(port_);
    ::sendto(announcer_.Fd(), bytes.data(), bytes.size(), MSG_DONTWAIT,
             reinterpret_cast<const sockaddr *>(&*announceTo_), sizeof *announceTo_);
    lastAnnounce_ = now;
}

void EtherDreamUnit::Admit(dac::Clock::time_point now)
{
    dac::Socket incoming(::accept4(listener_.Fd(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (!incoming.Valid() || now < refuseUntil_)
        return; // while it plays a dropped unit, a new host is hung up on
    client_ = std::move(incoming);
    lastHeard_ = now;
    outbox_ = model_.Connect(now);
    Flush();
}

void EtherDreamUnit::Serve(short events, dac::Clock::time_point now)
{
    if (events & (POLLIN | POLLHUP | POLLERR)) {
        std::uint8_t bytes[65536];
        const ssize_t got = ::recv(client_.Fd(), bytes, sizeof bytes, 0);
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            Close();
            return;
        }
        if (got > 0) {
            lastHeard_ = now;
            const auto answers = model_.Receive(std::span(bytes, static_cast<std::size_t>(got)), now);
            outbox_.insert(outbox_.end(), answers.begin(), answers.end());
        }
    }
    Flush();
}

// A host that leaves its answers unread, or says nothing for too long.
bool EtherDreamUnit::Stuck(dac::Clock::time_point now) const
{
    return outbox_.size() > kMostUnsent || now - lastHeard_ > std::chrono::duration<double>(options_.idleLimit);
}

void EtherDreamUnit::Flush()
{
    std::size_t sent = 0;
    while (sent < outbox_.size()) {
        const ssize_t n =
            ::send(client_.Fd(), outbox_.data() + sent, outbox_.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (n <= 0) {
            Close();
            return;
        }
        sent += static_cast<std::size_t>(n);
    }
    outbox_.erase(outbox_.begin(), outbox_.begin() + static_cast<std::ptrdiff_t>(sent));
}

void EtherDreamUnit::LetGo()
{
    tally_.Count(&EmulatorFigures::letGo);
    Close();
}

void EtherDreamUnit::Close()
{
    client_.Close();
    outbox_.clear();
    model_.Disconnect();
}

} // namespace

rtl::Result<std::unique_ptr<Unit>> OpenEtherDream(const EmulatorOptions &options, Tally &tally)
{
    auto bound = Bind(options, ed::kCommandPort, true);
    if (!bound)
        return bound.failure();
    return std::unique_ptr<Unit>(std::make_unique<EtherDreamUnit>(options, tally, std::move(bound).value()));
}

} // namespace emu
