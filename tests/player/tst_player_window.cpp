// The player's window as a user drives it: the frame slider, the keys, the
// facts of the frame, files it cannot show, the file list and the View menu.
#include "FileBytes.h"
#include "PlayerFiles.h"
#include "TempDir.h"
#include "player/FrameIndex.h"
#include "player/PaletteView.h"
#include "player/PlayerWindow.h"
#include "widgets/CZelkScrollBar.h"

#include <QDockWidget>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

#include <filesystem>

#include <unistd.h>

using playertest::Dark;
using playertest::Lit;

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void opensPausedOnTheFirstFrame();
    void keys_data();
    void keys();
    void slider();
    void spacePlaysAndPauses();
    void unreadableFileKeepsTheOneShown();
    void notIldaSaysWhy();
    void paletteInEffect();
    void exportsTheFrameShown();
    void droppedFileOpens();
    void fileCutShortIsReadAgain();
    void nameOfAnyBytesOpens();
    void ctrlGGoesToAFrame();
    void playButtonKeepsItsWidth();
    void folderOpensAsAList();
    void playsTheFilesInTurn();
    void openRecentRemembers();
    void fullScreenAndProjection();
    void paletteShowsTheEntriesUsed();
    void statusCountsSkippedFrames();
    void quitsWithoutReadingOnTheWindowsThread();

private:
    QString Label(const char *name) const { return window_->findChild<QLabel *>(name)->text(); }
    void Open(const std::string &path);
    QAction *MenuEntry(const QString &menu, const QString &entry) const;

    testsupport::TempDir dir_{"lumivex-player-window"};
    testsupport::TempDir settings_{"lumivex-player-settings"};
    std::unique_ptr<player::PlayerWindow> window_;
};

void WindowTest::initTestCase()
{
    // Open Recent keeps its list here, never in the user's own settings.
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(settings_.Path()));
}

void WindowTest::init()
{
    window_ = std::make_unique<player::PlayerWindow>();
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    playertest::WriteMovingLine(dir_.File("line.ild"), 30);
    Open(dir_.File("line.ild"));
}

void WindowTest::cleanup()
{
    window_.reset();
}

void WindowTest::Open(const std::string &path)
{
    QSignalSpy finished(window_.get(), &player::PlayerWindow::ScanFinished);
    QVERIFY(window_->OpenFile(QString::fromStdString(path)));
    QVERIFY(finished.wait(10000));
}

QAction *WindowTest::MenuEntry(const QString &menu, const QString &entry) const
{
    for (QAction *top : window_->menuBar()->actions()) {
        if (top->text().remove('&') != menu)
            continue;
        for (QAction *a : top->menu()->actions()) {
            if (a->text().remove('&').startsWith(entry))
                return a;
        }
    }
    return nullptr;
}

void WindowTest::opensPausedOnTheFirstFrame()
{
    // On show as soon as the scan finds it, before the points are checked.
    bool shownWhileReading = false;
    connect(window_.get(), &player::PlayerWindow::FrameShown, this, [&] {
        if (!window_->ScanDone())
            shownWhileReading = true;
    });
    Open(dir_.File("line.ild"));
    QVERIFY(shownWhileReading);
    QVERIFY(!window_->Playing());
    QCOMPARE(Label("frameValue"), "Frame 1 of 30");
    QCOMPARE(Label("numberValue"), "0 of 30"); // the header's own numbering
    QCOMPARE(Label("nameValue"), "f0");
    QCOMPARE(Label("formatValue"), "5 (2D, true colour)");
    QCOMPARE(Label("pointsValue"), "3");
    QVERIFY(window_->StatusText().contains("30 frames"));
}

