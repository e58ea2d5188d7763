#include "app/Conversions.h"

#include "seal/Errors.h"

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

// The range of a type, as the dialog's messages say it.
QString rangeWords(const PropertyRow& row)
{
    switch (row.type) {
    case ValueType::Integer: return QStringLiteral(" -32768 到 32767 之间");
    case ValueType::Long:
    case ValueType::Colour: return QStringLiteral(" -2147483648 到 2147483647 之间");
    case ValueType::Single: return QStringLiteral("绝对值不超过 3.4E+38 ");
    default: return QStringLiteral("绝对值不超过 1.79E+308 ");
    }
}

} // namespace

QVariant fieldValue(const PropertyRow& row, const QString& text, Reading reading, const QString& field)
{
    const ParsedValue v = parseValue(row, text, reading);
    switch (v.kind) {
    case ValueProblem::None:
        return v.value;
    case ValueProblem::OutOfRange:
        outOfRange(text, field, rangeWords(row));
    case ValueProblem::OutOfBounds:
        outOfRange(text, field, QStringLiteral(" %1 ").arg(QString::fromUtf8(row.range)));
    default:
        notANumber(text, field);
    }
}

} // namespace plomet
