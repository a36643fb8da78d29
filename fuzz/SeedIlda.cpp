#include "SeedIlda.h"

#include "ilda/IldaObj.h"
#include "ilda/Writing.h"
#include "model/PtObject.h"
#include "rtl/Classes.h"
#include "rtl/Messages.h"

#include <algorithm>
#include <memory>

namespace fuzzseeds {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Image(TBaseList &list)
{
    rtl::MessageRecorder quiet; // an empty ILDA file says so; not wanted here
    rtl::TMemoryStream out;
    list.SaveToStream(out);
    return out.Bytes();
}

// frames frames of points points each, on a square, some of them blanked.
std::unique_ptr<TIldaFile> Frames(int frames, int points)
{
    auto file = std::make_unique<TIldaFile>();
    for (int f = 0; f < frames; ++f) {
        auto frame = std::make_unique<TFrm>();
        for (int k = 0; k < points; ++k) {
            const std::uint8_t status = k + 1 == points ? 0x80 : (k % 5 == 0 ? 0x40 : 0);
            frame->AddPoint(-20000 + 400 * k, 15000 - 300 * k * f, k, 0x0000FF, status,
                            static_cast<std::uint8_t>(k * 7 + f));
        }
        file->Add(std::move(frame));
    }
    return file;
}

Bytes operator+(Bytes a, const Bytes &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Cut(const Bytes &b, std::size_t n) { return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(std::min(n, b.size()))); }

Bytes WithSelector(std::uint8_t selector, const Bytes &b)
{
    Bytes out{selector};
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

} // namespace

void WriteIldaSeeds(const std::filesystem::path &out, const SeedWriter &write)
{
    const auto ilda = out / "ilda_load";
    // The two-point example frame, several frames, an empty frame.
    auto example = std::make_unique<TIldaFile>();
    auto frame = std::make_unique<TFrm>();
    frame->AddPoint(-32640, 32640, 0, 0, 0, 5);
    frame->AddPoint(32385, -32385, 0, 0, 0xC0, 5);
    example->Add(std::move(frame));
    const Bytes two = Image(*example);
    write(ilda, "example-2-points", two);
    const Bytes three = Image(*Frames(3, 12));
    write(ilda, "three-frames", three);
    for (const std::size_t cut : {1u, 4u, 31u, 32u, 39u, 40u, 45u, 100u, 140u, 200u}) {
        write(ilda, "three-frames-cut" + std::to_string(cut), Cut(three, cut));
    }
    write(ilda, "empty-frame", Image(*Frames(2, 0)));
    write(ilda, "big-frame", Image(*Frames(1, 400)));
    // A two-dimensional section (format code 1): X 100, Y -100, index 7.
    Bytes fmt1 = Cut(two, 32);
    fmt1[7] = 1;
    fmt1[25] = 1;
    fmt1[29] = 1;
    for (const std::uint8_t b : {0x00, 0x64, 0xFF, 0x9C, 0x00, 0x07}) fmt1.push_back(b);
    write(ilda, "format-1", fmt1);
    Bytes badFormat = three;
    badFormat[32 + 12 * 8 + 7] = 5;
    write(ilda, "format-5-second", badFormat);
    Bytes wrongSig = two;
    wrongSig[3] = 'B';
    write(ilda, "signature-ildb", wrongSig);
    Bytes noFrames = two;
    noFrames[28] = noFrames[29] = 0;
    write(ilda, "total-frames-0", noFrames);
    Bytes hostile = Cut(two, 32);
    hostile[24] = hostile[25] = hostile[28] = hostile[29] = 0xFF;
    write(ilda, "hostile-65535", hostile);

    // Native images behind the selector byte of fuzz_native_load.
    const auto native = out / "native_load";
    TBaseList plain;
    write(native, "name", WithSelector(0, Image(plain)));
    auto list = Frames(3, 4);
    TFrameList frames;
    for (int f = 0; f < 3; ++f) {
        auto copy = std::make_unique<TFrm>();
        for (const Tpt &p : list->GetFrame(f)->Points()) copy->AddPoint(p.Data);
        frames.Add(std::move(copy));
    }
    const Bytes frm = Image(*frames.GetFrame(1));
    write(native, "frame", WithSelector(1, frm));
    write(native, "frame-cut50", WithSelector(1, Cut(frm, 50)));
    const Bytes fl = Image(frames);
    write(native, "frame-list", WithSelector(2, fl));
    write(native, "frame-list-cut120", WithSelector(2, Cut(fl, 120)));
    write(native, "point", WithSelector(3, Cut(Bytes(frm.begin() + 37, frm.end()), 20)));

    // The standard reading: every format, a palette, colour tables with
    // either header, the end marker, and cuts.
    const auto standard = out / "ilda_standard";
    ilda::SectionWriter sections;
    std::vector<ilda::Point> points(20);
    for (std::size_t k = 0; k < points.size(); ++k) {
        points[k].x = static_cast<std::int16_t>(1000 * k);
        points[k].y = static_cast<std::int16_t>(-700 * k);
        points[k].z = static_cast<std::int16_t>(k);
        points[k].status = k + 1 == points.size() ? 0x80 : (k % 4 == 0 ? 0x40 : 0);
        points[k].colorIndex = static_cast<std::uint8_t>(k * 3);
        points[k].color = static_cast<ilda::Color>(0x10203 * k);
    }
    Bytes palette = Cut(Image(*Frames(1, 0)), 32);
    palette[7] = 2;
    palette[25] = 4;
    for (int c = 0; c < 12; ++c)
        palette.push_back(static_cast<std::uint8_t>(c * 20));
    const Bytes table = {'I', 'L', 'D', 'A', 0, 0, 0, 3, 0, 0, 0, 10, 0, 0, 0, 2, 255, 0, 0, 0, 255, 0};
    for (const std::uint8_t format : {0, 1, 4, 5}) {
        ilda::Header header;
        header.format = format;
        header.number = format;
        header.total = 4;
        header.name = ilda::NameField("seed");
        sections.AddFrame(header, points);
    }
    sections.AddEndMarker({});
    Bytes mixed = palette + table;
    mixed.insert(mixed.end(), sections.Bytes().begin(), sections.Bytes().end());
    write(standard, "mixed", mixed);
    for (const std::size_t cut : {20u, 50u, 70u, 90u, 300u, 500u})
        write(standard, "mixed-cut" + std::to_string(cut), Cut(mixed, cut));
    write(standard, "legacy-three-frames", three);

    // Byte strings for the round trip: any bytes make frames.
    const auto round = out / "ilda_roundtrip";
    std::uint32_t state = 12345;
    for (const std::size_t len : {0u, 16u, 64u, 300u, 1500u, 4000u}) {
        Bytes b(len);
        for (auto &x : b) x = static_cast<std::uint8_t>((state = state * 1103515245u + 12345u) >> 24);
        write(round, "random-" + std::to_string(len), b);
    }
}

} // namespace fuzzseeds
