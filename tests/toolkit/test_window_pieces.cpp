// Dialogs, message boxes, the general error handler, the wait cursor, the
// font substitutes and the status bar: what the window builds on.
#include "rtl/Messages.h"
#include "rtl/SysUtils.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Fonts.h"
#include "toolkit/MessageBoxes.h"
#include "toolkit/TApplication.h"
#include "toolkit/TStatusBar.h"
#include "toolkit/WaitCursor.h"

#include <QFileDialog>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <stdexcept>

using namespace toolkit;

class TestWindowPieces : public QObject {
    Q_OBJECT

    QString startDir;

private slots:
    void init() { startDir = QDir::currentPath(); }
    void cleanup()
    {
        SetFileDialogHook({});
        QDir::setCurrent(startDir);
    }

    void acceptedDialogMovesToTheChosenFolder_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("open") << int(TDialogKind::Open);
        QTest::newRow("save") << int(TDialogKind::Save);
    }
    void acceptedDialogMovesToTheChosenFolder()
    {
        QFETCH(int, kind);
        QTemporaryDir start, chosen;
        TFileDialog dialog{TDialogKind(kind)};
        dialog.SetTitle("Pick");
        dialog.SetInitialDir(start.path());
        dialog.SetFilter("Show Files (*)");
        dialog.SetDefaultExt("DAT");
        dialog.SetFileName("Test");
        dialog.SetOverwritePrompt(true);
        TFileDialogRequest seen;
        SetFileDialogHook([&](const TFileDialogRequest &request) -> std::optional<QString> {
            seen = request;
            return chosen.filePath("outline.dat");
        });
        QVERIFY(dialog.Execute(nullptr));
        QCOMPARE(int(seen.kind), kind);
        QCOMPARE(seen.title, QString("Pick"));
        QCOMPARE(seen.initialDir, start.path());
        QCOMPARE(seen.filter, QString("Show Files (*)"));
        QCOMPARE(seen.defaultExt, QString("DAT"));
        QCOMPARE(seen.fileName, QString("Test"));
        QVERIFY(seen.overwritePrompt);
        QCOMPARE(dialog.FileName(), QDir(chosen.path()).absoluteFilePath("outline.dat"));
        QCOMPARE(QDir::current().canonicalPath(), QDir(chosen.path()).canonicalPath());
    }

    void relativeAnswerIsTakenInTheInitialFolder()
    {
        QTemporaryDir start;
        TOpenDialog dialog;
        dialog.SetInitialDir(start.path());
        SetFileDialogHook(
            [](const TFileDialogRequest &) -> std::optional<QString> { return QString("a.dat"); });
        QVERIFY(dialog.Execute(nullptr));
        QCOMPARE(dialog.FileName(), QDir(start.path()).absoluteFilePath("a.dat"));
        QCOMPARE(QDir::current().canonicalPath(), QDir(start.path()).canonicalPath());
    }

    // The real dialog: a typed name without an extension opens that file;
    // the default extension is for saving. Whatever the dialog does, every
    // box it raises is answered, so a fault fails the test instead of
    // waiting for a person.
    void openDialogTakesTheTypedName()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("noextfile");
        QFile created(file);
        QVERIFY(created.open(QIODevice::WriteOnly));
        created.close();
        TOpenDialog dialog;
        dialog.SetInitialDir(dir.path());
        dialog.SetDefaultExt("DAT");
        QStringList boxes;
        bool typed = false;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                boxes << box->text();
                box->reject();
            } else if (auto *fileDialog = qobject_cast<QFileDialog *>(modal)) {
                if (typed) {
                    fileDialog->reject();
                    return;
                }
                typed = true;
                fileDialog->findChild<QLineEdit *>("fileNameEdit")->setText(file);
                // Queued: a timer does not fire again inside its own slot.
                QMetaObject::invokeMethod(fileDialog, "accept", Qt::QueuedConnection);
            }
        });
        answer.start(20);
        const bool chosen = dialog.Execute(nullptr);
        answer.stop();
        QCOMPARE(boxes, QStringList());
        QVERIFY(chosen);
        QCOMPARE(dialog.FileName(), QFileInfo(file).absoluteFilePath());
    }

    void cancelledDialogChangesNothing()
    {
        QTemporaryDir start;
        TSaveDialog dialog;
        dialog.SetInitialDir(start.path());
        dialog.SetFileName("proposed.ild");
        SetFileDialogHook([](const TFileDialogRequest &) -> std::optional<QString> { return std::nullopt; });
        QVERIFY(!dialog.Execute(nullptr));
        QCOMPARE(dialog.FileName(), QString("proposed.ild"));
        QCOMPARE(QDir::currentPath(), startDir);
    }

    void messagesReachTheBoxesOfTheirKind()
    {
        InstallMessageHandler();
        TMessageBoxRecorder recorder;
        rtl::ShowMessage("no file");
        ShowErrorBox("Can't open file x.dat.");
        ShowMessageBox("plain");
        QCOMPARE(recorder.Texts(TMessageKind::Plain), QStringList({"no file", "plain"}));
        QCOMPARE(recorder.Texts(TMessageKind::Error), QStringList({"Can't open file x.dat."}));
        QCOMPARE(recorder.Shown().size(), std::size_t(3));
        QCOMPARE(int(recorder.Shown()[1].kind), int(TMessageKind::Error));
    }

    void recorderPutsThePreviousHookBack()
    {
        TMessageBoxRecorder outer;
        {
            TMessageBoxRecorder inner;
            ShowMessageBox("inner");
            QCOMPARE(inner.Shown().size(), std::size_t(1));
        }
        ShowMessageBox("outer");
        QCOMPARE(outer.Texts(TMessageKind::Plain), QStringList({"outer"}));
    }

    // The general error handler: an exception that leaves an event handler
    // ends up in the error box with its own message, and the loop goes on.
    void uncaughtExceptionsGoToTheErrorBox_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("text");
        QTest::newRow("create") << 0 << "Cannot create file /nowhere/x.ild";
        QTest::newRow("list") << 1 << "List index out of bounds (5)";
        QTest::newRow("std") << 2 << "bad thing";
    }
    void uncaughtExceptionsGoToTheErrorBox()
    {
        QFETCH(int, which);
        QFETCH(QString, text);
        TMessageBoxRecorder recorder;
        bool after = false;
        QTimer::singleShot(0, this, [which] {
            if (which == 0)
                throw rtl::EFCreateError("Cannot create file /nowhere/x.ild");
            if (which == 1)
                throw rtl::EListError("List index out of bounds (5)");
            throw std::runtime_error("bad thing");
        });
        QTimer::singleShot(0, this, [&after] { after = true; });
        QTRY_VERIFY(after);
        QCOMPARE(recorder.Texts(TMessageKind::Error), QStringList({text}));
    }

    void handlerExceptionsStopAtTheHandler()
    {
        TMessageBoxRecorder recorder;
        bool ran = false;
        RunHandler([&] {
            ran = true;
            throw rtl::EFOpenError("Cannot open file a.dat");
        });
        QVERIFY(ran);
        RunHandler([] {});
        QCOMPARE(recorder.Texts(TMessageKind::Error), QStringList({"Cannot open file a.dat"}));
    }

    void waitCursorComesBackOnEveryPath()
    {
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        {
            TWaitCursor wait;
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        try {
            TWaitCursor wait;
            throw rtl::EFOpenError("Cannot open file x");
        } catch (const rtl::EFOpenError &) {
        }
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    void formFontsHaveInstalledSubstitutes_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<QString>("installed");
        QTest::newRow("form") << "MS Sans Serif" << 11 << false << "Liberation Sans";
        QTest::newRow("small bold") << "Small Fonts" << 9 << true << "DejaVu Sans";
        QTest::newRow("pane") << "Courier New" << 12 << true << "Liberation Mono";
        QTest::newRow("list") << "Courier New" << 9 << true << "Liberation Mono";
        QTest::newRow("file name") << "Times New Roman" << 16 << true << "Liberation Serif";
        QTest::newRow("title") << "Orbit-B BT" << 21 << true << "DejaVu Sans Condensed";
    }
    void formFontsHaveInstalledSubstitutes()
    {
        QFETCH(QString, family);
        QFETCH(int, height);
        QFETCH(bool, bold);
        QFETCH(QString, installed);
        const QFont font = NearestFont(family, height, bold);
        QCOMPARE(SubstituteFamily(family), installed);
        QCOMPARE(font.pixelSize(), height);
        QCOMPARE(font.bold(), bold);
        // The system really has it: the font used is the one asked for.
        QCOMPARE(QFontInfo(font).family(), installed);
    }

    void unknownFamiliesAreLeftAlone()
    {
        QCOMPARE(SubstituteFamily("Some Font"), QString("Some Font"));
    }

    void statusBarShowsOneText()
    {
        TStatusBar bar;
        QCOMPARE(bar.SimpleText(), QString());
        bar.SetSimpleText("Reading...");
        QCOMPARE(bar.SimpleText(), QString("Reading..."));
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        bar.SetSimpleText("Reading...  $01000");
        bar.RepaintNow();
        QCOMPARE(bar.findChild<QLabel *>("SimpleText")->text(), QString("Reading...  $01000"));
    }
};

int main(int argc, char *argv[])
{
    TApplication app(argc, argv);
    TestWindowPieces test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_window_pieces.moc"
