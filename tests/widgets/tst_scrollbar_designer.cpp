// The Designer plugin: QUiLoader builds a form that places the bar, as a
// program that loads .ui files at run time does, and Designer gets a bar
// in design mode. Not linked with the widgets library: the bar comes from
// the plugin alone.
#include <QFile>
#include <QPluginLoader>
#include <QSpinBox>
#include <QUiLoader>
#include <QtTest>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include <memory>

class ScrollBarDesignerTest : public QObject {
    Q_OBJECT
private slots:
    void formPlacesTheBar();
    // Last: it tells the plugin, shared by the whole process, that it is in
    // Designer.
    void designerGetsABarInDesignMode();
};

// Each bar of the form's grid keeps its thickness and stretches along; the
// slider tells the spin box through the form's connection.
void ScrollBarDesignerTest::formPlacesTheBar()
{
    QUiLoader loader;
    loader.clearPluginPaths();
    loader.addPluginPath(QStringLiteral(DESIGNER_PLUGIN_DIR));
    QFile file(QStringLiteral(FORM_DIR "/frame_slider.ui"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const std::unique_ptr<QWidget> form(loader.load(&file));
    QVERIFY2(form, qPrintable(loader.errorString()));
    QWidget *slider = form->findChild<QWidget *>(QStringLiteral("frameSlider"));
    QWidget *zoom = form->findChild<QWidget *>(QStringLiteral("zoom"));
    auto *frameNumber = form->findChild<QSpinBox *>(QStringLiteral("frameNumber"));
    QVERIFY(slider && zoom && frameNumber);
    QCOMPARE(slider->metaObject()->className(), "TZelkScrollBar"); // not a stand-in

    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QCOMPARE(slider->height(), 21);
    QVERIFY(slider->width() > 130);
    QCOMPARE(zoom->width(), 21);
    QVERIFY(zoom->height() > 130);

    QTest::keyClick(slider, Qt::Key_End);
    QCOMPARE(frameNumber->value(), 250);
}

void ScrollBarDesignerTest::designerGetsABarInDesignMode()
{
    QPluginLoader plugin(QStringLiteral(DESIGNER_PLUGIN_FILE));
    auto *factory = qobject_cast<QDesignerCustomWidgetInterface *>(plugin.instance());
    QVERIFY2(factory, qPrintable(plugin.errorString()));
    QVERIFY(!factory->icon().isNull()); // the bar's resources reached the plugin
    factory->initialize(nullptr);

    QWidget host;
    const std::unique_ptr<QWidget> bar(factory->createWidget(&host));
    // Properties read from the form keep the size...
    QVERIFY(bar->setProperty("Kind", QStringLiteral("tbVertical")));
    QCOMPARE(bar->size(), QSize(130, 21));
    // ... and once the form is read, turning the bar in Designer turns its size.
    QCoreApplication::processEvents();
    QVERIFY(bar->setProperty("Kind", QStringLiteral("tbHorizontal")));
    QCOMPARE(bar->size(), QSize(21, 130));
}

QTEST_MAIN(ScrollBarDesignerTest)
#include "tst_scrollbar_designer.moc"
