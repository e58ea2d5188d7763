#include "seal/Wear.h"

#include <algorithm>
#include <cmath>
#include <cstring>
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

void WearField::startRow(Rows& rows, double y) const
{
    const double v = y * (1.0 / rows.octave.cell);
    const int64_t j = floorToInt(v);
    rows.fy = fade(v - double(j));
    if (rows.made && j == rows.j)
        return;
    const size_t n = rows.lower.size();
    if (rows.made && j == rows.j + 1) {
        std::swap(rows.lower, rows.upper);
    } else {
        for (size_t k = 0; k < n; ++k)
            rows.lower[k] = value(rows.octave, rows.first + int64_t(k), j);
    }
    for (size_t k = 0; k < n; ++k)
        rows.upper[k] = value(rows.octave, rows.first + int64_t(k), j + 1);
    rows.j = j;
    rows.made = true;
}

void WearField::prepare(int x0, int count, double s, QPointF origin)
{
    if (count <= 0)
        return;
    int x1 = x0 + count;
    const bool sameScale = s == columnsScale_ && origin.x() == columnsOriginX_ && columnsTo_ > columnsFrom_;
    if (sameScale && x0 >= columnsFrom_ && x1 <= columnsTo_)
        return;
    if (sameScale) {
        x0 = std::min(x0, columnsFrom_);
        x1 = std::max(x1, columnsTo_);
    }
    columnsScale_ = s;
    columnsOriginX_ = origin.x();
    columnsFrom_ = x0;
    columnsTo_ = x1;

    const double pxTwips = 1.0 / s;
    const int ns = std::clamp(static_cast<int>(std::ceil(pxTwips / kSampleTwips)), 1, kMaxSamples);
    const double step = pxTwips / ns;
    // Twips from the seal's centre: the same seal wears the same in a wider surface.
    const double left = -origin.x() * pxTwips - cx_ + 0.5 * step;   // first sample of pixel 0
    const double cell = octaves_[0].cell, invCell = 1.0 / cell;
    samples_ = ns;

    // Where each sample falls across a row: its cell of the finest lattice
    // and how far into it (faded), the same for every row.
    const size_t count2 = size_t(x1 - x0) * size_t(ns);
    std::vector<int64_t> cells(count2);
    sampleFades_.resize(count2);
    int64_t lo = 0, hi = 0;
    for (int x = x0; x < x1; ++x) {
        for (int sx = 0; sx < ns; ++sx) {
            const size_t m = size_t(x - x0) * size_t(ns) + size_t(sx);
            const double X = left + x * pxTwips + sx * step;
            const double u = X * invCell;
            const int64_t i = floorToInt(u);
            lo = m == 0 ? i : std::min(lo, i);
            hi = m == 0 ? i : std::max(hi, i);
            cells[m] = i;
            sampleFades_[m] = fade(u - double(i));
        }
    }
    sampleNodes_.resize(count2);
    for (size_t m = 0; m < count2; ++m)
        sampleNodes_[m] = static_cast<int32_t>(cells[m] - lo);

    // The nodes of the finest lattice at both ends of those cells, and where
    // each lies in the cells of the broader scales.
    const size_t nodes = size_t(hi - lo) + 2;
    nodeX_.resize(nodes);
    for (size_t c = 0; c < nodes; ++c)
        nodeX_[c] = double(lo + int64_t(c)) * cell;
    fineRows_ = Rows{octaves_[0], lo};
    fineRows_.lower.resize(nodes);
    fineRows_.upper.resize(nodes);
    const Octave broad[3] = {octaves_[1], octaves_[2], tone_};
    for (int b = 0; b < 3; ++b) {
        const double inv = 1.0 / broad[b].cell;
        std::vector<int64_t> at(nodes);
        nodeBroadFades_[b].resize(nodes);
        int64_t first = 0, last = 0;
        for (size_t c = 0; c < nodes; ++c) {
            const double u = nodeX_[c] * inv;
            const int64_t i = floorToInt(u);
            first = c == 0 ? i : std::min(first, i);
            last = c == 0 ? i : std::max(last, i);
            at[c] = i;
            nodeBroadFades_[b][c] = fade(u - double(i));
        }
        nodeBroad_[b].resize(nodes);
        for (size_t c = 0; c < nodes; ++c)
            nodeBroad_[b][c] = static_cast<int32_t>(at[c] - first);
        broadRows_[b] = Rows{broad[b], first};
        const size_t columns = size_t(last - first) + 2;
        broadRows_[b].lower.resize(columns);
        broadRows_[b].upper.resize(columns);
        broadRows_[b].columns.resize(columns);
    }
    nodeNeeded_.resize(nodes);
    nodeLevels_.resize(nodes);
    nodeTones_.resize(nodes);
}

