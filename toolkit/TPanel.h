// A panel: a rectangle in one colour with optional 1-pixel outer and inner
// bevels, a centred caption, and an option to fill its parent's client area.
#pragma once

#include "Colors.h"

#include <QString>
#include <QWidget>

namespace toolkit {

enum class TBevelCut { bvNone, bvLowered, bvRaised };

class TPanel : public QWidget {
    Q_OBJECT
public:
    explicit TPanel(QWidget *parent = nullptr);

    TColor Color() const { return color_; }
    void SetColor(TColor color);

    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut cut);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut cut);

    QString Caption() const { return caption_; }
    void SetCaption(const QString &caption);

    // The area inside the bevels, where children aligned to fill it go.
    QRect ClientRect() const;

    // Keeps the panel filling its parent's client area (inside a parent
    // panel's bevels), now and whenever the parent is resized.
    void SetAlignClient(bool fill);
    bool AlignClient() const { return alignClient_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fillParent();
    int bevelCount() const;

    TColor color_ = clBtnFace;
    TBevelCut bevelOuter_ = TBevelCut::bvRaised;
    TBevelCut bevelInner_ = TBevelCut::bvNone;
    QString caption_;
    bool alignClient_ = false;
};

// Draws one 1-pixel bevel just inside rect.
void DrawBevel(QPainter &painter, const QRect &rect, TBevelCut cut);

} // namespace toolkit
