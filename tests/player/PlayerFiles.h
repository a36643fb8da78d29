// Small ILDA files for the player's tests, written through the program's
// own SectionWriter.
#pragma once

#include "ilda/Writing.h"

#include <optional>
#include <string>
#include <vector>

namespace playertest {

inline ilda::Point Lit(int x, int y, ilda::Color color = ilda::Rgb(255, 255, 255), std::uint8_t index = 0)
{
    return {.x = std::int16_t(x), .y = std::int16_t(y), .colorIndex = index, .color = color};
}

inline ilda::Point Dark(int x, int y)
{
    return {.x = std::int16_t(x), .y = std::int16_t(y), .status = ilda::kBlankingBit};
}

// frames in format, after a palette section when palette is given; frame
// names "f0", "f1", ...
inline void WriteIlda(const std::string &path, std::uint8_t format, std::vector<std::vector<ilda::Point>> frames,
                      const std::optional<std::vector<ilda::Color>> &palette = std::nullopt)
{
    ilda::SectionWriter file;
    ilda::Header header;
    if (palette) {
        header.name = ilda::NameField("pal");
        file.AddPalette(header, *palette);
    }
    header.format = format;
    header.total = static_cast<std::uint16_t>(frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (!frames[i].empty())
            frames[i].back().status |= ilda::kLastPointBit;
        header.name = ilda::NameField("f" + std::to_string(i));
        header.number = static_cast<std::uint16_t>(i);
        file.AddFrame(header, frames[i]);
    }
    header.number = static_cast<std::uint16_t>(frames.size());
    file.AddEndMarker(header);
    file.SaveToFile(path);
}

// count frames of a short white line each, moving right frame by frame.
inline void WriteMovingLine(const std::string &path, int count)
{
    std::vector<std::vector<ilda::Point>> frames;
    for (int i = 0; i < count; ++i)
        frames.push_back({Dark(-20000 + i * 100, 0), Lit(-20000 + i * 100, 0), Lit(-10000 + i * 100, 0)});
    WriteIlda(path, ilda::kFormat2dTrueColor, frames);
}

// A square in frame 0, then palettes sections of 65535 colours each
// (palettes of them), then a dot in frame 1.
inline void WriteFramesApartByPalettes(const std::string &path, int palettes)
{
    ilda::SectionWriter file;
    ilda::Header header;
    header.format = ilda::kFormat2dTrueColor;
    const ilda::Color red = ilda::Rgb(255, 0, 0);
    file.AddFrame(header, std::vector<ilda::Point>{Dark(-9000, -9000), Lit(9000, -9000, red), Lit(9000, 9000, red),
                                                   Lit(-9000, 9000, red), Lit(-9000, -9000, red)});
    const std::vector<ilda::Color> colors(65535, ilda::Rgb(1, 2, 3));
    for (int i = 0; i < palettes; ++i)
        file.AddPalette(header, colors);
    header.number = 1;
    file.AddFrame(header, std::vector<ilda::Point>{Lit(0, 0, red)});
    file.AddEndMarker(header);
    file.SaveToFile(path);
}

} // namespace playertest
