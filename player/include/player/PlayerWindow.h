// The player's window: the drawing, the facts of the frame on show, the
// playing controls and TZelkScrollBar as the frame slider. Frames come from
// a FrameScan as it finds them; their points from a small FrameCache.
#pragma once

#include "player/FrameCache.h"
#include "player/FrameScan.h"
#include "player/FrameView.h"
#include "player/PlayList.h"
#include "player/PlaybackClock.h"

#include <QMainWindow>
#include <QString>
#include <QTimer>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QComboBox;
class QDialog;
class QLabel;
class QMenu;
class QSpinBox;
class QPlainTextEdit;
class QProgressBar;
class QToolButton;
class TZelkScrollBar;

namespace player {

class FileListPanel;
class ScannerMode;
class ViewMenu;

class PlayerWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit PlayerWindow(QWidget *parent = nullptr);
    ~PlayerWindow() override;

    // Opens path and shows its first frame as soon as it is found, paused.
    // False, with the reason in the status bar, when it cannot be read;
    // the file shown before then stays.
    bool OpenFile(const QString &path);
    // The same for a name as the system gives it (any bytes, not only UTF-8).
    bool OpenPath(const std::string &path);
    // Opens files and folders (a folder's ILDA files) as the file list, the
    // first of them at once. False when none could be opened.
    bool OpenFiles(const QStringList &paths);
    const PlayList &Files() const;
    // Opens the file delta places along the list (Page Up, Page Down).
    void StepFile(int delta);
    // Playing goes on into the next file at the end of each (wrapping when
    // looping) instead of playing each file alone.
    void SetPlayingThrough(bool through);

    std::size_t FrameCount() const;
    std::size_t CurrentFrame() const { return current_; }
    bool Playing() const { return timer_.isActive(); }
    bool ScanDone() const;
    QString StatusText() const;

    void ShowFrame(std::size_t index);
    void SetPlaying(bool playing);
    void StepBy(int delta);
    void SetRate(double rate);
    void SetLooping(bool loop);

    // Error text, empty on success.
    QString ExportPng(const QString &path, int size);
    QString ExportSvg(const QString &path);

    TZelkScrollBar *Slider() const { return slider_; }
    FrameView *View() const { return view_; }
    // The black window that shows only the drawing; null until first asked.
    FrameView *Projection() const;
    void ShowProjection(bool show);

    // The press-and-hold delay of the slider's arrows and track, in ms: a
    // click of a usual length steps once.
    static constexpr int kSliderRepeatDelay = 350;
    ScannerMode *Scanner() const { return scanner_; }

    // The frame rates offered; the first is the default.
    static constexpr double kRates[] = {30, 10, 12, 15, 20, 24, 25, 50, 60};

signals:
    void FrameShown(std::size_t index);
    void ScanFinished();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void BuildActions();
    void BuildFileActions();
    void BuildMenus();
    void BuildFileMenu();
    void FillRecentMenu();
    void GoToFrame();
    void OnFrameBoxChanged(int number);
    void AskOpenFolder();
    void OnFileEnded();
    void OnPlayingThroughChanged();
    bool OpenAlongList(int direction, bool wrap);
    void PlayNextOnceShown();
    QWidget *BuildInfoPanel();
    QWidget *BuildControls();
    void OnFramesFound(std::size_t count);
    void OnProgress(FrameScan::Phase phase, int permille);
    void OnScanFinished();
    void OnTick();
    void OnSliderMoved(int position);
    void UpdateInfo();
    void ShowProblem(const QString &text);
    void ShowNote(const QString &text);
    QString NoteExport(const QString &path, const QString &problem);
    void ShowMessages();
    void AskExportPng();
    void AskExportSvg();
    void AskOpen();
    QString SuggestedName(const QString &extension) const;
    FramePoints CurrentPoints();
    void RestartClock();
    void ShowSkipped(); // while playing, the frames the clock passed over
    // The file on show changed on disk: read it again, keeping the frame if it still has it.
    void ReadChangedFile();

    FrameCache cache_;
    std::unique_ptr<FrameScan> scan_;
    QString path_;
    std::string pathBytes_;                // path_ as the system names it
    std::optional<ilda::FrameInfo> frame_; // the frame on show
    std::optional<std::size_t> wanted_;    // to show again once the changed file is read
    bool changed_ = false;                 // the file was read again after a change
    std::size_t current_ = 0;
    bool shown_ = false; // the first frame of the file is on show
    PlaybackClock clock_;
    QTimer timer_;
    double rate_ = kRates[0];
    bool loop_ = true;
    bool playWhenShown_ = false; // the list plays on into this file

    FrameView *view_ = nullptr;
    ScannerMode *scanner_ = nullptr;
    ViewMenu *viewMenu_ = nullptr;
    FileListPanel *fileList_ = nullptr;
    TZelkScrollBar *slider_ = nullptr;
    QLabel *frameValue_ = nullptr; // "Frame 3 of 30", beside the controls
    QSpinBox *frameBox_ = nullptr;
    QLabel *frameCount_ = nullptr;
    QLabel *numberValue_ = nullptr;
    QLabel *nameValue_ = nullptr;
    QLabel *companyValue_ = nullptr;
    QLabel *formatValue_ = nullptr;
    QLabel *pointsValue_ = nullptr;
    QLabel *paletteValue_ = nullptr;
    QLabel *status_ = nullptr;
    QLabel *skipped_ = nullptr; // "3 frames skipped", from the first play on
    QProgressBar *progress_ = nullptr;
    QToolButton *messagesButton_ = nullptr;
    QComboBox *rateBox_ = nullptr;
    QDialog *messagesDialog_ = nullptr;
    QPlainTextEdit *messagesText_ = nullptr;
    QMenu *recentMenu_ = nullptr;

    QAction *openAction_ = nullptr;
    QAction *openFolderAction_ = nullptr;
    QAction *goToAction_ = nullptr;
    QAction *exportPngAction_ = nullptr;
    QAction *exportSvgAction_ = nullptr;
    QAction *quitAction_ = nullptr;
    QAction *playAction_ = nullptr;
    QAction *backAction_ = nullptr;
    QAction *forwardAction_ = nullptr;
    QAction *firstAction_ = nullptr;
    QAction *lastAction_ = nullptr;
    QAction *loopAction_ = nullptr;
    QAction *messagesAction_ = nullptr;
};

} // namespace player
