// Driving TZelkScrollBar: arrows, auto-repeat, track paging, dragging and
// keys, checked through the events they raise. Timers are ticked by hand.
#include "ScrollBarFixture.h"

#include <QtTest>

#include <climits>

namespace {

void tick(toolkit::TTimer *timer)
{
    QVERIFY(timer->Enabled());
    timer->Tick();
}

void sendMove(QWidget *w, QPoint pos, Qt::MouseButtons buttons)
{
    QMouseEvent move(QEvent::MouseMove, pos, w->mapToGlobal(pos), Qt::NoButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

QString rd(int pos)
{
    return change(pos) + "|OnClickBtnRD TButtonDown";
}

QStringList split(const QString &joined)
{
    return joined.isEmpty() ? QStringList() : joined.split('|');
}

} // namespace

class ScrollBarBehaviourTest : public QObject {
    Q_OBJECT
private slots:
    void arrowClick_data();
    void arrowClick();
    void arrowHold_data();
    void arrowHold();
    void arrowDoubleClick();
    void arrowRepeatInRealTime();
    void trackClick_data();
    void trackClick();
    void trackRepeatStopsAtThumb();
    void trackRepeatStopsOnLeave();
    void verticalTrackClick();
    void thumbDrag_data();
    void thumbDrag();
    void thumbDragRoundsHalvesToEven_data();
    void thumbDragRoundsHalvesToEven();
    void thumbDragBelowZeroMin();
    void thumbDragDoesNothing_data();
    void thumbDragDoesNothing();
    void thumbDragWithoutTravel_data();
    void thumbDragWithoutTravel();
    void thumbReleaseEndsDrag();
    void keys_data();
    void keys();
    void notifyTakesFocusFirst();
    void stepsDoNotWrap();
    void signalsBesideTheEvents();
    void wheel_data();
    void wheel();
};

void ScrollBarBehaviourTest::arrowClick_data()
{
    QTest::addColumn<bool>("forward");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("events");
    QTest::newRow("right arrow") << true << 0 << 1 << rd(1);
    QTest::newRow("right arrow at max") << true << 100 << 100 << rd(100);
    QTest::newRow("left arrow") << false << 5 << 4 << change(4) + "|OnClickBtnLT TButtonUp";
    QTest::newRow("left arrow at min") << false << 0 << 0 << change(0) + "|OnClickBtnLT TButtonUp";
}

void ScrollBarBehaviourTest::arrowClick()
{
    QFETCH(bool, forward);
    QFETCH(int, start);
    QFETCH(int, position);
    QFETCH(QString, events);
    ScrollBarFixture f;
    f.bar->SetPosition(start);
    QWidget *arrow = forward ? static_cast<QWidget *>(f.bar->ButtonDown) : f.bar->ButtonUp;
    QTest::mousePress(arrow, Qt::LeftButton, {}, QPoint(7, 10));
    QVERIFY(f.log.isEmpty()); // a press makes no step
    QTest::mouseRelease(arrow, Qt::LeftButton, {}, QPoint(7, 10));
    QCOMPARE(f.log, split(events));
    QCOMPARE(f.bar->Position(), position);
}

void ScrollBarBehaviourTest::arrowHold_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("moveOff");
    QTest::addColumn<int>("position");
    QTest::newRow("left button, released over") << Qt::LeftButton << false << 3;
    QTest::newRow("right button") << Qt::RightButton << false << 2;
    QTest::newRow("middle button") << Qt::MiddleButton << false << 2;
    QTest::newRow("left button, released off") << Qt::LeftButton << true << 2;
}

void ScrollBarBehaviourTest::arrowHold()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, moveOff);
    QFETCH(int, position);
    ScrollBarFixture f;
    TButtonDown *arrow = f.bar->ButtonDown;
    QTest::mousePress(arrow, button, {}, QPoint(7, 10));
    QVERIFY(arrow->DelayTimer->Enabled());
    QVERIFY(!arrow->RepeatTimer->Enabled());
    tick(arrow->DelayTimer); // 50 ms
    QVERIFY(!arrow->DelayTimer->Enabled());
    QVERIFY(arrow->RepeatTimer->Enabled());
    QVERIFY(f.log.isEmpty());
    tick(arrow->RepeatTimer); // 100 ms
    QCOMPARE(f.log, split(rd(1)));
    const QPoint releaseAt = moveOff ? QPoint(-40, 10) : QPoint(7, 10);
    if (moveOff)
        QTest::mouseMove(arrow, releaseAt);
    tick(arrow->RepeatTimer); // 150 ms: the repeat runs on off the arrow
    QTest::mouseRelease(arrow, button, {}, releaseAt);
    QVERIFY(!arrow->DelayTimer->Enabled());
    QVERIFY(!arrow->RepeatTimer->Enabled());
    QStringList expected = split(rd(1)) + split(rd(2));
    if (position == 3)
        expected += split(rd(3));
    QCOMPARE(f.log, expected);
    QCOMPARE(f.bar->Position(), position);
}

