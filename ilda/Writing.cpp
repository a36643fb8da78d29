#include "ilda/Writing.h"

#include "ilda/IldaObj.h"

namespace ilda {

namespace {

void AppendFrame(std::vector<std::uint8_t> &bytes_, Header header, std::span<const Point> points)
{
    if (!IsFrameFormat(header.format))
        throw EIldaFormatError("Format " + std::to_string(header.format) +
                               " holds no frame; frames are written in formats 0, 1, 4 and 5.");
    if (points.size() > 65535)
        throw EIldaLimitError("An ILDA frame holds at most 65535 points; this one has " +
                              std::to_string(points.size()) + ".");
    header.recordCount = static_cast<std::uint16_t>(points.size());
    const std::size_t recordSize = RecordSize(header.format);
    const std::size_t at = bytes_.size();
    bytes_.resize(at + kHeaderSize + points.size() * recordSize);
    EncodeHeader(header, bytes_.data() + at);
    std::uint8_t *out = bytes_.data() + at + kHeaderSize;
    for (const Point &point : points) {
        EncodePoint(header.format, point, out);
        out += recordSize;
    }
}

void AppendPalette(std::vector<std::uint8_t> &bytes_, Header header, std::span<const Color> colors)
{
    if (colors.size() > 65535)
        throw EIldaLimitError("An ILDA palette holds at most 65535 colours; this one has " +
                              std::to_string(colors.size()) + ".");
    header.format = kFormatPalette;
    header.recordCount = static_cast<std::uint16_t>(colors.size());
    const std::size_t at = bytes_.size();
    bytes_.resize(at + kHeaderSize + colors.size() * RecordSize(kFormatPalette));
    EncodeHeader(header, bytes_.data() + at);
    std::uint8_t *out = bytes_.data() + at + kHeaderSize;
    for (const Color color : colors) {
        EncodeColor(color, out);
        out += RecordSize(kFormatPalette);
    }
}

void AppendEndMarker(std::vector<std::uint8_t> &bytes_, Header header)
{
    header.recordCount = 0;
    const std::size_t at = bytes_.size();
    bytes_.resize(at + kHeaderSize);
    EncodeHeader(header, bytes_.data() + at);
}

} // namespace

void SectionWriter::AddFrame(Header header, std::span<const Point> points)
{
    AppendFrame(bytes_, header, points);
}

void SectionWriter::AddPalette(Header header, std::span<const Color> colors)
{
    AppendPalette(bytes_, header, colors);
}

void SectionWriter::AddEndMarker(Header header)
{
    AppendEndMarker(bytes_, header);
}

void SectionWriter::SaveToStream(rtl::TStream &stream)
{
    stream.WriteBuffer(bytes_.data(), bytes_.size());
}

void StreamWriter::AddFrame(Header header, std::span<const Point> points)
{
    AppendFrame(bytes_, header, points);
    flush();
}

void StreamWriter::AddPalette(Header header, std::span<const Color> colors)
{
    AppendPalette(bytes_, header, colors);
    flush();
}

void StreamWriter::AddEndMarker(Header header)
{
    AppendEndMarker(bytes_, header);
    flush();
}

void StreamWriter::flush()
{
    stream_.WriteBuffer(bytes_.data(), bytes_.size());
    bytes_.clear();
}

} // namespace ilda
