// The player window's View menu: zoom, the points and their order, 3D, the
// palette, full screen and the projection window.
#include "player/PaletteView.h"
#include "player/PlayerWindow.h"
#include "player/ScannerMode.h"

#include "FrameFacts.h"
#include "widgets/CZelkScrollBar.h"

#include <QAction>
#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QSpinBox>

namespace player {

void PlayerWindow::BuildViewActions()
{
    auto action = [this](const QString &text, QKeySequence key, auto slot, bool checkable = false) {
        auto *a = new QAction(text, this);
        a->setShortcut(key);
        a->setCheckable(checkable);
        connect(a, &QAction::triggered, this, slot);
        addAction(a);
        return a;
    };
    auto redraw = [this] { UpdateViewOptions(); };
    pointsAction_ = action(QStringLiteral("Show &points"), Qt::Key_D, redraw, true);
    orderAction_ = action(QStringLiteral("Show &order"), Qt::Key_O, redraw, true);
    zoomInAction_ = action(QStringLiteral("Zoom &in"), Qt::Key_Plus, [this] { view_->ZoomIn(); });
    zoomInAction_->setShortcuts({Qt::Key_Plus, Qt::Key_Equal});
    zoomOutAction_ = action(QStringLiteral("Zoom o&ut"), Qt::Key_Minus, [this] { view_->ZoomOut(); });
    fitAction_ = action(QStringLiteral("&Fit"), Qt::Key_0, [this] { view_->Fit(); });
    threeDAction_ = action(QStringLiteral("&3D"), Qt::Key_3, redraw, true);
    threeDAction_->setToolTip(
        QStringLiteral("Turn frames with Z (formats 0 and 4) by dragging with the right button."));
    resetTurnAction_ = action(QStringLiteral("&Reset turn"), Qt::Key_R, [this] { view_->ResetTurn(); });
    paletteAction_ = action(QStringLiteral("P&alette..."), Qt::Key_C, [this] { ShowPalette(); });
    fullScreenAction_ = action(
        QStringLiteral("F&ull screen"), Qt::Key_F11, [this](bool on) { on ? showFullScreen() : showNormal(); }, true);
    projectionAction_ = action(
        QStringLiteral("Pro&jection window"), Qt::Key_F12, [this](bool on) { ShowProjection(on); }, true);
}

void PlayerWindow::BuildViewMenu()
{
    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    for (QAction *a : {blankedAction_, pointsAction_, orderAction_})
        view->addAction(a);
    scanner_->AddTo(view);
    view->addSeparator();
    for (QAction *a : {zoomInAction_, zoomOutAction_, fitAction_, threeDAction_, resetTurnAction_})
        view->addAction(a);
    view->addSeparator();
    view->addAction(paletteAction_);
    view->addAction(fileDock_->toggleViewAction());
    view->addAction(messagesAction_);
    view->addSeparator();
    view->addAction(fullScreenAction_);
    view->addAction(projectionAction_);
}

void PlayerWindow::UpdateViewOptions()
{
    DrawOptions options = view_->Options();
    options.showBlanked = blankedAction_->isChecked();
    options.showPoints = pointsAction_->isChecked();
    options.showOrder = orderAction_->isChecked();
    // Only frames with Z turn; 2D frames stay flat whatever the setting.
    options.turn3d = threeDAction_->isChecked() && frame_ && ilda::Is3d(frame_->header.format);
    resetTurnAction_->setEnabled(options.turn3d);
    view_->SetOptions(options);
}

void PlayerWindow::GoToFrame()
{
    if (!frameBox_->isEnabled())
        return;
    frameBox_->setFocus(Qt::ShortcutFocusReason);
    frameBox_->selectAll();
}

void PlayerWindow::OnFrameBoxChanged(int number)
{
    if (number < 1)
        return;
    ShowFrame(std::size_t(number - 1));
    RestartClock();
    slider_->setFocus(); // the playing keys act again
}

void PlayerWindow::ShowPalette()
{
    if (!paletteDialog_) {
        paletteDialog_ = new QDialog(this);
        paletteDialog_->setWindowTitle(QStringLiteral("Palette"));
        paletteView_ = new PaletteView;
        auto *caption = new QLabel;
        caption->setObjectName(QStringLiteral("paletteCaption"));
        caption->setWordWrap(true);
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
        connect(buttons, &QDialogButtonBox::rejected, paletteDialog_, &QDialog::hide);
        auto *layout = new QVBoxLayout(paletteDialog_);
        layout->addWidget(caption);
        layout->addWidget(paletteView_, 1);
        layout->addWidget(buttons);
    }
    paletteDialog_->show();
    paletteDialog_->raise();
    UpdatePalette();
}

void PlayerWindow::UpdatePalette()
{
    if (!paletteDialog_ || !paletteDialog_->isVisible())
        return;
    auto *caption = paletteDialog_->findChild<QLabel *>(QStringLiteral("paletteCaption"));
    if (!frame_ || current_ >= FrameCount()) {
        paletteView_->Set({}, {}, QStringLiteral("No frame is on show."));
        caption->clear();
        return;
    }
    const ilda::FrameInfo &frame = *frame_;
    const FramePoints points = CurrentPoints();
    const std::span<const ilda::Point> shown =
        points ? std::span<const ilda::Point>(*points) : std::span<const ilda::Point>();
    const std::bitset<256> used = UsedIndexes(shown);
    paletteView_->Set(
        PaletteColors(frame), used,
        QStringLiteral("Format %1 gives each point its own colour: no palette.").arg(frame.header.format));
    caption->setText(
        ilda::IsIndexed(frame.header.format)
            ? QStringLiteral("Palette in effect: %1. Framed: the %2 that frame %3 uses.")
                  .arg(PaletteText(frame))
                  .arg(used.count() == 1 ? QStringLiteral("entry") : QStringLiteral("%1 entries").arg(used.count()))
                  .arg(current_ + 1)
            : QString());
    paletteDialog_->adjustSize();
}

void PlayerWindow::ShowProjection(bool show)
{
    if (projectionAction_->isChecked() != show)
        projectionAction_->setChecked(show);
    if (!show) {
        if (projection_)
            projection_->close(); // deletes it
        return;
    }
    if (!projection_) {
        projection_ = new FrameView(this);
        projection_->setWindowFlag(Qt::Window);
        projection_->setAttribute(Qt::WA_DeleteOnClose);
        projection_->setWindowTitle(QStringLiteral("Lumivex Projection"));
        projection_->SetInteractive(false);
        projection_->setCursor(Qt::BlankCursor);
        auto *close = new QAction(projection_);
        close->setShortcut(Qt::Key_Escape);
        connect(close, &QAction::triggered, projection_, &QWidget::close);
        projection_->addAction(close);
        // The playing keys work from the projection too.
        projection_->addActions({playAction_, backAction_, forwardAction_, firstAction_, lastAction_,
                                 previousFileAction_, nextFileAction_});
        connect(projection_, &QObject::destroyed, this, [this] {
            projection_ = nullptr;
            projectionAction_->setChecked(false);
        });
    }
    projection_->SetFrame(CurrentPoints());
    // On another screen if there is one, filling it; else a window.
    QScreen *other = nullptr;
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen != this->screen())
            other = screen;
    }
    if (other) {
        projection_->setGeometry(other->geometry());
        projection_->showFullScreen();
    } else {
        projection_->resize(640, 640);
        projection_->show();
    }
}

void PlayerWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && isFullScreen()) {
        fullScreenAction_->setChecked(false);
        showNormal();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

} // namespace player
