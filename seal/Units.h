#pragma once
// Units, each defined once. Drawing coordinates are twips: 1/20 point,
// 1/1440 inch; a screen pixel at 96 dpi is 15 twips. A computed number that
// becomes an integer is rounded half to even (roundHalfEven), as everywhere.
#include "seal/NumberText.h"

namespace plomet {

constexpr double kTwipsPerInch = 1440.0;
constexpr double kTwipsPerPoint = 20.0;
constexpr double kPointsPerInch = 72.0;
constexpr double kMillimetresPerInch = 25.4;
constexpr double kMetresPerInch = 0.0254;
constexpr double kTwipsPerMm = kTwipsPerInch / kMillimetresPerInch;     // 56.69...
constexpr double kPointsPerMm = kPointsPerInch / kMillimetresPerInch;
constexpr double kScreenDpi = 96.0;
constexpr double kTwipsPerScreenPixel = kTwipsPerInch / kScreenDpi;     // 15

// Device pixels per twip at a resolution in dots per inch.
constexpr double pixelsPerTwip(double dpi) { return dpi / kTwipsPerInch; }
// Millimetres to whole twips (42 mm is 2381 twips).
inline double twipsFromMm(double mm) { return roundHalfEven(mm * kTwipsPerMm); }
// Dots per inch as dots per metre, the unit of PNG and BMP headers.
inline int dotsPerMetre(double dpi) { return static_cast<int>(roundHalfEven(dpi / kMetresPerInch)); }

} // namespace plomet
