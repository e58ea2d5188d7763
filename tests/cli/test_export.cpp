// The image writers, each format checked the way that suits it: PNG decoded
// pixels and recorded resolution, SVG structure and coordinates, PDF page size
// (pdfinfo) and rendered pixels (pdftoppm).
#include "seal/Errors.h"
#include "formats/Export.h"
#include "seal/Plomet.h"
#include "seal/Render.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <cmath>

using namespace plomet;

namespace {

PicturePtr seal(float w = 2055, float h = 2055)
{
    static std::vector<std::unique_ptr<Plomet>> keep;
    keep.push_back(std::make_unique<Plomet>());
    Plomet& p = *keep.back();
    p.InitProperties();
    p.setWidth(w);
    p.setHeight(h);
    p.Draw();
    return p.image();
}

QImage decode(const QByteArray& bytes)
{
    QImage img;
    img.loadFromData(bytes);
    return img;
}

TEST(Export, FormatsByExtension)
{
    EXPECT_EQ(exportFormats(), (QStringList{QStringLiteral("png"), QStringLiteral("bmp"),
                                            QStringLiteral("svg"), QStringLiteral("pdf")}));
    const struct { const char* path; const char* format; } rows[] = {
        {"a.png", "png"}, {"A.PNG", "png"}, {"x/y.z.bmp", "bmp"}, {"s.Svg", "svg"}, {"s.pdf", "pdf"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(exportFormatOf(QString::fromLatin1(row.path)), QLatin1String(row.format));
    for (const char* bad : {"a.gif", "a", "a.png.txt"}) {
        try {
            exportFormatOf(QString::fromLatin1(bad));
            ADD_FAILURE() << bad;
        } catch (const PlometError& e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral(".svg"))) << bad;
            EXPECT_TRUE(e.message().contains(QString::fromLatin1(bad))) << bad;
        }
    }
}

TEST(Export, PngAt96IsTheScreenPicture)
{
    const PicturePtr p = seal();
    const QImage img = decode(exportBytes(*p, QStringLiteral("png")));
    EXPECT_EQ(img.convertToFormat(QImage::Format_RGB32), p->pixels());
    EXPECT_EQ(img.dotsPerMeterX(), 3780);   // 96 dpi recorded
    const QImage bmp = decode(exportBytes(*p, QStringLiteral("bmp")));
    EXPECT_EQ(bmp.convertToFormat(QImage::Format_RGB32), p->pixels());
}

TEST(Export, PngSizeAndResolutionTable)
{
    const struct { float w, h; double dpi; QSize size; int dpm; } rows[] = {
        {2055, 2055, 600, QSize(856, 856), 23622},
        {2381, 2381, 600, QSize(992, 992), 23622},   // 42 mm
        {3000, 2000, 300, QSize(625, 417), 11811},
        {2055, 2055, 72, QSize(103, 103), 2835},
    };
    for (const auto& row : rows) {
        ExportOptions o;
        o.dpi = row.dpi;
        const QImage img = decode(exportBytes(*seal(row.w, row.h), QStringLiteral("png"), o));
        EXPECT_EQ(img.size(), row.size) << row.dpi;
        EXPECT_EQ(img.dotsPerMeterX(), row.dpm) << row.dpi;
        EXPECT_EQ(img.dotsPerMeterY(), row.dpm) << row.dpi;
    }
}

TEST(Export, HighResolutionScaledDownMatchesScreen)
{
    const PicturePtr p = seal();
    ExportOptions o;
    o.dpi = 600;
    const QImage big = decode(exportBytes(*p, QStringLiteral("png"), o));
    const QImage down = big.scaled(p->pixels().size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                            .convertToFormat(QImage::Format_RGB32);
    int far = 0;
    for (int y = 0; y < down.height(); ++y)
        for (int x = 0; x < down.width(); ++x)
            far += std::abs(qGreen(down.pixel(x, y)) - qGreen(p->pixels().pixel(x, y))) > 128;
    EXPECT_LT(far, down.width() * down.height() / 50);
}

TEST(Export, TransparentPngOnlyWhereTheSealIs)
{
    const PicturePtr p = seal();
    ExportOptions o;
    o.transparent = true;
    const QImage png = decode(exportBytes(*p, QStringLiteral("png"), o));
    ASSERT_TRUE(png.hasAlphaChannel());
    EXPECT_EQ(qAlpha(png.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(png.pixel(68, 68)), 255);   // the star
    int partial = 0;
    for (int y = 0; y < png.height(); ++y)
        for (int x = 0; x < png.width(); ++x)
            partial += qAlpha(png.pixel(x, y)) > 0 && qAlpha(png.pixel(x, y)) < 255;
    EXPECT_GT(partial, 100) << "anti-aliased edges in alpha";
    const QImage bmp = decode(exportBytes(*p, QStringLiteral("bmp"), o));
    EXPECT_FALSE(bmp.hasAlphaChannel());
    EXPECT_EQ(bmp.pixel(0, 0), qRgb(255, 255, 255)) << "BMP stays opaque";
}

TEST(Export, SvgIsVectorAtPhysicalSize)
{
    const struct { float w, h; double ringOuter; double cx, cy; } rows[] = {
        {2055, 2055, 2055 / 2.1, 1028, 1028},
        {3000, 2000, 2000 / 2.1, 1500, 1000},
    };
    for (const auto& row : rows) {
        const QByteArray svg = exportBytes(*seal(row.w, row.h), QStringLiteral("svg"));
        // Walk the document: the root's size, every circle with the stroke
        // width of its group, and the kinds of elements.
        QXmlStreamReader xml(svg);
        QXmlStreamAttributes root;
        struct Circle { double cx, cy, r, strokeWidth; };
        std::vector<Circle> circles;
        std::vector<double> strokeWidths{0};
        int paths = 0, texts = 0;
        while (!xml.atEnd()) {
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("g"))
                strokeWidths.pop_back();
            if (token != QXmlStreamReader::StartElement)
                continue;
            const auto at = xml.attributes();
            if (xml.name() == QLatin1String("svg"))
                root = at;
            else if (xml.name() == QLatin1String("g"))
                strokeWidths.push_back(at.hasAttribute(QLatin1String("stroke-width"))
                                           ? at.value(QLatin1String("stroke-width")).toDouble()
                                           : strokeWidths.back());
            else if (xml.name() == QLatin1String("circle"))
                circles.push_back({at.value(QLatin1String("cx")).toDouble(), at.value(QLatin1String("cy")).toDouble(),
                                   at.value(QLatin1String("r")).toDouble(), strokeWidths.back()});
            else if (xml.name() == QLatin1String("path"))
                ++paths;
            else if (xml.name() == QLatin1String("text"))
                ++texts;
        }
        ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
        EXPECT_EQ(root.value(QLatin1String("viewBox")).toString(),
                  QStringLiteral("0 0 %1 %2").arg(row.w).arg(row.h));
        // Width in millimetres: twips / 1440 x 25.4.
        EXPECT_NEAR(root.value(QLatin1String("width")).toString().chopped(2).toDouble(), row.w / 1440.0 * 25.4, 0.01);
        EXPECT_TRUE(root.value(QLatin1String("height")).endsWith(QLatin1String("mm")));
        // The ring is one circle; its outer edge is the outermost one-pixel
        // circle's, m / 2.1 twips plus half a pixel.
        ASSERT_EQ(circles.size(), 1u);
        const Circle& c = circles[0];
        EXPECT_NEAR(c.cx, row.cx, 0.5);
        EXPECT_NEAR(c.cy, row.cy, 0.5);
        EXPECT_NEAR(c.r + c.strokeWidth / 2, row.ringOuter + 7.5, 1.0);
        EXPECT_NEAR(c.r - c.strokeWidth / 2, row.ringOuter - 50 - 7.5, 1.5);
        // Glyphs travel as outlines, never as text needing our fonts.
        EXPECT_EQ(texts, 0);
        EXPECT_GE(paths, 14);
    }
}

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000))
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

