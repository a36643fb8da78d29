#include "Renderer.h"

#include <QPainter>
#include <QPen>
#include <QSaveFile>
#include <QSvgGenerator>

#include <cmath>
#include <vector>

namespace player {

namespace {

QColor ToQColor(ilda::Color color) { return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF); }

// Consecutive lit segments of one colour go out as one polyline: a frame of
// one colour is a single call, however many points it has.
class Strokes {
public:
    explicit Strokes(QPainter &painter) : painter_(painter) {}
    ~Strokes() { Flush(); }

    void Line(QPointF from, QPointF to, ilda::Color color)
    {
        if (run_.empty() || color != color_ || run_.back() != from) {
            Flush();
            color_ = color;
            run_.push_back(from);
        }
        run_.push_back(to);
    }

    void Dot(QPointF at, ilda::Color color)
    {
        if (!run_.empty() && run_.back() == at && color == color_)
            return; // a dwell on a lit line: already drawn
        Flush();
        painter_.setPen(QPen(ToQColor(color), 0));
        painter_.drawPoint(at);
    }

    void Flush()
    {
        if (run_.empty())
            return;
        painter_.setPen(QPen(ToQColor(color_), 0));
        painter_.drawPolyline(run_.data(), static_cast<int>(run_.size()));
        run_.clear();
    }

private:
    QPainter &painter_;
    std::vector<QPointF> run_;
    ilda::Color color_ = 0;
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

void DrawFrame(QPainter &painter, const QRectF &square, std::span<const ilda::Point> points,
               const DrawOptions &options)
{
    painter.fillRect(painter.window(), Qt::black);
    if (square.width() < 1)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    // Blanked moves first, so the lit lines lie over them.
    if (options.showBlanked) {
        painter.setPen(QPen(kBlankedColor, 0));
        for (std::size_t i = 1; i < points.size(); ++i)
            if (points[i].Blanked())
                painter.drawLine(ToPixel(square, points[i - 1].x, points[i - 1].y),
                                 ToPixel(square, points[i].x, points[i].y));
    }
    {
        Strokes strokes(painter);
        QPointF previous;
        bool hasPrevious = false;
        for (const ilda::Point &point : points) {
            const QPointF here = ToPixel(square, point.x, point.y);
            if (!point.Blanked()) {
                if (hasPrevious && here != previous)
                    strokes.Line(previous, here, point.color);
                else
                    strokes.Dot(here, point.color);
            }
            previous = here;
            hasPrevious = true;
        }
    }
    painter.restore();
}

QImage RenderImage(std::span<const ilda::Point> points, int size, const DrawOptions &options)
{
    QImage image(size, size, QImage::Format_RGB32);
    QPainter painter(&image);
    DrawFrame(painter, DrawingSquare(image.size()), points, options);
    return image;
}

namespace {

QString Commit(QSaveFile &file)
{
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace

QString WritePng(const QString &path, std::span<const ilda::Point> points, int size, const DrawOptions &options)
{
    const QImage image = RenderImage(points, size, options);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (!image.save(&file, "PNG")) {
        file.cancelWriting();
        return QStringLiteral("the PNG could not be encoded");
    }
    return Commit(file);
}

QString WriteSvg(const QString &path, std::span<const ilda::Point> points, int size, const DrawOptions &options,
                 const QString &title)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(QSize(size, size));
    svg.setViewBox(QRect(0, 0, size, size));
    svg.setTitle(title);
    QPainter painter;
    if (!painter.begin(&svg)) {
        file.cancelWriting();
        return QStringLiteral("the SVG could not be started");
    }
    DrawFrame(painter, QRectF(0, 0, size, size), points, options);
    painter.end();
    return Commit(file);
}

} // namespace player
