// The settings dialog, driven in-process on the real main window's seal:
// reading the seal into the fields, the size coupling, the writes and their
// order, failed conversions, the colour button, Enter and the close box.
#include "UntouchedSeals.h"
#include "seal/Plomet.h"
#include "formats/PmfFile.h"
#include "seal/PropertyBag.h"
#include "app/SealPreview.h"
#include "app/frmMain.h"
#include "app/frmOption.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QTemporaryDir>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

using namespace plomet;
using namespace plomet::test;

namespace {

// Answers the modal dialogs that open while it lives: each one that appears is
// handed to `answer`, which must close it.
class ModalAnswerer {
public:
    explicit ModalAnswerer(std::function<void(QWidget*)> answer) : answer_(std::move(answer))
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w || w == last_)
                return;
            last_ = w;
            ++count_;
            answer_(w);
        });
        timer_.start();
    }
    int count() const { return count_; }
private:
    std::function<void(QWidget*)> answer_;
    QTimer timer_;
    QPointer<QWidget> last_;
    int count_ = 0;
};

// Closes every message box with OK and keeps its text.
struct MessageCatcher {
    QStringList texts;
    ModalAnswerer answerer{[this](QWidget* w) {
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            texts << box->text();
            box->accept();
        } else {
            w->close();
        }
    }};
};

class SettingsDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        main_ = std::make_unique<frmMain>();
        seal().Draw();
    }
    void TearDown() override
    {
        if (dlg_)
            delete dlg_.data();
        main_.reset();
    }

    Plomet& seal() { return main_->Plomet1(); }

    frmOption& open()
    {
        dlg_ = new frmOption(*main_);
        dlg_->show();
        return *dlg_;
    }

    template <class T> T* field(const char* name)
    {
        T* w = dlg_->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit* edit(const char* name) { return field<QLineEdit>(name); }
    QComboBox* list(const char* name) { return field<QComboBox>(name); }
    QCheckBox* check(const char* name) { return field<QCheckBox>(name); }
    QPushButton* button(const char* name) { return field<QPushButton>(name); }

    // Replaces a field's text as a user would: select all, type.
    void retype(QWidget* w, const QString& text)
    {
        QLineEdit* e = qobject_cast<QLineEdit*>(w);
        if (!e)
            e = qobject_cast<QComboBox*>(w)->lineEdit();
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Backspace);
        for (QChar c : text) {
            if (c.unicode() < 128)
                QTest::keyClick(e, char(c.unicode()));
            else   // keys beyond ASCII arrive as text, as an input method sends them
                QTest::sendKeyEvent(QTest::Click, e, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }

    std::unique_ptr<frmMain> main_;
    QPointer<frmOption> dlg_;
};

// --- ReadData -----------------------------------------------------------

TEST_F(SettingsDialog, ReadDataShowsEveryEditedProperty)
{
    seal().setRText(QStringLiteral("甲乙有限公司"));
    seal().setPText(QStringLiteral("合同"));
    seal().setPText1(QStringLiteral("财务专用章"));
    seal().setShowStar(false);
    seal().setFontName(QStringLiteral("宋体"));
    seal().setFontSize(10.5f);
    seal().setFontBold(true);
    seal().setMidSign(QStringLiteral("◎"));
    seal().setStarSize(30);
    seal().setSpace(3);
    seal().setForeColor(0x00FF0000);   // blue
    seal().setDegree(-2);
    open();

    struct Row { const char* name; const char* text; };
    const Row rows[] = {
        {"rText", "甲乙有限公司"}, {"pText", "合同"}, {"pText1", "财务专用章"},
        {"MidSign", "◎"},         {"CharSpace", "3"}, {"Degree", "-2"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(edit(r.name)->text(), QString::fromUtf8(r.text)) << r.name;
    EXPECT_EQ(list("cboFont")->currentText(), QStringLiteral("宋体"));
    EXPECT_EQ(list("cboSize")->currentText(), QStringLiteral("10.5"));
    EXPECT_EQ(list("cboStarSize")->currentText(), QStringLiteral("30"));
    EXPECT_FALSE(check("chkStar")->isChecked());
    EXPECT_TRUE(check("chkFontBold")->isChecked());
    EXPECT_TRUE(check("chkDist")->isChecked());
    EXPECT_EQ(dlg_->faceColor(), 0x00FF0000);
    EXPECT_EQ(button("cmdColor")->palette().color(QPalette::Button), QColor(0, 0, 255));
}

TEST_F(SettingsDialog, AnOvalStaysAnOvalWhenNothingIsTouched)
{
    // The coupling follows the seal: unticked for an oval, so its sizes are
    // read as they are and 更 改 writes them back unchanged; the sizes show in
    // millimetres beside the boxes.
    seal().setWidth(2268);
    seal().setHeight(1701);
    open();
    EXPECT_FALSE(check("chkDist")->isChecked());
    EXPECT_EQ(edit("cWidth")->text(), QStringLiteral("2268"));
    EXPECT_EQ(edit("cHeight")->text(), QStringLiteral("1701"));
    EXPECT_EQ(field<QLabel>("sizeMm")->text(), QStringLiteral("40.00 × 30.00 mm"));
    // The longest sizes still fit their label whole, unit included.
    for (const char* twips : {"2055", "5669"}) {
        edit("cWidth")->setText(QString::fromLatin1(twips));
        edit("cHeight")->setText(QString::fromLatin1(twips));
        const QLabel* mm = field<QLabel>("sizeMm");
        EXPECT_LE(QFontMetrics(mm->font()).horizontalAdvance(mm->text()), mm->width()) << mm->text().toStdString();
    }
    edit("cWidth")->setText(QStringLiteral("2268"));
    edit("cHeight")->setText(QStringLiteral("1701"));
    button("cmdOption")->click();
    EXPECT_EQ(seal().Width(), 2268.0f);
    EXPECT_EQ(seal().Height(), 1701.0f);

    seal().setHeight(2268);
    open();
    EXPECT_TRUE(check("chkDist")->isChecked());
}

TEST_F(SettingsDialog, ChangeWithoutATouchChangesNothing)
{
    for (const UntouchedSeal& row : kUntouchedSeals) {
        applyUntouched(seal(), row);
        const SealSpec before = seal().spec();
        open();
        button("cmdOption")->click();
        for (const PropertyRow& r : propertyRows())
            EXPECT_EQ(seal().value(r), r.get(before)) << row.name << ": " << r.name;
    }
}

TEST_F(SettingsDialog, UnknownFontNameIsShownAndWrittenBackUnchanged)
{
    const QString name = QStringLiteral("并不存在的字体 XYZ");
    seal().setFontName(name);
    open();
    EXPECT_EQ(list("cboFont")->currentText(), name);
    EXPECT_EQ(list("cboFont")->findText(name), -1);   // not added to the list
    button("cmdRefresh")->click();
    EXPECT_EQ(seal().FontName(), name);
}

TEST_F(SettingsDialog, LongTextsGoBackUnchanged)
{
    // Beyond the 32767 characters a line edit keeps by default.
    const QString name = QString(40000, QChar(u'印'));
    const QString face = QString(40000, QLatin1Char('F'));
    seal().setRText(name);
    seal().setFontName(face);
    open();
    button("cmdRefresh")->click();
    EXPECT_EQ(seal().rText().size(), name.size());
    EXPECT_EQ(seal().FontName().size(), face.size());
}

// --- size coupling ------------------------------------------------------

TEST_F(SettingsDialog, TypingAWidthKeyByKeyCopiesEveryKeystroke)
{
    open();
    QLineEdit* w = edit("cWidth");
    QLineEdit* h = edit("cHeight");
    w->selectAll();
    QTest::keyClick(w, Qt::Key_Backspace);
    EXPECT_EQ(h->text(), QString());
    const char* expected[] = {"2", "25", "250", "2500"};
    const QString typed = QStringLiteral("2500");
    for (int i = 0; i < typed.size(); ++i) {
        QTest::keyClick(w, typed[i].toLatin1());
        EXPECT_EQ(h->text(), QLatin1String(expected[i])) << "after key " << i;
        EXPECT_EQ(w->text(), QLatin1String(expected[i]));
    }
    // And the other way round.
    QTest::keyClick(h, Qt::Key_Backspace);
    EXPECT_EQ(w->text(), QStringLiteral("250"));
}

TEST_F(SettingsDialog, CouplingCopiesEachChangeOnce)
{
    open();
    QSignalSpy widthChanges(edit("cWidth"), &QLineEdit::textChanged);
    QSignalSpy heightChanges(edit("cHeight"), &QLineEdit::textChanged);
    edit("cWidth")->setText(QStringLiteral("1234"));
    EXPECT_EQ(widthChanges.count(), 1);
    EXPECT_EQ(heightChanges.count(), 1);
    // Setting the text a box already holds is no change.
    edit("cHeight")->setText(QStringLiteral("1234"));
    EXPECT_EQ(widthChanges.count(), 1);
    EXPECT_EQ(heightChanges.count(), 1);
}

TEST_F(SettingsDialog, UncheckedCouplingKeepsTheBoxesApart)
{
    seal().setWidth(2055);
    seal().setHeight(2055);
    open();
    check("chkDist")->setChecked(false);
    retype(edit("cWidth"), QStringLiteral("3000"));
    EXPECT_EQ(edit("cHeight")->text(), QStringLiteral("2055"));
    retype(edit("cHeight"), QStringLiteral("1500"));
    EXPECT_EQ(edit("cWidth")->text(), QStringLiteral("3000"));
    // Checking it again copies nothing until the next change.
    check("chkDist")->setChecked(true);
    EXPECT_EQ(edit("cWidth")->text(), QStringLiteral("3000"));
    EXPECT_EQ(edit("cHeight")->text(), QStringLiteral("1500"));
    QTest::keyClick(edit("cHeight"), '0');
    EXPECT_EQ(edit("cWidth")->text(), QStringLiteral("15000"));

    button("cmdRefresh")->click();
    EXPECT_EQ(seal().Width(), 15000.0f);
    EXPECT_EQ(seal().Height(), 15000.0f);
}

// --- WriteData ------------------------------------------------------------

struct WrittenNumber {
    const char* field;       // object name
    const char* text;        // what the user types
    std::function<double(Plomet&)> read;
    double expected;
};

TEST_F(SettingsDialog, NumbersAreWrittenAsTheirConversionsSay)
{
    const WrittenNumber rows[] = {
        {"cboStarSize", "8.5", [](Plomet& s) { return s.StarSize(); }, 8},
        {"cboStarSize", "9.5", [](Plomet& s) { return s.StarSize(); }, 10},
        {"cboStarSize", "100", [](Plomet& s) { return s.StarSize(); }, 100},
        {"cboSize", "100", [](Plomet& s) { return s.FontSize(); }, 100},
        {"cboSize", " 10.5 ", [](Plomet& s) { return s.FontSize(); }, 10.5},
        {"CharSpace", " 3 ", [](Plomet& s) { return s.Space(); }, 3},
        {"CharSpace", "3x", [](Plomet& s) { return s.Space(); }, 3},
        {"CharSpace", "abc", [](Plomet& s) { return s.Space(); }, 0},
        {"CharSpace", "2.5", [](Plomet& s) { return s.Space(); }, 2},
        {"CharSpace", "3.5", [](Plomet& s) { return s.Space(); }, 4},
        {"CharSpace", "", [](Plomet& s) { return s.Space(); }, 0},
        {"CharSpace", "&H10", [](Plomet& s) { return s.Space(); }, 16},
        {"CharSpace", "1D2", [](Plomet& s) { return s.Space(); }, 100},
        {"Degree", "-1", [](Plomet& s) { return s.Degree(); }, -1},
        {"Degree", "abc", [](Plomet& s) { return s.Degree(); }, 0},
        {"Degree", "45.5", [](Plomet& s) { return s.Degree(); }, 45.5},
        {"Degree", "", [](Plomet& s) { return s.Degree(); }, 0},
        {"Degree", "1 2", [](Plomet& s) { return s.Degree(); }, 12},
        {"cWidth", "2500", [](Plomet& s) { return s.Width(); }, 2500},
        {"cHeight", "1800.5", [](Plomet& s) { return s.Height(); }, 1800.5},
    };
    for (const WrittenNumber& row : rows) {
        open();
        QWidget* w = dlg_->findChild<QWidget*>(QLatin1String(row.field));
        ASSERT_NE(w, nullptr) << row.field;
        retype(w, QString::fromUtf8(row.text));
        button("cmdRefresh")->click();
        EXPECT_EQ(row.read(seal()), row.expected) << row.field << " = \"" << row.text << '"';
        delete dlg_.data();
    }
}

TEST_F(SettingsDialog, PickingAnEntryOfTheStarSizeListRoundsHalfToEven)
{
    struct Row { const char* entry; int expected; };
    const Row rows[] = {{"8.5", 8}, {"9.5", 10}, {"72", 72}, {"71.5", 72}};
    open();
    QComboBox* c = list("cboStarSize");
    for (const Row& r : rows) {
        const int index = c->findText(QLatin1String(r.entry));
        ASSERT_GE(index, 0) << r.entry;
        c->setCurrentIndex(index);
        button("cmdRefresh")->click();
        EXPECT_EQ(seal().StarSize(), r.expected) << r.entry;
    }
}

TEST_F(SettingsDialog, ApplyWritesTextsAndFlagsAndRedraws)
{
    open();
    QSignalSpy drawn(&seal(), &Plomet::drawn);
    retype(edit("rText"), QStringLiteral("新名称有限公司"));
    retype(edit("pText"), QStringLiteral("行一"));
    retype(edit("pText1"), QString());
    retype(edit("MidSign"), QStringLiteral("▲"));
    retype(list("cboFont"), QStringLiteral("楷体"));
    check("chkStar")->setChecked(false);
    check("chkFontBold")->setChecked(true);
    const int32_t colour = seal().ForeColor();
    const bool showDate = seal().ShowDate();
    const int32_t back = seal().BackColor();

    button("cmdRefresh")->click();
    EXPECT_EQ(drawn.count(), 1);
    EXPECT_EQ(seal().rText(), QStringLiteral("新名称有限公司"));
    EXPECT_EQ(seal().pText(), QStringLiteral("行一"));
    EXPECT_EQ(seal().pText1(), QString());
    EXPECT_EQ(seal().MidSign(), QStringLiteral("▲"));
    EXPECT_EQ(seal().FontName(), QStringLiteral("楷体"));
    EXPECT_FALSE(seal().ShowStar());
    EXPECT_TRUE(seal().FontBold());
    // Not the dialog's to write.
    EXPECT_EQ(seal().ForeColor(), colour);
    EXPECT_EQ(seal().ShowDate(), showDate);
    EXPECT_EQ(seal().BackColor(), back);
    // "应 用" keeps the dialog open with its fields.
    EXPECT_TRUE(dlg_->isVisible());
    EXPECT_EQ(edit("rText")->text(), QStringLiteral("新名称有限公司"));
}

TEST_F(SettingsDialog, WritesComeInTheirFixedOrder)
{
    open();
    QSignalSpy changes(&seal(), &Plomet::PropertyChanged);
    button("cmdRefresh")->click();
    QStringList names;
    for (const QList<QVariant>& args : changes)
        names << args.at(0).toString();
    // The size changes of steps 5 and 6 are no property announcements.
    EXPECT_EQ(names, (QStringList{"rText", "pText", "StarSize", "pText1", "ShowStar", "MidSign",
                                  "FontName", "FontSize", "FontBold", "Space", "Degree"}));
}

// A failed conversion stops the writes at its field: what came before has
// been written, nothing after it, nothing is drawn, the dialog stays open with
// the user's text and the focus on that field, and a message names the field.
struct FailingRow {
    const char* field;
    const char* text;
    const char* named;            // in the message
    int writtenBefore;            // how many of the marked writes went through
};

TEST_F(SettingsDialog, FailedConversionStopsAtItsFieldAndSaysWhy)
{
    const FailingRow rows[] = {
        {"cboStarSize", "abc", "中央标志尺寸", 2},
        {"cboStarSize", "40000", "中央标志尺寸", 2},
        {"cWidth", "abc", "公章宽度", 4},
        {"cWidth", "", "公章宽度", 4},
        {"cHeight", "1e39", "公章高度", 5},
        {"cboSize", "12pt", "字体尺寸", 9},
        {"CharSpace", "3000000000", "字符间隔", 11},
        {"Degree", "1e400", "方向(角度)", 12},
    };
    for (const FailingRow& row : rows) {
        // A seal whose every value differs from what the dialog will write.
        seal().setRText(QStringLiteral("原名"));
        seal().setPText(QString());
        seal().setStarSize(24);
        seal().setPText1(QStringLiteral("专用章"));
        seal().setWidth(2055);
        seal().setHeight(2055);
        seal().setShowStar(true);
        seal().setMidSign(QStringLiteral("★"));
        seal().setFontName(QStringLiteral("黑体"));
        seal().setFontSize(12);
        seal().setSpace(1);
        seal().setDegree(-1);
        seal().Draw();
        open();
        dlg_->activateWindow();
        check("chkDist")->setChecked(false);
        retype(edit("rText"), QStringLiteral("甲"));
        retype(edit("pText"), QStringLiteral("乙"));
        retype(list("cboStarSize"), QStringLiteral("30"));
        retype(edit("pText1"), QStringLiteral("丙"));
        retype(edit("cWidth"), QStringLiteral("1000"));
        retype(edit("cHeight"), QStringLiteral("1100"));
        check("chkStar")->setChecked(false);
        retype(edit("MidSign"), QStringLiteral("丁"));
        retype(list("cboFont"), QStringLiteral("戊"));
        retype(list("cboSize"), QStringLiteral("20"));
        check("chkFontBold")->setChecked(!seal().FontBold());
        const bool boldBefore = seal().FontBold();
        retype(edit("CharSpace"), QStringLiteral("5"));
        retype(edit("Degree"), QStringLiteral("33"));
        QWidget* failing = dlg_->findChild<QWidget*>(QLatin1String(row.field));
        retype(failing, QString::fromUtf8(row.text));

        const PicturePtr before = seal().image();
        MessageCatcher messages;
        button("cmdOption")->click();   // "更 改": must not close on failure

        const bool written[] = {
            seal().rText() == QStringLiteral("甲"),  seal().pText() == QStringLiteral("乙"),
            seal().StarSize() == 30,                 seal().pText1() == QStringLiteral("丙"),
            seal().Width() == 1000.0f,               seal().Height() == 1100.0f,
            !seal().ShowStar(),                      seal().MidSign() == QStringLiteral("丁"),
            seal().FontName() == QStringLiteral("戊"), seal().FontSize() == 20.0f,
            seal().FontBold() != boldBefore,         seal().Space() == 5,
            seal().Degree() == 33,
        };
        for (int i = 0; i < 13; ++i)
            EXPECT_EQ(written[i], i < row.writtenBefore)
                << row.field << " \"" << row.text << "\": write " << i + 1;
        EXPECT_EQ(seal().image(), before) << row.field << ": redrawn";
        ASSERT_EQ(messages.texts.size(), 1) << row.field;
        EXPECT_TRUE(messages.texts[0].contains(QString::fromUtf8(row.named))) << messages.texts[0].toStdString();
        ASSERT_FALSE(dlg_.isNull()) << row.field << ": dialog closed";
        EXPECT_TRUE(dlg_->isVisible());
        QWidget* focus = dlg_->focusWidget();
        EXPECT_TRUE(focus == failing || (focus && focus->parentWidget() == failing))
            << row.field << ": focus on " << (focus ? focus->objectName().toStdString() : "nothing");
        const QString shown = qobject_cast<QComboBox*>(failing)
            ? qobject_cast<QComboBox*>(failing)->currentText()
            : qobject_cast<QLineEdit*>(failing)->text();
        EXPECT_EQ(shown, QString::fromUtf8(row.text)) << row.field;
        delete dlg_.data();
    }
}

TEST_F(SettingsDialog, ExtremeValuesReachTheSealAndItStillDraws)
{
    struct Row { const char* width; const char* height; const char* space; const char* degree; };
    const Row rows[] = {
        {"-5", "-5", "1", "-1"},
        {"1e9", "1e9", "1", "-1"},
        {"0", "0", "1", "-1"},
        {"2055", "2055", "2000000000", "-1"},
        {"2055", "2055", "-2000000000", "-2"},
        {"2055", "2055", "1", "1e300"},
        {"2055", "2055", "1", "-1e300"},
    };
    for (const Row& r : rows) {
        open();
        check("chkDist")->setChecked(false);
        retype(edit("cWidth"), QLatin1String(r.width));
        retype(edit("cHeight"), QLatin1String(r.height));
        retype(edit("CharSpace"), QLatin1String(r.space));
        retype(edit("Degree"), QLatin1String(r.degree));
        MessageCatcher messages;
        const PicturePtr before = seal().image();
        button("cmdRefresh")->click();
        EXPECT_EQ(messages.texts, QStringList()) << r.width << ' ' << r.space << ' ' << r.degree;
        // The dialog hands the width over as typed; what the control makes
        // of a size it cannot take is the control's own affair.
        Plomet reference;
        reference.setWidth(QString::fromLatin1(r.width).toFloat());
        EXPECT_EQ(seal().Width(), reference.Width()) << r.width;
        EXPECT_EQ(seal().Space(), QString::fromLatin1(r.space).toLongLong());
        EXPECT_EQ(seal().Degree(), QString::fromLatin1(r.degree).toDouble());
        EXPECT_NE(seal().image(), before) << "not redrawn";
        delete dlg_.data();
    }
}

// --- buttons, keys, lifecycle --------------------------------------------

TEST_F(SettingsDialog, EnterInAnyFieldPressesApplyOnce)
{
    const char* fields[] = {"rText", "pText", "pText1", "cWidth", "cHeight", "MidSign",
                            "cboStarSize", "cboFont", "cboSize", "CharSpace", "Degree"};
    open();
    dlg_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg_));
    QSignalSpy drawn(&seal(), &Plomet::drawn);
    int n = 0;
    for (const char* name : fields) {
        QWidget* w = dlg_->findChild<QWidget*>(QLatin1String(name));
        ASSERT_NE(w, nullptr) << name;
        w->setFocus();
        retype(edit("rText"), QStringLiteral("名称%1").arg(++n));
        w->setFocus();
        // Through the window, as the platform delivers it: to the focus widget.
        QTest::keyClick(dlg_->windowHandle(), Qt::Key_Return);
        EXPECT_EQ(drawn.count(), n) << name;
        EXPECT_EQ(seal().rText(), QStringLiteral("名称%1").arg(n)) << name;
    }
    EXPECT_TRUE(dlg_->isVisible());
}

TEST_F(SettingsDialog, EscapeDoesNotThrowAwayTheEdits)
{
    open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg_));
    retype(edit("rText"), QStringLiteral("未应用"));
    edit("rText")->setFocus();
    QTest::keyClick(dlg_->windowHandle(), Qt::Key_Escape);
    QApplication::processEvents();
    ASSERT_FALSE(dlg_.isNull());
    EXPECT_TRUE(dlg_->isVisible());
    EXPECT_EQ(edit("rText")->text(), QStringLiteral("未应用"));
}

