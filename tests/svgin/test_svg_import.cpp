// SVG drawings against points worked by hand: a view box of 200 x 100 fills
// the square's width, 327.675 units to one of the drawing's, with its top
// at Y = 16383.75; a unit's floor is its ILDA coordinate.
#include "svgin/SvgImport.h"

#include <QGuiApplication>
#include <QTest>

#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr double kScale = 327.675;
constexpr double kTolerance = svgin::kFlatness * 65536 + 1; // and the rounding

svgin::Drawing Import(const std::string &body)
{
    const std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 200 100\">" + body + "</svg>";
    return svgin::ImportSvg({reinterpret_cast<const std::uint8_t *>(svg.data()), svg.size()});
}

// Where a drawing's point lands, unrounded.
QPointF Ilda(double x, double y)
{
    return {-32767.5 + x * kScale, 16383.75 - y * kScale};
}

double SegmentDistance(QPointF p, QPointF a, QPointF b)
{
    const QPointF d = b - a;
    const double length2 = QPointF::dotProduct(d, d);
    const double t = length2 > 0 ? std::clamp(QPointF::dotProduct(p - a, d) / length2, 0.0, 1.0) : 0.0;
    const QPointF q = a + t * d - p;
    return std::hypot(q.x(), q.y());
}

} // namespace

class SvgImportTest : public QObject {
    Q_OBJECT

private slots:
    void rectangleStrokeIsAClosedPolyline()
    {
        const auto d = Import("<rect x='50' y='25' width='100' height='50' fill='none' stroke='#ff0000'/>");
        QVERIFY2(d.problem.empty(), d.problem.c_str());
        const std::vector<std::pair<int, int>> want = {
            {-16384, 8191}, {16383, 8191}, {16383, -8192}, {-16384, -8192}, {-16384, 8191}};
        QCOMPARE(d.points.size(), want.size());
        for (std::size_t i = 0; i < want.size(); ++i) {
            QCOMPARE(int(d.points[i].x), want[i].first);
            QCOMPARE(int(d.points[i].y), want[i].second);
            QCOMPARE(d.points[i].Blanked(), i == 0);
            QCOMPARE(d.points[i].color, i == 0 ? 0u : ilda::Rgb(255, 0, 0));
        }
        QVERIFY(d.points.back().Last());
    }

    void transformsOfGroupsApply()
    {
        // (0,0)-(20,0) turned a quarter and moved to (100,50): (100,50)-(100,70).
        const auto d = Import(
            "<g transform='translate(100,50) rotate(90)'>"
            "<line x1='0' y1='0' x2='20' y2='0' stroke='#0000ff'/></g>");
        QCOMPARE(d.points.size(), std::size_t{2});
        QCOMPARE(int(d.points[0].x), 0);
        QCOMPARE(int(d.points[0].y), 0);
        QCOMPARE(int(d.points[1].x), 0);
        QCOMPARE(int(d.points[1].y), -6554);
        QCOMPARE(d.points[1].color, ilda::Rgb(0, 0, 255));
    }

    void curveIsFlattenedWithinTolerance()
    {
        const auto d = Import("<path d='M0,50 C0,0 200,0 200,50' fill='none' stroke='lime'/>");
        QVERIFY(d.points.size() > 8);
        QCOMPARE(int(d.points.front().x), -32768);
        QCOMPARE(int(d.points.back().x), 32767);
        auto curve = [](double t) {
            const double u = 1 - t;
            return Ilda(3 * u * t * t * 200 + t * t * t * 200, u * u * u * 50 + t * t * t * 50);
        };
        // Every point on the curve, and every curve sample near the polyline.
        for (const ilda::Point &p : d.points) {
            double nearest = 1e9;
            for (int i = 0; i <= 2000; ++i)
                nearest = std::min(nearest, std::hypot(curve(i / 2000.0).x() - p.x, curve(i / 2000.0).y() - p.y));
            QVERIFY2(nearest <= kTolerance, std::to_string(nearest).c_str());
        }
        for (int i = 0; i <= 100; ++i) {
            double nearest = 1e9;
            for (std::size_t k = 1; k < d.points.size(); ++k)
                nearest =
                    std::min(nearest, SegmentDistance(curve(i / 100.0), QPointF(d.points[k - 1].x, d.points[k - 1].y),
                                                      QPointF(d.points[k].x, d.points[k].y)));
            QVERIFY2(nearest <= kTolerance, std::to_string(nearest).c_str());
        }
    }

    void filledShapeIsItsOutlineInTheFillColour()
    {
        const auto d = Import("<circle cx='100' cy='50' r='25' fill='#ff00ff'/>");
        QVERIFY(d.points.size() > 8);
        QCOMPARE(d.points.front().x, d.points.back().x);
        QCOMPARE(d.points.front().y, d.points.back().y);
        for (std::size_t i = 1; i < d.points.size(); ++i) {
            QCOMPARE(d.points[i].color, ilda::Rgb(255, 0, 255));
            const double r = std::hypot(d.points[i].x - Ilda(100, 50).x(), d.points[i].y - Ilda(100, 50).y());
            QVERIFY2(std::abs(r - 25 * kScale) <= kTolerance, std::to_string(r).c_str());
        }
    }

    void textIsDrawnAsOutlines()
    {
        // A capital T from x = 10 on the baseline y = 80, 40 units high at most.
        const auto d = Import("<text x='10' y='80' font-size='40' fill='#ffff00'>T</text>");
        QVERIFY2(d.problem.empty(), d.problem.c_str());
        QVERIFY(d.points.size() >= 9); // eight corners and the way back
        int top = -32768;
        for (const ilda::Point &p : d.points) {
            top = std::max(top, int(p.y));
            QCOMPARE(p.color, p.Blanked() ? 0u : ilda::Rgb(255, 255, 0));
            QVERIFY(p.x >= Ilda(9, 0).x() && p.x <= Ilda(50, 0).x());
            QVERIFY(p.y >= Ilda(0, 80).y() - kTolerance && p.y <= Ilda(0, 40).y());
        }
        QVERIFY(top > Ilda(0, 60).y()); // a capital stands over half the size high
    }

    void hiddenAndTransparentAreLeftOut()
    {
        const auto d = Import(
            "<rect x='1' y='1' width='5' height='5' stroke='red' style='display:none'/>"
            "<rect x='1' y='1' width='5' height='5' stroke='red' fill='red' opacity='0'/>"
            "<rect x='1' y='1' width='5' height='5' fill='none' stroke='red' stroke-opacity='0'/>"
            "<line x1='0' y1='0' x2='20' y2='0' stroke='#0000ff'/>");
        QCOMPARE(d.points.size(), std::size_t{2});
    }

    void unreadableDrawingIsRefusedWithItsReason()
    {
        const std::string text = "<svg xmlns=\"http://www.w3.org/2000/svg\"><rect";
        const auto d = svgin::ImportSvg({reinterpret_cast<const std::uint8_t *>(text.data()), text.size()});
        QVERIFY(d.points.empty());
        QVERIFY2(d.problem.find("line 1") != std::string::npos, d.problem.c_str());
    }
};

QTEST_MAIN(SvgImportTest)
#include "test_svg_import.moc"
