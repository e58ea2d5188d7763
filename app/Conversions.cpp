#include "app/Conversions.h"

#include "seal/Errors.h"
#include "seal/NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace plomet {

namespace {

// The user's text as a message quotes it: long texts are cut so that the
// message box stays readable.
QString quoted(const QString& text)
{
    constexpr int kMaxShown = 40;
    QString shown = text.size() > kMaxShown ? text.left(kMaxShown) + QStringLiteral("…") : text;
    return QStringLiteral("“%1”").arg(shown);
}

[[noreturn]] void notANumber(const QString& text, const QString& field)
{
    const QString why = text.trimmed().isEmpty()
        ? QStringLiteral("现在是空的。")
        : QStringLiteral("%1不是数字。").arg(quoted(text));
    throw PlometError(PlometError::Kind::TypeMismatch,
                      QStringLiteral("“%1”应填写一个数字（例如 12 或 2055.5）；%2").arg(field, why));
}

[[noreturn]] void outOfRange(const QString& text, const QString& field, const QString& range)
{
    throw PlometError(PlometError::Kind::Overflow,
                      QStringLiteral("“%1”应填写%2的数字；%3超出了这个范围。")
                          .arg(field, range, quoted(text)));
}

const QString kIntegerRange = QStringLiteral(" -32768 到 32767 之间");
const QString kSingleRange = QStringLiteral("绝对值不超过 3.4E+38 ");

// A strict reading failed: either the text is no number at all, or it is one
// in plain digits whose size no Double holds ("1e400"). Tell the two apart so
// that the message says the right thing.
[[noreturn]] void notAStrictNumber(const QString& text, const QString& field, const QString& range)
{
    const QString t = text.trimmed();
    bool plainDigits = !t.isEmpty();
    for (QChar c : t)
        if (!(c.isDigit() && c.unicode() < 128) && !QStringLiteral("+-.eE").contains(c))
            plainDigits = false;
    if (plainDigits && std::isinf(lenientNumber(t)))
        outOfRange(text, field, range);
    notANumber(text, field);
}

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

bool isDigit(QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; }

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

int16_t strictToInteger(const QString& text, const QString& field)
{
    const std::optional<double> v = parseStrictNumber(text);
    if (!v)
        notAStrictNumber(text, field, kIntegerRange);
    const std::optional<int16_t> r = std::isfinite(*v) ? toInteger16(*v) : std::nullopt;
    if (!r)
        outOfRange(text, field, kIntegerRange);
    return *r;
}

float strictToSingle(const QString& text, const QString& field)
{
    const std::optional<double> v = parseStrictNumber(text);
    if (!v)
        notAStrictNumber(text, field, kSingleRange);
    const std::optional<float> r = std::isfinite(*v) ? toSingle(*v) : std::nullopt;
    if (!r || !std::isfinite(*r))
        outOfRange(text, field, kSingleRange);
    return *r;
}

int32_t lenientToLong(const QString& text, const QString& field)
{
    const double v = lenientNumber(text);
    const std::optional<int32_t> r = std::isfinite(v) ? toLong32(v) : std::nullopt;
    if (!r)
        outOfRange(text, field, QStringLiteral(" -2147483648 到 2147483647 之间"));
    return *r;
}

double lenientToDouble(const QString& text, const QString& field)
{
    const double v = lenientNumber(text);
    if (!std::isfinite(v))
        outOfRange(text, field, QStringLiteral("绝对值不超过 1.79E+308 "));
    return v;
}

} // namespace plomet
