#include "player/PlayerWindow.h"

#include "FrameFacts.h"
#include "player/FileListPanel.h"
#include "player/OutputMenu.h"
#include "player/ScannerMode.h"
#include "player/ViewMenu.h"
#include "toolkit/Drops.h"
#include "widgets/CZelkScrollBar.h"

#include <QAction>
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFormLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolButton>
#include <QUrl>

#include <algorithm>
#include <chrono>
#include <climits>

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
    scanner_ = new ScannerMode(view_, this);
    viewMenu_ = new ViewMenu(this, view_);
    fileList_ = new FileListPanel(this);
    connect(fileList_, &FileListPanel::FileChosen, this, &PlayerWindow::OpenFile);
    connect(fileList_, &FileListPanel::StepWanted, this, &PlayerWindow::StepFile);
    connect(fileList_, &FileListPanel::PlayingThroughChanged, this, &PlayerWindow::OnPlayingThroughChanged);
    slider_ = new TZelkScrollBar;
    slider_->SetMin(0);
    slider_->SetMax(0);
    slider_->SetLargeChange(10);
    slider_->setEnabled(false);
    slider_->setRepeatDelay(kSliderRepeatDelay);
    connect(slider_, &TZelkScrollBar::positionChanged, this, &PlayerWindow::OnSliderMoved);

    BuildActions();
    BuildMenus();
    // Live output: the frame on show goes to the DAC while the switch is on.
    auto *output = new OutputMenu(this);
    connect(this, &PlayerWindow::FrameShown, output, [this, output] { output->SetFrame(view_->Frame()); });

    auto *top = new QHBoxLayout;
    top->addWidget(view_, 1);
    top->addWidget(scanner_->View(), 1);
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
    skipped_ = new QLabel;
    skipped_->setObjectName(QStringLiteral("skippedFrames"));
    skipped_->setToolTip(QStringLiteral("Frames passed over to keep the rate while playing: the drawing came late."));
    skipped_->hide();
    statusBar()->addWidget(status_, 1);
    statusBar()->addPermanentWidget(skipped_);
    statusBar()->addPermanentWidget(progress_);
    statusBar()->addPermanentWidget(messagesButton_);

    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &PlayerWindow::OnTick);
    SetRate(rate_);
    UpdateInfo();
    resize(820, 640);
}

PlayerWindow::~PlayerWindow()
{
    // The projection window before the actions it reports to go with the other children.
    delete viewMenu_;
}

const PlayList &PlayerWindow::Files() const
{
    return fileList_->Files();
}

FrameView *PlayerWindow::Projection() const
{
    return viewMenu_->Projection();
}

void PlayerWindow::ShowProjection(bool show)
{
    viewMenu_->ShowProjection(show);
}

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
    messagesAction_ = action(QStringLiteral("Reading &messages..."), Qt::CTRL | Qt::Key_M, [this] { ShowMessages(); });
    goToAction_ = action(QStringLiteral("&Go to frame..."), Qt::CTRL | Qt::Key_G, [this] { GoToFrame(); });
    BuildFileActions();
    viewMenu_->SetProjectionKeys({playAction_, backAction_, forwardAction_, firstAction_, lastAction_,
                                  fileList_->PreviousAction(), fileList_->NextAction()});
}

void PlayerWindow::BuildMenus()
{
    BuildFileMenu();
    QMenu *play = menuBar()->addMenu(QStringLiteral("&Play"));
    for (QAction *a : {playAction_, backAction_, forwardAction_, firstAction_, lastAction_, goToAction_})
        play->addAction(a);
    play->addSeparator();
    play->addActions({loopAction_, fileList_->ThroughAction(), fileList_->PreviousAction(), fileList_->NextAction()});
    viewMenu_->AddMenu(scanner_, {fileList_->ToggleAction(), messagesAction_});
}

QWidget *PlayerWindow::BuildInfoPanel()
{
    auto *panel = new QWidget;
    panel->setFixedWidth(230);
    auto *form = new QFormLayout(panel);
    frameBox_ = new QSpinBox;
    frameBox_->setObjectName(QStringLiteral("frameBox"));
    frameBox_->setKeyboardTracking(false); // jumps on Enter, not at each digit
    frameBox_->setRange(0, 0);
    frameBox_->setToolTip(QStringLiteral("Type a frame number and press Enter to go there (Ctrl+G)."));
    connect(frameBox_, &QSpinBox::valueChanged, this, &PlayerWindow::OnFrameBoxChanged);
    frameCount_ = new QLabel;
    auto *frameRow = new QHBoxLayout;
    frameRow->addWidget(frameBox_, 1);
    frameRow->addWidget(frameCount_);
    numberValue_ = ValueLabel("numberValue");
    numberValue_->setToolTip(QStringLiteral("The frame number and total written in the frame's header."));
    nameValue_ = ValueLabel("nameValue");
    companyValue_ = ValueLabel("companyValue");
    formatValue_ = ValueLabel("formatValue");
    pointsValue_ = ValueLabel("pointsValue");
    paletteValue_ = ValueLabel("paletteValue");
    form->addRow(QStringLiteral("Frame:"), frameRow);
    form->addRow(QStringLiteral("Number in file:"), numberValue_);
    form->addRow(QStringLiteral("Name:"), nameValue_);
    form->addRow(QStringLiteral("Company:"), companyValue_);
    form->addRow(QStringLiteral("Format:"), formatValue_);
    form->addRow(QStringLiteral("Points:"), pointsValue_);
    form->addRow(QStringLiteral("Palette:"), paletteValue_);
    form->addRow(scanner_->Facts());
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
        if (action == playAction_) {
            // As wide as its widest text, so that nothing moves at a toggle.
            int width = 0;
            for (const char *text : {"Play", "Pause"}) {
                button->setText(QLatin1String(text));
                width = std::max(width, button->sizeHint().width());
            }
            button->setText(action->text());
            button->setFixedWidth(width);
        }
        row->addWidget(button);
    }
    frameValue_ = ValueLabel("frameValue");
    frameValue_->setWordWrap(false);
    frameValue_->setAlignment(Qt::AlignCenter);
    row->addSpacing(8);
    row->addWidget(frameValue_);
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
    for (QAction *a : {loopAction_, viewMenu_->BlankedAction()}) {
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
    return OpenPath(QFile::encodeName(path).toStdString());
}

