// Finding DACs: Ether Dream units by the broadcast each sends every second,
// IDN units and LaserCubes by a request sent to each interface's broadcast
// address and to the addresses given.
#pragma once

#include "dac/Stream.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dac {

struct FoundDac {
    Kind kind = Kind::EtherDream;
    std::string name;
    std::string address;
    std::uint16_t port = 0;
    std::optional<std::uint32_t> capacity; // points; IDN units report none
    std::optional<std::uint32_t> maxRate;  // points a second; IDN units report none
    std::array<std::uint8_t, 16> unitId{}; // IDN: the one unit however many ports it answers from
    std::size_t unit = 0;                  // a USB unit's number (helios:N)
    // "etherdream:HOST:PORT" or "helios:N", as --dac takes it; a LaserCube
    // on its usual port is "lasercube:HOST".
    std::string Target() const;
};

struct DiscoveryOptions {
    std::chrono::milliseconds timeout{1500};
    std::vector<std::string> addresses; // HOST or HOST:PORT, also scanned for IDN units
    bool broadcast = true;              // scan each interface's broadcast address
    std::uint16_t etherDreamPort = 7654;
    std::uint16_t idnPort = 7255;
    std::vector<std::string> laserCubeAddresses; // HOST or HOST:PORT (its command port)
    std::uint16_t laserCubePort = 45457;
};

// The DACs that answered within the timeout, each once, in the order heard.
// problem tells when a socket could not be opened (the search goes on with
// what it has).
std::vector<FoundDac> Discover(const DiscoveryOptions &options, std::string &problem);
// LaserCubes alone: a full-info request to each interface's broadcast
// address (when options.broadcast) and to laserCubeAddresses.
std::vector<FoundDac> DiscoverLaserCubes(const DiscoveryOptions &options, std::string &problem);

// The Helios units plugged in, appended to found; problem tells when the
// USB devices could not be listed.
void FindUsbDacs(std::vector<FoundDac> &found, std::string &problem);

} // namespace dac
