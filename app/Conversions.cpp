#include "app/Conversions.h"

#include "seal/Errors.h"

#include <QCoreApplication>

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
        ? QCoreApplication::translate("plomet::Conversions", "it is empty now.")
        : QCoreApplication::translate("plomet::Conversions", "%1 is not a number.").arg(quoted(text));
    throw PlometError(PlometError::Kind::TypeMismatch,
                      QCoreApplication::translate("plomet::Conversions", "\"%1\" wants a number (for example 12 or 2055.5); %2").arg(field, why));
}

[[noreturn]] void outOfRange(const QString& text, const QString& field, const QString& range)
{
    throw PlometError(PlometError::Kind::Overflow,
                      QCoreApplication::translate("plomet::Conversions", "\"%1\" wants a number %2; %3 is out of that range.")
                          .arg(field, range, quoted(text)));
}

// The range of a type, as the dialog's messages say it.
QString rangeWords(const PropertyRow& row)
{
    switch (row.type) {
    case ValueType::Integer: return QCoreApplication::translate("plomet::Conversions", "from -32768 to 32767");
    case ValueType::Long:
    case ValueType::Colour: return QCoreApplication::translate("plomet::Conversions", "from -2147483648 to 2147483647");
    case ValueType::Single: return QCoreApplication::translate("plomet::Conversions", "of absolute value at most 3.4E+38");
    default: return QCoreApplication::translate("plomet::Conversions", "of absolute value at most 1.79E+308");
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
