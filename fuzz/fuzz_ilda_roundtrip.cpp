// Frames built from the fuzzer's bytes are written as ILDA, read back and
// compared: coordinates clamped to 16 bits, status and colour index as
// given, the colour recovered from the palette (0 for blanked points).
#include "Check.h"

#include "ilda/IldaObj.h"
#include "rtl/Messages.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

std::int32_t Clamp16(std::int32_t v) { return std::clamp<std::int32_t>(v, -32768, 32767); }

std::int32_t Coordinate(FuzzedDataProvider &in)
{
    // Mostly in range, sometimes anywhere in 32 bits.
    return in.ConsumeBool() ? in.ConsumeIntegral<std::int32_t>()
                            : in.ConsumeIntegralInRange<std::int32_t>(-32768, 32767);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    TIldaFile file;
    // The header template may hold anything; the writer computes its own
    // signature, format code and counts.
    for (auto &b : file.Header) b = in.ConsumeIntegral<std::uint8_t>();

    const int frames = in.ConsumeIntegralInRange(0, 6);
    std::vector<std::vector<TPtRec>> built(static_cast<std::size_t>(frames));
    for (auto &points : built) {
        auto frame = std::make_unique<TFrm>();
        const int count = in.ConsumeIntegralInRange(0, 200);
        for (int k = 0; k < count; ++k) {
            TPtRec p;
            p.X = Coordinate(in);
            p.Y = Coordinate(in);
            p.Z = Coordinate(in);
            p.Color = in.ConsumeIntegral<std::uint32_t>();
            p.Status = in.ConsumeIntegral<std::uint8_t>();
            p.ColorIndex = in.ConsumeIntegral<std::uint8_t>();
            frame->AddPoint(p.X, p.Y, p.Z, p.Color, p.Status, p.ColorIndex);
            points.push_back(p);
        }
        file.Add(std::move(frame));
    }

    std::vector<std::pair<bool, float>> progress;
    file.OnProgress = [&](bool finished, float fraction) { progress.emplace_back(finished, fraction); };

    rtl::MessageRecorder messages;
    rtl::TMemoryStream stream;
    file.SaveToStream(stream);
    if (frames == 0) {
        FUZZ_CHECK(messages.Messages() == std::vector<std::string>{"There appears to be no image to save."});
        FUZZ_CHECK(stream.Size() == 0);
        return 0;
    }
    FUZZ_CHECK(messages.Messages().empty());
    FUZZ_CHECK(progress.size() == static_cast<std::size_t>(frames) + 1);
    FUZZ_CHECK(progress.back() == std::make_pair(true, 0.0f));

    // Layout: per frame a header with its own counts, then 8 bytes a point.
    const auto &bytes = stream.Bytes();
    std::size_t at = 0;
    for (int i = 0; i < frames; ++i) {
        FUZZ_CHECK(bytes.size() >= at + 32);
        const std::uint8_t *h = bytes.data() + at;
        const std::size_t n = built[static_cast<std::size_t>(i)].size();
        FUZZ_CHECK(std::equal(h, h + 4, "ILDA") && h[7] == 0);
        FUZZ_CHECK((h[24] << 8 | h[25]) == static_cast<int>(n));
        FUZZ_CHECK((h[26] << 8 | h[27]) == i);
        FUZZ_CHECK((h[28] << 8 | h[29]) == frames);
        FUZZ_CHECK(std::equal(h + 8, h + 24, file.Header.begin() + 8));
        at += 32 + 8 * n;
    }
    FUZZ_CHECK(bytes.size() == at);

    stream.SetPosition(0);
    TIldaFile back;
    back.LoadFromStream(stream);
    FUZZ_CHECK(messages.Messages().empty());
    FUZZ_CHECK(back.Count() == frames);
    for (int i = 0; i < frames; ++i) {
        const TFrm *frame = back.GetFrame(i);
        const auto &want = built[static_cast<std::size_t>(i)];
        FUZZ_CHECK(frame->Name.Str() == "Frame " + std::to_string(i));
        FUZZ_CHECK(frame->Count() == static_cast<int>(want.size()));
        for (std::size_t k = 0; k < want.size(); ++k) {
            const TPtRec &got = frame->Points()[k].Data;
            FUZZ_CHECK(got.X == Clamp16(want[k].X));
            FUZZ_CHECK(got.Y == Clamp16(want[k].Y));
            FUZZ_CHECK(got.Z == Clamp16(want[k].Z));
            FUZZ_CHECK(got.Status == want[k].Status);
            FUZZ_CHECK(got.ColorIndex == want[k].ColorIndex);
            const bool blanked = want[k].Status == 0x40 || want[k].Status == 0xC0;
            FUZZ_CHECK(got.Color == (blanked ? 0 : TIldaFile::IndexToColor(want[k].ColorIndex)));
        }
    }
    FUZZ_CHECK(stream.Position() == stream.Size());
    return 0;
}
