// Where the raster puts each text and the ring, against the drawing model:
// every text's ink at 300 dpi has its centre where the model's cell,
// turn and condensing put the face's glyphs (within an eighth of a pixel), and
// the ring's band lies between the model's radii. The reference glyphs are
// Qt's own outlines of the text, filled at the model's exact position, finely.
#include "seal/DrawingModel.h"
#include "seal/Fonts.h"
#include "seal/Plomet.h"
#include "seal/Presets.h"
#include "seal/Render.h"
#include "seal/SealForm.h"

#include <gtest/gtest.h>

#include <QGlyphRun>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QTextLayout>
#include <QtEndian>
#include <cmath>

using namespace plomet;

namespace {

constexpr double kDpi = 300;

struct Centre {
    double x = 0, y = 0, mass = 0;
};

// The centre of the alpha channel's ink.
Centre inkCentre(const QImage& image)
{
    Centre c;
    const QImage img = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < img.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const double a = qAlpha(row[x]) / 255.0;
            c.x += a * (x + 0.5);
            c.y += a * (y + 0.5);
            c.mass += a;
        }
    }
    if (c.mass > 0) {
        c.x /= c.mass;
        c.y /= c.mass;
    }
    return c;
}

// The depth of the baseline below the top of a character's em box: a CJK
// face's typographic ascender over its ascender and descender; any other
// face's em centred between its ascent and descent.
double baselineBelowCellTop(const QFont& font, const QString& text)
{
    QTextLayout layout(text.left(1), font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QRawFont raw = layout.glyphRuns().first().rawFont();
    const QByteArray os2 = raw.fontTable("OS/2");
    const double em = raw.pixelSize();
    if (os2.size() >= 86) {
        const double asc = qFromBigEndian<qint16>(os2.constData() + 68);
        const double desc = qFromBigEndian<qint16>(os2.constData() + 70);
        const bool cjk = (qFromBigEndian<quint32>(os2.constData() + 46) & (1u << 27))
            || (qFromBigEndian<quint32>(os2.constData() + 78) & (0x1fu << 17));
        if (cjk && asc > 0 && asc - desc > 0)
            return em * asc / (asc - desc);
    }
    return (raw.ascent() - raw.descent() + em) / 2;
}

// The centre and mass of the text filled from Qt's outline at the model's
// exact place, eight times as fine in each direction (a painter's curves
// fall short of the outline by up to an eighth of its pixel), on the part
// of it within an image of size (a long line may run off the seal).
Centre reference(const DrawingModel& m, const DrawnText& t, QSize size)
{
    const double s = kDpi / 1440.0;
    const double k = s * m.twipsPerPixelY;
    const QFont font = makeFont(t.face, t.pixelHeight, t.weight);
    QPainterPath path;
    path.addText(QPointF(0, baselineBelowCellTop(font, t.text)), font, t.text);
    QTransform x;
    x.translate(t.x * s, t.y * s);
    x.rotate(t.angleDeg);
    x.scale(k * t.stretch, k);
    constexpr int kFine = 8;
    const QRectF box = x.map(path).boundingRect().adjusted(-1, -1, 1, 1).intersected(QRectF(QPointF(0, 0), size));
    QImage img(int(std::ceil(box.width() * kFine)), int(std::ceil(box.height() * kFine)),
               QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setTransform(x * QTransform::fromTranslate(-box.left(), -box.top()) * QTransform::fromScale(kFine, kFine));
    p.fillPath(path, Qt::red);
    p.end();
    Centre c = inkCentre(img);
    c.x = box.left() + c.x / kFine;
    c.y = box.top() + c.y / kFine;
    c.mass /= kFine * kFine;
    return c;
}

void checkTexts(const DrawingModel& model, const char* what)
{
    RenderOptions transparent;
    transparent.transparent = true;
    int texts = 0;
    for (const DrawnItem& item : model.items) {
        const auto* t = std::get_if<DrawnText>(&item);
        if (!t || t->text.trimmed().isEmpty())
            continue;
        DrawingModel alone = model;
        alone.items = {*t};
        const QImage drawn = rasterize(alone, kDpi, transparent);
        const Centre got = inkCentre(drawn);
        const Centre want = reference(model, *t, drawn.size());
        ASSERT_GT(want.mass, 0) << what << ": " << t->text.toStdString();
        EXPECT_NEAR(got.x, want.x, 0.125) << what << ": '" << t->text.toStdString() << "' at " << t->angleDeg << "°";
        EXPECT_NEAR(got.y, want.y, 0.125) << what << ": '" << t->text.toStdString() << "' at " << t->angleDeg << "°";
        // The same ink, not another glyph or weight at the same place.
        EXPECT_NEAR(got.mass, want.mass, 0.015 * want.mass) << what << ": " << t->text.toStdString();
        ++texts;
    }
    EXPECT_GT(texts, 5) << what;
}

PicturePtr drawn(const std::function<void(Plomet&)>& assign)
{
    Plomet seal;
    seal.InitProperties(false);
    assign(seal);
    seal.Draw();
    return seal.image();
}

TEST(GlyphGeometry, TextsStandWhereTheModelPutsThem)
{
    const struct {
        const char* what;
        std::function<void(Plomet&)> assign;
    } rows[] = {
        {"default", [](Plomet&) {}},
        {"bold Song with lower lines",
         [](Plomet& s) {
             s.setFontName(QStringLiteral("宋体"));
             s.setFontBold(true);
             s.setRText(QStringLiteral("北京华信科技有限公司"));
             s.setPText(QStringLiteral("合同专用章"));
             s.setPText1(QStringLiteral("1101080012345"));
         }},
        {"Kai, large", [](Plomet& s) {
             s.setFontName(QStringLiteral("楷体"));
             s.setFontSize(20);
             s.setRText(QStringLiteral("甲乙丙丁公司"));
         }},
        {"oval, condensed glyphs", [](Plomet& s) {
             s.setShape(Shape::Oval);
             s.setRText(QStringLiteral("上海永泰贸易股份有限公司"));
         }},
    };
    for (const auto& r : rows)
        checkTexts(drawn(r.assign)->model(), r.what);
}

TEST(GlyphGeometry, RingBandLiesBetweenTheModelsRadii)
{
    const DrawingModel m = drawn([](Plomet&) {})->model();
    double rMin = 1e9, rMax = 0, pen = 0, cx = 0, cy = 0;
    DrawingModel ring = m;
    ring.items.clear();
    for (const DrawnItem& item : m.items)
        if (const auto* c = std::get_if<DrawnCircle>(&item)) {
            rMin = std::min(rMin, c->r);
            rMax = std::max(rMax, c->r);
            pen = c->penWidth;
            cx = c->cx;
            cy = c->cy;
            ring.items.push_back(*c);
        }
    ASSERT_GT(rMax, rMin);
    RenderOptions transparent;
    transparent.transparent = true;
    const QImage img = rasterize(ring, kDpi, transparent).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const double s = kDpi / 1440.0;
    // Along rays from the centre: the ink's radial extent (its coverage
    // summed) and its middle.
    const double inner = (rMin - pen / 2) * s, outer = (rMax + pen / 2) * s;
    for (int deg = 0; deg < 360; deg += 10) {
        const double a = deg * M_PI / 180;
        double width = 0, moment = 0;
        constexpr double kStep = 0.05;
        for (double r = inner - 4; r < outer + 4; r += kStep) {
            const double x = cx * s + r * std::sin(a), y = cy * s - r * std::cos(a);
            const QRgb p = img.pixel(int(std::floor(x)), int(std::floor(y)));
            width += qAlpha(p) / 255.0 * kStep;
            moment += qAlpha(p) / 255.0 * kStep * r;
        }
        // Sampled pixels make a soft edge up to half a pixel wide each side;
        // stacked circles darken like a quarter pixel more (see the renderer).
        EXPECT_NEAR(moment / width, (inner + outer) / 2, 0.25) << deg << "°";
        EXPECT_NEAR(width, outer - inner + 0.5, 0.5) << deg << "°";
    }
}

// The inner and outer edge of a band crossing the ray from (cx, cy) along
// an axis (dx, dy), in pixels from the centre. Along a row or column each
// pixel's coverage is the part of it inside the band (the edge is straight
// over a pixel), so the coverage summed from the pixel at the band's middle
// inwards, or outwards, is that pixel's distance from the edge.
std::pair<double, double> bandEdges(const QImage& img, double cx, double cy, int dx, int dy, double mid)
{
    const int px = int(std::floor(cx)), py = int(std::floor(cy));
    const auto pixel = [&](int k) { return QPoint(px + k * dx, py + k * dy); };
    // The distance from the centre to the pixel's side facing it.
    const auto nearSide = [&](int k) {
        const QPoint p = pixel(k);
        return dx > 0 ? p.x() - cx : dx < 0 ? cx - (p.x() + 1) : dy > 0 ? p.y() - cy : cy - (p.y() + 1);
    };
    const auto coverage = [&](int k) { return qAlpha(img.pixel(pixel(k))) / 255.0; };
    int m = 0;
    while (nearSide(m + 1) <= mid)
        ++m;
    double inside = 0, outside = 0;
    for (int k = 0; k < m; ++k)
        inside += coverage(k);
    for (int k = m; img.rect().contains(pixel(k)); ++k)
        outside += coverage(k);
    return {nearSide(m) - inside, nearSide(m) + outside};
}

TEST(GlyphGeometry, BandEdgesStandAtTheModelsRadii)
{
    const struct {
        const char* what;
        std::function<void(Plomet&)> assign;
    } rows[] = {
        {"default round seal", [](Plomet&) {}},
        {"invoice oval", [](Plomet& seal) {
             const auto values = presetSettings(QStringLiteral("发票专用章"));
             for (const auto& [row, value] : values.value())
                 seal.setValue(*row, value);
         }},
    };
    const double s = kDpi / 1440.0;
    for (const auto& r : rows) {
        const DrawingModel m = drawn(r.assign)->model();
        // The band alone: a run of touching circles, or the widest ellipse.
        DrawingModel band = m;
        band.items.clear();
        double cx = 0, cy = 0, inner[2] = {1e9, 1e9}, outer[2] = {0, 0};   // x axis, y axis; pixels
        const DrawnEllipse* widest = nullptr;
        for (const DrawnItem& item : m.items) {
            if (const auto* c = std::get_if<DrawnCircle>(&item)) {
                band.items.push_back(*c);
                cx = c->cx * s;
                cy = c->cy * s;
                // Stacked circles darken like a quarter pixel more each side (see the renderer).
                for (int a : {0, 1}) {
                    inner[a] = std::min(inner[a], (c->r - c->penWidth / 2) * s - 0.25);
                    outer[a] = std::max(outer[a], (c->r + c->penWidth / 2) * s + 0.25);
                }
            } else if (const auto* e = std::get_if<DrawnEllipse>(&item)) {
                if (!widest || e->rx > widest->rx)
                    widest = e;
            }
        }
        if (widest) {
            band.items = {*widest};
            cx = widest->cx * s;
            cy = widest->cy * s;
            inner[0] = (widest->rx - widest->penWidth / 2) * s;
            outer[0] = (widest->rx + widest->penWidth / 2) * s;
            inner[1] = (widest->ry - widest->penWidth / 2) * s;
            outer[1] = (widest->ry + widest->penWidth / 2) * s;
        }
        ASSERT_FALSE(band.items.empty()) << r.what;
        RenderOptions transparent;
        transparent.transparent = true;
        const QImage img = rasterize(band, kDpi, transparent);
        const struct { int dx, dy; const char* side; } rays[] = {{1, 0, "right"}, {-1, 0, "left"}, {0, 1, "bottom"}, {0, -1, "top"}};
        for (const auto& ray : rays) {
            const int a = ray.dy != 0;
            const auto [in, out] = bandEdges(img, cx, cy, ray.dx, ray.dy, (inner[a] + outer[a]) / 2);
            EXPECT_NEAR(in, inner[a], 1.0 / 16) << r.what << ", " << ray.side;
            EXPECT_NEAR(out, outer[a], 1.0 / 16) << r.what << ", " << ray.side;
        }
    }
}

} // namespace
