#include "seal/InkRaster.h"

#include <QPainter>
#include <QPen>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_IMAGE_H
#include FT_OUTLINE_H

#include <QHash>
#include <QHashFunctions>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <unordered_set>
#include <utility>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace plomet {

namespace {

// FreeType refuses outlines reaching beyond 2^24 in 26.6 fixed point.
constexpr double kReach = 262000.0;   // pixels
// An outline's points and contours are counted in shorts.
constexpr size_t kMaxPoints = 32767;
// How far a polygon's chord may come inside the curve it follows.
constexpr double kTolerance = 1.0 / 256.0;   // pixels
constexpr int kMaxEdgePoints = 16000;
constexpr double kCurveTolerance = 1.0 / 64.0;   // pixels
constexpr int kMaxCurveSteps = 4096;

// FreeType's library and its rasteriser are not to be shared between
// threads unguarded; each thread that draws keeps one of its own, so no
// thread waits for another and none keeps state from one fill to the next.
FT_Library threadLibrary()
{
    struct Library {
        FT_Library lib = nullptr;
        Library()
        {
            if (FT_Init_FreeType(&lib) != 0)
                lib = nullptr;
        }
        ~Library()
        {
            if (lib)
                FT_Done_FreeType(lib);
        }
        Library(const Library&) = delete;
        Library& operator=(const Library&) = delete;
    };
    thread_local Library library;
    return library.lib;
}

// The outline being built, in 26.6 device pixels. Kept per thread so that
// a fill allocates nothing once the thread has filled a large outline;
// emptied at the start of every fill.
struct Outline {
    std::vector<FT_Vector> points;
    std::vector<char> tags;
    std::vector<short> contours;
    size_t contourStart = 0;
    bool inReach = true;
    double lastX = 0, lastY = 0;   // the last point added, in pixels

    void clear()
    {
        points.clear();
        tags.clear();
        contours.clear();
        contourStart = 0;
        inReach = true;
    }

    void add(double x, double y)
    {
        // Not finite fails the test too.
        if (!(std::fabs(x) < kReach && std::fabs(y) < kReach)) {
            inReach = false;
            return;
        }
        // Within reach, so the sums stay far inside FT_Pos; floor of x + 1/2
        // rounds as lround does, without its call.
        points.push_back(FT_Vector{static_cast<FT_Pos>(std::floor(x * 64.0 + 0.5)),
                                   static_cast<FT_Pos>(std::floor(y * 64.0 + 0.5))});
        tags.push_back(FT_CURVE_TAG_ON);
        lastX = x;
        lastY = y;
    }

    // A cubic from the last point, as chords none of which strays more
    // than kCurveTolerance from the curve (the rasteriser's own flattening
    // allows an eighth of a pixel, which thins every round stroke): the
    // count of equal steps in t by the largest second difference of the
    // control points (Wang's bound).
    void cubic(double x1, double y1, double x2, double y2, double x3, double y3)
    {
        const double x0 = lastX, y0 = lastY;
        const double bend = std::max(std::hypot(x0 - 2 * x1 + x2, y0 - 2 * y1 + y2),
                                     std::hypot(x1 - 2 * x2 + x3, y1 - 2 * y2 + y3));
        const double steps = std::ceil(std::sqrt(0.75 * bend / kCurveTolerance));
        const int n = !(steps < kMaxCurveSteps) ? kMaxCurveSteps : std::max(1, static_cast<int>(steps));
        // The polynomial's coefficients: p(t) = p0 + t (c1 + t (c2 + t c3)).
        const double c1x = 3 * (x1 - x0), c1y = 3 * (y1 - y0);
        const double c2x = 3 * (x0 - 2 * x1 + x2), c2y = 3 * (y0 - 2 * y1 + y2);
        const double c3x = x3 - x0 + 3 * (x1 - x2), c3y = y3 - y0 + 3 * (y1 - y2);
        for (int i = 1; i < n && inReach; ++i) {
            const double t = double(i) / n;
            add(x0 + t * (c1x + t * (c2x + t * c3x)), y0 + t * (c1y + t * (c2y + t * c3y)));
        }
        add(x3, y3);
    }

