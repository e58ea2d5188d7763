// `plomet render` through the real binary: what it writes, and that every
// failure gives one line on stderr, a non-zero exit and no file.
#include "seal/Plomet.h"
#include "seal/Render.h"
#include "CliRun.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

using namespace plomet;

namespace {

using CliResult = plomet::test::CliRun;
using plomet::test::runPlomet;

QImage newSealPixels(const std::function<void(Plomet&)>& setup = {})
{
    Plomet p;
    p.InitProperties();
    if (setup)
        setup(p);
    p.Draw();
    return p.image()->pixels().convertToFormat(QImage::Format_RGB32);
}

TEST(CliRender, DefaultSealAsPngAndBmp)
{
    QTemporaryDir dir;
    for (const char* name : {"seal.png", "seal.bmp", "SEAL.PNG"}) {
        const QString out = dir.filePath(QString::fromLatin1(name));
        const CliResult r = runPlomet({QStringLiteral("render"), QStringLiteral("-o"), out});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.err, QString());
        QImage img(out);
        ASSERT_FALSE(img.isNull()) << name;
        EXPECT_EQ(img.size(), QSize(137, 137));
        EXPECT_EQ(img.convertToFormat(QImage::Format_RGB32), newSealPixels()) << name;
    }
}

TEST(CliRender, SettingsTable)
{
    const struct { QStringList sets; QSize size; std::function<void(Plomet&)> same; } rows[] = {
        {{QStringLiteral("Width=42mm"), QStringLiteral("height=42MM")}, QSize(159, 159),
         [](Plomet& p) { p.setWidth(2381); p.setHeight(2381); }},
        {{QStringLiteral("WIDTH=3000"), QStringLiteral("Height=2000")}, QSize(200, 133),
         [](Plomet& p) { p.setWidth(3000); p.setHeight(2000); }},
        {{QStringLiteral("rtext=甲乙丙有限公司"), QStringLiteral("FontBold=True"), QStringLiteral("Space=0")},
         QSize(137, 137),
         [](Plomet& p) { p.setRText(QStringLiteral("甲乙丙有限公司")); p.setFontBold(true); p.setSpace(0); }},
        {{QStringLiteral("pText1="), QStringLiteral("ShowStar=false"), QStringLiteral("ForeColor=16711680")},
         QSize(137, 137),
         [](Plomet& p) { p.setPText1(QString()); p.setShowStar(false); p.setForeColor(16711680); }},
        {{QStringLiteral("Degree=-2"), QStringLiteral("FontSize=10.5"), QStringLiteral("MidSign=☆")},
         QSize(137, 137),
         [](Plomet& p) { p.setDegree(-2); p.setFontSize(10.5f); p.setMidSign(QStringLiteral("☆")); }},
    };
    QTemporaryDir dir;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sets.join(QLatin1Char(' ')).toStdString());
        const QString out = dir.filePath(QStringLiteral("s.png"));
        QStringList args{QStringLiteral("render"), QStringLiteral("-o"), out};
        for (const QString& s : row.sets)
            args << QStringLiteral("--set") << s;
        const CliResult r = runPlomet(args);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QImage img = QImage(out).convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(img.size(), row.size);
        EXPECT_EQ(img, newSealPixels(row.same));
    }
}

