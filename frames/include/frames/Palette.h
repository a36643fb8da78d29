// Colours of indexed frames: the nearest entry of a palette, and a palette
// of at most 256 colours built from the colours a file uses.
#pragma once

#include "frames/Repair.h"
#include "ilda/Codec.h"
#include "ilda/Writing.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

namespace frames {

// A lit colour below 1/16 of full on every channel gives no light worth
// drawing; black and such colours are written blanked in indexed frames.
bool TooDarkToLight(ilda::Color color);

// The index of the palette entry nearest to a colour (squared distance in
// RGB; the first of equals). A black entry is never chosen while another
// exists: it would put out a lit point. Remembers recent answers.
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

// Gathers the colours of lit points (too dark ones are left out) and builds a palette of 2 to 256 of
// them: every colour exactly when there are at most 256, else the means of
// 256 boxes cut from a 15-bit histogram (memory stays small either way).
class PaletteBuilder {
public:
    void Add(ilda::Color color);
    // False once a colour off the default palette was added.
    bool AllOnDefault() const { return allOnDefault_; }
    std::vector<ilda::Color> Build() const;
    // The standard's palette when every colour is on it, else Build().
    std::vector<ilda::Color> BuildOrDefault() const;

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

// A palette of 2 to 256 colours, as the standard wants it; changed tells
// whether colors had to be cut or filled.
std::vector<ilda::Color> ConformPalette(std::vector<ilda::Color> colors, bool &changed);

// Indexed frames under the palette they need: a palette section goes to
// the writer whenever the palette changes (the standard's needs none at
// the start), and lit colours are matched to it.
class PaletteWriter {
public:
    explicit PaletteWriter(ilda::StreamWriter &writer) : writer_(writer) {}

    // Makes colors the palette in effect.
    void Use(const std::vector<ilda::Color> &colors);
    // Gives every point its index on the palette in effect: a blanked
    // point and one too dark to light are written blanked, index 0.
    void Match(std::span<ilda::Point> points, RepairCounts &counts);

private:
    ilda::StreamWriter &writer_;
    std::vector<ilda::Color> current_;
    std::optional<NearestColor> nearest_;
    std::size_t palettes_ = 0;
};

} // namespace frames
