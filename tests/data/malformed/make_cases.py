#!/usr/bin/env python3
"""Writes the malformed point files and ILDA files of this folder and their
index, cases.tsv: for each file and command, the exit status and the exact
text on stderr that `lumivex` must give.

Run from anywhere: python3 tests/data/malformed/make_cases.py
Columns of cases.tsv (tab-separated, one case a line, '#' starts a comment):
  file, command (the arguments after `lumivex`, FILE for the file, OUT for
  an empty output folder), exit status, stderr (\\n for a line end).
The test runs every command in this folder, so FILE is the bare name.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
cases = []   # (file, command, exit, stderr)
files = {}   # name -> bytes


def point_file(hi, lo, samples_per_axis=None, size=None):
    n = hi * 255 + lo
    if samples_per_axis is None:
        samples_per_axis = n + 1
    head = b"Lumivex malformed case".ljust(48, b"\0") + bytes([hi, lo]) + bytes(14)
    xs = bytes((round(90 * math.cos(k / 7.0)) & 0xFF) for k in range(samples_per_axis))
    ys = bytes((round(90 * math.sin(k / 7.0)) & 0xFF) for k in range(samples_per_axis))
    data = head + xs + ys
    return data if size is None else data[:size]


def counted(n):
    return divmod(n, 255)


def add_point_case(name, data, why):
    """A point file that `lumivex info`, `list` and `convert` must reject."""
    files[name] = data
    size = len(data)
    n = data[48] * 255 + data[49] if size >= 50 else 0
    if n > 2000:
        msg = "Appears to be an invalid file with %d Points." % n
    else:
        need = 66 + 2 * n
        assert size < need, name
        msg = "Appears to be a truncated file: %d Points need %d bytes, the file holds %d." % (n, need, size)
    cases.append((name, "info FILE", 1, msg + "\n", why))
    cases.append((name, "list FILE", 1, msg + "\n", why))
    if data[:4] == b"ILDA":
        # convert reads it as the ILDA file it is, and mends it.
        cases.append((name, "convert --output-dir OUT FILE", 0, "%s: wrote the missing end marker\n" % name, why))
    else:
        cases.append((name, "convert --output-dir OUT FILE", 1, "%s: %s\n" % (name, msg), why))


def header(fmt=0, points=0, number=0, total=1, sig=b"ILDA"):
    return sig + bytes(3) + bytes([fmt]) + bytes(16) + struct.pack(">HHH", points, number, total) + bytes(2)


def rec0(x, y, z, status, index):
    return struct.pack(">hhhBB", x, y, z, status, index)


def rec1(x, y, status, index):
    return struct.pack(">hhBB", x, y, status, index)


def add_ilda_case(name, data, messages, why, errors=(), warnings=0):
    """An ILDA file, the messages `lumivex ilda --legacy` must pass on, and
    what the standard reading says: its errors as (offset, text) and how
    many deviations from the standard it counts besides."""
    files[name] = data
    err = "".join(m + "\n" for m in messages)
    cases.append((name, "ilda --legacy FILE", 1 if messages else 0, err, why))
    std = "".join("%s: byte %d: %s\n" % (name, at, text) for at, text in errors)
    if warnings:
        std += "%s: %d deviation%s from the ILDA standard; 'lumivex ilda --check' lists them\n" % (
            name, warnings, "" if warnings == 1 else "s")
    cases.append((name, "ilda FILE", 1 if errors else 0, std, why))
    cases.append((name, "ilda --check FILE", 1 if errors or warnings else 0, "", why))


# ---- point files -------------------------------------------------------
add_point_case("pt-empty.dat", b"", "zero-length file")
add_point_case("pt-one-byte.dat", b"\x07", "a file of one byte")
add_point_case("pt-header-cut-20.dat", point_file(0, 20, size=20), "cut inside the unread header")
add_point_case("pt-header-cut-48.dat", point_file(0, 20, size=48), "cut just before the count")
add_point_case("pt-header-cut-49.dat", point_file(0, 20, size=49), "only the count's high byte")
add_point_case("pt-header-cut-50.dat", point_file(0, 20, size=50), "count complete, nothing after it")
add_point_case("pt-header-cut-63.dat", point_file(0, 20, size=63), "cut just before the samples")
add_point_case("pt-count0-65-bytes.dat", point_file(0, 0, size=65), "N 0 needs 66 bytes, one short")
add_point_case("pt-count10-cut-in-x.dat", point_file(0, 10, size=70), "cut inside the X samples")
add_point_case("pt-count10-cut-in-y.dat", point_file(0, 10, size=80), "cut inside the Y samples")
add_point_case("pt-count10-one-short.dat", point_file(0, 10, size=85), "the last Y sample missing")
add_point_case("pt-count255-0100.dat", point_file(1, 0, samples_per_axis=200), "0x01 0x00 is 255, data for 199")
add_point_case("pt-count2000-header-only.dat", point_file(*counted(2000), size=64), "2000 points announced, none there")
add_point_case("pt-count2001.dat", point_file(0x07, 0xD8, samples_per_axis=2002), "0x07 0xD8 is 2001: too many")
add_point_case("pt-count2040.dat", point_file(0x07, 0xFF, samples_per_axis=10), "0x07 0xFF is 2040")
add_point_case("pt-count65280.dat", point_file(0xFF, 0xFF, samples_per_axis=4), "largest count, 65280")
add_point_case("pt-count-ff00.dat", point_file(0xFF, 0x00, size=50), "65025 and nothing else")
add_point_case("pt-ilda-as-points.dat", header(0, 1) + rec0(1, 2, 3, 0xC0, 5), "an ILDA file of 40 bytes read as a point file")
add_point_case("pt-text.dat", b"This is not a point file at all, just a line of text.\n" * 2, "text: count from letters")
add_point_case("pt-all-ff-4066.dat", b"\xff" * 4066, "all bytes 0xFF")

# ---- ILDA files --------------------------------------------------------
EOF_MSG = "Unexpected end of file."
BAD_SIG = ["File error.  ", "Total Frames = 0"]
NOT_ILDA = [(0, 'not an ILDA file: it does not start with "ILDA"')]
NO_HEADER = 'no section header here: "ILDA" expected'


def header_cut(at, got):
    return [(at, "the file ends inside a section header (%d of 32 bytes)" % got)]


def points_cut(at, frame, got, of):
    return [(at, "the file ends inside the points of frame %d: %d of %d read" % (frame, got, of))]


two = header(0, 2) + rec0(-32640, 32640, 0, 0, 5) + rec0(32385, -32385, 0, 0xC0, 5)
add_ilda_case("il-empty.ild", b"", BAD_SIG, "zero-length file", [(0, "the file is empty")])
add_ilda_case("il-one-byte.ild", b"I", BAD_SIG, "a file of one byte", header_cut(0, 1))
add_ilda_case("il-header-cut-4.ild", two[:4], BAD_SIG, "only the signature", header_cut(0, 4))
add_ilda_case("il-header-cut-31.ild", two[:31], BAD_SIG, "header one byte short", header_cut(0, 31))
add_ilda_case("il-signature-ildb.ild", b"ILDB" + two[4:], BAD_SIG, "wrong signature", NOT_ILDA)
add_ilda_case("il-signature-lower.ild", b"ilda" + two[4:], BAD_SIG, "signature in lower case", NOT_ILDA)
add_ilda_case("il-signature-zero.ild", bytes(4) + two[4:], BAD_SIG, "signature of zeros", NOT_ILDA)
# The standard reading: total frames is informational; no end marker.
add_ilda_case("il-total-frames-0.ild", header(0, 2, total=0) + two[32:], ["Total Frames = 0"], "total frames 0",
              warnings=2)
# The standard reading: a header of zero records is the end marker.
add_ilda_case("il-frames-65535-no-data.ild", header(0, 0, total=65535), [EOF_MSG],
              "65535 frames announced, one empty header there")
add_ilda_case("il-hostile-65535x65535.ild", header(0, 65535, total=65535), [EOF_MSG],
              "65535 frames of 65535 points in 32 bytes", points_cut(32, 0, 0, 65535), warnings=1)
add_ilda_case("il-points-more-than-data.ild", header(0, 10) + rec0(1, 2, 3, 0, 1) * 3, [EOF_MSG],
              "10 points announced, 3 there", points_cut(56, 0, 3, 10))
add_ilda_case("il-cut-in-record.ild", two[:44], [EOF_MSG], "cut inside the first record", points_cut(44, 0, 1, 2))
add_ilda_case("il-cut-in-last-record.ild", two[:47], [EOF_MSG], "the last byte missing", points_cut(47, 0, 1, 2))
add_ilda_case("il-cut-in-second-header.ild", header(0, 1, total=2) + rec0(5, 5, 5, 0x80, 2) + header(0, 1, 1, 2)[:20],
              [EOF_MSG], "cut inside the second header", header_cut(40, 20), warnings=1)
add_ilda_case("il-second-header-missing.ild", header(0, 1, total=2) + rec0(5, 5, 5, 0x80, 2), [EOF_MSG],
              "second frame announced, not there", warnings=2)
add_ilda_case("il-format1-cut-in-record.ild", header(1, 2) + rec1(100, -100, 0, 7) + rec1(1, 1, 0, 7)[:3], [EOF_MSG],
              "two-dimensional record cut", points_cut(41, 0, 1, 2))
# Each code after a header of one record and 8 bytes: the standard reading
# knows 2 to 5 (a palette and a table of one colour, a cut 10-byte record,
# a whole 8-byte one) and stops at the rest.
STANDARD_BY_CODE = {
    2: ([(35, NO_HEADER)], 1),
    3: ([(35, NO_HEADER)], 2),
    4: (points_cut(40, 0, 0, 1), 0),
    5: ([], 2),
}
for code in (2, 3, 4, 5, 6, 7, 8, 64, 127, 128, 254, 255):
    errors, warnings = STANDARD_BY_CODE.get(
        code, ([(0, "unknown format code %d: its record size is unknown, so nothing after it can be read" % code)], 0))
    add_ilda_case("il-format-%d.ild" % code, header(code, 1) + rec0(1, 2, 3, 0, 4),
                  ["Unfamiliar format code."], "format code %d" % code, errors, warnings)
add_ilda_case("il-format-5-second.ild", two[:28] + b"\x00\x02" + two[30:] + header(5, 1, 1, 2) + rec0(0, 0, 0, 0, 0),
              ["Unfamiliar format code."], "format code 5 in the second section", warnings=2)
add_ilda_case("il-count-0-section.ild", header(0, 0, total=2) + header(0, 1, 1, 2) + rec0(7, 8, 9, 0x80, 3), [],
              "a section without points among the announced ones", warnings=1)
add_ilda_case("il-extra-sections.ild", header(0, 1, total=1) + rec0(1, 1, 1, 0x80, 1) + header(0, 1, 1, 1) + rec0(2, 2, 2, 0x80, 1), [],
              "a section beyond the announced total is not read", warnings=2)
add_ilda_case("il-closing-header.ild", two + header(0, 0, 0, 0), [], "closing header with zero points")

# A few ILDA files through `info`, as a user who opens one as a point file.
for name in ("il-empty.ild", "il-hostile-65535x65535.ild"):
    data = files[name]
    n = data[48] * 255 + data[49] if len(data) >= 50 else 0
    msg = "Appears to be a truncated file: %d Points need %d bytes, the file holds %d." % (n, 66 + 2 * n, len(data))
    cases.append((name, "info FILE", 1, msg + "\n", "ILDA file opened as a point file"))

# Reproducers the fuzzers found, committed as they came (fuzz-*.bin, not
# written by this script): (file, command, exit, stderr, what it is).
FUZZ_FOUND = [
    ("fuzz-ilda-standard-trailing-bytes.bin", "ilda FILE", 0,
     "fuzz-ilda-standard-trailing-bytes.bin: 1 deviation from the ILDA standard; 'lumivex ilda --check' lists them\n",
     "an end marker and 2 bytes after it: counted alike from a file and a pipe"),
    ("fuzz-ilda-standard-trailing-bytes.bin", "ilda --check FILE", 1, "",
     "an end marker and 2 bytes after it"),
]
for case in FUZZ_FOUND:
    assert os.path.exists(os.path.join(HERE, case[0])), case[0]
    cases.append(case)

with open(os.path.join(HERE, "cases.tsv"), "w", newline="\n") as out:
    out.write("# file\tcommand\texit\tstderr\twhat it is (generated by make_cases.py)\n")
    for name, command, code, err, why in cases:
        out.write("%s\t%s\t%d\t%s\t%s\n" % (name, command, code, err.replace("\\", "\\\\").replace("\n", "\\n"), why))
for name, data in files.items():
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)
print("%d files, %d cases" % (len(files), len(cases)))
