// Layout, value model, properties and states of TZelkScrollBar.
#include "ScrollBarFixture.h"

#include <QFocusEvent>
#include <QMenu>
#include <QMimeData>
#include <QToolTip>
#include <QtTest>

#include <climits>

using toolkit::TBevelCut;

namespace {

QRect bounds(const toolkit::TPanel *panel)
{
    return QRect(panel->Left(), panel->Top(), panel->Width(), panel->Height());
}

} // namespace

class ScrollBarModelTest : public QObject {
    Q_OBJECT
private slots:
    void newBarLayoutAndDefaults();
    void parentsOwnTheirParts();
    void thumbOffset_data();
    void thumbOffset();
    void positionWriter_data();
    void positionWriter();
    void maxNeverBelowPosition();
    void minAbovePosition();
    void thumbSizeKeepsLeadingEdge();
    void verticalAtRunTime();
    void kindWithoutParent();
    void kindInDesignMode_data();
    void kindInDesignMode();
    void trackAreaKindInDesignMode();
    void hintSecondLine_data();
    void hintSecondLine();
    void hintShowsBothLines_data();
    void hintShowsBothLines();
    void versionIsFixed();
    void designModeLimits_data();
    void designModeLimits();
    void enablingFollowsTheBar();
    void colours();
    void focusLossClearsThumbBevel();
    void pointerReports_data();
    void pointerReports();
    void tabOrder();
    void properties();
    void standardEvents();
    void dragAndDrop_data();
    void dragAndDrop();
    void popupMenu();
    void arrowKeysBelongToTheBar_data();
    void arrowKeysBelongToTheBar();
    void qtColourProperties_data();
    void qtColourProperties();
};

void ScrollBarModelTest::newBarLayoutAndDefaults()
{
    ScrollBarFixture f;
    TZelkScrollBar *bar = f.bar;
    QCOMPARE(bar->size(), QSize(130, 21));
    QCOMPARE(bar->Kind(), tbHorizontal);
    QCOMPARE(bar->ButtonUp->geometry(), QRect(0, 0, 15, 21));
    QCOMPARE(bar->ButtonDown->geometry(), QRect(115, 0, 15, 21));
    QCOMPARE(bounds(bar->Scroller), QRect(15, 0, 100, 21));
    QCOMPARE(bounds(f.track()), QRect(0, 0, 100, 21));
    QCOMPARE(bounds(f.thumb()), QRect(0, 0, 25, 21));
    QCOMPARE(bar->Min(), 0);
    QCOMPARE(bar->Max(), 100);
    QCOMPARE(bar->Position(), 0);
    QCOMPARE(bar->SmallChange(), TStep(1));
    QCOMPARE(bar->LargeChange(), TTrk(1));
    QCOMPARE(bar->ThumbSize(), Tkoliki(25));
    QCOMPARE(bar->Scroller->Kind(), sbHorizontal);

    QCOMPARE(bar->Caption(), QStringLiteral(" "));
    QCOMPARE(bar->BevelOuter(), TBevelCut::bvRaised);
    QCOMPARE(bar->Scroller->BevelOuter(), TBevelCut::bvNone);
    QCOMPARE(f.track()->BevelOuter(), TBevelCut::bvRaised);
    QCOMPARE(f.thumb()->BevelOuter(), TBevelCut::bvRaised);
    QCOMPARE(bar->Color(), toolkit::clBtnFace);
    QVERIFY(bar->TabStop());
    QVERIFY(!bar->ShowHint());
    QVERIFY(bar->HintSecondLine().isEmpty());
    QVERIFY(bar->ButtonUp->Flat());
    QVERIFY(bar->ButtonDown->Flat());
    QCOMPARE(bar->ButtonUp->Glyph().size(), QSize(7, 9));
    QCOMPARE(bar->ButtonDown->Glyph().size(), QSize(7, 9));
    QVERIFY(!bar->AcceptsControls());
    QVERIFY(!bar->Scroller->AcceptsControls());
    QVERIFY(!f.track()->AcceptsControls());
    QVERIFY(!f.thumb()->AcceptsControls());
    // The thumb lies above the track.
    QCOMPARE(bar->Scroller->childAt(5, 5), static_cast<QWidget *>(f.thumb()));
}

