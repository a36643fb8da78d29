// TZelkScrollBar: a scroll bar of our own widget set, built from toolkit
// panels and flat buttons: two arrow buttons and a track area (TScroller)
// holding the track (TTraka) and a thumb (TSetac) of fixed pixel length.
// The track area holds the value model; the bar forwards to it.
//
// Each event is told twice, at the same moment: to the On... callback, if
// set, and then as a Qt signal for connect().
#pragma once

#include "toolkit/Colors.h"
#include "toolkit/TComponent.h"
#include "toolkit/TPanel.h"
#include "toolkit/TSpeedButton.h"
#include "toolkit/TTimer.h"

#include <QColor>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>

class QEvent;
class QFocusEvent;
class QKeyEvent;
class QMouseEvent;
class QResizeEvent;
class QWheelEvent;

enum TKind : std::uint8_t { sbHorizontal = 0, sbVertical = 1 };
using TStep = std::uint16_t;  // a designer holds it to 1 .. 32767
using TTrk = std::uint16_t;   // a designer holds it to 1 .. 32767
using Tkoliki = std::uint8_t; // a designer holds it to 10 .. 100
using TOnScroll = std::function<void(QObject *Sender, std::int32_t ScrollPos)>;
using TOnMouseOverEvent = std::function<void(QObject *Sender)>;
using TOnMouseOutEvent = std::function<void(QObject *Sender)>;

// Shared scratch bitmaps: glyphs are loaded here and copied into a bar's
// arrows.
extern QImage ArrowGlyphLT;
extern QImage ArrowGlyphRD;

// An arrow: each click steps the bar by SmallChange in the arrow's
// direction, notifies, then raises OnClick and arrowClicked().
// Press-and-hold: a press arms DelayTimer; its tick starts RepeatTimer,
// whose every tick is one click; any release stops both.
class TArrowButton : public toolkit::TSpeedButton {
    Q_OBJECT
public:
    ~TArrowButton() override;

    void Click() override;
    void RepeatTick(QObject *Sender);
    void DelayTick(QObject *Sender);

    toolkit::TTimer *RepeatTimer;
    toolkit::TTimer *DelayTimer;

signals:
    void arrowClicked();

protected:
    // direction: -1 steps back, +1 forward.
    TArrowButton(QWidget *owner, int direction);
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int direction_;
};

// Steps the bar back.
class TButtonUp : public TArrowButton {
    Q_OBJECT
public:
    explicit TButtonUp(QWidget *owner) : TArrowButton(owner, -1) {}
};

// Steps the bar forward.
class TButtonDown : public TArrowButton {
    Q_OBJECT
public:
    explicit TButtonDown(QWidget *owner) : TArrowButton(owner, +1) {}
};

// The track. A press stores its point and starts the repeat; each click
// pages towards the stored point. The pointer leaving the track stops the
// repeat for good.
class TTraka : public toolkit::TPanel {
    Q_OBJECT
public:
    explicit TTraka(QWidget *owner);
    ~TTraka() override;

    void Click() override;
    void RepeatTick(QObject *Sender);
    void DelayTick(QObject *Sender);

