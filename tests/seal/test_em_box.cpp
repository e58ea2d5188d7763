// Where the ink of the printed texts lands: every character is placed by its
// em box (the square of its size), so the sign's ink is centred on the seal,
// the name's glyph tops reach the text circle and the lower lines keep clear
// of the sign, whatever face stands in for the named one.
#include "seal/Plomet.h"
#include "seal/Render.h"
#include <gtest/gtest.h>
#include <QImage>
#include <cmath>
#include <functional>
#include <optional>

using namespace plomet;

namespace {

constexpr double kCentre = 1028;   // twips, the default 2055 x 2055 seal
constexpr double kTextRadius = 893;
constexpr double kPixel = 15;      // twips in a pixel at 96 dpi

// The ink of the texts of a model that keep, at dpi: its bounding box in
// twips, or nothing when they leave no ink.
struct Ink {
    double left, top, right, bottom;
    double centreX() const { return (left + right) / 2; }
    double centreY() const { return (top + bottom) / 2; }
};

QImage inkImage(const DrawingModel& model, const std::function<bool(const DrawnText&)>& keep, double dpi)
{
    DrawingModel only = model;
    only.items.clear();
    for (const auto& item : model.items)
        if (const auto* t = std::get_if<DrawnText>(&item); t && keep(*t))
            only.items.push_back(item);
    return rasterize(only, dpi);
}

bool inked(QRgb p) { return qGray(p) < 200; }

std::optional<Ink> inkOf(const DrawingModel& model, const std::function<bool(const DrawnText&)>& keep,
                         double dpi)
{
    const QImage img = inkImage(model, keep, dpi);
    const double twips = 1440.0 / dpi;
    std::optional<Ink> ink;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            if (!inked(img.pixel(x, y)))
                continue;
            const double l = x * twips, t = y * twips, r = (x + 1) * twips, b = (y + 1) * twips;
            if (!ink)
                ink = Ink{l, t, r, b};
            ink->left = std::min(ink->left, l);
            ink->top = std::min(ink->top, t);
            ink->right = std::max(ink->right, r);
            ink->bottom = std::max(ink->bottom, b);
        }
    return ink;
}

// The farthest ink of the kept texts from the seal's centre, in twips.
double outermostInk(const DrawingModel& model, const std::function<bool(const DrawnText&)>& keep, double dpi)
{
    const QImage img = inkImage(model, keep, dpi);
    const double twips = 1440.0 / dpi;
    double far = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (inked(img.pixel(x, y)))
                far = std::max(far, std::hypot((x + 0.5) * twips - kCentre, (y + 0.5) * twips - kCentre));
    return far;
}

bool isSign(const DrawnText& t) { return t.text == QStringLiteral("★"); }
bool isNameGlyph(const DrawnText& t) { return t.angleDeg != 0 || (t.text.size() == 1 && !isSign(t) && t.y < 500); }

// 黑体, 宋体 and 楷体 stand in for CJK faces; DejaVu Sans and Arial are Latin
// faces (Arial draws its star from a fallback face).
const char* const kFaces[] = {"黑体", "宋体", "楷体", "DejaVu Sans", "Arial"};

TEST(EmBox, SignInkIsCentredOnTheSeal)
{
    for (const char* face : kFaces) {
        // Bold only where the face has a real Bold: a synthetic one (the
        // Kai face) thickens the ink to the right, by 1.7 px at 24 points.
        const bool realBold = QByteArray(face) == "黑体" || QByteArray(face) == "宋体";
        for (bool bold : {false, true}) {
            if (bold && !realBold)
                continue;
            SCOPED_TRACE(std::string(face) + (bold ? " bold" : ""));
            Plomet p;
            p.InitProperties();
            p.setFontName(QString::fromUtf8(face));
            p.setFontBold(bold);
            p.Draw();
            // Measured at five times the screen's resolution, judged in
            // screen pixels. The cell estimate of 19 twips a point alone
            // leaves the 24-point sign's em box 12 twips low and right.
            const auto ink = inkOf(p.image()->model(), isSign, 480);
            ASSERT_TRUE(ink);
            EXPECT_NEAR(ink->centreX(), kCentre, kPixel);
            EXPECT_NEAR(ink->centreY(), kCentre, kPixel);
        }
    }
}

TEST(EmBox, NameGlyphTopsReachTheTextCircle)
{
    for (const char* face : kFaces) {
        SCOPED_TRACE(face);
        Plomet p;
        p.InitProperties();
        p.setFontName(QString::fromUtf8(face));
        p.setRText(QStringLiteral("甲乙丙丁国际贸易有限公司"));
        p.Draw();
        // The tallest ideographs nearly fill their em box: their tops lie on
        // the circle, within a pixel and a half inside it, never outside.
        const double far = outermostInk(p.image()->model(), isNameGlyph, 480);
        EXPECT_LE(far, kTextRadius + 0.5 * kPixel);
        EXPECT_GE(far, kTextRadius - 1.5 * kPixel);
    }
}

TEST(EmBox, LowerLinesKeepClearOfTheSign)
{
    const char* const lines[] = {"财务部", "合同专用章", "Tervin"};
    for (const char* face : kFaces) {
        for (const char* line : lines) {
            for (double dpi : {96.0, 300.0}) {
                SCOPED_TRACE(std::string(face) + " " + line + " " + std::to_string(dpi));
                Plomet p;
                p.InitProperties();
                p.setFontName(QString::fromUtf8(face));
                p.setPText(QString::fromUtf8(line));
                p.Draw();
                const DrawingModel& m = p.image()->model();
                const auto sign = inkOf(m, isSign, dpi);
                const auto first = inkOf(m, [&](const DrawnText& t) { return t.text == QString::fromUtf8(line); }, dpi);
                ASSERT_TRUE(sign && first);
                // At least a clear pixel between them. (The two lower lines
                // stand 224 twips apart with 210-twip em boxes: at 96 dpi
                // their ink may touch, as the rules place them.)
                EXPECT_GE(first->top - sign->bottom, 1440.0 / dpi);
            }
        }
    }
}

} // namespace