void ScrollBarModelTest::parentsOwnTheirParts()
{
    auto host = std::make_unique<QWidget>();
    QPointer<TZelkScrollBar> bar = new TZelkScrollBar(host.get());
    QPointer<TButtonUp> up = bar->ButtonUp;
    QPointer<TScroller> scroller = bar->Scroller;
    QPointer<TSetac> thumb = bar->Scroller->Setac;
    QPointer<toolkit::TTimer> timer = bar->Scroller->Traka->RepeatTimer;
    host.reset();
    QVERIFY(bar.isNull());
    QVERIFY(up.isNull());
    QVERIFY(scroller.isNull());
    QVERIFY(thumb.isNull());
    QVERIFY(timer.isNull());
}

void ScrollBarModelTest::thumbOffset_data()
{
    QTest::addColumn<int>("barWidth");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("left");
    QTest::newRow("37.5 goes to 38") << 130 << 50 << 38;
    QTest::newRow("12.5 goes to 12") << 80 << 50 << 12;
    QTest::newRow("4.5 goes to 4") << 130 << 6 << 4;
    QTest::newRow("1.5 goes to 2") << 130 << 2 << 2;
    QTest::newRow("0.75 goes to 1") << 130 << 1 << 1;
    QTest::newRow("start") << 130 << 0 << 0;
    QTest::newRow("end") << 130 << 100 << 75;
}

void ScrollBarModelTest::thumbOffset()
{
    QFETCH(int, barWidth);
    QFETCH(int, position);
    QFETCH(int, left);
    ScrollBarFixture f(barWidth);
    f.bar->SetPosition(position);
    QCOMPARE(f.thumb()->Left(), left);
    QCOMPARE(f.bar->Scroller->ThumbOffset(), left);
    QVERIFY(f.log.isEmpty()); // writers raise no event
}

void ScrollBarModelTest::positionWriter_data()
{
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("position");
    QTest::newRow("inside") << 0 << 100 << 50 << 50;
    QTest::newRow("above max") << 0 << 100 << 150 << 100;
    QTest::newRow("negative") << 0 << 100 << -5 << 0;
    QTest::newRow("negative with negative min") << -10 << 100 << -5 << 0;
    QTest::newRow("min above max wins") << 200 << 100 << 50 << 200;
    QTest::newRow("largest") << 0 << INT_MAX << INT_MAX << INT_MAX;
}

void ScrollBarModelTest::positionWriter()
{
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(int, value);
    QFETCH(int, position);
    ScrollBarFixture f;
    f.bar->SetMax(max);
    f.bar->SetMin(min);
    f.bar->SetPosition(value);
    QCOMPARE(f.bar->Position(), position);
    QVERIFY(f.log.isEmpty());
}

void ScrollBarModelTest::maxNeverBelowPosition()
{
    ScrollBarFixture f;
    f.bar->SetPosition(50);
    f.bar->SetMax(20);
    QCOMPARE(f.bar->Max(), 50);
    QCOMPARE(f.bar->Position(), 50);
    QCOMPARE(f.thumb()->Left(), 75); // 50 of 0 .. 50
}

void ScrollBarModelTest::minAbovePosition()
{
    ScrollBarFixture f;
    f.bar->SetPosition(50);
    f.bar->SetMin(200);
    QCOMPARE(f.bar->Min(), 200);
    QCOMPARE(f.bar->Max(), 100);
    QCOMPARE(f.bar->Position(), 100);
    QCOMPARE(f.thumb()->Left(), 0);
    QVERIFY(f.log.isEmpty());
}

void ScrollBarModelTest::thumbSizeKeepsLeadingEdge()
{
    ScrollBarFixture f;
    f.bar->SetPosition(50);
    QCOMPARE(f.thumb()->Left(), 38);
    f.bar->SetThumbSize(40);
    QCOMPARE(f.bar->ThumbSize(), Tkoliki(40));
    QCOMPARE(f.thumb()->Width(), 40);
    QCOMPARE(f.thumb()->Left(), 38);
    f.bar->SetPosition(50);
    QCOMPARE(f.thumb()->Left(), 30); // travel 60
}

