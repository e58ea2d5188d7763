// Engravings through the real binary: SVG and PDF rendered back to pixels
// (rsvg-convert, pdftoppm) at their physical size and held against the
// seal's own raster mirrored; no text objects and no fonts in the files.
#include "CliRun.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace plomet::test;

namespace {

constexpr int kDpi = 300;

QString run(const QString& program, const QStringList& args, int* code)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(120000)) {
        p.kill();
        *code = -1;
        return {};
    }
    *code = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
}

// Ink where a pixel is at least half covered: by alpha, or on an opaque
// page by its distance from white.
std::vector<bool> inkOf(const QImage& image)
{
    std::vector<bool> ink(size_t(image.width()) * image.height());
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb p = argb.pixel(x, y);
            const int away = std::max({255 - qRed(p), 255 - qGreen(p), 255 - qBlue(p)});
            ink[size_t(y) * argb.width() + x] = image.hasAlphaChannel() ? qAlpha(p) >= 128 : away >= 128;
        }
    return ink;
}

std::vector<bool> mirrored(const std::vector<bool>& mask, int w, int h)
{
    std::vector<bool> out(mask.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out[size_t(y) * w + x] = mask[size_t(y) * w + (w - 1 - x)];
    return out;
}

// The cut-away of a rubber stamp: the whole block where there is no ink.
std::vector<bool> inverted(const std::vector<bool>& mask, int, int)
{
    std::vector<bool> out(mask.size());
    for (size_t i = 0; i < mask.size(); ++i)
        out[i] = !mask[i];
    return out;
}

double iou(const std::vector<bool>& a, const std::vector<bool>& b)
{
    qint64 both = 0, either = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        both += a[i] && b[i];
        either += a[i] || b[i];
    }
    return either ? double(both) / double(either) : 0;
}

