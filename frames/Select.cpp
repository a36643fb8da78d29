#include "frames/Select.h"

#include <algorithm>
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

rtl::Result<FrameList> FrameList::Parse(const std::string &text)
{
    const auto wrong = [&text] {
        return rtl::Fail("--frames takes numbers and ranges such as 0-9,15,20-, not \"" + text + "\"");
    };
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
            return wrong();
        range.first = *first;
        if (dash == std::string::npos) {
            range.last = range.first;
        } else if (dash + 1 < item.size()) {
            range.last = Number(item.substr(dash + 1));
            if (!range.last)
                return wrong();
            if (*range.last < range.first)
                return rtl::Fail("--frames: the range " + item + " runs backwards");
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

rtl::Result<std::vector<std::size_t>> FrameList::Expand(std::size_t count) const
{
    std::vector<std::size_t> out;
    if (all_) {
        for (std::size_t f = 0; f < count; ++f)
            out.push_back(f);
        return out;
    }
    for (const Range &range : ranges_) {
        const std::size_t last = range.last.value_or(count == 0 ? 0 : count - 1);
        if (last >= count || range.first >= count)
            return rtl::Fail("--frames names frame " + std::to_string(std::max(range.first, last)) +
                             " but the file has " + std::to_string(count) + (count == 1 ? " frame" : " frames"));
        for (std::size_t f = range.first; f <= last; ++f)
            out.push_back(f);
    }
    return out;
}

} // namespace frames
