// Windows face names resolve to installed CJK faces of the same style, and
// measure like them.
#include "Fonts.h"
#include "RecordingSurface.h"
#include <gtest/gtest.h>
#include <QRawFont>

using namespace plomet;

namespace {

TEST(Fonts, WindowsFacesResolveToCjkFacesOfTheirStyle)
{
    const struct { const char* face; const char* family; } rows[] = {
        {"黑体", "sans cjk"}, {"SimHei", "sans cjk"}, {"微软雅黑", "sans cjk"}, {"Microsoft YaHei", "sans cjk"},
        {"宋体", "serif cjk"}, {"SimSun", "serif cjk"}, {"新宋体", "serif cjk"}, {"仿宋", "serif cjk"},
        {"FangSong", "serif cjk"}, {"楷体", "serif cjk"}, {"KaiTi", "serif cjk"},
    };
    for (const auto& row : rows) {
        for (int weight : {400, 700, 800}) {
            const QFont font = makeFont(QString::fromUtf8(row.face), 16, weight);
            EXPECT_EQ(font.family(), QString::fromUtf8(row.face)) << "the seal keeps the name it was given";
            const QRawFont raw = QRawFont::fromFont(font);
            EXPECT_TRUE(raw.familyName().contains(QLatin1String(row.family), Qt::CaseInsensitive))
                << row.face << " -> " << raw.familyName().toStdString();
            EXPECT_EQ(raw.weight() >= 700, weight >= 700) << row.face << ' ' << weight << " must look bold";
            EXPECT_EQ(raw.pixelSize(), 16);
        }
    }
}

TEST(Fonts, CompanyNameMeasuresWithTheCjkFace)
{
    // With a Latin face standing in, the default name measures about 149 px
    // at 12 pt; with a real Hei face about 140.
    RecordingSurface s;
    s.setFontName(QStringLiteral("黑体"));
    s.setFontSize(12);
    const double px = s.TextWidth(QStringLiteral("Qorvel软件有限公司")) / 15;
    EXPECT_GE(px, 134);
    EXPECT_LE(px, 145);
    EXPECT_EQ(s.TextWidth(QStringLiteral("公")), 16 * 15) << "an ideograph is one em wide";
}

TEST(Fonts, MissingGlyphsTable)
{
    const struct { const char* text; std::vector<char32_t> missing; } rows[] = {
        {"Qorvel软件有限公司 ★", {}},
        {"甲\xee\x80\x80乙\xee\x80\x80", {0xE000}},
        {"\xf4\x8f\xbf\xbd\xcd\xb8", {0x10FFFD, 0x0378}},
        {"", {}},
    };
    for (const auto& row : rows) {
        const QList<char32_t> got = missingGlyphs(QStringLiteral("黑体"), QString::fromUtf8(row.text));
        EXPECT_EQ(std::vector<char32_t>(got.begin(), got.end()), row.missing) << row.text;
    }
}

} // namespace
