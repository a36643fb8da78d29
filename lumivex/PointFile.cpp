#include "lumivex/PointFile.h"

#include "ilda/Codec.h"
#include "rtl/Classes.h"

#include <algorithm>

namespace lumivex {

namespace {

constexpr std::size_t kCountOffset = 48;
constexpr std::size_t kSampleOffset = 64;
constexpr std::size_t kValuesPerRow = 32;
constexpr char kHexDigits[] = "0123456789ABCDEF";

void appendHexByte(std::string &row, std::uint8_t b)
{
    row.push_back(kHexDigits[b >> 4]);
    row.push_back(kHexDigits[b & 0x0F]);
    row.push_back(' ');
}

std::string columnLine()
{
    std::string line;
    line.reserve(kValuesPerRow * 3);
    for (std::size_t i = 0; i < kValuesPerRow; ++i)
        appendHexByte(line, static_cast<std::uint8_t>(i));
    return line;
}

// Lists count samples from bytes in rows of 32 and stores transform(b) for each.
template <typename Transform>
void listAxis(std::span<const std::uint8_t> samples, SampleBuffer &store, std::vector<std::string> &listing,
              Transform transform)
{
    std::string row;
    row.reserve(kValuesPerRow * 3);
    std::size_t inRow = 0;
    for (std::size_t k = 0; k < samples.size(); ++k) {
        if (inRow == kValuesPerRow) {
            listing.push_back(std::move(row));
            row.clear();
            row.reserve(kValuesPerRow * 3);
            inRow = 0;
        }
        appendHexByte(row, samples[k]);
        ++inRow;
        store[k] = transform(samples[k]);
    }
    listing.push_back(std::move(row));
}

} // namespace

PointFile DecodePointFile(std::span<const std::uint8_t> bytes)
{
    return DecodePointFileHead(bytes, bytes.size());
}

PointFile DecodePointFileHead(std::span<const std::uint8_t> bytes, std::uint64_t fileSize)
{
    PointFile file;
    file.fileSize = fileSize;
    const std::uint64_t usable = std::min<std::uint64_t>(bytes.size(), fileSize);
    file.ildaSignature = usable >= 4 && ilda::HasSignature(bytes.data());
    // The high byte counts 255, not 256: that is how the files were written.
    if (usable >= kCountOffset + 2)
        file.ptCount = static_cast<std::uint16_t>(bytes[kCountOffset] * 255 + bytes[kCountOffset + 1]);

    const std::string countLine = std::to_string(file.ptCount) + " Points";
    if (file.ptCount > kMaxPointCount) {
        file.verdict = PointFileVerdict::TooManyPoints;
        file.listing.push_back(countLine);
        file.message = "Appears to be an invalid file with " + std::to_string(file.ptCount) + " Points.";
        return file;
    }

    const std::size_t samples = std::size_t{file.ptCount} + 1;
    const std::size_t needed = kSampleOffset + 2 * samples;
    if (usable < needed) {
        file.verdict = PointFileVerdict::Truncated;
        file.listing.push_back(countLine);
        file.message = "Appears to be a truncated file: " + std::to_string(file.ptCount) + " Points need " +
                       std::to_string(needed) + " bytes, the file holds " + std::to_string(fileSize) + ".";
        return file;
    }

    const std::size_t rowsPerAxis = (samples + kValuesPerRow - 1) / kValuesPerRow;
    file.listing.reserve(5 + 2 * rowsPerAxis);
    file.listing.push_back(columnLine());
    file.listing.push_back("X VALUES");
    listAxis(bytes.subspan(kSampleOffset, samples), file.xBuf, file.listing,
             [](std::uint8_t b) { return static_cast<std::uint8_t>(b - 128); });
    file.listing.emplace_back();
    file.listing.push_back("Y VALUES");
    listAxis(bytes.subspan(kSampleOffset + samples, samples), file.yBuf, file.listing,
             [](std::uint8_t b) { return static_cast<std::uint8_t>(128 - b); });
    return file;
}

FileLabels PointFileLabels(const std::string &curFileName, const PointFile &file)
{
    return FileLabels{
        "Filename " + curFileName,
        curFileName,
        "File size in bytes: " + std::to_string(file.fileSize),
        "File points:   " + std::to_string(file.ptCount),
        "File Structure: 2 bytes per pt. X values before Y values",
    };
}

FileLabels IldaFileLabels(const std::string &curFileName, std::uint16_t ptCount)
{
    // One less than the points written; a file of fewer than ten shows 0, not a negative count.
    const int written = PlottedSampleCount(ptCount);
    return FileLabels{
        "Filename " + curFileName,
        curFileName,
        "File size in bytes: Hmm..",
        "File points:   " + std::to_string(std::max(0, written - 1)),
        "Ilda File Structure: 8 bytes per pt.",
    };
}

int PlottedSampleCount(std::uint16_t ptCount)
{
    // The last ten samples are listed but neither drawn nor exported; and never
    // more than the buffers hold, whatever count a rejected file left behind.
    if (ptCount < 10)
        return 0;
    return std::min(int{ptCount} - 9, static_cast<int>(kSampleCapacity));
}

PointFile ReadPointFile(const std::string &fileName)
{
    rtl::TFileStream stream(fileName, rtl::TFileMode::OpenRead);
    return ReadPointFile(stream);
}

PointFile ReadPointFile(rtl::TStream &stream)
{
    const auto size = static_cast<std::uint64_t>(stream.Size());
    std::vector<std::uint8_t> head(static_cast<std::size_t>(std::min<std::uint64_t>(size, kPointFileHeadBytes)));
    const std::size_t got = stream.Read(head.data(), head.size());
    // A file that shrank since its size was taken is the bytes we saw.
    const bool cutShort = got < head.size();
    head.resize(got);
    return DecodePointFileHead(head, cutShort ? got : size);
}

} // namespace lumivex
