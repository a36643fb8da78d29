#!/usr/bin/env python3
"""Writes the scroll bar's bitmap resources as 16-colour BMPs.

The arrows are black on magenta; the flat button takes the bottom-left
colour (magenta) as transparent. Run from anywhere: the files land next to
this script.
"""
import os
import struct

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, MAROON, NAVY, SILVER, GRAY, MAGENTA, WHITE = 0, 1, 4, 7, 8, 13, 15

# Arrow pictures: per row from the top, the (first, last) black columns.
ARROWS = {
    "levoScrollBar": (7, 9, [(4, 4), (3, 4), (2, 4), (1, 4), (1, 4), (2, 4), (3, 4), (4, 4), None]),
    "desnoScrollBar": (7, 9, [(2, 2), (2, 3), (2, 4), (2, 5), (2, 5), (2, 4), (2, 3), (2, 2), None]),
    "goreScrollbar": (11, 5, [(4, 5), (3, 6), (2, 7), (1, 8), None]),
    "doleScrollbar": (11, 5, [(1, 8), (2, 7), (3, 6), (4, 5), None]),
}


def write_bmp(path, rows):
    """rows: list of lists of palette indices, top row first."""
    height, width = len(rows), len(rows[0])
    stride = ((width + 1) // 2 + 3) // 4 * 4
    pixels = bytearray()
    for row in reversed(rows):  # BMP rows run bottom-up
        line = bytearray()
        for x in range(0, width, 2):
            high = row[x]
            low = row[x + 1] if x + 1 < width else 0
            line.append(high << 4 | low)
        line.extend(b"\0" * (stride - len(line)))
        pixels.extend(line)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(pixels), 2835, 2835, 16, 0)
    with open(path, "wb") as f:
        f.write(header + info + palette + pixels)


def arrow(width, height, spans):
    rows = []
    for span in spans:
        row = [MAGENTA] * width
        if span:
            for x in range(span[0], span[1] + 1):
                row[x] = BLACK
        rows.append(row)
    assert len(rows) == height
    return rows


def scroll_bar_picture(size, thumb_colour):
    """A small horizontal scroll bar in the middle of a magenta square."""
    rows = [[MAGENTA] * size for _ in range(size)]
    top, bottom = size // 2 - size // 6, size // 2 + size // 6
    left, right = 1, size - 2
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            edge = y in (top, bottom) or x in (left, right)
            rows[y][x] = BLACK if edge else WHITE
    box = bottom - top  # arrow boxes are square
    for x0 in (left, right - box):
        for y in range(top + 1, bottom):
            for x in range(x0 + 1, x0 + box):
                rows[y][x] = SILVER
        for y in range(top, bottom + 1):
            rows[y][x0] = rows[y][x0 + box] = BLACK
    mid = (top + bottom) // 2
    reach = max(1, box // 2 - 2)
    for i in range(reach + 1):  # left and right arrow heads
        for y in range(mid - reach + i, mid + reach - i + 1):
            rows[y][left + 2 + i + (box - 2 - reach) // 2] = BLACK
            rows[y][right - 2 - i - (box - 2 - reach) // 2] = BLACK
    thumb = left + box + (right - left - 2 * box) // 3
    for y in range(top + 1, bottom):
        for x in range(thumb, thumb + box):
            rows[y][x] = thumb_colour
    return rows


def about_picture():
    """The bar picture with a vertical bar beside it, on a silver tile."""
    rows = scroll_bar_picture(32, NAVY)
    for y in range(2, 30):
        for x in (27, 30):
            rows[y][x] = BLACK
        for x in (28, 29):
            rows[y][x] = GRAY if 12 <= y <= 17 else WHITE
    for x in range(27, 31):
        rows[2][x] = rows[29][x] = BLACK
    return rows


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, (width, height, spans) in ARROWS.items():
        write_bmp(os.path.join(here, name + ".bmp"), arrow(width, height, spans))
    write_bmp(os.path.join(here, "TZELKSCROLLBAR.bmp"), scroll_bar_picture(24, MAROON))
    write_bmp(os.path.join(here, "ABOUTSCROLLBAR.bmp"), about_picture())


if __name__ == "__main__":
    main()
