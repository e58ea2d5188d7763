#pragma once
// The seal's own text engine: faces found with fontconfig, read with a
// FreeType library of our own. No state is shared with Qt's font engines
// (whose faces keep the transform of the last glyph they rendered), so a
// text measures and draws the same whatever was drawn before, on any
// thread, and a render needs no font database of Qt's.
//
// A face name is what the seal names ("黑体", "Arial", an installed family).
// It stands for the families faceFamilies() lists, the first installed one
// tried first; a character none of them maps comes from fontconfig's
// fallback faces for that family, in fontconfig's order. Texts are set
// glyph after glyph by their unhinted advances (no shaping, no kerning).
// Weights from 600 up are bold: the family's bold file where it has one,
// else the regular outlines emboldened. Every function is thread-safe.
#include <QPainterPath>
#include <QString>
#include <QStringList>
#include <vector>

namespace plomet {

// The face that draws a character for a face name and weight.
struct DrawingFace {
    QString family;          // empty: no installed face maps the character
    bool boldFile = false;   // a bold face file of its own (not emboldened)
    bool fallback = false;   // not one of the families the name stands for
};
DrawingFace drawingFace(const QString& face, int weight, char32_t cp);

// The family the name draws in first (the named family when installed, else
// the first installed one of its style, else fontconfig's stand-in).
QString primaryFamily(const QString& face);

// Whether fontconfig lists a family of that name (any letter case), and
// one that covers simplified Chinese when asked.
bool familyInstalled(const QString& family, bool simplifiedChinese = false);

// The installed families (every name fontconfig lists for each), sorted;
// only those that cover simplified Chinese when asked.
QStringList installedFamilies(bool simplifiedChinese);

// A text's glyphs with ink, in order: each one's outline in ems, the em
// height px it is scaled by and where its origin falls on the baseline, in
// pixels; the whole lifted by lift pixels (y down). path() joins them as
// textOutline gives them (odd-even fill), then lifted; a rasteriser may
// instead map each glyph's points itself, as path() does: x = px ex + x0,
// y = (px ey + 0) + lift, the same sums in the same order.
struct PlacedGlyph {
    QPainterPath em;
    int px;
    double x;
};
struct GlyphRun {
    std::vector<PlacedGlyph> glyphs;
    double lift = 0;
    QPainterPath path() const;
};
GlyphRun textGlyphs(const QString& face, int px, int weight, const QString& text);
// The outline of text at em height px (whole pixels), in those pixels, the
// first glyph's origin on the baseline at (0, 0), y down. Odd-even fill.
// Empty for a text without ink (blanks) or glyphs no face has.
QPainterPath textOutline(const QString& face, int px, int weight, const QString& text);

// The advance of text at em height px, in pixels (not rounded).
double textAdvance(const QString& face, int px, int weight, const QString& text);

// The advance of each prefix of text, by UTF-16 length: out[i] is that of
// text.left(i), out[0] = 0; inside a surrogate pair, that of the pair's start.
std::vector<double> prefixAdvances(const QString& face, int px, int weight, const QString& text);

// How far the baseline lies below the top of the em box of the face that
// draws cp, in pixels at em height px. A CJK face's ideographic em box is
// its typographic ascender and descender scaled to one em; any other face's
// em is centred between its ascender and descender.
double emTopOf(const QString& face, int px, int weight, char32_t cp);

} // namespace plomet
