// The main window in-process (offscreen): layout, the seal's stored state,
// the window load with and without a default file, "还 原", and the unload
// that must never lose the seal.
#include "platform/Guard.h"
#include "ModalDriver.h"
#include "seal/Plomet.h"
#include "formats/PmfFile.h"
#include "seal/PropertyBag.h"
#include "TestUtil.h"
#include "app/frmMain.h"
#include "app/frmOption.h"
#include "platform/modMain.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QSet>
#include <QTimer>
#include <QUndoStack>
#include <QUrl>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QLabel>
#include <QPushButton>
#include <QToolBar>
#include <QAction>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace plomet;
using plomet::test::watchdog;
using plomet::test::whenModal;

namespace {

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        DefaultFile = path(QStringLiteral("Plomet.PMF"));
    }
    void TearDown() override
    {
        plomet::test::clearDrivers();
        DefaultFile.clear();
    }
    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }

    // A description file of a seal that differs from the stored state.
    void writeOtherSeal(const QString& file)
    {
        Plomet seal;
        seal.InitProperties();
        seal.setRText(QStringLiteral("测试印章有限公司"));
        seal.setDegree(45.0);
        seal.setFontBold(false);
        seal.setWidth(3000.0f);
        seal.setHeight(3000.0f);
        SavePMF(seal, file);
    }

    QTemporaryDir dir;
};

QImage pixelsOf(const Plomet& seal)
{
    return seal.image() ? seal.image()->pixels() : QImage();
}

} // namespace

TEST_F(MainWindow, LayoutInPixelsAtFifteenTwipsEach)
{
    frmMain w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Qorvel公章生成 v2.5"));
    // The classic window, 486 x 215, with the tool bar and the status line below it.
    auto* tools = w.findChild<QToolBar*>(QStringLiteral("toolBar"));
    auto* status = w.findChild<QLabel*>(QStringLiteral("statusLine"));
    ASSERT_NE(tools, nullptr);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(tools->geometry().top(), 215);
    EXPECT_EQ(status->geometry().top(), tools->geometry().bottom() + 1);
    EXPECT_EQ(w.size(), QSize(486, 215 + tools->height() + status->height()));
    QStringList commands;
    for (QAction* a : tools->actions())
        commands << a->objectName();
    EXPECT_EQ(commands, (QStringList{"exportPicture", "stampPdf", "extractSeal", "styleDialog"}));
    struct Row { const char* name; const char* caption; QRect rect; } rows[] = {
        {"cmdSaveAs", "另 存", {272, 24, 89, 25}},
        {"cmdOption", "设 置", {360, 24, 89, 25}},
        {"cmdCopy", "复 制", {272, 54, 89, 25}},
        {"cmdPrint", "打 印", {272, 88, 89, 25}},
        {"cmdOpen", "打 开", {272, 120, 89, 25}},
        {"cmdSave", "保 存", {360, 120, 89, 25}},
        {"cmdInit", "还 原", {272, 152, 89, 25}},
        {"cmd", "保 留", {360, 152, 89, 25}},
    };
    for (const Row& r : rows) {
        auto* b = w.findChild<QPushButton*>(QString::fromLatin1(r.name));
        ASSERT_NE(b, nullptr) << r.name;
        EXPECT_EQ(b->text(), QString::fromUtf8(r.caption)) << r.name;
        EXPECT_EQ(b->geometry(), r.rect) << r.name;
        EXPECT_EQ(b->font().family(), QStringLiteral("宋体")) << r.name;
        EXPECT_DOUBLE_EQ(b->font().pointSizeF(), 10.5) << r.name;
        EXPECT_TRUE(b->isEnabled()) << r.name;
        EXPECT_FALSE(b->toolTip().isEmpty()) << r.name;
    }
    // The tool bar runs the context menu's commands.
    tools->actions().last()->trigger();
    bool styleOpen = false;
    for (QWidget* top : QApplication::topLevelWidgets())
        styleOpen = styleOpen || (top->windowTitle() == QStringLiteral("样式") && top->isVisible());
    EXPECT_TRUE(styleOpen);
    auto* seal = w.findChild<QWidget*>(QStringLiteral("Plomet1"));
    ASSERT_NE(seal, nullptr);
    EXPECT_EQ(seal->geometry(), QRect(48, 32, 137, 137));
}

