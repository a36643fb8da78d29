// A paint device that keeps what is painted on it as coloured polylines in
// device coordinates, curves flattened to a tolerance.
#pragma once

#include "ilda/Codec.h"

#include <QBrush>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPen>
#include <QTransform>

#include <vector>

namespace svgin {

struct Polyline {
    std::vector<QPointF> points;
    ilda::Color color = 0;
};

class RecordingEngine : public QPaintEngine {
public:
    explicit RecordingEngine(double tolerance);

    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &state) override;
    void drawPath(const QPainterPath &path) override;
    void drawPolygon(const QPointF *points, int count, PolygonDrawMode mode) override;
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    Type type() const override { return QPaintEngine::User; }

    const std::vector<Polyline> &Polylines() const { return polylines_; }

private:
    void record(const QPainterPath &path, bool stroke);
    void flatten(QPointF p0, QPointF p1, QPointF p2, QPointF p3, std::vector<QPointF> &out, int depth) const;

    double tolerance_;
    QPen pen_;
    QBrush brush_;
    QTransform transform_;
    double opacity_ = 1;
    std::vector<Polyline> polylines_;
};

class RecordingDevice : public QPaintDevice {
public:
    RecordingDevice(int side, double tolerance) : side_(side), engine_(tolerance) {}
    ~RecordingDevice() override;
    QPaintEngine *paintEngine() const override { return &engine_; }
    const std::vector<Polyline> &Polylines() const { return engine_.Polylines(); }

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    int side_;
    mutable RecordingEngine engine_;
};

} // namespace svgin
