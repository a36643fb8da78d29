#include "text/Hershey.h"

// The library is C, and its header does not say so.
extern "C" {
#include <hersheyfont.h>
}

#include <algorithm>
#include <filesystem>
#include <memory>

namespace text {

namespace {

struct FontFree {
    void operator()(hershey_font *font) const { hershey_font_free(font); }
};
using FontPtr = std::unique_ptr<hershey_font, FontFree>;

// The glyph of letter, or nothing when the font has none: the files hold
// printable ASCII, and a glyph without width or strokes is a gap in them.
const hershey_glyph *GlyphOf(hershey_font *font, char32_t letter)
{
    if (letter < 0x20 || letter > 0x7E)
        return nullptr;
    const hershey_glyph *glyph = hershey_font_glyph(font, static_cast<unsigned char>(letter));
    if (!glyph || (glyph->width == 0 && glyph->npaths == 0))
        return nullptr;
    return glyph;
}

// The highest and lowest any glyph of the font reaches.
void LineBox(hershey_font *font, Shaped &shaped)
{
    bool any = false;
    for (char32_t letter = 0x20; letter <= 0x7E; ++letter) {
        const hershey_glyph *glyph = GlyphOf(font, letter);
        for (const hershey_path *path = glyph ? glyph->paths : nullptr; path; path = path->next)
            for (unsigned i = 0; i < path->nverts; ++i) {
                const double y = path->verts[i].y;
                shaped.top = any ? std::max(shaped.top, y) : y;
                shaped.bottom = any ? std::min(shaped.bottom, y) : y;
                any = true;
            }
    }
}

void AddGlyph(const hershey_glyph &glyph, double penX, Shaped &shaped)
{
    for (const hershey_path *path = glyph.paths; path; path = path->next) {
        Polyline stroke;
        for (unsigned i = 0; i < path->nverts; ++i)
            stroke.push_back({penX + path->verts[i].x, double(path->verts[i].y)});
        shaped.strokes.push_back(std::move(stroke));
    }
}

} // namespace

std::string HersheyFontDir()
{
    return LUMIVEX_HERSHEY_FONT_DIR;
}

std::vector<std::string> HersheyFonts()
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(HersheyFontDir(), error))
        if (entry.path().extension() == ".jhf" && entry.is_regular_file(error))
            names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool IsHersheyFont(const std::string &name)
{
    const auto names = HersheyFonts();
    return std::find(names.begin(), names.end(), name) != names.end();
}

rtl::Result<Shaped> ShapeHershey(const std::string &font, const std::u32string &letters)
{
    // Only a listed name reaches the path, so a name never leaves the folder.
    if (!IsHersheyFont(font))
        return rtl::Fail("no single-stroke font " + font);
    const std::string file = HersheyFontDir() + "/" + font + ".jhf";
    const FontPtr loaded(hershey_jhf_font_load(file.c_str()));
    if (!loaded)
        return rtl::Fail("cannot read the font " + file);
    Shaped shaped;
    LineBox(loaded.get(), shaped);
    const hershey_glyph *space = GlyphOf(loaded.get(), U' ');
    double penX = 0;
    for (const char32_t letter : letters) {
        const hershey_glyph *glyph = GlyphOf(loaded.get(), letter);
        if (!glyph && shaped.missing.find(letter) == std::u32string::npos)
            shaped.missing.push_back(letter);
        if (glyph)
            AddGlyph(*glyph, penX, shaped);
        penX += glyph ? glyph->width : space ? space->width : shaped.top - shaped.bottom;
    }
    return shaped;
}

} // namespace text
