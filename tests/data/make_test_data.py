#!/usr/bin/env python3
"""Writes the small point files the tests and the window's tests read.

Run from anywhere: python3 tests/data/make_test_data.py
Every file is made here; nothing is copied from elsewhere.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))


def header(title, count):
    """Bytes 0..63: a title, the count as H*255 + L at 48/49, zeros."""
    head = bytearray(64)
    text = title.encode("ascii")[:48]
    head[: len(text)] = text
    head[48], head[49] = divmod(count, 255)
    return head


def point_file(count, samples=None):
    """A file claiming count points with count + 1 samples per axis (or samples)."""
    n = count + 1 if samples is None else samples
    xs = bytes((k * 37 + 3) & 0xFF for k in range(n))
    ys = bytes((k * 11 + 200) & 0xFF for k in range(n))
    return bytes(header("Lumivex test outline, %d points" % count, count)) + xs + ys


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(data)


def main():
    for count in (0, 9, 10, 11, 31, 32, 2000):
        write("points-%d.dat" % count, point_file(count))
    # Header bytes 0x07 0xD8: one more than the largest count accepted.
    write("points-2001.dat", point_file(2001))
    # Claims 100 points but stops in the middle of the X samples.
    write("truncated-100.dat", point_file(100)[:150])
    # Any file can be opened: 4096 bytes, zero count, one zero sample per axis.
    write("zeros-4096.bin", bytes(4096))
    # Every byte value once, for the hex dump's character column.
    write("all-bytes.bin", bytes(range(256)))


if __name__ == "__main__":
    main()
