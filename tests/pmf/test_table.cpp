// The reader of seal tables: what spreadsheets write (quotes, commas and
// line breaks inside quotes, a byte-order mark, GBK, blank rows, short
// rows) and the refusals, each with the line it names.
#include "formats/SealTable.h"
#include "seal/Errors.h"
#include "seal/Gbk.h"

#include <gtest/gtest.h>

using namespace plomet;

namespace {

TEST(SealTable, ReadsWhatSpreadsheetsWrite)
{
    const struct {
        const char* name;
        QByteArray bytes;
        QStringList header;
        std::vector<std::pair<int, QStringList>> rows;   // line, cells
    } cases[] = {
        {"plain, CRLF", "rText,FontSize\r\n甲公司,12\r\n乙公司,14\r\n", {"rText", "FontSize"},
         {{2, {"甲公司", "12"}}, {3, {"乙公司", "14"}}}},
        {"BOM, header trimmed, no final newline", "\xEF\xBB\xBF rText , output\n甲公司,a", {"rText", "output"},
         {{2, {"甲公司", "a"}}}},
        {"quotes: commas, doubled quotes, a line break", "rText,pText\n\"甲, \"\"乙\"\"\",x\n\"两\n行\",y\nz,w\n",
         {"rText", "pText"}, {{2, {"甲, \"乙\"", "x"}}, {3, {"两\n行", "y"}}, {5, {"z", "w"}}}},
        {"lone CR ends a line too", "a,b\r1,2\r3,4\n", {"a", "b"}, {{2, {"1", "2"}}, {3, {"3", "4"}}}},
        {"blank rows skipped, short rows padded", "a,b,c\n\n,,\n1\n", {"a", "b", "c"}, {{4, {"1", "", ""}}}},
        {"GBK", encodeGbk(QStringLiteral("rText,pText\n北京泰尔文有限公司,合同专用章\n")), {"rText", "pText"},
         {{2, {"北京泰尔文有限公司", "合同专用章"}}}},
    };
    for (const auto& c : cases) {
        const SealTable t = parseTable(c.bytes, QStringLiteral("t.csv"));
        EXPECT_EQ(t.header, c.header) << c.name;
        ASSERT_EQ(t.rows.size(), c.rows.size()) << c.name;
        for (size_t i = 0; i < c.rows.size(); ++i) {
            EXPECT_EQ(t.rows[i].line, c.rows[i].first) << c.name << " row " << i;
            EXPECT_EQ(t.rows[i].cells, c.rows[i].second) << c.name << " row " << i;
        }
    }
}

TEST(SealTable, RefusesWithTheLine)
{
    const struct {
        const char* name;
        QByteArray bytes;
        const char* message;
    } cases[] = {
        {"empty", "", "no header"},
        {"only blank lines", "\n,,\n", "no header"},
        {"quote left open", "a,b\n1,2\n\"3,4\n", "line 3: a quote is not closed"},
        {"text after a closing quote", "a,b\n\"1\"x,2\n", "line 2"},
        {"more cells than columns", "a,b\n1,2\n1,2,3\n", "line 3: more cells than the header has columns (2)"},
        {"neither UTF-8 nor GBK", "a,b\n1,2\n\xFF\xFF\n", "line 3: the text is neither UTF-8 nor GBK"},
    };
    for (const auto& c : cases) {
        try {
            parseTable(c.bytes, QStringLiteral("t.csv"));
            ADD_FAILURE() << c.name << ": no error";
        } catch (const PlometError& e) {
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("t.csv: "))) << c.name;
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.message))) << c.name << ": " << e.message().toStdString();
        }
    }
}

} // namespace
