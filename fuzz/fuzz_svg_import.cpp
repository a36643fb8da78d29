// SVG drawings from arbitrary bytes, plain or gzipped: refused with a
// reason, or a frame an ILDA file holds, whatever the dark rule.
#include "Check.h"

#include "svgin/SvgImport.h"

#include <cstddef>
#include <cstdint>

// Qt's application, platform and fonts come up once, before the clock of
// the first input starts.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    const char text[] = "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 9 9'><text y='5'>T</text></svg>";
    (void)svgin::ImportSvg({reinterpret_cast<const std::uint8_t *>(text), sizeof text - 1});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    svgin::ImportOptions options;
    options.dark = size % 3 == 0   ? svgin::DarkRule::Keep
                   : size % 3 == 1 ? svgin::DarkRule::Replace
                                   : svgin::DarkRule::Drop;
    const svgin::Drawing drawing = svgin::ImportSvg({data, size}, options);
    if (!drawing.problem.empty()) {
        FUZZ_CHECK(drawing.points.empty());
        return 0;
    }
    FUZZ_CHECK(!drawing.points.empty() && drawing.points.size() <= 65535);
    FUZZ_CHECK(drawing.points.front().Blanked());
    for (std::size_t i = 0; i + 1 < drawing.points.size(); ++i)
        FUZZ_CHECK(!drawing.points[i].Last());
    FUZZ_CHECK(drawing.points.back().Last());
    for (const ilda::Point &p : drawing.points)
        FUZZ_CHECK(!p.Blanked() || p.color == 0);
    return 0;
}
