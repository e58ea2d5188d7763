// The ink rasteriser against shapes whose area is known exactly: the
// coverage it leaves sums to the area, in both image formats, whatever the
// fill rule, transform, curve or clipping; nothing lands outside the image.
#include "seal/InkRaster.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainterPath>
#include <QTransform>
#include <cmath>
#include <functional>
#include <thread>

using namespace plomet;

namespace {

constexpr QRgb kBlack = 0xff000000;

// The ink's coverage summed over the image, in square pixels: alpha on a
// transparent image, the darkening of white on an opaque one.
double coverageSum(const QImage& img)
{
    double sum = 0;
    for (int y = 0; y < img.height(); ++y) {
        if (img.format() == QImage::Format_Alpha8) {
            for (int x = 0; x < img.width(); ++x)
                sum += img.constScanLine(y)[x] / 255.0;
            continue;
        }
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            sum += img.format() == QImage::Format_RGB32 ? (255 - qRed(row[x])) / 255.0 : qAlpha(row[x]) / 255.0;
    }
    return sum;
}

QPainterPath polygon(std::initializer_list<QPointF> points)
{
    QPainterPath p;
    auto it = points.begin();
    p.moveTo(*it);
    for (++it; it != points.end(); ++it)
        p.lineTo(*it);
    p.closeSubpath();
    return p;
}

double ellipsePerimeter(double a, double b)
{
    // The integrand is periodic: the trapezoid rule converges at once.
    constexpr int kSteps = 20000;
    double sum = 0;
    for (int i = 0; i < kSteps; ++i) {
        const double t = 2 * M_PI * i / kSteps;
        sum += std::hypot(a * std::sin(t), b * std::cos(t));
    }
    return sum * 2 * M_PI / kSteps;
}

TEST(InkRaster, CoverageSumsToTheExactArea)
{
    const QPointF c(30.4, 30.1);
    const struct {
        const char* what;
        std::function<void(QImage&)> draw;
        double area;
        double tolerance = 0.002;   // of the area
    } rows[] = {
        {"rectangle at fractional coordinates",
         [](QImage& img) {
             QPainterPath p;
             p.addRect(QRectF(10.3, 7.6, 20.45, 13.15));
             inkFill(img, p, QTransform(), kBlack);
         },
         20.45 * 13.15},
        // Only the part inside counts: the cover of what lies past the left
        // edge still reaches the pixels right of it.
        {"rectangle past the left and top edges",
         [](QImage& img) {
             QPainterPath p;
             p.addRect(QRectF(-7.3, -4.6, 20.45, 13.15));
             inkFill(img, p, QTransform(), kBlack);
         },
         13.15 * 8.55},
        // The image's corner square, 27.5 on a side, lies inside the triangle.
        {"triangle past the right and bottom edges",
         [](QImage& img) { inkFill(img, polygon({{100.5, 100.5}, {160.5, 100.5}, {100.5, 160.5}}), QTransform(), kBlack); },
         27.5 * 27.5},
        {"triangle",
         [](QImage& img) { inkFill(img, polygon({{3.2, 4.1}, {40.7, 9.9}, {15.5, 37.3}}), QTransform(), kBlack); },
         std::fabs((40.7 - 3.2) * (37.3 - 4.1) - (15.5 - 3.2) * (9.9 - 4.1)) / 2},
        {"square turned 30 degrees and moved",
         [](QImage& img) {
             QPainterPath p;
             p.addRect(QRectF(-10, -10, 20, 20));
             inkFill(img, p, QTransform().translate(32.4, 31.7).rotate(30), kBlack);
         },
         400},
        {"square with a square hole, odd-even",
         [](QImage& img) {
             QPainterPath p;
             p.addRect(QRectF(5.5, 5.5, 40, 40));
             p.addRect(QRectF(15.25, 15.25, 20, 20));
             inkFill(img, p, QTransform(), kBlack);
         },
         1600 - 400},
        {"two overlapping rectangles, winding",
         [](QImage& img) {
             QPainterPath p;
             p.setFillRule(Qt::WindingFill);
             p.addRect(QRectF(5, 5, 30, 20));
             p.addRect(QRectF(15, 10, 30, 20));
             inkFill(img, p, QTransform(), kBlack);
         },
         600 + 600 - 20 * 15},
        // Ink over ink: the second is laid source-over on the first.
        {"two overlapping rectangles, one over the other",
         [](QImage& img) {
             QPainterPath a, b;
             a.addRect(QRectF(5.5, 5.5, 30, 20));
             b.addRect(QRectF(15.25, 10.25, 30, 20));
             inkFill(img, a, QTransform(), kBlack);
             inkFill(img, b, QTransform(), kBlack);
         },
         600 + 600 - 20.25 * 15.25},
        {"circle of cubic curves",
         [](QImage& img) {
             QPainterPath p;
             p.addEllipse(QPointF(30.2, 29.9), 17.3, 17.3);
             inkFill(img, p, QTransform(), kBlack);
         },
         M_PI * 17.3 * 17.3},
        {"ring", [c](QImage& img) { inkStrokeEllipse(img, c, 20.3, 20.3, 3.7, kBlack); }, 2 * M_PI * 20.3 * 3.7},
        {"ring whose inner edge passes the centre: a disc",
         [c](QImage& img) { inkStrokeEllipse(img, c, 2.5, 2.5, 6.0, kBlack); }, M_PI * 5.5 * 5.5},
        // The area between the curves parallel to an ellipse at +-h is the
        // perimeter times 2h.
        {"oval band", [c](QImage& img) { inkStrokeEllipse(img, c, 25.2, 14.7, 2.9, kBlack); },
         2.9 * ellipsePerimeter(25.2, 14.7)},
        // Filled by QPainter, whose coverage runs about half a percent over.
        {"9000 small squares (45000 points: past one outline's reach)",
         [](QImage& img) {
             QPainterPath p;
             for (int i = 0; i < 100; ++i)
                 for (int j = 0; j < 90; ++j)
                     p.addRect(QRectF(1 + i * 1.2, 1 + j * 1.2, 1, 1));
             inkFill(img, p, QTransform(), kBlack);
         },
         9000, 0.01},
    };
    for (const auto& row : rows) {
        QImage premultiplied;
        for (const auto format : {QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB32, QImage::Format_Alpha8}) {
            QImage img(128, 128, format);
            img.fill(format == QImage::Format_RGB32 ? QColor(Qt::white) : QColor(Qt::transparent));
            row.draw(img);
            const char* name = format == QImage::Format_RGB32 ? " (opaque)" : format == QImage::Format_Alpha8 ? " (coverage)" : " (transparent)";
            EXPECT_NEAR(coverageSum(img), row.area, row.tolerance * row.area) << row.what << name;
            // Coverage alone is the alpha of the transparent picture, byte for byte.
            if (format == QImage::Format_ARGB32_Premultiplied)
                premultiplied = img;
            else if (format == QImage::Format_Alpha8)
                EXPECT_EQ(img, premultiplied.convertToFormat(QImage::Format_Alpha8)) << row.what;
        }
    }
}

TEST(InkRaster, ShapesPartlyOffTheImageStayInside)
{
    // The image is a window onto a larger buffer: whatever is filled, the
    // buffer around the window keeps its marker.
    constexpr quint32 kMarker = 0x5a3c1e0f;
    constexpr int kBorder = 30, kSide = 100;
    QImage buffer(kSide + 2 * kBorder, kSide + 2 * kBorder, QImage::Format_ARGB32_Premultiplied);
    buffer.fill(kMarker);
    QImage view(buffer.bits() + kBorder * buffer.bytesPerLine() + kBorder * 4, kSide, kSide, buffer.bytesPerLine(),
                QImage::Format_ARGB32_Premultiplied);
    view.fill(Qt::transparent);

    QPainterPath across;   // far past the left and right edges
    across.addRect(QRectF(-500, 40.5, 2000, 10));
    inkFill(view, across, QTransform(), kBlack);
    inkStrokeEllipse(view, QPointF(0, 0), 30, 30, 8, kBlack);           // centred on the corner
    QPainterPath corner;
    corner.addEllipse(QPointF(100, 100), 25, 25);                        // over the far corner
    inkFill(view, corner, QTransform(), kBlack);
    inkStrokeEllipse(view, QPointF(50, -3), 60, 20, 4, kBlack);         // through the top edge
    inkFill(view, polygon({{50, -400000}, {40, 70}, {60, 70}}), QTransform(), kBlack);   // out of FreeType's reach
    QPainterPath outside;
    outside.addRect(QRectF(130, 10, 50, 50));
    inkFill(view, outside, QTransform(), kBlack);

    for (int y = 0; y < buffer.height(); ++y)
        for (int x = 0; x < buffer.width(); ++x) {
            const bool inView = x >= kBorder && x < kBorder + kSide && y >= kBorder && y < kBorder + kSide;
            if (!inView)
                ASSERT_EQ(reinterpret_cast<const quint32*>(buffer.constScanLine(y))[x], kMarker) << x << ',' << y;
        }
    // Inside, each shape is there up to the edge it crosses.
    EXPECT_EQ(qAlpha(view.pixel(0, 45)), 255);
    EXPECT_EQ(qAlpha(view.pixel(99, 45)), 255);
    EXPECT_EQ(qAlpha(view.pixel(0, 29)), 255);    // the ring, 26 to 34 from the corner
    EXPECT_EQ(qAlpha(view.pixel(99, 99)), 255);
    EXPECT_EQ(qAlpha(view.pixel(50, 16)), 255);   // the oval band's lowest point, 15 to 19 below its top
    EXPECT_EQ(qAlpha(view.pixel(50, 58)), 255);   // the triangle's base
    EXPECT_EQ(qAlpha(view.pixel(90, 20)), 0);
}

TEST(InkRaster, AKeptBandDrawsWhatAFreshOneDraws)
{
    // A thread keeps the coverage of the bands it drew; drawn again, over
    // other ink, in another colour or clipped by another image size, a band
    // must come out as a thread that never drew it draws it.
    struct Band {
        QPointF centre;
        double rx, ry, pen;
        QSize size;
    };
    const Band bands[] = {
        {{150, 150}, 140, 140, 10, {300, 300}},
        {{150.25, 150}, 140, 140, 10, {300, 300}},     // the same band a quarter pixel over
        {{150, 150}, 140, 140, 10, {260, 300}},        // clipped on the right
        {{120, 90}, 110, 80, 6, {240, 180}},           // an oval
        {{50, 50}, 20, 20, 45, {100, 100}},            // a disc
    };
    const auto draw = [](const Band& b, QImage::Format format, QRgb color) {
        QImage img(b.size, format);
        img.fill(format == QImage::Format_RGB32 ? 0xffffffffu : 0u);
        inkFill(img, polygon({{0, 0}, {b.centre.x() * 2, b.centre.y() * 0.5}, {b.centre.x(), b.centre.y() * 2}}),
                QTransform(), 0xff00aa33);
        inkStrokeEllipse(img, b.centre, b.rx, b.ry, b.pen, color);
        return img;
    };
    for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied, QImage::Format_Alpha8}) {
        std::vector<QImage> fresh;
        std::thread([&] {
            for (const Band& b : bands) {
                std::thread([&] { fresh.push_back(draw(b, format, 0xffe02010)); }).join();
            }
        }).join();
        for (const Band& b : bands)
            draw(b, format, kBlack);   // now kept by this thread
        for (size_t i = 0; i < std::size(bands); ++i)
            EXPECT_EQ(draw(bands[i], format, 0xffe02010), fresh[i]) << "band " << i << " format " << format;
    }
}

