#include "projector/Safety.h"

#include "projector/Polygon.h"
#include "scan/Mirror.h"

namespace projector {

std::size_t LitSamplesInBlankZones(std::span<const ilda::Point> sent, const Setup &setup)
{
    const double tolerance = scan::Units(setup.scanner.tolerance);
    std::size_t count = 0;
    for (const scan::BeamStep &step : scan::TraceBeam(sent, setup.scanner)) {
        if (!step.lit)
            continue;
        const Point2 p{step.to.x, step.to.y};
        for (const Zone &zone : setup.zones)
            if (zone.kind == ZoneKind::Blank && Inside(zone.points, p) && DistanceToEdge(zone.points, p) > tolerance) {
                ++count;
                break;
            }
    }
    return count;
}

} // namespace projector
