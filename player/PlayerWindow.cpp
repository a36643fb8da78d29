#include "player/PlayerWindow.h"

#include "FrameFacts.h"
#include "player/OutputMenu.h"
#include "toolkit/Drops.h"
#include "widgets/CZelkScrollBar.h"

#include <QAction>
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>

#include <algorithm>
#include <chrono>

namespace player {

namespace {

QLabel *ValueLabel(const char *name)
{
    auto *label = new QLabel;
    label->setObjectName(QLatin1String(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

PlaybackClock::Time Now()
{
    return std::chrono::steady_clock::now();
}

} // namespace

PlayerWindow::PlayerWindow(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Lumivex Player"));
    setAcceptDrops(true);

    view_ = new FrameView;
    view_->SetNotice(QStringLiteral("Open an ILDA file (File, Open) or drop one here."));
    slider_ = new TZelkScrollBar;
    slider_->SetMin(0);
    slider_->SetMax(0);
    slider_->SetLargeChange(10);
    slider_->setEnabled(false);
    connect(slider_, &TZelkScrollBar::positionChanged, this, &PlayerWindow::OnSliderMoved);

    BuildActions();
    BuildMenus();
    // Live output: the frame on show goes to the DAC while the switch is on.
    auto *output = new OutputMenu(this);
    connect(this, &PlayerWindow::FrameShown, output, [this, output] { output->SetFrame(view_->Frame()); });

    auto *top = new QHBoxLayout;
    top->addWidget(view_, 1);
    top->addWidget(BuildInfoPanel());
    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    layout->addLayout(top, 1);
    layout->addWidget(BuildControls());
    layout->addWidget(slider_);
    setCentralWidget(central);

    status_ = new QLabel;
    progress_ = new QProgressBar;
    progress_->setRange(0, 1000);
    progress_->setMaximumWidth(160);
    progress_->setTextVisible(false);
    progress_->hide();
    messagesButton_ = new QToolButton;
    messagesButton_->setDefaultAction(messagesAction_);
    messagesButton_->hide();
    statusBar()->addWidget(status_, 1);
    statusBar()->addPermanentWidget(progress_);
    statusBar()->addPermanentWidget(messagesButton_);

    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &PlayerWindow::OnTick);
    SetRate(rate_);
    UpdateInfo();
    resize(820, 640);
}

PlayerWindow::~PlayerWindow() = default;

void PlayerWindow::BuildActions()
{
    auto action = [this](const QString &text, QKeySequence key, auto slot) {
        auto *a = new QAction(text, this);
        a->setShortcut(key);
        connect(a, &QAction::triggered, this, slot);
        addAction(a);
        return a;
    };
    openAction_ = action(QStringLiteral("&Open..."), QKeySequence::Open, [this] { AskOpen(); });
    exportPngAction_ = action(QStringLiteral("Export frame as &PNG..."), {}, [this] { AskExportPng(); });
    exportSvgAction_ = action(QStringLiteral("Export frame as &SVG..."), {}, [this] { AskExportSvg(); });
    quitAction_ = action(QStringLiteral("&Quit"), QKeySequence::Quit, [this] { close(); });
    playAction_ = action(QStringLiteral("&Play"), Qt::Key_Space, [this] { SetPlaying(!Playing()); });
    backAction_ = action(QStringLiteral("Step &back"), Qt::Key_Left, [this] { StepBy(-1); });
    forwardAction_ = action(QStringLiteral("Step &forward"), Qt::Key_Right, [this] { StepBy(1); });
    firstAction_ = action(QStringLiteral("F&irst frame"), Qt::Key_Home, [this] {
        ShowFrame(0);
        RestartClock();
    });
    lastAction_ = action(QStringLiteral("&Last frame"), Qt::Key_End, [this] {
        ShowFrame(FrameCount() ? FrameCount() - 1 : 0);
        RestartClock();
    });
    loopAction_ = action(QStringLiteral("L&oop"), Qt::Key_L, [this](bool on) { SetLooping(on); });
    loopAction_->setCheckable(true);
    loopAction_->setChecked(loop_);
    blankedAction_ = action(QStringLiteral("Show &blanked moves"), Qt::Key_B, [this](bool on) {
        DrawOptions options = view_->Options();
        options.showBlanked = on;
        view_->SetOptions(options);
    });
    blankedAction_->setCheckable(true);
    messagesAction_ = action(QStringLiteral("Reading &messages..."), Qt::CTRL | Qt::Key_M, [this] { ShowMessages(); });
}

void PlayerWindow::BuildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(openAction_);
    file->addAction(exportPngAction_);
    file->addAction(exportSvgAction_);
    file->addSeparator();
    file->addAction(quitAction_);
    QMenu *play = menuBar()->addMenu(QStringLiteral("&Play"));
    for (QAction *a : {playAction_, backAction_, forwardAction_, firstAction_, lastAction_, loopAction_})
        play->addAction(a);
    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(blankedAction_);
    view->addAction(messagesAction_);
}

QWidget *PlayerWindow::BuildInfoPanel()
{
    auto *panel = new QWidget;
    panel->setFixedWidth(230);
    auto *form = new QFormLayout(panel);
    frameValue_ = ValueLabel("frameValue");
    frameValue_->setToolTip(
        QStringLiteral("Frames are counted from 0, as lumivex-player --render --frame counts them."));
    nameValue_ = ValueLabel("nameValue");
    companyValue_ = ValueLabel("companyValue");
    formatValue_ = ValueLabel("formatValue");
    pointsValue_ = ValueLabel("pointsValue");
    paletteValue_ = ValueLabel("paletteValue");
    form->addRow(QStringLiteral("Frame:"), frameValue_);
    form->addRow(QStringLiteral("Name:"), nameValue_);
    form->addRow(QStringLiteral("Company:"), companyValue_);
    form->addRow(QStringLiteral("Format:"), formatValue_);
    form->addRow(QStringLiteral("Points:"), pointsValue_);
    form->addRow(QStringLiteral("Palette:"), paletteValue_);
    return panel;
}

QWidget *PlayerWindow::BuildControls()
{
    auto *controls = new QWidget;
    auto *row = new QHBoxLayout(controls);
    row->setContentsMargins(0, 0, 0, 0);
    const std::pair<QAction *, QString> buttons[] = {{firstAction_, QStringLiteral("|<")},
                                                     {backAction_, QStringLiteral("<")},
                                                     {playAction_, QString()},
                                                     {forwardAction_, QStringLiteral(">")},
                                                     {lastAction_, QStringLiteral(">|")}};
    for (const auto &entry : buttons) {
        QAction *action = entry.first;
        const QString face = entry.second; // a copy: clang 14 cannot capture structured bindings
        auto *button = new QToolButton;
        button->setDefaultAction(action);
        button->setFocusPolicy(Qt::NoFocus); // the keys stay with the slider
        if (!face.isEmpty()) {
            button->setText(face);
            connect(action, &QAction::changed, button, [button, face] { button->setText(face); });
        }
        button->setToolTip(QStringLiteral("%1 (%2)").arg(action->text().remove('&'),
                                                         action->shortcut().toString(QKeySequence::NativeText)));
        row->addWidget(button);
    }
    rateBox_ = new QComboBox;
    rateBox_->setFocusPolicy(Qt::NoFocus);
    QList<double> rates(std::begin(kRates), std::end(kRates));
    std::sort(rates.begin(), rates.end());
    for (double rate : rates)
        rateBox_->addItem(QStringLiteral("%1 frames/s").arg(rate), rate);
    rateBox_->setCurrentIndex(rateBox_->findData(rate_));
    connect(rateBox_, &QComboBox::currentIndexChanged, this,
            [this](int index) { SetRate(rateBox_->itemData(index).toDouble()); });
    row->addSpacing(12);
    row->addWidget(rateBox_);
    for (QAction *a : {loopAction_, blankedAction_}) {
        auto *box = new QCheckBox(a->text().remove('&'));
        box->setFocusPolicy(Qt::NoFocus);
        box->setChecked(a->isChecked());
        connect(box, &QCheckBox::toggled, a, [a](bool on) {
            if (a->isChecked() != on)
                a->trigger();
        });
        connect(a, &QAction::toggled, box, &QCheckBox::setChecked);
        row->addWidget(box);
    }
    row->addStretch(1);
    return controls;
}

bool PlayerWindow::OpenFile(const QString &path)
{
    const std::string name = path.toStdString();
    if (const auto problem = CheckReadable(name)) {
        ShowProblem(QString::fromStdString(*problem));
        return false;
    }
    SetPlaying(false);
    scan_.reset(); // cancels the scan of the file before
    try {
        cache_.Open(name);
    } catch (const std::exception &error) {
        ShowProblem(QString::fromStdString(error.what()));
        return false;
    }
    path_ = path;
    current_ = 0;
    shown_ = false;
    setWindowTitle(QStringLiteral("%1 - Lumivex Player").arg(QFileInfo(path).fileName()));
    view_->SetFrame({});
    view_->SetNotice(QStringLiteral("Reading %1...").arg(QFileInfo(path).fileName()));
    slider_->SetMax(0);
    slider_->SetPosition(0);
    slider_->setEnabled(false);
    status_->setText(QStringLiteral("Reading %1...").arg(QFileInfo(path).fileName()));
    status_->setStyleSheet({});
    messagesButton_->hide();
    progress_->setValue(0);
    progress_->show();
    if (messagesDialog_)
        messagesDialog_->hide();

    scan_ = std::make_unique<FrameScan>(name);
    connect(scan_.get(), &FrameScan::FramesFound, this, &PlayerWindow::OnFramesFound);
    connect(scan_.get(), &FrameScan::Progress, this, &PlayerWindow::OnProgress);
    connect(scan_.get(), &FrameScan::Finished, this, &PlayerWindow::OnScanFinished);
    UpdateInfo();
    return true;
}

std::size_t PlayerWindow::FrameCount() const
{
    return scan_ ? scan_->Frames().size() : 0;
}

bool PlayerWindow::ScanDone() const
{
    return scan_ && scan_->CurrentPhase() == FrameScan::Phase::Done;
}

QString PlayerWindow::StatusText() const
{
    return status_->text();
}

void PlayerWindow::OnFramesFound(std::size_t count)
{
    slider_->SetMax(static_cast<std::int32_t>(count - 1));
    slider_->setEnabled(true);
    if (!shown_) {
        shown_ = true;
        ShowFrame(0);
        slider_->setFocus();
    } else {
        UpdateInfo();
    }
}

void PlayerWindow::OnProgress(FrameScan::Phase phase, int permille)
{
    // The frames are found fast; checking the points takes the rest.
    progress_->setValue(phase == FrameScan::Phase::Frames ? permille / 10 : 100 + permille * 9 / 10);
}

void PlayerWindow::OnScanFinished()
{
    progress_->hide();
    const ilda::ReadOutcome &outcome = scan_->Outcome();
    const QString file = QFileInfo(path_).fileName();
    status_->setText(file + QStringLiteral(": ") + VerdictText(FrameCount(), outcome));
    status_->setStyleSheet(outcome.errorCount ? QStringLiteral("color: #b00000") : QString());
    messagesButton_->setVisible(!outcome.Conforms());
    if (FrameCount() == 0) {
        const QString why =
            outcome.errors.empty() ? QStringLiteral("the file holds no frame") : DiagnosticText(outcome.errors.front());
        view_->SetNotice(QStringLiteral("Nothing to show in %1: %2").arg(file, why));
    }
    if (messagesDialog_ && messagesDialog_->isVisible())
        ShowMessages();
    UpdateInfo();
    emit ScanFinished();
}

FramePoints PlayerWindow::CurrentPoints()
{
    if (current_ >= FrameCount())
        return {};
    return cache_.Points(scan_->Frames()[current_]);
}

void PlayerWindow::ShowFrame(std::size_t index)
{
    if (index >= FrameCount())
        return;
    current_ = index;
    view_->SetFrame(CurrentPoints());
    slider_->SetPosition(static_cast<std::int32_t>(index));
    UpdateInfo();
    emit FrameShown(index);
}

void PlayerWindow::OnSliderMoved(int position)
{
    if (position < 0 || std::size_t(position) == current_)
        return;
    ShowFrame(std::size_t(position));
    RestartClock();
}

void PlayerWindow::StepBy(int delta)
{
    SetPlaying(false);
    const std::size_t count = FrameCount();
    if (count == 0)
        return;
    const auto target = std::clamp<std::int64_t>(std::int64_t(current_) + delta, 0, std::int64_t(count) - 1);
    ShowFrame(std::size_t(target));
}

void PlayerWindow::SetPlaying(bool playing)
{
    if (playing && FrameCount() < 2)
        playing = false;
    if (playing == Playing())
        return;
    if (playing) {
        // Playing from the last frame without looping starts again.
        if (!loop_ && current_ + 1 >= FrameCount())
            ShowFrame(0);
        RestartClock();
        timer_.start();
    } else {
        timer_.stop();
    }
    playAction_->setText(playing ? QStringLiteral("&Pause") : QStringLiteral("&Play"));
}

void PlayerWindow::RestartClock()
{
    clock_.Start(current_, Now(), rate_);
}

void PlayerWindow::SetRate(double rate)
{
    rate_ = rate > 0 ? rate : kRates[0];
    // Ticks twice a frame: the frame due is taken from the clock, so a
    // late tick costs no time.
    timer_.setInterval(std::max(1, int(500 / rate_)));
    if (rateBox_ && rateBox_->currentData().toDouble() != rate_)
        rateBox_->setCurrentIndex(rateBox_->findData(rate_));
    if (Playing())
        RestartClock();
}

void PlayerWindow::SetLooping(bool loop)
{
    loop_ = loop;
    if (loopAction_->isChecked() != loop)
        loopAction_->setChecked(loop);
    if (Playing())
        RestartClock();
}

void PlayerWindow::OnTick()
{
    const PlaybackClock::Due due = clock_.FrameAt(Now(), FrameCount(), loop_);
    if (due.frame != current_)
        ShowFrame(due.frame);
    if (due.ended)
        SetPlaying(false);
}

void PlayerWindow::UpdateInfo()
{
    const std::size_t count = FrameCount();
    const bool scanning = scan_ && scan_->CurrentPhase() == FrameScan::Phase::Frames;
    const bool has = current_ < count;
    for (QAction *a : {exportPngAction_, exportSvgAction_, backAction_, forwardAction_, firstAction_, lastAction_})
        a->setEnabled(has);
    playAction_->setEnabled(count > 1);
    if (!has) {
        frameValue_->setText(scan_ ? QStringLiteral("none") : QString());
        for (QLabel *label : {nameValue_, companyValue_, formatValue_, pointsValue_, paletteValue_})
            label->clear();
        return;
    }
    const ilda::FrameInfo &frame = scan_->Frames()[current_];
    frameValue_->setText(QStringLiteral("%1 of %2%3").arg(current_).arg(count).arg(scanning ? "..." : ""));
    nameValue_->setText(QString::fromStdString(ilda::NameText(frame.header.name)));
    companyValue_->setText(QString::fromStdString(ilda::NameText(frame.header.company)));
    formatValue_->setText(FormatText(frame.header.format));
    pointsValue_->setText(PointsText(frame));
    paletteValue_->setText(PaletteText(frame));
}

void PlayerWindow::ShowProblem(const QString &text)
{
    status_->setText(text);
    status_->setStyleSheet(QStringLiteral("color: #b00000"));
}

void PlayerWindow::ShowMessages()
{
    if (!messagesDialog_) {
        messagesDialog_ = new QDialog(this);
        messagesDialog_->setWindowTitle(QStringLiteral("Reading messages"));
        messagesText_ = new QPlainTextEdit;
        messagesText_->setReadOnly(true);
        messagesText_->setLineWrapMode(QPlainTextEdit::NoWrap);
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
        connect(buttons, &QDialogButtonBox::rejected, messagesDialog_, &QDialog::hide);
        auto *layout = new QVBoxLayout(messagesDialog_);
        layout->addWidget(messagesText_);
        layout->addWidget(buttons);
        messagesDialog_->resize(640, 320);
    }
    QStringList lines;
    if (!scan_)
        lines << QStringLiteral("No file is open.");
    else if (!ScanDone())
        lines << QStringLiteral("The file is still being read.");
    else if (scan_->Outcome().Conforms())
        lines << QStringLiteral("The file is as the standard wants it.");
    else
        lines = MessageLines(scan_->Outcome());
    messagesText_->setPlainText(lines.join('\n'));
    messagesDialog_->show();
    messagesDialog_->raise();
}

QString PlayerWindow::ExportPng(const QString &path, int size)
{
    const FramePoints points = CurrentPoints();
    if (!points)
        return QStringLiteral("There is no frame to export.");
    return WritePng(path, *points, size, view_->Options());
}

QString PlayerWindow::ExportSvg(const QString &path)
{
    const FramePoints points = CurrentPoints();
    if (!points)
        return QStringLiteral("There is no frame to export.");
    constexpr int kSvgSize = 1024;
    return WriteSvg(path, *points, kSvgSize, view_->Options(),
                    QStringLiteral("%1, frame %2").arg(QFileInfo(path_).fileName()).arg(current_));
}

QString PlayerWindow::SuggestedName(const QString &extension) const
{
    return QStringLiteral("%1-frame-%2.%3").arg(QFileInfo(path_).completeBaseName()).arg(current_).arg(extension);
}

void PlayerWindow::AskOpen()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open an ILDA file"), QString(),
                                                      QStringLiteral("ILDA files (*.ild *.ILD);;All files (*)"));
    if (!path.isEmpty())
        OpenFile(path);
}

