// The player's window: the drawing, the facts of the frame on show, the
// playing controls and TZelkScrollBar as the frame slider. Frames come from
// a FrameScan as it finds them; their points from a small FrameCache.
#pragma once

#include "player/FrameCache.h"
#include "player/FrameScan.h"
#include "player/FrameView.h"
#include "player/PlaybackClock.h"

#include <QMainWindow>
#include <QString>
#include <QTimer>

#include <cstddef>
#include <memory>

class QAction;
class QComboBox;
class QDialog;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QToolButton;
class TZelkScrollBar;

namespace player {

class ScannerMode;

class PlayerWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit PlayerWindow(QWidget *parent = nullptr);
    ~PlayerWindow() override;

    // Opens path and shows its first frame as soon as it is found, paused.
    // False, with the reason in the status bar, when it cannot be read;
    // the file shown before then stays.
    bool OpenFile(const QString &path);

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
    ScannerMode *Scanner() const { return scanner_; }

    // The frame rates offered; the first is the default.
    static constexpr double kRates[] = {30, 10, 12, 15, 20, 24, 25, 50, 60};

signals:
    void FrameShown(std::size_t index);
    void ScanFinished();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void BuildActions();
    void BuildMenus();
    QWidget *BuildInfoPanel();
    QWidget *BuildControls();
    void OnFramesFound(std::size_t count);
    void OnProgress(FrameScan::Phase phase, int permille);
    void OnScanFinished();
    void OnTick();
    void OnSliderMoved(int position);
    void UpdateInfo();
    void ShowProblem(const QString &text);
    void ShowMessages();
    void AskExportPng();
    void AskExportSvg();
    void AskOpen();
    QString SuggestedName(const QString &extension) const;
    FramePoints CurrentPoints();
    void RestartClock();

    FrameCache cache_;
    std::unique_ptr<FrameScan> scan_;
    QString path_;
    std::size_t current_ = 0;
    bool shown_ = false; // the first frame of the file is on show
    PlaybackClock clock_;
    QTimer timer_;
    double rate_ = kRates[0];
    bool loop_ = true;

    FrameView *view_ = nullptr;
    ScannerMode *scanner_ = nullptr;
    TZelkScrollBar *slider_ = nullptr;
    QLabel *frameValue_ = nullptr;
    QLabel *nameValue_ = nullptr;
    QLabel *companyValue_ = nullptr;
    QLabel *formatValue_ = nullptr;
    QLabel *pointsValue_ = nullptr;
    QLabel *paletteValue_ = nullptr;
    QLabel *status_ = nullptr;
    QProgressBar *progress_ = nullptr;
    QToolButton *messagesButton_ = nullptr;
    QComboBox *rateBox_ = nullptr;
    QDialog *messagesDialog_ = nullptr;
    QPlainTextEdit *messagesText_ = nullptr;

    QAction *openAction_ = nullptr;
    QAction *exportPngAction_ = nullptr;
    QAction *exportSvgAction_ = nullptr;
    QAction *quitAction_ = nullptr;
    QAction *playAction_ = nullptr;
    QAction *backAction_ = nullptr;
    QAction *forwardAction_ = nullptr;
    QAction *firstAction_ = nullptr;
    QAction *lastAction_ = nullptr;
    QAction *loopAction_ = nullptr;
    QAction *blankedAction_ = nullptr;
    QAction *messagesAction_ = nullptr;
};

} // namespace player