TEST_F(MainWindow, StatusLineShowsWhatMayBeWrongAfterEachDraw)
{
    frmMain w;
    auto* status = w.findChild<QLabel*>(QStringLiteral("statusLine"));
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->text(), QString());
    w.Plomet1().setFontName(QStringLiteral("NoSuchFont"));
    w.Plomet1().setWidth(42);
    w.Plomet1().Draw();
    EXPECT_TRUE(status->text().contains(QStringLiteral("NoSuchFont"))) << status->text().toStdString();
    EXPECT_EQ(status->toolTip().count(QLatin1Char('\n')), 1) << "both warnings in the tooltip";
    EXPECT_TRUE(status->toolTip().contains(QStringLiteral("比任何印章都小")));
    w.Plomet1().setFontName(QStringLiteral("宋体"));
    w.Plomet1().setWidth(2055);
    w.Plomet1().Draw();
    EXPECT_EQ(status->text(), QString());
}

TEST_F(MainWindow, FocusOrderFollowsTheTable)
{
    frmMain w;
    const char* order[] = {"cmdOption", "cmdPrint", "cmdSaveAs", "Plomet1", "cmdCopy",
                           "cmdSave",   "cmdOpen",  "cmdInit",   "cmd",     "cmdOption"};
    QWidget* at = w.findChild<QWidget*>(QString::fromLatin1(order[0]));
    for (size_t i = 1; i < std::size(order); ++i) {
        QWidget* next = at->nextInFocusChain();
        while (next != at && !(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        EXPECT_EQ(next->objectName(), QString::fromLatin1(order[i])) << "after " << order[i - 1];
        at = next;
    }
}

TEST_F(MainWindow, StoredStateHoldsExactlyTwoItems)
{
    const PropertyBag bag = frmMain::storedState();
    EXPECT_EQ(bag.keys().size(), 2);
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("ShowDate"), false).toBool(), true);
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("Degree"), -1.0).toDouble(), 266.0);
}

TEST_F(MainWindow, FirstStartShowsTheStoredStateSeal)
{
    frmMain w;
    Plomet& s = w.Plomet1();
    EXPECT_TRUE(s.ShowDate());
    EXPECT_EQ(s.Degree(), 266.0);
    EXPECT_TRUE(s.FontBold()) << "absent from the store, so its read default (True)";
    EXPECT_EQ(s.rText(), QStringLiteral("Qorvel软件有限公司"));
    EXPECT_EQ(s.pText1(), QStringLiteral("专用章"));
    EXPECT_EQ(s.ForeColor(), 255);
    EXPECT_EQ(s.Width(), 2055.0f);
    EXPECT_EQ(s.Height(), 2055.0f);
    ASSERT_TRUE(s.image());
    EXPECT_EQ(pixelsOf(s).size(), QSize(137, 137));
    EXPECT_FALSE(QFileInfo::exists(DefaultFile)) << "load wrote the default file";
}

