// Every file the program writes — description files (the default file too),
// exported images, the bitmap command — survives a failure at each step of
// the write: the old file stays byte for byte, no new or stray file
// appears, and the error names the file.
#include "seal/Errors.h"
#include "formats/Export.h"
#include "FailIo.h"
#include "app/Output.h"
#include "formats/AtomicFile.h"
#include "formats/PmfFile.h"
#include "seal/Plomet.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <sys/stat.h>

using namespace plomet;
using failio::Call;

namespace {

struct Writer {
    const char* name;
    const char* file;
    std::function<void(Plomet&, const QString&)> write;
};

const Writer kWriters[] = {
    {"description file", "seal.PMF", [](Plomet& s, const QString& p) { SavePMF(s, p); }},
    {"default file", "Plomet.PMF", [](Plomet& s, const QString& p) { SavePMF(s, p); }},
    {"PNG export", "seal.png", [](Plomet& s, const QString& p) { exportPicture(*s.image(), p); }},
    {"BMP export", "seal.bmp", [](Plomet& s, const QString& p) { exportPicture(*s.image(), p); }},
    {"SVG export", "seal.svg", [](Plomet& s, const QString& p) { exportPicture(*s.image(), p); }},
    {"PDF export", "seal.pdf", [](Plomet& s, const QString& p) { exportPicture(*s.image(), p); }},
    {"bitmap command", "seal.bmp", [](Plomet& s, const QString& p) { writeBitmap(*s.image(), p); }},
};

const Call kCalls[] = {Call::Open, Call::Write, Call::ShortWrite, Call::Sync, Call::Link, Call::Rename};

QStringList filesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

TEST(WriteFaults, EveryStepOfEveryWriteLeavesTheOldFileWhole)
{
    Plomet seal;
    seal.InitProperties();
    seal.setRText(QStringLiteral("中山Qorvel软件有限公司"));
    seal.Draw();
    // An old file larger than half of any new one, so that a torn write
    // could not pass for it.
    const QByteArray old = QByteArray("OLD FILE ") + QByteArray(40000, 'o');

    int injected = 0, reached = 0;
    for (const Writer& w : kWriters) {
        for (Call call : kCalls) {
            for (bool existed : {true, false}) {
                SCOPED_TRACE(std::string(w.name) + ", failing " + failio::name(call)
                             + (existed ? ", over an old file" : ", new file"));
                QTemporaryDir dir;
                const QString path = dir.filePath(QLatin1String(w.file));
                if (existed)
                    ASSERT_TRUE(test::writeAll(path, old));
                ++injected;
                bool threw = false;
                QString message;
                failio::arm(call, dir.path().toStdString());
                try {
                    w.write(seal, path);
                } catch (const PlometError& e) {
                    threw = true;
                    message = e.message();
                }
                failio::disarm();
                const int hits = failio::hits();
                if (hits == 0) {
                    // This writer never makes this call (for example no
                    // rename when the new file is linked into place).
                    EXPECT_FALSE(threw) << message.toStdString();
                    continue;
                }
                ++reached;
                EXPECT_TRUE(threw) << "a failed write reported success";
                EXPECT_TRUE(message.contains(QDir::toNativeSeparators(path))) << message.toStdString();
                // The reason is said in the windows' language, not the C
                // library's English ("No space left on device").
                const QString reason = QString(message).remove(QDir::toNativeSeparators(path));
                EXPECT_FALSE(reason.contains(QRegularExpression(QStringLiteral("[A-Za-z]{2,}[ /][a-z]{2,}"))))
                    << message.toStdString();
                if (existed) {
                    EXPECT_EQ(test::readAll(path), old) << "the old file changed";
                    EXPECT_EQ(filesIn(dir.path()), QStringList{QLatin1String(w.file)});
                } else {
                    EXPECT_TRUE(filesIn(dir.path()).isEmpty()) << filesIn(dir.path()).join(' ').toStdString();
                }
            }
        }
    }
    // The injections that were reached are the ones that prove something.
    EXPECT_GE(reached, int(std::size(kWriters)) * 2 * 4);
    std::printf("write faults: %d injected, %d reached a failing call\n", injected, reached);
}

TEST(WriteFaults, WithoutAFaultEveryWriterSucceeds)
{
    // The interposed calls pass everything through when disarmed.
    Plomet seal;
    seal.InitProperties();
    for (const Writer& w : kWriters) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QLatin1String(w.file));
        ASSERT_TRUE(test::writeAll(path, "old"));
        EXPECT_NO_THROW(w.write(seal, path)) << w.name;
        EXPECT_NE(test::readAll(path), QByteArray("old")) << w.name;
        EXPECT_EQ(filesIn(dir.path()), QStringList{QLatin1String(w.file)}) << w.name;
    }
}

// A file is replaced where it is: a link keeps pointing at the new file, and
// the old file's permissions stay (a shared folder's group, a private key's
// 600); a new file gets the user's. One sync a file.
TEST(WriteFaults, AReplacedFileKeepsItsPlaceAndPermissions)
{
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("real.png"));
    const QString link = dir.filePath(QStringLiteral("link.png"));
    const QString dangling = dir.filePath(QStringLiteral("dangling.png"));
    ASSERT_TRUE(test::writeAll(real, "old"));
    ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0640), 0);
    ASSERT_TRUE(QFile::link(real, link));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("later.png")), dangling));
    const QString message = QStringLiteral("cannot write %1: %2");
    auto mode = [](const QString& path) {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
    };
    const mode_t mask = ::umask(0);
    ::umask(mask);

    writeFileAtomically(link, "through the link", message);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(test::readAll(real), QByteArray("through the link"));
    EXPECT_EQ(mode(real), 0640);

    writeFileAtomically(dangling, "made", message);
    EXPECT_TRUE(QFileInfo(dangling).isSymLink());
    EXPECT_EQ(test::readAll(dir.filePath(QStringLiteral("later.png"))), QByteArray("made"));
    EXPECT_EQ(mode(dir.filePath(QStringLiteral("later.png"))), int(0666 & ~mask));

    failio::arm(Call::Sync, dir.path().toStdString(), 2);
    writeFileAtomically(real, "synced once", message);
    failio::disarm();
    EXPECT_EQ(failio::hits(), 0) << "a second sync of one file";
    EXPECT_EQ(test::readAll(real), QByteArray("synced once"));
    EXPECT_EQ(filesIn(dir.path()), (QStringList{"dangling.png", "later.png", "link.png", "real.png"}));
    EXPECT_THROW(writeFileAtomically(dir.path(), "a folder", message), PlometError);

    // A bare name is a file in the current folder, made and then replaced.
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    writeFileAtomically(QStringLiteral("bare.png"), "first", message);
    writeFileAtomically(QStringLiteral("bare.png"), "second", message);
    QDir::setCurrent(before);
    EXPECT_EQ(test::readAll(dir.filePath(QStringLiteral("bare.png"))), QByteArray("second"));
    EXPECT_EQ(mode(dir.filePath(QStringLiteral("bare.png"))), int(0666 & ~mask));
    EXPECT_EQ(filesIn(dir.path()), (QStringList{"bare.png", "dangling.png", "later.png", "link.png", "real.png"}));
}
