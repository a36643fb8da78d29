// Puts TZelkScrollBar in Qt Designer's widget box with its properties;
// QUiLoader uses the same plugin to build forms that place the bar.
#pragma once

#include <QObject>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

namespace widgets {

class ZelkScrollBarPlugin : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetInterface")
    Q_INTERFACES(QDesignerCustomWidgetInterface)
public:
    explicit ZelkScrollBarPlugin(QObject *parent = nullptr);

    QString name() const override;
    QString group() const override;
    QString toolTip() const override;
    QString whatsThis() const override;
    QString includeFile() const override;
    QIcon icon() const override;
    bool isContainer() const override;
    QString domXml() const override;
    bool isInitialized() const override;
    // Only Designer calls it; QUiLoader does not.
    void initialize(QDesignerFormEditorInterface *core) override;
    // In Designer, the bar is in design mode and loading until the form
    // that holds it has been read.
    QWidget *createWidget(QWidget *parent) override;

private:
    bool inDesigner_ = false;
};

} // namespace widgets
