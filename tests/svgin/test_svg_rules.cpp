// The rules that make a drawing fit for a laser, each on a small drawing of
// 200 x 100 units (327.675 ILDA units to one, top at Y = 16383.75).
#include "svgin/SvgImport.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr double kScale = 327.675;

std::string Svg(const std::string &body)
{
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 200 100\">" + body + "</svg>";
}

svgin::Drawing Import(const std::string &text, const svgin::ImportOptions &options = {})
{
    return svgin::ImportSvg({reinterpret_cast<const std::uint8_t *>(text.data()), text.size()}, options);
}

double IldaX(double x)
{
    return -32767.5 + x * kScale;
}

double IldaY(double y)
{
    return 16383.75 - y * kScale;
}

// The lit stretches: a blanked point starts each.
int Polylines(const svgin::Drawing &d)
{
    return int(std::count_if(d.points.begin(), d.points.end(), [](const ilda::Point &p) { return p.Blanked(); }));
}

std::string Gzip(const std::string &text)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, uLong(text.size())) + 32, '\0');
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(text.data()));
    z.avail_in = uInt(text.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

bool HasNote(const svgin::Drawing &d, const std::string &part)
{
    return std::any_of(d.notes.begin(), d.notes.end(),
                       [&](const std::string &n) { return n.find(part) != std::string::npos; });
}

} // namespace

Q_DECLARE_METATYPE(svgin::DarkRule)

class SvgRulesTest : public QObject {
    Q_OBJECT

private slots:
    void darkPaint_data()
    {
        QTest::addColumn<QString>("color");
        QTest::addColumn<svgin::DarkRule>("rule");
        QTest::addColumn<int>("drawn"); // -1: left out
        QTest::addColumn<bool>("told");
        const int white = int(ilda::Rgb(255, 255, 255));
        QTest::newRow("black becomes the colour asked") << "#000000" << svgin::DarkRule::Replace << white << true;
        QTest::newRow("just under 20 %") << "#323232" << svgin::DarkRule::Replace << white << true;
        QTest::newRow("20 % is not dark")
            << "#333333" << svgin::DarkRule::Replace << int(ilda::Rgb(51, 51, 51)) << false;
        QTest::newRow("red stays") << "#ff0000" << svgin::DarkRule::Replace << int(ilda::Rgb(255, 0, 0)) << false;
        QTest::newRow("keep keeps it") << "#000000" << svgin::DarkRule::Keep << 0 << true;
        QTest::newRow("drop leaves it out") << "#101010" << svgin::DarkRule::Drop << -1 << true;
    }
    void darkPaint()
    {
        QFETCH(QString, color);
        QFETCH(svgin::DarkRule, rule);
        QFETCH(int, drawn);
        QFETCH(bool, told);
        svgin::ImportOptions options;
        options.dark = rule;
        const auto d = Import(Svg("<line x1='0' y1='50' x2='100' y2='50' stroke='" + color.toStdString() +
                                  "'/><line x1='0' y1='60' x2='100' y2='60' stroke='" + color.toStdString() + "'/>"),
                              options);
        if (drawn < 0) {
            QVERIFY(d.points.empty());
        } else {
            QCOMPARE(d.points.size(), std::size_t{4});
            QCOMPARE(d.points[1].color, ilda::Color(drawn));
            QCOMPARE(d.points[3].color, ilda::Color(drawn));
        }
        QCOMPARE(HasNote(d, "2 dark shapes (1 colour under 20 % luminance)"), told);
    }

    void pageBackground_data()
    {
        QTest::addColumn<QString>("rect");
        QTest::addColumn<int>("polylines");
        QTest::addColumn<bool>("told");
        QTest::newRow("whole view box") << "<rect width='200' height='100' fill='#ffffff'/>" << 1 << true;
        QTest::newRow("beyond the edges") << "<rect x='-5' y='-5' width='210' height='110' fill='blue'/>" << 1 << true;
        QTest::newRow("short of the edge") << "<rect x='1' width='199' height='100' fill='#ffffff'/>" << 2 << false;
        QTest::newRow("stroked: the border stays")
            << "<rect width='200' height='100' fill='#fff' stroke='red'/>" << 2 << false;
    }
    void pageBackground()
    {
        QFETCH(QString, rect);
        QFETCH(int, polylines);
        QFETCH(bool, told);
        const auto d =
            Import(Svg(rect.toStdString() + "<circle cx='100' cy='50' r='20' fill='none' stroke='#00ff00'/>"));
        QCOMPARE(Polylines(d), polylines);
        QCOMPARE(HasNote(d, "left out the page's background"), told);
    }

