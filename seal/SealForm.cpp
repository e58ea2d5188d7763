#include "seal/SealForm.h"

#include "seal/OffsetCurve.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace plomet {

namespace {

constexpr double kDegPerRad = 57.29577951308232;

// The surface's font, put back when a part that changed it is done.
class KeepFont {
public:
    explicit KeepFont(Surface& s) : s_(s), face_(s.FontName()), size_(s.FontSize()), bold_(s.FontBold()) {}
    ~KeepFont()
    {
        s_.setFontName(face_);
        s_.setFontSize(size_);
        s_.setFontBold(bold_);
    }
    KeepFont(const KeepFont&) = delete;
    KeepFont& operator=(const KeepFont&) = delete;
private:
    Surface& s_;
    QString face_;
    float size_;
    bool bold_;
};

bool usable(double v) { return std::isfinite(v) && v > 0; }

// The current font's em height in twips.
double emOf(const Surface& s) { return double(s.FontSize()) * 20.0; }

struct Glyph {
    QString ch;
    double width = 0;   // unstretched advance, twips
    bool blank = false;
};

// The characters of text (a surrogate pair is one) with their measured
// advances: each is drawn on its own, so each takes its own advance.
std::vector<Glyph> glyphsOf(const Surface& s, const QString& text)
{
    std::vector<Glyph> out;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype len = (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2 : 1;
        Glyph g;
        g.ch = text.mid(i, len);
        g.width = std::max(0.0, s.TextWidth(g.ch));
        g.blank = g.ch.trimmed().isEmpty();
        out.push_back(g);
        i += len;
    }
    return out;
}

QPointF turn(const QPointF& v, double c, double sn)
{
    return QPointF(v.x() * c - v.y() * sn, v.x() * sn + v.y() * c);
}

// Prints text so that the centre of its em box lies at centre, its top
// towards up (a unit vector), condensed by stretch in its own frame. A
// cell's top is the top of its em box whatever the face, so the centre lies
// half an em below the corner.
GlyphBox placeText(Surface& s, const QString& text, double advance, QPointF centre, QPointF up, double stretch)
{
    const double em = emOf(s);
    const double phi = std::atan2(up.x(), -up.y());
    const double c = std::cos(phi), sn = std::sin(phi);
    const QPointF local(stretch * advance / 2.0, em / 2.0);
    const QPointF corner = centre - turn(local, c, sn);
    s.PrintTurned(text, corner.x(), corner.y(), phi * kDegPerRad, stretch);
    const double hw = stretch * advance / 2.0, hh = em / 2.0;
    return {centre + turn(QPointF(-hw, -hh), c, sn), centre + turn(QPointF(hw, -hh), c, sn),
            centre + turn(QPointF(hw, hh), c, sn), centre + turn(QPointF(-hw, hh), c, sn)};
}

// Makes the surface's font smaller so that need twips become about avail;
// false when it cannot get smaller.
bool shrinkFont(Surface& s, double need, double avail)
{
    const float before = s.FontSize();
    const double tpp = s.TwipsPerPixelY();
    const double px = std::round(double(before) * 20.0 / tpp);
    if (px <= 1)
        return false;
    double target = std::floor(px * std::max(0.0, avail / need));
    target = std::min(target, px - 1);
    if (target < 1)
        return false;
    s.setFontSize(float(target * tpp / 20.0));
    return s.FontSize() > 0 && s.FontSize() < before;
}

// The x range, relative to x0, of a box's part within y0..y1; false when none.
bool xRangeInStrip(const GlyphBox& box, double y0, double y1, double x0, double& lo, double& hi)
{
    double top = box[0].y(), bottom = top;
    for (const QPointF& p : box) {
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    if (bottom < y0 || top > y1)
        return false;
    // Clip by y >= y0, then y <= y1 (Sutherland-Hodgman): at most 8 corners.
    struct Poly {
        QPointF p[12];
        int n = 0;
    };
    auto clip = [](const Poly& in, double y, bool keepBelow) {
        Poly out;
        for (int i = 0; i < in.n; ++i) {
            const QPointF a = in.p[i], b = in.p[(i + 1) % in.n];
            const bool ina = keepBelow ? a.y() >= y : a.y() <= y;
            const bool inb = keepBelow ? b.y() >= y : b.y() <= y;
            if (ina)
                out.p[out.n++] = a;
            if (ina != inb)
                out.p[out.n++] = QPointF(a.x() + (y - a.y()) / (b.y() - a.y()) * (b.x() - a.x()), y);
        }
        return out;
    };
    Poly poly;
    for (const QPointF& p : box)
        poly.p[poly.n++] = p;
    poly = clip(clip(poly, y0, true), y1, false);
    if (poly.n == 0)
        return false;
    lo = std::numeric_limits<double>::max();
    hi = std::numeric_limits<double>::lowest();
    for (int i = 0; i < poly.n; ++i) {
        lo = std::min(lo, poly.p[i].x() - x0);
        hi = std::max(hi, poly.p[i].x() - x0);
    }
    return true;
}

QString firstCharacter(const QString& text)
{
    if (text.isEmpty())
        return QString();
    const qsizetype len = (text.size() > 1 && text[0].isHighSurrogate() && text[1].isLowSurrogate()) ? 2 : 1;
    return text.left(len);
}

} // namespace

QString shapeText(Shape s) { return s == Shape::Oval ? QStringLiteral("Oval") : QStringLiteral("Round"); }

bool parseShape(const QString& text, Shape& out)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("Round"), Qt::CaseInsensitive) == 0 || t == QLatin1String("0")) {
        out = Shape::Round;
        return true;
    }
    if (t.compare(QLatin1String("Oval"), Qt::CaseInsensitive) == 0 || t == QLatin1String("1")) {
        out = Shape::Oval;
        return true;
    }
    return false;
}

