// The frame as the chosen scanner draws it (RenderScannerImage), scaled to
// the widget's largest centred square; drawn again only when the frame,
// the profile or the size changes.
#pragma once

#include "player/FrameCache.h"
#include "scan/Profile.h"

#include <QImage>
#include <QWidget>

namespace player {

class ScannerView : public QWidget {
    Q_OBJECT
public:
    explicit ScannerView(QWidget *parent = nullptr);

    void SetFrame(FramePoints points);
    void SetProfile(const scan::Profile &profile);
    const scan::Profile &Profile() const { return profile_; }

    QSize sizeHint() const override { return {480, 480}; }
    QSize minimumSizeHint() const override { return {120, 120}; }

signals:
    // After each paint of a frame: the frame is on the screen.
    void Painted();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    FramePoints points_;
    scan::Profile profile_;
    QImage image_; // of points_ under profile_, empty when it must be drawn again
};

} // namespace player
