// A 40-letter line to an ILDA file: in this process (shaping, placing,
// drawing, the file's bytes), prepared for ilda-30k, in an outline font,
// and `lumivex text` as a whole process.
#include "Figures.h"

#include "ilda/Writing.h"
#include "scan/Prepare.h"
#include "scan/Profile.h"
#include "text/Hershey.h"
#include "text/Layout.h"
#include "text/Utf8.h"
#ifdef LUMIVEX_OUTLINE_FONTS
#include "outlinefont/OutlineFont.h"
#endif

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char *kLine = "THE QUICK BROWN FOX JUMPS OVER LAZY DOGS"; // 40 letters

// The file's size in bytes: the line shaped by shape, drawn and written.
template <class Shape> std::size_t LineToIlda(Shape shape, bool prepare)
{
    const auto shaped = shape(text::DecodeUtf8(kLine).value());
    const auto at = text::PlaceStill(shaped.value(), 0);
    auto points = text::DrawText(shaped.value(), at.value(), ilda::Rgb(255, 0, 0)).value();
    if (prepare)
        points = scan::PrepareFrame(points, scan::DefaultProfile());
    ilda::SectionWriter file;
    ilda::Header header;
    header.format = ilda::kFormat2dTrueColor;
    file.AddFrame(header, points);
    file.AddEndMarker(header);
    return file.Bytes().size();
}

// The fastest of runs, in milliseconds; 0 when the work wrote nothing.
template <class Work> double BestMs(int runs, Work work)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        if (work() == 0)
            return 0;
        best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

} // namespace

bool bench::TextFigures(bool quick, const TempDir &dir)
{
    const int runs = quick ? 3 : 20;
    auto hershey = [](const std::u32string &letters) { return text::ShapeHershey("futural", letters); };
    const double line = BestMs(runs, [&] { return LineToIlda(hershey, false); });
    const double prepared = BestMs(runs, [&] { return LineToIlda(hershey, true); });
    bench::Figure("text_line40_ms", line, "ms");
    bench::Figure("text_line40_prepared_ms", prepared, "ms");
    bool ok = line > 0 && prepared > 0;
#ifdef LUMIVEX_OUTLINE_FONTS
    auto outline = [](const std::u32string &letters) { return outlinefont::ShapeOutline("DejaVu Sans", letters); };
    const double outlined = BestMs(runs, [&] { return LineToIlda(outline, false); });
    bench::Figure("text_line40_outline_ms", outlined, "ms");
    ok = ok && outlined > 0;
#endif
    const std::string out = (dir.Path() / "line.ild").string();
    const std::string command = "'" + LumivexProgram() + "' text --force -o '" + out + "' '" + kLine + "'";
    const double process = BestMs(runs, [&] { return std::size_t(std::system(command.c_str()) == 0); });
    bench::Figure("text_line40_process_ms", process, "ms");
    return ok && process > 0;
}
