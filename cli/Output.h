// Text for stdout collected in a large buffer and written in big pieces: a
// listing of a large ILDA file runs to millions of lines.
#pragma once

#include <charconv>
#include <cstdio>
#include <string_view>
#include <vector>

namespace cli {

class Output {
public:
    Output() : buffer_(kSize) {}
    ~Output() { Flush(); }
    Output(const Output &) = delete;
    Output &operator=(const Output &) = delete;

    Output &operator<<(std::string_view text)
    {
        if (text.size() > kSize - used_)
            Write();
        if (text.size() > kSize) {
            WriteBytes(text.data(), text.size());
            return *this;
        }
        text.copy(buffer_.data() + used_, text.size());
        used_ += text.size();
        return *this;
    }
    Output &operator<<(long long value)
    {
        char *at = Room(24);
        used_ = static_cast<std::size_t>(std::to_chars(at, at + 24, value).ptr - buffer_.data());
        return *this;
    }

    // Room for n (small) bytes at the end of the buffer; Advance(end) keeps what was put there.
    char *Room(std::size_t n)
    {
        if (n > kSize - used_)
            Write();
        return buffer_.data() + used_;
    }
    void Advance(char *end) { used_ = static_cast<std::size_t>(end - buffer_.data()); }

    // Writes what is buffered; false once any write failed.
    bool Flush()
    {
        Write();
        return !failed_ && std::fflush(stdout) == 0;
    }

private:
    static constexpr std::size_t kSize = 1 << 20;

    void Write()
    {
        WriteBytes(buffer_.data(), used_);
        used_ = 0;
    }
    void WriteBytes(const char *data, std::size_t size)
    {
        if (size && std::fwrite(data, 1, size, stdout) != size)
            failed_ = true;
    }

    std::vector<char> buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
};

} // namespace cli
