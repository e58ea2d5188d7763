#include "Render.h"

#include "Errors.h"
#include "Fonts.h"
#include "NumberText.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace plomet {

namespace {

// Larger rasters than this are refused rather than left to exhaust memory
// (100 million pixels is 400 MB).
constexpr double kMaxPixels = 100e6;
constexpr int kMaxSide = 30000;
constexpr double kStackBleed = 0.25;   // device pixels   // device pixels   // device pixels   // device pixels   // device pixels

struct FontEntry {
    QFont font;
    double ascent = 0;
};

// Fonts with their ascent, reused across paints: the same few faces and
// sizes come back on every Draw, and a run of glyphs shares one.
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
    FontEntry e;
    e.font = makeFont(face, pixelHeight, weight);
    e.ascent = QFontMetricsF(e.font).ascent();
    cache.emplace_back(key, e);
    last = cache.size() - 1;
    return cache[last].second;
}

bool sameRing(const DrawnCircle& a, const DrawnCircle& b)
{
    return a.cx == b.cx && a.cy == b.cy && a.color == b.color && a.penWidth == b.penWidth
        && std::fabs(b.r - a.r) <= a.penWidth;
}

// One circle outline, or a run of concentric ones that touch: the band from
// the innermost edge to the outermost, stroked as one circle with a wide pen.
// The same picture as the separate one-pixel circles, at a fraction of the work.
void paintRing(QPainter& painter, const DrawnCircle& first, double rMin, double rMax, double s)
{
    // Stacked anti-aliased circles darken their edge pixels as if the band
    // were about a quarter of a device pixel wider on each side; so does the band.
    const double bleed = rMax > rMin ? kStackBleed / s : 0.0;
    const double inner = std::max(0.0, rMin - first.penWidth / 2.0 - bleed);
    const double outer = rMax + first.penWidth / 2.0 + bleed;
    const double mid = (inner + outer) / 2.0;
    QPen pen(QColor::fromRgb(first.color));
    pen.setWidthF((outer - inner) * s);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(first.cx * s, first.cy * s), mid * s, mid * s);
}

void paintText(QPainter& painter, const QTransform& base, const DrawnText& t, double s,
               double twipsPerPixelY, const RenderOptions& options)
{
    const FontEntry& fe = fontFor(t.face, t.pixelHeight, t.weight);
    // Turned clockwise about the top-left corner of the cell, that corner at
    // (x, y); the model's pixel heights are screen pixels, so other
    // resolutions scale.
    QTransform glyph = base;
    glyph.translate(t.x * s, t.y * s);
    if (t.angleDeg != 0)
        glyph.rotate(t.angleDeg);
    const double k = s * twipsPerPixelY;
    if (std::fabs(k - 1.0) > 1e-12)
        glyph.scale(k, k);
    painter.setTransform(glyph);
    const QColor color = QColor::fromRgb(t.color);
    if (options.glyphOutlines) {
        QPainterPath path;
        path.addText(QPointF(0, fe.ascent), fe.font, t.text);
        painter.fillPath(path, color);
    } else {
        if (painter.font() != fe.font)
            painter.setFont(fe.font);
        if (painter.pen().color() != color || painter.pen().widthF() != 0)
            painter.setPen(QPen(color, 0));
        painter.drawText(QPointF(0, fe.ascent), t.text);
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
                          QStringLiteral("分辨率 %1 dpi 无效").arg(numberTextDouble(dpi)));
    if (w > kMaxSide || h > kMaxSide || w * h > kMaxPixels)
        throw PlometError(PlometError::Kind::Overflow,
                          QStringLiteral("图像过大：%1 × %2 像素（至多 %3 万像素）")
                              .arg(numberTextDouble(w), numberTextDouble(h))
                              .arg(kMaxPixels / 1e4));
    return QSize(static_cast<int>(w), static_cast<int>(h));
}

void paintModel(QPainter& painter, const DrawingModel& model, double pixelsPerTwip,
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
    const auto& items = model.items;
    for (size_t i = 0; i < items.size(); ++i) {
        if (const auto* t = std::get_if<DrawnText>(&items[i])) {
            paintText(painter, base, *t, s, model.twipsPerPixelY, options);
            continue;
        }
        const auto& c = std::get<DrawnCircle>(items[i]);
        double rMin = c.r, rMax = c.r;
        size_t j = i + 1;
        const DrawnCircle* last = &c;
        while (j < items.size()) {
            const auto* next = std::get_if<DrawnCircle>(&items[j]);
            if (!next || !sameRing(*last, *next))
                break;
            rMin = std::min(rMin, next->r);
            rMax = std::max(rMax, next->r);
            last = next;
            ++j;
        }
        painter.setTransform(base);
        paintRing(painter, c, rMin, rMax, s);
        i = j - 1;
    }
    painter.setTransform(base);
}

QImage rasterize(const DrawingModel& model, double dpi, const RenderOptions& options)
{
    const QSize size = rasterSize(model.widthTwips, model.heightTwips, dpi);
    if (size.isEmpty())
        return QImage();
    QImage image(size, options.transparent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.isNull())
        throw PlometError(PlometError::Kind::Overflow,
                          QStringLiteral("内存不足，无法生成 %1 × %2 像素的图像").arg(size.width()).arg(size.height()));
    // Every pixel starts defined: the surface's edge may end inside a pixel.
    image.fill(options.transparent ? QColor(Qt::transparent) : QColor::fromRgb(model.background));
    const int dpm = static_cast<int>(roundHalfEven(dpi / 0.0254));
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    QPainter painter(&image);
    paintModel(painter, model, dpi / 1440.0, options);
    painter.end();
    return image;
}

} // namespace plomet
