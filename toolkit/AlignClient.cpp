#include "toolkit/AlignClient.h"

#include <QEvent>
#include <QWidget>

namespace toolkit {

TAlignClient::TAlignClient(QWidget &control, std::function<void(QWidget &parent)> fill)
    : control_(control), fill_(std::move(fill))
{
}

void TAlignClient::SetEnabled(bool fill)
{
    if (fill == enabled_)
        return;
    enabled_ = fill;
    if (QWidget *p = control_.parentWidget()) {
        if (fill)
            p->installEventFilter(this);
        else
            p->removeEventFilter(this);
    }
    if (fill)
        fillParent();
}

void TAlignClient::fillParent()
{
    if (QWidget *p = control_.parentWidget())
        fill_(*p);
}

bool TAlignClient::eventFilter(QObject *watched, QEvent *event)
{
    if (enabled_ && watched == control_.parentWidget() && event->type() == QEvent::Resize)
        fillParent();
    return QObject::eventFilter(watched, event);
}

} // namespace toolkit
