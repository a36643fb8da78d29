// The Output menu against Ether Dream emulators on loopback: off at start,
// the frame on show streamed while on, off by itself when the only DAC goes
// away; a profile change takes its rate without a new connection; several
// DACs ticked play together, and an emergency stop on one stops them all.
#include "TempDir.h"
#include "emulator/Emulator.h"
#include "player/OutputMenu.h"
#include "player/ProjectorMenu.h"
#include "player/ProjectorSetupDialog.h"

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QSettings>
#include <QSlider>
#include <QtTest>

class TestPlayerOutput : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void streamsTheFrameOnShowAndTurnsOffOnLoss();
    void aProjectorsStageReachesTheDac();
    void findsALaserCubeOnThisComputerAndTakesATypedTarget();
    void playsToEveryTickedDacAndResumesALostOne();
    void anEmergencyStopOnOneTurnsOutputOffForAll();
    void ticksChangedWhileOnTakeEffectAndTypedDacsStay();

private:
    testsupport::TempDir dir_{"lumivex-player-output"};
};

void TestPlayerOutput::initTestCase()
{
    // A projector chosen is kept here, never in the user's own settings.
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(dir_.File("settings")));
}

void TestPlayerOutput::streamsTheFrameOnShowAndTurnsOffOnLoss()
{
    emu::EmulatorOptions options;
    options.broadcastTo.clear();
    options.keep = true;
    auto emulator = std::make_unique<emu::Emulator>(options);
    std::string problem;
    QVERIFY2(emulator->Start(problem), problem.c_str());

    QMainWindow window;
    player::OutputMenu output(&window);
    QVERIFY(!output.LaserAction()->isChecked());
    QVERIFY(!output.LaserAction()->isEnabled()); // no DAC yet

    dac::FoundDac found;
    found.name = "emulator";
    found.address = "127.0.0.1";
    found.port = emulator->Port();
    found.capacity = 1800;
    found.maxRate = 100000;
    output.SetDacs({found});
    auto frame = std::make_shared<std::vector<ilda::Point>>(50);
    for (std::size_t i = 0; i < frame->size(); ++i) {
        (*frame)[i].x = static_cast<std::int16_t>(i * 300);
        (*frame)[i].color = ilda::Rgb(0, 255, 0);
    }
    output.SetFrame(frame);
    QTest::qWait(100);
    QCOMPARE(emulator->Figures().connections, 0u); // nothing before the switch

    output.LaserAction()->setChecked(true);
    QVERIFY(output.OutputOn());
    QTRY_VERIFY_WITH_TIMEOUT(emulator->Figures().pointsPlayed > 3000, 5000);
    const auto recording = emulator->Recording();
    // The frame on show, prepared for the scanner: green along its line.
    QVERIFY(std::any_of(recording.front().begin(), recording.front().end(), [](const ilda::Point &p) {
        return p.x > 0 && p.x < 49 * 300 && p.y == 0 && p.color == ilda::Rgb(0, 255, 0);
    }));
    QVERIFY(output.StatusText().contains(QStringLiteral("underflows 0")));

    // Another profile: its rate from the next frame on, on the same connection.
    const auto actions = window.findChildren<QAction *>();
    const auto slower = std::find_if(actions.begin(), actions.end(),
                                     [](const QAction *a) { return a->text() == QStringLiteral("ilda-12k"); });
    QVERIFY(slower != actions.end());
    (*slower)->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(emulator->Figures().rate, 12000.0, 5000);
    QCOMPARE(emulator->Figures().connections, 1u);
    QVERIFY(output.OutputOn());
    QTRY_VERIFY_WITH_TIMEOUT(output.StatusText().contains(QStringLiteral("12000 pts/s")), 5000);

    emulator.reset(); // the DAC goes away
    QTRY_VERIFY_WITH_TIMEOUT(!output.OutputOn(), 5000);
    QVERIFY(!output.LaserAction()->isChecked());
    QVERIFY(output.StatusText().startsWith(QStringLiteral("laser output off")));
}

namespace {

// The points the DAC received hold frame whole, in order.
bool Received(const emu::Emulator &emulator, const std::vector<ilda::Point> &frame)
{
    std::vector<ilda::Point> all;
    for (const auto &part : emulator.Recording())
        all.insert(all.end(), part.begin(), part.end());
    return std::search(all.begin(), all.end(), frame.begin(), frame.end(),
                       [](const ilda::Point &a, const ilda::Point &b) {
                           return a.x == b.x && a.y == b.y && a.color == b.color;
                       }) != all.end();
}

} // namespace

