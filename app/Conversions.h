#pragma once
// Turning the settings dialog's field texts into seal values.
//
// Two kinds of reading:
//  - strict: the whole text, blanks before and after aside, must be a plain
//    number (sign, digits, "." and fraction, exponent). Used for the sizes.
//  - lenient: blanks, tabs and line feeds are ignored wherever they stand; a
//    number is read as far as it goes ("3x" is 3, "abc" is 0); E or D
//    introduces an exponent; a leading &H / &O reads a hexadecimal / octal
//    whole number. Used for the character spacing and the text angle.
//
// Every function that can fail throws PlometError naming the field (its label
// as the user sees it, for example "公章宽度") and what the field expects:
// Kind::TypeMismatch for a text that is not a number, Kind::Overflow for a
// number outside the target type.
#include "seal/NumberText.h"   // lenientNumber, parseStrictNumber
#include <QString>
#include <cstdint>

namespace plomet {

// Strict, then rounded half to even; must lie within -32768...32767.
int16_t strictToInteger(const QString& text, const QString& field);
// Strict; must fit a Single (|v| <= 3.4e38).
float strictToSingle(const QString& text, const QString& field);
// Lenient, then rounded half to even; must lie within the 32-bit signed range.
int32_t lenientToLong(const QString& text, const QString& field);
// Lenient; must be a finite Double.
double lenientToDouble(const QString& text, const QString& field);

} // namespace plomet
