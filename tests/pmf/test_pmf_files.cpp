// SavePMF and LoadPMF on real files and a real seal: atomic replacement,
// failures at every step of a save, all-or-none loading.
#include "seal/Errors.h"
#include "formats/PmfFile.h"
#include "seal/Plomet.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <chrono>
#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <thread>

using namespace plomet;
using plomet::test::readAll;
using plomet::test::writeAll;

namespace {

QByteArray hex(const char* h) { return QByteArray::fromHex(h); }

// A seal whose every value differs from a brand-new one, with texts the old
// field reader lost.
void makeUnusual(Plomet& s)
{
    s.setRText(QStringLiteral("中山,Qorvel \"软件\" 😀"));
    s.setPText(QStringLiteral("  007"));
    s.setPText1(QString());
    s.setBackColor(16777215);
    s.setForeColor(-2147483643);
    s.setFontName(QStringLiteral("宋体"));
    s.setFontSize(10.5f);
    s.setShowStar(false);
    s.setMidSign(QStringLiteral("☆"));
    s.setStarSize(-7);
    s.setWidth(3000.0f);
    s.setHeight(1500.5f);
    s.setSpace(0);
    s.setDegree(-2.0);
    s.setFontBold(true);
}

// The file the example seal gives (line 3 with another address).
QByteArray exampleFile()
{
    QByteArray b;
    for (const QByteArray& l : {hex("b5e7d7d3b9abd5c2c3e8caf6cec4bcfe"), hex("b4b4cabcc8cb3a54657276696e"),
                                hex("cdf8d5be3a") + "x", QByteArray("v1.0"), hex("b1a3c1f4"),
                                hex("d6d0c9bd516f7276656cc8edbcfed3d0cfdeb9abcbbe"), QByteArray(),
                                hex("d7a8d3c3d5c2"), QByteArray("0"), QByteArray("255"), hex("badacce5"),
                                QByteArray("12"), QByteArray("True"), hex("a1ef"), QByteArray("24"),
                                QByteArray("2055"), QByteArray("2055"), QByteArray("1"), QByteArray("-1"),
                                QByteArray("False")})
        b += l + "\r\n";
    return b;
}

} // namespace

TEST(PmfFiles, SaveAndLoadGiveBackEveryValueAndLeaveShowDate)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.PMF"));
    Plomet a;
    a.InitProperties();
    makeUnusual(a);
    SavePMF(a, path);
    EXPECT_EQ(readAll(path), encodePMF(pmfValuesOf(a)));

    Plomet b;
    b.InitProperties();
    b.setShowDate(true);
    LoadPMF(b, path);
    EXPECT_TRUE(pmfValuesOf(b) == pmfValuesOf(a));
    EXPECT_TRUE(b.ShowDate()) << "ShowDate is not in the file";
    EXPECT_EQ(b.rText(), a.rText());
    EXPECT_EQ(b.pText(), QStringLiteral("  007"));
}

TEST(PmfFiles, LoadWritesEachPropertyOnceInFileOrderAndDoesNotDraw)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("e.PMF"));
    ASSERT_TRUE(writeAll(path, exampleFile()));
    Plomet s;
    s.InitProperties();
    const PicturePtr before = s.image();
    QSignalSpy changed(&s, &Plomet::PropertyChanged);
    QSignalSpy drawn(&s, &Plomet::drawn);
    LoadPMF(s, path);
    QStringList names;
    for (const QList<QVariant>& args : changed)
        names << args.at(0).toString();
    // The classic lines in file order (Width and Height are the control's
    // size, not announced), then every later property at the file's value.
    QStringList expected{"rText", "pText", "pText1", "BackColor", "ForeColor", "FontName", "FontSize",
                         "ShowStar", "MidSign", "StarSize", "Space", "Degree", "FontBold"};
    for (const PropertyRow* r : fileKeyRows())
        expected << r->qname();
    EXPECT_EQ(names, expected);
    EXPECT_EQ(drawn.count(), 0);
    EXPECT_EQ(s.image(), before);
    EXPECT_EQ(s.rText(), QStringLiteral("中山Qorvel软件有限公司"));
    EXPECT_EQ(s.Width(), 2055.0f);
    EXPECT_EQ(s.Height(), 2055.0f);
}

TEST(PmfFiles, RejectedFilesChangeNothing)
{
    struct Row { const char* name; QByteArray bytes; bool badHeader; };
    QByteArray letters = exampleFile();
    letters.replace("\r\n0\r\n255\r\n", "\r\nabc\r\n255\r\n");
    QByteArray star = exampleFile();
    star.replace("\r\n24\r\n2055", "\r\n99999\r\n2055");
    QByteArray lastBad = exampleFile();
    lastBad.replace("\r\nFalse\r\n", "\r\nMaybe\r\n");
    const Row rows[] = {
        {"wrong header", "BM\x00\x01", true},
        {"letters in line 9", letters, false},
        {"StarSize 99999", star, false},
        {"bad last line: nothing of the good lines before it", lastBad, false},
        {"empty", QByteArray(), false},
        {"three lines", exampleFile().left(40), false},
    };
    QTemporaryDir dir;
    for (const auto& r : rows) {
        const QString path = dir.filePath(QStringLiteral("bad.PMF"));
        ASSERT_TRUE(writeAll(path, r.bytes));
        Plomet s;
        s.InitProperties();
        makeUnusual(s);
        const PmfValues before = pmfValuesOf(s);
        QSignalSpy changed(&s, &Plomet::PropertyChanged);
        try {
            LoadPMF(s, path);
            ADD_FAILURE() << r.name << ": accepted";
        } catch (const PlometError& e) {
            EXPECT_EQ(e.kind(), r.badHeader ? PlometError::Kind::BadHeader : PlometError::Kind::Format) << r.name;
            if (r.badHeader) {
                EXPECT_EQ(e.message(), badFormatMessage()) << r.name;
            } else {
                EXPECT_NE(e.message(), badFormatMessage()) << r.name;
                EXPECT_TRUE(e.message().contains(QDir::toNativeSeparators(path))) << r.name << ": " << e.what();
            }
        }
        EXPECT_TRUE(pmfValuesOf(s) == before) << r.name;
        EXPECT_EQ(changed.count(), 0) << r.name;
        EXPECT_EQ(readAll(path), r.bytes) << r.name << ": the reader must not touch the file";
    }
}