    // Ends the contour begun after the last one ended; FreeType closes it
    // back to its first point. A lone point has no area and is dropped.
    void closeContour()
    {
        const size_t n = points.size() - contourStart;
        if (n == 1) {
            points.pop_back();
            tags.pop_back();
        } else if (n > 1 && points.size() <= kMaxPoints) {
            contours.push_back(static_cast<short>(points.size() - 1));
        }
        contourStart = points.size();
    }

    bool renderable() const { return inReach && points.size() <= kMaxPoints && contours.size() <= kMaxPoints; }
};

Outline& threadOutline()
{
    thread_local Outline outline;
    outline.clear();
    return outline;
}

// x * a / 255 in each of the four bytes, rounded (Qt's own formula, so
// that a full coverage and a full alpha give back x exactly).
inline quint32 byteMul(quint32 x, quint32 a)
{
    quint32 t = (x & 0xff00ffu) * a;
    t = (t + ((t >> 8) & 0xff00ffu) + 0x800080u) >> 8;
    t &= 0xff00ffu;
    x = ((x >> 8) & 0xff00ffu) * a;
    x = x + ((x >> 8) & 0xff00ffu) + 0x800080u;
    x &= 0xff00ff00u;
    return x | t;
}

// What one coverage of one ink gives: the premultiplied source, the share
// of the pixel under it that stays, and the result over the two pixels a
// seal is mostly drawn on (white, and nothing at all for a transparent
// picture). Worked out once per ink and thread; every entry is the formula
// compositeSpans would apply, so the pixels are the same either way.
struct InkTable {
    quint32 ink = 0;   // no ink is 0: its alpha is always full
    quint32 src[256];
    quint32 keep[256];
    quint32 overWhite[256];
};

const InkTable& inkTable(quint32 ink)
{
    thread_local InkTable table;
    if (table.ink != ink) {
        for (quint32 c = 0; c < 256; ++c) {
            table.src[c] = byteMul(ink, c);
            table.keep[c] = 255 - qAlpha(table.src[c]);
            table.overWhite[c] = table.src[c] + byteMul(0xffffffffu, table.keep[c]);
        }
        table.ink = ink;
    }
    return table;
}

struct Target {
    uchar* bits;
    qsizetype stride;
    int width, height;
    quint32 ink;       // premultiplied, opaque
    quint32 opaque;    // alpha forced on the pixels of an RGB32 image
    const InkTable* table;   // none for coverage alone
    FT_SpanFunc composite;   // compositeSpans, or compositeCoverage for Alpha8
};

// Coverage c of the ink over the pixel d, source-over.
inline quint32 inkOver(quint32 d, quint32 c, const Target& t)
{
    if (c == 255)
        return t.ink;
    if (c == 0)
        return d;
    const InkTable& table = *t.table;
    return (d == 0xffffffffu ? table.overWhite[c] : d == 0 ? table.src[c] : table.src[c] + byteMul(d, table.keep[c]))
           | t.opaque;
}

// The same on coverage alone (Alpha8): the alpha byte inkOver leaves, since
// ink is opaque (full ink and bare ground give c).
inline uchar coverOver(quint32 d, quint32 c)
{
    quint32 m = d * (255u - c);
    m = (m + (m >> 8) + 0x80) >> 8;
    return uchar(c + m);
}

// Source-over of the ink by the coverage of each span. The rasteriser
// clips to the image already; the spans are clipped again so that no
// rounding at the box's edge can write outside a row.
void compositeSpans(int y, int count, const FT_Span* spans, void* user)
{
    const Target& t = *static_cast<const Target*>(user);
    if (y < 0 || y >= t.height)
        return;
    auto* row = reinterpret_cast<quint32*>(t.bits + qsizetype(y) * t.stride);
    for (int i = 0; i < count; ++i) {
        const int x0 = std::max(0, int(spans[i].x));
        const int x1 = std::min(t.width, int(spans[i].x) + int(spans[i].len));
        if (x0 >= x1)
            continue;
        quint32* p = row + x0;
        quint32* const end = row + x1;
        const quint32 c = spans[i].coverage;
        // The rasteriser hands the inside of an odd-even hole over as spans
        // of no coverage (a ring's whole middle).
        if (c == 0)
            continue;
        if (c == 255) {
            const quint32 ink = t.ink;
            for (; p < end; ++p)
                *p = ink;
            continue;
        }
        for (; p < end; ++p)
            *p = inkOver(*p, c, t);
    }
}

// n bytes of full ink from p: most runs are a stroke's few pixels, too short
// for a call of memset to pay (overlapping stores cover every length).
inline void fullInk(uchar* p, int n)
{
    if (n >= 16) {
        std::memset(p, 255, size_t(n));
    } else if (n >= 8) {
        const quint64 v = ~quint64(0);
        std::memcpy(p, &v, 8);
        std::memcpy(p + n - 8, &v, 8);
    } else if (n >= 4) {
        const quint32 v = ~quint32(0);
        std::memcpy(p, &v, 4);
        std::memcpy(p + n - 4, &v, 4);
    } else {
        p[0] = p[n >> 1] = p[n - 1] = 255;
    }
}

// The same over a picture of coverage alone (Alpha8), one byte a pixel.
void compositeCoverage(int y, int count, const FT_Span* spans, void* user)
{
    const Target& t = *static_cast<const Target*>(user);
    if (y < 0 || y >= t.height)
        return;
    uchar* const row = t.bits + qsizetype(y) * t.stride;
    const int width = t.width;
    for (const FT_Span *s = spans, *const end = spans + count; s != end; ++s) {
        const quint32 c = s->coverage;
        const int x0 = std::max(0, int(s->x));
        const int x1 = std::min(width, int(s->x) + int(s->len));
        if (x0 >= x1 || c == 0)
            continue;
        uchar* p = row + x0;
        if (c == 255) {
            fullInk(p, x1 - x0);
            continue;
        }
        for (uchar* const last = row + x1; p < last; ++p)
            *p = coverOver(*p, c);
    }
}

bool directFormat(const QImage& image)
{
    return image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32_Premultiplied
           || image.format() == QImage::Format_Alpha8;
}

Target targetOf(QImage& image, QRgb color)
{
    const quint32 ink = 0xff000000u | color;
    const bool coverage = image.format() == QImage::Format_Alpha8;
    return Target{image.bits(), image.bytesPerLine(), image.width(), image.height(), ink,
                  image.format() == QImage::Format_RGB32 ? 0xff000000u : 0u, coverage ? nullptr : &inkTable(ink),
                  coverage ? compositeCoverage : compositeSpans};
}

// Hands the coverage of the outline, clipped to a width x height picture,
// to spans row by row; false when FreeType would not rasterise it.
bool rasterise(const Outline& o, bool evenOdd, int width, int height, FT_SpanFunc spans, void* user)
{
    FT_Library lib = threadLibrary();
    if (!lib || !o.renderable())
        return false;
    if (o.contours.empty())
        return true;
    FT_Outline outline{};
    outline.n_points = static_cast<short>(o.points.size());
    outline.n_contours = static_cast<short>(o.contours.size());
    outline.points = const_cast<FT_Vector*>(o.points.data());
    outline.tags = const_cast<char*>(o.tags.data());
    outline.contours = const_cast<short*>(o.contours.data());
    outline.flags = evenOdd ? FT_OUTLINE_EVEN_ODD_FILL : FT_OUTLINE_NONE;
    FT_Raster_Params params{};
    params.source = &outline;
    params.flags = FT_RASTER_FLAG_AA | FT_RASTER_FLAG_DIRECT | FT_RASTER_FLAG_CLIP;
    params.gray_spans = spans;
    params.user = user;
    // The rasteriser sweeps every row of its clip box, in bands it walks
    // the whole outline for, so the box is the picture only where the
    // outline is: the pixels round it out (the cells left of the box keep
    // their cover, those right of it and above or below it are none).
    FT_Pos xMin = o.points.front().x, yMin = o.points.front().y, xMax = xMin, yMax = yMin;
    for (const FT_Vector& p : o.points) {
        xMin = std::min(xMin, p.x);
        yMin = std::min(yMin, p.y);
        xMax = std::max(xMax, p.x);
        yMax = std::max(yMax, p.y);
    }
    params.clip_box.xMin = std::clamp<FT_Pos>(xMin >> 6, 0, width);
    params.clip_box.yMin = std::clamp<FT_Pos>(yMin >> 6, 0, height);
    params.clip_box.xMax = std::clamp<FT_Pos>((xMax + 63) >> 6, 0, width);
    params.clip_box.yMax = std::clamp<FT_Pos>((yMax + 63) >> 6, 0, height);
    return FT_Outline_Render(lib, &outline, &params) == 0;
}

// Renders the outline into the image; false when FreeType would not.
bool render(QImage& image, const Outline& o, bool evenOdd, QRgb color)
{
    if (!directFormat(image))
        return false;
    Target target = targetOf(image, color);
    return rasterise(o, evenOdd, image.width(), image.height(), target.composite, &target);
}

// The coverage of a band as the rasteriser handed it over, row by row.
// Seals of one batch or one service mostly share their band, so the band's
// coverage is kept by the exact values its outline is built from and laid
// down again: it is what FreeType gives for that outline, so a kept band and
// a band filled afresh give the same pixels.
struct BandKey {
    double cx, cy, rx, ry, penWidth;
    int width, height;
    bool operator==(const BandKey& o) const
    {
        return cx == o.cx && cy == o.cy && rx == o.rx && ry == o.ry && penWidth == o.penWidth && width == o.width
               && height == o.height;
    }
};

// Coverage kept to be laid down again: per row, runs of touching pixels
// with one coverage byte each (what the rasteriser's spans give, spans of no
// coverage left out), so that laying it down is a loop over bytes rather
// than a call for every span (most spans are one pixel of an edge).
struct KeptCoverage {
    struct Run {
        int y, x, len;
        size_t at;   // its first byte in cover
    };
    std::vector<Run> runs;
    std::vector<uchar> cover;
    size_t bytes() const { return runs.size() * sizeof(Run) + cover.size(); }
};

void recordSpans(int y, int count, const FT_Span* spans, void* user)
{
    auto& kept = *static_cast<KeptCoverage*>(user);
    for (int i = 0; i < count; ++i) {
        const FT_Span& span = spans[i];
        if (span.coverage == 0 || span.len == 0)
            continue;
        KeptCoverage::Run* last = kept.runs.empty() ? nullptr : &kept.runs.back();
        if (!last || last->y != y || last->x + last->len != span.x) {
            kept.runs.push_back({y, span.x, 0, kept.cover.size()});
            last = &kept.runs.back();
        }
        last->len += span.len;
        kept.cover.insert(kept.cover.end(), span.len, span.coverage);
    }
}

void layDown(QImage& image, const KeptCoverage& kept, QRgb color)
{
    const Target t = targetOf(image, color);
    for (const KeptCoverage::Run& run : kept.runs) {
        if (run.y < 0 || run.y >= t.height)
            continue;
        // Clipped again, as the spans are, against rounding at the edge.
        const int x0 = std::max(0, run.x), x1 = std::min(t.width, run.x + run.len);
        if (x0 >= x1)
            continue;
        const uchar* c = kept.cover.data() + run.at + (x0 - run.x);
        const int n = x1 - x0;
        uchar* const row = t.bits + qsizetype(run.y) * t.stride;
        if (!t.table) {
            // Branch-free: the compiler makes it a vector loop.
            uchar* p = row + x0;
            for (int i = 0; i < n; ++i)
                p[i] = coverOver(p[i], c[i]);
            continue;
        }
        auto* p = reinterpret_cast<quint32*>(row) + x0;
        for (int i = 0; i < n; ++i)
            p[i] = inkOver(p[i], c[i], t);
    }
}

// A few bands a thread has filled last. Per thread, so no lock; bounded,
// so a long service run stays flat: at most 4 MB a thread (a 42 mm band at
// 600 dpi is under 200 KB).
struct BandCache {
    static constexpr int kEntries = 4;
    static constexpr size_t kMaxBytes = 1u << 20;   // one band's coverage, at most
    struct Entry {
        BandKey key;
        KeptCoverage band;
        bool used = false;
    };
    Entry entries[kEntries];
    int next = 0;

