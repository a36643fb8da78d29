// The hex-dump conversion: one line per call, progress through its callback
// at every 4096 bytes (into the window's status bar as the window registers
// it), and any line on demand.
#include "WindowFixture.h"

#include "lumivex/HexDump.h"
#include "ui/HexConversion.h"

#include <vector>

using namespace fixture;

namespace {

std::vector<std::uint8_t> bytesOf(int size)
{
    std::vector<std::uint8_t> bytes(std::size_t(size), 0);
    for (int i = 0; i < size; ++i)
        bytes[std::size_t(i)] = std::uint8_t(i * 7 + 1);
    return bytes;
}

} // namespace

class TestHexConversion : public QObject {
    Q_OBJECT

    std::unique_ptr<Window> w;

private slots:
    void init() { w = std::make_unique<Window>(); }
    void cleanup() { w.reset(); }

    void oneLinePerCall_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("lines");
        QTest::newRow("empty") << 0 << 0;
        QTest::newRow("3 bytes") << 3 << 1;
        QTest::newRow("16 bytes") << 16 << 1;
        QTest::newRow("17 bytes") << 17 << 2;
        QTest::newRow("4096 bytes") << 4096 << 256;
    }
    void oneLinePerCall()
    {
        QFETCH(int, size);
        QFETCH(int, lines);
        const std::vector<std::uint8_t> bytes = bytesOf(size);
        rtl::TMemoryStream stream(bytes);
        THexConversion conversion;
        std::vector<char> buffer(4096, 'x');
        int calls = 0;
        std::string text;
        while (const int n = conversion.ReadConverted(stream, buffer.data(), int(buffer.size()))) {
            QCOMPARE(buffer[std::size_t(n)], '\0');
            const std::uint64_t position = std::uint64_t(calls) * 16;
            const std::size_t count = std::min<std::size_t>(16, bytes.size() - position);
            QCOMPARE(std::string(buffer.data(), std::size_t(n)),
                     lumivex::HexLine(position, {bytes.data() + position, count}));
            text.append(buffer.data(), std::size_t(n));
            ++calls;
        }
        QCOMPARE(calls, lines);
        if (size == 16)
            QCOMPARE(text.size(), std::size_t(80));
    }

    void smallBufferGetsNothing_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("result");
        QTest::newRow("82") << 82 << 0;
        QTest::newRow("83") << 83 << 80;
    }
    void smallBufferGetsNothing()
    {
        QFETCH(int, size);
        QFETCH(int, result);
        rtl::TMemoryStream stream(bytesOf(32));
        THexConversion conversion;
        std::vector<char> buffer(static_cast<std::size_t>(size));
        QCOMPARE(conversion.ReadConverted(stream, buffer.data(), size), result);
        QCOMPARE(stream.Position(), std::int64_t(result ? 16 : 0));
    }

    void progressAtEvery4096Bytes_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<std::vector<qint64>>("reported");
        QTest::newRow("4095 bytes") << 4095 << std::vector<qint64>{};
        QTest::newRow("4096 bytes") << 4096 << std::vector<qint64>{4096};
        QTest::newRow("8200 bytes") << 8200 << std::vector<qint64>{4096, 8192};
    }
    void progressAtEvery4096Bytes()
    {
        QFETCH(int, size);
        QFETCH(std::vector<qint64>, reported);
        rtl::TMemoryStream stream(bytesOf(size));
        std::vector<qint64> positions;
        THexConversion conversion([&](std::int64_t position) { positions.push_back(position); });
        char buffer[100];
        while (conversion.ReadConverted(stream, buffer, sizeof buffer) != 0) {
        }
        QCOMPARE(positions, reported);
    }

    // The window's registration reports into its own status bar.
    void registeredConversionReportsToTheWindow()
    {
        const auto make = toolkit::TTextPane::ConversionFor("exact.bin");
        QVERIFY(make);
        rtl::TMemoryStream stream(bytesOf(4096));
        auto conversion = make();
        char buffer[100];
        while (conversion->ReadConverted(stream, buffer, sizeof buffer) != 0) {
        }
        QCOMPARE(w->form->ui.StatusBar->SimpleText(), QString("Reading...  $01000"));
    }

    void progressTexts_data()
    {
        QTest::addColumn<qint64>("position");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << qint64(0) << "Reading...  $00000";
        QTest::newRow("4096") << qint64(4096) << "Reading...  $01000";
        QTest::newRow("five digits") << qint64(0xFF000) << "Reading...  $FF000";
        QTest::newRow("six digits") << qint64(0x100000) << "Reading...  $100000";
        QTest::newRow("past 4 GB") << qint64(0x100001000) << "Reading...  $100001000";
    }
    void progressTexts()
    {
        QFETCH(qint64, position);
        QFETCH(QString, text);
        w->form->ShowProgress(position);
        QCOMPARE(w->form->ui.StatusBar->SimpleText(), text);
    }

    // Painting is skipped when progress comes quickly, the text never.
    void quickProgressKeepsTheTextCurrent()
    {
        for (int position = 4096; position <= 40 * 4096; position += 4096)
            w->form->ShowProgress(position);
        QCOMPARE(w->form->ui.StatusBar->SimpleText(), QString("Reading...  $28000"));
    }

    void loadShowsTheFileNameAtTheEnd()
    {
        const std::vector<std::uint8_t> bytes = bytesOf(5000);
        const QByteArray content(reinterpret_cast<const char *>(bytes.data()), int(bytes.size()));
        writeFile(w->path("big.bin"), content);
        w->open(w->path("big.bin"));
        QCOMPARE(w->form->ui.StatusBar->SimpleText(), QString("big.bin"));
        const std::string text = w->form->ui.Rich->Text();
        QCOMPARE(text.size(), std::size_t(312 * 80 + 62 + 8 + 2));
        QCOMPARE(text.substr(312 * 80, 7), std::string("01380  "));
    }

    void lineAccess()
    {
        THexConversion conversion;
        QVERIFY(conversion.HasLineAccess());
        QCOMPARE(conversion.LineCount(0), std::uint64_t(0));
        QCOMPARE(conversion.LineCount(16), std::uint64_t(1));
        QCOMPARE(conversion.LineCount(17), std::uint64_t(2));
        const std::vector<std::uint8_t> bytes = bytesOf(40);
        rtl::TMemoryStream stream(bytes);
        QCOMPARE(conversion.LineAt(stream, 1), lumivex::HexLine(16, {bytes.data() + 16, 16}));
        QCOMPARE(conversion.LineAt(stream, 2), lumivex::HexLine(32, {bytes.data() + 32, 8}));
        QCOMPARE(conversion.LineAt(stream, 0), lumivex::HexLine(0, {bytes.data(), 16}));
        QCOMPARE(conversion.LineAt(stream, 3), std::string());
    }
};

QTEST_MAIN(TestHexConversion)
#include "test_hexconversion.moc"
