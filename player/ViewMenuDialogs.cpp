// The View menu's palette dialog and projection window.
#include "player/FrameView.h"
#include "player/PaletteView.h"
#include "player/ViewMenu.h"

#include "FrameFacts.h"

#include <QAction>
#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QScreen>

#include <bitset>
#include <span>

namespace player {

void ViewMenu::BuildPaletteDialog()
{
    paletteDialog_ = new QDialog(window_);
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

void ViewMenu::ShowPalette()
{
    if (!paletteDialog_)
        BuildPaletteDialog();
    paletteDialog_->show();
    paletteDialog_->raise();
    UpdatePalette();
}

void ViewMenu::UpdatePalette()
{
    if (!paletteDialog_ || !paletteDialog_->isVisible())
        return;
    auto *caption = paletteDialog_->findChild<QLabel *>(QStringLiteral("paletteCaption"));
    if (!frame_) {
        paletteView_->Set({}, {}, QStringLiteral("No frame is on show."));
        caption->clear();
        return;
    }
    const ilda::FrameInfo &frame = *frame_;
    const std::span<const ilda::Point> shown =
        points_ ? std::span<const ilda::Point>(*points_) : std::span<const ilda::Point>();
    const std::bitset<256> used = UsedIndexes(shown);
    paletteView_->Set(
        PaletteColors(frame), used,
        QStringLiteral("Format %1 gives each point its own colour: no palette.").arg(frame.header.format));
    caption->setText(
        ilda::IsIndexed(frame.header.format)
            ? QStringLiteral("Palette in effect: %1. Framed: the %2 that frame %3 uses.")
                  .arg(PaletteText(frame))
                  .arg(used.count() == 1 ? QStringLiteral("entry") : QStringLiteral("%1 entries").arg(used.count()))
                  .arg(index_ + 1)
            : QString());
    paletteDialog_->adjustSize();
}

void ViewMenu::ShowProjection(bool show)
{
    if (projectionAction_->isChecked() != show)
        projectionAction_->setChecked(show);
    if (!show) {
        if (projection_)
            projection_->close(); // deletes it
        return;
    }
    if (!projection_)
        projection_ = MakeProjection();
    projection_->SetFrame(points_);
    PlaceProjection();
}

FrameView *ViewMenu::MakeProjection()
{
    auto *projection = new FrameView(window_);
    projection->setWindowFlag(Qt::Window);
    projection->setAttribute(Qt::WA_DeleteOnClose);
    projection->setWindowTitle(QStringLiteral("Lumivex Projection"));
    projection->SetInteractive(false);
    projection->setCursor(Qt::BlankCursor);
    auto *close = new QAction(projection);
    close->setShortcut(Qt::Key_Escape);
    connect(close, &QAction::triggered, projection, &QWidget::close);
    projection->addAction(close);
    // The playing keys work from the projection too.
    projection->addActions(projectionKeys_);
    connect(projection, &QObject::destroyed, this, [this] {
        projection_ = nullptr;
        projectionAction_->setChecked(false);
    });
    return projection;
}

void ViewMenu::PlaceProjection()
{
    // On another screen if there is one, filling it; else a window.
    QScreen *other = nullptr;
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen != window_->screen())
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

} // namespace player