bool SealForm::isClassic() const
{
    const SealForm d;
    return shape == d.shape && ringWidth == d.ringWidth && innerRing == d.innerRing && codeText.isEmpty()
        && midText.isEmpty() && !fit;
}

RingGeometry ringGeometry(const SealForm& form, double width, double height, double cx, double cy,
                          double twipsPerPixelX)
{
    RingGeometry g;
    g.cx = cx;
    g.cy = cy;
    g.m = std::min(height, width);
    // The classic ring's outer edge lies at m / 2.1: the oval keeps that inset
    // from the control's edges on both axes.
    const double inset = g.m / 2.0 - g.m / 2.1;
    if (form.shape == Shape::Oval) {
        g.ax = std::max(0.0, width / 2.0 - inset);
        g.ay = std::max(0.0, height / 2.0 - inset);
    } else {
        g.ax = g.ay = g.m / 2.1;
    }
    g.classicBand = form.shape == Shape::Round && !(form.ringWidth > 0);
    // The classic band: 50 twips between the centres of its outermost
    // circles, plus the one-pixel pen.
    g.band = form.ringWidth > 0 ? form.ringWidth : 50.0 + twipsPerPixelX;
    g.rim = g.band;
    if (form.innerRing > 0)
        g.rim += std::max(0.0, form.innerRingGap) + form.innerRing;
    return g;
}

void drawFormRing(Surface& s, const RingGeometry& g, const SealForm& form)
{
    const double half = g.band / 2.0;
    if (!g.classicBand)
        s.Ellipse(g.cx, g.cy, std::max(0.0, g.ax - half), std::max(0.0, g.ay - half), g.band);
    if (form.innerRing > 0) {
        const double d = g.band + std::max(0.0, form.innerRingGap) + form.innerRing / 2.0;
        if (g.ax > d && g.ay > d)
            s.Ellipse(g.cx, g.cy, g.ax - d, g.ay - d, form.innerRing);
    }
}

