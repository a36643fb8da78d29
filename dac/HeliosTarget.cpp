// The Helios's place in the stream's front door: its target and its run
// on libusb.
#include "SenderLoops.h"

#include "dac/Discovery.h"
#include "dac/Helios.h"
#include "dac/HeliosSender.h"

#include <charconv>

namespace dac {

std::optional<Target> ParseHeliosTarget(const std::string &text, std::string &problem)
{
    Target target{Kind::Helios, "", 0, 0};
    if (text == "helios")
        return target;
    const std::string number = text.substr(7);
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), target.unit);
    if (number.empty() || error != std::errc() || end != number.data() + number.size() || target.unit > 127) {
        problem = "--dac helios:N wants the unit's number from 0 (as 'lumivex dacs' lists it), not '" + number + "'";
        return std::nullopt;
    }
    return target;
}

void FindUsbDacs(std::vector<FoundDac> &found, std::string &problem)
{
    const auto usb = MakeLibusbTransport();
    const auto units = FindHelios(*usb);
    if (!units) {
        problem = units.message();
        return;
    }
    for (std::size_t i = 0; i < units->size(); ++i) {
        FoundDac d;
        d.kind = Kind::Helios;
        d.name = "Helios " + std::to_string(i);
        d.address = (*units)[i].location;
        d.unit = i;
        d.capacity = helios::kMaxPoints;
        d.maxRate = helios::kMaxRate;
        found.push_back(std::move(d));
    }
}

StreamOutcome RunHeliosOverUsb(const StreamOptions &options, FrameSource &source, const std::atomic<bool> &stop,
                               const StreamHooks &hooks)
{
    if (auto checked = helios::CheckRate(options.rate); !checked) {
        StreamOutcome outcome;
        outcome.end = StreamEnd::Failed;
        outcome.message = checked.message();
        return outcome;
    }
    const auto usb = MakeLibusbTransport();
    return RunHelios(options, source, stop, hooks, *usb);
}

} // namespace dac
