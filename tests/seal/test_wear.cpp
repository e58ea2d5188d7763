// Worn ink on raster pictures: the same seed gives the same wear, the level
// only ever takes ink away, and every resolution shows the same wear.
#include "seal/Plomet.h"
#include "seal/Render.h"
#include "seal/Wear.h"
#include <gtest/gtest.h>
#include <QCryptographicHash>
#include <QPainter>
#include <cmath>
#include <vector>

using namespace plomet;

namespace {

DrawingModel defaultModel(int aging, int32_t seed)
{
    Plomet p;
    p.InitProperties();
    p.setAging(aging);
    p.setAgingSeed(seed);
    p.Draw();
    return p.image()->model();
}

// Ink per pixel of a red-on-white picture, 0 .. 1 (the green channel falls
// from 255 on the background to 0 under full ink).
std::vector<double> inkOf(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    std::vector<double> ink;
    ink.reserve(size_t(rgb.width()) * size_t(rgb.height()));
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            ink.push_back(1.0 - qGreen(rgb.pixel(x, y)) / 255.0);
    return ink;
}

double sum(const std::vector<double>& v)
{
    double s = 0;
    for (double x : v)
        s += x;
    return s;
}

double correlation(const std::vector<double>& a, const std::vector<double>& b)
{
    const double n = double(a.size());
    const double ma = sum(a) / n, mb = sum(b) / n;
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        ab += (a[i] - ma) * (b[i] - mb);
        aa += (a[i] - ma) * (a[i] - ma);
        bb += (b[i] - mb) * (b[i] - mb);
    }
    return ab / std::sqrt(aa * bb);
}

} // namespace

TEST(Wear, LevelZeroIsTheUnwornPictureWhateverTheSeed)
{
    const DrawingModel plain = defaultModel(0, 0);
    for (int32_t seed : {1, 7, -5, 2147483647}) {
        const DrawingModel m = defaultModel(0, seed);
        for (double dpi : {96.0, 300.0})
            EXPECT_EQ(rasterize(m, dpi), rasterize(plain, dpi)) << seed << " at " << dpi;
    }
    Plomet p;
    p.InitProperties();
    EXPECT_EQ(p.Aging(), 0);
    EXPECT_EQ(p.AgingSeed(), 0);
}

TEST(Wear, SameSeedSameWearOtherSeedOtherWear)
{
    for (int level : {20, 50, 80}) {
        const QImage a = rasterize(defaultModel(level, 7), 150);
        const QImage b = rasterize(defaultModel(level, 7), 150);
        const QImage c = rasterize(defaultModel(level, 8), 150);
        const QImage plain = rasterize(defaultModel(0, 7), 150);
        EXPECT_EQ(a, b) << level;
        EXPECT_NE(a, c) << level;
        EXPECT_NE(a, plain) << level;
        // Another seed moves the specks: the two worn pictures differ in many pixels.
        const std::vector<double> ia = inkOf(a), ic = inkOf(c);
        int differing = 0;
        for (size_t i = 0; i < ia.size(); ++i)
            differing += std::fabs(ia[i] - ic[i]) > 0.2;
        EXPECT_GT(differing, 200) << level;
    }
}

TEST(Wear, InkFallsSteadilyAsTheLevelRises)
{
    // Whole-picture ink strictly falls level by level, and no pixel ever
    // gains ink from one level to the next (beyond rounding).
    std::vector<double> previous = inkOf(rasterize(defaultModel(0, 3), 150));
    const double unworn = sum(previous);
    double last = unworn;
    for (int level = 10; level <= 100; level += 10) {
        const std::vector<double> ink = inkOf(rasterize(defaultModel(level, 3), 150));
        const double total = sum(ink);
        EXPECT_LT(total, last - 0.01 * unworn) << level;
        int gained = 0;
        for (size_t i = 0; i < ink.size(); ++i)
            gained += ink[i] > previous[i] + 1.5 / 255;
        EXPECT_EQ(gained, 0) << level;
        last = total;
        previous = ink;
    }
    // Even the most worn seal keeps a good part of its ink.
    EXPECT_GT(last, 0.2 * unworn);
}

