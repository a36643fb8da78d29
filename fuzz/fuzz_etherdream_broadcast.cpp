// An Ether Dream broadcast from arbitrary bytes (anyone on the network can
// send one): the reading stays inside them and gives back exactly the 36
// bytes it read.
#include "Check.h"

#include "dac/EtherDream.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace ed = dac::etherdream;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    const auto broadcast = ed::DecodeBroadcast(bytes);
    FUZZ_CHECK(broadcast.has_value() == (size >= ed::kBroadcastSize));
    if (!broadcast)
        return 0;
    const auto again = ed::EncodeBroadcast(*broadcast);
    FUZZ_CHECK(again.size() == ed::kBroadcastSize);
    FUZZ_CHECK(std::equal(again.begin(), again.end(), bytes.begin()));
    FUZZ_CHECK(ed::DecodeBroadcast(again) == broadcast);
    return 0;
}
