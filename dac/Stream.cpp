#include "dac/Stream.h"

#include "SenderLoops.h"
#include "dac/LaserCube.h"

#include <charconv>

namespace dac {

const char *KindName(Kind kind)
{
    switch (kind) {
    case Kind::EtherDream: return "etherdream";
    case Kind::Idn: return "idn";
    case Kind::LaserCube: return "lasercube";
    case Kind::Helios: return "helios";
    }
    return "?";
}

std::optional<Target> ParseTarget(const std::string &text, std::string &problem)
{
    if (text == "helios" || text.starts_with("helios:"))
        return ParseHeliosTarget(text, problem);
    const auto colon = text.find(':');
    Target target;
    const std::string kind = text.substr(0, colon);
    if (kind == "etherdream")
        target = {Kind::EtherDream, "", 7765};
    else if (kind == "idn")
        target = {Kind::Idn, "", 7255};
    else if (kind == "lasercube")
        target = {Kind::LaserCube, "", lasercube::kCommandPort};
    if (colon == std::string::npos || (kind != "etherdream" && kind != "idn" && kind != "lasercube")) {
        problem = "--dac wants etherdream:HOST[:PORT], idn:HOST[:PORT], lasercube:HOST[:PORT] or helios[:N], not '" +
                  text + "'";
        return std::nullopt;
    }
    std::string rest = text.substr(colon + 1);
    if (const auto portColon = rest.rfind(':'); portColon != std::string::npos) {
        const std::string port = rest.substr(portColon + 1);
        unsigned value = 0;
        const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
        if (error != std::errc() || end != port.data() + port.size() || value == 0 || value > 65535) {
            problem = "'" + port + "' is not a port number (1 to 65535)";
            return std::nullopt;
        }
        target.port = static_cast<std::uint16_t>(value);
        rest.resize(portColon);
    }
    if (rest.empty()) {
        problem = "--dac " + text + " names no host";
        return std::nullopt;
    }
    target.host = rest;
    return target;
}

std::optional<double> ParseHoldMs(const std::string &option, const std::string &text, std::string &problem)
{
    constexpr double kMostMs = 500;
    double ms = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), ms);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !(ms >= 0 && ms <= kMostMs)) {
        problem = option + " wants milliseconds from 0 to " + std::to_string(static_cast<int>(kMostMs)) + ", not '" +
                  text + "'";
        return std::nullopt;
    }
    return ms / 1000;
}

StreamOutcome RunStream(const StreamOptions &options, FrameSource &source, const std::atomic<bool> &stop,
                        const StreamHooks &hooks)
{
    StreamOutcome outcome;
    if (!(options.rate >= 1) || !(options.fps > 0)) {
        outcome.end = StreamEnd::Failed;
        outcome.message = "the point rate and the frame rate must be above 0";
        return outcome;
    }
    if (options.maxRate && options.rate > *options.maxRate) {
        outcome.end = StreamEnd::Failed;
        outcome.message = "the rate " + std::to_string(static_cast<long long>(options.rate)) +
                          " is above the DAC's maximum of " + std::to_string(*options.maxRate) + " points a second";
        return outcome;
    }
    switch (options.target.kind) {
    case Kind::EtherDream: return RunEtherDream(options, source, stop, hooks);
    case Kind::Idn: return RunIdn(options, source, stop, hooks);
    case Kind::LaserCube: return RunLaserCube(options, source, stop, hooks);
    case Kind::Helios: return RunHeliosOverUsb(options, source, stop, hooks);
    }
    return outcome;
}

} // namespace dac