TEST_F(MainWindow, LoadTakesOnlyARealVisibleDefaultFile)
{
    struct Row { const char* name; const char* file; bool makeDir; bool loaded; } rows[] = {
        {"plain file", "Plomet.PMF", false, true},
        {"hidden file", ".Plomet.PMF", false, false},
        {"folder of that name", "Plomet.PMF", true, false},
        {"missing", "nothing.PMF", false, false},
    };
    for (const Row& r : rows) {
        QTemporaryDir d;
        DefaultFile = QDir(d.path()).filePath(QString::fromLatin1(r.file));
        if (r.makeDir)
            ASSERT_TRUE(QDir().mkpath(DefaultFile));
        else if (QString::fromLatin1(r.name) != QLatin1String("missing"))
            writeOtherSeal(DefaultFile);
        auto dog = watchdog(2000);
        frmMain w;
        EXPECT_FALSE(*dog) << r.name << ": a message was shown";
        const Plomet& s = w.Plomet1();
        EXPECT_EQ(s.rText() == QStringLiteral("测试印章有限公司"), r.loaded) << r.name;
        EXPECT_EQ(s.Degree(), r.loaded ? 45.0 : 266.0) << r.name;
        EXPECT_EQ(s.Width(), r.loaded ? 3000.0f : 2055.0f) << r.name;
        // Drawn after the load: the picture has the loaded size.
        EXPECT_EQ(pixelsOf(s).width(), r.loaded ? 200 : 137) << r.name;
        EXPECT_TRUE(s.ShowDate()) << r.name << ": ShowDate comes from the stored state";
        plomet::test::clearDrivers();
    }
}

TEST_F(MainWindow, WrongHeaderAtStartShowsTheFixedMessageAndTheStoredSeal)
{
    ASSERT_TRUE(plomet::test::writeAll(DefaultFile, "BM\x36\x00 not a description file\r\n"));
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::Warning;
    QList<QAbstractButton*> buttons;
    whenModal([&](QWidget* m) {
        auto* box = qobject_cast<QMessageBox*>(m);
        ASSERT_NE(box, nullptr);
        text = box->text();
        title = box->windowTitle();
        icon = box->icon();
        buttons = box->buttons();
        EXPECT_NE(box->button(QMessageBox::Ok), nullptr);
        box->accept();
        // Then where the unreadable file was kept.
        whenModal([](QWidget* next) { qobject_cast<QDialog*>(next)->accept(); }, m);
    });
    auto dog = watchdog(5000);
    frmMain w;
    EXPECT_FALSE(*dog);
    EXPECT_EQ(text, QStringLiteral("文件格式不正确!"));
    EXPECT_EQ(title, appTitle());
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    EXPECT_EQ(buttons.size(), 1);
    EXPECT_EQ(w.Plomet1().Degree(), 266.0);
    EXPECT_EQ(w.Plomet1().rText(), QStringLiteral("Qorvel软件有限公司"));
    EXPECT_TRUE(w.Plomet1().image());
}

TEST_F(MainWindow, RestoreAssignsNineValuesAndKeepsTheRest)
{
    frmMain w;
    Plomet& s = w.Plomet1();
    s.setPText(QStringLiteral("合同专用"));
    s.setForeColor(0x00FF00);
    s.setBackColor(0x123456);
    s.setStarSize(30);
    s.setSpace(2);
    s.setFontBold(false);
    s.setShowDate(false);
    s.setMidSign(QStringLiteral("◆"));
    s.setShowStar(false);
    s.setFontName(QStringLiteral("宋体"));
    s.setFontSize(20.0f);
    s.setWidth(3000.0f);
    s.setHeight(1500.0f);
    s.setPText1(QString());
    s.Draw();
    const QImage before = pixelsOf(s);

    w.cmdInit_Click();

    EXPECT_EQ(s.rText(), QStringLiteral("中山Qorvel软件有限公司"));
    EXPECT_EQ(s.pText1(), QStringLiteral("专用章"));
    EXPECT_EQ(s.MidSign(), QStringLiteral("★"));
    EXPECT_TRUE(s.ShowStar());
    EXPECT_EQ(s.Degree(), -1.0);
    EXPECT_EQ(s.Width(), 2055.0f);
    EXPECT_EQ(s.Height(), 2055.0f);
    EXPECT_EQ(s.FontName(), QStringLiteral("黑体"));
    EXPECT_EQ(s.FontSize(), 12.0f);
    // kept
    EXPECT_EQ(s.pText(), QStringLiteral("合同专用"));
    EXPECT_EQ(s.ForeColor(), 0x00FF00);
    EXPECT_EQ(s.BackColor(), 0x123456);
    EXPECT_EQ(s.StarSize(), 30);
    EXPECT_EQ(s.Space(), 2);
    EXPECT_FALSE(s.FontBold());
    EXPECT_FALSE(s.ShowDate());
    // Redrawn at once, at the restored size.
    EXPECT_EQ(pixelsOf(s).size(), QSize(137, 137));
    EXPECT_NE(pixelsOf(s), before);
    EXPECT_EQ(w.findChild<QWidget*>(QStringLiteral("Plomet1"))->size(), QSize(137, 137));
}

