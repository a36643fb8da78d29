// Buffered reading of a stream for the section walk: look ahead, consume,
// and skip, by seeking where the stream can and by reading where it cannot.
#pragma once

#include "rtl/Classes.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace ilda {

class ByteSource {
public:
    // The buffer grows up to a whole frame of the largest records (65535 x 10 bytes).
    static constexpr std::size_t kCapacity = 1 << 20;

    // Reads from the stream's position on; offsets count from position 0 of
    // the stream (from where it stood, when it cannot tell its position).
    explicit ByteSource(rtl::TStream &stream);

    std::int64_t Offset() const { return offset_; }
    // Tries to have n (at most kCapacity) bytes ready; returns how many are.
    std::size_t Fill(std::size_t n);
    const std::uint8_t *Data() const { return buffer_.data() + begin_; }
    std::size_t Ready() const { return end_ - begin_; }
    void Consume(std::size_t n);
    // Moves n bytes on; returns how many there were.
    std::uint64_t Skip(std::uint64_t n);
    // Bytes after Offset(), when the stream knows its size.
    std::optional<std::uint64_t> Remaining() const;

private:
    rtl::TStream &stream_;
    std::vector<std::uint8_t> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::int64_t offset_ = 0;
    std::optional<std::int64_t> size_; // seekable streams only
};

} // namespace ilda
