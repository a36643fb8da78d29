// lumivex-dac-emulator: an Ether Dream or an IDN unit on this machine, for
// checking live output without a laser.
#include "dac/Emulator.h"
#include "ilda/Writing.h"
#include "rtl/SysUtils.h"

#include <unistd.h>

#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

constexpr const char *kHelp =
    "Usage: lumivex-dac-emulator --kind etherdream|idn [OPTIONS]\n"
    "\n"
    "Plays what a stream sends against its own clock, counts underflows and\n"
    "announces itself, as the DAC would.\n"
    "\n"
    "  --address A       listen on A (default 127.0.0.1)\n"
    "  --port P          listen on P (default 7765 Ether Dream, 7255 IDN)\n"
    "  --name N          the name it answers with\n"
    "  --capacity C      buffer size in points (Ether Dream; default 1800)\n"
    "  --max-rate R      fastest point rate it takes (default 100000)\n"
    "  --broadcast-to A  where the Ether Dream's broadcast goes each second\n"
    "                    (default 127.0.0.1; 'none' for nowhere)\n"
    "  --record FILE.ild what it received, as an ILDA file, written at the end\n"
    "                    (a frame per IDN message, per second for Ether Dream)\n"
    "  --drop-after S    drop the connection (IDN: fall silent) once, after S s\n"
    "  --estop-after S   an emergency stop after S s (Ether Dream)\n"
    "  --seconds S       end after S seconds (default: at Ctrl+C or SIGTERM)\n";

std::atomic<bool> gStop{false};
extern "C" void OnStop(int)
{
    gStop = true;
}

int Usage(const std::string &problem)
{
    std::fprintf(stderr, "lumivex-dac-emulator: %s; try --help.\n", problem.c_str());
    return 2;
}

bool Number(const char *text, double &out)
{
    char *end = nullptr;
    out = std::strtod(text, &end);
    return *text && *end == '\0' && std::isfinite(out) && out >= 0;
}

} // namespace

int main(int argc, char **argv)
{
    dac::EmulatorOptions options;
    bool kindGiven = false;
    std::string record;
    double seconds = -1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (i + 1 >= argc)
            return Usage(arg.rfind("--", 0) == 0 ? arg + " wants a value" : "unknown argument " + arg);
        const char *value = argv[++i];
        double number = 0;
        if (arg == "--kind") {
            if (std::string(value) == "etherdream")
                options.kind = dac::Kind::EtherDream;
            else if (std::string(value) == "idn")
                options.kind = dac::Kind::Idn;
            else
                return Usage("--kind is etherdream or idn");
            kindGiven = true;
        } else if (arg == "--address") {
            options.address = value;
        } else if (arg == "--name") {
            options.name = value;
        } else if (arg == "--broadcast-to") {
            options.broadcastTo = std::string(value) == "none" ? "" : value;
        } else if (arg == "--record") {
            record = value;
            options.keep = true;
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
        } else if (arg == "--max-rate") {
            if (number < 1 || number > 4e9)
                return Usage("--max-rate wants points a second, at least 1");
            options.maxRate = static_cast<std::uint32_t>(number);
        } else if (arg == "--drop-after") {
            options.dropAfter = number;
        } else if (arg == "--estop-after") {
            options.estopAfter = number;
        } else if (arg == "--seconds") {
            seconds = number;
        } else {
            return Usage("unknown option " + arg);
        }
    }
    if (!kindGiven)
        return Usage("--kind etherdream or --kind idn is needed");

    dac::Emulator emulator(options);
    std::string problem;
    if (!emulator.Start(problem)) {
        std::fprintf(stderr, "lumivex-dac-emulator: %s\n", problem.c_str());
        return 1;
    }
    std::signal(SIGINT, OnStop);
    std::signal(SIGTERM, OnStop);
    std::printf("%s emulator '%s' on %s port %u\n", dac::KindName(options.kind), options.name.c_str(),
                options.address.c_str(), emulator.Port());
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
        ilda::SectionWriter writer;
        const auto frames = emulator.Recording();
        ilda::Header header;
        header.format = ilda::kFormat2dTrueColor;
        header.name = ilda::NameField(options.kind == dac::Kind::EtherDream ? "ethdream" : "idn");
        header.company = ilda::NameField("Lumivex");
        header.total = static_cast<std::uint16_t>(std::min<std::size_t>(frames.size(), 65535));
        for (std::size_t i = 0; i < frames.size(); ++i) {
            header.number = static_cast<std::uint16_t>(std::min<std::size_t>(i, 65535));
            std::vector<ilda::Point> points = frames[i];
            if (!points.empty())
                points.back().status |= ilda::kLastPointBit;
            writer.AddFrame(header, points);
        }
        header.number = header.total;
        writer.AddEndMarker(header);
        try {
            writer.SaveToFile(record);
        } catch (const rtl::Exception &e) {
            std::fprintf(stderr, "lumivex-dac-emulator: %s\n", e.Message().c_str());
            return 1;
        }
        std::printf("wrote %zu frames to %s\n", frames.size(), record.c_str());
    }
    return 0;
}