void TestPlayerOutput::aProjectorsStageReachesTheDac()
{
    emu::EmulatorOptions options;
    options.broadcastTo.clear();
    options.keep = true;
    emu::Emulator emulator(options);
    std::string problem;
    QVERIFY2(emulator.Start(problem), problem.c_str());
    const std::string path = dir_.File("stage.json");
    projector::Setup setup;
    setup.geometry.keystone[0] = {-30000, -26000};
    setup.scanner = *scan::FindProfile("ilda-12k");
    QVERIFY(projector::SaveSetup(setup, path, path, rtl::TSaveFileStream::TExisting::Replace));

    QMainWindow window;
    player::OutputMenu output(&window);
    dac::FoundDac found;
    found.name = "emulator";
    found.address = "127.0.0.1";
    found.port = emulator.Port();
    found.capacity = 1800;
    found.maxRate = 100000;
    output.SetDacs({found});
    auto frame = std::make_shared<std::vector<ilda::Point>>(40);
    for (std::size_t i = 0; i < frame->size(); ++i) {
        (*frame)[i].x = static_cast<std::int16_t>(i * 500 - 10000);
        (*frame)[i].y = static_cast<std::int16_t>(i * 250);
        (*frame)[i].color = ilda::Rgb(255, 200, 100);
    }
    output.SetFrame(frame);
    QVERIFY(output.Projector()->Choose(QString::fromStdString(path)));
    output.LaserAction()->setChecked(true);
    QVERIFY(output.OutputOn());
    QTRY_VERIFY_WITH_TIMEOUT(Received(emulator, projector::OutputStage(setup).Apply(*frame)), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(emulator.Figures().rate, 12000.0, 5000); // the projector's scanner

    // A slider moved while the laser is on: the sender takes it for its next frame.
    output.Projector()->EditSetup();
    player::ProjectorSetupDialog *dialog = output.Projector()->Dialog();
    const std::uint64_t before = output.FramesTaken();
    dialog->Slider(QStringLiteral("gain.red"))->setValue(300);
    const auto corrected = dialog->Stage().Apply(*frame);
    QTRY_VERIFY_WITH_TIMEOUT(output.FramesTaken() > before + 1, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(Received(emulator, corrected), 5000);
    QCOMPARE(emulator.Figures().connections, 1u);
    output.SetOutput(false);
}

void TestPlayerOutput::findsALaserCubeOnThisComputerAndTakesATypedTarget()
{
    emu::EmulatorOptions options;
    options.kind = dac::Kind::LaserCube;
    options.name = "desk cube";
    options.capacity = 6000;
    options.keep = true;
    emu::Emulator cube(options); // on its own ports: the search asks 127.0.0.1 at them
    std::string problem;
    QVERIFY2(cube.Start(problem), problem.c_str());

    QMainWindow window;
    player::OutputMenu output(&window);
    QVERIFY(!output.AddTarget(QStringLiteral("lasercube")).isEmpty());
    QVERIFY(!output.LaserAction()->isEnabled());

    output.FindDacsHere();
    QTRY_VERIFY_WITH_TIMEOUT(output.LaserAction()->isEnabled(), 5000);
    const auto actions = window.findChildren<QAction *>();
    QVERIFY(std::any_of(actions.begin(), actions.end(), [](const QAction *a) {
        return a->text().startsWith(QStringLiteral("desk cube")) &&
               a->text().endsWith(QStringLiteral("lasercube:127.0.0.1"));
    }));

    // A typed target is added and chosen.
    QVERIFY(output.AddTarget(QStringLiteral("lasercube:127.0.0.1:45457")).isEmpty());
    const auto menu = window.findChildren<QAction *>();
    QCOMPARE(std::count_if(menu.begin(), menu.end(),
                           [](const QAction *a) { return a->isChecked() && a->text().startsWith("typed"); }),
             1);
    auto frame = std::make_shared<std::vector<ilda::Point>>(40);
    for (std::size_t i = 0; i < frame->size(); ++i) {
        (*frame)[i].x = static_cast<std::int16_t>(i * 320);
        (*frame)[i].color = ilda::Rgb(255, 0, 0);
    }
    output.SetFrame(frame);
    output.LaserAction()->setChecked(true);
    QTRY_VERIFY_WITH_TIMEOUT(cube.Figures().pointsPlayed > 3000, 5000);
    QVERIFY(output.StatusText().startsWith(QStringLiteral("lasercube:127.0.0.1  ")));
    const auto recording = cube.Recording();
    QVERIFY(std::any_of(recording.front().begin(), recording.front().end(),
                        [](const ilda::Point &p) { return p.x > 0 && p.color == ilda::Rgb(255, 0, 0); }));
    output.SetOutput(false);
    QVERIFY(!output.OutputOn());
}

namespace {

// An Ether Dream emulator on a free port, keeping what it receives.
std::unique_ptr<emu::Emulator> StartEmulator(double dropAfter = -1, double estopAfter = -1)
{
    emu::EmulatorOptions options;
    options.anyPort = true;
    options.broadcastTo.clear();
    options.keep = true;
    options.dropAfter = dropAfter;
    options.estopAfter = estopAfter;
    auto emulator = std::make_unique<emu::Emulator>(options);
    std::string problem;
    if (!emulator->Start(problem))
        qWarning("%s", problem.c_str());
    return emulator;
}

dac::FoundDac Found(const emu::Emulator &emulator, const std::string &name)
{
    dac::FoundDac found;
    found.name = name;
    found.address = "127.0.0.1";
    found.port = emulator.Port();
    found.capacity = 1800;
    found.maxRate = 100000;
    return found;
}

QAction *ActionNamed(const QMainWindow &window, const QString &start)
{
    const auto actions = window.findChildren<QAction *>();
    const auto it = std::find_if(actions.begin(), actions.end(),
                                 [&start](const QAction *a) { return a->text().startsWith(start); });
    return it == actions.end() ? nullptr : *it;
}

// The menu with a green line on show, its DACs the emulators' (the first ticked).
void ShowLine(player::OutputMenu &output, std::shared_ptr<std::vector<ilda::Point>> &frame)
{
    frame = std::make_shared<std::vector<ilda::Point>>(60);
    for (std::size_t i = 0; i < frame->size(); ++i) {
        (*frame)[i].x = static_cast<std::int16_t>(i * 400 - 12000);
        (*frame)[i].y = static_cast<std::int16_t>(i * 100);
        (*frame)[i].color = ilda::Rgb(0, 255, 0);
    }
    output.SetFrame(frame);
}

} // namespace

void TestPlayerOutput::playsToEveryTickedDacAndResumesALostOne()
{
    auto left = StartEmulator();
    auto right = StartEmulator(1.0); // drops its connection a second in, for a second
    auto spare = StartEmulator();
    QVERIFY(left->Port() && right->Port() && spare->Port());
    QMainWindow window;
    player::OutputMenu output(&window);
    output.Projector()->Clear();                            // an earlier test's, kept in the settings
    ActionNamed(window, QStringLiteral("none"))->trigger(); // the frames as they are
    output.SetDacs({Found(*left, "left"), Found(*right, "right")});
    QCOMPARE(output.TickedDacs().size(), 1u); // the first, as ever
    ActionNamed(window, QStringLiteral("right"))->trigger();
    QCOMPARE(output.TickedDacs().size(), 2u);

    // Another search, in another order and with a DAC more: the ticks stay with their DACs.
    output.SetDacs({Found(*spare, "spare"), Found(*right, "right"), Found(*left, "left")});
    const auto ticked = output.TickedDacs();
    QCOMPARE(ticked.size(), 2u);
    QCOMPARE(ticked[0].port, right->Port());
    QCOMPARE(ticked[1].port, left->Port());

    std::shared_ptr<std::vector<ilda::Point>> frame;
    ShowLine(output, frame);
    output.LaserAction()->setChecked(true);
    QVERIFY(output.OutputOn());
    QTRY_VERIFY_WITH_TIMEOUT(Received(*left, *frame) && Received(*right, *frame), 5000);
    QCOMPARE(spare->Figures().connections, 0u);
    QVERIFY2(output.StatusText().startsWith(QStringLiteral("2 DACs at 30000 pts/s; buffers ")),
             qPrintable(output.StatusText()));
    const QString details = window.findChild<QLabel *>(QStringLiteral("outputStatus"))->toolTip();
    QVERIFY2(details.contains(QString::fromStdString(ticked[0].Target())) &&
                 details.contains(QString::fromStdString(ticked[1].Target())),
             qPrintable(details));

    // The right one's loss is told by its name, while the left plays on.
    const QString away = QStringLiteral("not playing: ") + QString::fromStdString(ticked[0].Target());
    QTRY_VERIFY_WITH_TIMEOUT(output.StatusText().contains(away), 5000);
    // The right one comes back after its loss; the left plays on, on its first connection.
    QTRY_VERIFY_WITH_TIMEOUT(right->Figures().connections >= 2 && right->Figures().playing, 8000);
    QVERIFY(output.OutputOn());
    QCOMPARE(left->Figures().connections, 1u);
    const std::uint64_t before = left->Figures().pointsPlayed;
    QTRY_VERIFY_WITH_TIMEOUT(left->Figures().pointsPlayed > before + 3000, 5000);

    output.SetOutput(false);
    QVERIFY(!output.OutputOn());
    QTRY_VERIFY_WITH_TIMEOUT(!left->Figures().playing && !right->Figures().playing, 5000);
    QCOMPARE(output.StatusText(), QStringLiteral("laser output off"));
}

void TestPlayerOutput::anEmergencyStopOnOneTurnsOutputOffForAll()
{
    auto calm = StartEmulator();
    auto stopping = StartEmulator(-1, 0.8);
    QMainWindow window;
    player::OutputMenu output(&window);
    output.SetDacs({Found(*calm, "calm"), Found(*stopping, "stopping")});
    ActionNamed(window, QStringLiteral("stopping"))->trigger();
    std::shared_ptr<std::vector<ilda::Point>> frame;
    ShowLine(output, frame);
    QSignalSpy changes(&output, &player::OutputMenu::OutputChanged);
    output.LaserAction()->setChecked(true);
    QTRY_VERIFY_WITH_TIMEOUT(calm->Figures().playing, 5000);

    QTRY_VERIFY_WITH_TIMEOUT(!output.OutputOn(), 8000);
    QVERIFY(!output.LaserAction()->isChecked());
    QCOMPARE(changes.size(), 2);
    QCOMPARE(changes.last().first().toBool(), false);
    const QString status = output.StatusText();
    QVERIFY2(status.startsWith(QStringLiteral("EMERGENCY STOP: ")) &&
                 status.contains(QString::fromStdString(Found(*stopping, "").Target())) &&
                 status.contains(QStringLiteral("every DAC was stopped")),
             qPrintable(status));
    QVERIFY(ActionNamed(window, QStringLiteral("&Clear emergency stop"))->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!calm->Figures().playing, 5000); // the other one was stopped too
}

void TestPlayerOutput::ticksChangedWhileOnTakeEffectAndTypedDacsStay()
{
    auto first = StartEmulator();
    auto second = StartEmulator();
    QMainWindow window;
    player::OutputMenu output(&window);
    output.SetDacs({Found(*first, "first")});
    std::shared_ptr<std::vector<ilda::Point>> frame;
    ShowLine(output, frame);
    output.LaserAction()->setChecked(true);
    QTRY_VERIFY_WITH_TIMEOUT(first->Figures().playing, 5000);

    // A DAC added by address while on joins the output; the same address again adds nothing.
    const QString typed = QStringLiteral("etherdream:127.0.0.1:%1").arg(second->Port());
    QVERIFY(output.AddTarget(typed).isEmpty());
    QVERIFY(output.AddTarget(typed).isEmpty());
    QCOMPARE(output.TickedDacs().size(), 2u);
    QVERIFY(output.OutputOn());
    QTRY_VERIFY_WITH_TIMEOUT(second->Figures().playing && first->Figures().playing, 5000);

    // A search that does not find them (they announce nowhere) keeps both, ticked.
    output.FindDacsHere();
    QTRY_VERIFY_WITH_TIMEOUT(!output.StatusText().startsWith(QStringLiteral("looking")), 10000);
    const auto ticked = output.TickedDacs();
    QCOMPARE(ticked.size(), 2u);
    QCOMPARE(ticked[0].name, std::string("first"));
    QCOMPARE(QString::fromStdString(ticked[1].name + " " + ticked[1].Target()), QStringLiteral("typed ") + typed);

    // Every tick taken away: the output goes off.
    for (QAction *a : window.findChildren<QAction *>())
        if (a->isChecked() && a->text().contains(QStringLiteral("127.0.0.1:")))
            a->trigger();
    QVERIFY(output.TickedDacs().empty());
    QVERIFY(!output.OutputOn());
    QVERIFY(!output.LaserAction()->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!first->Figures().playing && !second->Figures().playing, 5000);
}

QTEST_MAIN(TestPlayerOutput)
#include "tst_player_output.moc"
