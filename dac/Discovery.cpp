#include "dac/Discovery.h"

#include "dac/EtherDream.h"
#include "dac/Idn.h"
#include "dac/LaserCube.h"
#include "dac/Net.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <future>

namespace dac {

std::string FoundDac::Target() const
{
    if (kind == Kind::LaserCube && port == lasercube::kCommandPort)
        return std::string(KindName(kind)) + ":" + address;
    return std::string(KindName(kind)) + ":" + address + ":" + std::to_string(port);
}

std::vector<FoundDac> Discover(const DiscoveryOptions &options, std::string &problem)
{
    std::vector<FoundDac> found;
    std::string cubeProblem; // LaserCubes are asked alongside, in the same time
    auto cubes = std::async(std::launch::async, [&] { return DiscoverLaserCubes(options, cubeProblem); });
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    any.sin_port = htons(options.etherDreamPort);
    Socket listener = UdpSocket(&any, false, true);
    if (!listener.Valid())
        problem = "cannot listen for Ether Dream broadcasts on UDP port " + std::to_string(options.etherDreamPort);
    Socket scanner = UdpSocket(nullptr, true);
    std::vector<sockaddr_in> scanTo;
    if (options.broadcast)
        scanTo = InterfaceBroadcasts(options.idnPort);
    for (const std::string &address : options.addresses) {
        // HOST or HOST:PORT
        std::string host = address;
        std::uint16_t port = options.idnPort;
        if (const auto colon = address.rfind(':'); colon != std::string::npos) {
            host = address.substr(0, colon);
            const long value = std::strtol(address.c_str() + colon + 1, nullptr, 10);
            port = value > 0 && value < 65536 ? static_cast<std::uint16_t>(value) : 0;
        }
        const auto resolved = port ? Resolve(host, port) : std::nullopt;
        if (resolved)
            scanTo.push_back(*resolved);
        else
            problem = "cannot find the host " + address;
    }
    const std::uint16_t sequence = 1;
    const auto sendScans = [&] {
        const auto request = idn::EncodePacketHeader({idn::kScanRequest, 0, sequence});
        for (const sockaddr_in &to : scanTo)
            ::sendto(scanner.Fd(), request.data(), request.size(), 0, reinterpret_cast<const sockaddr *>(&to),
                     sizeof to);
    };
    const auto deadline = Clock::now() + options.timeout;
    auto lastScan = Clock::now();
    if (scanner.Valid())
        sendScans();
    const auto add = [&](FoundDac dac) {
        const bool known = std::any_of(found.begin(), found.end(), [&](const FoundDac &f) {
            return f.kind == dac.kind && f.address == dac.address && f.port == dac.port;
        });
        if (!known)
            found.push_back(std::move(dac));
    };
    for (;;) {
        const auto now = Clock::now();
        if (now >= deadline)
            break;
        if (scanner.Valid() && now - lastScan > std::chrono::milliseconds(500)) {
            sendScans(); // a datagram may be lost
            lastScan = now;
        }
        pollfd fds[2] = {{listener.Fd(), POLLIN, 0}, {scanner.Fd(), POLLIN, 0}};
        const auto wait =
            std::min<long long>(100, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count());
        if (::poll(fds, 2, static_cast<int>(wait)) <= 0)
            continue;
        std::uint8_t bytes[2048];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        if (fds[0].revents & POLLIN) {
            const ssize_t got =
                ::recvfrom(listener.Fd(), bytes, sizeof bytes, 0, reinterpret_cast<sockaddr *>(&from), &length);
            if (const auto b =
                    etherdream::DecodeBroadcast({bytes, static_cast<std::size_t>(std::max<ssize_t>(got, 0))})) {
                char name[32];
                std::snprintf(name, sizeof name, "EtherDream %02x%02x%02x", b->mac[3], b->mac[4], b->mac[5]);
                add({Kind::EtherDream, name, AddressText(from), etherdream::kCommandPort, b->bufferCapacity,
                     b->maxPointRate});
            }
        }
        length = sizeof from;
        if (fds[1].revents & POLLIN) {
            const ssize_t got =
                ::recvfrom(scanner.Fd(), bytes, sizeof bytes, 0, reinterpret_cast<sockaddr *>(&from), &length);
            const auto header = idn::DecodePacketHeader({bytes, static_cast<std::size_t>(std::max<ssize_t>(got, 0))});
            if (header && header->sequence == sequence)
                if (const auto r = idn::DecodeScanResponse({bytes, static_cast<std::size_t>(got)}))
                    add({Kind::Idn, r->hostName, AddressText(from), ntohs(from.sin_port), std::nullopt, std::nullopt});
        }
    }
    for (FoundDac &cube : cubes.get())
        found.push_back(std::move(cube));
    if (!cubeProblem.empty())
        problem = cubeProblem;
    return found;
}

} // namespace dac
