// How the player finds and keeps frames: the scan on its own thread, the
// small cache, the frame looked up for --render, and the command line.
#include "FileBytes.h"
#include "PlayerFiles.h"
#include "TempDir.h"
#include "player/FrameCache.h"
#include "player/FrameIndex.h"
#include "player/FrameScan.h"
#include "player/PlayerArguments.h"
#include "rtl/SysUtils.h"

#include <QSignalSpy>
#include <QtTest>

#include <chrono>
#include <thread>

using playertest::Dark;
using playertest::Lit;

class ReadingTest : public QObject {
    Q_OBJECT
private slots:
    void scanFindsFramesThenChecksPoints();
    void scanDroppedMidwayReportsNothing();
    void cacheKeepsFewFrames();
    void indexStaysSmallAndFindsEveryFrame();
    void locatingStaysNearTheFrame();
    void unreadableSaysWhy();
    void findFrame_data();
    void findFrame();
    void arguments_data();
    void arguments();

private:
    testsupport::TempDir dir_{"lumivex-player-reading"};
};

void ReadingTest::scanFindsFramesThenChecksPoints()
{
    const std::string path = dir_.File("reserved.ild");
    std::vector<std::vector<ilda::Point>> frames(3, {Dark(0, 0), Lit(100, 100)});
    frames[1][1].status = 0x01; // a reserved status bit: only a reading of the points sees it
    playertest::WriteIlda(path, ilda::kFormat2dTrueColor, frames);

    player::FrameScan scan(path);
    QSignalSpy found(&scan, &player::FrameScan::FramesFound);
    QSignalSpy finished(&scan, &player::FrameScan::Finished);
    QVERIFY(finished.wait(10000));
    QVERIFY(!found.isEmpty());
    QCOMPARE(found.last().first().value<std::size_t>(), std::size_t(3));
    QCOMPARE(scan.Count(), std::size_t(3));
    QCOMPARE(scan.Outcome().warningCount, std::size_t(1));
}

// Results still on their way to a scan that is gone must not reach it.
void ReadingTest::scanDroppedMidwayReportsNothing()
{
    const std::string path = dir_.File("many.ild");
    playertest::WriteMovingLine(path, 3000);
    int reports = 0;
    for (int i = 0; i < 20; ++i) {
        auto scan = std::make_unique<player::FrameScan>(path);
        connect(scan.get(), &player::FrameScan::FramesFound, this, [&] { ++reports; });
        connect(scan.get(), &player::FrameScan::Finished, this, [&] { ++reports; });
        // Drop it at different moments, the events it posted not yet handled.
        std::this_thread::sleep_for(std::chrono::milliseconds(i % 4));
        scan.reset();
        QCoreApplication::processEvents();
        QCOMPARE(reports, 0);
    }
}

void ReadingTest::cacheKeepsFewFrames()
{
    const std::string path = dir_.File("line.ild");
    playertest::WriteMovingLine(path, 20);
    player::FrameScan scan(path);
    QSignalSpy finished(&scan, &player::FrameScan::Finished);
    QVERIFY(finished.wait(10000));

    player::FrameCache cache(3);
    cache.Open(path);
    QCOMPARE(scan.Count(), std::size_t(20));
    for (std::size_t i = 0; i < scan.Count(); ++i) {
        const auto frame = scan.Locate(*cache.Stream(), i);
        QVERIFY(frame);
        const player::FramePoints points = cache.Points(*frame);
        QCOMPARE(points->size(), std::size_t(3));
        QCOMPARE(int(points->at(2).x), -10000 + int(frame->index) * 100);
        QVERIFY(cache.Kept() <= 3);
    }
    // Decoded again after it was dropped: the same points.
    QCOMPARE(int(cache.Points(*scan.Locate(*cache.Stream(), 0))->at(2).x), -10000);
}

// Checkpoints thinned to a few, palettes changing between them: every frame
// is still found where the whole reading finds it, in the palette in effect.
void ReadingTest::indexStaysSmallAndFindsEveryFrame()
{
    ilda::SectionWriter file;
    ilda::Header header;
    for (int i = 0; i < 500; ++i) {
        if (i % 7 == 0)
            file.AddPalette(header, std::vector<ilda::Color>{ilda::Color(i), ilda::Color(i + 1)});
        header.format = i % 3 ? ilda::kFormat2dIndexed : ilda::kFormat3dTrueColor;
        header.number = std::uint16_t(i);
        file.AddFrame(header, std::vector<ilda::Point>(1 + i % 4, Lit(i, -i, 0, 1)));
    }
    file.AddEndMarker(header);
    rtl::TMemoryStream all(file.Bytes());
    const ilda::Contents whole = ilda::ReadAll(all);
    QCOMPARE(whole.frames.size(), std::size_t(500));

    player::FrameIndex index(8);
    for (const auto &frame : whole.frames)
        index.Add(frame.info);
    QCOMPARE(index.Count(), std::size_t(500));
    QVERIFY(index.Checkpoints() <= 8);
    QVERIFY(index.Stride() > player::FrameIndex::kFirstStride);

    rtl::TMemoryStream stream(file.Bytes());
    for (std::size_t i : {std::size_t(499), std::size_t(0), std::size_t(250), std::size_t(251), std::size_t(130)}) {
        const auto found = index.Locate(stream, i);
        QVERIFY(found);
        const ilda::FrameInfo &want = whole.frames[i].info;
        QCOMPARE(found->index, i);
        QCOMPARE(found->offset, want.offset);
        QCOMPARE(found->pointCount, want.pointCount);
        std::vector<ilda::Point> points(found->pointCount);
        ilda::DecodeFrame(stream, *found, points);
        QCOMPARE(points.back().color, whole.frames[i].points.back().color);
    }
    QVERIFY(!index.Locate(stream, 500));
}

