#include "app/Conversions.h"

#include "seal/Errors.h"
#include "seal/NumberText.h"

#include <cmath>
#include <limits>

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

} // namespace

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
