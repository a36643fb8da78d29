// The main window: its state at start, the start-up load, File Open, the
// listing and plot, the swatches and File Save.
#include "WindowFixture.h"

#include "toolkit/TApplication.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLayout>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <cstring>

using namespace fixture;
using toolkit::TColor;

namespace {

constexpr TColor kRed = 0x0000FF;
constexpr TColor kYellow = 0x00FFFF;
constexpr TColor kBlack = 0x000000;

// Three plotted samples, a horizontal and a vertical stroke, then the ten
// samples that are listed but never drawn, all parked at (200, 200).
QByteArray strokes()
{
    return pointFile(12, [](int k) -> std::pair<std::uint8_t, std::uint8_t> {
        switch (k) {
        case 0: return {rawX(100), rawY(100)};
        case 1: return {rawX(110), rawY(100)};
        case 2: return {rawX(110), rawY(120)};
        default: return {rawX(200), rawY(200)};
        }
    });
}

// Samples that cover the whole byte range, with the edge values first.
std::pair<std::uint8_t, std::uint8_t> varied(int k)
{
    static const std::uint8_t edges[][2] = {{0x00, 0x80}, {0x7F, 0x81}, {0x80, 0x7F}, {0xFF, 0x00}};
    if (k < 4)
        return {edges[k][0], edges[k][1]};
    return {std::uint8_t(k * 37 + 5), std::uint8_t(k * 91 + 200)};
}

// The ILDA file the export must write, computed from the raw samples.
QByteArray expectedIlda(int n, std::uint8_t index)
{
    const int points = n >= 10 ? n - 9 : 0;
    QByteArray bytes("ILDA");
    bytes.append(QByteArray(20, '\0'));
    auto be16 = [&bytes](int value) {
        bytes.append(char((value >> 8) & 0xFF));
        bytes.append(char(value & 0xFF));
    };
    be16(points); // points in the frame
    be16(0);      // frame number
    be16(1);      // total frames
    bytes.append(QByteArray(2, '\0'));
    for (int i = 0; i < points; ++i) {
        const auto [x, y] = varied(i);
        be16(std::int8_t(x) * 255);
        be16(y == 0x80 ? 32640 : std::int8_t(y) * 255);
        be16(0);
        bytes.append(char(i == points - 1 ? 192 : 0));
        bytes.append(char(index));
    }
    return bytes;
}

} // namespace

class TestUnit1 : public QObject {
    Q_OBJECT

    std::unique_ptr<Window> w;

private slots:
    void init() { w = std::make_unique<Window>(); }
    void cleanup() { w.reset(); }

    void startsEmpty()
    {
        TForm1 &f = *w->form;
        QCOMPARE(f.windowTitle(), QString("Quorvane Lumivex file viewer and ilda converter    Nov 27, 2006"));
        QCOMPARE(f.ui.lFlNm->text(), QString("File Name"));
        QCOMPARE(f.ui.lFlSz->text(), QString("File Size"));
        QCOMPARE(f.ui.lPts->text(), QString("Points"));
        QCOMPARE(f.ui.lFlStr->text(), QString("File Structure"));
        QCOMPARE(w->listing(), QStringList({""}));
        QCOMPARE(f.ui.Rich->Text(), std::string());
        QCOMPARE(f.ui.StatusBar->SimpleText(), QString());
        QCOMPARE(f.ui.pFlNm->Caption(), QString());
        QCOMPARE(f.CurrentColor(), kRed);
        QVERIFY(f.ui.sbLns->Down());
        QVERIFY(f.ui.sbPts->Down());
        QCOMPARE(f.CurFileName, std::string());
        QCOMPARE(f.PtCount, std::uint16_t(0));
        QVERIFY(f.ui.pnOptions->isHidden());
        QVERIFY(f.ui.Panel3->isHidden());
        QCOMPARE(w->drawnPixels(), 0);
        QVERIFY(w->boxes->Shown().empty());
        QCOMPARE(Form1, &f);
    }

    void paneAndListLook()
    {
        TForm1 &f = *w->form;
        QCOMPARE(f.ui.Rich->palette().color(QPalette::Base), toolkit::ToQColor(toolkit::clBtnFace));
        QCOMPARE(f.ui.Rich->palette().color(QPalette::Text), QColor(0, 0, 0));
        QCOMPARE(f.ui.lb->sizeHintForRow(0), 12);
        QCOMPARE(f.ui.p1->Color(), TColor(0xFF0000));
        QCOMPARE(f.ui.pn->Color(), kBlack);
        QCOMPARE(int(f.ui.pd11->BevelOuter()), int(toolkit::TBevelCut::bvNone));
        QCOMPARE(int(f.ui.pd11->BevelInner()), int(toolkit::TBevelCut::bvLowered));
        QCOMPARE(f.ui.pd11->toolTip(), QString("Current Color"));
    }

