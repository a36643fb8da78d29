// The real window, offscreen, under faults and under a long random session.
// Commands go in as a user's would: menu commands delivered through the
// event loop (so an exception that escapes a handler reaches the general
// error handler and shows up as an error box), mouse presses and clicks on
// the swatches and buttons. Dialogs and message boxes are answered and
// recorded through their hooks.
//
// The random session prints its seed; LUMIVEX_RANDOM_SEED=<seed> replays
// it, LUMIVEX_RANDOM_ACTIONS=<n> changes its length (2000).
#include "FileBytes.h"
#include "FileSizeLimit.h"
#include "PointFileSample.h"
#include "TempDir.h"

#include "ilda/IldaObj.h"
#include "lumivex/HexDump.h"
#include "lumivex/PointFile.h"
#include "rtl/Classes.h"
#include "rtl/Messages.h"
#include "toolkit/Dialogs.h"
#include "toolkit/MessageBoxes.h"
#include "toolkit/TApplication.h"
#include "ui/Unit1.h"

#include <QDir>
#include <QListWidget>
#include <QMetaObject>
#include <QTest>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using testsupport::FileSizeLimit;
using testsupport::ReadFile;
using testsupport::WriteFile;
using toolkit::TMessageKind;

namespace {

using Messages = std::vector<std::pair<TMessageKind, QString>>;

const char *KindName(TMessageKind kind) { return kind == TMessageKind::Error ? "error" : "plain"; }

QString Describe(const Messages &messages)
{
    QStringList parts;
    for (const auto &[kind, text] : messages) parts << QStringLiteral("%1 \"%2\"").arg(KindName(kind), text);
    return QStringLiteral("[") + parts.join(QStringLiteral(", ")) + QStringLiteral("]");
}

lumivex::PointFile Decode(const std::string &bytes)
{
    return lumivex::DecodePointFile(std::span(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size()));
}

// What an exported point of raw sample bytes must read back as.
struct ExpectedPoint {
    std::int32_t x, y;
    std::uint8_t status, index;
    std::uint32_t color;
};

std::uint8_t IndexOf(std::uint32_t color)
{
    switch (color) {
    case 0x00FFFF: return 16;
    case 0x00FF00: return 24;
    case 0xFFFF00: return 32;
    case 0x800000:
    case 0xFF0000: return 40;
    case 0xFF00FF: return 48;
    case 0xFFFFFF: return 56;
    case 0x000000: return 64;
    default: return 0;
    }
}

// Computed from the raw bytes, not through the export code.
std::vector<ExpectedPoint> ExpectedExport(const std::string &bytes, std::uint32_t color)
{
    const unsigned n = static_cast<std::uint8_t>(bytes[48]) * 255u + static_cast<std::uint8_t>(bytes[49]);
    std::vector<ExpectedPoint> points;
    for (unsigned i = 0; n >= 10 && i <= n - 10; ++i) {
        const auto rawX = static_cast<std::int8_t>(bytes[64 + i]);
        const auto plotY = static_cast<std::uint8_t>(128 - static_cast<std::uint8_t>(bytes[65 + n + i]));
        const bool last = i == n - 10;
        const std::uint8_t index = IndexOf(color);
        points.push_back({rawX * 255, (128 - plotY) * 255, static_cast<std::uint8_t>(last ? 0xC0 : 0), index,
                          last ? 0u : TIldaFile::IndexToColor(index)});
    }
    return points;
}

// The ILDA file at path, read back: empty string when it is exactly points.
QString CompareSaved(const fs::path &path, const std::vector<ExpectedPoint> &want)
{
    rtl::MessageRecorder messages;
    TIldaFile file;
    rtl::TFileStream stream(path.string(), rtl::TFileMode::OpenRead);
    file.LoadFromStream(stream);
    if (!messages.Messages().empty())
        return QStringLiteral("reader said %1").arg(QString::fromStdString(messages.Messages().front()));
    if (file.Count() != 1) return QStringLiteral("%1 frames").arg(file.Count());
    const TFrm &frame = *file.GetFrame(0);
    if (frame.Count() != static_cast<int>(want.size()))
        return QStringLiteral("%1 points, want %2").arg(frame.Count()).arg(want.size());
    for (std::size_t k = 0; k < want.size(); ++k) {
        const TPtRec &p = frame.Points()[k].Data;
        const ExpectedPoint &w = want[k];
        if (p.X != w.x || p.Y != w.y || p.Z != 0 || p.Status != w.status || p.ColorIndex != w.index ||
            p.Color != w.color)
            return QStringLiteral("point %1 differs").arg(k);
    }
    return {};
}

bool AllBlack(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0) return false;
    return true;
}

} // namespace

