#include "player/PaletteView.h"

#include <QPainter>

namespace player {

std::bitset<256> UsedIndexes(std::span<const ilda::Point> points)
{
    std::bitset<256> used;
    for (const ilda::Point &point : points) {
        if (point.indexed && !point.Blanked())
            used.set(point.colorIndex);
    }
    return used;
}

std::vector<ilda::Color> PaletteColors(const ilda::FrameInfo &frame)
{
    if (!ilda::IsIndexed(frame.header.format))
        return {};
    if (frame.palette)
        return frame.palette->colors;
    return {ilda::kDefaultPalette.begin(), ilda::kDefaultPalette.end()};
}

PaletteView::PaletteView(QWidget *parent) : QWidget(parent) {}

void PaletteView::Set(std::vector<ilda::Color> colors, std::bitset<256> used, const QString &why)
{
    colors_ = std::move(colors);
    used_ = used;
    why_ = why;
    updateGeometry();
    update();
}

QSize PaletteView::sizeHint() const
{
    const int rows = std::max<int>(1, int((colors_.size() + kColumns - 1) / kColumns));
    return {kColumns * kCell + 1, rows * kCell + 1};
}

void PaletteView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (colors_.empty()) {
        painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, why_);
        return;
    }
    QFont small = font();
    small.setPixelSize(10);
    painter.setFont(small);
    for (std::size_t i = 0; i < colors_.size(); ++i) {
        const QRect cell(int(i % kColumns) * kCell, int(i / kColumns) * kCell, kCell, kCell);
        const ilda::Color c = colors_[i];
        const QColor color(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
        painter.fillRect(cell.adjusted(1, 1, 0, 0), color);
        if (used_.test(i)) {
            painter.setPen(QPen(Qt::white, 2));
            painter.drawRect(cell.adjusted(2, 2, -1, -1));
            painter.setPen(QPen(Qt::black, 1));
            painter.drawRect(cell.adjusted(4, 4, -3, -3));
        }
        painter.setPen(color.lightness() > 128 ? Qt::black : Qt::white);
        painter.drawText(cell.adjusted(6, 5, 0, 0), Qt::AlignLeft | Qt::AlignTop, QString::number(i));
    }
}

} // namespace player
