// The text pane: registry, exact text on every path (small, lazy, indexed,
// spooled), scrolling past what an int holds, selection and copy.
#include "lumivex/HexDump.h"
#include "rtl/Messages.h"
#include "rtl/SysUtils.h"
#include "textlines/TextLines.h"
#include "toolkit/TTextPane.h"

#include "FileBytes.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <random>

using toolkit::TConversion;
using toolkit::TTextPane;
using toolkit::TTextPos;

Q_DECLARE_METATYPE(toolkit::TTextPos)

namespace QTest {
template <> char *toString(const std::string &text)
{
    return qstrdup(text.size() > 400 ? (text.substr(0, 400) + "...").c_str() : text.c_str());
}
template <> char *toString(const TTextPos &pos)
{
    return qstrdup(("(" + std::to_string(pos.line) + ", " + std::to_string(pos.column) + ")").c_str());
}
} // namespace QTest

namespace {

// What the conversions did, for the tests to look at.
struct Calls {
    int created = 0;
    int readConverted = 0;
    std::vector<std::int64_t> progress;
};
Calls calls;

// The hex dump, one line per ReadConverted call, with line access and a
// progress report every 4096 bytes: what the window registers.
class HexConversion : public TConversion {
public:
    HexConversion() { ++calls.created; }
    int ReadConverted(rtl::TStream &stream, char *buffer, int size) override
    {
        ++calls.readConverted;
        if (size < 83)
            return 0;
        const std::int64_t position = stream.Position();
        std::uint8_t bytes[16];
        const std::size_t n = stream.Read(bytes, sizeof bytes);
        if (n == 0)
            return 0;
        const std::size_t length = lumivex::FormatHexLine(std::uint64_t(position), {bytes, n}, buffer);
        buffer[length] = '\0';
        if (stream.Position() % 4096 == 0)
            calls.progress.push_back(stream.Position());
        return int(length);
    }
    bool HasLineAccess() const override { return true; }
    std::uint64_t LineCount(std::uint64_t fileSize) const override { return lumivex::HexLineCount(fileSize); }
    std::string LineAt(rtl::TStream &stream, std::uint64_t index) override
    {
        std::uint8_t bytes[16];
        stream.SetPosition(std::int64_t(index * 16));
        const std::size_t n = stream.Read(bytes, sizeof bytes);
        return n ? lumivex::HexLine(index * 16, {bytes, n}) : std::string();
    }
};

// Upper-cases the file in blocks; no line access.
class UpperConversion : public TConversion {
public:
    UpperConversion() { ++calls.created; }
    int ReadConverted(rtl::TStream &stream, char *buffer, int size) override
    {
        ++calls.readConverted;
        const std::size_t n = stream.Read(buffer, std::size_t(std::min(size, 1000)));
        for (std::size_t i = 0; i < n; ++i)
            buffer[i] = char(std::toupper(static_cast<unsigned char>(buffer[i])));
        return int(n);
    }
};

// Claims more lines than a scroll bar's int can count, whatever the file.
class HugeConversion : public TConversion {
public:
    static constexpr std::uint64_t kLines = 5'000'000'000ULL;
    int ReadConverted(rtl::TStream &, char *, int) override { return 0; }
    bool HasLineAccess() const override { return true; }
    std::uint64_t LineCount(std::uint64_t) const override { return kLines; }
    std::string LineAt(rtl::TStream &, std::uint64_t index) override
    {
        return "line " + std::to_string(index) + "\r\n";
    }
};

std::string hexDump(const std::string &bytes)
{
    std::string text;
    for (std::size_t at = 0; at < bytes.size(); at += 16) {
        const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.data()) + at;
        text += lumivex::HexLine(at, {data, std::min<std::size_t>(16, bytes.size() - at)});
    }
    return text;
}

std::string pattern(std::size_t size, unsigned seed = 1)
{
    std::string bytes(size, '\0');
    std::mt19937 random(seed);
    for (char &c : bytes)
        c = char(random() & 0xFF);
    return bytes;
}

