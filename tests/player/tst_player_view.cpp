// How the frame lies in the view (zoom about a point, pan, the 3D turn),
// driven through the mouse as a user does, and what the drawing adds on
// request: points, order, lines in proportion to the image.
#include "FrameFacts.h"
#include "PlayerFiles.h"
#include "ilda/Diagnostic.h"
#include "player/FrameView.h"
#include "player/PaletteView.h"
#include "player/Renderer.h"

#include <QtTest>

using playertest::Dark;
using playertest::Lit;

namespace {

bool Near(QPointF a, QPointF b)
{
    return QLineF(a, b).length() < 1e-6;
}

// Rows of column x that are not black.
int LitRows(const QImage &image, int x)
{
    int rows = 0;
    for (int y = 0; y < image.height(); ++y)
        rows += image.pixelColor(x, y) != QColor(Qt::black);
    return rows;
}

// The brightest value in column x.
int Brightest(const QImage &image, int x)
{
    int value = 0;
    for (int y = 0; y < image.height(); ++y)
        value = std::max(value, image.pixelColor(x, y).value());
    return value;
}

void Wheel(QWidget *widget, QPointF at, int notches)
{
    QWheelEvent wheel(at, widget->mapToGlobal(at), {}, QPoint(0, 120 * notches), Qt::NoButton, {}, Qt::NoScrollPhase,
                      false);
    QCoreApplication::sendEvent(widget, &wheel);
}

} // namespace

class ViewTest : public QObject {
    Q_OBJECT
private slots:
    void fittedViewIsTheSquare();
    void zoomKeepsTheAnchor();
    void turnBringsZToTheFront();
    void wheelZoomsAboutThePointerAndDragPans();
    void rightDragTurnsOnlyIn3d();
    void largeImagesDrawWideLines_data();
    void largeImagesDrawWideLines();
    void orderShadesFromFirstToLast();
    void pointsAreMarked();
    void usedPaletteEntries();
    void messagesNameTheFrame_data();
    void messagesNameTheFrame();
};

void ViewTest::fittedViewIsTheSquare()
{
    const QRectF square = player::DrawingSquare({300, 200});
    const player::Projection fitted(square);
    for (const auto &[x, y] : {std::pair(32767, 32767), std::pair(-32768, -32768), std::pair(1234, -4321)})
        QVERIFY(Near(fitted.Map(Lit(x, y)), player::ToPixel(square, std::int16_t(x), std::int16_t(y))));
}

void ViewTest::zoomKeepsTheAnchor()
{
    const QRectF square(0, 0, 501, 501);
    player::ViewTransform view;
    const ilda::Point point = Lit(8000, -3000);
    const QPointF anchor = player::Projection(square, view).Map(point);
    view.ZoomAbout(anchor, 3);
    view.ZoomAbout(anchor, 1.25);
    QVERIFY(Near(player::Projection(square, view).Map(point), anchor));
    QCOMPARE(view.Zoom(), 3.75);
    view.ZoomAbout({}, 1e9); // held to the range
    QCOMPARE(view.Zoom(), player::ViewTransform::kMaxZoom);
    view.Fit();
    QVERIFY(view.Fitted());
}

void ViewTest::turnBringsZToTheFront()
{
    const QRectF square(0, 0, 65536, 65536); // one pixel per unit
    player::ViewTransform view;
    view.TurnBy(200, 0); // a quarter turn about the vertical axis
    ilda::Point deep = Lit(0, 0);
    deep.z = 10000;
    QVERIFY(Near(player::Projection(square, view, true).Map(deep), QPointF(32768 + 10000, 32767)));
    QVERIFY(Near(player::Projection(square, view, false).Map(deep), QPointF(32768, 32767))); // 2D ignores Z
    view.ResetTurn();
    QVERIFY(Near(player::Projection(square, view, true).Map(deep), QPointF(32768, 32767)));
}

void ViewTest::wheelZoomsAboutThePointerAndDragPans()
{
    player::FrameView view;
    view.resize(400, 400);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const ilda::Point point = Lit(10000, 10000);
    const auto where = [&] {
        return player::Projection(player::DrawingSquare(view.size()), view.Transform()).Map(point);
    };
    const QPointF before = where();
    Wheel(&view, before, 2);
    QCOMPARE(view.Transform().Zoom(), 1.25 * 1.25);
    QVERIFY(Near(where(), before));

    QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(&view, QPoint(130, 90));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(130, 90));
    QVERIFY(Near(where(), before + QPointF(30, -10)));
    QTest::mouseClick(&view, Qt::LeftButton); // a click does not move it
    QVERIFY(Near(where(), before + QPointF(30, -10)));
}

