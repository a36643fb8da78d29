// An IDN scan reply from arbitrary bytes (any unit, or anyone, may answer
// a scan): it is taken only when whole, the fields come from where they
// stand, and what is taken writes back to the same fields.
#include "Check.h"

#include "dac/Idn.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace idn = dac::idn;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    const auto reply = idn::DecodeScanResponse(bytes);
    const bool whole =
        size >= 4 + idn::kScanResponseSize && bytes[0] == idn::kScanResponse && bytes[4] >= idn::kScanResponseSize;
    FUZZ_CHECK(reply.has_value() == whole);
    if (!reply)
        return 0;
    FUZZ_CHECK(reply->hostName.size() <= 20);
    FUZZ_CHECK(reply->hostName.find('\0') == std::string::npos);
    FUZZ_CHECK(std::equal(reply->unitId.begin(), reply->unitId.end(), bytes.begin() + 8));
    const auto again = idn::EncodeScanResponse(static_cast<std::uint16_t>(bytes[2] << 8 | bytes[3]), *reply);
    FUZZ_CHECK(again.size() == 4 + idn::kScanResponseSize);
    FUZZ_CHECK(std::equal(again.begin(), again.begin() + 4, bytes.begin()) || bytes[1] != 0);
    FUZZ_CHECK(std::equal(again.begin() + 5, again.begin() + 7, bytes.begin() + 5));
    FUZZ_CHECK(std::equal(again.begin() + 24, again.begin() + 24 + static_cast<std::ptrdiff_t>(reply->hostName.size()),
                          bytes.begin() + 24));
    const auto read = idn::DecodeScanResponse(again);
    FUZZ_CHECK(read && read->hostName == reply->hostName && read->unitId == reply->unitId);
    return 0;
}
