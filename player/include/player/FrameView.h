// The drawing of the frame on show, scaled to the widget's size; a line of
// text instead when there is no frame.
#pragma once

#include "player/FrameCache.h"
#include "player/Renderer.h"

#include <QString>
#include <QWidget>

namespace player {

class FrameView : public QWidget {
    Q_OBJECT
public:
    explicit FrameView(QWidget *parent = nullptr);

    void SetFrame(FramePoints points);
    const FramePoints &Frame() const { return points_; }
    void SetNotice(const QString &text); // shown when there are no points
    void SetOptions(const DrawOptions &options);
    const DrawOptions &Options() const { return options_; }

    QSize sizeHint() const override { return {480, 480}; }
    QSize minimumSizeHint() const override { return {120, 120}; }

signals:
    // After each paint of a frame: the frame is on the screen.
    void Painted();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    FramePoints points_;
    QString notice_;
    DrawOptions options_;
};

} // namespace player
