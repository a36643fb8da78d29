#include "ilda/IldaObj.h"

#include "ilda/Codec.h"
#include "rtl/Messages.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {

constexpr std::array<std::uint32_t, 256> MakeColorTable()
{
    std::array<std::uint32_t, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[static_cast<std::size_t>(i)] = PaletteColor(static_cast<std::uint8_t>(i));
    return table;
}

// Records travel in blocks rather than one stream call each.
constexpr std::size_t kRecordBlock = 4096;
constexpr std::size_t kLargestRecord = 8;

std::int16_t Clamp16(std::int32_t v)
{
    return static_cast<std::int16_t>(std::clamp<std::int32_t>(v, -32768, 32767));
}

// Reads up to count bytes, as many as the stream holds.
std::size_t ReadSome(rtl::TStream &stream, std::uint8_t *buffer, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        const std::size_t n = stream.Read(buffer + done, count - done);
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

} // namespace

constinit std::array<std::uint32_t, 256> ColorTable = MakeColorTable();

void BuildColorTable()
{
    for (int i = 0; i < 256; ++i)
        ColorTable[static_cast<std::size_t>(i)] = PaletteColor(static_cast<std::uint8_t>(i));
}

// ---- writer

void TIldaFile::SaveToStream(rtl::TStream &stream)
{
    const int frames = Count();
    if (frames == 0) {
        rtl::ShowMessage("There appears to be no image to save.");
        return;
    }
    if (frames > MaxFrames)
        throw EIldaLimitError("An ILDA file holds at most 65535 frames; this one has " +
                              std::to_string(frames) + ".");
    for (int i = 0; i < frames; ++i) {
        const TFrm *frame = GetFrame(i);
        if (frame && frame->Count() > MaxPoints)
            throw EIldaLimitError("An ILDA frame holds at most 65535 points; frame " + std::to_string(i) +
                                  " has " + std::to_string(frame->Count()) + ".");
    }

    for (int i = 0; i < frames; ++i) {
        if (OnProgress)
            OnProgress(false, static_cast<float>(i) / static_cast<float>(frames));
        WriteHeader(stream, i);
        WritePoints(stream, i);
    }
    if (OnProgress)
        OnProgress(true, 0.0f);
}

void TIldaFile::WriteHeader(rtl::TStream &stream, int FrameIndex)
{
    const TFrm *frame = GetFrame(FrameIndex);
    // The template is laid out like a header; the writer sets the rest.
    ilda::Header header = ilda::DecodeHeader(Header.data());
    header.format = ilda::kFormat3dIndexed;
    header.recordCount = static_cast<std::uint16_t>(frame ? frame->Count() : 0);
    header.number = static_cast<std::uint16_t>(FrameIndex);
    header.total = static_cast<std::uint16_t>(Count());
    std::uint8_t bytes[HeaderSize];
    ilda::EncodeHeader(header, bytes);
    stream.WriteBuffer(bytes, sizeof bytes);
}

void TIldaFile::WritePoints(rtl::TStream &stream, int FrameIndex)
{
    const TFrm *frame = GetFrame(FrameIndex);
    if (!frame)
        return;
    constexpr std::size_t recordSize = ilda::RecordSize(ilda::kFormat3dIndexed);
    const std::vector<Tpt> &points = frame->Points();
    std::uint8_t block[kRecordBlock * recordSize];
    for (std::size_t first = 0; first < points.size(); first += kRecordBlock) {
        const std::size_t n = std::min(kRecordBlock, points.size() - first);
        std::uint8_t *out = block;
        for (std::size_t i = 0; i < n; ++i, out += recordSize) {
            const TPtRec &p = points[first + i].Data;
            ilda::Point record;
            record.x = Clamp16(p.X);
            record.y = Clamp16(p.Y);
            record.z = Clamp16(p.Z);
            record.status = p.Status;
            record.colorIndex = p.ColorIndex;
            ilda::EncodePoint(ilda::kFormat3dIndexed, record, out);
        }
        stream.WriteBuffer(block, n * recordSize);
    }
}

// ---- reader

namespace {

// Total frames of the header at the stream's position, which stays where it
// was; nothing when no ILDA header is there.
std::optional<int> PeekFrameCount(rtl::TStream &stream)
{
    std::uint8_t header[TIldaFile::HeaderSize];
    // Back to the start on every path, but not from a destructor: a stream
    // that cannot go back raises, and that must reach the caller.
    const std::int64_t start = stream.Position();
    std::size_t got = 0;
    try {
        got = ReadSome(stream, header, sizeof header);
    } catch (...) {
        stream.SetPosition(start);
        throw;
    }
    stream.SetPosition(start);
    if (got < sizeof header || !ilda::HasSignature(header))
        return std::nullopt;
    return ilda::DecodeHeader(header).total;
}

} // namespace

int TIldaFile::ReadFrameCount(rtl::TStream &stream)
{
    const auto total = PeekFrameCount(stream);
    if (!total)
        rtl::ShowMessage("File error.  ");
    return total.value_or(0);
}

void TIldaFile::Say(const std::string &text)
{
    LoadMessages.push_back(text);
    rtl::ShowMessage(text);
}

void TIldaFile::LoadFromStream(rtl::TStream &stream)
{
    ClearItems();
    LoadMessages.clear();
    RebuildColorTable();
    const auto peeked = PeekFrameCount(stream);
    if (!peeked)
        Say("File error.  ");
    const int total = peeked.value_or(0);
    if (total == 0) {
        Say("Total Frames = 0");
        return;
    }

    // This reading takes its colours from ColorTable, not from a palette.
    static const ilda::ColorMap noColors{};
    std::vector<std::uint8_t> block;
    std::vector<ilda::Point> decoded;
    bool cutShort = false;
    for (int i = 0; i < total && !cutShort; ++i) {
        std::uint8_t bytes[HeaderSize];
        if (ReadSome(stream, bytes, sizeof bytes) < sizeof bytes) {
            cutShort = true;
            break;
        }
        const ilda::Header header = ilda::DecodeHeader(bytes);
        if (!ilda::IsIndexed(header.format)) {
            Say("Unfamiliar format code.");
            break;
        }

        auto frame = std::make_unique<TFrm>();
        frame->Name.Assign("Frame " + std::to_string(i));
        const std::size_t recordSize = ilda::RecordSize(header.format);
        std::size_t left = header.recordCount;
        // Room for the points the data can still hold, not for what the
        // header claims.
        frame->Reserve(std::min(left, static_cast<std::size_t>(stream.Remaining()) / recordSize));
        if (block.empty() && left > 0) {
            block.resize(kRecordBlock * kLargestRecord);
            decoded.resize(kRecordBlock);
        }

        while (left > 0) {
            const std::size_t want = std::min(left, kRecordBlock);
            const std::size_t got = ReadSome(stream, block.data(), want * recordSize) / recordSize;
            ilda::DecodePoints(header.format, block.data(), got, noColors, decoded.data());
            for (std::size_t r = 0; r < got; ++r) {
                const ilda::Point &p = decoded[r];
                const std::uint32_t color = (p.status == 0x40 || p.status == 0xC0) ? 0u : IndexToColor(p.colorIndex);
                frame->AddPoint(p.x, p.y, p.z, color, p.status, p.colorIndex);
            }
            if (got < want) {
                cutShort = true;
                break;
            }
            left -= want;
        }

        Add(std::move(frame));
        if (OnProgress)
            OnProgress(false, static_cast<float>(i) / static_cast<float>(total));
    }
    if (cutShort)
        Say("Unexpected end of file.");
    if (OnProgress)
        OnProgress(true, 0.0f);
}
