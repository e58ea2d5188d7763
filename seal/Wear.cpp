#include "seal/Wear.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace plomet {

// The wear model. Everything is a function of the point (x, y) in twips from
// the seal's centre, so a 96-dpi and a 600-dpi picture show the same wear, the
// finer one sharper, and a 42 mm seal wears differently from a 36 mm one
// rather than as a scaled copy.
//
//   n(x, y)   value noise at three scales (lattice cells of 16, 48 and 160
//             twips, weights 0.5, 0.3, 0.2): specks, flecks and blotches;
//   P(x, y)   the pressure: -1 .. 1 along a direction drawn from the seed,
//             over the ring's radius (the stamp pressed harder on one side);
//   t(x, y)   a broad value noise (600-twip cells): unevenly inked patches.
//
// With L = level / 100, a point keeps
//   keep = clamp((n - 0.12 L P - T) / 0.03 + 0.5, 0, 1),  T = 0.08 + 0.42 sqrt(L)
// of its ink (noise below a rising threshold wears away, more on the light
// side), times the tone 1 - 0.35 L t. T rises faster with L (slope at least
// 0.21) than the pressure term can fall (0.12), so no ink ever comes back as
// the level rises. The two broader scales, the pressure and the tone are
// taken at the nodes of the finest lattice and interpolated between them as
// the finest scale is: one interpolation a sample instead of four, and the
// same field at every resolution. A pixel's mask is the mean over its area,
// sampled at most 6 twips apart, so a coarse pixel shows a partly worn speck
// as a lighter pixel.
//
// Lattice values come from a fixed 64-bit mix of the cell's coordinates and a
// per-scale key; the keys and the direction are the raw output of mt19937
// seeded with the seed. Nothing depends on a library's distributions or on
// its trigonometry (only IEEE arithmetic and square roots), so the wear is
// the same on every machine.

namespace {

constexpr double kSampleTwips = 6.0;   // finest sampling of a pixel's area
constexpr int kMaxSamples = 4;         // per axis

uint64_t mix(uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

double fade(double f) { return f * f * (3.0 - 2.0 * f); }

} // namespace

WearField::WearField(int level, int32_t seed, double widthTwips, double heightTwips)
    : level_(std::clamp(level, 0, 100))
{
    std::mt19937 engine(static_cast<uint32_t>(seed));
    auto key = [&engine] {
        const uint64_t hi = engine();
        return (hi << 32) | uint64_t(engine());
    };
    octaves_ = {{16.0, 0.5, key()}, {48.0, 0.3, key()}, {160.0, 0.2, key()}};
    tone_ = {600.0, 1.0, key()};
    // A direction uniform over the circle: a point of the unit disc, made unit.
    for (;;) {
        const double a = double(engine()) / 2147483648.0 - 1.0, b = double(engine()) / 2147483648.0 - 1.0;
        const double r2 = a * a + b * b;
        if (r2 > 1e-4 && r2 <= 1.0) {
            dirX_ = a / std::sqrt(r2);
            dirY_ = b / std::sqrt(r2);
            break;
        }
    }
    cx_ = widthTwips / 2.0;
    cy_ = heightTwips / 2.0;
    radius_ = std::max(std::min(widthTwips, heightTwips) / 2.1, 1.0);
    const double L = level_ / 100.0;
    threshold_ = 0.08 + 0.42 * std::sqrt(L);
    pressureDepth_ = 0.12 * L;
    toneDepth_ = 0.35 * L;
    softness_ = 0.03;
}

double WearField::value(const Octave& o, int64_t i, int64_t j) const
{
    const uint64_t z = mix(o.key + uint64_t(i) * 0x9e3779b97f4a7c15ull + uint64_t(j) * 0xc2b2ae3d27d4eb4full);
    return double(z >> 40) * (1.0 / 16777216.0);
}

namespace {

int64_t floorToInt(double v)
{
    const int64_t i = static_cast<int64_t>(v);
    return v < double(i) ? i - 1 : i;
}

} // namespace

// Value noise along one row, read at increasing x: each lattice column is
// made once, when the walk reaches it, and neighbouring samples share it.
struct WearField::Walker {
    const WearField* field;
    const Octave* o;
    double inv;                // 1 / cell
    int64_t j = 0, i = 0;
    double fy = 0, a = 0, b = 0;
    double lo = 1, hi = 0;     // the cell [lo, hi) that a and b belong to; empty at first

