#include "seal/Render.h"

#include "seal/Errors.h"
#include "seal/Fonts.h"
#include "seal/GlyphOutlines.h"
#include "seal/NumberText.h"
#include "seal/Wear.h"
#include "seal/Units.h"

#include <QCoreApplication>
#include <QHash>
#include <QHashFunctions>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <optional>

namespace plomet {

namespace {

// Larger rasters than this are refused rather than left to exhaust memory
// (100 million pixels is 400 MB).
constexpr double kMaxPixels = 100e6;
constexpr int kMaxSide = 30000;
constexpr double kStackBleed = 0.25;   // device pixels

// A text's font as the engine takes it.
struct FontEntry {
    QString face;   // as asked of fontFor
    int px;         // em height, whole pixels
    int weight;
};

// How far the baseline lies below the top of the em box of the face that
// draws text's first visible character (a fallback face when the named one
// lacks it: the star of a Latin face), in pixels of the font. A
// character's cell is the square of its size, so that the sign centres and
// the name's glyphs stand on the text circle whatever face stands in: the
// line box of the CJK faces is half an em taller than the em.
double emTop(const FontEntry& fe, const QString& text)
{
    char32_t first = U' ';
    for (char32_t cp : text.toUcs4())
        if (cp != U' ') {
            first = cp;
            break;
        }
    return emTopOf(fe.face, fe.px, fe.weight, first);
}

// Fonts reused across paints: the same few faces and sizes come back on
// every Draw, and a run of glyphs shares one.
const FontEntry& fontFor(const QString& face, double pixelHeight, int weight)
{
    struct Key {
        QString face;
        double pixelHeight;
        int weight;
        bool operator==(const Key& o) const
        {
            return pixelHeight == o.pixelHeight && weight == o.weight && face == o.face;
        }
    };
    thread_local std::vector<std::pair<Key, FontEntry>> cache;
    thread_local size_t last = 0;
    const Key key{face, pixelHeight, weight};
    if (last < cache.size() && cache[last].first == key)
        return cache[last].second;
    for (size_t i = 0; i < cache.size(); ++i)
        if (cache[i].first == key) {
            last = i;
            return cache[i].second;
        }
    if (cache.size() >= 64)
        cache.clear();
    cache.emplace_back(key, FontEntry{face, wholePixels(pixelHeight), weight});
    last = cache.size() - 1;
    return cache[last].second;
}

// Turned glyphs for raster images, kept across paints. The painting library
// keeps rendered glyphs for only a few rotations at a time, and every glyph
// of the arc has its own, so each Draw would render every glyph afresh. Here
// each (font, text, turn, scale, colour, quarter-pixel offset) is filled once
// from its outline into a small image and then only composited. The outlines
// do not depend on what was drawn before, so every thread shares the images.
struct GlyphKey {
    QString face;
    QString text;
    double pixelHeight, angle, scale, stretch;
    int weight;
    QRgb color;
    int fx, fy;   // quarter pixels
    bool operator==(const GlyphKey& o) const
    {
        return pixelHeight == o.pixelHeight && angle == o.angle && scale == o.scale
            && stretch == o.stretch && weight == o.weight
            && color == o.color && fx == o.fx && fy == o.fy && text == o.text && face == o.face;
    }
};

size_t qHash(const GlyphKey& k, size_t seed = 0)
{
    return qHashMulti(seed, k.face, k.text, k.pixelHeight, k.angle, k.scale, k.stretch, k.weight, k.color,
                      k.fx, k.fy);
}

struct GlyphImage {
    QImage image;
    QPoint offset;   // of the image's corner from the glyph's whole-pixel origin
};

// Rendered glyph, ring and ellipse images, kept for every thread that
// paints under one limit: a batch on sixteen workers holds no more than one
// on a single worker. The map is cut into shards, each with its own lock, so workers
// seldom wait for each other; the counts and bytes are kept for the whole.
// When a kind is full it is emptied at once, as a single painter's cache
// was, so one thread meets the same hits and misses in the same order.
// Images go out by value (QImage shares its pixels through an atomic
// count), so one that another thread drops stays valid for its painter.
template <typename Key>
class SharedImages {
public:
    // ahead: whether the new image's bytes count before it is kept (a large
    // ring must not go over), or only once (glyphs are small).
    SharedImages(qsizetype maxEntries, qint64 maxBytes, bool ahead)
        : maxEntries_(maxEntries), maxBytes_(maxBytes), ahead_(ahead)
    {
    }

