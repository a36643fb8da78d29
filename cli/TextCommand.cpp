// text: a line of text as an ILDA frame, fitted in the square, or as an
// animation scrolling across it; single-stroke Hershey fonts by default,
// any installed font through its outlines.
#include "Arguments.h"
#include "ColorOption.h"
#include "Commands.h"
#include "FileAccess.h"
#include "OutputFiles.h"
#include "ProfileOptions.h"

#include "ilda/Writing.h"
#include "lumivex/Colors.h"
#include "lumivex/Export.h"
#include "model/Base.h"
#include "rtl/SysUtils.h"
#include "scan/Prepare.h"
#include "text/Hershey.h"
#include "text/Layout.h"
#include "text/Utf8.h"
#ifdef LUMIVEX_SVG
#include "outlinefont/OutlineFont.h"
#endif

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <optional>
#include <set>
#include <variant>

namespace cli {

namespace {

struct TextOptions {
    std::u32string letters;
    std::string font = text::kDefaultHersheyFont;
    double height = 0; // % of the square; 0: the layout's own
    ilda::Color color = lumivex::clRed;
    std::optional<double> scroll; // seconds a pass takes
    double fps = 30;
    std::optional<scan::Profile> profile;
    std::string output;
    bool force = false;
    bool listFonts = false;
};

std::optional<std::string> TakeNumber(const std::string &name, const std::string &value, TextOptions &options)
{
    const auto number = startup::ParseReal(value);
    if (name == "--height" && (!number || *number <= 0 || *number > 100))
        return "--height takes a percentage above 0, at most 100, not " + value;
    if (name == "--scroll" && (!number || *number <= 0))
        return "--scroll takes the seconds a pass takes, above 0, not " + value;
    if (name == "--fps" && (!number || *number <= 0 || *number > 1000))
        return "--fps wants frames a second above 0, at most 1000, not " + value;
    if (name == "--height")
        options.height = *number;
    else if (name == "--scroll")
        options.scroll = *number;
    else
        options.fps = *number;
    return std::nullopt;
}

std::optional<std::string> TakeOption(const std::string &name, const std::string &value, TextOptions &options)
{
    if (name == "--height" || name == "--scroll" || name == "--fps")
        return TakeNumber(name, value, options);
    if (name == "--color") {
        const auto color = ParseColorOption(value);
        if (!color)
            return color.message();
        if (*color == lumivex::clBlack)
            return "black text would never be seen; choose a lit colour";
        options.color = *color;
    } else if (name == "--font") {
        options.font = value;
    } else if (name == "-o" || name == "--output") {
        options.output = value;
    } else if (name == "--list-fonts") {
        options.listFonts = true;
    } else {
        options.force = true;
    }
    return std::nullopt;
}

std::optional<std::string> CheckTogether(const ParsedArgs &parsed, const TextOptions &options)
{
    if (options.listFonts)
        return parsed.options.size() == 1 && parsed.files.empty()
                   ? std::nullopt
                   : std::optional<std::string>("--list-fonts takes nothing else");
    if (parsed.files.size() != 1)
        return "text takes one TEXT (quote it when it has spaces)";
    if (options.output.empty())
        return "text needs -o OUT (- is standard output)";
    for (const auto &option : parsed.options)
        if (option.first == "--fps" && !options.scroll)
            return "--fps goes with --scroll";
    return std::nullopt;
}

std::optional<std::string> parse(const Args &args, TextOptions &options)
{
    const auto known = WithProfileOptions({{"--font", true},
                                           {"--height", true},
                                           {"--color", true},
                                           {"--scroll", true},
                                           {"--fps", true},
                                           {"-o", true},
                                           {"--output", true},
                                           {"--force"},
                                           {"-f"},
                                           {"--list-fonts"}});
    const ParsedArgs parsed = ParseArgs(args, std::span<const KnownOption>(known));
    if (!parsed.problem.empty())
        return parsed.problem;
    scan::ProfileChoice choice;
    for (const auto &[name, value] : parsed.options)
        if (!TakeProfileOption(name, value, choice))
            if (auto problem = TakeOption(name, value, options))
                return problem;
    if (auto problem = CheckTogether(parsed, options))
        return problem;
    if (AnyProfileOption(choice)) {
        auto profile = scan::ResolveProfile(choice);
        if (const auto *problem = std::get_if<std::string>(&profile))
            return *problem;
        options.profile = std::get<scan::Profile>(profile);
    }
    if (options.listFonts)
        return std::nullopt;
    auto letters = text::DecodeUtf8(parsed.files.front());
    if (!letters)
        return letters.message();
    options.letters = std::move(*letters);
    return std::nullopt;
}

int ListFonts()
{
    for (const std::string &name : text::HersheyFonts())
        std::printf("%s\tsingle-stroke\n", name.c_str());
#ifdef LUMIVEX_SVG
    for (const std::string &name : outlinefont::OutlineFamilies())
        std::printf("%s\toutline\n", name.c_str());
#endif
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? kExitOk : OutputFailed(errno);
}

// The text in the font it names: single-stroke first, then installed ones.
std::optional<rtl::Result<text::Shaped>> Shape(const TextOptions &options)
{
    if (text::IsHersheyFont(options.font))
        return text::ShapeHershey(options.font, options.letters);
#ifdef LUMIVEX_SVG
    if (const auto family = outlinefont::FindFamily(options.font))
        return outlinefont::ShapeOutline(*family, options.letters);
#endif
    return std::nullopt;
}

std::size_t FrameCount(const TextOptions &options)
{
    if (!options.scroll)
        return 1;
    // Beyond what a scroll may take, so that the count is told, never wrapped.
    return static_cast<std::size_t>(std::min(std::round(*options.scroll * options.fps), 1e6));
}

// Writes the frames one at a time through the saving stream: a long
// scroll never sits in memory, and a failure leaves the output untouched.
class TextFile : public TBaseList {
public:
    TextFile(const text::Shaped &shaped, const text::Placement &placement, const TextOptions &options)
        : shaped_(shaped), placement_(placement), options_(options)
    {
    }