TEST(Wear, TransparentPicturesLoseTheSameInk)
{
    // The PNG writer and the printer work on ink alone (alpha); its wear is
    // the opaque picture's, up to rounding.
    const DrawingModel m = defaultModel(50, 11);
    RenderOptions transparent;
    transparent.transparent = true;
    QImage alpha = rasterize(m, 150, transparent);
    QImage flat(alpha.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter(&flat).drawImage(0, 0, alpha);
    const std::vector<double> a = inkOf(flat), b = inkOf(rasterize(m, 150));
    double worst = 0;
    for (size_t i = 0; i < a.size(); ++i)
        worst = std::max(worst, std::fabs(a[i] - b[i]));
    EXPECT_LE(worst, 3.0 / 255);
}

TEST(Wear, PrinterPathPaintsTheRasterPicture)
{
    // paintModel on a device that is not the picture's own image (the
    // printer's page, offset by a twip) lays the worn ink image down.
    const DrawingModel m = defaultModel(50, 4);
    const QImage direct = rasterize(m, 150);
    QImage page(direct.size(), QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        paintModel(painter, m, 150 / 1440.0);
    }
    const std::vector<double> a = inkOf(page), b = inkOf(direct);
    double worst = 0;
    for (size_t i = 0; i < a.size(); ++i)
        worst = std::max(worst, std::fabs(a[i] - b[i]));
    EXPECT_LE(worst, 3.0 / 255);
}

TEST(Wear, SixHundredDpiScaledDownIsTheNinetySixDpiWear)
{
    // The wear itself (the share of the ink kept, where there is ink) at
    // 96 dpi, and at 600 dpi averaged down to 96 dpi, must be the same
    // pattern: strongly correlated, where another seed's pattern is not.
    const std::vector<double> unworn = inkOf(rasterize(defaultModel(0, 0), 96));
    auto keptAt = [&unworn](int32_t seed, bool fine) {
        const DrawingModel worn = defaultModel(50, seed);
        const QImage picture = fine ? rasterize(worn, 600).scaled(137, 137, Qt::IgnoreAspectRatio,
                                                                  Qt::SmoothTransformation)
                                    : rasterize(worn, 96);
        const std::vector<double> ink = inkOf(picture);
        std::vector<double> kept;
        for (size_t i = 0; i < ink.size(); ++i)
            if (unworn[i] > 0.9)
                kept.push_back(ink[i] / unworn[i]);
        return kept;
    };
    const std::vector<double> coarse = keptAt(21, false), fine = keptAt(21, true);
    ASSERT_EQ(coarse.size(), fine.size());
    ASSERT_GT(coarse.size(), 1000u);
    EXPECT_GT(correlation(coarse, fine), 0.85);
    EXPECT_LT(std::fabs(correlation(coarse, keptAt(22, true))), 0.3);
    // And the whole pictures agree within anti-aliasing: the mean difference
    // of worn pictures is no larger than that of the unworn ones, plus a little.
    auto meanDiff = [](int level) {
        const DrawingModel m = defaultModel(level, 21);
        const std::vector<double> a = inkOf(rasterize(m, 96));
        const std::vector<double> b =
            inkOf(rasterize(m, 600).scaled(137, 137, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        double d = 0;
        for (size_t i = 0; i < a.size(); ++i)
            d += std::fabs(a[i] - b[i]);
        return d / double(a.size());
    };
    EXPECT_LT(meanDiff(50), meanDiff(0) + 0.01);
}

TEST(Wear, DefinedOnTheSealNotOnThePixels)
{
    // The mask at a twip point does not depend on the resolution it is
    // sampled at: a pixel at 1440 dpi is one twip.
    WearField field(60, 5, 2055, 2055);
    std::vector<float> fine(2055), coarse(137);
    field.maskRow(1000, 0, 2055, 1.0, QPointF(0, 0), fine.data());
    field.maskRow(66, 0, 137, 1.0 / 15, QPointF(0, 0), coarse.data());   // rows 990 .. 1005 twips
    int close = 0;
    for (int x = 0; x < 137; ++x) {
        double mean = 0;
        for (int t = 0; t < 15; ++t)
            mean += fine[size_t(x * 15 + t)];
        close += std::fabs(mean / 15 - coarse[size_t(x)]) < 0.25;
    }
    EXPECT_GT(close, 120);
    // A bigger seal is not a scaled copy of a smaller one: near the
    // centre, where the pressure barely differs, both wear alike at the same
    // twips from the centre.
    WearField small(60, 5, 2055, 2055), big(60, 5, 2381, 2381);
    std::vector<float> a(200), b(200);
    small.maskRow(1028, 928, 200, 1.0, QPointF(0, 0), a.data());
    big.maskRow(1028 + 163, 928 + 163, 200, 1.0, QPointF(0, 0), b.data());
    double worst = 0;
    for (size_t i = 0; i < a.size(); ++i)
        worst = std::max(worst, double(std::fabs(a[i] - b[i])));
    EXPECT_LT(worst, 0.2);
}

TEST(Wear, SparsePixelsReadTheWholeRowsMask)
{
    // Pictures ask for the mask of their ink pixels only: runs, single
    // pixels and jumps over many lattice cells must read exactly what the
    // whole row reads, at every sampling density (3x3, 2x2, one sample).
    WearField field(50, 9, 2055, 2055);
    for (double dpi : {96.0, 150.0, 300.0, 600.0}) {
        const double s = dpi / 1440.0;
        const int w = int(std::ceil(2055 * s));
        std::vector<float> row(static_cast<size_t>(w));
        for (int y : {0, w / 3, w / 2 + 1, w - 1}) {
            field.maskRow(y, 0, w, s, QPointF(0, 0), row.data());
            std::vector<int> xs;
            for (int x = 0; x < w; ++x)
                if (x % 97 < 11 || x % 13 == 5 || x == w - 1)
                    xs.push_back(x);
            std::vector<float> sparse(xs.size());
            field.maskPixels(y, xs.data(), int(xs.size()), s, QPointF(0, 0), sparse.data());
            int differing = 0;
            for (size_t k = 0; k < xs.size(); ++k)
                differing += sparse[k] != row[size_t(xs[k])];
            EXPECT_EQ(differing, 0) << dpi << " dpi, row " << y;
            // A field that has readied other columns before (another
            // resolution, pixels left of these) reads the same.
            WearField other(50, 9, 2055, 2055);
            const int first[] = {w / 2};
            float one = 0;
            other.maskPixels(y, first, 1, 1.0, QPointF(0, 0), &one);
            other.maskPixels(y, first, 1, s, QPointF(0, 0), &one);
            std::vector<float> again(xs.size());
            other.maskPixels(y, xs.data(), int(xs.size()), s, QPointF(0, 0), again.data());
            EXPECT_EQ(again, sparse) << dpi << " dpi, row " << y;
        }
    }
}

TEST(Wear, SameSeedSameWearOnEveryMachine)
{
    // The wear is IEEE arithmetic on a fixed engine's raw output, so these
    // masks are the same bytes on every machine, compiler and library, and
    // in every later version: a different digest means every worn picture
    // people made would change. (Recorded once; x86-64, GCC 12.)
    struct Case {
        int level;
        int32_t seed;
        double width, height, dpi;
        const char* sha256;
    };
    const Case cases[] = {
        {20, 7, 2055, 2055, 96,
         "7a31cd935268ba6894eb557ecd80294722ae4c28e957fa27db3623e5f990ec88"},
        {50, 7, 2055, 2055, 300,
         "afe31a54432d0c5bb727845ed2facf6fd92df7fffcc18f5be65d2d1c64fb59f4"},
        {80, -5, 2381, 1786, 600,
         "db6b7731c7cc9020882d4e08271123ddec81468e3ba3a71c0138c739c5660950"},
        {100, 2147483647, 2055, 2055, 360,
         "5eb72f3edd58186228617e97b2603b507fe8125c82a0657858e85c35009e5b2c"},
        {35, 123, 2835, 2835, 150,
         "4b5577aa4ae063b8695ddbccbac3267793b2a3d5b6f1ec9b7b2dbd10faddf0c8"},
        {65, 0, 1701, 2211, 72,
         "29a88a62d8389a5eecc377dac582a9aae280dbefc53e02ad8cde1df4bc223f2d"},
    };
    for (const Case& c : cases) {
        DrawingModel m;
        m.widthTwips = c.width;
        m.heightTwips = c.height;
        m.aging = c.level;
        m.agingSeed = c.seed;
        const QImage mask = wearMask(m, c.dpi);
        ASSERT_FALSE(mask.isNull());
        QCryptographicHash hash(QCryptographicHash::Sha256);
        for (int y = 0; y < mask.height(); ++y)
            hash.addData(QByteArrayView(reinterpret_cast<const char*>(mask.constScanLine(y)), mask.width()));
        EXPECT_EQ(hash.result().toHex().toStdString(), c.sha256) << c.level << " " << c.seed << " at " << c.dpi;
    }
}
