// The scanner view: light by the time the beam spends per length, added
// up on black, in the frame's colours; and View, Scanner view in the window.
#include "PlayerFiles.h"
#include "RunProgram.h"
#include "TempDir.h"
#include "player/FrameView.h"
#include "player/PlayerWindow.h"
#include "player/ScannerMode.h"
#include "player/ScannerRenderer.h"

#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

#include <algorithm>

using playertest::Dark;
using playertest::Lit;

using Frame = std::vector<ilda::Point>;
Q_DECLARE_METATYPE(Frame)

namespace {

constexpr int kSize = 128;

// The brightest grey level around where an ILDA point lands.
int LightAt(const QImage &image, int x, int y)
{
    const int px = int((x + 32768) * (kSize - 1) / 65535.0 + 0.5);
    const int py = int((32767 - y) * (kSize - 1) / 65535.0 + 0.5);
    int most = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            most = std::max(most,
                            qGray(image.pixel(std::clamp(px + dx, 0, kSize - 1), std::clamp(py + dy, 0, kSize - 1))));
    return most;
}

// A lit line from (-20000, 0) to (20000, 0) in steps + 1 points, after a blanked start.
Frame Line(int steps, int times = 1)
{
    Frame frame(8, Dark(-20000, 0));
    for (int t = 0; t < times; ++t)
        for (int i = 0; i <= steps; ++i)
            frame.push_back(Lit(-20000 + 40000 * i / steps, 0));
    return frame;
}

} // namespace

class ScannerTest : public QObject {
    Q_OBJECT
private slots:
    void brightness_data();
    void brightness();
    void darkFrameDrawsNothing();
    void keepsTheColour();
    void windowShowsTheScannersView();
    void renderCommand_data();
    void renderCommand();

private:
    testsupport::TempDir dir_{"lumivex-player-scanner"};
};

void ScannerTest::brightness_data()
{
    QTest::addColumn<Frame>("brighter");
    QTest::addColumn<Frame>("dimmer");
    QTest::addColumn<int>("x");    // where the brighter is looked at
    QTest::addColumn<int>("dimX"); // and the dimmer
    Frame dwell(8, Dark(-20000, 0));
    dwell.push_back(Lit(20000, 0));
    dwell.insert(dwell.end(), 12, Lit(20000, 0));
    QTest::newRow("dwell brighter than the fast stroke to it") << dwell << dwell << 20000 << 0;
    QTest::newRow("a slow stroke brighter than a fast one") << Line(60) << Line(4) << 0 << 0;
    QTest::newRow("a stroke drawn twice brighter than once") << Line(60, 2) << Line(60) << 0 << 0;
}

void ScannerTest::brightness()
{
    QFETCH(Frame, brighter);
    QFETCH(Frame, dimmer);
    QFETCH(int, x);
    QFETCH(int, dimX);
    const scan::Profile &profile = scan::DefaultProfile();
    const QImage bright = player::RenderScannerImage(brighter, kSize, profile);
    const QImage dim = player::RenderScannerImage(dimmer, kSize, profile);
    const int lit = LightAt(bright, x, 0), less = LightAt(dim, dimX, 0);
    QVERIFY2(less > 0, "the dimmer part is still drawn");
    QVERIFY2(lit > less + 20, qPrintable(QStringLiteral("%1 against %2").arg(lit).arg(less)));
}

void ScannerTest::darkFrameDrawsNothing()
{
    const Frame dark = {Dark(-20000, 0), Dark(20000, 0), Lit(0, 0, 0)}; // black counts as dark
    const QImage image = player::RenderScannerImage(dark, kSize, scan::DefaultProfile());
    QImage black(kSize, kSize, QImage::Format_RGB32);
    black.fill(Qt::black);
    QCOMPARE(image, black);
}

void ScannerTest::keepsTheColour()
{
    Frame frame(8, Dark(-20000, 0));
    frame.insert(frame.end(), 12, Lit(-20000, 0, ilda::Rgb(255, 0, 0)));
    const QImage image = player::RenderScannerImage(frame, kSize, scan::DefaultProfile());
    const QRgb most = *std::max_element(reinterpret_cast<const QRgb *>(image.constBits()),
                                        reinterpret_cast<const QRgb *>(image.constBits()) + kSize * kSize,
                                        [](QRgb a, QRgb b) { return qRed(a) < qRed(b); });
    QVERIFY(qRed(most) > 200);
    QCOMPARE(qGreen(most) + qBlue(most), 0);
}

void ScannerTest::windowShowsTheScannersView()
{
    player::PlayerWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    playertest::WriteIlda(dir_.File("line.ild"), ilda::kFormat2dTrueColor, {Line(4), Line(60)});
    QSignalSpy finished(&window, &player::PlayerWindow::ScanFinished);
    QVERIFY(window.OpenFile(QString::fromStdString(dir_.File("line.ild"))));
    QVERIFY(finished.wait(10000));

    QTest::keyClick(&window, Qt::Key_S);
    QVERIFY(window.Scanner()->Active());
    QVERIFY(window.Scanner()->View()->isVisible());
    QVERIFY(!window.View()->isVisible());
    const auto coverage = [&] { return window.findChild<QLabel *>("scannerCoverageValue")->text(); };
    const QString fast = coverage();
    QTest::keyClick(&window, Qt::Key_Right);
    QVERIFY2(coverage() != fast, qPrintable(fast)); // the figures follow the frame on show
    QCOMPARE(window.findChild<QLabel *>("scannerProfileValue")->text(), "ilda-30k");

    QTest::keyClick(&window, Qt::Key_S);
    QVERIFY(window.View()->isVisible());
    QVERIFY(!window.Scanner()->View()->isVisible());
}

void ScannerTest::renderCommand_data()
{
    QTest::addColumn<QString>("profile");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message"); // a piece of stderr
    QTest::newRow("ilda-12k") << "ilda-12k" << 0 << "";
    QTest::newRow("unknown") << "ilda-99k" << 2 << "unknown profile ilda-99k (ilda-30k, ilda-12k)";
}

void ScannerTest::renderCommand()
{
    QFETCH(QString, profile);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const std::string input = dir_.File("line.ild"), output = dir_.File("out.png");
    std::filesystem::remove(output);
    playertest::WriteIlda(input, ilda::kFormat2dTrueColor, {Line(4), Line(60)});
    const auto run = testsupport::RunProgram(dir_.Path(), LUMIVEX_PLAYER,
                                             {"--render", input, "--frame", "1", "--size", std::to_string(kSize),
                                              "--profile", profile.toStdString(), "-o", output},
                                             "unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM");
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(QString::fromStdString(run.err).contains(message), run.err.c_str());
    if (exitCode != 0) {
        QVERIFY(!std::filesystem::exists(output));
        return;
    }
    // The picture the view draws of that frame under that profile.
    QCOMPARE(QImage(QString::fromStdString(output)).convertToFormat(QImage::Format_RGB32),
             player::RenderScannerImage(Line(60), kSize, *scan::FindProfile("ilda-12k")));
}

QTEST_MAIN(ScannerTest)
#include "tst_player_scanner.moc"
