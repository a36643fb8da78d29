#include "scan/Prepare.h"

namespace scan {

// Placeholder until the optimiser lands: the frame as it is.
std::vector<ilda::Point> PrepareFrame(std::span<const ilda::Point> frame, const Profile &)
{
    return {frame.begin(), frame.end()};
}

} // namespace scan
