// The ILDA reader on arbitrary bytes, checked against a small independent
// reading of the same bytes: which frames and points it keeps, what it says
// and where it leaves the stream. Whatever it keeps saves and reads back
// unchanged.
#include "Check.h"

#include "ilda/IldaObj.h"
#include "rtl/Messages.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Expected {
    std::vector<std::vector<TPtRec>> frames;
    std::vector<std::string> messages;
    std::size_t position = 0; // only meaningful when the data did not run out
    bool ranOut = false;
};

unsigned BE16(const std::uint8_t *p) { return static_cast<unsigned>(p[0]) << 8 | p[1]; }
std::int32_t SBE16(const std::uint8_t *p) { return static_cast<std::int16_t>(BE16(p)); }

Expected Reference(const std::uint8_t *data, std::size_t size)
{
    Expected e;
    if (size < 32 || !std::equal(data, data + 4, "ILDA")) {
        e.messages = {"File error.  ", "Total Frames = 0"};
        return e;
    }
    const unsigned total = BE16(data + 28);
    if (total == 0) {
        e.messages = {"Total Frames = 0"};
        return e;
    }
    std::size_t at = 0;
    for (unsigned i = 0; i < total; ++i) {
        if (size - at < 32) {
            e.ranOut = true;
            break;
        }
        const std::uint8_t *h = data + at;
        at += 32;
        if (h[7] > 1) {
            e.messages.push_back("Unfamiliar format code.");
            break;
        }
        const std::size_t rec = h[7] == 1 ? 6 : 8;
        const std::size_t count = BE16(h + 24);
        const std::size_t whole = std::min(count, (size - at) / rec);
        auto &frame = e.frames.emplace_back();
        for (std::size_t k = 0; k < whole; ++k, at += rec) {
            const std::uint8_t *r = data + at;
            TPtRec p;
            p.X = SBE16(r);
            p.Y = SBE16(r + 2);
            p.Z = rec == 8 ? SBE16(r + 4) : 0;
            p.Status = r[rec - 2];
            p.ColorIndex = r[rec - 1];
            p.Color = p.Status == 0x40 || p.Status == 0xC0 ? 0 : TIldaFile::IndexToColor(p.ColorIndex);
            frame.push_back(p);
        }
        if (whole < count) {
            e.ranOut = true;
            break;
        }
    }
    if (e.ranOut) e.messages.push_back("Unexpected end of file.");
    e.position = at;
    return e;
}

void CheckFrames(const TIldaFile &file, const std::vector<std::vector<TPtRec>> &frames)
{
    FUZZ_CHECK(file.Count() == static_cast<int>(frames.size()));
    for (int i = 0; i < file.Count(); ++i) {
        const TFrm *frame = file.GetFrame(i);
        FUZZ_CHECK(frame != nullptr);
        FUZZ_CHECK(frame->Name.Str() == "Frame " + std::to_string(i));
        const auto &want = frames[static_cast<std::size_t>(i)];
        FUZZ_CHECK(frame->Count() == static_cast<int>(want.size()));
        for (std::size_t k = 0; k < want.size(); ++k) {
            const TPtRec &got = frame->Points()[k].Data;
            FUZZ_CHECK(got.X == want[k].X && got.Y == want[k].Y && got.Z == want[k].Z);
            FUZZ_CHECK(got.Status == want[k].Status && got.ColorIndex == want[k].ColorIndex);
            FUZZ_CHECK(got.Color == want[k].Color);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const Expected want = Reference(data, size);

    rtl::MessageRecorder messages;
    rtl::TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
    TIldaFile file;
    // Whatever the list held before goes first.
    auto old = std::make_unique<TFrm>();
    old->AddPoint(1, 2, 3, 4, 5, 6);
    file.Add(std::move(old));

    file.LoadFromStream(stream);

    FUZZ_CHECK(messages.Messages() == want.messages);
    CheckFrames(file, want.frames);
    if (file.Count() == 0 || !want.ranOut) {
        FUZZ_CHECK(stream.Position() == static_cast<std::int64_t>(want.position));
    }
    FUZZ_CHECK(stream.Position() <= stream.Size());
    if (file.Count() == 0) return 0;

    // What was kept writes out and reads back as the same frames.
    rtl::TMemoryStream saved;
    file.SaveToStream(saved);
    saved.SetPosition(0);
    messages.Clear();
    TIldaFile again;
    again.LoadFromStream(saved);
    FUZZ_CHECK(messages.Messages().empty());
    CheckFrames(again, want.frames);
    FUZZ_CHECK(saved.Position() == saved.Size());
    return 0;
}
