// The property table: every row through the host's store and through its
// text; the text readings' answers; the help names every row.
#include "seal/Errors.h"
#include "seal/Plomet.h"
#include "seal/Properties.h"
#include "seal/PropertyBag.h"
#include "seal/SealDrawing.h"
#include "seal/SealSpec.h"
#include "seal/SettingText.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace plomet;

namespace {

// A value other than a new seal's for every row, as text. A row added to
// the table without one fails EveryRowHasATestValue.
const std::map<std::string, const char*> kOtherValues = {
    {"ShowStar", "False"}, {"ShowDate", "True"}, {"FontBold", "True"}, {"MidSign", "☆"},
    {"StarSize", "30"}, {"Degree", "12.75"}, {"pText", "合同"}, {"pText1", ""},
    {"ForeColor", "12582912"}, {"FontName", "宋体"}, {"FontSize", "10.5"}, {"Space", "0"},
    {"BackColor", "-2147483643"}, {"rText", "Tervin有限公司"},
    {"Shape", "Oval"}, {"RingWidth", "68"}, {"InnerRing", "11.5"}, {"InnerRingGap", "40"},
    {"CodeText", "1234567890123"}, {"CodeFontName", "宋体"}, {"CodeFontSize", "7.5"},
    {"CodeSpace", "-3"}, {"MidText", "91440300MA5ABCDE1X"}, {"MidFontSize", "14.7"},
    {"MidTextWidth", "1327"}, {"LowerFontSize", "13"}, {"LowerCharWidth", "170.1"}, {"Fit", "True"}, {"Aging", "60"}, {"AgingSeed", "7"},
    {"Width", "3000"}, {"Height", "1500"},
};

} // namespace

TEST(PropertyTable, EveryRowHasATestValue)
{
    for (const PropertyRow& r : propertyRows())
        EXPECT_EQ(kOtherValues.count(r.name), 1u) << r.name;
    EXPECT_EQ(kOtherValues.size(), propertyRows().size());
}

TEST(PropertyTable, NamesAreUniqueAndFileLinesAreTheClassicFifteen)
{
    for (const PropertyRow& r : propertyRows())
        EXPECT_EQ(findProperty(r.qname().toUpper()), &r) << r.name;
    std::vector<int> lines;
    for (const PropertyRow* r : fileLineRows())
        lines.push_back(r->fileLine);
    EXPECT_EQ(lines, (std::vector<int>{6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}));
}

TEST(PropertyTable, EveryRowByNameAndBackAsText)
{
    for (const PropertyRow& r : propertyRows()) {
        SCOPED_TRACE(r.name);
        Plomet seal;
        seal.InitProperties();
        const QString before = settingText(seal, r.qname());
        QStringList changed;
        QObject::connect(&seal, &Plomet::PropertyChanged, [&changed](const QString& n) { changed << n; });
        applySetting(seal, r.qname().toLower(), QString::fromUtf8(kOtherValues.at(r.name)));
        EXPECT_EQ(settingText(seal, r.qname()), QString::fromUtf8(kOtherValues.at(r.name)));
        EXPECT_NE(settingText(seal, r.qname()), before);
        // A property announces its own name; the control's size announces none.
        EXPECT_EQ(changed.size(), r.isSize() ? 0 : 1);
        if (!r.isSize() && !changed.isEmpty())
            EXPECT_EQ(changed.at(0), r.qname());
    }
}

TEST(PropertyTable, EveryRowWritesItsOwnMemberOnly)
{
    // A row that points at another row's member shows here: writing it
    // changes some other row, or reads back something else.
    const SealSpec fresh;
    for (const PropertyRow& r : propertyRows()) {
        const ParsedValue v = parseValue(r, QString::fromUtf8(kOtherValues.at(r.name)), Reading::Setting);
        ASSERT_TRUE(v.ok()) << r.name;
        SealSpec s;
        r.set(s, v.value);
        EXPECT_EQ(r.get(s), normalised(r, v.value)) << r.name;
        EXPECT_NE(r.get(s), r.get(fresh)) << r.name;
        for (const PropertyRow& other : propertyRows())
            if (&other != &r)
                EXPECT_EQ(other.get(s), other.get(fresh)) << r.name << " changed " << other.name;
        EXPECT_NE(s, fresh) << r.name;
    }
}

TEST(PropertyTable, ACreatedControlHoldsZeroClassicValues)
{
    // Before its host initialises it the control holds 0, empty and False in
    // the fourteen classic properties, and a new seal's later ones and size.
    const SealSpec created = createdSpec();
    const SealSpec fresh;
    int classic = 0;
    for (const PropertyRow& r : propertyRows()) {
        if (isClassicProperty(r)) {
            ++classic;
            EXPECT_EQ(r.get(created), QVariant(r.newValue.metaType())) << r.name;
        } else {
            EXPECT_EQ(r.get(created), r.get(fresh)) << r.name;
        }
    }
    EXPECT_EQ(classic, 14);
    EXPECT_EQ(Plomet().spec(), created);
}