void WearField::maskRow(int y, int x0, int count, double s, QPointF origin, float* out,
                        const uint8_t* needed)
{
    prepare(x0, count, s, origin);
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

namespace {

// The loops over a row's samples, N across each pixel (N = 0: ns of them;
// one, from 240 dpi up, is the common case and has loops of its own).
template <int N>
void markNodes(const int* xs, int n, int from, int ns, const int32_t* sampleNodes, uint8_t* needed)
{
    const int across = N ? N : ns;
    for (int k = 0; k < n; ++k) {
        const int32_t* cells = sampleNodes + size_t(xs[k] - from) * size_t(across);
        for (int sx = 0; sx < across; ++sx) {
            needed[cells[sx]] = 1;
            needed[cells[sx] + 1] = 1;
        }
    }
}

// Each sample between its cell's two nodes, averaged over the pixel's area
// and added to out. No branches: a sample that keeps no ink adds nothing
// (its keep is 0).
struct SampleRow {
    const int* xs;
    int n, from, ns;
    const int32_t* sampleNodes;
    const double* sampleFades;
    const double* levels;
    const double* tones;
    double threshold, invSoftness, toneDepth, inv;

    template <int N>
    void add(float* out) const
    {
        const int across = N ? N : ns;
        for (int k = 0; k < n; ++k) {
            const size_t first = size_t(xs[k] - from) * size_t(across);
            double sum = 0;
            for (int sx = 0; sx < across; ++sx) {
                const int32_t c = sampleNodes[first + size_t(sx)];
                const double f = sampleFades[first + size_t(sx)];
                const double level = levels[c] + (levels[c + 1] - levels[c]) * f;
                const double keep = std::min(std::max((level - threshold) * invSoftness + 0.5, 0.0), 1.0);
                sum += keep * (1.0 - toneDepth * (tones[c] + (tones[c + 1] - tones[c]) * f));
            }
            out[k] += static_cast<float>(sum * inv);
        }
    }
};

} // namespace

void WearField::maskPixels(int y, const int* xs, int n, double s, QPointF origin, float* out)
{
    if (n <= 0)
        return;
    // The pixels come in increasing order, but a caller that breaks that
    // must still not read outside what was readied.
    const auto [lo, hi] = std::minmax_element(xs, xs + n);
    prepare(*lo, *hi - *lo + 1, s, origin);
    const int ns = samples_;
    const double pxTwips = 1.0 / s;
    const double step = pxTwips / ns;
    const size_t nodes = nodeX_.size();
    const int32_t* sampleNodes = sampleNodes_.data();
    const double* sampleFades = sampleFades_.data();
    // The nodes at both ends of every sample's cell: each made once a sample row.
    uint8_t* needed = nodeNeeded_.data();
    std::fill(needed, needed + nodes, uint8_t(0));
    if (ns == 1)
        markNodes<1>(xs, n, columnsFrom_, ns, sampleNodes, needed);
    else
        markNodes<0>(xs, n, columnsFrom_, ns, sampleNodes, needed);

    const double w0 = octaves_[0].weight, w1 = octaves_[1].weight, w2 = octaves_[2].weight;
    const double inv = 1.0 / (ns * ns);
    const double invRadius = 1.0 / radius_, invSoftness = 1.0 / softness_;
    double* levels = nodeLevels_.data();
    double* tones = nodeTones_.data();
    std::fill(out, out + n, 0.0f);
    for (int sy = 0; sy < ns; ++sy) {
        const double Y = (y - origin.y()) * pxTwips + (sy + 0.5) * step - cy_;
        startRow(fineRows_, Y);
        for (Rows& rows : broadRows_) {
            startRow(rows, Y);
            for (size_t k = 0; k < rows.columns.size(); ++k)
                rows.columns[k] = rows.lower[k] + (rows.upper[k] - rows.lower[k]) * rows.fy;
        }
        const double py = Y * dirY_;
        // At each node: the noise less the pressure's share of the threshold, and the tone.
        const double* fineLower = fineRows_.lower.data();
        const double* fineUpper = fineRows_.upper.data();
        const double fineFy = fineRows_.fy;
        auto broadAt = [this](int b, size_t c) {
            const double* columns = broadRows_[b].columns.data();
            const int32_t i = nodeBroad_[b][c];
            return columns[i] + (columns[i + 1] - columns[i]) * nodeBroadFades_[b][c];
        };
        for (size_t c = 0; c < nodes; ++c) {
            if (!needed[c])
                continue;
            const double fine = fineLower[c] + (fineUpper[c] - fineLower[c]) * fineFy;
            const double P = std::clamp((nodeX_[c] * dirX_ + py) * invRadius, -1.0, 1.0);
            levels[c] = w0 * fine + w1 * broadAt(0, c) + w2 * broadAt(1, c) - pressureDepth_ * P;
            tones[c] = broadAt(2, c);
        }
        const SampleRow row{xs, n, columnsFrom_, ns, sampleNodes, sampleFades, levels, tones,
                            threshold_, invSoftness, toneDepth_, inv};
        if (ns == 1)
            row.add<1>(out);
        else
            row.add<0>(out);
    }
}

namespace {

// The wear over an image of Pixel (QRgb or a byte of alpha): which pixels
// hold ink (all but empty), and what to do with their mask.
template <class Pixel, class Apply>
void wearPixels(QImage& image, const DrawingModel& model, double s, QPointF origin, Pixel empty, Apply apply)
{
    if (model.aging <= 0 || image.isNull())
        return;
    WearField field(model.aging, model.agingSeed, model.widthTwips, model.heightTwips);
    const int w = image.width();
    field.prepare(0, w, s, origin);
    std::vector<int> xs(static_cast<size_t>(w) + 1);
    std::vector<float> mask(static_cast<size_t>(w));
    // Most of a row is empty: a few words of pixels at a time.
    constexpr int kPerWord = int(sizeof(uint64_t) / sizeof(Pixel));
    constexpr int kChunk = (sizeof(Pixel) == 1 ? 4 : 8) * kPerWord;
    uint64_t emptyWord = 0;
    for (int k = 0; k < kPerWord; ++k)
        emptyWord = (emptyWord << (8 * sizeof(Pixel))) | empty;
    for (int y = 0; y < image.height(); ++y) {
        Pixel* row = reinterpret_cast<Pixel*>(image.scanLine(y));
        int n = 0;
        int x = 0;
        for (; x + kChunk <= w; x += kChunk) {
            uint64_t any = 0;
            for (int k = 0; k < kChunk; k += kPerWord) {
                uint64_t word;
                std::memcpy(&word, row + x + k, sizeof word);
                any |= word ^ emptyWord;
            }
            if (any == 0)
                continue;
            for (int k = 0; k < kChunk; ++k) {
                xs[size_t(n)] = x + k;
                n += row[x + k] != empty;
            }
        }
        for (; x < w; ++x) {
            xs[size_t(n)] = x;
            n += row[x] != empty;
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
        image, model, s, origin, QRgb(0),
        [](QRgb p, float m) {
            const uint32_t k = static_cast<uint32_t>(m * 256.0f + 0.5f);   // 0 .. 256
            // All four bytes at once, two at a time: premultiplied channels
            // scale alike and never carry into their neighbours.
            const uint32_t rb = (((p & 0x00ff00ffu) * k + 0x00800080u) >> 8) & 0x00ff00ffu;
            const uint32_t ag = ((((p >> 8) & 0x00ff00ffu) * k + 0x00800080u) >> 8) & 0x00ff00ffu;
            return rb | (ag << 8);
        });
}

void applyWearAlpha(QImage& image, const DrawingModel& model, double s, QPointF origin)
{
    if (image.format() != QImage::Format_Alpha8 && image.format() != QImage::Format_Grayscale8)
        return;
    wearPixels(image, model, s, origin, uchar(0), [](uchar a, float m) {
        const unsigned k = static_cast<unsigned>(m * 256.0f + 0.5f);   // 0 .. 256
        return static_cast<uchar>((a * k + 0x80u) >> 8);                // as each premultiplied byte
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
    WearField field(model.aging, model.agingSeed, model.widthTwips, model.heightTwips);
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
