// The newer seal forms, read from the drawing model: the oval band and its
// text curve, equal spacing along it, glyphs turned to the curve's normal,
// the fitted layout (no glyph over another or over a lower line, lower lines
// centred), the code along the lower arc, the middle line, the inner ring,
// and pixels of rendered seals.
#include "seal/Fonts.h"
#include "seal/GlyphOutlines.h"
#include "seal/OffsetCurve.h"
#include "seal/Plomet.h"
#include "seal/Render.h"
#include <gtest/gtest.h>
#include <cmath>
#include <optional>

using namespace plomet;

namespace {

constexpr double kPiD = 3.141592653589793;
constexpr double kMm = 1440.0 / 25.4;

struct Box {
    QPointF c[4];
    QPointF centre() const { return (c[0] + c[2]) / 2; }
};

// The em box of a drawn text, worked out from the model alone: the cell's
// corner (x, y), which is the em box's top-left corner, the turn, the
// condensing, and the face's advance.
Box emBox(const DrawnText& t, const DrawingModel& m)
{
    // Whole pixels, as the surface measures the text it lays out.
    const double adv = std::lround(textAdvance(t.face, wholePixels(t.pixelHeight), t.weight, t.text))
        * m.twipsPerPixelX * t.stretch;
    const double em = t.pixelHeight * m.twipsPerPixelY;
    const double top = 0;
    const double a = t.angleDeg * kPiD / 180;
    auto map = [&](double x, double y) {
        return QPointF(t.x + x * std::cos(a) - y * std::sin(a), t.y + x * std::sin(a) + y * std::cos(a));
    };
    return {{map(0, top), map(adv, top), map(adv, top + em), map(0, top + em)}};
}

// Separating axes of two convex quadrilaterals; boxes that only touch (within
// tol twips) do not count as overlapping.
bool overlap(const Box& a, const Box& b, double tol = 0.5)
{
    for (const Box* p : {&a, &b}) {
        for (int i = 0; i < 4; ++i) {
            const QPointF e = p->c[(i + 1) % 4] - p->c[i];
            const QPointF n(-e.y(), e.x());
            const double len = std::hypot(n.x(), n.y());
            double amin = 1e18, amax = -1e18, bmin = 1e18, bmax = -1e18;
            for (int k = 0; k < 4; ++k) {
                const double pa = QPointF::dotProduct(a.c[k], n) / len;
                const double pb = QPointF::dotProduct(b.c[k], n) / len;
                amin = std::min(amin, pa);
                amax = std::max(amax, pa);
                bmin = std::min(bmin, pb);
                bmax = std::max(bmax, pb);
            }
            if (amax <= bmin + tol || bmax <= amin + tol)
                return false;
        }
    }
    return true;
}

std::vector<DrawnText> textsOf(const DrawingModel& m)
{
    std::vector<DrawnText> out;
    for (const auto& it : m.items)
        if (const auto* t = std::get_if<DrawnText>(&it))
            out.push_back(*t);
    return out;
}

std::vector<DrawnEllipse> ellipsesOf(const DrawingModel& m)
{
    std::vector<DrawnEllipse> out;
    for (const auto& it : m.items)
        if (const auto* e = std::get_if<DrawnEllipse>(&it))
            out.push_back(*e);
    return out;
}

// A seal of the given outer band size in millimetres (the control is larger
// by the classic inset on each side).
void sizeSeal(Plomet& p, double wMm, double hMm)
{
    const double m = std::min(wMm, hMm) * kMm / (2.0 / 2.1);
    const double inset = m / 2.0 - m / 2.1;
    p.setWidth(float(wMm * kMm + 2 * inset));
    p.setHeight(float(hMm * kMm + 2 * inset));
}

int nonBlank(const QString& s)
{
    int n = 0;
    for (char32_t c : s.toUcs4())
        n += c != U' ';
    return n;
}

// The closest point of the ellipse (ax, ay) about (cx, cy) to p: its
// parameter (clockwise from 12 o'clock), by a fine search and refinement.
double closestParam(double cx, double cy, double ax, double ay, QPointF p)
{
    auto d2 = [&](double t) {
        const double x = cx + ax * std::sin(t) - p.x(), y = cy - ay * std::cos(t) - p.y();
        return x * x + y * y;
    };
    double best = 0, bestD = 1e300;
    for (int i = 0; i < 3600; ++i) {
        const double t = 2 * kPiD * i / 3600;
        if (d2(t) < bestD) {
            bestD = d2(t);
            best = t;
        }
    }
    double lo = best - 2 * kPiD / 3600, hi = best + 2 * kPiD / 3600;
    for (int k = 0; k < 100; ++k) {
        const double m1 = lo + (hi - lo) / 3, m2 = hi - (hi - lo) / 3;
        (d2(m1) < d2(m2) ? hi : lo) = (d2(m1) < d2(m2) ? m2 : m1);
    }
    return (lo + hi) / 2;
}

// Arc length along the curve at distance d inside the ellipse between two
// parameters, by Simpson's rule on the curve's own derivative.
double parallelArc(double ax, double ay, double d, double t0, double t1)
{
    auto speed = [&](double t) {
        // Q(t) = P(t) - d n(t); |Q'| = |P'| (1 - d kappa) for a parallel curve.
        const double px = ax * std::cos(t), py = ay * std::sin(t);
        const double sp = std::hypot(px, py);
        const double kappa = ax * ay / (sp * sp * sp);
        return sp * (1 - d * kappa);
    };
    const int n = 2000;
    const double h = (t1 - t0) / n;
    double sum = speed(t0) + speed(t1);
    for (int i = 1; i < n; ++i)
        sum += speed(t0 + i * h) * (i % 2 ? 4 : 2);
    return sum * h / 3;
}

struct FitCase {
    const char* what;
    double wMm, hMm;
    bool oval;
    double ringMm;
    float fontSize;
};

QString nameOf(int kind, int n)
{
    const QString cjk = QStringLiteral("甲乙丙丁戊己庚辛壬癸子丑寅卯辰巳午未申酉戌亥天地玄黄宇宙洪荒日月盈昃辰宿列张寒来暑往");
    const QString latin = QStringLiteral("Qorvel Trading Company Limited Shanghai Branch Office");
    const QString mixed = QStringLiteral("Qorvel软件ABC科技有限公司2号Tervin分部XYZ服务中心");
    const QString& src = kind == 0 ? cjk : kind == 1 ? latin : mixed;
    QString out;
    while (out.size() < n)
        out += src;
    out = out.left(n);
    // No blank at the ends: a name does not start or end with one.
    if (out.endsWith(QLatin1Char(' ')))
        out[out.size() - 1] = QLatin1Char('X');
    return out;
}

} // namespace

