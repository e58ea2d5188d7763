// The seal's own text engine: which installed face draws each character of
// a name, how far a text advances, and that threads measuring at once agree.
#include "seal/Fonts.h"
#include "seal/GlyphOutlines.h"
#include <gtest/gtest.h>
#include <QStringList>
#include <array>
#include <atomic>
#include <numeric>
#include <thread>
#include <vector>

using namespace plomet;

namespace {

TEST(TextEngine, FamilyOfEachCharacterTable)
{
    // family: the one expected; "Latin": the first installed Latin face;
    // nullptr: any installed face for simplified Chinese that is not one the
    // name stands for (a fallback).
    const QString latin = installedFacesOfStyle(FaceStyle::Latin).value(0);
    ASSERT_FALSE(latin.isEmpty());
    const struct { const char* face; int weight; const char* text; const char* family; } rows[] = {
        {"黑体", 400, "公司Ab★", "Noto Sans CJK SC"},
        {"黑体", 800, "章", "Noto Sans CJK SC"},
        {"SimSun", 700, "发票", "Noto Serif CJK SC"},
        {"楷体", 400, "财务", "AR PL UKai CN"},
        {"Arial", 400, "Ab9", "Latin"},
        {"Nimbus Sans", 700, "Ab", "Nimbus Sans"},
        {"DejaVu Sans", 700, "Ab", "DejaVu Sans"},
        {"dejavu sans", 400, "x", "DejaVu Sans"},
        // A CJK character in a Latin face comes from a CJK face.
        {"Arial", 400, "公", nullptr},
        {"DejaVu Sans", 400, "国章", nullptr},
    };
    const QStringList cjk = installedFamilies(true);
    for (const auto& row : rows) {
        const QString face = QString::fromUtf8(row.face);
        for (char32_t cp : QString::fromUtf8(row.text).toUcs4()) {
            const DrawingFace drawn = drawingFace(face, row.weight, cp);
            const QString what = QStringLiteral("%1 U+%2 -> %3").arg(face).arg(uint(cp), 4, 16).arg(drawn.family);
            if (row.family) {
                const QString want = qstrcmp(row.family, "Latin") == 0 ? latin : QString::fromUtf8(row.family);
                EXPECT_EQ(drawn.family, want) << what.toStdString();
                EXPECT_FALSE(drawn.fallback) << what.toStdString();
            } else {
                EXPECT_TRUE(drawn.fallback) << what.toStdString();
                EXPECT_TRUE(cjk.contains(drawn.family)) << what.toStdString();
            }
            EXPECT_GT(textAdvance(face, 20, row.weight, QString::fromUcs4(&cp, 1)), 0) << what.toStdString();
        }
    }
}

TEST(TextEngine, AdvancesAddUpByPrefix)
{
    // An ideograph is one em; a prefix ends where the next character starts,
    // also around a character outside the basic plane (U+20000, two UTF-16 units).
    EXPECT_DOUBLE_EQ(textAdvance(QStringLiteral("黑体"), 16, 400, QStringLiteral("公司")), 32);
    const QString text = QStringLiteral("A\U00020000b公");
    const std::vector<double> p = prefixAdvances(QStringLiteral("黑体"), 20, 700, text);
    ASSERT_EQ(p.size(), size_t(text.size()) + 1);
    EXPECT_EQ(p[0], 0);
    EXPECT_GT(p[1], 0);
    EXPECT_EQ(p[2], p[1]) << "inside the pair";
    EXPECT_GT(p[3], p[1]);
    EXPECT_GT(p[4], p[3]);
    EXPECT_DOUBLE_EQ(p[5] - p[4], 20) << "the ideograph, one em";
    EXPECT_DOUBLE_EQ(p.back(), textAdvance(QStringLiteral("黑体"), 20, 700, text));
    // Advances scale with the size: no whole-pixel hinting in between.
    EXPECT_DOUBLE_EQ(textAdvance(QStringLiteral("Arial"), 30, 400, QStringLiteral("Wave")),
                     3 * textAdvance(QStringLiteral("Arial"), 10, 400, QStringLiteral("Wave")));
}

TEST(TextEngine, MissingGlyphsHaveNoFaceButKeepTheirPlace)
{
    // U+EEEE (private use) and U+0378 (unassigned): no installed face maps them.
    for (const char* face : {"黑体", "Arial", "No Such Face"})
        for (char32_t cp : {char32_t(0xEEEE), char32_t(0x0378)}) {
            EXPECT_EQ(drawingFace(QString::fromUtf8(face), 400, cp).family, QString()) << face << ' ' << uint(cp);
            // Drawn as the first face's box, which advances like a glyph.
            EXPECT_GT(textAdvance(QString::fromUtf8(face), 16, 400, QString::fromUcs4(&cp, 1)), 0) << face;
        }
    EXPECT_FALSE(primaryFamily(QStringLiteral("No Such Face")).isEmpty()) << "a stand-in draws an unknown name";
    EXPECT_TRUE(familyInstalled(QStringLiteral("dejavu sans")));
    EXPECT_FALSE(familyInstalled(QStringLiteral("No Such Face")));
}

TEST(TextEngine, FourThreadsMeasureAlike)
{
    // Names and weights no other test asks for: the threads meet the engine
    // with nothing kept yet for them.
    const QStringList faces = {QStringLiteral("KAITI"), QStringLiteral("simhei"), QStringLiteral("NSimSun"),
                               QStringLiteral("Nimbus Sans")};
    const QString text = QStringLiteral("Qorvel软件有限公司★合同专用章91110000");
    struct Result {
        std::vector<double> prefixes;
        std::vector<double> emTops;
        std::vector<int> elements;
        bool operator==(const Result& o) const
        {
            return prefixes == o.prefixes && emTops == o.emTops && elements == o.elements;
        }
    };
    auto measure = [&]() {
        Result r;
        for (int round = 0; round < 3; ++round)
            for (const QString& face : faces)
                for (int weight : {400, 800}) {
                    for (const double w : prefixAdvances(face, 17 + round, weight, text))
                        r.prefixes.push_back(w);
                    for (char32_t cp : text.toUcs4()) {
                        r.emTops.push_back(emTopOf(face, 23, weight, cp));
                        r.elements.push_back(textOutline(face, 23, weight, QString::fromUcs4(&cp, 1)).elementCount());
                    }
                }
        return r;
    };
    std::array<Result, 4> got;
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (size_t i = 0; i < got.size(); ++i)
        threads.emplace_back([&, i] {
            ++ready;
            while (ready.load() < int(got.size())) {
            }
            got[i] = measure();
        });
    for (std::thread& t : threads)
        t.join();
    const Result alone = measure();
    EXPECT_GT(std::accumulate(alone.elements.begin(), alone.elements.end(), 0), 0) << "outlines were read";
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_TRUE(got[i] == alone) << "thread " << i;
}

} // namespace