TEST(InkRaster, AKeptGlyphDrawsWhatAFreshOneDraws)
{
    // A thread keeps the coverage of a glyph it filled twice, by its name,
    // transform and image size; filled again over other ink, in another
    // colour, it must come out as a thread that never filled it fills it (in
    // every format, coverage alone too), without its outline being made. A name, a transform or an image size
    // not seen before is filled afresh.
    const QString face = QStringLiteral("黑体"), gong = QStringLiteral("公"), si = QStringLiteral("司");
    auto outlineOf = [](const QString& text) {
        QPainterPath p;
        p.setFillRule(Qt::OddEvenFill);
        if (text == QStringLiteral("公")) {
            p.addEllipse(QPointF(20, 20), 15, 11);
            p.addRect(QRectF(12, 14, 9, 6));
        } else {
            p.moveTo(3, 3);
            p.cubicTo(40, 0, 0, 40, 37, 37);
            p.lineTo(3, 30);
            p.closeSubpath();
        }
        return p;
    };
    struct Glyph {
        const QString* text;
        int px;
        QTransform toDevice;
        QSize size;
    };
    const Glyph glyphs[] = {
        {&gong, 40, QTransform().translate(30, 20).rotate(17), {100, 80}},
        {&gong, 40, QTransform().translate(30.25, 20).rotate(17), {100, 80}},   // a quarter pixel over
        {&gong, 40, QTransform().translate(30, 20).rotate(17), {60, 80}},       // clipped on the right
        {&gong, 41, QTransform().translate(30, 20).rotate(17), {100, 80}},      // another size: its own outline
        {&si, 40, QTransform().translate(30, 20).rotate(17), {100, 80}},        // another character, same place
    };
    int made = 0;
    const auto fill = [&](const Glyph& g, QImage::Format format, QRgb color) {
        QImage img(g.size, format);
        img.fill(format == QImage::Format_RGB32 ? 0xffffffffu : 0u);
        inkFill(img, polygon({{0, 0}, {90, 30}, {10, 70}}), QTransform(), 0xff00aa33);
        const QString& text = *g.text;
        inkFillGlyph(img, GlyphName{face, g.px, 800, text},
                     [&] {
                         ++made;
                         return GlyphRun{{{QTransform::fromScale(1 / 40.0, 1 / 40.0).map(outlineOf(text)), g.px, 0}}};
                     },
                     g.toDevice, color);
        return img;
    };
    for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied, QImage::Format_Alpha8}) {
        std::vector<QImage> fresh;
        std::thread([&] {
            for (const Glyph& g : glyphs)
                std::thread([&] { fresh.push_back(fill(g, format, 0xffe02010)); }).join();
        }).join();
        // On a thread of its own, which has filled none of them yet.
        std::thread([&] {
            for (size_t i = 0; i < std::size(glyphs); ++i) {
                // The first glyph is kept from its second filling; the others
                // differ from it and from each other, each filled once here.
                fill(glyphs[0], format, kBlack);
                fill(glyphs[0], format, kBlack);
                made = 0;
                EXPECT_EQ(fill(glyphs[i], format, 0xffe02010), fresh[i]) << "glyph " << i << " format " << format;
                EXPECT_EQ(made, i == 0 ? 0 : 1) << "glyph " << i;
            }
        }).join();
    }
}

