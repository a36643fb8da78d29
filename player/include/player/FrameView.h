// The drawing of the frame on show, scaled to the widget's size; a line of
// text instead when there is no frame. The wheel zooms about the pointer,
// a left drag pans, a right drag turns a 3D frame. How the frame is drawn
// is a FramePainter: the laser's lines unless another is set.
#pragma once

#include "player/FrameCache.h"
#include "player/Renderer.h"
#include "player/ViewTransform.h"

#include <QPoint>
#include <QString>
#include <QWidget>

#include <memory>
#include <span>

namespace player {

class FramePainter {
public:
    virtual ~FramePainter() = default;
    // Fills the painter's whole window: ground and frame.
    virtual void Paint(QPainter &painter, const Projection &projection, std::span<const ilda::Point> points,
                       const DrawOptions &options) const = 0;
};

// The frame as the laser draws it (DrawFrame).
class LaserPainter : public FramePainter {
public:
    void Paint(QPainter &painter, const Projection &projection, std::span<const ilda::Point> points,
               const DrawOptions &options) const override;
};

class FrameView : public QWidget {
    Q_OBJECT
public:
    explicit FrameView(QWidget *parent = nullptr);

    void SetFrame(FramePoints points);
    const FramePoints &Frame() const { return points_; }
    void SetNotice(const QString &text); // shown when there are no points
    void SetOptions(const DrawOptions &options);
    const DrawOptions &Options() const { return options_; }
    void SetPainter(std::shared_ptr<const FramePainter> painter);

    // Zoom, pan and turn; Fit keeps the turn, ResetTurn the zoom.
    const ViewTransform &Transform() const { return transform_; }
    void ZoomIn();
    void ZoomOut();
    void Fit();
    void ResetTurn();
    // Off: the mouse neither zooms, pans nor turns (a projection).
    void SetInteractive(bool on) { interactive_ = on; }

    QSize sizeHint() const override { return {480, 480}; }
    // Small enough for a small screen, large enough that the facts beside
    // it have their height.
    QSize minimumSizeHint() const override { return {240, 240}; }

    // One wheel notch zooms by this factor.
    static constexpr double kZoomStep = 1.25;

signals:
    // After each paint of a frame: the frame is on the screen.
    void Painted();

protected:
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void ZoomAbout(QPointF anchor, double factor);

    FramePoints points_;
    QString notice_;
    DrawOptions options_;
    ViewTransform transform_;
    std::shared_ptr<const FramePainter> painter_;
    bool interactive_ = true;
    Qt::MouseButton dragging_ = Qt::NoButton;
    QPointF dragFrom_;
};

} // namespace player