std::vector<GlyphBox> drawCurvedName(Surface& s, const RingGeometry& g, const SealTexts& t, const SealForm& form)
{
    std::vector<GlyphBox> boxes;
    const QString text = form.fit ? t.name : t.spacedName;
    if (text.isEmpty() || !usable(s.FontSize()) || !std::isfinite(t.degree))
        return boxes;
    // Glyph tops just inside the band in the fitted layout; elsewhere as far
    // inside the outer edge as the classic text circle is.
    const double dTop = form.fit ? g.rim + kFitMargin : g.m / 2.1 - g.m / 2.3;
    const bool full = t.degree == -2;
    const bool centred = t.degree == -1;
    // The arc of the upper half that a name may take: a little more on an
    // oval for long names, whose ends then run into the flat sides.
    std::vector<Glyph> glyphs = glyphsOf(s, text);
    const double n = double(glyphs.size());
    double span = 260;
    if (form.fit)
        span = form.shape == Shape::Oval ? 210.0 + 50.0 * std::clamp((n - 8.0) / 16.0, 0.0, 1.0) : 240.0;
    const double sigmaMin = form.fit ? 0.5 : 1.0;

    double sigma = 1, gap = 0, blankScale = 1;
    for (int round = 0;; ++round) {
        const double em = emOf(s);
        const auto curveP = OffsetCurve::shared(g.cx, g.cy, g.ax, g.ay, dTop + em);
        const OffsetCurve& curve = *curveP;
        double avail = curve.length();
        if (centred)
            avail = curve.arcAtAngle(span / 2) - curve.arcAtAngle(-span / 2);
        else if (!full)
            avail = curve.arcAtAngle(t.degree + span) - curve.arcAtAngle(t.degree);
        double wGlyph = 0, wBlank = 0;
        for (const Glyph& gl : glyphs)
            (gl.blank ? wBlank : wGlyph) += gl.width;
        const double natural = wGlyph + wBlank;
        const double gaps = full ? n : std::max(1.0, n - 1);
        sigma = 1;
        gap = 0;
        blankScale = 1;
        bool fits = true;
        if (form.fit) {
            // Fill the span; a short name keeps its gaps within one glyph's width.
            gap = n > 1 || full ? (avail - natural) / gaps : 0;
            if (!full)
                gap = std::min(gap, natural / std::max(1.0, n));
            if (gap < 0) {
                gap = 0;
                sigma = avail / natural;   // condensed, as seal makers cut them
                fits = sigma >= sigmaMin;
            }
        } else {
            // Too long: the blanks give way first, then the size.
            if (natural > avail) {
                if (wGlyph <= avail && wBlank > 0)
                    blankScale = (avail - wGlyph) / wBlank;
                else {
                    blankScale = 0;
                    fits = wGlyph <= avail;
                }
            }
            if (full && fits)
                gap = (avail - (wGlyph + wBlank * blankScale)) / gaps;   // once around
        }
        if (fits || round > 40) {
            if (!fits)
                return boxes;
            // Offsets along the curve, then the glyphs.
            double sStart;
            double total = 0;
            for (const Glyph& gl : glyphs)
                total += sigma * gl.width * (gl.blank ? blankScale : 1) + gap;
            if (!full)
                total -= gap;
            if (centred)
                sStart = -total / 2;
            else
                sStart = curve.arcAtAngle(t.degree);
            double o = 0;
            for (const Glyph& gl : glyphs) {
                const double w = sigma * gl.width * (gl.blank ? blankScale : 1);
                if (!gl.blank) {
                    const double sc = sStart + o + w / 2;
                    const QPointF nrm = curve.normalAt(sc);
                    const QPointF c = curve.pointAt(sc) + nrm * (em / 2);
                    boxes.push_back(placeText(s, gl.ch, gl.width, c, nrm, sigma));
                }
                o += w + gap;
            }
            return boxes;
        }
        const double need = form.fit ? natural * sigmaMin : wGlyph;
        if (!shrinkFont(s, need, avail))
            return boxes;
        glyphs = glyphsOf(s, text);
    }
}