TEST(CliRender, FailuresTable)
{
    const struct { QStringList args; int exitCode; const char* mentions; } rows[] = {
        {{QStringLiteral("--set"), QStringLiteral("Colour=1")}, 1, "Colour"},
        {{QStringLiteral("--set"), QStringLiteral("StarSize=abc")}, 1, "StarSize"},
        {{QStringLiteral("--set"), QStringLiteral("StarSize=40000")}, 1, "StarSize"},
        {{QStringLiteral("--set"), QStringLiteral("FontSize=")}, 1, "FontSize"},
        {{QStringLiteral("--set"), QStringLiteral("ShowStar=maybe")}, 1, "ShowStar"},
        {{QStringLiteral("--set"), QStringLiteral("Width=12cm")}, 1, "Width"},
        {{QStringLiteral("--set"), QStringLiteral("noequals")}, 1, "noequals"},
        {{QStringLiteral("--dpi"), QStringLiteral("0")}, 2, "dpi"},
        {{QStringLiteral("--bogus")}, 2, "bogus"},
    };
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("x.png"));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args.join(QLatin1Char(' ')).toStdString());
        const CliResult r = runPlomet(QStringList{QStringLiteral("render"), QStringLiteral("-o"), out} + row.args);
        EXPECT_EQ(r.exitCode, row.exitCode);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(row.mentions))) << r.err.toStdString();
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << "one line: " << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
}

TEST(CliRender, BadOutputsLeaveNoFile)
{
    QTemporaryDir dir;
    const struct { QString out; int exitCode; const char* mentions; } rows[] = {
        {dir.filePath(QStringLiteral("no/such/folder/x.png")), 1, "x.png"},
        {dir.filePath(QStringLiteral("x.gif")), 1, ".png"},
        {dir.filePath(QStringLiteral("x")), 1, ".bmp"},
    };
    for (const auto& row : rows) {
        const CliResult r = runPlomet({QStringLiteral("render"), QStringLiteral("-o"), row.out});
        EXPECT_EQ(r.exitCode, row.exitCode) << row.out.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(row.mentions))) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(row.out));
    }
    const CliResult missing = runPlomet({QStringLiteral("render")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("-o")));
}

TEST(CliRender, FailureKeepsAnExistingFile)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("keep.png"));
    ASSERT_TRUE(plomet::test::writeAll(out, "previous"));
    const CliResult r = runPlomet({QStringLiteral("render"), QStringLiteral("-o"), out, QStringLiteral("--set"),
                          QStringLiteral("StarSize=x")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(plomet::test::readAll(out), QByteArray("previous"));
}

TEST(CliRender, SuccessIsQuietEvenWithoutRuntimeFolder)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("seal.png"));
    const CliResult r = runPlomet({QStringLiteral("render"), QStringLiteral("-o"), out}, false);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, QString());
    EXPECT_TRUE(QFile::exists(out));
}

TEST(CliRender, UnknownCommandAndHelp)
{
    const CliResult bad = runPlomet({QStringLiteral("paint")});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("paint")));
    // --help is a short list of the commands; --help-all (the manual page) adds every command's options.
    const CliResult help = runPlomet({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_LE(help.out.count(QLatin1Char('\n')), 40) << help.out.toStdString();
    for (const char* word : {"render", "show", "write", "stamp", "Exit codes"})
        EXPECT_TRUE(help.out.contains(QLatin1String(word))) << word;
    EXPECT_FALSE(help.out.contains(QLatin1String("--transparent")));
    const CliResult all = runPlomet({QStringLiteral("--help-all")});
    EXPECT_EQ(all.exitCode, 0);
    for (const char* word : {"render", "show", "write", "Exit codes", "--output", "--directory", "--format",
                             "--set", "--dpi", "--transparent", "--json", "--from"})
        EXPECT_TRUE(all.out.contains(QLatin1String(word))) << word;
    const CliResult one = runPlomet({QStringLiteral("help"), QStringLiteral("render")});
    EXPECT_EQ(one.exitCode, 0);
    EXPECT_TRUE(one.out.contains(QLatin1String("--transparent")));
    EXPECT_FALSE(one.out.contains(QLatin1String("Commands:")));
}

} // namespace

