// The platform layer: size and font lists, the application folder and where
// the default file lives, the dialog wrappers' contracts driven on the real
// Qt dialogs, and the quit signals.
#include "platform/CommDlgs.h"
#include "ModalDriver.h"
#include "TestUtil.h"
#include "platform/modFont.h"
#include "platform/modMain.h"

#include <QColorDialog>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QDialogButtonBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>
#include <csignal>

using namespace plomet;
using plomet::test::watchdog;
using plomet::test::whenModal;

namespace {
// Tests that drive real dialogs: nothing pending outlives its test.
class Dialogs : public ::testing::Test {
protected:
    void TearDown() override { plomet::test::clearDrivers(); }
};
} // namespace
using FileDialogs = Dialogs;
using ColorDialogs = Dialogs;

// ---------------------------------------------------------------- size list

TEST(SizeList, HoldsTheHundredAndTwentyNineHalfPointSizes)
{
    const QStringList sizes = sizeTexts();
    ASSERT_EQ(sizes.size(), 129);
    struct Row { int index; const char* text; } rows[] = {
        {0, "8"}, {1, "8.5"}, {2, "9"}, {5, "10.5"}, {8, "12"}, {127, "71.5"}, {128, "72"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(sizes[r.index], QString::fromLatin1(r.text)) << "entry " << r.index;
    for (int i = 0; i < sizes.size(); ++i) {
        EXPECT_FALSE(sizes[i].endsWith(QLatin1String(".0"))) << sizes[i].toStdString();
        EXPECT_FALSE(sizes[i].contains(QRegularExpression(QStringLiteral("\\.\\d*0$"))))
            << sizes[i].toStdString();
        EXPECT_DOUBLE_EQ(sizes[i].toDouble(), 8.0 + 0.5 * i) << "entry " << i;
    }
}

TEST(SizeList, FillAppendsWithoutClearingOrSorting)
{
    QComboBox list;
    list.addItem(QStringLiteral("zz"));
    FillSizeList(list);
    ASSERT_EQ(list.count(), 130);
    EXPECT_EQ(list.itemText(0), QStringLiteral("zz"));
    EXPECT_EQ(list.itemText(1), QStringLiteral("8"));
    EXPECT_EQ(list.itemText(129), QStringLiteral("72"));
}

// ---------------------------------------------------------------- font list

TEST(FontList, EveryFamilyOnceInPlatformOrder)
{
    const QStringList platform = QFontDatabase::families();
    const QStringList names = screenFontNames();
    ASSERT_FALSE(names.isEmpty());
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), names.size()) << "a name repeats";
    qsizetype last = -1;
    for (const QString& name : names) {
        EXPECT_FALSE(name.isEmpty());
        const qsizetype at = platform.indexOf(name);
        ASSERT_GE(at, 0) << name.toStdString() << " is not a platform family";
        EXPECT_GT(at, last) << name.toStdString() << " out of platform order";
        last = at;
    }
    for (const QString& family : platform)
        if (!family.isEmpty())
            EXPECT_TRUE(names.contains(family)) << family.toStdString() << " missing";
}

TEST(FontList, FillAppendsAfterExistingEntries)
{
    QComboBox list;
    list.addItem(QStringLiteral("first"));
    FillFontList(list);
    EXPECT_EQ(list.count(), screenFontNames().size() + 1);
    EXPECT_EQ(list.itemText(0), QStringLiteral("first"));
}

// ---------------------------------------------------------------- folders

TEST(AppFolder, EndsInOneSeparator)
{
    struct Row { const char* dir; const char* expected; } rows[] = {
        {"/", "/"},
        {"/opt/seal", "/opt/seal/"},
        {"/opt/seal/", "/opt/seal/"},
        {"/home/李/印章", "/home/李/印章/"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(withTrailingSeparator(QString::fromUtf8(r.dir)), QString::fromUtf8(r.expected))
            << r.dir;
    EXPECT_EQ(GetAppFolder(), QCoreApplication::applicationDirPath() + QStringLiteral("/"));
    EXPECT_EQ(appDirForDialogs(), QCoreApplication::applicationDirPath());
}

TEST(AppFolder, WritableIsTriedForReal)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_TRUE(isFolderWritable(dir.path()));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty())
        << "the probe file was left behind";
    // Not even root can create a file here.
    EXPECT_FALSE(isFolderWritable(QStringLiteral("/proc")));
    EXPECT_FALSE(isFolderWritable(dir.filePath(QStringLiteral("missing"))));
}