    std::optional<GlyphImage> find(const Key& key, size_t hash)
    {
        Shard& s = shards_[hash % kShards];
        std::lock_guard<std::mutex> lock(s.mutex);
        const auto it = s.map.constFind(key);
        if (it == s.map.constEnd())
            return std::nullopt;
        return *it;
    }

    // Keeps the image; when the kind holds its most images, or the new one
    // would take it over its bytes, everything kept of the kind goes first.
    void insert(const Key& key, size_t hash, const GlyphImage& g)
    {
        const qint64 size = g.image.sizeInBytes();
        if (entries_.load() >= maxEntries_ || bytes_.load() + (ahead_ ? size : 0) > maxBytes_)
            clear();
        Shard& s = shards_[hash % kShards];
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.map.contains(key))
            return;   // another thread made it meanwhile
        s.map.insert(key, g);
        s.bytes += size;
        bytes_ += size;
        ++entries_;
    }

private:
    static constexpr size_t kShards = 16;
    struct Shard {
        std::mutex mutex;
        QHash<Key, GlyphImage> map;
        qint64 bytes = 0;
    };
    void clear()
    {
        for (Shard& s : shards_) {
            std::lock_guard<std::mutex> lock(s.mutex);
            bytes_ -= s.bytes;
            entries_ -= s.map.size();
            s.map.clear();
            s.bytes = 0;
        }
    }
    Shard shards_[kShards];
    std::atomic<qint64> bytes_{0};
    std::atomic<qsizetype> entries_{0};
    const qsizetype maxEntries_;
    const qint64 maxBytes_;
    const bool ahead_;
};

// 16 MB holds every glyph of a seal many times over at any usual resolution
// (a 12-point glyph at 600 dpi is about 60 kB), which is what a repeated seal
// needs. Distinct names in a batch seldom meet a kept glyph again (each
// glyph's turn depends on the name's length), so more only costs memory:
// 64 MB made a quarter of a 600-dpi batch's peak.
SharedImages<GlyphKey>& glyphImages()
{
    static SharedImages<GlyphKey> images(8192, qint64(16) << 20, false);
    return images;
}

// Larger glyph images than this are not made: such a text (a huge size or a
// long lower line) is painted directly instead.
constexpr double kMaxGlyphImagePixels = 4e6;
constexpr int kMaxGlyphImageSide = 8192;

// The outline of a text in its font's pixels, the top of its cell at y = 0
// (the baseline at the em top). Not kept at this size: the outlines in ems
// are, and scaling one is little beside filling it (kept by font and text,
// the scaled outlines of a 600-dpi batch of distinct seals took 80 MB).
QPainterPath outlineOf(const FontEntry& fe, const QString& text)
{
    return textOutline(fe.face, fe.px, fe.weight, text).translated(0, emTop(fe, text));
}

// The image of a glyph, or nothing when it would be too large.
std::optional<GlyphImage> glyphImage(const GlyphKey& key, const FontEntry& fe)
{
    const size_t hash = qHash(key);
    if (auto kept = glyphImages().find(key, hash))
        return kept;
    const QPainterPath outline = outlineOf(fe, key.text);
    QTransform turn;
    turn.rotate(key.angle);
    turn.scale(key.scale * key.stretch, key.scale);
    // The ink's box with a margin for anti-aliasing.
    const QRectF dev = turn.mapRect(outline.controlPointRect());
    if (!(dev.width() < kMaxGlyphImageSide && dev.height() < kMaxGlyphImageSide
          && dev.width() * dev.height() < kMaxGlyphImagePixels))
        return std::nullopt;
    GlyphImage g;
    if (outline.isEmpty()) {
        glyphImages().insert(key, hash, g);
        return g;
    }
    const int left = static_cast<int>(std::floor(dev.left())) - 1;
    const int top = static_cast<int>(std::floor(dev.top())) - 1;
    const int right = static_cast<int>(std::ceil(dev.right())) + 2;
    const int bottom = static_cast<int>(std::ceil(dev.bottom())) + 2;
    g.offset = QPoint(left, top);
    g.image = QImage(right - left, bottom - top, QImage::Format_ARGB32_Premultiplied);
    if (g.image.isNull())
        return std::nullopt;
    g.image.fill(Qt::transparent);
    QPainter p(&g.image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setTransform(turn * QTransform::fromTranslate(key.fx / 4.0 - left, key.fy / 4.0 - top));
    p.fillPath(outline, QColor::fromRgb(key.color));
    p.end();
    glyphImages().insert(key, hash, g);
    return g;
}

struct RingKey {
    double inner, outer;   // device pixels
    QRgb color;
    int fx, fy;            // quarter pixels
    bool operator==(const RingKey& o) const
    {
        return inner == o.inner && outer == o.outer && color == o.color && fx == o.fx && fy == o.fy;
    }
};

size_t qHash(const RingKey& k, size_t seed = 0)
{
    return qHashMulti(seed, k.inner, k.outer, k.color, k.fx, k.fy);
}

// A few rings (a seal seen at a few sizes), and never more than about
// two of the largest at once: eight of those would hold half a gigabyte.
SharedImages<RingKey>& ringImages()
{
    static SharedImages<RingKey> images(8, qint64(128) << 20, true);
    return images;
}

GlyphImage ringImage(const RingKey& key)
{
    const size_t hash = qHash(key);
    if (auto kept = ringImages().find(key, hash))
        return *kept;
    const int half = static_cast<int>(std::ceil(key.outer)) + 2;
    GlyphImage g;
    g.offset = QPoint(-half, -half);
    g.image = QImage(2 * half + 1, 2 * half + 1, QImage::Format_ARGB32_Premultiplied);
    if (g.image.isNull()) {
        ringImages().insert(key, hash, g);
        return g;
    }
    g.image.fill(Qt::transparent);
    QPainter p(&g.image);
    p.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(QColor::fromRgb(key.color));
    pen.setWidthF(key.outer - key.inner);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const double mid = (key.inner + key.outer) / 2.0;
    p.drawEllipse(QPointF(half + key.fx / 4.0, half + key.fy / 4.0), mid, mid);
    p.end();
    ringImages().insert(key, hash, g);
    return g;
}

bool sameRing(const DrawnCircle& a, const DrawnCircle& b)
{
    return a.cx == b.cx && a.cy == b.cy && a.color == b.color && a.penWidth == b.penWidth
        && std::fabs(b.r - a.r) <= a.penWidth;
}

// The run of touching concentric circles that starts with the circle at
// items[i]: its least and greatest radius and the index after its last.
struct RingRun {
    double rMin, rMax;
    size_t end;
};
RingRun ringRun(const std::vector<DrawnItem>& items, size_t i)
{
    const DrawnCircle* last = &std::get<DrawnCircle>(items[i]);
    RingRun run{last->r, last->r, i + 1};
    while (run.end < items.size()) {
        const auto* next = std::get_if<DrawnCircle>(&items[run.end]);
        if (!next || !sameRing(*last, *next))
            break;
        run.rMin = std::min(run.rMin, next->r);
        run.rMax = std::max(run.rMax, next->r);
        last = next;
        ++run.end;
    }
    return run;
}

// One circle outline, or a run of concentric ones that touch: the band from
// the innermost edge to the outermost, stroked as one circle with a wide pen.
// The same picture as the separate one-pixel circles, at a fraction of the work.
void paintRing(QPainter& painter, const QTransform& base, const DrawnCircle& first, double rMin,
               double rMax, double s, bool vector)
{
    // Stacked anti-aliased circles darken their edge pixels as if the band
    // were about a quarter of a device pixel wider on each side; so does the band.
    const double bleed = rMax > rMin ? kStackBleed / s : 0.0;
    const double inner = std::max(0.0, rMin - first.penWidth / 2.0 - bleed);
    const double outer = rMax + first.penWidth / 2.0 + bleed;
    const QPointF centre(first.cx * s, first.cy * s);
    const double mid = (inner + outer) / 2.0;
    QPen pen(QColor::fromRgb(first.color));
    pen.setWidthF((outer - inner) * s);
    if (!vector && base.type() <= QTransform::TxTranslate && painter.device()
        && painter.device()->devType() == QInternal::Image) {
        // Raster image: composite the band rendered once (the same seal is
        // drawn again and again, at the same size).
        const QPointF o = base.map(centre);
        double ox = std::floor(o.x()), oy = std::floor(o.y());
        int fx = static_cast<int>(std::lround((o.x() - ox) * 4));
        int fy = static_cast<int>(std::lround((o.y() - oy) * 4));
        if (fx == 4) { fx = 0; ox += 1; }
        if (fy == 4) { fy = 0; oy += 1; }
        const double outerPx = outer * s;
        // Cached up to 4096 pixels across (64 MB); a larger ring is stroked directly.
        if (outerPx < 2048 && std::fabs(ox) < 1e6 && std::fabs(oy) < 1e6) {
            const RingKey key{inner * s, outerPx, first.color, fx, fy};
            const GlyphImage g = ringImage(key);
            if (!g.image.isNull()) {
                painter.setTransform(QTransform());
                painter.drawImage(QPoint(static_cast<int>(ox) + g.offset.x(), static_cast<int>(oy) + g.offset.y()),
                                  g.image);
                painter.setTransform(base);
                return;
            }
        }
    }
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, mid * s, mid * s);
}

void paintText(QPainter& painter, const QTransform& base, const DrawnText& t, double s,
               double twipsPerPixelY, const RenderOptions& options)
{
    const FontEntry& fe = fontFor(t.face, t.pixelHeight, t.weight);
    const double k = s * twipsPerPixelY;
    if (!options.glyphOutlines && base.type() <= QTransform::TxTranslate && painter.device()
        && painter.device()->devType() == QInternal::Image) {
        // Raster image: composite the glyph rendered once (see glyphImage).
        const QPointF o = base.map(QPointF(t.x * s, t.y * s));
        double ox = std::floor(o.x()), oy = std::floor(o.y());
        int fx = static_cast<int>(std::lround((o.x() - ox) * 4));
        int fy = static_cast<int>(std::lround((o.y() - oy) * 4));
        if (fx == 4) { fx = 0; ox += 1; }
        if (fy == 4) { fy = 0; oy += 1; }
        if (std::fabs(ox) < 1e6 && std::fabs(oy) < 1e6) {
            const GlyphKey key{t.face, t.text, t.pixelHeight, t.angleDeg, k, t.stretch, t.weight, t.color, fx, fy};
            if (const auto g = glyphImage(key, fe)) {
                if (!g->image.isNull()) {
                    painter.setTransform(QTransform());
                    painter.drawImage(QPoint(static_cast<int>(ox) + g->offset.x(), static_cast<int>(oy) + g->offset.y()),
                                      g->image);
                }
                return;
            }
        }
    }
    // Turned clockwise about the top-left corner of the cell, that corner at
    // (x, y); the model's pixel heights are screen pixels, so other
    // resolutions scale.
    QTransform glyph = base;
    glyph.translate(t.x * s, t.y * s);
    if (t.angleDeg != 0)
        glyph.rotate(t.angleDeg);
    if (std::fabs(k - 1.0) > 1e-12 || t.stretch != 1)
        glyph.scale(k * t.stretch, k);
    painter.setTransform(glyph);
    // Every device fills the same outlines: vector files get them as paths.
    const QPainterPath outline = outlineOf(fe, t.text);
    if (!outline.isEmpty())
        painter.fillPath(outline, QColor::fromRgb(t.color));
}

struct EllipseKey {
    double rx, ry, pen;   // device pixels
    QRgb color;
    int fx, fy;           // quarter pixels
    bool operator==(const EllipseKey& o) const
    {
        return rx == o.rx && ry == o.ry && pen == o.pen && color == o.color && fx == o.fx && fy == o.fy;
    }
};

size_t qHash(const EllipseKey& k, size_t seed = 0)
{
    return qHashMulti(seed, k.rx, k.ry, k.pen, k.color, k.fx, k.fy);
}

SharedImages<EllipseKey>& ellipseImages()
{
    static SharedImages<EllipseKey> images(8, qint64(128) << 20, true);
    return images;
}

// An ellipse band rendered once, as the classic ring is (see ringImage).
GlyphImage ellipseImage(const EllipseKey& key)
{
    const size_t hash = qHash(key);
    if (auto kept = ellipseImages().find(key, hash))
        return *kept;
    const int hx = static_cast<int>(std::ceil(key.rx + key.pen / 2)) + 2;
    const int hy = static_cast<int>(std::ceil(key.ry + key.pen / 2)) + 2;
    GlyphImage g;
    g.offset = QPoint(-hx, -hy);
    g.image = QImage(2 * hx + 1, 2 * hy + 1, QImage::Format_ARGB32_Premultiplied);
    if (!g.image.isNull()) {
        g.image.fill(Qt::transparent);
        QPainter p(&g.image);
        p.setRenderHint(QPainter::Antialiasing, true);
        QPen pen(QColor::fromRgb(key.color));
        pen.setWidthF(key.pen);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(hx + key.fx / 4.0, hy + key.fy / 4.0), key.rx, key.ry);
        p.end();
    }
    ellipseImages().insert(key, hash, g);
    return g;
}

