// How the frame lies on the screen: zoom and pan over the fitted square, and
// in 3D a turn about the centre of the ILDA space. One state that every way
// of drawing the frame shares; a Projection maps points for one paint.
#pragma once

#include "ilda/Codec.h"

#include <QPointF>
#include <QRectF>

namespace player {

class ViewTransform {
public:
    // Zoom by factor, keeping what lies under anchor (a pixel) in place.
    void ZoomAbout(QPointF anchor, double factor);
    void PanBy(QPointF delta) { offset_ += delta; }
    // Turns by a drag of (dx, dy) pixels: across turns about the vertical
    // axis, along about the horizontal one.
    void TurnBy(double dx, double dy);
    void Fit(); // the whole square again, the turn kept
    void ResetTurn();

    double Zoom() const { return zoom_; }
    QPointF Offset() const { return offset_; }
    double Yaw() const { return yaw_; }
    double Pitch() const { return pitch_; }
    bool Fitted() const { return zoom_ == 1 && offset_.isNull(); }

    static constexpr double kMinZoom = 0.25;
    static constexpr double kMaxZoom = 4096;

private:
    double zoom_ = 1;
    QPointF offset_;
    double yaw_ = 0;
    double pitch_ = 0;
};

// Maps ILDA points to pixels: the fitted square (-32768 on its first pixel,
// 32767 on its last, Y up), turned when turn is set, then zoomed and panned.
class Projection {
public:
    explicit Projection(const QRectF &square, const ViewTransform &view = {}, bool turn = false);

    QPointF Map(const ilda::Point &point) const
    {
        double x = point.x;
        double y = point.y;
        if (turn_) {
            x = m_[0] * point.x + m_[1] * point.y + m_[2] * point.z;
            y = m_[3] * point.x + m_[4] * point.y + m_[5] * point.z;
        }
        return {(left_ + (x + 32768) * scale_) * zoom_ + offset_.x(),
                (top_ + (32767 - y) * scale_) * zoom_ + offset_.y()};
    }
    // Pixels per ILDA unit.
    double Scale() const { return scale_ * zoom_; }
    const QRectF &Square() const { return square_; }

private:
    QRectF square_;
    double left_, top_, scale_, zoom_;
    QPointF offset_;
    bool turn_;
    double m_[6] = {1, 0, 0, 0, 1, 0}; // the first two rows of the turn
};

} // namespace player
