// The paint box draws like the old GDI, pixel for pixel, into an image
// that outlives covering and uncovering.
#include "toolkit/TPaintBox.h"
#include "toolkit/TPanel.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <set>

using toolkit::TColor;
using Points = std::set<std::pair<int, int>>;

Q_DECLARE_METATYPE(Points)

namespace {

constexpr TColor kBlack = 0x000000;
constexpr TColor kYellow = 0x00FFFF;
constexpr TColor kRed = 0x0000FF;

// Every pixel that is not the background.
Points drawn(const toolkit::TPaintBox &box)
{
    Points points;
    const QImage &image = box.Image();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0)
                points.insert({x, y});
    return points;
}

} // namespace

class TestPaintBox : public QObject {
    Q_OBJECT

    toolkit::TPanel *panel = nullptr;
    toolkit::TPaintBox *box = nullptr;

private slots:
    void init()
    {
        panel = new toolkit::TPanel;
        panel->SetColor(kBlack);
        panel->SetBevelOuter(toolkit::TBevelCut::bvNone);
        panel->resize(40, 30);
        box = new toolkit::TPaintBox(panel);
        box->SetAlignClient(true);
        box->Repaint();
    }
    void cleanup() { delete panel; }

    void takesTheParentPanelsColour()
    {
        QCOMPARE(box->Color(), kBlack);
        panel->SetColor(0xFF0000);
        box->Repaint();
        QCOMPARE(box->Canvas().Pixel(3, 3), TColor(0xFF0000));
        box->SetColor(kRed);
        box->Repaint();
        QCOMPARE(box->Canvas().Pixel(3, 3), kRed);
    }

    void fillsTheParentsClientArea()
    {
        QCOMPARE(box->geometry(), QRect(0, 0, 40, 30));
        panel->show();
        panel->SetBevelOuter(toolkit::TBevelCut::bvLowered);
        panel->resize(50, 30);
        QCOMPARE(box->geometry(), QRect(1, 1, 48, 28));
        QCOMPARE(box->Image().size(), QSize(48, 28));
    }

    void lineLeavesOutItsLastPixel_data()
    {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<Points>("pixels");
        QTest::newRow("right") << QPoint(2, 5) << QPoint(6, 5) << Points{{2, 5}, {3, 5}, {4, 5}, {5, 5}};
        QTest::newRow("left") << QPoint(6, 5) << QPoint(2, 5) << Points{{6, 5}, {5, 5}, {4, 5}, {3, 5}};
        QTest::newRow("down") << QPoint(1, 1) << QPoint(1, 4) << Points{{1, 1}, {1, 2}, {1, 3}};
        QTest::newRow("diagonal") << QPoint(0, 0) << QPoint(3, 3) << Points{{0, 0}, {1, 1}, {2, 2}};
        QTest::newRow("shallow") << QPoint(0, 0) << QPoint(4, 2) << Points{{0, 0}, {1, 0}, {2, 1}, {3, 1}};
        QTest::newRow("shallow back") << QPoint(4, 2) << QPoint(0, 0)
                                      << Points{{4, 2}, {3, 1}, {2, 1}, {1, 0}};
        QTest::newRow("no length") << QPoint(3, 3) << QPoint(3, 3) << Points{};
        QTest::newRow("off the left edge") << QPoint(-2, 0) << QPoint(2, 0) << Points{{0, 0}, {1, 0}};
    }
    void lineLeavesOutItsLastPixel()
    {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(Points, pixels);
        toolkit::TCanvas &canvas = box->Canvas();
        canvas.SetPenColor(kRed);
        canvas.MoveTo(from.x(), from.y());
        canvas.LineTo(to.x(), to.y());
        QCOMPARE(drawn(*box), pixels);
        QCOMPARE(canvas.PenPos(), to);
        for (const auto &[x, y] : pixels)
            QCOMPARE(canvas.Pixel(x, y), kRed);
    }

