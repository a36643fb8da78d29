// An ILDA file's frames as a stream plays them: the headers are walked
// once, and each frame is read from the file when it is due, so memory
// does not grow with the file.
#pragma once

#include "dac/Stream.h"
#include "ilda/Reading.h"
#include "rtl/Result.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace dac {

struct FileShowPlan {
    std::vector<std::size_t> order; // frame indices in the order shown; empty: every frame
    bool loop = false;
    std::uint64_t slots = std::numeric_limits<std::uint64_t>::max();
    // Each frame as read, prepared for the output; none: as it is.
    std::function<std::vector<ilda::Point>(std::span<const ilda::Point>)> prepare;
};

class FileShow : public FrameSource {
public:
    // Fails, with the file's name, when it holds no frame.
    static rtl::Result<std::unique_ptr<FileShow>> Open(std::unique_ptr<rtl::TStream> stream, const std::string &name);
    std::size_t FrameCount() const { return frames_.size(); }
    void SetPlan(FileShowPlan plan) { plan_ = std::move(plan); }
    const std::vector<ilda::Point> *Frame(std::uint64_t slot) override;

private:
    explicit FileShow(std::unique_ptr<rtl::TStream> stream) : stream_(std::move(stream)) {}
    void Load(std::size_t frame);

    std::unique_ptr<rtl::TStream> stream_;
    std::vector<ilda::FrameInfo> frames_;
    FileShowPlan plan_;
    std::optional<std::size_t> loaded_; // the frame in points_
    std::vector<ilda::Point> points_;
};

} // namespace dac