TEST_F(MainWindow, UnloadWritesTheDefaultFileOnce)
{
    frmMain w;
    w.Plomet1().setRText(QStringLiteral("关闭时的印章"));
    w.unload();
    ASSERT_TRUE(QFileInfo::exists(DefaultFile));
    Plomet back;
    back.InitProperties();
    LoadPMF(back, DefaultFile);
    EXPECT_EQ(back.rText(), QStringLiteral("关闭时的印章"));
    EXPECT_EQ(back.Degree(), 266.0);
    EXPECT_TRUE(back.FontBold());
    QFile::remove(DefaultFile);
    w.unload();
    EXPECT_FALSE(QFileInfo::exists(DefaultFile)) << "unload ran twice";
}

TEST_F(MainWindow, UnloadThatCannotSaveOffersAnotherPlace)
{
    struct Row { const char* name; bool accept; bool typeName; bool saved; } rows[] = {
        {"declined", false, false, false},
        {"saved elsewhere", true, true, true},
    };
    for (const Row& r : rows) {
        QTemporaryDir d;
        DefaultFile = QDir(d.path()).filePath(QStringLiteral("Plomet.PMF"));
        ASSERT_TRUE(QDir().mkpath(DefaultFile));   // a folder holds the name
        const QString elsewhere = QDir(d.path()).filePath(QStringLiteral("rescued.PMF"));
        frmMain w;
        QString question;
        auto dog = watchdog();
        whenModal([&](QWidget* m) {
            auto* box = qobject_cast<QMessageBox*>(m);
            ASSERT_NE(box, nullptr);
            question = box->text();
            if (!r.accept) {
                box->button(QMessageBox::No)->click();
                return;
            }
            whenModal([&](QWidget* dlg) {
                auto* fd = qobject_cast<QFileDialog*>(dlg);
                ASSERT_NE(fd, nullptr);
                fd->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(elsewhere);
                fd->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save)->click();
            }, box);
            box->button(QMessageBox::Yes)->click();
        });
        w.unload();
        EXPECT_FALSE(*dog) << r.name;
        EXPECT_TRUE(question.contains(QDir::toNativeSeparators(DefaultFile))) << r.name;
        EXPECT_EQ(QFileInfo::exists(elsewhere), r.saved) << r.name;
        plomet::test::clearDrivers();
    }
}

TEST_F(MainWindow, SettingsDialogOnceAndClosedWithTheWindow)
{
    auto* w = new frmMain;
    w->show();
    w->cmdOption_Click();
    QPointer<frmOption> first = w->optionDialog();
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->isVisible());
    w->cmdOption_Click();
    EXPECT_EQ(w->optionDialog(), first.data()) << "a second dialog was made";
    w->Plomet1().setRText(QStringLiteral("窗口关闭时"));
    w->close();
    EXPECT_TRUE(QTest::qWaitFor([&first] { return !first || !first->isVisible(); }, 5000))
        << "the settings dialog outlived the main window";
    Plomet back;
    back.InitProperties();
    LoadPMF(back, DefaultFile);
    EXPECT_EQ(back.rText(), QStringLiteral("窗口关闭时"));
    delete w;
}

// --- an unreadable default file is kept --------------------------------------

