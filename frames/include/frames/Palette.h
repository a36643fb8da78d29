// Colours of indexed frames: the nearest entry of a palette, and a palette
// of at most 256 colours built from the colours a file uses.
#pragma once

#include "ilda/Codec.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

namespace frames {

// The index of the palette entry nearest to a colour (squared distance in
// RGB; the first of equals). Remembers recent answers: files repeat colours.
class NearestColor {
public:
    explicit NearestColor(std::span<const ilda::Color> palette);
    std::uint8_t Index(ilda::Color color);

private:
    std::vector<ilda::Color> palette_;
    struct Slot {
        ilda::Color color = 0xFFFFFFFF; // never a colour: 0x00BBGGRR
        std::uint8_t index = 0;
    };
    std::array<Slot, 4096> cache_{};
};

// True when color is one of the standard's 64 default colours.
bool OnDefaultPalette(ilda::Color color);

// Gathers the colours of lit points and builds a palette of 2 to 256 of
// them: every colour exactly when there are at most 256, else the means of
// 256 boxes cut from a 15-bit histogram (memory stays small either way).
class PaletteBuilder {
public:
    void Add(ilda::Color color);
    // False once a colour off the default palette was added.
    bool AllOnDefault() const { return allOnDefault_; }
    std::vector<ilda::Color> Build() const;

private:
    struct Bin {
        std::uint64_t count = 0, r = 0, g = 0, b = 0;
    };
    void Spill();

    std::unordered_map<ilda::Color, std::uint64_t> exact_; // until more than 256
    std::vector<Bin> bins_;                                // 32768 once spilled
    ilda::Color last_ = 0xFFFFFFFF;
    bool allOnDefault_ = true;
};

} // namespace frames
