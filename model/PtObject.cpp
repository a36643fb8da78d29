#include "model/PtObject.h"

#include "rtl/SysUtils.h"

#include <algorithm>
#include <cstring>

using model_detail::GetLE32;
using model_detail::PutLE32;

namespace {

// Points travel through the stream in blocks, not one call per point.
constexpr std::size_t kPointBlock = 1024;

std::int32_t ReadCount(rtl::TStream &stream, const char *what)
{
    std::uint8_t bytes[4];
    model_detail::ReadImage(stream, bytes, sizeof bytes, what);
    return static_cast<std::int32_t>(GetLE32(bytes));
}

void WriteCount(rtl::TStream &stream, std::int32_t count)
{
    std::uint8_t bytes[4];
    PutLE32(bytes, static_cast<std::uint32_t>(count));
    stream.WriteBuffer(bytes, sizeof bytes);
}

} // namespace

// ---- Tpt

void Tpt::ToImage(std::uint8_t *out) const
{
    PutLE32(out, static_cast<std::uint32_t>(Data.X));
    PutLE32(out + 4, static_cast<std::uint32_t>(Data.Y));
    PutLE32(out + 8, static_cast<std::uint32_t>(Data.Z));
    PutLE32(out + 12, Data.Color);
    out[16] = Data.ColorIndex;
    out[17] = Data.Status;
    out[18] = Data.Spare[0];
    out[19] = Data.Spare[1];
}

void Tpt::FromImage(const std::uint8_t *in)
{
    Data.X = static_cast<std::int32_t>(GetLE32(in));
    Data.Y = static_cast<std::int32_t>(GetLE32(in + 4));
    Data.Z = static_cast<std::int32_t>(GetLE32(in + 8));
    Data.Color = GetLE32(in + 12);
    Data.ColorIndex = in[16];
    Data.Status = in[17];
    Data.Spare = {in[18], in[19]};
}

void Tpt::LoadFromStream(rtl::TStream &stream)
{
    std::uint8_t image[ImageSize];
    model_detail::ReadImage(stream, image, sizeof image, "a point");
    FromImage(image);
}

void Tpt::SaveToStream(rtl::TStream &stream) const
{
    std::uint8_t image[ImageSize];
    ToImage(image);
    stream.WriteBuffer(image, sizeof image);
}

// ---- TFrm

Tpt *TFrm::GetPoint(int index)
{
    if (index < 0 || index >= Count())
        Error(index);
    return &points_[static_cast<std::size_t>(index)];
}

const Tpt *TFrm::GetPoint(int index) const
{
    return const_cast<TFrm *>(this)->GetPoint(index);
}

void TFrm::ClearItems()
{
    std::vector<Tpt>().swap(points_);
    TBaseList::ClearItems();
}

void TFrm::LoadFromStream(rtl::TStream &stream)
{
    TBaseList::LoadFromStream(stream);
    const std::int32_t count = ReadCount(stream, "a frame's point count");
    if (count <= 0)
        return;
    // Reserve only what the data can hold, never what a count claims.
    const auto present = static_cast<std::size_t>(stream.Remaining()) / Tpt::ImageSize;
    Reserve(std::min(static_cast<std::size_t>(count), present));

    std::vector<std::uint8_t> block(std::min(static_cast<std::size_t>(count), kPointBlock) * Tpt::ImageSize);
    std::size_t left = static_cast<std::size_t>(count);
    while (left > 0) {
        const std::size_t want = std::min(left, kPointBlock);
        const std::size_t got = stream.Read(block.data(), want * Tpt::ImageSize) / Tpt::ImageSize;
        for (std::size_t i = 0; i < got; ++i)
            points_.emplace_back().FromImage(block.data() + i * Tpt::ImageSize);
        if (got < want)
            throw rtl::EReadError("Unexpected end of data in a frame's points");
        left -= want;
    }
}

void TFrm::SaveToStream(rtl::TStream &stream)
{
    TBaseList::SaveToStream(stream);
    WriteCount(stream, Count());
    std::vector<std::uint8_t> block(std::min(points_.size(), kPointBlock) * Tpt::ImageSize);
    for (std::size_t first = 0; first < points_.size(); first += kPointBlock) {
        const std::size_t n = std::min(kPointBlock, points_.size() - first);
        for (std::size_t i = 0; i < n; ++i)
            points_[first + i].ToImage(block.data() + i * Tpt::ImageSize);
        stream.WriteBuffer(block.data(), n * Tpt::ImageSize);
    }
}

// ---- TFrameList

void TFrameList::LoadFromStream(rtl::TStream &stream)
{
    TBaseList::LoadFromStream(stream);
    const std::int32_t count = ReadCount(stream, "a frame list's frame count");
    // Each frame image is at least 37 bytes, so the loop ends with the data.
    for (std::int32_t i = 0; i < count; ++i) {
        auto frame = std::make_unique<TFrm>();
        frame->LoadFromStream(stream);
        Add(std::move(frame));
    }
}

void TFrameList::SaveToStream(rtl::TStream &stream)
{
    TBaseList::SaveToStream(stream);
    WriteCount(stream, Count());
    for (int i = 0; i < Count(); ++i) {
        TFrm *frame = GetFrame(i);
        if (frame) {
            frame->SaveToStream(stream);
        } else {
            TFrm().SaveToStream(stream); // an empty slot saves as an empty frame
        }
    }
}

void TFrameList::GetNextPoint(TOutPoint &p)
{
    const TFrm *frame = GetFrame(CurFrame);
    const int points = frame ? frame->Count() : 0;
    TPtRec rec;
    if (CurPoint >= 0 && CurPoint < points)
        rec = frame->GetPoint(CurPoint)->Data;

    p.X = rec.X;
    p.Y = rec.Y;
    p.Z = rec.Z;
    p.Color = (CurFrame == 0 && CurPoint == 0) ? 0 : rec.Color;

    ++CurPoint;
    if (CurPoint >= 0 && CurPoint < points) {
        p.FrameEnd = false;
        return;
    }
    CurPoint = 0;
    p.FrameEnd = true;
    ++CurFrame;
    if (CurFrame < 0 || CurFrame >= Count())
        CurFrame = 0;
}

void TFrameList::Rewind()
{
    CurFrame = 0;
    CurPoint = 0;
}
