#pragma once
// Renders a drawing model onto any paint device at any resolution. The screen
// picture, bitmap and PNG files, SVG, PDF and the printer all come through here.
#include "seal/DrawingModel.h"
#include <QImage>
#include <QSize>

class QPainter;

namespace plomet {

struct RenderOptions {
    bool transparent = false;    // leave the background out (alpha)
    bool glyphOutlines = false;  // glyphs as filled outlines instead of text runs (vector files)
    bool leaveWear = false;      // paint the ink unworn: the caller carries the wear (a soft mask)
};

// Pixel size of a surface of w x h twips at dpi dots per inch, rounded half to even.
QSize rasterSize(double widthTwips, double heightTwips, double dpi);

// Paints the model with the painter's origin at the surface's top-left corner,
// scaled by pixelsPerTwip device units per twip. A worn seal (aging above 0)
// goes onto the device as an image at that resolution, its ink scaled by the
// wear pixel by pixel, unless options.leaveWear.
void paintModel(QPainter& painter, const DrawingModel& model, double pixelsPerTwip,
                const RenderOptions& options = {});

// Whether a raster of the model at dpi paints some glyph from its outline
// rather than as a bitmap: the painting library draws glyphs of 64 device
// pixels and more as paths (this answers yes from 60, to be safe). An
// outline is taken from the font file's FreeType face, which still carries
// the sub-pixel offset of the last glyph rasterised from that file (in this
// thread), so it lands up to 1/64 pixel apart depending on what was painted
// before; bitmap glyphs do not.
bool takesGlyphOutlines(const DrawingModel& model, double dpi);

// The model as an image at dpi (96 gives the screen picture pixel for pixel).
// Opaque images are RGB32, transparent ones ARGB32_Premultiplied.
QImage rasterize(const DrawingModel& model, double dpi, const RenderOptions& options = {});

} // namespace plomet