namespace {

TEST(CliRender, BatchWithOneBadFile)
{
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("A.PMF")), b = dir.filePath(QStringLiteral("B.PMF"));
    const QString bad = dir.filePath(QStringLiteral("bad.PMF"));
    ASSERT_EQ(runPlomet({QStringLiteral("write"), a, QStringLiteral("--set"), QStringLiteral("rText=甲乙丙有限公司")}).exitCode, 0);
    ASSERT_EQ(runPlomet({QStringLiteral("write"), b, QStringLiteral("--set"), QStringLiteral("Width=3000"),
                         QStringLiteral("--set"), QStringLiteral("Height=2000")}).exitCode, 0);
    ASSERT_TRUE(plomet::test::writeAll(bad, "not a seal\r\n"));
    const QString out = dir.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(out));

    const struct { QString format; QString ext; } rows[] = {
        {QString(), QStringLiteral("png")}, {QStringLiteral("SVG"), QStringLiteral("svg")},
    };
    for (const auto& row : rows) {
        QStringList args{QStringLiteral("render"), a, bad, b, QStringLiteral("-d"), out};
        if (!row.format.isEmpty())
            args << QStringLiteral("--format") << row.format;
        const CliResult r = runPlomet(args);
        EXPECT_EQ(r.exitCode, 1) << "one file failed";
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("bad.PMF"))) << r.err.toStdString();
        EXPECT_TRUE(QFile::exists(out + QStringLiteral("/A.") + row.ext));
        EXPECT_TRUE(QFile::exists(out + QStringLiteral("/B.") + row.ext));
        EXPECT_FALSE(QFile::exists(out + QStringLiteral("/bad.") + row.ext));
    }
    EXPECT_EQ(QImage(out + QStringLiteral("/B.png")).size(), QSize(200, 133));
    EXPECT_EQ(QImage(out + QStringLiteral("/A.png")).convertToFormat(QImage::Format_RGB32),
              newSealPixels([](Plomet& p) { p.setRText(QStringLiteral("甲乙丙有限公司")); }));

    // All good: exit 0, nothing on stderr.
    const CliResult ok = runPlomet({QStringLiteral("render"), a, b, QStringLiteral("-d"), out,
                                    QStringLiteral("--format"), QStringLiteral("pdf")});
    EXPECT_EQ(ok.exitCode, 0) << ok.err.toStdString();
    EXPECT_EQ(ok.err, QString());
    EXPECT_TRUE(QFile::exists(out + QStringLiteral("/B.pdf")));
    // Usage errors.
    EXPECT_EQ(runPlomet({QStringLiteral("render"), a, b, QStringLiteral("-o"), out + QStringLiteral("/x.png")}).exitCode, 2);
    EXPECT_EQ(runPlomet({QStringLiteral("render"), a, QStringLiteral("-d"), out, QStringLiteral("--format"),
                         QStringLiteral("gif")}).exitCode, 2);
    // A folder that does not exist yet is made, parents included; one that
    // cannot be made (below a file) fails with one line and no image.
    const QString made = dir.filePath(QStringLiteral("new/deeper"));
    const CliResult create = runPlomet({QStringLiteral("render"), a, QStringLiteral("-d"), made});
    EXPECT_EQ(create.exitCode, 0) << create.err.toStdString();
    EXPECT_EQ(QImage(made + QStringLiteral("/A.png")).size(), QSize(137, 137));
    const CliResult below = runPlomet({QStringLiteral("render"), a, QStringLiteral("-d"), a + QStringLiteral("/x")});
    EXPECT_EQ(below.exitCode, 1);
    EXPECT_EQ(below.err.count(QLatin1Char('\n')), 1) << below.err.toStdString();
    EXPECT_EQ(runPlomet({QStringLiteral("render"), a, QStringLiteral("-o"), out + QStringLiteral("/x.png"),
                         QStringLiteral("--format"), QStringLiteral("pdf")}).exitCode, 2);

    // The same name twice: the second would overwrite the first's image.
    const QString sub = dir.filePath(QStringLiteral("sub"));
    ASSERT_TRUE(QDir().mkpath(sub));
    ASSERT_TRUE(QFile::copy(b, sub + QStringLiteral("/A.PMF")));
    const QString out2 = dir.filePath(QStringLiteral("out2"));
    ASSERT_TRUE(QDir().mkpath(out2));
    const CliResult twice = runPlomet({QStringLiteral("render"), a, sub + QStringLiteral("/A.PMF"), QStringLiteral("-d"), out2});
    EXPECT_EQ(twice.exitCode, 1);
    EXPECT_EQ(twice.err.count(QLatin1Char('\n')), 1) << twice.err.toStdString();
    EXPECT_TRUE(twice.err.contains(QStringLiteral("sub"))) << twice.err.toStdString();
    EXPECT_EQ(QImage(out2 + QStringLiteral("/A.png")).size(), QSize(137, 137)) << "the first one's image";
}

