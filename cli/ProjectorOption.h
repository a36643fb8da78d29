// --projector FILE: frames corrected for the projector a setup file
// describes, by the one output stage. One reading of the option for every
// command that takes it.
#pragma once

#include "projector/Stage.h"

#include <memory>
#include <string>
#include <variant>

namespace cli {

using ProjectorStage = std::shared_ptr<const projector::OutputStage>;

// The stage for the setup in fileName, or why it cannot be had (the file
// and, for a file refused, its key: "p.json: zones[1].points: ...").
std::variant<ProjectorStage, std::string> LoadProjector(const std::string &fileName);

// A projector names its scanner itself.
constexpr const char *kProjectorOrProfile =
    "--projector names the scanner itself: leave out --profile, --rate, --cutoff, --lit-step, --blank-step "
    "and --tolerance";

} // namespace cli