TEST(SealForms, FitNamesNeverOverlapThemselvesNorTheLowerLines)
{
    const FitCase cases[] = {
        {"default size", 36.25 * 2 / 2.1, 36.25 * 2 / 2.1, false, 0, 12},
        {"round 42 mm", 42, 42, false, 1.2, 16},
        {"round 40 mm", 40, 40, false, 1.0, 15},
        {"oval 40 x 30", 40, 30, true, 1.0, 12},
    };
    for (const FitCase& fc : cases) {
        for (int kind = 0; kind < 3; ++kind) {
            for (int n : {2, 3, 5, 8, 12, 13, 16, 20, 25, 30, 40}) {
                Plomet p;
                p.InitProperties();
                sizeSeal(p, fc.wMm, fc.hMm);
                p.setShape(fc.oval ? Shape::Oval : Shape::Round);
                if (fc.ringMm > 0)
                    p.setRingWidth(fc.ringMm * kMm);
                p.setFit(true);
                p.setFontSize(fc.fontSize);
                p.setPText(QStringLiteral("91110108MA01234567"));
                p.setPText1(QStringLiteral("合同专用章"));
                const QString name = nameOf(kind, n);
                p.setRText(name);
                p.Draw();
                const DrawingModel& m = p.image()->model();
                const auto ts = textsOf(m);
                const int glyphs = nonBlank(name);
                SCOPED_TRACE(testing::Message() << fc.what << " kind " << kind << " n " << n << " "
                                                << name.toStdString());
                ASSERT_GE(int(ts.size()), glyphs + 3);   // name, sign, two lines
                std::vector<Box> boxes;
                for (int i = 0; i < glyphs; ++i)
                    boxes.push_back(emBox(ts[size_t(i)], m));
                for (size_t i = 0; i < boxes.size(); ++i)
                    for (size_t j = i + 1; j < boxes.size(); ++j)
                        EXPECT_FALSE(overlap(boxes[i], boxes[j])) << "glyphs " << i << " and " << j;
                const DrawnText& l0 = ts[ts.size() - 2];
                const DrawnText& l1 = ts[ts.size() - 1];
                EXPECT_EQ(l1.text, QStringLiteral("91110108MA01234567"));
                EXPECT_EQ(l0.text, QStringLiteral("合同专用章"));
                const Box b0 = emBox(l0, m), b1 = emBox(l1, m);
                EXPECT_FALSE(overlap(b0, b1));
                for (size_t i = 0; i < boxes.size(); ++i) {
                    EXPECT_FALSE(overlap(boxes[i], b0)) << "glyph " << i << " and the lower line";
                    EXPECT_FALSE(overlap(boxes[i], b1)) << "glyph " << i << " and the upper lower line";
                }
                // Lower lines centred by their measured width.
                EXPECT_NEAR(b0.centre().x(), m.widthTwips / 2, 0.5 * kMm);
                EXPECT_NEAR(b1.centre().x(), m.widthTwips / 2, 0.5 * kMm);
                // Everything inside the band.
                const double cx = std::round(m.widthTwips / 2), cy = std::round(m.heightTwips / 2);
                const double inset = std::min(m.widthTwips, m.heightTwips) * (0.5 - 1 / 2.1);
                const double band = fc.ringMm > 0 ? fc.ringMm * kMm : 65;
                const OffsetCurve inner(cx, cy, m.widthTwips / 2 - inset, m.heightTwips / 2 - inset, band);
                boxes.push_back(b0);
                boxes.push_back(b1);
                for (const Box& b : boxes)
                    for (const QPointF& c : b.c)
                        EXPECT_LE(std::fabs(c.x() - cx), inner.halfWidthAt(c.y() - cy) + 1);
            }
        }
    }
}

