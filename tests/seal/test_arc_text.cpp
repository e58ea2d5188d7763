// Arc text geometry: start angles, glyph turns and positions for every mode,
// and the logical-font record, on a surface whose widths are known exactly.
#include "seal/ArcText.h"
#include "FakeSurface.h"
#include "seal/Errors.h"
#include "seal/Gdi.h"
#include "seal/Plomet.h"
#include <gtest/gtest.h>

using namespace plomet;
using plomet::test::FakeSurface;

namespace {

struct Glyph { int x, y, angle; };

struct ArcRow {
    const char* name;
    double degree;
    int32_t rIn, rOut;          // radius before and after (mode -2 writes it back)
    std::vector<Glyph> glyphs;  // (x, y) twips, turn a = rounded(360 - mu)
};

// Three characters of 200 twips each around (1028, 1028), r = 893 (f = 16).
// Expected values computed by hand from the placement rules.
const ArcRow kArcRows[] = {
    // g = floor(360 - 600/16/2) = 341
    {"centred", -1, 893, 893, {{737, 184, 13}, {927, 141, 0}, {1121, 140, -12}}},
    // r = round(300 / pi) = 95, f = 2, g = -2
    {"full circle", -2, 893, 95, {{1025, 933, 312}, {1122, 1041, 212}, {999, 1118, 112}}},
    {"zero", 0, 893, 893, {{1028, 135, 354}, {1221, 156, 341}, {1405, 219, 329}}},
    {"fraction", 10.3, 893, 893, {{1188, 149, 343}, {1374, 205, 331}, {1544, 299, 318}}},
};

TEST(ArcText, PlacementTable)
{
    for (const auto& row : kArcRows) {
        SCOPED_TRACE(row.name);
        FakeSurface s;
        s.Resize(2055, 2055);
        s.setFontName(QStringLiteral("黑体"));
        s.setFontSize(12);
        int32_t r = row.rIn;
        DrawArcText(s, QStringLiteral("ABC"), 1028, 1028, r, row.degree);
        EXPECT_EQ(r, row.rOut);
        ASSERT_EQ(s.calls.size(), row.glyphs.size());
        for (size_t i = 0; i < s.calls.size(); ++i) {
            const auto& c = s.calls[i];
            EXPECT_EQ(c.x, row.glyphs[i].x) << i;
            EXPECT_EQ(c.y, row.glyphs[i].y) << i;
            ASSERT_TRUE(c.gdiFont);
            EXPECT_EQ(c.font.lfEscapement, row.glyphs[i].angle * 10) << i;
            EXPECT_EQ(c.text, QString(QLatin1Char("ABC"[i])));
        }
        EXPECT_EQ(s.hDC().liveFonts(), 0u) << "every font is deleted after its glyph";
        EXPECT_EQ(s.hDC().selected(), 0u) << "the surface's font is selected again";
    }
}

TEST(ArcText, CentredStartRoundsDown)
{
    // Spans of exactly 40 and 41 degrees (f = 16): 640 and 656 twips.
    struct { double charWidth; int chars; int start; } rows[] = {
        {320, 2, 340},   // 640 / 16 = 40 -> 360 - 20 = 340
        {328, 2, 339},   // 656 / 16 = 41 -> floor(339.5) = 339
    };
    for (const auto& row : rows) {
        FakeSurface s(row.charWidth);
        s.Resize(2055, 2055);
        s.setFontSize(12);
        int32_t r = 893;
        DrawArcText(s, QString(row.chars, QLatin1Char('X')), 1028, 1028, r, -1);
        ASSERT_FALSE(s.calls.empty());
        const QPoint expected = ArcPoint(1028, 1028, row.start, 893, 893);
        EXPECT_EQ(s.calls[0].x, expected.x()) << row.start;
        EXPECT_EQ(s.calls[0].y, expected.y()) << row.start;
    }
}

TEST(ArcText, GlyphTurnTiesGoToEven)
{
    // One character of 80 twips at Degree 0: mu = 2.5, 360 - 2.5 = 357.5 -> 358.
    // Of 48 twips: mu = 1.5, 358.5 -> 358 as well.
    for (double w : {80.0, 48.0}) {
        FakeSurface s(w);
        s.Resize(2055, 2055);
        s.setFontSize(12);
        int32_t r = 893;
        DrawArcText(s, QStringLiteral("X"), 1028, 1028, r, 0);
        ASSERT_EQ(s.calls.size(), 1u);
        EXPECT_EQ(s.calls[0].font.lfEscapement, 3580) << w;
    }
}

TEST(ArcText, ArcPointTable)
{
    const struct { double angle; int x, y; } rows[] = {
        {0, 1028, 135}, {90, 1921, 1028}, {180, 1028, 1921}, {270, 135, 1028},
        {-90, 135, 1028}, {720, 1028, 135},
    };
    for (const auto& row : rows) {
        const QPoint p = ArcPoint(1028, 1028, row.angle, 893, 893);
        EXPECT_EQ(p, QPoint(row.x, row.y)) << row.angle;
    }
    // Separate radii: an ellipse.
    EXPECT_EQ(ArcPoint(0, 0, 90, 100, 50), QPoint(100, 0));
    EXPECT_EQ(ArcPoint(0, 0, 180, 100, 50), QPoint(0, 50));
}

TEST(ArcText, LogFontRecord)
{
    struct { float size; bool bold; int32_t height; int32_t weight; } rows[] = {
        {12, false, -16, 400}, {12, true, -16, 800}, {10.5f, false, -14, 400},
        {24, true, -32, 800}, {9, false, -12, 400},
    };
    for (const auto& row : rows) {
        FakeSurface s;
        s.Resize(2055, 2055);
        s.setFontBold(row.bold);
        DrawRotatedChar(90, s, QStringLiteral("黑体"), row.size, 100, 200, QStringLiteral("公"));
        ASSERT_EQ(s.calls.size(), 1u);
        const LogFont& lf = s.calls[0].font;
        EXPECT_EQ(lf.lfHeight, row.height) << row.size;
        EXPECT_EQ(lf.lfWeight, row.weight);
        EXPECT_EQ(lf.lfEscapement, 900);
        EXPECT_EQ(lf.lfOrientation, 0);
        EXPECT_EQ(lf.lfWidth, 0);
        EXPECT_EQ(lf.lfCharSet, 0);
        EXPECT_EQ(lf.lfItalic + lf.lfUnderline + lf.lfStrikeOut, 0);
        EXPECT_EQ(QByteArray(lf.lfFaceName), QByteArray("\xba\xda\xcc\xe5"));
        EXPECT_EQ(s.calls[0].x, 100);
        EXPECT_EQ(s.calls[0].y, 200);
    }
}

TEST(ArcText, RecordedGlyphTurnsClockwise)
{
    // Escapement a x 10 counterclockwise is a clockwise turn of 360 - a.
    FakeSurface s;
    s.Resize(2055, 2055);
    s.setFontSize(12);
    DrawRotatedChar(270, s, QStringLiteral("黑体"), 12, 10, 20, QStringLiteral("公"));
    DrawRotatedChar(-12, s, QStringLiteral("黑体"), 12, 10, 20, QStringLiteral("司"));
    ASSERT_EQ(s.model().items.size(), 2u);
    const auto& a = std::get<DrawnText>(s.model().items[0]);
    const auto& b = std::get<DrawnText>(s.model().items[1]);
    EXPECT_EQ(a.angleDeg, 90);
    EXPECT_EQ(b.angleDeg, 12);
    EXPECT_EQ(a.pixelHeight, 16);
    EXPECT_EQ(a.face, QStringLiteral("黑体"));
}

TEST(ArcText, BlanksTakeTheirPlaceButDrawNothing)
{
    FakeSurface s;
    s.Resize(2055, 2055);
    s.setFontSize(12);
    int32_t r = 893;
    DrawArcText(s, QStringLiteral("A B"), 1028, 1028, r, 0);
    EXPECT_EQ(s.calls.size(), 3u);           // the blank is printed like any character
    EXPECT_EQ(s.model().items.size(), 2u);   // but leaves no glyph
    EXPECT_EQ(s.calls[2].x, 1405);           // the third place, as in the zero row
}

TEST(ArcText, FaceNameOutsideGbkDrawsWithTheNearestFace)
{
    // The record's GBK field cannot hold these names; the glyph is drawn
    // all the same, with the name as given for the face to resolve.
    for (const char* face : {"맑은 고딕", "Font™"}) {
        FakeSurface s;
        s.Resize(2055, 2055);
        ASSERT_NO_THROW(DrawRotatedChar(0, s, QString::fromUtf8(face), 12, 0, 0, QStringLiteral("A")));
        ASSERT_EQ(s.model().items.size(), 1u);
        EXPECT_EQ(std::get<DrawnText>(s.model().items[0]).face, QString::fromUtf8(face));
        EXPECT_EQ(s.hDC().liveFonts(), 0u);
    }
    // A whole seal in such a face: every glyph of the name is there.
    Plomet p;
    p.InitProperties();
    p.setFontName(QStringLiteral("맑은 고딕"));
    ASSERT_NO_THROW(p.Draw());
    int glyphs = 0;
    for (const auto& item : p.image()->model().items)
        if (const auto* t = std::get_if<DrawnText>(&item); t && t->text.size() == 1 && t->text != QStringLiteral("★"))
            ++glyphs;
    EXPECT_EQ(glyphs, 12);
}

TEST(ArcText, PrefixWidthsMatchSeparateMeasurement)
{
    // One pass over the whole text gives what measuring each prefix gives,
    // also where the face shapes pairs differently from single characters
    // (full-width letters, digits and punctuation beside ideographs).
    const struct { const char* face; const char* text; } rows[] = {
        {"黑体", "Qorvel 软 件 有 限 公 司 ABC,.iW"},
        {"宋体", "Ａ 1 , 2 . 3 ( 深 圳 ) 科 技 有 限 公 司"},
        {"宋体", "Ａ1,2.3(深圳)科技有限公司Ａ1,2.3(深圳)科技有限公司"},
        {"黑体", "AVAWAY TeTo «Ａ»，。（１２３）"},
    };
    RecordingSurface s;
    for (const auto& row : rows) {
        s.setFontName(QString::fromUtf8(row.face));
        for (float size : {12.0f, 11.0f, 10.5f, 16.0f}) {
            for (bool bold : {false, true}) {
                s.setFontSize(size);
                s.setFontBold(bold);
                const QString text = QString::fromUtf8(row.text);
                const auto widths = s.PrefixWidths(text);
                ASSERT_EQ(widths.size(), size_t(text.size()) + 1);
                for (qsizetype i = 0; i <= text.size(); ++i)
                    EXPECT_EQ(widths[size_t(i)], s.TextWidth(text.left(i)))
                        << row.face << ' ' << size << ' ' << bold << ' ' << i;
            }
        }
    }
}

TEST(ArcText, PrefixWidthsOfALongNameAreWholeTextCursorPositions)
{
    // The longest name the ring sets: every prefix is measured, the last
    // one is the whole text, and the widths never fall.
    RecordingSurface s;
    s.setFontName(QStringLiteral("宋体"));
    s.setFontSize(11);
    QString text;
    while (text.size() < 32767)
        text += QStringLiteral("Ａ1,2.3(深圳)");
    text.truncate(32767);
    const auto widths = s.PrefixWidths(text);
    ASSERT_EQ(widths.size(), size_t(text.size()) + 1);
    EXPECT_EQ(widths.back(), s.TextWidth(text));
    for (size_t i = 1; i < widths.size(); ++i)
        ASSERT_GE(widths[i], widths[i - 1]) << i;
    for (qsizetype i : {1, 7, 1000, 4097, 20001})
        EXPECT_EQ(widths[size_t(i)], s.TextWidth(text.left(i))) << i;
}

} // namespace