// The images of a batch are written by other threads than draw them: a
// write that fails is still reported against its own file, the others are
// written, and the batch ends (many seals, so that writes wait in line).
TEST(CliRender, BatchImageThatCannotBeWrittenIsReported)
{
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("A.PMF"));
    ASSERT_EQ(runPlomet({QStringLiteral("write"), a, QStringLiteral("--set"), QStringLiteral("rText=甲乙丙有限公司")}).exitCode, 0);
    QStringList args{QStringLiteral("render")};
    for (int i = 0; i < 24; ++i) {
        const QString copy = dir.filePath(QStringLiteral("s%1.PMF").arg(i));
        ASSERT_TRUE(QFile::copy(a, copy));
        args << copy;
    }
    const QString out = dir.filePath(QStringLiteral("out"));
    // A folder stands where s7's image would go.
    ASSERT_TRUE(QDir().mkpath(out + QStringLiteral("/s7.png")));
    args << QStringLiteral("-d") << out;
    const CliResult r = runPlomet(args);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("s7.PMF"))) << r.err.toStdString();
    EXPECT_TRUE(QFileInfo(out + QStringLiteral("/s7.png")).isDir());
    for (int i = 0; i < 24; ++i)
        if (i != 7)
            EXPECT_EQ(QImage(out + QStringLiteral("/s%1.png").arg(i)).size(), QSize(137, 137)) << i;
}

} // namespace

namespace {

TEST(CliRender, CharactersWithoutGlyphAreNamed)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("g.png"));
    const struct { QString set; const char* property; const char* code; } rows[] = {
        {QStringLiteral("rText=甲\U0000EEEE乙"), "rText", "U+EEEE"},   // no face has U+EEEE
        {QStringLiteral("pText1=\U0010FFFD"), "pText1", "U+10FFFD"},
        {QStringLiteral("MidSign=\U0000E001★"), "MidSign", "U+E001"},
        // A face name that GBK cannot hold still draws, with the nearest face.
        {QStringLiteral("FontName=맑은 고딕"), "FontName", "GBK"},
    };
    for (const auto& row : rows) {
        const CliResult r = runPlomet({QStringLiteral("render"), QStringLiteral("-o"), out, QStringLiteral("--set"), row.set});
        EXPECT_EQ(r.exitCode, 0) << "the render still completes";
        EXPECT_TRUE(QFile::exists(out));
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(row.property))) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(row.code))) << r.err.toStdString();
        QFile::remove(out);
    }
    // Not shown, not named: the sign of a seal without sign.
    const CliResult hidden = runPlomet({QStringLiteral("render"), QStringLiteral("-o"), out, QStringLiteral("--set"),
                                        QStringLiteral("MidSign=\U0000E001"), QStringLiteral("--set"),
                                        QStringLiteral("ShowStar=False")});
    EXPECT_EQ(hidden.exitCode, 0);
    EXPECT_EQ(hidden.err, QString());
}