void ScrollBarBehaviourTest::arrowDoubleClick()
{
    ScrollBarFixture f;
    TButtonDown *arrow = f.bar->ButtonDown;
    QTest::mousePress(arrow, Qt::LeftButton, {}, QPoint(7, 10));
    QTest::mouseRelease(arrow, Qt::LeftButton, {}, QPoint(7, 10));
    QTest::mouseDClick(arrow, Qt::LeftButton, {}, QPoint(7, 10));
    QVERIFY(arrow->DelayTimer->Enabled()); // the second press is a press
    QTest::mouseRelease(arrow, Qt::LeftButton, {}, QPoint(7, 10));
    QCOMPARE(f.log, split(rd(1)) + split(rd(2)));
    QCOMPARE(f.bar->Position(), 2);
}

void ScrollBarBehaviourTest::arrowRepeatInRealTime()
{
    ScrollBarFixture f;
    QTest::mousePress(f.bar->ButtonDown, Qt::LeftButton, {}, QPoint(7, 10));
    QTRY_VERIFY_WITH_TIMEOUT(f.bar->Position() >= 2, 5000);
    QTest::mouseRelease(f.bar->ButtonDown, Qt::LeftButton, {}, QPoint(7, 10));
    const int position = f.bar->Position();
    QVERIFY(position >= 3);
    QTest::qWait(120);
    QCOMPARE(f.bar->Position(), position); // stopped at the release
}

void ScrollBarBehaviourTest::trackClick_data()
{
    QTest::addColumn<int>("largeChange");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("position");
    QTest::newRow("after the thumb") << 1 << 0 << 60 << 1;
    QTest::newRow("one past the thumb") << 1 << 0 << 25 << 0;
    QTest::newRow("on the thumb's first column") << 1 << 0 << 0 << 0;
    QTest::newRow("before the thumb") << 1 << 50 << 10 << 49;
    QTest::newRow("back, then forward") << 60 << 50 << 30 << 60;
}

void ScrollBarBehaviourTest::trackClick()
{
    QFETCH(int, largeChange);
    QFETCH(int, start);
    QFETCH(int, x);
    QFETCH(int, position);
    ScrollBarFixture f;
    f.bar->SetLargeChange(TTrk(largeChange));
    f.bar->SetPosition(start);
    f.track()->OnClick = [&f](QObject *sender) { f.log << "OnClick " + toolkit::ClassName(sender); };
    QTest::mousePress(f.track(), Qt::LeftButton, {}, QPoint(x, 10));
    QCOMPARE(f.track()->DownX, x);
    QCOMPARE(f.track()->DownY, 10);
    QVERIFY(f.log.isEmpty());
    QTest::mouseRelease(f.track(), Qt::LeftButton, {}, QPoint(x, 10));
    QCOMPARE(f.log, QStringList({change(position), "OnClick TTraka"}));
    QCOMPARE(f.bar->Position(), position);
}

void ScrollBarBehaviourTest::trackRepeatStopsAtThumb()
{
    ScrollBarFixture f;
    f.bar->SetLargeChange(10);
    TTraka *track = f.track();
    QTest::mousePress(track, Qt::LeftButton, {}, QPoint(60, 10));
    tick(track->DelayTimer);
    // Thumb at 8, 15, 22, 30, then 38 .. 63, which covers x 60.
    for (int i = 0; i < 6; ++i)
        tick(track->RepeatTimer);
    QCOMPARE(f.log, QStringList({change(10), change(20), change(30), change(40), change(50), change(50)}));
    QCOMPARE(f.thumb()->Left(), 38);
}

