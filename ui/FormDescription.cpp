#include "FormDescription.h"

#include "toolkit/Colors.h"
#include "toolkit/Fonts.h"
#include "toolkit/TPanel.h"
#include "toolkit/TSpeedButton.h"
#include "toolkit/TTextPane.h"

#include <QListWidget>
#include <QStyledItemDelegate>
#include <QVariant>

namespace {

// A list whose rows all have one height, whatever the font.
class TFixedHeightDelegate : public QStyledItemDelegate {
public:
    TFixedHeightDelegate(int height, QObject *parent) : QStyledItemDelegate(parent), height_(height) {}
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), height_};
    }

private:
    int height_;
};

// "0xBBGGRR" or a system colour's name; a number as it stands.
toolkit::TColor parseColor(const QVariant &value)
{
    if (value.typeId() != QMetaType::QString)
        return value.toUInt();
    const QString text = value.toString();
    if (text == QLatin1String("clBtnFace"))
        return toolkit::clBtnFace;
    if (text == QLatin1String("clWindowText"))
        return toolkit::clWindowText;
    return text.mid(text.startsWith(QLatin1String("0x")) ? 2 : 0).toUInt(nullptr, 16);
}

toolkit::TBevelCut parseBevel(const QString &text)
{
    if (text == QLatin1String("bvLowered"))
        return toolkit::TBevelCut::bvLowered;
    if (text == QLatin1String("bvRaised"))
        return toolkit::TBevelCut::bvRaised;
    return toolkit::TBevelCut::bvNone;
}

void applyPanel(toolkit::TPanel &panel)
{
    if (const QVariant v = panel.property("Color"); v.isValid())
        panel.SetColor(parseColor(v));
    if (const QVariant v = panel.property("BevelOuter"); v.isValid())
        panel.SetBevelOuter(parseBevel(v.toString()));
    if (const QVariant v = panel.property("BevelInner"); v.isValid())
        panel.SetBevelInner(parseBevel(v.toString()));
    if (const QVariant v = panel.property("Caption"); v.isValid())
        panel.SetCaption(v.toString());
}

void applyButton(toolkit::TSpeedButton &button)
{
    if (const QVariant v = button.property("GroupIndex"); v.isValid())
        button.SetGroupIndex(v.toInt());
    if (const QVariant v = button.property("AllowAllUp"); v.isValid())
        button.SetAllowAllUp(v.toBool());
    if (const QVariant v = button.property("Down"); v.isValid())
        button.SetDown(v.toBool());
}

void applyColors(QWidget &widget)
{
    QPalette palette = widget.palette();
    if (const QVariant v = widget.property("Color"); v.isValid())
        palette.setColor(QPalette::Base, toolkit::ToQColor(parseColor(v)));
    if (const QVariant v = widget.property("FontColor"); v.isValid())
        palette.setColor(QPalette::Text, toolkit::ToQColor(parseColor(v)));
    widget.setPalette(palette);
}

} // namespace

void ApplyFormDescription(QWidget *root)
{
    QList<QWidget *> widgets = root->findChildren<QWidget *>();
    widgets.prepend(root);
    for (QWidget *widget : widgets) {
        if (const QVariant height = widget->property("FontHeight"); height.isValid()) {
            const QFont named = widget->font();
            widget->setFont(toolkit::NearestFont(named.family(), height.toInt(), named.bold()));
        }
        if (auto *panel = qobject_cast<toolkit::TPanel *>(widget))
            applyPanel(*panel);
        else if (auto *button = qobject_cast<toolkit::TSpeedButton *>(widget))
            applyButton(*button);
        else if (qobject_cast<toolkit::TTextPane *>(widget))
            applyColors(*widget);
        else if (auto *list = qobject_cast<QListWidget *>(widget)) {
            if (const QVariant v = list->property("ItemHeight"); v.isValid()) {
                list->setItemDelegate(new TFixedHeightDelegate(v.toInt(), list));
                list->setUniformItemSizes(true);
            }
        }
    }
}
