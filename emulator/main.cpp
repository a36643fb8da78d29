// lumivex-dac-emulator: an Ether Dream, an IDN unit or a LaserCube on this machine, for
// checking live output without a laser.
#include "dac/Net.h"
#include "emulator/Emulator.h"
#include "ilda/Writing.h"
#include "rtl/SysUtils.h"
#include "scan/Profile.h"
#include "startup/Arguments.h"
#include "startup/Startup.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const char *kHelp =
    "Usage: lumivex-dac-emulator --kind etherdream|idn|lasercube [OPTIONS]\n"
    "\n"
    "Plays what a stream sends against its own clock, counts underflows and\n"
    "announces itself, as the DAC would.\n"
    "\n"
    "  --address A       listen on A (default 127.0.0.1)\n"
    "  --port P          listen on P (default 7765 Ether Dream, 7255 IDN,\n"
    "                    45457 LaserCube, its data on the port after)\n"
    "  --name N          the name it answers with\n"
    "  --capacity C      buffer size in points (default 1800 Ether Dream,\n"
    "                    6000 LaserCube)\n"
    "  --max-rate R      fastest point rate it takes (default 100000)\n"
    "  --broadcast-to A  where the Ether Dream's broadcast goes each second\n"
    "                    (default 127.0.0.1; 'none' for nowhere)\n"
    "  --record FILE.ild what it received, as an ILDA file, written at the end\n"
    "                    (a frame per IDN message, per second of points played\n"
    "                    for Ether Dream and LaserCube)\n"
    "  --drop-after S    drop the connection (IDN: fall silent) once, after S s\n"
    "  --estop-after S   an emergency stop after S s (Ether Dream; LaserCube:\n"
    "                    its output goes off)\n"
    "  --hold-ms MS      IDN: play each frame MS past its timestamp, evening\n"
    "                    out the network's delays (0 to 500; default 0: as it\n"
    "                    arrives)\n"
    "  --seconds S       end after S seconds (default: at Ctrl+C or SIGTERM)\n";

std::atomic<bool> gStop{false};
extern "C" void OnStop(int)
{
    gStop = true;
}

constexpr const char *kProgram = "lumivex-dac-emulator";
constexpr std::uint32_t kLaserCubeCapacity = 6000; // points, as the unit has

int Usage(const std::string &problem)
{
    return startup::UsageError(kProgram, problem);
}

// A whole non-negative number, or none.
bool Number(const std::string &text, double &out)
{
    const auto value = startup::ParseReal(text);
    if (!value || *value < 0)
        return false;
    out = *value;
    return true;
}

// What --record writes: one frame per IDN message, per second for an Ether
// Dream, a longer one cut into frames an ILDA file can hold.
void WriteRecording(const std::string &record, dac::Kind kind, const std::vector<std::vector<ilda::Point>> &frames)
{
    constexpr std::size_t kMostPoints = 65535;
    ilda::SectionWriter writer;
    ilda::Header header;
    header.format = ilda::kFormat2dTrueColor;
    header.name = ilda::NameField(kind == dac::Kind::EtherDream ? "ethdream"
                                  : kind == dac::Kind::Idn      ? "idn"
                                                                : "lasercub");
    header.company = ilda::NameField("Lumivex");
    std::size_t total = 0;
    for (const auto &frame : frames)
        total += (frame.size() + kMostPoints - 1) / kMostPoints;
    header.total = static_cast<std::uint16_t>(std::min(total, kMostPoints));
    std::size_t written = 0;
    for (const auto &frame : frames)
        for (std::size_t at = 0; at < frame.size(); at += kMostPoints) {
            std::vector<ilda::Point> points(frame.begin() + static_cast<std::ptrdiff_t>(at),
                                            frame.begin() +
                                                static_cast<std::ptrdiff_t>(std::min(frame.size(), at + kMostPoints)));
            points.back().status |= ilda::kLastPointBit;
            header.number = static_cast<std::uint16_t>(std::min<std::size_t>(written++, 65535));
            writer.AddFrame(header, points);
        }
    header.number = 0;
    writer.AddEndMarker(header);
    writer.SaveToFile(record);
    std::printf("wrote %zu frames to %s\n", written, record.c_str());
}

} // namespace