void WindowTest::keys_data()
{
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("frame");
    QTest::newRow("right right left") << QList<int>{Qt::Key_Right, Qt::Key_Right, Qt::Key_Left} << 1;
    QTest::newRow("end then right stays") << QList<int>{Qt::Key_End, Qt::Key_Right} << 29;
    QTest::newRow("end then home") << QList<int>{Qt::Key_End, Qt::Key_Home} << 0;
    QTest::newRow("page down on the slider") << QList<int>{Qt::Key_PageDown} << 10;
}

void WindowTest::keys()
{
    QFETCH(QList<int>, keys);
    for (int key : keys)
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window_.get(), Qt::Key(key));
    QTEST(int(window_->CurrentFrame()), "frame");
    QCOMPARE(window_->Slider()->Position(), int(window_->CurrentFrame()));
    QCOMPARE(Label("nameValue"), QStringLiteral("f%1").arg(window_->CurrentFrame()));
}

// The arrow steps, the thumb dragged to the end reaches the last frame.
void WindowTest::slider()
{
    TZelkScrollBar *bar = window_->Slider();
    QTest::mouseClick(bar->ButtonDown, Qt::LeftButton);
    QCOMPARE(window_->CurrentFrame(), std::size_t(1));
    TSetac *thumb = bar->Scroller->Setac;
    const QPoint grip(thumb->width() / 2, thumb->height() / 2);
    const QPoint end = grip + QPoint(bar->width(), 0);
    QTest::mousePress(thumb, Qt::LeftButton, {}, grip);
    QTest::mouseMove(thumb, end);
    QTest::mouseRelease(thumb, Qt::LeftButton, {}, end);
    QCOMPARE(window_->CurrentFrame(), std::size_t(29));
    QCOMPARE(Label("frameValue"), "Frame 30 of 30");
}

void WindowTest::spacePlaysAndPauses()
{
    QTest::keyClick(window_.get(), Qt::Key_Space);
    QVERIFY(window_->Playing());
    QTRY_VERIFY_WITH_TIMEOUT(window_->CurrentFrame() > 0, 5000);
    QTest::keyClick(window_.get(), Qt::Key_Space);
    QVERIFY(!window_->Playing());
}

void WindowTest::unreadableFileKeepsTheOneShown()
{
    QVERIFY(!window_->OpenFile(QString::fromStdString(dir_.File("missing.ild"))));
    QVERIFY(window_->StatusText().contains("missing.ild"));
    QCOMPARE(window_->FrameCount(), std::size_t(30));
    QTest::keyClick(window_.get(), Qt::Key_Right);
    QCOMPARE(window_->CurrentFrame(), std::size_t(1));
}

void WindowTest::notIldaSaysWhy()
{
    const std::string path = dir_.File("points.dat");
    testsupport::WriteFile(path, "not a laser file at all, but long enough for a header");
    Open(path);
    QCOMPARE(window_->FrameCount(), std::size_t(0));
    QVERIFY2(window_->StatusText().contains("not an ILDA file"), qPrintable(window_->StatusText()));
}

void WindowTest::paletteInEffect()
{
    const std::string path = dir_.File("palette.ild");
    playertest::WriteIlda(path, ilda::kFormat3dIndexed, {{Dark(0, 0), Lit(10, 10, 0, 1)}},
                          std::vector<ilda::Color>{0, ilda::Rgb(255, 0, 0), ilda::Rgb(0, 255, 0)});
    Open(path);
    QCOMPARE(Label("formatValue"), "0 (3D, indexed)");
    QCOMPARE(Label("paletteValue"), "\"pal\" at byte 0, 3 colours");
}

