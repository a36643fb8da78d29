// The palette in effect for the frame on show: a swatch per entry with its
// index, the entries the frame's lit points use framed in white.
#pragma once

#include "ilda/Reading.h"

#include <QWidget>

#include <bitset>
#include <span>
#include <vector>

namespace player {

// The palette indexes that lit points use.
std::bitset<256> UsedIndexes(std::span<const ilda::Point> points);

// The colours of the palette in effect for an indexed frame.
std::vector<ilda::Color> PaletteColors(const ilda::FrameInfo &frame);

class PaletteView : public QWidget {
    Q_OBJECT
public:
    explicit PaletteView(QWidget *parent = nullptr);

    // No colours: the frame carries its own (or there is none), said by why.
    void Set(std::vector<ilda::Color> colors, std::bitset<256> used, const QString &why = {});
    const std::vector<ilda::Color> &Colors() const { return colors_; }
    const std::bitset<256> &Used() const { return used_; }

    QSize sizeHint() const override;

    static constexpr int kColumns = 16;
    static constexpr int kCell = 34;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::vector<ilda::Color> colors_;
    std::bitset<256> used_;
    QString why_;
};

} // namespace player
