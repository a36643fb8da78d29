// The player's View menu: the blanked moves, the points and their order,
// zoom, the 3D turn, the palette dialog, full screen and the projection
// window. The window hands it the frame on show; it draws nothing itself
// but sets the drawing's options and keeps the projection in step.
#pragma once

#include "ilda/Reading.h"
#include "player/FrameCache.h"

#include <QList>
#include <QObject>

#include <cstddef>
#include <optional>

class QAction;
class QDialog;
class QMainWindow;

namespace player {

class FrameView;
class PaletteView;
class ScannerMode;

class ViewMenu : public QObject {
    Q_OBJECT
public:
    // view: the drawing whose options and zoom the actions set. The
    // actions' shortcuts work within window.
    ViewMenu(QMainWindow *window, FrameView *view);
    ~ViewMenu() override;

    // The menu in window's menu bar: these actions, the scanner's, and
    // the window's own panels and dialogs (the file list, the messages).
    void AddMenu(ScannerMode *scanner, const QList<QAction *> &panels);
    // The keys that also work from the projection window (play, step ...).
    void SetProjectionKeys(const QList<QAction *> &keys) { projectionKeys_ = keys; }

    // The frame on show (index from 0), for the palette and the projection.
    void SetFrame(std::optional<ilda::FrameInfo> frame, FramePoints points, std::size_t index);
    // Nothing on show yet (a file is being opened); the dialogs stay as they are.
    void ForgetFrame();
    // The drawing's options from the actions; the turn only for frames with Z.
    void UpdateOptions();

    QAction *BlankedAction() const { return blanked_; }
    FrameView *Projection() const { return projection_; }
    void ShowProjection(bool show);
    void ShowPalette();
    // Esc in full screen: back to a window. False when not full screen.
    bool LeaveFullScreen();

private:
    QAction *Add(const QString &text, QKeySequence key, bool checkable = false);
    void BuildActions();
    void BuildPaletteDialog();
    void UpdatePalette();
    FrameView *MakeProjection();
    void PlaceProjection();

    QMainWindow *window_;
    FrameView *view_;
    std::optional<ilda::FrameInfo> frame_;
    FramePoints points_;
    std::size_t index_ = 0;
    QList<QAction *> projectionKeys_;

    QAction *blanked_ = nullptr;
    QAction *showPoints_ = nullptr;
    QAction *order_ = nullptr;
    QAction *zoomIn_ = nullptr;
    QAction *zoomOut_ = nullptr;
    QAction *fit_ = nullptr;
    QAction *threeD_ = nullptr;
    QAction *resetTurn_ = nullptr;
    QAction *palette_ = nullptr;
    QAction *fullScreen_ = nullptr;
    QAction *projectionAction_ = nullptr;
    QDialog *paletteDialog_ = nullptr;
    PaletteView *paletteView_ = nullptr;
    FrameView *projection_ = nullptr;
};

} // namespace player
