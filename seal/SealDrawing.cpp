#include "seal/SealDrawing.h"

#include "seal/ArcText.h"
#include "seal/NumberText.h"
#include "seal/RecordingSurface.h"
#include "seal/SealForm.h"

#include <algorithm>
#include <cmath>

namespace plomet {

namespace {

// The longest spaced name that is set along the ring: a 16-bit character count.
constexpr qsizetype kMaxArcChars = 32767;

// The name with `space` blanks after every character but the last, kept
// within the 16-bit character count the ring can set.
QString spacedName(const QString& name, int32_t space)
{
    if (name.isEmpty())
        return QString();
    // Characters, not UTF-16 units: never put blanks inside a surrogate pair.
    QList<qsizetype> starts;
    for (qsizetype i = 0; i < name.size(); ++i)
        if (!(name[i].isLowSurrogate() && i > 0 && name[i - 1].isHighSurrogate()))
            starts << i;
    const qsizetype n = starts.size();
    // A negative count means no blanks; a huge one is cut so that the name
    // still fits: n + (n - 1) * blanks <= 32767.
    // A single character has no blanks after it, whatever the count (the
    // gap was made anyway: 4 GB for a Space of 2^31-1).
    qsizetype blanks = n > 1 ? std::max<int32_t>(space, 0) : 0;
    if (n > 1)
        blanks = std::min<qsizetype>(blanks, std::max<qsizetype>(0, (kMaxArcChars - name.size()) / (n - 1)));
    QString out;
    out.reserve(std::min<qsizetype>(name.size() + (n - 1) * blanks, kMaxArcChars + 1));
    const QString gap(blanks, QLatin1Char(' '));
    for (qsizetype k = 0; k < n; ++k) {
        const qsizetype end = k + 1 < n ? starts[k + 1] : name.size();
        out += QStringView(name).mid(starts[k], end - starts[k]);
        if (k + 1 < n)
            out += gap;
    }
    return out;
}

bool usableSize(float size) { return std::isfinite(size) && size > 0; }

// Twips to a 32-bit integer, clamped rather than overflowing.
int32_t roundTo32(double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<int32_t>(std::clamp(roundHalfEven(v), -2147483648.0, 2147483647.0));
}

// What every form's drawing works with: the surface with the name's font
// and the colour set, the centre, the ring and the texts at their drawn sizes.
struct Layout {
    Surface& s;
    const SealSpec& spec;
    QString spaced;            // the name with its blanks
    float fontSize;            // as drawn (0 chosen)
    int32_t cx, cy;            // centre, twips
    float m;                   // the smaller side
    RingGeometry ring;
    SealTexts texts;
};

// The classic name: rotated glyphs along the text circle at m / 2.3.
void arcName(Layout& l)
{
    // The full-circle mode picks its own radius (left in textRadius).
    int32_t textRadius = roundTo32(double(l.m) / 2.3);
    if (usableSize(l.fontSize))
        DrawArcText(l.s, l.spaced, l.cx, l.cy, textRadius, l.spec.degree);
}

// The name along the band's own curve (an oval, the fitted layout); the em
// boxes of its glyphs are what the fitted lower lines keep clear of.
std::vector<GlyphBox> curvedName(Layout& l)
{
    if (!usableSize(l.fontSize))
        return {};
    std::vector<GlyphBox> boxes = drawCurvedName(l.s, l.ring, l.texts, l.spec);
    l.s.setFontSize(l.fontSize);
    return boxes;
}

// The centre: a middle line, the fitted sign, or the classic sign centred
// by the cell estimate (twips per pixel + 4 per point). Returns what the
// fitted lower lines go below.
std::vector<GlyphBox> centre(Layout& l)
{
    Surface& s = l.s;
    const SealSpec& spec = l.spec;
    std::vector<GlyphBox> boxes;
    if (!spec.midText.isEmpty()) {
        const GlyphBox b = drawMidText(s, l.ring, spec);
        if (b[0] != b[2])
            boxes.push_back(b);
    } else if (spec.fit) {
        boxes = drawFittedSign(s, l.ring, l.texts);
    } else if (spec.showStar && l.texts.starSize > 0) {
        // Only for ShowStar exactly True; only the sign's first character (a
        // surrogate pair whole).
        s.setFontSize(float(l.texts.starSize));
        const float sz = s.FontSize();
        s.setCurrentX(l.cx - (s.TwipsPerPixelX() + 4) * sz / 2);
        s.setCurrentY(l.cy - (s.TwipsPerPixelY() + 4) * sz / 2);
        const QString& sign = spec.midSign;
        if (!sign.isEmpty()) {
            const qsizetype len = (sign.size() > 1 && sign[0].isHighSurrogate() && sign[1].isLowSurrogate()) ? 2 : 1;
            s.Print(sign.left(len));
        }
    }
    return boxes;
}

// The lower lines: bold off, 0.85 of the name's size, centred by the cell
// estimate; in the fitted layout centred by their measured width and kept
// inside the band, clear of `above` and `obstacles`.
void lowerLines(Layout& l, const std::vector<GlyphBox>& above, const std::vector<GlyphBox>& obstacles)
{
    Surface& s = l.s;
    const SealSpec& spec = l.spec;
    const float lowerSize = spec.fit && spec.lowerFontSize > 0 ? spec.lowerFontSize : l.fontSize * 0.85f;
    if (!usableSize(lowerSize))
        return;
    if (spec.fit) {
        drawFittedLowerLines(s, l.ring, spec, l.texts, above, obstacles);
        return;
    }
    auto line = [&](const QString& text, double top) {
        if (text.isEmpty())
            return;
        s.setFontBold(false);
        s.setFontSize(lowerSize);
        const float sz = s.FontSize();
        s.setCurrentX(l.cx - sz * float(text.size()) * (s.TwipsPerPixelX() + 4) / 2);
        s.setCurrentY((s.TwipsPerPixelY() + 4) * sz / 2 + top);
        s.Print(text);
    };
    const int star = l.texts.starSize;
    line(spec.pText, double(l.cy) + star + 150);
    line(spec.pText1, double(l.cy) + 2.0 * star + 350);
}

// The code along the lower arc (the fitted lower lines keep clear of it).
void code(Layout& l, std::vector<GlyphBox>& obstacles)
{
    if (l.spec.isClassic())
        return;
    const std::vector<GlyphBox> boxes = drawCode(l.s, l.ring, l.spec);
    obstacles.insert(obstacles.end(), boxes.begin(), boxes.end());
}

// The round seal: ring and texts on the circle of the smaller side. The
// classic band is 51 one-pixel circles, radii within 16 bits, its outer edge
// at m / 2.1; a band of its own width is stroked.
void drawRound(Layout& l)
{
    std::vector<GlyphBox> obstacles;
    if (l.spec.fit)
        obstacles = curvedName(l);
    else
        arcName(l);
    const std::vector<GlyphBox> above = centre(l);
    code(l, obstacles);
    lowerLines(l, above, obstacles);
    if (l.ring.classicBand) {
        const float R = l.m / 2.1f;
        const double from = std::clamp(roundHalfEven(double(R) - 50), -32768.0, 32767.0);
        const double to = std::clamp(roundHalfEven(double(R)), -32768.0, 32767.0);
        for (double i = from; i <= to; i += 1)
            l.s.Circle(l.cx, l.cy, i);
    }
    drawFormRing(l.s, l.ring, l.spec);
}

// The oval: band and name follow the ellipse inscribed in the seal's area.
void drawOval(Layout& l)
{
    std::vector<GlyphBox> obstacles = curvedName(l);
    const std::vector<GlyphBox> above = centre(l);
    code(l, obstacles);
    lowerLines(l, above, obstacles);
    drawFormRing(l.s, l.ring, l.spec);
}

// Each Shape's drawing, by its value.
constexpr void (*kForms[])(Layout&) = {drawRound, drawOval};

} // namespace

float drawnFontSize(const SealSpec& spec)
{
    if (spec.fontSize != 0)
        return spec.fontSize;
    return spec.rText.size() < 6 ? 16.0f : 12.0f;
}

int drawnSignSize(const SealSpec& spec) { return spec.starSize == 0 ? 24 : spec.starSize; }

void drawSeal(const SealSpec& given, Surface& s)
{
    // A size below nothing is none (as the control takes it).
    SealSpec spec = given;
    for (float* side : {&spec.width, &spec.height})
        *side = std::isfinite(*side) ? std::max(0.0f, *side) : 0.0f;
    s.Resize(spec.width, spec.height);
    s.Cls();
    Layout l{s, spec, spacedName(spec.rText, spec.space), drawnFontSize(spec), 0, 0, 0, {}, {}};
    // The name's font and the colour: the arc text measures and sets in it.
    s.setFontSize(l.fontSize);
    s.setFontName(spec.fontName);
    s.setFontBold(spec.fontBold);
    s.setForeColor(spec.foreColor);
    l.cx = roundTo32(s.Width() / 2.0);
    l.cy = roundTo32(s.Height() / 2.0);
    l.m = std::min(spec.height, spec.width);
    l.ring = ringGeometry(spec, spec.width, spec.height, l.cx, l.cy, s.TwipsPerPixelX());
    l.texts = {spec.rText, l.spaced,    l.fontSize,  spec.fontBold, spec.degree, spec.showStar,
               drawnSignSize(spec), spec.midSign, spec.pText, spec.pText1};
    const auto form = std::size_t(spec.shape);
    kForms[form < std::size(kForms) ? form : 0](l);
    s.setAging(std::clamp(spec.aging, 0, 100), spec.agingSeed);
}

DrawingModel sealModel(const SealSpec& spec, float twipsPerPixelX, float twipsPerPixelY)
{
    RecordingSurface s(twipsPerPixelX, twipsPerPixelY);
    drawSeal(spec, s);
    return s.model();
}

} // namespace plomet
