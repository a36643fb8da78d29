// Which frames a `--frames LIST` keeps: "0-9,15,20-", counted from 0.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace frames {

class FrameList {
public:
    // Every frame.
    FrameList() = default;
    // The list, or what is wrong with it as a sentence.
    static std::variant<FrameList, std::string> Parse(const std::string &text);

    bool Contains(std::size_t index) const;

private:
    struct Range {
        std::size_t first = 0;
        std::optional<std::size_t> last; // unset: to the end
    };
    std::vector<Range> ranges_;
    bool all_ = true;
};

} // namespace frames
