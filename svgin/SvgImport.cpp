#include "svgin/SvgImport.h"

#include "Outlines.h"
#include "RecordingDevice.h"
#include "Unpack.h"
#include "svgin/GuiApplication.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <set>

namespace svgin {

namespace {

constexpr double kSide = 65535; // the ILDA square, -32768 to 32767
constexpr std::size_t kMostPoints = 65535;
constexpr int kMostPathElements = 0x7FFF; // Qt SVG cuts a longer path short
constexpr std::size_t kPointBudget = std::size_t{1} << 20;

// What Qt says while it reads and paints: kept, not printed, since the
// first warning is the reason a drawing is refused.
QStringList problems;
void KeepProblem(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type != QtDebugMsg && type != QtInfoMsg && problems.size() < 100)
        problems.push_back(text);
}

// Device units run from -32767.5 to 32767.5 about the centre.
std::int16_t Unit(double v)
{
    return static_cast<std::int16_t>(std::clamp(std::floor(v), -32768.0, 32767.0));
}

std::string Hex(ilda::Color color)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", unsigned(color & 0xFF), unsigned(color >> 8 & 0xFF),
                  unsigned(color >> 16 & 0xFF));
    return text;
}

std::string Count(std::size_t n, const char *one, const char *many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// What was left out or changed, told once each.
struct Tally {
    std::size_t dark = 0;
    std::set<ilda::Color> darkColors;
    std::size_t backgrounds = 0;
    int images = 0;
    bool faultyPath = false;
};

// The bytes Qt SVG may read, or why the file is no drawing.
rtl::Result<Cleaned> Prepare(std::span<const std::uint8_t> bytes)
{
    QByteArray data(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
    if (IsGzip(data)) {
        auto unpacked = Gunzip(data);
        if (!unpacked)
            return rtl::Fail("not a compressed SVG drawing (" + unpacked.message() + ")");
        data = std::move(unpacked).value();
    }
    auto cleaned = WithoutImages(data);
    if (!cleaned)
        return rtl::Fail("not an SVG drawing (" + cleaned.message() + ")");
    return cleaned;
}

// The colour a shape is drawn in, or nothing when it is left out.
std::optional<ilda::Color> Paint(const QColor &color, const ImportOptions &options, Tally &tally)
{
    const ilda::Color rgb = ilda::Rgb(static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
                                      static_cast<std::uint8_t>(color.blue()));
    if (Luminance(rgb) >= kDarkLuminance)
        return rgb;
    ++tally.dark;
    tally.darkColors.insert(rgb);
    if (options.dark == DarkRule::Drop)
        return std::nullopt;
    return options.dark == DarkRule::Replace ? options.darkColor : rgb;
}

struct Polyline {
    Points points;
    ilda::Color color = 0;
};

// Strokes in order; the fills of one colour merged where that colour's
// first fill stood.
struct Slot {
    ilda::Color color = 0;
    std::vector<Points> lines;
    std::vector<QPainterPath> areas;
};

void AddStroke(const Shape &shape, ilda::Color color, std::vector<Slot> &order, Budget &budget)
{
    std::vector<Points> lines = Flatten(shape.path, kFlatness * 65536, false, budget);
    if (!shape.dashes.isEmpty()) {
        std::vector<Points> dashes;
        for (const Points &line : lines)
            for (Points &dash : Dash(line, shape.dashes, shape.dashOffset, budget))
                dashes.push_back(std::move(dash));
        lines = std::move(dashes);
    }
    order.push_back({color, std::move(lines), {}});
}

std::vector<Polyline> Trace(const std::vector<Shape> &shapes, const QRectF &page, const ImportOptions &options,
                            Tally &tally, Budget &budget)
{
    const double tolerance = kFlatness * 65536;
    std::vector<Slot> order;
    std::map<QRgb, std::size_t> fillSlot;
    for (const Shape &shape : shapes) {
        if (shape.fill && CoversPage(shape.path, page, tolerance)) {
            ++tally.backgrounds;
            continue;
        }
        const std::optional<ilda::Color> color = Paint(shape.color, options, tally);
        if (!color)
            continue;
        if (!shape.fill) {
            AddStroke(shape, *color, order, budget);
            continue;
        }
        // Merged by the drawing's own colour: a white disc on black ink stays
        // a disc when the ink turns white.
        const auto [at, fresh] = fillSlot.try_emplace(shape.color.rgb(), order.size());
        if (fresh)
            order.push_back({*color, {}, {}});
        Slot &slot = order[at->second];
        const std::vector<Points> lines = Flatten(shape.path, tolerance, true, budget);
        slot.areas.push_back(AreaOf(lines, shape.path.fillRule()));
        slot.lines.insert(slot.lines.end(), lines.begin(), lines.end());
    }
    std::vector<Polyline> out;
    for (Slot &slot : order) {
        if (slot.areas.size() > 1)
            slot.lines = Flatten(Merge(std::move(slot.areas)), tolerance, true, budget);
        for (Points &line : slot.lines)
            out.push_back({std::move(line), slot.color});
    }
    return out;
}

std::vector<std::string> Notes(const Tally &tally, const ImportOptions &options)
{
    std::vector<std::string> notes;
    if (tally.backgrounds > 0)
        notes.push_back("left out the page's background (" +
                        Count(tally.backgrounds, "filled rectangle", "filled rectangles") +
                        " over the whole view box)");
    if (tally.dark > 0) {
        const std::string what = Count(tally.dark, "dark shape", "dark shapes") + " (" +
                                 Count(tally.darkColors.size(), "colour", "colours") + " under 20 % luminance)";
        if (options.dark == DarkRule::Replace)
            notes.push_back("drew " + what + " in " + Hex(options.darkColor));
        else if (options.dark == DarkRule::Drop)
            notes.push_back("left out " + what);
        else
            notes.push_back("kept " + what + " as they are: a laser barely shows them");
    }
    if (tally.images > 0)
        notes.push_back("left out " + Count(std::size_t(tally.images), "image", "images") +
                        ": only outlines are drawn, and image files are never opened");
    if (tally.faultyPath)
        notes.push_back("a path's data is faulty; it is drawn up to the fault");
    return notes;
}

std::vector<ilda::Point> ToPoints(const std::vector<Polyline> &lines)
{
    std::vector<ilda::Point> points;
    for (const Polyline &line : lines) {
        for (std::size_t i = 0; i < line.points.size(); ++i) {
            ilda::Point p;
            p.x = Unit(line.points[i].x());
            p.y = Unit(-line.points[i].y());
            if (i == 0)
                p.status = ilda::kBlankingBit;
            else
                p.color = line.color;
            points.push_back(p);
        }
    }
    if (!points.empty())
        points.back().status |= ilda::kLastPointBit;
    return points;
}

// The frame's points, or why there is no frame.
rtl::Result<std::vector<ilda::Point>> ToFrame(const std::vector<Polyline> &lines, const Budget &budget)
{
    std::size_t count = 0;
    for (const Polyline &line : lines)
        count += line.points.size();
    if (count == 0 && !budget.Spent())
        return rtl::Fail("the drawing shows nothing to trace");
    if (count > kMostPoints || budget.Spent())
        return rtl::Fail("the drawing needs " + (budget.Spent() ? "over a million" : std::to_string(count)) +
                         " points; an ILDA frame holds at most 65535");
    return ToPoints(lines);
}

// Qt SVG's first complaint about a drawing it cannot read.
std::string QtReason()
{
    return problems.isEmpty() ? "it has no <svg> root" : "Qt SVG: " + problems.front().toStdString();
}

bool PathCutShort()
{
    return std::any_of(problems.begin(), problems.end(),
                       [](const QString &text) { return text.contains(QLatin1String("path truncated")); });
}

// The drawing's shapes in device units, the view box filling the square.
rtl::Result<std::vector<Shape>> Render(const QByteArray &xml, QRectF &page, Tally &tally)
{
    QSvgRenderer renderer(xml);
    if (!renderer.isValid())
        return rtl::Fail("not an SVG drawing (" + QtReason() + ")");
    const QRectF box = renderer.viewBoxF();
    if (!(box.width() > 0 && box.height() > 0))
        return rtl::Fail("the drawing has no area (its view box is empty)");
    // Centred, aspect kept; device Y runs down, so ILDA's Y is its negative.
    const double k = kSide / std::max(box.width(), box.height());
    page = QRectF(-box.width() * k / 2, -box.height() * k / 2, box.width() * k, box.height() * k);
    RecordingDevice device(static_cast<int>(kSide));
    {
        QPainter painter(&device);
        renderer.render(&painter, page);
    }
    if (PathCutShort() && device.Engine().LongestPath() > kMostPathElements)
        return rtl::Fail("a path has more points than Qt SVG reads of one path (" + std::to_string(kMostPathElements) +
                         "); split it into shorter paths");
    tally.faultyPath = PathCutShort();
    return device.Engine().Shapes();
}

} // namespace

double Luminance(ilda::Color color)
{
    // In whole numbers first, so a grey of exactly 20 % is not taken as darker.
    const long weighted =
        2126L * long(color & 0xFF) + 7152L * long(color >> 8 & 0xFF) + 722L * long(color >> 16 & 0xFF);
    return double(weighted) / (10000.0 * 255.0);
}

Drawing ImportSvg(std::span<const std::uint8_t> bytes, const ImportOptions &options)
{
    problems.clear();
    const QtMessageHandler previous = qInstallMessageHandler(KeepProblem);
    struct Restore {
        QtMessageHandler handler;
        ~Restore() { qInstallMessageHandler(handler); }
    } restore{previous};
    Drawing drawing;
    if (!EnsureGuiApplication()) {
        drawing.problem = "SVG drawings are read only in a program with a Qt GUI application";
        return drawing;
    }
    problems.clear();
    const auto prepared = Prepare(bytes);
    if (!prepared) {
        drawing.problem = prepared.message();
        return drawing;
    }
    Tally tally;
    tally.images = prepared->imagesLeftOut;
    QRectF page;
    const auto shapes = Render(prepared->xml, page, tally);
    if (!shapes) {
        drawing.problem = shapes.message();
        return drawing;
    }
    Budget budget{kPointBudget};
    const std::vector<Polyline> lines = Trace(*shapes, page, options, tally, budget);
    drawing.notes = Notes(tally, options);
    auto points = ToFrame(lines, budget);
    if (points)
        drawing.points = std::move(points).value();
    else
        drawing.problem = points.message();
    return drawing;
}

} // namespace svgin