void WindowTest::exportsTheFrameShown()
{
    QTest::keyClick(window_.get(), Qt::Key_End);
    const QString png = QString::fromStdString(dir_.File("frame.png"));
    QCOMPARE(window_->ExportPng(png, 100), QString());
    QCOMPARE(QImage(png).size(), QSize(100, 100));
    QCOMPARE(window_->ExportSvg(QString::fromStdString(dir_.File("frame.svg"))), QString());
    QVERIFY(testsupport::ReadFile(dir_.File("frame.svg")).find("line.ild, frame 30") != std::string::npos);
    QVERIFY2(window_->StatusText().contains(QFileInfo(png).absolutePath()), qPrintable(window_->StatusText()));
    // A folder that is not there: an error, not a success.
    QVERIFY(!window_->ExportPng(QString::fromStdString(dir_.File("no/such/folder.png")), 100).isEmpty());
    // The file on show, under another name: refused and kept.
    const std::string shown = dir_.File("line.ild");
    const std::string before = testsupport::ReadFile(shown);
    std::filesystem::create_hard_link(shown, dir_.File("same.ild"));
    QVERIFY(window_->ExportSvg(QString::fromStdString(dir_.File("same.ild"))).contains("would replace the input"));
    QCOMPARE(testsupport::ReadFile(shown), before);
}

void WindowTest::droppedFileOpens()
{
    const std::string path = dir_.File("dropped.ild");
    playertest::WriteMovingLine(path, 4);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QSignalSpy finished(window_.get(), &player::PlayerWindow::ScanFinished);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(window_.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(window_.get(), &drop);
    QVERIFY(finished.wait(10000));
    QCOMPARE(window_->FrameCount(), std::size_t(4));
    QVERIFY(window_->windowTitle().startsWith("dropped.ild"));
}

// Cut short while it is shown: the next frame shown notices, the file is
// read again, and the frame on show is one the file still holds.
void WindowTest::fileCutShortIsReadAgain()
{
    QTest::keyClick(window_.get(), Qt::Key_End);
    QCOMPARE(window_->CurrentFrame(), std::size_t(29));
    const std::string path = dir_.File("line.ild");
    const std::string bytes = testsupport::ReadFile(path);
    testsupport::WriteFile(path, bytes.substr(0, bytes.size() / 3)); // ten frames and a bit
    QSignalSpy finished(window_.get(), &player::PlayerWindow::ScanFinished);
    QTest::keyClick(window_.get(), Qt::Key_Left);
    QVERIFY2(window_->StatusText().contains("changed"), qPrintable(window_->StatusText()));
    QVERIFY(finished.wait(10000));
    QCOMPARE(window_->FrameCount(), std::size_t(10));
    QCOMPARE(window_->CurrentFrame(), std::size_t(9));
    QCOMPARE(Label("frameValue"), "Frame 10 of 10");
    QVERIFY2(window_->StatusText().contains("changed"), qPrintable(window_->StatusText()));
}

// A name that is not UTF-8 opens; header bytes above 127 read as Latin-1.
void WindowTest::nameOfAnyBytesOpens()
{
    const std::string path = dir_.File("caf\xE9.ild");
    ilda::SectionWriter file;
    ilda::Header header;
    header.format = ilda::kFormat2dTrueColor;
    header.company = ilda::NameField("\xA9 Lx");
    file.AddFrame(header, std::vector<ilda::Point>{Lit(1, 1)});
    file.AddEndMarker(header);
    file.SaveToFile(path);
    QSignalSpy finished(window_.get(), &player::PlayerWindow::ScanFinished);
    QVERIFY(window_->OpenPath(path));
    QVERIFY(finished.wait(10000));
    QCOMPARE(window_->FrameCount(), std::size_t(1));
    QCOMPARE(Label("companyValue"), QStringLiteral("\u00A9 Lx"));
}

void WindowTest::ctrlGGoesToAFrame()
{
    QTest::keyClick(window_.get(), Qt::Key_G, Qt::ControlModifier);
    QWidget *box = QApplication::focusWidget();
    QCOMPARE(box, window_->findChild<QSpinBox *>("frameBox"));
    QTest::keyClicks(box, "25");
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(window_->CurrentFrame(), std::size_t(24));
    QCOMPARE(Label("frameValue"), "Frame 25 of 30");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right); // the playing keys act again
    QCOMPARE(window_->CurrentFrame(), std::size_t(25));
}

