// Worn ink in the files: PDF and SVG carry it as a soft mask and real
// renderers (pdftoppm, rsvg-convert) show the PNG's wear; the command line
// takes both values, and the description file keeps them.
#include "CliRun.h"
#include "formats/Export.h"
#include "formats/PmfFile.h"
#include "seal/Plomet.h"
#include "seal/Render.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <memory>
#include <vector>

using namespace plomet;
using plomet::test::runPlomet;

namespace {

PicturePtr seal(int aging, int32_t seed)
{
    Plomet p;
    p.InitProperties();
    p.setAging(aging);
    p.setAgingSeed(seed);
    p.Draw();
    return p.image();
}

// Ink of a red-on-white picture per pixel over the common area, 0 .. 1.
std::vector<double> inkOf(const QImage& image, QSize size)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    std::vector<double> ink;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            ink.push_back(1.0 - qGreen(rgb.pixel(x, y)) / 255.0);
    return ink;
}

double meanDifference(const QImage& a, const QImage& b)
{
    const QSize common = a.size().boundedTo(b.size());
    const std::vector<double> ia = inkOf(a, common), ib = inkOf(b, common);
    double d = 0;
    for (size_t i = 0; i < ia.size(); ++i)
        d += std::fabs(ia[i] - ib[i]);
    return d / double(ia.size());
}

// The file rendered at 300 dpi by a real renderer of its format.
QImage renderFile(const QByteArray& bytes, const QString& format, const QSize& size)
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("seal.") + format);
    const QString out = dir.filePath(QStringLiteral("page"));
    if (!plomet::test::writeAll(in, bytes))
        return QImage();
    QProcess p;
    if (format == QLatin1String("pdf"))
        p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"),
                                             QStringLiteral("-singlefile"), in, out});
    else
        p.start(QStringLiteral("rsvg-convert"),
                {QStringLiteral("-w"), QString::number(size.width()), QStringLiteral("-h"),
                 QString::number(size.height()), QStringLiteral("-b"), QStringLiteral("white"),
                 QStringLiteral("-o"), out + QStringLiteral(".png"), in});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QImage();
    return QImage(out + QStringLiteral(".png"));
}

} // namespace

TEST(WearExport, VectorFilesRenderLikeThePng)
{
    // At a print resolution: poppler samples a soft mask without averaging,
    // so far below the mask's own 360 dpi its specks alias.
    const PicturePtr worn = seal(60, 9), plain = seal(0, 9), other = seal(60, 10);
    const QImage png = rasterize(worn->model(), 300);
    const QImage plainPng = rasterize(plain->model(), 300);
    const QImage otherPng = rasterize(other->model(), 300);
    for (const char* format : {"pdf", "svg"}) {
        const QString f = QLatin1String(format);
        const QImage shown = renderFile(exportBytes(*worn, f), f, png.size());
        ASSERT_FALSE(shown.isNull()) << format;
        // (The PDF page is whole points: a quarter point larger here.)
        EXPECT_LE(std::abs(shown.width() - png.width()), 2) << format;
        // Close to the PNG of the same wear, far from the unworn picture and
        // from another seed's wear.
        const double same = meanDifference(shown, png);
        EXPECT_LT(same, 0.03) << format;
        EXPECT_LT(same, 0.5 * meanDifference(shown, plainPng)) << format;
        EXPECT_LT(same, 0.5 * meanDifference(shown, otherPng)) << format;
    }
}

TEST(WearExport, LevelZeroFilesAreTheUnwornFiles)
{
    // The seed alone changes nothing: level 0 is the unworn drawing in
    // every format (the PDF's creation date aside, compared by its pixels).
    const PicturePtr a = seal(0, 0), b = seal(0, 77);
    for (const char* format : {"png", "bmp", "svg"})
        EXPECT_EQ(exportBytes(*a, QLatin1String(format)), exportBytes(*b, QLatin1String(format))) << format;
    const QByteArray pdf = exportBytes(*b, QStringLiteral("pdf"));
    EXPECT_FALSE(pdf.contains("/Luminosity")) << "an unworn PDF has no soft mask";
    EXPECT_TRUE(exportBytes(*seal(30, 0), QStringLiteral("pdf")).contains("/Luminosity"));
    EXPECT_FALSE(exportBytes(*b, QStringLiteral("svg")).contains("mask"));
}

