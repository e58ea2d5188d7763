#include "seal/Properties.h"

#include "seal/NumberText.h"
#include "seal/TextColumns.h"
#include "seal/Units.h"

#include <QCoreApplication>

#include <cmath>
#include <cstdlib>
#include <optional>

namespace plomet {

namespace {

// A member's value as the rows hand values around (see the header).
QVariant toVariant(bool v) { return v; }
QVariant toVariant(int16_t v) { return int(v); }
QVariant toVariant(int32_t v) { return int(v); }
QVariant toVariant(float v) { return v; }
QVariant toVariant(double v) { return v; }
QVariant toVariant(const QString& v) { return v; }
QVariant toVariant(Shape v) { return int(v); }

void fromVariant(const QVariant& v, bool& m) { m = v.toBool(); }
void fromVariant(const QVariant& v, int16_t& m) { m = int16_t(v.toInt()); }
void fromVariant(const QVariant& v, int32_t& m) { m = v.toInt(); }
void fromVariant(const QVariant& v, float& m) { m = v.toFloat(); }
void fromVariant(const QVariant& v, double& m) { m = v.toDouble(); }
void fromVariant(const QVariant& v, QString& m) { m = v.toString(); }
void fromVariant(const QVariant& v, Shape& m) { m = Shape(v.toInt()); }

template <auto M>
QVariant getField(const SealSpec& s) { return toVariant(s.*M); }
template <auto M>
void setField(SealSpec& s, const QVariant& v) { fromVariant(v, s.*M); }
#define FIELD(member) &getField<&SealSpec::member>, &setField<&SealSpec::member>

// The rows (see the header for the fields). The fourteen classic properties
// first, in interface order; then the seal forms; Width and Height last.
std::vector<PropertyRow> makeRows()
{
    std::vector<PropertyRow> rows = {
        {"ShowStar", ValueType::Boolean, 13, Unit::None, "显示中央标志",
         QT_TRANSLATE_NOOP("plomet::Properties", "whether the centre sign (MidSign) is drawn"),
         QT_TRANSLATE_NOOP("plomet::Properties", "True or False"), "",
         FIELD(showStar)},
        {"ShowDate", ValueType::Boolean, kNotInFile, Unit::None, "",
         QT_TRANSLATE_NOOP("plomet::Properties", "a flag that is stored and kept; nothing draws it"),
         QT_TRANSLATE_NOOP("plomet::Properties", "True or False"), "",
         FIELD(showDate)},
        {"FontBold", ValueType::Boolean, 20, Unit::None, "粗体",
         QT_TRANSLATE_NOOP("plomet::Properties", "bold face for the company name and the centre sign"),
         QT_TRANSLATE_NOOP("plomet::Properties", "True or False"), "",
         FIELD(fontBold)},
        {"MidSign", ValueType::Text, 14, Unit::None, "中央标志",
         QT_TRANSLATE_NOOP("plomet::Properties", "the centre sign; only its first character is drawn"),
         QT_TRANSLATE_NOOP("plomet::Properties", "any text"), "",
         FIELD(midSign)},
        {"StarSize", ValueType::Integer, 15, Unit::Points, "中央标志尺寸",
         QT_TRANSLATE_NOOP("plomet::Properties", "size of the centre sign; the lower lines move down with it"),
         QT_TRANSLATE_NOOP("plomet::Properties", "-32768 to 32767"),
         QT_TRANSLATE_NOOP("plomet::Properties", "0: 24, chosen when drawn; below 0: no sign"),
         FIELD(starSize)},
        {"Degree", ValueType::Double, 19, Unit::Degrees, "方向(角度)",
         QT_TRANSLATE_NOOP("plomet::Properties", "where the company name starts along the ring, clockwise from 12 o'clock"),
         QT_TRANSLATE_NOOP("plomet::Properties", "any number"),
         QT_TRANSLATE_NOOP("plomet::Properties", "-1: centred on 12 o'clock; -2: once around the full circle"),
         FIELD(degree)},
        {"pText", ValueType::Text, 7, Unit::None, "章附名行1",
         QT_TRANSLATE_NOOP("plomet::Properties", "the upper of the two lines below the centre (0.85 of FontSize, never bold)"),
         QT_TRANSLATE_NOOP("plomet::Properties", "any text"),
         QT_TRANSLATE_NOOP("plomet::Properties", "empty: not drawn"),
         FIELD(pText)},
        {"pText1", ValueType::Text, 8, Unit::None, "章附名行2",
         QT_TRANSLATE_NOOP("plomet::Properties", "the lower of the two lines below the centre"),
         QT_TRANSLATE_NOOP("plomet::Properties", "any text"),
         QT_TRANSLATE_NOOP("plomet::Properties", "empty: not drawn"),
         FIELD(pText1)},
        {"ForeColor", ValueType::Colour, 10, Unit::None, "颜色",
         QT_TRANSLATE_NOOP("plomet::Properties", "colour of the ring, the texts and the sign"),
         QT_TRANSLATE_NOOP("plomet::Properties", "0x00BBGGRR in decimal (255 red, 12582912 dark blue, 0 black); on the command line also #RRGGBB"),
         QT_TRANSLATE_NOOP("plomet::Properties", "negative: a system colour (0x80000000 + its index)"),
         FIELD(foreColor)},
        {"FontName", ValueType::Text, 11, Unit::Face, "字体",
         QT_TRANSLATE_NOOP("plomet::Properties", "face of the company name, the sign and the lower lines"),
         QT_TRANSLATE_NOOP("plomet::Properties", "a face name (黑体, 宋体, 楷体, 仿宋, Arial, ...)"),
         "",
         FIELD(fontName)},
        {"FontSize", ValueType::Single, 12, Unit::Points, "字体尺寸",
         QT_TRANSLATE_NOOP("plomet::Properties", "size of the company name; the lower lines are 0.85 of it"), "",
         QT_TRANSLATE_NOOP("plomet::Properties", "0: 16 for a name of under 6 characters, else 12, chosen when drawn"),
         FIELD(fontSize)},
        {"Space", ValueType::Long, 18, Unit::Blanks, "字符间隔",
         QT_TRANSLATE_NOOP("plomet::Properties", "blanks put after every character of the company name but the last"), "",
         QT_TRANSLATE_NOOP("plomet::Properties", "below 0: none"),
         FIELD(space)},
        {"BackColor", ValueType::Colour, 9, Unit::None, "",
         QT_TRANSLATE_NOOP("plomet::Properties", "a colour that is stored and kept; never drawn (the background is the window's)"),
         QT_TRANSLATE_NOOP("plomet::Properties", "0x00BBGGRR in decimal"), "",
         FIELD(backColor)},
        {"rText", ValueType::Text, 6, Unit::None, "公司名称",
         QT_TRANSLATE_NOOP("plomet::Properties", "the company name, set along the upper arc"),
         QT_TRANSLATE_NOOP("plomet::Properties", "any text"), "",
         FIELD(rText)},

        {"Shape", ValueType::Choice, kFileKey, Unit::None, "形状",
         QT_TRANSLATE_NOOP("plomet::Properties", "Round, or Oval: the band follows the ellipse inscribed in Width x Height"),
         QT_TRANSLATE_NOOP("plomet::Properties", "Round or Oval"), "",
         FIELD(shape), "Round=圆形|Oval=椭圆"},
        {"RingWidth", ValueType::Double, kFileKey, Unit::Twips, "边框宽度",
         QT_TRANSLATE_NOOP("plomet::Properties", "width of the band"),
         QT_TRANSLATE_NOOP("plomet::Properties", "0 or more"),
         QT_TRANSLATE_NOOP("plomet::Properties", "0: the classic band (about 50 twips)"),
         FIELD(ringWidth)},
        {"InnerRing", ValueType::Double, kFileKey, Unit::Twips, "内圈宽度",
         QT_TRANSLATE_NOOP("plomet::Properties", "width of a thin ring inside the band"),
         QT_TRANSLATE_NOOP("plomet::Properties", "0 or more"),
         QT_TRANSLATE_NOOP("plomet::Properties", "0: none"),
         FIELD(innerRing)},
        {"InnerRingGap", ValueType::Double, kFileKey, Unit::Twips, "内圈间距",
         QT_TRANSLATE_NOOP("plomet::Properties", "gap between the band and the inner ring (57 twips = 1 mm)"),
         QT_TRANSLATE_NOOP("plomet::Properties", "0 or more"), "",
         FIELD(innerRingGap)},
        {"CodeText", ValueType::Text, kFileKey, Unit::None, "防伪码",
         QT_TRANSLATE_NOOP("plomet::Properties", "a code along the lower arc, centred on 6 o'clock, read left to right"),
         QT_TRANSLATE_NOOP("plomet::Properties", "any text"),
         QT_TRANSLATE_NOOP("plomet::Properties", "empty: none"),
         FIELD(codeText)},
        {"CodeFontName", ValueType::Text, kFileKey, Unit::Face, "防伪码字体",
         QT_TRANSLATE_NOOP("plomet::Properties", "face of the code"),
         QT_TRANSLATE_NOOP("plomet::Properties", "a face name"), "",
         FIELD(codeFontName)},
        {"CodeFontSize", ValueType::Single, kFileKey, Unit::Points, "防伪码字号",
         QT_TRANSLATE_NOOP("plomet::Properties", "size of the code"), "", "",
         FIELD(codeFontSize)},
        {"CodeSpace", ValueType::Double, kFileKey, Unit::Twips, "防伪码间隔",
         QT_TRANSLATE_NOOP("plomet::Properties", "space added between the code's characters"), "", "",
         FIELD(codeSpace)},
        {"MidText", ValueType::Text, kFileKey, Unit::None, "中间行",
         QT_TRANSLATE_NOOP("plomet::Properties", "a line across the centre (an invoice seal's tax number), drawn in place of the sign"),
         QT_TRANSLATE_NOOP("plomet::Properties", "any text"),
         QT_TRANSLATE_NOOP("plomet::Properties", "empty: none"),
         FIELD(midText)},
        {"MidFontSize", ValueType::Single, kFileKey, Unit::Points, "中间行字号",
         QT_TRANSLATE_NOOP("plomet::Properties", "size of the middle line"), "", "",
         FIELD(midFontSize)},
        {"MidTextWidth", ValueType::Double, kFileKey, Unit::Twips, "中间行宽度",
         QT_TRANSLATE_NOOP("plomet::Properties", "width the middle line is condensed to fit in"),
         QT_TRANSLATE_NOOP("plomet::Properties", "0 or more"),
         QT_TRANSLATE_NOOP("plomet::Properties", "0: as wide as the band allows"),
         FIELD(midTextWidth)},
        {"LowerFontSize", ValueType::Single, kFileKey, Unit::Points, "附名行字号",
         QT_TRANSLATE_NOOP("plomet::Properties", "size of the lower lines (pText, pText1) in the fitted layout"),
         QT_TRANSLATE_NOOP("plomet::Properties", "0 or more"),
         QT_TRANSLATE_NOOP("plomet::Properties", "0: 0.85 of the name's size"),
         FIELD(lowerFontSize)},
        {"LowerCharWidth", ValueType::Double, kFileKey, Unit::Twips, "附名行字宽",
         QT_TRANSLATE_NOOP("plomet::Properties", "width of each character of the lower lines in the fitted layout; they are condensed to it, "
         "never widened"),
         QT_TRANSLATE_NOOP("plomet::Properties", "0 or more"),
         QT_TRANSLATE_NOOP("plomet::Properties", "0: the face's own widths"),
         FIELD(lowerCharWidth)},
        {"Fit", ValueType::Boolean, kFileKey, Unit::None, "按实章排版",
         QT_TRANSLATE_NOOP("plomet::Properties", "the layout of a real seal: the name fills the upper arc by measured widths, condensed "
         "where needed; the lower lines are centred and kept inside the band; the sign scales"),
         QT_TRANSLATE_NOOP("plomet::Properties", "True or False"),
         QT_TRANSLATE_NOOP("plomet::Properties", "False: the classic layout"),
         FIELD(fit)},
        {"Aging", ValueType::Integer, kFileKey, Unit::None, "做旧程度",
         QT_TRANSLATE_NOOP("plomet::Properties", "worn ink: how much of the ink a worn seal loses, in specks, a pressure gradient and an uneven tone"),
         QT_TRANSLATE_NOOP("plomet::Properties", "0 to 100, whole"),
         QT_TRANSLATE_NOOP("plomet::Properties", "0: the exact unworn drawing"),
         FIELD(aging), nullptr, 0, 100, true},
        {"AgingSeed", ValueType::Long, kFileKey, Unit::None, "随机种子",
         QT_TRANSLATE_NOOP("plomet::Properties", "which wear: the same seed and level give the same specks everywhere"), "", "",
         FIELD(agingSeed)},

        {"Width", ValueType::Single, 16, Unit::Twips, "公章宽度",
         QT_TRANSLATE_NOOP("plomet::Properties", "width of the seal's area"),
         QT_TRANSLATE_NOOP("plomet::Properties", "0 or more"), "",
         FIELD(width)},
        {"Height", ValueType::Single, 17, Unit::Twips, "公章高度",
         QT_TRANSLATE_NOOP("plomet::Properties", "height of the seal's area; a round seal follows the smaller side"),
         QT_TRANSLATE_NOOP("plomet::Properties", "0 or more"), "",
         FIELD(height)},
    };
    auto row = [&rows](const char* name) -> PropertyRow& {
        for (PropertyRow& r : rows)
            if (qstrcmp(r.name, name) == 0)
                return r;
        std::abort();
    };
    // The classic store's own ways.
    row("FontBold").storeDefault = true;
    row("FontBold").announcedOnRead = true;
    row("rText").storeReadKey = "RText";
    row("Width").kept = false;
    row("Height").kept = false;
    const SealSpec fresh;
    for (PropertyRow& r : rows)
        r.newValue = r.get(fresh);
    return rows;
}

// The classic store's orders; later rows follow in table order.
const char* const kClassicReadOrder[] = {"ShowStar", "ShowDate", "FontBold", "StarSize", "Degree", "pText",
                                         "pText1", "rText", "ForeColor", "FontName", "FontSize", "BackColor",
                                         "MidSign", "Space"};
const char* const kClassicWriteOrder[] = {"FontBold", "ShowStar", "ShowDate", "StarSize", "Degree", "pText",
                                          "pText1", "BackColor", "rText", "MidSign", "Space", "ForeColor",
                                          "FontName", "FontSize"};

template <std::size_t N>
std::vector<const PropertyRow*> storeRows(const char* const (&classic)[N])
{
    std::vector<const PropertyRow*> out;
    for (const char* name : classic)
        out.push_back(&property(name));
    for (const PropertyRow& r : propertyRows()) {
        bool listed = false;
        for (const char* name : classic)
            listed = listed || qstrcmp(name, r.name) == 0;
        if (r.kept && !listed)
            out.push_back(&r);
    }
    return out;
}

QString quoted(const QString& text)
{
    // Long values are cut in messages: the reason matters, not 10,000 blanks.
    constexpr int kShown = 32;
    const QString shown = text.size() > kShown ? text.left(kShown) + QStringLiteral("…") : text;
    return QStringLiteral("“%1”").arg(shown);
}

bool isBlankOnly(const QString& s)
{
    for (QChar c : s)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t'))
            return false;
    return true;
}

QString rangeWords(ValueType type)
{
    switch (type) {
    case ValueType::Integer: return QCoreApplication::translate("Seal", "-32768 to 32767");
    case ValueType::Long:
    case ValueType::Colour: return QCoreApplication::translate("Seal", "-2147483648 to 2147483647");
    case ValueType::Single: return QCoreApplication::translate("Seal", "the range of a Single");
    case ValueType::Double: return QCoreApplication::translate("Seal", "the range of a Double");
    default: return QString();
    }
}

// A row's own bounds in words, as the message around them speaks
// ("0 to 100, a whole number", "at least 0").
QString boundsWords(const PropertyRow& row)
{
    const QString low = QString::number(row.low), high = QString::number(row.high);
    QString words = std::isinf(row.high) ? QCoreApplication::translate("Seal", "at least %1").arg(low)
                    : std::isinf(row.low) ? QCoreApplication::translate("Seal", "at most %1").arg(high)
                                          : QCoreApplication::translate("Seal", "%1 to %2").arg(low, high);
    return row.whole ? QCoreApplication::translate("Seal", "%1, a whole number").arg(words) : words;
}

ParsedValue value(QVariant v) { return {std::move(v), ValueProblem::None, QString()}; }
ParsedValue problem(ValueProblem kind, QString why) { return {QVariant(), kind, std::move(why)}; }


ParsedValue notAChoice(const PropertyRow& row, const QString& shown)
{
    return problem(ValueProblem::NotAChoice,
                   QCoreApplication::translate("Seal", "%1 is not one of %2").arg(quoted(shown), choiceNames(row).join(QCoreApplication::translate("Seal", ", ", "between the items of a list"))));
}

// "#RRGGBB" as 0x00BBGGRR.
std::optional<int> hashColour(const QString& text)
{
    const QString t = text.trimmed();
    if (t.size() != 7 || t[0] != QLatin1Char('#'))
        return std::nullopt;
    uint rgb = 0;
    for (QChar c : t.mid(1)) {
        const int d = QStringLiteral("0123456789abcdef").indexOf(c.toLower());
        if (d < 0)
            return std::nullopt;
        rgb = rgb * 16 + uint(d);
    }
    return int(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
}

// A number in the row's type: whole-number types rounded half to even and
// within the type; within the row's bounds unless the store reads it.
ParsedValue fitNumber(const PropertyRow& row, double n, Reading reading, const QString& shown)
{
    if (row.type == ValueType::Boolean) {
        if (std::isnan(n))
            return problem(ValueProblem::NotABoolean, QCoreApplication::translate("Seal", "%1 is not True or False").arg(quoted(shown)));
        return value(n != 0);
    }
    if (reading != Reading::Store && (n < row.low || n > row.high || (row.whole && n != std::floor(n))))
        return problem(ValueProblem::OutOfBounds,
                       QCoreApplication::translate("Seal", "%1 is out of range (%2)").arg(quoted(shown), boundsWords(row)));
    const ParsedValue outOfRange = problem(ValueProblem::OutOfRange,
                                           QCoreApplication::translate("Seal", "%1 is out of range (%2)").arg(quoted(shown), rangeWords(row.type)));
    switch (row.type) {
    case ValueType::Integer:
        if (const auto r = toInteger16(n))
            return value(int(*r));
        return outOfRange;
    case ValueType::Long:
    case ValueType::Colour:
        if (const auto r = toLong32(n))
            return value(int(*r));
        return outOfRange;
    case ValueType::Choice:
        if (const auto r = toLong32(n); r && *r >= 0 && *r < choiceNames(row).size())
            return value(int(*r));
        return notAChoice(row, shown);
    case ValueType::Single:
        if (const auto r = toSingle(n))
            return value(*r);
        return outOfRange;
    default:
        return value(n);
    }
}

ParsedValue parseNumber(const PropertyRow& row, const QString& text, Reading reading)
{
    QString t = text;
    double factor = 1;
    if (reading == Reading::Setting) {
        if (row.type == ValueType::Colour)
            if (const std::optional<int> c = hashColour(t))
                return value(*c);
        if (row.isLength() && t.trimmed().endsWith(QLatin1String("mm"), Qt::CaseInsensitive)) {
            t = t.trimmed();
            t.chop(2);
            factor = kTwipsPerMm;
        }
    }
    NumberRead d;
    const QString word = t.trimmed();
    if (reading == Reading::File && isBlankOnly(t))
        d = NumberRead{};   // 0
    else if (reading == Reading::Store && word.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        d.value = -1;
    else if (reading == Reading::Store && word.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        d.value = 0;
    else
        d = readNumber(t, reading == Reading::Lenient ? NumberSyntax::Lenient : NumberSyntax::Strict);
    if (d.problem == NumberRead::Problem::NotANumber)
        return problem(ValueProblem::NotANumber,
                       row.isLength() && reading == Reading::Setting
                           ? QCoreApplication::translate("Seal", "%1 is not a length (twips, or millimetres with mm)").arg(quoted(text))
                           : QCoreApplication::translate("Seal", "%1 is not a number").arg(quoted(text)));
    // Millimetres go to whole twips.
    const double n = factor == 1 ? d.value : roundHalfEven(d.value * factor);
    if (d.problem == NumberRead::Problem::TooLarge || !std::isfinite(n))
        return problem(ValueProblem::OutOfRange,
                       QCoreApplication::translate("Seal", "%1 is out of range (%2)").arg(quoted(text), rangeWords(row.type)));
    return fitNumber(row, n, reading, text);
}

} // namespace

const std::vector<PropertyRow>& propertyRows()
{
    static const std::vector<PropertyRow> rows = makeRows();
    return rows;
}

const PropertyRow* findProperty(const QString& name)
{
    for (const PropertyRow& r : propertyRows())
        if (name.compare(QLatin1String(r.name), Qt::CaseInsensitive) == 0)
            return &r;
    return nullptr;
}

const PropertyRow& property(const char* name)
{
    for (const PropertyRow& r : propertyRows())
        if (qstrcmp(r.name, name) == 0)
            return r;
    std::abort();   // a name the code itself spells: a typo is a fault of the build
}

int propertyIndex(const PropertyRow& row) { return int(&row - propertyRows().data()); }

namespace {

// The choices as "Name=label" pairs (a bare name is its own label).
QList<QStringList> choicePairs(const PropertyRow& row)
{
    QList<QStringList> out;
    if (!row.choices)
        return out;
    for (const QString& c : QString::fromUtf8(row.choices).split(QLatin1Char('|'))) {
        QStringList pair = c.split(QLatin1Char('='));
        if (pair.size() < 2)
            pair << pair.front();
        out << pair;
    }
    return out;
}

} // namespace

QStringList choiceNames(const PropertyRow& row)
{
    QStringList out;
    for (const QStringList& pair : choicePairs(row))
        out << pair[0];
    return out;
}

QStringList choiceLabels(const PropertyRow& row)
{
    QStringList out;
    for (const QStringList& pair : choicePairs(row))
        out << pair[1];
    return out;
}

bool isClassicProperty(const PropertyRow& row) { return propertyIndex(row) < 14; }

SealSpec createdSpec()
{
    SealSpec s;
    for (const PropertyRow& r : propertyRows())
        if (isClassicProperty(r))
            r.set(s, QVariant(r.newValue.metaType()));
    return s;
}

bool SealSpec::operator==(const SealSpec& o) const
{
    for (const PropertyRow& r : propertyRows())
        if (r.get(*this) != r.get(o))
            return false;
    return true;
}

std::vector<const PropertyRow*> fileLineRows()
{
    std::vector<const PropertyRow*> out;
    for (int line = 6; line <= 20; ++line)
        for (const PropertyRow& r : propertyRows())
            if (r.fileLine == line)
                out.push_back(&r);
    return out;
}

std::vector<const PropertyRow*> fileKeyRows()
{
    std::vector<const PropertyRow*> out;
    for (const PropertyRow& r : propertyRows())
        if (r.isFileKey())
            out.push_back(&r);
    return out;
}

std::vector<const PropertyRow*> storeReadRows() { return storeRows(kClassicReadOrder); }
std::vector<const PropertyRow*> storeWriteRows() { return storeRows(kClassicWriteOrder); }

ParsedValue parseValue(const PropertyRow& row, const QString& text, Reading reading)
{
    switch (row.type) {
    case ValueType::Text:
        return value(text);
    case ValueType::Boolean: {
        // True / False in any letter case, or a number (nonzero is True).
        const QString s = text.trimmed();
        if (s.isEmpty() && reading == Reading::File)
            return value(false);
        if (s.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return value(true);
        if (s.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return value(false);
        const NumberRead d = readNumber(s, NumberSyntax::Strict);
        if (!d.ok())
            return problem(ValueProblem::NotABoolean, QCoreApplication::translate("Seal", "%1 is not True or False").arg(quoted(text)));
        return value(d.value != 0);
    }
    case ValueType::Choice: {
        // A choice by its name in any letter case, or by its index.
        const QStringList names = choiceNames(row);
        const QString s = text.trimmed();
        for (int i = 0; i < names.size(); ++i)
            if (s.compare(names[i], Qt::CaseInsensitive) == 0 || s == QString::number(i))
                return value(i);
        return notAChoice(row, text);
    }
    default:
        return parseNumber(row, text, reading);
    }
}

ParsedValue numberValue(const PropertyRow& row, double number, Reading reading, const QString& shown)
{
    return fitNumber(row, number, reading, shown);
}

QVariant normalised(const PropertyRow& row, const QVariant& v)
{
    switch (row.type) {
    case ValueType::Boolean: return v.toBool();
    case ValueType::Integer:
    case ValueType::Long:
    case ValueType::Colour:
    case ValueType::Choice: return v.toInt();
    case ValueType::Single: return v.toFloat();
    case ValueType::Double: return v.toDouble();
    case ValueType::Text: return v.toString();
    }
    return v;
}

QString valueText(const PropertyRow& row, const QVariant& v)
{
    switch (row.type) {
    case ValueType::Boolean: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case ValueType::Integer:
    case ValueType::Long:
    case ValueType::Colour: return numberTextLong(v.toLongLong());
    case ValueType::Single: return numberTextSingle(v.toFloat());
    case ValueType::Double: return numberTextDouble(v.toDouble());
    case ValueType::Text: return v.toString();
    case ValueType::Choice: {
        const QStringList names = choiceNames(row);
        const int i = v.toInt();
        return i >= 0 && i < names.size() ? names[i] : QString::number(i);
    }
    }
    return QString();
}

namespace {

// The translated help's words: Chinese runs have no blanks to break at, so a
// run that does not fit is broken between its characters.
QStringList helpWords(const QString& text, int room)
{
    QStringList out;
    for (const QString& w : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (columns(w) <= room) {
            out << w;
            continue;
        }
        QString piece;
        for (QChar c : w) {
            if (!piece.isEmpty() && columns(piece) + columns(c) > room) {
                out << piece;
                piece.clear();
            }
            piece += c;
        }
        out << piece;
    }
    return out;
}

QString helpText(const char* text)
{
    return QCoreApplication::translate("plomet::Properties", text);
}

} // namespace

QString propertyHelp(int indent, int width)
{
    auto unitWords = [](Unit u) -> QString {
        switch (u) {
        case Unit::Twips: return helpText(QT_TRANSLATE_NOOP("plomet::Properties", "twips (1440 an inch), or millimetres: 1.2mm"));
        case Unit::Points: return helpText(QT_TRANSLATE_NOOP("plomet::Properties", "points"));
        case Unit::Degrees: return helpText(QT_TRANSLATE_NOOP("plomet::Properties", "degrees"));
        case Unit::Blanks: return helpText(QT_TRANSLATE_NOOP("plomet::Properties", "blanks"));
        case Unit::Face:
        case Unit::None: break;
        }
        return QString();
    };
    auto typeRange = [](ValueType t) -> QString {
        switch (t) {
        case ValueType::Integer: return helpText(QT_TRANSLATE_NOOP("plomet::Properties", "-32768 to 32767"));
        case ValueType::Long: return helpText(QT_TRANSLATE_NOOP("plomet::Properties", "-2147483648 to 2147483647"));
        case ValueType::Single: return helpText(QT_TRANSLATE_NOOP("plomet::Properties", "a number (7 digits)"));
        case ValueType::Double: return helpText(QT_TRANSLATE_NOOP("plomet::Properties", "a number"));
        default: return QString();
        }
    };
    const QString pad(indent, QLatin1Char(' '));
    const QString cont = pad + QStringLiteral("    ");
    QString out;
    for (const PropertyRow& r : propertyRows()) {
        QStringList parts{helpText(r.meaning)};
        if (const QString u = unitWords(r.unit); !u.isEmpty())
            parts << u;
        parts << (*r.range ? helpText(r.range) : typeRange(r.type));
        if (*r.special)
            parts << helpText(r.special);
        if (r.type != ValueType::Text || !r.newValue.toString().isEmpty())
            parts << helpText(QT_TRANSLATE_NOOP("plomet::Properties", "new seal: %1")).arg(valueText(r, r.newValue));
        if (!r.inFile())
            parts << helpText(QT_TRANSLATE_NOOP("plomet::Properties", "not kept in description files"));
        // Words wrapped at `width`, the name on the first line.
        QString line = pad + QLatin1String(r.name) + QLatin1Char(':');
        for (const QString& w : helpWords(parts.join(QStringLiteral("; ")), width - cont.size())) {
            if (columns(line) + 1 + columns(w) > width && line.size() > cont.size()) {
                out += line + QLatin1Char('\n');
                line = cont + w;
            } else {
                line += QLatin1Char(' ') + w;
            }
        }
        out += line + QLatin1Char('\n');
    }
    return out;
}

} // namespace plomet
