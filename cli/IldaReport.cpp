// ilda: the standard reading of a file, streamed to stdout as it is read.
#include "IldaReport.h"

#include "Json.h"

#include "ilda/Reading.h"

#include <charconv>
#include <cstdio>

namespace cli {

namespace {

char *PutNumber(char *at, long long value)
{
    return std::to_chars(at, at + 24, value).ptr;
}

char *PutText(char *at, std::string_view text)
{
    text.copy(at, text.size());
    return at + text.size();
}

// 0x00BBGGRR as 0xBBGGRR, six upper-case digits.
char *PutHexColor(char *at, ilda::Color color)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    *at++ = '0';
    *at++ = 'x';
    for (int shift = 20; shift >= 0; shift -= 4)
        *at++ = kDigits[(color >> shift) & 0xF];
    return at;
}

// 0x00BBGGRR as #RRGGBB, the way colours are written everywhere else.
char *PutRgb(char *at, ilda::Color color)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    *at++ = '#';
    for (int shift = 0; shift <= 16; shift += 8) {
        *at++ = kDigits[(color >> (shift + 4)) & 0xF];
        *at++ = kDigits[(color >> shift) & 0xF];
    }
    return at;
}

std::string RgbText(ilda::Color color)
{
    char text[8];
    return {text, PutRgb(text, color)};
}

// The texts around a point's six fields: the listing and the JSON differ
// only in them.
struct PointLayout {
    std::string_view open, y, z, status, index, noIndex, color, rgb, close;
    bool hexColor;
};
constexpr PointLayout kListingPoint{"  ", " ", " ", "  status ", "  index ", "-", "  color ", "  rgb ", "\n", true};
constexpr PointLayout kJsonPoint{"[", ", ", ", ", ", ", ", ", "null", ", ", ", \"", "\"]", false};
constexpr std::size_t kLongestPoint = 96;

char *PutPoint(char *at, const ilda::Point &p, const PointLayout &layout)
{
    at = PutNumber(PutText(at, layout.open), p.x);
    at = PutNumber(PutText(at, layout.y), p.y);
    at = PutNumber(PutText(at, layout.z), p.z);
    at = PutNumber(PutText(at, layout.status), p.status);
    at = PutText(at, layout.index);
    at = p.indexed ? PutNumber(at, p.colorIndex) : PutText(at, layout.noIndex);
    at = PutText(at, layout.color);
    at = layout.hexColor ? PutHexColor(at, p.color) : PutNumber(at, p.color);
    at = PutRgb(PutText(at, layout.rgb), p.color);
    return PutText(at, layout.close);
}

