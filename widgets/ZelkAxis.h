// The bar's two directions, so that the layout, the thumb's place, paging
// and dragging are each written once for both kinds of bar: "along" is the
// way the thumb moves, "across" the bar's thickness. Boxes are QRects that
// keep sizes of zero or less, as the panels do.
#pragma once

#include <QRect>

class TZelkAxis {
public:
    explicit constexpr TZelkAxis(bool horizontal) : horizontal_(horizontal) {}

    constexpr int Along(int x, int y) const { return horizontal_ ? x : y; }
    constexpr int Across(int x, int y) const { return horizontal_ ? y : x; }

    // A box from its start and length along the bar and across it.
    QRect Box(int start, int acrossStart, int length, int thickness) const
    {
        return horizontal_ ? QRect(start, acrossStart, length, thickness)
                           : QRect(acrossStart, start, thickness, length);
    }

    // The box's leading edge (left or top) and its length along the bar.
    int Start(const QRect &box) const { return Along(box.x(), box.y()); }
    int Length(const QRect &box) const { return Along(box.width(), box.height()); }

    QRect WithStart(const QRect &box, int start) const
    {
        return Box(start, Across(box.x(), box.y()), Length(box), Across(box.width(), box.height()));
    }
    QRect WithLength(const QRect &box, int length) const
    {
        return Box(Start(box), Across(box.x(), box.y()), length, Across(box.width(), box.height()));
    }

private:
    bool horizontal_;
};
