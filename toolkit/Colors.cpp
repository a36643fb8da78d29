#include "toolkit/Colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace toolkit {

QColor ToQColor(TColor color)
{
    if (color & 0x80000000u) {
        const QPalette palette = QGuiApplication::palette();
        switch (color & 0xFFu) {
        case 5: return palette.color(QPalette::Base);
        case 8: return palette.color(QPalette::WindowText);
        case 15: return palette.color(QPalette::Button);
        case 16: return palette.color(QPalette::Dark);
        case 20: return palette.color(QPalette::Light);
        case 21: return palette.color(QPalette::Shadow);
        default: return palette.color(QPalette::Window);
        }
    }
    return QColor(int(color & 0xFFu), int((color >> 8) & 0xFFu), int((color >> 16) & 0xFFu));
}

TColor FromQColor(const QColor &color)
{
    return TColor(color.red()) | (TColor(color.green()) << 8) | (TColor(color.blue()) << 16);
}

} // namespace toolkit