void ScrollBarModelTest::verticalAtRunTime()
{
    ScrollBarFixture f;
    f.bar->SetKind(tbVertical);
    QCOMPARE(f.bar->Kind(), tbVertical);
    QCOMPARE(f.bar->Scroller->Kind(), sbVertical);
    QCOMPARE(f.bar->size(), QSize(130, 21));
    QCOMPARE(f.bar->ButtonUp->geometry(), QRect(0, 0, 130, 15));
    QCOMPARE(f.bar->ButtonDown->geometry(), QRect(0, 6, 130, 15));
    QCOMPARE(bounds(f.bar->Scroller), QRect(0, 15, 130, -9));
    QCOMPARE(f.bar->ButtonUp->Glyph().size(), QSize(11, 5));
    QCOMPARE(f.bar->ButtonDown->Glyph().size(), QSize(11, 5));

    // The same value again lays nothing out.
    f.bar->ButtonUp->setGeometry(1, 2, 3, 4);
    f.bar->SetKind(tbVertical);
    QCOMPARE(f.bar->ButtonUp->geometry(), QRect(1, 2, 3, 4));

    // Sized for the new orientation by the caller, the track area is 100 long.
    f.bar->SetBounds(0, 0, 21, 130);
    QCOMPARE(bounds(f.bar->Scroller), QRect(0, 15, 21, 100));
    QCOMPARE(bounds(f.thumb()), QRect(0, 0, 21, 25));
    f.bar->SetPosition(50);
    QCOMPARE(f.thumb()->Top(), 38);

    f.bar->SetKind(tbHorizontal);
    QCOMPARE(f.bar->ButtonUp->Glyph().size(), QSize(7, 9));
    QCOMPARE(f.bar->ButtonUp->geometry(), QRect(0, 0, 15, 130));
}

void ScrollBarModelTest::kindWithoutParent()
{
    auto bar = std::make_unique<TZelkScrollBar>();
    bar->SetKind(tbVertical); // must not fail
    QCOMPARE(bar->Kind(), tbVertical);
    QCOMPARE(bar->Scroller->Kind(), sbVertical);
    QWidget host;
    bar->setParent(&host);
    QCOMPARE(bar->ButtonUp->geometry(), QRect(0, 0, 130, 15));
    bar->SetBounds(0, 0, 21, 130);
    QCOMPARE(bar->ButtonDown->geometry(), QRect(0, 115, 21, 15));
    bar.release(); // the host owns it now
}

void ScrollBarModelTest::kindInDesignMode_data()
{
    QTest::addColumn<bool>("loading");
    QTest::addColumn<QSize>("size");
    QTest::newRow("designing") << false << QSize(21, 130);
    QTest::newRow("loading") << true << QSize(130, 21);
}

void ScrollBarModelTest::kindInDesignMode()
{
    QFETCH(bool, loading);
    QFETCH(QSize, size);
    ScrollBarFixture f;
    toolkit::SetDesigning(f.bar, true);
    toolkit::SetLoading(f.bar, loading);
    f.bar->SetKind(tbVertical);
    QCOMPARE(f.bar->size(), size);
    QCOMPARE(f.bar->ButtonUp->geometry(), QRect(0, 0, size.width(), 15));
    QCOMPARE(f.bar->ButtonDown->geometry(), QRect(0, size.height() - 15, size.width(), 15));
    QCOMPARE(bounds(f.bar->Scroller), QRect(0, 15, size.width(), size.height() - 30));
}

void ScrollBarModelTest::trackAreaKindInDesignMode()
{
    ScrollBarFixture f;
    TScroller *scroller = f.bar->Scroller;
    scroller->SetDesigning(true);
    scroller->SetKind(sbVertical);
    QCOMPARE(bounds(scroller), QRect(15, 0, 21, 100));
    QCOMPARE(bounds(f.thumb()), QRect(0, 0, 21, 25)); // laid out for its new shape
    scroller->SetKind(sbVertical);
    QCOMPARE(bounds(scroller), QRect(15, 0, 21, 100));
    scroller->SetDesigning(false);
    scroller->SetKind(sbHorizontal);
    QCOMPARE(bounds(scroller), QRect(15, 0, 21, 100));
}

void ScrollBarModelTest::hintSecondLine_data()
{
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("designing");
    QTest::addColumn<QString>("result");
    QTest::newRow("one line") << "A" << QStringList{"B"} << false << "A\rB";
    QTest::newRow("appends again") << "A" << QStringList{"B", "C"} << false << "A\rB\rC";
    QTest::newRow("empty hint") << "" << QStringList{"B"} << false << "";
    QTest::newRow("empty line") << "A" << QStringList{""} << false << "A";
    QTest::newRow("design mode") << "A" << QStringList{"B"} << true << "A";
}