TEST(DefaultFile, LivesBesideTheProgramWhenWritableElseInUserData)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString app = dir.filePath(QStringLiteral("app/"));
    const QString user = dir.filePath(QStringLiteral("data/PlometSample"));
    EXPECT_EQ(defaultFileFolder(app, true, user), app);
    EXPECT_FALSE(QFileInfo::exists(user)) << "user folder made although not needed";
    EXPECT_EQ(defaultFileFolder(app, false, user), user + QStringLiteral("/"));
    EXPECT_TRUE(QFileInfo(user).isDir()) << "user folder not created";
}

TEST(Main, SetsTheGlobalsBeforeTheWindowExists)
{
    QString seenFolder, seenFile;
    auto* shown = new QWidget;
    Main([&]() -> QWidget* {
        seenFolder = AppFolder;
        seenFile = DefaultFile;
        return shown;
    });
    EXPECT_EQ(seenFolder, GetAppFolder());
    // The test's folder is writable, so the file lives beside the program.
    EXPECT_EQ(seenFile, GetAppFolder() + QStringLiteral("Plomet.PMF"));
    EXPECT_TRUE(shown->isVisible());
    delete shown;
}

// ---------------------------------------------------------------- filters, colours

TEST(FileFilter, PairsBecomeQtNameFilters)
{
    const QChar nul(u'\0');
    struct Row { QString filter; QStringList expected; } rows[] = {
        {QStringLiteral("电子公章描述文件 (*.PMF)") + nul + QStringLiteral("*.PMF"),
         {QStringLiteral("电子公章描述文件 (*.PMF)")}},
        {QStringLiteral("位图文件") + nul + QStringLiteral("*.BMP"), {QStringLiteral("位图文件 (*.BMP)")}},
        {QStringLiteral("Images") + nul + QStringLiteral("*.png;*.bmp") + nul + QStringLiteral("All") + nul
             + QStringLiteral("*.*"),
         {QStringLiteral("Images (*.png *.bmp)"), QStringLiteral("All (*.*)")}},
        {QStringLiteral("trailing nul") + nul + QStringLiteral("*.x") + nul,
         {QStringLiteral("trailing nul (*.x)")}},
        {QString(), {}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(nameFiltersFromPairs(r.filter), r.expected) << r.filter.toStdString();
}

TEST(ColorRef, RedInTheLowByte)
{
    struct Row { QColor color; int32_t expected; } rows[] = {
        {QColor(255, 0, 0), 255},
        {QColor(0, 0, 0), 0},
        {QColor(255, 255, 255), 16777215},
        {QColor(0, 0, 255), 0xFF0000},
        {QColor(0x12, 0x34, 0x56), 0x563412},
    };
    for (const Row& r : rows)
        EXPECT_EQ(colorRef(r.color), r.expected) << r.color.name().toStdString();
}

// ---------------------------------------------------------------- file dialog

namespace {

const QString kPmf = QStringLiteral("电子公章描述文件 (*.PMF)") + QChar(u'\0') + QStringLiteral("*.PMF");

// Types name into the dialog's file name field and presses Return.
void typeName(QWidget* modal, const QString& name)
{
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr) << "not a file dialog";
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->clear();
    bool ascii = true;
    for (QChar c : name)
        ascii = ascii && c.unicode() < 0x80 && c != u'/';
    if (ascii)
        QTest::keyClicks(edit, name);
    else
        edit->setText(name);   // QTest types ASCII only; a path would open the completer
    // The dialog's own accept button: "打开"/"保存" (Open/Save).
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    QPushButton* ok = buttons->button(dialog->acceptMode() == QFileDialog::AcceptOpen
                                          ? QDialogButtonBox::Open
                                          : QDialogButtonBox::Save);
    ASSERT_NE(ok, nullptr);
    ok->click();
}

void rejectLater(QWidget* modal)
{
    QTimer::singleShot(50, modal, [modal] { qobject_cast<QDialog*>(modal)->reject(); });
}

} // namespace

TEST_F(FileDialogs,  CancelGivesEmptyText)
{
    QTemporaryDir dir;
    for (int mode : {kOpenDialog, kSaveDialog}) {
        auto dog = watchdog();
        whenModal([](QWidget* m) { qobject_cast<QDialog*>(m)->reject(); });
        EXPECT_TRUE(ShowFileDialog(nullptr, mode, QStringLiteral("打开"), QString(), kPmf, dir.path(),
                                   QStringLiteral("PMF"))
                        .isEmpty());
        EXPECT_FALSE(*dog);
    }
}

TEST_F(FileDialogs,  IsSetUpFromTheSevenArguments)
{
    QTemporaryDir dir;
    struct Row { int mode; QFileDialog::AcceptMode accept; QFileDialog::FileMode files; } rows[] = {
        {kOpenDialog, QFileDialog::AcceptOpen, QFileDialog::ExistingFile},
        {kSaveDialog, QFileDialog::AcceptSave, QFileDialog::AnyFile},
        {7, QFileDialog::AcceptSave, QFileDialog::AnyFile},
    };
    for (const Row& r : rows) {
        QString title, suffix, folder;
        QStringList filters;
        QFileDialog::AcceptMode accept{};
        QFileDialog::FileMode files{};
        auto dog = watchdog();
        whenModal([&](QWidget* m) {
            auto* d = qobject_cast<QFileDialog*>(m);
            title = d->windowTitle();
            suffix = d->defaultSuffix();
            folder = d->directory().absolutePath();
            filters = d->nameFilters();
            accept = d->acceptMode();
            files = d->fileMode();
            d->reject();
        });
        ShowFileDialog(nullptr, r.mode, QStringLiteral("另存为"), QString(), kPmf, dir.path(),
                       QStringLiteral("BMP"));
        EXPECT_EQ(title, QStringLiteral("另存为"));
        EXPECT_EQ(suffix, QStringLiteral("BMP"));
        EXPECT_EQ(folder, QDir(dir.path()).absolutePath());
        EXPECT_EQ(filters, QStringList{QStringLiteral("电子公章描述文件 (*.PMF)")});
        EXPECT_EQ(accept, r.accept) << "mode " << r.mode;
        EXPECT_EQ(files, r.files) << "mode " << r.mode;
    }
}

TEST_F(FileDialogs,  SaveAppendsTheDefaultExtensionOnlyWhenNoneWasTyped)
{
    QTemporaryDir dir;
    struct Row { const char* typed; const char* expected; } rows[] = {
        {"seal", "seal.PMF"},
        {"印章", "印章.PMF"},
        {"seal.PMF", "seal.PMF"},
        {"seal.txt", "seal.txt"},
    };
    for (const Row& r : rows) {
        auto dog = watchdog();
        whenModal([&](QWidget* m) { typeName(m, QString::fromUtf8(r.typed)); });
        const QString path = ShowFileDialog(nullptr, kSaveDialog, QStringLiteral("保存"), QString(), kPmf,
                                            dir.path(), QStringLiteral("PMF"));
        EXPECT_EQ(path, QDir(dir.path()).filePath(QString::fromUtf8(r.expected))) << r.typed;
        EXPECT_FALSE(path.contains(QChar(u'\0')));
        EXPECT_FALSE(*dog) << r.typed;
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty()) << "a dialog wrote a file";
}

TEST_F(FileDialogs,  OpenAcceptsOnlyAnExistingFile)
{
    QTemporaryDir dir;
    const QString existing = QDir(dir.path()).filePath(QStringLiteral("a.PMF"));
    ASSERT_TRUE(plomet::test::writeAll(existing, "x"));

    // A missing name cannot be accepted: neither the button nor Return.
    bool buttonEnabled = true, stayedOpen = false;
    auto dog = watchdog();
    whenModal([&](QWidget* m) {
        auto* d = qobject_cast<QFileDialog*>(m);
        auto* edit = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QTest::keyClicks(edit, QStringLiteral("missing.PMF"));
        buttonEnabled = d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open)->isEnabled();
        // Qt may answer Return with a "file not found" box: close it.
        whenModal([](QWidget* box) { qobject_cast<QDialog*>(box)->accept(); }, d);
        QTest::keyClick(edit, Qt::Key_Return);
        QTimer::singleShot(100, d, [&, d] {
            stayedOpen = d->isVisible();
            d->reject();
        });
    });
    EXPECT_TRUE(ShowFileDialog(nullptr, kOpenDialog, QStringLiteral("打开"), QString(), kPmf, dir.path(),
                               QStringLiteral("PMF"))
                    .isEmpty());
    EXPECT_FALSE(buttonEnabled);
    EXPECT_TRUE(stayedOpen);
    EXPECT_FALSE(*dog);
    plomet::test::clearDrivers();

    whenModal([&](QWidget* m) { typeName(m, QStringLiteral("a.PMF")); });
    EXPECT_EQ(ShowFileDialog(nullptr, kOpenDialog, QStringLiteral("打开"), QString(), kPmf, dir.path(),
                             QStringLiteral("PMF")),
              existing);
}

