// The scroll bar's bitmaps, found by name without regard to case, pixel by
// pixel against their pictures.
#include "toolkit/Resources.h"
#include "toolkit/TSpeedButton.h"
#include "widgets/CZelkScrollBar.h"

#include <QtTest>

using Spans = QList<QPair<int, int>>; // black columns per row; (-1, -1) for none

class ScrollBarResourcesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void arrows_data();
    void arrows();
    void pictures_data();
    void pictures();
    void unknownName();
    void newBarShowsHorizontalArrows();
};

void ScrollBarResourcesTest::initTestCase()
{
    TZelkScrollBar registersResources;
}

void ScrollBarResourcesTest::arrows_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<Spans>("spans");
    const QPair<int, int> none(-1, -1);
    QTest::newRow("left") << "levoScrollBar" << QSize(7, 9)
                          << Spans{{4, 4}, {3, 4}, {2, 4}, {1, 4}, {1, 4}, {2, 4}, {3, 4}, {4, 4}, none};
    QTest::newRow("right, upper case") << "DESNOSCROLLBAR" << QSize(7, 9)
                                       << Spans{{2, 2}, {2, 3}, {2, 4}, {2, 5}, {2, 5}, {2, 4}, {2, 3}, {2, 2}, none};
    QTest::newRow("up, mixed case") << "GoreScrollBar" << QSize(11, 5)
                                    << Spans{{4, 5}, {3, 6}, {2, 7}, {1, 8}, none};
    QTest::newRow("down") << "doleScrollbar" << QSize(11, 5) << Spans{{1, 8}, {2, 7}, {3, 6}, {4, 5}, none};
}

void ScrollBarResourcesTest::arrows()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QFETCH(Spans, spans);
    const QImage image = toolkit::LoadBitmapResource(name);
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), size);
    QCOMPARE(image.colorCount(), 16);
    QCOMPARE(image.pixel(0, size.height() - 1), qRgb(255, 0, 255));
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const bool black = x >= spans[y].first && x <= spans[y].second;
            QCOMPARE((QPair<int, QRgb>(y, image.pixel(x, y))),
                     (QPair<int, QRgb>(y, black ? qRgb(0, 0, 0) : qRgb(255, 0, 255))));
        }

    // Drawn on a button, only the black arrow shows.
    const QImage glyph = toolkit::TransparentGlyph(image);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            QCOMPARE(qAlpha(glyph.pixel(x, y)), qRed(image.pixel(x, y)) == 0 ? 255 : 0);
}

void ScrollBarResourcesTest::pictures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::newRow("palette picture") << "TZelkScrollBar" << QSize(24, 24);
    QTest::newRow("about picture") << "aboutscrollbar" << QSize(32, 32);
}

void ScrollBarResourcesTest::pictures()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    const QImage image = toolkit::LoadBitmapResource(name);
    QCOMPARE(image.size(), size);
    QCOMPARE(image.colorCount(), 16);
    QVERIFY(image.pixel(size.width() / 2, size.height() / 2) != image.pixel(0, 0)); // something is drawn
}

void ScrollBarResourcesTest::unknownName()
{
    QVERIFY(toolkit::LoadBitmapResource(QStringLiteral("levoScrollBarX")).isNull());
    QVERIFY(toolkit::LoadBitmapResource(QString()).isNull());
}

void ScrollBarResourcesTest::newBarShowsHorizontalArrows()
{
    TZelkScrollBar bar;
    QCOMPARE(bar.ButtonUp->Glyph(), toolkit::LoadBitmapResource(QStringLiteral("levoScrollBar")));
    QCOMPARE(bar.ButtonDown->Glyph(), toolkit::LoadBitmapResource(QStringLiteral("desnoScrollBar")));
    QVERIFY(!bar.ButtonUp->icon().isNull());
}

QTEST_MAIN(ScrollBarResourcesTest)
#include "tst_scrollbar_resources.moc"
