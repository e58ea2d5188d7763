// The description file's "Key=Value" lines after line 20: the later
// properties, unknown keys kept, bad values refused with their line.
#include "seal/Errors.h"
#include "formats/PmfFile.h"
#include "seal/Plomet.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <map>
#include <string>

using namespace plomet;
using plomet::test::writeAll;

namespace {

// A value other than a new seal's for every property kept as a key, as the
// file writes it. A row added to the table without a value here fails
// EveryKeyRowHasATestValue.
const std::map<std::string, QByteArray> kKeyValues = {
    {"Shape", "Oval"},
    {"RingWidth", "68"},
    {"InnerRing", "11.5"},
    {"InnerRingGap", "40"},
    {"CodeText", "91440300MA5ABCDE1X"},
    {"CodeFontName", "\xcb\xce\xcc\xe5"},   // 宋体 in GBK
    {"CodeFontSize", "7.5"},
    {"CodeSpace", "-3"},
    {"MidText", "123456789012345678"},
    {"MidFontSize", "14.7"},
    {"MidTextWidth", "1327"},
    {"LowerFontSize", "13"},
    {"LowerCharWidth", "170.1"},
    {"Fit", "True"},
    {"Aging", "35"},
    {"AgingSeed", "-7"},
};

QByteArray classicFile()
{
    Plomet seal;
    seal.InitProperties();
    return encodePMF(pmfValuesOf(seal));
}

int lineCount(const QByteArray& bytes) { return int(bytes.count("\r\n")); }

QString decodeError(const QByteArray& bytes)
{
    try {
        decodePMF(bytes);
    } catch (const PlometError& e) {
        return e.message();
    }
    return QString();
}

} // namespace

TEST(PmfKeys, EveryKeyRowHasATestValue)
{
    for (const PropertyRow* r : fileKeyRows())
        EXPECT_EQ(kKeyValues.count(r->name), 1u) << r->name;
    EXPECT_EQ(kKeyValues.size(), fileKeyRows().size());
}

TEST(PmfKeys, EachLaterPropertyRoundTripsAsOneKeyLine)
{
    const QByteArray classic = classicFile();
    ASSERT_EQ(lineCount(classic), 20);
    for (const PropertyRow* r : fileKeyRows()) {
        SCOPED_TRACE(r->name);
        const QByteArray text = kKeyValues.at(r->name);
        const QByteArray file = classic + r->name + QByteArray("=") + text + "\r\n";
        const PmfValues v = decodePMF(file);
        EXPECT_NE(v.get(*r), normalised(*r, r->newValue));
        EXPECT_TRUE(v.unknownLines.isEmpty());
        // Written back exactly: the classic 20 lines, then the one key line.
        EXPECT_EQ(encodePMF(v), file);
        // And through a seal: assigned, read back, saved the same.
        Plomet seal;
        seal.InitProperties();
        assignPmfValues(seal, v);
        EXPECT_EQ(seal.value(*r), v.get(*r));
        EXPECT_EQ(encodePMF(pmfValuesOf(seal)), file);
    }
}

TEST(PmfKeys, AllKeysTogetherInTableOrderAndKeysInAnyCase)
{
    QByteArray lower = classicFile(), expected = classicFile();
    for (const PropertyRow* r : fileKeyRows()) {
        lower += QByteArray(r->name).toLower() + " =" + kKeyValues.at(r->name) + "\r\n";   // the value is taken whole
        expected += r->name + QByteArray("=") + kKeyValues.at(r->name) + "\r\n";
    }
    const PmfValues v = decodePMF(lower);
    EXPECT_EQ(encodePMF(v), expected);
    EXPECT_EQ(lineCount(expected), 20 + int(fileKeyRows().size()));
}

TEST(PmfKeys, DefaultsAreNotWrittenAndAClassicSealStaysTwentyLines)
{
    // A key at a new seal's value reads, and is not written back.
    const QByteArray file = classicFile() + "InnerRingGap=57\r\nFit=False\r\nShape=Round\r\n";
    EXPECT_EQ(encodePMF(decodePMF(file)), classicFile());
    EXPECT_EQ(lineCount(classicFile()), 20);
}

TEST(PmfKeys, UnknownKeysAreKeptAndWrittenBackUnchanged)
{
    const QByteArray unknown = "Patina=0.35\r\nFutureThing=\xb9\xab\xd5\xc2 x=y\r\n";   // 公章 in GBK
    const QByteArray file = classicFile() + "Fit=True\r\n" + unknown;
    const PmfValues v = decodePMF(file);
    EXPECT_EQ(v.unknownLines, (QStringList{QStringLiteral("Patina=0.35"), QStringLiteral("FutureThing=公章 x=y")}));
    EXPECT_EQ(encodePMF(v), file);

    // Through a seal and the files: LoadPMF, SavePMF.
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.PMF")), out = dir.filePath(QStringLiteral("out.PMF"));
    ASSERT_TRUE(writeAll(in, file));
    Plomet seal;
    seal.InitProperties();
    LoadPMF(seal, in);
    EXPECT_TRUE(seal.Fit());
    SavePMF(seal, out);
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), file);

    // Lines that are no "Key=Value" are passed over, as older readers did.
    EXPECT_EQ(encodePMF(decodePMF(classicFile() + "just a remark\r\n\r\nFit=True\r\n")),
              classicFile() + "Fit=True\r\n");
}

