// The one output stage every path to a laser takes: a frame moved where
// the projector hangs, cut by its zones, prepared for its scanner (colour
// delay included), its colours calibrated and every point held inside the
// limits.
#pragma once

#include "ilda/Codec.h"
#include "projector/Calibration.h"
#include "projector/Geometry.h"
#include "projector/Setup.h"
#include "projector/Zones.h"

#include <span>
#include <vector>

namespace projector {

class OutputStage {
public:
    // setup as CheckSetup passes it.
    explicit OutputStage(const Setup &setup);

    const Setup &GetSetup() const { return setup_; }

    // The frame as this projector should be sent it.
    std::vector<ilda::Point> Apply(std::span<const ilda::Point> frame) const;

    // The stage's parts, in order: geometry and zones; then the scanner's
    // preparation; then colours and limits.
    std::vector<ilda::Point> Place(std::span<const ilda::Point> frame) const;
    std::vector<ilda::Point> Prepare(std::span<const ilda::Point> placed) const;
    void Finish(std::span<ilda::Point> prepared) const;

private:
    Setup setup_;
    GeometryMap geometry_;
    ZoneCutter square_; // lit lines end at the square's edge before the keystone
    ZoneCutter zones_;
    Calibration calibration_;
};

} // namespace projector
