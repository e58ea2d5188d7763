// A batch of distinct seals gives the same bytes on every run, on one
// drawing thread or several, in any order of its inputs, and each image is
// the one a lone `plomet render` of its seal writes: nothing a thread drew
// before changes a later picture.
#include "formats/PmfFile.h"
#include "seal/Plomet.h"
#include "SealSets.h"
#include "TestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <sched.h>

using namespace plomet;

namespace {

struct PlometRun {
    int exitCode = -1;
    QString err;
};

// Runs plomet with args; on one core (its affinity: the batch then draws
// on one thread) or on all of them.
PlometRun runPlomet(const QStringList& args, const QString& runtime, bool oneCore)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    p.setProcessEnvironment(env);
    if (oneCore)
        p.setChildProcessModifier([] {
            cpu_set_t set;
            CPU_ZERO(&set);
            CPU_SET(0, &set);
            sched_setaffinity(0, sizeof set, &set);
        });
    p.start(QStringLiteral(PLOMET_CLI_PATH), args);
    PlometRun r;
    if (!p.waitForFinished(300000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QByteArray fileBytes(const QString& path) { return test::readAll(path); }

TEST(BatchDeterminism, SameBytesOnEveryRunThreadCountAndAlone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Set B (four faces, sizes, weights, colours), and two with glyphs far
    // larger than the usual ones: the sizes that Qt's engines drew from
    // their stateful outlines even on the screen.
    std::vector<test::SealSpec> specs = test::sealSet(test::SealSet::B, 22);
    specs[3].fontSize = 40;
    specs[7].fontSize = 72;
    specs[7].fontName = QStringLiteral("宋体");
    QStringList inputs;
    for (size_t i = 0; i < specs.size(); ++i) {
        Plomet seal;
        seal.InitProperties();
        specs[i].applyTo(seal);
        if (i % 5 == 0)
            seal.setPText(QStringLiteral("合同专用章"));
        const QString path = dir.filePath(QStringLiteral("s%1.PMF").arg(i, 2, 10, QLatin1Char('0')));
        SavePMF(seal, path);
        inputs << path;
    }
    QStringList reversed = inputs;
    std::reverse(reversed.begin(), reversed.end());

    const struct {
        const char* name;
        const QStringList& inputs;
        bool oneCore;
    } batches[] = {{"one", inputs, true}, {"again", inputs, true}, {"all", reversed, false}};
    for (const auto& b : batches) {
        const QString out = dir.filePath(QString::fromLatin1(b.name));
        ASSERT_TRUE(QDir().mkpath(out));
        const PlometRun r = runPlomet(QStringList{QStringLiteral("render")} + b.inputs
                                    + QStringList{QStringLiteral("-d"), out, QStringLiteral("--dpi"),
                                                  QStringLiteral("300")},
                                dir.path(), b.oneCore);
        ASSERT_EQ(r.exitCode, 0) << b.name << ": " << r.err.toStdString();
    }
    int compared = 0;
    for (const QString& input : inputs) {
        const QString name = QFileInfo(input).completeBaseName() + QStringLiteral(".png");
        const QString lone = dir.filePath(QStringLiteral("lone-") + name);
        const PlometRun r = runPlomet({QStringLiteral("render"), input, QStringLiteral("-o"), lone, QStringLiteral("--dpi"),
                                 QStringLiteral("300")},
                                dir.path(), false);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QByteArray want = fileBytes(lone);
        ASSERT_FALSE(want.isEmpty()) << name.toStdString();
        for (const auto& b : batches)
            EXPECT_EQ(fileBytes(dir.filePath(QString::fromLatin1(b.name) + QLatin1Char('/') + name)), want)
                << name.toStdString() << " of the batch '" << b.name << "' is not the lone render's";
        ++compared;
    }
    EXPECT_EQ(compared, int(specs.size()));
}

} // namespace
