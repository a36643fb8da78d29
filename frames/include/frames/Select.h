// Which frames a `--frames LIST` names: "0-9,15,20-", counted from 0, in
// the order given. The one reading of the option, for every command.
#pragma once

#include "rtl/Result.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace frames {

class FrameList {
public:
    // Every frame.
    FrameList() = default;
    // The list, or what is wrong with it as a sentence.
    static rtl::Result<FrameList> Parse(const std::string &text);

    bool Contains(std::size_t index) const;
    // The frames of a file of count frames, in the order given (a range to
    // the end stops at its last frame); a failure when one lies beyond it.
    rtl::Result<std::vector<std::size_t>> Expand(std::size_t count) const;

private:
    struct Range {
        std::size_t first = 0;
        std::optional<std::size_t> last; // unset: to the end
    };
    std::vector<Range> ranges_;
    bool all_ = true;
};

} // namespace frames
