// The player's file list: the files opened together (a PlayList), the
// dock beside the drawing that lists them, Previous and Next file, and
// whether playing goes on through the list. The window opens the files;
// the panel says which one the user picked.
#pragma once

#include "player/PlayList.h"

#include <QObject>

class QAction;
class QDockWidget;
class QListWidget;
class QMainWindow;

namespace player {

class FileListPanel : public QObject {
    Q_OBJECT
public:
    // Docks the list (hidden) at window's left; the actions' shortcuts
    // work within window.
    explicit FileListPanel(QMainWindow *window);

    PlayList &Files() { return files_; }
    const PlayList &Files() const { return files_; }
    // Lists the files again, the current one chosen; the dock shows itself
    // once there are several.
    void Refresh();

    bool PlayingThrough() const { return through_; }
    void SetPlayingThrough(bool through);

    QAction *ToggleAction() const; // View, File list
    QAction *PreviousAction() const { return previous_; }
    QAction *NextAction() const { return next_; }
    QAction *ThroughAction() const { return throughAction_; }

signals:
    // A row other than the current one was clicked or activated.
    void FileChosen(const QString &path);
    // Previous (-1) or Next (1) file.
    void StepWanted(int delta);
    void PlayingThroughChanged(bool through);

private:
    QAction *Add(const QString &text, QKeySequence key);

    QMainWindow *window_;
    PlayList files_;
    bool through_ = false;
    QDockWidget *dock_ = nullptr;
    QListWidget *list_ = nullptr;
    QAction *previous_ = nullptr;
    QAction *next_ = nullptr;
    QAction *throughAction_ = nullptr;
};

} // namespace player