// The frames kept after a located one are looked for only a little way on:
// 8 MB of palettes after frame 0 are not read to find frame 1 in advance,
// and frame 1 is still found when asked for.
void ReadingTest::locatingStaysNearTheFrame()
{
    const std::string path = dir_.File("apart.ild");
    playertest::WriteFramesApartByPalettes(path, 40);
    rtl::TFileStream stream(path, rtl::TFileMode::OpenRead);
    struct Adder : ilda::ReadHandler {
        explicit Adder(player::FrameIndex &index) : index(index) {}
        void OnFrame(const ilda::FrameInfo &frame, std::span<const ilda::Point>) override { index.Add(frame); }
        player::FrameIndex &index;
    };
    player::FrameIndex index;
    Adder adder(index);
    ilda::Read(stream, adder, {.points = false, .keep = 0, .keepPalettes = 0});
    QCOMPARE(index.Count(), std::size_t(2));
    const auto first = index.Locate(stream, 0);
    QVERIFY(first && first->pointCount == 5);
    QVERIFY2(stream.Position() < 3 * player::FrameIndex::kRunReach, std::to_string(stream.Position()).c_str());
    const auto second = index.Locate(stream, 1);
    QVERIFY(second && second->pointCount == 1);
    QVERIFY(second->offset > 40 * 65535 * 3);
}

// What cannot be opened, or would block the reading, says why.
void ReadingTest::unreadableSaysWhy()
{
    for (const auto &[name, why] : {std::pair{"missing.ild", "no such file"}, std::pair{".", "not a regular file"}}) {
        const auto problem = player::CheckReadable(dir_.File(name));
        QVERIFY2(problem && problem->find(why) != std::string::npos, problem.value_or("readable").c_str());
    }
    // Gone after the check: the scan says so at once, before anything is replaced.
    QVERIFY_THROWS_EXCEPTION(rtl::EFOpenError, player::FrameScan(dir_.File("missing.ild")));
}

void ReadingTest::findFrame_data()
{
    QTest::addColumn<QByteArray>("bytes"); // empty: three frames of a moving line
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("problem");
    QTest::newRow("last") << QByteArray() << 2 << "";
    QTest::newRow("past the last") << QByteArray() << 3 << "there is no frame 3; the file has 3 frames";
    QTest::newRow("not ILDA") << QByteArray("POINTS\n1 2\n") << 0 << "byte 0: not an ILDA file";
}

void ReadingTest::findFrame()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, index);
    QFETCH(QString, problem);
    const std::string path = dir_.File("find.ild");
    if (bytes.isEmpty())
        playertest::WriteMovingLine(path, 3);
    else
        testsupport::WriteFile(path, bytes.toStdString());
    rtl::TFileStream stream(path, rtl::TFileMode::OpenRead);
    const player::FoundFrame found = player::FindFrame(stream, std::size_t(index));
    QCOMPARE(found.frame.has_value(), problem.isEmpty());
    if (found.frame)
        QCOMPARE(found.frame->header.number, std::uint16_t(index));
    else
        QVERIFY2(QString::fromStdString(found.problem).startsWith(problem), found.problem.c_str());
}

using Action = player::Arguments::Action;
Q_DECLARE_METATYPE(Action)

void ReadingTest::arguments_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("size");
    QTest::newRow("a file") << QStringList{"show.ild"} << Action::Run << "show.ild" << 0 << 0;
    QTest::newRow("render as a thumbnailer calls it")
        << QStringList{"--render", "a.ild", "--frame", "3", "--size", "128", "-o", "t.png"} << Action::Render << "a.ild"
        << 3 << 128;
    QTest::newRow("frame past 16 bits") << QStringList{"--render", "a.ild", "--frame", "70000", "-o", "t.png"}
                                        << Action::Render << "a.ild" << 70000 << player::kDefaultRenderSize;
    QTest::newRow("render, default size") << QStringList{"--render", "a.ild", "-o", "t.png"} << Action::Render
                                          << "a.ild" << 0 << player::kDefaultRenderSize;
    QTest::newRow("help wins") << QStringList{"--render", "--help"} << Action::Help << "" << 0 << 0;
    QTest::newRow("render without output") << QStringList{"--render", "a.ild"} << Action::Error << "" << 0 << 0;
    QTest::newRow("size beyond the limit")
        << QStringList{"--render", "a.ild", "--size", "9000", "-o", "t.png"} << Action::Error << "" << 0 << 0;
    QTest::newRow("size not a number") << QStringList{"--render", "a.ild", "--size", "12px", "-o", "t.png"}
                                       << Action::Error << "" << 0 << 0;
    QTest::newRow("frame without render") << QStringList{"a.ild", "--frame", "2"} << Action::Error << "" << 0 << 0;
    QTest::newRow("option without its value") << QStringList{"--render"} << Action::Error << "" << 0 << 0;
    QTest::newRow("two files") << QStringList{"a.ild", "b.ild"} << Action::Error << "" << 0 << 0;
    QTest::newRow("dashed name after the end") << QStringList{"--", "--help"} << Action::Run << "--help" << 0 << 0;
}

void ReadingTest::arguments()
{
    QFETCH(QStringList, words);
    QFETCH(Action, action);
    std::vector<std::string> args;
    for (const QString &word : words)
        args.push_back(word.toStdString());
    const player::Arguments result = player::ParseArguments(args);
    QCOMPARE(result.action, action);
    QCOMPARE(result.problem.empty(), action != Action::Error);
    if (action == Action::Error)
        return;
    QTEST(QString::fromStdString(result.file), "file");
    QTEST(result.frame, "frame");
    QTEST(result.size, "size");
}

QTEST_GUILESS_MAIN(ReadingTest)
#include "tst_player_reading.moc"
