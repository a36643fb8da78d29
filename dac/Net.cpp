#include "dac/Net.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace dac {

Socket &Socket::operator=(Socket &&other) noexcept
{
    if (this != &other) {
        Close();
        fd_ = other.Release();
    }
    return *this;
}

Socket::~Socket()
{
    Close();
}

int Socket::Release()
{
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void Socket::Close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

std::optional<sockaddr_in> Resolve(const std::string &host, std::uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) == 1)
        return address;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo *found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
        return std::nullopt;
    address.sin_addr = reinterpret_cast<const sockaddr_in *>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return address;
}

std::string AddressText(const sockaddr_in &address)
{
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return text;
}

Socket UdpSocket(const sockaddr_in *bindTo, bool broadcast, bool reuse)
{
    Socket socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!socket.Valid())
        return socket;
    const int on = 1;
    if (broadcast)
        setsockopt(socket.Fd(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    if (reuse) {
        setsockopt(socket.Fd(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        setsockopt(socket.Fd(), SOL_SOCKET, SO_REUSEPORT, &on, sizeof on);
    }
    if (bindTo && ::bind(socket.Fd(), reinterpret_cast<const sockaddr *>(bindTo), sizeof *bindTo) != 0)
        socket.Close();
    return socket;
}

Socket TcpConnect(const sockaddr_in &address, std::chrono::milliseconds timeout)
{
    Socket socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket.Valid())
        return socket;
    if (::connect(socket.Fd(), reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS)
            return Socket();
        pollfd p{socket.Fd(), POLLOUT, 0};
        int error = 0;
        socklen_t length = sizeof error;
        if (::poll(&p, 1, static_cast<int>(timeout.count())) != 1 ||
            getsockopt(socket.Fd(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
            return Socket();
    }
    const int flags = fcntl(socket.Fd(), F_GETFL);
    fcntl(socket.Fd(), F_SETFL, flags & ~O_NONBLOCK);
    const int on = 1;
    setsockopt(socket.Fd(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return socket;
}

Socket TcpListen(const sockaddr_in &address)
{
    Socket socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const int on = 1;
    if (!socket.Valid() || setsockopt(socket.Fd(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        ::bind(socket.Fd(), reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(socket.Fd(), 4) != 0)
        return Socket();
    return socket;
}

bool WaitReadable(int fd, std::chrono::microseconds timeout)
{
    pollfd p{fd, POLLIN, 0};
    const long long us = std::max<long long>(0, timeout.count());
    const timespec wait{static_cast<time_t>(us / 1'000'000), static_cast<long>(us % 1'000'000 * 1000)};
    return ::ppoll(&p, 1, &wait, nullptr) == 1;
}

bool SendAll(int fd, std::span<const std::uint8_t> bytes)
{
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        bytes = bytes.subspan(static_cast<std::size_t>(sent));
    }
    return true;
}

bool ReceiveExact(int fd, std::span<std::uint8_t> out, Clock::time_point deadline)
{
    while (!out.empty()) {
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
        if (left.count() < 0 || !WaitReadable(fd, left))
            return false;
        const ssize_t got = ::recv(fd, out.data(), out.size(), 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        out = out.subspan(static_cast<std::size_t>(got));
    }
    return true;
}

std::vector<sockaddr_in> InterfaceBroadcasts(std::uint16_t port)
{
    std::vector<sockaddr_in> out;
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0)
        return out;
    for (const ifaddrs *i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !(i->ifa_flags & IFF_UP) ||
            !(i->ifa_flags & IFF_BROADCAST) || !i->ifa_broadaddr)
            continue;
        sockaddr_in address = *reinterpret_cast<const sockaddr_in *>(i->ifa_broadaddr);
        address.sin_port = htons(port);
        out.push_back(address);
    }
    freeifaddrs(list);
    return out;
}

} // namespace dac
