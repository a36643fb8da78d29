#include "player/ViewTransform.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace player {

void ViewTransform::ZoomAbout(QPointF anchor, double factor)
{
    const double zoom = std::clamp(zoom_ * factor, kMinZoom, kMaxZoom);
    const double applied = zoom / zoom_;
    offset_ = anchor - (anchor - offset_) * applied;
    zoom_ = zoom;
}

void ViewTransform::TurnBy(double dx, double dy)
{
    // Half a turn across the width of a usual view.
    constexpr double kRadiansPerPixel = std::numbers::pi / 400;
    yaw_ = std::remainder(yaw_ + dx * kRadiansPerPixel, 2 * std::numbers::pi);
    pitch_ = std::clamp(pitch_ + dy * kRadiansPerPixel, -std::numbers::pi / 2, std::numbers::pi / 2);
}

void ViewTransform::Fit()
{
    zoom_ = 1;
    offset_ = {};
}

void ViewTransform::ResetTurn()
{
    yaw_ = 0;
    pitch_ = 0;
}

Projection::Projection(const QRectF &square, const ViewTransform &view, bool turn)
    : square_(square), left_(square.left()), top_(square.top()), scale_((square.width() - 1) / 65535.0),
      zoom_(view.Zoom()), offset_(view.Offset()), turn_(turn && (view.Yaw() != 0 || view.Pitch() != 0))
{
    // Turn about the vertical axis (yaw), then tilt about the horizontal
    // one (pitch); the view looks along Z.
    const double cy = std::cos(view.Yaw()), sy = std::sin(view.Yaw());
    const double cp = std::cos(view.Pitch()), sp = std::sin(view.Pitch());
    m_[0] = cy;
    m_[1] = 0;
    m_[2] = sy;
    m_[3] = sp * sy;
    m_[4] = cp;
    m_[5] = -sp * cy;
}

} // namespace player
