// The texts the player shows about a file and its frames, each written once
// for the window and the command line.
#pragma once

#include "ilda/Reading.h"

#include <QString>
#include <QStringList>

#include <cstddef>

namespace player {

// "4 (3D, true colour)"
QString FormatText(std::uint8_t format);
// The palette in effect for the frame's points: none for true colour, the
// standard's default, or the last palette section before the frame.
QString PaletteText(const ilda::FrameInfo &frame);
// "65535", or "12 of 100 (the file ends inside the frame)".
QString PointsText(const ilda::FrameInfo &frame);
// "Frame 464 of 464": index counted from 0, shown from 1; more while the
// file is still being read.
QString FrameLabel(std::size_t index, std::size_t count, bool more = false);
// The frame's own number and total in its header: "463 of 464".
QString HeaderNumberText(const ilda::Header &header);
// One line per message of the reading: "warning at byte N (frame K): text".
QStringList MessageLines(const ilda::ReadOutcome &outcome);
// The status line once the file is read: frames, then the verdict.
QString VerdictText(std::size_t frames, const ilda::ReadOutcome &outcome);
// "byte N: text", or "byte N (frame K): text" when it concerns a frame
// (counted from 1, as the window counts them).
QString DiagnosticText(const ilda::Diagnostic &diagnostic);

} // namespace player
