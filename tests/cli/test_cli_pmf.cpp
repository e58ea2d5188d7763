// The real `plomet` binary with description files: show, write, render.
#include "formats/PmfFile.h"
#include "seal/Plomet.h"
#include "CliRun.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace plomet;
using plomet::test::readAll;
using plomet::test::writeAll;
using plomet::test::CliRun;
using plomet::test::runPlomet;

namespace {

QByteArray hex(const char* h) { return QByteArray::fromHex(h); }

// The example file, made byte for byte: GBK, CR LF.
QByteArray exampleFile()
{
    QByteArray b;
    for (const QByteArray& l : {hex("b5e7d7d3b9abd5c2c3e8caf6cec4bcfe"), hex("b4b4cabcc8cb3a54657276696e"),
                                hex("cdf8d5be3a") + "x", QByteArray("v1.0"), hex("b1a3c1f4"),
                                hex("d6d0c9bd516f7276656cc8edbcfed3d0cfdeb9abcbbe"), QByteArray(),
                                hex("d7a8d3c3d5c2"), QByteArray("0"), QByteArray("255"), hex("badacce5"),
                                QByteArray("10.5"), QByteArray("True"), hex("a1ef"), QByteArray("24"),
                                QByteArray("3000"), QByteArray("1500"), QByteArray("1"), QByteArray("-1"),
                                QByteArray("False")})
        b += l + "\r\n";
    return b;
}

} // namespace

TEST(CliShow, PrintsTheFifteenValuesInFileOrder)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("e.PMF"));
    ASSERT_TRUE(writeAll(path, exampleFile()));
    const CliRun r = runPlomet({QStringLiteral("show"), path});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("rText=中山Qorvel软件有限公司\npText=\npText1=专用章\nBackColor=0\nForeColor=255\n"
                                    "FontName=黑体\nFontSize=10.5\nShowStar=True\nMidSign=★\nStarSize=24\n"
                                    "Width=3000\nHeight=1500\nSpace=1\nDegree=-1\nFontBold=False\n"));
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
}

