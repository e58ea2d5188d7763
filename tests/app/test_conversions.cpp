// The settings dialog's readings of its field texts: lenient for the spacing
// and the angle, strict for the sizes.
#include "app/Conversions.h"
#include "seal/Errors.h"
#include "seal/NumberText.h"
#include <gtest/gtest.h>
#include <cmath>
#include <functional>
#include <limits>

using namespace plomet;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct LenientRow { const char* text; double expected; };
const LenientRow kLenient[] = {
    {" 3 ", 3},        {"3x", 3},          {"abc", 0},         {"2.5", 2.5},
    {"", 0},           {"&H10", 16},       {"1D2", 100},       {"1d2", 100},
    {"1 2", 12},       {"45.5", 45.5},     {"-1", -1},         {"+7", 7},
    {"\t-\n4 5", -45}, {"&o17", 15},       {"&HfF", 255},      {"&H", 0},
    {"&Hxyz", 0},      {"&O8", 0},         {"&H 1 0", 16},     {"3e", 3},
    {"3e+", 3},        {"1E-2", 0.01},     {".5", 0.5},        {"-.5e1", -5},
    {"1.2.3", 1.2},    {"++1", 0},         {"-", 0},           {".", 0},
    {"1e400", kInf},   {"-1e400", -kInf},  {"1e-400", 0},      {"0e99999", 0},
    {"0.001e309", 1e306}, {"12345e-3x", 12.345},
    {"\xef\xbc\x91\xef\xbc\x92", 0},      // full-width "１２" is no number
    {"1e300", 1e300},  {"-2.5", -2.5},     {"7&H10", 7},
};

TEST(LenientNumber, Table)
{
    for (const auto& row : kLenient)
        EXPECT_EQ(lenientNumber(QString::fromUtf8(row.text)), row.expected) << '"' << row.text << '"';
}

// A conversion either gives a value or throws PlometError of a kind.
enum class Outcome { Value, TypeMismatch, Overflow };

template <class F>
Outcome outcomeOf(F&& f, double* value)
{
    try {
        *value = f().toDouble();
        return Outcome::Value;
    } catch (const PlometError& e) {
        return e.kind() == PlometError::Kind::Overflow ? Outcome::Overflow : Outcome::TypeMismatch;
    }
}

// The dialog's reading of a field's text for the row named so.
QVariant field(const char* row, const QString& text, Reading reading, const char* label)
{
    return fieldValue(property(row), text, reading, QString::fromUtf8(label));
}

struct ConvRow { const char* text; Outcome outcome; double value; };

const ConvRow kSpace[] = {
    {" 3 ", Outcome::Value, 3},     {"3x", Outcome::Value, 3},     {"abc", Outcome::Value, 0},
    {"2.5", Outcome::Value, 2},     {"3.5", Outcome::Value, 4},    {"-2.5", Outcome::Value, -2},
    {"", Outcome::Value, 0},        {"&H10", Outcome::Value, 16},  {"1D2", Outcome::Value, 100},
    {"2000000000", Outcome::Value, 2000000000},
    {"2147483647", Outcome::Value, 2147483647.0},
    {"2147483647.5", Outcome::Overflow, 0},   // rounds to 2^31
    {"-2147483648", Outcome::Value, -2147483648.0},
    {"-2147483649", Outcome::Overflow, 0},
    {"1e300", Outcome::Overflow, 0},          {"1e400", Outcome::Overflow, 0},
    {"&HFFFFFFFF", Outcome::Overflow, 0},     // a whole number, not a bit pattern
};

TEST(DialogReading, SpacingIsLenientLong)
{
    for (const auto& row : kSpace) {
        double v = -999;
        const Outcome o = outcomeOf([&] { return field("Space", QString::fromUtf8(row.text), Reading::Lenient, "字符间隔"); }, &v);
        EXPECT_EQ(o, row.outcome) << '"' << row.text << '"';
        if (row.outcome == Outcome::Value)
            EXPECT_EQ(v, row.value) << '"' << row.text << '"';
    }
}

const ConvRow kDegree[] = {
    {"-1", Outcome::Value, -1},     {"abc", Outcome::Value, 0},    {"45.5", Outcome::Value, 45.5},
    {"", Outcome::Value, 0},        {"-2", Outcome::Value, -2},    {"500", Outcome::Value, 500},
    {"1e300", Outcome::Value, 1e300}, {"1e400", Outcome::Overflow, 0},
    {" 2 7 0 ", Outcome::Value, 270},
};

TEST(DialogReading, AngleIsLenientDouble)
{
    for (const auto& row : kDegree) {
        double v = -999;
        const Outcome o = outcomeOf([&] { return field("Degree", QString::fromUtf8(row.text), Reading::Lenient, "方向(角度)"); }, &v);
        EXPECT_EQ(o, row.outcome) << '"' << row.text << '"';
        if (row.outcome == Outcome::Value)
            EXPECT_EQ(v, row.value) << '"' << row.text << '"';
    }
}