TEST(CliRender, AStyleWithoutInstalledFaceIsNamed)
{
    // Debian has no 仿宋 face for simplified Chinese: drawn as 宋体, and said so.
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("f.png"));
    const CliResult fang = runPlomet({QStringLiteral("render"), QStringLiteral("-o"), out, QStringLiteral("--set"),
                                      QStringLiteral("FontName=仿宋")});
    EXPECT_EQ(fang.exitCode, 0);
    EXPECT_TRUE(QFile::exists(out));
    EXPECT_EQ(fang.err.count(QLatin1Char('\n')), 1) << fang.err.toStdString();
    EXPECT_TRUE(fang.err.startsWith(QStringLiteral("plomet: warning: FontName: no 仿宋 face")))
        << fang.err.toStdString();
    EXPECT_TRUE(fang.err.contains(QStringLiteral("宋体 (Noto Serif CJK SC)"))) << fang.err.toStdString();
    for (const char* face : {"楷体", "宋体", "SimHei"}) {
        const CliResult r = runPlomet({QStringLiteral("render"), QStringLiteral("-o"), out, QStringLiteral("--set"),
                                       QStringLiteral("FontName=") + QString::fromUtf8(face)});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.err, QString()) << face;
    }
}

} // namespace

namespace {

// Warnings before a seal looks wrong: each row's seal is still written (exit
// 0), with exactly the warning it should have on stderr, or none.
TEST(CliRender, WarnsBeforeASealLooksWrong)
{
    const QString name17 = QStringLiteral("北京市朝阳区泰尔文科技发展有限公司");
    const QString name20 = QStringLiteral("北京市朝阳区泰尔文科技发展有限责任公司北");
    const struct {
        QStringList set;
        const char* warning;   // nullptr: stderr stays empty
    } rows[] = {
        {{}, nullptr},
        {{QStringLiteral("FontName=NoSuchFont")}, "no face 'NoSuchFont' is installed; it is drawn in"},
        {{QStringLiteral("FontName=黑体")}, nullptr},
        {{QStringLiteral("Width=42")}, "0.7 x 36.2 mm, smaller than any seal"},
        {{QStringLiteral("Width=42mm"), QStringLiteral("Height=42mm")}, nullptr},
        {{QStringLiteral("Width=200mm"), QStringLiteral("Height=200mm")}, "larger than any seal"},
        {{QStringLiteral("rText=") + name17.left(14), QStringLiteral("pText=合同专用章")}, nullptr},
        {{QStringLiteral("rText=") + name17, QStringLiteral("pText=合同专用章")}, "runs into the lower line; Fit=True"},
        {{QStringLiteral("rText=") + name17, QStringLiteral("pText=合同专用章"), QStringLiteral("Fit=True")}, nullptr},
        {{QStringLiteral("rText=") + name20, QStringLiteral("pText="), QStringLiteral("pText1=")},
         "goes round the ring over itself"},
        {{QStringLiteral("rText=") + name20.left(18), QStringLiteral("pText="), QStringLiteral("pText1=")}, nullptr},
    };
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("seal.png"));
    for (const auto& row : rows) {
        QStringList args{QStringLiteral("render"), QStringLiteral("-o"), out};
        for (const QString& s : row.set)
            args << QStringLiteral("--set") << s;
        const CliResult r = runPlomet(args);
        const QString what = row.set.join(QLatin1Char(' '));
        EXPECT_EQ(r.exitCode, 0) << what.toStdString();
        if (!row.warning) {
            EXPECT_EQ(r.err, QString()) << what.toStdString();
            continue;
        }
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << what.toStdString() << ": " << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(row.warning))) << what.toStdString() << ": " << r.err.toStdString();
    }
    // Every preset lays out a long name without a word.
    for (const char* preset : {"公章", "合同专用章", "财务专用章"}) {
        const CliResult r = runPlomet({QStringLiteral("render"), QStringLiteral("-o"), out, QStringLiteral("--preset"),
                                       QString::fromUtf8(preset), QStringLiteral("--set"),
                                       QStringLiteral("rText=") + name20 + name20.left(6)});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.err, QString()) << preset;
    }
}

} // namespace
