#pragma once
// The font and size lists of the settings dialog.
#include <QStringList>

class QComboBox;

namespace plomet {

// The installed font families, each once, in the order the platform gives.
QStringList screenFontNames();
// The 129 size texts 8, 8.5, 9, … 71.5, 72 (no "8.0", no "8.50").
QStringList sizeTexts();

// Add the entries after any already present; neither clears nor sorts.
void FillFontList(QComboBox& list);
void FillSizeList(QComboBox& list);

} // namespace plomet
