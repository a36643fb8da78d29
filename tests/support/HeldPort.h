// A loopback port number kept from everyone else while the object lives,
// for a program that must be told its port before it opens it. The socket
// that keeps it takes nothing meant for the port: a TCP one never listens,
// a UDP one is connected elsewhere, and each lets our own program open the
// port beside it.
#pragma once

#include <cstdint>

namespace testsupport {

class HeldPort {
public:
    enum class Protocol { Tcp, Udp };

    explicit HeldPort(Protocol protocol);
    ~HeldPort();
    HeldPort(const HeldPort &) = delete;
    HeldPort &operator=(const HeldPort &) = delete;

    std::uint16_t Number() const { return number_; }

private:
    int fd_ = -1;
    std::uint16_t number_ = 0;
};

} // namespace testsupport
