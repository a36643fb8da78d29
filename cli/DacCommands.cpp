// dacs and play: finding network DACs and streaming an ILDA file's frames
// to one, prepared for a scanner profile.
#include "Arguments.h"
#include "Commands.h"
#include "FileAccess.h"
#include "Json.h"
#include "ProjectorOption.h"

#include "dac/Discovery.h"
#include "dac/Net.h"
#include "dac/Show.h"
#include "frames/Select.h"
#include "ilda/Reading.h"
#include "scan/Prepare.h"
#include "scan/Profile.h"

#include <unistd.h>

#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace cli {

namespace {

std::atomic<bool> gStop{false};

extern "C" void OnStopSignal(int)
{
    gStop = true;
}

void PrintStatus(const dac::StreamStatus &s)
{
    if (!s.connected) {
        std::printf("no answer from the DAC; only blanked points until it answers again\n");
    } else {
        std::printf("frame %llu  points %llu", static_cast<unsigned long long>(s.frame),
                    static_cast<unsigned long long>(s.pointsSent));
        if (s.capacity)
            std::printf("  buffer %u/%u (%.0f %%)", s.buffered, s.capacity, 100.0 * s.buffered / s.capacity);
        else if (s.buffered)
            std::printf("  buffer %u", s.buffered);
        std::printf("  underflows %llu\n", static_cast<unsigned long long>(s.underflows));
    }
    std::fflush(stdout);
}

// dacs --dac: a target as dacs prints it, or HOST[:PORT] (an IDN unit's
// port) as before. Ether Dream units are heard wherever they are.
bool AddSearchTarget(const std::string &value, dac::DiscoveryOptions &options, std::string &problem)
{
    const auto last = value.rfind(':');
    const bool legacy =
        last == std::string::npos || (value.find(':') == last && last + 1 < value.size() &&
                                      value.find_first_not_of("0123456789", last + 1) == std::string::npos);
    if (legacy) {
        options.addresses.push_back(value);
        options.laserCubeAddresses.push_back(value.substr(0, last));
        return true;
    }
    const auto target = dac::ParseTarget(value, problem);
    if (!target)
        return false;
    const std::string at = target->host + ":" + std::to_string(target->port);
    if (target->kind == dac::Kind::Idn)
        options.addresses.push_back(at);
    else if (target->kind == dac::Kind::LaserCube)
        options.laserCubeAddresses.push_back(at);
    return true;
}

// A show that went on after its DAC stopped answering is not a clean run.
int LostDuringShow(const dac::StreamStatus &s)
{
    std::fprintf(
        stderr,
        "lumivex: the DAC stopped answering %llu time%s during the show; it went on when the DAC answered again\n",
        static_cast<unsigned long long>(s.reconnects), s.reconnects == 1 ? "" : "s");
    return kExitFailed;
}

} // namespace

int RunDacs(const Args &args)
{
    const ParsedArgs parsed = ParseArgs(args, {{"--timeout", true}, {"--dac", true}, {"--json"}, {"--no-broadcast"}});
    if (!parsed.problem.empty())
        return UsageError(parsed.problem);
    if (!parsed.files.empty())
        return UsageError("dacs takes no files");
    dac::DiscoveryOptions options;
    bool json = false;
    for (const auto &[name, value] : parsed.options) {
        if (name == "--timeout") {
            const auto seconds = startup::ParseReal(value);
            if (!seconds || *seconds <= 0 || *seconds > 60)
                return UsageError("--timeout wants seconds above 0, at most 60, not '" + value + "'");
            options.timeout = std::chrono::milliseconds(std::llround(*seconds * 1000));
        } else if (name == "--dac") {
            if (std::string problem; !AddSearchTarget(value, options, problem))
                return UsageError(problem);
        } else if (name == "--no-broadcast") {
            options.broadcast = false; // only the --dac addresses are scanned
        } else {
            json = true;
        }
    }
    std::string problem;
    const auto found = dac::Discover(options, problem);
    if (!problem.empty())
        std::fprintf(stderr, "lumivex: %s\n", problem.c_str());
    const auto optionalText = [json](const std::optional<std::uint32_t> &v) {
        return v ? std::to_string(*v) : std::string(json ? "null" : "-");
    };
    if (json) {
        std::printf("[");
        for (std::size_t i = 0; i < found.size(); ++i) {
            const dac::FoundDac &d = found[i];
            std::printf(
                "%s{\"kind\": \"%s\", \"name\": %s, \"address\": \"%s\", \"port\": %u, \"capacity\": %s, "
                "\"maxRate\": %s, \"target\": \"%s\"}",
                i ? ", " : "", dac::KindName(d.kind), JsonString(d.name).c_str(), d.address.c_str(), d.port,
                optionalText(d.capacity).c_str(), optionalText(d.maxRate).c_str(), d.Target().c_str());
        }
        std::printf("]\n");
    } else {
        for (const dac::FoundDac &d : found)
            std::printf("%-10s  %-20s  %s  capacity %s  max rate %s\n", dac::KindName(d.kind), d.name.c_str(),
                        d.Target().c_str(), optionalText(d.capacity).c_str(), optionalText(d.maxRate).c_str());
        if (found.empty())
            std::printf("no DAC answered within %.1f s\n", options.timeout.count() / 1000.0);
    }
    return std::fflush(stdout) == 0 ? kExitOk : OutputFailed(errno);
}