void ScrollBarModelTest::hintSecondLine()
{
    QFETCH(QString, hint);
    QFETCH(QStringList, lines);
    QFETCH(bool, designing);
    QFETCH(QString, result);
    ScrollBarFixture f;
    toolkit::SetDesigning(f.bar, designing);
    f.bar->SetHint(hint);
    for (const QString &line : lines)
        f.bar->SetHintSecondLine(line);
    QCOMPARE(f.bar->Hint(), result);
    QCOMPARE(f.bar->toolTip(), result);
    QCOMPARE(f.bar->HintSecondLine(), lines.last());
}

void ScrollBarModelTest::hintShowsBothLines_data()
{
    QTest::addColumn<bool>("showHint");
    QTest::addColumn<QString>("shown");
    QTest::newRow("ShowHint") << true << "Vertical\ndrag me";
    QTest::newRow("no ShowHint") << false << "";
}

void ScrollBarModelTest::hintShowsBothLines()
{
    QFETCH(bool, showHint);
    QFETCH(QString, shown);
    ScrollBarFixture f;
    f.bar->SetHint(QStringLiteral("Vertical"));
    f.bar->SetHintSecondLine(QStringLiteral("drag me"));
    f.bar->SetShowHint(showHint);
    // Asked over a part, the bar answers.
    const QPoint at(5, 5);
    QHelpEvent help(QEvent::ToolTip, at, f.thumb()->mapToGlobal(at));
    QApplication::sendEvent(f.thumb(), &help);
    QCOMPARE(QToolTip::text(), shown);
    QToolTip::hideText();
}

void ScrollBarModelTest::versionIsFixed()
{
    ScrollBarFixture f;
    const QString version = f.bar->Version();
    QVERIFY(version.startsWith(QStringLiteral("Version 1.50; ")));
    QVERIFY(version.size() > 14);
    f.bar->SetVersion(QStringLiteral("Version 2"));
    QVERIFY(f.bar->setProperty("Version", QStringLiteral("Version 3")));
    QCOMPARE(f.bar->Version(), version);
}

void ScrollBarModelTest::designModeLimits_data()
{
    QTest::addColumn<bool>("designing");
    QTest::addColumn<bool>("loading");
    QTest::addColumn<int>("largeChange");
    QTest::addColumn<int>("smallChange");
    QTest::addColumn<int>("min");
    QTest::newRow("design mode") << true << false << 5 << 5 << 5;
    QTest::newRow("loading") << true << true << 5 << 10 << 5;
    QTest::newRow("run time") << false << false << 10 << 10 << 200;
}

void ScrollBarModelTest::designModeLimits()
{
    QFETCH(bool, designing);
    QFETCH(bool, loading);
    QFETCH(int, largeChange);
    QFETCH(int, smallChange);
    QFETCH(int, min);
    ScrollBarFixture f;
    f.bar->SetMax(5);
    toolkit::SetDesigning(f.bar, designing);
    toolkit::SetLoading(f.bar, loading);
    f.bar->SetLargeChange(10);
    QCOMPARE(f.bar->Scroller->Trk(), TTrk(10));
    QCOMPARE(int(f.bar->LargeChange()), largeChange);
    QCOMPARE(int(f.bar->Scroller->Trk()), largeChange); // the limit is stored
    f.bar->SetSmallChange(10);
    QCOMPARE(int(f.bar->SmallChange()), smallChange);

    // Min above Max: reading Min in design mode stores Max, thumb unmoved.
    f.bar->SetMin(200);
    const int thumbLeft = f.thumb()->Left();
    QCOMPARE(int(f.bar->Min()), min);
    QCOMPARE(int(f.bar->Scroller->Min()), min);
    QCOMPARE(f.thumb()->Left(), thumbLeft);
}