    const KeptCoverage* find(const BandKey& key) const
    {
        for (const Entry& e : entries)
            if (e.used && e.key == key)
                return &e.band;
        return nullptr;
    }
    void keep(const BandKey& key, KeptCoverage&& band)
    {
        if (band.bytes() > kMaxBytes)
            return;
        entries[next] = Entry{key, std::move(band), true};
        next = (next + 1) % kEntries;
    }
};

BandCache& threadBands()
{
    thread_local BandCache cache;
    return cache;
}

// The closed polygon at distance d outside the ellipse with semi-axes a, b
// around (cx, cy) along its normal (inside for d < 0): the points whose
// normal turns by equal steps, so that no chord falls more than kTolerance
// inside the curve where it bends least.
void addParallel(Outline& o, double cx, double cy, double a, double b, double d)
{
    const double widest = (a == b ? a : std::max(a * a / b, b * b / a)) + d;   // radius of curvature
    const double turns = widest > kTolerance ? 2 * M_PI / std::sqrt(8 * kTolerance / widest) : 16;
    const int n = static_cast<int>(std::clamp(std::ceil(turns), 16.0, double(kMaxEdgePoints)));
    const double step = 2 * M_PI / n, cs = std::cos(step), sn = std::sin(step);
    double c = 1, s = 0;
    for (int k = 0; k < n; ++k) {
        if (a == b) {
            o.add(cx + (a + d) * c, cy + (a + d) * s);
        } else {
            const double q = std::sqrt(a * a * c * c + b * b * s * s);
            o.add(cx + a * a * c / q + d * c, cy + b * b * s / q + d * s);
        }
        const double c2 = c * cs - s * sn;
        s = s * cs + c * sn;
        c = c2;
    }
    o.closeContour();
}

// Adds path's elements to o, each point (x, y) mapped to device pixels by
// at(x, y).
template <typename Map>
void addPath(Outline& o, const QPainterPath& path, const Map& at)
{
    const int n = path.elementCount();
    for (int i = 0; i < n && o.inReach && o.points.size() <= kMaxPoints; ++i) {
        const QPainterPath::Element& e = path.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement: {
            o.closeContour();
            const auto [x, y] = at(e.x, e.y);
            o.add(x, y);
            break;
        }
        case QPainterPath::LineToElement:
        case QPainterPath::CurveToDataElement: {
            // A curve's data points come after its first, consumed there.
            const auto [x, y] = at(e.x, e.y);
            o.add(x, y);
            break;
        }
        case QPainterPath::CurveToElement: {
            // The first control point; the second and the end follow.
            if (i + 2 >= n) {
                o.inReach = false;   // a cut curve: leave it to the painter
                break;
            }
            const QPainterPath::Element& c2 = path.elementAt(i + 1);
            const QPainterPath::Element& end = path.elementAt(i + 2);
            const auto [x1, y1] = at(e.x, e.y);
            const auto [x2, y2] = at(c2.x, c2.y);
            const auto [x3, y3] = at(end.x, end.y);
            o.cubic(x1, y1, x2, y2, x3, y3);
            i += 2;
            break;
        }
        }
    }
}

