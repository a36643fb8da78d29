#include "outlinefont/OutlineFont.h"

#include "svgin/GuiApplication.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainterPath>

#include <algorithm>

namespace outlinefont {

namespace {

// Glyphs are drawn this many pixels high, so Qt's flattening of curves
// (to half a pixel) stays within 0.05 % of the letter.
constexpr int kPixelSize = 1000;

QFont FontOf(const std::string &family)
{
    QFont font(QString::fromStdString(family));
    font.setPixelSize(kPixelSize);
    font.setStyleStrategy(QFont::NoFontMerging);
    return font;
}

// The letters to draw: those the font lacks become spaces and are listed.
QString Drawable(const QFontMetricsF &metrics, const std::u32string &letters, std::u32string &missing)
{
    std::u32string kept;
    for (const char32_t letter : letters) {
        const bool has = letter >= 0x20 && letter != 0x7F && metrics.inFontUcs4(uint(letter));
        if (!has && missing.find(letter) == std::u32string::npos)
            missing.push_back(letter);
        kept.push_back(has ? letter : U' ');
    }
    return QString::fromUcs4(kept.data(), qsizetype(kept.size()));
}

// Qt's remarks while it starts and finds fonts (a missing runtime folder)
// are not the user's business: silenced while a call lasts.
class QuietQt {
public:
    QuietQt() : previous_(qInstallMessageHandler(Drop)) {}
    ~QuietQt() { qInstallMessageHandler(previous_); }
    QuietQt(const QuietQt &) = delete;
    QuietQt &operator=(const QuietQt &) = delete;

private:
    static void Drop(QtMsgType, const QMessageLogContext &, const QString &) {}
    QtMessageHandler previous_;
};

} // namespace

std::vector<std::string> OutlineFamilies()
{
    const QuietQt quiet;
    std::vector<std::string> names;
    if (!svgin::EnsureGuiApplication())
        return names;
    for (const QString &family : QFontDatabase::families())
        if (QFontDatabase::isScalable(family))
            names.push_back(family.toStdString());
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<std::string> FindFamily(const std::string &name)
{
    const QString wanted = QString::fromStdString(name);
    for (const std::string &family : OutlineFamilies())
        if (QString::fromStdString(family).compare(wanted, Qt::CaseInsensitive) == 0)
            return family;
    return std::nullopt;
}

rtl::Result<text::Shaped> ShapeOutline(const std::string &family, const std::u32string &letters)
{
    const QuietQt quiet;
    if (!svgin::EnsureGuiApplication())
        return rtl::Fail("outline fonts need a Qt GUI application");
    const QFont font = FontOf(family);
    const QFontMetricsF metrics(font);
    text::Shaped shaped;
    QPainterPath path;
    path.addText(0, 0, font, Drawable(metrics, letters, shaped.missing));
    for (const QPolygonF &outline : path.toSubpathPolygons()) {
        text::Polyline stroke;
        for (const QPointF &point : outline)
            stroke.push_back({point.x(), -point.y()});
        shaped.strokes.push_back(std::move(stroke));
    }
    shaped.top = metrics.ascent();
    shaped.bottom = -metrics.descent();
    return shaped;
}

} // namespace outlinefont
