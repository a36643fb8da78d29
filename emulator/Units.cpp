#include "Units.h"

#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace emu {

rtl::Result<Bound> Bind(const EmulatorOptions &options, std::uint16_t ownPort, bool stream)
{
    const std::uint16_t port = options.port ? options.port : options.anyPort ? 0 : ownPort;
    const auto address = dac::Resolve(options.address, port);
    if (!address)
        return rtl::Fail("cannot use the address " + options.address);
    Bound bound{stream ? dac::TcpListen(*address) : dac::UdpSocket(&*address), port};
    if (!bound.socket.Valid())
        return rtl::Fail("cannot listen on " + options.address + " port " + std::to_string(port) + ": " +
                         std::strerror(errno));
    sockaddr_in at{};
    socklen_t length = sizeof at;
    if (::getsockname(bound.socket.Fd(), reinterpret_cast<sockaddr *>(&at), &length) == 0)
        bound.port = ntohs(at.sin_port);
    return bound;
}

} // namespace emu
