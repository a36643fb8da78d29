// The decoded points of the few frames on show: decoded from the file when
// first asked for, the least recently used dropped beyond the capacity, so
// memory stays the same whatever the file's size.
#pragma once

#include "ilda/Reading.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace player {

using FramePoints = std::shared_ptr<const std::vector<ilda::Point>>;

class FrameCache {
public:
    explicit FrameCache(std::size_t capacity = kDefaultCapacity);

    // Reads from path from now on (its own stream: never the scan's); drops
    // what was kept. Throws rtl::EFOpenError when it cannot be opened.
    void Open(const std::string &path);
    void Close();
    bool IsOpen() const { return stream_ != nullptr; }
    // The cache's own stream (null when closed), for finding frames.
    rtl::TStream *Stream() const { return stream_.get(); }
    // True when the file at the path opened is no longer as it was then:
    // cut short, grown, rewritten or replaced.
    bool Changed() const;

    // The points of frame, kept or decoded now. Empty when the file is
    // closed. Holders keep the points alive after they leave the cache.
    FramePoints Points(const ilda::FrameInfo &frame);

    std::size_t Kept() const { return entries_.size(); }
    std::size_t Capacity() const { return capacity_; }

    // A frame of 65,535 points takes about 1 MiB.
    static constexpr std::size_t kDefaultCapacity = 8;

private:
    struct Entry {
        std::int64_t offset; // of the frame's header: one per frame
        std::uint64_t used;
        FramePoints points;
    };

    // What tells a changed file: its identity, size and modification time.
    struct Stamp {
        std::uint64_t device = 0, inode = 0;
        std::int64_t size = 0, modified = 0;
        bool operator==(const Stamp &) const = default;
    };
    static Stamp StampOf(const std::string &path);

    std::size_t capacity_;
    std::string path_;
    Stamp stamp_;
    std::unique_ptr<rtl::TStream> stream_;
    std::vector<Entry> entries_;
    std::uint64_t clock_ = 0;
};

} // namespace player
