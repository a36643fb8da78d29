// A paint device that keeps what is painted on it as shapes in device
// coordinates, each with the colour and dashes it is drawn in.
#pragma once

#include <QBrush>
#include <QList>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPen>
#include <QTransform>

#include <vector>

namespace svgin {

// One painted path: a stroke, or the outline of a fill.
struct Shape {
    QPainterPath path; // device coordinates, curves kept
    QColor color;      // opaque; a gradient's is the mean of its stops
    bool fill = false;
    QList<qreal> dashes; // stroke dash and gap lengths in device units; empty: solid
    qreal dashOffset = 0;
};

class RecordingEngine : public QPaintEngine {
public:
    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}

    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &state) override;
    void drawPath(const QPainterPath &path) override;
    void drawPolygon(const QPointF *points, int count, PolygonDrawMode mode) override;
    // Images are not outlines: never drawn, nor loaded for us.
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    Type type() const override { return QPaintEngine::User; }

    const std::vector<Shape> &Shapes() const { return shapes_; }
    int LongestPath() const { return longestPath_; }

private:
    void record(const QPainterPath &path, bool stroke);

    QPen pen_;
    QBrush brush_;
    QTransform transform_;
    double opacity_ = 1;
    int longestPath_ = 0;
    std::vector<Shape> shapes_;
};

class RecordingDevice : public QPaintDevice {
public:
    explicit RecordingDevice(int side) : side_(side) {}
    ~RecordingDevice() override;
    QPaintEngine *paintEngine() const override { return &engine_; }
    const RecordingEngine &Engine() const { return engine_; }

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    int side_;
    mutable RecordingEngine engine_;
};

// The colour a brush paints: a gradient's is the mean of its stops.
QColor BrushColor(const QBrush &brush);

} // namespace svgin