class TestWindowRobustness : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void saveWhereNothingCanBeCreated_data();
    void saveWhereNothingCanBeCreated();
    void saveFailingHalfWayKeepsThePreviousFile();
    void fileVanishingBeforeTheLoad();
    void randomUser();

private:
    // Delivers a menu command through the event loop, as a click would.
    void Trigger(QAction *action);
    void Click(QWidget *widget) { QTest::mouseClick(widget, Qt::LeftButton); }
    void OpenFile(const fs::path &path);
    // The next file dialog's answer: a path, or nothing for Cancel. A
    // vanishing answer deletes the file before the window gets it.
    void Answer(std::optional<fs::path> path, bool vanish = false);
    Messages TakeMessages();
    QStringList Listing() const;
    QStringList Labels() const;

    std::unique_ptr<testsupport::TempDir> dir_;
    std::unique_ptr<TForm1> form_;
    std::unique_ptr<toolkit::TMessageBoxRecorder> boxes_;
    std::optional<fs::path> answer_;
    bool vanish_ = false;
    int dialogs_ = 0;
    QString startDir_;
};

void TestWindowRobustness::init()
{
    startDir_ = QDir::currentPath();
    dir_ = std::make_unique<testsupport::TempDir>();
    boxes_ = std::make_unique<toolkit::TMessageBoxRecorder>();
    toolkit::SetFileDialogHook([this](const toolkit::TFileDialogRequest &) -> std::optional<QString> {
        ++dialogs_;
        if (!answer_) return std::nullopt;
        if (vanish_) fs::remove(*answer_);
        return QString::fromStdString(answer_->string());
    });
    form_ = std::make_unique<TForm1>();
    form_->Timer1->stop(); // no demonstration file: the session decides what opens
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
}

void TestWindowRobustness::cleanup()
{
    form_.reset();
    toolkit::SetFileDialogHook({});
    boxes_.reset();
    QDir::setCurrent(startDir_);
    dir_.reset();
}

void TestWindowRobustness::Trigger(QAction *action)
{
    QMetaObject::invokeMethod(action, "trigger", Qt::QueuedConnection);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

void TestWindowRobustness::Answer(std::optional<fs::path> path, bool vanish)
{
    answer_ = std::move(path);
    vanish_ = vanish;
}

void TestWindowRobustness::OpenFile(const fs::path &path)
{
    Answer(path);
    Trigger(form_->ui.Open1);
}

Messages TestWindowRobustness::TakeMessages()
{
    Messages m;
    for (const auto &shown : boxes_->Shown()) m.emplace_back(shown.kind, shown.text);
    boxes_->Clear();
    return m;
}

QStringList TestWindowRobustness::Listing() const
{
    QStringList lines;
    for (int i = 0; i < form_->ui.lb->count(); ++i) lines << form_->ui.lb->item(i)->text();
    return lines;
}

QStringList TestWindowRobustness::Labels() const
{
    const auto &ui = form_->ui;
    return {ui.lFlNm->text(), ui.pFlNm->Caption(), ui.lFlSz->text(), ui.lPts->text(), ui.lFlStr->text()};
}

QStringList LabelTexts(const lumivex::FileLabels &l)
{
    return {QString::fromStdString(l.fileName), QString::fromStdString(l.panelName), QString::fromStdString(l.fileSize),
            QString::fromStdString(l.points), QString::fromStdString(l.structure)};
}

void TestWindowRobustness::saveWhereNothingCanBeCreated_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("missing folder") << "missing/out.ild";
    QTest::newRow("missing folders") << "missing/deeper/out.ild";
    QTest::newRow("a folder") << "folder.ild";
    QTest::newRow("below a file") << "bat.dat/out.ild";
}

