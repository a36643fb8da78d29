#include "ProjectorOption.h"

namespace cli {

std::variant<ProjectorStage, std::string> LoadProjector(const std::string &fileName)
{
    auto setup = projector::LoadSetup(fileName);
    if (!setup)
        return setup.message();
    return std::make_shared<const projector::OutputStage>(*setup);
}

} // namespace cli
