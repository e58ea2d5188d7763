#include "seal/SettingText.h"

#include "seal/Errors.h"
#include "seal/Plomet.h"
#include "seal/Properties.h"

namespace plomet {

namespace {

[[noreturn]] void unknown(const QString& name)
{
    throw PlometError(PlometError::Kind::Format,
                      QStringLiteral("未知的设置名“%1”（可用：%2）").arg(name, settingNames().join(QStringLiteral(", "))));
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
                          QStringLiteral("设置 %1 的值无效：%2").arg(r.qname(), v.problem));
    seal.setValue(r, v.value);
}

void applySetting(Plomet& seal, const QString& assignment)
{
    const qsizetype eq = assignment.indexOf(QLatin1Char('='));
    if (eq <= 0)
        throw PlometError(PlometError::Kind::Format,
                          QStringLiteral("设置“%1”应写作 名称=值").arg(assignment));
    applySetting(seal, assignment.left(eq).trimmed(), assignment.mid(eq + 1));
}

} // namespace plomet