int main(int argc, char **argv)
{
    startup::Begin();
    const std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
    if (startup::AsksFor(args, {"--help", "-h"})) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (startup::AsksFor(args, {"--version"})) {
        std::printf("%s %s\n", kProgram, LUMIVEX_VERSION);
        return 0;
    }
    const startup::ParsedArgs parsed = startup::ParseArgs(args, {{"--kind", true},
                                                                 {"--address", true},
                                                                 {"--name", true},
                                                                 {"--broadcast-to", true},
                                                                 {"--record", true},
                                                                 {"--port", true},
                                                                 {"--capacity", true},
                                                                 {"--max-rate", true},
                                                                 {"--drop-after", true},
                                                                 {"--estop-after", true},
                                                                 {"--hold-ms", true},
                                                                 {"--seconds", true}});
    if (!parsed.problem.empty())
        return Usage(parsed.problem);
    if (!parsed.files.empty())
        return Usage("unknown argument " + parsed.files.front());
    emu::EmulatorOptions options;
    bool kindGiven = false, capacityGiven = false;
    std::string record;
    double seconds = -1;
    for (const auto &[arg, value] : parsed.options) {
        double number = 0;
        if (arg == "--kind") {
            if (value == "etherdream")
                options.kind = dac::Kind::EtherDream;
            else if (value == "idn")
                options.kind = dac::Kind::Idn;
            else if (value == "lasercube")
                options.kind = dac::Kind::LaserCube;
            else
                return Usage("--kind is etherdream, idn or lasercube");
            kindGiven = true;
        } else if (arg == "--address") {
            options.address = value;
        } else if (arg == "--name") {
            options.name = value;
        } else if (arg == "--broadcast-to") {
            options.broadcastTo = value == "none" ? "" : value;
        } else if (arg == "--record") {
            record = value;
            options.keep = true;
        } else if (arg == "--hold-ms") {
            std::string problem;
            const auto hold = dac::ParseHoldMs(arg, value, problem);
            if (!hold)
                return Usage(problem);
            options.holdSeconds = *hold;
        } else if (!Number(value, number)) {
            return Usage(arg + " wants a number, not '" + value + "'");
        } else if (arg == "--port") {
            if (number < 1 || number > 65535)
                return Usage("--port wants 1 to 65535");
            options.port = static_cast<std::uint16_t>(number);
        } else if (arg == "--capacity") {
            if (number < 1 || number > 65535)
                return Usage("--capacity wants 1 to 65535 points");
            options.capacity = static_cast<std::uint32_t>(number);
            capacityGiven = true;
        } else if (arg == "--max-rate") {
            const auto rate = scan::ParsePointRate(arg, value);
            if (!rate)
                return Usage(rate.message());
            options.maxRate = static_cast<std::uint32_t>(std::lround(*rate));
        } else if (arg == "--drop-after") {
            options.dropAfter = number;
        } else if (arg == "--estop-after") {
            options.estopAfter = number;
        } else {
            seconds = number;
        }
    }
    if (!kindGiven)
        return Usage("--kind etherdream, idn or lasercube is needed");
    if (options.kind == dac::Kind::LaserCube && !capacityGiven)
        options.capacity = kLaserCubeCapacity;

    emu::Emulator emulator(options);
    std::string problem;
    if (!emulator.Start(problem)) {
        std::fprintf(stderr, "%s: %s\n", kProgram, problem.c_str());
        return 1;
    }
    std::signal(SIGINT, OnStop);
    std::signal(SIGTERM, OnStop);
    std::printf("%s emulator '%s' on %s port %u", dac::KindName(options.kind), options.name.c_str(),
                options.address.c_str(), emulator.Port());
    if (options.kind == dac::Kind::LaserCube)
        std::printf(" (data on %u)", emulator.Port() + 1u);
    std::printf("\n");
    std::fflush(stdout);
    const auto start = dac::Clock::now();
    auto lastLine = start;
    std::uint64_t lastUnderflows = 0;
    while (!gStop && (seconds < 0 || dac::Clock::now() - start < std::chrono::duration<double>(seconds))) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (isatty(STDOUT_FILENO) && dac::Clock::now() - lastLine >= std::chrono::seconds(1)) {
            lastLine = dac::Clock::now();
            const auto f = emulator.Figures();
            std::printf("%s  rate %.0f  played %llu  received %llu  underflows %llu%s\n",
                        f.playing ? "playing" : "idle   ", f.rate, static_cast<unsigned long long>(f.pointsPlayed),
                        static_cast<unsigned long long>(f.pointsReceived),
                        static_cast<unsigned long long>(f.underflows), f.estop ? "  EMERGENCY STOP" : "");
            std::fflush(stdout);
            lastUnderflows = f.underflows;
        }
    }
    emulator.Stop();
    const auto f = emulator.Figures();
    std::printf(
        "played %llu points, received %llu in %llu messages, %llu underflows, %llu connections, %llu "
        "malformed\n",
        static_cast<unsigned long long>(f.pointsPlayed), static_cast<unsigned long long>(f.pointsReceived),
        static_cast<unsigned long long>(f.messages), static_cast<unsigned long long>(f.underflows),
        static_cast<unsigned long long>(f.connections), static_cast<unsigned long long>(f.malformed));
    (void)lastUnderflows;
    if (!record.empty()) {
        try {
            WriteRecording(record, options.kind, emulator.Recording());
        } catch (const rtl::Exception &e) {
            std::fprintf(stderr, "%s: %s\n", kProgram, e.Message().c_str());
            return 1;
        }
    }
    return 0;
}