    std::int32_t DownX = 0;
    std::int32_t DownY = 0;
    toolkit::TTimer *RepeatTimer;
    toolkit::TTimer *DelayTimer;

protected:
    // Takes the track's own pointer-left report: the repeat stops and the
    // report goes no further.
    bool event(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// The thumb, dragged with the left button.
class TSetac : public toolkit::TPanel {
    Q_OBJECT
public:
    explicit TSetac(QWidget *owner) : toolkit::TPanel(owner) {}

    bool Dragging = false;
    std::int32_t DownX = 0;
    std::int32_t DownY = 0;
    std::int32_t DragLow = 0;
    std::int32_t DragHigh = 0;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// The track area: the value model and the thumb's place.
class TScroller : public toolkit::TPanel {
    Q_OBJECT
    Q_PROPERTY(int Trk READ Trk WRITE SetTrk)
    Q_PROPERTY(quint32 BojaSetaca READ BojaSetaca WRITE SetBojaSetaca)
    Q_PROPERTY(quint32 Bojatrake READ Bojatrake WRITE SetBojatrake)
    Q_PROPERTY(int ThumbSize READ ThumbSize WRITE SetThumbSize)
    Q_PROPERTY(int Min READ Min WRITE SetMin)
    Q_PROPERTY(int Max READ Max WRITE SetMax)
    Q_PROPERTY(int Kind READ kindValue WRITE setKindValue)
    Q_PROPERTY(int Position READ Position WRITE SetPosition)
public:
    explicit TScroller(QWidget *owner);
    ~TScroller() override;

    TTrk Trk() const { return FTrk; }
    void SetTrk(TTrk value);
    toolkit::TColor BojaSetaca() const { return FBojaSetaca; }
    void SetBojaSetaca(toolkit::TColor value);
    toolkit::TColor Bojatrake() const { return FBojatrake; }
    void SetBojatrake(toolkit::TColor value);
    Tkoliki ThumbSize() const { return FThumbSize; }
    void SetThumbSize(Tkoliki value);
    std::int32_t Min() const { return FMin; }
    void SetMin(std::int32_t value);
    std::int32_t Max() const { return FMax; }
    void SetMax(std::int32_t value);
    std::int32_t Position() const { return FPosition; }
    void SetPosition(std::int32_t value);
    TKind Kind() const { return FKind; }
    void SetKind(TKind value);

    // The thumb's leading edge for the current Position.
    int ThumbOffset() const;
    // The position for the thumb's current place.
    std::int32_t PositionFromThumb() const;
    // Focus to the bar, then OnScroll and positionChanged(), also when
    // nothing moved.
    void NotifyChange();

    TTraka *Traka = nullptr;
    TSetac *Setac = nullptr;
    TOnScroll OnScroll;

signals:
    void positionChanged(int position);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    friend class TSetac;         // a drag stores the position without the writer
    friend class TZelkScrollBar; // reading Min in design mode stores it directly

    int travel() const;
    void placeThumb();
    int kindValue() const { return FKind; }
    void setKindValue(int kind) { SetKind(TKind(kind)); }

    TTrk FTrk = 1;
    toolkit::TColor FBojaSetaca = toolkit::clBtnFace;
    toolkit::TColor FBojatrake = toolkit::clBtnHighlight;
    std::int32_t FPosition = 0;
    std::int32_t FMax = 100;
    std::int32_t FMin = 0;
    Tkoliki FThumbSize = 25;
    TKind FKind = sbHorizontal;
};

class TZelkScrollBar : public toolkit::TPanel {
    Q_OBJECT
    Q_PROPERTY(QString Version READ Version WRITE SetVersion)
    Q_PROPERTY(QString HintSecondLine READ HintSecondLine WRITE SetHintSecondLine)
    Q_PROPERTY(int SmallChange READ SmallChange WRITE SetSmallChange)
    Q_PROPERTY(int LargeChange READ LargeChange WRITE SetLargeChange)
    // The raw colour values; a form designer edits thumbColor and bandColor.
    Q_PROPERTY(quint32 ColorThumb READ ColorThumb WRITE SetColorThumb DESIGNABLE false)
    Q_PROPERTY(quint32 ColorBand READ ColorBand WRITE SetColorBand DESIGNABLE false)
    Q_PROPERTY(QColor thumbColor READ thumbColor WRITE setThumbColor RESET resetThumbColor)
    Q_PROPERTY(QColor bandColor READ bandColor WRITE setBandColor RESET resetBandColor)
    Q_PROPERTY(int repeatDelay READ repeatDelay WRITE setRepeatDelay)
    Q_PROPERTY(int ThumbSize READ ThumbSize WRITE SetThumbSize)
    Q_PROPERTY(int Min READ Min WRITE SetMin)
    Q_PROPERTY(int Max READ Max WRITE SetMax)
    Q_PROPERTY(int Position READ Position WRITE SetPosition)
    Q_PROPERTY(TKindd Kind READ Kind WRITE SetKind)
    Q_PROPERTY(quint32 Color READ Color WRITE SetColor)
    Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
    Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)
    Q_PROPERTY(int TabOrder READ TabOrder WRITE SetTabOrder)
public:
    enum TKindd : std::uint8_t { tbHorizontal = 0, tbVertical = 1 };
    Q_ENUM(TKindd)
    // Which arrow arrowClicked() tells of: left or top steps back.
    enum class Arrow { Back, Forward };
    Q_ENUM(Arrow)

    static constexpr const char *VersionText = "Version 1.50; Lumivex widget set";
    // A new horizontal bar's size; a vertical one turns it.
    static constexpr int DefaultLength = 130;
    static constexpr int DefaultThickness = 21;
    // Each arrow's length along the bar, whatever the bar's thickness.
    static constexpr int ArrowLength = 15;

    explicit TZelkScrollBar(QWidget *owner = nullptr);
    ~TZelkScrollBar() override;

    // The 24 x 24 picture of the bar for a form designer's widget box.
    static QImage PalettePicture();

    // Properties.
    QString Version() const { return FVersion; }
    void SetVersion(const QString &) {} // fixed at construction
    QString HintSecondLine() const { return FHintSecondLine; }
    void SetHintSecondLine(const QString &value);
    toolkit::TNotifyEvent OnClickBtnLT() const;
    void SetOnClickBtnLT(toolkit::TNotifyEvent handler);
    toolkit::TNotifyEvent OnClickBtnRD() const;
    void SetOnClickBtnRD(toolkit::TNotifyEvent handler);
    TOnScroll OnChange() const;
    void SetOnChange(TOnScroll handler);
    TStep SmallChange() const { return FSmallChange; }
    void SetSmallChange(TStep value);
    // Reading in design mode first holds Trk to Max.
    TTrk LargeChange();
    void SetLargeChange(TTrk value);
    toolkit::TColor ColorThumb() const;
    void SetColorThumb(toolkit::TColor value);
    toolkit::TColor ColorBand() const;
    void SetColorBand(toolkit::TColor value);
    Tkoliki ThumbSize() const;
    void SetThumbSize(Tkoliki value);
    // Reading in design mode first holds Min to Max.
    std::int32_t Min();
    void SetMin(std::int32_t value);
    std::int32_t Max() const;
    void SetMax(std::int32_t value);
    std::int32_t Position() const;
    void SetPosition(std::int32_t value);
    TKindd Kind() const { return FKind; }
    void SetKind(TKindd value);

    // The colours as Qt colours; a system colour reads as the palette's.
    QColor thumbColor() const;
    void setThumbColor(const QColor &color);
    void resetThumbColor();
    QColor bandColor() const;
    void setBandColor(const QColor &color);
    void resetBandColor();

    // Milliseconds a press on an arrow or the track is held before it
    // repeats; 50 unless set.
    int repeatDelay() const { return repeatDelay_; }
    void setRepeatDelay(int milliseconds);
    static constexpr int DefaultRepeatDelay = 50;

    // The standard control properties.
    QString Hint() const { return toolTip(); }
    void SetHint(const QString &hint) { setToolTip(hint); }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool show) { showHint_ = show; }
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool parentColor);
    bool TabStop() const { return focusPolicy() != Qt::NoFocus; }
    void SetTabStop(bool on);
    // Place among the parent's tab stops, -1 when the bar has no parent.
    int TabOrder() const;
    void SetTabOrder(int order);

