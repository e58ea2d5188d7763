#include "seal/NumberText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <limits>

namespace plomet {

double roundHalfEven(double v) noexcept
{
    // nearbyint follows the current rounding mode, which is round-to-nearest,
    // ties-to-even unless someone changed it (nobody in this program does).
    return std::nearbyint(v);
}

namespace {

// Plain decimal text of v with at most `digits` significant digits.
QString plainDecimal(double v, int digits)
{
    if (std::isnan(v))
        return QStringLiteral("NaN");
    if (std::isinf(v))
        return v < 0 ? QStringLiteral("-Infinity") : QStringLiteral("Infinity");
    if (v == 0)
        return QStringLiteral("0");   // -0 too

    // "d.dddddde+XX": the significant digits and the decimal exponent, rounded
    // by the C library (correctly, half to even on the exact binary value).
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", digits - 1, std::fabs(v));
    QString mantissa;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p != '.')
            mantissa += QLatin1Char(*p);
    const int exponent = (*p == 'e') ? std::atoi(p + 1) : 0;
    while (mantissa.size() > 1 && mantissa.endsWith(QLatin1Char('0')))
        mantissa.chop(1);

    QString out;
    if (v < 0)
        out += QLatin1Char('-');
    if (exponent >= 0) {
        const int intDigits = exponent + 1;
        if (mantissa.size() <= intDigits) {
            out += mantissa;
            out += QString(intDigits - mantissa.size(), QLatin1Char('0'));
        } else {
            out += mantissa.left(intDigits);
            out += QLatin1Char('.');
            out += mantissa.mid(intDigits);
        }
    } else {
        out += QStringLiteral("0.");
        out += QString(-exponent - 1, QLatin1Char('0'));
        out += mantissa;
    }
    return out;
}

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }
bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

} // namespace

QString numberTextSingle(float v) { return plainDecimal(static_cast<double>(v), 7); }
QString numberTextDouble(double v) { return plainDecimal(v, 15); }
QString numberTextLong(int64_t v) { return QString::number(static_cast<qlonglong>(v)); }

std::optional<double> parseStrictNumber(const QString& text)
{
    int b = 0, e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    int i = b;
    if (i < e && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    int digits = 0;
    while (i < e && isDigit(text[i])) { ++i; ++digits; }
    if (i < e && text[i] == QLatin1Char('.')) {
        ++i;
        while (i < e && isDigit(text[i])) { ++i; ++digits; }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < e && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        ++i;
        if (i < e && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
            ++i;
        int expDigits = 0;
        while (i < e && isDigit(text[i])) { ++i; ++expDigits; }
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != e)
        return std::nullopt;
    // The text is plain ASCII now. strtod in the "C" locale: the user's
    // locale must not turn "." into something else. Underflow gives 0 or a
    // subnormal, which is the nearest Double and fine.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    const QByteArray ascii = text.mid(b, e - b).toLatin1();
    const double v = strtod_l(ascii.constData(), nullptr, cLocale);
    if (!std::isfinite(v))
        return std::nullopt;   // beyond the range of a Double
    return v;
}

std::optional<int16_t> toInteger16(double v)
{
    const double r = roundHalfEven(v);
    if (!(r >= -32768.0 && r <= 32767.0))
        return std::nullopt;
    return static_cast<int16_t>(r);
}

std::optional<int32_t> toLong32(double v)
{
    const double r = roundHalfEven(v);
    if (!(r >= -2147483648.0 && r <= 2147483647.0))
        return std::nullopt;
    return static_cast<int32_t>(r);
}

std::optional<float> toSingle(double v)
{
    if (std::isnan(v) || std::isinf(v))
        return static_cast<float>(v);
    // FLT_MAX is 2^128 - 2^104; a value from halfway to the next power
    // (2^128 - 2^103) upwards rounds to infinity.
    if (std::fabs(v) >= std::ldexp(1.0, 128) - std::ldexp(1.0, 103))
        return std::nullopt;
    return static_cast<float>(v);
}

} // namespace plomet
