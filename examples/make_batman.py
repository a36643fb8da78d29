#!/usr/bin/env python3
"""Writes batman.dat, the demonstration outline the viewer opens at start.

The outline is the piecewise bat curve (outer wing ellipse, scalloped lower
edge, shoulders, ears and head), walked once round and resampled at equal
arc length. Samples are signed bytes, scaled to stay inside -120..120.

    python3 examples/make_batman.py [OUTPUT]      (default: batman.dat here)
"""
import math
import os
import sys

POINTS = 600            # N; the file holds N + 1 samples per axis
UNDRAWN = 10            # the viewer lists the last ten samples but draws none
SCALE = 17.0            # x runs from -7 to 7, so |x| * SCALE <= 119
C = (3 * math.sqrt(33) - 7) / 112


def top(x):
    """Upper edge for |x| <= 3: head, ears, shoulders."""
    a = abs(x)
    if a <= 0.5:
        return 2.25
    if a <= 0.75:
        return 3 * a + 0.75
    if a <= 1:
        return 9 - 8 * a
    return 6 * math.sqrt(10) / 7 + (1.5 - 0.5 * a) - 3 * math.sqrt(10) / 7 * math.sqrt(max(0.0, 4 - (a - 1) ** 2))


def bottom(x):
    """Lower edge for |x| <= 4, with the scallops between the wings."""
    a = abs(x)
    return a / 2 - C * x * x - 3 + math.sqrt(max(0.0, 1 - (abs(a - 2) - 1) ** 2))


def wing(x, upper):
    """The wing ellipse (x/7)^2 + (y/3)^2 = 1 for 3 <= |x| <= 7 (upper) or 4 <= |x| <= 7."""
    y = 3 * math.sqrt(max(0.0, 1 - (x / 7) ** 2))
    return y if upper else -y


def dense_outline(steps=4000):
    """The closed outline, clockwise from the middle of the head."""
    pts = []

    def run(x0, x1, f):
        for i in range(steps):
            x = x0 + (x1 - x0) * i / steps
            pts.append((x, f(x)))

    run(0, 3, top)                                   # head, right ear, right shoulder
    # Right wing: round the tip by angle so the steep end is sampled evenly.
    t0 = math.acos(3 / 7)
    t1 = -math.acos(4 / 7)
    for i in range(steps):
        t = t0 + (t1 - t0) * i / steps
        pts.append((7 * math.cos(t), 3 * math.sin(t)))
    run(4, -4, bottom)                               # lower edge, right to left
    t0 = math.pi + math.acos(4 / 7)
    t1 = math.pi - math.acos(3 / 7)
    for i in range(steps):
        t = t0 + (t1 - t0) * i / steps
        pts.append((7 * math.cos(t), 3 * math.sin(t)))
    run(-3, 0, top)                                  # left shoulder, left ear, head
    pts.append(pts[0])
    return pts


def resample(pts, count):
    """count points at equal arc length along pts; the last equals the first."""
    lengths = [0.0]
    for (x0, y0), (x1, y1) in zip(pts, pts[1:]):
        lengths.append(lengths[-1] + math.hypot(x1 - x0, y1 - y0))
    total = lengths[-1]
    out, j = [], 0
    for i in range(count):
        target = total * i / (count - 1)
        while j < len(lengths) - 2 and lengths[j + 1] < target:
            j += 1
        span = lengths[j + 1] - lengths[j]
        f = 0.0 if span == 0 else (target - lengths[j]) / span
        (x0, y0), (x1, y1) = pts[j], pts[j + 1]
        out.append((x0 + (x1 - x0) * f, y0 + (y1 - y0) * f))
    return out


def signed_byte(value):
    s = int(round(value * SCALE))
    assert -120 <= s <= 120, s
    return s & 0xFF


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "batman.dat")
    drawn = POINTS + 1 - UNDRAWN
    outline = resample(dense_outline(), drawn)
    samples = outline + [outline[0]] * UNDRAWN       # the undrawn tail rests on the start
    head = bytearray(64)
    title = b"Lumivex demonstration outline: bat"
    head[: len(title)] = title
    head[48], head[49] = divmod(POINTS, 255)         # the count is H * 255 + L
    xs = bytes(signed_byte(x) for x, _ in samples)
    ys = bytes(signed_byte(y) for _, y in samples)
    with open(target, "wb") as out:
        out.write(bytes(head) + xs + ys)


if __name__ == "__main__":
    main()