TEST(InkRaster, AGlyphRunFillsWhatItsJoinedPathFills)
{
    // A text's glyphs are placed point by point as GlyphRun::path() places
    // them: scaled by their em and moved along the baseline (an em of 1 and
    // no move are what Qt leaves alone), then lifted. Filled from the run or
    // from the joined path, the pixels must be the same, kept or afresh.
    QPainterPath curved;
    curved.moveTo(0.05, 0.1);
    curved.cubicTo(0.9, 0.0, 0.1, 0.9, 0.85, 0.8);
    curved.lineTo(0.1, 0.7);
    curved.closeSubpath();
    curved.addEllipse(QPointF(0.5, 0.45), 0.2, 0.15);
    const QPainterPath square = polygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    const GlyphRun runs[] = {
        {{{curved, 23, 0}, {square, 23, 21.7}, {curved, 23, 44.9}}, -18.25},
        {{{square, 1, 0}, {curved, 1, 3.25}}, 0},   // an em of one pixel: moved, then not
        {{{QTransform::fromScale(40, 40).map(curved), 1, 0}}, 7.5},
    };
    const QTransform places[] = {QTransform().translate(20.3, 30.6), QTransform().translate(60, 40).rotate(17),
                                 QTransform().translate(50.5, 80.25).rotate(-73).scale(1.1, 0.9)};
    const QString face = QStringLiteral("黑体");
    for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied, QImage::Format_Alpha8})
        for (size_t r = 0; r < std::size(runs); ++r)
            for (const QTransform& place : places) {
                QImage joined(120, 110, format);
                joined.fill(format == QImage::Format_RGB32 ? 0xffffffffu : 0u);
                QImage fresh = joined, kept = joined;
                inkFill(joined, runs[r].path(), place, 0xffe02010);
                EXPECT_GT(coverageSum(joined), 0.1) << "run " << r;
                const QString text = QString::number(r);
                std::thread([&] {
                    const auto fill = [&](QImage& img) {
                        inkFillGlyph(img, GlyphName{face, 23, 400, text}, [&] { return runs[r]; }, place, 0xffe02010);
                    };
                    fill(fresh);
                    QImage scratch = joined;
                    fill(scratch);   // its second time: kept from here on
                    fill(kept);
                }).join();
                EXPECT_EQ(fresh, joined) << "run " << r << " format " << format;
                EXPECT_EQ(kept, joined) << "run " << r << " format " << format;
            }
}

} // namespace
