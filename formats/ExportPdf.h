#pragma once
// The part of writing a seal's PDF that edits the document Qt drew: through
// qpdf, which the program that draws rasters alone does not load (it starts
// in half the time without qpdf and its cryptography).
#include "formats/Export.h"
#include "seal/DrawingModel.h"

#include <QByteArray>

namespace plomet {

// Worn ink in the vector files: the ink stays vector and the wear goes with it
// as a soft mask, a grey image of the wear field over the whole surface
// (vector shapes of the wear would be thousands of tiny outlines, and lose
// the soft edges and the pressure gradient). 360 dpi puts four mask pixels
// across the finest specks (16 twips), and viewers interpolate between them.
constexpr double kWearMaskDpi = 360;

// Qt's one-page PDF of model m (wPt x hPt points) as the file is written: an
// engraving gets the page box of the seal's exact size, a worn seal its wear
// as a soft mask; any other is Qt's as it is. Throws PlometError.
QByteArray finishedPdf(const QByteArray& qtPdf, const DrawingModel& m, const ExportOptions& options, double wPt,
                       double hPt);

} // namespace plomet
