// Two scroll bars, one of each orientation, that print every event they
// raise on stdout, one line each: bar, event, class of Sender [, ScrollPos].
#include "toolkit/TComponent.h"
#include "widgets/CZelkScrollBar.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <iostream>

namespace {

void print(const QString &bar, const char *event, const QObject *sender, const QString &extra = QString())
{
    QString line = bar + ' ' + QLatin1String(event) + ' ' + toolkit::ClassName(sender);
    if (!extra.isEmpty())
        line += ' ' + extra;
    std::cout << line.toStdString() << std::endl; // endl: at once, for whoever reads the pipe
}

void watch(TZelkScrollBar *bar, QLabel *label)
{
    const QString name = bar->objectName();
    const auto show = [bar, label, name] { label->setText(name + QStringLiteral(" Position ") +
                                                          QString::number(bar->Position())); };
    show();
    bar->SetOnChange([name, show](QObject *sender, std::int32_t pos) {
        print(name, "OnChange", sender, QString::number(pos));
        show();
    });
    bar->SetOnClickBtnLT([name](QObject *sender) { print(name, "OnClickBtnLT", sender); });
    bar->SetOnClickBtnRD([name](QObject *sender) { print(name, "OnClickBtnRD", sender); });
    bar->OnMouseEnter = [name](QObject *sender) { print(name, "OnMouseEnter", sender); };
    bar->OnMouseExit = [name](QObject *sender) { print(name, "OnMouseExit", sender); };
    bar->OnEnter = [name](QObject *sender) { print(name, "OnEnter", sender); };
    bar->OnExit = [name](QObject *sender) { print(name, "OnExit", sender); };
    bar->OnMouseDown = [name](QObject *sender, Qt::MouseButton, toolkit::TShiftState, int, int) {
        print(name, "OnMouseDown", sender);
    };
    bar->OnMouseUp = [name](QObject *sender, Qt::MouseButton, toolkit::TShiftState, int, int) {
        print(name, "OnMouseUp", sender);
    };
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Scroll bar demo"));
    window.resize(260, 200);

    auto *hbar = new TZelkScrollBar(&window);
    hbar->setObjectName(QStringLiteral("hbar"));
    hbar->SetBounds(20, 20, hbar->Width(), hbar->Height());

    auto *vbar = new TZelkScrollBar(&window);
    vbar->setObjectName(QStringLiteral("vbar"));
    vbar->SetBounds(200, 20, 21, 130);
    vbar->SetKind(tbVertical);
    vbar->SetLargeChange(10);
    vbar->SetColorThumb(0x800000);
    vbar->SetColorBand(0xFFFF00);
    vbar->SetHint(QStringLiteral("Vertical"));
    vbar->SetHintSecondLine(QStringLiteral("drag me"));
    vbar->SetShowHint(true);

    auto *hlabel = new QLabel(&window);
    hlabel->setGeometry(20, 165, 160, 16);
    auto *vlabel = new QLabel(&window);
    vlabel->setGeometry(150, 165, 110, 16);
    watch(hbar, hlabel);
    watch(vbar, vlabel);

    window.show();
    return app.exec();
}
