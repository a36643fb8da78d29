#include "Help.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace cli {

namespace {

// The one usage text: `lumivex --help` prints it whole, `lumivex COMMAND
// --help` the lines of that command. A command's lines start two spaces in
// with its name; its other lines are indented further.
constexpr const char *kUsage =
    "Usage: lumivex COMMAND [ARGS]\n"
    "\n"
    "  hexdump FILE     the hex dump the viewer's text pane shows (CR LF line ends)\n"
    "  list FILE        the X and Y values as the viewer lists them\n"
    "  info FILE        file name, size, point count and structure\n"
    "  convert [--color COLOR] [--format 0|1|4|5] [-o OUT | --output-dir DIR [--parents]]\n"
    "          [--force] [--profile NAME] FILE...\n"
    "                   write the ILDA file that File, Save writes for each FILE;\n"
    "                   COLOR is a swatch name: red (default), lime, blue,\n"
    "                   navy, yellow, aqua, fuchsia, white, black; or, in\n"
    "                   formats 4 and 5 and for ILDA files and drawings, any\n"
    "                   #RRGGBB, 0xBBGGRR or CSS colour name (green, orange);\n"
    "                   --format writes that ILDA format with a frame\n"
    "                   name and an end marker; OUT defaults to FILE with the\n"
    "                   extension .ild (- is standard output); DIR must exist\n"
    "                   unless --parents; existing files are kept unless --force,\n"
    "                   and an input is never overwritten\n"
    "  convert [OPTIONS] FILE.ild|FILE.svg|FILE.svgz|FILE... [--join -o OUT]\n"
    "                   ILDA files and SVG drawings too, repaired to the ILDA\n"
    "                   standard: --palette default|auto, --frames LIST,\n"
    "                   --flip-x, --flip-y, --rotate DEG, --scale F[,FY],\n"
    "                   --offset X,Y, --fit [--margin P], --profile NAME,\n"
    "                   --dark COLOR|keep|drop, --projector P.json,\n"
    "                   --color-delay US|R,G,B (prepared for lasers that lag),\n"
    "                   --quiet; --join writes all FILEs into OUT; --dark: a\n"
    "                   drawing's paint under 20 % luminance is drawn in COLOR\n"
    "                   (white by default), kept or left out\n"
    "  ilda [--json] [--summary | --check] FILE...\n"
    "                   the frames, palettes and points of ILDA files (formats\n"
    "                   0 to 5); --summary: the frames without their points;\n"
    "                   --check: every deviation from the ILDA standard (exit 1\n"
    "                   when there is one)\n"
    "  ilda --scan[=PROFILE] [--json] [--profile PROFILE] [--rate R] [--cutoff F]\n"
    "       [--lit-step P] [--blank-step P] [--tolerance T] [--color-delay US|R,G,B]\n"
    "       FILE...\n"
    "                   each frame as a scanner draws it, against its own\n"
    "                   drawing: coverage, stray, steps, frame time; PROFILE\n"
    "                   is ilda-30k (default) or ilda-12k; the other options\n"
    "                   set the scanner's point rate (points/s), cutoff (Hz,\n"
    "                   R/12 when left out), largest lit and blanked step and\n"
    "                   tolerance (%) over the profile's own; --color-delay:\n"
    "                   how many microseconds the lasers (all, or red, green,\n"
    "                   blue) switch later than the mirrors move (0 to 1000)\n"
    "  ilda --legacy [--json] FILE\n"
    "                   what TIldaFile's reader finds in FILE\n"
    "  optimize [--profile NAME | --rate R --cutoff F --lit-step P --blank-step P\n"
    "          --tolerance T] [--color-delay US|R,G,B] [--min-hz F] [--max-points N]\n"
    "          [--format 0|1|4|5] (-o OUT | --output-dir DIR [--parents])\n"
    "          [--force] [--quiet] [--projector P.json] FILE...\n"
    "                   every frame prepared for a scanner (ilda-30k by default,\n"
    "                   or ilda-12k, or the one described): blanked travel,\n"
    "                   settling, dwell and steps within its limits; prints the\n"
    "                   coverage, stray, points and refresh rate before and after;\n"
    "                   with --color-delay each laser's light is sent that early\n"
    "                   --min-hz F, --max-points N: no frame above rate/F or N\n"
    "                   points (dwell, then gaps, then the smallest strokes give\n"
    "                   way; exit 2 when nothing fits)\n"
    "                   --projector: corrected for that projector (its scanner,\n"
    "                   geometry, zones, colours and limits)\n"
    "  dacs [--timeout S] [--dac TARGET | HOST[:PORT]]... [--no-broadcast] [--json]\n"
    "                   the Ether Dream, IDN and LaserCube DACs that answer within\n"
    "                   S seconds (TARGET as dacs prints it), and the Helios units\n"
    "                   plugged in over USB (helios:N)\n"
    "  play FILE --dac etherdream:HOST[:PORT] | idn:HOST[:PORT] | lasercube:HOST[:PORT]\n"
    "          | helios[:N]\n"
    "          [--profile NAME | none]\n"
    "          [--rate R] [--fps N] [--frames LIST] [--loop] [--seconds S] [--clear-estop]\n"
    "          [--projector P.json] [--timing keep|every] [--idn-hold-ms MS]\n"
    "                   stream FILE's frames to a DAC, prepared for the profile\n"
    "                   or corrected for the projector (its DAC unless --dac);\n"
    "                   another --dac plays the show on that DAC too, in step\n"
    "                   keep: a frame longer than its slot is shown once whole\n"
    "                   and the frames whose time passed are skipped (the\n"
    "                   default); every: every frame is shown, the show slows;\n"
    "                   --idn-hold-ms: IDN units hold each frame MS past its\n"
    "                   timestamp, so frames go that much ahead\n"
    "  text TEXT [--font NAME] [--height PERCENT] [--color COLOR] [--scroll SECONDS\n"
    "          [--fps N]] [--profile NAME] [--force] -o OUT\n"
    "                   TEXT as a frame fitted in the square, or scrolling across\n"
    "                   it in SECONDS (30 frames a second unless --fps); a\n"
    "                   single-stroke font (futural by default) or any installed one\n"
    "  text --list-fonts\n"
    "                   the fonts, one a line with its kind\n"
    "  projector init [--force] [--profile NAME | --rate R ...] FILE.json\n"
    "                   write a projector's setup file with every key\n"
    "  projector check FILE.json...\n"
    "                   read a setup file; one that breaks a rule is refused\n"
    "                   with its key (exit 2)\n"
    "  pattern tuning|grid|colors [--projector P.json] [--rate R] -o OUT.ild\n"
    "          [--force]\n"
    "                   a test pattern prepared for the scanner (or corrected\n"
    "                   for the projector): a square with its circle and\n"
    "                   diagonals, a grid for the keystone, or colour bars\n"
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

const char *Usage()
{
    return kUsage;
}

std::string CommandUsage(const std::string &command)
{
    std::string lines;
    bool inCommand = false;
    const std::string_view usage(kUsage);
    for (std::size_t at = 0, end; at < usage.size(); at = end + 1) {
        end = std::min(usage.find('\n', at), usage.size());
        const std::string_view line = usage.substr(at, end - at);
        if (line.size() > 2 && line.substr(0, 2) == "  " && line[2] != ' ') {
            const std::string_view rest = line.substr(2);
            inCommand = rest.substr(0, command.size()) == command &&
                        (rest.size() == command.size() || rest[command.size()] == ' ');
            if (inCommand)
                lines += (lines.empty() ? "Usage: lumivex " : "       lumivex ") + std::string(rest) + "\n";
        } else if (inCommand && !line.empty()) {
            lines += std::string(13, ' ') + std::string(line) + "\n"; // as far in as the command moved
        } else {
            inCommand = false;
        }
    }
    return lines;
}

bool AsksForHelp(const Args &args)
{
    for (const std::string &arg : args) {
        if (arg == "--")
            return false;
        if (arg == "--help" || arg == "-h")
            return true;
    }
    return false;
}

int PrintCommandUsage(const std::string &command)
{
    std::fputs(CommandUsage(command).c_str(), stdout);
    std::fputs("\nA FILE of - is standard input; -- ends the options.\n", stdout);
    return std::fflush(stdout) == 0 ? kExitOk : OutputFailed(0);
}

} // namespace cli