TEST(SealForms, LowerLinesOfDigitsAndLatinAreCentredInTheFittedLayout)
{
    for (const char* line : {"1234567890123", "Qorvel Ltd", "iiiiiiiiii", "WWWWWWWW", "专用章"}) {
        Plomet p;
        p.InitProperties();
        p.setFit(true);
        p.setPText(QString());
        p.setPText1(QString::fromUtf8(line));
        p.Draw();
        const DrawingModel& m = p.image()->model();
        const auto ts = textsOf(m);
        const DrawnText& l = ts.back();
        ASSERT_EQ(l.text, QString::fromUtf8(line));
        EXPECT_NEAR(emBox(l, m).centre().x(), m.widthTwips / 2, 0.5 * kMm) << line;
        EXPECT_EQ(l.angleDeg, 0);
    }
}

TEST(SealForms, OvalBandAndTextCurveFor40By30)
{
    Plomet p;
    p.InitProperties();
    sizeSeal(p, 40, 30);
    p.setShape(Shape::Oval);
    p.setRingWidth(1.0 * kMm);
    p.setFit(true);
    p.setRText(QStringLiteral("甲乙丙丁戊己庚辛壬癸子丑寅卯"));
    p.Draw();
    const DrawingModel& m = p.image()->model();
    const auto es = ellipsesOf(m);
    ASSERT_EQ(es.size(), 1u);
    const DrawnEllipse& band = es[0];
    // The band's outer edge is the 40 x 30 mm ellipse; it is 1 mm wide.
    EXPECT_NEAR(band.rx + band.penWidth / 2, 20 * kMm, 1.5);
    EXPECT_NEAR(band.ry + band.penWidth / 2, 15 * kMm, 1.5);
    EXPECT_NEAR(band.penWidth, 1.0 * kMm, 0.01);
    EXPECT_NEAR(band.cx, m.widthTwips / 2, 0.5);
    EXPECT_NEAR(band.cy, m.heightTwips / 2, 0.5);

    // Every glyph's em box has its centre at one distance inside the outer
    // ellipse, measured along the ellipse's normal, and is turned to that normal.
    const double ax = 20 * kMm, ay = 15 * kMm;
    const auto ts = textsOf(m);
    double dist0 = -1;
    for (int i = 0; i < 14; ++i) {
        const Box b = emBox(ts[size_t(i)], m);
        const QPointF c = b.centre();
        const double t = closestParam(band.cx, band.cy, ax, ay, c);
        const QPointF onEllipse(band.cx + ax * std::sin(t), band.cy - ay * std::cos(t));
        const double dist = std::hypot(c.x() - onEllipse.x(), c.y() - onEllipse.y());
        if (dist0 < 0)
            dist0 = dist;
        EXPECT_NEAR(dist, dist0, 1.0) << "glyph " << i;
        // The normal of the ellipse at t, and the glyph's up direction.
        const double nx = std::sin(t) / ax, ny = -std::cos(t) / ay;
        const double normalDeg = std::atan2(nx, -ny) * 180 / kPiD;
        double diff = std::fmod(ts[size_t(i)].angleDeg - normalDeg + 540.0, 360.0) - 180.0;
        EXPECT_NEAR(diff, 0, 0.05) << "glyph " << i;
    }
    // Glyph tops 0.5 mm inside the band: the centre sits half an em further in.
    const double em = ts[0].pixelHeight * m.twipsPerPixelY;
    EXPECT_NEAR(dist0, 1.0 * kMm + kFitMargin + em / 2, 1.0);
}

