// dacs and play: finding network DACs and streaming an ILDA file's frames
// to one, prepared for a scanner profile.
#include "Arguments.h"
#include "Commands.h"
#include "FileAccess.h"
#include "Json.h"
#include "ProjectorOption.h"

#include "dac/Discovery.h"
#include "dac/FileShow.h"
#include "dac/MultiShow.h"
#include "dac/Net.h"
#include "frames/Select.h"
#include "rtl/Result.h"
#include "scan/Prepare.h"
#include "scan/Profile.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <thread>
#include <utility>

namespace cli {

namespace {

std::atomic<bool> gStop{false};

extern "C" void OnStopSignal(int)
{
    gStop = true;
}

void PrintStatus(const dac::StreamStatus &s)
{
    if (s.connected) {
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

// A DAC lost or back, told whatever stdout is. (was: never answered yet.)
void TellConnection(std::optional<bool> &was, bool now, const std::string &who = "the DAC")
{
    if (!was) {
        if (now)
            was = true; // the first answer is no news
        return;
    }
    if (now == std::exchange(*was, now))
        return;
    if (now)
        std::fprintf(stderr, "lumivex: %s answers again; the show goes on\n", who.c_str());
    else
        std::fprintf(stderr, "lumivex: %s does not answer; only blanked points until it answers again\n", who.c_str());
}

// Said once when no Helios is plugged in, so a missing one is not a mystery.
void PrintNoUsbDacs(const std::vector<dac::FoundDac> &found, const std::string &usbProblem)
{
    if (std::any_of(found.begin(), found.end(), [](const dac::FoundDac &d) { return d.kind == dac::Kind::Helios; }))
        return;
    std::printf("no Helios unit plugged in%s%s\n", usbProblem.empty() ? "" : ": ", usbProblem.c_str());
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
    std::string problem, usbProblem;
    auto found = dac::Discover(options, problem);
    dac::FindUsbDacs(found, usbProblem);
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
            std::printf("%-10s  %-20s  %s  capacity %s  max rate %s\n", dac::KindName(d.kind),
                        EscapedText(d.name).c_str(), d.Target().c_str(), optionalText(d.capacity).c_str(),
                        optionalText(d.maxRate).c_str());
        if (found.empty())
            std::printf("no DAC answered within %.1f s\n", options.timeout.count() / 1000.0);
        PrintNoUsbDacs(found, usbProblem);
    }
    return std::fflush(stdout) == 0 ? kExitOk : OutputFailed(errno);
}

namespace {

// What play was asked to do.
// One DAC of a show, and the projector it goes through.
struct PlayOutput {
    std::optional<dac::Target> target; // unset: the projector file's dac
    ProjectorStage stage;
};

struct PlayRequest {
    dac::StreamOptions options;
    std::optional<dac::Target> target;
    // Each --dac in order; a --projector goes with the --dac before it (or,
    // given first, with the next).
    std::vector<PlayOutput> outputs;
    scan::ProfileChoice choice;
    std::optional<scan::Profile> profile;
    ProjectorStage stage; // its scanner, and its DAC unless --dac names one
    std::optional<std::string> frames;
    bool loop = false;
    std::optional<double> seconds;
    std::string file;
};

rtl::Failure PlayUsage(std::string problem)
{
    return rtl::Fail(std::move(problem), kExitUsage);
}

// --fps, --seconds and --buffer-ms: numbers within their bounds.
rtl::Result<void> PlayNumber(PlayRequest &request, const std::string &name, const std::string &value)
{
    const auto number = startup::ParseReal(value);
    if (name == "--fps" && (!number || *number <= 0 || *number > 1000))
        return PlayUsage("--fps wants frames a second above 0, at most 1000, not '" + value + "'");
    if (name == "--seconds" && (!number || *number <= 0))
        return PlayUsage("--seconds wants a time above 0, not '" + value + "'");
    if (name == "--buffer-ms" && (!number || *number < 5 || *number > 1000))
        return PlayUsage("--buffer-ms wants 5 to 1000, not '" + value + "'");
    if (name == "--fps")
        request.options.fps = *number;
    else if (name == "--seconds")
        request.seconds = *number;
    else
        request.options.bufferSeconds = *number / 1000;
    return {};
}

rtl::Result<void> PlayOption(PlayRequest &request, const std::string &name, const std::string &value)
{
    std::string problem;
    if (name == "--projector") {
        auto loaded = LoadProjector(value);
        if (const auto *text = std::get_if<std::string>(&loaded))
            return PlayUsage(*text);
        if (request.outputs.empty() || request.outputs.back().stage)
            request.outputs.emplace_back();
        request.outputs.back().stage = std::get<ProjectorStage>(loaded);
    } else if (name == "--dac") {
        const auto target = dac::ParseTarget(value, problem);
        if (!target)
            return PlayUsage(problem);
        const auto same = [&](const PlayOutput &o) {
            return o.target && o.target->kind == target->kind && o.target->host == target->host &&
                   o.target->port == target->port;
        };
        if (std::any_of(request.outputs.begin(), request.outputs.end(), same))
            return PlayUsage("--dac " + value + " is given twice");
        if (request.outputs.empty() || request.outputs.back().target)
            request.outputs.emplace_back();
        request.outputs.back().target = target;
    } else if (name == "--profile") {
        request.choice.name = value;
    } else if (name == "--rate") {
        request.choice.rate = value;
    } else if (name == "--frames") {
        request.frames = value;
    } else if (name == "--loop") {
        request.loop = true;
    } else if (name == "--clear-estop") {
        request.options.clearEstop = true;
    } else if (name == "--idn-hold-ms") {
        const auto hold = dac::ParseHoldMs(name, value, problem);
        if (!hold)
            return PlayUsage(problem);
        request.options.idnHoldSeconds = *hold;
    } else if (name == "--timing") {
        const auto timing = dac::ParseTiming(value);
        if (!timing)
            return PlayUsage("--timing wants keep or every, not '" + value + "'");
        request.options.timing = *timing;
    } else {
        return PlayNumber(request, name, value);
    }
    return {};
}

// The profile: its rate is the DAC's; "none" sends the frames as they are.
rtl::Result<void> PlayProfile(PlayRequest &request)
{
    const scan::ProfileChoice &choice = request.choice;
    if (request.stage) {
        request.options.rate = request.stage->GetSetup().scanner.rate;
        return {};
    }
    if (choice.name == "none") {
        const auto rate = choice.rate ? scan::ParsePointRate("--rate", *choice.rate) : rtl::Result<double>(30000);
        if (!rate)
            return PlayUsage(rate.message());
        request.options.rate = *rate;
        return {};
    }
    auto resolved = scan::ResolveProfile(choice);
    if (auto *text = std::get_if<std::string>(&resolved))
        return PlayUsage(*text);
    request.profile = std::get<scan::Profile>(resolved);
    request.options.rate = request.profile->rate;
    if (!(request.options.rate >= 1))
        return PlayUsage("the point rate must be at least 1 a second");
    return {};
}

rtl::Result<PlayRequest> PlayOptions(const Args &args)
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
                                               {"--timing", true},
                                               {"--idn-hold-ms", true},
                                               {"--projector", true}});
    if (!parsed.problem.empty())
        return PlayUsage(parsed.problem);
    if (parsed.files.size() != 1)
        return PlayUsage("play takes one FILE");
    PlayRequest request;
    for (const auto &[name, value] : parsed.options)
        if (auto done = PlayOption(request, name, value); !done)
            return done.failure();
    for (PlayOutput &output : request.outputs)
        if (!output.target && output.stage->GetSetup().dac) {
            std::string problem;
            output.target = dac::ParseTarget(*output.stage->GetSetup().dac, problem);
        }
    const auto untargeted = [](const PlayOutput &o) { return !o.target; };
    if (request.outputs.empty() || std::any_of(request.outputs.begin(), request.outputs.end(), untargeted))
        return PlayUsage(
            "play needs --dac etherdream:HOST[:PORT], idn:HOST[:PORT], lasercube:HOST[:PORT] or "
            "helios[:N]");
    request.target = request.outputs.front().target;
    if (request.outputs.size() == 1)
        request.stage = request.outputs.front().stage;
    if (request.stage && (request.choice.name || request.choice.rate))
        return PlayUsage(kProjectorOrProfile);
    request.options.target = *request.target;
    if (auto done = PlayProfile(request); !done)
        return done.failure();
    request.file = parsed.files.front();
    return request;
}

// The file's frames in the order --frames gives, read as they are due and
// prepared for the profile.
rtl::Result<std::unique_ptr<dac::FileShow>> PlayShow(const PlayRequest &request)
{
    auto stream = OpenSeekableInput(request.file);
    if (!stream)
        return rtl::Fail(CantOpenMessage(request.file));
    auto show = dac::FileShow::Open(std::move(stream), request.file);
    if (!show)
        return show.failure();
    dac::FileShowPlan plan;
    if (request.frames) {
        const auto list = frames::FrameList::Parse(*request.frames);
        if (!list)
            return PlayUsage(list.message());
        auto order = list->Expand((*show)->FrameCount());
        if (!order)
            return PlayUsage(order.message());
        plan.order = std::move(order).value();
    }
    plan.loop = request.loop;
    if (request.seconds)
        plan.slots = static_cast<std::uint64_t>(std::ceil(*request.seconds * request.options.fps));
    if (request.stage)
        plan.prepare = [stage = request.stage](std::span<const ilda::Point> points) { return stage->Apply(points); };
    else if (request.profile)
        plan.prepare = [profile = *request.profile](std::span<const ilda::Point> points) {
            return scan::PrepareFrame(points, profile);
        };
    (*show)->SetPlan(std::move(plan));
    return show;
}

// An Ether Dream tells its buffer and fastest rate in its broadcast; when
// none is heard, the DAC is asked for the rate before any point is sent.
void ListenToTheDac(dac::StreamOptions &options)
{
    options.askRate = options.target.kind == dac::Kind::EtherDream;
    if (options.target.kind != dac::Kind::EtherDream)
        return;
    dac::DiscoveryOptions listen;
    listen.broadcast = false;
    listen.timeout = std::chrono::milliseconds(1100);
    std::string ignored;
    for (const dac::FoundDac &d : dac::Discover(listen, ignored)) {
        const auto resolved = dac::Resolve(options.target.host, options.target.port);
        if (d.kind == dac::Kind::EtherDream && resolved && d.address == dac::AddressText(*resolved)) {
            options.maxRate = d.maxRate;
            options.capacity = d.capacity;
            options.askRate = false;
        }
    }
}

// The line that sums the show up, and the exit status.
int PlaySummary(const dac::StreamOutcome &outcome, std::uint64_t shown, double rate, const std::string &who = "")
{
    const dac::StreamStatus &s = outcome.status;
    const char *how = outcome.end == dac::StreamEnd::Done      ? "done"
                      : outcome.end == dac::StreamEnd::Stopped ? "stopped"
                                                               : "ended";
    std::printf(
        "%s%s: %llu frames, %llu skipped, %llu points at %.0f points a second, %llu underflows, %llu "
        "reconnections\n",
        who.empty() ? "" : (who + " ").c_str(), how, static_cast<unsigned long long>(shown),
        static_cast<unsigned long long>(s.skipped), static_cast<unsigned long long>(s.pointsSent), rate,
        static_cast<unsigned long long>(s.underflows), static_cast<unsigned long long>(s.reconnects));
    std::fflush(stdout);
    if (outcome.end == dac::StreamEnd::EmergencyStop) {
        std::fprintf(stderr,
                     "lumivex: %s%s; nothing more is sent. Clear it at the DAC, or run again with "
                     "--clear-estop.\n",
                     who.empty() ? "" : (who + ": ").c_str(), outcome.message.c_str());
        return kExitFailed;
    }
    if (outcome.end == dac::StreamEnd::Failed || outcome.end == dac::StreamEnd::Lost) {
        std::fprintf(stderr, "lumivex: %s%s\n", who.empty() ? "" : (who + ": ").c_str(), outcome.message.c_str());
        return kExitFailed;
    }
    return kExitOk;
}

int PlayFailed(const rtl::Failure &failure)
{
    if (failure.code == kExitUsage)
        return UsageError(failure.message);
    std::fprintf(stderr, "lumivex: %s\n", failure.message.c_str());
    return failure.code;
}

std::string TargetText(const dac::Target &target)
{
    return std::string(dac::KindName(target.kind)) + ":" + target.host + ":" + std::to_string(target.port);
}

// Each --dac's own show and options: the file opened for each, so that
// each output reads and prepares its frames on its own thread.
rtl::Result<std::vector<dac::ShowOutput>> PlayOutputs(PlayRequest &request)
{
    std::vector<dac::ShowOutput> outputs;
    for (const PlayOutput &each : request.outputs) {
        PlayRequest own = request; // its projector's scanner and stage, else the profile
        own.stage = each.stage;
        if (own.stage)
            own.options.rate = own.stage->GetSetup().scanner.rate;
        auto show = PlayShow(own);
        if (!show)
            return show.failure();
        dac::ShowOutput output{own.options, std::move(*show)};
        output.options.target = *each.target;
        outputs.push_back(std::move(output));
    }
    std::vector<std::thread> listeners; // each listens a second: all at once
    for (dac::ShowOutput &output : outputs)
        listeners.emplace_back([&output] { ListenToTheDac(output.options); });
    for (std::thread &listener : listeners)
        listener.join();
    return outputs;
}

// One show to several DACs in step: a line each at the end, status 1 when
// any ended badly.
int PlayTogether(PlayRequest &request)
{
    auto outputs = PlayOutputs(request);
    if (!outputs)
        return PlayFailed(outputs.failure());
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    const std::size_t count = outputs->size();
    std::vector<std::uint64_t> shown(count, 0);
    std::vector<std::optional<bool>> connected(count);
    std::vector<std::string> names;
    for (const PlayOutput &output : request.outputs)
        names.push_back(TargetText(*output.target));
    dac::MultiShowHooks hooks;
    hooks.onFrameSent = [&shown](std::size_t i, std::uint64_t) { ++shown[i]; };
    hooks.onStatus = [&](std::size_t i, const dac::StreamStatus &s) {
        TellConnection(connected[i], s.connected, names[i]);
    };
    const auto outcomes = dac::RunMultiShow(*outputs, gStop, hooks);
    int status = kExitOk;
    for (std::size_t i = 0; i < count; ++i)
        status = std::max(status, PlaySummary(outcomes[i], shown[i], (*outputs)[i].options.rate, names[i]));
    if (std::any_of(outcomes.begin(), outcomes.end(),
                    [](const dac::StreamOutcome &o) { return o.end == dac::StreamEnd::EmergencyStop; }))
        std::fprintf(stderr, "lumivex: every DAC was stopped, as one reported an emergency stop\n");
    return status;
}

} // namespace

int RunPlay(const Args &args)
{
    auto request = PlayOptions(args);
    if (!request)
        return PlayFailed(request.failure());
    auto show = PlayShow(*request);
    if (!show)
        return PlayFailed(show.failure());
    if (request->outputs.size() > 1)
        return PlayTogether(*request);
    dac::StreamOptions &options = request->options;
    ListenToTheDac(options);
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    dac::StreamHooks hooks;
    std::uint64_t shown = 0;
    hooks.onFrameSent = [&shown](std::uint64_t) { ++shown; };
    std::optional<bool> connected;
    hooks.onStatus = [&connected, tty = isatty(STDOUT_FILENO) != 0](const dac::StreamStatus &s) {
        TellConnection(connected, s.connected);
        if (tty)
            PrintStatus(s);
    };
    const dac::StreamOutcome outcome = dac::RunStream(options, **show, gStop, hooks);
    return PlaySummary(outcome, shown, options.rate);
}

} // namespace cli