std::vector<GlyphBox> drawCode(Surface& s, const RingGeometry& g, const SealForm& form)
{
    std::vector<GlyphBox> boxes;
    if (form.codeText.isEmpty() || !usable(form.codeFontSize))
        return boxes;
    KeepFont keep(s);
    s.setFontName(form.codeFontName);
    s.setFontBold(false);
    s.setFontSize(form.codeFontSize);
    std::vector<Glyph> glyphs = glyphsOf(s, form.codeText);
    const double n = double(glyphs.size());
    const double space = std::isfinite(form.codeSpace) ? std::max(0.0, form.codeSpace) : 0.0;
    for (int round = 0; round < 40; ++round) {
        const double em = emOf(s);
        if (!(em > 0))
            return boxes;
        // Spacing measured along the glyphs' tops, the inner and tighter side.
        const auto topsP = OffsetCurve::shared(g.cx, g.cy, g.ax, g.ay, g.rim + kFitMargin + em);
        const OffsetCurve& tops = *topsP;
        // The lower arc between about 4 and 8 o'clock, clear of a name that
        // fills its upper arc.
        const double avail = tops.arcAtAngle(230) - tops.arcAtAngle(130);
        double w = 0;
        for (const Glyph& gl : glyphs)
            w += gl.width;
        double gap = space, sigma = 1;
        if (w + gap * (n - 1) > avail) {
            gap = n > 1 ? std::max(0.0, (avail - w) / (n - 1)) : 0;
            if (w > avail)
                sigma = avail / w;
        }
        if (sigma < 0.6) {
            if (!shrinkFont(s, w * 0.6, avail))
                return boxes;
            glyphs = glyphsOf(s, form.codeText);
            continue;
        }
        double total = -gap;
        for (const Glyph& gl : glyphs)
            total += sigma * gl.width + gap;
        // Left to right is anticlockwise along the lower arc.
        const double s180 = tops.arcAtAngle(180);
        double o = 0;
        for (const Glyph& gl : glyphs) {
            const double gw = sigma * gl.width;
            if (!gl.blank) {
                const double sc = s180 + total / 2 - (o + gw / 2);
                const QPointF nrm = tops.normalAt(sc);
                const QPointF c = tops.pointAt(sc) + nrm * (em / 2);
                boxes.push_back(placeText(s, gl.ch, gl.width, c, -nrm, sigma));
            }
            o += gw + gap;
        }
        return boxes;
    }
    return boxes;
}

GlyphBox drawMidText(Surface& s, const RingGeometry& g, const SealForm& form)
{
    KeepFont keep(s);
    s.setFontName(form.codeFontName);
    s.setFontBold(false);
    s.setFontSize(usable(form.midFontSize) ? form.midFontSize : 0.0f);
    const double em = emOf(s);
    if (!(em > 0) || form.midText.isEmpty())
        return {};
    const double w = s.TextWidth(form.midText);
    const auto innerP = OffsetCurve::shared(g.cx, g.cy, g.ax, g.ay, g.rim + kFitMargin);
    const OffsetCurve& inner = *innerP;
    double limit = 2 * std::min(inner.halfWidthAt(-em / 2), inner.halfWidthAt(em / 2));
    if (form.midTextWidth > 0)
        limit = std::min(limit, form.midTextWidth);
    if (!(w > 0) || !(limit > 0))
        return {};
    const double sigma = std::min(1.0, limit / w);
    return placeText(s, form.midText, w, QPointF(g.cx, g.cy), QPointF(0, -1), sigma);
}

std::vector<GlyphBox> drawFittedSign(Surface& s, const RingGeometry& g, const SealTexts& t)
{
    const QString sign = firstCharacter(t.midSign);
    if (!t.showStar || t.starSize <= 0 || sign.isEmpty())
        return {};
    KeepFont keep(s);
    // The sign's size is given for the 2055-twip control; it grows with the seal.
    s.setFontSize(float(t.starSize * g.m / 2055.0));
    if (!(emOf(s) > 0))
        return {};
    return {placeText(s, sign, s.TextWidth(sign), QPointF(g.cx, g.cy), QPointF(0, -1), 1.0)};
}

