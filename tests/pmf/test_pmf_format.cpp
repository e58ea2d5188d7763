// The description file's bytes: writing, reading, the codec. No seal needed:
// these work on PmfValues and the pure encode/decode functions.
#include "seal/Errors.h"
#include "seal/NumberText.h"
#include "formats/PmfFile.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <cmath>
#include <functional>
#include <limits>

using namespace plomet;

namespace {

QByteArray hex(const char* h) { return QByteArray::fromHex(h); }

// Line texts in GBK, written down from an independent converter (the iconv
// command line), so that the tests do not check the codec against itself.
const QByteArray kLine1 = hex("b5e7d7d3b9abd5c2c3e8caf6cec4bcfe");             // 电子公章描述文件
const QByteArray kLine2 = hex("b4b4cabcc8cb3a54657276696e");                     // 创始人:Tervin
const QByteArray kSite = hex("cdf8d5be3a");                                    // 网站:
const QByteArray kLine5 = hex("b1a3c1f4");                                     // 保留
const QByteArray kZhongshan = hex("d6d0c9bd516f7276656cc8edbcfed3d0cfdeb9abcbbe"); // 中山Qorvel软件有限公司
const QByteArray kZhuanyong = hex("d7a8d3c3d5c2");                             // 专用章
const QByteArray kHeiti = hex("badacce5");                                     // 黑体
const QByteArray kStar = hex("a1ef");                                          // ★

QByteArray header()
{
    return kLine1 + "\r\n" + kLine2 + "\r\n" + kSite + "http://example.org/\r\nv1.0\r\n" + kLine5 + "\r\n";
}

QByteArray joinCrLf(const QList<QByteArray>& lines)
{
    QByteArray out;
    for (const QByteArray& l : lines)
        out += l + "\r\n";
    return out;
}

// The fifteen value lines of the example seal (the restore command's seal).
QList<QByteArray> exampleValueLines()
{
    return {kZhongshan, "", kZhuanyong, "0", "255", kHeiti, "12", "True", kStar,
            "24", "2055", "2055", "1", "-1", "False"};
}

PmfValues exampleValues()
{
    PmfValues v;
    v.set("rText", QStringLiteral("中山Qorvel软件有限公司"));
    v.set("pText", QString());
    v.set("pText1", QStringLiteral("专用章"));
    v.set("BackColor", 0);
    v.set("ForeColor", 255);
    v.set("FontName", QStringLiteral("黑体"));
    v.set("FontSize", 12.0f);
    v.set("ShowStar", true);
    v.set("MidSign", QStringLiteral("★"));
    v.set("StarSize", 24);
    v.set("Width", 2055.0f);
    v.set("Height", 2055.0f);
    v.set("Space", 1);
    v.set("Degree", -1.0);
    v.set("FontBold", false);
    return v;
}

QList<QByteArray> splitCrLf(const QByteArray& bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

PlometError decodeError(const QByteArray& bytes)
{
    try {
        decodePMF(bytes);
    } catch (const PlometError& e) {
        return e;
    }
    ADD_FAILURE() << "decodePMF accepted the bytes";
    return PlometError(PlometError::Kind::Platform, QString());
}

} // namespace

// ---------------------------------------------------------------- writing --

TEST(PmfWrite, ExampleFileByteForByteExceptLine3)
{
    const QByteArray bytes = encodePMF(exampleValues());
    EXPECT_FALSE(bytes.startsWith("\xef\xbb\xbf")) << "no byte-order mark";
    ASSERT_TRUE(bytes.endsWith("\r\n"));
    const QList<QByteArray> lines = splitCrLf(bytes);
    ASSERT_EQ(lines.size(), 20);
    for (int i = 0; i < lines.size(); ++i)
        ASSERT_TRUE(lines[i].endsWith('\r')) << "line " << i + 1 << " ends with CR LF";

    const QList<QByteArray> expected = QList<QByteArray>{kLine1, kLine2, QByteArray(), "v1.0", kLine5}
                                       + exampleValueLines();
    for (int i = 0; i < 20; ++i) {
        if (i == 2)
            continue;
        EXPECT_EQ(lines[i].chopped(1).toHex(' '), expected[i].toHex(' ')) << "line " << i + 1;
    }
    // Line 3: "网站:" and an address of our own, plain ASCII after the colon.
    const QByteArray line3 = lines[2].chopped(1);
    EXPECT_TRUE(line3.startsWith(kSite)) << line3.toHex(' ').constData();
    EXPECT_EQ(line3.mid(kSite.size()), kPmfWebAddress.toLatin1());
}

struct NumberLineCase {
    const char* name;
    std::function<void(PmfValues&)> set;
    int line;
    const char* text;
};

TEST(PmfWrite, NumberAndBooleanLines)
{
    const NumberLineCase cases[] = {
        {"FontSize 10.5", [](PmfValues& v) { v.set("FontSize", 10.5f); }, 12, "10.5"},
        {"FontSize 0.1 keeps 7 digits", [](PmfValues& v) { v.set("FontSize", 0.1f); }, 12, "0.1"},
        {"Width 2055.0 whole", [](PmfValues& v) { v.set("Width", 2055.0f); }, 16, "2055"},
        {"Height 1/3 rounded to 7 digits", [](PmfValues& v) { v.set("Height", 1.0f / 3.0f); }, 17, "0.3333333"},
        {"Width negative", [](PmfValues& v) { v.set("Width", -15.25f); }, 16, "-15.25"},
        {"Degree -1", [](PmfValues& v) { v.set("Degree", -1.0); }, 19, "-1"},
        {"Degree 15 digits", [](PmfValues& v) { v.set("Degree", 1.0 / 3.0); }, 19, "0.333333333333333"},
        {"Degree tiny, no exponent", [](PmfValues& v) { v.set("Degree", 1e-5); }, 19, "0.00001"},
        {"white", [](PmfValues& v) { v.set("ForeColor", 16777215); }, 10, "16777215"},
        {"system colour signed", [](PmfValues& v) { v.set("BackColor", int32_t(0x80000005u)); }, 9, "-2147483643"},
        {"Space max", [](PmfValues& v) { v.set("Space", std::numeric_limits<int32_t>::max()); }, 18, "2147483647"},
        {"StarSize min", [](PmfValues& v) { v.set("StarSize", -32768); }, 15, "-32768"},
        {"ShowStar False", [](PmfValues& v) { v.set("ShowStar", false); }, 13, "False"},
        {"FontBold True", [](PmfValues& v) { v.set("FontBold", true); }, 20, "True"},
    };
    for (const auto& c : cases) {
        PmfValues v = exampleValues();
        c.set(v);
        const QList<QByteArray> lines = splitCrLf(encodePMF(v));
        ASSERT_EQ(lines.size(), 20) << c.name;
        EXPECT_EQ(lines[c.line - 1].chopped(1), QByteArray(c.text)) << c.name;
    }
}

struct RefusedWriteCase {
    const char* name;
    std::function<void(PmfValues&)> set;
    const char* mentions;
};

TEST(PmfWrite, RefusesWhatCouldNotBeReadBack)
{
    const RefusedWriteCase cases[] = {
        {"line feed in rText", [](PmfValues& v) { v.set("rText", QStringLiteral("甲\n乙")); }, "rText"},
        {"carriage return in pText", [](PmfValues& v) { v.set("pText", QStringLiteral("a\rb")); }, "pText"},
        {"NUL in FontName", [](PmfValues& v) { v.set("FontName", QString(QChar(0))); }, "FontName"},
        {"lone surrogate in MidSign", [](PmfValues& v) { v.set("MidSign", QString(QChar(0xD800))); }, "MidSign"},
        {"character outside GB18030", [](PmfValues& v) { v.set("pText1", QString(QChar(0xE78D))); }, "U+E78D"},
        {"NaN FontSize", [](PmfValues& v) { v.set("FontSize", std::nanf("")); }, "FontSize"},
        {"infinite Width", [](PmfValues& v) { v.set("Width", std::numeric_limits<float>::infinity()); }, "Width"},
        {"-infinite Height", [](PmfValues& v) { v.set("Height", -std::numeric_limits<float>::infinity()); }, "Height"},
        {"NaN Degree", [](PmfValues& v) { v.set("Degree", std::nan("")); }, "Degree"},
        {"more than 1 MiB", [](PmfValues& v) { v.set("rText", QString(600000, QChar(0x4E2D))); }, "1 MiB"},
    };
    for (const auto& c : cases) {
        PmfValues v = exampleValues();
        c.set(v);
        try {
            encodePMF(v);
            ADD_FAILURE() << c.name << ": written";
        } catch (const PlometError& e) {
            EXPECT_EQ(e.kind(), PlometError::Kind::Format) << c.name;
            EXPECT_TRUE(e.message().contains(QLatin1String(c.mentions))) << c.name << ": " << e.what();
        }
    }
}

// -------------------------------------------------------------- round trip --

struct RoundTripCase {
    const char* name;
    std::function<void(PmfValues&)> set;
};

TEST(PmfRoundTrip, EveryValueComesBackExactly)
{
    const RoundTripCase cases[] = {
        {"example", [](PmfValues&) {}},
        {"comma in company name", [](PmfValues& v) { v.set("rText", QStringLiteral("中山,Qorvel,软件")); }},
        {"double quotes", [](PmfValues& v) { v.set("pText", QStringLiteral("\"合同\"专用")); }},
        {"quote at start only", [](PmfValues& v) { v.set("pText1", QStringLiteral("\"专用章")); }},
        {"leading and trailing blanks", [](PmfValues& v) { v.set("rText", QStringLiteral("  公司  ")); }},
        {"tab inside", [](PmfValues& v) { v.set("pText", QStringLiteral("a\tb")); }},
        {"text that reads as a number", [](PmfValues& v) { v.set("pText", QStringLiteral("007")); }},
        {"True as a text", [](PmfValues& v) { v.set("MidSign", QStringLiteral("True")); }},
        {"number-like face name", [](PmfValues& v) { v.set("FontName", QStringLiteral("-1.5e3")); }},
        {"all texts empty", [](PmfValues& v) {
             v.set("rText", QString()); v.set("pText", QString()); v.set("pText1", QString()); v.set("FontName", QString()); v.set("MidSign", QString()); }},
        {"star sign", [](PmfValues& v) { v.set("MidSign", QStringLiteral("★☆")); }},
        {"GBK-less: trademark, emoji, CJK ext B", [](PmfValues& v) {
             v.set("rText", QStringLiteral("Qorvel™ 😀 𠀀 有限公司")); }},
        {"GB18030 two-byte only character", [](PmfValues& v) { v.set("pText", QString(QChar(0x01F9))); }},
        {"euro and private use", [](PmfValues& v) { v.set("pText1", QStringLiteral("€") + QChar(0xE000)); }},
        {"10,000 characters", [](PmfValues& v) { v.set("rText", QString(10000, QChar(0x516C))); }},
        {"extreme Longs", [](PmfValues& v) {
             v.set("BackColor", std::numeric_limits<int32_t>::min());
             v.set("ForeColor", std::numeric_limits<int32_t>::max());
             v.set("Space", std::numeric_limits<int32_t>::min()); }},
        {"extreme Integer", [](PmfValues& v) { v.set("StarSize", 32767); }},
        {"negative StarSize", [](PmfValues& v) { v.set("StarSize", -32768); }},
        {"7-digit Singles", [](PmfValues& v) {
             v.set("FontSize", 1234567.0f); v.set("Width", 3.402823e38f); v.set("Height", -1.5e-30f); }},
        {"zero sizes", [](PmfValues& v) { v.set("FontSize", 0); v.set("Width", 0); v.set("Height", 0); }},
        {"15-digit Degrees", [](PmfValues& v) { v.set("Degree", 359.999999999999); }},
        {"huge Degree", [](PmfValues& v) { v.set("Degree", -1.23456789012345e300); }},
        {"tiny Degree", [](PmfValues& v) { v.set("Degree", 1e-300); }},
        {"Booleans flipped", [](PmfValues& v) { v.set("ShowStar", false); v.set("FontBold", true); }},
    };
    for (const auto& c : cases) {
        PmfValues v = exampleValues();
        c.set(v);
        const QByteArray bytes = encodePMF(v);
        PmfValues back;
        try {
            back = decodePMF(bytes);
        } catch (const PlometError& e) {
            ADD_FAILURE() << c.name << ": " << e.what();
            continue;
        }
        EXPECT_TRUE(back == v) << c.name;
        EXPECT_EQ(back.get("rText").toString(), v.get("rText").toString()) << c.name;
        EXPECT_EQ(back.get("pText").toString(), v.get("pText").toString()) << c.name;
        EXPECT_EQ(back.get("pText1").toString(), v.get("pText1").toString()) << c.name;
        EXPECT_EQ(back.get("MidSign").toString(), v.get("MidSign").toString()) << c.name;
        EXPECT_EQ(encodePMF(back), bytes) << c.name << ": second save differs";
    }
}

TEST(PmfRoundTrip, SinglesSettleAfterOneSave)
{
    // Seven significant digits are the format's contract: a Single that needs
    // more comes back as the nearest Single of its 7-digit text, and from
    // then on it stays put.
    const float values[] = {16777216.0f, std::numeric_limits<float>::max(), std::numeric_limits<float>::denorm_min(),
                            0.1f + 0.2f, -123.456789f, 1e-38f};
    for (float f : values) {
        PmfValues v = exampleValues();
        v.set("FontSize", f);
        const PmfValues once = decodePMF(encodePMF(v));
        const std::optional<double> expected = parseStrictNumber(numberTextSingle(f));
        ASSERT_TRUE(expected.has_value());
        EXPECT_EQ(once.get("FontSize").toFloat(), static_cast<float>(*expected)) << f;
        EXPECT_LE(std::fabs(double(once.get("FontSize").toFloat()) - double(f)), std::fabs(double(f)) * 1e-6) << f;
        const PmfValues twice = decodePMF(encodePMF(once));
        EXPECT_EQ(twice.get("FontSize").toFloat(), once.get("FontSize").toFloat()) << f;
    }
}

// ---------------------------------------------------------------- reading --

struct ReadCase {
    const char* name;
    QByteArray bytes;
    std::function<void(const PmfValues&)> check;
};

TEST(PmfRead, FilesMadeByTheRules)
{
    const QByteArray exampleBody = joinCrLf(exampleValueLines());
    QList<QByteArray> nineteen = exampleValueLines();
    nineteen.removeLast();
    QList<QByteArray> lfLines = exampleValueLines();
    QByteArray lfOnly = kLine1 + "\n" + kLine2 + "\n" + kSite + "\nv1.0\n" + kLine5 + "\n";
    for (const QByteArray& l : lfLines)
        lfOnly += l + "\n";
    QByteArray noFinalEnding = header() + exampleBody;
    noFinalEnding.chop(2);
    QList<QByteArray> blanks = exampleValueLines();
    blanks[3] = " 16777215";     // BackColor with a leading blank
    blanks[6] = "  10.5";        // FontSize
    blanks[7] = " -1";           // ShowStar as the number True is stored as
    blanks[9] = "+3E1";          // StarSize with sign and exponent
    blanks[13] = "-2.5e0";       // Degree
    blanks[14] = "true";         // FontBold in another letter case
    QList<QByteArray> gb18030 = exampleValueLines();
    gb18030[0] = hex("95328236") + "Qorvel" + hex("81 36 be 34") + hex("a8bf");  // 𠀀Qorvel™ǹ

    const ReadCase cases[] = {
        {"the example", header() + exampleBody,
         [](const PmfValues& v) { EXPECT_TRUE(v == exampleValues()); }},
        {"19 lines from an older version", header() + joinCrLf(nineteen),
         [](const PmfValues& v) {
             PmfValues e = exampleValues();
             e.set("FontBold", false);
             EXPECT_TRUE(v == e);
         }},
        {"19 lines, FontBold was True before: missing means False", header() + joinCrLf(nineteen),
         [](const PmfValues& v) { EXPECT_FALSE(v.get("FontBold").toBool()); EXPECT_EQ(v.get("Degree").toDouble(), -1.0); }},
        {"header only: empty, 0, False", header(),
         [](const PmfValues& v) { EXPECT_TRUE(v == PmfValues()); }},
        {"header and an empty line 6", header() + "\r\n",
         [](const PmfValues& v) { EXPECT_TRUE(v == PmfValues()); }},
        {"LF line endings", lfOnly, [](const PmfValues& v) { EXPECT_TRUE(v == exampleValues()); }},
        {"last line without its ending", noFinalEnding,
         [](const PmfValues& v) { EXPECT_TRUE(v == exampleValues()); }},
        {"other texts in lines 3 to 5",
         kLine1 + "\r\n" + kLine2 + "\r\n" + hex("ffff00") + "\r\nv9.9\r\nxyz\r\n" + exampleBody,
         [](const PmfValues& v) { EXPECT_TRUE(v == exampleValues()); }},
        {"lines after line 20 are never read", header() + exampleBody + hex("ff00fe") + "\r\nmore\r\n",
         [](const PmfValues& v) { EXPECT_TRUE(v == exampleValues()); }},
        {"numbers in the forms the field rule takes", header() + joinCrLf(blanks),
         [](const PmfValues& v) {
             EXPECT_EQ(v.get("BackColor").toInt(), 16777215);
             EXPECT_EQ(v.get("FontSize").toFloat(), 10.5f);
             EXPECT_TRUE(v.get("ShowStar").toBool());
             EXPECT_EQ(v.get("StarSize").toInt(), 30);
             EXPECT_EQ(v.get("Degree").toDouble(), -2.5);
             EXPECT_TRUE(v.get("FontBold").toBool());
         }},
        {"GB18030 sequences for characters GBK lacks", header() + joinCrLf(gb18030),
         [](const PmfValues& v) { EXPECT_EQ(v.get("rText").toString(), QStringLiteral("𠀀Qorvel™ǹ")); }},
        {"comma and quotes read whole", header() + "a,b\r\n\"q\"\r\n 007\r\n",
         [](const PmfValues& v) {
             EXPECT_EQ(v.get("rText").toString(), QStringLiteral("a,b"));
             EXPECT_EQ(v.get("pText").toString(), QStringLiteral("\"q\""));
             EXPECT_EQ(v.get("pText1").toString(), QStringLiteral(" 007"));
             EXPECT_EQ(v.get("BackColor").toInt(), 0);
         }},
        {"Longs round half to even", header() + "\r\n\r\n\r\n2.5\r\n3.5\r\n",
         [](const PmfValues& v) { EXPECT_EQ(v.get("BackColor").toInt(), 2); EXPECT_EQ(v.get("ForeColor").toInt(), 4); }},
        {"blank number line is 0", header() + "\r\n\r\n\r\n   \r\n",
         [](const PmfValues& v) { EXPECT_EQ(v.get("BackColor").toInt(), 0); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            c.check(decodePMF(c.bytes));
        } catch (const PlometError& e) {
            ADD_FAILURE() << c.name << ": " << e.what();
        }
    }
}

struct MalformedCase {
    const char* name;
    QByteArray bytes;
    QStringList mentions;   // empty: exactly the bad-format message
};

TEST(PmfRead, MalformedFilesAreRefusedWithAClearMessage)
{
    auto withLine = [](int line, const QByteArray& text) {
        QList<QByteArray> lines = exampleValueLines();
        lines[line - 6] = text;
        return header() + joinCrLf(lines);
    };
    QByteArray bmp("BM");
    bmp += QByteArray(52, '\0') + QByteArray(300, '\xff');
    const QByteArray utf8Header = QStringLiteral("电子公章描述文件\r\n创始人:Tervin\r\n").toUtf8() + "x\r\nv1.0\r\nx\r\n";

    const MalformedCase cases[] = {
        {"empty file", QByteArray(), {QStringLiteral("empty")}},
        {"a bitmap", bmp, {}},
        {"header in UTF-8", utf8Header, {}},
        {"UTF-8 byte-order mark before the header", "\xef\xbb\xbf" + header(), {}},
        {"line 2 in another letter case", kLine1 + "\r\n" + kLine2.toLower() + "\r\n", {}},
        {"line 1 with more after it", kLine1 + "x\r\n" + kLine2 + "\r\n", {}},
        {"line 2 quoted but not closed before more", kLine1 + "\r\n\"" + kLine2 + "x\r\n", {}},
        {"only line 1", kLine1 + "\r\n", {}},
        {"only line 1 and 2 and 3", kLine1 + "\r\n" + kLine2 + "\r\nx\r\n", {QStringLiteral("the header has 5")}},
        {"a megabyte line", header() + QByteArray(kPmfMaxBytes, 'a') + "\r\n", {QStringLiteral("1 MiB")}},
        {"letters in line 9", withLine(9, "abc"),
         {QStringLiteral("line 9"), QStringLiteral("BackColor"), QStringLiteral("abc")}},
        {"comma in a number", withLine(10, "255,0"), {QStringLiteral("line 10"), QStringLiteral("ForeColor")}},
        {"Long overflow", withLine(18, "2147483648"), {QStringLiteral("line 18"), QStringLiteral("out of range")}},
        {"StarSize 99999", withLine(15, "99999"),
         {QStringLiteral("line 15"), QStringLiteral("StarSize"), QStringLiteral("99999"), QStringLiteral("out of range")}},
        {"Single overflow", withLine(12, "1e39"), {QStringLiteral("line 12"), QStringLiteral("FontSize")}},
        {"NaN width", withLine(16, "NaN"), {QStringLiteral("line 16"), QStringLiteral("Width")}},
        {"infinite height", withLine(17, "Infinity"), {QStringLiteral("line 17"), QStringLiteral("Height")}},
        {"Double overflow", withLine(19, "1e400"), {QStringLiteral("line 19"), QStringLiteral("Degree")}},
        {"Boolean word", withLine(13, "Yes"), {QStringLiteral("line 13"), QStringLiteral("ShowStar")}},
        {"invalid GBK byte", withLine(6, hex("c4e3ff")), {QStringLiteral("line 6"), QStringLiteral("rText"), QStringLiteral("GBK")}},
        {"lead byte cut off", withLine(7, hex("41c4")), {QStringLiteral("line 7"), QStringLiteral("pText")}},
        {"bad four-byte sequence", withLine(8, hex("81308130ff")), {QStringLiteral("line 8")}},
        {"NUL byte", withLine(11, QByteArray("Hei\0ti", 6)), {QStringLiteral("line 11"), QStringLiteral("null byte")}},
        {"binary after a good header", header() + QByteArray(200, '\0'), {QStringLiteral("line 6")}},
        {"long bad value is cut in the message", withLine(20, QByteArray(5000, 'x')),
         {QStringLiteral("line 20"), QStringLiteral("FontBold")}},
    };
    for (const auto& c : cases) {
        const PlometError e = decodeError(c.bytes);
        if (c.mentions.isEmpty()) {
            // A wrong header is its own kind: callers never compare texts.
            EXPECT_EQ(e.kind(), PlometError::Kind::BadHeader) << c.name;
            EXPECT_EQ(e.message(), badFormatMessage()) << c.name << ": " << e.what();
            continue;
        }
        EXPECT_EQ(e.kind(), PlometError::Kind::Format) << c.name;
        EXPECT_NE(e.message(), badFormatMessage()) << c.name;
        EXPECT_LT(e.message().size(), 200) << c.name << ": message too long";
        for (const QString& m : c.mentions)
            EXPECT_TRUE(e.message().contains(m)) << c.name << ": " << e.what() << " lacks " << m.toStdString();
    }
}

// ------------------------------------------------------------------ codec --

TEST(PmfCodec, KnownBytes)
{
    struct Row { const char* name; QString text; QByteArray bytes; };
    const Row rows[] = {
        {"header line 1", QStringLiteral("电子公章描述文件"), kLine1},
        {"header line 2", QStringLiteral("创始人:Tervin"), kLine2},
        {"star", QStringLiteral("★"), kStar},
        {"euro is GBK's single byte 0x80", QStringLiteral("€"), hex("80")},
        {"trademark in GB18030", QStringLiteral("™"), hex("8136be34")},
        {"CJK extension B in GB18030", QStringLiteral("𠀀"), hex("95328236")},
        {"emoji in GB18030", QStringLiteral("😀"), hex("9439fc36")},
        {"ASCII unchanged", QStringLiteral("v1.0 ,\""), QByteArray("v1.0 ,\"")},
        {"empty", QString(), QByteArray()},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(encodeGbk(r.text).toHex(' '), r.bytes.toHex(' ')) << r.name;
        const std::optional<QString> back = decodeGbk(r.bytes);
        ASSERT_TRUE(back.has_value()) << r.name;
        EXPECT_EQ(*back, r.text) << r.name;
    }
}

TEST(PmfCodec, EveryCodePointSurvivesOrIsRefused)
{
    // Walk the whole of Unicode: what is written must read back as itself,
    // and a character GBK holds must come out as GBK (one or two bytes).
    int refused = 0, written = 0;
    for (char32_t cp = 1; cp < 0x110000; ++cp) {
        if (cp >= 0xD800 && cp < 0xE000)
            continue;
        // Built by hand: QString::fromUcs4 would drop U+FEFF as a byte-order mark.
        QString text;
        if (cp > 0xFFFF)
            text = QString(QChar(QChar::highSurrogate(cp))) + QChar(QChar::lowSurrogate(cp));
        else
            text = QString(QChar(char16_t(cp)));
        QByteArray bytes;
        try {
            bytes = encodeGbk(text);
        } catch (const PlometError&) {
            ++refused;
            continue;
        }
        ++written;
        const std::optional<QString> back = decodeGbk(bytes);
        ASSERT_TRUE(back.has_value()) << std::hex << uint32_t(cp);
        ASSERT_EQ(*back, text) << std::hex << uint32_t(cp);
        ASSERT_TRUE(bytes.size() == 1 || bytes.size() == 2 || bytes.size() == 4) << std::hex << uint32_t(cp);
    }
    // glibc's GB18030 leaves a handful of private-use code points unmapped.
    EXPECT_LT(refused, 100);
    EXPECT_GT(written, 1000000);
}

TEST(PmfCodec, BadBytesAreReportedWithTheirOffset)
{
    struct Row { const char* name; QByteArray bytes; int offset; };
    const Row rows[] = {
        {"0xFF", hex("41ff"), 1},
        {"lead byte at the end", hex("c4e341c4"), 3},
        {"0x7F is no trail byte", hex("c47f"), 0},
        {"three of four bytes", hex("41813081"), 1},
        {"four-byte with a bad last byte", hex("8130813a"), 0},
    };
    for (const auto& r : rows) {
        int offset = -1;
        EXPECT_FALSE(decodeGbk(r.bytes, &offset).has_value()) << r.name;
        EXPECT_EQ(offset, r.offset) << r.name;
    }
}

TEST(PmfReaderLines, GetValueTakesEachLineWholeAndEmptyAtTheEnd)
{
    PmfReader r(QByteArray(" a,\"b\"\r\n\r\nc\rd\n") + hex("d6d0"));
    const QStringList expected = {QStringLiteral(" a,\"b\""), QString(), QStringLiteral("c"),
                                  QStringLiteral("d"), QStringLiteral("中")};
    for (int i = 0; i < expected.size(); ++i) {
        const QVariant v = r.GetValue();
        ASSERT_TRUE(v.isValid()) << i;
        EXPECT_EQ(v.toString(), expected[i]) << i;
        EXPECT_EQ(r.lineNumber(), i + 1);
    }
    EXPECT_FALSE(r.GetValue().isValid());
    EXPECT_FALSE(r.GetValue().isValid());
}
