#include "player/ScannerRenderer.h"

#include "rtl/SaveFile.h"
#include "rtl/SysUtils.h"
#include "scan/Mirror.h"

#include <QBuffer>
#include <QByteArray>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace player {

namespace {

// Light gathered on a band of rows of the picture, red, green and blue
// per pixel, in samples of beam time. A band small enough to stay in the
// processor's cache is much faster to add into than the whole picture, and
// keeps memory small whatever the picture's size.
class Light {
public:
    // A row above and below the band, and a column at its right, take
    // what spills over from spots on its edges, so adding needs no checks.
    Light(int size, int rows) : width_(std::size_t(size) + 1), rows_(rows), rgb_(width_ * std::size_t(rows + 2) * 3) {}

    // Dark again, for the rows from top on.
    void Start(int top)
    {
        top_ = top;
        std::fill(rgb_.begin(), rgb_.end(), 0.0f);
    }

    // One sample's light spread evenly along from -> to (pixels, inside
    // the picture), each spot shared between the four pixels around it.
    void Stroke(float x0, float y0, float x1, float y1, const float color[3])
    {
        const float dx = x1 - x0, dy = y1 - y0;
        const int spots = std::max(1, int(std::ceil(std::max(std::abs(dx), std::abs(dy)))));
        // The spots whose rows touch this band.
        int first = 0, last = spots - 1;
        if (dy != 0) {
            double ta = (top_ - 1 - y0) / double(dy), tb = (top_ + rows_ - y0) / double(dy);
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
        const float stepX = dx * share, stepY = dy * share;
        for (int i = first; i <= last; ++i)
            Spot(x0 + stepX * (float(i) + 0.5f), y0 + stepY * (float(i) + 0.5f), r, g, b);
    }

    // The light of a pixel of the band, row counted from the band's top.
    const float *Pixel(int row, int x) const { return &rgb_[(std::size_t(row + 1) * width_ + std::size_t(x)) * 3]; }

private:
    void Spot(float x, float y, float r, float g, float b)
    {
        const int ix = int(x), iy = int(y); // both at least 0
        const int row = iy - top_ + 1;
        if (row < 0 || row > rows_)
            return; // rounding at the band's edge
        const float fx = x - float(ix), fy = y - float(iy);
        float *at = &rgb_[(std::size_t(row) * width_ + std::size_t(ix)) * 3];
        Add(at, (1 - fx) * (1 - fy), r, g, b);
        Add(at + 3, fx * (1 - fy), r, g, b);
        Add(at + width_ * 3, (1 - fx) * fy, r, g, b);
        Add(at + width_ * 3 + 3, fx * fy, r, g, b);
    }
    static void Add(float *at, float weight, float r, float g, float b)
    {
        at[0] += r * weight;
        at[1] += g * weight;
        at[2] += b * weight;
    }

    std::size_t width_;
    int rows_, top_ = 0;
    std::vector<float> rgb_;
};

// Bytes of light a band may gather: well inside a core's cache.
constexpr std::size_t kBandBytes = std::size_t{256} << 10;

} // namespace

QImage RenderScannerImage(std::span<const ilda::Point> points, int size, const scan::Profile &profile)
{
    QImage image(std::max(size, 0), std::max(size, 0), QImage::Format_RGB32);
    image.fill(Qt::black);
    if (size < 1 || points.empty())
        return image;

    struct Lit {
        float x0, y0, x1, y1;
        float color[3];
    };
    // The same placing as the projector's view: -32768 on the first pixel,
    // 32767 on the last, positive Y up. The mirror never leaves the points'
    // hull; the clamp only guards against rounding.
    const double scale = (size - 1) / 65535.0;
    const auto px = [&](double x) { return float(std::clamp((x + 32768) * scale, 0.0, double(size - 1))); };
    const auto py = [&](double y) { return float(std::clamp((32767 - y) * scale, 0.0, double(size - 1))); };
    std::vector<Lit> lit;
    for (const scan::BeamStep &step : scan::TraceBeam(points, profile)) {
        if (!step.lit)
            continue;
        const ilda::Color c = step.color;
        lit.push_back({px(step.from.x),
                       py(step.from.y),
                       px(step.to.x),
                       py(step.to.y),
                       {float(c & 0xFF) / 255, float((c >> 8) & 0xFF) / 255, float((c >> 16) & 0xFF) / 255}});
    }

    // A pixel on a stroke drawn at the largest lit step gets about
    // 1 / (step in pixels) of a sample; it shows at two thirds.
    const double litStepPixels = std::max(1.0, scan::Units(profile.litStep) * scale);
    const float half = float(0.5 / litStepPixels);

    // Each stroke listed under every band its light may reach (a spot
    // spreads one pixel down), so that a band adds up only its own.
    const int bandRows = int(std::clamp<std::size_t>(kBandBytes / (std::size_t(size) * 3 * sizeof(float)), 1, size));
    const int bands = (size + bandRows - 1) / bandRows;
    const auto bandOf = [&](float y) { return std::clamp(int(y) / bandRows, 0, bands - 1); };
    std::vector<std::uint32_t> first(std::size_t(bands) + 1, 0);
    for (const Lit &l : lit)
        for (int band = bandOf(std::min(l.y0, l.y1)); band <= bandOf(std::max(l.y0, l.y1) + 1); ++band)
            ++first[std::size_t(band) + 1];
    for (int band = 0; band < bands; ++band)
        first[std::size_t(band) + 1] += first[std::size_t(band)];
    std::vector<std::uint32_t> listed(first.back());
    std::vector<std::uint32_t> filled(first.begin(), first.end() - 1);
    for (std::size_t i = 0; i < lit.size(); ++i)
        for (int band = bandOf(std::min(lit[i].y0, lit[i].y1)); band <= bandOf(std::max(lit[i].y0, lit[i].y1) + 1);
             ++band)
            listed[filled[std::size_t(band)]++] = std::uint32_t(i);

    Light light(size, bandRows);
    const auto tone = [half](float v) { return int(255.0f * v / (v + half) + 0.5f); };
    for (int band = 0; band < bands; ++band) {
        const int top = band * bandRows;
        const int rows = std::min(bandRows, size - top);
        light.Start(top);
        for (std::uint32_t at = first[std::size_t(band)]; at < first[std::size_t(band) + 1]; ++at) {
            const Lit &l = lit[listed[at]];
            light.Stroke(l.x0, l.y0, l.x1, l.y1, l.color);
        }
        for (int row = 0; row < rows; ++row) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(top + row));
            for (int x = 0; x < size; ++x) {
                const float *e = light.Pixel(row, x);
                if (e[0] == 0 && e[1] == 0 && e[2] == 0)
                    continue;
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