TEST(WearExport, CommandLineSetsLevelAndSeed)
{
    QTemporaryDir dir;
    auto render = [&dir](const QString& name, const QStringList& sets) {
        QStringList args{QStringLiteral("render"), QStringLiteral("-o"), dir.filePath(name)};
        for (const QString& s : sets)
            args << QStringLiteral("--set") << s;
        return runPlomet(args);
    };
    const QStringList worn{QStringLiteral("Aging=40"), QStringLiteral("AgingSeed=7")};
    ASSERT_EQ(render(QStringLiteral("a.png"), worn).exitCode, 0);
    ASSERT_EQ(render(QStringLiteral("b.png"), worn).exitCode, 0);
    ASSERT_EQ(render(QStringLiteral("plain.png"), {}).exitCode, 0);
    const QByteArray a = plomet::test::readAll(dir.filePath(QStringLiteral("a.png")));
    EXPECT_FALSE(a.isEmpty());
    EXPECT_EQ(a, plomet::test::readAll(dir.filePath(QStringLiteral("b.png"))));
    EXPECT_NE(a, plomet::test::readAll(dir.filePath(QStringLiteral("plain.png"))));
    // What the command line draws is what the library draws.
    EXPECT_EQ(QImage(dir.filePath(QStringLiteral("a.png"))).convertToFormat(QImage::Format_RGB32),
              seal(40, 7)->pixels().convertToFormat(QImage::Format_RGB32));
    for (const char* bad : {"Aging=101", "Aging=-1", "Aging=2.5", "Aging=x", "AgingSeed=3000000000"}) {
        const auto r = render(QStringLiteral("bad.png"), {QLatin1String(bad)});
        EXPECT_NE(r.exitCode, 0) << bad;
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << bad << ": " << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("bad.png")))) << bad;
    }
}

// The wear travels through the description file: `plomet write --set` keeps
// both values as key lines after line 20, the file draws the same worn
// pixels as the settings given directly, and a seal loaded from it saves the
// same bytes.
TEST(WearExport, DescriptionFileKeepsLevelAndSeed)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("worn.PMF"));
    const QStringList sets{QStringLiteral("--set"), QStringLiteral("Aging=40"), QStringLiteral("--set"),
                           QStringLiteral("AgingSeed=7")};
    auto r = runPlomet(QStringList{QStringLiteral("write"), file} + sets);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QByteArray bytes = plomet::test::readAll(file);
    EXPECT_EQ(bytes.count("\r\n"), 22);
    EXPECT_TRUE(bytes.endsWith("\r\nAging=40\r\nAgingSeed=7\r\n")) << bytes.right(60).toStdString();

    const QString fromFile = dir.filePath(QStringLiteral("file.png")), direct = dir.filePath(QStringLiteral("set.png"));
    r = runPlomet({QStringLiteral("render"), file, QStringLiteral("-o"), fromFile});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    r = runPlomet(QStringList{QStringLiteral("render"), QStringLiteral("-o"), direct} + sets);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(plomet::test::readAll(fromFile), plomet::test::readAll(direct));
    EXPECT_EQ(QImage(fromFile).convertToFormat(QImage::Format_RGB32),
              seal(40, 7)->pixels().convertToFormat(QImage::Format_RGB32));

    Plomet loaded;
    loaded.InitProperties();
    LoadPMF(loaded, file);
    EXPECT_EQ(loaded.Aging(), 40);
    EXPECT_EQ(loaded.AgingSeed(), 7);
    const QString again = dir.filePath(QStringLiteral("again.PMF"));
    SavePMF(loaded, again);
    EXPECT_EQ(plomet::test::readAll(again), bytes);
}