TEST(SealForms, OvalNameIsSpacedByEqualArcLengthAlongItsBaseline)
{
    for (bool fit : {false, true}) {
        Plomet p;
        p.InitProperties();
        sizeSeal(p, 40, 30);
        p.setShape(Shape::Oval);
        p.setFit(fit);
        p.setSpace(0);
        p.setRText(QStringLiteral("甲乙丙丁戊己庚辛壬癸子丑寅卯辰巳"));
        p.Draw();
        const DrawingModel& m = p.image()->model();
        const auto ts = textsOf(m);
        const double cx = std::round(m.widthTwips / 2), cy = std::round(m.heightTwips / 2);
        const double inset = std::min(m.widthTwips, m.heightTwips) * (0.5 - 1 / 2.1);
        const double ax = m.widthTwips / 2 - inset, ay = m.heightTwips / 2 - inset;
        const double em = ts[0].pixelHeight * m.twipsPerPixelY;
        std::vector<double> params;
        double d = 0;
        for (int i = 0; i < 16; ++i) {
            const QPointF c = emBox(ts[size_t(i)], m).centre();
            const double t = closestParam(cx, cy, ax, ay, c);
            params.push_back(t > kPiD ? t - 2 * kPiD : t);
            const QPointF e(cx + ax * std::sin(t), cy - ay * std::cos(t));
            d = std::hypot(c.x() - e.x(), c.y() - e.y()) + em / 2;   // the baseline: half an em further in
        }
        std::vector<double> arcs, paramSteps;
        for (size_t i = 1; i < params.size(); ++i) {
            arcs.push_back(parallelArc(ax, ay, d, params[i - 1], params[i]));
            paramSteps.push_back(params[i] - params[i - 1]);
        }
        const auto [amin, amax] = std::minmax_element(arcs.begin(), arcs.end());
        EXPECT_LT(*amax / *amin, 1.01) << (fit ? "fitted" : "natural");
        // The parameter steps are not equal: that is what equal arcs cost.
        const auto [pmin, pmax] = std::minmax_element(paramSteps.begin(), paramSteps.end());
        EXPECT_GT(*pmax / *pmin, 1.1);
        // Centred on 12 o'clock: the middle of the run is at parameter 0.
        EXPECT_NEAR((params.front() + params.back()) / 2, 0, 0.002);
    }
}

TEST(SealForms, CodeAlongTheLowerArcReadsLeftToRightWithTopsInward)
{
    for (bool oval : {false, true}) {
        Plomet p;
        p.InitProperties();
        if (oval) {
            sizeSeal(p, 40, 30);
            p.setShape(Shape::Oval);
        } else {
            sizeSeal(p, 42, 42);
        }
        p.setPText1(QString());
        p.setShowStar(false);
        p.setRText(QString());
        p.setCodeText(QStringLiteral("1234567890123"));
        p.Draw();
        const DrawingModel& m = p.image()->model();
        const auto ts = textsOf(m);
        ASSERT_EQ(ts.size(), 13u);
        const double cx = std::round(m.widthTwips / 2), cy = std::round(m.heightTwips / 2);
        double lastX = -1e9;
        for (size_t i = 0; i < ts.size(); ++i) {
            EXPECT_EQ(ts[i].text, QStringLiteral("1234567890123").mid(qsizetype(i), 1));
            EXPECT_EQ(ts[i].face, QStringLiteral("Arial"));
            const Box b = emBox(ts[i], m);
            const QPointF c = b.centre();
            EXPECT_GT(c.x(), lastX) << "left to right";
            lastX = c.x();
            EXPECT_GT(c.y(), cy) << "below the centre";
            // Tops inward: the up direction of the glyph points to the centre side.
            const double a = ts[i].angleDeg * kPiD / 180;
            const QPointF up(std::sin(a), -std::cos(a));
            const QPointF toCentre(cx - c.x(), cy - c.y());
            EXPECT_GT(QPointF::dotProduct(up, toCentre) / std::hypot(toCentre.x(), toCentre.y()), 0.8);
            if (!oval)
                EXPECT_NEAR(QPointF::dotProduct(up, toCentre) / std::hypot(toCentre.x(), toCentre.y()), 1.0, 1e-4);
        }
        // Centred on 6 o'clock: the middle digit is upright straight below the centre.
        const Box mid = emBox(ts[6], m);
        EXPECT_NEAR(mid.centre().x(), cx, 1.0);
        EXPECT_NEAR(ts[6].angleDeg, 0, 0.05);
        // Just inside the band: the glyph's outer edge 0.5 mm from its inner edge.
        const double inset = std::min(m.widthTwips, m.heightTwips) * (0.5 - 1 / 2.1);
        const double bottomOfBand = cy + m.heightTwips / 2 - inset - 65;
        EXPECT_NEAR(std::max({mid.c[0].y(), mid.c[1].y(), mid.c[2].y(), mid.c[3].y()}),
                    bottomOfBand - kFitMargin, 1.0);
    }
}