TEST_F(FileDialogs,  SaveOverAnExistingFileAsksFirst)
{
    QTemporaryDir dir;
    const QString existing = QDir(dir.path()).filePath(QStringLiteral("old.PMF"));
    ASSERT_TRUE(plomet::test::writeAll(existing, "keep"));

    struct Row { QMessageBox::StandardButton answer; bool returned; } rows[] = {
        {QMessageBox::No, false},
        {QMessageBox::Yes, true},
    };
    for (const Row& r : rows) {
        bool asked = false;
        auto dog = watchdog();
        whenModal([&](QWidget* m) {
            whenModal([&, m](QWidget* box) {
                auto* mb = qobject_cast<QMessageBox*>(box);
                asked = mb != nullptr;
                if (!mb) {
                    qobject_cast<QDialog*>(box)->reject();
                    return;
                }
                mb->button(r.answer)->click();
                if (!r.returned)
                    rejectLater(m);   // after "No" the dialog is still there: cancel it
            }, m);
            typeName(m, QStringLiteral("old"));
        });
        const QString path = ShowFileDialog(nullptr, kSaveDialog, QStringLiteral("保存"), QString(), kPmf,
                                            dir.path(), QStringLiteral("PMF"));
        EXPECT_TRUE(asked) << "no confirmation";
        EXPECT_EQ(path, r.returned ? existing : QString());
        EXPECT_FALSE(*dog);
        EXPECT_EQ(plomet::test::readAll(existing), QByteArray("keep")) << "the dialog itself wrote";
    }
}

