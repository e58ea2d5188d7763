// Values beyond the data model: Draw must finish, draw something sensible,
// and never wrap, hang or exhaust memory.
#include "seal/Plomet.h"
#include <gtest/gtest.h>
#include <cmath>
#include <functional>
#include <limits>

using namespace plomet;

namespace {

int count(const DrawingModel& m, bool glyphs)
{
    int n = 0;
    for (const auto& it : m.items)
        n += glyphs ? std::holds_alternative<DrawnText>(it) : std::holds_alternative<DrawnCircle>(it);
    return n;
}

// The name's glyphs are single characters (one or two UTF-16 units); the
// sign is the star and the lower lines are longer.
bool isArcGlyph(const DrawnText& t)
{
    return t.text.size() <= 2 && t.text != QStringLiteral("★");
}

int arcGlyphs(const DrawingModel& m)
{
    int n = 0;
    for (const auto& it : m.items)
        if (const auto* t = std::get_if<DrawnText>(&it); t && isArcGlyph(*t))
            ++n;
    return n;
}

bool withinShort(const DrawingModel& m)
{
    for (const auto& it : m.items) {
        if (const auto* t = std::get_if<DrawnText>(&it)) {
            // Every text is finite with a real height; the arc glyphs (one
            // character each) sit at 16-bit positions with a turn in [0, 360).
            if (!std::isfinite(t->x) || !std::isfinite(t->y) || !(t->pixelHeight > 0))
                return false;
            if (isArcGlyph(*t) && (std::fabs(t->x) > 32768 || std::fabs(t->y) > 32768))
                return false;
            if (!(t->angleDeg >= 0 && t->angleDeg < 360))
                return false;
        } else {
            const auto& c = std::get<DrawnCircle>(it);
            if (c.r < 0 || c.r > 32767)
                return false;
        }
    }
    return true;
}

struct LimitRow {
    const char* name;
    std::function<void(Plomet&)> set;
    int arcGlyphs;   // -1: any number
    int circles;     // -1: any number
};

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

const LimitRow kRows[] = {
    {"tiny control: f rounds to 0", [](Plomet& p) { p.setWidth(60); p.setHeight(60); }, 0, 30},  // radii 0..29
    {"zero-size control", [](Plomet& p) { p.setWidth(0); p.setHeight(0); }, 0, 1},
    {"negative size is no size", [](Plomet& p) { p.setWidth(-500); }, 0, 1},
    {"negative font size", [](Plomet& p) { p.setFontSize(-12); }, 0, 51},
    {"NaN font size", [](Plomet& p) { p.setFontSize(kNaN); }, 0, 51},
    {"infinite font size", [](Plomet& p) { p.setFontSize(kInf); }, 0, 51},
    {"huge font size", [](Plomet& p) { p.setFontSize(3e38f); }, 12, 51},
    {"negative Space is none", [](Plomet& p) { p.setSpace(-5); }, 12, 51},
    {"Space 2,000,000,000", [](Plomet& p) { p.setSpace(2000000000); }, -1, 51},
    {"NaN Degree", [](Plomet& p) { p.setDegree(std::nan("")); }, 0, 51},
    {"huge Degree", [](Plomet& p) { p.setDegree(1e300); }, 12, 51},
    {"huge negative Degree", [](Plomet& p) { p.setDegree(-123456789.25); }, 12, 51},
    {"empty name in full-circle mode", [](Plomet& p) { p.setRText(QString()); p.setDegree(-2); }, 0, 51},
    {"negative StarSize", [](Plomet& p) { p.setStarSize(-24); }, 12, 51},
    {"control over 32767 twips", [](Plomet& p) { p.setWidth(80000); p.setHeight(80000); }, 12, 1},  // all at 32767
    {"character beyond the basic plane",
     [](Plomet& p) { p.setRText(QString::fromUtf8("甲\xf0\xa0\x80\x80乙")); }, 3, 51},
};

TEST(PlometLimits, DrawCopesWithEveryRow)
{
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.name);
        Plomet p;
        p.InitProperties();
        row.set(p);
        ASSERT_NO_THROW(p.Draw());
        const DrawingModel& m = p.image()->model();
        if (row.arcGlyphs >= 0)
            EXPECT_EQ(arcGlyphs(m), row.arcGlyphs);
        if (row.circles >= 0)
            EXPECT_EQ(count(m, false), row.circles);
        EXPECT_TRUE(withinShort(m));
        EXPECT_LE(p.image()->pixels().width(), 2185);
    }
}

TEST(PlometLimits, NegativeSpaceDrawsAsZero)
{
    Plomet a, b;
    a.InitProperties();
    b.InitProperties();
    a.setSpace(-3);
    b.setSpace(0);
    a.Draw();
    b.Draw();
    EXPECT_EQ(a.image()->pixels(), b.image()->pixels());
    EXPECT_EQ(a.Space(), -3) << "the property keeps what was written";
}

TEST(PlometLimits, HugeSpaceStaysWithinTheCharacterCount)
{
    Plomet p;
    p.InitProperties();
    p.setRText(QStringLiteral("甲乙"));
    p.setSpace(2000000000);
    p.setDegree(0);
    p.Draw();
    // Two glyphs, the second after at most 32765 blanks.
    const DrawingModel& m = p.image()->model();
    EXPECT_EQ(arcGlyphs(m), 2);
}

TEST(PlometLimits, ModeMinusTwoEmptyNameWritesZeroRadius)
{
    Plomet p;
    p.InitProperties();
    p.setRText(QString());
    p.setDegree(-2);
    p.setFontSize(0);
    p.Draw();
    EXPECT_EQ(p.FontSize(), 0.0f);
    EXPECT_EQ(arcGlyphs(p.image()->model()), 0);
}

TEST(PlometLimits, LongNameDrawsEveryCharacter)
{
    Plomet p;
    p.InitProperties();
    p.setSpace(0);
    p.setRText(QString(40000, QChar(0x516c)));   // 公 x 40000: the first 32767 are set
    p.Draw();
    EXPECT_EQ(arcGlyphs(p.image()->model()), 32767);
    EXPECT_TRUE(withinShort(p.image()->model()));
}

} // namespace
