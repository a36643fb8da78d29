// The frame as the scanner draws it through a projector, with the
// keystone's quadrilateral and the zones drawn over it. The keystone's
// corners and the zones' vertices follow the pointer; a move that would
// make the setup one CheckSetup refuses is not taken.
#pragma once

#include "player/ScannerView.h"
#include "projector/Setup.h"

#include <optional>

namespace player {

class ProjectorCanvas : public ScannerView {
    Q_OBJECT
public:
    explicit ProjectorCanvas(QWidget *parent = nullptr);

    // The setup whose keystone and zones are drawn and dragged.
    void SetSetup(const projector::Setup &setup);
    const projector::Setup &Setup() const { return setup_; }

    // Where an ILDA point is on the widget, and back (unrounded).
    QPointF ToWidget(projector::Point2 point) const;
    projector::Point2 ToIlda(QPointF pixel) const;

    // How near (pixels) the pointer must come to a corner to take it.
    static constexpr double kHitRadius = 6;

signals:
    // A corner or vertex moved: the setup as it is now.
    void SetupEdited(const projector::Setup &setup);
    // What the drag is doing, for a status line; empty when it ends.
    void Dragging(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // A keystone corner (zone -1) or a zone's vertex.
    struct Handle {
        int zone = -1;
        std::size_t index = 0;
    };
    std::optional<Handle> HandleAt(QPointF pixel) const;
    projector::Point2 &PointOf(projector::Setup &setup, Handle handle) const;
    QString DragText() const;

    projector::Setup setup_;
    std::optional<Handle> dragged_;
    QPointF pressedAt_;
    projector::Point2 startPoint_;
};

} // namespace player