// A point mapped by an affine transform, as QTransform maps it.
struct DeviceMap {
    double m11, m12, m21, m22, dx, dy;
    explicit DeviceMap(const QTransform& t)
        : m11(t.m11()), m12(t.m12()), m21(t.m21()), m22(t.m22()), dx(t.dx()), dy(t.dy())
    {
    }
    std::pair<double, double> operator()(double x, double y) const
    {
        return {m11 * x + m21 * y + dx, m12 * x + m22 * y + dy};
    }
};

// The outline of path mapped by toDevice (affine), in o (emptied first).
void buildOutline(Outline& o, const QPainterPath& path, const QTransform& toDevice)
{
    addPath(o, path, DeviceMap(toDevice));
    o.closeContour();
}

// The outline of run.path() mapped by toDevice, in o (emptied first), from
// the glyphs' own outlines: each point placed by the sums path() makes
// (QTransform's for a scale and a shift along x, which it skips when the
// scale is 1 and the shift all but 0), then mapped, so the points are those
// of the joined path to the last bit.
void buildOutline(Outline& o, const GlyphRun& run, const QTransform& toDevice)
{
    const DeviceMap device(toDevice);
    const double lift = run.lift;
    for (const PlacedGlyph& g : run.glyphs) {
        const double s = g.px;
        const double x0 = g.px == 1 && qFuzzyIsNull(g.x) ? 0.0 : g.x;
        addPath(o, g.em, [&](double x, double y) { return device(s * x + x0, (s * y + 0.0) + lift); });
        if (!o.inReach || o.points.size() > kMaxPoints)
            break;
    }
    o.closeContour();
}

