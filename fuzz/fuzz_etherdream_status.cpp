// An Ether Dream's response (the answer and its status) from arbitrary
// bytes: whatever a DAC sends, the reading stays inside them and gives back
// exactly the 22 bytes it read.
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
    const auto response = ed::DecodeResponse(bytes);
    FUZZ_CHECK(response.has_value() == (size >= ed::kResponseSize));
    if (!response)
        return 0;
    const auto again = ed::EncodeResponse(*response);
    FUZZ_CHECK(again.size() == ed::kResponseSize);
    FUZZ_CHECK(std::equal(again.begin(), again.end(), bytes.begin()));
    FUZZ_CHECK(ed::DecodeResponse(again) == response);
    return 0;
}
