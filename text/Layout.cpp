#include "text/Layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace text {

namespace {

constexpr double kInfinite = std::numeric_limits<double>::infinity();

double LineHeight(const Shaped &shaped, const Box &ink)
{
    const double line = shaped.top - shaped.bottom;
    return line > 0 ? line : std::max(ink.top - ink.bottom, ink.right - ink.left);
}

// The largest scale that keeps extent within limit (any scale when it is 0).
double FitScale(double extent, double limit)
{
    return extent > 0 ? limit / extent : kInfinite;
}

rtl::Result<Box> Ink(const Shaped &shaped)
{
    const auto ink = InkBox(shaped);
    if (!ink)
        return rtl::Fail("the text draws nothing in this font");
    return *ink;
}

Placement Scaled(const Shaped &shaped, const Box &ink, double wanted, double fit)
{
    Placement placement;
    placement.scale = std::min(wanted, fit);
    placement.shrunk = wanted != kInfinite && fit < wanted * (1 - 1e-3);
    placement.height = placement.scale * LineHeight(shaped, ink) / (kSpan + 1) * 100;
    placement.dx = -(ink.left + ink.right) / 2 * placement.scale;
    placement.dy = -(ink.bottom + ink.top) / 2 * placement.scale;
    return placement;
}

double WantedScale(const Shaped &shaped, const Box &ink, double heightPercent)
{
    return heightPercent > 0 ? heightPercent / 100 * (kSpan + 1) / LineHeight(shaped, ink) : kInfinite;
}

} // namespace

std::optional<Box> InkBox(const Shaped &shaped)
{
    std::optional<Box> box;
    for (const Polyline &stroke : shaped.strokes)
        for (const Vec &v : stroke) {
            if (!box)
                box = Box{v.x, v.x, v.y, v.y};
            box->left = std::min(box->left, v.x);
            box->right = std::max(box->right, v.x);
            box->bottom = std::min(box->bottom, v.y);
            box->top = std::max(box->top, v.y);
        }
    return box;
}

rtl::Result<Placement> PlaceStill(const Shaped &shaped, double heightPercent)
{
    const auto ink = Ink(shaped);
    if (!ink)
        return ink.failure();
    const double limit = heightPercent > 0 ? kSpan : kSpan * kFitShare;
    const double fit = std::min(FitScale(ink->right - ink->left, limit), FitScale(ink->top - ink->bottom, limit));
    if (fit == kInfinite)
        return rtl::Fail("the text draws nothing in this font");
    return Scaled(shaped, *ink, WantedScale(shaped, *ink, heightPercent), fit);
}

rtl::Result<Placement> PlaceScroll(const Shaped &shaped, double heightPercent)
{
    const auto ink = Ink(shaped);
    if (!ink)
        return ink.failure();
    const double wanted = WantedScale(shaped, *ink, heightPercent > 0 ? heightPercent : kScrollHeight);
    return Scaled(shaped, *ink, wanted, FitScale(ink->top - ink->bottom, kSpan));
}

Placement ScrollStep(const Shaped &shaped, Placement placement, std::size_t index, std::size_t count)
{
    const Box ink = InkBox(shaped).value_or(Box{});
    // From one unit beyond the right edge to one beyond the left.
    const double travel = kSpan + 2 + (ink.right - ink.left) * placement.scale;
    const double done = double(index) / double(std::max<std::size_t>(count, 1));
    placement.dx = kSpan / 2 + 1 - ink.left * placement.scale - travel * done;
    return placement;
}

} // namespace text
