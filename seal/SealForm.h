#pragma once
// The seal forms beyond the classic round seal: an oval, a band of chosen
// width, an inner ring, a code along the lower arc, a middle line, and the
// fitted layout of a real seal. Every value at its default draws the classic
// seal exactly.
#include "seal/Surface.h"
#include <QPointF>
#include <QString>
#include <array>
#include <vector>

namespace plomet {

enum class Shape { Round = 0, Oval = 1 };

// "Round" / "Oval"; parsing ignores letter case and takes 0 and 1 too.
QString shapeText(Shape s);
bool parseShape(const QString& text, Shape& out);

struct SealForm {
    Shape shape = Shape::Round;
    double ringWidth = 0;        // twips; 0: the classic band
    double innerRing = 0;        // twips; 0: none
    double innerRingGap = 57;    // twips between the band and the inner ring (1 mm)
    QString codeText;            // along the lower arc; empty: none
    QString codeFontName = QStringLiteral("Arial");
    float codeFontSize = 8;      // points
    double codeSpace = 0;        // twips added between the code's characters
    QString midText;             // across the centre in place of the sign; empty: none
    float midFontSize = 10;      // points
    double midTextWidth = 0;     // twips; 0: as wide as the band allows
    // The lower lines in the fitted layout (an invoice seal's "发票专用章" is
    // cut 4.6 mm high and 3 mm wide a character, larger than its name).
    float lowerFontSize = 0;     // points; 0: 0.85 of the name's size
    double lowerCharWidth = 0;   // twips a character; 0: the face's own widths
    bool fit = false;            // the fitted layout

    bool isClassic() const;
};

// One glyph's em box as placed on the surface: four corners in twips, in
// order around the box.
using GlyphBox = std::array<QPointF, 4>;

// The ring of a seal of w x h twips with its centre at (cx, cy).
struct RingGeometry {
    double cx = 0, cy = 0;
    double ax = 0, ay = 0;       // outer edge of the band, semi-axes
    double band = 0;             // band width
    double rim = 0;              // band, gap and inner ring: the ink inside the outer edge
    double m = 0;                // the smaller side
    bool classicBand = true;     // the 51 one-pixel circles
};
RingGeometry ringGeometry(const SealForm& form, double width, double height, double cx, double cy,
                          double twipsPerPixelX);

// The classic texts and sizes the form's drawing works with.
struct SealTexts {
    QString name;          // rText
    QString spacedName;    // with Space blanks
    float fontSize = 12;
    bool fontBold = false;
    double degree = -1;
    bool showStar = true;
    int starSize = 24;
    QString midSign;
    QString pText, pText1;
};

// Draws the band unless it is the classic one, and the inner ring if any.
void drawFormRing(Surface& s, const RingGeometry& g, const SealForm& form);

// The name along the upper arc of an oval, or in the fitted layout. The
// surface's font is the name's (face, size, bold); it may be made smaller.
// Returns the em boxes of the drawn glyphs.
std::vector<GlyphBox> drawCurvedName(Surface& s, const RingGeometry& g, const SealTexts& t, const SealForm& form);

// The code along the lower arc, centred on 6 o'clock, left to right, tops
// towards the centre. Returns its glyphs' em boxes.
std::vector<GlyphBox> drawCode(Surface& s, const RingGeometry& g, const SealForm& form);

// The middle line centred on the seal's centre, condensed to fit; returns its box.
GlyphBox drawMidText(Surface& s, const RingGeometry& g, const SealForm& form);

// The sign of the fitted layout: scaled with the seal, em box centred.
// Returns its box (empty when nothing is drawn).
std::vector<GlyphBox> drawFittedSign(Surface& s, const RingGeometry& g, const SealTexts& t);

// The lower lines of the fitted layout: centred by measured width, below
// `above` (the sign or middle line), condensed so that they stay inside the
// band and clear of every box in `obstacles`, and to the form's width a
// character when it has one.
std::vector<GlyphBox> drawFittedLowerLines(Surface& s, const RingGeometry& g, const SealForm& form,
                                           const SealTexts& t,
                                           const std::vector<GlyphBox>& above,
                                           const std::vector<GlyphBox>& obstacles);

// Distance between the band's outer edge and the em boxes of text in the
// fitted layout (0.5 mm).
inline constexpr double kFitMargin = 28;

} // namespace plomet