TEST_F(FileDialogs,  SaveRefusesAFolderThatDoesNotExist)
{
    QTemporaryDir dir;
    bool refused = false;
    auto dog = watchdog();
    whenModal([&](QWidget* m) {
        whenModal([&, m](QWidget* box) {
            refused = qobject_cast<QMessageBox*>(box) != nullptr
                && qobject_cast<QMessageBox*>(box)->text().contains(QStringLiteral("不存在"));
            qobject_cast<QDialog*>(box)->accept();
            rejectLater(m);
        }, m);
        typeName(m, QDir(dir.path()).filePath(QStringLiteral("no/such/seal")));
    });
    EXPECT_TRUE(ShowFileDialog(nullptr, kSaveDialog, QStringLiteral("保存"), QString(), kPmf, dir.path(),
                               QStringLiteral("PMF"))
                    .isEmpty());
    EXPECT_TRUE(refused);
    EXPECT_FALSE(*dog);
}

// ---------------------------------------------------------------- colour dialog

TEST_F(ColorDialogs,  CancelIsNotBlack)
{
    struct Row { const char* name; std::optional<QColor> pick; std::optional<int32_t> expected; } rows[] = {
        {"cancel", std::nullopt, std::nullopt},
        {"black", QColor(0, 0, 0), 0},
        {"red", QColor(255, 0, 0), 255},
        {"blue", QColor(0, 0, 255), 0xFF0000},
    };
    for (const Row& r : rows) {
        auto dog = watchdog();
        whenModal([&](QWidget* m) {
            auto* d = qobject_cast<QColorDialog*>(m);
            ASSERT_NE(d, nullptr);
            if (!r.pick) {
                d->reject();
                return;
            }
            d->setCurrentColor(*r.pick);
            d->accept();
        });
        EXPECT_EQ(ShowColorDialog(nullptr), r.expected) << r.name;
        EXPECT_FALSE(*dog) << r.name;
    }
}

TEST_F(ColorDialogs,  CustomColoursStartBlackEveryTime)
{
    for (int i = 0; i < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(i, QColor(Qt::white));
    ASSERT_EQ(QColorDialog::customCount(), 16);
    int black = 0;
    whenModal([&](QWidget* m) {
        for (int i = 0; i < QColorDialog::customCount(); ++i)
            black += QColorDialog::customColor(i) == QColor(Qt::black);
        QColorDialog::setCustomColor(3, QColor(Qt::green));  // the user adds one
        qobject_cast<QDialog*>(m)->reject();
    });
    ShowColorDialog(nullptr);
    EXPECT_EQ(black, 16);
    whenModal([&](QWidget* m) {
        EXPECT_EQ(QColorDialog::customColor(3), QColor(Qt::black)) << "custom colour remembered";
        qobject_cast<QDialog*>(m)->reject();
    });
    ShowColorDialog(nullptr);
}

// ---------------------------------------------------------------- quit signals

TEST(QuitSignals, ArriveOnTheEventLoop)
{
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        int got = 0;
        installQuitSignals([&](int s) { got = s; });
        ASSERT_EQ(::raise(sig), 0);
        EXPECT_EQ(got, 0) << "the callback ran inside the signal handler";
        for (int i = 0; i < 100 && got == 0; ++i)
            QTest::qWait(10);
        EXPECT_EQ(got, sig);
    }
}
