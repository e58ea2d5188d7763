// Taking seals off scanned pages: synthetic scans of a real printed page
// with a Plomet seal multiplied over its text, the extracted matte held
// against the seal's own mask.
#include "ScanMaker.h"

#include "formats/SealExtract.h"
#include "seal/Errors.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QRegularExpression>
#include <QSvgRenderer>

using namespace plomet;
using namespace plomet::test;

namespace {

constexpr int kDpi = 300;

struct Fit {
    double iou = 0;
    QRect truthBox, foundBox;
};

// Intersection over union of the truth's alpha >= 1/2 and the extracted
// seal's, both in page pixels, and the two ink boxes.
Fit compare(const QImage& truth, const QRect& truthArea, const ExtractedSeal& seal)
{
    Fit fit;
    qint64 both = 0, either = 0;
    const QRect region = seal.region;
    const QRect area = (region | truth.rect().intersected(truthArea)).adjusted(-2, -2, 2, 2).intersected(truth.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* t = reinterpret_cast<const QRgb*>(truth.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            const bool inTruth = qAlpha(t[x]) >= 128;
            bool inFound = false;
            if (region.contains(x, y))
                inFound = qAlpha(seal.image.pixel(x - region.left(), y - region.top())) >= 128;
            both += inTruth && inFound;
            either += inTruth || inFound;
            if (inTruth)
                fit.truthBox |= QRect(x, y, 1, 1);
            if (inFound)
                fit.foundBox |= QRect(x, y, 1, 1);
        }
    }
    fit.iou = either ? double(both) / double(either) : 0;
    return fit;
}

int boxError(const QRect& a, const QRect& b)
{
    return std::max({std::abs(a.left() - b.left()), std::abs(a.top() - b.top()),
                     std::abs(a.right() - b.right()), std::abs(a.bottom() - b.bottom())});
}

QImage page(int number)
{
    const QImage image = printedPage(number, kDpi);
    EXPECT_FALSE(image.isNull()) << "pdftoppm could not render page " << number << " of " << kPagePdf;
    return image;
}

struct ScanRow {
    const char* name;
    int page;
    QPointF centre;      // mm from the page's top left
    double mm, angle;
    const char* colour;  // the seal's ink
    const char* inkArg;  // --colour, or null for the default red
    int blur;            // box radius, px
    double noise;        // sigma, of 255
    const char* format;
    int quality;         // JPEG
};

TEST(Extract, SyntheticScansMatchTheSealsOwnMask)
{
    const ScanRow rows[] = {
        // A seal over running text, as most scans are.
        {"jpeg over text", 2, {80, 120}, 42, 3, "#E01010", nullptr, 1, 6, "jpeg", 85},
        {"strong jpeg and noise", 2, {120, 180}, 40, -2.5, "#D02020", nullptr, 1, 10, "jpeg", 70},
        {"over headings and a list", 1, {100, 60}, 42, 1.5, "#F00000", nullptr, 0, 4, "png", 0},
        {"tiff, lighter ink", 3, {70, 200}, 38, -1, "#E84040", nullptr, 1, 5, "tiff", 0},
        {"blue invoice seal", 2, {110, 100}, 40, 2, "#1030C0", "#2040C0", 1, 6, "jpeg", 85},
        {"purple seal", 4, {90, 150}, 42, -3, "#8020A0", "#8020A0", 1, 6, "jpeg", 85},
    };
    for (const ScanRow& row : rows) {
        SCOPED_TRACE(row.name);
        const QImage printed = page(row.page);
        ASSERT_FALSE(printed.isNull());
        const double px = kDpi / 25.4;
        Placed seal{row.centre * px, row.angle, drawnSeal(row.mm, kDpi, QString::fromLatin1(row.colour))};
        QImage scan = boxBlur(stampPage(printed, {seal}), row.blur);
        addNoise(scan, row.noise);
        const QImage truth = truthMask(scan.size(), seal);

        const Scan read = readScan(encoded(scan, row.format, kDpi, row.quality), QString::fromLatin1(row.name));
        EXPECT_TRUE(read.dpiFromFile);
        EXPECT_NEAR(read.dpi, kDpi, 0.01);
        ExtractOptions options;
        if (row.inkArg)
            options.ink = QColor(QString::fromLatin1(row.inkArg));
        const std::vector<ExtractedSeal> found = extractSeals(read, options);
        ASSERT_EQ(found.size(), 1u);
        const Fit fit = compare(truth, truthRect(seal), found[0]);
        EXPECT_GE(fit.iou, 0.85);
        EXPECT_LE(boxError(fit.truthBox, fit.foundBox), 2)
            << "truth " << fit.truthBox.x() << "," << fit.truthBox.y() << " " << fit.truthBox.width() << "x"
            << fit.truthBox.height() << " found " << fit.foundBox.x() << "," << fit.foundBox.y() << " "
            << fit.foundBox.width() << "x" << fit.foundBox.height();
        EXPECT_EQ(found[0].inkBox, fit.foundBox);
        // The written PNG keeps the scan's resolution: its size in mm is true.
        QImage png;
        ASSERT_TRUE(png.loadFromData(extractedPng(found[0])));
        EXPECT_TRUE(png.hasAlphaChannel());
        // The background is transparent: the margin's corners hold no paper.
        for (QPoint corner : {QPoint(0, 0), QPoint(png.width() - 1, png.height() - 1)})
            EXPECT_EQ(qAlpha(png.pixel(corner)), 0);
        EXPECT_NEAR(png.dotsPerMeterX() * 0.0254, kDpi, 0.05);
        std::printf("  %-26s IoU %.3f, ink box off by %d px\n", row.name, fit.iou,
                    boxError(fit.truthBox, fit.foundBox));
    }
}

// The black print the seal lies on: gone beside the ink, and where the ink
// crosses it the ink stays, in the ink's colour.
TEST(Extract, PrintUnderTheInkIsRemovedNotTheInk)
{
    const QImage printed = page(2);
    ASSERT_FALSE(printed.isNull());
    const double px = kDpi / 25.4;
    Placed seal{QPointF(80, 120) * px, 2, drawnSeal(42, kDpi, QStringLiteral("#E01010"))};
    QImage scan = boxBlur(stampPage(printed, {seal}), 1);
    addNoise(scan, 5);
    const QImage truth = truthMask(scan.size(), seal);
    const auto found = extractSeals(readScan(encoded(scan, "jpeg", kDpi, 85), QStringLiteral("scan")));
    ASSERT_EQ(found.size(), 1u);
    const ExtractedSeal& s = found[0];
    int crossings = 0, kept = 0, red = 0, print = 0, printLeft = 0;
    for (int y = s.region.top(); y <= s.region.bottom(); ++y)
        for (int x = s.region.left(); x <= s.region.right(); ++x) {
            const QRgb text = printed.pixel(x, y);
            if (qGray(text) > 60)
                continue;
            const QRgb out = s.image.pixel(x - s.region.left(), y - s.region.top());
            if (qAlpha(truth.pixel(x, y)) == 255) {
                ++crossings;
                if (qAlpha(out) >= 128) {
                    ++kept;
                    red += qRed(out) > 150 && qGreen(out) < 90 && qBlue(out) < 90;
                }
            } else if (qAlpha(truth.pixel(x, y)) == 0) {
                ++print;
                printLeft += qAlpha(out) >= 64;
            }
        }
    ASSERT_GT(crossings, 500);
    ASSERT_GT(print, 2000);
    std::printf("  ink over print kept %d of %d (red %d); print left %d of %d\n", kept, crossings, red,
                printLeft, print);
    EXPECT_GE(kept, crossings * 9 / 10);
    EXPECT_GE(red, kept * 95 / 100);
    EXPECT_LE(printLeft, print / 100);
}

TEST(Extract, SeveralSealsLargestFirst)
{
    const QImage printed = page(2);
    ASSERT_FALSE(printed.isNull());
    const double px = kDpi / 25.4;
    const std::vector<Placed> seals = {
        {QPointF(60, 70) * px, 0, drawnSeal(30, kDpi, QStringLiteral("#E01010"))},
        {QPointF(130, 150) * px, -4, drawnSeal(44, kDpi, QStringLiteral("#D01818"))},
        {QPointF(60, 230) * px, 3, drawnSeal(38, kDpi, QStringLiteral("#E02020"))},
    };
    QImage scan = boxBlur(stampPage(printed, seals), 1);
    addNoise(scan, 5);
    const auto found = extractSeals(readScan(encoded(scan, "jpeg", kDpi, 85), QStringLiteral("scan")));
    ASSERT_EQ(found.size(), 3u);
    const int order[] = {1, 2, 0};
    for (int i = 0; i < 3; ++i) {
        const Fit fit = compare(truthMask(scan.size(), seals[order[i]]), truthRect(seals[order[i]]), found[i]);
        EXPECT_GE(fit.iou, 0.85) << i;
        EXPECT_LE(boxError(fit.truthBox, fit.foundBox), 2) << i;
    }
}

TEST(Extract, NoSealColouredInk)
{
    const QImage printed = page(2);
    ASSERT_FALSE(printed.isNull());
    QImage withBlue = stampPage(printed, {{QPointF(800, 1200), 0, drawnSeal(40, kDpi, QStringLiteral("#1030C0"))}});
    const struct { const char* name; QImage image; } rows[] = {
        {"printed page alone", printed},
        {"blue seal, red looked for", withBlue},
        {"white", [] { QImage w(600, 600, QImage::Format_RGB32); w.fill(Qt::white); return w; }()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            extractSeals(readScan(encoded(row.image, "png", kDpi), QStringLiteral("page")));
            ADD_FAILURE() << "a seal was found";
        } catch (const PlometError& e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("no seal-coloured ink"))) << e.message().toStdString();
        }
    }
}