bool PlayerWindow::OpenPath(const std::string &name)
{
    const QString path = QFile::decodeName(QByteArray::fromStdString(name));
    if (const auto problem = CheckReadable(name)) {
        ShowProblem(QString::fromStdString(*problem));
        return false;
    }
    // Both opened before anything changes: if the file vanished since the
    // check, the file on show stays as it was, playing or not.
    std::unique_ptr<FrameScan> scan;
    try {
        scan = std::make_unique<FrameScan>(name);
        cache_.Open(name);
    } catch (const std::exception &error) {
        ShowProblem(QString::fromStdString(error.what()));
        return false;
    }
    SetPlaying(false);
    scan_ = std::move(scan); // cancels the scan of the file before
    path_ = path;
    pathBytes_ = name;
    frame_.reset();
    viewMenu_->ForgetFrame();
    wanted_.reset();
    changed_ = false;
    current_ = 0;
    shown_ = false;
    PlayList &files = fileList_->Files();
    const int listed = int(files.Files().indexOf(path));
    if (listed < 0)
        files.Set({path});
    else
        files.SetCurrent(listed);
    fileList_->Refresh();
    RecentFiles::Add(path);
    setWindowTitle(QStringLiteral("%1 - Lumivex Player").arg(QFileInfo(path).fileName()));
    view_->SetFrame({});
    scanner_->SetFrame({});
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

    connect(scan_.get(), &FrameScan::FramesFound, this, &PlayerWindow::OnFramesFound);
    connect(scan_.get(), &FrameScan::Progress, this, &PlayerWindow::OnProgress);
    connect(scan_.get(), &FrameScan::Finished, this, &PlayerWindow::OnScanFinished);
    UpdateInfo();
    return true;
}

std::size_t PlayerWindow::FrameCount() const
{
    return scan_ ? scan_->Count() : 0;
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
    if (!shown_ && (!wanted_ || *wanted_ < count)) {
        shown_ = true;
        ShowFrame(wanted_.value_or(0));
        slider_->setFocus();
    } else {
        UpdateInfo();
    }
    PlayNextOnceShown();
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
    if (!shown_ && FrameCount() > 0) {
        // The changed file has fewer frames than the one on show before.
        shown_ = true;
        ShowFrame(std::min(wanted_.value_or(0), FrameCount() - 1));
    }
    status_->setText(file + (changed_ ? QStringLiteral(" (changed on disk, read again): ") : QStringLiteral(": ")) +
                     VerdictText(FrameCount(), outcome));
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
    PlayNextOnceShown();
    emit ScanFinished();
}

FramePoints PlayerWindow::CurrentPoints()
{
    if (!frame_)
        return {};
    return cache_.Points(*frame_);
}

void PlayerWindow::ShowFrame(std::size_t index)
{
    if (index >= FrameCount() || !cache_.Stream())
        return;
    std::optional<ilda::FrameInfo> frame = scan_->Locate(*cache_.Stream(), index);
    FramePoints points = frame ? cache_.Points(*frame) : FramePoints();
    // A frame the file no longer holds (in full) is not drawn as an empty one.
    if (!points || points->size() < frame->pointCount || cache_.Changed()) {
        if (cache_.Changed())
            ReadChangedFile();
        else
            ShowProblem(QStringLiteral("Frame %1 cannot be read from %2").arg(index).arg(QFileInfo(path_).fileName()));
        return;
    }
    current_ = index;
    frame_ = std::move(frame);
    view_->SetFrame(points);
    viewMenu_->SetFrame(frame_, points, index);
    scanner_->SetFrame(points);
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
        clock_.ClearSkipped();
        ShowSkipped();
        skipped_->show();
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
    const PlaybackClock::Due due = clock_.Advance(Now(), FrameCount(), loop_ && !fileList_->PlayingThrough());
    if (due.frame != current_)
        ShowFrame(due.frame);
    ShowSkipped();
    if (due.ended)
        OnFileEnded();
}