    void SaveToStream(rtl::TStream &stream) override
    {
        ilda::StreamWriter writer(stream);
        const std::size_t count = FrameCount(options_);
        ilda::Header header;
        header.format = ilda::kFormat2dTrueColor;
        header.name = ilda::NameField("text");
        header.company = ilda::NameField(lumivex::kCompanyName);
        header.total = static_cast<std::uint16_t>(count);
        for (std::size_t i = 0; i < count; ++i) {
            header.number = static_cast<std::uint16_t>(i);
            writer.AddFrame(header, Frame(i, count));
        }
        writer.AddEndMarker(header);
    }

private:
    std::vector<ilda::Point> Frame(std::size_t index, std::size_t count) const
    {
        const text::Placement at = options_.scroll ? text::ScrollStep(shaped_, placement_, index, count) : placement_;
        auto points = text::DrawText(shaped_, at, options_.color);
        if (!points)
            throw rtl::Exception(points.message());
        if (!options_.profile)
            return std::move(*points);
        auto prepared = scan::PrepareFrame(*points, *options_.profile);
        if (prepared.size() > 65535)
            throw rtl::Exception("frame " + std::to_string(index) + " needs " + std::to_string(prepared.size()) +
                                 " points once prepared, more than the 65535 a frame holds");
        return prepared;
    }

    const text::Shaped &shaped_;
    const text::Placement &placement_;
    const TextOptions &options_;
};

// Tells on stderr what the drawing leaves out or changes.
void TellChanges(const text::Shaped &shaped, const text::Placement &placement, const TextOptions &options)
{
    if (!shaped.missing.empty())
        std::fprintf(stderr, "lumivex: the font %s lacks %s; drawn as spaces\n", options.font.c_str(),
                     text::DescribeLetters(shaped.missing).c_str());
    if (placement.shrunk)
        std::fprintf(stderr, "lumivex: the text does not fit %g %% high; drawn %.1f %% high\n", options.height,
                     placement.height);
}

int Write(const text::Shaped &shaped, const text::Placement &placement, const TextOptions &options)
{
    const std::set<std::string> written;
    if (const auto problem = OutputProblem("", options.output, options.force, written)) {
        std::fprintf(stderr, "lumivex: %s\n", problem->c_str());
        return kExitFailed;
    }
    const bool toStdout = options.output == "-";
    try {
        TextFile(shaped, placement, options)
            .SaveToFile(toStdout ? "/dev/stdout" : options.output, toStdout ? "standard output" : options.output,
                        ExistingRule(options.output, options.force));
    } catch (const rtl::EFileExistsError &error) {
        std::fprintf(stderr, "lumivex: %s%s\n", error.what(), kUseForce);
        return kExitFailed;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "lumivex: %s; not written.\n", error.what());
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace

int RunText(const Args &args)
{
    TextOptions options;
    if (const auto problem = parse(args, options))
        return UsageError(*problem);
    if (options.listFonts)
        return ListFonts();
    if (options.scroll && (FrameCount(options) < 2 || FrameCount(options) > 65535))
        return UsageError("--scroll at --fps gives " + std::to_string(FrameCount(options)) +
                          " frames; a scroll takes 2 to 65535");
    const auto shaped = Shape(options);
    if (!shaped)
        return UsageError("no font " + options.font + " (lumivex text --list-fonts lists them)");
    if (!*shaped) {
        std::fprintf(stderr, "lumivex: %s\n", shaped->message().c_str());
        return kExitFailed;
    }
    const auto placement =
        options.scroll ? text::PlaceScroll(**shaped, options.height) : text::PlaceStill(**shaped, options.height);
    TellChanges(**shaped, placement ? *placement : text::Placement{}, options);
    if (!placement) {
        std::fprintf(stderr, "lumivex: %s; nothing written.\n", placement.message().c_str());
        return kExitFailed;
    }
    return Write(**shaped, *placement, options);
}

} // namespace cli