TEST(Extract, ReadingPictures)
{
    QImage small = drawnSeal(20, 150, QStringLiteral("#E01010"));
    QImage opaque(small.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    {
        QPainter p(&opaque);
        p.drawImage(0, 0, small);
    }
    // A BMP whose header leaves the resolution out.
    QByteArray noDpi = encoded(opaque, "bmp", 200);
    std::fill(noDpi.begin() + 38, noDpi.begin() + 46, '\0');
    const QByteArray png = encoded(opaque, "png", 150);
    const struct { const char* name; QByteArray bytes; double dpi; double wantDpi; bool fromFile; } good[] = {
        {"png at 150", png, 0, 150, true},
        {"png, --dpi wins", png, 600, 600, true},
        {"jpeg at 200", encoded(opaque, "jpeg", 200), 0, 200, true},
        {"tiff at 400", encoded(opaque, "tiff", 400), 0, 400, true},
        {"bmp at 96", encoded(opaque, "bmp", 96), 0, 96, true},
        {"bmp without", noDpi, 0, kAssumedScanDpi, false},
        {"bmp without, --dpi", noDpi, 250, 250, false},
        {"transparent png on white", encoded(small, "png", 150), 0, 150, true},
    };
    for (const auto& row : good) {
        SCOPED_TRACE(row.name);
        const Scan scan = readScan(row.bytes, QStringLiteral("x"), row.dpi);
        EXPECT_NEAR(scan.dpi, row.wantDpi, 0.05);   // whole dots per metre
        EXPECT_EQ(scan.dpiFromFile, row.fromFile);
        EXPECT_EQ(scan.image.size(), opaque.size());
        EXPECT_EQ(scan.image.pixel(0, 0), qRgb(255, 255, 255));
    }
    const struct { const char* name; QByteArray bytes; qint64 limit; const char* says; } bad[] = {
        {"text", QByteArray("not a picture at all"), kMaxScanPixels, "is not a PNG, JPEG, TIFF or BMP"},
        {"gif", QByteArray("GIF89a\x01\x00\x01\x00\x00\x00\x00;", 14), kMaxScanPixels, "is not a PNG"},
        {"cut png", png.left(png.size() / 2), kMaxScanPixels, "cannot be read as PNG"},
        {"png header only", png.left(40), kMaxScanPixels, "cannot be read as PNG"},
        {"above the limit", png, qint64(opaque.width()) * opaque.height() - 1, "is too large"},
    };
    for (const auto& row : bad) {
        SCOPED_TRACE(row.name);
        try {
            readScan(row.bytes, QStringLiteral("scan.x"), 0, row.limit);
            ADD_FAILURE() << "read";
        } catch (const PlometError& e) {
            EXPECT_TRUE(e.message().contains(QString::fromLatin1(row.says))) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QStringLiteral("scan.x")));
        }
    }
}

