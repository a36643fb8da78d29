#include "frames/Select.h"

#include <charconv>

namespace frames {

namespace {

std::optional<std::size_t> Number(const std::string &text)
{
    std::size_t value = 0;
    const char *end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || at != end)
        return std::nullopt;
    return value;
}

} // namespace

std::variant<FrameList, std::string> FrameList::Parse(const std::string &text)
{
    FrameList list;
    list.all_ = false;
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t comma = std::min(text.find(',', from), text.size());
        const std::string item = text.substr(from, comma - from);
        const std::size_t dash = item.find('-');
        Range range;
        const auto first = Number(item.substr(0, dash));
        if (!first)
            return "--frames takes numbers and ranges such as 0-9,15,20-, not \"" + text + "\"";
        range.first = *first;
        if (dash == std::string::npos) {
            range.last = range.first;
        } else if (dash + 1 < item.size()) {
            range.last = Number(item.substr(dash + 1));
            if (!range.last)
                return "--frames takes numbers and ranges such as 0-9,15,20-, not \"" + text + "\"";
            if (*range.last < range.first)
                return "--frames: the range " + item + " runs backwards";
        }
        list.ranges_.push_back(range);
        from = comma + 1;
    }
    return list;
}

bool FrameList::Contains(std::size_t index) const
{
    if (all_)
        return true;
    for (const Range &range : ranges_)
        if (index >= range.first && (!range.last || index <= *range.last))
            return true;
    return false;
}

} // namespace frames
