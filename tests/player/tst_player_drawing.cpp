// The drawing and the playback clock: where ILDA coordinates land, what
// blanking hides, and which frame is due when.
#include "PlayerFiles.h"
#include "player/PlaybackClock.h"
#include "player/Renderer.h"

#include <QtTest>

using playertest::Dark;
using playertest::Lit;

namespace {

// The colours within one pixel of (x, y): a line at a fractional place may
// fall on either neighbour.
QSet<QRgb> ColorsNear(const QImage &image, int x, int y)
{
    QSet<QRgb> colors;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            colors.insert(image.pixel(x + dx, y + dy));
    return colors;
}

const QSet<QRgb> kOnlyBlack{QColor(Qt::black).rgb()};

} // namespace

class DrawingTest : public QObject {
    Q_OBJECT
private slots:
    void mappingCentresTheSquare();
    void cornersAreTheCornerPixels();
    void blanking_data();
    void blanking();
    void blackLightDrawsNothing_data();
    void blackLightDrawsNothing();
    void pictureKind_data();
    void pictureKind();
    void clock_data();
    void clock();
    void clockCountsSkippedFrames_data();
    void clockCountsSkippedFrames();
};

// -32768 on the first pixel, 32767 on the last, Y up, in the centred square.
void DrawingTest::mappingCentresTheSquare()
{
    QCOMPARE(player::ToPixel(player::DrawingSquare({300, 200}), 32767, 32767).toPoint(), QPoint(249, 0));
    QCOMPARE(player::ToPixel(player::DrawingSquare({200, 300}), -32768, -32768).toPoint(), QPoint(0, 249));
}

void DrawingTest::cornersAreTheCornerPixels()
{
    const ilda::Color red = ilda::Rgb(255, 0, 0);
    const std::vector<ilda::Point> corners = {Lit(-32768, 32767, red), Dark(32767, 32767),      Lit(32767, 32767, red),
                                              Dark(32767, -32768),     Lit(32767, -32768, red), Dark(-32768, -32768),
                                              Lit(-32768, -32768, red)};
    const QImage image = player::RenderImage(corners, 64, {});
    for (const QPoint corner : {QPoint(0, 0), QPoint(63, 0), QPoint(63, 63), QPoint(0, 63)})
        QCOMPARE(image.pixelColor(corner), QColor(Qt::red));
    QCOMPARE(image.pixelColor(1, 1), QColor(Qt::black));
}

void DrawingTest::blanking_data()
{
    QTest::addColumn<bool>("showBlanked");
    QTest::newRow("blanked moves hidden") << false;
    QTest::newRow("blanked moves shown dim") << true;
}

// A red line along the top, a blanked move down the right side, a green
// line along the bottom, then a blanked move to a lone blue point.
void DrawingTest::blanking()
{
    QFETCH(bool, showBlanked);
    const std::vector<ilda::Point> frame = {Dark(-16000, 16000),
                                            Lit(-16000, 16000, ilda::Rgb(255, 0, 0)),
                                            Lit(16000, 16000, ilda::Rgb(255, 0, 0)),
                                            Dark(16000, -16000),
                                            Lit(-16000, -16000, ilda::Rgb(0, 255, 0)),
                                            Dark(0, -30000),
                                            Lit(0, -30000, ilda::Rgb(0, 0, 255))};
    const QImage image = player::RenderImage(frame, 65, {.showBlanked = showBlanked});
    QVERIFY(ColorsNear(image, 32, 16).contains(qRgb(255, 0, 0)));
    QVERIFY(ColorsNear(image, 32, 48).contains(qRgb(0, 255, 0)));
    QVERIFY(ColorsNear(image, 32, 62).contains(qRgb(0, 0, 255)));
    if (showBlanked) {
        QVERIFY(ColorsNear(image, 48, 32).contains(player::kBlankedColor.rgb()));
    } else {
        QCOMPARE(ColorsNear(image, 48, 32), kOnlyBlack);
        QCOMPARE(ColorsNear(image, 24, 54), kOnlyBlack); // the move to the lone point
    }
}

void DrawingTest::blackLightDrawsNothing_data()
{
    QTest::addColumn<bool>("showOrder");
    QTest::addColumn<int>("size");
    QTest::newRow("plain") << false << 65;
    QTest::newRow("order shading") << true << 65;
    QTest::newRow("wide lines") << false << 1025;
}