// The coverage of the glyphs a thread filled last, by what it is a
// function of: the glyph's name (its outline), the transform and the
// image's size, from the second time a glyph is filled (most come once).
// Per thread, so no lock; within a budget a thread and one for all threads,
// so that a long batch on many cores stays flat: when either is full the
// thread starts afresh (a 40-pixel glyph's coverage is a few KB).
struct GlyphKey {
    QString face, text;
    int px, weight;
    double m[6];
    int width, height;
    bool operator==(const GlyphKey& o) const
    {
        return px == o.px && weight == o.weight && width == o.width && height == o.height
            && std::equal(std::begin(m), std::end(m), std::begin(o.m)) && text == o.text && face == o.face;
    }
};

size_t qHash(const GlyphKey& k, size_t seed = 0)
{
    return qHashMulti(seed, k.face, k.text, k.px, k.weight, k.m[0], k.m[1], k.m[2], k.m[3], k.m[4], k.m[5], k.width,
                      k.height);
}

std::atomic<size_t> glyphBytesAllThreads{0};

struct GlyphCache {
    static constexpr size_t kThreadBytes = size_t(4) << 20;
    static constexpr size_t kAllBytes = size_t(32) << 20;
    static constexpr size_t kSeen = 1u << 12;   // about 160 KB
    QHash<GlyphKey, KeptCoverage> kept;
    std::unordered_set<size_t> seen;   // the hashes of the glyphs filled
    size_t bytes = 0;

