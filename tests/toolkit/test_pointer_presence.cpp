// Pointer entered/left reports of the panel and the flat button while a
// mouse button is held, when Qt holds its own enter and leave back; driven
// through the window as a real pointer is.
#define QTEST_QPA_MOUSE_HANDLING
#include "toolkit/TComponent.h"
#include "toolkit/TPanel.h"
#include "toolkit/TSpeedButton.h"

#include <QtTest>

using namespace toolkit;

namespace {

// Takes every report that climbs to it: "+name" entered, "-name" left.
class ReportLog : public QWidget {
public:
    QStringList reports;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() != TPointerReport::EventType())
            return QWidget::event(event);
        const auto *report = static_cast<TPointerReport *>(event);
        reports << (report->Entered() ? "+" : "-") + report->Source()->objectName();
        event->accept();
        return true;
    }
};

} // namespace

class TestPointerPresence : public QObject {
    Q_OBJECT
private slots:
    void reportsFollowThePointer_data();
    void reportsFollowThePointer();
};

// Steps: "m x,y" move, "p x,y" press, "r x,y" release (left button), in
// the host's coordinates. The panel lies at 10,10 100 x 30 with "cover",
// a panel above it, at 40..59; the button at 10,60 40 x 20.
void TestPointerPresence::reportsFollowThePointer_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("reports");
    QTest::newRow("held off and back") << "m 20,20;p 20,20;m 20,100;m 20,20;r 20,20"
                                       << "+panel -panel +panel";
    QTest::newRow("held onto the panel above") << "m 20,20;p 20,20;m 50,20;m 20,20;r 20,20"
                                               << "+panel -panel +panel";
    QTest::newRow("held off, released off") << "m 20,20;p 20,20;m 20,100;r 20,100;m 150,150"
                                            << "+panel -panel";
    QTest::newRow("button held off and back") << "m 20,70;p 20,70;m 20,150;m 20,70;r 20,70"
                                              << "+button -button +button";
}

void TestPointerPresence::reportsFollowThePointer()
{
    QFETCH(QString, steps);
    QFETCH(QString, reports);
    ReportLog host;
    host.resize(200, 200);
    auto *panel = new TPanel(&host);
    panel->setObjectName("panel");
    panel->SetBounds(10, 10, 100, 30);
    auto *cover = new TPanel(&host);
    cover->setObjectName("cover");
    cover->SetBounds(40, 10, 20, 30);
    auto *button = new TSpeedButton(&host);
    button->setObjectName("button");
    button->setGeometry(10, 60, 40, 20);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    // Off every part first: Qt drops a move to where the pointer already is.
    QTest::mouseMove(&host, QPoint(190, 190));
    QVERIFY(host.reports.isEmpty());

    for (const QString &step : steps.split(';')) {
        const QStringList xy = step.mid(2).split(',');
        const QPoint at(xy[0].toInt(), xy[1].toInt());
        switch (step[0].toLatin1()) {
        case 'm': QTest::mouseMove(&host, at); break;
        case 'p': QTest::mousePress(&host, Qt::LeftButton, {}, at); break;
        case 'r': QTest::mouseRelease(&host, Qt::LeftButton, {}, at); break;
        }
    }
    QCOMPARE(host.reports.join(' '), reports);
}

QTEST_MAIN(TestPointerPresence)
#include "test_pointer_presence.moc"
