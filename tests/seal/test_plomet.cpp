// The seal control: new values, persistence, announcements, write-back, and
// the geometry Draw lays out.
#include "seal/Plomet.h"
#include "seal/RecordingSurface.h"
#include "seal/Errors.h"
#include <gtest/gtest.h>
#include <QStringList>

using namespace plomet;

namespace {

std::vector<DrawnCircle> circles(const DrawingModel& m)
{
    std::vector<DrawnCircle> out;
    for (const auto& it : m.items)
        if (const auto* c = std::get_if<DrawnCircle>(&it))
            out.push_back(*c);
    return out;
}

std::vector<DrawnText> texts(const DrawingModel& m)
{
    std::vector<DrawnText> out;
    for (const auto& it : m.items)
        if (const auto* t = std::get_if<DrawnText>(&it))
            out.push_back(*t);
    return out;
}

const DrawnText* findText(const DrawingModel& m, const QString& text)
{
    for (const auto& it : m.items)
        if (const auto* t = std::get_if<DrawnText>(&it); t && t->text == text)
            return t;
    return nullptr;
}

struct Announcements {
    explicit Announcements(Plomet& p)
    {
        QObject::connect(&p, &Plomet::PropertyChanged, [this](const QString& n) { names << n; });
    }
    QStringList names;
};

void expectNewValues(const Plomet& p, bool fontBold)
{
    EXPECT_TRUE(p.ShowStar());
    EXPECT_FALSE(p.ShowDate());
    EXPECT_EQ(p.FontBold(), fontBold);
    EXPECT_EQ(p.MidSign(), QStringLiteral("★"));
    EXPECT_EQ(p.StarSize(), 24);
    EXPECT_EQ(p.Degree(), -1.0);
    EXPECT_EQ(p.pText(), QString());
    EXPECT_EQ(p.pText1(), QStringLiteral("专用章"));
    EXPECT_EQ(p.ForeColor(), 255);
    EXPECT_EQ(p.FontName(), QStringLiteral("黑体"));
    EXPECT_EQ(p.FontSize(), 12.0f);
    EXPECT_EQ(p.Space(), 1);
    EXPECT_EQ(p.BackColor(), 0);
    EXPECT_EQ(p.rText(), QStringLiteral("Qorvel软件有限公司"));
}

TEST(PlometProperties, CreatedHoldsZeroValuesAndNoImage)
{
    Plomet p;
    EXPECT_EQ(p.image(), nullptr);
    EXPECT_EQ(p.FontSize(), 0.0f);
    EXPECT_EQ(p.rText(), QString());
    EXPECT_FALSE(p.ShowStar());
    EXPECT_EQ(p.Width(), 2055.0f);
    EXPECT_EQ(p.Height(), 2055.0f);
    EXPECT_NE(p.hDC(), 0);
    EXPECT_EQ(p.hwnd(), 0);
}

TEST(PlometProperties, InitPropertiesGivesNewValuesSilentlyAndDraws)
{
    Plomet p;
    Announcements a(p);
    int draws = 0;
    QObject::connect(&p, &Plomet::drawn, [&] { ++draws; });
    p.InitProperties();
    expectNewValues(p, false);
    EXPECT_TRUE(a.names.isEmpty());
    EXPECT_EQ(draws, 1);
    ASSERT_NE(p.image(), nullptr);
}

TEST(PlometProperties, EmptyStoreGivesNewValuesButBold)
{
    Plomet p;
    Announcements a(p);
    PropertyBag empty;
    p.ReadProperties(empty);
    expectNewValues(p, true);
    EXPECT_EQ(a.names, QStringList{QStringLiteral("FontBold")});
    EXPECT_NE(p.image(), nullptr);
}

TEST(PlometProperties, SaveAndRestoreRoundTrip)
{
    Plomet a;
    a.InitProperties();
    a.setShowStar(false);
    a.setShowDate(true);
    a.setFontBold(false);
    a.setMidSign(QStringLiteral("☆"));
    a.setStarSize(30);
    a.setDegree(12.75);
    a.setPText(QStringLiteral("合同"));
    a.setPText1(QStringLiteral(""));
    a.setForeColor(0x00ff0000);
    a.setFontName(QStringLiteral("宋体"));
    a.setFontSize(10.5f);
    a.setSpace(0);
    a.setBackColor(0x123456);
    a.setRText(QStringLiteral("Tervin有限公司"));
    PropertyBag store;
    a.WriteProperties(store);
    EXPECT_TRUE(store.keys().contains(QStringLiteral("rText")));
    EXPECT_FALSE(store.keys().contains(QStringLiteral("RText")));

    Plomet b;
    b.ReadProperties(store);
    EXPECT_EQ(b.ShowStar(), a.ShowStar());
    EXPECT_EQ(b.ShowDate(), a.ShowDate());
    EXPECT_EQ(b.FontBold(), a.FontBold());
    EXPECT_EQ(b.MidSign(), a.MidSign());
    EXPECT_EQ(b.StarSize(), a.StarSize());
    EXPECT_EQ(b.Degree(), a.Degree());
    EXPECT_EQ(b.pText(), a.pText());
    EXPECT_EQ(b.pText1(), a.pText1());
    EXPECT_EQ(b.ForeColor(), a.ForeColor());
    EXPECT_EQ(b.FontName(), a.FontName());
    EXPECT_EQ(b.FontSize(), a.FontSize());
    EXPECT_EQ(b.Space(), a.Space());
    EXPECT_EQ(b.BackColor(), a.BackColor());
    EXPECT_EQ(b.rText(), a.rText());
}

TEST(PlometProperties, DefaultsAreLeftOutAndStillRestore)
{
    Plomet a;
    a.InitProperties();
    PropertyBag store;
    a.WriteProperties(store);
    // Only FontBold differs from its write default (False against True).
    EXPECT_EQ(store.keys(), QStringList{QStringLiteral("FontBold")});
    Plomet b;
    b.ReadProperties(store);
    expectNewValues(b, false);
}

TEST(PlometProperties, KeysMatchWithoutLetterCase)
{
    PropertyBag store;
    store.WriteProperty(QStringLiteral("rtext"), QStringLiteral("甲乙"));
    store.WriteProperty(QStringLiteral("STARSIZE"), 30);
    store.WriteProperty(QStringLiteral("fontsize"), QStringLiteral("10.5"));
    Plomet p;
    p.ReadProperties(store);
    EXPECT_EQ(p.rText(), QStringLiteral("甲乙"));
    EXPECT_EQ(p.StarSize(), 30);
    EXPECT_EQ(p.FontSize(), 10.5f);
}

TEST(PlometProperties, EveryWriteAnnouncesItsOwnNameOnce)
{
    Plomet p;
    p.InitProperties();
    const struct { const char* name; std::function<void(Plomet&)> write; } rows[] = {
        {"ShowStar", [](Plomet& s) { s.setShowStar(false); }},
        {"ShowDate", [](Plomet& s) { s.setShowDate(true); }},
        {"FontBold", [](Plomet& s) { s.setFontBold(true); }},
        {"MidSign", [](Plomet& s) { s.setMidSign(QStringLiteral("x")); }},
        {"StarSize", [](Plomet& s) { s.setStarSize(3); }},
        {"Degree", [](Plomet& s) { s.setDegree(2); }},
        {"pText", [](Plomet& s) { s.setPText(QStringLiteral("x")); }},
        {"pText1", [](Plomet& s) { s.setPText1(QStringLiteral("x")); }},
        {"ForeColor", [](Plomet& s) { s.setForeColor(1); }},
        {"FontName", [](Plomet& s) { s.setFontName(QStringLiteral("宋体")); }},
        {"FontSize", [](Plomet& s) { s.setFontSize(9); }},
        {"Space", [](Plomet& s) { s.setSpace(2); }},
        {"BackColor", [](Plomet& s) { s.setBackColor(2); }},
        {"rText", [](Plomet& s) { s.setRText(QStringLiteral("x")); }},
    };
    for (const auto& row : rows) {
        Announcements a(p);
        row.write(p);
        EXPECT_EQ(a.names, QStringList{QString::fromLatin1(row.name)});
        QObject::disconnect(&p, &Plomet::PropertyChanged, nullptr, nullptr);
    }
}

TEST(PlometProperties, FontWritesSetTheSurfaceFontAtOnce)
{
    Plomet p;
    p.InitProperties();
    p.setFontName(QStringLiteral("宋体"));
    p.setFontSize(10.2f);
    EXPECT_EQ(p.pic1().FontName(), QStringLiteral("宋体"));
    EXPECT_EQ(p.pic1().FontSize(), 10.5f);   // 13.6 px -> 14 px -> 10.5 pt
    EXPECT_EQ(p.FontSize(), 10.2f);          // the property keeps what was written
}

TEST(PlometProperties, WritesLeaveImageUntilDraw)
{
    Plomet p;
    p.InitProperties();
    const PicturePtr before = p.image();
    const QImage pixels = before->pixels();
    p.setRText(QStringLiteral("别的公司"));
    p.setForeColor(0xff0000);
    p.setWidth(3000);
    EXPECT_EQ(p.image(), before);
    EXPECT_EQ(p.image()->pixels(), pixels);
    p.Draw();
    EXPECT_NE(p.image(), before);
    EXPECT_NE(p.image()->pixels(), pixels);
    EXPECT_EQ(before->pixels(), pixels) << "a picture handed out never changes";
}

TEST(PlometProperties, ZeroSizesAreDrawnChosenAndKeptZero)
{
    // A zero size is chosen when drawn, never written back: the seal still
    // reads 0 (so its file keeps 0) and draws as the chosen size does.
    const struct { const char* name; float size; } rows[] = {
        {"甲乙丙丁戊", 16}, {"甲乙丙丁戊己", 12}, {"", 16},
    };
    for (const auto& row : rows) {
        Plomet zero, chosen;
        for (Plomet* p : {&zero, &chosen}) {
            p->InitProperties();
            p->setRText(QString::fromUtf8(row.name));
        }
        zero.setFontSize(0);
        zero.setStarSize(0);
        chosen.setFontSize(row.size);
        chosen.setStarSize(24);
        zero.Draw();
        chosen.Draw();
        EXPECT_EQ(zero.FontSize(), 0.0f) << row.name;
        EXPECT_EQ(zero.StarSize(), 0) << row.name;
        EXPECT_EQ(zero.image()->pixels(), chosen.image()->pixels()) << row.name;
    }
}

TEST(PlometProperties, UnconvertibleStoreValueStopsRestoring)
{
    // MidSign is read after all of these but Space.
    const struct { const char* key; QVariant value; PlometError::Kind kind; bool beforeMidSign; } rows[] = {
        {"StarSize", QStringLiteral("abc"), PlometError::Kind::TypeMismatch, true},
        {"StarSize", 40000, PlometError::Kind::Overflow, true},
        {"Degree", QStringLiteral("1,5"), PlometError::Kind::TypeMismatch, true},
        {"Degree", QStringLiteral("1e400"), PlometError::Kind::Overflow, true},
        {"FontBold", QStringLiteral("yes"), PlometError::Kind::TypeMismatch, true},
        {"FontSize", 1e300, PlometError::Kind::Overflow, true},
        {"Space", 1e12, PlometError::Kind::Overflow, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.key);
        Plomet p;
        p.InitProperties();
        p.setShowDate(false);
        p.setMidSign(QStringLiteral("old"));
        const PicturePtr before = p.image();
        PropertyBag store;
        store.WriteProperty(QStringLiteral("ShowDate"), true);
        store.WriteProperty(QString::fromLatin1(row.key), row.value);
        try {
            p.ReadProperties(store);
            ADD_FAILURE() << "no error";
        } catch (const PlometError& e) {
            EXPECT_EQ(e.kind(), row.kind);
            EXPECT_TRUE(e.message().contains(QString::fromLatin1(row.key))) << e.what();
        }
        EXPECT_TRUE(p.ShowDate()) << "an earlier item keeps its new value";
        if (row.beforeMidSign)
            EXPECT_EQ(p.MidSign(), QStringLiteral("old")) << "a later item keeps its old value";
        else
            EXPECT_EQ(p.MidSign(), QStringLiteral("★")) << "an earlier item takes the store's value";
        EXPECT_EQ(p.image(), before) << "no closing Draw";
    }
}

TEST(PlometProperties, StoreValuesConvertToTheItemType)
{
    PropertyBag store;
    store.WriteProperty(QStringLiteral("ShowStar"), QStringLiteral("False"));
    store.WriteProperty(QStringLiteral("StarSize"), 20.5);       // half to even: 20
    store.WriteProperty(QStringLiteral("ForeColor"), QStringLiteral("16711680"));
    store.WriteProperty(QStringLiteral("pText"), 42);
    store.WriteProperty(QStringLiteral("FontBold"), 0);
    store.WriteProperty(QStringLiteral("Space"), QStringLiteral(" true "));   // True is -1
    store.WriteProperty(QStringLiteral("Degree"), true);
    store.WriteProperty(QStringLiteral("Aging"), 150);   // by type only: drawing clamps it
    Plomet p;
    p.ReadProperties(store);
    EXPECT_FALSE(p.ShowStar());
    EXPECT_EQ(p.StarSize(), 20);
    EXPECT_EQ(p.ForeColor(), 16711680);
    EXPECT_EQ(p.pText(), QStringLiteral("42"));
    EXPECT_FALSE(p.FontBold());
    EXPECT_EQ(p.Space(), -1);
    EXPECT_EQ(p.Degree(), -1.0);
    EXPECT_EQ(p.Aging(), 150);
}

TEST(PlometProperties, MinPicksTheFirstOnlyWhenSmaller)
{
    EXPECT_EQ(Plomet::Min(1, 2), 1);
    EXPECT_EQ(Plomet::Min(2.5f, 2.0f), 2.0f);
    EXPECT_EQ(Plomet::Min(3, 2.5), 2.5);
    const float h = 2000, w = 3000;
    EXPECT_EQ(Plomet::Min(h, w), 2000.0f);
}

// --- geometry of Draw ---

TEST(PlometDrawing, DefaultSealGeometry)
{
    Plomet p;
    p.InitProperties();
    const DrawingModel& m = p.image()->model();
    const auto ring = circles(m);
    ASSERT_EQ(ring.size(), 51u);
    for (size_t i = 0; i < ring.size(); ++i) {
        EXPECT_EQ(ring[i].cx, 1028);
        EXPECT_EQ(ring[i].cy, 1028);
        EXPECT_EQ(ring[i].r, 929 + double(i));
        EXPECT_EQ(ring[i].color, qRgb(255, 0, 0));
    }
    // The sign's cell centred by the estimate: 1028 - 19 x 24 / 2 = 800.
    const DrawnText* star = findText(m, QStringLiteral("★"));
    ASSERT_NE(star, nullptr);
    EXPECT_EQ(star->x, 800);
    EXPECT_EQ(star->y, 800);
    EXPECT_EQ(star->pixelHeight, 32);
    EXPECT_EQ(star->weight, 400);
    // The second lower line: size 10.2 reads back 10.5;
    // x = 1028 - 10.5 x 3 x 19 / 2, y = 19 x 10.5 / 2 + 1028 + 48 + 350.
    const DrawnText* line = findText(m, QStringLiteral("专用章"));
    ASSERT_NE(line, nullptr);
    EXPECT_DOUBLE_EQ(line->x, 728.75);
    EXPECT_DOUBLE_EQ(line->y, 1525.75);
    EXPECT_EQ(line->pixelHeight, 14);
    // The name: 12 glyphs (blanks draw nothing), tops on the radius-893 circle.
    int glyphs = 0;
    for (const auto& t : texts(m)) {
        if (t.text.size() != 1 || t.text == QStringLiteral("★"))
            continue;
        ++glyphs;
        const double d = std::hypot(t.x - 1028, t.y - 1028);
        EXPECT_NEAR(d, 893, 1.0) << t.text.toStdString();
        EXPECT_LT(t.y, 1028) << "the name stays in the upper part";
        EXPECT_EQ(t.pixelHeight, 16);
    }
    EXPECT_EQ(glyphs, 12);
}

TEST(PlometDrawing, LowerLinePositions)
{
    const struct { int16_t star; const char* p; const char* p1; double y0, y1, x0; } rows[] = {
        // y = 19 x 10.5 / 2 + cy + StarSize + 150 ; x = 1028 - 10.5 x len x 19 / 2
        {24, "合同专用", "专用章", 1301.75, 1525.75, 629},
        {0, "合同专用", "专用章", 1301.75, 1525.75, 629},     // 0 is drawn as 24
        {40, "AB", "专用章", 1317.75, 1557.75, 828.5},
        {-10, "AB", "专用章", 1267.75, 1457.75, 828.5},
    };
    for (const auto& row : rows) {
        Plomet p;
        p.InitProperties();
        p.setStarSize(row.star);
        p.setPText(QString::fromUtf8(row.p));
        p.setPText1(QString::fromUtf8(row.p1));
        p.Draw();
        const DrawingModel& m = p.image()->model();
        const DrawnText* a = findText(m, QString::fromUtf8(row.p));
        const DrawnText* b = findText(m, QString::fromUtf8(row.p1));
        ASSERT_TRUE(a && b) << row.star;
        EXPECT_DOUBLE_EQ(a->y, row.y0) << row.star;
        EXPECT_DOUBLE_EQ(b->y, row.y1) << row.star;
        EXPECT_DOUBLE_EQ(a->x, row.x0) << row.star;
    }
}

TEST(PlometDrawing, BoldAffectsNameAndSignButNotLowerLines)
{
    Plomet p;
    p.InitProperties();
    p.setFontBold(true);
    p.setPText(QStringLiteral("合同"));
    p.Draw();
    const DrawingModel& m = p.image()->model();
    EXPECT_EQ(findText(m, QStringLiteral("★"))->weight, 700);
    EXPECT_EQ(findText(m, QStringLiteral("公"))->weight, 800);
    EXPECT_EQ(findText(m, QStringLiteral("合同"))->weight, 400);
    EXPECT_EQ(findText(m, QStringLiteral("专用章"))->weight, 400);
}

TEST(PlometDrawing, SignAndLinesFollowTheProperties)
{
    Plomet p;
    p.InitProperties();
    p.setMidSign(QStringLiteral("☆★"));
    p.setPText1(QString());
    p.Draw();
    EXPECT_NE(findText(p.image()->model(), QStringLiteral("☆")), nullptr);
    EXPECT_EQ(findText(p.image()->model(), QStringLiteral("★")), nullptr);
    EXPECT_EQ(findText(p.image()->model(), QStringLiteral("专用章")), nullptr);
    p.setShowStar(false);
    p.Draw();
    EXPECT_EQ(findText(p.image()->model(), QStringLiteral("☆")), nullptr);
}

TEST(PlometDrawing, RectangularControlGivesCentredCircleOfSmallerSide)
{
    const struct { float w, h; double cx, cy; double rMin, rMax; } rows[] = {
        {3000, 2000, 1500, 1000, 902, 952},   // m = 2000, R = 952.38
        {2000, 3000, 1000, 1500, 902, 952},
    };
    for (const auto& row : rows) {
        Plomet p;
        p.InitProperties();
        p.setWidth(row.w);
        p.setHeight(row.h);
        p.Draw();
        const auto ring = circles(p.image()->model());
        ASSERT_EQ(ring.size(), 51u);
        EXPECT_EQ(ring.front().r, row.rMin);
        EXPECT_EQ(ring.back().r, row.rMax);
        EXPECT_EQ(ring.front().cx, row.cx);
        EXPECT_EQ(ring.front().cy, row.cy);
        EXPECT_EQ(p.image()->pixels().size(), QSize(int(row.w / 15), int(row.h / 15)));
        // Name glyph tops on the radius round(2000 / 2.3) = 870 circle.
        const DrawnText* g = findText(p.image()->model(), QStringLiteral("公"));
        ASSERT_NE(g, nullptr);
        EXPECT_NEAR(std::hypot(g->x - row.cx, g->y - row.cy), 870, 1.0);
    }
}

TEST(PlometDrawing, SpaceRepeatsBlanksBetweenCharacters)
{
    const struct { int32_t space; int glyphs; } rows[] = {{0, 3}, {1, 3}, {3, 3}};
    double previousSpan = -1;
    for (const auto& row : rows) {
        Plomet p;
        p.InitProperties();
        p.setRText(QStringLiteral("甲乙丙"));
        p.setSpace(row.space);
        p.setDegree(0);
        p.Draw();
        const DrawnText* first = findText(p.image()->model(), QStringLiteral("甲"));
        const DrawnText* last = findText(p.image()->model(), QStringLiteral("丙"));
        ASSERT_TRUE(first && last);
        // The last glyph's turn grows with the blanks in between.
        const double span = std::fmod(last->angleDeg - first->angleDeg + 360, 360);
        EXPECT_GT(span, previousSpan) << row.space;
        previousSpan = span;
    }
}

TEST(PlometDrawing, ColoursAndSystemColours)
{
    const struct { int32_t color; QRgb rgb; } rows[] = {
        {255, qRgb(255, 0, 0)}, {0x00ff0000, qRgb(0, 0, 255)}, {0x0000ff00, qRgb(0, 255, 0)},
        {int32_t(0x80000008u), qRgb(0, 0, 0)}, {int32_t(0x80000005u), qRgb(255, 255, 255)},
        {int32_t(0x8000000Du), qRgb(0, 120, 215)}, {int32_t(0x800000ffu), qRgb(0, 0, 0)},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(colorToRgb(row.color), row.rgb) << std::hex << row.color;
        Plomet p;
        p.InitProperties();
        p.setForeColor(row.color);
        p.setBackColor(0x00ff00);   // never applied
        p.Draw();
        for (const auto& c : circles(p.image()->model()))
            ASSERT_EQ(c.color, row.rgb);
        EXPECT_EQ(p.image()->model().background, qRgb(255, 255, 255));
    }
}

} // namespace