void PlayerWindow::AskExportPng()
{
    bool ok = false;
    const int size =
        QInputDialog::getInt(this, QStringLiteral("Export frame as PNG"),
                             QStringLiteral("Side of the square image, in pixels:"), 1024, 16, 8192, 1, &ok);
    if (!ok)
        return;
    const QString path =
        QFileDialog::getSaveFileName(this, QStringLiteral("Export frame as PNG"), SuggestedName(QStringLiteral("png")),
                                     QStringLiteral("PNG images (*.png)"));
    if (path.isEmpty())
        return;
    const QString problem = ExportPng(path, size);
    if (!problem.isEmpty())
        QMessageBox::warning(this, QStringLiteral("Export frame as PNG"),
                             QStringLiteral("Cannot write %1: %2").arg(path, problem));
}

void PlayerWindow::AskExportSvg()
{
    const QString path =
        QFileDialog::getSaveFileName(this, QStringLiteral("Export frame as SVG"), SuggestedName(QStringLiteral("svg")),
                                     QStringLiteral("SVG drawings (*.svg)"));
    if (path.isEmpty())
        return;
    const QString problem = ExportSvg(path);
    if (!problem.isEmpty())
        QMessageBox::warning(this, QStringLiteral("Export frame as SVG"),
                             QStringLiteral("Cannot write %1: %2").arg(path, problem));
}

void PlayerWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!toolkit::DroppedLocalFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void PlayerWindow::dropEvent(QDropEvent *event)
{
    const QString path = toolkit::DroppedLocalFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    OpenFile(path);
}

} // namespace player
