// The IDN unit's socket: one UDP socket, a datagram at a time into the
// model, its replies sent back without ever waiting on the host.
#include "Units.h"
#include "emulator/IdnModel.h"

#include <sys/socket.h>

namespace emu {

namespace {

using namespace std::chrono_literals;

class IdnUnit final : public Unit {
public:
    IdnUnit(const EmulatorOptions &options, Tally &tally, Bound bound)
        : socket_(std::move(bound.socket)), port_(bound.port), model_(options, port_, tally, dac::Clock::now())
    {
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
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t got = ::recvfrom(socket_.Fd(), datagram, sizeof datagram, MSG_DONTWAIT,
                                       reinterpret_cast<sockaddr *>(&from), &length);
        if (got <= 0)
            continue;
        const auto reply = model_.Receive(std::span(datagram, static_cast<std::size_t>(got)), dac::Clock::now());
        if (!reply.empty())
            ::sendto(socket_.Fd(), reply.data(), reply.size(), MSG_DONTWAIT, reinterpret_cast<const sockaddr *>(&from),
                     length);
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