TEST(Export, PdfOnePageOfTheSealsSize)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("seal.pdf"));
    const PicturePtr p = seal();
    exportPicture(*p, path);
    const QString info = run(QStringLiteral("pdfinfo"), {path});
    ASSERT_FALSE(info.isEmpty()) << "pdfinfo (poppler-utils) is needed";
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n")))) << info.toStdString();
    const auto m = QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")).match(info);
    ASSERT_TRUE(m.hasMatch()) << info.toStdString();
    // 2055 twips are 102.75 pt; the page box is kept in whole points.
    EXPECT_NEAR(m.captured(1).toDouble(), 102.75, 0.5);
    EXPECT_NEAR(m.captured(2).toDouble(), 102.75, 0.5);

    // Rendered at 288 dpi (4 pixels a screen pixel): the ring's outer edge
    // along the horizontal through the centre at m / 2.1 + 7.5 twips.
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("288"), QStringLiteral("-png"),
                                     QStringLiteral("-singlefile"), path, dir.filePath(QStringLiteral("r"))});
    const QImage img(dir.filePath(QStringLiteral("r.png")));
    ASSERT_FALSE(img.isNull());
    const double twipsPerPx = 1440.0 / 288;
    const int cy = int(1028 / twipsPerPx);
    int rightmostRed = -1;
    for (int x = 0; x < img.width(); ++x) {
        const QRgb px = img.pixel(x, cy);
        if (qRed(px) > 200 && qGreen(px) < 100)
            rightmostRed = x;
    }
    EXPECT_NEAR(rightmostRed * twipsPerPx - 1028, 2055 / 2.1 + 7.5, 10);
    EXPECT_TRUE(img.pixel(2, 2) == qRgb(255, 255, 255));
}