void ScrollBarBehaviourTest::trackRepeatStopsOnLeave()
{
    ScrollBarFixture f;
    TTraka *track = f.track();
    QTest::mousePress(track, Qt::RightButton, {}, QPoint(90, 10));
    tick(track->DelayTimer);
    tick(track->RepeatTimer);
    QCOMPARE(f.bar->Position(), 1);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(track, &leave);
    QVERIFY(!track->DelayTimer->Enabled());
    QVERIFY(!track->RepeatTimer->Enabled());
    const QPointF back(90, 10);
    QEnterEvent enter(back, track->mapToGlobal(back), track->mapToGlobal(back));
    QApplication::sendEvent(track, &enter);
    QVERIFY(!track->RepeatTimer->Enabled());
    track->RepeatTimer->Tick(); // a stopped timer delivers nothing
    QTest::mouseRelease(track, Qt::RightButton, {}, QPoint(90, 10));
    QCOMPARE(f.bar->Position(), 1);
    QCOMPARE(f.log, QStringList({change(1), "OnMouseEnter TZelkScrollBar"}));
}

void ScrollBarBehaviourTest::verticalTrackClick()
{
    ScrollBarFixture f;
    f.bar->SetBounds(0, 0, 21, 130);
    f.bar->SetKind(tbVertical);
    f.bar->SetPosition(50); // thumb rows 38 .. 63
    QTest::mouseClick(f.track(), Qt::LeftButton, {}, QPoint(10, 70));
    QTest::mouseClick(f.track(), Qt::LeftButton, {}, QPoint(10, 5));
    QTest::mouseClick(f.track(), Qt::LeftButton, {}, QPoint(3, 40));
    QCOMPARE(f.log, QStringList({change(51), change(50), change(50)}));
}

void ScrollBarBehaviourTest::thumbDrag_data()
{
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("position");
    QTest::newRow("30 of 75") << 40 << 30 << 40;
    QTest::newRow("far right") << 500 << 75 << 100;
    QTest::newRow("far left") << -300 << 0 << 0;
    QTest::newRow("in place") << 10 << 0 << 0;
}

