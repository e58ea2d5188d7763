#include "seal/ArcText.h"

#include "seal/Errors.h"
#include "seal/Gdi.h"
#include "seal/NumberText.h"

#include <QCoreApplication>
#include <QHash>
#include <algorithm>
#include <cmath>

namespace plomet {

namespace {

// Coordinates go to 16 bits: clamp instead of wrapping round, so a point far
// outside lands at the edge of the range rather than on the other side.
int16_t clamp16(int32_t v)
{
    return static_cast<int16_t>(std::clamp<int32_t>(v, -32768, 32767));
}

int32_t clamp32(double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<int32_t>(std::clamp(roundHalfEven(v), -2147483648.0, 2147483647.0));
}

// The per-degree arc length on a circle of radius r twips.
int32_t perDegree(int32_t r)
{
    return clamp32(double(r) * kPi * 2.0 / 360.0);
}

// The glyph's turn, 360 - mu rounded. Its tenths must fit 16 bits; a turn
// beyond that (a huge start angle or a very long text) is the same turn
// reduced by whole circles.
int16_t glyphAngle(double mu)
{
    double a = roundHalfEven(360.0 - mu);
    if (std::fabs(a) > 3276.0)
        a = std::fmod(a, 360.0);
    return static_cast<int16_t>(a);
}

// Restores the previous font and deletes ours, also when printing throws.
class SelectedFont {
public:
    SelectedFont(GdiDC& dc, HFONT font) : dc_(dc), font_(font), previous_(dc.SelectObject(font)) {}
    ~SelectedFont()
    {
        dc_.SelectObject(previous_);
        dc_.DeleteObject(font_);
    }
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;
private:
    GdiDC& dc_;
    HFONT font_;
    HFONT previous_;
};

} // namespace

QPoint ArcPoint(int32_t cx, int32_t cy, double angle, int32_t rx, int32_t ry)
{
    const double k = kPi / 180.0;
    const double x = double(cx) - double(rx) * std::sin(-angle * k);
    const double y = double(cy) - double(ry) * std::sin((angle + 90.0) * k);
    return QPoint(clamp32(x), clamp32(y));
}

void DrawRotatedChar(int16_t angle, Surface& surface, const QString& faceName, float size,
                     int16_t x, int16_t y, const QString& ch)
{
    LogFont lf;
    // Height in whole pixels, negative (the character's em height), capped at
    // 32767 twips worth so a huge size cannot overflow.
    const double maxPx = std::floor(32767.0 / surface.TwipsPerPixelY());
    const double h = roundHalfEven(double(size) * -20.0 / surface.TwipsPerPixelY());
    lf.lfHeight = static_cast<int32_t>(std::clamp(std::isnan(h) ? 0.0 : h, -maxPx, maxPx));
    lf.lfEscapement = static_cast<int16_t>(angle * 10);
    lf.lfWeight = surface.FontBold() ? 800 : 400;
    // The record holds the face name in GBK. A name GBK cannot hold (a
    // Korean face, say) is a detail of the record, not a reason to draw
    // nothing: the glyph draws with the installed face nearest the name,
    // and the command line warns about it as about a missing glyph.
    const bool inGbk = setFaceName(lf, faceName);

    GdiDC& dc = surface.hDC();
    const HFONT font = dc.CreateFontIndirectA(lf, inGbk ? QString() : faceName);
    if (font == 0)
        throw PlometError(PlometError::Kind::Platform,
                          QCoreApplication::translate("Seal", "cannot make the font “%1”").arg(faceName));
    SelectedFont selected(dc, font);
    surface.setCurrentX(x);
    surface.setCurrentY(y);
    surface.Print(ch);
}

void DrawArcText(Surface& surface, const QString& text, int32_t cx, int32_t cy, int32_t& r,
                 double Degree)
{
    int32_t f = perDegree(r);
    double g = 0;
    if (Degree == -1) {
        if (f <= 0)
            return;   // the circle is too small to set anything on
        const double W = surface.TextWidth(text);
        g = std::floor(360.0 - (W / f) / 2.0);
    } else if (Degree == -2) {
        const double W = surface.TextWidth(text);
        r = clamp32((W / 2.0) / kPi);
        f = perDegree(r);
        g = -2;
    } else {
        g = Degree;
    }
    // Under 29 twips f rounds to 0: a text circle that small shows nothing.
    // A start angle that is not a number places nothing either.
    if (f <= 0 || !std::isfinite(g))
        return;
    // A huge start angle loses nothing by dropping whole turns, and keeps the
    // angle sums precise.
    if (std::fabs(g) >= 360.0 * 1024)
        g = std::fmod(g, 360.0);

    // Every prefix's width in one pass: measuring each prefix afresh is
    // quadratic in the length of the name.
    const std::vector<double> widths = surface.PrefixWidths(text);
    const QString face = surface.FontName();
    const float size = surface.FontSize();
    // Characters, not UTF-16 units: a character beyond the basic plane is
    // one glyph, never two halves of a surrogate pair.
    qsizetype i = 0;
    const qsizetype n = std::min<qsizetype>(text.size(), 32767);
    while (i < n) {
        const qsizetype len = (text[i].isHighSurrogate() && i + 1 < text.size()
                               && text[i + 1].isLowSurrogate()) ? 2 : 1;
        const double wP = widths[static_cast<size_t>(i)];
        const QString ch = text.mid(i, len);
        const double wCh = surface.TextWidth(ch);   // the character measured alone
        const double theta = g + wP / f;
        const QPoint p = ArcPoint(cx, cy, theta, r, r);
        const double mu = g + (wP + 0.5 * wCh) / f;
        const int16_t a = glyphAngle(mu);
        DrawRotatedChar(a, surface, face, size, clamp16(p.x()), clamp16(p.y()), ch);
        i += len;
    }
}

} // namespace plomet
