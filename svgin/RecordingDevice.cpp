#include "RecordingDevice.h"

#include <QPainterPath>

#include <cmath>

namespace svgin {

namespace {

// The colour a pen or brush paints, and how opaque it is.
QColor BrushColor(const QBrush &brush)
{
    if (const QGradient *gradient = brush.gradient(); gradient && !gradient->stops().isEmpty())
        return gradient->stops().first().second;
    return brush.color();
}

double DistanceToLine(QPointF p, QPointF a, QPointF b)
{
    const QPointF d = b - a;
    const double length = std::hypot(d.x(), d.y());
    if (length == 0)
        return std::hypot(p.x() - a.x(), p.y() - a.y());
    return std::abs(d.x() * (a.y() - p.y()) - d.y() * (a.x() - p.x())) / length;
}

} // namespace

RecordingEngine::RecordingEngine(double tolerance) : QPaintEngine(QPaintEngine::AllFeatures), tolerance_(tolerance) {}

void RecordingEngine::updateState(const QPaintEngineState &state)
{
    const DirtyFlags flags = state.state();
    if (flags & DirtyPen)
        pen_ = state.pen();
    if (flags & DirtyBrush)
        brush_ = state.brush();
    if (flags & DirtyTransform)
        transform_ = state.transform();
    if (flags & DirtyOpacity)
        opacity_ = state.opacity();
}

void RecordingEngine::drawPath(const QPainterPath &path)
{
    // The stroke's colour when there is one, else the fill's.
    if (pen_.style() != Qt::NoPen && pen_.brush().style() != Qt::NoBrush)
        record(path, true);
    else if (brush_.style() != Qt::NoBrush)
        record(path, false);
}

void RecordingEngine::drawPolygon(const QPointF *points, int count, PolygonDrawMode mode)
{
    if (count < 1)
        return;
    QPainterPath path(points[0]);
    for (int i = 1; i < count; ++i)
        path.lineTo(points[i]);
    if (mode == PolylineMode) {
        if (pen_.style() != Qt::NoPen)
            record(path, true);
        return;
    }
    path.closeSubpath();
    drawPath(path);
}

void RecordingEngine::record(const QPainterPath &path, bool stroke)
{
    const QColor color = stroke ? BrushColor(pen_.brush()) : BrushColor(brush_);
    if (color.alphaF() * opacity_ <= 0)
        return; // fully transparent: not drawn
    const ilda::Color rgb = ilda::Rgb(static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
                                      static_cast<std::uint8_t>(color.blue()));
    Polyline line{{}, rgb};
    auto finish = [&] {
        // The outline of a fill is closed even where the path is not.
        if (!stroke && line.points.size() > 2 && line.points.front() != line.points.back())
            line.points.push_back(line.points.front());
        if (line.points.size() > 1)
            polylines_.push_back(line);
        line.points.clear();
    };
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element &e = path.elementAt(i);
        const QPointF at = transform_.map(QPointF(e.x, e.y));
        if (e.isMoveTo()) {
            finish();
            line.points.push_back(at);
        } else if (e.isLineTo()) {
            line.points.push_back(at);
        } else if (e.isCurveTo() && i + 2 < path.elementCount() && !line.points.empty()) {
            const QPointF c2 = transform_.map(QPointF(path.elementAt(i + 1).x, path.elementAt(i + 1).y));
            const QPointF end = transform_.map(QPointF(path.elementAt(i + 2).x, path.elementAt(i + 2).y));
            flatten(line.points.back(), at, c2, end, line.points, 0);
            i += 2;
        }
    }
    finish();
}

// A cubic is drawn by its chord once its control points lie within the
// tolerance of it: the curve stays inside their hull.
void RecordingEngine::flatten(QPointF p0, QPointF p1, QPointF p2, QPointF p3, std::vector<QPointF> &out,
                              int depth) const
{
    if (depth >= 16 || (DistanceToLine(p1, p0, p3) <= tolerance_ && DistanceToLine(p2, p0, p3) <= tolerance_)) {
        out.push_back(p3);
        return;
    }
    const QPointF a = (p0 + p1) / 2, b = (p1 + p2) / 2, c = (p2 + p3) / 2;
    const QPointF d = (a + b) / 2, e = (b + c) / 2, m = (d + e) / 2;
    flatten(p0, a, d, m, out, depth + 1);
    flatten(m, e, c, p3, out, depth + 1);
}

RecordingDevice::~RecordingDevice() = default;

int RecordingDevice::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
    case PdmHeight: return side_;
    case PdmWidthMM:
    case PdmHeightMM: return side_ * 254 / 720;
    case PdmNumColors: return 0x7FFFFFFF;
    case PdmDepth: return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY: return 72; // a point is a unit, so text keeps its size
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
    default: return QPaintDevice::metric(metric);
    }
}

} // namespace svgin
