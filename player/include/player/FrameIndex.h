// Where the frames of a file are, in memory that does not grow with the
// number of frames: every stride-th frame is kept as a checkpoint that the
// header walk can resume from, and any frame is found by walking the
// headers from the nearest one before it. The stride doubles whenever the
// checkpoints, or the palettes they hold, outgrow their budget.
#pragma once

#include "ilda/Reading.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace player {

class FrameIndex {
public:
    explicit FrameIndex(std::size_t mostCheckpoints = kMostCheckpoints) : mostCheckpoints_(mostCheckpoints) {}

    // The walk hands over every frame, in order, from any thread.
    void Add(const ilda::FrameInfo &frame);

    std::size_t Count() const;
    std::size_t Stride() const;
    std::size_t Checkpoints() const;

    // Frame n, found on stream (the caller's own) by walking the headers
    // from the nearest checkpoint; nothing when the file no longer holds
    // it. The frames just after it are kept, so that playing on reads no
    // header twice. From one thread at a time.
    std::optional<ilda::FrameInfo> Locate(rtl::TStream &stream, std::size_t n);

    static constexpr std::size_t kFirstStride = 16;
    static constexpr std::size_t kMostCheckpoints = std::size_t{1} << 15;
    static constexpr std::size_t kMostPaletteBytes = std::size_t{32} << 20;
    // Frames kept after a located one.
    static constexpr std::size_t kRun = 64;
    // How far past a located frame the run is looked for, in bytes.
    static constexpr std::int64_t kRunReach = std::int64_t{1} << 20;

private:
    struct Checkpoint {
        std::size_t index;
        std::int64_t resume; // the section the walk starts again from
        std::shared_ptr<const ilda::Palette> palette;
    };
    void Thin();

    const std::size_t mostCheckpoints_;
    mutable std::mutex mutex_;
    std::vector<Checkpoint> checkpoints_;
    std::size_t stride_ = kFirstStride;
    std::size_t count_ = 0;
    std::size_t paletteBytes_ = 0;
    std::vector<ilda::FrameInfo> run_; // located frames, consecutive
};

} // namespace player