TEST(Extract, SizeAndRecolour)
{
    const QImage printed = page(2);
    ASSERT_FALSE(printed.isNull());
    QImage scan = stampPage(printed, {{QPointF(900, 1300), 2, drawnSeal(42, kDpi, QStringLiteral("#E01010"))}});
    addNoise(scan, 4);
    const Scan read = readScan(encoded(scan, "png", kDpi), QStringLiteral("scan"));
    ExtractOptions options;
    options.diameterMm = 30;
    options.recolour = QColor(0x20, 0x40, 0xC0);
    const auto found = extractSeals(read, options);
    ASSERT_EQ(found.size(), 1u);
    const QImage& image = found[0].image;
    EXPECT_NEAR(image.dotsPerMeterX() * 0.0254, kDpi, 0.05);
    QRect box;
    bool uniform = true;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) >= 128)
                box |= QRect(x, y, 1, 1);
            if (qAlpha(p) > 0)
                uniform = uniform && qRed(p) == 0x20 && qGreen(p) == 0x40 && qBlue(p) == 0xC0;
        }
    EXPECT_NEAR(std::max(box.width(), box.height()), 30 * kDpi / 25.4, 2);
    EXPECT_TRUE(uniform);
}

// The SVG: the same seal as paths at its physical size, held against the
// PNG's matte by rendering it.
TEST(Extract, SvgTracesTheMatte)
{
    const QImage printed = page(2);
    ASSERT_FALSE(printed.isNull());
    QImage scan = stampPage(printed, {{QPointF(900, 1300), -2, drawnSeal(40, kDpi, QStringLiteral("#E01010"))}});
    addNoise(scan, 4);
    const auto found = extractSeals(readScan(encoded(scan, "jpeg", kDpi, 90), QStringLiteral("scan")));
    ASSERT_EQ(found.size(), 1u);
    const QByteArray svg = extractedSvg(found[0]);
    EXPECT_FALSE(svg.contains("<image")) << "no raster inside";
    const QRegularExpression size(QStringLiteral("width=\"([0-9.]+)mm\" height=\"([0-9.]+)mm\""));
    const auto m = size.match(QString::fromLatin1(svg));
    ASSERT_TRUE(m.hasMatch());
    EXPECT_NEAR(m.captured(1).toDouble(), found[0].image.width() * 25.4 / kDpi, 0.01);
    EXPECT_NEAR(m.captured(2).toDouble(), found[0].image.height() * 25.4 / kDpi, 0.01);

    QTemporaryDir dir;
    const QString svgPath = dir.filePath(QStringLiteral("seal.svg")), pngPath = dir.filePath(QStringLiteral("r.png"));
    QFile f(svgPath);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(svg) == svg.size());
    f.close();
    QProcess rsvg;
    rsvg.start(QStringLiteral("rsvg-convert"), {QStringLiteral("-w"), QString::number(found[0].image.width()),
                                                QStringLiteral("-h"), QString::number(found[0].image.height()),
                                                QStringLiteral("-o"), pngPath, svgPath});
    ASSERT_TRUE(rsvg.waitForFinished(60000) && rsvg.exitCode() == 0) << rsvg.readAllStandardError().toStdString();
    const QImage rendered(pngPath);
    ASSERT_EQ(rendered.size(), found[0].image.size());
    qint64 both = 0, either = 0;
    for (int y = 0; y < rendered.height(); ++y)
        for (int x = 0; x < rendered.width(); ++x) {
            const bool a = qAlpha(rendered.pixel(x, y)) >= 128, b = qAlpha(found[0].image.pixel(x, y)) >= 128;
            both += a && b;
            either += a || b;
        }
    EXPECT_GE(double(both) / double(either), 0.95);
}

} // namespace

