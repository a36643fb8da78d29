// Writes the seed corpus of every fuzz target into OUTDIR/<target>/: valid
// point files, ILDA files, native images, DAC messages and SVG drawings made
// by our own code, and cuts of them at the places where parsers go wrong.
#include "SeedIlda.h"
#include "SeedNet.h"
#include "SeedSvg.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

void WriteSeed(const fs::path &dir, const std::string &name, const Bytes &bytes)
{
    fs::create_directories(dir);
    std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write seed " + (dir / name).string());
}

// The bytes and their cuts at each offset that lies inside them.
void WriteWithCuts(const fs::path &dir, const std::string &stem, const Bytes &bytes,
                   std::initializer_list<std::size_t> cuts)
{
    WriteSeed(dir, stem, bytes);
    for (const std::size_t cut : cuts) {
        if (cut < bytes.size()) {
            WriteSeed(dir, stem + "-cut" + std::to_string(cut),
                      Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut)));
        }
    }
}

// A point file with header bytes hi, lo and `samples` samples per axis on a
// circle (fewer or more than the header announces when asked to).
Bytes PointFile(std::uint8_t hi, std::uint8_t lo, unsigned samples)
{
    Bytes file(64, 0);
    const std::string title = "Lumivex fuzz seed";
    std::copy(title.begin(), title.end(), file.begin());
    file[48] = hi;
    file[49] = lo;
    for (int axis = 0; axis < 2; ++axis) {
        for (unsigned k = 0; k < samples; ++k) {
            const double a = 6.283185307179586 * k / (samples ? samples : 1);
            const double v = 100.0 * (axis == 0 ? std::cos(a) : std::sin(a));
            file.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(std::lround(v))));
        }
    }
    return file;
}

Bytes PointFile(unsigned n)
{
    return PointFile(static_cast<std::uint8_t>(n / 255), static_cast<std::uint8_t>(n % 255), n + 1);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds OUTDIR\n");
        return 2;
    }
    try {
        const fs::path out = argv[1];
        auto write = [](const fs::path &dir, const std::string &name, const Bytes &bytes) {
            WriteSeed(dir, name, bytes);
        };
        // Point files, and the same bytes for the hex dump behind its nine
        // position bytes (start at 0, near 0x100000, anywhere).
        for (const unsigned n : {0u, 1u, 9u, 10u, 11u, 31u, 32u, 33u, 255u, 600u, 2000u}) {
            const Bytes file = PointFile(n);
            const std::string stem = "points-" + std::to_string(n);
            WriteWithCuts(out / "pointfile", stem, file, {0, 1, 48, 49, 50, 64, 65 + n, 66 + 2 * n - 1});
            for (const std::uint8_t mode : {0, 1, 3}) {
                Bytes dump{mode, 0x40, 0x12, 0, 0, 0, 0, 0x34, 0x01};
                dump.insert(dump.end(), file.begin(), file.end());
                WriteSeed(out / "hexdump", stem + "-mode" + std::to_string(mode), dump);
            }
        }
        WriteSeed(out / "pointfile", "count-2001", PointFile(0x07, 0xD8, 2002));
        WriteSeed(out / "pointfile", "count-65280", PointFile(0xFF, 0xFF, 16));
        WriteSeed(out / "pointfile", "count-255-as-0100", PointFile(0x01, 0x00, 256));
        WriteSeed(out / "hexdump", "empty", {});
        // Texts behind their repeat and seed bytes: short lines with LF, CR LF
        // and tabs; and each byte repeated 64 times (230), so long runs
        // without a line feed cross the line limit and the anchors.
        const std::string lines = "one\ntwo\r\n\tthree\r\n\n\rfour\tfive";
        WriteSeed(out / "textlines", "short-lines", [&] {
            Bytes b{0, 7};
            b.insert(b.end(), lines.begin(), lines.end());
            return b;
        }());
        WriteSeed(out / "textlines", "long-runs", [] {
            Bytes b{230, 1};
            for (int i = 0; i < 2000; ++i)
                b.push_back(i % 300 == 299 ? '\n' : 'x');
            return b;
        }());
        fuzzseeds::WriteIldaSeeds(out, write);
        fuzzseeds::WriteNetSeeds(out, write);
        fuzzseeds::WriteSvgSeeds(out, write);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "fuzz_seeds: %s\n", e.what());
        return 1;
    }
    return 0;
}