    void fillsOfOneColourShareOneOutline()
    {
        // Two squares overlapping by a quarter: one outline of eight corners.
        const auto d =
            Import(Svg("<rect x='20' y='20' width='40' height='40' fill='#ff0000'/>"
                       "<rect x='40' y='40' width='40' height='40' fill='#ff0000'/>"));
        QCOMPARE(Polylines(d), 1);
        for (const ilda::Point &p : d.points) {
            const bool insideFirst =
                p.x > IldaX(20) + 2 && p.x < IldaX(60) - 2 && p.y < IldaY(20) - 2 && p.y > IldaY(60) + 2;
            const bool insideSecond =
                p.x > IldaX(40) + 2 && p.x < IldaX(80) - 2 && p.y < IldaY(40) - 2 && p.y > IldaY(80) + 2;
            QVERIFY2(!insideFirst && !insideSecond, (std::to_string(p.x) + "," + std::to_string(p.y)).c_str());
        }
        // Of two colours, both outlines stay.
        const auto two =
            Import(Svg("<rect x='20' y='20' width='40' height='40' fill='#ff0000'/>"
                       "<rect x='40' y='40' width='40' height='40' fill='#00ff00'/>"));
        QCOMPARE(Polylines(two), 2);
        // Merged by the drawing's colours, not by those dark paint turns into.
        svgin::ImportOptions white;
        white.dark = svgin::DarkRule::Replace;
        const auto knockout = Import(Svg("<rect x='20' y='20' width='60' height='60' fill='#000000'/>"
                                         "<circle cx='50' cy='50' r='10' fill='#ffffff'/>"),
                                     white);
        QCOMPARE(Polylines(knockout), 2);
    }

    void filledAndStrokedShapeIsDrawnOnceInItsStroke()
    {
        const auto d = Import(Svg("<rect x='10' y='10' width='50' height='50' fill='#ff0000' stroke='#00ff00'/>"));
        QCOMPARE(Polylines(d), 1);
        QCOMPARE(d.points[1].color, ilda::Rgb(0, 255, 0));
    }

    void dashesAreLitAndGapsDark()
    {
        // 20 lit, 10 dark along 200 units: dashes start at 0, 30, ... 180.
        const auto d =
            Import(Svg("<line x1='0' y1='50' x2='200' y2='50' stroke='#ff0000' stroke-width='2' "
                       "stroke-dasharray='20 10'/>"));
        QCOMPARE(Polylines(d), 7);
        QCOMPARE(d.points.size(), std::size_t{14});
        for (int i = 0; i < 7; ++i) {
            QVERIFY(std::abs(d.points[2 * i].x - IldaX(30 * i)) <= 1);
            QVERIFY(std::abs(d.points[2 * i + 1].x - IldaX(std::min(30 * i + 20, 200))) <= 1);
        }
    }

    void dashOffsetShiftsThePattern()
    {
        const auto d =
            Import(Svg("<line x1='0' y1='50' x2='200' y2='50' stroke='#ff0000' "
                       "stroke-dasharray='20 10' stroke-dashoffset='5'/>"));
        QVERIFY(Polylines(d) >= 7);
        QVERIFY(std::abs(d.points[1].x - IldaX(15)) <= 1); // the first dash has 15 left
    }

    void gradientTakesTheMeanOfItsStops_data()
    {
        QTest::addColumn<QString>("gradient");
        QTest::newRow("linear") << "linearGradient";
        QTest::newRow("radial, r left out") << "radialGradient";
    }
    void gradientTakesTheMeanOfItsStops()
    {
        QFETCH(QString, gradient);
        const std::string kind = gradient.toStdString();
        const auto d = Import(Svg("<defs><" + kind +
                                  " id='g'><stop offset='0' stop-color='#00ff00'/>"
                                  "<stop offset='0.5' stop-color='#ffffff'/><stop offset='1' stop-color='#00ff00'/>"
                                  "</" +
                                  kind + "></defs><rect x='10' y='10' width='50' height='50' fill='url(#g)'/>"));
        QVERIFY2(d.points.size() > 2, d.problem.c_str());
        QCOMPARE(d.points[1].color, ilda::Rgb(85, 255, 85));
    }