TEST_F(SettingsDialog, ChangeWritesShowsTheMainWindowAndCloses)
{
    open();
    retype(edit("rText"), QStringLiteral("更改后"));
    button("cmdOption")->click();
    EXPECT_EQ(seal().rText(), QStringLiteral("更改后"));
    EXPECT_TRUE(main_->isVisible());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dlg_.isNull());
}

TEST_F(SettingsDialog, CloseBoxWritesNothing)
{
    const QString name = seal().rText();
    open();
    QSignalSpy changes(&seal(), &Plomet::PropertyChanged);
    retype(edit("rText"), QStringLiteral("不要写入"));
    dlg_->close();
    EXPECT_EQ(seal().rText(), name);
    EXPECT_EQ(changes.count(), 0);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dlg_.isNull());
}

TEST_F(SettingsDialog, SettingsButtonMakesOneDialogAndLoadsItOnce)
{
    main_->show();
    main_->cmdOption_Click();
    QPointer<frmOption> first = main_->optionDialog();
    ASSERT_FALSE(first.isNull());
    dlg_ = first;
    retype(edit("rText"), QStringLiteral("正在编辑"));
    seal().setRText(QStringLiteral("别处改的"));
    main_->cmdOption_Click();
    EXPECT_EQ(main_->optionDialog(), first.data());
    // Not read again: the user's text stays.
    EXPECT_EQ(edit("rText")->text(), QStringLiteral("正在编辑"));
    EXPECT_TRUE(first->isVisible());
}