void ViewTest::rightDragTurnsOnlyIn3d()
{
    player::FrameView view;
    view.resize(400, 400);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const auto drag = [&] {
        QTest::mousePress(&view, Qt::RightButton, {}, QPoint(100, 100));
        QTest::mouseMove(&view, QPoint(150, 120));
        QTest::mouseRelease(&view, Qt::RightButton, {}, QPoint(150, 120));
    };
    drag();
    QCOMPARE(view.Transform().Yaw(), 0.0);
    view.SetOptions({.turn3d = true});
    drag();
    QVERIFY(view.Transform().Yaw() > 0);
    QVERIFY(view.Transform().Pitch() > 0);
}

void ViewTest::largeImagesDrawWideLines_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("least");
    QTest::addColumn<int>("most");
    QTest::newRow("256: one pixel") << 256 << 1 << 1;
    QTest::newRow("1024: two") << 1024 << 2 << 3;
    QTest::newRow("4096: eight") << 4096 << 8 << 10;
}

void ViewTest::largeImagesDrawWideLines()
{
    QFETCH(int, size);
    const QImage image = player::RenderImage({{Lit(-20000, 0), Lit(20000, 0)}}, size, {});
    const int rows = LitRows(image, size / 2);
    QFETCH(int, least);
    QFETCH(int, most);
    QVERIFY2(rows >= least && rows <= most, qPrintable(QString::number(rows)));
}

void ViewTest::orderShadesFromFirstToLast()
{
    const ilda::Color white = ilda::Rgb(255, 255, 255);
    const std::vector<ilda::Point> frame = {Lit(-30000, 0, white), Lit(-10000, 0, white), Lit(10000, 0, white),
                                            Lit(30000, 0, white)};
    const QImage plain = player::RenderImage(frame, 200, {});
    const QImage shaded = player::RenderImage(frame, 200, {.showOrder = true});
    QCOMPARE(Brightest(plain, 30), 255);
    const int early = Brightest(shaded, 30);
    const int late = Brightest(shaded, 170);
    QVERIFY2(early < late && late == 255, qPrintable(QStringLiteral("%1 %2").arg(early).arg(late)));
}

void ViewTest::pointsAreMarked()
{
    // A blanked point draws nothing unless points are marked.
    const std::vector<ilda::Point> frame = {Dark(0, 0)};
    QCOMPARE(player::RenderImage(frame, 101, {}).pixelColor(50, 50), QColor(Qt::black));
    QVERIFY(player::RenderImage(frame, 101, {.showPoints = true}).pixelColor(51, 50) != QColor(Qt::black));
}

void ViewTest::usedPaletteEntries()
{
    ilda::Point a = Lit(0, 0, 0, 3), b = Lit(1, 1, 0, 7), hidden = Dark(2, 2);
    a.indexed = b.indexed = hidden.indexed = true;
    hidden.colorIndex = 9;
    const std::vector<ilda::Point> points = {a, b, hidden};
    const std::bitset<256> used = player::UsedIndexes(points);
    QCOMPARE(int(used.count()), 2);
    QVERIFY(used.test(3) && used.test(7));
}

void ViewTest::messagesNameTheFrame_data()
{
    QTest::addColumn<qint64>("frame");
    QTest::addColumn<QString>("where");
    // Frames are counted from 1 on screen, from 0 in the reading.
    QTest::newRow("no frame") << qint64(-1) << "byte 60: ";
    QTest::newRow("first") << qint64(0) << "byte 60 (frame 1): ";
    QTest::newRow("second") << qint64(1) << "byte 60 (frame 2): ";
}

void ViewTest::messagesNameTheFrame()
{
    QFETCH(qint64, frame);
    QFETCH(QString, where);
    const ilda::Diagnostic diagnostic = ilda::MakeDiagnostic(ilda::DiagnosticCode::EarlyLastPoint, 60, frame, {3});
    QCOMPARE(player::DiagnosticText(diagnostic), where + QString::fromStdString(diagnostic.text));
}

QTEST_MAIN(ViewTest)
#include "tst_player_view.moc"