    ~GlyphCache() { glyphBytesAllThreads -= bytes; }

    const KeptCoverage* find(const GlyphKey& key, size_t hash) const
    {
        if (!seen.count(hash))
            return nullptr;
        const auto it = kept.constFind(key);
        return it == kept.constEnd() ? nullptr : &*it;
    }
    // Whether a glyph of this hash was filled before (and notes it).
    bool seenBefore(size_t hash)
    {
        // Forgetting what was seen keeps what was kept: a kept glyph is
        // found again from its next time on.
        if (seen.size() >= kSeen)
            seen.clear();
        return !seen.insert(hash).second;
    }
    void clear()
    {
        glyphBytesAllThreads -= bytes;
        kept.clear();
        seen.clear();
        bytes = 0;
    }
    void keep(GlyphKey&& key, KeptCoverage&& coverage)
    {
        const size_t size = coverage.bytes() + sizeof(GlyphKey) + size_t(key.face.size() + key.text.size()) * 2 + 64;
        if (size > kThreadBytes || kept.contains(key))
            return;
        if (bytes + size > kThreadBytes || glyphBytesAllThreads.load() + size > kAllBytes) {
            const size_t hash = qHash(key);
            clear();
            seen.insert(hash);
        }
        kept.insert(std::move(key), std::move(coverage));
        bytes += size;
        glyphBytesAllThreads += size;
    }
};