namespace {

// A photograph rather than a scan: the camera a little off square (the far
// edge 3 % narrower), light falling off across the page and warm.
TEST(Extract, PhotoWithPerspectiveAndUnevenLight)
{
    const QImage printed = page(2);
    ASSERT_FALSE(printed.isNull());
    const double px = kDpi / 25.4;
    Placed seal{QPointF(100, 140) * px, -2, drawnSeal(42, kDpi, QStringLiteral("#D81818"))};
    const QTransform camera = perspective(printed.size(), 0.03);
    QImage photo = warped(stampPage(printed, {seal}), camera, QColor(90, 90, 90));
    unevenLight(photo, 1.0, 0.62);
    photo = boxBlur(photo, 1);
    addNoise(photo, 6);
    QImage truth(printed.size(), QImage::Format_ARGB32_Premultiplied);
    truth.fill(Qt::transparent);
    {
        QPainter p(&truth);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.setTransform(placement(seal) * camera);
        p.drawImage(0, 0, seal.seal);
    }
    const auto found = extractSeals(readScan(encoded(photo, "jpeg", kDpi, 80), QStringLiteral("photo")));
    ASSERT_EQ(found.size(), 1u);
    const Fit fit = compare(truth, (placement(seal) * camera).mapRect(QRectF(seal.seal.rect())).toAlignedRect(), found[0]);
    std::printf("  photo: IoU %.3f, ink box off by %d px\n", fit.iou, boxError(fit.truthBox, fit.foundBox));
    EXPECT_GE(fit.iou, 0.85);
    EXPECT_LE(boxError(fit.truthBox, fit.foundBox), 2);
    if (qEnvironmentVariableIsSet("PLOMET_EXTRACT_PICTURES")) {
        // The README's before and after.
        const QString dir = qEnvironmentVariable("PLOMET_EXTRACT_PICTURES");
        photo.copy(found[0].region.adjusted(-60, -60, 60, 60)).scaled(360, 360, Qt::KeepAspectRatio, Qt::SmoothTransformation)
            .save(dir + QStringLiteral("/extract-photo.png"));
        QImage after(found[0].image.size() + QSize(120, 120), QImage::Format_ARGB32);
        after.fill(QColor(0xEE, 0xEE, 0xEE));
        QPainter p(&after);
        for (int y = 0; y < after.height(); y += 20)
            for (int x = (y / 20) % 2 * 20; x < after.width(); x += 40)
                p.fillRect(x, y, 20, 20, Qt::white);
        p.drawImage(60, 60, found[0].image);
        p.end();
        after.scaled(360, 360, Qt::KeepAspectRatio, Qt::SmoothTransformation).save(dir + QStringLiteral("/extract-after.png"));
    }
}

} // namespace

