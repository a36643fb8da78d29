// The standard reading on arbitrary bytes: reading the points, walking the
// headers alone, and reading through a stream that cannot seek all find
// the same frames; each frame decodes from its offset to the points the
// reading gave; what was read writes out and reads back the same.
#include "Check.h"

#include "ilda/Reading.h"
#include "ilda/Writing.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

class Pipe : public rtl::TStream {
public:
    Pipe(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}
    std::size_t Read(void *buffer, std::size_t count) override
    {
        // Short reads, as pipes give them.
        const std::size_t n = std::min({count, size_ - at_, std::size_t{7}});
        std::copy_n(data_ + at_, n, static_cast<std::uint8_t *>(buffer));
        at_ += n;
        return n;
    }
    std::size_t Write(const void *, std::size_t) override { return 0; }
    std::int64_t Position() const override { return -1; }
    void SetPosition(std::int64_t) override { FUZZ_CHECK(!"a pipe was asked to seek"); }
    std::int64_t Size() const override { return 0; }

private:
    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

struct Frame {
    ilda::FrameInfo info;
    std::vector<ilda::Point> points;
};

class Collect : public ilda::ReadHandler {
public:
    void OnFrame(const ilda::FrameInfo &frame, std::span<const ilda::Point> points) override
    {
        frames.push_back({frame, std::vector<ilda::Point>(points.begin(), points.end())});
    }
    std::vector<Frame> frames;
};

bool SamePoint(const ilda::Point &a, const ilda::Point &b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z && a.status == b.status && a.indexed == b.indexed &&
           a.colorIndex == b.colorIndex && a.color == b.color;
}

bool SameMessages(const std::vector<ilda::Diagnostic> &a, const std::vector<ilda::Diagnostic> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const auto &x, const auto &y) { return x.offset == y.offset && x.text == y.text; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto end = static_cast<std::int64_t>(size);
    rtl::TMemoryStream file(Bytes(data, data + size));
    Collect full;
    const ilda::ReadOutcome outcome = ilda::Read(file, full);

    FUZZ_CHECK(outcome.frameCount == full.frames.size());
    FUZZ_CHECK(outcome.errorCount <= 1 && outcome.end <= end);
    for (const auto *list : {&outcome.warnings, &outcome.errors})
        for (const ilda::Diagnostic &d : *list)
            FUZZ_CHECK(d.offset >= 0 && d.offset <= end && !d.text.empty());
    for (const Frame &f : full.frames) {
        FUZZ_CHECK(f.info.dataOffset == f.info.offset + 32 && f.info.dataOffset <= end);
        FUZZ_CHECK(f.points.size() == f.info.pointCount && f.info.pointCount <= f.info.header.recordCount);
        for (const ilda::Point &p : f.points)
            FUZZ_CHECK(!p.Blanked() || p.color == 0);
    }

    // Headers alone: the same frames and the same error.
    rtl::TMemoryStream again(Bytes(data, data + size));
    Collect walk;
    const ilda::ReadOutcome headers = ilda::Read(again, walk, {.points = false});
    FUZZ_CHECK(walk.frames.size() == full.frames.size());
    FUZZ_CHECK(SameMessages(headers.errors, outcome.errors));
    for (std::size_t i = 0; i < walk.frames.size(); ++i) {
        const ilda::FrameInfo &info = walk.frames[i].info;
        FUZZ_CHECK(info.offset == full.frames[i].info.offset && info.pointCount == full.frames[i].info.pointCount);
        std::vector<ilda::Point> points(info.pointCount);
        FUZZ_CHECK(ilda::DecodeFrame(again, info, points) == info.pointCount);
        FUZZ_CHECK(std::equal(points.begin(), points.end(), full.frames[i].points.begin(), SamePoint));
    }

    // Through a pipe: all the same, warnings included.
    Pipe pipe(data, size);
    Collect piped;
    const ilda::ReadOutcome throughPipe = ilda::Read(pipe, piped);
    FUZZ_CHECK(piped.frames.size() == full.frames.size());
    FUZZ_CHECK(SameMessages(throughPipe.warnings, outcome.warnings));
    FUZZ_CHECK(SameMessages(throughPipe.errors, outcome.errors));
    for (std::size_t i = 0; i < piped.frames.size(); ++i)
        FUZZ_CHECK(std::equal(piped.frames[i].points.begin(), piped.frames[i].points.end(),
                              full.frames[i].points.begin(), full.frames[i].points.end(), SamePoint));

    // Written out and read back: the same records. A frame cut before its
    // first point would write as the end marker; it is left out.
    ilda::SectionWriter writer;
    std::vector<const Frame *> kept;
    for (const Frame &f : full.frames) {
        if (f.points.empty())
            continue;
        writer.AddFrame(f.info.header, f.points);
        kept.push_back(&f);
    }
    writer.AddEndMarker({});
    rtl::TMemoryStream written(writer.Bytes());
    const ilda::Contents back = ilda::ReadAll(written);
    FUZZ_CHECK(back.outcome.errorCount == 0 && back.frames.size() == kept.size());
    for (std::size_t i = 0; i < back.frames.size(); ++i) {
        const auto &a = back.frames[i].points;
        const auto &b = kept[i]->points;
        FUZZ_CHECK(a.size() == b.size());
        for (std::size_t k = 0; k < a.size(); ++k) {
            FUZZ_CHECK(a[k].x == b[k].x && a[k].y == b[k].y && a[k].z == b[k].z && a[k].status == b[k].status);
            FUZZ_CHECK(a[k].indexed ? a[k].colorIndex == b[k].colorIndex : a[k].color == b[k].color);
        }
    }
    return 0;
}