    // The key actions.
    void MoveToMin();
    void MoveToMax();
    void PageBack();
    void PageForward();

    // Runs the layout for the current size and Kind.
    void Layout();

    // The default size for the Kind; a layout never makes it smaller.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Events and parts.
    TOnMouseOverEvent OnMouseEnter;
    TOnMouseOutEvent OnMouseExit;
    toolkit::TNotifyEvent OnEnter;
    toolkit::TNotifyEvent OnExit;
    TButtonUp *ButtonUp = nullptr;
    TButtonDown *ButtonDown = nullptr;
    TScroller *Scroller = nullptr;

signals:
    // After every user action: arrows, track, thumb, keys, wheel.
    void positionChanged(int position);
    void arrowClicked(TZelkScrollBar::Arrow arrow);
    // The pointer entered or left the bar or one of its parts.
    void mouseEntered();
    void mouseExited();

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    QString FHintSecondLine;
    TStep FSmallChange = 1;
    TKindd FKind = tbHorizontal;
    QString FVersion;

    int repeatDelay_ = DefaultRepeatDelay;
    bool showHint_ = false;
    bool parentColor_ = false;
    bool layoutPending_ = false; // Kind changed before the bar had a parent
    bool active_ = false;        // the focused control of its window: OnEnter ran
    int wheelDelta_ = 0;         // wheel turn short of a whole notch
};

// The orientation as the rest of the program names it.
using TKindd = TZelkScrollBar::TKindd;
inline constexpr TKindd tbHorizontal = TZelkScrollBar::tbHorizontal;
inline constexpr TKindd tbVertical = TZelkScrollBar::tbVertical;
