// Laser points, frames of points and lists of frames.
#pragma once

#include "model/Base.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// One laser point.
struct TPtRec {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::int32_t Z = 0;
    std::uint32_t Color = 0;             // 0x00BBGGRR; 0 for blanked points
    std::uint8_t ColorIndex = 0;         // ILDA palette index
    std::uint8_t Status = 0;             // 0x80 last point of the frame, 0x40 blanked
    std::array<std::uint8_t, 2> Spare{}; // image bytes 18-19, kept as loaded
};

// A point object: plain data, no virtual functions, so a frame can keep its
// points side by side.
class Tpt {
public:
    static constexpr std::size_t ImageSize = 20;

    TPtRec Data;

    // The 20-byte little-endian image. A short read raises rtl::EReadError
    // and leaves Data as it was.
    void LoadFromStream(rtl::TStream &stream);
    void SaveToStream(rtl::TStream &stream) const;

    void ToImage(std::uint8_t *out) const;
    void FromImage(const std::uint8_t *in);
};

// One frame. Its points live in the frame's own contiguous storage, not in
// the pointer slots of the list, so Count() and GetPoint() are the ways in;
// the pointer-slot operations of the list are not available on a frame.
class TFrm : public TBaseList {
public:
    int Count() const { return static_cast<int>(points_.size()); }

    void AddPoint(std::int32_t X, std::int32_t Y, std::int32_t Z, std::uint32_t Color, std::uint8_t Status,
                  std::uint8_t ColorIndex)
    {
        Tpt &p = points_.emplace_back();
        p.Data.X = X;
        p.Data.Y = Y;
        p.Data.Z = Z;
        p.Data.Color = Color;
        p.Data.Status = Status;
        p.Data.ColorIndex = ColorIndex;
    }
    void AddPoint(const TPtRec &rec) { points_.emplace_back().Data = rec; }

    // The point at index, owned by the frame and valid until the frame
    // changes. Outside 0 .. Count() - 1: rtl::EListError.
    Tpt *GetPoint(int index);
    const Tpt *GetPoint(int index) const;

    // Room for n more points without moving the ones already there.
    void Reserve(std::size_t n) { points_.reserve(points_.size() + n); }
    const std::vector<Tpt> &Points() const { return points_; }

    void ClearItems() override;

    // Name image, 32-bit point count, then the points; loaded points follow
    // those already there. Data that ends early raises rtl::EReadError; the
    // points complete by then stay.
    void LoadFromStream(rtl::TStream &stream) override;
    void SaveToStream(rtl::TStream &stream) override;

    int Add(std::unique_ptr<rtl::TObject>) = delete;
    int Add(rtl::TObject *) = delete;
    rtl::TObject *Get(int) const = delete;
    void Put(int, rtl::TObject *) = delete;
    void Put(int, std::unique_ptr<rtl::TObject>) = delete;
    void Delete(int) = delete;
    std::unique_ptr<rtl::TObject> Extract(int) = delete;

private:
    std::vector<Tpt> points_;
};

// A list of frames that plays its points one by one, frame after frame.
class TFrameList : public TBaseFile {
public:
    std::int32_t CurFrame = 0; // frame GetNextPoint reads from
    std::int32_t CurPoint = 0; // point of that frame it delivers next

    // Takes ownership of frame.
    int Add(std::unique_ptr<TFrm> frame) { return TBaseList::Add(std::move(frame)); }
    int Add(TFrm *frame) { return Add(std::unique_ptr<TFrm>(frame)); }
    void Put(int index, std::unique_ptr<TFrm> frame) { TBaseList::Put(index, std::move(frame)); }

    // The frame at index, owned by the list, or null when there is none.
    TFrm *GetFrame(int index) const
    {
        return index >= 0 && index < Count() ? static_cast<TFrm *>(TList::Get(index)) : nullptr;
    }

    // Name image, 32-bit frame count, then the frames; loaded frames follow
    // those already there. Data that ends early raises rtl::EReadError; the
    // frames complete by then stay, the one cut short is dropped.
    void LoadFromStream(rtl::TStream &stream) override;
    void SaveToStream(rtl::TStream &stream) override;

    // The first point of the first frame always comes blanked. A list
    // without frames delivers an all-zero point with FrameEnd set.
    void GetNextPoint(TOutPoint &p) override;
    void Rewind() override;

    int Add(std::unique_ptr<rtl::TObject>) = delete;
    int Add(rtl::TObject *) = delete;
    void Put(int, rtl::TObject *) = delete;
    void Put(int, std::unique_ptr<rtl::TObject>) = delete;
};