// A red square, then a lit black line across its top edge and a lit black
// dot on its bottom edge: the picture is the one with those points dark.
void DrawingTest::blackLightDrawsNothing()
{
    QFETCH(bool, showOrder);
    QFETCH(int, size);
    const ilda::Color red = ilda::Rgb(255, 0, 0), black = ilda::Rgb(0, 0, 0);
    std::vector<ilda::Point> frame = {Dark(-16000, 16000),     Lit(-16000, 16000, red),  Lit(16000, 16000, red),
                                      Lit(16000, -16000, red), Lit(-16000, -16000, red), Lit(-16000, 16000, red),
                                      Dark(0, 30000),          Lit(0, 30000, black),     Lit(0, 0, black),
                                      Dark(0, -16000),         Lit(0, -16000, black)};
    const QImage drawn = player::RenderImage(frame, size, {.showOrder = showOrder});
    for (ilda::Point &point : frame)
        if (!point.Blanked() && point.color == black)
            point = Dark(point.x, point.y);
    QCOMPARE(drawn, player::RenderImage(frame, size, {.showOrder = showOrder}));
    QCOMPARE(drawn.pixelColor(drawn.width() / 2, drawn.height() / 2), QColor(Qt::black));
}

void DrawingTest::pictureKind_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("svg");
    QTest::newRow("svg") << "out/x.svg" << true;
    QTest::newRow("any case") << "X.SvG" << true;
    QTest::newRow("png") << "x.png" << false;
    QTest::newRow("svg before png") << "x.svg.png" << false;
    QTest::newRow("no ending") << "svg" << false;
    QTest::newRow("folder named .svg") << "d.svg/x" << false;
}

void DrawingTest::pictureKind()
{
    QFETCH(QString, name);
    QTEST(player::PictureKindOf(name) == player::PictureKind::Svg, "svg");
}

void DrawingTest::clock_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("elapsedMs");
    QTest::addColumn<bool>("loop");
    QTest::addColumn<int>("frame");
    QTest::addColumn<bool>("ended");
    // 100 frames at 25 a second, one every 40 ms.
    QTest::newRow("before the first tick") << 0 << 39 << true << 0 << false;
    QTest::newRow("on the tick") << 0 << 40 << true << 1 << false;
    QTest::newRow("late: frames skipped, rate kept") << 0 << 2510 << true << 62 << false;
    QTest::newRow("loops past the end") << 95 << 240 << true << 1 << false;
    QTest::newRow("stops at the end") << 95 << 240 << false << 99 << true;
}

void DrawingTest::clock()
{
    QFETCH(int, start);
    QFETCH(int, elapsedMs);
    QFETCH(bool, loop);
    const player::PlaybackClock::Time t0{std::chrono::seconds(1000)};
    player::PlaybackClock clock;
    clock.Start(std::size_t(start), t0, 25);
    const auto due = clock.FrameAt(t0 + std::chrono::milliseconds(elapsedMs), 100, loop);
    QTEST(int(due.frame), "frame");
    QTEST(due.ended, "ended");
}

void DrawingTest::clockCountsSkippedFrames_data()
{
    QTest::addColumn<QList<int>>("ticksMs"); // when the frames are asked for
    QTest::addColumn<bool>("loop");
    QTest::addColumn<int>("skipped");
    // 10 frames from frame 0 at 25 a second, one every 40 ms.
    QTest::newRow("on time") << QList<int>{40, 80, 120} << true << 0;
    QTest::newRow("twice within a frame") << QList<int>{20, 39, 40, 60} << true << 0;
    QTest::newRow("one late tick") << QList<int>{40, 170} << true << 2;
    QTest::newRow("late across the loop") << QList<int>{360, 490} << true << 10;
    QTest::newRow("none past the end") << QList<int>{320, 2000} << false << 7;
}

void DrawingTest::clockCountsSkippedFrames()
{
    QFETCH(QList<int>, ticksMs);
    QFETCH(bool, loop);
    const player::PlaybackClock::Time t0{std::chrono::seconds(1000)};
    player::PlaybackClock clock;
    clock.Start(0, t0, 25);
    for (int ms : ticksMs)
        clock.Advance(t0 + std::chrono::milliseconds(ms), 10, loop);
    QTEST(int(clock.Skipped()), "skipped");
    // A restart (a seek while playing) keeps the count; only clearing ends it.
    clock.Start(3, t0, 25);
    QTEST(int(clock.Skipped()), "skipped");
    clock.ClearSkipped();
    QCOMPARE(clock.Skipped(), std::uint64_t{0});
}

QTEST_MAIN(DrawingTest)
#include "tst_player_drawing.moc"
