// The main window: views a Lumivex point file (labels, value listing, hex
// dump, plot) and saves its outline as an ILDA file in the picked colour.
#pragma once

#include "ui_Unit1.h"

#include "lumivex/PointFile.h"
#include "toolkit/Colors.h"
#include "toolkit/Dialogs.h"
#include "toolkit/TPanel.h"

#include <QElapsedTimer>
#include <QMainWindow>

#include <cstdint>
#include <string>

class QDragEnterEvent;
class QDropEvent;
class QTimer;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // The form's components, built from Unit1.ui.
    Ui::TForm1 ui;
    QTimer *Timer1;
    toolkit::TOpenDialog OD1;
    toolkit::TSaveDialog SaveDlg;

    // The file shown: its bare name, the count of the last file read and
    // the samples of the last file accepted.
    std::string CurFileName;
    std::uint16_t PtCount = 0;
    lumivex::SampleBuffer XBuf{};
    lumivex::SampleBuffer YBuf{};

    void FormCreate();
    void SpeedButton2Click(QObject *Sender);
    void sPlayClick(QObject *Sender);
    void Open1Click(QObject *Sender);
    void Timer1Timer(QObject *Sender);
    void Exit1Click(QObject *Sender);
    // Any button counts; the position is not used.
    void pd1MouseDown(QObject *Sender, Qt::MouseButton Button, toolkit::TShiftState Shift, int X, int Y);
    void SaveAsIlda1Click(QObject *Sender);

    // Opens path as File, Open does after its dialog: the hex dump, then the
    // point file. A file opened this way also cancels the start-up demo.
    void OpenFile(const QString &path);

    // Reads the current file anew and shows it: labels, listing, plot.
    void ShowPointFile();
    // The hex dump's progress in the status bar. 64-bit, so positions past
    // 2 GB do not show as garbage.
    void ShowProgress(std::int64_t Position);

    // The colour of pd11: lines of the plot and the exported points.
    toolkit::TColor CurrentColor() const;

protected:
    // A file dropped on the window is opened as File, Open would.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void connectHandlers();
    void centreOnScreen();
    // Makes path the current file and loads it into the text pane.
    void loadFile(const QString &path);
    void setFileLabels(const lumivex::FileLabels &labels);
    void plot();

    // Where the current file was found: Save moves the current directory,
    // and the redraw must still read the file that was opened.
    QString curFilePath_;
    // XBuf and YBuf hold the samples of an accepted file and PtCount is its
    // count: false at start and after a rejected file.
    bool haveImage_ = false;
    bool loading_ = false;
    QElapsedTimer progressPainted_;
};

// The main window while it exists.
extern TForm1 *Form1;
