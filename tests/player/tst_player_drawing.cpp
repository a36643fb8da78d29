// The drawing and the playback clock: where ILDA coordinates land, what
// blanking hides, and which frame is due when.
#include "PlayerFiles.h"
#include "player/PlaybackClock.h"
#include "player/Renderer.h"

#include <QtTest>

using playertest::Dark;
using playertest::Lit;

namespace {

// Whether a pixel within one of (x, y) has color: a line at a fractional
// place may fall on either neighbour.
bool ColorNear(const QImage &image, int x, int y, QColor color)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.valid(x + dx, y + dy) && image.pixelColor(x + dx, y + dy) == color)
                return true;
    return false;
}

bool BlackAround(const QImage &image, int x, int y)
{
    return ColorNear(image, x, y, Qt::black) && !ColorNear(image, x, y, Qt::white) &&
           !ColorNear(image, x, y, player::kBlankedColor) && image.pixelColor(x, y) == Qt::black;
}

} // namespace

class DrawingTest : public QObject {
    Q_OBJECT
private slots:
    void mapping_data();
    void mapping();
    void cornersAreTheCornerPixels();
    void blanking_data();
    void blanking();
    void clock_data();
    void clock();
};

void DrawingTest::mapping_data()
{
    QTest::addColumn<QSize>("area");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<QPoint>("pixel");
    QTest::newRow("top left of a square") << QSize(100, 100) << -32768 << 32767 << QPoint(0, 0);
    QTest::newRow("bottom right of a square") << QSize(100, 100) << 32767 << -32768 << QPoint(99, 99);
    QTest::newRow("centre") << QSize(101, 101) << 0 << 0 << QPoint(50, 50);
    QTest::newRow("top right, wide area centred") << QSize(300, 200) << 32767 << 32767 << QPoint(249, 0);
    QTest::newRow("bottom left, tall area centred") << QSize(200, 300) << -32768 << -32768 << QPoint(0, 249);
    QTest::newRow("positive y is up") << QSize(101, 101) << 0 << 16384 << QPoint(50, 25);
}

void DrawingTest::mapping()
{
    QFETCH(QSize, area);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(QPoint, pixel);
    const QPointF at = player::ToPixel(player::DrawingSquare(area), std::int16_t(x), std::int16_t(y));
    QCOMPARE(at.toPoint(), pixel);
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
    QCOMPARE(image.pixelColor(32, 32), QColor(Qt::black));
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
    QVERIFY(ColorNear(image, 32, 16, Qt::red));
    QVERIFY(ColorNear(image, 32, 48, Qt::green));
    QVERIFY(ColorNear(image, 32, 62, Qt::blue));
    if (showBlanked) {
        QVERIFY(ColorNear(image, 48, 32, player::kBlankedColor));
    } else {
        QVERIFY(BlackAround(image, 48, 32));
        QVERIFY(BlackAround(image, 24, 54)); // the move to the lone point
    }
}

void DrawingTest::clock_data()
{
    QTest::addColumn<double>("rate");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("elapsedMs");
    QTest::addColumn<bool>("loop");
    QTest::addColumn<int>("frame");
    QTest::addColumn<bool>("ended");
    // 100 frames in each row.
    QTest::newRow("before the first tick") << 30.0 << 0 << 33 << true << 0 << false;
    QTest::newRow("on the tick") << 25.0 << 0 << 40 << true << 1 << false;
    QTest::newRow("a second at 30") << 30.0 << 0 << 1000 << true << 30 << false;
    QTest::newRow("late: frames skipped, rate kept") << 30.0 << 0 << 2510 << true << 75 << false;
    QTest::newRow("from the middle") << 10.0 << 40 << 1000 << true << 50 << false;
    QTest::newRow("loops past the end") << 30.0 << 95 << 200 << true << 1 << false;
    QTest::newRow("stops at the end") << 30.0 << 95 << 200 << false << 99 << true;
}

void DrawingTest::clock()
{
    QFETCH(double, rate);
    QFETCH(int, start);
    QFETCH(int, elapsedMs);
    QFETCH(bool, loop);
    const player::PlaybackClock::Time t0{std::chrono::seconds(1000)};
    player::PlaybackClock clock;
    clock.Start(std::size_t(start), t0, rate);
    const auto due = clock.FrameAt(t0 + std::chrono::milliseconds(elapsedMs), 100, loop);
    QTEST(int(due.frame), "frame");
    QTEST(due.ended, "ended");
}

QTEST_MAIN(DrawingTest)
#include "tst_player_drawing.moc"