void ScrollBarBehaviourTest::thumbDrag()
{
    QFETCH(int, to);
    QFETCH(int, left);
    QFETCH(int, position);
    ScrollBarFixture f;
    TSetac *thumb = f.thumb();
    QTest::mousePress(thumb, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(thumb->Dragging);
    QCOMPARE(thumb->DownX, 10);
    QVERIFY(f.log.isEmpty());
    QTest::mouseMove(thumb, QPoint(to, 10));
    QCOMPARE(thumb->Left(), left);
    QCOMPARE(thumb->DragLow, 0);
    QCOMPARE(thumb->DragHigh, 100);
    QCOMPARE(f.bar->Position(), position);
    QCOMPARE(f.log, QStringList{change(position)});
    QTest::mouseRelease(thumb, Qt::LeftButton, {}, QPoint(to, 10));
    QVERIFY(!thumb->Dragging);
    QCOMPARE(f.log.size(), 1); // the release notifies nothing
    QCOMPARE(thumb->Left(), left);
}

void ScrollBarBehaviourTest::thumbDragRoundsHalvesToEven_data()
{
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("position");
    QTest::newRow("12.5") << 1 << 12;
    QTest::newRow("37.5") << 3 << 38;
    QTest::newRow("62.5") << 5 << 62;
}

void ScrollBarBehaviourTest::thumbDragRoundsHalvesToEven()
{
    QFETCH(int, left);
    QFETCH(int, position);
    ScrollBarFixture f(63); // track area 33 long, travel 8
    QTest::mousePress(f.thumb(), Qt::LeftButton, {}, QPoint(0, 10));
    QTest::mouseMove(f.thumb(), QPoint(left, 10));
    QCOMPARE(f.thumb()->Left(), left);
    QCOMPARE(f.bar->Position(), position);
    QCOMPARE(f.bar->Scroller->PositionFromThumb(), position);
}

void ScrollBarBehaviourTest::thumbDragBelowZeroMin()
{
    ScrollBarFixture f;
    f.bar->SetMin(-10);
    f.bar->SetMax(10);
    QCOMPARE(f.thumb()->Left(), 38); // 0 is half way
    QTest::mousePress(f.thumb(), Qt::LeftButton, {}, QPoint(5, 10));
    QTest::mouseMove(f.thumb(), QPoint(-100, 10));
    QTest::mouseRelease(f.thumb(), Qt::LeftButton, {}, QPoint(-100, 10));
    QCOMPARE(f.bar->Position(), -10);
    QTest::keyClick(f.bar, Qt::Key_Home);
    QCOMPARE(f.bar->Position(), 0); // the writer raises negatives to 0
    QCOMPARE(f.log, QStringList({change(-10), change(0)}));
}

void ScrollBarBehaviourTest::thumbDragDoesNothing_data()
{
    QTest::addColumn<bool>("allEqual");
    QTest::addColumn<Qt::MouseButtons>("held");
    QTest::newRow("min, max and position equal") << true << Qt::MouseButtons(Qt::LeftButton);
    QTest::newRow("left button not held") << false << Qt::MouseButtons(Qt::RightButton);
    QTest::newRow("no button") << false << Qt::MouseButtons();
}

void ScrollBarBehaviourTest::thumbDragDoesNothing()
{
    QFETCH(bool, allEqual);
    QFETCH(Qt::MouseButtons, held);
    ScrollBarFixture f;
    if (allEqual)
        f.bar->SetMax(0);
    TSetac *thumb = f.thumb();
    int moves = 0;
    thumb->OnMouseMove = [&moves](QObject *, toolkit::TShiftState, int, int) { ++moves; };
    QTest::mousePress(thumb, Qt::LeftButton, {}, QPoint(10, 10));
    sendMove(thumb, QPoint(40, 10), held);
    QCOMPARE(thumb->Left(), 0);
    QVERIFY(f.log.isEmpty());
    QCOMPARE(moves, 0); // the toolkit's move handling is skipped too
    QTest::mouseRelease(thumb, Qt::LeftButton, {}, QPoint(10, 10));
}

void ScrollBarBehaviourTest::thumbDragWithoutTravel_data()
{
    QTest::addColumn<int>("thumbSize");
    QTest::newRow("thumb as long as the track area") << 100;
    QTest::newRow("thumb longer") << 120;
}

void ScrollBarBehaviourTest::thumbDragWithoutTravel()
{
    QFETCH(int, thumbSize);
    ScrollBarFixture f;
    f.bar->SetMin(5);
    f.bar->SetThumbSize(Tkoliki(thumbSize));
    f.bar->SetPosition(50);
    QTest::mousePress(f.thumb(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(f.thumb(), QPoint(30, 10));
    QCOMPARE(f.bar->Position(), 5); // no room to move stands for Min
    QCOMPARE(f.log, QStringList{change(5)});
}

void ScrollBarBehaviourTest::thumbReleaseEndsDrag()
{
    ScrollBarFixture f;
    TSetac *thumb = f.thumb();
    QTest::mousePress(thumb, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(thumb, Qt::LeftButton, {}, QPoint(10, 10));
    // A move with the left button held but no drag reports without moving.
    sendMove(thumb, QPoint(40, 10), Qt::LeftButton);
    QCOMPARE(thumb->Left(), 0);
    QCOMPARE(f.log, QStringList{change(0)});
}

void ScrollBarBehaviourTest::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("events");
    QTest::newRow("Page Down") << int(Qt::Key_PageDown) << 0 << 1 << change(1);
    QTest::newRow("End") << int(Qt::Key_End) << 0 << 100 << change(100);
    QTest::newRow("Home") << int(Qt::Key_Home) << 100 << 0 << change(0);
    QTest::newRow("Page Up") << int(Qt::Key_PageUp) << 50 << 49 << change(49);
    QTest::newRow("Up at 0") << int(Qt::Key_Up) << 0 << 0 << change(0) + "|OnClickBtnLT TButtonUp";
    QTest::newRow("Left") << int(Qt::Key_Left) << 5 << 4 << change(4) + "|OnClickBtnLT TButtonUp";
    QTest::newRow("Right") << int(Qt::Key_Right) << 5 << 6 << rd(6);
    QTest::newRow("Down") << int(Qt::Key_Down) << 5 << 6 << rd(6);
    QTest::newRow("other key") << int(Qt::Key_A) << 5 << 5 << QString();
}

void ScrollBarBehaviourTest::keys()
{
    QFETCH(int, key);
    QFETCH(int, start);
    QFETCH(int, position);
    QFETCH(QString, events);
    ScrollBarFixture f;
    f.bar->SetPosition(start);
    QTest::keyClick(f.bar, Qt::Key(key));
    QCOMPARE(f.bar->Position(), position);
    QCOMPARE(f.log, split(events));
    QCOMPARE(f.host->keysPassedOn, 1); // the key goes on
}

void ScrollBarBehaviourTest::notifyTakesFocusFirst()
{
    ScrollBarFixture f;
    auto *other = new QWidget(f.host.get());
    other->setFocusPolicy(Qt::StrongFocus);
    other->setGeometry(0, 100, 50, 20);
    other->show();
    f.host->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.host.get()));
    other->setFocus();
    QCOMPARE(QApplication::focusWidget(), other);
    QWidget *focusAtChange = nullptr;
    f.bar->SetOnChange([&focusAtChange](QObject *, std::int32_t) { focusAtChange = QApplication::focusWidget(); });
    QTest::mouseClick(f.bar->ButtonDown, Qt::LeftButton, {}, QPoint(7, 10));
    QCOMPARE(focusAtChange, static_cast<QWidget *>(f.bar));
}

void ScrollBarBehaviourTest::stepsDoNotWrap()
{
    ScrollBarFixture f;
    f.bar->SetMax(INT_MAX);
    f.bar->SetPosition(INT_MAX - 1);
    f.bar->SetSmallChange(32767);
    f.bar->SetLargeChange(32767);
    f.bar->ButtonDown->Click();
    QCOMPARE(f.bar->Position(), INT_MAX);
    f.bar->PageForward();
    QCOMPARE(f.bar->Position(), INT_MAX);
    f.track()->DownX = 500; // past the thumb
    f.track()->Click();
    QCOMPARE(f.bar->Position(), INT_MAX);
    QCOMPARE(f.thumb()->Left(), 75);
}

// Each Qt signal right after its callback; writes from code raise neither.
void ScrollBarBehaviourTest::signalsBesideTheEvents()
{
    ScrollBarFixture f;
    TZelkScrollBar *bar = f.bar;
    QStringList &log = f.log;
    QObject::connect(bar, &TZelkScrollBar::positionChanged, bar, [&log](int pos) { log << QString::number(pos); });
    QObject::connect(bar, &TZelkScrollBar::arrowClicked, bar, [&log](TZelkScrollBar::Arrow arrow) {
        log << (arrow == TZelkScrollBar::Arrow::Back ? "Back" : "Forward");
    });
    QObject::connect(bar, &TZelkScrollBar::mouseEntered, bar, [&log] { log << "mouseEntered"; });
    QObject::connect(bar, &TZelkScrollBar::mouseExited, bar, [&log] { log << "mouseExited"; });
    bar->SetPosition(50);
    bar->SetMax(80);
    bar->SetKind(tbVertical);
    QVERIFY(log.isEmpty());

    QTest::mouseClick(bar->ButtonDown, Qt::LeftButton);
    QTest::keyClick(bar, Qt::Key_Left);
    toolkit::ReportPointer(f.thumb(), true);
    toolkit::ReportPointer(f.thumb(), false);
    QCOMPARE(log, QStringList({change(51), "51", "OnClickBtnRD TButtonDown", "Forward", change(50), "50",
                               "OnClickBtnLT TButtonUp", "Back", "OnMouseEnter TZelkScrollBar", "mouseEntered",
                               "OnMouseExit TZelkScrollBar", "mouseExited"}));
}

void ScrollBarBehaviourTest::wheel_data()
{
    QTest::addColumn<QList<int>>("turns");
    QTest::addColumn<bool>("sideways");
    QTest::addColumn<bool>("inverted");
    QTest::addColumn<int>("smallChange");
    QTest::addColumn<int>("position");
    // From Position 50; a notch is 120, turning up steps back.
    QTest::newRow("half notches up add up to one") << QList<int>{60, 60} << false << false << 1 << 49;
    QTest::newRow("a notch down, by SmallChange") << QList<int>{-120} << false << false << 5 << 55;
    QTest::newRow("sideways, to the right") << QList<int>{-120} << true << false << 1 << 51;
    QTest::newRow("inverted") << QList<int>{120} << false << true << 1 << 51;
}

void ScrollBarBehaviourTest::wheel()
{
    QFETCH(QList<int>, turns);
    QFETCH(bool, sideways);
    QFETCH(bool, inverted);
    QFETCH(int, smallChange);
    QFETCH(int, position);
    ScrollBarFixture f;
    f.bar->SetPosition(50);
    f.bar->SetSmallChange(TStep(smallChange));
    for (int turn : turns) {
        const QPoint angle = sideways ? QPoint(turn, 0) : QPoint(0, turn);
        QWheelEvent event(QPointF(60, 10), f.bar->mapToGlobal(QPointF(60, 10)), {}, angle, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, inverted);
        QApplication::sendEvent(f.bar, &event);
        QVERIFY(event.isAccepted()); // not scrolled again by a parent
    }
    QCOMPARE(f.bar->Position(), position);
    QCOMPARE(f.log, QStringList{change(position)}); // one change per whole notch
}

QTEST_MAIN(ScrollBarBehaviourTest)
#include "tst_scrollbar_behaviour.moc"