void WindowTest::playButtonKeepsItsWidth()
{
    QToolButton *play = nullptr;
    for (QToolButton *button : window_->findChildren<QToolButton *>())
        if (button->defaultAction() && button->defaultAction()->text() == "&Play")
            play = button;
    QVERIFY(play);
    const int width = play->width();
    QTest::keyClick(window_.get(), Qt::Key_Space);
    QCOMPARE(play->text().remove('&'), "Pause");
    QCOMPARE(play->width(), width);
}

void WindowTest::folderOpensAsAList()
{
    const std::filesystem::path folder = dir_.Path() / "show";
    std::filesystem::create_directory(folder);
    playertest::WriteMovingLine((folder / "b10.ild").string(), 2);
    playertest::WriteMovingLine((folder / "b9.ILD").string(), 3);
    testsupport::WriteFile((folder / "notes.txt").string(), "not a show");
    QSignalSpy finished(window_.get(), &player::PlayerWindow::ScanFinished);
    QVERIFY(window_->OpenFiles({QString::fromStdString(folder.string())}));
    QVERIFY(finished.wait(10000));
    QCOMPARE(window_->Files().Size(), 2);
    QVERIFY(window_->Files().Files()[0].endsWith("b9.ILD")); // 9 before 10
    QVERIFY(window_->findChild<QDockWidget *>("fileDock")->isVisible());
    QCOMPARE(window_->FrameCount(), std::size_t(3));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
    QVERIFY(finished.wait(10000));
    QCOMPARE(window_->Files().Current(), 1);
    QCOMPARE(window_->FrameCount(), std::size_t(2));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp);
    QVERIFY(finished.wait(10000));
    QCOMPARE(window_->Files().Current(), 0);
}

void WindowTest::playsTheFilesInTurn()
{
    playertest::WriteMovingLine(dir_.File("one.ild"), 3);
    playertest::WriteMovingLine(dir_.File("two.ild"), 4);
    // A file gone from the list is passed over.
    QVERIFY(
        window_->OpenFiles({QString::fromStdString(dir_.File("one.ild")), QString::fromStdString(dir_.File("gone.ild")),
                            QString::fromStdString(dir_.File("two.ild"))}));
    window_->SetLooping(false);
    window_->SetPlayingThrough(true);
    window_->SetRate(60);
    QTRY_COMPARE_WITH_TIMEOUT(window_->FrameCount(), std::size_t(3), 10000);
    window_->SetPlaying(true);
    QTRY_COMPARE_WITH_TIMEOUT(window_->Files().Current(), 2, 10000);
    // Not looping: it ends on the last frame of the last file.
    QTRY_VERIFY_WITH_TIMEOUT(window_->FrameCount() == 4 && window_->CurrentFrame() == 3 && !window_->Playing(), 10000);
    QCOMPARE(window_->Files().Current(), 2);
}

void WindowTest::openRecentRemembers()
{
    for (int i = 0; i < 12; ++i) {
        const std::string path = dir_.File("recent" + std::to_string(i) + ".ild");
        playertest::WriteMovingLine(path, 2);
        Open(path);
    }
    const QStringList recent = player::RecentFiles::Load();
    QCOMPARE(recent.size(), 10);
    QVERIFY(recent.front().endsWith("recent11.ild"));
    QMenu *menu = MenuEntry("File", "Open recent")->menu();
    emit menu->aboutToShow();
    QAction *older = menu->actions().at(1);
    QVERIFY(older->text().endsWith("recent10.ild"));
    QSignalSpy finished(window_.get(), &player::PlayerWindow::ScanFinished);
    older->trigger();
    QVERIFY(finished.wait(10000));
    QVERIFY(window_->windowTitle().startsWith("recent10.ild"));
}

