#include "Export.h"

namespace lumivex {

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

} // namespace lumivex
