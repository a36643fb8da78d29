#include "ui/Unit1.h"

#include "FormDescription.h"
#include "Open1.xpm"
#include "ui/HexConversion.h"

#include "lumivex/Export.h"
#include "lumivex/HexDump.h"
#include "rtl/Messages.h"
#include "rtl/SysUtils.h"
#include "toolkit/Drops.h"
#include "toolkit/MessageBoxes.h"
#include "toolkit/TApplication.h"
#include "toolkit/WaitCursor.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QPixmap>
#include <QPointer>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTimer>

#include <filesystem>

TForm1 *Form1 = nullptr;

namespace {

constexpr toolkit::TColor clYellow = 0x00FFFF;
constexpr int kClientWidth = 927;
constexpr int kClientHeight = 449;
// Repaints of the progress text closer than this are skipped: the text
// stays current, the dump is not slowed down by painting.
constexpr qint64 kProgressPaintMs = 33;

const char *const kHexExtensions[] = {"dat", "ild", "al",  "dec", "car", "lib",
                                      "bin", "obj", "exe", "txt", "asm"};

QString qs(const std::string &text) { return QString::fromStdString(text); }

// The name the save dialog proposes: the point file's name with ".ild".
QString ildaName(const std::string &fileName)
{
    std::filesystem::path name(fileName);
    name.replace_extension(".ild");
    return qs(name.string());
}

} // namespace

TForm1::TForm1(QWidget *parent)
    : QMainWindow(parent), Timer1(new QTimer(this))
{
    Form1 = this;
    ui.setupUi(this);
    ApplyFormDescription(this);
    ui.Open1->setIcon(QIcon(QPixmap(Open1_xpm)));

    OD1.SetDefaultExt(QStringLiteral("shw"));
    OD1.SetFileName(QStringLiteral("Test"));
    OD1.SetFilter(QStringLiteral("Show Files (*)"));
    OD1.SetTitle(QStringLiteral("Lumivex dat Files"));
    SaveDlg.SetOverwritePrompt(true);
    ui.Open1->setShortcut(QKeySequence::Open);
    ui.SaveAsIlda1->setShortcut(QKeySequence::Save);
    // Not QKeySequence::Quit: some platform themes bind nothing to it.
    ui.Exit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    setAcceptDrops(true);

    Timer1->setInterval(1000);
    connectHandlers();

    resize(kClientWidth, menuBar()->sizeHint().height() + kClientHeight);
    centreOnScreen();
    FormCreate();
    Timer1->start();
}