GlyphCache& threadGlyphs()
{
    thread_local GlyphCache cache;
    return cache;
}

void painterFill(QImage& image, const QPainterPath& path, const QTransform& toDevice, QRgb color)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setTransform(toDevice);
    p.fillPath(path, QColor::fromRgb(color));
}

void painterStroke(QImage& image, QPointF centre, double rx, double ry, double penWidth, QRgb color)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(QColor::fromRgb(color));
    pen.setWidthF(penWidth);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, rx, ry);
}

} // namespace

void inkFill(QImage& image, const QPainterPath& path, const QTransform& toDevice, QRgb color)
{
    if (path.isEmpty() || image.isNull())
        return;
    if (toDevice.type() <= QTransform::TxShear) {
        Outline& o = threadOutline();
        buildOutline(o, path, toDevice);
        if (render(image, o, path.fillRule() == Qt::OddEvenFill, color))
            return;
    }
    painterFill(image, path, toDevice, color);
}

void inkFillGlyph(QImage& image, const GlyphName& glyph, const std::function<GlyphRun()>& glyphs,
                  const QTransform& toDevice, QRgb color)
{
    if (image.isNull())
        return;
    if (!directFormat(image) || toDevice.type() > QTransform::TxShear) {
        inkFill(image, glyphs().path(), toDevice, color);
        return;
    }
    GlyphKey key{glyph.face, glyph.text, glyph.px, glyph.weight,
                 {toDevice.m11(), toDevice.m12(), toDevice.m21(), toDevice.m22(), toDevice.dx(), toDevice.dy()},
                 image.width(), image.height()};
    GlyphCache& cache = threadGlyphs();
    const size_t hash = qHash(key);
    if (const KeptCoverage* kept = cache.find(key, hash)) {
        layDown(image, *kept, color);
        return;
    }
    const GlyphRun run = glyphs();
    if (run.glyphs.empty())
        return;
    // A text's outline fills by the odd-even rule (as path() sets it).
    Outline& o = threadOutline();
    buildOutline(o, run, toDevice);
    // Most glyphs of a batch come once: kept from their second time on.
    if (!cache.seenBefore(hash)) {
        if (!render(image, o, true, color))
            painterFill(image, run.path(), toDevice, color);
        return;
    }
    KeptCoverage coverage;
    if (rasterise(o, true, image.width(), image.height(), recordSpans, &coverage)) {
        layDown(image, coverage, color);
        cache.keep(std::move(key), std::move(coverage));
        return;
    }
    painterFill(image, run.path(), toDevice, color);
}

void inkStrokeEllipse(QImage& image, QPointF centre, double rx, double ry, double penWidth, QRgb color)
{
    if (image.isNull())
        return;
    const double h = penWidth / 2;
    const bool circle = rx == ry;
    // An ellipse bends tightest at the ends of its long axis, by the short
    // one squared over the long one: an inner edge deeper than that folds.
    const bool folds = !circle && !(h < std::min(rx, ry) * std::min(rx, ry) / std::max(rx, ry));
    if (penWidth > 0 && rx >= 0 && ry >= 0 && !folds && directFormat(image)) {
        const BandKey key{centre.x(), centre.y(), rx, ry, penWidth, image.width(), image.height()};
        BandCache& cache = threadBands();
        if (const KeptCoverage* kept = cache.find(key)) {
            layDown(image, *kept, color);
            return;
        }
        Outline& o = threadOutline();
        addParallel(o, centre.x(), centre.y(), rx, ry, h);
        if (!circle || rx - h > 0)
            addParallel(o, centre.x(), centre.y(), rx, ry, -h);
        KeptCoverage band;
        if (rasterise(o, true, image.width(), image.height(), recordSpans, &band)) {
            layDown(image, band, color);
            cache.keep(key, std::move(band));
            return;
        }
    }
    painterStroke(image, centre, rx, ry, penWidth, color);
}

} // namespace plomet