void paintEllipse(QPainter& painter, const QTransform& base, const DrawnEllipse& e, double s, bool vector)
{
    if (!(e.penWidth > 0) || !(e.rx >= 0) || !(e.ry >= 0))
        return;
    if (!vector && base.type() <= QTransform::TxTranslate && painter.device()
        && painter.device()->devType() == QInternal::Image && std::max(e.rx, e.ry) * s < 2048) {
        const QPointF o = base.map(QPointF(e.cx * s, e.cy * s));
        double ox = std::floor(o.x()), oy = std::floor(o.y());
        int fx = static_cast<int>(std::lround((o.x() - ox) * 4));
        int fy = static_cast<int>(std::lround((o.y() - oy) * 4));
        if (fx == 4) { fx = 0; ox += 1; }
        if (fy == 4) { fy = 0; oy += 1; }
        if (std::fabs(ox) < 1e6 && std::fabs(oy) < 1e6) {
            const GlyphImage g = ellipseImage(EllipseKey{e.rx * s, e.ry * s, e.penWidth * s, e.color, fx, fy});
            if (!g.image.isNull()) {
                painter.setTransform(QTransform());
                painter.drawImage(QPoint(static_cast<int>(ox) + g.offset.x(), static_cast<int>(oy) + g.offset.y()),
                                  g.image);
                painter.setTransform(base);
                return;
            }
        }
    }
    QPen pen(QColor::fromRgb(e.color));
    pen.setWidthF(e.penWidth * s);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(e.cx * s, e.cy * s), e.rx * s, e.ry * s);
}

