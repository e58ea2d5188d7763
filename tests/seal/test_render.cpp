// Pixels of the rendered default seal and the renderer's invariants.
#include "seal/Plomet.h"
#include "seal/Errors.h"
#include "seal/InkRaster.h"
#include "seal/Render.h"
#include <gtest/gtest.h>
#include <cmath>

using namespace plomet;

namespace {

bool isRed(QRgb p) { return qRed(p) > 200 && qGreen(p) < 90 && qBlue(p) < 90; }
bool isWhite(QRgb p) { return p == qRgb(255, 255, 255) || p == qRgba(255, 255, 255, 255); }

// Counts red pixels in the band of radii [r0, r1) pixels around (cx, cy)
// whose angle (degrees clockwise from 12 o'clock) lies in [a0, a1].
int redInBand(const QImage& img, double cx, double cy, double r0, double r1, double a0, double a1)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            const double d = std::hypot(dx, dy);
            double a = std::atan2(dx, -dy) * 180 / M_PI;
            if (a < 0)
                a += 360;
            if (d >= r0 && d < r1 && a >= a0 && a <= a1 && isRed(img.pixel(x, y)))
                ++n;
        }
    return n;
}

TEST(RenderPixels, DefaultSeal)
{
    Plomet p;
    p.InitProperties();
    const QImage img = p.image()->pixels();
    ASSERT_EQ(img.size(), QSize(137, 137));   // 2055 / 15
    const double c = 1028.0 / 15;             // centre in pixels
    // The ring: 929..979 twips is 61.9..65.3 px; solid red around its middle.
    for (int deg = 0; deg < 360; deg += 15) {
        const double a = deg * M_PI / 180;
        const int x = int(std::floor(c + 63.6 * std::sin(a)));
        const int y = int(std::floor(c - 63.6 * std::cos(a)));
        EXPECT_TRUE(isRed(img.pixel(x, y))) << deg;
    }
    // Background outside the ring and in the corners.
    for (QPoint pt : {QPoint(0, 0), QPoint(136, 0), QPoint(0, 136), QPoint(136, 136), QPoint(68, 1)})
        EXPECT_TRUE(isWhite(img.pixel(pt))) << pt.x() << ',' << pt.y();
    // A gap of background just inside the ring below the horizontal.
    EXPECT_TRUE(isWhite(img.pixel(68, int(c + 59))));
    // The sign covers the centre.
    EXPECT_TRUE(isRed(img.pixel(68, 68)));
    // The name lies in the upper arc only (text band 893 twips = 59.5 px inwards).
    EXPECT_GT(redInBand(img, c, c, 46, 59.5, 270, 360) + redInBand(img, c, c, 46, 59.5, 0, 90), 150);
    // Beside the lower lines (which lie between 160 and 202 degrees) the
    // lower arc is empty.
    EXPECT_EQ(redInBand(img, c, c, 41, 59.5, 110, 150), 0);
    EXPECT_EQ(redInBand(img, c, c, 41, 59.5, 210, 250), 0);
}

TEST(RenderPixels, RingIsTheSameAsFiftyOneCircles)
{
    // The renderer paints the run of circles as one band; compare with
    // painting each one-pixel circle on its own, by the same rasteriser
    // (QPainter's own circles lose ink between the axes, where its curves
    // are cut short into chords).
    Plomet p;
    p.InitProperties();
    p.setRText(QString());
    p.setShowStar(false);
    p.setPText1(QString());
    p.Draw();
    const QImage fast = p.image()->pixels();
    QImage slow(fast.size(), QImage::Format_RGB32);
    slow.fill(Qt::white);
    for (int r = 929; r <= 979; ++r)
        inkStrokeEllipse(slow, QPointF(1028 / 15.0, 1028 / 15.0), r / 15.0, r / 15.0, 1.0, qRgb(255, 0, 0));
    // Only the anti-aliased edges may differ (stacked one-pixel circles
    // darken their edge pixels a little more): never by half the range, and
    // the band's solid core is the same.
    int maxDiff = 0, solidFast = 0, solidSlow = 0;
    for (int y = 0; y < fast.height(); ++y)
        for (int x = 0; x < fast.width(); ++x) {
            const int gf = qGreen(fast.pixel(x, y)), gs = qGreen(slow.pixel(x, y));
            maxDiff = std::max(maxDiff, std::abs(gf - gs));
            solidFast += gf < 16;
            solidSlow += gs < 16;
        }
    EXPECT_LT(maxDiff, 128);
    EXPECT_NEAR(solidFast, solidSlow, solidSlow / 10);
}