// --- the colour button ------------------------------------------------------

// Answers the colour dialog: a colour to choose, or cancel.
struct ColourAnswer {
    std::optional<QColor> choose;
    ModalAnswerer answerer{[this](QWidget* w) {
        auto* dialog = qobject_cast<QColorDialog*>(w);
        if (!dialog) {
            w->close();
            return;
        }
        if (choose) {
            dialog->setCurrentColor(*choose);
            dialog->accept();
        } else {
            dialog->reject();
        }
    }};
};

TEST_F(SettingsDialog, ColourButtonAppliesAtOnceAndCancelKeepsTheColour)
{
    struct Row { std::optional<QColor> choose; int32_t expected; bool drawn; };
    const Row rows[] = {
        {QColor(0, 0, 255), 0x00FF0000, true},
        {std::nullopt, 0x00FF0000, false},      // cancel: unchanged, not black
        {QColor(0, 0, 0), 0x00000000, true},    // black is a colour like any other
        {std::nullopt, 0x00000000, false},
        {QColor(0x12, 0x34, 0x56), 0x00563412, true},
    };
    seal().setForeColor(255);
    open();
    for (const Row& r : rows) {
        QSignalSpy drawn(&seal(), &Plomet::drawn);
        ColourAnswer answer{r.choose};
        button("cmdColor")->click();
        EXPECT_EQ(answer.answerer.count(), 1);
        EXPECT_EQ(seal().ForeColor(), r.expected);
        EXPECT_EQ(dlg_->faceColor(), r.expected);
        EXPECT_EQ(button("cmdColor")->palette().color(QPalette::Button), colorFromRef(r.expected));
        EXPECT_EQ(drawn.count(), r.drawn ? 1 : 0);
    }
    // The close box afterwards keeps the colour.
    dlg_->close();
    EXPECT_EQ(seal().ForeColor(), 0x00563412);
}

