// Presets: the documented sizes on paper (from the drawing model and from a
// rendered picture), scaling with the size, and their order with --set.
#include "CliRun.h"
#include "formats/PmfFile.h"
#include "seal/Fonts.h"
#include "seal/GlyphOutlines.h"
#include "seal/Plomet.h"
#include "seal/Presets.h"
#include "seal/SettingText.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QTemporaryDir>
#include <cmath>
#include <variant>

using namespace plomet;
using plomet::test::runPlomet;

namespace {

constexpr double kTwipsPerMm = 1440.0 / 25.4;

struct PresetRowT {
    const char* name;
    double widthMm, heightMm, bandMm;
    const char* pText1;
};
const PresetRowT kRows[] = {
    {"公章", 42, 42, 1.2, ""},
    {"合同专用章", 40, 40, 1.0, "合同专用章"},
    {"财务专用章", 40, 40, 1.0, "财务专用章"},
    {"发票专用章", 40, 30, 1.0, ""},
};

// The band: the widest-reaching ellipse the seal drew.
DrawnEllipse bandOf(const DrawingModel& model)
{
    DrawnEllipse band;
    for (const DrawnItem& item : model.items)
        if (const auto* e = std::get_if<DrawnEllipse>(&item))
            if (e->rx + e->penWidth / 2 > band.rx + band.penWidth / 2)
                band = *e;
    return band;
}

TEST(Presets, SizesOnPaperFromTheDrawingModel)
{
    ASSERT_EQ(presetNames(), (QStringList{"公章", "合同专用章", "财务专用章", "发票专用章"}));
    for (const PresetRowT& row : kRows) {
        for (double askMm : {0.0, 30.0, 58.0}) {
            const double k = askMm > 0 ? askMm / row.widthMm : 1.0;
            Plomet seal;
            seal.InitProperties();
            const auto values = presetSettings(QString::fromUtf8(row.name), askMm);
            ASSERT_TRUE(values);
            for (const auto& [row, value] : *values)
                seal.setValue(*row, value);
            EXPECT_TRUE(seal.Fit()) << row.name;
            seal.Draw();
            const DrawnEllipse band = bandOf(seal.image()->model());
            const double outerW = 2 * (band.rx + band.penWidth / 2) / kTwipsPerMm;
            const double outerH = 2 * (band.ry + band.penWidth / 2) / kTwipsPerMm;
            // Whole twips for the control's size: within 0.02 mm.
            EXPECT_NEAR(outerW, row.widthMm * k, 0.02) << row.name << " at " << askMm;
            EXPECT_NEAR(outerH, row.heightMm * k, 0.02) << row.name << " at " << askMm;
            EXPECT_NEAR(band.penWidth / kTwipsPerMm, row.bandMm * k, 0.01) << row.name;
            EXPECT_EQ(seal.pText1(), QString::fromUtf8(row.pText1)) << row.name;
            // Fonts scale with the size: the name's em in millimetres.
            const double nameEmMm = seal.FontSize() * 25.4 / 72;
            EXPECT_NEAR(nameEmMm / (row.widthMm * k), std::string(row.name) == "发票专用章" ? 4.2 / 40 : 0.15, 0.003)
                << row.name;
        }
    }
}

TEST(Presets, InvoiceSealFollowsThePublishedLayout)
{
    Plomet seal;
    seal.InitProperties();
    const auto values = presetSettings(QStringLiteral("发票专用章"));
    ASSERT_TRUE(values);
    for (const auto& [row, value] : *values)
        seal.setValue(*row, value);
    EXPECT_EQ(seal.shape(), Shape::Oval);
    EXPECT_EQ(seal.FontName(), QStringLiteral("仿宋"));
    EXPECT_NEAR(seal.FontSize() * 25.4 / 72, 4.2, 0.03);        // the name 4.2 mm
    EXPECT_NEAR(seal.MidTextWidth() / kTwipsPerMm, 18 * 1.3, 0.02); // 18 characters 1.3 mm wide
    EXPECT_EQ(seal.CodeFontName(), QStringLiteral("Arial"));
    EXPECT_EQ(seal.pText(), QStringLiteral("发票专用章"));
    EXPECT_FALSE(seal.ShowStar());
    EXPECT_EQ(seal.ForeColor(), 255);

    // "发票专用章" as drawn, with a long name and the tax number above it:
    // 4.6 mm high (an em of whole pixels at 96 dpi: within half a pixel) and
    // 3 mm wide a character, centred.
    applySetting(seal, QStringLiteral("rText"), QStringLiteral("Tervin科技股份有限公司"));
    applySetting(seal, QStringLiteral("MidText"), QStringLiteral("91110108MA01ABCD2X"));
    seal.Draw();
    const DrawingModel& m = seal.image()->model();
    const DrawnText* lower = nullptr;
    for (const auto& item : m.items)
        if (const auto* t = std::get_if<DrawnText>(&item); t && t->text == QStringLiteral("发票专用章"))
            lower = t;
    ASSERT_NE(lower, nullptr);
    EXPECT_NEAR(lower->pixelHeight * m.twipsPerPixelY / kTwipsPerMm, 4.6, 0.5 * 25.4 / 96);
    const double advance = std::lround(textAdvance(lower->face, wholePixels(lower->pixelHeight), lower->weight,
                                                   lower->text)) * m.twipsPerPixelX;
    EXPECT_NEAR(advance * lower->stretch / kTwipsPerMm, 5 * 3.0, 0.05);
    EXPECT_NEAR(lower->x + advance * lower->stretch / 2, m.widthTwips / 2, 0.5 * kTwipsPerMm);
}

// The extent of the non-white pixels along the middle row and column.
QSize inkExtent(const QImage& image)
{
    auto inked = [&](int x, int y) { return qGray(image.pixel(x, y)) < 200; };
    int left = -1, right = -1, top = -1, bottom = -1;
    const int my = image.height() / 2, mx = image.width() / 2;
    for (int x = 0; x < image.width(); ++x)
        if (inked(x, my)) {
            if (left < 0)
                left = x;
            right = x;
        }
    for (int y = 0; y < image.height(); ++y)
        if (inked(mx, y)) {
            if (top < 0)
                top = y;
            bottom = y;
        }
    return QSize(right - left + 1, bottom - top + 1);
}

TEST(Presets, KeepTheCompanysOwnValuesAndSetTheRest)
{
    // A preset sets the form, never the company's texts, wear or spacing;
    // a round seal clears the middle line (its sign sits there), an oval
    // keeps it for the tax number.
    const char* const own[] = {"rText=Tervin有限公司", "CodeText=1234567890123", "Space=3", "Aging=40",
                               "AgingSeed=9", "BackColor=5", "ShowDate=True", "InnerRingGap=40", "CodeSpace=-3",
                               "MidText=91440300MA5ABCDE1X"};
    const struct { const char* preset; bool keepsMidText; } rows[] = {
        {"公章", false}, {"合同专用章", false}, {"财务专用章", false}, {"发票专用章", true},
    };
    for (const auto& row : rows) {
        Plomet seal;
        seal.InitProperties(false);
        for (const char* s : own)
            applySetting(seal, QString::fromUtf8(s));
        const SealSpec before = seal.spec();
        const auto values = presetSettings(QString::fromUtf8(row.preset));
        ASSERT_TRUE(values) << row.preset;
        QStringList set;
        for (const auto& [property, value] : *values) {
            set << property->qname();
            seal.setValue(*property, value);
        }
        for (const char* s : own) {
            const QString name = QString::fromUtf8(s).section(QLatin1Char('='), 0, 0);
            const PropertyRow& r = *findProperty(name);
            const bool cleared = name == QLatin1String("MidText") && !row.keepsMidText;
            EXPECT_EQ(set.contains(name), cleared) << row.preset << ": " << s;
            if (cleared)
                EXPECT_EQ(seal.MidText(), QString()) << row.preset;
            else
                EXPECT_EQ(seal.value(r), r.get(before)) << row.preset << ": " << s;
        }
        // Everything else is the preset's: its form, size, faces and sign.
        for (const char* name : {"Shape", "Width", "Height", "RingWidth", "Fit", "FontName", "FontSize",
                                 "StarSize", "ShowStar", "pText1", "LowerCharWidth"})
            EXPECT_TRUE(set.contains(QLatin1String(name))) << row.preset << ": " << name;
    }
}

TEST(Presets, RenderedAt300DpiMeasuresTheDocumentedSize)
{
    QTemporaryDir dir;
    for (const PresetRowT& row : kRows) {
        const QString out = dir.filePath(QStringLiteral("p.png"));
        const auto r = runPlomet({QStringLiteral("render"), QStringLiteral("--preset"), QString::fromUtf8(row.name),
                                  QStringLiteral("--set"), QStringLiteral("MidText=91110000123456789X"),
                                  QStringLiteral("--dpi"), QStringLiteral("300"), QStringLiteral("-o"), out});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QImage image(out);
        ASSERT_FALSE(image.isNull());
        const QSize ink = inkExtent(image);
        // 300 dpi: 11.81 px a millimetre; a pixel of anti-aliasing either side.
        const double pxPerMm = 300 / 25.4;
        EXPECT_NEAR(ink.width() / pxPerMm, row.widthMm, 0.2) << row.name;
        EXPECT_NEAR(ink.height() / pxPerMm, row.heightMm, 0.2) << row.name;
        QFile::remove(out);
    }
}

TEST(Presets, SetAppliesAfterThePresetWhereverItStands)
{
    QTemporaryDir dir;
    const QString pmf = dir.filePath(QStringLiteral("s.PMF"));
    for (bool setFirst : {false, true}) {
        QStringList args{QStringLiteral("write"), pmf};
        const QStringList preset{QStringLiteral("--preset"), QStringLiteral("合同专用章")};
        const QStringList sets{QStringLiteral("--set"), QStringLiteral("FontSize=20"), QStringLiteral("--set"),
                               QStringLiteral("pText1=(1)")};
        args << (setFirst ? sets : preset) << (setFirst ? preset : sets);
        const auto r = runPlomet(args);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        Plomet seal;
        seal.InitProperties();
        LoadPMF(seal, pmf);
        EXPECT_EQ(seal.FontSize(), 20.0f) << "--set after the preset";
        EXPECT_EQ(seal.pText1(), QStringLiteral("(1)"));
        EXPECT_EQ(seal.FontName(), QStringLiteral("宋体")) << "the preset's own value stays";
        EXPECT_EQ(seal.Width(), 2381.0f) << "40 mm across the band: 42 mm of control";
    }
}

TEST(Presets, BadPresetsAreRefused)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("x.png"));
    const struct { QStringList args; const char* says; } rows[] = {
        // every preset, its shape, size, band and sign read from what it sets
        {{"render", "--preset", "公 章", "-o", out},
         "unknown preset '公 章' (known: 公章 (general use, round 42 mm, 1.2 mm band, star); "
         "合同专用章 (contracts, round 40 mm, 1 mm band, star); 财务专用章 (accounts, round "
         "40 mm, 1 mm band, star); 发票专用章 (invoices, oval 40 × 30 mm, 1 mm band))"},
        {{"render", "--preset", "公章", "--preset", "公章", "-o", out}, "--preset given more than once"},
        {{"write", dir.filePath("x.PMF"), "--preset", ""}, "unknown preset ''"},
    };
    for (const auto& row : rows) {
        const auto r = runPlomet(row.args);
        EXPECT_EQ(r.exitCode, 2) << row.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(row.says))) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(out));
        EXPECT_FALSE(QFile::exists(dir.filePath("x.PMF")));
    }
}

} // namespace
