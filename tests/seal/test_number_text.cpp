// The shared number text and the strict number reader.
#include "seal/NumberText.h"
#include <gtest/gtest.h>
#include <cmath>
#include <limits>

using namespace plomet;

namespace {

struct SingleRow { float v; const char* text; };
const SingleRow kSingles[] = {
    {12.0f, "12"},          {10.5f, "10.5"},       {-1.0f, "-1"},
    {2055.0f, "2055"},      {0.0f, "0"},           {-0.0f, "0"},
    {0.1f, "0.1"},          {1e9f, "1000000000"},  {0.85f * 12.0f, "10.2"},
    {1.0f / 3.0f, "0.3333333"}, {123456789.0f, "123456800"},
    {0.000125f, "0.000125"}, {1e-7f, "0.0000001"}, {-2381.5f, "-2381.5"},
    {3.4028235e38f, "340282300000000000000000000000000000000"},
};

TEST(NumberText, SingleTable)
{
    for (const auto& row : kSingles)
        EXPECT_EQ(numberTextSingle(row.v), QString::fromLatin1(row.text)) << row.text;
}

struct DoubleRow { double v; const char* text; };
const DoubleRow kDoubles[] = {
    {-1.0, "-1"},   {-2.0, "-2"},   {0.1, "0.1"},   {12.25, "12.25"},
    {1.0 / 3.0, "0.333333333333333"},   {2.0 / 3.0, "0.666666666666667"},
    {1e15, "1000000000000000"},          {123456789012345678.0, "123456789012346000"},
    {1e-5, "0.00001"},                   {-0.000001, "-0.000001"},
    {359.5, "359.5"},
};

TEST(NumberText, DoubleTable)
{
    for (const auto& row : kDoubles)
        EXPECT_EQ(numberTextDouble(row.v), QString::fromLatin1(row.text)) << row.text;
}

TEST(NumberText, LongKeepsEveryDigit)
{
    EXPECT_EQ(numberTextLong(2147483647), QStringLiteral("2147483647"));
    EXPECT_EQ(numberTextLong(-2147483647 - 1), QStringLiteral("-2147483648"));
    EXPECT_EQ(numberTextLong(255), QStringLiteral("255"));
}

TEST(NumberText, RoundHalfEvenTable)
{
    const struct { double v, r; } rows[] = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, -0}, {-1.5, -2}, {-2.5, -2},
        {1027.5, 1028}, {1028.5, 1028}, {2.4999, 2}, {2.5001, 3}, {-3.7, -4},
    };
    for (const auto& row : rows)
        EXPECT_EQ(roundHalfEven(row.v), row.r) << row.v;
}

struct ParseRow { const char* text; bool ok; double v; };
const ParseRow kParses[] = {
    {"12", true, 12},       {" 12 ", true, 12},     {"\t-1\t", true, -1},
    {"+3", true, 3},        {"10.5", true, 10.5},   {".5", true, 0.5},
    {"5.", true, 5},        {"1e3", true, 1000},    {"1E-2", true, 0.01},
    {"-2.5e+1", true, -25}, {"0", true, 0},
    {"", false, 0},         {"   ", false, 0},      {"abc", false, 0},
    {"12abc", false, 0},    {"1,5", false, 0},      {"1 2", false, 0},
    {"--1", false, 0},      {"1e", false, 0},       {"e5", false, 0},
    {".", false, 0},        {"0x10", false, 0},     {"inf", false, 0},
    {"nan", false, 0},      {"1e400", false, 0},    {"１２", false, 0},
    {"&H10", false, 0},
};

TEST(NumberText, ParseStrictTable)
{
    for (const auto& row : kParses) {
        const auto got = parseStrictNumber(QString::fromUtf8(row.text));
        ASSERT_EQ(got.has_value(), row.ok) << '"' << row.text << '"';
        if (row.ok)
            EXPECT_DOUBLE_EQ(*got, row.v) << row.text;
    }
}

TEST(NumberText, TextRoundTripsThroughTheReader)
{
    for (const auto& row : kSingles) {
        const auto back = parseStrictNumber(numberTextSingle(row.v));
        ASSERT_TRUE(back.has_value()) << row.text;
        // Seven digits identify a float up to its last bit or so.
        EXPECT_NEAR(static_cast<float>(*back), row.v, std::fabs(row.v) * 2e-7f) << row.text;
    }
}

TEST(NumberText, NarrowingTable)
{
    EXPECT_EQ(toInteger16(32767.4), std::optional<int16_t>(32767));
    EXPECT_EQ(toInteger16(32767.5), std::nullopt);          // rounds to 32768
    EXPECT_EQ(toInteger16(-32768.5), std::optional<int16_t>(-32768)); // to even
    EXPECT_EQ(toInteger16(-32769), std::nullopt);
    EXPECT_EQ(toInteger16(std::nan("")), std::nullopt);
    EXPECT_EQ(toInteger16(24.5), std::optional<int16_t>(24));
    EXPECT_EQ(toLong32(2147483647.0), std::optional<int32_t>(2147483647));
    EXPECT_EQ(toLong32(2147483647.5), std::nullopt);
    EXPECT_EQ(toLong32(-2147483648.4), std::optional<int32_t>(-2147483647 - 1));
    EXPECT_EQ(toLong32(1e10), std::nullopt);
    EXPECT_EQ(toLong32(std::numeric_limits<double>::infinity()), std::nullopt);
    EXPECT_EQ(toSingle(12.0), std::optional<float>(12.0f));
    EXPECT_EQ(toSingle(3.4028235e38), std::optional<float>(3.4028235e38f));
    EXPECT_EQ(toSingle(1e39), std::nullopt);
    EXPECT_EQ(toSingle(-1e39), std::nullopt);
}

} // namespace
