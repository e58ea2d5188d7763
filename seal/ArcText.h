#pragma once
// Sets the company name along the ring, one turned glyph per character.
#include "seal/Surface.h"
#include <QPoint>
#include <cstdint>

namespace plomet {

inline constexpr double kPi = 3.1415926;   // the eight-digit value, on purpose

// Places text along the circle of radius r (twips, the outer edge of the text
// band) around (cx, cy), starting at Degree (clockwise from 12 o'clock;
// -1 centres the text on 12 o'clock, -2 runs it once around the full circle
// and writes the radius it chose back into r).
void DrawArcText(Surface& surface, const QString& text, int32_t cx, int32_t cy,
                 int32_t& r, double Degree);

// The point at angle (degrees clockwise from 12 o'clock) on the ellipse with
// radii rx, ry around (cx, cy), rounded half to even.
QPoint ArcPoint(int32_t cx, int32_t cy, double angle, int32_t rx, int32_t ry);

// Draws ch turned clockwise by angle' = 360 - angle... exactly: builds the
// logical font (escapement angle x 10), selects it, prints ch with the
// top-left corner of its cell at (x, y) twips, restores and deletes the font.
void DrawRotatedChar(int16_t angle, Surface& surface, const QString& faceName,
                     float size, int16_t x, int16_t y, const QString& ch);

} // namespace plomet
