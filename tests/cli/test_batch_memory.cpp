// A large batch at 600 dpi stays within a fixed resident memory, however many
// cores the machine has: the kept glyph and ring images share one budget and
// the number of drawing threads is bounded. Memory, unlike time, is steady
// enough to assert. (Per-thread caches and four workers a core peaked at
// 1.25 GB for 1000 seals here; four workers and a 64 MB glyph budget at
// 418 MB for 3000.)
#include "formats/PmfFile.h"
#include "seal/Plomet.h"
#include "SealSets.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cstdio>
#include <sys/resource.h>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define PLOMET_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define PLOMET_SANITIZED 1
#endif
#endif

using namespace plomet;

TEST(BatchMemory, ThreeThousandDistinctSealsAt600DpiStayUnder256MB)
{
#ifdef PLOMET_SANITIZED
    GTEST_SKIP() << "a sanitizer's shadow memory is not the program's";
#endif
    constexpr int kSeals = 3000;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QStringList args{QStringLiteral("render")};
    int i = 0;
    // Set B: four faces, five sizes, both weights, three colours: the
    // caches see the most different glyphs.
    for (const auto& spec : test::sealSet(test::SealSet::B, kSeals)) {
        Plomet seal;
        seal.InitProperties();
        spec.applyTo(seal);
        const QString path = dir.filePath(QStringLiteral("s%1.PMF").arg(i++));
        SavePMF(seal, path);
        args << path;
    }
    const QString out = dir.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(out));
    args << QStringLiteral("-d") << out << QStringLiteral("--dpi") << QStringLiteral("600");

    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(PLOMET_CLI_PATH), args);
    ASSERT_TRUE(p.waitForFinished(600000)) << "batch did not finish";
    ASSERT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_EQ(QDir(out).entryList({QStringLiteral("*.png")}, QDir::Files).size(), kSeals);

    // The largest resident set of any child waited for: this test starts
    // only the one.
    rusage usage{};
    ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &usage), 0);
    const long peakKiB = usage.ru_maxrss;
    ASSERT_GT(peakKiB, 10 * 1024) << "no peak recorded for the batch";
    EXPECT_LE(peakKiB, 256 * 1024) << "peak resident memory " << peakKiB / 1024 << " MB";
    std::printf("batch of %d seals at 600 dpi: peak resident memory %ld MB\n", kSeals, peakKiB / 1024);
}