void TestWindowRobustness::saveWhereNothingCanBeCreated()
{
    QFETCH(QString, target);
    const fs::path dir = dir_->Path();
    WriteFile(dir / "bat.dat", robustness::PointFileBytes(40));
    fs::create_directory(dir / "folder.ild");
    OpenFile(dir / "bat.dat");
    QCOMPARE(Describe(TakeMessages()), Describe({}));
    const QStringList labels = Labels();
    const auto before = testsupport::Listing(dir);

    const fs::path chosen = dir / target.toStdString();
    Answer(chosen);
    Trigger(form_->ui.SaveAsIlda1);

    // The general error handler reports it, naming the file as chosen; nothing else changed.
    const Messages want{{TMessageKind::Error,
                         QStringLiteral("Cannot create file ") + QString::fromStdString(chosen.filename().string())}};
    QCOMPARE(Describe(TakeMessages()), Describe(want));
    QCOMPARE(Labels(), labels);
    QCOMPARE(testsupport::Listing(dir), before);
    QVERIFY(fs::is_empty(dir / "folder.ild"));
}

void TestWindowRobustness::saveFailingHalfWayKeepsThePreviousFile()
{
    const fs::path dir = dir_->Path();
    WriteFile(dir / "bat.dat", robustness::PointFileBytes(2000));
    const std::string previous = "an earlier export that must survive";
    WriteFile(dir / "bat.ild", previous);
    OpenFile(dir / "bat.dat");
    QCOMPARE(Describe(TakeMessages()), Describe({}));
    const QStringList labels = Labels();

    Answer(dir / "bat.ild");
    {
        const FileSizeLimit limit(4096); // the export needs about 16 KB
        Trigger(form_->ui.SaveAsIlda1);
    }
    const Messages shown = TakeMessages();
    QCOMPARE(shown.size(), std::size_t{1});
    QCOMPARE(KindName(shown[0].first), "error");
    QVERIFY(!shown[0].second.isEmpty());
    QCOMPARE(ReadFile(dir / "bat.ild"), previous);
    QCOMPARE(testsupport::Listing(dir), (std::vector<std::string>{"bat.dat", "bat.ild"}));
    QCOMPARE(Labels(), labels);

    // With room again the same command writes the whole export.
    Trigger(form_->ui.SaveAsIlda1);
    QCOMPARE(Describe(TakeMessages()), Describe({}));
    QCOMPARE(CompareSaved(dir / "bat.ild", ExpectedExport(ReadFile(dir / "bat.dat"), 0x0000FF)), QString());
}

void TestWindowRobustness::fileVanishingBeforeTheLoad()
{
    const fs::path file = dir_->Path() / "gone.dat";
    WriteFile(file, robustness::PointFileBytes(20));
    Answer(file, true);
    Trigger(form_->ui.Open1);
    const Messages want{{TMessageKind::Error, QStringLiteral("Can't open file gone.dat.")},
                        {TMessageKind::Plain, QStringLiteral("no file")}};
    QCOMPARE(Describe(TakeMessages()), Describe(want));
    QCOMPARE(form_->ui.StatusBar->SimpleText(), QString());
    QVERIFY(AllBlack(form_->ui.pb->Image()));
}

