// ILDA files: the frame list stored in the laser-frame interchange format,
// with its writer, its reader and the colour palette of indexed points.
#pragma once

#include "model/PtObject.h"
#include "rtl/SysUtils.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The built-in 16-colour palette by ILDA colour index (0x00BBGGRR);
// 16 and above are blue.
constexpr std::uint32_t PaletteColor(std::uint8_t index)
{
    constexpr std::uint32_t base[16] = {
        0x000000, 0x0000FF, 0x00FFFF, 0xFF0000, 0x00FFFF, 0xFFFF00, 0xFF80FF, 0xFFFFFF,
        0x00FF80, 0x008080, 0x000080, 0x800000, 0x800080, 0x80FFFF, 0x808080, 0xFF00FF,
    };
    return index < 16 ? base[index] : 0xFF0000;
}

// Screen colour of every ILDA colour index; ready before any code runs.
extern std::array<std::uint32_t, 256> ColorTable;

// Fills ColorTable from PaletteColor, index 0 upward.
void BuildColorTable();

// A frame list too large for the 16-bit counts of an ILDA file.
class EIldaLimitError : public rtl::Exception {
public:
    using rtl::Exception::Exception;
};

// A section the writer cannot lay out: a frame in a format that holds no
// points (2, 3) or a format code the standard does not define (6 and up).
class EIldaFormatError : public rtl::Exception {
public:
    using rtl::Exception::Exception;
};

class TIldaFile : public TFrameList {
public:
    static constexpr std::size_t HeaderSize = 32;
    static constexpr int MaxFrames = 65535;
    static constexpr int MaxPoints = 65535;

    // Template for the header bytes the writer does not compute.
    std::array<std::uint8_t, HeaderSize> Header{};
    // Progress of a save or a load; unset by default.
    std::function<void(bool Finished, float Fraction)> OnProgress;
    // The messages the last LoadFromStream showed, in order, for callers
    // that report them themselves.
    std::vector<std::string> LoadMessages;

    // The ILDA reader. Replaces the frames with those of the file at the
    // stream's position (format codes 0 and 1). Data that ends before what
    // the headers announce keeps what was complete and says
    // "Unexpected end of file." once.
    void LoadFromStream(rtl::TStream &stream) override;
    // The ILDA writer: one format-0 section per frame. An empty list only
    // shows "There appears to be no image to save."; more than 65535 frames
    // or points in a frame raise EIldaLimitError before a byte is written.
    void SaveToStream(rtl::TStream &stream) override;

    void WriteHeader(rtl::TStream &stream, int FrameIndex);
    // Coordinates outside -32768 .. 32767 are clamped.
    void WritePoints(rtl::TStream &stream, int FrameIndex);

    // Total frames of the header at the stream's position, which it leaves
    // where it was. Not an ILDA header: "File error.  " and 0. A stream that
    // cannot go back raises its rtl::EStreamError.
    static int ReadFrameCount(rtl::TStream &stream);

    static void RebuildColorTable() { BuildColorTable(); }
    static std::uint32_t IndexToColor(std::uint8_t index) { return index == 255 ? 0xFF0000u : ColorTable[index]; }

private:
    // Shows text and keeps it in LoadMessages.
    void Say(const std::string &text);
};
