// The player window's files: File, Open of several files or a folder, the
// file list beside the drawing, Open Recent, and playing through the list.
#include "player/PlayerWindow.h"

#include "player/FileListPanel.h"

#include <QAction>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

namespace player {

void PlayerWindow::BuildFileActions()
{
    openFolderAction_ = new QAction(QStringLiteral("Open &folder..."), this);
    openFolderAction_->setShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_O);
    connect(openFolderAction_, &QAction::triggered, this, &PlayerWindow::AskOpenFolder);
    addAction(openFolderAction_);
}

void PlayerWindow::BuildFileMenu()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(openAction_);
    file->addAction(openFolderAction_);
    recentMenu_ = file->addMenu(QStringLiteral("Open &recent"));
    connect(recentMenu_, &QMenu::aboutToShow, this, &PlayerWindow::FillRecentMenu);
    FillRecentMenu(); // so that the menu is not empty before it is shown
    file->addSeparator();
    file->addAction(exportPngAction_);
    file->addAction(exportSvgAction_);
    file->addSeparator();
    file->addAction(quitAction_);
}

bool PlayerWindow::OpenFiles(const QStringList &paths)
{
    const QStringList files = PlayList::Expand(paths);
    if (files.isEmpty()) {
        ShowProblem(QStringLiteral("No ILDA file (*.ild) in %1").arg(QDir::toNativeSeparators(paths.join(", "))));
        return false;
    }
    PlayList &list = fileList_->Files();
    const PlayList before = list;
    list.Set(files);
    fileList_->Refresh();
    for (const QString &file : files) {
        if (OpenFile(file))
            return true;
    }
    // None opened: the file on show keeps its list. The status bar says why
    // the last one could not be read.
    list = before;
    fileList_->Refresh();
    return false;
}

void PlayerWindow::StepFile(int delta)
{
    const bool playing = Playing();
    if (OpenAlongList(delta < 0 ? -1 : 1, false))
        playWhenShown_ = playing;
}

bool PlayerWindow::OpenAlongList(int direction, bool wrap)
{
    // The next file that opens; the ones that do not say why in the status
    // bar and are passed over, so that one bad file does not stop the list.
    PlayList &list = fileList_->Files();
    const int shown = list.Current();
    for (int tries = 1; tries < list.Size(); ++tries) {
        const int next = list.Step(direction, wrap);
        if (next < 0 || next == shown)
            break;
        if (OpenFile(list.Files()[next]))
            return true;
        list.SetCurrent(next);
    }
    list.SetCurrent(shown);
    return false;
}

void PlayerWindow::SetPlayingThrough(bool through)
{
    fileList_->SetPlayingThrough(through); // comes back in OnPlayingThroughChanged
}

void PlayerWindow::OnPlayingThroughChanged()
{
    if (Playing())
        RestartClock();
}

void PlayerWindow::OnFileEnded()
{
    if (!fileList_->PlayingThrough() || fileList_->Files().Size() < 2) {
        SetPlaying(false);
        return;
    }
    if (scan_ && scan_->CurrentPhase() == FrameScan::Phase::Frames)
        return; // more frames to come
    SetPlaying(false);
    if (OpenAlongList(1, loop_))
        playWhenShown_ = true;
}

void PlayerWindow::PlayNextOnceShown()
{
    if (!playWhenShown_)
        return;
    if (FrameCount() >= 2) {
        playWhenShown_ = false;
        SetPlaying(true);
    } else if (ScanDone()) {
        // A single frame is shown for one frame's time, then the list goes on.
        playWhenShown_ = false;
        const QString shown = path_;
        QTimer::singleShot(std::max(1, int(1000 / rate_)), this, [this, shown] {
            if (path_ == shown && !Playing())
                OnFileEnded();
        });
    }
}

void PlayerWindow::AskOpenFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Open a folder of ILDA files"));
    if (!folder.isEmpty())
        OpenFiles({folder});
}

void PlayerWindow::FillRecentMenu()
{
    recentMenu_->clear();
    const QStringList paths = RecentFiles::Load();
    for (int i = 0; i < paths.size(); ++i) {
        const QString path = paths[i];
        QAction *a =
            recentMenu_->addAction(QStringLiteral("&%1 %2").arg((i + 1) % 10).arg(QDir::toNativeSeparators(path)));
        connect(a, &QAction::triggered, this, [this, path] { OpenFiles({path}); });
    }
    if (paths.isEmpty())
        recentMenu_->addAction(QStringLiteral("No recent files"))->setEnabled(false);
    recentMenu_->addSeparator();
    QAction *clear = recentMenu_->addAction(QStringLiteral("&Clear the list"), this, [] { RecentFiles::Clear(); });
    clear->setEnabled(!paths.isEmpty());
}

} // namespace player
