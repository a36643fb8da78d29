#include "toolkit/Fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace toolkit {

namespace {

struct Substitute {
    const char *family;
    const char *installed; // first choice
    const char *fallback;  // DejaVu, when Liberation is missing
};

// Liberation stands in for the fonts it is metric-compatible with; for the
// other two the face whose widths of the form's captions come nearest at
// the same height ("File Structure" in Small Fonts 9 bold is 70 pixels
// wide, DejaVu Sans Bold 70; "Lumivex Files" in Orbit-B BT 21 bold 151,
// DejaVu Sans Condensed Bold 145).
constexpr Substitute kSubstitutes[] = {
    {"MS Sans Serif", "Liberation Sans", "DejaVu Sans"},
    {"Small Fonts", "DejaVu Sans", "Liberation Sans"},
    {"Courier New", "Liberation Mono", "DejaVu Sans Mono"},
    {"Times New Roman", "Liberation Serif", "DejaVu Serif"},
    {"Orbit-B BT", "DejaVu Sans Condensed", "Liberation Sans"},
};

bool installed(const QString &family)
{
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

} // namespace

QString SubstituteFamily(const QString &family)
{
    for (const Substitute &s : kSubstitutes) {
        if (family.compare(QLatin1String(s.family), Qt::CaseInsensitive) != 0)
            continue;
        if (installed(QLatin1String(s.installed)))
            return QLatin1String(s.installed);
        if (installed(QLatin1String(s.fallback)))
            return QLatin1String(s.fallback);
        break;
    }
    return family;
}

QFont NearestFont(const QString &family, int characterHeight, bool bold)
{
    QFont font(SubstituteFamily(family));
    font.setPixelSize(characterHeight);
    font.setBold(bold);
    font.setStyleHint(QFont::AnyStyle, QFont::PreferMatch);
    return font;
}

} // namespace toolkit