namespace {
// Answers every message box with OK and keeps the texts.
struct Messages {
    QStringList texts;
    QTimer timer;
    Messages()
    {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                if (box->isVisible()) {
                    texts << box->text();
                    box->accept();
                }
            }
        });
        timer.start();
    }
};
QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

TEST_F(MainWindow, UnreadableDefaultFileIsKeptBesideItselfBeforeAnythingWritesOverIt)
{
    // A default file converted to UTF-8 (its header no longer GBK), one cut
    // off after a few lines, and one whose numbers are damaged.
    Plomet good;
    good.InitProperties();
    good.setRText(QStringLiteral("用户自己的公司"));
    SavePMF(good, DefaultFile);
    const QByteArray gbk = readAll(DefaultFile);
    QByteArray utf8 = QString::fromUtf8("电子公章描述文件\r\n").toUtf8() + gbk.mid(gbk.indexOf('\n') + 1);
    QByteArray damaged = gbk;
    damaged.replace("\r\n2055\r\n", "\r\n20x55\r\n");
    ASSERT_NE(damaged, gbk);
    struct Row { const char* name; QByteArray bytes; const char* keptAs; } rows[] = {
        {"converted to UTF-8", utf8, "Plomet.PMF.unreadable"},
        {"damaged number", damaged, "Plomet.PMF.unreadable-2"},   // the first name is taken now
    };
    for (const Row& r : rows) {
        ASSERT_TRUE(plomet::test::writeAll(DefaultFile, r.bytes)) << r.name;
        Messages messages;
        auto dog = watchdog(5000);
        {
            frmMain w;
            const QString kept = path(QString::fromLatin1(r.keptAs));
            EXPECT_EQ(w.keptDefaultFile(), kept) << r.name;
            EXPECT_EQ(readAll(kept), r.bytes) << r.name << ": not kept byte for byte";
            EXPECT_FALSE(QFileInfo::exists(DefaultFile)) << r.name;
            ASSERT_GE(messages.texts.size(), 1) << r.name;
            EXPECT_TRUE(messages.texts.last().contains(QDir::toNativeSeparators(kept)))
                << r.name << ": the message does not say where: " << messages.texts.last().toStdString();
            EXPECT_EQ(w.Plomet1().rText(), QStringLiteral("Qorvel软件有限公司")) << r.name;
            w.unload();
            EXPECT_EQ(readAll(kept), r.bytes) << r.name << ": the kept file was written over";
        }
        EXPECT_FALSE(*dog) << r.name;
        // The close wrote a fresh default file, readable again.
        Plomet back;
        LoadPMF(back, DefaultFile);
        EXPECT_EQ(back.rText(), QStringLiteral("Qorvel软件有限公司")) << r.name;
    }
}

TEST_F(MainWindow, UnreadableDefaultThatCannotBeMovedIsNotWrittenOver)
{
    // Every name it could be moved to is taken.
    const QByteArray bytes("not a seal at all\r\n");
    ASSERT_TRUE(plomet::test::writeAll(DefaultFile, bytes));
    for (int n = 1; n <= 1000; ++n)
        ASSERT_TRUE(plomet::test::writeAll(DefaultFile + QStringLiteral(".unreadable")
                                               + (n == 1 ? QString() : QStringLiteral("-%1").arg(n)),
                                           "taken"));
    Messages messages;
    {
        frmMain w;
        EXPECT_TRUE(w.keptDefaultFile().isEmpty());
        ASSERT_FALSE(messages.texts.isEmpty());
        EXPECT_TRUE(messages.texts.last().contains(QStringLiteral("不会覆盖"))) << messages.texts.last().toStdString();
        EXPECT_THROW(w.saveDefaultFile(), PlometError);
    }
    EXPECT_EQ(readAll(DefaultFile), bytes);
}

// --- undo and redo ------------------------------------------------------------