TEST(Engrave, MirroredOutlinesAtTheSealsSize)
{
    const struct {
        const char* name;
        QStringList settings;
    } seals[] = {
        {"round, Chinese name", {"--set", "rText=Tervin科技有限公司", "--set", "pText1=合同专用章"}},
        {"oval invoice seal", {"--preset", "发票专用章", "--set", "rText=Tervin贸易有限公司", "--set",
                               "MidText=91110108MA01ABCD2X"}},
        {"code along the arc", {"--preset", "公章", "--set", "rText=Qorvel软件股份有限公司", "--set",
                                "CodeText=1101080012345"}},
        {"Latin name, worn", {"--set", "rText=QORVEL SOFTWARE COMPANY", "--set", "Aging=60"}},
    };
    QTemporaryDir dir;
    for (const auto& seal : seals) {
        // The seal's own raster, the truth (an engraving is never worn).
        QStringList truthArgs = QStringList{"render", "-o", dir.filePath("truth.png"), "--dpi", QString::number(kDpi),
                                            "--transparent"} + seal.settings;
        truthArgs.replaceInStrings(QRegularExpression("^Aging=.*"), "Aging=0");
        const CliRun truthRun = runPlomet(truthArgs);
        ASSERT_EQ(truthRun.exitCode, 0) << truthRun.err.toStdString();
        const QImage truth(dir.filePath("truth.png"));
        ASSERT_FALSE(truth.isNull());
        const int w = truth.width(), h = truth.height();
        const std::vector<bool> ink = inkOf(truth);
        QStringList jsonArgs = truthArgs;
        jsonArgs[2] = dir.filePath("truth.svg");
        const CliRun sized = runPlomet(jsonArgs << "--json");
        ASSERT_EQ(sized.exitCode, 0) << sized.err.toStdString();
        const QRegularExpressionMatch mm =
            QRegularExpression(R"("heightMm": *([0-9.]+),\s*"input".*"widthMm": *([0-9.]+))",
                               QRegularExpression::DotMatchesEverythingOption).match(sized.out);
        ASSERT_TRUE(mm.hasMatch()) << sized.out.toStdString();
        const double widthMm = mm.captured(2).toDouble(), heightMm = mm.captured(1).toDouble();
        for (const char* format : {"svg", "pdf"})
            for (bool invert : {false, true}) {
                SCOPED_TRACE(std::string(seal.name) + " " + format + (invert ? " inverted" : ""));
                const QString out = dir.filePath(QStringLiteral("engraved.") + QLatin1String(format));
                QStringList args = QStringList{"render", "-o", out, "--engrave"} + seal.settings;
                if (invert)
                    args << "--invert";
                const CliRun r = runPlomet(args);
                ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
                int code = 0;
                QString rendered = dir.filePath("rendered");
                if (QLatin1String(format) == QLatin1String("svg")) {
                    QFile f(out);
                    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
                    const QByteArray svg = f.readAll();
                    EXPECT_FALSE(svg.contains("<text")) << "a text object";
                    EXPECT_FALSE(svg.contains("font-family")) << "a font";
                    EXPECT_FALSE(svg.contains("<image")) << "a raster";
                    const QRegularExpressionMatch size =
                        QRegularExpression(R"(width="([0-9.]+)mm" height="([0-9.]+)mm")").match(QString::fromUtf8(svg));
                    ASSERT_TRUE(size.hasMatch());
                    EXPECT_NEAR(size.captured(1).toDouble(), widthMm, 0.01);
                    EXPECT_NEAR(size.captured(2).toDouble(), heightMm, 0.01);
                    rendered += ".png";
                    run("rsvg-convert", {"-d", QString::number(kDpi), "-p", QString::number(kDpi), "-o", rendered, out},
                        &code);
                } else {
                    const QString fonts = run("pdffonts", {out}, &code);
                    ASSERT_EQ(code, 0) << fonts.toStdString();
                    // The header and its rule, no font below them.
                    EXPECT_EQ(fonts.trimmed().split('\n').size(), 2) << fonts.toStdString();
                    const QRegularExpressionMatch size =
                        QRegularExpression(R"(Page size: *([0-9.]+) x ([0-9.]+) pts)").match(run("pdfinfo", {out}, &code));
                    ASSERT_TRUE(size.hasMatch());
                    EXPECT_NEAR(size.captured(1).toDouble() / 72 * 25.4, widthMm, 0.01);
                    EXPECT_NEAR(size.captured(2).toDouble() / 72 * 25.4, heightMm, 0.01);
                    run("pdftoppm", {"-r", QString::number(kDpi), "-singlefile", "-png", out, rendered}, &code);
                    rendered += ".png";
                }
                ASSERT_EQ(code, 0);
                const QImage picture(rendered);
                ASSERT_FALSE(picture.isNull());
                // The renderers round the physical size up to whole pixels.
                EXPECT_LE(std::abs(picture.width() - w), 2);
                EXPECT_LE(std::abs(picture.height() - h), 2);
                const QImage same = picture.copy(0, 0, w, h);
                const std::vector<bool> got = inkOf(same);
                const std::vector<bool> want = invert ? inverted(mirrored(ink, w, h), w, h) : mirrored(ink, w, h);
                const double fit = iou(got, want);
                const double unmirrored = iou(got, invert ? inverted(ink, w, h) : ink);
                std::printf("  %-22s %s%s: IoU %.3f (against the unmirrored seal %.3f)\n", seal.name, format,
                            invert ? " --invert" : "", fit, unmirrored);
                // Raster glyphs and outlines differ in their anti-aliasing, most in thin
                // serif strokes: against the unmirrored seal it is about 0.6.
                EXPECT_GE(fit, 0.92);
                EXPECT_LT(unmirrored, fit - 0.03) << "not mirrored";
            }
    }
}

TEST(Engrave, RastersAndLoneInvertAreRefused)
{
    QTemporaryDir dir;
    const struct {
        QStringList args;
        const char* says;
    } rows[] = {
        {{"render", "-o", "%D/s.png", "--engrave"}, "--engrave makes SVG or PDF"},
        {{"render", "-o", "%D/s.bmp", "--engrave", "--invert"}, "not BMP"},
        {{"render", "-o", "%D/s.svg", "--invert"}, "give --engrave"},
    };
    for (const auto& row : rows) {
        QStringList args = row.args;
        args.replaceInStrings("%D", dir.path());
        SCOPED_TRACE(args.join(' ').toStdString());
        const CliRun r = runPlomet(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.startsWith("plomet: ") && r.err.contains(QString::fromLatin1(row.says)))
            << r.err.toStdString();
        EXPECT_EQ(r.err.count('\n'), 1);
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());

    // A table's rows name their own formats: the raster row alone fails.
    QFile table(dir.filePath("seals.csv"));
    ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    table.write("rText,output\nTervin科技有限公司,a.svg\nQorvel软件有限公司,b.png\n");
    table.close();
    const CliRun r = runPlomet({"render", "--table", dir.filePath("seals.csv"), "-d", dir.filePath("out"), "--engrave"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("seals.csv:3: an engraving is SVG or PDF, not PNG")) << r.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("out/a.svg")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("out/b.png")));
}

} // namespace
