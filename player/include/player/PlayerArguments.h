// What the player's command line asks for: the window (with an optional
// file), a frame rendered to a PNG without a display, help or the version.
// Plain C++, so it is answered before any display is needed.
#pragma once

#include <string>
#include <vector>

namespace player {

struct Arguments {
    enum class Action { Run, Render, Help, Version, Error };
    Action action = Action::Run;
    std::string file;          // the file to open or render; empty for none
    int frame = 0;             // Render: counted from 0
    bool allFrames = false;    // Render: --frame all, output a name pattern such as frames/%04d.png
    int size = 0;              // Render: pixels of each side
    std::string output;        // Render: the PNG to write
    std::string profile;       // Render: the scanner profile to draw with; empty for the projector's view
    std::string problem;       // Error: what is wrong
    std::string unknownOption; // Error: the option not known, if that is what is wrong
};

// A file manager asks for 128 or 256 pixels; without --size, the larger.
constexpr int kDefaultRenderSize = 256;
constexpr int kMaxRenderSize = 8192;

// args: the words after the program's name. --help and --version win
// wherever they stand before "--"; "--" ends the options.
Arguments ParseArguments(const std::vector<std::string> &args);

std::string UsageText();
std::string VersionText();

} // namespace player