// WCAG contrast ratio of two colours.
double contrast(const QColor& a, const QColor& b)
{
    const auto lum = [](const QColor& c) {
        const auto lin = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
    };
    const double x = lum(a), y = lum(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

TEST_F(SettingsDialog, ColourButtonFaceIsExactlyTheSealColour)
{
    // The default red, near reds that must be told apart, dark, light and
    // middle colours: the face is one flat field of exactly that colour and
    // the caption reads on it.
    const int32_t colours[] = {0x000000FF, 0x000000F0, 0x001010FF, 0x00000000, 0x00FFFFFF,
                               0x0000FFFF, 0x00808080, 0x00563412, 0x00FF0000};
    for (int32_t ref : colours) {
        SCOPED_TRACE(ref);
        seal().setForeColor(ref);
        open();
        const QColor face = colorFromRef(ref);
        const QImage img = button("cmdColor")->grab().toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(img.isNull());
        // Inside the frame (3 pixels in), every pixel is the face colour or
        // belongs to the caption.
        int faceCount = 0, inner = 0;
        double best = 1;
        for (int y = 3; y < img.height() - 3; ++y)
            for (int x = 3; x < img.width() - 3; ++x) {
                const QColor px = img.pixelColor(x, y);
                ++inner;
                if (px == face)
                    ++faceCount;
                else
                    best = std::max(best, contrast(px, face));
            }
        // Rows above the caption are the field alone: exactly the colour.
        for (int x = 3; x < img.width() - 3; ++x)
            EXPECT_EQ(img.pixelColor(x, 3), face) << "row 3, x " << x;
        EXPECT_GT(faceCount, inner * 6 / 10) << "a flat field of the colour";
        EXPECT_LT(faceCount, inner) << "the caption is drawn";
        EXPECT_GE(best, 4.5) << "the caption's ink contrasts with the face";
        delete dlg_.data();
    }
}

TEST(ColorFromRef, LowByteIsRed)
{
    struct Row { int32_t ref; QColor colour; };
    const Row rows[] = {
        {0x000000FF, QColor(255, 0, 0)}, {0x0000FF00, QColor(0, 255, 0)},
        {0x00FF0000, QColor(0, 0, 255)}, {0x00000000, QColor(0, 0, 0)},
        {0x00563412, QColor(0x12, 0x34, 0x56)},
    };
    for (const Row& r : rows)
        EXPECT_EQ(colorFromRef(r.ref), r.colour) << std::hex << r.ref;
}

TEST(ColorFromRef, SystemColoursShowAsTheSealDrawsThem)
{
    // The button's face and the seal's ink agree for every system colour:
    // drawn with that ForeColor, the ring is the button's colour.
    for (uint32_t index : {0u, 5u, 8u, 13u, 15u, 18u, 24u, 99u}) {
        const int32_t ref = int32_t(0x80000000u | index);
        Plomet seal;
        seal.InitProperties();
        seal.setForeColor(ref);
        seal.Draw();
        const QImage pixels = seal.image()->pixels();
        // The middle of the ring's band on the middle row (its edges are
        // blended with the background).
        const int y = pixels.height() / 2;
        const QColor background = pixels.pixelColor(0, y);
        int from = 0;
        while (from < pixels.width() / 2 && pixels.pixelColor(from, y) == background)
            ++from;
        int to = from;
        while (to < pixels.width() / 2 && pixels.pixelColor(to, y) != background)
            ++to;
        // No band at all: the ink is the background's colour.
        const QColor ink = to > from ? pixels.pixelColor((from + to) / 2, y) : background;
        EXPECT_EQ(colorFromRef(ref).rgb(), ink.rgb()) << index;
    }
}

// --- the window ---------------------------------------------------------

TEST_F(SettingsDialog, WindowCaptionSizeLabelsAndPlaces)
{
    open();
    EXPECT_EQ(dlg_->windowTitle(), QStringLiteral("设置"));
    // The classic area and the preview pane right of it.
    EXPECT_EQ(dlg_->size(), QSize((6570 + frmOption::kPreviewWidthTwips) / 15, 6825 / 15));
    EXPECT_EQ(dlg_->parentWidget(), nullptr);
    EXPECT_FALSE(dlg_->isModal());
    EXPECT_TRUE(dlg_->testAttribute(Qt::WA_DeleteOnClose));

    QStringList labels;
    for (QLabel* l : dlg_->findChildren<QLabel*>())
        if (l->geometry().left() < 6570 / 15 && l->objectName() != QLatin1String("sizeMm"))
            labels << l->text();
    const QStringList expectedLabels{"公司名称:", "章附名行1:", "章附名行2:", "公章宽度:", "公章高度:",
                                     "尺寸:", "字体:", "尺寸:", "字符间隔：", "个字符",
                                     "方向(角度):", "-1为自动。"};
    EXPECT_EQ(labels, expectedLabels);

    struct Place { const char* name; const char* caption; int l, t, w, h; };
    const Place places[] = {
        {"rText", nullptr, 2040, 480, 2895, 375},      {"cHeight", nullptr, 2040, 2880, 2895, 375},
        {"chkDist", "保持一致", 5040, 2880, 1335, 495}, {"chkStar", "显示中央标志", 720, 3600, 1935, 375},
        {"MidSign", nullptr, 2640, 3600, 495, 375},    {"cboStarSize", nullptr, 4080, 3600, 855, 315},
        {"cboFont", nullptr, 1560, 4320, 1215, 300},   {"chkFontBold", "粗体", 5160, 4320, 855, 255},
        {"CharSpace", nullptr, 1800, 4800, 615, 375},  {"cmdColor", "更改颜色", 3600, 4800, 1335, 375},
        {"Degree", nullptr, 2055, 5430, 1575, 285},    {"cmdOption", "更 改", 1200, 6120, 1335, 375},
        {"cmdRefresh", "应 用", 3240, 6120, 1335, 375},
        // Opens the "样式" dialog, beside the classic buttons.
        {"cmdStyle", "样 式…", 4800, 6120, 1215, 375},
    };
    for (const Place& p : places) {
        QWidget* w = dlg_->findChild<QWidget*>(QLatin1String(p.name));
        ASSERT_NE(w, nullptr) << p.name;
        EXPECT_EQ(w->geometry(), QRect(p.l / 15, p.t / 15, p.w / 15, p.h / 15)) << p.name;
        if (p.caption) {
            const auto* b = qobject_cast<QAbstractButton*>(w);
            ASSERT_NE(b, nullptr) << p.name;
            EXPECT_EQ(b->text(), QString::fromUtf8(p.caption)) << p.name;
        }
    }
    EXPECT_TRUE(button("cmdRefresh")->isDefault());
}

TEST_F(SettingsDialog, TabFollowsTheFocusOrder)
{
    open();
    const QStringList expected{"rText", "pText", "pText1", "cWidth", "cHeight", "cboFont",
                               "cboSize", "CharSpace", "cmdOption", "cmdColor", "chkStar",
                               "chkDist", "cboStarSize", "MidSign", "Degree", "chkFontBold",
                               "cmdRefresh", "cmdStyle", "rText"};
    QStringList seen{QStringLiteral("rText")};
    QWidget* w = edit("rText");
    while (seen.size() < expected.size()) {
        do
            w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus || w->objectName().isEmpty()
               || w->parentWidget() != dlg_.data());
        seen << w->objectName();
    }
    EXPECT_EQ(seen, expected);
}

} // namespace

