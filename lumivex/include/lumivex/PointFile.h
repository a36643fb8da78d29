// Decoding of a Lumivex point file: the count, the samples, the plot
// coordinates, the listing lines and the label texts. The window and the
// command line both show what this returns, so they cannot disagree.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace rtl {
class TStream;
}

namespace lumivex {

constexpr std::uint16_t kMaxPointCount = 2000;
constexpr std::size_t kSampleCapacity = kMaxPointCount + 1;
using SampleBuffer = std::array<std::uint8_t, kSampleCapacity>;

enum class PointFileVerdict {
    Accepted,
    TooManyPoints, // N above 2000
    Truncated,     // the file holds fewer than 66 + 2N bytes
};

struct PointFile {
    PointFileVerdict verdict = PointFileVerdict::Accepted;
    std::uint16_t ptCount = 0; // N = H * 255 + L; 0 for files under 50 bytes
    std::uint64_t fileSize = 0;
    bool ildaSignature = false;       // the first four bytes are "ILDA"
    std::vector<std::string> listing; // the list box lines; a rejected file: the one count line
    std::string message;              // a rejected file: the text to show the user
    SampleBuffer xBuf{};              // accepted only: plot X of samples 0 .. N
    SampleBuffer yBuf{};              // accepted only: plot Y of samples 0 .. N

    bool accepted() const { return verdict == PointFileVerdict::Accepted; }
};

// Never reads outside bytes, whatever the header claims.
PointFile DecodePointFile(std::span<const std::uint8_t> bytes);

// All that decoding ever reads: the header and 2001 samples per axis.
constexpr std::size_t kPointFileHeadBytes = 64 + 2 * kSampleCapacity;

// The same from the first bytes of a file of fileSize bytes (head holds at
// least min(fileSize, kPointFileHeadBytes) of them), so a huge file need not
// be read whole. A head shorter than the samples need counts as truncated.
PointFile DecodePointFileHead(std::span<const std::uint8_t> head, std::uint64_t fileSize);

// Reads as much of the file as decoding can use and decodes it. A file that
// cannot be opened: rtl::EFOpenError "Cannot open file NAME".
PointFile ReadPointFile(const std::string &fileName);
// The same from a stream's start.
PointFile ReadPointFile(rtl::TStream &stream);

// The file-info texts of the window (lFlNm, pFlNm, lFlSz, lPts, lFlStr).
struct FileLabels {
    std::string fileName;  // "Filename " + name
    std::string panelName; // name
    std::string fileSize;  // "File size in bytes: " + size
    std::string points;    // "File points:   " + N
    std::string structure; // "File Structure: 2 bytes per pt. X values before Y values"
};

FileLabels PointFileLabels(const std::string &curFileName, const PointFile &file);

// The labels after an ILDA file was saved under curFileName from ptCount
// samples: size "Hmm..", points ptCount - 10 but never below 0.
FileLabels IldaFileLabels(const std::string &curFileName, std::uint16_t ptCount);

// How many samples the plot draws and the export writes: N - 9, or 0 below 10.
int PlottedSampleCount(std::uint16_t ptCount);

} // namespace lumivex
