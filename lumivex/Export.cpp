#include "lumivex/Export.h"

#include "ilda/Reading.h"

namespace lumivex {

namespace {

// The index of the standard default palette that shows color, or the
// nearest one.
std::uint8_t DefaultPaletteIndex(TColor color)
{
    auto distance = [color](ilda::Color c) {
        long d = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const long delta = long((c >> shift) & 0xFF) - long((color >> shift) & 0xFF);
            d += delta * delta;
        }
        return d;
    };
    std::size_t best = 0;
    for (std::size_t i = 1; i < ilda::kDefaultPalette.size(); ++i)
        if (distance(ilda::kDefaultPalette[i]) < distance(ilda::kDefaultPalette[best]))
            best = i;
    return static_cast<std::uint8_t>(best);
}

} // namespace

std::unique_ptr<TIldaFile> BuildIldaExport(const SampleBuffer &xBuf, const SampleBuffer &yBuf, std::uint16_t ptCount,
                                           TColor color)
{
    auto file = std::make_unique<TIldaFile>();
    auto frame = std::make_unique<TFrm>();
    const auto count = static_cast<std::size_t>(PlottedSampleCount(ptCount)); // at most the 2001 stored
    const std::uint8_t colorIndex = ColorToIlda(color);
    frame->Reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::int32_t x = (std::int32_t{xBuf[i]} - 128) * 255;
        const std::int32_t y = (128 - std::int32_t{yBuf[i]}) * 255;
        const std::uint8_t status = i + 1 == count ? kLastPointStatus : 0;
        frame->AddPoint(x, y, 0, color, status, colorIndex);
    }
    file->Add(std::move(frame));
    return file;
}

std::unique_ptr<ilda::SectionWriter> BuildStandardExport(const SampleBuffer &xBuf, const SampleBuffer &yBuf,
                                                         std::uint16_t ptCount, TColor color, std::uint8_t format,
                                                         const std::string &name, const FramePreparation &prepare)
{
    const auto frame = BuildIldaExport(xBuf, yBuf, ptCount, color);
    const bool blank = ilda::IsIndexed(format) && color == clBlack;
    const std::uint8_t index = blank ? 0 : DefaultPaletteIndex(color);
    std::vector<ilda::Point> points;
    for (const Tpt &pt : frame->GetFrame(0)->Points()) {
        const TPtRec &p = pt.Data;
        ilda::Point point;
        point.x = static_cast<std::int16_t>(p.X);
        point.y = static_cast<std::int16_t>(p.Y);
        point.status = blank ? static_cast<std::uint8_t>(p.Status | ilda::kBlankingBit) : p.Status;
        point.colorIndex = index;
        point.color = color;
        points.push_back(point);
    }
    if (prepare && !points.empty()) {
        points = prepare(points);
        for (ilda::Point &point : points)
            point.status &= static_cast<std::uint8_t>(~ilda::kLastPointBit);
        points.back().status |= ilda::kLastPointBit;
    }
    ilda::Header header;
    header.format = format;
    header.name = ilda::NameField(name);
    header.company = ilda::NameField(kCompanyName);
    header.total = 1;
    auto file = std::make_unique<ilda::SectionWriter>();
    file->AddFrame(header, points);
    file->AddEndMarker(header);
    return file;
}

} // namespace lumivex
