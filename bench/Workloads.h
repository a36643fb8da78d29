// Inputs and loops shared by the micro-benchmarks and lumivex-bench, so both
// measure the same work.
#pragma once

#include "ilda/IldaObj.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace bench {

// Deterministic pseudo-random bytes.
std::vector<std::uint8_t> RandomBytes(std::size_t size, std::uint32_t seed = 1);

// A valid point file of count points (at most 2000).
std::vector<std::uint8_t> PointFileBytes(int count);

// frames x points of a moving figure, coloured from the palette.
std::unique_ptr<TIldaFile> MakeIldaFile(int frames, int points);

// One ILDA point as the bare loop keeps it.
struct FlatPoint {
    std::int16_t x, y, z;
    std::uint8_t status, colorIndex;
};

// The ILDA records of bytes into one flat array: headers checked, format 0
// and 1, every read bounded. The floor TIldaFile's reader is compared to.
std::size_t DecodeIldaFlat(const std::vector<std::uint8_t> &bytes, std::vector<FlatPoint> &out);

// frames x points in ILDA format 0 that conform to the standard (numbered
// frames, the last-point bit, the end marker), written frame by frame.
void WriteLargeIldaFile(const std::filesystem::path &path, int frames, int points);

std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path &path);

// Writes size bytes to path: text lines of varying length when text is set,
// otherwise pseudo-random bytes. Written in 1 MiB blocks.
void WriteGeneratedFile(const std::filesystem::path &path, std::uint64_t size, bool text);

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::filesystem::path &Path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace bench
