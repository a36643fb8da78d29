// Builds point files in memory for the tests.
#pragma once

#include <cstdint>
#include <vector>

namespace lumivex::test {

// A file with header bytes h/l at 48/49 and count + 1 X then Y samples; the
// sample bytes are x(k) and y(k).
template <typename FX, typename FY>
std::vector<std::uint8_t> MakePointFile(std::uint8_t h, std::uint8_t l, std::size_t samples, FX x, FY y)
{
    std::vector<std::uint8_t> bytes(64 + 2 * samples, 0);
    bytes[48] = h;
    bytes[49] = l;
    for (std::size_t k = 0; k < samples; ++k) {
        bytes[64 + k] = x(k);
        bytes[64 + samples + k] = y(k);
    }
    return bytes;
}

// A valid file of count points (count <= 2000) with X sample k = k and Y sample k = 255 - k.
inline std::vector<std::uint8_t> MakeCountFile(unsigned count)
{
    return MakePointFile(static_cast<std::uint8_t>(count / 255), static_cast<std::uint8_t>(count % 255), count + 1,
                         [](std::size_t k) { return static_cast<std::uint8_t>(k); },
                         [](std::size_t k) { return static_cast<std::uint8_t>(255 - k); });
}

} // namespace lumivex::test
