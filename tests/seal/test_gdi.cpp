// The GDI stand-in: face names in GBK, font handles and selection; and the
// property store.
#include "seal/Gdi.h"
#include "seal/PropertyBag.h"
#include <gtest/gtest.h>

using namespace plomet;

namespace {

TEST(Gdi, FaceNameTable)
{
    const struct { const char* face; bool ok; QByteArray bytes; } rows[] = {
        {"黑体", true, QByteArray("\xba\xda\xcc\xe5")},
        {"SimHei", true, QByteArray("SimHei")},
        {"★", true, QByteArray("\xa1\xef")},
        {"", true, QByteArray()},
        // 31 bytes at most; a double-byte character is never cut in half.
        {"一二三四五六七八九十一二三四五六", true,
         QByteArray("\xd2\xbb\xb6\xfe\xc8\xfd\xcb\xc4\xce\xe5\xc1\xf9\xc6\xdf\xb0\xcb\xbe\xc5\xca\xae"
                    "\xd2\xbb\xb6\xfe\xc8\xfd\xcb\xc4\xce\xe5\xc1\xf9")
             .left(30)},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", true, QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXYZ01234")},
        {"Font™", false, QByteArray("Font")},
        {"黑\xf0\xa0\x80\x80", false, QByteArray("\xba\xda")},   // U+20000
    };
    for (const auto& row : rows) {
        LogFont lf;
        EXPECT_EQ(setFaceName(lf, QString::fromUtf8(row.face)), row.ok) << row.face;
        EXPECT_EQ(QByteArray(lf.lfFaceName), row.bytes) << row.face;
        EXPECT_EQ(lf.lfFaceName[31], '\0');
    }
}

TEST(Gdi, FaceNameComesBackAsText)
{
    LogFont lf;
    ASSERT_TRUE(setFaceName(lf, QStringLiteral("微软雅黑")));
    EXPECT_EQ(faceName(lf), QStringLiteral("微软雅黑"));
    // The cache of the last name must not leak into a different name.
    ASSERT_TRUE(setFaceName(lf, QStringLiteral("宋体")));
    EXPECT_EQ(faceName(lf), QStringLiteral("宋体"));
}

TEST(Gdi, SelectAndDelete)
{
    GdiDC dc;
    EXPECT_NE(dc.handle(), 0);
    EXPECT_NE(GdiDC().handle(), dc.handle());
    LogFont lf;
    lf.lfHeight = -16;
    const HFONT a = dc.CreateFontIndirectA(lf);
    const HFONT b = dc.CreateFontIndirectA(lf);
    EXPECT_NE(a, 0u);
    EXPECT_NE(a, b);
    EXPECT_EQ(dc.SelectObject(a), 0u);
    ASSERT_NE(dc.selectedFont(), nullptr);
    EXPECT_EQ(dc.selectedFont()->lfHeight, -16);
    EXPECT_FALSE(dc.DeleteObject(a)) << "the selected font cannot be deleted";
    EXPECT_EQ(dc.SelectObject(b), a);
    EXPECT_TRUE(dc.DeleteObject(a));
    EXPECT_FALSE(dc.DeleteObject(a)) << "twice";
    EXPECT_EQ(dc.SelectObject(0), b);
    EXPECT_EQ(dc.selectedFont(), nullptr);
    EXPECT_TRUE(dc.DeleteObject(b));
    EXPECT_EQ(dc.liveFonts(), 0u);
}

TEST(PropertyBagStore, DefaultsAndLetterCase)
{
    PropertyBag bag;
    bag.WriteProperty(QStringLiteral("StarSize"), 24, 24);
    EXPECT_FALSE(bag.contains(QStringLiteral("starsize")));
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("STARSIZE"), 24), QVariant(24));
    bag.WriteProperty(QStringLiteral("StarSize"), 30, 24);
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("starSize"), 24), QVariant(30));
    // Writing the default again removes the stored value.
    bag.WriteProperty(QStringLiteral("starsize"), 24, 24);
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("StarSize"), 99), QVariant(99));
    // False is not the same as 0, nor "" as no value.
    bag.WriteProperty(QStringLiteral("ShowDate"), false, 0);
    EXPECT_TRUE(bag.contains(QStringLiteral("ShowDate")));
    bag.WriteProperty(QStringLiteral("rText"), QString(), QVariant());
    EXPECT_TRUE(bag.contains(QStringLiteral("RText")));
    EXPECT_EQ(bag.keys(), (QStringList{QStringLiteral("rText"), QStringLiteral("ShowDate")}));
}

} // namespace
