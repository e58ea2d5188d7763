#pragma once
// Glyph outlines read from the font files themselves, through a FreeType
// library of our own: no face is shared with Qt's font engines, whose faces
// keep the transform (the sub-pixel offset) of the last glyph they rendered.
// So an outline is the same whatever was drawn before, on any thread.
//
// Which face draws a character (the named face or a fallback) and where the
// glyphs of a text stand is still Qt's layout of the text in its font, as
// every surface measures it; only the shapes come from here.
#include <QFont>
#include <QPainterPath>
#include <QString>
#include <optional>

namespace plomet {

// The outline of text set in font, in the font's pixels, the first glyph's
// origin on the baseline at (0, 0), y down; the weight decides a synthetic
// bold for a face that has no bold of its own, as Qt's engines do. Odd-even
// fill, as Qt's own text paths. Empty for a text without ink (blanks) or glyphs no face has.
// Thread-safe.
QPainterPath textOutline(const QFont& font, const QString& text);

// Whether the installed family's own file maps the character to a glyph,
// read from its character map with FreeType (no text engine, no fallback
// faces); nullopt when fontconfig lists no file of the family. Thread-safe.
std::optional<bool> familyHasCharacter(const QString& family, char32_t cp);

} // namespace plomet
