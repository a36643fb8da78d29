// The few socket operations the senders, the discovery and the emulators
// share: IPv4, POSIX sockets, every wait bounded.
#pragma once

#include <netinet/in.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace dac {

using Clock = std::chrono::steady_clock;

// A socket closed when it goes.
class Socket {
public:
    Socket() = default;
    explicit Socket(int fd) : fd_(fd) {}
    Socket(Socket &&other) noexcept : fd_(other.Release()) {}
    Socket &operator=(Socket &&other) noexcept;
    ~Socket();
    int Fd() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    int Release();
    void Close();

private:
    int fd_ = -1;
};

// host (a dotted address or a name) and port, resolved to IPv4.
std::optional<sockaddr_in> Resolve(const std::string &host, std::uint16_t port);
std::string AddressText(const sockaddr_in &address); // "a.b.c.d"

// A UDP socket; bound to bindTo when given. broadcast allows sending to
// broadcast addresses, reuse lets several listeners share a port.
Socket UdpSocket(const sockaddr_in *bindTo = nullptr, bool broadcast = false, bool reuse = false);
// A TCP connection, or an invalid socket when none came within timeout.
Socket TcpConnect(const sockaddr_in &address, std::chrono::milliseconds timeout);
Socket TcpListen(const sockaddr_in &address);

// True when fd has something to read within timeout (to the microsecond:
// a sender waiting for its next slot must not wake up to a millisecond late).
bool WaitReadable(int fd, std::chrono::microseconds timeout);
// The whole of bytes, or false (the peer is gone or the send failed).
bool SendAll(int fd, std::span<const std::uint8_t> bytes);
// Exactly out.size() bytes by deadline, or false.
bool ReceiveExact(int fd, std::span<std::uint8_t> out, Clock::time_point deadline);

// The broadcast address of each IPv4 interface that is up and has one.
std::vector<sockaddr_in> InterfaceBroadcasts(std::uint16_t port);

} // namespace dac
