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

const std::string kNoDisplay = "unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM XDG_RUNTIME_DIR";

class RenderTest : public QObject {
    Q_OBJECT
private slots:
    void colours_data();
    void colours();
    void failures_data();
    void failures();
    void helpAndVersionWithoutADisplay();
    void everyFrame_data();
    void everyFrame();
    void numberedLinkToTheInput_data();
    void numberedLinkToTheInput();
    void oneFrameAsSvg();

private:
    testsupport::TempDir dir_{"lumivex-player-render"};
};

void RenderTest::colours_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("palette"); // a palette section before the frame
    QTest::addColumn<int>("index");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("true colour") << 5 << false << 0 << QColor(10, 200, 30);
    QTest::newRow("palette section") << 0 << true << 2 << QColor(200, 100, 50);
    QTest::newRow("default palette, green") << 1 << false << 24 << QColor(0, 255, 0);
}

void RenderTest::colours()
{
    QFETCH(int, format);
    QFETCH(bool, palette);
    QFETCH(int, index);
    QFETCH(QColor, expected);
    const std::string input = dir_.File("in.ild");
    const std::string output = dir_.File("out.png");
    std::filesystem::remove(output);
    // Frame 0 is empty of light; frame 1 holds a line through the middle.
    const ilda::Color colour = ilda::Rgb(10, 200, 30);
    playertest::WriteIlda(
        input, std::uint8_t(format),
        {{Dark(0, 0)}, {Dark(-20000, 0), Lit(-20000, 0, colour, index), Lit(20000, 0, colour, index)}},
        palette ? std::optional(std::vector<ilda::Color>{0, ilda::Rgb(1, 2, 3), ilda::Rgb(200, 100, 50)})
                : std::nullopt);
    const auto run = testsupport::RunProgram(
        dir_.Path(), LUMIVEX_PLAYER, {"--render", input, "--frame", "1", "--size", "64", "-o", output}, kNoDisplay);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(QString::fromStdString(run.err), QString());
    const QImage image(QString::fromStdString(output));
    QCOMPARE(image.size(), QSize(64, 64));
    // The line falls on row 31 or 32.
    const QColor onLine =
        image.pixelColor(32, 32) != QColor(Qt::black) ? image.pixelColor(32, 32) : image.pixelColor(32, 31);
    QCOMPARE(onLine, expected);
    QCOMPARE(image.pixelColor(32, 16), QColor(Qt::black)); // away from the line
}

void RenderTest::failures_data()
{
    QTest::addColumn<QStringList>("args"); // IN: a valid one-frame file
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message"); // a piece of the one line on stderr
    QTest::newRow("missing file") << QStringList{"--render", "missing.ild", "-o", "out.png"} << 1 << "no such file";
    QTest::newRow("not ILDA") << QStringList{"--render", "text.txt", "-o", "out.png"} << 1 << "not an ILDA file";
    QTest::newRow("output folder missing")
        << QStringList{"--render", "IN", "-o", "no/such/out.png"} << 1 << "Cannot create file no/such/out.png";
    QTest::newRow("no output") << QStringList{"--render", "IN"} << 2 << "needs -o";
    QTest::newRow("negative frame")
        << QStringList{"--render", "IN", "--frame", "-1", "-o", "out.png"} << 2
        << "--frame takes a frame number from 0, or all, not -1; try 'lumivex-player --help'.";
    QTest::newRow("negative size") << QStringList{"--render", "IN", "--size", "-5", "-o", "out.png"} << 2
                                   << "--size takes 1 to 8192 pixels, not -5";
    QTest::newRow("unknown short option") << QStringList{"-x"} << 2 << "unknown option -x";
    QTest::newRow("all frames, one name")
        << QStringList{"--render", "IN", "--frame", "all", "-o", "out.png"} << 1 << "one frame number";
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

void RenderTest::everyFrame_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("png") << "frames/f%02d.png" << QStringList{"f00.png", "f01.png", "f02.png"};
    QTest::newRow("svg") << "frames/%d%%.svg" << QStringList{"0%.svg", "1%.svg", "2%.svg"};
}

void RenderTest::everyFrame()
{
    QFETCH(QString, pattern);
    QFETCH(QStringList, names);
    playertest::WriteMovingLine(dir_.File("in.ild"), 3);
    std::filesystem::remove_all(dir_.Path() / "frames");
    std::filesystem::create_directory(dir_.Path() / "frames");
    const auto run = testsupport::RunProgram(
        dir_.Path(), LUMIVEX_PLAYER,
        {"--render", dir_.File("in.ild"), "--frame", "all", "--size", "32", "-o", pattern.toStdString()}, kNoDisplay);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(QString::fromStdString(run.err), QString()); // no terminal, no progress line
    for (const QString &name : names) {
        const std::string file = (dir_.Path() / "frames" / name.toStdString()).string();
        QVERIFY2(std::filesystem::file_size(file) > 0, file.c_str());
        if (name.endsWith(".png"))
            QCOMPARE(QImage(QString::fromStdString(file)).size(), QSize(32, 32));
    }
    QCOMPARE(std::distance(std::filesystem::directory_iterator(dir_.Path() / "frames"), {}), names.size());
}

void RenderTest::numberedLinkToTheInput_data()
{
    QTest::addColumn<bool>("hard");
    QTest::newRow("symbolic link") << false;
    QTest::newRow("hard link") << true;
}

// frames/0002.png leads to the file being read: it is refused like a
// single output, and the input keeps its bytes.
void RenderTest::numberedLinkToTheInput()
{
    QFETCH(bool, hard);
    const std::string input = dir_.File("linked.ild");
    playertest::WriteMovingLine(input, 4);
    const std::string before = testsupport::ReadFile(input);
    std::filesystem::remove_all(dir_.Path() / "frames");
    std::filesystem::create_directory(dir_.Path() / "frames");
    const auto link = dir_.Path() / "frames" / "0002.png";
    hard ? std::filesystem::create_hard_link(input, link) : std::filesystem::create_symlink(input, link);
    const auto run = testsupport::RunProgram(
        dir_.Path(), LUMIVEX_PLAYER, {"--render", input, "--frame", "all", "-o", "frames/%04d.png"}, kNoDisplay);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(QString::fromStdString(run.err).contains("would replace the input"), run.err.c_str());
    QVERIFY(testsupport::ReadFile(input) == before);
    QVERIFY(!std::filesystem::exists(dir_.Path() / "frames" / "0003.png"));
}

// The name's ending picks the kind for one frame as for every frame.
void RenderTest::oneFrameAsSvg()
{
    playertest::WriteMovingLine(dir_.File("in.ild"), 1);
    const std::string output = dir_.File("one.svg");
    const auto run = testsupport::RunProgram(dir_.Path(), LUMIVEX_PLAYER,
                                             {"--render", dir_.File("in.ild"), "-o", output}, kNoDisplay);
    QCOMPARE(run.exitCode, 0);
    const std::string bytes = testsupport::ReadFile(output);
    QVERIFY(bytes.find("<svg") != std::string::npos);
    QVERIFY(bytes.find("in.ild, frame 0") != std::string::npos);
}

QTEST_GUILESS_MAIN(RenderTest)
#include "tst_player_render.moc"
