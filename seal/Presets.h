#pragma once
// Presets: the values of the seals companies commonly order ("公章",
// "合同专用章", "财务专用章", "发票专用章"). A preset is a list of settings
// as `--set NAME=VALUE` takes them, applied in order; anything set after it
// overrides it. Preset sizes are common practice, not a legal standard.
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

namespace plomet {

using PresetValue = std::pair<QString, QString>;   // NAME, VALUE
using PresetValues = QList<PresetValue>;

// The preset names, in the order they are offered.
QStringList presetNames();

// The preset's size: the outer edge of its band in millimetres (width x
// height; equal for a round seal). Empty for an unknown name.
std::optional<QSizeF> presetSizeMm(const QString& name);

// The settings of preset `name` (exact name), in the order they apply. The
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
