// Output, Projector: the setup dialog's corners and zones dragged with the
// pointer, its sliders, Save, files refused on load, and the Output menu
// sending every frame through the projector's stage.
#include "PlayerFiles.h"
#include "TempDir.h"
#include "player/OutputMenu.h"
#include "player/ProjectorCanvas.h"
#include "player/ProjectorMenu.h"
#include "player/ProjectorSetupDialog.h"
#include "projector/Stage.h"
#include "toolkit/Dialogs.h"
#include "toolkit/MessageBoxes.h"

#include <QMainWindow>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QtTest>

#include <fstream>

namespace {

projector::Setup WithZone()
{
    projector::Setup setup;
    setup.zones.push_back(
        {projector::ZoneKind::Blank, 0, {{-8000, -8000}, {8000, -8000}, {8000, 8000}, {-8000, 8000}}});
    return setup;
}

std::shared_ptr<const std::vector<ilda::Point>> Square()
{
    using playertest::Lit;
    return std::make_shared<const std::vector<ilda::Point>>(std::vector<ilda::Point>{
        Lit(-10000, -10000), Lit(10000, -10000, ilda::Rgb(255, 0, 0)), Lit(10000, 10000, ilda::Rgb(0, 255, 0)),
        Lit(-10000, 10000, ilda::Rgb(0, 0, 255)), Lit(-10000, -10000)});
}

bool Same(const std::vector<ilda::Point> &a, const std::vector<ilda::Point> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const ilda::Point &p, const ilda::Point &q) {
        return p.x == q.x && p.y == q.y && p.z == q.z && p.status == q.status && p.color == q.color;
    });
}

void WriteText(const std::string &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace

class TestPlayerProjector : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void dragMovesAHandleByTheDraggedAmount_data();
    void dragMovesAHandleByTheDraggedAmount();
    void slidersSetTheSetupAndTheStage_data();
    void slidersSetTheSetupAndTheStage();
    void saveWritesWhatLoadReads();
    void aRefusedFileIsToldWithItsKey_data();
    void aRefusedFileIsToldWithItsKey();
    void framesSentGoThroughTheStage();

private:
    testsupport::TempDir dir_{"lumivex-player-projector"};
    testsupport::TempDir settings_{"lumivex-player-projector-settings"};
};

void TestPlayerProjector::initTestCase()
{
    // The chosen projector is kept here, never in the user's own settings.
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(settings_.Path()));
}

void TestPlayerProjector::dragMovesAHandleByTheDraggedAmount_data()
{
    QTest::addColumn<int>("zone"); // -1: the keystone
    QTest::addColumn<int>("index");
    QTest::addColumn<QPoint>("by"); // pixels
    QTest::addColumn<bool>("taken");
    QTest::newRow("keystone bottom-left in") << -1 << 0 << QPoint(30, -20) << true;
    QTest::newRow("keystone top-right in") << -1 << 2 << QPoint(-25, 40) << true;
    QTest::newRow("keystone top-left out, held at the edge") << -1 << 3 << QPoint(-40, 10) << true;
    QTest::newRow("zone corner") << 0 << 1 << QPoint(15, 12) << true;
    // Past the opposite corner: the keystone would fold over.
    QTest::newRow("keystone folded") << -1 << 0 << QPoint(390, -390) << false;
    QTest::newRow("zone crossing itself") << 0 << 0 << QPoint(200, -60) << false;
}

