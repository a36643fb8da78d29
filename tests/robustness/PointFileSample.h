// A valid point file for the robustness tests.
#pragma once

#include <algorithm>
#include <string>

namespace robustness
{

// A valid point file of n points (n + 1 samples per axis), samples on a
// figure that uses the whole signed range.
inline std::string PointFileBytes(unsigned n)
{
    std::string file(64, '\0');
    const std::string title = "Lumivex robustness";
    std::copy(title.begin(), title.end(), file.begin());
    file[48] = static_cast<char>(n / 255);
    file[49] = static_cast<char>(n % 255);
    for (int axis = 0; axis < 2; ++axis) {
        for (unsigned k = 0; k <= n; ++k) {
            const unsigned v = axis == 0 ? k * 37u + 11u : k * k * 13u + 5u;
            file += static_cast<char>(v & 0xFF);
        }
    }
    return file;
}

} // namespace robustness
