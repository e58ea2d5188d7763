// plomet render --table and --json through the real binary: a row a seal, a
// bad row named by line and column while the others are drawn, and results
// a program can read.
#include "CliRun.h"
#include "TestUtil.h"
#include "seal/Gbk.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using plomet::test::CliRun;
using plomet::test::runPlomet;

namespace {

QJsonArray outputsOf(const CliRun& r)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
    return doc.object().value(QStringLiteral("outputs")).toArray();
}

TEST(CliTable, RowsAreSealsAndBadRowsAreNamed)
{
    QTemporaryDir dir;
    const QString table = dir.filePath(QStringLiteral("seals.csv"));
    // GBK, as a spreadsheet on a Chinese system saves it; a name with a comma
    // in quotes; lengths without unit are millimetres; a colour as #RRGGBB.
    const QString text = QStringLiteral(
        "RTEXT,fontsize,Width,Height,ForeColor,output\r\n"
        "\"Tervin科技, 有限公司\",14,42,42,#0000FF,tervin\r\n"
        "坏行有限公司,abc,,,,bad\r\n"
        "北京泰尔文贸易有限公司,,40mm,30mm,,\r\n"
        "逃出有限公司,,,,,../escape\r\n"
        "重名有限公司,,,,,tervin\r\n");
    ASSERT_TRUE(plomet::test::writeAll(table, plomet::encodeGbk(text)));
    const QString out = dir.filePath(QStringLiteral("out"));
    const CliRun r = runPlomet({QStringLiteral("render"), QStringLiteral("--table"), table, QStringLiteral("-d"), out,
                                QStringLiteral("--dpi"), QStringLiteral("300"), QStringLiteral("--json")});
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    // One line on stderr per bad row, naming its line and column.
    EXPECT_EQ(r.err.count(QLatin1Char('\n')), 3) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("seals.csv:3: column 2 (fontsize)"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("seals.csv:5: column 6 (output): '../escape' is not a file name")));
    EXPECT_TRUE(r.err.contains(QStringLiteral("seals.csv:6: not drawn, its image tervin.png is already")));

    const QImage tervin(out + QStringLiteral("/tervin.png"));
    ASSERT_FALSE(tervin.isNull());
    EXPECT_NEAR(tervin.width(), 42 / 25.4 * 300, 1.5);
    EXPECT_NEAR(tervin.dotsPerMeterX(), 300 / 0.0254, 1);
    EXPECT_FALSE(QFile::exists(out + QStringLiteral("/bad.png")));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("escape.png"))));
    const QImage third(out + QStringLiteral("/3.png"));   // no output name: the row's number
    ASSERT_FALSE(third.isNull());
    EXPECT_GT(third.width(), third.height());

    const QJsonArray outputs = outputsOf(r);
    ASSERT_EQ(outputs.size(), 5);
    const QString statuses[] = {"ok", "failed", "ok", "failed", "failed"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(outputs[i].toObject().value(QStringLiteral("status")).toString(), statuses[i]) << i;
    const QJsonObject first = outputs[0].toObject();
    EXPECT_DOUBLE_EQ(first.value(QStringLiteral("widthMm")).toDouble(), 42);
    EXPECT_EQ(first.value(QStringLiteral("pixels")).toArray().at(0).toInt(), tervin.width());
    EXPECT_TRUE(first.value(QStringLiteral("output")).toString().endsWith(QStringLiteral("out/tervin.png")));
    EXPECT_FALSE(outputs[1].toObject().value(QStringLiteral("message")).toString().isEmpty());
}

TEST(CliTable, RefusedTablesAndJsonOfOneRender)
{
    QTemporaryDir dir;
    const QString table = dir.filePath(QStringLiteral("t.csv"));
    const QString out = dir.filePath(QStringLiteral("out"));
    const struct {
        QByteArray bytes;
        const char* error;
    } rows[] = {
        {"rText,Colour\n甲公司,#FF0000\n", "t.csv:1: column 2: 'Colour' is no property"},
        {"rText\n", "the table has no rows"},
        {"rText\n\"甲公司\n", "line 2: a quote is not closed"},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(plomet::test::writeAll(table, row.bytes));
        const CliRun r = runPlomet({QStringLiteral("render"), QStringLiteral("--table"), table, QStringLiteral("-d"), out});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(row.error))) << r.err.toStdString();
    }
    EXPECT_EQ(runPlomet({QStringLiteral("render"), QStringLiteral("--table"), table, QStringLiteral("-o"),
                         dir.filePath(QStringLiteral("a.png"))}).exitCode, 2);

    const QString svg = dir.filePath(QStringLiteral("seal.svg"));
    const CliRun one = runPlomet({QStringLiteral("render"), QStringLiteral("-o"), svg, QStringLiteral("--json")});
    EXPECT_EQ(one.exitCode, 0);
    EXPECT_EQ(one.err, QString());
    const QJsonArray outputs = outputsOf(one);
    ASSERT_EQ(outputs.size(), 1);
    const QJsonObject entry = outputs[0].toObject();
    EXPECT_EQ(entry.value(QStringLiteral("status")).toString(), QStringLiteral("ok"));
    EXPECT_EQ(entry.value(QStringLiteral("output")).toString(), svg);
    EXPECT_NEAR(entry.value(QStringLiteral("widthMm")).toDouble(), 36.25, 0.01);
    EXPECT_FALSE(entry.contains(QStringLiteral("pixels")));   // a vector has none
}

} // namespace

// A size warning says how the size was read: a table's number alone is
// millimetres (1950 meant as twips draws a seal of almost two metres), a
// --set one is twips.
TEST(CliTable, ASizeWarningNamesTheUnitItWasReadIn)
{
    QTemporaryDir dir;
    const QString table = dir.filePath(QStringLiteral("seals.csv"));
    ASSERT_TRUE(plomet::test::writeAll(table, "rText,Width,Height,output\r\nA,1950,1950,big\r\nB,,,plain\r\n"));
    const CliRun r = runPlomet({QStringLiteral("render"), QStringLiteral("--table"), table, QStringLiteral("-d"),
                                dir.path(), QStringLiteral("--dpi"), QStringLiteral("10")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("1950.0 x 1950.0 mm, larger than any seal (over 100 mm); in a table, "
                                              "sizes without a unit are millimetres")))
        << r.err.toStdString();

    const QString plain = dir.filePath(QStringLiteral("plain.csv"));
    ASSERT_TRUE(plomet::test::writeAll(plain, "rText,output\r\nB,plain\r\n"));
    const CliRun set = runPlomet({QStringLiteral("render"), QStringLiteral("--table"), plain, QStringLiteral("-d"),
                                  dir.path(), QStringLiteral("--set"), QStringLiteral("Width=42")});
    EXPECT_EQ(set.exitCode, 0) << set.err.toStdString();
    EXPECT_TRUE(set.err.contains(QStringLiteral("0.7 x 36.2 mm, smaller than any seal (under 10 mm); sizes without a "
                                                "unit are twips")))
        << set.err.toStdString();
}