void PlayerWindow::ShowSkipped()
{
    const std::uint64_t n = clock_.Skipped();
    skipped_->setText(n == 1 ? QStringLiteral("1 frame skipped") : QStringLiteral("%1 frames skipped").arg(n));
}

void PlayerWindow::UpdateInfo()
{
    const std::size_t count = FrameCount();
    const bool scanning = scan_ && scan_->CurrentPhase() == FrameScan::Phase::Frames;
    const bool has = frame_ && current_ < count;
    for (QAction *a :
         {exportPngAction_, exportSvgAction_, backAction_, forwardAction_, firstAction_, lastAction_, goToAction_})
        a->setEnabled(has);
    playAction_->setEnabled(count > 1);
    {
        const QSignalBlocker quiet(frameBox_);
        frameBox_->setRange(has ? 1 : 0, int(std::min<std::size_t>(count, INT_MAX)));
        frameBox_->setValue(has ? int(current_ + 1) : 0);
        frameBox_->setEnabled(has);
    }
    frameCount_->setText(QStringLiteral("of %1%2").arg(count).arg(scanning ? "..." : ""));
    // Wide enough for the last frame, so the label keeps still while playing.
    frameValue_->setMinimumWidth(frameValue_->fontMetrics().horizontalAdvance(FrameLabel(count, count, true)));
    viewMenu_->UpdateOptions();
    if (!has) {
        frameValue_->setText(scan_ ? QStringLiteral("No frame") : QString());
        for (QLabel *label : {numberValue_, nameValue_, companyValue_, formatValue_, pointsValue_, paletteValue_})
            label->clear();
        return;
    }
    const ilda::FrameInfo &frame = *frame_;
    frameValue_->setText(FrameLabel(current_, count, scanning));
    numberValue_->setText(HeaderNumberText(frame.header));
    nameValue_->setText(QString::fromStdString(ilda::NameUtf8(frame.header.name)));
    companyValue_->setText(QString::fromStdString(ilda::NameUtf8(frame.header.company)));
    formatValue_->setText(FormatText(frame.header.format));
    pointsValue_->setText(PointsText(frame));
    paletteValue_->setText(PaletteText(frame));
}

void PlayerWindow::ReadChangedFile()
{
    const std::size_t keep = current_;
    if (!OpenPath(pathBytes_)) {
        SetPlaying(false);
        return;
    }
    wanted_ = keep;
    changed_ = true;
    status_->setText(QStringLiteral("%1 changed on disk; reading it again...").arg(QFileInfo(path_).fileName()));
}

void PlayerWindow::ShowProblem(const QString &text)
{
    status_->setText(text);
    status_->setStyleSheet(QStringLiteral("color: #b00000"));
}

void PlayerWindow::ShowNote(const QString &text)
{
    status_->setText(text);
    status_->setStyleSheet({});
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
    if (const QString problem = ReplacesInputProblem(path_, path); !problem.isEmpty())
        return problem;
    return NoteExport(path, WritePng(path, *points, size, view_->Options()));
}

QString PlayerWindow::ExportSvg(const QString &path)
{
    const FramePoints points = CurrentPoints();
    if (!points)
        return QStringLiteral("There is no frame to export.");
    if (const QString problem = ReplacesInputProblem(path_, path); !problem.isEmpty())
        return problem;
    constexpr int kSvgSize = 1024;
    return NoteExport(path,
                      WriteSvg(path, *points, kSvgSize, view_->Options(),
                               QStringLiteral("%1, frame %2").arg(QFileInfo(path_).fileName()).arg(current_ + 1)));
}

QString PlayerWindow::NoteExport(const QString &path, const QString &problem)
{
    if (problem.isEmpty())
        ShowNote(QStringLiteral("Frame %1 written to %2")
                     .arg(current_ + 1)
                     .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())));
    return problem;
}

QString PlayerWindow::SuggestedName(const QString &extension) const
{
    return QStringLiteral("%1-frame-%2.%3").arg(QFileInfo(path_).completeBaseName()).arg(current_ + 1).arg(extension);
}

void PlayerWindow::AskOpen()
{
    const QStringList paths = QFileDialog::getOpenFileNames(this, QStringLiteral("Open ILDA files"), QString(),
                                                            QStringLiteral("ILDA files (*.ild *.ILD);;All files (*)"));
    if (!paths.isEmpty())
        OpenFiles(paths);
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
        QMessageBox::warning(this, QStringLiteral("Export frame as PNG"), problem);
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
        QMessageBox::warning(this, QStringLiteral("Export frame as SVG"), problem);
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

void PlayerWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && viewMenu_->LeaveFullScreen())
        return;
    QMainWindow::keyPressEvent(event);
}

void PlayerWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!toolkit::DroppedLocalFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void PlayerWindow::dropEvent(QDropEvent *event)
{
    if (toolkit::DroppedLocalFile(event->mimeData()).isEmpty())
        return;
    event->acceptProposedAction();
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    OpenFiles(paths);
}

} // namespace player
