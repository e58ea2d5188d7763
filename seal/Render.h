#pragma once
// Renders a drawing model onto any paint device at any resolution. The screen
// picture, bitmap and PNG files, SVG, PDF and the printer all come through here.
#include "seal/DrawingModel.h"
#include <QImage>
#include <QPainterPath>
#include <QSize>
#include <vector>

class QPainter;

namespace plomet {

struct RenderOptions {
    bool transparent = false;    // leave the background out (alpha)
    bool glyphOutlines = false;  // glyphs as filled outlines instead of text runs (vector files)
    bool leaveWear = false;      // paint the ink unworn: the caller carries the wear (a soft mask)
    bool coverage = false;       // the ink's coverage alone, one byte a pixel (a seal in one colour)
};

// Pixel size of a surface of w x h twips at dpi dots per inch, rounded half to even.
QSize rasterSize(double widthTwips, double heightTwips, double dpi);

// Paints the model with the painter's origin at the surface's top-left corner,
// scaled by pixelsPerTwip device units per twip. A worn seal (aging above 0)
// goes onto the device as an image at that resolution, its ink scaled by the
// wear pixel by pixel, unless options.leaveWear.
void paintModel(QPainter& painter, const DrawingModel& model, double pixelsPerTwip,
                const RenderOptions& options = {});

// The model as an image at dpi (96 gives the screen picture pixel for pixel).
// Opaque images are RGB32, transparent ones ARGB32_Premultiplied; with
// options.coverage, Alpha8: the alpha a transparent image would have.
QImage rasterize(const DrawingModel& model, double dpi, const RenderOptions& options = {});

// The ink of the model as filled outlines in twips, in drawing order: each
// text as its glyphs' outlines, placed and turned as painted, and each band
// of touching concentric rings as the area between its edges. Each path
// fills by its own rule (odd-even); two paths may overlap.
struct InkShape {
    QPainterPath path;
    QRgb color;
};
std::vector<InkShape> inkShapes(const DrawingModel& model);

} // namespace plomet