    // GDI's tie rule: a line and its reverse cover the same pixels once
    // both end points are added.
    void aLineAndItsReverseCoverTheSamePixels()
    {
        QRandomGenerator random(2006);
        for (int i = 0; i < 500; ++i) {
            const QPoint a(random.bounded(40), random.bounded(30));
            const QPoint b(random.bounded(40), random.bounded(30));
            toolkit::TCanvas &canvas = box->Canvas();
            canvas.SetPenColor(kRed);
            box->Repaint();
            canvas.MoveTo(a.x(), a.y());
            canvas.LineTo(b.x(), b.y());
            Points forward = drawn(*box);
            forward.insert({b.x(), b.y()});
            box->Repaint();
            canvas.MoveTo(b.x(), b.y());
            canvas.LineTo(a.x(), a.y());
            Points backward = drawn(*box);
            backward.insert({a.x(), a.y()});
            QVERIFY2(forward == backward, qPrintable(QStringLiteral("(%1,%2)-(%3,%4)")
                                                         .arg(a.x()).arg(a.y()).arg(b.x()).arg(b.y())));
        }
    }

    void tinyEllipseIsTheSquareGdiDraws_data()
    {
        QTest::addColumn<QPoint>("centre");
        QTest::addColumn<Points>("pixels");
        QTest::newRow("inside") << QPoint(10, 10) << Points{{9, 9}, {10, 9}, {9, 10}, {10, 10}};
        QTest::newRow("top-left corner") << QPoint(0, 0) << Points{{0, 0}};
        QTest::newRow("bottom-right corner") << QPoint(40, 30) << Points{{39, 29}};
    }
    void tinyEllipseIsTheSquareGdiDraws()
    {
        QFETCH(QPoint, centre);
        QFETCH(Points, pixels);
        toolkit::TCanvas &canvas = box->Canvas();
        canvas.SetPenColor(kYellow);
        canvas.Ellipse(centre.x() - 1, centre.y() - 1, centre.x() + 1, centre.y() + 1);
        QCOMPARE(drawn(*box), pixels);
        for (const auto &[x, y] : pixels)
            QCOMPARE(canvas.Pixel(x, y), kYellow);
    }

    void ellipseFillsItsInsideWithTheBackground()
    {
        toolkit::TCanvas &canvas = box->Canvas();
        canvas.SetPenColor(kRed);
        canvas.MoveTo(0, 10);
        canvas.LineTo(39, 10);
        canvas.SetPenColor(kYellow);
        canvas.Ellipse(5, 5, 25, 16);
        QCOMPARE(canvas.Pixel(15, 10), kBlack); // the line is covered inside
        QCOMPARE(canvas.Pixel(2, 10), kRed);    // and kept outside
        QCOMPARE(canvas.Pixel(15, 5), kYellow); // top of the outline
        QCOMPARE(canvas.Pixel(15, 4), kBlack);  // nothing above the box
        QCOMPARE(canvas.Pixel(15, 16), kBlack); // bottom edge excluded
    }

    void repaintClearsToTheBackground()
    {
        toolkit::TCanvas &canvas = box->Canvas();
        canvas.SetPenColor(kRed);
        canvas.MoveTo(0, 0);
        canvas.LineTo(20, 20);
        QVERIFY(!drawn(*box).empty());
        box->Repaint();
        QVERIFY(drawn(*box).empty());
    }

    void drawingSurvivesBeingCoveredAndResized()
    {
        panel->show();
        QVERIFY(QTest::qWaitForWindowExposed(panel));
        toolkit::TCanvas &canvas = box->Canvas();
        canvas.SetPenColor(kRed);
        canvas.MoveTo(0, 5);
        canvas.LineTo(10, 5);
        // A full repaint, as after uncovering, paints from the image.
        const QImage shown = box->grab().toImage();
        QCOMPARE(shown.pixelColor(4, 5), QColor(255, 0, 0));
        QCOMPARE(shown.pixelColor(4, 6), QColor(0, 0, 0));
        panel->resize(60, 40);
        QCOMPARE(canvas.Pixel(4, 5), kRed);
        QCOMPARE(canvas.Pixel(55, 35), kBlack);
    }
};

QTEST_MAIN(TestPaintBox)
#include "test_paintbox.moc"
