// lumivex-player --render as a file manager runs it: no display at all,
// the colours of palettes and true colour on known pixels, and the exit
// status and message of each failure.
#include "FileBytes.h"
#include "PlayerFiles.h"
#include "RunProgram.h"
#include "TempDir.h"

#include <QImage>
#include <QtTest>

#include <filesystem>

using playertest::Dark;
using playertest::Lit;

namespace {

const std::string kNoDisplay = "unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM XDG_RUNTIME_DIR";

// A horizontal line through the middle of the drawing, in one colour.
std::vector<ilda::Point> MiddleLine(ilda::Color color, std::uint8_t index)
{
    return {Dark(-20000, 0), Lit(-20000, 0, color, index), Lit(20000, 0, color, index)};
}

} // namespace

class RenderTest : public QObject {
    Q_OBJECT
private slots:
    void colours_data();
    void colours();
    void failures_data();
    void failures();
    void helpAndVersionWithoutADisplay();

private:
    testsupport::TempDir dir_{"lumivex-player-render"};
};

void RenderTest::colours_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("palette"); // a palette section before the frame
    QTest::addColumn<int>("index");
    QTest::addColumn<QColor>("expected");
    QTest::addColumn<int>("size"); // 0: the default
    QTest::newRow("true colour, 2D") << 5 << false << 0 << QColor(10, 200, 30) << 64;
    QTest::newRow("true colour, 3D") << 4 << false << 0 << QColor(10, 200, 30) << 64;
    QTest::newRow("palette section") << 0 << true << 2 << QColor(200, 100, 50) << 64;
    QTest::newRow("default palette, green") << 1 << false << 24 << QColor(0, 255, 0) << 64;
    QTest::newRow("index beyond the palette shows nothing") << 0 << true << 9 << QColor(Qt::black) << 64;
    QTest::newRow("default size") << 5 << false << 0 << QColor(10, 200, 30) << 0;
}

void RenderTest::colours()
{
    QFETCH(int, format);
    QFETCH(bool, palette);
    QFETCH(int, index);
    QFETCH(QColor, expected);
    QFETCH(int, size);
    const std::string input = dir_.File("in.ild");
    const std::string output = dir_.File("out.png");
    std::filesystem::remove(output);
    // Frame 0 is empty of light; frame 1 holds the line.
    playertest::WriteIlda(
        input, std::uint8_t(format), {{Dark(0, 0)}, MiddleLine(ilda::Rgb(10, 200, 30), std::uint8_t(index))},
        palette ? std::optional(std::vector<ilda::Color>{0, ilda::Rgb(1, 2, 3), ilda::Rgb(200, 100, 50)})
                : std::nullopt);
    std::vector<std::string> args{"--render", input, "--frame", "1", "-o", output};
    if (size > 0)
        args.insert(args.end(), {"--size", std::to_string(size)});
    const auto run = testsupport::RunProgram(dir_.Path(), LUMIVEX_PLAYER, args, kNoDisplay);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(QString::fromStdString(run.err), QString());
    const QImage image(QString::fromStdString(output));
    const int side = size > 0 ? size : 256;
    QCOMPARE(image.size(), QSize(side, side));
    const int middle = side / 2;
    const QColor onLine = image.pixelColor(side / 2, middle).rgb() != QColor(Qt::black).rgb()
                              ? image.pixelColor(side / 2, middle)
                              : image.pixelColor(side / 2, middle - 1);
    QCOMPARE(onLine, expected);
    QCOMPARE(image.pixelColor(side / 2, side / 4), QColor(Qt::black)); // away from the line
}

void RenderTest::failures_data()
{
    QTest::addColumn<QStringList>("args"); // IN: a valid one-frame file
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message"); // a piece of the one line on stderr
    QTest::newRow("missing file") << QStringList{"--render", "missing.ild", "-o", "out.png"} << 1 << "no such file";
    QTest::newRow("not ILDA") << QStringList{"--render", "text.txt", "-o", "out.png"} << 1 << "not an ILDA file";
    QTest::newRow("no such frame") << QStringList{"--render", "IN", "--frame", "5", "-o", "out.png"} << 1
                                   << "there is no frame 5";
    QTest::newRow("output folder missing")
        << QStringList{"--render", "IN", "-o", "no/such/out.png"} << 1 << "Cannot write no/such/out.png";
    QTest::newRow("no output") << QStringList{"--render", "IN"} << 2 << "needs -o";
    QTest::newRow("size zero") << QStringList{"--render", "IN", "--size", "0", "-o", "out.png"} << 2 << "--size";
}

void RenderTest::failures()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    playertest::WriteMovingLine(dir_.File("in.ild"), 1);
    testsupport::WriteFile(dir_.File("text.txt"), "a text file, long enough to be read as a header\n");
    std::filesystem::remove(dir_.File("out.png"));
    std::vector<std::string> words;
    for (const QString &arg : args)
        words.push_back(arg == "IN" ? dir_.File("in.ild") : arg.toStdString());
    const auto run = testsupport::RunProgram(dir_.Path(), LUMIVEX_PLAYER, words, kNoDisplay);
    QCOMPARE(run.exitCode, exitCode);
    const QString err = QString::fromStdString(run.err);
    QVERIFY2(err.contains(message), qPrintable(err));
    QCOMPARE(err.count('\n'), 1);
    QVERIFY(!std::filesystem::exists(dir_.File("out.png")));
}

void RenderTest::helpAndVersionWithoutADisplay()
{
    const auto help = testsupport::RunProgram(dir_.Path(), LUMIVEX_PLAYER, {"--help"}, kNoDisplay);
    QCOMPARE(help.exitCode, 0);
    QVERIFY(QString::fromStdString(help.out).contains("--render FILE"));
    const auto version = testsupport::RunProgram(dir_.Path(), LUMIVEX_PLAYER, {"--version"}, kNoDisplay);
    QCOMPARE(version.exitCode, 0);
    QCOMPARE(QString::fromStdString(version.out), "lumivex-player " LUMIVEX_VERSION "\n");
}

QTEST_GUILESS_MAIN(RenderTest)
#include "tst_player_render.moc"
