#include "player/FileListPanel.h"

#include <QAction>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QListWidget>
#include <QMainWindow>

namespace player {

FileListPanel::FileListPanel(QMainWindow *window) : QObject(window), window_(window)
{
    list_ = new QListWidget;
    list_->setObjectName(QStringLiteral("fileList"));
    list_->setFocusPolicy(Qt::NoFocus); // the keys stay with the slider
    connect(list_, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        const int row = list_->row(item);
        if (row != files_.Current())
            emit FileChosen(files_.Files().value(row));
    });
    connect(list_, &QListWidget::itemClicked, list_, &QListWidget::itemActivated);
    dock_ = new QDockWidget(QStringLiteral("Files"), window);
    dock_->setObjectName(QStringLiteral("fileDock"));
    dock_->setWidget(list_);
    dock_->toggleViewAction()->setText(QStringLiteral("File &list"));
    window->addDockWidget(Qt::LeftDockWidgetArea, dock_);
    dock_->hide();

    previous_ = Add(QStringLiteral("Pre&vious file"), Qt::Key_PageUp);
    connect(previous_, &QAction::triggered, this, [this] { emit StepWanted(-1); });
    next_ = Add(QStringLiteral("&Next file"), Qt::Key_PageDown);
    connect(next_, &QAction::triggered, this, [this] { emit StepWanted(1); });
    throughAction_ = Add(QStringLiteral("Play the files in &turn"), {});
    throughAction_->setCheckable(true);
    throughAction_->setToolTip(
        QStringLiteral("At the end of a file, play the next one in the list (from the first again when looping)."));
    connect(throughAction_, &QAction::triggered, this, &FileListPanel::SetPlayingThrough);
}

QAction *FileListPanel::Add(const QString &text, QKeySequence key)
{
    auto *a = new QAction(text, this);
    a->setShortcut(key);
    window_->addAction(a);
    return a;
}

QAction *FileListPanel::ToggleAction() const
{
    return dock_->toggleViewAction();
}

void FileListPanel::Refresh()
{
    list_->clear();
    for (const QString &path : files_.Files()) {
        auto *item = new QListWidgetItem(QFileInfo(path).fileName(), list_);
        item->setToolTip(QDir::toNativeSeparators(path));
    }
    list_->setCurrentRow(files_.Current());
    const bool several = files_.Size() > 1;
    if (several && dock_->isHidden()) {
        dock_->show();
        // The list comes beside the drawing, not out of it.
        if (!window_->isMaximized() && !window_->isFullScreen())
            window_->resize(window_->width() + dock_->sizeHint().width(), window_->height());
    }
    // Page Up and Page Down page the slider while there is only one file.
    previous_->setEnabled(several);
    next_->setEnabled(several);
}

void FileListPanel::SetPlayingThrough(bool through)
{
    through_ = through;
    if (throughAction_->isChecked() != through)
        throughAction_->setChecked(through);
    emit PlayingThroughChanged(through);
}

} // namespace player
