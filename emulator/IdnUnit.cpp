// The IDN unit's socket: one UDP socket, a datagram at a time into the
// model, its replies sent back without ever waiting on the host.
#include "Units.h"
#include "emulator/IdnModel.h"

#include <sys/socket.h>
#include <time.h>

#include <cstring>

namespace emu {

namespace {

using namespace std::chrono_literals;

// When the datagram reached this machine, by the kernel's stamp: a unit
// plays a frame when it arrives, not when this thread was next scheduled.
dac::Clock::time_point ArrivedAt(msghdr &message)
{
    const auto now = dac::Clock::now();
    for (cmsghdr *c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_TIMESTAMPNS)
            continue;
        timespec stamp{}, wall{};
        std::memcpy(&stamp, CMSG_DATA(c), sizeof stamp);
        ::clock_gettime(CLOCK_REALTIME, &wall);
        const auto waited =
            std::chrono::seconds(wall.tv_sec - stamp.tv_sec) + std::chrono::nanoseconds(wall.tv_nsec - stamp.tv_nsec);
        if (waited > 0s && waited < 1s) // the wall clock may have been set meanwhile
            return now - std::chrono::duration_cast<dac::Clock::duration>(waited);
    }
    return now;
}

class IdnUnit final : public Unit {
public:
    IdnUnit(const EmulatorOptions &options, Tally &tally, Bound bound)
        : socket_(std::move(bound.socket)), port_(bound.port), model_(options, port_, tally, dac::Clock::now())
    {
        const int on = 1;
        ::setsockopt(socket_.Fd(), SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
    }
    std::uint16_t Port() const override { return port_; }
    void Run(const std::atomic<bool> &stop) override;

private:
    dac::Socket socket_;
    std::uint16_t port_;
    IdnModel model_;
};

void IdnUnit::Run(const std::atomic<bool> &stop)
{
    while (!stop) {
        model_.Tick(dac::Clock::now());
        if (!dac::WaitReadable(socket_.Fd(), 2ms))
            continue;
        std::uint8_t datagram[65536];
        alignas(cmsghdr) std::uint8_t control[CMSG_SPACE(sizeof(timespec))];
        sockaddr_in from{};
        iovec part{datagram, sizeof datagram};
        msghdr message{};
        message.msg_name = &from;
        message.msg_namelen = sizeof from;
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t got = ::recvmsg(socket_.Fd(), &message, MSG_DONTWAIT);
        if (got <= 0)
            continue;
        const auto reply = model_.Receive(std::span(datagram, static_cast<std::size_t>(got)), ArrivedAt(message));
        if (!reply.empty())
            ::sendto(socket_.Fd(), reply.data(), reply.size(), MSG_DONTWAIT, reinterpret_cast<const sockaddr *>(&from),
                     message.msg_namelen);
    }
}

} // namespace

rtl::Result<std::unique_ptr<Unit>> OpenIdn(const EmulatorOptions &options, Tally &tally)
{
    auto bound = Bind(options, dac::idn::kPort, false);
    if (!bound)
        return bound.failure();
    return std::unique_ptr<Unit>(std::make_unique<IdnUnit>(options, tally, std::move(bound).value()));
}

} // namespace emu