TEST(SealForms, MidTextIsCondensedToItsWidthAndReplacesTheSign)
{
    Plomet p;
    p.InitProperties();
    sizeSeal(p, 40, 30);
    p.setShape(Shape::Oval);
    p.setMidText(QStringLiteral("91110108MA01234567"));
    p.setMidFontSize(10.5f);
    p.setMidTextWidth(23.4 * kMm);
    p.Draw();
    const DrawingModel& m = p.image()->model();
    std::optional<DrawnText> mid;
    for (const DrawnText& t : textsOf(m)) {
        EXPECT_NE(t.text, QStringLiteral("★"));
        if (t.text == QStringLiteral("91110108MA01234567"))
            mid = t;
    }
    ASSERT_TRUE(mid.has_value());
    const Box b = emBox(*mid, m);
    EXPECT_NEAR(b.c[1].x() - b.c[0].x(), 23.4 * kMm, 1.0);
    EXPECT_LT(mid->stretch, 1.0);
    EXPECT_NEAR(b.centre().x(), std::round(m.widthTwips / 2), 1.0);
    EXPECT_NEAR(b.centre().y(), std::round(m.heightTwips / 2), 1.0);
    EXPECT_EQ(mid->angleDeg, 0);

    // Without a width of its own it still never reaches into the band.
    p.setMidTextWidth(0);
    p.setMidText(QString(60, QLatin1Char('8')));
    p.Draw();
    for (const DrawnText& t : textsOf(p.image()->model()))
        if (t.text.startsWith(QStringLiteral("8888"))) {
            const Box w = emBox(t, p.image()->model());
            EXPECT_LE(w.c[1].x() - w.c[0].x(), 2 * (20 * kMm - 65 - kFitMargin));
            EXPECT_GT(w.c[1].x() - w.c[0].x(), 2 * 10 * kMm);
        }
}

TEST(SealForms, InnerRingRadii)
{
    Plomet p;
    p.InitProperties();
    sizeSeal(p, 42, 42);
    p.setRingWidth(1.2 * kMm);
    p.setInnerRing(0.3 * kMm);
    p.setInnerRingGap(0.8 * kMm);
    p.Draw();
    const auto es = ellipsesOf(p.image()->model());
    ASSERT_EQ(es.size(), 2u);
    const double R = 21 * kMm;
    EXPECT_NEAR(es[0].rx, R - 0.6 * kMm, 1.5);
    EXPECT_NEAR(es[0].ry, es[0].rx, 1e-9);
    EXPECT_NEAR(es[1].rx, R - 1.2 * kMm - 0.8 * kMm - 0.15 * kMm, 1.5);
    EXPECT_NEAR(es[1].penWidth, 0.3 * kMm, 1e-9);
    // The inner ring's outer edge 0.8 mm inside the band's inner edge.
    EXPECT_NEAR((es[0].rx - es[0].penWidth / 2) - (es[1].rx + es[1].penWidth / 2), 0.8 * kMm, 1e-6);

    // On the classic band the inner ring is added to the 51 circles.
    p.setRingWidth(0);
    p.Draw();
    const auto classic = ellipsesOf(p.image()->model());
    ASSERT_EQ(classic.size(), 1u);
    EXPECT_NEAR(classic[0].penWidth, 0.3 * kMm, 1e-9);
}

