// A host window with one new scroll bar on it, shown off screen, and a log
// of the bar's events as "<event> <class of Sender>[ <ScrollPos>]".
#pragma once

#include "toolkit/TComponent.h"
#include "widgets/CZelkScrollBar.h"

#include <QKeyEvent>
#include <QStringList>
#include <QWidget>

#include <memory>

// Counts the keys that the bar lets go on to its parent.
class KeyHost : public QWidget {
public:
    int keysPassedOn = 0;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        ++keysPassedOn;
        event->accept();
    }
};

struct ScrollBarFixture {
    std::unique_ptr<KeyHost> host;
    TZelkScrollBar *bar = nullptr;
    QStringList log;

    // A shown host 300 x 200 with a bar at its origin; width 0 keeps the
    // new bar's own width.
    explicit ScrollBarFixture(int barWidth = 0)
        : host(std::make_unique<KeyHost>())
    {
        host->resize(300, 200);
        bar = new TZelkScrollBar(host.get());
        if (barWidth > 0)
            bar->SetBounds(0, 0, barWidth, bar->Height());
        host->show();
        attach();
    }

    void attach()
    {
        bar->SetOnChange([this](QObject *sender, std::int32_t pos) {
            log << QStringLiteral("OnChange %1 %2").arg(toolkit::ClassName(sender)).arg(pos);
        });
        bar->SetOnClickBtnLT([this](QObject *sender) { log << "OnClickBtnLT " + toolkit::ClassName(sender); });
        bar->SetOnClickBtnRD([this](QObject *sender) { log << "OnClickBtnRD " + toolkit::ClassName(sender); });
        bar->OnMouseEnter = [this](QObject *sender) { log << "OnMouseEnter " + toolkit::ClassName(sender); };
        bar->OnMouseExit = [this](QObject *sender) { log << "OnMouseExit " + toolkit::ClassName(sender); };
    }

    TTraka *track() const { return bar->Scroller->Traka; }
    TSetac *thumb() const { return bar->Scroller->Setac; }
};

inline QString change(int pos)
{
    return QStringLiteral("OnChange TScroller %1").arg(pos);
}
