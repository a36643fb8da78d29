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
// One line per message of the reading: "warning at byte N: text".
QStringList MessageLines(const ilda::ReadOutcome &outcome);
// The status line once the file is read: frames, then the verdict.
QString VerdictText(std::size_t frames, const ilda::ReadOutcome &outcome);
// "byte N: text"
QString DiagnosticText(const ilda::Diagnostic &diagnostic);

} // namespace player