namespace {

// A fleck of ink a few millimetres off a seal joins the seal's cluster
// without making a cell of ink of its own; wherever it lies, the crop and its
// margin are read from inside the seal's pixels (under the sanitizers an
// out-of-range read fails here), and the crop holds the fleck with its margin.
TEST(Extract, FleckBesideTheSealAtEveryOffset)
{
    // At 300 dpi a cell of the seal's grid holds 144 pixels, and two pixels
    // of ink do not make it a cell of ink.
    const int dpi = 300;
    const QImage seal = drawnSeal(20, dpi, QStringLiteral("#E01010"));
    QImage page(seal.width() + 160, seal.height() + 160, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        p.drawImage(80, 80, seal);
    }
    const int sealRight = 80 + seal.width() - 1, sealLeft = 80, middle = 80 + seal.height() / 2;
    const double pxPerMm = dpi / 25.4;
    struct Side { const char* name; int sign; int from; };
    for (const Side side : {Side{"right", 1, sealRight}, Side{"left", -1, sealLeft}}) {
        for (int offset = 20; offset <= 56; ++offset) {
            SCOPED_TRACE(std::string(side.name) + " " + std::to_string(offset));
            QImage scan = page.copy();
            const int fx = side.from + side.sign * offset;
            scan.setPixel(fx, middle, qRgb(0xE0, 0x10, 0x10));
            scan.setPixel(fx, middle + 1, qRgb(0xE0, 0x10, 0x10));
            const auto found = extractSeals(readScan(encoded(scan, "png", dpi), QStringLiteral("scan")));
            ASSERT_EQ(found.size(), 1u);
            const ExtractedSeal& s = found[0];
            ASSERT_TRUE(scan.rect().contains(s.region));
            EXPECT_TRUE(s.region.contains(s.inkBox));
            // The margin beyond the ink box is a millimetre on every side,
            // and transparent.
            EXPECT_GE(s.inkBox.left() - s.region.left(), int(pxPerMm));
            EXPECT_GE(s.region.right() - s.inkBox.right(), int(pxPerMm));
            for (int y = 0; y < s.image.height(); ++y)
                for (int x : {0, s.image.width() - 1})
                    ASSERT_EQ(qAlpha(s.image.pixel(x, y)), 0) << x << "," << y;
        }
    }
}

// Pictures that end before their last pixels: what a decoder leaves undecoded
// is paper, the same at every read, never what the memory held before.
TEST(Extract, CutPicturesReadTheSameEveryTime)
{
    QImage dark(64, 48, QImage::Format_RGB32);
    dark.fill(QColor(30, 60, 90));
    const QByteArray bmp = encoded(dark, "bmp", 150);
    const struct { const char* name; QByteArray bytes; } rows[] = {
        {"bmp cut in half", bmp.left(bmp.size() / 2)},
        {"bmp with its header alone", bmp.left(60)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QImage first;
        for (int fill : {0x00, 0xFF, 0x5A}) {
            // Leave memory of the picture's size behind with other contents.
            for (int k = 0; k < 8; ++k) {
                QImage junk(dark.size(), QImage::Format_RGB32);
                junk.fill(qRgb(fill, fill, fill));
            }
            const Scan scan = readScan(row.bytes, QStringLiteral("cut.bmp"));
            ASSERT_EQ(scan.image.size(), dark.size());
            // A BMP stores its rows bottom up: the top row is the one cut off.
            EXPECT_EQ(scan.image.pixel(0, 0), qRgb(255, 255, 255));
            if (first.isNull())
                first = scan.image;
            EXPECT_EQ(scan.image, first);
        }
    }
}

} // namespace
