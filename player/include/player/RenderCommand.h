// lumivex-player --render: one frame of a file drawn into a square PNG
// (or an SVG when the name ends in .svg), for thumbnails and scripts. Needs a QGuiApplication (offscreen will do).
#pragma once

#include <cstddef>
#include <string>

namespace player {

struct RenderResult {
    int exitCode = 0;    // 0 written, 1 the file, the frame or the output failed
    std::string message; // one line for stderr when it failed
};

// The picture's kind follows output's name (PictureKindOf).
// profile: a scanner profile's name, to draw the frame as that scanner
// draws it; empty for the projector's view.
RenderResult RenderFrameToPng(const std::string &file, int frame, int size, const std::string &output,
                              const std::string &profile = {});

// Every frame of file, each into pattern with its number put in for the
// one %d (%04d ...) it holds: a PNG, or an SVG when the name ends in .svg.
// With progress, a line on stderr tells how far it is, rewritten in place.
RenderResult RenderAllFrames(const std::string &file, int size, const std::string &pattern, bool progress);

// The title an SVG of frame (counted from 0) of file carries.
std::string RenderTitle(const std::string &file, std::size_t frame);

} // namespace player
