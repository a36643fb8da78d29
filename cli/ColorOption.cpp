#include "ColorOption.h"

#ifdef LUMIVEX_SVG
#include <QColor>
#include <QString>
#include <QStringList>
#endif

namespace cli {

namespace {

#ifdef LUMIVEX_SVG
// Only the names: QColor also reads #RGB and alpha forms, which would make
// a typo of #RRGGBB a different colour.
std::optional<lumivex::TColor> CssColor(const std::string &text)
{
    const QString name = QString::fromStdString(text);
    if (!QColor::colorNames().contains(name, Qt::CaseInsensitive))
        return std::nullopt;
    const QColor color = QColor::fromString(name);
    if (!color.isValid() || color.alpha() != 255)
        return std::nullopt; // "transparent" is no colour a laser draws
    return static_cast<lumivex::TColor>(color.red() | color.green() << 8 | color.blue() << 16);
}
#else
std::optional<lumivex::TColor> CssColor(const std::string &)
{
    return std::nullopt;
}
#endif

} // namespace

const char *ColorForms()
{
#ifdef LUMIVEX_SVG
    return "a swatch name (red, yellow, lime, aqua, navy, blue, fuchsia, white, black), a CSS colour name "
           "(green, orange, ...), #RRGGBB or 0xBBGGRR";
#else
    return "a swatch name (red, yellow, lime, aqua, navy, blue, fuchsia, white, black), #RRGGBB or 0xBBGGRR";
#endif
}

rtl::Result<lumivex::TColor> ParseColorOption(const std::string &text)
{
    if (const auto color = lumivex::ParseColor(text))
        return *color;
    if (const auto color = CssColor(text))
        return *color;
    return rtl::Fail("unknown colour '" + text + "': give " + ColorForms());
}

} // namespace cli
