#include "seal/SettingText.h"

#include "seal/Errors.h"
#include "seal/Plomet.h"
#include "seal/Properties.h"
#include <QCoreApplication>

namespace plomet {

namespace {

[[noreturn]] void unknown(const QString& name)
{
    throw PlometError(PlometError::Kind::Format,
                      QCoreApplication::translate("Seal", "unknown setting “%1” (known: %2)").arg(name, settingNames().join(QStringLiteral(", "))));
}

const PropertyRow& rowOf(const QString& name)
{
    const PropertyRow* r = findProperty(name);
    if (!r)
        unknown(name);
    return *r;
}

} // namespace

QString settingText(const Plomet& seal, const QString& name)
{
    const PropertyRow& r = rowOf(name);
    return valueText(r, seal.value(r));
}

bool isLengthSetting(const QString& name)
{
    const PropertyRow* r = findProperty(name);
    return r && r->isLength();
}

void copySettings(const Plomet& from, Plomet& to)
{
    for (const PropertyRow& r : propertyRows())
        to.setValue(r, from.value(r));
}

QStringList settingNames()
{
    QStringList out;
    for (const PropertyRow& r : propertyRows())
        out << r.qname();
    return out;
}

void applySetting(Plomet& seal, const QString& name, const QString& value)
{
    const PropertyRow& r = rowOf(name);
    const ParsedValue v = parseValue(r, value, Reading::Setting);
    if (!v.ok())
        throw PlometError(PlometError::Kind::TypeMismatch,
                          QCoreApplication::translate("Seal", "the value of setting %1 is not valid: %2").arg(r.qname(), v.problem));
    seal.setValue(r, v.value);
}

void applySetting(Plomet& seal, const QString& assignment)
{
    const qsizetype eq = assignment.indexOf(QLatin1Char('='));
    if (eq <= 0)
        throw PlometError(PlometError::Kind::Format,
                          QCoreApplication::translate("Seal", "the setting “%1” should be written name=value").arg(assignment));
    applySetting(seal, assignment.left(eq).trimmed(), assignment.mid(eq + 1));
}

} // namespace plomet
