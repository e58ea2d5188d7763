#pragma once
// The settings dialog's reading of a field's text, in the dialog's words.
//
// The value comes from the property table's parser (parseValue) with the
// field's reading:
//  - Reading::Strict: the whole text, blanks before and after aside, must be
//    a plain number (sign, digits, "." and fraction, exponent). The sizes.
//  - Reading::Lenient: blanks, tabs and line feeds are ignored wherever they
//    stand; a number is read as far as it goes ("3x" is 3, "abc" is 0); E or
//    D introduces an exponent; a leading &H / &O reads a hexadecimal / octal
//    whole number. The character spacing and the text angle.
// Whole-number types are rounded half to even. A text that gives no value
// throws PlometError naming the field (its label as the user sees it, for
// example "公章宽度") and what the field expects: Kind::TypeMismatch for a
// text that is not a number, Kind::Overflow for a number outside the type.
#include "seal/Properties.h"
#include <QString>
#include <QVariant>

namespace plomet {

// The value of `text` for the row, in the row type's C++ type (see
// Properties.h); a text row takes the text as it is.
QVariant fieldValue(const PropertyRow& row, const QString& text, Reading reading, const QString& field);

} // namespace plomet