TEST(Export, FailedWriteLeavesNoFile)
{
    QTemporaryDir dir;
    const PicturePtr p = seal();
    const QString missing = dir.filePath(QStringLiteral("nope/x.svg"));
    EXPECT_THROW(exportPicture(*p, missing), PlometError);
    EXPECT_FALSE(QFile::exists(missing));
    ExportOptions huge;
    huge.dpi = 100000;
    const QString big = dir.filePath(QStringLiteral("big.png"));
    EXPECT_THROW(exportPicture(*p, big, huge), PlometError);
    EXPECT_FALSE(QFile::exists(big));
}

} // namespace

namespace {

TEST(Export, OneColourPngMatchesTheDirectRaster)
{
    // A one-colour seal goes out as a palette PNG; decoded it is the direct
    // raster within rounding, and transparent pixels keep the exact colour.
    const PicturePtr p = seal();
    for (double dpi : {150.0, 600.0}) {
        ExportOptions o;
        o.dpi = dpi;
        const QImage png = decode(exportBytes(*p, QStringLiteral("png"), o)).convertToFormat(QImage::Format_RGB32);
        const QImage direct = rasterize(p->model(), dpi);
        ASSERT_EQ(png.size(), direct.size());
        int maxDiff = 0;
        for (int y = 0; y < png.height(); ++y)
            for (int x = 0; x < png.width(); ++x) {
                const QRgb a = png.pixel(x, y), b = direct.pixel(x, y);
                maxDiff = std::max({maxDiff, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                    std::abs(qBlue(a) - qBlue(b))});
            }
        EXPECT_LE(maxDiff, 2) << dpi;
    }
    ExportOptions t;
    t.dpi = 300;
    t.transparent = true;
    const QImage clear = decode(exportBytes(*p, QStringLiteral("png"), t)).convertToFormat(QImage::Format_ARGB32);
    int seen = 0;
    for (int y = 0; y < clear.height(); ++y)
        for (int x = 0; x < clear.width(); ++x)
            if (qAlpha(clear.pixel(x, y)) > 0) {
                ++seen;
                ASSERT_EQ(clear.pixel(x, y) & 0xffffff, 0xff0000u) << x << ',' << y;
            }
    EXPECT_GT(seen, 1000);
}

TEST(Export, TwoColoursStayFullColour)
{
    DrawingModel m;
    m.widthTwips = m.heightTwips = 1500;
    DrawnCircle a;
    a.cx = a.cy = 750;
    a.r = 300;
    a.color = qRgb(255, 0, 0);
    DrawnCircle b = a;
    b.r = 600;
    b.color = qRgb(0, 0, 255);
    m.items = {a, b};
    const SealPicture picture(m, rasterize(m, 96));
    ExportOptions o;
    o.dpi = 300;
    const QImage png = decode(exportBytes(picture, QStringLiteral("png"), o)).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(png, rasterize(m, 300));
}

TEST(Export, ScreenPngKeepsEveryColourWhateverTheirNumber)
{
    // The screen picture goes out with a palette of exactly its colours when
    // it has at most 256, and in full colour when it has more: either way the
    // decoded pixels are the picture's.
    DrawingModel m;
    m.widthTwips = m.heightTwips = 40 * 15;
    for (int colours : {1, 2, 256, 257, 1600}) {
        QImage pixels(40, 40, QImage::Format_RGB32);
        for (int i = 0; i < 1600; ++i)
            pixels.setPixel(i % 40, i / 40, qRgb((i % colours) & 0xff, (i % colours) >> 8, 200));
        const SealPicture picture(m, pixels);
        const QImage png = decode(exportBytes(picture, QStringLiteral("png")));
        ASSERT_FALSE(png.isNull()) << colours;
        EXPECT_EQ(png.format() == QImage::Format_Indexed8, colours <= 256) << colours;
        EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32), pixels) << colours;
    }
}

} // namespace