    void compressedDrawingReadsAsItsText()
    {
        const std::string text = Svg("<circle cx='100' cy='50' r='30' fill='none' stroke='#ff0000'/>");
        const auto plain = Import(text);
        const auto packed = Import(Gzip(text));
        QVERIFY2(packed.problem.empty(), packed.problem.c_str());
        QCOMPARE(packed.points.size(), plain.points.size());
        QVERIFY(std::equal(packed.points.begin(), packed.points.end(), plain.points.begin(),
                           [](const ilda::Point &a, const ilda::Point &b) { return a.x == b.x && a.y == b.y; }));
    }

    void notADrawingIsToldInItsTerms_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const std::string packed = Gzip(Svg("<line x1='0' y1='0' x2='9' y2='9' stroke='red'/>"));
        QTest::newRow("plain text") << QByteArray("hello") << "not an SVG drawing";
        QTest::newRow("binary") << QByteArray("\x01\x00\xFF\x10", 4) << "not an SVG drawing";
        QTest::newRow("gzip cut short") << QByteArray(packed.data(), qsizetype(packed.size() / 2))
                                        << "not a compressed SVG drawing (its gzip data is cut short)";
        QTest::newRow("gzip damaged") << QByteArray("\x1F\x8B\x08\x00garbagegarbage") << "not a compressed SVG";
        QTest::newRow("gzip of text") << QByteArray::fromStdString(Gzip("plain words")) << "not an SVG drawing";
    }
    void notADrawingIsToldInItsTerms()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const auto d =
            svgin::ImportSvg({reinterpret_cast<const std::uint8_t *>(bytes.data()), std::size_t(bytes.size())});
        QVERIFY(d.points.empty());
        QVERIFY2(d.problem.find(reason.toStdString()) != std::string::npos, d.problem.c_str());
    }

    void imagesAreNeverOpened()
    {
        // A FIFO nobody writes: opening it would wait forever.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const std::string fifo = dir.filePath("picture.png").toStdString();
        QCOMPARE(mkfifo(fifo.c_str(), 0600), 0);
        const auto d = Import(
            "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' "
            "viewBox='0 0 200 100'><image xlink:href='" +
            fifo +
            "' width='50' height='50'/>"
            "<image href='file://" +
            fifo +
            "' width='50' height='50'/>"
            "<line x1='0' y1='50' x2='100' y2='50' stroke='#ff0000'/></svg>");
        QCOMPARE(d.points.size(), std::size_t{2});
        QVERIFY(HasNote(d, "left out 2 images"));
    }

    void pathLongerThanQtReadsIsRefused_data()
    {
        QTest::addColumn<int>("segments");
        QTest::addColumn<bool>("refused");
        QTest::newRow("32766 segments, read whole") << 32766 << false;
        QTest::newRow("32767 segments, one point too many") << 32767 << true;
        QTest::newRow("40000 segments") << 40000 << true;
    }
    void pathLongerThanQtReadsIsRefused()
    {
        QFETCH(int, segments);
        QFETCH(bool, refused);
        std::string path = "M0,0";
        for (int i = 1; i <= segments; ++i)
            path += " L" + std::to_string(i * 200.0 / segments) + "," + std::to_string(i % 2 * 100);
        const auto d = Import(Svg("<path d='" + path + "' fill='none' stroke='#ff0000'/>"));
        if (refused) {
            QVERIFY(d.points.empty());
            QVERIFY2(d.problem.find("split it into shorter paths") != std::string::npos, d.problem.c_str());
        } else {
            QVERIFY2(d.problem.empty(), d.problem.c_str());
            QCOMPARE(d.points.size(), std::size_t(segments + 1));
            QCOMPARE(int(d.points.back().x), 32767); // the right end is there
        }
    }

    void faultyPathDataIsDrawnToTheFaultAndTold()
    {
        const auto d = Import(Svg("<path d='M0,0 L100,50 L150,x' fill='none' stroke='#ff0000'/>"));
        QCOMPARE(d.points.size(), std::size_t{2});
        QVERIFY(HasNote(d, "a path's data is faulty"));
    }
};

QTEST_MAIN(SvgRulesTest)
#include "test_svg_rules.moc"