TEST(CliShow, JsonHasTypedValuesUnderThePropertyNames)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("e.PMF"));
    QByteArray bytes = exampleFile();
    bytes.replace(hex("d6d0c9bd"), QByteArray("\"q\\\t,") + hex("d6d0c9bd"));   // quote, backslash, tab
    ASSERT_TRUE(writeAll(path, bytes));
    const CliRun r = runPlomet({QStringLiteral("show"), path, QStringLiteral("--json")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(r.out.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
    const QJsonObject o = doc.object();
    // The fifteen classic values and every later property the file can hold.
    EXPECT_EQ(o.size(), 15 + int(fileKeyRows().size()));
    struct Row { const char* key; QJsonValue expected; };
    const Row rows[] = {
        {"rText", QStringLiteral("\"q\\\t,中山Qorvel软件有限公司")}, {"pText", QString()},
        {"pText1", QStringLiteral("专用章")}, {"BackColor", 0}, {"ForeColor", 255},
        {"FontName", QStringLiteral("黑体")}, {"FontSize", 10.5}, {"ShowStar", true},
        {"MidSign", QStringLiteral("★")}, {"StarSize", 24}, {"Width", 3000}, {"Height", 1500},
        {"Space", 1}, {"Degree", -1}, {"FontBold", false},
        {"Shape", QStringLiteral("Round")}, {"InnerRingGap", 57}, {"CodeFontName", QStringLiteral("Arial")},
        {"CodeFontSize", 8}, {"Fit", false},
    };
    for (const auto& row : rows) {
        const QJsonValue v = o.value(QLatin1String(row.key));
        EXPECT_EQ(v.type(), row.expected.type()) << row.key;
        EXPECT_EQ(v, row.expected) << row.key;
    }
    EXPECT_FALSE(o.contains(QStringLiteral("ShowDate")));
}

TEST(CliWrite, NewSealAndFromAnotherFileWithSettings)
{
    QTemporaryDir dir;
    const QString fresh = dir.filePath(QStringLiteral("new.PMF"));
    CliRun r = runPlomet({QStringLiteral("write"), fresh});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    Plomet brandNew;
    brandNew.InitProperties();
    EXPECT_TRUE(readPMF(fresh) == pmfValuesOf(brandNew));

    const QString source = dir.filePath(QStringLiteral("src.PMF"));
    ASSERT_TRUE(writeAll(source, exampleFile()));
    const QString target = dir.filePath(QStringLiteral("out.PMF"));
    r = runPlomet({QStringLiteral("write"), target, QStringLiteral("--from"), source,
                QStringLiteral("--set"), QStringLiteral("rText=A,B \"C\""), QStringLiteral("--set"),
                QStringLiteral("pText= 007"), QStringLiteral("--set"), QStringLiteral("fontbold=True"),
                QStringLiteral("--set"), QStringLiteral("Width=2055")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    PmfValues expected = readPMF(source);
    expected.set("rText", QStringLiteral("A,B \"C\""));
    expected.set("pText", QStringLiteral(" 007"));
    expected.set("FontBold", true);
    expected.set("Width", 2055);
    EXPECT_TRUE(readPMF(target) == expected);
    EXPECT_EQ(readAll(source), exampleFile()) << "the source stays as it was";
}

struct RejectCase {
    const char* name;
    QStringList args;      // %D is the temporary folder
    int exitCode;
    const char* stderrHas;
    const char* untouched; // a file (in %D) that must be unchanged or absent afterwards
};

TEST(CliPmf, RejectedInputWritesNothing)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    QByteArray badValue = exampleFile();
    badValue.replace("\r\n24\r\n", "\r\n99999\r\n");
    ASSERT_TRUE(writeAll(d + "/good.PMF", exampleFile()));
    ASSERT_TRUE(writeAll(d + "/bmp.PMF", QByteArray("BM\x36\x00\x00\x00", 6) + QByteArray(100, '\xff')));
    ASSERT_TRUE(writeAll(d + "/badvalue.PMF", badValue));
    ASSERT_TRUE(writeAll(d + "/empty.PMF", QByteArray()));
    ASSERT_TRUE(writeAll(d + "/keep.PMF", exampleFile()));

    const RejectCase cases[] = {
        {"show a bitmap", {"show", "%D/bmp.PMF"}, 1, "The file format is not correct!", nullptr},
        {"show a bad value", {"show", "%D/badvalue.PMF"}, 1, "StarSize", nullptr},
        {"show an empty file", {"show", "%D/empty.PMF"}, 1, "the file is empty", nullptr},
        {"show a missing file", {"show", "%D/none.PMF"}, 1, "none.PMF", nullptr},
        {"show without a file", {"show"}, 2, "SEAL.PMF", nullptr},
        {"show two files", {"show", "%D/good.PMF", "%D/good.PMF"}, 2, "unexpected", nullptr},
        {"show unknown option", {"show", "%D/good.PMF", "--xml"}, 2, "xml", nullptr},
        {"write from a bitmap", {"write", "%D/keep.PMF", "--from", "%D/bmp.PMF"}, 1, "The file format is not correct!", "keep.PMF"},
        {"write from a bad value", {"write", "%D/new1.PMF", "--from", "%D/badvalue.PMF"}, 1, "line 15", "new1.PMF"},
        {"write a line break", {"write", "%D/keep.PMF", "--set", "rText=a\nb"}, 1, "rText", "keep.PMF"},
        {"write an absurd StarSize", {"write", "%D/keep.PMF", "--set", "StarSize=99999"}, 1, "StarSize", "keep.PMF"},
        {"write a NaN size", {"write", "%D/keep.PMF", "--set", "FontSize=NaN"}, 1, "FontSize", "keep.PMF"},
        {"write an unknown name", {"write", "%D/keep.PMF", "--set", "Colour=1"}, 1, "Colour", "keep.PMF"},
        {"write ShowDate", {"write", "%D/keep.PMF", "--set", "ShowDate=True"}, 2, "ShowDate", "keep.PMF"},
        {"write --from without a file", {"write", "%D/keep.PMF", "--from"}, 2, "from", "keep.PMF"},
        {"write --from twice", {"write", "%D/keep.PMF", "--from", "%D/good.PMF", "--from", "%D/good.PMF"}, 2,
         "from", "keep.PMF"},
        {"write without a file", {"write"}, 2, "SEAL.PMF", nullptr},
        {"write into a missing folder", {"write", "%D/no/x.PMF"}, 1, "x.PMF", nullptr},
        {"render a bitmap", {"render", "%D/bmp.PMF", "-o", "%D/out1.png"}, 1, "The file format is not correct!", "out1.png"},
        {"render a bad value", {"render", "%D/badvalue.PMF", "-o", "%D/out2.png"}, 1, "StarSize", "out2.png"},
        {"render two files", {"render", "%D/good.PMF", "%D/good.PMF", "-o", "%D/out3.png"}, 2, "unexpected",
         "out3.png"},
    };
    for (const auto& c : cases) {
        QStringList args;
        for (const QString& a : c.args)
            args << QString(a).replace(QStringLiteral("%D"), d);
        const QString untouched = c.untouched ? d + QLatin1Char('/') + QLatin1String(c.untouched) : QString();
        const bool existed = c.untouched && QFile::exists(untouched);
        const QByteArray before = existed ? readAll(untouched) : QByteArray();
        const CliRun r = runPlomet(args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.name << ": " << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.stderrHas))) << c.name << ": " << r.err.toStdString();
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << c.name << ": one line: " << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << c.name;
        if (c.untouched) {
            EXPECT_EQ(QFile::exists(untouched), existed) << c.name;
            EXPECT_EQ(readAll(untouched), before) << c.name;
        }
    }
    // Nothing but the files made above.
    EXPECT_EQ(QDir(d).entryList(QDir::Files | QDir::Hidden).size(), 5);
}

TEST(CliRenderPmf, DrawsTheSealOfAFileAtItsSizeWithSettingsAfterLoading)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("e.PMF"));
    ASSERT_TRUE(writeAll(path, exampleFile()));   // 3000 x 1500 twips
    struct Row { const char* name; QStringList extra; QSize size; };
    const Row rows[] = {
        {"size from the file", {}, QSize(200, 100)},
        {"--set after loading", {QStringLiteral("--set"), QStringLiteral("Height=3000")}, QSize(200, 200)},
    };
    for (const auto& row : rows) {
        const QString out = dir.filePath(QStringLiteral("seal.png"));
        QFile::remove(out);
        const CliRun r = runPlomet(QStringList{QStringLiteral("render"), path, QStringLiteral("-o"), out} + row.extra);
        ASSERT_EQ(r.exitCode, 0) << row.name << ": " << r.err.toStdString();
        const QImage image(out);
        ASSERT_FALSE(image.isNull()) << row.name;
        EXPECT_EQ(image.size(), row.size) << row.name;
        // The seal is drawn in the file's ForeColor (255: red) somewhere.
        bool red = false;
        for (int y = 0; y < image.height() && !red; ++y)
            for (int x = 0; x < image.width() && !red; ++x) {
                const QColor c = image.pixelColor(x, y);
                red = c.red() > 200 && c.green() < 60 && c.blue() < 60;
            }
        EXPECT_TRUE(red) << row.name;
    }
}

