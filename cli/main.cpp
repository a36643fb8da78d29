// lumivex: the viewer's point-file reading, hex dump and ILDA export
// without the window.
#include "Commands.h"
#include "Help.h"

#include "rtl/SysUtils.h"
#include "startup/Startup.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace cli {

namespace {

constexpr const char *kHelp =
    "Usage: lumivex COMMAND [ARGS]\n"
    "\n"
    "  hexdump FILE     the hex dump the viewer's text pane shows (CR LF line ends)\n"
    "  list FILE        the X and Y values as the viewer lists them\n"
    "  info FILE        file name, size, point count and structure\n"
    "  convert [--color COLOR] [--format 0|1|4|5] [-o OUT | --output-dir DIR [--parents]]\n"
    "          [--force] [--profile NAME] FILE...\n"
    "                   write the ILDA file that File, Save writes for each FILE;\n"
    "                   COLOR is red (default), lime, blue, navy, yellow, aqua,\n"
    "                   fuchsia, white, black or, in formats 4 and 5, any\n"
    "                   0xBBGGRR; --format writes that ILDA format with a frame\n"
    "                   name and an end marker; OUT defaults to FILE with the\n"
    "                   extension .ild (- is standard output); DIR must exist\n"
    "                   unless --parents; existing files are kept unless --force,\n"
    "                   and an input is never overwritten\n"
    "  convert [OPTIONS] FILE.ild|FILE.svg|FILE... [--join -o OUT]\n"
    "                   ILDA files and SVG drawings too, repaired to the ILDA\n"
    "                   standard: --palette default|auto, --frames LIST,\n"
    "                   --flip-x, --flip-y, --rotate DEG, --scale F[,FY],\n"
    "                   --offset X,Y, --fit [--margin P], --profile NAME,\n"
    "                   --quiet; --join writes all FILEs into OUT\n"
    "  ilda [--json] [--summary | --check] FILE...\n"
    "                   the frames, palettes and points of ILDA files (formats\n"
    "                   0 to 5); --summary: the frames without their points;\n"
    "                   --check: every deviation from the ILDA standard (exit 1\n"
    "                   when there is one)\n"
    "  ilda --scan[=PROFILE] [--json] [--profile PROFILE] [--rate R] [--cutoff F]\n"
    "       [--lit-step P] [--blank-step P] [--tolerance T] FILE...\n"
    "                   each frame as a scanner draws it, against its own\n"
    "                   drawing: coverage, stray, steps, frame time; PROFILE\n"
    "                   is ilda-30k (default) or ilda-12k; the other options\n"
    "                   set the scanner's point rate (points/s), cutoff (Hz,\n"
    "                   R/12 when left out), largest lit and blanked step and\n"
    "                   tolerance (%) over the profile's own\n"
    "  ilda --legacy [--json] FILE\n"
    "                   what TIldaFile's reader finds in FILE\n"
    "  optimize [--profile NAME | --rate R --cutoff F --lit-step P --blank-step P\n"
    "          --tolerance T] [--format 0|1|4|5] (-o OUT | --output-dir DIR [--parents])\n"
    "          [--force] [--quiet] FILE...\n"
    "                   every frame prepared for a scanner (ilda-30k by default,\n"
    "                   or ilda-12k, or the one described): blanked travel,\n"
    "                   settling, dwell and steps within its limits; prints the\n"
    "                   coverage, stray, points and refresh rate before and after\n"
    "  dacs [--timeout S] [--dac HOST[:PORT]]... [--no-broadcast] [--json]\n"
    "                   the Ether Dream and IDN DACs that answer within S seconds\n"
    "  play FILE --dac etherdream:HOST[:PORT] | idn:HOST[:PORT] [--profile NAME | none]\n"
    "          [--rate R] [--fps N] [--frames LIST] [--loop] [--seconds S] [--clear-estop]\n"
    "                   stream FILE's frames to a DAC, prepared for the profile\n"
    "\n"
    "  A FILE of - is standard input; -- ends the options, so -- -a.dat\n"
    "  names the file -a.dat.\n"
    "\n"
    "  --help           this text; COMMAND --help: that command's usage\n"
    "  --version        the version\n"
    "\n"
    "Exit status: 0 done, 1 a file could not be read, was rejected or not\n"
    "written, 2 wrong arguments.\n";

} // namespace

int UsageError(const std::string &problem)
{
    return startup::UsageError("lumivex", problem);
}

int OutputFailed(int error)
{
    std::fprintf(stderr, "lumivex: %s\n", rtl::CannotWriteText("standard output", error != 0 ? error : EIO).c_str());
    return kExitFailed;
}

} // namespace cli

int main(int argc, char **argv)
{
    startup::Begin();

    if (argc < 2)
        return cli::UsageError("no command given");
    const std::string command = argv[1];
    const cli::Args args(argv + 2, argv + argc);

    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(cli::kHelp, stdout);
        return cli::kExitOk;
    }
    if (command == "--version") {
        std::printf("lumivex %s\n", LUMIVEX_VERSION);
        return cli::kExitOk;
    }
    if (cli::CommandUsage(command) && cli::AsksForHelp(args))
        return cli::PrintCommandUsage(command);
    if (command == "hexdump")
        return cli::RunHexdump(args);
    if (command == "list")
        return cli::RunList(args);
    if (command == "info")
        return cli::RunInfo(args);
    if (command == "convert")
        return cli::RunConvert(args);
    if (command == "ilda")
        return cli::RunIlda(args);
    if (command == "optimize")
        return cli::RunOptimize(args);
    if (command == "dacs")
        return cli::RunDacs(args);
    if (command == "play")
        return cli::RunPlay(args);
    return cli::UsageError("unknown command " + command);
}
