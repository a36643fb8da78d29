#include "ByteSource.h"

#include <algorithm>
#include <cstring>

namespace ilda {

ByteSource::ByteSource(rtl::TStream &stream) : stream_(stream)
{
    const std::int64_t position = stream.Position();
    const std::int64_t size = stream.Size();
    // A pipe tells no position; a device tells no size. Both are read through.
    if (position >= 0 && size > 0)
        size_ = size;
    offset_ = std::max<std::int64_t>(0, position);
}

std::size_t ByteSource::Fill(std::size_t n)
{
    n = std::min(n, kCapacity);
    if (Ready() >= n)
        return n;
    if (begin_ + n > buffer_.size()) {
        if (Ready())
            std::memmove(buffer_.data(), buffer_.data() + begin_, Ready());
        end_ -= begin_;
        begin_ = 0;
        // Grows with the largest section met, so small files stay small.
        if (n > buffer_.size())
            buffer_.resize(std::max<std::size_t>(n, 1 << 16));
    }
    // Only what is missing: a walk over headers then seeks over the rest.
    while (Ready() < n) {
        const std::size_t got = stream_.Read(buffer_.data() + end_, n - Ready());
        if (got == 0)
            break;
        end_ += got;
    }
    return std::min(n, Ready());
}

void ByteSource::Consume(std::size_t n)
{
    n = std::min(n, Ready());
    begin_ += n;
    offset_ += static_cast<std::int64_t>(n);
}

std::uint64_t ByteSource::Skip(std::uint64_t n)
{
    const std::uint64_t buffered = std::min<std::uint64_t>(n, Ready());
    Consume(static_cast<std::size_t>(buffered));
    std::uint64_t done = buffered;
    if (done == n)
        return done;
    if (size_) {
        // What is buffered lies before the stream's position: nothing is now.
        const std::int64_t left = std::max<std::int64_t>(0, *size_ - offset_);
        const std::uint64_t step = std::min<std::uint64_t>(n - done, static_cast<std::uint64_t>(left));
        offset_ += static_cast<std::int64_t>(step);
        begin_ = end_ = 0;
        stream_.SetPosition(offset_);
        return done + step;
    }
    while (done < n) {
        const std::size_t got = Fill(static_cast<std::size_t>(std::min<std::uint64_t>(n - done, kCapacity)));
        if (got == 0)
            break;
        Consume(got);
        done += got;
    }
    return done;
}

std::optional<std::uint64_t> ByteSource::Remaining() const
{
    if (!size_)
        return std::nullopt;
    return static_cast<std::uint64_t>(std::max<std::int64_t>(0, *size_ - offset_));
}

} // namespace ilda
