#pragma once
// Anti-aliased ink written straight into an image's pixels: an outline is
// turned into FreeType's fixed-point form and its coverage, cell by cell
// the exact area inside it, is laid over the pixels source-over in one
// colour. No painter, no intermediate image: the pixels depend on the
// outline, the colour and what the image held before, nothing else. (A
// band's or a glyph's coverage is kept for the next seal that has it at the
// same place, and is the coverage the rasteriser would give it again.)
//
// The images are Format_RGB32 (opaque), Format_ARGB32_Premultiplied, or
// Format_Alpha8 (the coverage alone, as the alpha of the premultiplied one).
#include "seal/GlyphOutlines.h"

#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QRgb>
#include <QString>
#include <QTransform>

#include <functional>

namespace plomet {

// Fills path, mapped by toDevice (an affine transform) into the image's
// pixels, by the path's fill rule, in color (its alpha is not used: ink is
// opaque). Curves go in as chords within 1/64 pixel of them. Parts outside
// the image are left out. A path beyond the rasteriser's reach (more than 32767 points,
// points more than 2^18 pixels away, a projective transform) is filled by
// QPainter instead, the same shape.
void inkFill(QImage& image, const QPainterPath& path, const QTransform& toDevice, QRgb color);

// What a glyph's outline is made of: the same name gives the same outline
// (its face as the seal names it, its em in whole pixels, its weight and its
// text).
struct GlyphName {
    const QString& face;
    int px;
    int weight;
    const QString& text;
};

// Fills a text's glyphs as inkFill fills run.path(), by its fill rule, each
// glyph's points mapped as path() maps them (without joining them into one
// path first). A thread keeps the coverage of the glyphs it filled last, by
// name, transform and image size, and lays it down again for the same glyph
// at the same place: the names of a batch share their legal form and trade,
// which fall at the same places on every seal of a length. glyphs() is
// asked for only when the glyph is filled afresh.
void inkFillGlyph(QImage& image, const GlyphName& glyph, const std::function<GlyphRun()>& glyphs,
                  const QTransform& toDevice, QRgb color);

// The band a pen of penWidth pixels draws along the ellipse with semi-axes
// rx, ry around centre (device pixels): between the curves parallel to the
// ellipse at penWidth / 2 inside and outside it, each within 1/256 pixel
// (to 16000 points an edge). A circle whose inner edge reaches the centre
// is a disc. An ellipse whose inner edge would fold over itself (a pen wider
// than twice its tightest radius of curvature), or a pen of no width, is
// stroked by QPainter instead, as it draws such a pen.
void inkStrokeEllipse(QImage& image, QPointF centre, double rx, double ry, double penWidth, QRgb color);

} // namespace plomet
