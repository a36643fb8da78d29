#include "Fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace toolkit {

namespace {

struct Substitute {
    const char *family;
    const char *installed; // first choice (Liberation is metric-compatible)
    const char *fallback;  // DejaVu, when Liberation is missing
};

// Chosen by comparing the width of the form's captions at the same height.
constexpr Substitute kSubstitutes[] = {
    {"MS Sans Serif", "Liberation Sans", "DejaVu Sans"},
    {"Small Fonts", "Liberation Sans", "DejaVu Sans Condensed"},
    {"Courier New", "Liberation Mono", "DejaVu Sans Mono"},
    {"Times New Roman", "Liberation Serif", "DejaVu Serif"},
    {"Orbit-B BT", "DejaVu Sans", "Liberation Sans"},
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
