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
#include <cstring>
#include <future>

namespace dac {

std::string FoundDac::Target() const
{
    if (kind == Kind::Helios)
        return "helios:" + std::to_string(unit);
    if (kind == Kind::LaserCube && port == lasercube::kCommandPort)
        return std::string(KindName(kind)) + ":" + address;
    return std::string(KindName(kind)) + ":" + address + ":" + std::to_string(port);
}

namespace {

// An Ether Dream broadcast sent to one address (an emulator's to 127.0.0.1)
// reaches one of the listeners sharing the port on this machine; that one
// passes it on to the loopback broadcast address with where it came from,
// so that every listener here hears it.
constexpr std::uint8_t kRelayMark[4] = {'L', 'V', 'X', 'R'};
constexpr std::size_t kRelaySize = etherdream::kBroadcastSize + sizeof kRelayMark + 6;

struct Heard {
    std::vector<std::uint8_t> bytes;
    sockaddr_in from{};
    bool toOneAddress = false; // not to a broadcast address: others here missed it
};

Heard ReceiveBroadcast(int fd, const std::vector<sockaddr_in> &broadcasts)
{
    Heard heard;
    heard.bytes.resize(2048);
    iovec io{heard.bytes.data(), heard.bytes.size()};
    alignas(cmsghdr) std::uint8_t control[CMSG_SPACE(sizeof(in_pktinfo))];
    msghdr message{};
    message.msg_name = &heard.from;
    message.msg_namelen = sizeof heard.from;
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t got = ::recvmsg(fd, &message, 0);
    heard.bytes.resize(static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    for (cmsghdr *c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_PKTINFO)
            continue;
        in_pktinfo info{};
        std::memcpy(&info, CMSG_DATA(c), sizeof info);
        const std::uint32_t to = info.ipi_addr.s_addr;
        heard.toOneAddress = to != htonl(INADDR_BROADCAST) && to != htonl(0x7FFFFFFF) &&
                             std::none_of(broadcasts.begin(), broadcasts.end(),
                                          [to](const sockaddr_in &b) { return b.sin_addr.s_addr == to; });
    }
    return heard;
}

// A relayed broadcast: the DAC's own address back; a direct one: relayed.
void TakeRelay(Heard &heard, int relay, std::uint16_t port)
{
    if (heard.bytes.size() == kRelaySize &&
        std::equal(std::begin(kRelayMark), std::end(kRelayMark), heard.bytes.begin() + etherdream::kBroadcastSize)) {
        const std::uint8_t *at = heard.bytes.data() + etherdream::kBroadcastSize + sizeof kRelayMark;
        std::memcpy(&heard.from.sin_addr.s_addr, at, 4);
        std::memcpy(&heard.from.sin_port, at + 4, 2);
        heard.bytes.resize(etherdream::kBroadcastSize);
        return;
    }
    if (!heard.toOneAddress || heard.bytes.size() != etherdream::kBroadcastSize || relay < 0)
        return;
    std::vector<std::uint8_t> out = heard.bytes;
    out.insert(out.end(), std::begin(kRelayMark), std::end(kRelayMark));
    const auto *address = reinterpret_cast<const std::uint8_t *>(&heard.from.sin_addr.s_addr);
    const auto *sourcePort = reinterpret_cast<const std::uint8_t *>(&heard.from.sin_port);
    out.insert(out.end(), address, address + 4);
    out.insert(out.end(), sourcePort, sourcePort + 2);
    const sockaddr_in to = *Resolve("127.255.255.255", port);
    ::sendto(relay, out.data(), out.size(), 0, reinterpret_cast<const sockaddr *>(&to), sizeof to);
}

// An IDN unit is its unit ID, whatever address or port answered; an
// Ether Dream its address.
bool Same(const FoundDac &a, const FoundDac &b)
{
    if (a.kind != b.kind)
        return false;
    const bool hasId = std::any_of(a.unitId.begin(), a.unitId.end(), [](std::uint8_t v) { return v != 0; });
    if (a.kind == Kind::Idn && hasId)
        return a.unitId == b.unitId;
    return a.address == b.address && a.port == b.port;
}

} // namespace

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
    const int on = 1;
    setsockopt(listener.Fd(), IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
    Socket relay = UdpSocket(nullptr, true);
    const std::vector<sockaddr_in> broadcasts = InterfaceBroadcasts(options.etherDreamPort);
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
        const bool known = std::any_of(found.begin(), found.end(), [&](const FoundDac &f) { return Same(f, dac); });
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
            Heard heard = ReceiveBroadcast(listener.Fd(), broadcasts);
            TakeRelay(heard, relay.Fd(), options.etherDreamPort);
            if (const auto b = etherdream::DecodeBroadcast(heard.bytes)) {
                char name[32];
                std::snprintf(name, sizeof name, "EtherDream %02x%02x%02x", b->mac[3], b->mac[4], b->mac[5]);
                add({Kind::EtherDream, name, AddressText(heard.from), etherdream::kCommandPort, b->bufferCapacity,
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
                    add({Kind::Idn, r->hostName, AddressText(from), ntohs(from.sin_port), std::nullopt, std::nullopt,
                         r->unitId});
        }
    }
    for (FoundDac &cube : cubes.get())
        found.push_back(std::move(cube));
    if (!cubeProblem.empty())
        problem = cubeProblem;
    return found;
}

} // namespace dac