std::string Plural(std::size_t n, const char *one, const char *many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// {"code", "offset", "frame", "text"}: a diagnostic for machines.
void PutDiagnostic(Output &out, const ilda::Diagnostic &d)
{
    out << "{\"code\": \"" << ilda::DiagnosticCodeName(d.code) << "\", \"offset\": " << d.offset << ", \"frame\": ";
    if (d.frame < 0)
        out << "null";
    else
        out << d.frame;
    out << ", \"text\": " << JsonString(d.text) << "}";
}

// Lines of text: a line per frame and palette, one per point unless summed up.
class PlainWriter : public ilda::ReadHandler {
public:
    PlainWriter(Output &out, bool points) : out_(out), points_(points) {}

    void OnFrame(const ilda::FrameInfo &frame, std::span<const ilda::Point> points) override
    {
        const ilda::Header &h = frame.header;
        out_ << "frame " << static_cast<long long>(frame.index) << ": " << frame.pointCount;
        if (frame.pointCount != h.recordCount)
            out_ << " of " << h.recordCount;
        out_ << (h.recordCount == 1 ? " point" : " points") << ", format " << h.format << ", name "
             << JsonString(ilda::NameText(h.name)) << ", company " << JsonString(ilda::NameText(h.company))
             << ", number " << h.number << " of " << h.total << ", projector " << h.projector << ", offset "
             << frame.offset << "\n";
        if (!points_)
            return;
        for (const ilda::Point &p : points)
            out_.Advance(PutPoint(out_.Room(kLongestPoint), p, kListingPoint));
    }

    void OnPalette(const ilda::Palette &palette) override
    {
        out_ << "palette: " << Plural(palette.colors.size(), "colour", "colours") << ", name "
             << JsonString(ilda::NameText(palette.header.name)) << ", offset " << palette.offset << "\n";
    }

private:
    Output &out_;
    bool points_;
};

// One JSON document, written as the frames come; palettes and messages
// follow them.
class JsonWriter : public ilda::ReadHandler {
public:
    JsonWriter(Output &out, bool points) : out_(out), points_(points) {}

    void Begin(const std::string &name) { out_ << "{\"file\": " << JsonString(name) << ", \"frames\": ["; }

    void OnFrame(const ilda::FrameInfo &frame, std::span<const ilda::Point> points) override
    {
        const ilda::Header &h = frame.header;
        out_ << (frame.index ? ", " : "") << "{\"index\": " << static_cast<long long>(frame.index)
             << ", \"name\": " << JsonString(ilda::NameText(h.name))
             << ", \"company\": " << JsonString(ilda::NameText(h.company)) << ", \"format\": " << h.format
             << ", \"number\": " << h.number << ", \"total\": " << h.total << ", \"projector\": " << h.projector
             << ", \"offset\": " << frame.offset << ", \"pointCount\": " << frame.pointCount;
        if (points_) {
            out_ << ", \"points\": [";
            bool first = true;
            for (const ilda::Point &p : points) {
                char *at = out_.Room(kLongestPoint);
                at = PutText(at, first ? "" : ", ");
                first = false;
                out_.Advance(PutPoint(at, p, kJsonPoint));
            }
            out_ << "]";
        }
        out_ << "}";
    }

    void End(const ilda::ReadOutcome &outcome)
    {
        out_ << "], \"palettes\": [";
        for (std::size_t i = 0; i < outcome.palettes.size(); ++i) {
            const ilda::Palette &palette = *outcome.palettes[i];
            out_ << (i ? ", " : "") << "{\"offset\": " << palette.offset
                 << ", \"name\": " << JsonString(ilda::NameText(palette.header.name)) << ", \"colors\": [";
            for (std::size_t c = 0; c < palette.colors.size(); ++c)
                out_ << (c ? ", " : "") << palette.colors[c];
            out_ << "], \"rgb\": [";
            for (std::size_t c = 0; c < palette.colors.size(); ++c)
                out_ << (c ? ", \"" : "\"") << RgbText(palette.colors[c]) << "\"";
            out_ << "]}";
        }
        out_ << "]";
        // A summary reads the headers only, so its warnings are those the headers show.
        if (!points_)
            out_ << ", \"checked\": \"headers\"";
        Messages("warnings", outcome.warnings, outcome.warningCount, outcome.end,
                 outcome.paletteCount - outcome.palettes.size());
        Messages("errors", outcome.errors, outcome.errorCount, outcome.end, 0);
        out_ << "}\n";
    }

private:
    // The kept messages, then a note of those the reading did not keep
    // (and of palettes not listed).
    void Messages(const char *key, const std::vector<ilda::Diagnostic> &kept, std::size_t count, std::int64_t end,
                  std::size_t palettesLeftOut)
    {
        out_ << ", \"" << key << "\": [";
        for (std::size_t i = 0; i < kept.size(); ++i) {
            out_ << (i ? ", " : "");
            PutDiagnostic(out_, kept[i]);
        }
        bool first = kept.empty();
        const auto note = [&](std::size_t n, const char *what) {
            if (n)
                out_ << (first ? "" : ", ") << "{\"code\": \"not-listed\", \"offset\": " << end
                     << ", \"frame\": null, \"text\": \"" << static_cast<long long>(n) << what << "\"}";
            first = first && !n;
        };
        note(count - kept.size(), " more not listed");
        note(palettesLeftOut, " more palettes not listed");
        out_ << "]";
    }

    Output &out_;
    bool points_;
};

// The conformance report: a line per deviation (or a JSON object), as it
// is found.
class CheckWriter : public ilda::ReadHandler {
public:
    CheckWriter(Output &out, const std::string &name, bool json) : out_(out), name_(name), json_(json) {}
    void OnWarning(const ilda::Diagnostic &warning) override { Line(warning); }
    void OnError(const ilda::Diagnostic &error) override { Line(error); }

    void Begin()
    {
        if (json_)
            out_ << "{\"file\": " << JsonString(name_) << ", \"deviations\": [";
    }

    int End(const ilda::ReadOutcome &outcome)
    {
        const bool conforms = outcome.Conforms();
        if (json_)
            out_ << "], \"conforms\": " << (conforms ? "true" : "false")
                 << ", \"frames\": " << static_cast<long long>(outcome.frameCount) << "}\n";
        else if (conforms)
            out_ << name_ << ": conforms to the ILDA standard (" << Plural(outcome.frameCount, "frame", "frames")
                 << ")\n";
        else
            out_ << name_ << ": " << Plural(outcome.warningCount + outcome.errorCount, "deviation", "deviations")
                 << " from the ILDA standard\n";
        return conforms ? 0 : 1;
    }

private:
    void Line(const ilda::Diagnostic &d)
    {
        if (!json_) {
            out_ << name_ << ": byte " << d.offset << ": " << d.text << "\n";
            return;
        }
        out_ << (count_++ ? ", " : "");
        PutDiagnostic(out_, d);
    }

    Output &out_;
    const std::string &name_;
    bool json_;
    std::size_t count_ = 0;
};

} // namespace

void ReportReadingProblems(const std::string &name, const ilda::ReadOutcome &outcome, bool headersOnly)
{
    for (const ilda::Diagnostic &error : outcome.errors)
        std::fprintf(stderr, "%s: byte %lld: %s\n", name.c_str(), static_cast<long long>(error.offset),
                     error.text.c_str());
    if (!outcome.warningCount)
        return;
    const std::string count = Plural(outcome.warningCount, "deviation", "deviations");
    if (headersOnly)
        std::fprintf(stderr, "%s: %s in the headers; run 'lumivex ilda --check' for all\n", name.c_str(),
                     count.c_str());
    else
        std::fprintf(stderr, "%s: %s from the ILDA standard; 'lumivex ilda --check' lists them\n", name.c_str(),
                     count.c_str());
}

int ReportIlda(const std::string &name, rtl::TStream &stream, const IldaRequest &request, Output &out)
{
    ilda::ReadOptions options;
    options.points = request.view != IldaView::Summary;

    if (request.view == IldaView::Check) {
        CheckWriter writer(out, name, request.json);
        writer.Begin();
        return writer.End(ilda::Read(stream, writer, options));
    }

    ilda::ReadOutcome outcome;
    if (request.json) {
        JsonWriter writer(out, options.points);
        writer.Begin(name);
        outcome = ilda::Read(stream, writer, options);
        writer.End(outcome);
    } else {
        PlainWriter writer(out, options.points);
        outcome = ilda::Read(stream, writer, options);
        out.Flush();
        ReportReadingProblems(name, outcome, !options.points);
    }
    return outcome.errorCount ? 1 : 0;
}

} // namespace cli
