// What `lumivex convert` was asked to do, shared by its files.
#pragma once

#include "ProjectorOption.h"
#include "frames/Select.h"
#include "frames/Transform.h"
#include "lumivex/Colors.h"
#include "scan/Profile.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace cli {

enum class PaletteChoice { Default, Auto };

// What a drawing's dark paint becomes: --dark COLOR|keep|drop.
enum class DarkChoice { Replace, Keep, Drop };

struct ConvertOptions {
    lumivex::TColor color = lumivex::clRed;
    bool colorGiven = false;
    std::optional<std::string> output;
    std::optional<std::string> outputDir;
    bool force = false;
    bool parents = false;
    bool quiet = false;
    bool join = false;
    std::optional<std::uint8_t> format; // unset: the bytes of File, Save; an ILDA frame keeps its own
    std::optional<PaletteChoice> palette;
    frames::FrameList frameList;
    bool framesGiven = false;
    frames::TransformOptions transform;
    bool transformGiven = false;
    bool fit = false;
    double margin = 0;
    std::optional<scan::Profile> profile;
    DarkChoice dark = DarkChoice::Replace;
    lumivex::TColor darkColor = lumivex::clWhite;
    ProjectorStage projector; // --projector: the output stage instead of the profile alone
    std::vector<std::string> inputs;

    // Anything a point file's old conversion does not know.
    bool NeedsPipeline() const
    {
        return join || palette || framesGiven || transformGiven || fit || profile || projector;
    }
};

// Takes --dark's value; a problem comes back as its text.
std::optional<std::string> TakeDarkOption(const std::string &value, ConvertOptions &options);

// The output's name for input: -o, or the input's with .ild, in --output-dir.
std::string OutputName(const std::string &input, const ConvertOptions &options);

// Why output must not be written for input (it is the input, was written in
// this run, or exists without --force); nothing when it may be. written
// holds the outputs of this run.

// The frame name of the standard formats: the input's name without its
// extension, in printable ASCII.
std::string FrameName(const std::string &input);

} // namespace cli
