#include "player/ScannerRenderer.h"

#include "rtl/SaveFile.h"
#include "rtl/SysUtils.h"
#include "scan/Mirror.h"

#include <QBuffer>
#include <QByteArray>

#include <algorithm>
#include <cmath>
#include <vector>

namespace player {

namespace {

// Light gathered on a band of rows of the picture, red, green and blue
// per pixel, in samples of beam time. Bands keep the buffer small whatever
// the picture's size.
class Light {
public:
    Light(int size, int top, int rows)
        : size_(size), top_(top), rows_(rows), rgb_(std::size_t(size) * std::size_t(rows) * 3, 0.0f)
    {
    }

    // One sample's light spread evenly along from -> to (pixels), each
    // spot shared between the four pixels around it.
    void Stroke(double x0, double y0, double x1, double y1, const float color[3])
    {
        const double dx = x1 - x0, dy = y1 - y0;
        const int spots = std::max(1, int(std::ceil(std::max(std::abs(dx), std::abs(dy)))));
        // The spots whose rows touch this band.
        int first = 0, last = spots - 1;
        if (dy != 0) {
            double ta = (top_ - 1 - y0) / dy, tb = (top_ + rows_ - y0) / dy;
            if (ta > tb)
                std::swap(ta, tb);
            // In doubles first: a nearly level stroke puts the band far outside [0, 1].
            first = int(std::clamp(std::ceil(ta * spots - 0.5), 0.0, double(spots)));
            last = int(std::clamp(std::floor(tb * spots - 0.5), -1.0, double(spots - 1)));
        } else if (y0 < top_ - 1 || y0 >= top_ + rows_) {
            return;
        }
        const float share = 1.0f / float(spots);
        const float r = color[0] * share, g = color[1] * share, b = color[2] * share;
        for (int i = first; i <= last; ++i) {
            const double t = (i + 0.5) / spots;
            Spot(x0 + dx * t, y0 + dy * t, r, g, b);
        }
    }

    // The light of a pixel of the band, row counted from the band's top.
    const float *Pixel(int row, int x) const { return &rgb_[(std::size_t(row) * std::size_t(size_) + x) * 3]; }

private:
    void Spot(double x, double y, float r, float g, float b)
    {
        const int ix = int(std::floor(x)), iy = int(std::floor(y));
        const auto fx = float(x - ix), fy = float(y - iy);
        Add(ix, iy, (1 - fx) * (1 - fy), r, g, b);
        Add(ix + 1, iy, fx * (1 - fy), r, g, b);
        Add(ix, iy + 1, (1 - fx) * fy, r, g, b);
        Add(ix + 1, iy + 1, fx * fy, r, g, b);
    }
    void Add(int x, int y, float weight, float r, float g, float b)
    {
        const int row = y - top_;
        if (x < 0 || x >= size_ || row < 0 || row >= rows_)
            return;
        float *at = &rgb_[(std::size_t(row) * std::size_t(size_) + x) * 3];
        at[0] += r * weight;
        at[1] += g * weight;
        at[2] += b * weight;
    }

    int size_, top_, rows_;
    std::vector<float> rgb_;
};

// Bytes of light buffer a band may take.
constexpr std::size_t kBandBytes = std::size_t{24} << 20;

} // namespace

QImage RenderScannerImage(std::span<const ilda::Point> points, int size, const scan::Profile &profile)
{
    QImage image(std::max(size, 0), std::max(size, 0), QImage::Format_RGB32);
    image.fill(Qt::black);
    if (size < 1 || points.empty())
        return image;

    struct Lit {
        double x0, y0, x1, y1;
        float color[3];
    };
    // The same placing as the projector's view: -32768 on the first pixel,
    // 32767 on the last, positive Y up.
    const double scale = (size - 1) / 65535.0;
    std::vector<Lit> lit;
    for (const scan::BeamStep &step : scan::TraceBeam(points, profile)) {
        if (!step.lit)
            continue;
        const ilda::Color c = step.color;
        lit.push_back({(step.from.x + 32768) * scale,
                       (32767 - step.from.y) * scale,
                       (step.to.x + 32768) * scale,
                       (32767 - step.to.y) * scale,
                       {float(c & 0xFF) / 255, float((c >> 8) & 0xFF) / 255, float((c >> 16) & 0xFF) / 255}});
    }

    // A pixel on a stroke drawn at the largest lit step gets about
    // 1 / (step in pixels) of a sample; it shows at two thirds.
    const double litStepPixels = std::max(1.0, scan::Units(profile.litStep) * scale);
    const float half = float(0.5 / litStepPixels);

    const int bandRows = int(std::clamp<std::size_t>(kBandBytes / (std::size_t(size) * 3 * sizeof(float)), 1, size));
    for (int top = 0; top < size; top += bandRows) {
        const int rows = std::min(bandRows, size - top);
        Light light(size, top, rows);
        for (const Lit &l : lit)
            light.Stroke(l.x0, l.y0, l.x1, l.y1, l.color);
        for (int row = 0; row < rows; ++row) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(top + row));
            for (int x = 0; x < size; ++x) {
                const float *e = light.Pixel(row, x);
                if (e[0] == 0 && e[1] == 0 && e[2] == 0)
                    continue;
                const auto tone = [half](float v) { return int(255.0f * v / (v + half) + 0.5f); };
                line[x] = qRgb(tone(e[0]), tone(e[1]), tone(e[2]));
            }
        }
    }
    return image;
}

std::string WriteScannerPng(const std::string &path, std::span<const ilda::Point> points, int size,
                            const scan::Profile &profile)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!RenderScannerImage(points, size, profile).save(&buffer, "PNG"))
        return "the PNG could not be encoded";
    try {
        rtl::TSaveFileStream file(path, path);
        file.WriteBuffer(bytes.constData(), std::size_t(bytes.size()));
        file.Commit();
    } catch (const rtl::Exception &error) {
        return error.Message();
    }
    return {};
}

} // namespace player