void ScrollBarModelTest::enablingFollowsTheBar()
{
    ScrollBarFixture f;
    f.bar->setEnabled(false);
    QVERIFY(!f.bar->ButtonUp->isEnabled());
    QVERIFY(!f.bar->ButtonDown->isEnabled());
    // Only the arrows take the state themselves.
    QVERIFY(f.bar->ButtonUp->testAttribute(Qt::WA_ForceDisabled));
    QVERIFY(f.bar->ButtonDown->testAttribute(Qt::WA_ForceDisabled));
    QVERIFY(!f.bar->Scroller->testAttribute(Qt::WA_ForceDisabled));
    QVERIFY(!f.thumb()->testAttribute(Qt::WA_ForceDisabled));
    f.bar->setEnabled(true);
    QVERIFY(f.bar->ButtonUp->isEnabled());
    QVERIFY(f.bar->ButtonDown->isEnabled());

    // An arrow disabled on its own is enabled again with the bar.
    f.bar->ButtonDown->setEnabled(false);
    f.bar->setEnabled(false);
    f.bar->setEnabled(true);
    QVERIFY(f.bar->ButtonDown->isEnabled());
}

void ScrollBarModelTest::colours()
{
    ScrollBarFixture f;
    QCOMPARE(f.bar->ColorThumb(), toolkit::clBtnFace);
    QCOMPARE(f.bar->ColorBand(), toolkit::clBtnHighlight);
    QCOMPARE(f.thumb()->Color(), toolkit::clBtnFace);
    QCOMPARE(f.track()->Color(), toolkit::clBtnHighlight);
    f.bar->SetColorThumb(0x800000);
    f.bar->SetColorBand(0xFFFF00);
    QCOMPARE(f.bar->Scroller->BojaSetaca(), 0x800000u);
    QCOMPARE(f.bar->Scroller->Bojatrake(), 0xFFFF00u);
    QCOMPARE(f.thumb()->Color(), 0x800000u);
    QCOMPARE(f.track()->Color(), 0xFFFF00u);
    f.bar->Scroller->SetBojaSetaca(0x0000FF);
    f.bar->Scroller->SetBojatrake(0x00FF00);
    QCOMPARE(f.bar->ColorThumb(), 0x0000FFu);
    QCOMPARE(f.thumb()->Color(), 0x0000FFu);
    QCOMPARE(f.track()->Color(), 0x00FF00u);
}

