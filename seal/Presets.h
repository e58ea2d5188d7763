#pragma once
// Presets: the values of the seals companies commonly order ("公章",
// "合同专用章", "财务专用章", "发票专用章"). A preset is a list of property
// rows with their values, applied in table order; anything set after it overrides
// it. Preset sizes are common practice, not a legal standard.
#include "seal/Properties.h"
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <utility>
#include <vector>

namespace plomet {

// A row and its value (as normalised gives it).
using PresetValue = std::pair<const PropertyRow*, QVariant>;
using PresetValues = std::vector<PresetValue>;

// The preset names, in the order they are offered.
QStringList presetNames();

// The preset's size: the outer edge of its band in millimetres (width x
// height; equal for a round seal). Empty for an unknown name.
std::optional<QSizeF> presetSizeMm(const QString& name);

// The preset's name with what it is, in the user's language: "发票专用章
// (invoices, oval 40 × 30 mm, 1 mm band)". Empty for an unknown name.
QString presetSummary(const QString& name);
// Every preset's summary, in the order they are offered, as one list.
QString presetList();

// The values of preset `name` (exact name), in the order they apply. The
// seal's size is the outer edge of its band; fonts, band and sign scale with
// it. outerWidthMm > 0 asks for another size than the preset's own (the
// height follows in proportion); 0 keeps the preset's size. Empty for an
// unknown name.
std::optional<PresetValues> presetSettings(const QString& name, double outerWidthMm = 0);

// The control size in twips whose band's outer edge measures outerWidth x
// outerHeight twips: a round seal's ring lies at m / 2.1 of the smaller side
// m, and an oval keeps the same inset from the control's edges on both axes.
QSizeF controlSizeForBand(bool oval, double outerWidthTwips, double outerHeightTwips);

} // namespace plomet
