#include "player/Renderer.h"

#include "FrameMarks.h"

#include "rtl/SaveFile.h"
#include "rtl/SysUtils.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPen>
#include <QSvgGenerator>

#include <cmath>
#include <unordered_map>
#include <vector>

namespace player {

namespace {

QColor ToQColor(ilda::Color color)
{
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

// The lit lines and dots gathered by colour and drawn one colour at a time:
// a pen change costs more than a line, and frames often change colour at
// every point. Laser light adds up, so no colour lies "over" another and
// the order between colours does not matter.
class Strokes {
public:
    // Black light is no light: painting it would hide the lines under it.
    void Line(QPointF from, QPointF to, ilda::Color color)
    {
        if (!IsDark(color))
            For(color).lines.emplace_back(from, to);
    }
    void Dot(QPointF at, ilda::Color color)
    {
        if (!IsDark(color))
            For(color).dots.push_back(at);
    }

    void Draw(QPainter &painter, double width) const
    {
        for (const Bucket &bucket : buckets_) {
            painter.setPen(QPen(ToQColor(bucket.color), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            if (!bucket.lines.empty())
                painter.drawLines(bucket.lines.data(), static_cast<int>(bucket.lines.size()));
            if (!bucket.dots.empty())
                painter.drawPoints(bucket.dots.data(), static_cast<int>(bucket.dots.size()));
        }
    }

private:
    struct Bucket {
        ilda::Color color;
        std::vector<QLineF> lines;
        std::vector<QPointF> dots;
    };

    static bool IsDark(ilda::Color color) { return (color & 0xFFFFFF) == 0; }

    Bucket &For(ilda::Color color)
    {
        if (last_ < buckets_.size() && buckets_[last_].color == color)
            return buckets_[last_];
        const auto [at, added] = index_.try_emplace(color, buckets_.size());
        if (added)
            buckets_.push_back({color, {}, {}});
        last_ = at->second;
        return buckets_[last_];
    }

    std::vector<Bucket> buckets_;
    std::unordered_map<ilda::Color, std::size_t> index_;
    std::size_t last_ = 0;
};

} // namespace

QRectF DrawingSquare(QSize size)
{
    const int side = std::max(0, std::min(size.width(), size.height()));
    return QRectF((size.width() - side) / 2, (size.height() - side) / 2, side, side);
}

QPointF ToPixel(const QRectF &square, std::int16_t x, std::int16_t y)
{
    const double scale = (square.width() - 1) / 65535.0;
    return {square.left() + (x + 32768) * scale, square.top() + (32767 - y) * scale};
}

double LineWidthFor(int size)
{
    return size > 512 ? size / 512.0 : 0;
}

void DrawFrame(QPainter &painter, const QRectF &square, std::span<const ilda::Point> points, const DrawOptions &options)
{
    DrawFrame(painter, Projection(square), points, options);
}

void DrawFrame(QPainter &painter, const Projection &projection, std::span<const ilda::Point> points,
               const DrawOptions &options)
{
    painter.fillRect(painter.window(), Qt::black);
    if (projection.Square().width() < 1)
        return;
    painter.save();
    // No smoothing, wide lines too: it costs a hundred times the drawing
    // on frames of long lines; round caps join the wide ones.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    Strokes strokes;
    std::vector<QLineF> blanked;
    QPointF previous;
    bool hasPrevious = false;
    const OrderShade shade(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        const ilda::Point &point = points[i];
        const QPointF here = projection.Map(point);
        const ilda::Color color = options.showOrder ? shade(point.color, i) : point.color;
        if (point.Blanked()) {
            if (options.showBlanked && hasPrevious)
                blanked.emplace_back(previous, here);
        } else if (hasPrevious && here != previous) {
            strokes.Line(previous, here, color);
        } else {
            strokes.Dot(here, color);
        }
        previous = here;
        hasPrevious = true;
    }
    // Blanked moves first, so the lit lines lie over them.
    if (!blanked.empty()) {
        painter.setPen(QPen(kBlankedColor, options.lineWidth));
        painter.drawLines(blanked.data(), static_cast<int>(blanked.size()));
    }
    strokes.Draw(painter, options.lineWidth);
    if (options.showPoints || options.showOrder)
        DrawMarks(painter, projection, points, options);
    painter.restore();
}

QImage RenderImage(std::span<const ilda::Point> points, int size, const DrawOptions &options)
{
    QImage image(size, size, QImage::Format_RGB32);
    QPainter painter(&image);
    DrawOptions sized = options;
    if (sized.lineWidth == 0)
        sized.lineWidth = LineWidthFor(size);
    DrawFrame(painter, DrawingSquare(image.size()), points, sized);
    return image;
}

namespace {

// Every file the player writes goes through the project's saving stream:
// devices and FIFOs written as they stand, links followed, the old file
// kept when anything fails.
QString Save(const QString &path, const QByteArray &bytes)
{
    const std::string shown = path.toStdString();
    try {
        rtl::TSaveFileStream file(QFile::encodeName(path).toStdString(), shown);
        file.WriteBuffer(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        file.Commit();
    } catch (const rtl::Exception &error) {
        return QString::fromStdString(error.Message());
    }
    return {};
}

} // namespace

std::string ReplacesInputProblem(const std::string &input, const std::string &output)
{
    if (input.empty() || !rtl::LeadsToSameFile(input, output))
        return {};
    return input + ": " + rtl::WouldReplaceInputText(output);
}

QString ReplacesInputProblem(const QString &input, const QString &output)
{
    return QString::fromStdString(
        ReplacesInputProblem(QFile::encodeName(input).toStdString(), QFile::encodeName(output).toStdString()));
}

QString WritePng(const QString &path, std::span<const ilda::Point> points, int size, const DrawOptions &options)
{
    const QImage image = RenderImage(points, size, options);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return QStringLiteral("Cannot write %1: the PNG could not be encoded").arg(path);
    return Save(path, bytes);
}

QString WriteSvg(const QString &path, std::span<const ilda::Point> points, int size, const DrawOptions &options,
                 const QString &title)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(size, size));
    svg.setViewBox(QRect(0, 0, size, size));
    svg.setTitle(title);
    QPainter painter;
    if (!painter.begin(&svg))
        return QStringLiteral("Cannot write %1: the SVG could not be started").arg(path);
    DrawFrame(painter, QRectF(0, 0, size, size), points, options);
    painter.end();
    return Save(path, bytes);
}

PictureKind PictureKindOf(const QString &path)
{
    return QFileInfo(path).suffix().compare(QStringLiteral("svg"), Qt::CaseInsensitive) == 0 ? PictureKind::Svg
                                                                                             : PictureKind::Png;
}

QString WritePicture(const QString &path, std::span<const ilda::Point> points, int size, const DrawOptions &options,
                     const QString &title)
{
    if (PictureKindOf(path) == PictureKind::Svg)
        return WriteSvg(path, points, size, options, title);
    return WritePng(path, points, size, options);
}

} // namespace player
