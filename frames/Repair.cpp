#include "frames/Repair.h"

namespace frames {

namespace {

std::string Count(std::size_t n, const char *one, const char *many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

RepairCounts &RepairCounts::operator+=(const RepairCounts &o)
{
    lastBitSet += o.lastBitSet;
    lastBitEarly += o.lastBitEarly;
    reservedStatus += o.reservedStatus;
    reservedHeader += o.reservedHeader;
    renumbered += o.renumbered;
    indexBeyond += o.indexBeyond;
    darkBlanked += o.darkBlanked;
    emptyFrames += o.emptyFrames;
    paletteSize += o.paletteSize;
    tables += o.tables;
    clipped += o.clipped;
    endMarker = endMarker || o.endMarker;
    return *this;
}

void RepairStatus(std::span<ilda::Point> points, RepairCounts &counts)
{
    bool early = false;
    for (std::size_t i = 0; i < points.size(); ++i) {
        ilda::Point &p = points[i];
        if (p.status & ilda::kReservedStatusBits) {
            ++counts.reservedStatus;
            p.status &= static_cast<std::uint8_t>(~ilda::kReservedStatusBits);
        }
        const bool last = i + 1 == points.size();
        if (p.Last() && !last) {
            early = true;
            p.status &= static_cast<std::uint8_t>(~ilda::kLastPointBit);
        } else if (last && !p.Last()) {
            ++counts.lastBitSet;
            p.status |= ilda::kLastPointBit;
        }
    }
    counts.lastBitEarly += early;
}

void RepairIndices(std::span<ilda::Point> points, std::span<const ilda::Color> palette, RepairCounts &counts)
{
    if (palette.empty() || palette.size() >= 256)
        return;
    for (ilda::Point &p : points) {
        if (p.colorIndex >= palette.size()) {
            p.colorIndex = 0;
            p.status |= ilda::kBlankingBit;
            p.color = 0;
            ++counts.indexBeyond;
        }
    }
}

void NumberFrame(ilda::Header &header, FramePlace source, FramePlace output, RepairCounts &counts)
{
    if (header.number != source.number || header.total != source.total)
        ++counts.renumbered;
    header.number = static_cast<std::uint16_t>(output.number);
    header.total = static_cast<std::uint16_t>(output.total);
}

ilda::Header EndMarker(std::size_t total)
{
    ilda::Header end;
    end.total = static_cast<std::uint16_t>(total);
    return end;
}

std::vector<std::string> RepairLines(const RepairCounts &c)
{
    std::vector<std::string> lines;
    auto add = [&lines](std::size_t n, const std::string &text) {
        if (n)
            lines.push_back(text);
    };
    add(c.lastBitSet, "set the last-point bit on " + Count(c.lastBitSet, "frame", "frames"));
    add(c.lastBitEarly, "cleared early last-point bits on " + Count(c.lastBitEarly, "frame", "frames"));
    add(c.reservedStatus, "cleared reserved status bits on " + Count(c.reservedStatus, "point", "points"));
    add(c.reservedHeader, "cleared reserved header bytes in " + Count(c.reservedHeader, "section", "sections"));
    add(c.renumbered, "renumbered " + Count(c.renumbered, "frame", "frames") + " (frame number or total)");
    add(c.indexBeyond, "blanked " + Count(c.indexBeyond, "point", "points") + " indexing beyond the palette");
    add(c.darkBlanked, "blanked " + Count(c.darkBlanked, "lit point", "lit points") +
                           " darker than 1/16 on every channel (no palette colour shows them)");
    add(c.emptyFrames, "dropped " + Count(c.emptyFrames, "frame", "frames") + " without points");
    add(c.paletteSize, "cut or filled " + Count(c.paletteSize, "palette", "palettes") + " to 2 to 256 colours");
    add(c.tables, "matched the colours of " + Count(c.tables, "format 3 table", "format 3 tables") + " to the palette");
    add(c.clipped, "clipped " + Count(c.clipped, "point", "points") + " outside -32768 to 32767 at the edge");
    add(c.endMarker, "wrote the missing end marker");
    return lines;
}

} // namespace frames
