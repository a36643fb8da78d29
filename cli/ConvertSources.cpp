#include "ConvertSources.h"

#include "ColorOption.h"
#include "FileAccess.h"

#include "lumivex/Export.h"
#include "lumivex/PointFile.h"
#ifdef LUMIVEX_SVG
#include "svgin/SvgImport.h"
#endif

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace cli {

namespace {

std::string Lower(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::vector<std::uint8_t> ReadWhole(rtl::TStream &stream)
{
    std::vector<std::uint8_t> bytes;
    stream.SetPosition(0);
    std::uint8_t block[65536];
    while (const std::size_t n = stream.Read(block, sizeof block)) {
        bytes.insert(bytes.end(), block, block + n);
        if (bytes.size() > kMaxStreamedInput)
            break;
    }
    return bytes;
}

// An input's stream for one walk: its own when it has one, else the file
// opened again, and closed when the walk ends.
class WalkStream {
public:
    explicit WalkStream(PipelineInput &input) : stream_(input.stream.get())
    {
        if (stream_)
            return;
        auto opened = OpenSource(input.name);
        if (!opened)
            throw rtl::Exception(opened.message());
        reopened_ = std::move(opened).value();
        stream_ = reopened_.get();
    }
    rtl::TStream &operator*() const { return *stream_; }

private:
    rtl::TStream *stream_;
    std::unique_ptr<rtl::TStream> reopened_;
};

class IldaSource : public Source, private ilda::ReadHandler {
public:
    explicit IldaSource(PipelineInput &input) : input_(input) {}

    std::vector<FrameShape> Shapes() override
    {
        WalkStream stream(input_);
        shapes_.clear();
        (*stream).SetPosition(0);
        visitor_ = nullptr;
        ilda::Read(*stream, *this, {.points = false, .keep = 0});
        return std::move(shapes_);
    }

    void Each(FrameVisitor &visitor) override
    {
        WalkStream stream(input_);
        visitor_ = &visitor;
        (*stream).SetPosition(0);
        const ilda::ReadOutcome outcome = ilda::Read(*stream, *this, {.keep = 0});
        visitor_ = nullptr;
        endMarker_ = outcome.endMarker;
    }

    std::vector<std::string> Errors() const override { return errors_; }
    bool MissingEndMarker() const override { return !endMarker_ && errors_.empty(); }

private:
    void OnFrame(const ilda::FrameInfo &info, std::span<const ilda::Point> points) override
    {
        if (!visitor_) {
            shapes_.push_back({info.pointCount, info.header.format});
            return;
        }
        visitor_->OnFrame({info.header, points, info.palette.get(), info.colorTable.get()});
    }
    void OnError(const ilda::Diagnostic &error) override
    {
        if (visitor_)
            errors_.push_back("byte " + std::to_string(error.offset) + ": " + error.text);
    }

    PipelineInput &input_;
    FrameVisitor *visitor_ = nullptr;
    std::vector<FrameShape> shapes_;
    std::vector<std::string> errors_;
    bool endMarker_ = true;
};

// One frame made once: a point file's outline or an SVG drawing.
class OneFrameSource : public Source {
public:
    OneFrameSource(ilda::Header header, std::vector<ilda::Point> points, bool colored)
        : header_(header), points_(std::move(points)), colored_(colored)
    {
    }
    std::vector<FrameShape> Shapes() override { return {{std::uint32_t(points_.size()), header_.format}}; }
    void Each(FrameVisitor &visitor) override
    {
        SourceFrame frame{header_, points_};
        frame.colored = colored_;
        visitor.OnFrame(frame);
    }

private:
    ilda::Header header_;
    std::vector<ilda::Point> points_;
    bool colored_;
};

std::unique_ptr<Source> PointFileSource(const PipelineInput &input, rtl::TStream &stream, const ConvertOptions &options,
                                        std::string &problem)
{
    stream.SetPosition(0);
    const lumivex::PointFile file = lumivex::ReadPointFile(stream);
    if (!file.accepted()) {
        problem = file.message;
        return nullptr;
    }
    if (lumivex::PlottedSampleCount(file.ptCount) == 0) {
        problem = std::to_string(file.ptCount) + " points give no point to export (at least 10 are needed)";
        return nullptr;
    }
    // The frame File, Save would write, in the format asked (format 0 by default).
    const std::uint8_t format = options.format.value_or(ilda::kFormat3dIndexed);
    const auto built =
        lumivex::BuildStandardExport(file.xBuf, file.yBuf, file.ptCount, options.color, format, FrameName(input.name));
    rtl::TMemoryStream bytes(std::vector<std::uint8_t>(built->Bytes()));
    ilda::Contents contents = ilda::ReadAll(bytes);
    return std::make_unique<OneFrameSource>(contents.frames.at(0).info.header, std::move(contents.frames.at(0).points),
                                            true);
}

#ifdef LUMIVEX_SVG
svgin::ImportOptions DrawingOptions(const ConvertOptions &options)
{
    svgin::ImportOptions import;
    import.dark = options.dark == DarkChoice::Keep   ? svgin::DarkRule::Keep
                  : options.dark == DarkChoice::Drop ? svgin::DarkRule::Drop
                                                     : svgin::DarkRule::Replace;
    import.darkColor = options.darkColor; // both 0x00BBGGRR
    return import;
}
#endif

std::unique_ptr<Source> SvgSource(const PipelineInput &input, rtl::TStream &stream, const ConvertOptions &options,
                                  std::string &problem)
{
#ifdef LUMIVEX_SVG
    const std::vector<std::uint8_t> bytes = ReadWhole(stream);
    if (bytes.size() > kMaxStreamedInput) {
        problem = "the drawing is larger than " + std::to_string(kMaxStreamedInput >> 20) + " MiB";
        return nullptr;
    }
    svgin::Drawing drawing = svgin::ImportSvg(bytes, DrawingOptions(options));
    if (!options.quiet)
        for (const std::string &note : drawing.notes)
            std::fprintf(stderr, "%s: %s\n", input.name.c_str(), note.c_str());
    if (!drawing.problem.empty()) {
        problem = drawing.problem;
        return nullptr;
    }
    ilda::Header header;
    header.format = ilda::kFormat2dTrueColor;
    header.name = ilda::NameField(FrameName(input.name));
    header.company = ilda::NameField(lumivex::kCompanyName);
    header.total = 1;
    return std::make_unique<OneFrameSource>(header, std::move(drawing.points), false);
#else
    (void)input;
    (void)stream;
    (void)options;
    (void)ReadWhole;
    problem = "this lumivex was built without Qt SVG, so it reads no SVG drawings";
    return nullptr;
#endif
}

bool IsDrawingName(const std::string &lower)
{
    return (lower.size() > 4 && lower.ends_with(".svg")) || (lower.size() > 5 && lower.ends_with(".svgz"));
}

} // namespace

bool LooksLikePipelineInput(const std::string &name)
{
    const std::string lower = Lower(name);
    auto endsWith = [&lower](const char *tail) {
        const std::string t(tail);
        return lower.size() >= t.size() && lower.compare(lower.size() - t.size(), t.size(), t) == 0;
    };
    return endsWith(".ild") || IsDrawingName(lower);
}

InputKind DetectInput(const std::string &name, rtl::TStream &stream)
{
    std::uint8_t head[512] = {};
    stream.SetPosition(0);
    std::size_t got = 0;
    while (got < sizeof head) {
        const std::size_t n = stream.Read(head + got, sizeof head - got);
        if (n == 0)
            break;
        got += n;
    }
    stream.SetPosition(0);
    if (got >= 4 && ilda::HasSignature(head))
        return InputKind::Ilda;
    const std::string start(reinterpret_cast<const char *>(head), got);
    const std::string lower = Lower(name);
    if (IsDrawingName(lower) || (start.find("<svg") != std::string::npos))
        return InputKind::Svg;
    return InputKind::PointFile;
}

std::unique_ptr<Source> MakeSource(PipelineInput &input, const ConvertOptions &options, std::string &problem)
{
    try {
        if (input.kind == InputKind::Ilda)
            return std::make_unique<IldaSource>(input);
        // Read whole now, so that a file need not stay open.
        const WalkStream stream(input);
        if (input.kind == InputKind::PointFile)
            return PointFileSource(input, *stream, options, problem);
        return SvgSource(input, *stream, options, problem);
    } catch (const std::exception &error) {
        problem = error.what();
    }
    return nullptr;
}

std::optional<std::string> TakeDarkOption(const std::string &value, ConvertOptions &options)
{
    if (value == "keep" || value == "drop") {
        options.dark = value == "keep" ? DarkChoice::Keep : DarkChoice::Drop;
        return std::nullopt;
    }
    const auto color = ParseColorOption(value);
    if (!color)
        return "--dark takes keep, drop or a colour (" + std::string(ColorForms()) + "), not " + value;
    options.dark = DarkChoice::Replace;
    options.darkColor = *color;
    return std::nullopt;
}

} // namespace cli