TEST(PropertyTable, SetSpecAnnouncesWhatChanged)
{
    Plomet p;
    p.InitProperties(false);
    QStringList changed;
    QObject::connect(&p, &Plomet::PropertyChanged, [&](const QString& n) { changed << n; });
    SealSpec s = p.spec();
    s.rText = QStringLiteral("Tervin有限公司");
    s.shape = Shape::Oval;
    s.width = 3000;
    p.setSpec(s);
    EXPECT_EQ(p.spec(), s);
    EXPECT_EQ(changed, (QStringList{QStringLiteral("rText"), QStringLiteral("Shape")}));
    changed.clear();
    p.setSpec(s);
    EXPECT_TRUE(changed.isEmpty());
}

TEST(PropertyTable, TheControlDrawsWhatTheSpecDraws)
{
    // The control's Draw and the drawing of its spec alone give one picture,
    // for each seal form.
    const struct { const char* name; const char* settings[3]; } rows[] = {
        {"classic", {"FontSize=0", "StarSize=0", "Space=2"}},
        {"oval", {"Shape=Oval", "Width=3000", "Height=2200"}},
        {"fitted", {"Fit=True", "pText=合同专用章", "CodeText=1234567890"}},
    };
    for (const auto& row : rows) {
        Plomet p;
        p.InitProperties(false);
        for (const char* setting : row.settings)
            applySetting(p, QString::fromUtf8(setting));
        const SealSpec before = p.spec();
        p.Draw();
        EXPECT_EQ(p.spec(), before) << row.name << ": drawing changed the seal";
        const SealPicture alone(sealModel(p.spec()));
        EXPECT_EQ(alone.model().items.size(), p.image()->model().items.size()) << row.name;
        EXPECT_EQ(alone.pixels(), p.image()->pixels()) << row.name;
    }
}

TEST(PropertyTable, EveryKeptRowThroughTheHostStore)
{
    Plomet a;
    a.InitProperties();
    for (const PropertyRow& r : propertyRows())
        applySetting(a, r.qname(), QString::fromUtf8(kOtherValues.at(r.name)));
    PropertyBag store;
    a.WriteProperties(store);
    Plomet b;
    b.ReadProperties(store);
    for (const PropertyRow& r : propertyRows()) {
        if (r.isSize())
            EXPECT_FALSE(store.contains(r.qname())) << r.name;
        else
            EXPECT_EQ(b.value(r), a.value(r)) << r.name;
    }
    // The later properties are only stored away from their defaults.
    Plomet fresh;
    fresh.InitProperties();
    PropertyBag classic;
    fresh.WriteProperties(classic);
    EXPECT_EQ(classic.keys(), QStringList{QStringLiteral("FontBold")});
}

TEST(PropertyTable, AStoredShapeThatIsNoShapeIsRefused)
{
    PropertyBag store;
    store.WriteProperty(QStringLiteral("Shape"), QStringLiteral("Square"));
    Plomet p;
    EXPECT_THROW(p.ReadProperties(store), PlometError);
    store.WriteProperty(QStringLiteral("Shape"), 1);
    p.ReadProperties(store);
    EXPECT_EQ(p.shape(), Shape::Oval);
}

TEST(PropertyTable, SettingTexts)
{
    struct Row { const char* name; const char* text; const char* value; const char* problem; };
    const Row rows[] = {
        {"ForeColor", "#0000C0", "12582912", nullptr},
        {"ForeColor", " #ff0000 ", "255", nullptr},
        {"ForeColor", "#ff00", nullptr, "is not a number"},
        {"ForeColor", "2147483648", nullptr, "out of range"},
        {"BackColor", "#123456", "5649426", nullptr},
        {"RingWidth", "1.2mm", "68", nullptr},
        {"Width", "42MM", "2381", nullptr},
        {"StarSize", "1mm", nullptr, "is not a number"},
        {"RingWidth", "abc", nullptr, "is not a length"},
        {"StarSize", "99999", nullptr, "-32768 to 32767"},
        {"Degree", "", nullptr, "is not a number"},
        {"FontBold", "2", "True", nullptr},
        {"FontBold", "maybe", nullptr, "is not True or False"},
        {"Shape", "oval", "Oval", nullptr},
        {"Shape", "0", "Round", nullptr},
        {"Shape", "2", nullptr, "is not one of Round, Oval"},
        {"pText", "", "", nullptr},
        {"Aging", "100", "100", nullptr},
        {"Aging", "2.5", nullptr, "0 to 100, a whole number"},
        {"Aging", "-1", nullptr, "out of range"},
        {"RingWidth", "1e308mm", nullptr, "out of range"},   // millimetres beyond a Double
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.name) + "=" + row.text);
        const ParsedValue v = parseValue(property(row.name), QString::fromUtf8(row.text), Reading::Setting);
        if (row.value) {
            ASSERT_TRUE(v.ok()) << v.problem.toStdString();
            EXPECT_EQ(valueText(property(row.name), v.value), QString::fromUtf8(row.value));
        } else {
            EXPECT_TRUE(v.problem.contains(QString::fromUtf8(row.problem))) << v.problem.toStdString();
        }
    }
    // The file reads a blank number as 0 and no millimetres.
    EXPECT_EQ(parseValue(property("Degree"), QStringLiteral(" "), Reading::File).value, QVariant(0.0));
    EXPECT_FALSE(parseValue(property("RingWidth"), QStringLiteral("1mm"), Reading::File).ok());
    EXPECT_FALSE(parseValue(property("ForeColor"), QStringLiteral("#0000C0"), Reading::File).ok());
}

