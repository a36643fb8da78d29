// The frames of each kind of input to convert, as often as asked.
#pragma once

#include "ConvertPipeline.h"

#include "ilda/Reading.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace cli {

// A frame as a source hands it over; valid during the call only.
struct SourceFrame {
    const ilda::Header &header;
    std::span<const ilda::Point> points;
    const ilda::Palette *palette = nullptr; // indexed: the palette in effect; null: the default one
    const ilda::Palette *table = nullptr;   // indexed: a format 3 table colouring its first points
    bool colored = false;                   // its colour is already the one asked for
};

class FrameVisitor {
public:
    virtual ~FrameVisitor() = default;
    virtual void OnFrame(const SourceFrame &frame) = 0;
};

struct FrameShape {
    std::uint32_t points = 0;
    std::uint8_t format = 0;
};

class Source {
public:
    virtual ~Source() = default;
    // Each frame's complete points and format, from the headers alone.
    virtual std::vector<FrameShape> Shapes() = 0;
    virtual void Each(FrameVisitor &visitor) = 0;
    // After Each: what stopped the reading ("byte N: text"), and whether
    // the end marker was there.
    virtual std::vector<std::string> Errors() const { return {}; }
    virtual bool MissingEndMarker() const { return false; }
};

// The source of input, or null and the reason it is refused in problem.
std::unique_ptr<Source> MakeSource(PipelineInput &input, const ConvertOptions &options, std::string &problem);

} // namespace cli
