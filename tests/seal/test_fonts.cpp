// Windows face names resolve to installed CJK faces of the same style, and
// measure like them.
#include "seal/Fonts.h"
#include "seal/GlyphOutlines.h"
#include "seal/RecordingSurface.h"
#include <gtest/gtest.h>
#include <cmath>

using namespace plomet;

namespace {

TEST(Fonts, WindowsFacesResolveToInstalledFacesOfTheirStyle)
{
    // Each style draws with a face of its own look that covers simplified
    // Chinese; 仿宋, which Debian has no face for, with the Song face.
    const struct { const char* face; FaceStyle style; const char* family; } rows[] = {
        {"黑体", FaceStyle::Hei, "Noto Sans CJK SC"}, {"SimHei", FaceStyle::Hei, "Noto Sans CJK SC"},
        {"微软雅黑", FaceStyle::Hei, "Noto Sans CJK SC"}, {"Microsoft YaHei", FaceStyle::Hei, "Noto Sans CJK SC"},
        {"宋体", FaceStyle::Song, "Noto Serif CJK SC"}, {"SimSun", FaceStyle::Song, "Noto Serif CJK SC"},
        {"simsun", FaceStyle::Song, "Noto Serif CJK SC"}, {"新宋体", FaceStyle::Song, "Noto Serif CJK SC"},
        {"楷体", FaceStyle::Kai, "AR PL UKai CN"}, {"KaiTi", FaceStyle::Kai, "AR PL UKai CN"},
        {"楷体_GB2312", FaceStyle::Kai, "AR PL UKai CN"},
        {"仿宋", FaceStyle::FangSong, "Noto Serif CJK SC"}, {"FangSong", FaceStyle::FangSong, "Noto Serif CJK SC"},
        {"Arial", FaceStyle::Latin, nullptr},
    };
    const QString simplified = QStringLiteral("发票专用章财务合同国证书软件");
    for (const auto& row : rows) {
        const QString face = QString::fromUtf8(row.face);
        EXPECT_EQ(faceStyle(face), row.style) << row.face;
        const QString sample = row.style == FaceStyle::Latin ? QStringLiteral("91110000ABCDEFGH12") : simplified;
        for (int weight : {400, 700, 800})
            for (QChar c : sample) {
                const DrawingFace drawn = drawingFace(face, weight, c.unicode());
                EXPECT_FALSE(drawn.fallback) << row.face << " has no " << QString(c).toStdString();
                if (row.family)
                    EXPECT_EQ(drawn.family.toLower(), QString::fromUtf8(row.family).toLower())
                        << row.face << " -> " << drawn.family.toStdString();
                else
                    EXPECT_EQ(drawn.family, installedFacesOfStyle(FaceStyle::Latin).value(0))
                        << row.face << " -> " << drawn.family.toStdString();
            }
    }
}

TEST(Fonts, BoldLooksBold)
{
    // Hei and Song have real Bold faces; the one Kai face is emboldened.
    for (const char* face : {"黑体", "宋体", "仿宋"}) {
        for (int weight : {400, 700, 800})
            EXPECT_EQ(drawingFace(QString::fromUtf8(face), weight, U'国').boldFile, weight >= 700)
                << face << ' ' << weight << " must look bold";
    }
    const QString kai = QStringLiteral("楷体");
    EXPECT_FALSE(drawingFace(kai, 700, U'国').boldFile);
    const QRectF regular = textOutline(kai, 32, 400, QStringLiteral("国")).boundingRect();
    const QRectF bold = textOutline(kai, 32, 700, QStringLiteral("国")).boundingRect();
    EXPECT_GT(bold.width(), regular.width() + 0.5) << "the emboldened strokes are wider";
}

TEST(Fonts, StyleWarnings)
{
    // Installed here: every style but 仿宋.
    for (const char* face : {"黑体", "宋体", "楷体", "KaiTi", "Arial", "Noto Sans CJK SC", "whatever"})
        EXPECT_EQ(faceStyleWarning(QString::fromUtf8(face)), QString()) << face;
    const QString fang = faceStyleWarning(QStringLiteral("仿宋"));
    EXPECT_TRUE(fang.contains(QStringLiteral("仿宋")) && fang.contains(QStringLiteral("宋体"))
                && fang.contains(QStringLiteral("Noto Serif CJK SC")))
        << fang.toStdString();

    // A machine without a Kai face, or with no CJK face at all.
    const QString noKai = faceStyleWarning(QStringLiteral("KaiTi"), {QStringLiteral("Noto Serif CJK SC")});
    EXPECT_TRUE(noKai.startsWith(QStringLiteral("no 楷体 face")) && noKai.contains(QStringLiteral("KaiTi is drawn")) && noKai.contains(QStringLiteral("Noto Serif CJK SC")))
        << noKai.toStdString();
    const QString noSong = faceStyleWarning(QStringLiteral("宋体"), {QStringLiteral("WenQuanYi Zen Hei")});
    EXPECT_TRUE(noSong.contains(QStringLiteral("黑体 (WenQuanYi Zen Hei)"))) << noSong.toStdString();
    const QString none = faceStyleWarning(QStringLiteral("楷体"), {});
    EXPECT_TRUE(none.contains(QStringLiteral("a fallback face"))) << none.toStdString();
    EXPECT_EQ(faceStyleWarning(QStringLiteral("黑体"), {QStringLiteral("WenQuanYi Zen Hei")}), QString());
}

TEST(Fonts, CompanyNameMeasuresWithTheCjkFace)
{
    // The name measures in the Hei face at 12 pt (16 px), whole pixels; a
    // Latin face standing in would measure its letters otherwise.
    RecordingSurface s;
    s.setFontName(QStringLiteral("黑体"));
    s.setFontSize(12);
    const QString name = QStringLiteral("Qorvel软件有限公司");
    const double px = s.TextWidth(name) / 15;
    EXPECT_EQ(px, std::lround(textAdvance(QStringLiteral("Noto Sans CJK SC"), 16, 400, name)));
    EXPECT_NE(px, std::lround(textAdvance(installedFacesOfStyle(FaceStyle::Latin).value(0), 16, 400, name)));
    EXPECT_GE(px, 134);
    EXPECT_LE(px, 150);
    EXPECT_EQ(s.TextWidth(QStringLiteral("公")), 16 * 15) << "an ideograph is one em wide";
}

TEST(Fonts, MissingGlyphsTable)
{
    // A character the face's own family lacks is looked for in the fallback
    // faces before it counts as missing.
    const struct { const char* face; const char* text; std::vector<char32_t> missing; } rows[] = {
        {"黑体", "Qorvel软件有限公司 ★", {}},
        // U+EEEE: a private-use code point that none of the installed faces fills (AR PL UKai
        // HK has U+E000).
        {"黑体", "甲\xee\xbb\xae乙\xee\xbb\xae", {0xEEEE}},
        {"黑体", "\xf4\x8f\xbf\xbd\xcd\xb8", {0x10FFFD, 0x0378}},
        {"黑体", "", {}},
        // A Latin face has no ideographs of its own; a CJK fallback draws them.
        {"Arial", "Ab公司", {}},
        {"Arial", "A\xee\xbb\xae", {0xEEEE}},
        // An installed family named as it is, and a name no face has.
        {"DejaVu Sans", "Ab公", {}},
        {"No Such Face", "Ab公\xee\xbb\xae", {0xEEEE}},
    };
    for (const auto& row : rows) {
        const QList<char32_t> got = missingGlyphs(QString::fromUtf8(row.face), QString::fromUtf8(row.text));
        EXPECT_EQ(std::vector<char32_t>(got.begin(), got.end()), row.missing) << row.face << " " << row.text;
    }
}

} // namespace
