#include "ilda/IldaObj.h"

#include "rtl/Messages.h"

#include <algorithm>
#include <cstring>
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
constexpr std::size_t kFormat0Record = 8;
constexpr std::size_t kFormat1Record = 6;

constexpr char kSignature[4] = {'I', 'L', 'D', 'A'};

void PutBE16(std::uint8_t *out, unsigned v)
{
    out[0] = static_cast<std::uint8_t>(v >> 8);
    out[1] = static_cast<std::uint8_t>(v);
}

unsigned GetBE16(const std::uint8_t *in)
{
    return static_cast<unsigned>(in[0]) << 8 | in[1];
}

std::int32_t GetSignedBE16(const std::uint8_t *in)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(GetBE16(in)));
}

std::uint16_t Clamp16(std::int32_t v)
{
    return static_cast<std::uint16_t>(static_cast<std::int16_t>(std::clamp<std::int32_t>(v, -32768, 32767)));
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
    std::uint8_t header[HeaderSize] = {};
    std::memcpy(header, kSignature, sizeof kSignature);
    std::copy(Header.begin() + 4, Header.begin() + 7, header + 4);
    std::copy(Header.begin() + 8, Header.begin() + 24, header + 8);
    PutBE16(header + 24, static_cast<unsigned>(frame ? frame->Count() : 0));
    PutBE16(header + 26, static_cast<unsigned>(FrameIndex));
    PutBE16(header + 28, static_cast<unsigned>(Count()));
    header[30] = Header[30];
    header[31] = Header[31];
    stream.WriteBuffer(header, sizeof header);
}

void TIldaFile::WritePoints(rtl::TStream &stream, int FrameIndex)
{
    const TFrm *frame = GetFrame(FrameIndex);
    if (!frame)
        return;
    const std::vector<Tpt> &points = frame->Points();
    std::uint8_t block[kRecordBlock * kFormat0Record];
    for (std::size_t first = 0; first < points.size(); first += kRecordBlock) {
        const std::size_t n = std::min(kRecordBlock, points.size() - first);
        std::uint8_t *out = block;
        for (std::size_t i = 0; i < n; ++i, out += kFormat0Record) {
            const TPtRec &p = points[first + i].Data;
            PutBE16(out, Clamp16(p.X));
            PutBE16(out + 2, Clamp16(p.Y));
            PutBE16(out + 4, Clamp16(p.Z));
            out[6] = p.Status;
            out[7] = p.ColorIndex;
        }
        stream.WriteBuffer(block, n * kFormat0Record);
    }
}

// ---- reader

int TIldaFile::ReadFrameCount(rtl::TStream &stream)
{
    std::uint8_t header[HeaderSize];
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
    if (got < sizeof header || std::memcmp(header, kSignature, sizeof kSignature) != 0) {
        rtl::ShowMessage("File error.  ");
        return 0;
    }
    return static_cast<int>(GetBE16(header + 28));
}

void TIldaFile::LoadFromStream(rtl::TStream &stream)
{
    ClearItems();
    RebuildColorTable();
    const int total = ReadFrameCount(stream);
    if (total == 0) {
        rtl::ShowMessage("Total Frames = 0");
        return;
    }

    std::vector<std::uint8_t> block;
    bool cutShort = false;
    for (int i = 0; i < total && !cutShort; ++i) {
        std::uint8_t header[HeaderSize];
        if (ReadSome(stream, header, sizeof header) < sizeof header) {
            cutShort = true;
            break;
        }
        const std::uint8_t format = header[7];
        if (format > 1) {
            rtl::ShowMessage("Unfamiliar format code.");
            break;
        }

        auto frame = std::make_unique<TFrm>();
        frame->Name.Assign("Frame " + std::to_string(i));
        const std::size_t recordSize = format == 1 ? kFormat1Record : kFormat0Record;
        std::size_t left = GetBE16(header + 24);
        // Room for the points the data can still hold, not for what the
        // header claims.
        frame->Reserve(std::min(left, static_cast<std::size_t>(stream.Remaining()) / recordSize));
        if (block.empty() && left > 0)
            block.resize(kRecordBlock * kFormat0Record);

        while (left > 0) {
            const std::size_t want = std::min(left, kRecordBlock);
            const std::size_t got = ReadSome(stream, block.data(), want * recordSize) / recordSize;
            const std::uint8_t *in = block.data();
            for (std::size_t r = 0; r < got; ++r, in += recordSize) {
                const std::int32_t x = GetSignedBE16(in);
                const std::int32_t y = GetSignedBE16(in + 2);
                std::int32_t z = 0;
                const std::uint8_t *tail = in + 4;
                if (format == 0) {
                    z = GetSignedBE16(in + 4);
                    tail = in + 6;
                }
                const std::uint8_t status = tail[0];
                const std::uint8_t colorIndex = tail[1];
                const std::uint32_t color =
                    (status == 0x40 || status == 0xC0) ? 0u : IndexToColor(colorIndex);
                frame->AddPoint(x, y, z, color, status, colorIndex);
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
        rtl::ShowMessage("Unexpected end of file.");
    if (OnProgress)
        OnProgress(true, 0.0f);
}
