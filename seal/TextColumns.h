#pragma once
// How wide a text shows on a terminal, for help that is wrapped to fit one
// in Chinese as in English.
#include <QString>

namespace plomet {

// The columns a character takes on a terminal: two for CJK ideographs and
// full-width forms, one for the rest.
int columns(QChar c);
int columns(const QString& s);

} // namespace plomet
