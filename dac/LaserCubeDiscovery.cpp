// LaserCubes answer a full-info request on their command port: asked at
// each interface's broadcast address (when allowed) and at the hosts given.
#include "dac/Discovery.h"

#include "dac/LaserCube.h"
#include "dac/Net.h"

#include <sys/socket.h>

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace dac {

namespace {

// "HOST" or "HOST:PORT", resolved; nothing when it cannot be.
std::optional<sockaddr_in> CubeAddress(const std::string &text, std::uint16_t port)
{
    std::string host = text;
    if (const auto colon = text.rfind(':'); colon != std::string::npos) {
        host = text.substr(0, colon);
        unsigned value = 0;
        const char *end = text.data() + text.size();
        const auto [at, error] = std::from_chars(text.data() + colon + 1, end, value);
        if (error != std::errc() || at != end || value == 0 || value > 65534)
            return std::nullopt;
        port = static_cast<std::uint16_t>(value);
    }
    return Resolve(host, port);
}

FoundDac Found(const lasercube::Info &info, const sockaddr_in &from)
{
    char serial[8];
    std::snprintf(serial, sizeof serial, "%02x%02x%02x", info.serial[3], info.serial[4], info.serial[5]);
    const std::string model = info.modelName.empty() ? "LaserCube" : info.modelName;
    return {Kind::LaserCube,      model + " " + serial, AddressText(from),
            ntohs(from.sin_port), info.bufferSize,      info.maxRate};
}

// Where the request goes: the broadcast addresses when allowed, and each
// address given.
std::vector<sockaddr_in> AskAt(const DiscoveryOptions &options, std::string &problem)
{
    std::vector<sockaddr_in> askAt;
    if (options.broadcast)
        askAt = InterfaceBroadcasts(options.laserCubePort);
    for (const std::string &address : options.laserCubeAddresses) {
        if (const auto resolved = CubeAddress(address, options.laserCubePort))
            askAt.push_back(*resolved);
        else
            problem = "cannot find the LaserCube host " + address;
    }
    return askAt;
}

} // namespace

std::vector<FoundDac> DiscoverLaserCubes(const DiscoveryOptions &options, std::string &problem)
{
    const std::vector<sockaddr_in> askAt = AskAt(options, problem);
    std::vector<FoundDac> found;
    Socket socket = UdpSocket(nullptr, options.broadcast);
    if (askAt.empty() || !socket.Valid())
        return found;
    const auto request = lasercube::EncodeCommand(lasercube::kGetFullInfo);
    const auto deadline = Clock::now() + options.timeout;
    auto lastAsk = Clock::time_point{};
    while (Clock::now() < deadline) {
        if (Clock::now() - lastAsk > std::chrono::milliseconds(500)) { // a datagram may be lost
            for (const sockaddr_in &to : askAt)
                ::sendto(socket.Fd(), request.data(), request.size(), 0, reinterpret_cast<const sockaddr *>(&to),
                         sizeof to);
            lastAsk = Clock::now();
        }
        if (!WaitReadable(socket.Fd(), std::chrono::milliseconds(50)))
            continue;
        std::uint8_t bytes[2048];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t got =
            ::recvfrom(socket.Fd(), bytes, sizeof bytes, 0, reinterpret_cast<sockaddr *>(&from), &length);
        const auto info = lasercube::DecodeInfo({bytes, static_cast<std::size_t>(std::max<ssize_t>(got, 0))});
        const auto same = [&](const FoundDac &d) {
            return d.address == AddressText(from) && d.port == ntohs(from.sin_port);
        };
        if (info && std::none_of(found.begin(), found.end(), same))
            found.push_back(Found(*info, from));
    }
    return found;
}

} // namespace dac
