#pragma once
// The shared text form of numbers: "." as decimal point, no thousands
// separator, no trailing zeros, no point for whole numbers, "-" before
// negatives; at most 7 significant digits for a Single, 15 for a Double.
// Always plain decimal (never an exponent), so every reader understands it.
#include <QString>
#include <cstdint>
#include <optional>

namespace plomet {

// Nearest integer, an exact half to the even neighbour. Every conversion of a
// computed number to an integer in this program rounds this way.
double roundHalfEven(double v) noexcept;

// 12 -> "12", 10.5f -> "10.5", -1 -> "-1", 2055.0f -> "2055".
QString numberTextSingle(float v);
QString numberTextDouble(double v);
QString numberTextLong(int64_t v);

// The one reading of a number's text, strict or lenient, on which every
// reader builds (the property table's parseValue for files, settings, the
// settings dialog's fields and the host's store). It gives the number, or the
// reason there is none; each place words the reason in its own way.
//
// Strict: the whole text, blanks before and after aside, is a plain decimal
// number as the description file and the dialog's strict fields accept it:
// optional sign, digits, optional "." and fraction, optional exponent (E or
// e). Empty or anything else is NotANumber.
// Lenient: as the settings dialog's lenient fields read a text; never
// NotANumber: blanks, tabs and line feeds are ignored wherever they stand; a
// number is read as far as it goes ("3x" is 3, "abc" is 0); E or D introduces
// an exponent; a leading &H / &O reads a hexadecimal / octal whole number.
// Either way, digits that name a number beyond a Double's range ("1e400") are
// TooLarge.
enum class NumberSyntax { Strict, Lenient };
struct NumberRead {
    enum class Problem { None, NotANumber, TooLarge };
    double value = 0;
    Problem problem = Problem::None;
    bool ok() const { return problem == Problem::None; }
};
NumberRead readNumber(const QString& text, NumberSyntax syntax);

// readNumber(text, Strict) as a value or nothing (for a reader with one
// message for both reasons).
std::optional<double> parseStrictNumber(const QString& text);

// The lenient scan itself: the number, +/-infinity when the digits name one
// beyond a Double's range.
double lenientNumber(const QString& text);

// Range-checked narrowing after rounding half to even; nullopt on overflow
// (or NaN).
std::optional<int16_t> toInteger16(double v);
std::optional<int32_t> toLong32(double v);
// Single precision; nullopt when a finite value does not fit a float.
std::optional<float> toSingle(double v);

} // namespace plomet
