#pragma once
// What one Draw put on the surface, in twips: the record that every output
// (screen, BMP, PNG, SVG, PDF, printer) renders, and that geometry tests read.
#include <QString>
#include <QRgb>
#include <cstdint>
#include <variant>
#include <vector>

namespace plomet {

// A text drawn with the top-left corner of its first character cell at (x, y),
// turned clockwise by angleDeg about that corner (0 for the unrotated texts).
// A cell is the character's em box, the square of its size: the renderer puts
// the baseline where the face has it below the em box's top.
struct DrawnText {
    double x = 0, y = 0;         // twips
    double angleDeg = 0;         // clockwise degrees
    QString text;
    QString face;                // the face name the seal asked for ("黑体")
    double pixelHeight = 0;      // em height in screen pixels (|lfHeight|)
    int weight = 400;            // 400 normal, 700 bold surface font, 800 bold arc glyph
    QRgb color = 0xffff0000;
    // Horizontal condensing in the text's own frame, before it is turned
    // (1: as the face draws it).
    double stretch = 1;
};

// A circle outline drawn with a pen of penWidth twips (one screen pixel).
struct DrawnCircle {
    double cx = 0, cy = 0, r = 0; // twips
    double penWidth = 15;         // twips
    QRgb color = 0xffff0000;
};

// An ellipse outline stroked with a pen of penWidth twips centred on it: a
// band of constant width (the ring of the newer seal forms, an inner ring).
struct DrawnEllipse {
    double cx = 0, cy = 0;        // twips
    double rx = 0, ry = 0;        // radii of the pen's centre line
    double penWidth = 15;
    QRgb color = 0xffff0000;
};

using DrawnItem = std::variant<DrawnText, DrawnCircle, DrawnEllipse>;

struct DrawingModel {
    double widthTwips = 0;        // the surface's size
    double heightTwips = 0;
    double twipsPerPixelX = 15;   // screen metrics the layout was computed with
    double twipsPerPixelY = 15;
    QRgb background = 0xffffffff; // the surface's own background (window colour)
    int aging = 0;                // worn ink, 0 (none) .. 100; see Wear.cpp
    int32_t agingSeed = 0;        // which wear: the same seed gives the same specks
    std::vector<DrawnItem> items; // in drawing order
};

} // namespace plomet