int RunPlay(const Args &args)
{
    const ParsedArgs parsed = ParseArgs(args, {{"--dac", true},
                                               {"--profile", true},
                                               {"--rate", true},
                                               {"--fps", true},
                                               {"--frames", true},
                                               {"--loop"},
                                               {"--seconds", true},
                                               {"--clear-estop"},
                                               {"--buffer-ms", true},
                                               {"--projector", true}});
    if (!parsed.problem.empty())
        return UsageError(parsed.problem);
    if (parsed.files.size() != 1)
        return UsageError("play takes one FILE");
    dac::StreamOptions options;
    std::optional<dac::Target> target;
    scan::ProfileChoice choice;
    std::optional<std::string> frames;
    bool loop = false;
    std::optional<double> seconds;
    ProjectorStage stage; // its scanner, and its DAC unless --dac names one
    for (const auto &[name, value] : parsed.options) {
        std::string problem;
        if (name == "--projector") {
            auto loaded = LoadProjector(value);
            if (const auto *text = std::get_if<std::string>(&loaded))
                return UsageError(*text);
            stage = std::get<ProjectorStage>(loaded);
        } else if (name == "--dac") {
            target = dac::ParseTarget(value, problem);
            if (!target)
                return UsageError(problem);
        } else if (name == "--profile") {
            choice.name = value;
        } else if (name == "--rate") {
            choice.rate = value;
        } else if (name == "--frames") {
            frames = value;
        } else if (name == "--loop") {
            loop = true;
        } else if (name == "--clear-estop") {
            options.clearEstop = true;
        } else {
            const auto number = startup::ParseReal(value);
            if (name == "--fps" && (!number || *number <= 0 || *number > 1000))
                return UsageError("--fps wants frames a second above 0, at most 1000, not '" + value + "'");
            if (name == "--seconds" && (!number || *number <= 0))
                return UsageError("--seconds wants a time above 0, not '" + value + "'");
            if (name == "--buffer-ms" && (!number || *number < 5 || *number > 1000))
                return UsageError("--buffer-ms wants 5 to 1000, not '" + value + "'");
            if (name == "--fps")
                options.fps = *number;
            else if (name == "--seconds")
                seconds = *number;
            else
                options.bufferSeconds = *number / 1000;
        }
    }
    if (stage && (choice.name || choice.rate))
        return UsageError(kProjectorOrProfile);
    if (stage && !target && stage->GetSetup().dac) {
        std::string problem;
        target = dac::ParseTarget(*stage->GetSetup().dac, problem);
    }
    if (!target)
        return UsageError("play needs --dac etherdream:HOST[:PORT] or idn:HOST[:PORT]");
    options.target = *target;

    // The profile: its rate is the DAC's; "none" sends the frames as they are.
    std::optional<scan::Profile> profile;
    if (stage) {
        options.rate = stage->GetSetup().scanner.rate;
    } else if (choice.name == "none") {
        const auto rate = choice.rate ? scan::ParsePointRate("--rate", *choice.rate) : rtl::Result<double>(30000);
        if (!rate)
            return UsageError(rate.message());
        options.rate = *rate;
    } else {
        auto resolved = scan::ResolveProfile(choice);
        if (auto *text = std::get_if<std::string>(&resolved))
            return UsageError(*text);
        profile = std::get<scan::Profile>(resolved);
        options.rate = profile->rate;
        if (!(options.rate >= 1))
            return UsageError("the point rate must be at least 1 a second");
    }

    const std::string &file = parsed.files.front();
    auto stream = OpenSeekableInput(file);
    if (!stream) {
        std::fprintf(stderr, "lumivex: %s\n", CantOpenMessage(file).c_str());
        return kExitFailed;
    }
    const ilda::Contents contents = ilda::ReadAll(*stream);
    if (contents.frames.empty()) {
        std::fprintf(stderr, "lumivex: %s: no frames to play%s%s\n", file.c_str(),
                     contents.outcome.errors.empty() ? "" : ": ",
                     contents.outcome.errors.empty() ? "" : contents.outcome.errors.front().text.c_str());
        return kExitFailed;
    }
    std::vector<std::size_t> order;
    if (frames) {
        const auto list = frames::FrameList::Parse(*frames);
        if (!list)
            return UsageError(list.message());
        auto expanded = list->Expand(contents.frames.size());
        if (!expanded)
            return UsageError(expanded.message());
        order = std::move(expanded).value();
    } else {
        for (std::size_t f = 0; f < contents.frames.size(); ++f)
            order.push_back(f);
    }
    std::vector<std::vector<ilda::Point>> show;
    for (const std::size_t f : order) {
        const auto &points = contents.frames[f].points;
        show.push_back(stage ? stage->Apply(points) : profile ? scan::PrepareFrame(points, *profile) : points);
    }

    // An Ether Dream tells its buffer and fastest rate in its broadcast.
    if (target->kind == dac::Kind::EtherDream) {
        dac::DiscoveryOptions listen;
        listen.broadcast = false;
        listen.timeout = std::chrono::milliseconds(1100);
        std::string ignored;
        for (const dac::FoundDac &d : dac::Discover(listen, ignored)) {
            const auto resolved = dac::Resolve(target->host, target->port);
            if (d.kind == dac::Kind::EtherDream && resolved && d.address == dac::AddressText(*resolved)) {
                options.maxRate = d.maxRate;
                options.capacity = d.capacity;
            }
        }
    }

    const std::uint64_t slots = seconds ? static_cast<std::uint64_t>(std::ceil(*seconds * options.fps))
                                        : std::numeric_limits<std::uint64_t>::max();
    dac::ShowSource source(std::move(show), loop, slots);
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    dac::StreamHooks hooks;
    std::uint64_t shown = 0;
    hooks.onFrameSent = [&shown](std::uint64_t) { ++shown; };
    if (isatty(STDOUT_FILENO))
        hooks.onStatus = PrintStatus;
    const dac::StreamOutcome outcome = dac::RunStream(options, source, gStop, hooks);
    const dac::StreamStatus &s = outcome.status;
    const char *how = outcome.end == dac::StreamEnd::Done      ? "done"
                      : outcome.end == dac::StreamEnd::Stopped ? "stopped"
                                                               : "ended";
    std::printf("%s: %llu frames, %llu points at %.0f points a second, %llu underflows, %llu reconnections\n", how,
                static_cast<unsigned long long>(shown), static_cast<unsigned long long>(s.pointsSent), options.rate,
                static_cast<unsigned long long>(s.underflows), static_cast<unsigned long long>(s.reconnects));
    std::fflush(stdout);
    if (outcome.end == dac::StreamEnd::EmergencyStop) {
        std::fprintf(stderr,
                     "lumivex: %s; nothing more is sent. Clear it at the DAC, or run again with "
                     "--clear-estop.\n",
                     outcome.message.c_str());
        return kExitFailed;
    }
    if (outcome.end == dac::StreamEnd::Failed || outcome.end == dac::StreamEnd::Lost) {
        std::fprintf(stderr, "lumivex: %s\n", outcome.message.c_str());
        return kExitFailed;
    }
    if (outcome.status.reconnects > 0)
        return LostDuringShow(outcome.status);
    return kExitOk;
}

} // namespace cli
