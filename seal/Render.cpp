#include "seal/Render.h"

#include "seal/Errors.h"
#include "seal/Fonts.h"
#include "seal/GlyphOutlines.h"
#include "seal/InkRaster.h"
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
#include <cmath>
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

// The glyphs of a text in its font's pixels, the top of its cell at y = 0
// (the baseline at the em top), and outlineOf their joined outline. Not
// kept at this size: the outlines in ems are, and scaling one is little
// beside filling it (kept by font and text, the scaled outlines of a
// 600-dpi batch of distinct seals took 80 MB).
GlyphRun glyphsOf(const FontEntry& fe, const QString& text)
{
    GlyphRun run = textGlyphs(fe.face, fe.px, fe.weight, text);
    run.lift = emTop(fe, text);
    return run;
}

QPainterPath outlineOf(const FontEntry& fe, const QString& text)
{
    return glyphsOf(fe, text).path();
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
// the innermost edge to the outermost, drawn as one circle with a wide pen.
// The same picture as the separate one-pixel circles, at a fraction of the work.
struct Band {
    QPointF centre;      // twips
    double mid, width;   // twips: the pen's centre line and its width
};

Band ringBand(const DrawnCircle& first, double rMin, double rMax, double s)
{
    // Stacked anti-aliased circles darken their edge pixels as if the band
    // were about a quarter of a device pixel wider on each side; so does the band.
    const double bleed = rMax > rMin ? kStackBleed / s : 0.0;
    const double inner = std::max(0.0, rMin - first.penWidth / 2.0 - bleed);
    const double outer = rMax + first.penWidth / 2.0 + bleed;
    return Band{QPointF(first.cx, first.cy), (inner + outer) / 2.0, outer - inner};
}

void paintRing(QPainter& painter, const DrawnCircle& first, const Band& band, double s)
{
    QPen pen(QColor::fromRgb(first.color));
    pen.setWidthF(band.width * s);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(band.centre * s, band.mid * s, band.mid * s);
}

// Where a text's outline goes on a device whose transform is base: turned
// clockwise about the top-left corner of the cell, that corner at (x, y);
// the model's pixel heights are screen pixels, so other resolutions scale.
QTransform textTransform(QTransform base, const DrawnText& t, double s, double twipsPerPixelY)
{
    const double k = s * twipsPerPixelY;
    base.translate(t.x * s, t.y * s);
    if (t.angleDeg != 0)
        base.rotate(t.angleDeg);
    if (std::fabs(k - 1.0) > 1e-12 || t.stretch != 1)
        base.scale(k * t.stretch, k);
    return base;
}

void paintText(QPainter& painter, const QTransform& base, const DrawnText& t, double s, double twipsPerPixelY)
{
    const FontEntry& fe = fontFor(t.face, t.pixelHeight, t.weight);
    painter.setTransform(textTransform(base, t, s, twipsPerPixelY));
    // Every device fills the same outlines: vector files get them as paths.
    const QPainterPath outline = outlineOf(fe, t.text);
    if (!outline.isEmpty())
        painter.fillPath(outline, QColor::fromRgb(t.color));
}

void paintEllipse(QPainter& painter, const DrawnEllipse& e, double s)
{
    QPen pen(QColor::fromRgb(e.color));
    pen.setWidthF(e.penWidth * s);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(e.cx * s, e.cy * s), e.rx * s, e.ry * s);
}

// The model's items in drawing order, as every device gets them: texts
// within the ink budget, ellipses that have a pen, and each run of
// touching concentric circles as one band. deviceArea: the device's pixels.
template <typename Text, typename Ellipse, typename Ring>
void eachItem(const DrawingModel& model, double s, double deviceArea, Text&& text, Ellipse&& ellipse, Ring&& ring)
{
    // Glyph ink one picture may paint, in device pixels: 16 layers of the
    // device (at least 16 million pixels). A seal uses a thousandth of it;
    // only an absurd size times an absurd length (a 1000-point name of
    // thousands of characters) reaches it, and that picture is one solid
    // blot long before. Beyond it the rest of the text is not painted, so
    // the time of a Draw stays bounded (it was minutes to hours).
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
                text(*t);
            continue;
        }
        if (const auto* e = std::get_if<DrawnEllipse>(&items[i])) {
            if (e->penWidth > 0 && e->rx >= 0 && e->ry >= 0)
                ellipse(*e);
            continue;
        }
        const auto& c = std::get<DrawnCircle>(items[i]);
        const auto [rMin, rMax, j] = ringRun(items, i);
        ring(c, ringBand(c, rMin, rMax, s));
        i = j - 1;
    }
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
    const QPaintDevice* device = painter.device();
    const double deviceArea = device ? double(device->width()) * double(device->height()) : 0.0;
    eachItem(
        model, s, deviceArea, [&](const DrawnText& t) { paintText(painter, base, t, s, model.twipsPerPixelY); },
        [&](const DrawnEllipse& e) {
            painter.setTransform(base);
            paintEllipse(painter, e, s);
        },
        [&](const DrawnCircle& c, const Band& band) {
            painter.setTransform(base);
            paintRing(painter, c, band, s);
        });
    painter.setTransform(base);
}

// The ink of the model straight into the image's pixels (see InkRaster),
// pixelsPerTwip device pixels a twip: the items paintItems paints, at the
// exact places, the glyphs at their own sub-pixel offsets.
void inkItems(QImage& image, const DrawingModel& model, double pixelsPerTwip)
{
    const double s = pixelsPerTwip;
    eachItem(
        model, s, double(image.width()) * double(image.height()),
        [&](const DrawnText& t) {
            const FontEntry& fe = fontFor(t.face, t.pixelHeight, t.weight);
            inkFillGlyph(image, GlyphName{fe.face, fe.px, fe.weight, t.text}, [&] { return glyphsOf(fe, t.text); },
                         textTransform(QTransform(), t, s, model.twipsPerPixelY), t.color);
        },
        [&](const DrawnEllipse& e) {
            inkStrokeEllipse(image, QPointF(e.cx * s, e.cy * s), e.rx * s, e.ry * s, e.penWidth * s, e.color);
        },
        [&](const DrawnCircle& c, const Band& band) {
            inkStrokeEllipse(image, band.centre * s, band.mid * s, band.mid * s, band.width * s, c.color);
        });
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
    const QImage::Format format = options.coverage      ? QImage::Format_Alpha8
                                  : options.transparent ? QImage::Format_ARGB32_Premultiplied
                                                        : QImage::Format_RGB32;
    QImage image(size, format);
    if (image.isNull())
        throw PlometError(PlometError::Kind::Overflow,
                          QCoreApplication::translate("Seal", "not enough memory for an image of %1 × %2 pixels").arg(size.width()).arg(size.height()));
    // Every pixel starts defined: the surface's edge may end inside a pixel.
    image.fill(options.transparent || options.coverage ? QColor(Qt::transparent) : QColor::fromRgb(model.background));
    const int dpm = dotsPerMetre(dpi);
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    inkItems(image, model, dpi / 1440.0);
    if (model.aging > 0 && !options.leaveWear) {
        if (options.coverage)
            applyWearAlpha(image, model, dpi / 1440.0, QPointF(0, 0));
        else if (options.transparent)
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