double clampTwips(double v)
{
    return std::isfinite(v) ? std::clamp(v, 0.0, 32767.0) : 0.0;
}

} // namespace

QSize rasterSize(double widthTwips, double heightTwips, double dpi)
{
    // Surfaces beyond 32767 twips show the part within 32767 twips.
    const double w = roundHalfEven(clampTwips(widthTwips) * dpi / 1440.0);
    const double h = roundHalfEven(clampTwips(heightTwips) * dpi / 1440.0);
    if (!(dpi > 0) || !std::isfinite(w) || !std::isfinite(h))
        throw PlometError(PlometError::Kind::Overflow,
                          QCoreApplication::translate("Seal", "the resolution %1 dpi is not valid").arg(numberTextDouble(dpi)));
    if (w > kMaxSide || h > kMaxSide || w * h > kMaxPixels)
        throw PlometError(PlometError::Kind::Overflow,
                          QCoreApplication::translate("Seal", "image too large: %1 × %2 pixels (at most %3 × 10⁴ pixels in all)")
                              .arg(numberTextDouble(w), numberTextDouble(h))
                              .arg(kMaxPixels / 1e4));
    return QSize(static_cast<int>(w), static_cast<int>(h));
}

namespace {

void paintItems(QPainter& painter, const DrawingModel& model, double pixelsPerTwip,
                const RenderOptions& options)
{
    const double s = pixelsPerTwip;
    if (!options.transparent) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.fillRect(QRectF(0, 0, clampTwips(model.widthTwips) * s, clampTwips(model.heightTwips) * s),
                         QColor::fromRgb(model.background));
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);

