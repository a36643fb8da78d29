// Installed fonts through Qt: found by name in any case, glyphs as closed
// outlines, letters the font lacks listed. Runs without an application,
// as the command line does.
#include "outlinefont/OutlineFont.h"
#include "text/Layout.h"

#include <QTest>

class OutlineFontTest : public QObject {
    Q_OBJECT

private slots:
    void findsFamiliesInAnyCase_data();
    void findsFamiliesInAnyCase();
    void glyphsAreClosedOutlines_data();
    void glyphsAreClosedOutlines();
    void lackedLettersAreListedAndSpaced();
};

void OutlineFontTest::findsFamiliesInAnyCase_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("found");
    QTest::newRow("as spelt") << "DejaVu Sans"
                              << "DejaVu Sans";
    QTest::newRow("any case") << "dejavu SANS"
                              << "DejaVu Sans";
    QTest::newRow("not installed") << "No Such Font 42"
                                   << "";
    QTest::newRow("a single-stroke name") << "futural"
                                          << "";
}

void OutlineFontTest::findsFamiliesInAnyCase()
{
    QFETCH(QString, name);
    QFETCH(QString, found);
    const auto family = outlinefont::FindFamily(name.toStdString());
    QCOMPARE(QString::fromStdString(family.value_or("")), found);
}

void OutlineFontTest::glyphsAreClosedOutlines_data()
{
    QTest::addColumn<QString>("letter");
    QTest::addColumn<int>("outlines");
    QTest::newRow("l") << "l" << 1;
    QTest::newRow("O") << "O" << 2;
    QTest::newRow("B") << "B" << 3;
    QTest::newRow("i") << "i" << 2;
}

void OutlineFontTest::glyphsAreClosedOutlines()
{
    QFETCH(QString, letter);
    QFETCH(int, outlines);
    const auto shaped = outlinefont::ShapeOutline("DejaVu Sans", letter.toStdU32String());
    QVERIFY2(shaped.ok(), shaped.ok() ? "" : shaped.message().c_str());
    QCOMPARE(int(shaped->strokes.size()), outlines);
    for (const text::Polyline &stroke : shaped->strokes) {
        QVERIFY(stroke.size() >= 4);
        QCOMPARE(stroke.front().x, stroke.back().x);
        QCOMPARE(stroke.front().y, stroke.back().y);
    }
    const auto ink = text::InkBox(*shaped).value();
    QVERIFY(ink.bottom >= shaped->bottom && ink.top <= shaped->top);
    QVERIFY(ink.top > 0); // Y up: letters stand above the baseline
}

void OutlineFontTest::lackedLettersAreListedAndSpaced()
{
    const auto with = outlinefont::ShapeOutline("DejaVu Sans", U"A\uE000B");
    const auto spaced = outlinefont::ShapeOutline("DejaVu Sans", U"A B");
    QVERIFY(with.ok() && spaced.ok());
    QVERIFY(with->missing == U"\uE000");
    QCOMPARE(text::InkBox(*with)->right, text::InkBox(*spaced)->right);
}

QTEST_APPLESS_MAIN(OutlineFontTest)
#include "tst_outline_font.moc"