TEST_F(MainWindow, UndoAndRedoEveryAppliedChange)
{
    const QString other = path(QStringLiteral("other.PMF"));
    writeOtherSeal(other);
    frmMain w;
    Plomet& s = w.Plomet1();
    auto state = [&] {
        return QStringLiteral("%1|%2|%3|%4|%5").arg(s.rText()).arg(s.Degree()).arg(s.Width()).arg(s.ForeColor())
            .arg(s.FontName());
    };
    QStringList states{state()};
    QList<QImage> pictures{pixelsOf(s)};
    auto step = [&] { states << state(); pictures << pixelsOf(s); };

    w.cmdInit_Click();                 // restore
    step();
    ASSERT_TRUE(w.openFile(other));    // open
    step();
    w.cmdOption_Click();               // settings, applied
    auto* dlg = w.optionDialog();
    ASSERT_NE(dlg, nullptr);
    dlg->findChild<QLineEdit*>(QStringLiteral("rText"))->setText(QStringLiteral("设置改的名字"));
    dlg->findChild<QPushButton*>(QStringLiteral("cmdRefresh"))->click();
    step();
    w.recordChange(QStringLiteral("颜色"), [&] { s.setForeColor(0xFF0000); s.Draw(); });   // colour
    step();
    ASSERT_EQ(states.size(), 5);
    EXPECT_EQ(QSet<QString>(states.begin(), states.end()).size(), 5) << "a step changed nothing";

    // Nothing new for a change that changes nothing.
    w.recordChange(QStringLiteral("无"), [&] { s.Draw(); });
    EXPECT_EQ(w.undoStack().count(), 4);

    for (int i = 3; i >= 0; --i) {
        w.undo();
        EXPECT_EQ(state(), states[i]) << "undo to " << i;
        EXPECT_EQ(pixelsOf(s), pictures[i]) << "undo to " << i << ": not drawn";
    }
    w.undo();   // nothing left: no change
    EXPECT_EQ(state(), states[0]);
    for (int i = 1; i <= 4; ++i) {
        w.redo();
        EXPECT_EQ(state(), states[i]) << "redo to " << i;
        EXPECT_EQ(pixelsOf(s), pictures[i]) << "redo to " << i;
    }
    // A new change after an undo drops what could be redone.
    w.undo();
    w.cmdInit_Click();
    w.redo();
    EXPECT_EQ(s.rText(), QStringLiteral("中山Qorvel软件有限公司"));
    if (dlg)
        delete dlg;
}

TEST_F(MainWindow, UndoKeepsAtLeastFiftySteps)
{
    frmMain w;
    Plomet& s = w.Plomet1();
    const double first = s.Degree();
    for (int i = 1; i <= 60; ++i)
        w.recordChange(QStringLiteral("角度"), [&] { s.setDegree(i); s.Draw(); });
    for (int i = 59; i >= 0; --i) {
        w.undo();
        ASSERT_EQ(s.Degree(), i == 0 ? first : double(i)) << i;
    }
}

TEST_F(MainWindow, FailedApplyIsOneStepWithWhatItWrote)
{
    frmMain w;
    Plomet& s = w.Plomet1();
    w.recordChange(QStringLiteral("设置"), [] {});
    EXPECT_EQ(w.undoStack().count(), 0);
    EXPECT_THROW(w.recordChange(QStringLiteral("设置"), [&] {
        s.setRText(QStringLiteral("写了一半"));
        throw PlometError(PlometError::Kind::TypeMismatch, QStringLiteral("x"));
    }), PlometError);
    EXPECT_EQ(w.undoStack().count(), 1);
    w.undo();
    EXPECT_EQ(s.rText(), QStringLiteral("Qorvel软件有限公司"));
}

// --- open by argument, drop -------------------------------------------------

