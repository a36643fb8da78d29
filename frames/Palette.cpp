#include "frames/Palette.h"

#include "ilda/Reading.h"

#include <algorithm>

namespace frames {

namespace {

long Distance(ilda::Color a, ilda::Color b)
{
    long d = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const long delta = long((a >> shift) & 0xFF) - long((b >> shift) & 0xFF);
        d += delta * delta;
    }
    return d;
}

std::size_t BinOf(ilda::Color c)
{
    return (c >> 3 & 0x1F) | (c >> 11 & 0x1F) << 5 | (c >> 19 & 0x1F) << 10;
}

} // namespace

bool TooDarkToLight(ilda::Color color)
{
    constexpr ilda::Color kDark = 256 / 16;
    return (color & 0xFF) < kDark && (color >> 8 & 0xFF) < kDark && (color >> 16 & 0xFF) < kDark;
}

NearestColor::NearestColor(std::span<const ilda::Color> palette) : palette_(palette.begin(), palette.end()) {}

std::uint8_t NearestColor::Index(ilda::Color color)
{
    Slot &slot = cache_[(color ^ color >> 12) & 0xFFF];
    if (slot.color == color)
        return slot.index;
    const std::size_t size = std::min<std::size_t>(palette_.size(), 256);
    std::size_t best = 0;
    while (best + 1 < size && (palette_[best] & 0xFFFFFF) == 0)
        ++best;
    for (std::size_t i = best + 1; i < size; ++i)
        if ((palette_[i] & 0xFFFFFF) != 0 && Distance(palette_[i], color) < Distance(palette_[best], color))
            best = i;
    slot = {color, static_cast<std::uint8_t>(best)};
    return slot.index;
}

bool OnDefaultPalette(ilda::Color color)
{
    return std::find(ilda::kDefaultPalette.begin(), ilda::kDefaultPalette.end(), color) != ilda::kDefaultPalette.end();
}

void PaletteBuilder::Add(ilda::Color color)
{
    if (color == last_ || TooDarkToLight(color))
        return;
    last_ = color;
    if (allOnDefault_ && !OnDefaultPalette(color))
        allOnDefault_ = false;
    if (bins_.empty()) {
        ++exact_[color];
        if (exact_.size() > 256)
            Spill();
        return;
    }
    Bin &bin = bins_[BinOf(color)];
    ++bin.count;
    bin.r += color & 0xFF;
    bin.g += color >> 8 & 0xFF;
    bin.b += color >> 16 & 0xFF;
}

void PaletteBuilder::Spill()
{
    bins_.resize(32768);
    const auto exact = std::move(exact_);
    exact_.clear();
    for (const auto &[color, n] : exact) {
        Bin &bin = bins_[BinOf(color)];
        bin.count += n;
        bin.r += (color & 0xFF) * n;
        bin.g += (color >> 8 & 0xFF) * n;
        bin.b += (color >> 16 & 0xFF) * n;
    }
}

