#include "seal/SettingText.h"

#include "seal/Errors.h"
#include "seal/NumberText.h"
#include "seal/Plomet.h"

#include <cmath>

namespace plomet {

namespace {

[[noreturn]] void bad(const QString& name, const QString& value, const QString& what)
{
    throw PlometError(PlometError::Kind::TypeMismatch,
                      QStringLiteral("设置 %1 的值“%2”无效：%3").arg(name, value, what));
}

double number(const QString& name, const QString& value)
{
    const auto d = parseStrictNumber(value);
    if (!d)
        bad(name, value, QStringLiteral("不是数字"));
    return *d;
}

bool boolean(const QString& name, const QString& value)
{
    const QString v = value.trimmed();
    if (v.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (v.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    if (const auto d = parseStrictNumber(v))
        return *d != 0;
    bad(name, value, QStringLiteral("应为 True 或 False"));
}

int16_t integer(const QString& name, const QString& value)
{
    const auto r = toInteger16(number(name, value));
    if (!r)
        bad(name, value, QStringLiteral("超出整数范围 -32768 至 32767"));
    return *r;
}

int32_t longValue(const QString& name, const QString& value)
{
    const auto r = toLong32(number(name, value));
    if (!r)
        bad(name, value, QStringLiteral("超出长整数范围"));
    return *r;
}

float single(const QString& name, const QString& value)
{
    const auto r = toSingle(number(name, value));
    if (!r)
        bad(name, value, QStringLiteral("超出单精度数范围"));
    return *r;
}

// Twips, or millimetres with an "mm" suffix (42mm is 2381 twips).
float length(const QString& name, const QString& value)
{
    QString v = value.trimmed();
    double factor = 1;
    if (v.endsWith(QLatin1String("mm"), Qt::CaseInsensitive)) {
        v.chop(2);
        factor = 1440.0 / 25.4;
    }
    const auto d = parseStrictNumber(v);
    if (!d)
        bad(name, value, QStringLiteral("不是长度（缇，或带 mm 的毫米数）"));
    // Millimetres go to whole twips.
    const auto r = toSingle(factor == 1 ? *d : roundHalfEven(*d * factor));
    if (!r)
        bad(name, value, QStringLiteral("超出单精度数范围"));
    return *r;
}

// Worn ink: a whole level from 0 to 100.
int agingLevel(const QString& name, const QString& value)
{
    const double d = number(name, value);
    if (!(d >= 0 && d <= 100) || d != std::floor(d))
        bad(name, value, QStringLiteral("应为 0 至 100 的整数"));
    return static_cast<int>(d);
}

QString b(bool v)
{
    return v ? QStringLiteral("True") : QStringLiteral("False");
}

// One row per seal value that has a name: its text as applySetting takes it
// back, and how a text is assigned.
struct Setting {
    const char* name;
    bool length;   // twips, or millimetres with "mm"
    QString (*text)(const Plomet&);
    void (*apply)(Plomet&, const QString& name, const QString& value);
};

const Setting kSettings[] = {
    {"ShowStar", false, [](const Plomet& s) { return b(s.ShowStar()); },
     [](Plomet& s, const QString& n, const QString& v) { s.setShowStar(boolean(n, v)); }},
    {"ShowDate", false, [](const Plomet& s) { return b(s.ShowDate()); },
     [](Plomet& s, const QString& n, const QString& v) { s.setShowDate(boolean(n, v)); }},
    {"FontBold", false, [](const Plomet& s) { return b(s.FontBold()); },
     [](Plomet& s, const QString& n, const QString& v) { s.setFontBold(boolean(n, v)); }},
    {"MidSign", false, [](const Plomet& s) { return s.MidSign(); },
     [](Plomet& s, const QString&, const QString& v) { s.setMidSign(v); }},
    {"StarSize", false, [](const Plomet& s) { return numberTextLong(s.StarSize()); },
     [](Plomet& s, const QString& n, const QString& v) { s.setStarSize(integer(n, v)); }},
    {"Degree", false, [](const Plomet& s) { return numberTextDouble(s.Degree()); },
     [](Plomet& s, const QString& n, const QString& v) { s.setDegree(number(n, v)); }},
    {"pText", false, [](const Plomet& s) { return s.pText(); },
     [](Plomet& s, const QString&, const QString& v) { s.setPText(v); }},
    {"pText1", false, [](const Plomet& s) { return s.pText1(); },
     [](Plomet& s, const QString&, const QString& v) { s.setPText1(v); }},
    {"ForeColor", false, [](const Plomet& s) { return numberTextLong(s.ForeColor()); },
     [](Plomet& s, const QString& n, const QString& v) { s.setForeColor(longValue(n, v)); }},
    {"FontName", false, [](const Plomet& s) { return s.FontName(); },
     [](Plomet& s, const QString&, const QString& v) { s.setFontName(v); }},
    {"FontSize", false, [](const Plomet& s) { return numberTextSingle(s.FontSize()); },
     [](Plomet& s, const QString& n, const QString& v) { s.setFontSize(single(n, v)); }},
    {"Space", false, [](const Plomet& s) { return numberTextLong(s.Space()); },
     [](Plomet& s, const QString& n, const QString& v) { s.setSpace(longValue(n, v)); }},
    {"BackColor", false, [](const Plomet& s) { return numberTextLong(s.BackColor()); },
     [](Plomet& s, const QString& n, const QString& v) { s.setBackColor(longValue(n, v)); }},
    {"rText", false, [](const Plomet& s) { return s.rText(); },
     [](Plomet& s, const QString&, const QString& v) { s.setRText(v); }},
    {"Shape", false, [](const Plomet& s) { return shapeText(s.shape()); },
     [](Plomet& s, const QString& n, const QString& v) {
         Shape shape;
         if (!parseShape(v, shape))
             bad(n, v, QStringLiteral("应为 Round 或 Oval"));
         s.setShape(shape);
     }},
    {"RingWidth", true, [](const Plomet& s) { return numberTextDouble(s.RingWidth()); },
     [](Plomet& s, const QString& n, const QString& v) { s.setRingWidth(length(n, v)); }},
    {"InnerRing", true, [](const Plomet& s) { return numberTextDouble(s.InnerRing()); },
     [](Plomet& s, const QString& n, const QString& v) { s.setInnerRing(length(n, v)); }},
    {"InnerRingGap", true, [](const Plomet& s) { return numberTextDouble(s.InnerRingGap()); },
     [](Plomet& s, const QString& n, const QString& v) { s.setInnerRingGap(length(n, v)); }},
    {"CodeText", false, [](const Plomet& s) { return s.CodeText(); },
     [](Plomet& s, const QString&, const QString& v) { s.setCodeText(v); }},
    {"CodeFontName", false, [](const Plomet& s) { return s.CodeFontName(); },
     [](Plomet& s, const QString&, const QString& v) { s.setCodeFontName(v); }},
    {"CodeFontSize", false, [](const Plomet& s) { return numberTextSingle(s.CodeFontSize()); },
     [](Plomet& s, const QString& n, const QString& v) { s.setCodeFontSize(single(n, v)); }},
    {"CodeSpace", true, [](const Plomet& s) { return numberTextDouble(s.CodeSpace()); },
     [](Plomet& s, const QString& n, const QString& v) { s.setCodeSpace(length(n, v)); }},
    {"MidText", false, [](const Plomet& s) { return s.MidText(); },
     [](Plomet& s, const QString&, const QString& v) { s.setMidText(v); }},
    {"MidFontSize", false, [](const Plomet& s) { return numberTextSingle(s.MidFontSize()); },
     [](Plomet& s, const QString& n, const QString& v) { s.setMidFontSize(single(n, v)); }},
    {"MidTextWidth", true, [](const Plomet& s) { return numberTextDouble(s.MidTextWidth()); },
     [](Plomet& s, const QString& n, const QString& v) { s.setMidTextWidth(length(n, v)); }},
    {"Fit", false, [](const Plomet& s) { return b(s.Fit()); },
     [](Plomet& s, const QString& n, const QString& v) { s.setFit(boolean(n, v)); }},
    {"Aging", false, [](const Plomet& s) { return numberTextLong(s.Aging()); },
     [](Plomet& s, const QString& n, const QString& v) { s.setAging(agingLevel(n, v)); }},
    {"AgingSeed", false, [](const Plomet& s) { return numberTextLong(s.AgingSeed()); },
     [](Plomet& s, const QString& n, const QString& v) { s.setAgingSeed(longValue(n, v)); }},
    {"Width", true, [](const Plomet& s) { return numberTextSingle(s.Width()); },
     [](Plomet& s, const QString& n, const QString& v) { s.setWidth(length(n, v)); }},
    {"Height", true, [](const Plomet& s) { return numberTextSingle(s.Height()); },
     [](Plomet& s, const QString& n, const QString& v) { s.setHeight(length(n, v)); }},
};

const Setting* find(const QString& name)
{
    for (const auto& s : kSettings)
        if (name.compare(QLatin1String(s.name), Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

} // namespace

QString settingText(const Plomet& seal, const QString& name)
{
    if (const Setting* s = find(name))
        return s->text(seal);
    throw PlometError(PlometError::Kind::Format,
                      QStringLiteral("未知的设置名“%1”（可用：%2）").arg(name, settingNames().join(QStringLiteral(", "))));
}

bool isLengthSetting(const QString& name)
{
    const Setting* s = find(name);
    return s && s->length;
}

void copySettings(const Plomet& from, Plomet& to)
{
    for (const auto& s : kSettings)
        s.apply(to, QLatin1String(s.name), s.text(from));
}

QStringList settingNames()
{
    QStringList out;
    for (const auto& s : kSettings)
        out << QLatin1String(s.name);
    return out;
}

void applySetting(Plomet& seal, const QString& name, const QString& value)
{
    if (const Setting* s = find(name)) {
        s->apply(seal, QLatin1String(s->name), value);
        return;
    }
    throw PlometError(PlometError::Kind::Format,
                      QStringLiteral("未知的设置名“%1”（可用：%2）").arg(name, settingNames().join(QStringLiteral(", "))));
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