namespace {

TEST(PictureOnDemand, EachResolutionIsPaintedOnceAndKept)
{
    // A Draw records; the rasters come when asked for, each resolution once:
    // asked again, the picture hands out the very image it made (the same
    // pixel data), and that image is what rasterising the model gives.
    const PicturePtr p = seal();
    const QImage screen = p->pixels();
    EXPECT_EQ(screen, rasterize(p->model(), 96));
    EXPECT_EQ(p->pixels().cacheKey(), screen.cacheKey());
    EXPECT_EQ(p->raster(96).cacheKey(), screen.cacheKey());
    RenderOptions clear;
    clear.transparent = true;
    const QImage fine = p->raster(300);
    EXPECT_EQ(fine, rasterize(p->model(), 300));
    EXPECT_EQ(p->raster(300).cacheKey(), fine.cacheKey());
    EXPECT_NE(p->raster(300, clear).cacheKey(), fine.cacheKey()) << "other options, other raster";
    EXPECT_EQ(p->raster(300, clear), rasterize(p->model(), 300, clear));
    // A few other resolutions are kept; the screen's stays whatever else is asked for.
    for (double dpi : {150.0, 200.0, 250.0, 600.0})
        (void)p->raster(dpi);
    EXPECT_EQ(p->pixels().cacheKey(), screen.cacheKey());
    EXPECT_EQ(p->raster(600).cacheKey(), p->raster(600).cacheKey());
}

TEST(PictureOnDemand, AnImageTooLargeFailsWhenAskedForAndTheScreenStays)
{
    const PicturePtr p = seal();
    EXPECT_THROW((void)p->raster(1e6), PlometError);
    EXPECT_FALSE(p->pixels().isNull());
}

TEST(PictureOnDemand, DrawnForAnyOutputTheScreenPictureIsTheSame)
{
    // A seal drawn for a vector file, another resolution or the screen is
    // the same record, and its screen picture the same pixels.
    const auto assign = [](Plomet& s) { s.setRText(QStringLiteral("甲乙丙丁有限公司")); };
    ExportOptions at96, at300;
    at300.dpi = 300;
    const PicturePtr alone = drawSealFor(assign, QStringLiteral("png"), at96);
    const PicturePtr classic = drawSealFor(assign, QStringLiteral("svg"), at96);
    const PicturePtr fine = drawSealFor(assign, QStringLiteral("png"), at300);
    for (const PicturePtr& p : {classic, fine}) {
        ASSERT_EQ(p->model().items.size(), alone->model().items.size());
        EXPECT_EQ(p->pixels(), alone->pixels());
    }
    EXPECT_GT(alone->model().items.size(), size_t(8));
}

} // namespace
