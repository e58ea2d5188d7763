// Where the raster puts each text and the ring, against the drawing model:
// every text's ink at 300 dpi has its centre where the model's cell,
// turn and condensing put the face's glyphs (within a quarter pixel), and
// the ring's band lies between the model's radii. The reference glyphs are
// Qt's own outlines of the text, filled at the model's exact position.
#include "seal/DrawingModel.h"
#include "seal/Fonts.h"
#include "seal/Plomet.h"
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

// The text filled from Qt's outline at the model's exact place.
QImage reference(const DrawingModel& m, const DrawnText& t, QSize size)
{
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    const double s = kDpi / 1440.0;
    const double k = s * m.twipsPerPixelY;
    const QFont font = makeFont(t.face, t.pixelHeight, t.weight);
    QPainterPath path;
    path.addText(QPointF(0, baselineBelowCellTop(font, t.text)), font, t.text);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QTransform x;
    x.translate(t.x * s, t.y * s);
    x.rotate(t.angleDeg);
    x.scale(k * t.stretch, k);
    p.setTransform(x);
    p.fillPath(path, Qt::red);
    return img;
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
        const Centre want = inkCentre(reference(model, *t, drawn.size()));
        ASSERT_GT(want.mass, 0) << what << ": " << t->text.toStdString();
        EXPECT_NEAR(got.x, want.x, 0.25) << what << ": '" << t->text.toStdString() << "' at " << t->angleDeg << "°";
        EXPECT_NEAR(got.y, want.y, 0.25) << what << ": '" << t->text.toStdString() << "' at " << t->angleDeg << "°";
        // The same ink, not another glyph or weight at the same place.
        EXPECT_NEAR(got.mass, want.mass, 0.03 * want.mass) << what << ": " << t->text.toStdString();
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

} // namespace
