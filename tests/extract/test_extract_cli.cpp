// plomet extract through the real binary: what is written, and what is
// refused with one line and no file.
#include "CliRun.h"
#include "ScanMaker.h"
#include "TestUtil.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>

using namespace plomet::test;

namespace {

// A page with two red seals, as a JPEG at 300 dpi; and one without any.
struct Pages {
    QTemporaryDir dir;
    QString two, none, broken, noDpi;
    Pages()
    {
        QImage page = printedPage(2, 300);
        EXPECT_FALSE(page.isNull());
        const double px = 300 / 25.4;
        const QImage stamped = stampPage(page, {{QPointF(60, 70) * px, 0, drawnSeal(30, 300, QStringLiteral("#E01010"))},
                                                {QPointF(130, 150) * px, 3, drawnSeal(42, 300, QStringLiteral("#E01010"))}});
        two = dir.filePath(QStringLiteral("two.jpg"));
        none = dir.filePath(QStringLiteral("none.png"));
        broken = dir.filePath(QStringLiteral("broken.png"));
        noDpi = dir.filePath(QStringLiteral("nodpi.bmp"));
        writeAll(two, encoded(stamped, "jpeg", 300, 85));
        writeAll(none, encoded(page, "png", 300));
        writeAll(broken, encoded(stamped, "png", 300).left(5000));
        QByteArray bmp = encoded(stamped.copy(QRect(QPoint(0, 0), QSize(1400, 1200))), "bmp", 300);
        std::fill(bmp.begin() + 38, bmp.begin() + 46, '\0');
        writeAll(noDpi, bmp);
    }
};

Pages& pages()
{
    static Pages p;
    return p;
}

TEST(ExtractCli, WritesTheLargestOrEach)
{
    Pages& p = pages();
    const QString out = p.dir.filePath(QStringLiteral("seal.png"));
    CliRun r = runPlomet({QStringLiteral("extract"), p.two, QStringLiteral("-o"), out});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("warning: 2 seals on the page; the largest is written"))) << r.err.toStdString();
    QImage largest(out);
    EXPECT_TRUE(largest.hasAlphaChannel());
    EXPECT_NEAR(largest.width() * 25.4 / 300, 42, 1.5);   // the 42 mm seal, not the 30 mm one
    EXPECT_NEAR(largest.dotsPerMeterX() * 0.0254, 300, 0.05);
    EXPECT_EQ(qAlpha(largest.pixel(0, 0)), 0);

    const QString dir = p.dir.filePath(QStringLiteral("each"));
    r = runPlomet({QStringLiteral("extract"), p.two, QStringLiteral("-d"), dir, QStringLiteral("--format"), QStringLiteral("svg")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(QDir(dir).entryList(QDir::Files), (QStringList{QStringLiteral("two-1.svg"), QStringLiteral("two-2.svg")}));
    const QByteArray first = readAll(QDir(dir).filePath(QStringLiteral("two-1.svg")));
    const QByteArray second = readAll(QDir(dir).filePath(QStringLiteral("two-2.svg")));
    EXPECT_TRUE(first.contains("<path")) << first.left(300).toStdString();
    auto widthMm = [](const QByteArray& svg) {
        const int at = svg.indexOf(" width=\"");
        return svg.mid(at + 8, svg.indexOf("mm\"", at) - at - 8).toDouble();
    };
    EXPECT_NEAR(widthMm(first), 42, 1.5);
    EXPECT_NEAR(widthMm(second), 30, 1.5);

    // No resolution in the file: said, and 300 taken unless --dpi gives one.
    r = runPlomet({QStringLiteral("extract"), p.noDpi, QStringLiteral("-o"), out});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("records no resolution; taken as 300 dpi"))) << r.err.toStdString();
    r = runPlomet({QStringLiteral("extract"), p.noDpi, QStringLiteral("-o"), out, QStringLiteral("--dpi"), QStringLiteral("600")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    EXPECT_NEAR(QImage(out).dotsPerMeterX() * 0.0254, 600, 0.05);
}

TEST(ExtractCli, RefusedWithOneLineAndNoFile)
{
    Pages& p = pages();
    const QString out = p.dir.filePath(QStringLiteral("refused.png"));
    const struct { QStringList args; int code; const char* says; } rows[] = {
        {{p.none, QStringLiteral("-o"), out}, 1, "no seal-coloured ink found"},
        {{p.two, QStringLiteral("-o"), out, QStringLiteral("--colour"), QStringLiteral("#2040C0")}, 1, "no seal-coloured ink found (looked for #2040c0 ink)"},
        {{p.broken, QStringLiteral("-o"), out}, 1, "cannot be read as PNG"},
        {{p.dir.filePath(QStringLiteral("missing.png")), QStringLiteral("-o"), out}, 1, "cannot open the file"},
        {{p.dir.path(), QStringLiteral("-o"), out}, 1, "it is a folder"},
        {{p.two}, 2, "missing -o"},
        {{QStringLiteral("-o"), out}, 2, "missing SCAN"},
        {{p.two, QStringLiteral("-o"), p.dir.filePath(QStringLiteral("seal.gif"))}, 2, "cannot tell the format"},
        {{p.two, QStringLiteral("-o"), out, QStringLiteral("-d"), p.dir.path()}, 2, "not both"},
        {{p.two, QStringLiteral("-o"), out, QStringLiteral("--dpi"), QStringLiteral("0")}, 2, "--dpi wants"},
        {{p.two, QStringLiteral("-o"), out, QStringLiteral("--colour"), QStringLiteral("red")}, 2, "--colour wants #RRGGBB"},
        {{p.two, QStringLiteral("-o"), out, QStringLiteral("--colour"), QStringLiteral("#808080")}, 2, "is grey"},
        {{p.two, QStringLiteral("-o"), out, QStringLiteral("--size"), QStringLiteral("big")}, 2, "--size wants millimetres"},
        {{p.two, QStringLiteral("-d"), p.dir.path(), QStringLiteral("--format"), QStringLiteral("bmp")}, 2, "--format wants png or svg"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.says);
        const CliRun r = runPlomet(QStringList{QStringLiteral("extract")} + row.args);
        EXPECT_EQ(r.exitCode, row.code);
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("plomet: "))) << r.err.toStdString();
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(row.says))) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out));
    }
}

} // namespace
