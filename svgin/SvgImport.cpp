#include "svgin/SvgImport.h"

#include "RecordingDevice.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>

namespace svgin {

namespace {

constexpr double kSide = 65535; // the ILDA square, -32768 to 32767
constexpr std::size_t kMostPoints = 65535;

// Fonts and painters want a Qt application; the command line has none.
void EnsureApplication()
{
    if (QCoreApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "lumivex";
    static char *argv[] = {name, nullptr};
    // Kept to the end of the process: Qt wants it alive while painting.
    static QGuiApplication *application = new QGuiApplication(argc, argv);
    (void)application;
}

// What Qt SVG says of a drawing it cannot read.
QString lastProblem;
void KeepProblem(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type != QtDebugMsg && type != QtInfoMsg && lastProblem.isEmpty())
        lastProblem = text;
}

std::int16_t Unit(double v)
{
    return static_cast<std::int16_t>(std::clamp(std::round(v - 0.5), -32768.0, 32767.0));
}

} // namespace

Drawing ImportSvg(std::span<const std::uint8_t> bytes)
{
    EnsureApplication();
    Drawing drawing;
    lastProblem.clear();
    const QtMessageHandler previous = qInstallMessageHandler(KeepProblem);
    QSvgRenderer renderer(QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size())));
    qInstallMessageHandler(previous);
    if (!renderer.isValid()) {
        drawing.problem = "Qt SVG cannot read it" + (lastProblem.isEmpty() ? std::string()
                                                                          : " (" + lastProblem.toStdString() + ")");
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
