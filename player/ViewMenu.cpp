#include "player/ViewMenu.h"

#include "player/FrameView.h"
#include "player/ScannerMode.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace player {

ViewMenu::ViewMenu(QMainWindow *window, FrameView *view) : QObject(window), window_(window), view_(view)
{
    BuildActions();
}

ViewMenu::~ViewMenu()
{
    // Before the actions it reports to go.
    delete projection_;
}

QAction *ViewMenu::Add(const QString &text, QKeySequence key, bool checkable)
{
    auto *a = new QAction(text, this);
    a->setShortcut(key);
    a->setCheckable(checkable);
    window_->addAction(a);
    return a;
}

void ViewMenu::BuildActions()
{
    blanked_ = Add(QStringLiteral("Show &blanked moves"), Qt::Key_B, true);
    showPoints_ = Add(QStringLiteral("Show &points"), Qt::Key_D, true);
    order_ = Add(QStringLiteral("Show &order"), Qt::Key_O, true);
    for (QAction *a : {blanked_, showPoints_, order_})
        connect(a, &QAction::triggered, this, &ViewMenu::UpdateOptions);
    zoomIn_ = Add(QStringLiteral("Zoom &in"), Qt::Key_Plus);
    zoomIn_->setShortcuts({Qt::Key_Plus, Qt::Key_Equal});
    connect(zoomIn_, &QAction::triggered, view_, &FrameView::ZoomIn);
    zoomOut_ = Add(QStringLiteral("Zoom o&ut"), Qt::Key_Minus);
    connect(zoomOut_, &QAction::triggered, view_, &FrameView::ZoomOut);
    fit_ = Add(QStringLiteral("&Fit"), Qt::Key_0);
    connect(fit_, &QAction::triggered, view_, &FrameView::Fit);
    threeD_ = Add(QStringLiteral("&3D"), Qt::Key_3, true);
    threeD_->setToolTip(QStringLiteral("Turn frames with Z (formats 0 and 4) by dragging with the right button."));
    connect(threeD_, &QAction::triggered, this, &ViewMenu::UpdateOptions);
    resetTurn_ = Add(QStringLiteral("&Reset turn"), Qt::Key_R);
    connect(resetTurn_, &QAction::triggered, view_, &FrameView::ResetTurn);
    palette_ = Add(QStringLiteral("P&alette..."), Qt::Key_C);
    connect(palette_, &QAction::triggered, this, &ViewMenu::ShowPalette);
    fullScreen_ = Add(QStringLiteral("F&ull screen"), Qt::Key_F11, true);
    connect(fullScreen_, &QAction::triggered, window_,
            [this](bool on) { on ? window_->showFullScreen() : window_->showNormal(); });
    projectionAction_ = Add(QStringLiteral("Pro&jection window"), Qt::Key_F12, true);
    connect(projectionAction_, &QAction::triggered, this, &ViewMenu::ShowProjection);
}

void ViewMenu::AddMenu(ScannerMode *scanner, const QList<QAction *> &panels)
{
    QMenu *menu = window_->menuBar()->addMenu(QStringLiteral("&View"));
    menu->addActions({blanked_, showPoints_, order_});
    scanner->AddTo(menu);
    menu->addSeparator();
    menu->addActions({zoomIn_, zoomOut_, fit_, threeD_, resetTurn_});
    menu->addSeparator();
    menu->addAction(palette_);
    menu->addActions(panels);
    menu->addSeparator();
    menu->addActions({fullScreen_, projectionAction_});
}

void ViewMenu::SetFrame(std::optional<ilda::FrameInfo> frame, FramePoints points, std::size_t index)
{
    frame_ = std::move(frame);
    points_ = std::move(points);
    index_ = index;
    if (projection_)
        projection_->SetFrame(points_);
    UpdatePalette();
}

void ViewMenu::ForgetFrame()
{
    frame_.reset();
    points_.reset();
}

void ViewMenu::UpdateOptions()
{
    DrawOptions options = view_->Options();
    options.showBlanked = blanked_->isChecked();
    options.showPoints = showPoints_->isChecked();
    options.showOrder = order_->isChecked();
    // Only frames with Z turn; 2D frames stay flat whatever the setting.
    options.turn3d = threeD_->isChecked() && frame_ && ilda::Is3d(frame_->header.format);
    resetTurn_->setEnabled(options.turn3d);
    view_->SetOptions(options);
}

bool ViewMenu::LeaveFullScreen()
{
    if (!window_->isFullScreen())
        return false;
    fullScreen_->setChecked(false);
    window_->showNormal();
    return true;
}

} // namespace player
