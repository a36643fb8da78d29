#include "svgin/SvgImport.h"

#include "RecordingDevice.h"
#include "svgin/GuiApplication.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>

namespace svgin {

namespace {

constexpr double kSide = 65535; // the ILDA square, -32768 to 32767
constexpr std::size_t kMostPoints = 65535;

// What Qt says while it reads and paints: kept, not printed, since the
// first warning is the reason a drawing is refused.
QString lastProblem;
void KeepProblem(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type != QtDebugMsg && type != QtInfoMsg && lastProblem.isEmpty())
        lastProblem = text;
}

// The XML's own complaint, with its line, when it is not well formed.
std::string XmlProblem(const QByteArray &bytes)
{
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd())
        xml.readNext();
    if (!xml.hasError())
        return {};
    return "line " + std::to_string(xml.lineNumber()) + ": " + xml.errorString().toStdString();
}

// Device units run from -32767.5 to 32767.5 about the centre.
std::int16_t Unit(double v)
{
    return static_cast<std::int16_t>(std::clamp(std::floor(v), -32768.0, 32767.0));
}

} // namespace

Drawing ImportSvg(std::span<const std::uint8_t> bytes)
{
    lastProblem.clear();
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
    const QByteArray data(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
    lastProblem.clear();
    QSvgRenderer renderer(data);
    if (!renderer.isValid()) {
        std::string reason = XmlProblem(data);
        if (reason.empty())
            reason = lastProblem.isEmpty() ? "not an SVG drawing" : lastProblem.toStdString();
        drawing.problem = "Qt SVG cannot read it (" + reason + ")";
        return drawing;
    }
    const QRectF box = renderer.viewBoxF();
    if (!(box.width() > 0 && box.height() > 0)) {
        drawing.problem = "the drawing has no area (its view box is empty)";
        return drawing;
    }
    // The view box into the square, keeping its aspect, centred; device Y
    // runs down, so ILDA's Y is its negative.
    const double k = kSide / std::max(box.width(), box.height());
    const QRectF bounds(-box.width() * k / 2, -box.height() * k / 2, box.width() * k, box.height() * k);
    RecordingDevice device(static_cast<int>(kSide), kFlatness * 65536);
    {
        QPainter painter(&device);
        renderer.render(&painter, bounds);
    }
    std::size_t count = 0;
    for (const Polyline &line : device.Polylines())
        count += line.points.size();
    if (count == 0) {
        drawing.problem = "the drawing shows nothing to trace";
        return drawing;
    }
    if (count > kMostPoints) {
        drawing.problem = "the drawing needs " + std::to_string(count) + " points; an ILDA frame holds at most 65535";
        return drawing;
    }
    drawing.points.reserve(count);
    for (const Polyline &line : device.Polylines()) {
        for (std::size_t i = 0; i < line.points.size(); ++i) {
            ilda::Point p;
            p.x = Unit(line.points[i].x());
            p.y = Unit(-line.points[i].y());
            if (i == 0) {
                p.status = ilda::kBlankingBit;
            } else {
                p.color = line.color;
            }
            drawing.points.push_back(p);
        }
    }
    drawing.points.back().status |= ilda::kLastPointBit;
    return drawing;
}

} // namespace svgin