// --- the preview ----------------------------------------------------------

namespace {
// QTest::qWaitFor with the preview's patience.
bool waitFor(const std::function<bool()>& condition)
{
    return QTest::qWaitFor(condition, 3000);
}
} // namespace

TEST_F(SettingsDialog, PreviewFollowsTypingWhileTheSealWaitsForApply)
{
    seal().setRText(QStringLiteral("原来的公司"));
    seal().Draw();
    open();
    ASSERT_TRUE(waitFor([&] { return dlg_->preview().seal().rText() == QStringLiteral("原来的公司"); }));
    const QImage mainBefore = seal().image()->pixels();
    QSignalSpy mainDrawn(&seal(), &Plomet::drawn);

    struct Step { const char* field; QString text; std::function<bool(const Plomet&)> shows; };
    const Step steps[] = {
        {"rText", QStringLiteral("预览公司"), [](const Plomet& p) { return p.rText() == QStringLiteral("预览公司"); }},
        {"Degree", QStringLiteral("45"), [](const Plomet& p) { return p.Degree() == 45.0; }},
        {"cWidth", QStringLiteral("3000"), [](const Plomet& p) { return p.Width() == 3000.0f && p.Height() == 3000.0f; }},
        {"cboSize", QStringLiteral("20"), [](const Plomet& p) { return p.FontSize() == 20.0f; }},
    };
    for (const Step& st : steps) {
        QWidget* w = dlg_->findChild<QWidget*>(QLatin1String(st.field));
        ASSERT_NE(w, nullptr) << st.field;
        retype(w, st.text);
        EXPECT_TRUE(waitFor([&] { return st.shows(dlg_->preview().seal()); })) << st.field;
    }
    check("chkFontBold")->click();
    const bool bold = check("chkFontBold")->isChecked();
    EXPECT_TRUE(waitFor([&] { return dlg_->preview().seal().FontBold() == bold; }));

    // The preview's picture is the typed seal; the main window's is unchanged.
    Plomet expected;
    expected.InitProperties();
    PropertyBag bag;
    dlg_->preview().seal().WriteProperties(bag);
    expected.setWidth(3000.0f);
    expected.setHeight(3000.0f);
    expected.ReadProperties(bag);
    EXPECT_EQ(dlg_->preview().seal().image()->pixels(), expected.image()->pixels());
    EXPECT_EQ(mainDrawn.count(), 0);
    EXPECT_EQ(seal().rText(), QStringLiteral("原来的公司"));
    EXPECT_EQ(seal().image()->pixels(), mainBefore);

    // "应 用" brings the seal to what the preview showed.
    button("cmdRefresh")->click();
    EXPECT_EQ(seal().rText(), QStringLiteral("预览公司"));
    EXPECT_EQ(seal().image()->pixels(), expected.image()->pixels());
}