    const QTransform base = painter.transform();
    // Glyph ink one picture may paint, in device pixels: 16 layers of the
    // device (at least 16 million pixels). A seal uses a thousandth of it;
    // only an absurd size times an absurd length (a 1000-point name of
    // thousands of characters) reaches it, and that picture is one solid
    // blot long before. Beyond it the rest of the text is not painted, so
    // the time of a Draw stays bounded (it was minutes to hours).
    const QPaintDevice* device = painter.device();
    const double deviceArea = device ? double(device->width()) * double(device->height()) : 0.0;
    const double inkBudget = 16.0 * std::max(deviceArea, 1e6);
    double ink = 0;
    const auto& items = model.items;
    for (size_t i = 0; i < items.size(); ++i) {
        if (const auto* t = std::get_if<DrawnText>(&items[i])) {
            // A text counts at most the whole device: one huge glyph (a sign
            // of 1000 points) is painted at every resolution alike.
            const double em = t->pixelHeight * s * model.twipsPerPixelY;   // device pixels
            ink += std::min(em * em * double(std::max<qsizetype>(1, t->text.size())),
                            std::max(deviceArea, 1.0));
            if (ink <= inkBudget)
                paintText(painter, base, *t, s, model.twipsPerPixelY, options);
            continue;
        }
        if (const auto* e = std::get_if<DrawnEllipse>(&items[i])) {
            painter.setTransform(base);
            paintEllipse(painter, base, *e, s, options.glyphOutlines);
            continue;
        }
        const auto& c = std::get<DrawnCircle>(items[i]);
        const auto [rMin, rMax, j] = ringRun(items, i);
        painter.setTransform(base);
        paintRing(painter, base, c, rMin, rMax, s, options.glyphOutlines);
        i = j - 1;
    }
    painter.setTransform(base);
}

} // namespace

