// A paint box: a plot surface whose drawing lives in a backing image, so
// it survives the window being covered, and a small canvas that draws on
// it pixel for pixel the way the old GDI did (lines without their last
// pixel, tiny ellipses as squares).
#pragma once

#include "toolkit/AlignClient.h"
#include "toolkit/Colors.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

namespace toolkit {

class TPaintBox;

class TCanvas {
public:
    explicit TCanvas(TPaintBox &box) : box_(box) {}

    TColor PenColor() const { return penColor_; }
    void SetPenColor(TColor color) { penColor_ = color; }

    QPoint PenPos() const { return penPos_; }
    void MoveTo(int x, int y) { penPos_ = QPoint(x, y); }
    // From the pen position to (x, y), the end pixel left out; (x, y)
    // becomes the pen position.
    void LineTo(int x, int y);
    // An outline in the pen colour inside the box (left, top) - (right,
    // bottom), right and bottom excluded, filled with the paint box's colour.
    void Ellipse(int left, int top, int right, int bottom);
    void Rectangle(int left, int top, int right, int bottom);

    TColor Pixel(int x, int y) const;

private:
    void plot(int x, int y, TColor color);
    void line(QPoint from, QPoint to, TColor color);
    void fill(const QRect &rect, TColor color);

    TPaintBox &box_;
    TColor penColor_ = 0x000000;
    QPoint penPos_;
};

class TPaintBox : public QWidget {
    Q_OBJECT
public:
    explicit TPaintBox(QWidget *parent = nullptr);

    TCanvas &Canvas() { return canvas_; }

    // The background: the parent panel's colour unless one was set.
    TColor Color() const;
    void SetColor(TColor color);

    // Keeps the box filling its parent's client area (inside a parent
    // panel's bevels), now and whenever the parent is resized.
    void SetAlignClient(bool fill);

    // Clears the drawing to the background and paints at once.
    void Repaint();

    const QImage &Image() const { return image_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    friend class TCanvas;
    void fillParent(QWidget &parent);
    void syncImage();

    TCanvas canvas_{*this};
    QImage image_;
    TColor color_ = 0;
    bool ownColor_ = false;
    TAlignClient alignClient_{*this, [this](QWidget &parent) { fillParent(parent); }};
};

} // namespace toolkit
