// The LaserCube's sockets: commands on one UDP port, data on the next,
// each datagram into the model and its reply sent back without waiting.
#include "Units.h"
#include "emulator/LaserCubeModel.h"

#include <poll.h>
#include <sys/socket.h>

namespace emu {

namespace {

class LaserCubeUnit final : public Unit {
public:
    LaserCubeUnit(const EmulatorOptions &options, Tally &tally, Bound command, Bound data)
        : command_(std::move(command.socket)), data_(std::move(data.socket)), port_(command.port),
          model_(options, tally, dac::Clock::now())
    {
    }
    std::uint16_t Port() const override { return port_; }
    void Run(const std::atomic<bool> &stop) override;

private:
    void Serve(int fd, bool data);

    dac::Socket command_, data_;
    std::uint16_t port_;
    LaserCubeModel model_;
};

void LaserCubeUnit::Serve(int fd, bool data)
{
    std::uint8_t datagram[65536];
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t got =
        ::recvfrom(fd, datagram, sizeof datagram, MSG_DONTWAIT, reinterpret_cast<sockaddr *>(&from), &length);
    if (got <= 0)
        return;
    const std::span bytes(datagram, static_cast<std::size_t>(got));
    const auto now = dac::Clock::now();
    const auto reply = data ? model_.Data(bytes, now) : model_.Command(bytes, now);
    if (!reply.empty())
        ::sendto(fd, reply.data(), reply.size(), MSG_DONTWAIT, reinterpret_cast<const sockaddr *>(&from), length);
}

void LaserCubeUnit::Run(const std::atomic<bool> &stop)
{
    while (!stop) {
        model_.Tick(dac::Clock::now());
        pollfd fds[2] = {{command_.Fd(), POLLIN, 0}, {data_.Fd(), POLLIN, 0}};
        if (::poll(fds, 2, 2) <= 0)
            continue;
        if (fds[0].revents & POLLIN)
            Serve(command_.Fd(), false);
        if (fds[1].revents & POLLIN)
            Serve(data_.Fd(), true);
    }
}

// The command port free, and the one after it for data.
rtl::Result<Bound> BindCommand(const EmulatorOptions &options)
{
    if (!options.anyPort)
        return Bind(options, dac::lasercube::kCommandPort, false);
    EmulatorOptions free = options;
    for (int attempt = 0; attempt < 50; ++attempt) {
        free.port = 0;
        auto probe = Bind(free, 0, false); // the system's choice
        if (!probe)
            return probe;
        if (probe->port == 65535)
            continue;
        free.port = static_cast<std::uint16_t>(probe->port + 1);
        if (Bind(free, free.port, false)) // the next is free too
            return probe;
    }
    return rtl::Fail("no two free ports in a row on " + options.address);
}

} // namespace

rtl::Result<std::unique_ptr<Unit>> OpenLaserCube(const EmulatorOptions &options, Tally &tally)
{
    auto command = BindCommand(options);
    if (!command)
        return command.failure();
    if (command->port == 65535)
        return rtl::Fail("a LaserCube's data port is the one after its command port: 65535 has none");
    EmulatorOptions dataAt = options;
    dataAt.port = static_cast<std::uint16_t>(command->port + dac::lasercube::kDataPortOffset);
    auto data = Bind(dataAt, dataAt.port, false);
    if (!data)
        return data.failure();
    EmulatorOptions named = options;
    named.port = command->port; // part of the serial it answers with
    return std::unique_ptr<Unit>(
        std::make_unique<LaserCubeUnit>(named, tally, std::move(command).value(), std::move(data).value()));
}

} // namespace emu