void TestPlayerProjector::dragMovesAHandleByTheDraggedAmount()
{
    QFETCH(int, zone);
    QFETCH(int, index);
    QFETCH(QPoint, by);
    QFETCH(bool, taken);
    player::ProjectorSetupDialog dialog;
    dialog.SetSetup(WithZone(), QString::fromStdString(dir_.File("drag.json")));
    dialog.SetFrame(Square());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    player::ProjectorCanvas *canvas = dialog.Canvas();
    const auto pointOf = [&](const projector::Setup &s) {
        return zone < 0 ? s.geometry.keystone[std::size_t(index)]
                        : s.zones[std::size_t(zone)].points[std::size_t(index)];
    };
    const projector::Point2 start = pointOf(dialog.Setup());
    QSignalSpy painted(canvas, &player::ScannerView::Painted);
    QSignalSpy changed(&dialog, &player::ProjectorSetupDialog::SetupChanged);

    // Pressed a little off the corner: within the hit radius it is still taken.
    const QPoint at = canvas->ToWidget(start).toPoint() + QPoint(2, -2);
    QTest::mousePress(canvas, Qt::LeftButton, {}, at);
    QTest::mouseMove(canvas, at + by / 2);
    QTest::mouseMove(canvas, at + by);
    // The value is shown while dragging.
    const projector::Point2 held = pointOf(dialog.Setup());
    QVERIFY2(dialog.StatusText().endsWith(QStringLiteral(": %1, %2").arg(held.x).arg(held.y)),
             qPrintable(dialog.StatusText()));
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, at + by);

    const projector::Point2 end = pointOf(dialog.Setup());
    const double perPixel = 65535.0 / (std::min(canvas->width(), canvas->height()) - 1);
    const auto expect = [&](double from, double pixels) {
        return std::clamp(from + pixels * perPixel, -projector::kEdge, projector::kEdge);
    };
    const double offX = std::abs(end.x - expect(start.x, by.x())), offY = std::abs(end.y - expect(start.y, -by.y()));
    if (!taken) {
        // The last move the rules allow stays; the one past it is not taken.
        QVERIFY(projector::CheckSetup(dialog.Setup()));
        QVERIFY(offX > 1000 || offY > 1000);
        return;
    }
    QVERIFY2(offX <= 1 && offY <= 1, qPrintable(QStringLiteral("%1, %2").arg(end.x).arg(end.y)));
    QVERIFY(end == pointOf(dialog.Stage().GetSetup()));
    QVERIFY(changed.count() >= 1);
    QTRY_VERIFY(painted.count() >= 1); // drawn again through the new stage
    QVERIFY(dialog.StatusText().isEmpty());
}

void TestPlayerProjector::slidersSetTheSetupAndTheStage_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("value");
    QTest::addColumn<double>("expected");
    QTest::addColumn<double>("most"); // the range CheckSetup holds it to
    QTest::newRow("brightness") << "brightness" << 655 << 65.5 << projector::kMostBrightness;
    QTest::newRow("red gain") << "gain.red" << 800 << 0.8 << projector::kMostGain;
    QTest::newRow("blue minimum") << "min.blue" << 125 << 0.125 << projector::kMostMin;
    QTest::newRow("green delay") << "delay.green" << 120 << 120.0 << scan::kMostColorDelay;
    QTest::newRow("past the top is held at it") << "gain.green" << 5000 << 1.0 << projector::kMostGain;
}

void TestPlayerProjector::slidersSetTheSetupAndTheStage()
{
    QFETCH(QString, name);
    QFETCH(int, value);
    QFETCH(double, expected);
    QFETCH(double, most);
    player::ProjectorSetupDialog dialog;
    dialog.SetSetup(projector::Setup{}, QString::fromStdString(dir_.File("sliders.json")));
    QSlider *slider = dialog.Slider(name);
    QVERIFY(slider);
    QCOMPARE(slider->minimum(), 0);
    QSignalSpy changed(&dialog, &player::ProjectorSetupDialog::SetupChanged);
    slider->setValue(slider->maximum());
    QVERIFY(projector::CheckSetup(dialog.Setup())); // its top is a value the rules take
    changed.clear();
    slider->setValue(value);

    const projector::Setup &s = dialog.Setup();
    const double got = name == "brightness"   ? s.color.brightness
                       : name == "gain.red"   ? s.color.channels[0].gain
                       : name == "gain.green" ? s.color.channels[1].gain
                       : name == "min.blue"   ? s.color.channels[2].min
                                              : s.scanner.colorDelay[1];
    QCOMPARE(got, expected);
    QCOMPARE(changed.count(), expected == most ? 0 : 1);
    if (!changed.isEmpty())
        QVERIFY(changed.last().at(0).value<projector::Setup>() == s);
    QVERIFY(dialog.Stage().GetSetup() == s);
    QVERIFY(projector::CheckSetup(s));
}

void TestPlayerProjector::saveWritesWhatLoadReads()
{
    const std::string path = dir_.File("saved.json");
    player::ProjectorSetupDialog dialog;
    dialog.SetSetup(WithZone(), QString::fromStdString(path));
    dialog.show(); // nothing on show yet: drawn empty
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.Slider(QStringLiteral("min.red"))->setValue(100);
    dialog.Slider(QStringLiteral("delay.blue"))->setValue(90);
    QVERIFY(dialog.windowTitle().endsWith(QStringLiteral(" *"))); // edited, not yet saved
    QVERIFY(dialog.Save());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Projector setup: saved.json"));
    const auto loaded = projector::LoadSetup(path);
    QVERIFY2(loaded, loaded ? "" : loaded.message().c_str());
    QVERIFY(*loaded == dialog.Setup());
    QCOMPARE(loaded->color.channels[0].min, 0.1);

    // A folder that is not there: the save says why.
    dialog.SetSetup(*loaded, QString::fromStdString(dir_.File("missing/p.json")));
    QVERIFY(!dialog.Save());
    QVERIFY(dialog.StatusText().startsWith(QStringLiteral("not saved: ")));
    QVERIFY(dialog.StatusText().contains(QStringLiteral("missing")));
}

