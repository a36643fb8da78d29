// A flat push button: raised frame only under the pointer, an optional
// glyph whose bottom-left pixel colour is transparent, and, with a group
// index, a toggle that stays down. A click (left button released over it)
// runs Click(), which raises OnClick; the pointer entering and leaving is
// reported up the parents (ReportPointer).
#pragma once

#include "toolkit/TComponent.h"

#include <QImage>
#include <QToolButton>

namespace toolkit {

class TSpeedButton : public QToolButton, public TComponent {
    Q_OBJECT
public:
    explicit TSpeedButton(QWidget *parent = nullptr);

    bool Flat() const { return autoRaise(); }
    void SetFlat(bool flat) { setAutoRaise(flat); }

    // A group index above 0 makes the button a toggle (alone in its group
    // when AllowAllUp is set, which is all this program needs).
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int index);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool allow) { allowAllUp_ = allow; }

    bool Down() const { return isChecked(); }
    void SetDown(bool down) { setChecked(down); }

    QString Caption() const { return text(); }
    void SetCaption(const QString &caption) { setText(caption); }

    // The glyph is drawn with its bottom-left pixel's colour transparent.
    void SetGlyph(const QImage &bitmap);
    const QImage &Glyph() const { return glyph_; }

    // Runs OnClick; the toolkit calls it for every click of the button.
    virtual void Click();

    TNotifyEvent OnClick;

protected:
    bool event(QEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    int groupIndex_ = 0;
    bool allowAllUp_ = false;
    QImage glyph_;
    TPointerPresence pointer_{*this};
};

// The bitmap with every pixel of its bottom-left colour made transparent.
QImage TransparentGlyph(const QImage &bitmap);

} // namespace toolkit
