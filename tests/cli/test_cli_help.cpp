// Each command's help against its parser: every option the help lists is one
// the command takes, the lines fit a terminal, and an option that is not
// repeatable is refused the second time.
#include "CliRun.h"
#include "Language.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

using plomet::test::CliRun;
using plomet::test::runPlomet;
using plomet::test::chineseLeft;
using plomet::test::englishSentence;

namespace {

const char* const kCommandNames[] = {"render", "show", "write", "stamp", "verify", "cert", "extract", "serve"};

struct Listed {
    QString name;    // --output
    bool takesValue;
};

// The options of a help's "Options:" section, as it shows them.
std::vector<Listed> listedOptions(const QString& help)
{
    std::vector<Listed> listed;
    const qsizetype start = help.indexOf(QLatin1String("\nOptions:\n"));
    if (start < 0)
        return listed;
    static const QRegularExpression head(QStringLiteral("^  (-\\w, )?(--[a-z0-9-]+)( \\S+)?"));
    for (const QString& line : help.mid(start + 10).split(QLatin1Char('\n'))) {
        if (line.isEmpty())
            break;
        const auto m = head.match(line);
        if (m.hasMatch())
            listed.push_back({m.captured(2), !m.captured(3).isEmpty()});
    }
    return listed;
}

// Terminal columns: two for a CJK character.
int columns(const QString& line)
{
    int n = 0;
    for (QChar c : line)
        n += c.unicode() >= 0x2e80 && c.unicode() <= 0xffe6 ? 2 : 1;
    return n;
}

TEST(CliHelp, EveryListedOptionIsOneTheCommandTakes)
{
    int options = 0;
    for (const char* command : kCommandNames) {
        const CliRun help = runPlomet({QLatin1String(command), QStringLiteral("--help")});
        ASSERT_EQ(help.exitCode, 0) << command;
        const auto listed = listedOptions(help.out);
        EXPECT_GE(listed.size(), 2u) << command << ": no options section\n" << help.out.toStdString();
        for (const Listed& o : listed) {
            if (o.name == QLatin1String("--help"))
                continue;
            // A value option without its value is "missing a value", a flag
            // with one "unexpected": either way the parser knows the name.
            const CliRun r = runPlomet({QLatin1String(command), o.takesValue ? o.name : o.name + QStringLiteral("=1")});
            const std::string shown = std::string(command) + " " + o.name.toStdString();
            EXPECT_EQ(r.exitCode, 2) << shown;
            EXPECT_FALSE(r.err.contains(QLatin1String("Unknown option"))) << shown << ": " << r.err.toStdString();
            EXPECT_TRUE(r.err.contains(o.takesValue ? QStringLiteral("Missing value") : QStringLiteral("Unexpected value")))
                << shown << ": " << r.err.toStdString();
            ++options;
        }
        for (const QString& line : help.out.split(QLatin1Char('\n')))
            EXPECT_LE(columns(line), 80) << command << ": " << line.toStdString();
    }
    EXPECT_GT(options, 40);
}

TEST(CliHelp, OnlySetMayBeGivenTwice)
{
    struct Row {
        QStringList args;
        bool refused;
    };
    const Row rows[] = {
        {{"render", "--dpi", "96", "--dpi", "300", "-o", "x.png"}, true},
        {{"render", "-o", "a.png", "--output", "b.png"}, true},
        {{"write", "w.PMF", "--preset", "公章", "--preset", "公章"}, true},
        {{"stamp", "in.pdf", "-o", "out.pdf", "--at", "1,1", "--at", "2,2"}, true},
        {{"extract", "scan.png", "-o", "x.png", "--size", "40", "--size", "42"}, true},
        {{"serve", "--port", "1", "--port", "2"}, true},
        {{"cert", "new", "--days", "1", "--days", "2"}, true},
        {{"verify", "x.pdf", "--trust", "a.pem", "--trust", "b.pem"}, true},
        // --set is the one that is made to repeat; what follows fails later, for its own reason
        {{"write", "/nonexistent/w.PMF", "--set", "pText=甲", "--set", "pText1=乙"}, false},
    };
    for (const Row& row : rows) {
        const CliRun r = runPlomet(row.args);
        const std::string shown = row.args.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(r.err.contains(QLatin1String("given more than once")), row.refused) << shown << ": " << r.err.toStdString();
        if (row.refused)
            EXPECT_EQ(r.exitCode, 2) << shown;
    }
}

TEST(CliLanguage, EveryTextInTheUsersLanguage)
{
    // The same run under C and under zh_CN: one language in each, the
    // system's fixed Chinese texts unchanged in both. Under C no Chinese but
    // the data (the run's own arguments, preset and face names, the seal's
    // texts); under zh_CN no English sentence.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString png = dir.filePath(QStringLiteral("seal.png"));
    // A PDF whose header is right and whose body qpdf cannot make sense of.
    const QString broken = dir.filePath(QStringLiteral("broken.pdf"));
    {
        QFile f(broken);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("%PDF-1.4\n1 0 obj\n<<>>\nendobj\n");
    }
    // A document signed with a trial certificate, whose chain is not trusted.
    const QString password = dir.filePath(QStringLiteral("password.txt")), p12 = dir.filePath(QStringLiteral("seal.p12"));
    const QString page = dir.filePath(QStringLiteral("page.pdf")), signedPdf = dir.filePath(QStringLiteral("signed.pdf"));
    {
        QFile f(password);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("secret\n");
    }
    ASSERT_EQ(runPlomet({"cert", "new", "--name", "Qorvel", "-o", p12, "--password-file", password}).exitCode, 0);
    ASSERT_EQ(runPlomet({"render", "-o", page}).exitCode, 0);
    ASSERT_EQ(runPlomet({"stamp", page, "--at", "18,18", "-o", signedPdf, "--sign", p12, "--password-file", password})
                  .exitCode,
              0);
    struct Row {
        QStringList args;
        bool onStdout;
        const char* english;
        const char* chinese;
    };
    const Row rows[] = {
        {{"--help"}, true, "Commands:", "命令:"},
        {{"render", "--help"}, true, "the file to write", "要写入的文件"},
        // the property list: meaning, unit, range and the new seal's value
        {{"render", "--help"}, true, "FontName: face of the company name, the sign and the lower lines",
         "FontName: 公司名称、标志和下方各行的字体"},
        {{"render", "--help"}, true, "1.2mm; 0 or more; new seal: 2055", "1.2mm; 0 或更大; 新印章:2055"},
        {{"render", "--help"}, true, "ShowDate: a flag that is stored and kept; nothing draws it; True or False;",
         "ShowDate: 保存并保留的标记;不参与绘制; True 或 False; 新印章:False;"},
        {{"render", "--help"}, true, "new seal: False; not kept in description files", "描述文件不保存"},
        {{"render", "-o", "x.png", "--dpi", "abc"}, false, "--dpi wants a positive number, not 'abc'",
         "--dpi 须为正数,而不是“abc”"},
        {{"stamp", "in.pdf"}, false, "missing -o OUT.pdf", "缺少 -o OUT.pdf"},
        {{"paint"}, false, "unknown command 'paint'", "未知的命令“paint”"},
        {{"render", "--dpi", "1", "--dpi", "2"}, false, "--dpi given more than once", "--dpi 给出了不止一次"},
        // Qt's parser speaks Qt's own translation
        {{"render", "--bogus"}, false, "Unknown option 'bogus'", "bogus"},
        // an error thrown below the command line, in the user's language too
        {{"render", "-o", "/nonexistent/x.png", "--set", "Width=32767", "--dpi", "3000"}, false,
         "image too large: 68265 × 4281 pixels", "图像过大：68265 × 4281 像素"},
        // a range in the seal's own words, one language
        {{"render", "-o", "/nonexistent/x.png", "--set", "Aging=101"}, false,
         "“101” is out of range (0 to 100, a whole number)", "“101”超出范围(0 至 100 的整数)"},
        // the description file's, the system's and the stamping's messages and the seal's warnings
        {{"show", "/dev/null"}, false, "the file is empty: it is not a seal description file.",
         "文件是空的,不是电子公章描述文件。"},
        {{"render", "-o", "/nonexistent/x.png"}, false, "no such file or folder", "文件或文件夹不存在"},
        {{"render", "-o", "/nonexistent/x.png", "--set", "Foo=1"}, false, "unknown setting “Foo”", "未知的设置名“Foo”"},
        {{"render", "-o", png, "--set", "FontName=NoSuchFont"}, false,
         "warning: FontName: no face 'NoSuchFont' is installed", "警告：FontName：没有安装字体“NoSuchFont”"},
        {{"stamp", "/dev/null", "--at", "50,50", "-o", "/nonexistent/out.pdf"}, false, "“/dev/null” is not a PDF file",
         "“/dev/null”不是 PDF 文件"},
        // qpdf speaks English: its words only where the message is English
        {{"stamp", broken, "--at", "50,50", "-o", "/nonexistent/out.pdf"}, false,
         "is damaged beyond repair: its structure is broken (qpdf: ", "已损坏，无法修复：文件结构损坏"},
        {{"verify", broken}, false, "is damaged and cannot be read: its structure is broken (qpdf: ",
         "已损坏，无法读取：文件结构损坏"},
        // OpenSSL's reason for an untrusted chain, in words of the user's language
        {{"verify", signedPdf}, true, "Certificate chain: not trusted (the certificate is self-signed)",
         "证书链:不受信任(证书是自签名的)"},
        // a bound in words of the user's language within the sentence
        {{"serve", "--port", "x"}, false, "--port wants a TCP port from 0 to 65535, not 'x'",
         "--port 须为 0 至 65535 的 TCP 端口,而不是“x”"},
        // a preset is named as the user types it and described in the user's language
        {{"render", "-o", png, "--preset", "公 章"}, false,
         "unknown preset '公 章' (known: 公章 (general use, round 42 mm, 1.2 mm band, star); "
         "合同专用章 (contracts, round 40 mm, 1 mm band, star)",
         "未知的预设“公 章”(可用:公章(通用,圆形 42 毫米,1.2 毫米边框,五角星);"
         "合同专用章(合同用,圆形 40 毫米,1 毫米边框,五角星)"},
        {{"render", "-o", png, "--preset", "公 章"}, false, "; 发票专用章 (invoices, oval 40 × 30 mm, 1 mm band))",
         ";发票专用章(发票用,椭圆 40 × 30 毫米,1 毫米边框))"},
        // the presets one a line, so a name is never broken between lines
        {{"write", "--help"}, true, "\n                        发票专用章 (invoices, oval 40 × 30 mm, 1 mm band)\n",
         "\n                        发票专用章(发票用,椭圆 40 × 30 毫米,1 毫米边框)\n"},
    };
    for (const Row& row : rows) {
        const std::string shown = row.args.join(QLatin1Char(' ')).toStdString();
        const CliRun c = runPlomet(row.args, true, "C");
        const CliRun zh = runPlomet(row.args, true, "zh_CN.UTF-8");
        const QString& cText = row.onStdout ? c.out : c.err;
        const QString& zhText = row.onStdout ? zh.out : zh.err;
        EXPECT_EQ(c.exitCode, zh.exitCode) << shown;
        EXPECT_TRUE(cText.contains(QString::fromUtf8(row.english))) << shown << ": " << cText.toStdString();
        EXPECT_TRUE(zhText.contains(QString::fromUtf8(row.chinese))) << shown << ": " << zhText.toStdString();
        if (QString::fromUtf8(row.english) != QString::fromUtf8(row.chinese))
            EXPECT_NE(cText, zhText) << shown << ": the same text in both";
        EXPECT_EQ(chineseLeft(cText, row.args).toStdString(), "") << shown << ": Chinese under C in\n" << cText.toStdString();
        EXPECT_EQ(englishSentence(zhText).toStdString(), "") << shown << ": English under zh_CN in\n" << zhText.toStdString();
    }
    // The Chinese help fits a terminal too (a CJK character takes two columns).
    for (const char* command : kCommandNames) {
        const CliRun help = runPlomet({QLatin1String(command), QStringLiteral("--help")}, true, "zh_CN.UTF-8");
        for (const QString& line : help.out.split(QLatin1Char('\n')))
            EXPECT_LE(columns(line), 80) << command << ": " << line.toStdString();
    }
}

} // namespace
