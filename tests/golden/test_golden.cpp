// The classic seal, frozen: every description file under seals/ is loaded
// into a new seal, drawn and written out as `plomet render` does it, and
// compared with what was recorded there — PNG pixels at 96 and 300 dpi (and
// transparent at 96), the description file's bytes after a load and save,
// and the exact bytes of BMP, SVG and PDF. Any change in how a classic seal
// looks or is written shows here.
//
// Each seal is drawn on a thread of its own, so that no cache of an earlier
// seal can hide or cause a difference: what one `plomet render` run gives.
//
// PLOMET_GOLDEN_RECORD=1 records afresh into the source tree (for a change
// that means to alter the pictures; look at the new PNGs before committing).
#include "formats/Export.h"
#include "formats/PmfFile.h"
#include "seal/Plomet.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <functional>
#include <thread>

using namespace plomet;
using namespace plomet::test;

namespace {

bool recording() { return qEnvironmentVariableIntValue("PLOMET_GOLDEN_RECORD") == 1; }

QString goldenDir() { return sourceDir() + QStringLiteral("/tests/golden"); }
QString sealsDir() { return goldenDir() + QStringLiteral("/seals"); }
QString expectedDir() { return goldenDir() + QStringLiteral("/expected"); }

QStringList sealFiles()
{
    QStringList out;
    for (const QFileInfo& fi : QDir(sealsDir()).entryInfoList({QStringLiteral("*.PMF")}, QDir::Files, QDir::Name))
        out << fi.absoluteFilePath();
    return out;
}

QString baseName(const QString& path) { return QFileInfo(path).completeBaseName(); }

// Runs f on a new thread and waits for it.
void onFreshThread(const std::function<void()>& f)
{
    std::thread t(f);
    t.join();
}

// The seal of a description file, drawn, in one format: what
// `plomet render SEAL.PMF -o OUT` writes.
QByteArray rendered(const QString& pmf, const QString& format, const ExportOptions& options,
                    const QStringList& settings = {})
{
    QByteArray bytes;
    QString error;
    onFreshThread([&] {
        try {
            const PicturePtr picture = drawSealFor(
                [&](Plomet& seal) {
                    LoadPMF(seal, pmf);
                    for (const QString& s : settings) {
                        const qsizetype eq = s.indexOf(QLatin1Char('='));
                        if (s.left(eq) == QLatin1String("ShowDate"))
                            seal.setShowDate(s.mid(eq + 1) == QLatin1String("True"));
                    }
                },
                format, options);
            bytes = exportBytes(*picture, format, options);
        } catch (const std::exception& e) {
            error = QString::fromLocal8Bit(e.what());
        }
    });
    EXPECT_TRUE(error.isEmpty()) << pmf.toStdString() << ": " << error.toStdString();
    return bytes;
}

// Decoded pixels, in one format, so that two PNGs compare by what they show.
QImage pixels(const QByteArray& png)
{
    return QImage::fromData(png, "PNG").convertToFormat(QImage::Format_ARGB32);
}

// Compares a rendered PNG with its recorded one, pixel for pixel (or records it).
void checkPng(const QByteArray& actual, const QString& expectedName)
{
    const QString expectedPath = expectedDir() + QLatin1Char('/') + expectedName;
    if (recording()) {
        ASSERT_TRUE(writeAll(expectedPath, actual)) << expectedPath.toStdString();
        return;
    }
    const QImage want = pixels(readAll(expectedPath));
    const QImage got = pixels(actual);
    ASSERT_FALSE(want.isNull()) << "no recorded image " << expectedPath.toStdString()
                                << " (record with PLOMET_GOLDEN_RECORD=1)";
    ASSERT_FALSE(got.isNull()) << "not drawn: " << expectedName.toStdString();
    ASSERT_EQ(got.size(), want.size()) << expectedName.toStdString();
    qsizetype differing = 0;
    QPoint first(-1, -1);
    for (int y = 0; y < want.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(want.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(got.constScanLine(y));
        for (int x = 0; x < want.width(); ++x)
            if (a[x] != b[x] && differing++ == 0)
                first = QPoint(x, y);
    }
    if (differing) {
        // Kept for a look beside the recorded one.
        const QString kept = buildDir() + QStringLiteral("/golden-differences/") + expectedName;
        QDir().mkpath(QFileInfo(kept).path());
        writeAll(kept, actual);
        ADD_FAILURE() << expectedName.toStdString() << ": " << differing << " pixels differ, the first at ("
                      << first.x() << ", " << first.y() << "); the new picture is " << kept.toStdString();
    }
}

// A PDF carries the moment it was made; every other byte must stay. The
// digits are zeroed in place, so the offsets in the file stay true.
QByteArray withoutCreationDate(QByteArray bytes)
{
    static const QRegularExpression date(QStringLiteral("/CreationDate \\(D:([0-9]+)"));
    const QString latin = QString::fromLatin1(bytes);
    const QRegularExpressionMatch m = date.match(latin);
    if (m.hasMatch())
        bytes.replace(m.capturedStart(1), m.capturedLength(1), QByteArray(m.capturedLength(1), '0'));
    return bytes;
}

// The recorded digests of byte-exact outputs: "name sha256" lines.
class Digests {
public:
    Digests()
    {
        const QByteArray text = readAll(path());
        for (const QByteArray& line : text.split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() == 2)
                want_.insert(QString::fromUtf8(parts[0]), parts[1]);
        }
    }
    ~Digests()
    {
        if (!recording())
            return;
        QByteArray text;
        for (auto it = got_.cbegin(); it != got_.cend(); ++it)
            text += it.key().toUtf8() + ' ' + it.value() + '\n';
        EXPECT_TRUE(writeAll(path(), text));
    }
    void check(const QByteArray& actual, const QString& name)
    {
        const QByteArray bytes = withoutCreationDate(actual);
        ASSERT_FALSE(bytes.isEmpty()) << "not written: " << name.toStdString();
        const QByteArray digest = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
        got_.insert(name, digest);
        if (!recording())
            EXPECT_EQ(digest.toStdString(), want_.value(name).toStdString())
                << name.toStdString() << " changed (or was never recorded)";
    }
private:
    static QString path() { return expectedDir() + QStringLiteral("/digests.txt"); }
    QMap<QString, QByteArray> want_, got_;
};

TEST(Golden, SealsAreThere)
{
    // At least the recorded set: an empty folder would pass every check below.
    EXPECT_GE(sealFiles().size(), 10) << sealsDir().toStdString();
}

ExportOptions at(double dpi, bool transparent = false)
{
    ExportOptions o;
    o.dpi = dpi;
    o.transparent = transparent;
    return o;
}

TEST(Golden, PngPixels)
{
    const struct { const char* label; ExportOptions options; } runs[] = {
        {"96", at(96)},
        {"300", at(300)},
        {"96t", at(96, true)},
    };
    for (const QString& seal : sealFiles()) {
        for (const auto& run : runs) {
            SCOPED_TRACE(baseName(seal).toStdString() + " at " + run.label);
            checkPng(rendered(seal, QStringLiteral("png"), run.options),
                     baseName(seal) + QLatin1Char('.') + QLatin1String(run.label) + QStringLiteral(".png"));
        }
    }
}

TEST(Golden, ShowDateDrawsNothing)
{
    // ShowDate is not in the file; it is stored and never drawn.
    if (!recording())
        checkPng(rendered(sealsDir() + QStringLiteral("/01-default.PMF"), QStringLiteral("png"), at(96),
                          {QStringLiteral("ShowDate=True")}),
                 QStringLiteral("01-default.96.png"));
}

TEST(Golden, ExactBytes)
{
    Digests digests;
    const struct { const char* label; const char* format; ExportOptions options; } runs[] = {
        {"bmp96", "bmp", at(96)},
        {"bmp300", "bmp", at(300)},
        {"svg", "svg", at(96)},
        {"pdf", "pdf", at(96)},
    };
    for (const QString& seal : sealFiles())
        for (const auto& run : runs)
            digests.check(rendered(seal, QLatin1String(run.format), run.options),
                          baseName(seal) + QLatin1Char('.') + QLatin1String(run.label));
}

TEST(Golden, DescriptionFileBytesAfterLoadAndSave)
{
    QTemporaryDir tmp;
    for (const QString& seal : sealFiles()) {
        SCOPED_TRACE(baseName(seal).toStdString());
        const QString out = tmp.filePath(baseName(seal) + QStringLiteral(".PMF"));
        Plomet p;
        p.InitProperties();
        LoadPMF(p, seal);
        SavePMF(p, out);
        const QString expectedPath = expectedDir() + QLatin1Char('/') + baseName(seal) + QStringLiteral(".saved.PMF");
        if (recording()) {
            EXPECT_TRUE(writeAll(expectedPath, readAll(out)));
            continue;
        }
        const QByteArray want = readAll(expectedPath);
        ASSERT_FALSE(want.isEmpty()) << "not recorded: " << expectedPath.toStdString();
        EXPECT_EQ(readAll(out), want);
    }
}

} // namespace
