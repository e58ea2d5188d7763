// Bad arguments to every command and option: one line on stderr, a non-zero
// exit (2 for a bad command line, 1 for a value the seal or file refuses),
// nothing on stdout, no file written, never a crash.
#include "CliRun.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using plomet::test::CliRun;
using plomet::test::runPlomet;

namespace {

struct BadArgs {
    QStringList args;   // %D: a fresh empty folder; outputs go there
    int exitCode;
    const char* stderrHas;
};

} // namespace

TEST(CliArgs, EveryBadArgumentGivesOneLineAndWritesNothing)
{
    const BadArgs cases[] = {
        // the commands
        {{"bogus"}, 2, "bogus"},
        {{"render"}, 2, "-o"},
        {{"show"}, 2, "SEAL.PMF"},
        {{"write"}, 2, "SEAL.PMF"},
        // render: -o
        {{"render", "-o"}, 2, "-o"},
        {{"render", "-o", ""}, 1, "picture format"},
        {{"render", "-o", "%D/seal.xyz"}, 1, "seal.xyz"},
        {{"render", "-o", "%D/seal"}, 1, "picture format"},
        {{"render", "-o", "%D/no/such/seal.png"}, 1, "seal.png"},
        {{"render", "-o", "%D"}, 1, ""},
        // render: --dpi
        {{"render", "-o", "%D/s.png", "--dpi"}, 2, "--dpi"},
        {{"render", "-o", "%D/s.png", "--dpi", "abc"}, 2, "--dpi"},
        {{"render", "-o", "%D/s.png", "--dpi", "0"}, 2, "--dpi"},
        {{"render", "-o", "%D/s.png", "--dpi", "-96"}, 2, "--dpi"},
        {{"render", "-o", "%D/s.png", "--dpi", "NaN"}, 2, "--dpi"},
        {{"render", "-o", "%D/s.png", "--dpi", "Infinity"}, 2, "--dpi"},
        {{"render", "-o", "%D/s.png", "--dpi", "1e308"}, 2, "--dpi"},
        {{"render", "-o", "%D/s.png", "--dpi", "96dpi"}, 2, "--dpi"},
        {{"render", "-o", "%D/s.png", "--dpi", "50000"}, 1, "pixels"},
        {{"render", "-o", "%D/s.png", "--set", "Width=32767", "--dpi", "3000"}, 1, "pixels"},
        // render: flags with values, unknown options, extra arguments
        {{"render", "-o", "%D/s.png", "--transparent=1"}, 2, "transparent"},
        {{"render", "-o", "%D/s.png", "--bogus"}, 2, "bogus"},
        {{"render", "%D/a.PMF", "%D/b.PMF", "-o", "%D/s.png"}, 2, "unexpected"},
        {{"render", "%D/none.PMF", "-o", "%D/s.png"}, 1, "none.PMF"},
        // --set, for every kind of value
        {{"render", "-o", "%D/s.png", "--set"}, 2, "--set"},
        {{"render", "-o", "%D/s.png", "--set", "ShowStar"}, 1, "ShowStar"},
        {{"render", "-o", "%D/s.png", "--set", "=1"}, 1, "=1"},
        {{"render", "-o", "%D/s.png", "--set", "Colour=255"}, 1, "Colour"},
        {{"render", "-o", "%D/s.png", "--set", "ShowStar=maybe"}, 1, "ShowStar"},
        {{"render", "-o", "%D/s.png", "--set", "FontBold=2x"}, 1, "FontBold"},
        {{"render", "-o", "%D/s.png", "--set", "StarSize=99999"}, 1, "StarSize"},
        {{"render", "-o", "%D/s.png", "--set", "StarSize=abc"}, 1, "StarSize"},
        {{"render", "-o", "%D/s.png", "--set", "Degree=NaN"}, 1, "Degree"},
        {{"render", "-o", "%D/s.png", "--set", "Degree=1e400"}, 1, "Degree"},
        {{"render", "-o", "%D/s.png", "--set", "ForeColor=2147483648"}, 1, "ForeColor"},
        {{"render", "-o", "%D/s.png", "--set", "ForeColor=#ff00zz"}, 1, "ForeColor"},
        {{"render", "-o", "%D/s.png", "--set", "ForeColor=#f00"}, 1, "ForeColor"},
        {{"render", "-o", "%D/s.png", "--set", "BackColor=-2147483649"}, 1, "BackColor"},
        {{"render", "-o", "%D/s.png", "--set", "Space=1e10"}, 1, "Space"},
        {{"render", "-o", "%D/s.png", "--set", "FontSize=1e39"}, 1, "FontSize"},
        {{"render", "-o", "%D/s.png", "--set", "FontSize=Infinity"}, 1, "FontSize"},
        {{"render", "-o", "%D/s.png", "--set", "Width=abc"}, 1, "Width"},
        {{"render", "-o", "%D/s.png", "--set", "Width=-1e308"}, 1, "Width"},
        {{"render", "-o", "%D/s.png", "--set", "Height=1e39mm"}, 1, "Height"},
        {{"render", "-o", "%D/s.png", "--set", "Height=mm"}, 1, "Height"},
        // show
        {{"show", "%D/a.PMF", "%D/b.PMF"}, 2, "unexpected"},
        {{"show", "--json=1", "%D/a.PMF"}, 2, "json"},
        {{"show", "--bogus", "%D/a.PMF"}, 2, "bogus"},
        {{"show", "%D/none.PMF"}, 1, "none.PMF"},
        {{"show", "%D"}, 1, ""},
        // write
        {{"write", "%D/w.PMF", "%D/x.PMF"}, 2, "unexpected"},
        {{"write", "%D/w.PMF", "--from"}, 2, "--from"},
        {{"write", "%D/w.PMF", "--from", "%D/none.PMF"}, 1, "none.PMF"},
        {{"write", "%D/w.PMF", "--set"}, 2, "--set"},
        {{"write", "%D/w.PMF", "--set", "Width=1e99"}, 1, "Width"},
        {{"write", "%D/w.PMF", "--set", "ShowDate=True"}, 2, "ShowDate"},
        {{"write", "%D/no/such/w.PMF"}, 1, "w.PMF"},
        {{"write", "%D"}, 1, ""},
    };
    int checked = 0;
    for (const auto& c : cases) {
        QTemporaryDir dir;
        QStringList args;
        for (const QString& a : c.args)
            args << QString(a).replace(QStringLiteral("%D"), dir.path());
        const std::string shown = args.join(QLatin1Char(' ')).toStdString();
        const CliRun r = runPlomet(args);
        EXPECT_EQ(r.exitCode, c.exitCode) << shown << "\n" << r.err.toStdString();
        EXPECT_TRUE(r.err.startsWith(QLatin1String("plomet: "))) << shown << "\n" << r.err.toStdString();
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << shown << "\n" << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.stderrHas))) << shown << "\n" << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << shown;
        EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty())
            << shown << ": something was written";
        ++checked;
    }
    EXPECT_GT(checked, 50);
}