// Independent reading of the line rule: after LF, or after 4096 bytes.
std::vector<std::string> splitLines(const std::string &text)
{
    std::vector<std::string> lines;
    std::string line;
    for (const char c : text) {
        line += c;
        if (c == '\n' || line.size() == textlines::kMaxLineBytes)
            lines.push_back(std::exchange(line, {}));
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

void registerAll()
{
    TTextPane::ClearRegistry();
    TTextPane::RegisterExtension("dat", [] { return std::make_unique<HexConversion>(); });
    TTextPane::RegisterExtension("up", [] { return std::make_unique<UpperConversion>(); });
}

} // namespace

class TestTextPane : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString write(const QString &name, const std::string &bytes)
    {
        const QString path = dir_.filePath(name);
        testsupport::WriteFile(path.toStdString(), bytes);
        return path;
    }
    std::unique_ptr<TTextPane> makePane()
    {
        auto pane = std::make_unique<TTextPane>();
        QFont font("Courier New");
        font.setPixelSize(12);
        font.setBold(true);
        font.setStyleHint(QFont::TypeWriter);
        pane->setFont(font);
        pane->resize(600, 300);
        pane->show();
        return pane;
    }

private slots:
    void init()
    {
        registerAll();
        calls = {};
    }
    void cleanupTestCase() { TTextPane::ClearRegistry(); }

    void registry_data()
    {
        QTest::addColumn<QStringList>("registrations"); // "ext:kind", oldest first
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("shown"); // hex, upper or plain
        QTest::newRow("registered") << QStringList{"dat:hex"} << "a.dat" << "hex";
        QTest::newRow("file extension upper-case") << QStringList{"dat:hex"} << "A.DAT" << "hex";
        QTest::newRow("registered upper-case") << QStringList{"ILD:hex"} << "a.ild" << "hex";
        QTest::newRow("registered with a dot") << QStringList{".bin:hex"} << "a.bin" << "hex";
        QTest::newRow("newest wins") << QStringList{"dat:hex", "dat:upper"} << "a.dat" << "upper";
        QTest::newRow("newest wins, other order") << QStringList{"dat:upper", "dat:hex"} << "a.dat" << "hex";
        QTest::newRow("unregistered") << QStringList{"dat:hex"} << "a.rtf" << "plain";
        QTest::newRow("no extension") << QStringList{"dat:hex"} << "dat" << "plain";
        QTest::newRow("only the last suffix") << QStringList{"dat:hex"} << "a.dat.txt" << "plain";
    }
    void registry()
    {
        QFETCH(QStringList, registrations);
        QFETCH(QString, fileName);
        QFETCH(QString, shown);
        TTextPane::ClearRegistry();
        for (const QString &entry : registrations) {
            const QStringList parts = entry.split(':');
            if (parts[1] == "hex")
                TTextPane::RegisterExtension(parts[0], [] { return std::make_unique<HexConversion>(); });
            else
                TTextPane::RegisterExtension(parts[0], [] { return std::make_unique<UpperConversion>(); });
        }
        const std::string bytes = "Laser\r\nshow\x01";
        TTextPane pane;
        pane.LoadFromFile(write(fileName, bytes));
        const std::string expected = shown == "hex" ? hexDump(bytes) : shown == "upper" ? "LASER\r\nSHOW\x01" : bytes;
        QCOMPARE(pane.Text(), expected);
        QCOMPARE(bool(TTextPane::ConversionFor(fileName)), shown != "plain");
    }

    void smallHexFile_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<qint64>>("progress");
        QTest::newRow("empty") << 0 << QList<qint64>{};
        QTest::newRow("3 bytes") << 3 << QList<qint64>{};
        QTest::newRow("16 bytes") << 16 << QList<qint64>{};
        QTest::newRow("17 bytes") << 17 << QList<qint64>{};
        QTest::newRow("4096 bytes") << 4096 << QList<qint64>{0x1000};
        QTest::newRow("10000 bytes") << 10000 << QList<qint64>{0x1000, 0x2000};
        QTest::newRow("at the sequential limit") << int(TTextPane::kSequentialLimit)
                                                 << QList<qint64>{};
    }
    void smallHexFile()
    {
        QFETCH(int, size);
        QFETCH(QList<qint64>, progress);
        const std::string bytes = pattern(std::size_t(size));
        TTextPane pane;
        pane.LoadFromFile(write("small.dat", bytes));
        QCOMPARE(pane.Text(), hexDump(bytes));
        QCOMPARE(pane.LineCount(), lumivex::HexLineCount(std::uint64_t(size)));
        QCOMPARE(calls.created, 1);
        // Called until it said 0: one call per line and the final one.
        QCOMPARE(calls.readConverted, int(pane.LineCount()) + 1);
        if (size < TTextPane::kSequentialLimit)
            QCOMPARE(QList<qint64>(calls.progress.begin(), calls.progress.end()), progress);
        else
            QCOMPARE(calls.progress.back(), std::int64_t(size));
        QVERIFY(!pane.Loading());
    }

    void plainText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("lines");
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("no line end") << QByteArray("one line") << 1;
        QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << 2;
        QTest::newRow("LF, last unended") << QByteArray("a\nb\nlast") << 3;
        QTest::newRow("empty lines") << QByteArray("\n\n\n") << 3;
        QTest::newRow("binary") << QByteArray("\0\x01\xFF\x7F\t\r", 6) << 1;
        QTest::newRow("long line split") << QByteArray(10000, 'x') << 3;
        QTest::newRow("line of exactly the split") << (QByteArray(4096, 'y') + "\nz") << 3;
        QTest::newRow("line end just after the split") << (QByteArray(4095, 'y') + "\n\nz") << 3;
    }
    void plainText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, lines);
        const std::string text(bytes.constData(), std::size_t(bytes.size()));
        TTextPane pane;
        pane.LoadFromFile(write("plain.rtf", text));
        QCOMPARE(pane.Text(), text);
        QCOMPARE(pane.LineCount(), std::uint64_t(lines));
        std::string joined;
        for (std::uint64_t i = 0; i < pane.LineCount(); ++i)
            joined += pane.Line(i);
        QCOMPARE(joined, text);
        QCOMPARE(calls.created, 0);
    }

    void convertedWithoutLineAccess_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("small: in memory") << 5000;
        QTest::newRow("large: spooled") << 5 * int(TTextPane::kSequentialLimit) + 7;
    }
    void convertedWithoutLineAccess()
    {
        QFETCH(int, size);
        std::string bytes;
        for (int i = 0; int(bytes.size()) < size; ++i)
            bytes += "line " + std::to_string(i) + (i % 3 ? "\n" : "\r\n");
        bytes.resize(std::size_t(size));
        std::string upper = bytes;
        for (char &c : upper)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        TTextPane pane;
        int completions = 0;
        pane.OnLoadComplete = [&](TTextPane *sender) {
            QCOMPARE(sender, &pane);
            ++completions;
        };
        pane.LoadFromFile(write("text.up", bytes));
        const bool background = pane.Loading();
        QTRY_VERIFY_WITH_TIMEOUT(!pane.Loading(), 30000);
        QCOMPARE(completions, background ? 1 : 0);
        if (size <= TTextPane::kSequentialLimit)
            QVERIFY(!background);
        const std::vector<std::string> lines = splitLines(upper);
        QCOMPARE(pane.LineCount(), std::uint64_t(lines.size()));
        for (const std::size_t i : {std::size_t(0), lines.size() / 2, lines.size() - 1})
            QCOMPARE(pane.Line(i), lines[i]);
        QCOMPARE(pane.Text(), upper);
    }

    void lazyHexFile()
    {
        const std::size_t size = 40 * 1000 * 1000 + 5; // a short last line
        const std::string bytes = pattern(size, 7);
        const QString path = write("big.dat", bytes);
        auto pane = makePane();
        QElapsedTimer clock;
        clock.start();
        pane->LoadFromFile(path);
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed()) + " ms"));
        QCOMPARE(calls.readConverted, 0);
        QVERIFY(!pane->Loading());
        const std::uint64_t count = lumivex::HexLineCount(size);
        QCOMPARE(pane->LineCount(), count);
        const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.data());
        QCOMPARE(pane->Line(0), lumivex::HexLine(0, {data, 16}));
        QCOMPARE(pane->Line(count - 1), lumivex::HexLine((count - 1) * 16, {data + (count - 1) * 16, 5}));
        QCOMPARE(pane->Line(count), std::string());

        // Ctrl+End: the last line at the bottom of the pane, in the scroll bar too.
        QTest::keyClick(pane.get(), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(pane->TopLine() + pane->VisibleLines(), count);
        QCOMPARE(pane->verticalScrollBar()->value(), pane->verticalScrollBar()->maximum());
        QTest::keyClick(pane.get(), Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(pane->TopLine(), std::uint64_t{0});
        pane->verticalScrollBar()->setValue(pane->verticalScrollBar()->maximum());
        QCOMPARE(pane->TopLine() + pane->VisibleLines(), count);
        QTest::keyClick(pane.get(), Qt::Key_PageUp);
        QCOMPARE(pane->TopLine() + 2 * pane->VisibleLines(), count);
    }

    void lazyPlainFile()
    {
        // Lines of every length, some far beyond the split, some CR LF.
        std::string text;
        std::mt19937 random(3);
        while (text.size() < 30'000'000) {
            const std::size_t length = random() % 50 == 0 ? random() % 20000 : random() % 120;
            text.append(length, char('a' + random() % 26));
            text += random() % 2 ? "\r\n" : "\n";
        }
        text += "the end";
        const QString path = write("big.txt", text);
        auto pane = makePane();
        int completions = 0;
        pane->OnLoadComplete = [&](TTextPane *) { ++completions; };
        QElapsedTimer clock;
        clock.start();
        pane->LoadFromFile(path);
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed()) + " ms"));
        const bool background = pane->Loading();
        const std::vector<std::string> lines = splitLines(text);
        QVERIFY(pane->LineCount() > 0);
        QCOMPARE(pane->Line(0), lines[0]);
        QVERIFY(background); // tens of MB are indexed between events
        QTRY_VERIFY_WITH_TIMEOUT(!pane->Loading(), 60000);
        QCOMPARE(completions, 1);
        QCOMPARE(pane->LineCount(), std::uint64_t(lines.size()));
        for (std::size_t i = 0; i < lines.size(); i += lines.size() / 97)
            QCOMPARE(pane->Line(i), lines[i]);
        QCOMPARE(pane->Line(lines.size() - 1), std::string("the end"));
        QTest::keyClick(pane.get(), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(pane->TopLine() + pane->VisibleLines(), std::uint64_t(lines.size()));
    }

    void scrollBeyondInt()
    {
        TTextPane::RegisterExtension("huge", [] { return std::make_unique<HugeConversion>(); });
        auto pane = makePane();
        pane->LoadFromFile(write("a.huge", std::string(std::size_t(TTextPane::kSequentialLimit) + 1, 'h')));
        const std::uint64_t count = HugeConversion::kLines;
        QCOMPARE(pane->LineCount(), count);
        QScrollBar *bar = pane->verticalScrollBar();
        const std::uint64_t last = count - pane->VisibleLines();
        bar->setValue(bar->maximum());
        QCOMPARE(pane->TopLine(), last);
        bar->setValue(bar->maximum() / 2);
        QVERIFY(pane->TopLine() > last / 2 - last / 1000 && pane->TopLine() < last / 2 + last / 1000);
        pane->ScrollToLine(last - 1);
        QCOMPARE(pane->TopLine(), last - 1);
        QTest::keyClick(pane.get(), Qt::Key_Down);
        QCOMPARE(pane->TopLine(), last);
        QTest::keyClick(pane.get(), Qt::Key_Down);
        QCOMPARE(pane->TopLine(), last);
        QCOMPARE(pane->Line(count - 1), "line " + std::to_string(count - 1) + "\r\n");
    }

    void selection_data()
    {
        QTest::addColumn<TTextPos>("anchor");
        QTest::addColumn<TTextPos>("cursor");
        QTest::addColumn<int>("from"); // offsets into the text
        QTest::addColumn<int>("to");
        // Hex lines are 80 characters, CR LF included.
        QTest::newRow("within a line") << TTextPos{1, 7} << TTextPos{1, 20} << 87 << 100;
        QTest::newRow("backwards") << TTextPos{1, 20} << TTextPos{1, 7} << 87 << 100;
        QTest::newRow("across lines") << TTextPos{0, 70} << TTextPos{2, 5} << 70 << 165;
        QTest::newRow("a line end") << TTextPos{0, 78} << TTextPos{1, 0} << 78 << 80;
        QTest::newRow("to the end") << TTextPos{9, 0} << TTextPos{10, 0} << 720 << 800;
        QTest::newRow("past a line's end") << TTextPos{0, 500} << TTextPos{1, 2} << 78 << 82;
        QTest::newRow("empty") << TTextPos{3, 3} << TTextPos{3, 3} << 243 << 243;
    }
    void selection()
    {
        QFETCH(TTextPos, anchor);
        QFETCH(TTextPos, cursor);
        QFETCH(int, from);
        QFETCH(int, to);
        const std::string bytes = pattern(160);
        TTextPane pane;
        pane.LoadFromFile(write("sel.dat", bytes));
        const std::string text = pane.Text();
        pane.SetSelection(anchor, cursor);
        QCOMPARE(pane.SelectedText(), text.substr(std::size_t(from), std::size_t(to - from)));
    }

    void selectAllAndCopy()
    {
        const std::string bytes = pattern(1000);
        auto pane = makePane();
        pane->LoadFromFile(write("copy.dat", bytes));
        QApplication::clipboard()->clear();
        QTest::keyClick(pane.get(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(pane.get(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text().toStdString(), hexDump(bytes));
    }

    void mouseSelection()
    {
        const std::string bytes = pattern(1000);
        auto pane = makePane();
        QVERIFY(QTest::qWaitForWindowExposed(pane.get()));
        pane->LoadFromFile(write("mouse.dat", bytes));
        const QFontMetrics metrics(pane->font());
        const int cw = metrics.horizontalAdvance('0');
        const int lh = metrics.lineSpacing();
        auto at = [&](int column, int row) {
            return QPoint(TTextPane::kTextMargin + column * cw, TTextPane::kTextMargin + row * lh + lh / 2);
        };
        QWidget *view = pane->viewport();
        QTest::mousePress(view, Qt::LeftButton, {}, at(7, 1));
        QTest::mouseMove(view, at(12, 3));
        QTest::mouseRelease(view, Qt::LeftButton, {}, at(12, 3));
        const std::string text = hexDump(bytes);
        QCOMPARE(pane->SelectionStart(), (TTextPos{1, 7}));
        QCOMPARE(pane->SelectedText(), text.substr(80 + 7, 2 * 80 + 5));
        // Shift+click extends from the same anchor.
        QTest::mouseClick(view, Qt::LeftButton, Qt::ShiftModifier, at(0, 5));
        QCOMPARE(pane->SelectedText(), text.substr(87, 5 * 80 - 87));
        // A drag that ends below the last line takes the text to its end.
        pane->LoadFromFile(write("short.dat", bytes.substr(0, 40)));
        QTest::mousePress(view, Qt::LeftButton, {}, at(2, 0));
        QTest::mouseMove(view, at(3, 6));
        QTest::mouseRelease(view, Qt::LeftButton, {}, at(3, 6));
        QCOMPARE(pane->SelectedText(), hexDump(bytes.substr(0, 40)).substr(2));
    }

    void copyCapped()
    {
        const std::string bytes = pattern(100 * 16);
        TTextPane pane;
        pane.LoadFromFile(write("cap.dat", bytes));
        pane.SetCopyLimit(1000);
        pane.selectAll();
        rtl::MessageRecorder messages;
        QApplication::clipboard()->clear();
        pane.copy();
        QCOMPARE(QApplication::clipboard()->text().toStdString(), hexDump(bytes).substr(0, 12 * 80));
        QCOMPARE(messages.Messages(),
                 std::vector<std::string>{"The selection is too large to copy at once: only its first 12 lines were copied."});
        pane.SetCopyLimit(TTextPane::kDefaultCopyLimit);
        messages.Clear();
        pane.copy();
        QCOMPARE(QApplication::clipboard()->text().toStdString(), hexDump(bytes));
        QVERIFY(messages.Messages().empty());
    }

    void cannotOpen_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing") << "no-such-file.dat";
        QTest::newRow("missing plain") << "no-such-file.rtf";
        QTest::newRow("a folder") << ".";
    }
    void cannotOpen()
    {
        QFETCH(QString, name);
        TTextPane pane;
        pane.LoadFromFile(write("keep.rtf", "kept"));
        QVERIFY_THROWS_EXCEPTION(rtl::EFOpenError, pane.LoadFromFile(name));
        try {
            pane.LoadFromFile(name);
        } catch (const rtl::EFOpenError &error) {
            QCOMPARE(error.Message(), "Cannot open file " + name.toStdString());
        }
        QCOMPARE(calls.created, 0);
    }

    // A name that leads to a device without end still loads, bounded.
    void endlessDevice_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<std::uint64_t>("lines");
        QTest::newRow("hex dump") << "zero.dat" << lumivex::HexLineCount(TTextPane::kSequentialLimit);
        QTest::newRow("plain text") << "zero.rtf"
                                    << std::uint64_t(TTextPane::kSequentialLimit / textlines::kMaxLineBytes);
    }
    void endlessDevice()
    {
        QFETCH(QString, name);
        QFETCH(std::uint64_t, lines);
        const QString link = dir_.filePath(name);
        QVERIFY(QFile::link("/dev/zero", link));
        TTextPane pane;
        pane.LoadFromFile(link);
        QCOMPARE(pane.LineCount(), lines);
        QCOMPARE(pane.Line(0).substr(0, 7), name.endsWith(".dat") ? "00000  " : std::string(7, '\0'));
    }

    void clearEmpties()
    {
        TTextPane pane;
        pane.LoadFromFile(write("c.dat", pattern(100)));
        pane.selectAll();
        pane.clear();
        QCOMPARE(pane.Text(), std::string());
        QCOMPARE(pane.LineCount(), std::uint64_t{0});
        QVERIFY(!pane.HasSelection());
    }
};

QTEST_MAIN(TestTextPane)
#include "test_textpane.moc"