std::vector<GlyphBox> drawFittedLowerLines(Surface& s, const RingGeometry& g, const SealForm& form,
                                           const SealTexts& t,
                                           const std::vector<GlyphBox>& above,
                                           const std::vector<GlyphBox>& obstacles)
{
    std::vector<GlyphBox> boxes;
    QStringList lines;
    for (const QString& l : {t.pText, t.pText1})
        if (!l.isEmpty())
            lines << l;
    if (lines.isEmpty())
        return boxes;
    KeepFont keep(s);
    s.setFontBold(false);
    s.setFontSize(form.lowerFontSize > 0 ? form.lowerFontSize : t.fontSize * 0.85f);
    if (!(emOf(s) > 0))
        return boxes;
    const auto innerP = OffsetCurve::shared(g.cx, g.cy, g.ax, g.ay, g.rim + kFitMargin);
    const OffsetCurve& inner = *innerP;
    const double innerY = g.ay - g.rim - kFitMargin;
    // The lowest line sits about two thirds of the way down to the band; the
    // others stack above it, all below the sign or middle line.
    double topLimit = 0;
    for (const GlyphBox& b : above)
        for (const QPointF& p : b)
            topLimit = std::max(topLimit, p.y() - g.cy);
    double em = emOf(s);
    topLimit += above.empty() ? 0 : 0.25 * em;
    const double bottom = 0.62 * innerY + em / 2;
    const double k = double(lines.size());
    const double need = k * em + (k - 1) * 0.3 * em;
    if (bottom - topLimit < need) {
        if (!shrinkFont(s, need, std::max(0.0, bottom - topLimit)))
            return boxes;
        em = emOf(s);
    }
    // Each line as wide as the band and the glyphs around it allow at the
    // height it would take: the stack with its bottom at b.
    auto condensing = [&](double b, std::vector<double>& sigmas) {
        sigmas.assign(size_t(lines.size()), 0.0);
        double worst = 1;
        double y1 = b;
        for (qsizetype i = lines.size() - 1; i >= 0; --i) {
            const double y0 = y1 - em;
            double half = std::min(inner.halfWidthAt(y0), inner.halfWidthAt(y1));
            for (const GlyphBox& box : obstacles) {
                double lo, hi;
                if (!xRangeInStrip(box, g.cy + y0 - kFitMargin, g.cy + y1 + kFitMargin, g.cx, lo, hi))
                    continue;
                if (lo >= 0)
                    half = std::min(half, lo - kFitMargin);
                else if (hi <= 0)
                    half = std::min(half, -hi - kFitMargin);
                else
                    half = 0;   // a glyph across the middle: no room at this height
            }
            const double w = s.TextWidth(lines[i]);
            double sigma = half > 0 && w > 0 ? std::min(1.0, 2 * half / w) : 0.0;
            // Narrower characters when the form asks for them, never wider.
            if (form.lowerCharWidth > 0 && w > 0)
                sigma = std::min(sigma, form.lowerCharWidth * double(lines[i].toUcs4().size()) / w);
            sigmas[size_t(i)] = sigma;
            worst = std::min(worst, sigmas[size_t(i)]);
            y1 = y0 - 0.3 * em;
        }
        return worst;
    };
    // The usual place, or higher up when a code or the ends of the name
    // crowd it there: the lowest place where nothing needs condensing, else
    // the place that needs the least.
    const double highest = std::min(bottom, topLimit + k * em + (k - 1) * 0.3 * em);
    double best = bottom, bestWorst = -1;
    std::vector<double> sigmas;
    for (double b = bottom; b >= highest - 1e-9; b -= em / 4) {
        const double worst = condensing(b, sigmas);
        if (worst > bestWorst + 1e-9) {
            bestWorst = worst;
            best = b;
        }
        if (worst >= 1)
            break;
    }
    condensing(best, sigmas);
    double y1 = best;
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        const double y0 = y1 - em;
        if (sigmas[size_t(i)] > 0)
            boxes.push_back(placeText(s, lines[i], s.TextWidth(lines[i]), QPointF(g.cx, g.cy + (y0 + y1) / 2),
                                      QPointF(0, -1), sigmas[size_t(i)]));
        y1 = y0 - 0.3 * em;
    }
    return boxes;
}

} // namespace plomet