TEST(SealForms, TooLongNamesShrinkSpacingThenSizeAndNeverOverlap)
{
    Plomet p;
    p.InitProperties();
    sizeSeal(p, 40, 30);
    p.setShape(Shape::Oval);
    p.setSpace(2);
    p.setFontSize(14);
    p.setRText(nameOf(0, 40));
    p.Draw();
    const DrawingModel& m = p.image()->model();
    const auto ts = textsOf(m);
    std::vector<Box> boxes;
    for (int i = 0; i < 40; ++i)
        boxes.push_back(emBox(ts[size_t(i)], m));
    for (size_t i = 0; i < boxes.size(); ++i)
        for (size_t j = i + 1; j < boxes.size(); ++j)
            ASSERT_FALSE(overlap(boxes[i], boxes[j])) << i << " " << j;
    EXPECT_LT(ts[0].pixelHeight, 14 * 20 / 15.0) << "the size gave way";
    EXPECT_EQ(ts[0].stretch, 1.0) << "never condensed outside the fitted layout";
    EXPECT_EQ(p.FontSize(), 14.0f) << "the property keeps its value";

    // A name that fits once its blanks narrow keeps its size.
    p.setFontSize(9);
    p.setRText(nameOf(0, 16));
    p.setSpace(6);
    p.Draw();
    EXPECT_EQ(textsOf(p.image()->model())[0].pixelHeight, 12);
}

TEST(SealForms, RenderedOvalAndCodeShowWhereTheModelSaysAt300Dpi)
{
    Plomet p;
    p.InitProperties();
    sizeSeal(p, 40, 30);
    p.setShape(Shape::Oval);
    p.setRingWidth(1.0 * kMm);
    p.setFit(true);
    p.setRText(QString());
    p.setShowStar(false);
    p.setPText1(QString());
    p.setCodeText(QStringLiteral("8888888888888"));
    p.setCodeFontSize(10);
    p.Draw();
    const DrawingModel& m = p.image()->model();
    const QImage img = rasterize(m, 300);
    const double s = 300.0 / 1440;
    const double cx = std::round(m.widthTwips / 2), cy = std::round(m.heightTwips / 2);
    auto red = [&](double x, double y) {
        const QRgb c = img.pixel(int(x * s), int(y * s));
        return qRed(c) > 200 && qGreen(c) < 80 && qBlue(c) < 80;
    };
    auto white = [&](double x, double y) { return img.pixel(int(x * s), int(y * s)) == qRgb(255, 255, 255); };
    const double ax = 20 * kMm, ay = 15 * kMm, mid = 0.5 * kMm;
    // The band on both axes, and clear on either side of it.
    for (const QPointF& d : {QPointF(0, -1), QPointF(0, 1), QPointF(1, 0), QPointF(-1, 0)}) {
        EXPECT_TRUE(red(cx + d.x() * (ax - mid), cy + d.y() * (ay - mid))) << d.x() << "," << d.y();
        EXPECT_TRUE(white(cx + d.x() * (ax + mid), cy + d.y() * (ay + mid)));
        EXPECT_TRUE(white(cx + d.x() * (ax - 2.5 * mid), cy + d.y() * (ay - 2.5 * mid)));
    }
    // On the diagonal the outer edge is the ellipse's, not a circle's.
    const double t = kPiD / 4;
    EXPECT_TRUE(red(cx + (ax - mid) * std::sin(t), cy - (ay - mid) * std::cos(t)));
    EXPECT_TRUE(white(cx + (ax + mid) * std::sin(t), cy - (ay + mid) * std::cos(t)));
    // The code's ink lies at the bottom, between the band and the centre;
    // none anywhere in the upper half inside the band.
    int codeInk = 0, upperInk = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            if (img.pixel(x, y) == qRgb(255, 255, 255))
                continue;
            const double tx = x / s - cx, ty = y / s - cy;
            const double r = std::hypot(tx / (ax - 1.6 * kMm), ty / (ay - 1.6 * kMm));
            if (r < 1 && ty > 0.5 * ay)
                ++codeInk;
            if (r < 1 && ty < 0)
                ++upperInk;
        }
    EXPECT_GT(codeInk, 500);
    EXPECT_EQ(upperInk, 0);
    // The middle of the code (the 7th glyph) is upright at 6 o'clock: ink
    // straight below the centre, within its em box 0.5 mm inside the band.
    const double em = 10 * 20.0;
    bool inkBelow = false;
    for (double y = cy + ay - 1.0 * kMm - kFitMargin - em; y < cy + ay - 1.0 * kMm - kFitMargin; y += 2)
        inkBelow = inkBelow || !white(cx, y);
    EXPECT_TRUE(inkBelow);
}