    void startupTimerRunsOnceASecond()
    {
        TForm1 form;
        QVERIFY(form.Timer1->isActive());
        QCOMPARE(form.Timer1->interval(), 1000);
        form.Timer1Timer(form.Timer1);
        QVERIFY(!form.Timer1->isActive());
    }

    void menuHoldsOpenSaveExit()
    {
        const QList<QAction *> actions = w->form->ui.File1->actions();
        QCOMPARE(actions.size(), 3);
        QCOMPARE(actions[0]->text(), QString("Open"));
        QCOMPARE(actions[1]->text(), QString("Save"));
        QCOMPARE(actions[2]->text(), QString("Exit"));
        QVERIFY(!actions[0]->icon().isNull());
        QCOMPARE(w->form->ui.File1->title(), QString("File"));
    }

    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("client area") << "centralwidget" << QRect(0, 0, 927, 449);
        QTest::newRow("Label1") << "Label1" << QRect(12, 6, 151, 24);
        QTest::newRow("SpeedButton2") << "SpeedButton2" << QRect(24, 93, 81, 16);
        QTest::newRow("sbLns") << "sbLns" << QRect(116, 93, 81, 16);
        QTest::newRow("sbPts") << "sbPts" << QRect(208, 93, 81, 16);
        QTest::newRow("p1") << "p1" << QRect(8, 112, 297, 300);
        QTest::newRow("pn") << "pn" << QRect(1, 1, 295, 298);
        QTest::newRow("pb") << "pb" << QRect(1, 1, 293, 296);
        QTest::newRow("pFlNm") << "pFlNm" << QRect(495, 1, 249, 17);
        QTest::newRow("Rich") << "Rich" << QRect(320, 21, 593, 196);
        QTest::newRow("lb") << "lb" << QRect(320, 224, 593, 193);
        QTest::newRow("Panel12") << "Panel12" << QRect(48, 414, 212, 16);
        QTest::newRow("pd11") << "pd11" << QRect(166, 2, 44, 12);
        QTest::newRow("StatusBar") << "StatusBar" << QRect(0, 430, 927, 19);
    }
    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        auto *widget = w->form->findChild<QWidget *>(name);
        QVERIFY(widget);
        const int menuHeight = w->form->menuBar()->height();
        if (name == "centralwidget") // the client area: below the menu, the status bar in it
            QCOMPARE(QSize(w->form->width(), w->form->height() - menuHeight), geometry.size());
        else if (name == "StatusBar") // the window's own bar, counted from the client area's top
            QCOMPARE(widget->geometry().translated(0, -menuHeight), geometry);
        else
            QCOMPARE(widget->geometry(), geometry);
    }

    // The status bar is the window's: at its bottom, full width, whatever its size.
    void statusBarStaysAtTheBottom()
    {
        TForm1 &f = *w->form;
        f.resize(1300, 800);
        f.layout()->activate();
        QCOMPARE(f.ui.StatusBar->geometry(), QRect(0, f.height() - 19, 1300, 19));
    }

    void swatches_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("left");
        QTest::addColumn<TColor>("color");
        const struct {
            const char *name;
            int left;
            TColor color;
        } rows[] = {{"pd1", 2, 0x0000FF},  {"pd2", 20, 0x00FF00},  {"pd3", 39, 0xFF0000},
                    {"pd4", 57, 0x800000}, {"pd5", 75, 0x00FFFF},  {"pd6", 94, 0xFFFF00},
                    {"pd7", 112, 0xFF00FF}, {"pd8", 130, 0xFFFFFF}, {"pd9", 148, 0x000000}};
        for (const auto &row : rows)
            QTest::newRow(row.name) << row.name << row.left << row.color;
    }
    void swatches()
    {
        QFETCH(QString, name);
        QFETCH(int, left);
        QFETCH(TColor, color);
        auto *swatch = w->form->findChild<toolkit::TPanel *>(name);
        QVERIFY(swatch);
        QCOMPARE(swatch->geometry(), QRect(left, 2, 17, 12));
        QCOMPARE(swatch->Color(), color);
        QCOMPARE(swatch->toolTip(), QString("Select color for Ilda file save"));
        QCOMPARE(int(swatch->BevelOuter()), int(toolkit::TBevelCut::bvLowered));
    }

    void fonts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("bold");
        QTest::newRow("form") << "TForm1" << 11 << false;
        QTest::newRow("Label1") << "Label1" << 21 << true;
        QTest::newRow("lFlNm") << "lFlNm" << 9 << true;
        QTest::newRow("sbPts") << "sbPts" << 9 << true;
        QTest::newRow("pFlNm") << "pFlNm" << 16 << true;
        QTest::newRow("Rich") << "Rich" << 12 << true;
        QTest::newRow("lb") << "lb" << 9 << true;
    }
    void fonts()
    {
        QFETCH(QString, name);
        QFETCH(int, height);
        QFETCH(bool, bold);
        QWidget *widget = name == "TForm1" ? w->form.get() : w->form->findChild<QWidget *>(name);
        QVERIFY(widget);
        QCOMPARE(widget->font().pixelSize(), height);
        QCOMPARE(widget->font().bold(), bold);
    }

    void startupLoad_data()
    {
        QTest::addColumn<bool>("demoPresent");
        QTest::newRow("batman.dat present") << true;
        QTest::newRow("batman.dat absent") << false;
    }
    void startupLoad()
    {
        QFETCH(bool, demoPresent);
        if (demoPresent)
            writeFile(w->path("batman.dat"), strokes());
        TForm1 &f = *w->form;
        f.Timer1->start();
        f.Timer1Timer(f.Timer1);
        QVERIFY(!f.Timer1->isActive());
        QVERIFY(w->boxes->Shown().empty());
        QCOMPARE(f.CurFileName, demoPresent ? std::string("batman.dat") : std::string());
        QCOMPARE(f.ui.StatusBar->SimpleText(), demoPresent ? QString("batman.dat") : QString());
        QCOMPARE(f.ui.lFlNm->text(), demoPresent ? QString("Filename batman.dat") : QString("File Name"));
        QCOMPARE(f.ui.pFlNm->Caption(), demoPresent ? QString("batman.dat") : QString());
        QCOMPARE(f.ui.Rich->Text().rfind("00000  00 00 00 00", 0) == 0, demoPresent);
        QCOMPARE(w->drawnPixels() > 0, demoPresent);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    // The start-up tick that arrives while a chosen file loads leaves it be.
    void startupTickDuringALoad()
    {
        TForm1 &f = *w->form;
        writeFile(w->path("batman.dat"), strokes());
        writeFile(w->path("mine.dat"), pointFile(20, varied));
        f.Timer1->start(0);
        w->open(w->path("mine.dat"));
        QVERIFY(!f.Timer1->isActive()); // it did tick, inside the load
        QCOMPARE(f.CurFileName, std::string("mine.dat"));
        QCOMPARE(f.ui.StatusBar->SimpleText(), QString("mine.dat"));
        QCOMPARE(f.ui.lPts->text(), QString("File points:   20"));
        QVERIFY(w->boxes->Shown().empty());
    }

    void openAnswered()
    {
        QVERIFY(QDir(w->dir.path()).mkdir("shapes"));
        writeFile(w->path("shapes/outline.dat"), strokes());
        w->open(w->path("shapes/outline.dat"));
        TForm1 &f = *w->form;
        QCOMPARE(w->requests.size(), std::size_t(1));
        const toolkit::TFileDialogRequest &request = w->requests[0];
        QCOMPARE(int(request.kind), int(toolkit::TDialogKind::Open));
        QCOMPARE(request.title, QString("Lumivex dat Files"));
        QCOMPARE(request.filter, QString("Show Files (*)"));
        QCOMPARE(request.defaultExt, QString("DAT"));
        QCOMPARE(request.fileName, QString("Test"));
        QCOMPARE(request.initialDir, QCoreApplication::applicationDirPath());
        QCOMPARE(f.CurFileName, std::string("outline.dat"));
        QCOMPARE(QDir::current().canonicalPath(), QDir(w->path("shapes")).canonicalPath());
        QCOMPARE(f.ui.StatusBar->SimpleText(), QString("outline.dat"));
        QCOMPARE(f.ui.lPts->text(), QString("File points:   12"));
        QCOMPARE(f.PtCount, std::uint16_t(12));
        QCOMPARE(w->listing().size(), 6);
        QVERIFY(w->boxes->Shown().empty());
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);

        // The next Open proposes the file chosen last.
        w->answers.push_back(std::nullopt);
        f.ui.Open1->trigger();
        QCOMPARE(w->requests.back().fileName, QString("outline.dat"));
    }

    void openCancelled_data()
    {
        QTest::addColumn<bool>("loadedBefore");
        QTest::newRow("nothing loaded") << false;
        QTest::newRow("a file loaded") << true;
    }
    void openCancelled()
    {
        QFETCH(bool, loadedBefore);
        TForm1 &f = *w->form;
        if (loadedBefore) {
            writeFile(w->path("outline.dat"), strokes());
            w->open(w->path("outline.dat"));
        }
        const QStringList listing = w->listing();
        const std::string pane = f.ui.Rich->Text();
        w->answers.push_back(std::nullopt);
        f.ui.Open1->trigger();
        // The redraw runs either way: without a file it says so.
        QCOMPARE(w->plain(), loadedBefore ? QStringList() : QStringList({"no file"}));
        QCOMPARE(f.CurFileName, loadedBefore ? std::string("outline.dat") : std::string());
        QCOMPARE(w->listing(), listing);
        QCOMPARE(f.ui.Rich->Text(), pane);
        QCOMPARE(w->drawnPixels() > 0, loadedBefore);
    }

    void openFileThatCannotBeOpened()
    {
        w->open(w->path("gone.dat"));
        TForm1 &f = *w->form;
        QCOMPARE(w->errors(), QStringList({"Can't open file gone.dat."}));
        QCOMPARE(w->plain(), QStringList({"no file"}));
        QCOMPARE(f.ui.StatusBar->SimpleText(), QString());
        QCOMPARE(f.CurFileName, std::string("gone.dat"));
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    void paneConversionByExtension_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("hexDump");
        QTest::newRow("dat") << "a.dat" << true;
        QTest::newRow("upper-case DAT") << "b.DAT" << true;
        QTest::newRow("Asm") << "c.Asm" << true;
        QTest::newRow("txt") << "d.txt" << true;
        QTest::newRow("exe") << "e.exe" << true;
        QTest::newRow("rtf") << "f.rtf" << false;
        QTest::newRow("no extension") << "g" << false;
    }
    void paneConversionByExtension()
    {
        QFETCH(QString, name);
        QFETCH(bool, hexDump);
        writeFile(w->path(name), "Hello, world");
        w->open(w->path(name));
        const std::string text = w->form->ui.Rich->Text();
        if (hexDump)
            QCOMPARE(text, "00000  48 65 6C 6C  6F 2C 20 77  6F 72 6C 64  " + std::string(16, ' ') +
                               "Hello, world\r\n");
        else
            QCOMPARE(text, std::string("Hello, world"));
    }

    void newestRegistrationWins()
    {
        struct Shout : toolkit::TConversion {
            int ReadConverted(rtl::TStream &, char *buffer, int) override
            {
                if (done)
                    return 0;
                done = true;
                std::memcpy(buffer, "converted", 9);
                return 9;
            }
            bool done = false;
        };
        toolkit::TTextPane::RegisterExtension("DAT", [] { return std::make_unique<Shout>(); });
        writeFile(w->path("a.dat"), strokes());
        w->open(w->path("a.dat"));
        QCOMPARE(w->form->ui.Rich->Text(), std::string("converted"));
        // A new window registers the hex dump again, and that wins.
        w.reset();
        w = std::make_unique<Window>();
        writeFile(w->path("a.dat"), "x");
        w->open(w->path("a.dat"));
        QCOMPARE(w->form->ui.Rich->Text().substr(0, 10), std::string("00000  78 "));
    }

    void listingRows_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("lines");
        QTest::newRow("N=31: one full row per axis") << 31 << 6;
        QTest::newRow("N=32: a row of one more") << 32 << 8;
        QTest::newRow("N=9") << 9 << 6;
    }
    void listingRows()
    {
        QFETCH(int, n);
        QFETCH(int, lines);
        writeFile(w->path("a.dat"), pointFile(n, varied));
        w->open(w->path("a.dat"));
        const QStringList listing = w->listing();
        QCOMPARE(listing.size(), lines);
        QCOMPARE(listing[1], QString("X VALUES"));
        QCOMPARE(listing[0].size(), 96);
        QVERIFY(listing.contains("Y VALUES"));
    }

    void countsAtTheLimit_data()
    {
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("2000") << 0x07 << 0xD7 << 2000 << true;
        QTest::newRow("2001") << 0x07 << 0xD8 << 2001 << false;
        QTest::newRow("high byte counts 255") << 0x01 << 0x00 << 255 << true;
    }
    void countsAtTheLimit()
    {
        QFETCH(int, high);
        QFETCH(int, low);
        QFETCH(int, count);
        QFETCH(bool, accepted);
        TForm1 &f = *w->form;
        writeFile(w->path("first.dat"), strokes());
        w->open(w->path("first.dat"));
        const lumivex::SampleBuffer xBefore = f.XBuf;
        const int samples = std::min(count, 2000) + 1;
        QByteArray bytes(64, '\0');
        bytes[48] = char(high);
        bytes[49] = char(low);
        bytes += QByteArray(2 * samples, '\x05');
        writeFile(w->path("second.dat"), bytes);
        w->open(w->path("second.dat"));
        QCOMPARE(f.PtCount, std::uint16_t(count));
        if (accepted) {
            QVERIFY(w->plain().isEmpty());
            QCOMPARE(f.ui.lFlNm->text(), QString("Filename second.dat"));
            QCOMPARE(f.XBuf[0], std::uint8_t(0x85));
        } else {
            const QString message = QString("Appears to be an invalid file with %1 Points.").arg(count);
            QCOMPARE(w->plain(), QStringList({message}));
            QCOMPARE(w->listing(), QStringList({QString("%1 Points").arg(count)}));
            QCOMPARE(f.ui.lFlNm->text(), QString("Filename first.dat"));
            QCOMPARE(f.XBuf, xBefore);
            QCOMPARE(w->drawnPixels(), 0);
        }
    }

    void shortFileIsRejected()
    {
        TForm1 &f = *w->form;
        writeFile(w->path("first.dat"), strokes());
        w->open(w->path("first.dat"));
        writeFile(w->path("short.dat"), pointFile(100, varied).left(64 + 150));
        w->open(w->path("short.dat"));
        QCOMPARE(w->plain().size(), 1);
        QCOMPARE(w->listing().size(), 1);
        QCOMPARE(f.PtCount, std::uint16_t(100));
        QCOMPARE(f.ui.lFlNm->text(), QString("Filename first.dat"));
        QCOMPARE(w->drawnPixels(), 0);
    }

    void missingFileKeepsListingButErasesPlot()
    {
        TForm1 &f = *w->form;
        writeFile(w->path("a.dat"), strokes());
        w->open(w->path("a.dat"));
        const QStringList listing = w->listing();
        QVERIFY(w->drawnPixels() > 0);
        QVERIFY(QFile::remove(w->path("a.dat")));
        QTest::mouseClick(f.ui.SpeedButton2, Qt::LeftButton);
        QCOMPARE(w->plain(), QStringList({"no file"}));
        QCOMPARE(w->listing(), listing);
        QCOMPARE(f.ui.lFlNm->text(), QString("Filename a.dat"));
        QCOMPARE(w->drawnPixels(), 0);
    }

    // Dots are yellow 2 x 2 squares drawn before the line that reaches
    // them; lines leave out their last pixel; samples after N - 9 are not drawn.
    void plotPixelByPixel()
    {
        writeFile(w->path("a.dat"), strokes());
        w->open(w->path("a.dat"));
        const struct {
            int x, y;
            TColor color;
        } expected[] = {
            {99, 99, kYellow},   {100, 99, kYellow},  {99, 100, kYellow},  {100, 100, kRed},
            {105, 100, kRed},    {109, 99, kYellow},  {110, 99, kYellow},  {109, 100, kRed},
            {110, 100, kRed},    {110, 110, kRed},    {109, 119, kYellow}, {110, 119, kRed},
            {109, 120, kYellow}, {110, 120, kYellow}, {111, 120, kBlack},  {110, 121, kBlack},
            {200, 200, kBlack},  {199, 199, kBlack},
        };
        for (const auto &p : expected)
            QVERIFY2(w->pixel(p.x, p.y) == p.color, qPrintable(QString("(%1, %2)").arg(p.x).arg(p.y)));
        QCOMPARE(w->drawnPixels(), 12 + 10 + 20 - 4);
        // What is drawn is also what the screen shows.
        const QImage shown = w->form->ui.pb->grab().toImage();
        QCOMPARE(shown.pixelColor(105, 100), QColor(255, 0, 0));
    }

    void fewSamplesAndEdgeValues_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("rawX");
        QTest::addColumn<int>("rawY");
        QTest::addColumn<QList<QPoint>>("yellow");
        QTest::newRow("N=9 draws nothing") << 9 << 0x10 << 0x10 << QList<QPoint>{};
        QTest::newRow("N=10 one dot") << 10 << int(rawX(50)) << int(rawY(60))
                                      << QList<QPoint>{{49, 59}, {50, 59}, {49, 60}, {50, 60}};
        QTest::newRow("Y 0x80 on the top row, X 0x00 at 128")
            << 10 << 0x00 << 0x80 << QList<QPoint>{{127, 0}, {128, 0}};
        QTest::newRow("Y 0x81 on the bottom row")
            << 10 << 0x00 << 0x81 << QList<QPoint>{{127, 254}, {128, 254}, {127, 255}, {128, 255}};
    }
    void fewSamplesAndEdgeValues()
    {
        QFETCH(int, n);
        QFETCH(int, rawX);
        QFETCH(int, rawY);
        QFETCH(QList<QPoint>, yellow);
        writeFile(w->path("a.dat"), pointFile(n, [&](int k) -> std::pair<std::uint8_t, std::uint8_t> {
                      return k == 0 ? std::pair(std::uint8_t(rawX), std::uint8_t(rawY))
                                    : std::pair(fixture::rawX(200), fixture::rawY(200));
                  }));
        w->open(w->path("a.dat"));
        QCOMPARE(w->drawnPixels(), int(yellow.size()));
        for (const QPoint &p : yellow)
            QCOMPARE(w->pixel(p.x(), p.y()), kYellow);
        QCOMPARE(w->listing().size(), 6); // listed all the same
    }

    void linesAndPointsToggle_data()
    {
        QTest::addColumn<bool>("clickLines");
        QTest::addColumn<bool>("clickPoints");
        QTest::newRow("both down") << false << false;
        QTest::newRow("lines up") << true << false;
        QTest::newRow("points up") << false << true;
        QTest::newRow("both up") << true << true;
    }
    void linesAndPointsToggle()
    {
        QFETCH(bool, clickLines);
        QFETCH(bool, clickPoints);
        TForm1 &f = *w->form;
        writeFile(w->path("a.dat"), strokes());
        w->open(w->path("a.dat"));
        if (clickLines)
            QTest::mouseClick(f.ui.sbLns, Qt::LeftButton);
        if (clickPoints)
            QTest::mouseClick(f.ui.sbPts, Qt::LeftButton);
        QCOMPARE(f.ui.sbLns->Down(), !clickLines);
        QCOMPARE(f.ui.sbPts->Down(), !clickPoints);
        // Each click redraws with the new setting.
        QCOMPARE(w->pixel(105, 100), clickLines ? kBlack : kRed);
        QCOMPARE(w->pixel(99, 99), clickPoints ? kBlack : kYellow);
        QCOMPARE(w->drawnPixels() > 0, !(clickLines && clickPoints));
        QCOMPARE(w->listing().size(), 6);
        // And back down again.
        if (clickLines)
            QTest::mouseClick(f.ui.sbLns, Qt::LeftButton);
        if (clickPoints)
            QTest::mouseClick(f.ui.sbPts, Qt::LeftButton);
        QVERIFY(f.ui.sbLns->Down() && f.ui.sbPts->Down());
        QCOMPARE(w->drawnPixels(), 38);
    }

    void swatchPicksTheColour_data()
    {
        QTest::addColumn<QString>("swatch");
        QTest::addColumn<int>("button");
        QTest::addColumn<TColor>("color");
        QTest::newRow("lime, left button") << "pd2" << int(Qt::LeftButton) << TColor(0x00FF00);
        QTest::newRow("navy, right button") << "pd4" << int(Qt::RightButton) << TColor(0x800000);
        QTest::newRow("white, middle button") << "pd8" << int(Qt::MiddleButton) << TColor(0xFFFFFF);
        QTest::newRow("black") << "pd9" << int(Qt::LeftButton) << TColor(0x000000);
    }
    void swatchPicksTheColour()
    {
        QFETCH(QString, swatch);
        QFETCH(int, button);
        QFETCH(TColor, color);
        TForm1 &f = *w->form;
        writeFile(w->path("a.dat"), strokes());
        w->open(w->path("a.dat"));
        QTest::mousePress(f.findChild<QWidget *>(swatch), Qt::MouseButton(button));
        QCOMPARE(f.CurrentColor(), color);
        QCOMPARE(f.ui.pd11->Color(), color);
        QCOMPARE(w->pixel(105, 100), color); // redrawn in it
        QCOMPARE(w->pixel(99, 99), kYellow);
    }

    void currentColourPanelDoesNothing()
    {
        TForm1 &f = *w->form;
        QTest::mousePress(f.ui.pd11, Qt::LeftButton);
        QCOMPARE(f.CurrentColor(), kRed);
        QVERIFY(w->boxes->Shown().empty()); // no redraw, so no "no file"
        QTest::mousePress(f.ui.pd3, Qt::LeftButton);
        QCOMPARE(w->plain(), QStringList({"no file"}));
    }

    void save_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("swatch");
        QTest::addColumn<int>("index");
        QTest::newRow("N=5 red: a frame without points") << 5 << "" << 0;
        QTest::newRow("N=10 red: one point") << 10 << "" << 0;
        QTest::newRow("N=11 red: two points") << 11 << "" << 0;
        QTest::newRow("navy") << 40 << "pd4" << 40;
        QTest::newRow("blue") << 40 << "pd3" << 40;
        QTest::newRow("black") << 40 << "pd9" << 64;
        QTest::newRow("yellow") << 40 << "pd5" << 16;
        QTest::newRow("lime, 2000 points") << 2000 << "pd2" << 24;
    }
    void save()
    {
        QFETCH(int, n);
        QFETCH(QString, swatch);
        QFETCH(int, index);
        TForm1 &f = *w->form;
        writeFile(w->path("batman.dat"), pointFile(n, varied));
        w->open(w->path("batman.dat"));
        if (!swatch.isEmpty())
            QTest::mousePress(f.findChild<QWidget *>(swatch), Qt::LeftButton);
        QVERIFY(QDir(w->dir.path()).mkdir("out"));
        w->answers.push_back(w->path("out/shape.ild"));
        f.ui.SaveAsIlda1->trigger();

        const toolkit::TFileDialogRequest &request = w->requests.back();
        QCOMPARE(int(request.kind), int(toolkit::TDialogKind::Save));
        QCOMPARE(request.filter, QString("Ilda files(*.ild)"));
        QCOMPARE(request.defaultExt, QString("ild"));
        QCOMPARE(request.fileName, QString("batman.ild"));
        QCOMPARE(request.initialDir, QCoreApplication::applicationDirPath());
        QVERIFY(request.overwritePrompt);

        QCOMPARE(readFile(w->path("out/shape.ild")), expectedIlda(n, std::uint8_t(index)));
        QVERIFY(w->boxes->Shown().empty());
        QCOMPARE(f.ui.lFlNm->text(), QString("Filename shape.ild"));
        QCOMPARE(f.ui.pFlNm->Caption(), QString("shape.ild"));
        QCOMPARE(f.ui.lFlSz->text(), QString("File size in bytes: Hmm.."));
        QCOMPARE(f.ui.lPts->text(), QString("File points:   %1").arg(std::max(0, n - 10)));
        QCOMPARE(f.ui.lFlStr->text(), QString("Ilda File Structure: 8 bytes per pt."));

        // Redraw still reads the point file, though the current folder moved.
        QTest::mouseClick(f.ui.SpeedButton2, Qt::LeftButton);
        QVERIFY(w->boxes->Shown().empty());
        QCOMPARE(f.ui.lFlNm->text(), QString("Filename batman.dat"));
        // Saving again writes the same points.
        w->answers.push_back(w->path("out/again.ild"));
        f.ui.SaveAsIlda1->trigger();
        QCOMPARE(readFile(w->path("out/again.ild")), expectedIlda(n, std::uint8_t(index)));
    }

    void saveProposesTheNameWithIld_data()
    {
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QString>("proposed");
        QTest::newRow("dat") << "batman.dat" << "batman.ild";
        QTest::newRow("no extension") << "points" << "points.ild";
        QTest::newRow("two dots") << "a.b.dat" << "a.b.ild";
        QTest::newRow("short") << "x.d" << "x.ild";
    }
    void saveProposesTheNameWithIld()
    {
        QFETCH(QString, opened);
        QFETCH(QString, proposed);
        writeFile(w->path(opened), strokes());
        w->open(w->path(opened));
        w->answers.push_back(std::nullopt);
        w->form->ui.SaveAsIlda1->trigger();
        QCOMPARE(w->requests.back().fileName, proposed);
    }

    void saveCancelledChangesNothing()
    {
        TForm1 &f = *w->form;
        writeFile(w->path("batman.dat"), strokes());
        w->open(w->path("batman.dat"));
        const QStringList before = QDir(w->dir.path()).entryList(QDir::Files);
        w->answers.push_back(std::nullopt);
        f.ui.SaveAsIlda1->trigger();
        QCOMPARE(QDir(w->dir.path()).entryList(QDir::Files), before);
        QCOMPARE(f.CurFileName, std::string("batman.dat"));
        QCOMPARE(f.ui.lFlNm->text(), QString("Filename batman.dat"));
        QCOMPARE(f.ui.lPts->text(), QString("File points:   12"));
        QTest::mouseClick(f.ui.SpeedButton2, Qt::LeftButton);
        QVERIFY(w->boxes->Shown().empty());
    }

    void saveWithoutAnImage_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("nothing read") << QByteArray();
        QByteArray tooMany(64 + 4002, '\0');
        tooMany[48] = char(0x07);
        tooMany[49] = char(0xD8);
        QTest::newRow("count above 2000") << tooMany;
        QTest::newRow("cut short") << pointFile(100, varied).left(100);
    }
    void saveWithoutAnImage()
    {
        QFETCH(QByteArray, file);
        TForm1 &f = *w->form;
        if (!file.isEmpty()) {
            writeFile(w->path("bad.dat"), file);
            w->open(w->path("bad.dat"));
        }
        w->boxes->Clear();
        const std::size_t asked = w->requests.size();
        const QStringList before = QDir(w->dir.path()).entryList(QDir::Files);
        w->answers.push_back(w->path("never.ild"));
        f.ui.SaveAsIlda1->trigger();
        QCOMPARE(w->plain(), QStringList({"There appears to be no image to save."}));
        QCOMPARE(w->requests.size(), asked);
        QCOMPARE(QDir(w->dir.path()).entryList(QDir::Files), before);
    }

    // The failure travels to the general error handler, naming the file as
    // the user chose it, and the window goes on working.
    void saveIntoAMissingFolder()
    {
        TForm1 &f = *w->form;
        writeFile(w->path("batman.dat"), strokes());
        w->open(w->path("batman.dat"));
        w->answers.push_back(w->path("missing/shape.ild"));
        f.ui.SaveAsIlda1->trigger();
        QCOMPARE(w->errors(), QStringList({"Cannot create file shape.ild"}));
        QCOMPARE(f.ui.lFlNm->text(), QString("Filename batman.dat"));
        QVERIFY(!QFile::exists(w->path("missing/shape.ild")));
        QTest::mouseClick(f.ui.SpeedButton2, Qt::LeftButton);
        QCOMPARE(w->boxes->Shown().size(), std::size_t(1));
        QCOMPARE(w->drawnPixels(), 38);
    }

    // A file named on the command line opens as File, Open would, and the
    // start-up demo then stays away.
    void openFileCancelsTheDemo()
    {
        TForm1 &f = *w->form;
        writeFile(w->path("batman.dat"), strokes());
        writeFile(w->path("mine.dat"), pointFile(20, varied));
        f.Timer1->start();
        f.OpenFile(w->path("mine.dat"));
        QVERIFY(!f.Timer1->isActive());
        QCOMPARE(f.CurFileName, std::string("mine.dat"));
        QCOMPARE(f.ui.lPts->text(), QString("File points:   20"));
        QCOMPARE(f.ui.StatusBar->SimpleText(), QString("mine.dat"));
        QVERIFY(w->drawnPixels() > 0);
        QVERIFY(w->boxes->Shown().empty());
    }

    // The keys go through the window's own shortcut handling to the commands.
    void shortcutsRunTheFileCommands()
    {
        TForm1 &f = *w->form;
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        writeFile(w->path("outline.dat"), strokes());
        w->answers.push_back(w->path("outline.dat"));
        QTest::keyClick(&f, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(f.CurFileName, std::string("outline.dat"));
        w->answers.push_back(std::nullopt);
        QTest::keyClick(&f, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(int(w->requests.back().kind), int(toolkit::TDialogKind::Save));
        QTest::keyClick(&f, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!f.isVisible());
    }

    void dropOpensTheFile_data()
    {
        QTest::addColumn<bool>("localFile");
        QTest::newRow("a local file") << true;
        QTest::newRow("a web address") << false;
    }
    void dropOpensTheFile()
    {
        QFETCH(bool, localFile);
        TForm1 &f = *w->form;
        writeFile(w->path("dropped.dat"), strokes());
        QMimeData data;
        data.setUrls({localFile ? QUrl::fromLocalFile(w->path("dropped.dat"))
                                : QUrl(QStringLiteral("https://example.org/dropped.dat"))});
        const QPoint at(400, 200);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&f, &enter);
        QCOMPARE(enter.isAccepted(), localFile);
        if (!localFile)
            return;
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&f, &drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(f.CurFileName, std::string("dropped.dat"));
        QCOMPARE(f.ui.lPts->text(), QString("File points:   12"));
        QVERIFY(w->drawnPixels() > 0);
    }

    void exitClosesTheWindow()
    {
        QVERIFY(w->form->isVisible());
        w->form->ui.Exit1->trigger();
        QVERIFY(!w->form->isVisible());
        QVERIFY(w->boxes->Shown().empty());
    }
};

int main(int argc, char *argv[])
{
    toolkit::TApplication app(argc, argv);
    TestUnit1 test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_unit1.moc"