void WindowTest::fullScreenAndProjection()
{
    QTest::keyClick(window_.get(), Qt::Key_F11);
    QTRY_VERIFY(window_->isFullScreen());
    QTest::keyClick(window_.get(), Qt::Key_F11);
    QTRY_VERIFY(!window_->isFullScreen());

    QTest::keyClick(window_.get(), Qt::Key_F12);
    player::FrameView *projection = window_->Projection();
    QVERIFY(projection && projection->isWindow() && projection->isVisible());
    QSignalSpy painted(projection, &player::FrameView::Painted);
    QTest::keyClick(window_.get(), Qt::Key_Right); // follows the window
    QVERIFY(painted.wait(5000));
    QTest::keyClick(projection, Qt::Key_Escape);
    QTRY_VERIFY(!window_->Projection());
    QVERIFY(!MenuEntry("View", "Projection window")->isChecked());
    MenuEntry("View", "Projection window")->trigger();
    QVERIFY(window_->Projection());
    window_.reset(); // with the projection open
}

void WindowTest::paletteShowsTheEntriesUsed()
{
    const std::string path = dir_.File("palette.ild");
    playertest::WriteIlda(path, ilda::kFormat3dIndexed, {{Dark(0, 0), Lit(10, 10, 0, 2), Lit(20, 20, 0, 2)}},
                          std::vector<ilda::Color>{0, ilda::Rgb(255, 0, 0), ilda::Rgb(0, 255, 0)});
    Open(path);
    MenuEntry("View", "Palette")->trigger();
    auto *palette = window_->findChild<player::PaletteView *>();
    QVERIFY(palette && palette->isVisible());
    QCOMPARE(int(palette->Colors().size()), 3);
    QCOMPARE(palette->Used(), std::bitset<256>().set(2));
}

// The window held up for a third of a second while playing at 30 frames a
// second: the next frame shown is several frames on, and the status bar
// says how many were passed over; playing again counts from none.
void WindowTest::statusCountsSkippedFrames()
{
    window_->SetRate(30);
    window_->SetPlaying(true);
    QVERIFY(window_->Playing());
    QCOMPARE(Label("skippedFrames"), "0 frames skipped");
    QThread::msleep(340);
    QTRY_VERIFY(Label("skippedFrames") != "0 frames skipped");
    bool number = false;
    const int skipped = Label("skippedFrames").section(' ', 0, 0).toInt(&number);
    QVERIFY2(number && skipped >= 5, qPrintable(Label("skippedFrames")));
    window_->SetPlaying(false);
    window_->SetPlaying(true);
    QCOMPARE(Label("skippedFrames"), "0 frames skipped");
}

namespace {

// Bytes this thread has read so far, as the system counts them.
long long ThreadReadBytes()
{
    QFile io(QStringLiteral("/proc/self/task/%1/io").arg(gettid()));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : io.readAll().split('\n'))
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

} // namespace

// Quit as soon as the first frame shows, with 24 MB of palettes after it:
// the window's thread reads only near that frame, so nothing it does holds
// the quit; the scan's thread stops at its next section.
void WindowTest::quitsWithoutReadingOnTheWindowsThread()
{
    const std::string path = dir_.File("apart.ild");
    playertest::WriteFramesApartByPalettes(path, 128);
    const long long before = ThreadReadBytes();
    QVERIFY(before >= 0);
    bool quitShown = false;
    connect(window_.get(), &player::PlayerWindow::FrameShown, window_.get(), [&](std::size_t index) {
        quitShown = index == 0;
        MenuEntry("File", "Quit")->trigger();
    });
    QVERIFY(window_->OpenFile(QString::fromStdString(path)));
    QTRY_VERIFY(quitShown);
    QVERIFY(!window_->isVisible());
    window_.reset(); // waits for the scan's thread
    const long long read = ThreadReadBytes() - before;
    QVERIFY2(read < 4 * player::FrameIndex::kRunReach, qPrintable(QString::number(read)));
}

QTEST_MAIN(WindowTest)
#include "tst_player_window.moc"
