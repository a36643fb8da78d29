// Text frames against the font's own strokes, read with the font library:
// every stroke segment lit, each exactly once, nothing else lit.
#include "TextFrames.h"

#include "text/Hershey.h"
#include "text/Layout.h"
#include "text/Utf8.h"

extern "C" {
#include <hersheyfont.h>
}

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace {

using texttest::LitSegments;
using texttest::Segment;
using texttest::Spot;
using texttest::Undirected;

struct Case {
    const char *font;
    const char *text;
};

struct FontFree {
    void operator()(hershey_font *font) const { hershey_font_free(font); }
};

// The segments the font's glyphs hold, placed as the frame was.
std::set<Segment> FontSegments(const Case &c, const text::Placement &at)
{
    const std::unique_ptr<hershey_font, FontFree> font(hershey_font_load(c.font));
    EXPECT_TRUE(font) << c.font;
    std::set<Segment> segments;
    double penX = 0;
    auto spot = [&](const hershey_vertex &v) {
        return Spot{int(std::lround((penX + v.x) * at.scale + at.dx)), int(std::lround(v.y * at.scale + at.dy))};
    };
    for (const char *letter = c.text; font && *letter; ++letter) {
        const hershey_glyph *glyph = hershey_font_glyph(font.get(), static_cast<unsigned char>(*letter));
        for (const hershey_path *path = glyph->paths; path; path = path->next)
            for (unsigned i = 1; i < path->nverts; ++i)
                if (spot(path->verts[i - 1]) != spot(path->verts[i]))
                    segments.insert(Undirected(spot(path->verts[i - 1]), spot(path->verts[i])));
        penX += glyph->width;
    }
    return segments;
}

class GlyphStrokes : public ::testing::TestWithParam<Case> {};

TEST_P(GlyphStrokes, FrameLightsTheFontsStrokesOnceEach)
{
    const Case c = GetParam();
    const auto shaped = text::ShapeHershey(c.font, text::DecodeUtf8(c.text).value());
    ASSERT_TRUE(shaped) << shaped.message();
    EXPECT_TRUE(shaped->missing.empty());
    const auto at = text::PlaceStill(*shaped, 0);
    ASSERT_TRUE(at);
    const auto frame = text::DrawText(*shaped, *at, ilda::Rgb(0, 255, 0));
    ASSERT_TRUE(frame);

    const std::vector<Segment> lit = LitSegments(*frame);
    const std::set<Segment> unique(lit.begin(), lit.end());
    EXPECT_EQ(unique, FontSegments(c, *at));
    EXPECT_EQ(lit.size(), unique.size()) << "a segment is lit twice";
    ASSERT_FALSE(frame->empty());
    EXPECT_TRUE(frame->front().Blanked()) << "the beam moves dark to the first stroke";
    EXPECT_TRUE(frame->back().Last());
    for (const ilda::Point &point : *frame)
        EXPECT_EQ(point.color, point.Blanked() ? 0u : ilda::Rgb(0, 255, 0));
}

INSTANTIATE_TEST_SUITE_P(Fonts, GlyphStrokes,
                         ::testing::Values(Case{"futural", "HELLO WORLD"}, Case{"rowmand", "Lumivex 42"},
                                           Case{"scripts", "laser show"}, Case{"gothiceng", "Quartz"},
                                           Case{"timesr", "A-B, {x}!"}, Case{"futural", "MWMW"}));

// A letter the font lacks is listed once and takes a space's width.
TEST(MissingGlyphs, AreListedAndLeftAsSpaces)
{
    const auto with = text::ShapeHershey("futural", U"a\u00E9b\u2603\u00E9");
    const auto spaced = text::ShapeHershey("futural", U"a b  ");
    ASSERT_TRUE(with && spaced);
    EXPECT_EQ(with->missing, U"\u00E9\u2603");
    ASSERT_EQ(with->strokes.size(), spaced->strokes.size());
    for (std::size_t i = 0; i < with->strokes.size(); ++i) {
        ASSERT_EQ(with->strokes[i].size(), spaced->strokes[i].size());
        for (std::size_t j = 0; j < with->strokes[i].size(); ++j)
            EXPECT_EQ(with->strokes[i][j].x, spaced->strokes[i][j].x);
    }
}

TEST(HersheyFonts, ListsTheInstalledFontsAndRefusesOthers)
{
    const auto fonts = text::HersheyFonts();
    EXPECT_NE(std::find(fonts.begin(), fonts.end(), text::kDefaultHersheyFont), fonts.end());
    EXPECT_TRUE(std::is_sorted(fonts.begin(), fonts.end()));
    for (const char *name : {"../futural", "FUTURAL", "futural.jhf", ""})
        EXPECT_FALSE(text::ShapeHershey(name, U"A")) << name;
}

} // namespace
