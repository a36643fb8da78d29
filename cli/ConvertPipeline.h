// convert's pipeline: sources (ILDA files, point files, SVG drawings) yield
// frames; selection, transforms, the scanner's preparation, colours and
// repair are stages on them; the ILDA writer streams them into the one
// saving path.
#pragma once

#include "ConvertOptions.h"

#include "rtl/Classes.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace cli {

enum class InputKind { PointFile, Ilda, Svg };

// What stream holds: "ILDA" at its start, an SVG drawing (by its name or
// its first bytes), else a point file. Leaves the stream at its start.
InputKind DetectInput(const std::string &name, rtl::TStream &stream);

// A name that only the pipeline reads (.ild, .svg).
bool LooksLikePipelineInput(const std::string &name);

struct PipelineInput {
    std::string name;
    InputKind kind;
    std::unique_ptr<rtl::TStream> stream; // null: opened by name when read
};

// Converts inputs, in order, into the one file output; false (and a
// message on stderr) when an input was refused, cut short or the output
// could not be written.
bool RunPipeline(std::vector<PipelineInput> inputs, const std::string &output, const ConvertOptions &options,
                 std::set<std::string> &written);

} // namespace cli
