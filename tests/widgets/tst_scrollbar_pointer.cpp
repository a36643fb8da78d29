// TZelkScrollBar under a pointer driven through its window, as a real one
// is: Qt's own enter and leave, and its mouse grab while a button is held.
#define QTEST_QPA_MOUSE_HANDLING
#include "ScrollBarFixture.h"

#include <QtTest>

namespace {

// Where the pointer goes, in the bar's coordinates.
QPoint spot(const ScrollBarFixture &f, const QString &name)
{
    if (name == "track")
        return QPoint(100, 10); // track area x 85, past the thumb
    if (name == "thumb")
        return f.thumb()->mapTo(f.bar, QPoint(5, 10));
    if (name == "arrow")
        return QPoint(122, 10);
    return QPoint(100, 60); // below the bar
}

// Shown, with the pointer on the host away from the bar and the log
// cleared of wherever the window appeared under it. Qt drops a move to
// where the pointer already is, so it moves twice.
bool start(ScrollBarFixture &f)
{
    if (!QTest::qWaitForWindowExposed(f.host.get()))
        return false;
    QTest::mouseMove(f.host.get(), QPoint(290, 190));
    QTest::mouseMove(f.host.get(), QPoint(280, 180));
    f.log.clear();
    return true;
}

bool repeating(const TTraka *track)
{
    return track->DelayTimer->Enabled() || track->RepeatTimer->Enabled();
}

} // namespace

class ScrollBarPointerTest : public QObject {
    Q_OBJECT
private slots:
    void trackRepeatEndsWhenThePointerLeaves_data();
    void trackRepeatEndsWhenThePointerLeaves();
    void trackReportsEveryReturn();
    void draggedThumbStaysUnderThePointer();
    void shortClickOnAnArrowStepsOnce();
};

void ScrollBarPointerTest::trackRepeatEndsWhenThePointerLeaves_data()
{
    QTest::addColumn<QString>("off");
    QTest::newRow("below the bar") << "below";
    QTest::newRow("onto the thumb") << "thumb";
}

void ScrollBarPointerTest::trackRepeatEndsWhenThePointerLeaves()
{
    QFETCH(QString, off);
    ScrollBarFixture f;
    QVERIFY(start(f));
    TTraka *track = f.track();
    const QPoint onTrack = spot(f, "track");
    QTest::mouseMove(f.bar, onTrack);
    QTest::mousePress(f.bar, Qt::LeftButton, {}, onTrack);
    QVERIFY(repeating(track));

    QTest::mouseMove(f.bar, spot(f, off));
    QVERIFY(!repeating(track));
    const int stepsBefore = f.bar->Position();
    QTest::mouseMove(f.bar, onTrack);
    QVERIFY(!repeating(track)); // coming back does not start it again
    QTest::mouseRelease(f.bar, Qt::LeftButton, {}, onTrack);
    QCOMPARE(f.bar->Position(), stepsBefore + 1); // the click of the release
}

// The track keeps its own leave; the arrow reports both ways.
void ScrollBarPointerTest::trackReportsEveryReturn()
{
    ScrollBarFixture f;
    QVERIFY(start(f));
    for (const char *part : {"track", "arrow", "track", "arrow", "track"})
        QTest::mouseMove(f.bar, spot(f, part));
    QString seen = f.log.join(' ');
    seen.replace("OnMouseEnter TZelkScrollBar", "+").replace("OnMouseExit TZelkScrollBar", "-");
    QCOMPARE(seen, "+ + - + + - +");
}

void ScrollBarPointerTest::draggedThumbStaysUnderThePointer()
{
    ScrollBarFixture f;
    QVERIFY(start(f));
    const QPoint grip = spot(f, "thumb");
    QTest::mouseMove(f.bar, grip);
    QTest::mousePress(f.bar, Qt::LeftButton, {}, grip);
    for (int x : {grip.x() + 40, grip.x() + 70}) // faster than a thumb's length
        QTest::mouseMove(f.bar, QPoint(x, 10));
    QTest::mouseRelease(f.bar, Qt::LeftButton, {}, QPoint(grip.x() + 70, 10));
    QCOMPARE(f.thumb()->Left(), 70);
    QCOMPARE(f.log, QStringList({"OnMouseEnter TZelkScrollBar", change(53), change(93)}));
}

// A click of a usual length, held past the old 50 ms delay, is one step
// once the delay is a desktop's.
void ScrollBarPointerTest::shortClickOnAnArrowStepsOnce()
{
    ScrollBarFixture f;
    QCOMPARE(f.bar->repeatDelay(), 50);
    f.bar->setRepeatDelay(350);
    QVERIFY(start(f));
    const QPoint arrow = spot(f, "arrow");
    QTest::mouseMove(f.bar, arrow);
    QTest::mousePress(f.bar, Qt::LeftButton, {}, arrow);
    QTest::qWait(120);
    QTest::mouseRelease(f.bar, Qt::LeftButton, {}, arrow);
    QCOMPARE(f.bar->Position(), 1);
}

QTEST_MAIN(ScrollBarPointerTest)
#include "tst_scrollbar_pointer.moc"