void paintModel(QPainter& painter, const DrawingModel& model, double pixelsPerTwip,
                const RenderOptions& options)
{
    if (model.aging <= 0 || options.leaveWear) {
        paintItems(painter, model, pixelsPerTwip, options);
        return;
    }
    // Worn ink is a per-pixel scale of the ink alone, so the ink is made as
    // an image of its own at the device's resolution, worn, and laid over
    // the background (a printer's page has no pixels to scale).
    const double s = pixelsPerTwip;
    if (!options.transparent) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.fillRect(QRectF(0, 0, clampTwips(model.widthTwips) * s, clampTwips(model.heightTwips) * s),
                         QColor::fromRgb(model.background));
    }
    RenderOptions layerOptions = options;
    layerOptions.transparent = true;
    const QImage layer = rasterize(model, s * 1440.0, layerOptions);
    if (!layer.isNull())
        painter.drawImage(QPointF(0, 0), layer);
}

QImage rasterize(const DrawingModel& model, double dpi, const RenderOptions& options)
{
    const QSize size = rasterSize(model.widthTwips, model.heightTwips, dpi);
    if (size.isEmpty())
        return QImage();
    QImage image(size, options.transparent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.isNull())
        throw PlometError(PlometError::Kind::Overflow,
                          QCoreApplication::translate("Seal", "not enough memory for an image of %1 × %2 pixels").arg(size.width()).arg(size.height()));
    // Every pixel starts defined: the surface's edge may end inside a pixel.
    image.fill(options.transparent ? QColor(Qt::transparent) : QColor::fromRgb(model.background));
    const int dpm = dotsPerMetre(dpi);
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    QPainter painter(&image);
    RenderOptions unworn = options;
    unworn.leaveWear = true;
    paintItems(painter, model, dpi / 1440.0, unworn);
    painter.end();
    if (model.aging > 0 && !options.leaveWear) {
        if (options.transparent)
            applyWearPremultiplied(image, model, dpi / 1440.0, QPointF(0, 0));
        else
            applyWear(image, model, dpi / 1440.0, QPointF(0, 0), model.background);
    }
    return image;
}