std::vector<ilda::Color> PaletteBuilder::Build() const
{
    std::vector<ilda::Color> colors;
    if (bins_.empty()) {
        for (const auto &[color, n] : exact_)
            colors.push_back(color);
        std::sort(colors.begin(), colors.end());
    } else {
        // Median cut over the occupied bins, weighted by their counts.
        struct Entry {
            int r, g, b;
            const Bin *bin;
        };
        std::vector<Entry> entries;
        for (std::size_t i = 0; i < bins_.size(); ++i)
            if (bins_[i].count)
                entries.push_back({int(i & 0x1F), int(i >> 5 & 0x1F), int(i >> 10), &bins_[i]});
        std::vector<std::pair<std::size_t, std::size_t>> boxes{{0, entries.size()}};
        auto spread = [&](const std::pair<std::size_t, std::size_t> &box, int &channel) {
            int lo[3] = {31, 31, 31}, hi[3] = {0, 0, 0};
            for (std::size_t i = box.first; i < box.second; ++i) {
                const int v[3] = {entries[i].r, entries[i].g, entries[i].b};
                for (int c = 0; c < 3; ++c) {
                    lo[c] = std::min(lo[c], v[c]);
                    hi[c] = std::max(hi[c], v[c]);
                }
            }
            channel = 0;
            for (int c = 1; c < 3; ++c)
                if (hi[c] - lo[c] > hi[channel] - lo[channel])
                    channel = c;
            return hi[channel] - lo[channel];
        };
        while (boxes.size() < 256) {
            std::size_t widest = boxes.size();
            int best = 0, channel = 0;
            for (std::size_t i = 0; i < boxes.size(); ++i) {
                int c = 0;
                const int s = spread(boxes[i], c);
                if (s > best) {
                    best = s;
                    widest = i;
                    channel = c;
                }
            }
            if (widest == boxes.size())
                break;
            auto [first, last] = boxes[widest];
            auto key = [channel](const Entry &e) { return channel == 0 ? e.r : channel == 1 ? e.g : e.b; };
            std::sort(entries.begin() + first, entries.begin() + last,
                      [&](const Entry &x, const Entry &y) { return key(x) < key(y); });
            std::uint64_t total = 0, half = 0;
            for (std::size_t i = first; i < last; ++i)
                total += entries[i].bin->count;
            std::size_t cut = first + 1;
            for (std::size_t i = first; i + 1 < last; ++i) {
                half += entries[i].bin->count;
                cut = i + 1;
                if (half * 2 >= total)
                    break;
            }
            boxes[widest] = {first, cut};
            boxes.push_back({cut, last});
        }
        for (const auto &[first, last] : boxes) {
            std::uint64_t n = 0, r = 0, g = 0, b = 0;
            for (std::size_t i = first; i < last; ++i) {
                n += entries[i].bin->count;
                r += entries[i].bin->r;
                g += entries[i].bin->g;
                b += entries[i].bin->b;
            }
            colors.push_back(ilda::Rgb(std::uint8_t(r / n), std::uint8_t(g / n), std::uint8_t(b / n)));
        }
    }
    // The standard wants at least two colours.
    while (colors.size() < 2)
        colors.push_back(colors.empty() || colors[0] != 0 ? ilda::Rgb(0, 0, 0) : ilda::Rgb(255, 255, 255));
    return colors;
}

std::vector<ilda::Color> PaletteBuilder::BuildOrDefault() const
{
    if (allOnDefault_)
        return {ilda::kDefaultPalette.begin(), ilda::kDefaultPalette.end()};
    return Build();
}

std::vector<ilda::Color> ConformPalette(std::vector<ilda::Color> colors, bool &changed)
{
    changed = colors.size() < 2 || colors.size() > 256;
    colors.resize(std::clamp<std::size_t>(colors.size(), 2, 256), ilda::Rgb(0, 0, 0));
    return colors;
}

void PaletteWriter::Use(const std::vector<ilda::Color> &colors)
{
    if (nearest_ && colors == current_)
        return;
    const bool first = !nearest_;
    current_ = colors;
    nearest_.emplace(current_);
    if (first &&
        std::equal(current_.begin(), current_.end(), ilda::kDefaultPalette.begin(), ilda::kDefaultPalette.end()))
        return; // in effect without a word
    // Bytes 26 and 27 number the palettes; 28 and 29 stay 0.
    ilda::Header header;
    header.name = ilda::NameField("palette");
    header.number = static_cast<std::uint16_t>(palettes_++);
    writer_.AddPalette(header, current_);
}

void PaletteWriter::Match(std::span<ilda::Point> points, RepairCounts &counts)
{
    for (ilda::Point &p : points) {
        if (!p.Blanked() && TooDarkToLight(p.color)) {
            p.status |= ilda::kBlankingBit;
            p.color = 0;
            ++counts.darkBlanked;
        }
        p.colorIndex = p.Blanked() ? 0 : nearest_->Index(p.color);
    }
}

} // namespace frames
