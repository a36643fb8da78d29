// ilda: what the standard reading makes of ILDA files, or with --legacy
// what TIldaFile's reader makes of one, as text or JSON.
#include "Arguments.h"
#include "Commands.h"
#include "FileAccess.h"
#include "IldaReport.h"
#include "Json.h"
#include "Output.h"
#include "ScanReport.h"

#include "ilda/IldaObj.h"
#include "ilda/Reading.h"
#include "rtl/Messages.h"
#include "rtl/SysUtils.h"

#include <cerrno>
#include <cstdio>
#include <new>
#include <optional>

namespace cli {

namespace {

std::string hexColor(std::uint32_t color)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", color);
    return text;
}

void writePlain(const TIldaFile &file, Output &out)
{
    for (int f = 0; f < file.Count(); ++f) {
        const TFrm &frame = *file.GetFrame(f);
        out << frame.Name.Str() << ": " << frame.Count() << (frame.Count() == 1 ? " point\n" : " points\n");
        for (const Tpt &point : frame.Points()) {
            const TPtRec &p = point.Data;
            out << "  " << p.X << " " << p.Y << " " << p.Z << "  status " << p.Status << "  index "
                << p.ColorIndex << "  color " << hexColor(p.Color) << "\n";
        }
    }
}

void writeJson(const TIldaFile &file, const std::vector<std::string> &messages, Output &out)
{
    out << "{\"frames\": [";
    for (int f = 0; f < file.Count(); ++f) {
        const TFrm &frame = *file.GetFrame(f);
        out << (f ? ", " : "") << "{\"name\": " << JsonString(frame.Name.Str()) << ", \"points\": [";
        bool first = true;
        for (const Tpt &point : frame.Points()) {
            const TPtRec &p = point.Data;
            out << (first ? "[" : ", [") << p.X << ", " << p.Y << ", " << p.Z << ", " << p.Status << ", "
                << p.ColorIndex << ", " << static_cast<long long>(p.Color) << "]";
            first = false;
        }
        out << "]}";
    }
    out << "], \"messages\": [";
    for (std::size_t i = 0; i < messages.size(); ++i)
        out << (i ? ", " : "") << JsonString(messages[i]);
    out << "]}\n";
}

// Says why a file is not read: on stderr, and as {"file", "error"} with --json.
int Refuse(const std::string &name, const std::string &message, bool json)
{
    if (json) {
        Output out;
        out << "{\"file\": " << JsonString(name) << ", \"error\": " << JsonString(message) << "}\n";
        if (!out.Flush())
            return OutputFailed(errno);
    }
    std::fprintf(stderr, "%s\n", message.c_str());
    return kExitFailed;
}

// TIldaFile keeps every point (20 bytes) and every frame in memory; past
// this it is refused before it reads.
constexpr std::uint64_t kLegacyMostBytes = std::uint64_t{1} << 30;
constexpr std::uint64_t kLegacyPointBytes = 24;
constexpr std::uint64_t kLegacyFrameBytes = 160;

// What TIldaFile would keep of the stream, from the headers alone: the
// frames up to the first header's total, as it reads them.
std::uint64_t LegacyNeed(rtl::TStream &stream)
{
    struct Stop {};
    class Counter : public ilda::ReadHandler {
    public:
        void OnFrame(const ilda::FrameInfo &frame, std::span<const ilda::Point>) override
        {
            if (frame.index == 0)
                total_ = frame.header.total;
            if (frame.index >= total_ || !ilda::IsIndexed(frame.header.format))
                throw Stop{};
            bytes += kLegacyFrameBytes + std::uint64_t{frame.pointCount} * kLegacyPointBytes;
        }
        std::uint64_t bytes = 0;

    private:
        std::size_t total_ = 0;
    };
    Counter counter;
    try {
        ilda::Read(stream, counter, {.points = false, .keep = 0});
    } catch (const Stop &) {
    }
    stream.SetPosition(0);
    return counter.bytes;
}

// TIldaFile's reading, its messages and exit status, as they always were;
// the messages name the file.
int runLegacy(const std::string &name, bool json)
{
    TIldaFile file;
    std::vector<std::string> messages;
    {
        // The reader looks at the first header and goes back: a pipe is read into memory first.
        const auto stream = OpenSeekableInput(name);
        if (!stream)
            return Refuse(name, CannotOpenMessage(name), json);
        if (const std::uint64_t need = LegacyNeed(*stream); need > kLegacyMostBytes)
            return Refuse(name,
                          name + ": too large for the TIldaFile reader: it would need " + std::to_string(need >> 20) +
                              " MiB of memory; it may take " + std::to_string(kLegacyMostBytes >> 20) + " MiB",
                          json);
        // The reader tells its messages in LoadMessages too; they are shown
        // after the listing, or in the JSON.
        const rtl::MessageRecorder silence;
        try {
            file.LoadFromStream(*stream);
            messages = file.LoadMessages;
        } catch (const rtl::Exception &error) {
            // The reader keeps the frames it completed; show them with the reason it stopped.
            messages = file.LoadMessages;
            messages.push_back(error.Message());
        } catch (const std::bad_alloc &) {
            return Refuse(name, name + ": too large for the TIldaFile reader: out of memory", json);
        }
    }

    Output out;
    if (json) {
        writeJson(file, messages, out);
    } else {
        writePlain(file, out);
        for (const std::string &message : messages)
            std::fprintf(stderr, "%s: %s\n", name.c_str(), message.c_str());
    }
    if (!out.Flush())
        return OutputFailed(errno);
    return messages.empty() ? kExitOk : kExitFailed;
}

struct IldaOptions {
    IldaRequest request;
    bool summary = false;
    bool check = false;
    bool legacy = false;
    std::vector<std::string> files;
};

// Parses the arguments; a problem comes back as its text.
std::optional<std::string> parse(const Args &args, IldaOptions &options)
{
    const ParsedArgs parsed = ParseArgs(args, {{"--json"}, {"--summary"}, {"--check"}, {"--legacy"}});
    if (!parsed.problem.empty())
        return parsed.problem;
    for (const auto &option : parsed.options) {
        const std::string &name = option.first;
        if (name == "--json")
            options.request.json = true;
        else if (name == "--summary")
            options.summary = true;
        else if (name == "--check")
            options.check = true;
        else
            options.legacy = true;
    }
    options.files = parsed.files;
    if (options.files.empty())
        return "ilda needs a FILE";
    if (options.legacy && (options.summary || options.check))
        return "--legacy goes with --json only";
    if (options.legacy && options.files.size() > 1)
        return "ilda takes one FILE";
    if (options.check && options.summary)
        return "--check makes its own report; leave out --summary";
    options.request.view = options.check ? IldaView::Check : options.summary ? IldaView::Summary : IldaView::Listing;
    return std::nullopt;
}

} // namespace

int RunIlda(const Args &args)
{
    if (AsksForScan(args))
        return RunIldaScan(args);
    IldaOptions options;
    if (const auto problem = parse(args, options))
        return UsageError(*problem);
    if (options.legacy)
        return runLegacy(options.files.front(), options.request.json);

    const bool named = options.files.size() > 1 && !options.request.json && options.request.view != IldaView::Check;
    int status = kExitOk;
    Output out;
    for (const std::string &name : options.files) {
        const auto stream = OpenInput(name);
        if (!stream) {
            if (!out.Flush())
                return OutputFailed(errno);
            status = Refuse(name, CannotOpenMessage(name), options.request.json);
            continue;
        }
        if (named)
            out << name << ":\n";
        try {
            if (ReportIlda(name, *stream, options.request, out) != kExitOk)
                status = kExitFailed;
        } catch (const rtl::Exception &error) {
            out.Flush();
            std::fprintf(stderr, "%s: %s\n", name.c_str(), error.what());
            status = kExitFailed;
        }
    }
    if (!out.Flush())
        return OutputFailed(errno);
    return status;
}

} // namespace cli