TEST_F(MainWindow, OpenFileReadsAsTheOpenButtonDoes)
{
    const QString bad = path(QStringLiteral("bad.PMF"));
    ASSERT_TRUE(plomet::test::writeAll(bad, "GIF89a\r\n"));
    frmMain w;
    Messages messages;
    EXPECT_FALSE(w.openFile(bad));
    EXPECT_EQ(messages.texts, QStringList{QStringLiteral("文件格式不正确!")});
    EXPECT_EQ(w.Plomet1().rText(), QStringLiteral("Qorvel软件有限公司"));
    EXPECT_EQ(w.undoStack().count(), 0);
    EXPECT_TRUE(QFileInfo::exists(bad)) << "an opened file is never moved aside";
}

// Undoing an open takes back the opened file's whole seal: its later
// properties and the lines this version does not know, which a save would
// otherwise write into the seal before it.
TEST_F(MainWindow, UndoOfAnOpenTakesBackLaterPropertiesAndUnknownLines)
{
    const QString other = path(QStringLiteral("future.PMF"));
    {
        Plomet seal;
        seal.InitProperties();
        seal.setShape(Shape::Oval);
        seal.setAging(30);
        seal.setUnknownFileLines({QStringLiteral("FutureKey=1")});
        SavePMF(seal, other);
    }
    frmMain w;
    Plomet& s = w.Plomet1();
    ASSERT_TRUE(w.openFile(other));
    ASSERT_EQ(s.shape(), Shape::Oval);
    ASSERT_EQ(s.unknownFileLines(), QStringList{QStringLiteral("FutureKey=1")});
    w.undo();
    EXPECT_EQ(s.shape(), Shape::Round);
    EXPECT_EQ(s.Aging(), 0);
    EXPECT_EQ(s.unknownFileLines(), QStringList());
    w.redo();
    EXPECT_EQ(s.shape(), Shape::Oval);
    EXPECT_EQ(s.Aging(), 30);
    EXPECT_EQ(s.unknownFileLines(), QStringList{QStringLiteral("FutureKey=1")});
}

TEST_F(MainWindow, DropOfAnythingButOneSealFileSaysWhatItTakes)
{
    const QString seal = path(QStringLiteral("dropped.pmf"));
    writeOtherSeal(seal);
    const QString picture = path(QStringLiteral("picture.png"));
    ASSERT_TRUE(plomet::test::writeAll(picture, "\x89PNG"));
    frmMain w;
    w.show();
    struct Row { const char* name; QList<QUrl> urls; QString text; bool opens; } rows[] = {
        {"a picture", {QUrl::fromLocalFile(picture)}, {}, false},
        {"two seal files", {QUrl::fromLocalFile(seal), QUrl::fromLocalFile(seal)}, {}, false},
        {"text", {}, QStringLiteral("印章"), false},
        {"a web address", {QUrl(QStringLiteral("https://example.org/a.PMF"))}, {}, false},
        {"one seal file, lower-case extension", {QUrl::fromLocalFile(seal)}, {}, true},
    };
    for (const Row& r : rows) {
        QMimeData data;
        if (!r.urls.isEmpty())
            data.setUrls(r.urls);
        if (!r.text.isEmpty())
            data.setText(r.text);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &enter);
        EXPECT_TRUE(enter.isAccepted()) << r.name;
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        Messages messages;
        QApplication::sendEvent(&w, &drop);
        if (r.opens) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return w.Plomet1().rText() == QStringLiteral("测试印章有限公司"); }, 5000))
                << r.name;
            EXPECT_EQ(w.Plomet1().rText(), QStringLiteral("测试印章有限公司")) << r.name;
            EXPECT_TRUE(messages.texts.isEmpty()) << r.name;
        } else {
            ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.texts.isEmpty(); }, 5000)) << r.name;
            ASSERT_EQ(messages.texts.size(), 1) << r.name;
            EXPECT_TRUE(messages.texts[0].startsWith(QStringLiteral("这里只能打开电子公章描述文件(*.PMF)"))) << r.name;
            EXPECT_EQ(w.Plomet1().rText(), QStringLiteral("Qorvel软件有限公司")) << r.name;
        }
    }
}
