#include "RecordingDevice.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace svgin {

namespace {

// Dash lengths as Qt keeps them, in pen widths, into device units.
QList<qreal> DeviceDashes(const QPen &pen, double scale)
{
    QList<qreal> dashes;
    if (pen.style() == Qt::SolidLine || pen.style() == Qt::NoPen)
        return dashes;
    const double width = (pen.widthF() > 0 ? pen.widthF() : 1) * scale;
    double total = 0;
    for (const qreal d : pen.dashPattern()) {
        dashes.push_back(std::max<qreal>(d, 0) * width);
        total += dashes.back();
    }
    // A pattern of nothing draws the line whole.
    if (!(total > 0) || !std::isfinite(total) || dashes.size() % 2 != 0)
        dashes.clear();
    return dashes;
}

} // namespace

QColor BrushColor(const QBrush &brush)
{
    const QGradient *gradient = brush.gradient();
    if (!gradient || gradient->stops().isEmpty())
        return brush.color();
    double r = 0, g = 0, b = 0, a = 0;
    for (const QGradientStop &stop : gradient->stops()) {
        r += stop.second.redF();
        g += stop.second.greenF();
        b += stop.second.blueF();
        a += stop.second.alphaF();
    }
    const double n = double(gradient->stops().size());
    return QColor::fromRgbF(float(r / n), float(g / n), float(b / n), float(a / n));
}

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
    longestPath_ = std::max(longestPath_, int(path.elementCount()));
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
    path.setFillRule(mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
    path.closeSubpath();
    drawPath(path);
}

void RecordingEngine::record(const QPainterPath &path, bool stroke)
{
    QColor color = stroke ? BrushColor(pen_.brush()) : BrushColor(brush_);
    if (color.alphaF() * opacity_ <= 0)
        return; // fully transparent: not drawn
    color.setAlpha(255);
    Shape shape{transform_.map(path), color, !stroke, {}, 0};
    if (stroke) {
        const double scale = std::sqrt(std::abs(transform_.determinant()));
        shape.dashes = DeviceDashes(pen_, scale);
        const double width = (pen_.widthF() > 0 ? pen_.widthF() : 1) * scale;
        shape.dashOffset = std::isfinite(pen_.dashOffset()) ? pen_.dashOffset() * width : 0;
    }
    // Qt SVG paints a shape's fill, then its stroke on the same path: the
    // stroke alone is its outline, drawn once.
    if (stroke && !shapes_.empty() && shapes_.back().fill && shapes_.back().path == shape.path)
        shapes_.pop_back();
    shapes_.push_back(std::move(shape));
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