TEST(RenderPixels, HighResolutionIsTheSameSeal)
{
    Plomet p;
    p.InitProperties();
    const QImage small = p.image()->pixels();
    const QImage big = rasterize(p.image()->model(), 600);
    ASSERT_EQ(big.size(), QSize(856, 856));   // 2055 x 600 / 1440 = 856.25
    EXPECT_EQ(big.dotsPerMeterX(), 23622);
    const QImage down = big.scaled(small.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    int differing = 0;
    for (int y = 0; y < small.height(); ++y)
        for (int x = 0; x < small.width(); ++x)
            differing += std::abs(qGreen(down.pixel(x, y)) - qGreen(small.pixel(x, y))) > 128;
    EXPECT_LT(differing, small.width() * small.height() / 50);
}

TEST(RenderPixels, TransparentKeepsOnlyTheSeal)
{
    Plomet p;
    p.InitProperties();
    RenderOptions o;
    o.transparent = true;
    const QImage img = rasterize(p.image()->model(), 96, o);
    EXPECT_EQ(img.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(img.pixel(68, 68)), 255);
    const QImage opaque = rasterize(p.image()->model(), 96);
    EXPECT_EQ(opaque.format(), QImage::Format_RGB32);
    EXPECT_EQ(opaque, p.image()->pixels());
}

TEST(RenderPixels, RasterSizeTable)
{
    const struct { double w, h, dpi; int pw, ph; } rows[] = {
        {2055, 2055, 96, 137, 137}, {2055, 2055, 600, 856, 856}, {2381, 2381, 600, 992, 992},
        {3000, 2000, 96, 200, 133}, {7.5, 22.5, 96, 0, 2},   // halves to even
        {40000, 100, 96, 2184, 7},                            // beyond 32767 twips: the part within
    };
    for (const auto& row : rows)
        EXPECT_EQ(rasterSize(row.w, row.h, row.dpi), QSize(row.pw, row.ph)) << row.w << 'x' << row.h;
    EXPECT_THROW(rasterSize(32767, 32767, 2400), PlometError);   // 54612 px a side
    EXPECT_THROW(rasterSize(100, 100, 0), PlometError);
}

} // namespace

namespace {

TEST(RenderPixels, SameModelSamePixelsWhateverCameBefore)
{
    // A surface whose size ends inside a pixel (2381 twips = 158.7 px): the
    // last column must be background every time, not leftover memory.
    auto draw = [](float w) {
        Plomet p;
        p.InitProperties();
        p.setWidth(w);
        p.setHeight(w);
        p.Draw();
        return p.image()->pixels();
    };
    const QImage first = draw(2381);
    for (float w : {2000.0f, 4000.0f, 2381.0f, 9000.0f})
        draw(w);
    const QImage again = draw(2381);
    EXPECT_EQ(first, again);
    for (int y = 0; y < first.height(); ++y)
        ASSERT_EQ(first.pixel(158, y), qRgb(255, 255, 255)) << y;
}

} // namespace

namespace {

int redPixelsInRows(const QImage& img, int y0, int y1)
{
    int n = 0;
    for (int y = std::max(0, y0); y < std::min(img.height(), y1); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += qRed(img.pixel(x, y)) > 200 && qGreen(img.pixel(x, y)) < 100;
    return n;
}

TEST(RenderPixels, HugeTextsAreStillPainted)
{
    // A lower line thousands of characters long (more points than one
    // outline holds) and a huge sign: painted.
    Plomet p;
    p.InitProperties();
    p.setRText(QString());
    p.setShowStar(false);
    p.setPText1(QString());
    p.setPText(QString(3000, QChar(0x516c)));
    p.Draw();
    // The line's cell starts at y = 99.75 + 1028 + 24 + 150 twips = 86.8 px.
    const QImage img = p.image()->pixels();
    const int ringOnly = [] {
        Plomet q;
        q.InitProperties();
        q.setRText(QString());
        q.setShowStar(false);
        q.setPText1(QString());
        q.Draw();
        return redPixelsInRows(q.image()->pixels(), 87, 107);
    }();
    EXPECT_GT(redPixelsInRows(img, 87, 107), ringOnly + 200);

    auto bigSign = [](bool shown) {
        Plomet q;
        q.InitProperties();
        q.setRText(QString());
        q.setPText1(QString());
        q.setShowStar(shown);
        q.setStarSize(1000);   // a sign of 1333 px, 8331 at 600 dpi
        q.Draw();
        return rasterize(q.image()->model(), 600);
    };
    const QImage withSign = bigSign(true), without = bigSign(false);
    EXPECT_GT(redPixelsInRows(withSign, 0, withSign.height()),
              redPixelsInRows(without, 0, without.height()) + 100000);
}

} // namespace