void ScrollBarModelTest::focusLossClearsThumbBevel()
{
    ScrollBarFixture f;
    QStringList focus;
    f.bar->OnEnter = [&focus](QObject *sender) { focus << "OnEnter " + toolkit::ClassName(sender); };
    f.bar->OnExit = [&focus](QObject *sender) { focus << "OnExit " + toolkit::ClassName(sender); };
    const auto send = [&f](QEvent::Type type, Qt::FocusReason reason) {
        f.thumb()->SetBevelInner(TBevelCut::bvLowered);
        QFocusEvent event(type, reason);
        QApplication::sendEvent(f.bar, &event);
    };
    send(QEvent::FocusIn, Qt::MouseFocusReason);
    QCOMPARE(f.thumb()->BevelInner(), TBevelCut::bvLowered); // gaining the focus draws nothing
    // Another window taking the focus for a while is no exit.
    send(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCOMPARE(f.thumb()->BevelInner(), TBevelCut::bvNone);
    send(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    send(QEvent::FocusOut, Qt::TabFocusReason);
    QCOMPARE(f.thumb()->BevelInner(), TBevelCut::bvNone);
    QCOMPARE(focus, QStringList({"OnEnter TZelkScrollBar", "OnExit TZelkScrollBar"}));
}

void ScrollBarModelTest::pointerReports_data()
{
    QTest::addColumn<QString>("part");
    QTest::addColumn<QStringList>("events");
    const QStringList both{"OnMouseEnter TZelkScrollBar", "OnMouseExit TZelkScrollBar"};
    QTest::newRow("left arrow") << "up" << both;
    QTest::newRow("right arrow") << "down" << both;
    QTest::newRow("thumb") << "thumb" << both;
    QTest::newRow("track keeps its leave") << "track" << QStringList{"OnMouseEnter TZelkScrollBar"};
}

void ScrollBarModelTest::pointerReports()
{
    QFETCH(QString, part);
    QFETCH(QStringList, events);
    ScrollBarFixture f;
    QWidget *w = part == "up"      ? static_cast<QWidget *>(f.bar->ButtonUp)
                 : part == "down"  ? static_cast<QWidget *>(f.bar->ButtonDown)
                 : part == "thumb" ? static_cast<QWidget *>(f.thumb())
                                   : static_cast<QWidget *>(f.track());
    const QPointF inside(w->width() - 2, w->height() / 2);
    QEnterEvent enter(inside, w->mapToGlobal(inside), w->mapToGlobal(inside));
    QApplication::sendEvent(w, &enter);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(w, &leave);
    QCOMPARE(f.log, events);

    // The bar's own enter, with a part under the pointer, is the part's.
    f.log.clear();
    const QPointF onPart(2, 2);
    QEnterEvent barEnter(onPart, f.bar->mapToGlobal(onPart), f.bar->mapToGlobal(onPart));
    QApplication::sendEvent(f.bar, &barEnter);
    QVERIFY(f.log.isEmpty());
}

void ScrollBarModelTest::tabOrder()
{
    QWidget host;
    auto *first = new TZelkScrollBar(&host);
    auto *second = new TZelkScrollBar(&host);
    auto *third = new TZelkScrollBar(&host);
    QCOMPARE(first->TabOrder(), 0);
    QCOMPARE(second->TabOrder(), 1);
    QCOMPARE(third->TabOrder(), 2);
    third->SetTabOrder(0);
    QCOMPARE(third->TabOrder(), 0);
    QCOMPARE(first->TabOrder(), 1);
    QCOMPARE(second->TabOrder(), 2);
    first->SetTabOrder(5); // past the end: last
    QCOMPARE(first->TabOrder(), 2);
    QCOMPARE(second->TabOrder(), 1);
    QCOMPARE(host.focusPolicy(), Qt::NoFocus);
    first->SetTabStop(false);
    QCOMPARE(first->TabOrder(), -1);
    TZelkScrollBar orphan;
    QCOMPARE(orphan.TabOrder(), -1);
}

void ScrollBarModelTest::properties()
{
    ScrollBarFixture f;
    QVERIFY(f.bar->setProperty("Max", 50));
    QVERIFY(f.bar->setProperty("Position", 70));
    QCOMPARE(f.bar->property("Position").toInt(), 50);
    QVERIFY(f.bar->setProperty("Kind", int(tbVertical)));
    QCOMPARE(f.bar->Kind(), tbVertical);
    QVERIFY(f.bar->setProperty("ColorBand", 0xFFFF00u));
    QCOMPARE(f.track()->Color(), 0xFFFF00u);
    QVERIFY(f.bar->setProperty("ThumbSize", 300)); // stored in 8 bits
    QCOMPARE(f.bar->ThumbSize(), Tkoliki(44));
    QVERIFY(f.bar->setProperty("TabStop", false));
    QCOMPARE(f.bar->focusPolicy(), Qt::NoFocus);
}

void ScrollBarModelTest::standardEvents()
{
    ScrollBarFixture f;
    QVERIFY(f.bar->isVisible());
    QVERIFY(f.bar->isEnabled());
    QCOMPARE(f.bar->DragMode(), toolkit::TDragMode::dmManual);
    QCOMPARE(f.bar->DragCursor(), Qt::DragMoveCursor);
    QVERIFY(!f.bar->PopupMenu());
    QVERIFY(!f.bar->acceptDrops());
    QStringList mouse;
    f.bar->OnMouseDown = [&mouse](QObject *sender, Qt::MouseButton button, toolkit::TShiftState shift, int x, int y) {
        mouse << QStringLiteral("down %1 %2 %3,%4 %5").arg(toolkit::ClassName(sender)).arg(button).arg(x).arg(y)
                     .arg(shift.Keys & Qt::ShiftModifier ? "shift" : "");
    };
    f.bar->OnMouseUp = [&mouse](QObject *, Qt::MouseButton button, toolkit::TShiftState, int x, int y) {
        mouse << QStringLiteral("up %1 %2,%3").arg(button).arg(x).arg(y);
    };
    int clicks = 0;
    f.bar->OnClick = [&clicks](QObject *) { ++clicks; };
    // The parts cover the bar; its own events come from its own area.
    QTest::mousePress(f.bar, Qt::LeftButton, Qt::ShiftModifier, QPoint(60, 1));
    QTest::mouseRelease(f.bar, Qt::LeftButton, {}, QPoint(60, 1));
    QTest::mousePress(f.bar, Qt::LeftButton, {}, QPoint(60, 1));
    QTest::mouseRelease(f.bar, Qt::LeftButton, {}, QPoint(400, 1)); // released off it: no click
    QCOMPARE(mouse, QStringList({"down TZelkScrollBar 1 60,1 shift", "up 1 60,1", "down TZelkScrollBar 1 60,1 ",
                                 "up 1 400,1"}));
    QCOMPARE(clicks, 1);
    QVERIFY(f.log.isEmpty());
}

void ScrollBarModelTest::dragAndDrop_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("taken") << true;
    QTest::newRow("refused") << false;
}

void ScrollBarModelTest::dragAndDrop()
{
    QFETCH(bool, accept);
    ScrollBarFixture f;
    QStringList seen;
    f.bar->SetOnDragOver([&seen, accept](QObject *, QObject *, int x, int y, bool &ok) {
        seen << QStringLiteral("over %1,%2").arg(x).arg(y);
        ok = accept;
    });
    f.bar->OnDragDrop = [&seen](QObject *sender, QObject *, int x, int y) {
        seen << QStringLiteral("drop %1 %2,%3").arg(toolkit::ClassName(sender)).arg(x).arg(y);
    };
    QVERIFY(f.bar->acceptDrops());
    QMimeData mime;
    QDragEnterEvent enter(QPoint(30, 5), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.bar, &enter);
    QCOMPARE(enter.isAccepted(), accept);
    if (accept) {
        QDropEvent drop(QPointF(31, 6), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.bar, &drop);
    }
    QCOMPARE(seen, accept ? QStringList({"over 30,5", "drop TZelkScrollBar 31,6"}) : QStringList{"over 30,5"});
    f.bar->SetOnDragOver(nullptr);
    QVERIFY(!f.bar->acceptDrops());
}

void ScrollBarModelTest::popupMenu()
{
    ScrollBarFixture f;
    QMenu menu;
    menu.addAction(QStringLiteral("Reset"));
    QContextMenuEvent none(QContextMenuEvent::Mouse, QPoint(60, 1), f.bar->mapToGlobal(QPoint(60, 1)));
    QApplication::sendEvent(f.bar, &none);
    QVERIFY(!none.isAccepted()); // no menu: the parent's turn
    f.bar->SetPopupMenu(&menu);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(60, 1), f.bar->mapToGlobal(QPoint(60, 1)));
    QApplication::sendEvent(f.bar, &event);
    QVERIFY(event.isAccepted());
    QVERIFY(menu.isVisible());
    menu.hide();
}

