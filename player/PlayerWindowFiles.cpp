// The player window's files: File, Open of several files or a folder, the
// file list beside the drawing, Open Recent, and playing through the list.
#include "player/PlayerWindow.h"

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
    auto action = [this](const QString &text, QKeySequence key, auto slot) {
        auto *a = new QAction(text, this);
        a->setShortcut(key);
        connect(a, &QAction::triggered, this, slot);
        addAction(a);
        return a;
    };
    openFolderAction_ =
        action(QStringLiteral("Open &folder..."), Qt::CTRL | Qt::SHIFT | Qt::Key_O, [this] { AskOpenFolder(); });
    previousFileAction_ = action(QStringLiteral("Pre&vious file"), Qt::Key_PageUp, [this] { StepFile(-1); });
    nextFileAction_ = action(QStringLiteral("&Next file"), Qt::Key_PageDown, [this] { StepFile(1); });
    throughAction_ = action(QStringLiteral("Play the files in &turn"), {}, [this](bool on) { SetPlayingThrough(on); });
    throughAction_->setCheckable(true);
    throughAction_->setToolTip(
        QStringLiteral("At the end of a file, play the next one in the list (from the first again when looping)."));
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

void PlayerWindow::BuildFileList()
{
    fileList_ = new QListWidget;
    fileList_->setObjectName(QStringLiteral("fileList"));
    fileList_->setFocusPolicy(Qt::NoFocus); // the keys stay with the slider
    connect(fileList_, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        const int row = fileList_->row(item);
        if (row != files_.Current())
            OpenFile(files_.Files().value(row));
    });
    connect(fileList_, &QListWidget::itemClicked, fileList_, &QListWidget::itemActivated);
    fileDock_ = new QDockWidget(QStringLiteral("Files"), this);
    fileDock_->setObjectName(QStringLiteral("fileDock"));
    fileDock_->setWidget(fileList_);
    fileDock_->toggleViewAction()->setText(QStringLiteral("File &list"));
    addDockWidget(Qt::LeftDockWidgetArea, fileDock_);
    fileDock_->hide();
}

void PlayerWindow::ShowFileList()
{
    fileList_->clear();
    for (const QString &path : files_.Files()) {
        auto *item = new QListWidgetItem(QFileInfo(path).fileName(), fileList_);
        item->setToolTip(QDir::toNativeSeparators(path));
    }
    fileList_->setCurrentRow(files_.Current());
    const bool several = files_.Size() > 1;
    if (several && fileDock_->isHidden()) {
        fileDock_->show();
        // The list comes beside the drawing, not out of it.
        if (!isMaximized() && !isFullScreen())
            resize(width() + fileDock_->sizeHint().width(), height());
    }
    // Page Up and Page Down page the slider while there is only one file.
    previousFileAction_->setEnabled(several);
    nextFileAction_->setEnabled(several);
}

bool PlayerWindow::OpenFiles(const QStringList &paths)
{
    const QStringList files = PlayList::Expand(paths);
    if (files.isEmpty()) {
        ShowProblem(QStringLiteral("No ILDA file (*.ild) in %1").arg(QDir::toNativeSeparators(paths.join(", "))));
        return false;
    }
    const PlayList before = files_;
    files_.Set(files);
    ShowFileList();
    for (const QString &file : files) {
        if (OpenFile(file))
            return true;
    }
    // None opened: the file on show keeps its list. The status bar says why
    // the last one could not be read.
    files_ = before;
    ShowFileList();
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
    const int shown = files_.Current();
    for (int tries = 1; tries < files_.Size(); ++tries) {
        const int next = files_.Step(direction, wrap);
        if (next < 0 || next == shown)
            break;
        if (OpenFile(files_.Files()[next]))
            return true;
        files_.SetCurrent(next);
    }
    files_.SetCurrent(shown);
    return false;
}

void PlayerWindow::SetPlayingThrough(bool through)
{
    throughList_ = through;
    if (throughAction_->isChecked() != through)
        throughAction_->setChecked(through);
    if (Playing())
        RestartClock();
}

void PlayerWindow::OnFileEnded()
{
    if (!throughList_ || files_.Size() < 2) {
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
