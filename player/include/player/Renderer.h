// Draws a frame as the projector would show it: black ground, ILDA
// coordinates in the largest centred square (positive Y up), each lit point
// joined to the one before in its own colour, blanked moves hidden or dim,
// Z ignored. One drawing for the window, PNG and SVG.
#pragma once

#include "ilda/Codec.h"
#include "player/ViewTransform.h"

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>

#include <cstdint>
#include <span>
#include <string>

class QPainter;

namespace player {

struct DrawOptions {
    bool showBlanked = false; // the blanked moves, dim
    double lineWidth = 0;     // pixels; 0 is one pixel whatever the scale
    bool showPoints = false;  // a mark on each point
    bool showOrder = false;   // lines shaded from the first point to the last
    bool turn3d = false;      // the view's turn applies (frames with Z)
};

// The pen width of an image of size pixels, so that large images are not
// faint: one pixel up to 512, then in proportion.
double LineWidthFor(int size);

// The colour of blanked moves when they are shown.
inline const QColor kBlankedColor{80, 80, 80};

// The largest square centred in an area of size, in whole pixels.
QRectF DrawingSquare(QSize size);

// Where an ILDA point lands in square: -32768 on the first pixel, 32767 on
// the last, positive Y up.
QPointF ToPixel(const QRectF &square, std::int16_t x, std::int16_t y);

// Draws points into square with painter (ground included).
void DrawFrame(QPainter &painter, const QRectF &square, std::span<const ilda::Point> points,
               const DrawOptions &options);
// The same through a projection: zoomed, panned or turned.
void DrawFrame(QPainter &painter, const Projection &projection, std::span<const ilda::Point> points,
               const DrawOptions &options);

// The frame as a size x size image, its lines LineWidthFor(size) wide
// unless options give a width.
QImage RenderImage(std::span<const ilda::Point> points, int size, const DrawOptions &options);

// Writes the frame as a PNG of size x size, or as an SVG of size x size
// units, to path through rtl::TSaveFileStream (nothing harmed when it
// fails); returns the message of a failure ("Cannot write PATH: REASON"),
// empty on success.
QString WritePng(const QString &path, std::span<const ilda::Point> points, int size, const DrawOptions &options);
QString WriteSvg(const QString &path, std::span<const ilda::Point> points, int size, const DrawOptions &options,
                 const QString &title);

// The kind of picture a file name asks for: SVG when it ends in .svg (any
// case), else PNG. One rule for every picture the player writes by name.
enum class PictureKind { Png, Svg };
PictureKind PictureKindOf(const QString &path);
// WritePng or WriteSvg, as the name asks; an SVG is size units square.
QString WritePicture(const QString &path, std::span<const ilda::Point> points, int size, const DrawOptions &options,
                     const QString &title);

// "INPUT: the output OUTPUT would replace the input; not written." when
// output leads to the file input (directly, through a link, a hard link or
// /proc/self/fd/N); empty otherwise.
std::string ReplacesInputProblem(const std::string &input, const std::string &output);
QString ReplacesInputProblem(const QString &input, const QString &output);

} // namespace player
