// A drawing's bytes made ready for Qt SVG: unpacked when gzip-compressed,
// and without the images it would otherwise open from any path.
#pragma once

#include "rtl/Result.h"

#include <QByteArray>

namespace svgin {

// An unpacked drawing larger than this is refused: a small .svgz may
// unpack to gigabytes.
constexpr qsizetype kMostUnpacked = qsizetype{64} << 20;

bool IsGzip(const QByteArray &bytes);

// The bytes of a gzip member, or why they cannot be had.
rtl::Result<QByteArray> Gunzip(const QByteArray &bytes);

struct Cleaned {
    QByteArray xml;
    int imagesLeftOut = 0;
};

// The document without its image elements (we trace outlines, and Qt
// would read an image from any local file, a FIFO included), or the XML's
// own complaint with its line.
rtl::Result<Cleaned> WithoutImages(const QByteArray &xml);

} // namespace svgin