std::vector<InkShape> inkShapes(const DrawingModel& model)
{
    std::vector<InkShape> shapes;
    auto band = [&](double cx, double cy, double rx0, double ry0, double rx1, double ry1, QRgb color) {
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        path.addEllipse(QPointF(cx, cy), rx1, ry1);
        if (rx0 > 0 && ry0 > 0)
            path.addEllipse(QPointF(cx, cy), rx0, ry0);
        shapes.push_back({path, color});
    };
    const auto& items = model.items;
    for (size_t i = 0; i < items.size(); ++i) {
        if (const auto* t = std::get_if<DrawnText>(&items[i])) {
            // As paintText places an outline, at one device unit a twip.
            const FontEntry& fe = fontFor(t->face, t->pixelHeight, t->weight);
            const double k = model.twipsPerPixelY;
            QTransform glyph;
            glyph.translate(t->x, t->y);
            if (t->angleDeg != 0)
                glyph.rotate(t->angleDeg);
            glyph.scale(k * t->stretch, k);
            const QPainterPath outline = outlineOf(fe, t->text);
            if (!outline.isEmpty())
                shapes.push_back({glyph.map(outline), t->color});
            continue;
        }
        if (const auto* e = std::get_if<DrawnEllipse>(&items[i])) {
            if (e->penWidth > 0 && e->rx >= 0 && e->ry >= 0)
                band(e->cx, e->cy, e->rx - e->penWidth / 2, e->ry - e->penWidth / 2, e->rx + e->penWidth / 2,
                     e->ry + e->penWidth / 2, e->color);
            continue;
        }
        // Touching concentric circles are one band, as paintRing strokes them.
        const auto& c = std::get<DrawnCircle>(items[i]);
        const auto [rMin, rMax, j] = ringRun(items, i);
        const double inner = std::max(0.0, rMin - c.penWidth / 2), outer = rMax + c.penWidth / 2;
        band(c.cx, c.cy, inner, inner, outer, outer, c.color);
        i = j - 1;
    }
    return shapes;
}

} // namespace plomet
