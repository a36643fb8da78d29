#include "ZelkScrollBarPlugin.h"

#include "widgets/CZelkScrollBar.h"

#include "toolkit/TComponent.h"
#include "toolkit/TSpeedButton.h"

#include <QIcon>
#include <QPixmap>
#include <QTimer>

namespace widgets {

ZelkScrollBarPlugin::ZelkScrollBarPlugin(QObject *parent) : QObject(parent) {}

QString ZelkScrollBarPlugin::name() const
{
    return QStringLiteral("TZelkScrollBar");
}

QString ZelkScrollBarPlugin::group() const
{
    return QStringLiteral("Lumivex");
}

QString ZelkScrollBarPlugin::toolTip() const
{
    return QStringLiteral("Scroll bar of the Lumivex widget set");
}

QString ZelkScrollBarPlugin::whatsThis() const
{
    return QStringLiteral(
        "A scroll bar with arrows that repeat while held, a track that pages and a "
        "thumb of fixed length; it tells every change with positionChanged(int).");
}

QString ZelkScrollBarPlugin::includeFile() const
{
    return QStringLiteral("widgets/CZelkScrollBar.h");
}

QIcon ZelkScrollBarPlugin::icon() const
{
    // Magenta around the picture, as around the arrows: see-through.
    return QIcon(QPixmap::fromImage(toolkit::TransparentGlyph(TZelkScrollBar::PalettePicture())));
}

bool ZelkScrollBarPlugin::isContainer() const
{
    return false;
}

QString ZelkScrollBarPlugin::domXml() const
{
    return QStringLiteral(R"(<ui language="c++">
 <widget class="TZelkScrollBar" name="zelkScrollBar">
  <property name="geometry">
   <rect><x>0</x><y>0</y><width>%1</width><height>%2</height></rect>
  </property>
 </widget>
</ui>
)")
        .arg(TZelkScrollBar::DefaultLength)
        .arg(TZelkScrollBar::DefaultThickness);
}

bool ZelkScrollBarPlugin::isInitialized() const
{
    return inDesigner_;
}

void ZelkScrollBarPlugin::initialize(QDesignerFormEditorInterface *)
{
    inDesigner_ = true;
}

QWidget *ZelkScrollBarPlugin::createWidget(QWidget *parent)
{
    auto *bar = new TZelkScrollBar(parent);
    if (inDesigner_) {
        toolkit::SetDesigning(bar, true);
        // Designer sets the form's properties before it returns to its
        // event loop: loading ends there.
        toolkit::SetLoading(bar, true);
        QTimer::singleShot(0, bar, [bar] { toolkit::SetLoading(bar, false); });
    }
    return bar;
}

} // namespace widgets