void TestPlayerProjector::aRefusedFileIsToldWithItsKey_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");
    QTest::newRow("brightness") << R"({"version": 1, "color": {"brightness": 150}})"
                                << "color.brightness";
    QTest::newRow("folded keystone") << R"({"version": 1, "geometry": {"keystone": [[0,0],[100,0],[0,100],[100,100]]}})"
                                     << "geometry.keystone";
    QTest::newRow("zone crossing itself")
        << R"({"version": 1, "zones": [{"kind": "blank", "points": [[0,0],[100,100],[100,0],[0,100]]}]})"
        << "zones[0].points";
    QTest::newRow("gain") << R"({"version": 1, "color": {"red": {"gain": -1}}})"
                          << "color.red.gain";
}

void TestPlayerProjector::aRefusedFileIsToldWithItsKey()
{
    QFETCH(QString, text);
    QFETCH(QString, key);
    const std::string good = dir_.File("good.json"), bad = dir_.File("bad.json");
    QVERIFY(projector::SaveSetup(WithZone(), good, good, rtl::TSaveFileStream::TExisting::Replace));
    WriteText(bad, text.toStdString());
    QMainWindow window;
    player::OutputMenu output(&window);
    player::ProjectorMenu *menu = output.Projector();
    QVERIFY(menu->Choose(QString::fromStdString(good)));

    toolkit::TMessageBoxRecorder boxes;
    QVERIFY(!menu->Choose(QString::fromStdString(bad)));
    const QStringList errors = boxes.Texts(toolkit::TMessageKind::Error);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains(QStringLiteral("bad.json: ") + key + QStringLiteral(": ")), qPrintable(errors[0]));
    // The projector chosen before stays.
    QVERIFY(menu->Current() && *menu->Current() == WithZone());
    QCOMPARE(menu->FileName(), QString::fromStdString(good));

    // Refused at the next start: told in the status bar, no projector taken.
    QSettings(QStringLiteral("Lumivex"), QStringLiteral("lumivex-player"))
        .setValue(QStringLiteral("projectorFile"), QString::fromStdString(bad));
    QMainWindow next;
    player::OutputMenu restarted(&next);
    QVERIFY(!restarted.Projector()->Current());
    QVERIFY2(restarted.StatusText().startsWith(QStringLiteral("no projector: ")) &&
                 restarted.StatusText().contains(QStringLiteral("bad.json: ") + key),
             qPrintable(restarted.StatusText()));
}

void TestPlayerProjector::framesSentGoThroughTheStage()
{
    const std::string path = dir_.File("stage.json");
    projector::Setup setup = WithZone();
    setup.geometry.keystone[2] = {26000, 30000};
    setup.color.channels[1].gain = 0.5;
    QVERIFY(projector::SaveSetup(setup, path, path, rtl::TSaveFileStream::TExisting::Replace));
    const auto frame = Square();
    {
        QMainWindow window;
        player::OutputMenu output(&window);
        output.SetFrame(frame);
        const auto plain = output.NextFrame();
        // Chosen through the Open dialog, answered here.
        auto previous = toolkit::SetFileDialogHook(
            [&](const toolkit::TFileDialogRequest &) { return std::optional(QString::fromStdString(path)); });
        output.Projector()->ChooseFile();
        toolkit::SetFileDialogHook(previous);
        QVERIFY(Same(output.NextFrame(), projector::OutputStage(setup).Apply(*frame)));
        QVERIFY(!Same(output.NextFrame(), plain));

        // An edit in the dialog reaches what is sent next.
        player::ProjectorSetupDialog *dialog = output.Projector()->Dialog();
        QVERIFY(dialog->isVisible());
        dialog->Slider(QStringLiteral("brightness"))->setValue(400);
        QCOMPARE(dialog->Setup().color.brightness, 40.0);
        QVERIFY(Same(output.NextFrame(), dialog->Stage().Apply(*frame)));
        dialog->close();
    }
    // Remembered: the next window starts with it.
    QMainWindow window;
    player::OutputMenu output(&window);
    QCOMPARE(output.Projector()->FileName(), QString::fromStdString(path));
    output.SetFrame(frame);
    QVERIFY(Same(output.NextFrame(), projector::OutputStage(setup).Apply(*frame)));
    output.Projector()->Clear();
    QVERIFY(!Same(output.NextFrame(), projector::OutputStage(setup).Apply(*frame)));
}

QTEST_MAIN(TestPlayerProjector)
#include "tst_player_projector.moc"
