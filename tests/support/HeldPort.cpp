#include "HeldPort.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace testsupport {

namespace {

sockaddr_in Loopback(std::uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

// Bound to a free port, shared only with sockets that ask to share it; a
// UDP one connected to the discard port, which never speaks, so it hears
// nothing and the datagrams sent to the port go to the others.
bool Hold(int fd, bool udp)
{
    const int on = 1;
    const sockaddr_in any = Loopback(0), discard = Loopback(9);
    return fd >= 0 && ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0 &&
           (!udp || ::setsockopt(fd, SOL_SOCKET, SO_REUSEPORT, &on, sizeof on) == 0) &&
           ::bind(fd, reinterpret_cast<const sockaddr *>(&any), sizeof any) == 0 &&
           (!udp || ::connect(fd, reinterpret_cast<const sockaddr *>(&discard), sizeof discard) == 0);
}

} // namespace

HeldPort::HeldPort(Protocol protocol)
{
    const bool udp = protocol == Protocol::Udp;
    fd_ = ::socket(AF_INET, (udp ? SOCK_DGRAM : SOCK_STREAM) | SOCK_CLOEXEC, 0);
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    if (!Hold(fd_, udp) || ::getsockname(fd_, reinterpret_cast<sockaddr *>(&bound), &length) != 0) {
        if (fd_ >= 0)
            ::close(fd_);
        throw std::runtime_error("cannot hold a loopback port");
    }
    number_ = ntohs(bound.sin_port);
}

HeldPort::~HeldPort()
{
    ::close(fd_);
}

} // namespace testsupport
