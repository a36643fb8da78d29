// What lumivex-bench prints, and the window figures, which exist only when
// the window is built.
#pragma once

#include "Workloads.h"

#include "scan/Figures.h"

#include <string>

namespace player {
class PlayerWindow;
}

namespace bench {

// One line on stdout: "name value unit".
void Figure(const std::string &name, double value, const std::string &unit);

// The lumivex program built beside this one.
std::string LumivexProgram();

// A 40-letter line of text to an ILDA file: in this process (single-stroke,
// prepared, outline) and `lumivex text` as a process. False when one failed.
bool TextFigures(bool quick, const TempDir &dir);

// Runs command through the shell, passing on the figures it prints; false
// when it could not start or did not end with status 0.
bool RunChildFigures(const std::string &command);

// The standard ILDA reading of a generated 150 MB file (20 frames, not 300,
// with quick), in this process and through `lumivex ilda` beside this
// program. False when it went wrong.
bool StandardIldaFigures(bool quick, const TempDir &dir);

// Opens a generated file (1 GiB, or 64 MiB with quick) in the real window,
// each in a fresh process so that its peak memory is the window's alone,
// and prints the figures. False when a run failed or showed a wrong line.
bool ViewerFigures(bool quick, const TempDir &dir);

// The child's side: opens path through File, Open and prints its figures,
// each name prefixed with prefix.
int RunViewerChild(const std::string &path, const std::string &prefix, int argc, char **argv);

// The player on a generated 150 MB ILDA file (20 frames with quick), in a
// child process under GNU time. False when a run failed.
bool PlayerFigures(bool quick, const TempDir &dir);

// The child's side: opens path in the player's window, offscreen, and
// prints the figures.
int RunPlayerChild(const std::string &path, bool quick, int argc, char **argv);

// The player on millions of one-point frames and on a long run of palettes,
// in a child process under GNU time: peak memory, jumps, closing while
// reading. False when a run failed.
bool PlayerIndexFigures(bool quick, const TempDir &dir);
int RunPlayerIndexChild(const std::string &dots, const std::string &palettes, int argc, char **argv);
// The optimiser against the fixed recipe on generated frames (fewer with
// quick): a table per frame, the totals and the speed. False when it falls
// short of the quality or of the recipe's points.
bool OptimizerFigures(bool quick);
// Whether a prepared frame's figures reach the optimiser's targets.
bool Holds(const scan::Figures &figures, const scan::Profile &profile);
// The colour delay table: frames prepared for 0 to 300 µs of lag against
// frames prepared for none, drawn under it.
bool DelayFigures(bool quick);

// Frames held to a refresh floor against the fixed recipe's output thinned
// to the same points, and dashed lines against the recipe's whole lines.
bool BudgetFigures(bool quick);
// The scanner view of the first frame of path in window (shown), and the
// figures beside it; false when the frame cannot be read.
bool ScannerViewFigures(player::PlayerWindow &window, const std::string &path, bool quick);
// Live output to each DAC emulator on loopback (2 s with quick, else 60 s)
// and discovery of each. False when a stream failed.
bool LiveOutputFigures(bool quick);
// The projector's output stage: its speed on a 65,535-point frame and
// against the optimiser alone, and the lit samples inside blank zones.
// False when the beam was lit inside one.
bool ProjectorFigures(bool quick);

// One show to two and four emulators in step: how far apart frames start.
bool MultiShowFigures(bool quick);

} // namespace bench