// A character GBK lacks is kept (as GB18030) and named on stderr; a text GBK
// holds writes without a word.
TEST(CliWrite, NamesCharactersGbkCannotHold)
{
    QTemporaryDir dir;
    const QString pmf = dir.filePath(QStringLiteral("s.PMF"));
    const CliRun kept = runPlomet({QStringLiteral("write"), pmf, QStringLiteral("--set"),
                                   QStringLiteral("rText=Tervin™科技公司"), QStringLiteral("--set"), QStringLiteral("pText=𠀀")});
    EXPECT_EQ(kept.exitCode, 0);
    EXPECT_EQ(kept.err.count(QLatin1Char('\n')), 2) << kept.err.toStdString();
    EXPECT_TRUE(kept.err.contains(QStringLiteral("rText: '™' (U+2122) is not a GBK character")));
    EXPECT_TRUE(kept.err.contains(QStringLiteral("pText: '𠀀' (U+20000)")));
    EXPECT_TRUE(runPlomet({QStringLiteral("show"), pmf}).out.contains(QStringLiteral("rText=Tervin™科技公司")));
    const CliRun plain = runPlomet({QStringLiteral("write"), pmf, QStringLiteral("--set"), QStringLiteral("rText=泰尔文科技")});
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_EQ(plain.err, QString());
}