TEST(PmfFiles, FilesThatCannotBeReadNameThePathAndReason)
{
    QTemporaryDir dir;
    struct Row { const char* name; QString path; };
    const Row rows[] = {
        {"missing", dir.filePath(QStringLiteral("none.PMF"))},
        {"a folder", dir.path()},
    };
    for (const auto& r : rows) {
        Plomet s;
        s.InitProperties();
        const PmfValues before = pmfValuesOf(s);
        try {
            LoadPMF(s, r.path);
            ADD_FAILURE() << r.name;
        } catch (const PlometError& e) {
            EXPECT_TRUE(e.message().contains(QDir::toNativeSeparators(r.path))) << r.name << ": " << e.what();
            EXPECT_NE(e.message(), badFormatMessage()) << r.name;
        }
        EXPECT_TRUE(pmfValuesOf(s) == before) << r.name;
    }
}

TEST(PmfFiles, APipeIsReadToItsEndAsAFileIs)
{
    // A plain file is read by its length; a pipe (a shell's <(...)) gives
    // its bytes in pieces and is read until it ends.
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain.PMF")), pipe = dir.filePath(QStringLiteral("pipe.PMF"));
    const QByteArray bytes = exampleFile();
    ASSERT_TRUE(writeAll(plain, bytes));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    // A reader that ends early makes the writer's next piece fail, not the test die.
    const auto oldPipe = std::signal(SIGPIPE, SIG_IGN);
    std::thread writer([&] {
        const int fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY);
        if (fd < 0)
            return;
        // Three pieces, each taken by the reader before the next is given.
        const qsizetype piece = bytes.size() / 3 + 1;
        for (qsizetype at = 0; at < bytes.size(); at += piece) {
            const QByteArray part = bytes.mid(at, piece);
            if (::write(fd, part.constData(), size_t(part.size())) != part.size())
                break;
            // (A reader that stopped early would leave bytes here: given up on.)
            const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            int waiting = 1;
            while (at + piece < bytes.size() && ::ioctl(fd, FIONREAD, &waiting) == 0 && waiting > 0
                   && std::chrono::steady_clock::now() < giveUp)
                std::this_thread::yield();
        }
        ::close(fd);
    });
    PmfValues fromPipe;
    EXPECT_NO_THROW(fromPipe = readPMF(pipe));
    writer.join();
    std::signal(SIGPIPE, oldPipe);
    EXPECT_TRUE(fromPipe == readPMF(plain));
}

TEST(PmfFiles, SaveReplacesTheWholeFileAndLeavesNoTemporaryFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.PMF"));
    ASSERT_TRUE(writeAll(path, QByteArray(5000, 'z')));   // longer than the new file
    Plomet s;
    s.InitProperties();
    SavePMF(s, path);
    EXPECT_EQ(readAll(path), encodePMF(pmfValuesOf(s)));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("s.PMF")});
}

TEST(PmfFiles, AFailedSaveLeavesTheOldFileByteIdentical)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keep.PMF"));
    const QByteArray old = exampleFile();
    Plomet s;
    s.InitProperties();
    makeUnusual(s);

    // A real disk limit: the file-size limit stops the write midway.
    ASSERT_TRUE(writeAll(path, old));
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 100;   // the new file is several hundred bytes
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool threw = false;
    QString message;
    try {
        SavePMF(s, path);
    } catch (const PlometError& e) {
        threw = true;
        message = e.message();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(threw);
    EXPECT_TRUE(message.contains(QDir::toNativeSeparators(path))) << message.toStdString();
    EXPECT_EQ(readAll(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("keep.PMF")});

    // A seal that cannot be written is refused before the file is touched.
    ASSERT_TRUE(writeAll(path, old));
    s.setRText(QStringLiteral("第一行\n第二行"));
    EXPECT_THROW(SavePMF(s, path), PlometError);
    EXPECT_EQ(readAll(path), old);
}

TEST(PmfFiles, SaveIntoAMissingFolderNamesThePath)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("no/such/folder/x.PMF"));
    Plomet s;
    s.InitProperties();
    try {
        SavePMF(s, path);
        ADD_FAILURE() << "saved";
    } catch (const PlometError& e) {
        EXPECT_EQ(e.kind(), PlometError::Kind::File);
        EXPECT_TRUE(e.message().contains(QDir::toNativeSeparators(path))) << e.what();
    }
    EXPECT_FALSE(QFile::exists(path));
}