TEST(CliArgs, TextsThatCannotBeStoredAreRefusedWhenWritten)
{
    // An unpaired surrogate cannot come from the command line (it is not
    // UTF-8), but a line break and a character outside GB18030 can.
    struct Row { const char* name; QString setting; };
    const Row rows[] = {
        {"line break", QStringLiteral("rText=a\nb")},
        {"outside GB18030", QStringLiteral("pText=") + QChar(0xE78D)},
    };
    for (const auto& row : rows) {
        QTemporaryDir dir;
        const CliRun r = runPlomet({QStringLiteral("write"), dir.filePath(QStringLiteral("w.PMF")),
                                    QStringLiteral("--set"), row.setting});
        EXPECT_EQ(r.exitCode, 1) << row.name << ": " << r.err.toStdString();
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << row.name;
        EXPECT_TRUE(QDir(dir.path()).isEmpty()) << row.name;
    }
}

// plomet runs what it can without the document libraries and hands the rest
// to plomet-documents: a copy of plomet alone does the first and says, in
// one line, that it cannot do the second (so a PDF is never half written).
TEST(CliArgs, WhatPlometHandsToPlometDocuments)
{
    QTemporaryDir dir;
    const QString alone = dir.filePath(QStringLiteral("plomet"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(PLOMET_CLI_PATH), alone));
    QFile::setPermissions(alone, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile table(dir.filePath(QStringLiteral("t.csv")));
    ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    table.write("rText,output\n甲公司,a.png\n");
    table.close();
    struct Row {
        QStringList args;   // %D: the folder
        bool handedOver;
    };
    const Row rows[] = {
        {{"render", "-o", "%D/s.png"}, false},
        {{"render", "-d", "%D", "--format", "bmp", "%D/none.PMF"}, false},
        {{"render", "--help"}, false},
        {{"help", "render"}, false},
        {{"show", "--help"}, false},
        {{"write", "%D/w.PMF"}, false},
        {{"extract", "--help"}, false},
        {{"--help"}, false},
        {{"render", "-o", "%D/s.pdf"}, true},
        {{"render", "-o", "%D/s.svg", "--set", "Aging=30"}, false},   // worn, without qpdf
        {{"render", "-o", "%D/S.PDF"}, true},
        {{"render", "-d", "%D", "--format", "pdf", "%D/none.PMF"}, true},
        {{"render", "--table", "%D/t.csv", "-d", "%D"}, true},
        {{"stamp", "--help"}, true},
        {{"verify", "%D/none.pdf"}, true},
        {{"cert", "--help"}, true},
        {{"serve", "--help"}, true},
        {{"help", "serve"}, true},
        {{"--help-all"}, true},
    };
    for (const Row& row : rows) {
        QStringList args;
        for (const QString& a : row.args)
            args << QString(a).replace(QLatin1String("%D"), dir.path());
        const std::string shown = args.join(QLatin1Char(' ')).toStdString();
        const CliRun r = runPlomet(args, true, "C", alone);
        const bool handed = r.err.contains(QLatin1String("plomet-documents is not installed"));
        EXPECT_EQ(handed, row.handedOver) << shown << "\n" << r.err.toStdString();
        if (row.handedOver) {
            EXPECT_EQ(r.exitCode, 1) << shown;
            EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << shown;
            EXPECT_TRUE(r.out.isEmpty()) << shown;
        }
    }
    // Said in the user's language, although this program had not started
    // its own texts for a command it hands over.
    const CliRun zh = runPlomet({QStringLiteral("verify"), dir.filePath(QStringLiteral("none.pdf"))}, true,
                                "zh_CN.UTF-8", alone);
    EXPECT_EQ(zh.exitCode, 1);
    EXPECT_TRUE(zh.err.contains(QStringLiteral("没有安装"))) << zh.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("s.pdf"))));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("S.PDF"))));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("s.png"))));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("s.svg"))));
}