const ConvRow kStarSize[] = {
    {"8.5", Outcome::Value, 8},      {"9.5", Outcome::Value, 10},     {" 24 ", Outcome::Value, 24},
    {"100", Outcome::Value, 100},    {"-32768", Outcome::Value, -32768},
    {"-32768.5", Outcome::Value, -32768},    // half to even stays inside
    {"32767.5", Outcome::Overflow, 0},       // half to even leaves the range
    {"-32769", Outcome::Overflow, 0},        {"1e5", Outcome::Overflow, 0},
    {"1e400", Outcome::Overflow, 0},
    {"abc", Outcome::TypeMismatch, 0},       {"", Outcome::TypeMismatch, 0},
    {"   ", Outcome::TypeMismatch, 0},       {"3x", Outcome::TypeMismatch, 0},
    {"1 2", Outcome::TypeMismatch, 0},       {"&H10", Outcome::TypeMismatch, 0},
};

TEST(DialogReading, StarSizeIsStrictInteger)
{
    for (const auto& row : kStarSize) {
        double v = -999;
        const Outcome o = outcomeOf([&] { return field("StarSize", QString::fromUtf8(row.text), Reading::Strict, "中央标志尺寸"); }, &v);
        EXPECT_EQ(o, row.outcome) << '"' << row.text << '"';
        if (row.outcome == Outcome::Value)
            EXPECT_EQ(v, row.value) << '"' << row.text << '"';
    }
}

const ConvRow kSizes[] = {
    {"2055", Outcome::Value, 2055},  {"-5", Outcome::Value, -5},      {"1e9", Outcome::Value, 1e9},
    {"10.5", Outcome::Value, 10.5},  {" 0 ", Outcome::Value, 0},      {"100", Outcome::Value, 100},
    {"0.1", Outcome::Value, double(0.1f)},
    {"1e39", Outcome::Overflow, 0},  {"-1e39", Outcome::Overflow, 0}, {"1e400", Outcome::Overflow, 0},
    {"abc", Outcome::TypeMismatch, 0}, {"", Outcome::TypeMismatch, 0},
    {"12pt", Outcome::TypeMismatch, 0}, {"1e400x", Outcome::TypeMismatch, 0},
};

TEST(DialogReading, SizeIsStrictSingle)
{
    for (const auto& row : kSizes) {
        double v = -999;
        const Outcome o = outcomeOf([&] { return field("Width", QString::fromUtf8(row.text), Reading::Strict, "公章宽度"); }, &v);
        EXPECT_EQ(o, row.outcome) << '"' << row.text << '"';
        if (row.outcome == Outcome::Value)
            EXPECT_EQ(v, row.value) << '"' << row.text << '"';
    }
}

// The messages are what the user reads: they name the field, quote the text
// and say what the field expects.
struct MessageRow {
    const char* text;
    std::function<void(const QString&)> convert;
    const char* mustContain[3];
};

TEST(Conversions, MessagesNameFieldTextAndExpectation)
{
    const MessageRow rows[] = {
        {"abc", [](const QString& t) { field("Width", t, Reading::Strict, "公章宽度"); }, {"公章宽度", "“abc”", "数字"}},
        {"", [](const QString& t) { field("Height", t, Reading::Strict, "公章高度"); }, {"公章高度", "空", "数字"}},
        {"40000", [](const QString& t) { field("StarSize", t, Reading::Strict, "中央标志尺寸"); },
         {"中央标志尺寸", "“40000”", "-32768 到 32767"}},
        {"3000000000", [](const QString& t) { field("Space", t, Reading::Lenient, "字符间隔"); },
         {"字符间隔", "“3000000000”", "2147483647"}},
        {"1e400", [](const QString& t) { field("FontSize", t, Reading::Strict, "字体尺寸"); }, {"字体尺寸", "“1e400”", "超出"}},
    };
    for (const auto& row : rows) {
        try {
            row.convert(QString::fromUtf8(row.text));
            ADD_FAILURE() << "no error for " << row.text;
        } catch (const PlometError& e) {
            for (const char* part : row.mustContain)
                EXPECT_TRUE(e.message().contains(QString::fromUtf8(part)))
                    << e.message().toStdString() << " lacks " << part;
        }
    }
}

TEST(Conversions, LongTextIsCutInTheMessage)
{
    const QString text = QString(500, QLatin1Char('x'));
    try {
        field("Width", text, Reading::Strict, "公章宽度");
        ADD_FAILURE() << "no error";
    } catch (const PlometError& e) {
        EXPECT_LT(e.message().size(), 120);
        EXPECT_TRUE(e.message().contains(QStringLiteral("…")));
    }
}

} // namespace