TEST_F(SettingsDialog, PreviewSaysWhatApplyWouldRefuse)
{
    open();
    retype(edit("rText"), QStringLiteral("半途公司"));
    retype(edit("cWidth"), QStringLiteral("abc"));
    auto* note = dlg_->findChild<QLabel*>(QStringLiteral("previewNote"));
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(waitFor([&] { return note->text().contains(QStringLiteral("公章宽度")); })) << note->text().toStdString();
    // The fields before the bad one show, as "应 用" would write them.
    EXPECT_EQ(dlg_->preview().seal().rText(), QStringLiteral("半途公司"));
    EXPECT_NE(seal().rText(), QStringLiteral("半途公司"));
    retype(edit("cWidth"), QStringLiteral("2000"));
    EXPECT_TRUE(waitFor([&] { return note->text().isEmpty(); }));
}

TEST_F(SettingsDialog, ColourDialogOpensAtTheSealsColour)
{
    seal().setForeColor(0x00563412);
    open();
    QColor shown;
    ModalAnswerer answer([&](QWidget* w) {
        if (auto* d = qobject_cast<QColorDialog*>(w)) {
            shown = d->currentColor();
            d->reject();
        } else {
            w->close();
        }
    });
    button("cmdColor")->click();
    EXPECT_EQ(shown, QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(seal().ForeColor(), 0x00563412) << "cancel changed the colour";
}

TEST_F(SettingsDialog, OpenDialogReadsTheSealAgainWhenItChangesOutside)
{
    QTemporaryDir dir;
    const QString file = QDir(dir.path()).filePath(QStringLiteral("other.PMF"));
    {
        Plomet other;
        other.InitProperties();
        other.setRText(QStringLiteral("另一个公司"));
        other.setDegree(30.0);
        SavePMF(other, file);
    }
    main_->cmdOption_Click();   // as "设 置" opens it
    dlg_ = main_->optionDialog();
    ASSERT_NE(dlg_, nullptr);
    retype(edit("rText"), QStringLiteral("没应用的名字"));
    retype(edit("Degree"), QStringLiteral("77"));

    main_->openFile(file);
    EXPECT_EQ(edit("rText")->text(), QStringLiteral("另一个公司"));
    EXPECT_EQ(edit("Degree")->text(), QStringLiteral("30"));
    // "应 用" now keeps the seal just opened.
    button("cmdRefresh")->click();
    EXPECT_EQ(seal().rText(), QStringLiteral("另一个公司"));
    EXPECT_EQ(seal().Degree(), 30.0);

    main_->cmdInit_Click();
    EXPECT_EQ(edit("rText")->text(), QStringLiteral("中山Qorvel软件有限公司"));
    EXPECT_EQ(edit("Degree")->text(), QStringLiteral("-1"));
    button("cmdRefresh")->click();
    EXPECT_EQ(seal().rText(), QStringLiteral("中山Qorvel软件有限公司"));

    main_->undo();
    EXPECT_EQ(edit("rText")->text(), QStringLiteral("另一个公司"));
}