    double column(int64_t at) const
    {
        const double p = field->value(*o, at, j), q = field->value(*o, at, j + 1);
        return p + (q - p) * fy;
    }
    void startRow(double y)
    {
        const double v = y * inv;
        j = floorToInt(v);
        fy = fade(v - double(j));
        lo = 1;
        hi = 0;
    }
    // Moves to the cell of u: the next one as the walk goes on, else a jump.
    __attribute__((noinline)) void move(double u)
    {
        if (u >= hi && u < hi + 1) {
            ++i;
            a = b;
            b = column(i + 1);
        } else {
            i = floorToInt(u);
            a = column(i);
            b = column(i + 1);
        }
        lo = double(i);
        hi = lo + 1;
    }
    double at(double x)
    {
        const double u = x * inv;
        if (!(u >= lo && u < hi))
            move(u);
        return a + (b - a) * fade(u - lo);
    }
};

void WearField::maskRow(int y, int x0, int count, double s, QPointF origin, float* out,
                        const uint8_t* needed) const
{
    std::vector<int> xs;
    xs.reserve(static_cast<size_t>(std::max(count, 0)));
    for (int x = 0; x < count; ++x) {
        if (!needed || needed[x])
            xs.push_back(x0 + x);
        else
            out[x] = 1.0f;
    }
    std::vector<float> values(xs.size());
    maskPixels(y, xs.data(), static_cast<int>(xs.size()), s, origin, values.data());
    for (size_t k = 0; k < xs.size(); ++k)
        out[xs[k] - x0] = values[k];
}

void WearField::maskPixels(int y, const int* xs, int n, double s, QPointF origin, float* out) const
{
    if (n <= 0)
        return;
    const double pxTwips = 1.0 / s;
    const int ns = std::clamp(static_cast<int>(std::ceil(pxTwips / kSampleTwips)), 1, kMaxSamples);
    const double step = pxTwips / ns;
    // Twips from the seal's centre: the same seal wears the same in a wider surface.
    const double left = -origin.x() * pxTwips - cx_ + 0.5 * step;   // first sample of pixel 0
    const double cell = octaves_[0].cell, invCell = 1.0 / cell;
    Walker fine{this, &octaves_[0], invCell};
    Walker broad[3] = {{this, &octaves_[1], 1.0 / octaves_[1].cell},
                       {this, &octaves_[2], 1.0 / octaves_[2].cell},
                       {this, &tone_, 1.0 / tone_.cell}};
    const double w0 = octaves_[0].weight, w1 = octaves_[1].weight, w2 = octaves_[2].weight;
    const double inv = 1.0 / (ns * ns);
    const double invRadius = 1.0 / radius_, invSoftness = 1.0 / softness_;
    std::fill(out, out + n, 0.0f);
    for (int sy = 0; sy < ns; ++sy) {
        const double Y = (y - origin.y()) * pxTwips + (sy + 0.5) * step - cy_;
        fine.startRow(Y);
        for (Walker& w : broad)
            w.startRow(Y);
        const double py = Y * dirY_;
        // At a node of the finest lattice: the noise less the pressure's
        // share of the threshold, and the tone.
        auto node = [&](int64_t i, double fineColumn, double& level, double& tone) {
            const double X = double(i) * cell;
            const double P = std::clamp((X * dirX_ + py) * invRadius, -1.0, 1.0);
            level = w0 * fineColumn + w1 * broad[0].at(X) + w2 * broad[1].at(X) - pressureDepth_ * P;
            tone = broad[2].at(X);
        };
        int64_t cellIndex = 0;
        bool haveCell = false;
        double l0 = 0, l1 = 0, t0 = 0, t1 = 0;
        for (int k = 0; k < n; ++k) {
            double sum = 0;
            for (int sx = 0; sx < ns; ++sx) {
                const double X = left + xs[k] * pxTwips + sx * step;
                const double u = X * invCell;
                const int64_t i = floorToInt(u);
                if (!haveCell || i != cellIndex) {
                    if (haveCell && i == cellIndex + 1) {
                        l0 = l1;
                        t0 = t1;
                    } else {
                        node(i, fine.column(i), l0, t0);
                    }
                    node(i + 1, fine.column(i + 1), l1, t1);
                    cellIndex = i;
                    haveCell = true;
                }
                const double f = fade(u - double(i));
                const double level = l0 + (l1 - l0) * f;
                const double keep = std::clamp((level - threshold_) * invSoftness + 0.5, 0.0, 1.0);
                if (keep > 0)
                    sum += keep * (1.0 - toneDepth_ * (t0 + (t1 - t0) * f));
            }
            out[k] += static_cast<float>(sum * inv);
        }
    }
}

namespace {

// The wear over an image: which pixels hold ink, and what to do with their mask.
template <class Apply>
void wearPixels(QImage& image, const DrawingModel& model, double s, QPointF origin, QRgb empty, Apply apply)
{
    if (model.aging <= 0 || image.isNull())
        return;
    const WearField field(model.aging, model.agingSeed, model.widthTwips, model.heightTwips);
    const int w = image.width();
    std::vector<int> xs(static_cast<size_t>(w) + 1);
    std::vector<float> mask(static_cast<size_t>(w));
    for (int y = 0; y < image.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        int n = 0;
        for (int x = 0; x < w;) {
            // Most of a row is empty: eight pixels at a time.
            if (x + 8 <= w) {
                QRgb any = 0;
                for (int k = 0; k < 8; ++k)
                    any |= row[x + k] ^ empty;
                if (any == 0) {
                    x += 8;
                    continue;
                }
            }
            if (row[x] != empty)
                xs[size_t(n++)] = x;
            ++x;
        }
        if (n == 0)
            continue;
        field.maskPixels(y, xs.data(), n, s, origin, mask.data());
        for (int k = 0; k < n; ++k)
            row[xs[size_t(k)]] = apply(row[xs[size_t(k)]], mask[size_t(k)]);
    }
}

} // namespace

void applyWear(QImage& image, const DrawingModel& model, double s, QPointF origin, QRgb background)
{
    const QRgb bg = background | 0xff000000u;
    const int br = qRed(bg), bgG = qGreen(bg), bb = qBlue(bg);
    wearPixels(
        image, model, s, origin, bg,
        [=](QRgb p, float m) {
            const int k = static_cast<int>(m * 256.0f + 0.5f);   // 0 .. 256
            auto ch = [k](int b, int v) { return b + (((v - b) * k + 128) >> 8); };
            return qRgb(ch(br, qRed(p)), ch(bgG, qGreen(p)), ch(bb, qBlue(p)));
        });
}

void applyWearPremultiplied(QImage& image, const DrawingModel& model, double s, QPointF origin)
{
    wearPixels(
        image, model, s, origin, 0u,
        [](QRgb p, float m) {
            const uint32_t k = static_cast<uint32_t>(m * 256.0f + 0.5f);   // 0 .. 256
            // All four bytes at once, two at a time: premultiplied channels
            // scale alike and never carry into their neighbours.
            const uint32_t rb = (((p & 0x00ff00ffu) * k + 0x00800080u) >> 8) & 0x00ff00ffu;
            const uint32_t ag = ((((p >> 8) & 0x00ff00ffu) * k + 0x00800080u) >> 8) & 0x00ff00ffu;
            return rb | (ag << 8);
        });
}

QImage wearMask(const DrawingModel& model, double dpi)
{
    if (model.aging <= 0)
        return QImage();
    const double s = dpi / 1440.0;
    const int w = static_cast<int>(std::ceil(model.widthTwips * s));
    const int h = static_cast<int>(std::ceil(model.heightTwips * s));
    if (w <= 0 || h <= 0)
        return QImage();
    QImage mask(w, h, QImage::Format_Grayscale8);
    if (mask.isNull())
        return mask;
    const WearField field(model.aging, model.agingSeed, model.widthTwips, model.heightTwips);
    std::vector<float> row(static_cast<size_t>(w));
    for (int y = 0; y < h; ++y) {
        field.maskRow(y, 0, w, s, QPointF(0, 0), row.data());
        uchar* line = mask.scanLine(y);
        for (int x = 0; x < w; ++x)
            line[x] = static_cast<uchar>(std::lround(std::clamp(row[x], 0.0f, 1.0f) * 255.0f));
    }
    return mask;
}

} // namespace plomet