TEST(PmfKeys, ABadValueRefusesTheFileNamingItsLine)
{
    struct Row { const char* name; QByteArray lines; const char* line; const char* has; };
    const Row rows[] = {
        {"not a number", "Fit=True\r\nRingWidth=abc\r\n", "line 22", "RingWidth"},
        {"millimetres are for the command line", "RingWidth=1.2mm\r\n", "line 21", "“1.2mm”"},
        {"not a shape", "Shape=Square\r\n", "line 21", "Square"},
        {"not a Boolean", "fit=maybe\r\n", "line 21", "Fit"},
        {"a Single out of range", "CodeFontSize=1e39\r\n", "line 21", "out of range"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString message = decodeError(classicFile() + row.lines);
        EXPECT_TRUE(message.contains(QString::fromUtf8(row.line))) << message.toStdString();
        EXPECT_TRUE(message.contains(QString::fromUtf8(row.has))) << message.toStdString();
    }
    // Nothing of such a file is assigned.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.PMF"));
    QByteArray bad = classicFile();
    bad.replace("Qorvel", "Other");
    ASSERT_TRUE(writeAll(path, bad + "Shape=Oval\r\nRingWidth=x\r\n"));
    Plomet seal;
    seal.InitProperties();
    EXPECT_THROW(LoadPMF(seal, path), PlometError);
    EXPECT_EQ(seal.shape(), Shape::Round);
    EXPECT_TRUE(seal.rText().contains(QLatin1String("Qorvel")));
}

TEST(PmfKeys, WhatIsReadAfterLineTwentyIsBounded)
{
    // After kPmfMaxKeyLines lines nothing more is read.
    QByteArray many = classicFile();
    for (int i = 0; i < kPmfMaxKeyLines; ++i)
        many += "X" + QByteArray::number(i) + "=1\r\n";
    EXPECT_EQ(decodePMF(many + "Fit=True\r\n").get("Fit").toBool(), false);
    EXPECT_EQ(decodePMF(many).unknownLines.size(), kPmfMaxKeyLines);

    // A line that is too long, or not text, ends the reading; the file still loads.
    const QByteArray longLine = "CodeText=" + QByteArray(kPmfMaxKeyLineBytes, 'A') + "\r\n";
    EXPECT_EQ(decodePMF(classicFile() + longLine + "Fit=True\r\n").get("Fit").toBool(), false);
    const QByteArray binary("\x89PNG\r\n\x1a\n\0\0\0", 11);
    EXPECT_EQ(decodePMF(classicFile() + "Fit=True\r\n" + binary + "\r\nShape=Oval\r\n").get("Fit").toBool(), true);
    EXPECT_EQ(decodePMF(classicFile() + binary + "\r\nShape=Oval\r\n").get("Shape").toInt(), 0);

    // What cannot be read back is not written.
    PmfValues v = decodePMF(classicFile());
    v.set("CodeText", QString(kPmfMaxKeyLineBytes, QLatin1Char('A')));
    EXPECT_THROW(encodePMF(v), PlometError);
}

TEST(PmfRead, HeaderLinesAsTheFieldRuleReadsThem)
{
    const QByteArray classic = classicFile();
    const qsizetype afterTwo = classic.indexOf("\r\n", classic.indexOf("\r\n") + 2) + 2;
    const QByteArray h1 = classic.left(classic.indexOf("\r\n"));
    const QByteArray h2 = classic.mid(h1.size() + 2, afterTwo - h1.size() - 4);
    const QByteArray rest = classic.mid(afterTwo);
    struct Row { const char* name; QByteArray line1, line2; bool accepted; };
    const Row rows[] = {
        {"as written", h1, h2, true},
        {"blanks around", "  " + h1 + " \t", "\t" + h2 + "   ", true},
        {"quoted", "\"" + h1 + "\"", " \"" + h2 + "\",whatever", true},
        {"a comma ends the field", h1 + ",more", h2 + " , \"x\"", true},
        {"quoted, blanks inside the quotes", "\" " + h1 + "\"", h2, false},
        {"more text", h1 + "x", h2, false},
        {"line 2 lower case", h1, h2.toLower(), false},
        {"blank line 1", "   ", h2, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray file = row.line1 + "\r\n" + row.line2 + "\r\n" + rest;
        if (row.accepted) {
            EXPECT_EQ(encodePMF(decodePMF(file)), classic);
        } else {
            try {
                decodePMF(file);
                ADD_FAILURE() << "accepted";
            } catch (const PlometError& e) {
                EXPECT_EQ(e.kind(), PlometError::Kind::BadHeader);
            }
        }
    }
}

TEST(PmfRead, WhatFollowsTheReadPartNeverRefusesAFile)
{
    // A good file followed by more than 1 MiB of anything loads; the first
    // twenty lines are what is bounded.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tail.PMF"));
    QByteArray file = classicFile() + "Fit=True\r\n";
    file += QByteArray(kPmfMaxBytes + 4096, 'x');
    ASSERT_TRUE(writeAll(path, file));
    Plomet seal;
    seal.InitProperties();
    LoadPMF(seal, path);
    EXPECT_TRUE(seal.Fit());

    QByteArray longFirst = classicFile();
    longFirst.replace("Qorvel", QByteArray(kPmfMaxBytes, 'Q'));
    EXPECT_TRUE(decodeError(longFirst).contains(QLatin1String("1 MiB")));
}