TForm1::~TForm1()
{
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::connectHandlers()
{
    // Every handler runs under the general error handler (RunHandler).
    auto bind = [this](auto *sender, auto signal, void (TForm1::*handler)(QObject *)) {
        connect(sender, signal, this, [this, sender, handler] {
            toolkit::RunHandler([&] { (this->*handler)(sender); });
        });
    };
    for (toolkit::TSpeedButton *button : {ui.SpeedButton2, ui.sbLns, ui.sbPts})
        bind(button, &QAbstractButton::clicked, &TForm1::SpeedButton2Click);
    bind(ui.sPlay, &QAbstractButton::clicked, &TForm1::sPlayClick);
    bind(ui.Open1, &QAction::triggered, &TForm1::Open1Click);
    bind(ui.SaveAsIlda1, &QAction::triggered, &TForm1::SaveAsIlda1Click);
    bind(ui.Exit1, &QAction::triggered, &TForm1::Exit1Click);
    bind(Timer1, &QTimer::timeout, &TForm1::Timer1Timer);
    for (toolkit::TPanel *swatch : {ui.pd1, ui.pd2, ui.pd3, ui.pd4, ui.pd5, ui.pd6, ui.pd7, ui.pd8, ui.pd9})
        swatch->OnMouseDown = [this](QObject *Sender, Qt::MouseButton Button, toolkit::TShiftState Shift,
                                     int X, int Y) {
            toolkit::RunHandler([&] { pd1MouseDown(Sender, Button, Shift, X, Y); });
        };
}

void TForm1::centreOnScreen()
{
    if (const QScreen *s = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(s->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TForm1::FormCreate()
{
    ui.pn->SetColor(0x000000);
    ui.pn->SetAlignClient(true);
    ui.pb->SetAlignClient(true);
    ui.pb->Repaint();
    // The registry outlives the window: a load after it has gone reports nowhere.
    const QPointer<TForm1> form(this);
    const auto makeHexConversion = [form] {
        return std::make_unique<THexConversion>([form](std::int64_t Position) {
            if (form)
                form->ShowProgress(Position);
        });
    };
    for (const char *ext : kHexExtensions)
        toolkit::TTextPane::RegisterExtension(QLatin1String(ext), makeHexConversion);
}

toolkit::TColor TForm1::CurrentColor() const
{
    return ui.pd11->Color();
}

void TForm1::SpeedButton2Click(QObject *)
{
    // Lines and Points have toggled themselves before the click arrives.
    ShowPointFile();
}

void TForm1::sPlayClick(QObject *)
{
    ui.pb->Repaint();
    ShowPointFile();
}

void TForm1::Exit1Click(QObject *)
{
    close();
}

void TForm1::setFileLabels(const lumivex::FileLabels &labels)
{
    const std::pair<QLabel *, const std::string *> texts[] = {
        {ui.lFlNm, &labels.fileName}, {ui.lFlSz, &labels.fileSize},
        {ui.lPts, &labels.points},    {ui.lFlStr, &labels.structure}};
    for (const auto &[label, text] : texts) {
        label->setText(qs(*text));
        label->adjustSize(); // labels size themselves to their text
    }
    ui.pFlNm->SetCaption(qs(labels.panelName));
}

void TForm1::ShowPointFile()
{
    ui.pb->Repaint();
    const std::string path = curFilePath_.toStdString();
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error)) {
        rtl::ShowMessage("no file");
        return;
    }
    // A file that cannot be opened is left to the general error handler,
    // named as the user chose it.
    lumivex::PointFile file;
    try {
        file = lumivex::ReadPointFile(path);
    } catch (const rtl::EFOpenError &) {
        throw rtl::EFOpenError(rtl::CannotOpenText(CurFileName));
    }

    PtCount = file.ptCount;
    ui.lb->clear();
    for (const std::string &line : file.listing)
        ui.lb->addItem(qs(line));
    if (!file.accepted()) {
        haveImage_ = false;
        rtl::ShowMessage(file.message);
        return;
    }
    setFileLabels(lumivex::PointFileLabels(CurFileName, file));
    XBuf = file.xBuf;
    YBuf = file.yBuf;
    haveImage_ = true;
    plot();
}

void TForm1::plot()
{
    toolkit::TCanvas &canvas = ui.pb->Canvas();
    const bool points = ui.sbPts->Down();
    const bool lines = ui.sbLns->Down();
    const int count = lumivex::PlottedSampleCount(PtCount);
    for (int k = 0; k < count; ++k) {
        const int x = XBuf[std::size_t(k)];
        const int y = YBuf[std::size_t(k)];
        canvas.SetPenColor(clYellow);
        if (points)
            canvas.Ellipse(x - 1, y - 1, x + 1, y + 1);
        canvas.SetPenColor(CurrentColor());
        if (k == 0)
            canvas.MoveTo(x, y);
        else if (lines)
            canvas.LineTo(x, y);
    }
}

void TForm1::loadFile(const QString &path)
{
    curFilePath_ = QFileInfo(path).absoluteFilePath();
    CurFileName = QFileInfo(path).fileName().toStdString();
    const QScopedValueRollback<bool> loading(loading_, true);
    toolkit::TWaitCursor wait;
    ui.StatusBar->SetSimpleText(QStringLiteral("Reading..."));
    ui.Rich->clear();
    // Let the empty pane and the status text show before the long load;
    // user input waits, so no other command starts in the middle of this one.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    progressPainted_.invalidate();
    try {
        ui.Rich->LoadFromFile(curFilePath_);
        ui.StatusBar->SetSimpleText(qs(CurFileName));
    } catch (const rtl::EFOpenError &) {
        ui.StatusBar->SetSimpleText(QString());
        toolkit::ShowErrorBox(QStringLiteral("Can't open file %1.").arg(qs(CurFileName)));
    }
}

void TForm1::Open1Click(QObject *)
{
    OD1.SetInitialDir(toolkit::TApplication::ExeDir());
    OD1.SetDefaultExt(QStringLiteral("DAT"));
    if (!OD1.Execute(this)) {
        sPlayClick(this);
        return;
    }
    const QString chosen = OD1.FileName();
    // Proposed the next time.
    OD1.SetFileName(QFileInfo(chosen).fileName());
    OpenFile(chosen);
}

void TForm1::OpenFile(const QString &path)
{
    Timer1->stop();
    loadFile(path);
    sPlayClick(this);
}

void TForm1::dragEnterEvent(QDragEnterEvent *event)
{
    if (!toolkit::DroppedLocalFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent *event)
{
    const QString file = toolkit::DroppedLocalFile(event->mimeData());
    if (file.isEmpty())
        return;
    event->acceptProposedAction();
    toolkit::RunHandler([&] { OpenFile(file); });
}

void TForm1::Timer1Timer(QObject *)
{
    Timer1->stop();
    // The tick can arrive while a file the user chose is loading (the load
    // lets pending events run once); that choice wins over the demo.
    if (loading_)
        return;
    const QString demo = QStringLiteral("batman.dat");
    if (!QFileInfo(demo).isFile())
        return;
    loadFile(demo);
    sPlayClick(this);
}

void TForm1::ShowProgress(std::int64_t Position)
{
    ui.StatusBar->SetSimpleText(qs(lumivex::ProgressText(Position)));
    if (!progressPainted_.isValid() || progressPainted_.elapsed() >= kProgressPaintMs) {
        ui.StatusBar->RepaintNow();
        progressPainted_.start();
    }
}

void TForm1::pd1MouseDown(QObject *Sender, Qt::MouseButton, toolkit::TShiftState, int, int)
{
    if (const auto *swatch = qobject_cast<const toolkit::TPanel *>(Sender))
        ui.pd11->SetColor(swatch->Color());
    ShowPointFile();
}

void TForm1::SaveAsIlda1Click(QObject *)
{
    if (!haveImage_) {
        rtl::ShowMessage("There appears to be no image to save.");
        return;
    }
    SaveDlg.SetInitialDir(toolkit::TApplication::ExeDir());
    SaveDlg.SetFilter(QStringLiteral("Ilda files(*.ild)"));
    SaveDlg.SetDefaultExt(QStringLiteral("ild"));
    SaveDlg.SetFileName(ildaName(CurFileName));
    if (!SaveDlg.Execute(this))
        return;
    const QFileInfo chosen(SaveDlg.FileName());
    const std::unique_ptr<TIldaFile> ilda = lumivex::BuildIldaExport(XBuf, YBuf, PtCount, CurrentColor());
    // A file that cannot be written is left to the general error handler,
    // named as the user chose it; the labels then still describe what is shown.
    ilda->SaveToFile(chosen.absoluteFilePath().toStdString(), chosen.fileName().toStdString());
    setFileLabels(lumivex::IldaFileLabels(chosen.fileName().toStdString(), PtCount));
}
