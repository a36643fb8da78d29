// The frame as a scanner draws it: the mirror's path under a profile, lit
// where the beam is on, each pixel as bright as the time the beam spends
// on it. Light adds up on a black ground; slow parts and dwell come out
// bright, fast strokes dim. One drawing for the scanner view and --render.
#pragma once

#include "ilda/Codec.h"
#include "scan/Profile.h"

#include <QImage>

#include <span>
#include <string>

namespace player {

// The frame as the profile's scanner draws it, in a size x size square
// with ILDA coordinates placed as the projector's view places them. A
// stroke drawn at the profile's largest lit step comes out at about two
// thirds of its colour; where the beam lingers, at nearly all of it.
QImage RenderScannerImage(std::span<const ilda::Point> points, int size, const scan::Profile &profile);

// Writes that image as a PNG to path without harming what was there when
// it fails; the reason of a failure, empty on success.
std::string WriteScannerPng(const std::string &path, std::span<const ilda::Point> points, int size,
                            const scan::Profile &profile);

} // namespace player