void ScrollBarModelTest::arrowKeysBelongToTheBar_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("wanted");
    QTest::newRow("left") << int(Qt::Key_Left) << true;
    QTest::newRow("up") << int(Qt::Key_Up) << true;
    QTest::newRow("right") << int(Qt::Key_Right) << true;
    QTest::newRow("down") << int(Qt::Key_Down) << true;
    QTest::newRow("tab") << int(Qt::Key_Tab) << false;
    QTest::newRow("page down") << int(Qt::Key_PageDown) << false;
}

void ScrollBarModelTest::arrowKeysBelongToTheBar()
{
    QFETCH(int, key);
    QFETCH(bool, wanted);
    ScrollBarFixture f;
    QKeyEvent query(QEvent::ShortcutOverride, key, Qt::NoModifier);
    query.ignore();
    QApplication::sendEvent(f.bar, &query);
    QCOMPARE(query.isAccepted(), wanted);
    QVERIFY(f.log.isEmpty()); // the query moves nothing
}

void ScrollBarModelTest::qtColourProperties_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<uint>("systemDefault");
    QTest::newRow("thumb") << QByteArray("thumbColor") << QByteArray("ColorThumb") << uint(toolkit::clBtnFace);
    QTest::newRow("band") << QByteArray("bandColor") << QByteArray("ColorBand") << uint(toolkit::clBtnHighlight);
}

void ScrollBarModelTest::qtColourProperties()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, raw);
    QFETCH(uint, systemDefault);
    ScrollBarFixture f;
    QCOMPARE(f.bar->property(name).value<QColor>(), toolkit::ToQColor(systemDefault));
    QVERIFY(f.bar->setProperty(name, QColor(0x12, 0x34, 0x56)));
    QCOMPARE(f.bar->property(raw).toUInt(), 0x563412u); // 0x00BBGGRR
    QVERIFY(f.bar->metaObject()->property(f.bar->metaObject()->indexOfProperty(name)).reset(f.bar));
    QCOMPARE(f.bar->property(raw).toUInt(), systemDefault); // the theme's colour again
}

QTEST_MAIN(ScrollBarModelTest)
#include "tst_scrollbar_model.moc"
