#include "seal/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <limits>
#include <string>

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

namespace {

NumberRead strictNumber(const QString& text)
{
    constexpr auto notANumber = NumberRead{0, NumberRead::Problem::NotANumber};
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
        return notANumber;
    if (i < e && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        ++i;
        if (i < e && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
            ++i;
        int expDigits = 0;
        while (i < e && isDigit(text[i])) { ++i; ++expDigits; }
        if (expDigits == 0)
            return notANumber;
    }
    if (i != e)
        return notANumber;
    // The text is plain ASCII now. strtod in the "C" locale: the user's
    // locale must not turn "." into something else. Underflow gives 0 or a
    // subnormal, which is the nearest Double and fine.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    const QByteArray ascii = text.mid(b, e - b).toLatin1();
    const double v = strtod_l(ascii.constData(), nullptr, cLocale);
    if (!std::isfinite(v))
        return {0, NumberRead::Problem::TooLarge};   // beyond the range of a Double
    return {v, NumberRead::Problem::None};
}

} // namespace

NumberRead readNumber(const QString& text, NumberSyntax syntax)
{
    if (syntax == NumberSyntax::Strict)
        return strictNumber(text);
    const double v = lenientNumber(text);
    if (!std::isfinite(v))
        return {0, NumberRead::Problem::TooLarge};
    return {v, NumberRead::Problem::None};
}

std::optional<double> parseStrictNumber(const QString& text)
{
    const NumberRead r = strictNumber(text);
    return r.ok() ? std::optional<double>(r.value) : std::nullopt;
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

namespace {

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int d = -1;
    if (u >= u'0' && u <= u'9')
        d = u - u'0';
    else if (u >= u'a' && u <= u'f')
        d = 10 + (u - u'a');
    else if (u >= u'A' && u <= u'F')
        d = 10 + (u - u'A');
    return d < base ? d : -1;
}


} // namespace

double lenientNumber(const QString& text)
{
    // Blanks, tabs and line feeds do not count wherever they stand: "1 2" is 12.
    QString s;
    s.reserve(text.size());
    for (QChar c : text)
        if (c != u' ' && c != u'\t' && c != u'\n')
            s.append(c);
    const int n = int(s.size());
    int i = 0;

    // &H1F, &O17: a whole number in base 16 or 8, read as far as the digits go.
    if (n >= 2 && s[0] == u'&') {
        const QChar p = s[1].toUpper();
        const int base = p == u'H' ? 16 : p == u'O' ? 8 : 0;
        if (base != 0) {
            double v = 0;
            for (i = 2; i < n; ++i) {
                const int d = digitValue(s[i], base);
                if (d < 0)
                    break;
                v = v * base + d;
            }
            return v;
        }
    }

    bool negative = false;
    if (i < n && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
    }
    std::string intDigits, fracDigits;
    while (i < n && isDigit(s[i]))
        intDigits.push_back(char(s[i++].unicode()));
    if (i < n && s[i] == u'.') {
        ++i;
        while (i < n && isDigit(s[i]))
            fracDigits.push_back(char(s[i++].unicode()));
    }
    if (intDigits.empty() && fracDigits.empty())
        return 0;   // no leading number at all

    // Exponent: E or D, optional sign, digits. "3E" and "3E+" stop before the
    // letter and read 3.
    long long exponent = 0;
    bool hasExponent = false;
    if (i < n) {
        const QChar e = s[i].toUpper();
        if (e == u'E' || e == u'D') {
            int j = i + 1;
            bool expNegative = false;
            if (j < n && (s[j] == u'+' || s[j] == u'-')) {
                expNegative = s[j] == u'-';
                ++j;
            }
            if (j < n && isDigit(s[j])) {
                hasExponent = true;
                constexpr long long kCap = 1000000;   // far beyond any Double
                while (j < n && isDigit(s[j])) {
                    if (exponent < kCap)
                        exponent = exponent * 10 + (s[j].unicode() - u'0');
                    ++j;
                }
                if (expNegative)
                    exponent = -exponent;
            }
        }
    }

    std::string number = intDigits.empty() ? std::string("0") : intDigits;
    if (!fracDigits.empty())
        number += "." + fracDigits;
    if (hasExponent)
        number += "e" + std::to_string(exponent);

    double v = 0;
    const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), v);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        // Overflow or underflow: the decimal magnitude tells which.
        const auto firstNonZero = intDigits.find_first_not_of('0');
        long long magnitude;
        if (firstNonZero != std::string::npos) {
            magnitude = (long long)(intDigits.size() - firstNonZero) + exponent;
        } else {
            const auto lead = fracDigits.find_first_not_of('0');
            magnitude = (lead == std::string::npos ? 0 : -(long long)lead) + exponent;
        }
        v = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (ec != std::errc()) {
        v = 0;
    }
    return negative ? -v : v;
}

} // namespace plomet
