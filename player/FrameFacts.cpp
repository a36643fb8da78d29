#include "FrameFacts.h"

#include <algorithm>

namespace player {

namespace {

QString Count(std::size_t n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

} // namespace

QString FormatText(std::uint8_t format)
{
    const char *kind = ilda::Is3d(format) ? "3D" : "2D";
    const char *colour = ilda::IsIndexed(format) ? "indexed" : "true colour";
    return QStringLiteral("%1 (%2, %3)").arg(format).arg(QLatin1String(kind), QLatin1String(colour));
}

QString PaletteText(const ilda::FrameInfo &frame)
{
    if (!ilda::IsIndexed(frame.header.format))
        return QStringLiteral("none (true colour)");
    QString text;
    if (!frame.palette) {
        text = QStringLiteral("ILDA default, %1").arg(Count(ilda::kDefaultPalette.size(), "colour", "colours"));
    } else {
        const QString name = QString::fromStdString(ilda::NameUtf8(frame.palette->header.name));
        text = QStringLiteral("%1at byte %2, %3")
                   .arg(name.isEmpty() ? QString() : QStringLiteral("\"%1\" ").arg(name))
                   .arg(frame.palette->offset)
                   .arg(Count(frame.palette->colors.size(), "colour", "colours"));
    }
    if (frame.colorTable)
        text += QStringLiteral("; colour table at byte %1").arg(frame.colorTable->offset);
    return text;
}

QString PointsText(const ilda::FrameInfo &frame)
{
    if (frame.pointCount < frame.header.recordCount)
        return QStringLiteral("%1 of %2 (the file ends inside the frame)")
            .arg(frame.pointCount)
            .arg(frame.header.recordCount);
    return QString::number(frame.pointCount);
}

QString FrameLabel(std::size_t index, std::size_t count, bool more)
{
    return QStringLiteral("Frame %1 of %2%3").arg(index + 1).arg(count).arg(more ? QStringLiteral("...") : QString());
}

QString HeaderNumberText(const ilda::Header &header)
{
    return QStringLiteral("%1 of %2").arg(header.number).arg(header.total);
}

QString DiagnosticText(const ilda::Diagnostic &diagnostic)
{
    return QStringLiteral("byte %1%2: %3")
        .arg(diagnostic.offset)
        .arg(diagnostic.frame >= 0 ? QStringLiteral(" (frame %1)").arg(diagnostic.frame + 1) : QString())
        .arg(QString::fromStdString(diagnostic.text));
}

QStringList MessageLines(const ilda::ReadOutcome &outcome)
{
    QStringList lines;
    for (const ilda::Diagnostic &error : outcome.errors)
        lines << QStringLiteral("error at ") + DiagnosticText(error);
    for (const ilda::Diagnostic &warning : outcome.warnings)
        lines << QStringLiteral("warning at ") + DiagnosticText(warning);
    const std::size_t left =
        outcome.errorCount + outcome.warningCount - outcome.errors.size() - outcome.warnings.size();
    if (left > 0)
        lines << QStringLiteral("and %1 more").arg(left);
    return lines;
}

QString VerdictText(std::size_t frames, const ilda::ReadOutcome &outcome)
{
    QString text = Count(frames, "frame", "frames");
    if (outcome.Conforms())
        return text + QStringLiteral(", as the standard wants");
    if (!outcome.errors.empty())
        text += QStringLiteral("; error at ") + DiagnosticText(outcome.errors.front());
    if (outcome.warningCount > 0)
        text += QStringLiteral("; ") + Count(outcome.warningCount, "warning", "warnings");
    return text;
}

} // namespace player