namespace {

struct Swatch {
    int number; // pd1 .. pd9, 11 for the current-colour panel itself
    std::uint32_t color;
};
const Swatch kSwatches[] = {{1, 0x0000FF}, {2, 0x00FF00}, {3, 0xFF0000}, {4, 0x800000}, {5, 0x00FFFF},
                            {6, 0xFFFF00}, {7, 0xFF00FF}, {8, 0xFFFFFF}, {9, 0x000000}, {11, 0}};

// What the window must show, kept by the session from what it did.
struct Model {
    std::optional<fs::path> current; // the file every redraw reads
    bool haveImage = false;
    std::string acceptedBytes;
    std::uint16_t ptCount = 0;
    std::uint32_t color = 0x0000FF;
    bool lines = false;
    bool points = false;
    QStringList labels;
    QStringList listing;
    std::string pane;   // the text pane's text
    QString status;     // the status bar's text
    // How the last redraw ended: nothing drawn, or the samples it drew.
    bool redrawn = false;
    bool plotted = false;
};

// What the pane shows for a file: the hex dump for the registered
// extensions, the bytes themselves for the others.
std::string PaneText(const fs::path &file)
{
    const std::string bytes = ReadFile(file);
    std::string ext = file.extension().string();
    for (char &c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    static const std::vector<std::string> hex = {".dat", ".ild", ".al",  ".dec", ".car", ".lib",
                                                 ".bin", ".obj", ".exe", ".txt", ".asm"};
    if (std::find(hex.begin(), hex.end(), ext) == hex.end()) return bytes;
    std::string dump(lumivex::HexDumpCapacity(bytes.size()), '\0');
    dump.resize(lumivex::FormatHexLines(0, std::span(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size()),
                                        dump.data()));
    return dump;
}

QStringList ToQt(const std::vector<std::string> &lines)
{
    QStringList out;
    for (const auto &l : lines) out << QString::fromStdString(l);
    return out;
}

} // namespace

void TestWindowRobustness::randomUser()
{
    unsigned seed = 20061127;
    if (const char *env = std::getenv("LUMIVEX_RANDOM_SEED")) seed = static_cast<unsigned>(std::strtoul(env, nullptr, 10));
    int actions = 2000;
    if (const char *env = std::getenv("LUMIVEX_RANDOM_ACTIONS")) actions = std::atoi(env);
    qInfo("random session: seed %u, %d actions (replay with LUMIVEX_RANDOM_SEED=%u)", seed, actions, seed);
    std::mt19937 rng(seed);
    auto pick = [&rng](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };

    // The files a user might open: valid outlines, the malformed corpus,
    // ILDA files, a name outside the hex-dump extensions.
    const fs::path files = dir_->Path() / "files";
    const fs::path saves = dir_->Path() / "saves";
    fs::create_directories(files);
    fs::create_directories(saves);
    fs::create_directory(saves / "folder.ild");
    std::vector<fs::path> pool;
    for (const unsigned n : {0u, 3u, 9u, 10u, 11u, 31u, 32u, 33u, 255u, 700u, 2000u}) {
        std::string bytes = robustness::PointFileBytes(n);
        for (std::size_t k = 64; k < bytes.size(); ++k) bytes[k] = static_cast<char>(rng());
        pool.push_back(files / ("valid-" + std::to_string(n) + ".dat"));
        WriteFile(pool.back(), bytes);
    }
    WriteFile(files / "outline.rtf", robustness::PointFileBytes(50));
    pool.push_back(files / "outline.rtf");
    for (const auto &entry : fs::directory_iterator(fs::path(LUMIVEX_TEST_DATA) / "malformed")) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("pt-", 0) == 0 || name.rfind("il-", 0) == 0) {
            fs::copy_file(entry.path(), files / name);
            pool.push_back(files / name);
        }
    }

    Model m;
    m.lines = form_->ui.sbLns->Down();
    m.points = form_->ui.sbPts->Down();
    m.color = form_->CurrentColor();
    m.labels = Labels();
    m.listing = Listing();
    m.pane = form_->ui.Rich->Text();
    m.status = form_->ui.StatusBar->SimpleText();
    // A confirmed open: the pane and the status bar show the file, or
    // nothing when it could not be opened.
    auto opened = [&](const fs::path &file) {
        const bool there = fs::exists(file);
        m.pane = there ? PaneText(file) : std::string();
        m.status = there ? QString::fromStdString(file.filename().string()) : QString();
    };

    auto redraw = [&](Messages &want) {
        m.redrawn = true;
        m.plotted = false;
        if (!m.current || !fs::is_regular_file(*m.current)) {
            want.emplace_back(TMessageKind::Plain, QStringLiteral("no file"));
            return;
        }
        const std::string bytes = ReadFile(*m.current);
        const auto pf = Decode(bytes);
        m.listing = ToQt(pf.listing);
        m.ptCount = pf.ptCount;
        if (!pf.accepted()) {
            m.haveImage = false;
            want.emplace_back(TMessageKind::Plain, QString::fromStdString(pf.message));
            return;
        }
        m.labels = LabelTexts(lumivex::PointFileLabels(m.current->filename().string(), pf));
        m.haveImage = true;
        m.acceptedBytes = bytes;
        m.plotted = true;
    };

    std::deque<QString> recent; // the last actions, for a failure report
    int saved = 0;
    for (int step = 0; step < actions; ++step) {
        Messages want;
        m.redrawn = false;
        std::optional<fs::path> savedTo;
        QString what;
        const std::size_t roll = pick(100);
        if (roll < 25) {
            const fs::path file = pool[pick(pool.size())];
            what = QStringLiteral("open ") + QString::fromStdString(file.filename().string());
            if (!fs::exists(file)) {
                want.emplace_back(TMessageKind::Error, QStringLiteral("Can't open file %1.")
                                                           .arg(QString::fromStdString(file.filename().string())));
            }
            opened(file);
            OpenFile(file);
            m.current = file;
            redraw(want);
        } else if (roll < 29) {
            what = QStringLiteral("open, cancelled");
            Answer(std::nullopt);
            Trigger(form_->ui.Open1);
            redraw(want);
        } else if (roll < 31) {
            const fs::path file = files / "vanishing.dat";
            WriteFile(file, robustness::PointFileBytes(12));
            what = QStringLiteral("open a file that vanishes");
            Answer(file, true);
            Trigger(form_->ui.Open1);
            opened(files / "no such file");
            want.emplace_back(TMessageKind::Error, QStringLiteral("Can't open file vanishing.dat."));
            m.current = file;
            redraw(want);
        } else if (roll < 52) {
            const Swatch s = kSwatches[pick(std::size(kSwatches))];
            what = QStringLiteral("press swatch pd%1").arg(s.number);
            auto *panel = form_->findChild<toolkit::TPanel *>(QStringLiteral("pd%1").arg(s.number));
            QVERIFY(panel);
            QTest::mousePress(panel, pick(2) ? Qt::LeftButton : Qt::RightButton, {}, QPoint(3, 3));
            QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(3, 3));
            if (s.number != 11) {
                m.color = s.color;
                redraw(want);
            }
        } else if (roll < 60) {
            what = QStringLiteral("click Lines");
            Click(form_->ui.sbLns);
            m.lines = !m.lines;
            redraw(want);
        } else if (roll < 68) {
            what = QStringLiteral("click Points");
            Click(form_->ui.sbPts);
            m.points = !m.points;
            redraw(want);
        } else if (roll < 74) {
            what = QStringLiteral("click Redraw");
            Click(form_->ui.SpeedButton2);
            redraw(want);
        } else if (roll < 89) {
            const std::size_t where = pick(10);
            const fs::path target = where < 8 ? saves / ("out-" + std::to_string(where % 4) + ".ild")
                                    : where == 8 ? saves / "missing" / "out.ild"
                                                 : saves / "folder.ild";
            what = QStringLiteral("save as ") + QString::fromStdString(target.lexically_relative(saves).string());
            Answer(target);
            Trigger(form_->ui.SaveAsIlda1);
            if (!m.haveImage) {
                want.emplace_back(TMessageKind::Plain, QStringLiteral("There appears to be no image to save."));
            } else if (where >= 8) {
                want.emplace_back(TMessageKind::Error, QStringLiteral("Cannot create file ") +
                                                           QString::fromStdString(target.filename().string()));
            } else {
                m.labels = LabelTexts(lumivex::IldaFileLabels(target.filename().string(), m.ptCount));
                savedTo = target;
            }
        } else if (roll < 93) {
            what = QStringLiteral("save, cancelled");
            Answer(std::nullopt);
            Trigger(form_->ui.SaveAsIlda1);
            if (!m.haveImage)
                want.emplace_back(TMessageKind::Plain, QStringLiteral("There appears to be no image to save."));
        } else if (m.current && m.current->parent_path() == files && m.current->filename() != "vanishing.dat") {
            // Another program rewrites or removes the open file; the next
            // redraw must read what is there now, a later open meets it gone.
            const fs::path other = pool[pick(pool.size())];
            if (pick(4) == 0) {
                what = QStringLiteral("remove the open file");
                fs::remove(*m.current);
            } else {
                what = QStringLiteral("replace the open file with ") + QString::fromStdString(other.filename().string());
                if (other != *m.current && fs::exists(other))
                    fs::copy_file(other, *m.current, fs::copy_options::overwrite_existing);
            }
        } else {
            continue;
        }
        recent.push_back(QStringLiteral("%1: %2").arg(step).arg(what));
        if (recent.size() > 8) recent.pop_front();

        auto fail = [&](const QString &problem) {
            return QStringLiteral("seed %1, action %2 (%3): %4\nlast actions:\n  %5")
                .arg(seed)
                .arg(step)
                .arg(what, problem, QStringList(recent.begin(), recent.end()).join(QStringLiteral("\n  ")));
        };
        const Messages shown = TakeMessages();
        if (Describe(shown) != Describe(want))
            QFAIL(qPrintable(fail(QStringLiteral("messages %1, want %2").arg(Describe(shown), Describe(want)))));
        if (Labels() != m.labels)
            QFAIL(qPrintable(fail(QStringLiteral("labels %1, want %2").arg(Labels().join('|'), m.labels.join('|')))));
        if (Listing() != m.listing)
            QFAIL(qPrintable(fail(QStringLiteral("listing of %1 lines, want %2").arg(Listing().size()).arg(m.listing.size()))));
        if (form_->ui.Rich->Text() != m.pane)
            QFAIL(qPrintable(fail(QStringLiteral("the text pane differs"))));
        if (form_->ui.StatusBar->SimpleText() != m.status)
            QFAIL(qPrintable(fail(QStringLiteral("status \"%1\", want \"%2\"").arg(form_->ui.StatusBar->SimpleText(), m.status))));
        if (form_->CurrentColor() != m.color || form_->ui.sbLns->Down() != m.lines || form_->ui.sbPts->Down() != m.points)
            QFAIL(qPrintable(fail(QStringLiteral("colour or toggle state differs"))));
        if (m.redrawn) {
            const bool black = AllBlack(form_->ui.pb->Image());
            const int drawn = m.plotted ? lumivex::PlottedSampleCount(m.ptCount) : 0;
            if ((drawn == 0 || (!m.lines && !m.points)) && !black)
                QFAIL(qPrintable(fail(QStringLiteral("the plot shows something, it should be empty"))));
            if (drawn > 0 && m.points && black)
                QFAIL(qPrintable(fail(QStringLiteral("the plot is empty, dots expected"))));
        }
        if (savedTo) {
            const QString problem = CompareSaved(*savedTo, ExpectedExport(m.acceptedBytes, m.color));
            if (!problem.isEmpty()) QFAIL(qPrintable(fail(QStringLiteral("saved file: ") + problem)));
            ++saved;
        }
    }
    qInfo("random session: %d actions clean, %d files saved and read back", actions, saved);
}

int main(int argc, char **argv)
{
    toolkit::TApplication app(argc, argv);
    toolkit::InstallMessageHandler();
    TestWindowRobustness test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_window_robustness.moc"