// One parser, five readings: the same text read for the file, a setting, the
// dialog's strict and lenient fields and the host's store. "-" marks a value
// the reading refuses; the letter says why (N not a number, R beyond the
// type, B outside the row's bounds, T not True or False).
TEST(PropertyTable, OneParserFiveReadings)
{
    struct Row { const char* name; const char* text; const char* answers[5]; };
    // File, Setting, Strict, Lenient, Store
    const Row rows[] = {
        {"Space", "3", {"3", "3", "3", "3", "3"}},
        {"Space", " 2.5 ", {"2", "2", "2", "2", "2"}},           // half to even
        {"Space", "3x", {"-N", "-N", "-N", "3", "-N"}},
        {"Space", "abc", {"-N", "-N", "-N", "0", "-N"}},
        {"Space", "", {"0", "-N", "-N", "0", "-N"}},
        {"Space", "1 2", {"-N", "-N", "-N", "12", "-N"}},
        {"Space", "&H10", {"-N", "-N", "-N", "16", "-N"}},
        {"Space", "True", {"-N", "-N", "-N", "0", "-1"}},
        {"Space", "3000000000", {"-R", "-R", "-R", "-R", "-R"}},
        {"Degree", "1e400", {"-R", "-R", "-R", "-R", "-R"}},
        {"Degree", "1e400x", {"-N", "-N", "-N", "-R", "-N"}},
        {"Degree", "1D2", {"-N", "-N", "-N", "100", "-N"}},
        {"StarSize", "32767.5", {"-R", "-R", "-R", "-R", "-R"}},
        {"FontSize", "1e39", {"-R", "-R", "-R", "-R", "-R"}},
        {"RingWidth", "1mm", {"-N", "57", "-N", "1", "-N"}},
        {"ForeColor", "#0000C0", {"-N", "12582912", "-N", "0", "-N"}},
        {"Aging", "101", {"-B", "-B", "-B", "-B", "101"}},      // the store converts by type only
        {"Aging", "2.5", {"-B", "-B", "-B", "-B", "2"}},
        {"FontBold", "", {"False", "-T", "-T", "-T", "-T"}},
        {"FontBold", "-1", {"True", "True", "True", "True", "True"}},
        {"FontBold", "1e400", {"-T", "-T", "-T", "-T", "-T"}},
    };
    const Reading readings[] = {Reading::File, Reading::Setting, Reading::Strict, Reading::Lenient, Reading::Store};
    const auto why = [](ValueProblem k) {
        switch (k) {
        case ValueProblem::NotANumber: return "-N";
        case ValueProblem::OutOfRange: return "-R";
        case ValueProblem::OutOfBounds: return "-B";
        case ValueProblem::NotABoolean: return "-T";
        case ValueProblem::NotAChoice: return "-C";
        case ValueProblem::None: break;
        }
        return "";
    };
    for (const Row& row : rows) {
        for (int i = 0; i < 5; ++i) {
            SCOPED_TRACE(std::string(row.name) + "=\"" + row.text + "\" reading " + std::to_string(i));
            const ParsedValue v = parseValue(property(row.name), QString::fromUtf8(row.text), readings[i]);
            const QString got = v.ok() ? valueText(property(row.name), v.value) : QString::fromLatin1(why(v.kind));
            EXPECT_EQ(got.toStdString(), row.answers[i]);
            EXPECT_EQ(v.ok(), v.problem.isEmpty()) << "a reason has words, a value none";
        }
    }
}

TEST(PropertyTable, HelpNamesEveryRowWithItsMeaning)
{
    const QString help = propertyHelp(2, 78);
    const QString flat = help.simplified();
    for (const PropertyRow& r : propertyRows()) {
        EXPECT_TRUE(help.contains(QStringLiteral("  %1: ").arg(r.qname()))) << r.name;
        const QString firstWords = QString::fromUtf8(r.meaning).section(QLatin1Char(' '), 0, 1);
        EXPECT_TRUE(flat.contains(firstWords)) << r.name;
    }
    for (const QString& line : help.split(QLatin1Char('\n')))
        EXPECT_LE(line.size(), 78) << line.toStdString();
    EXPECT_TRUE(flat.contains(QStringLiteral("-1: centred on 12 o'clock")));
    EXPECT_TRUE(flat.contains(QStringLiteral("12582912")));
}
