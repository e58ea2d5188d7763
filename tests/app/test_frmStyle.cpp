// The "样式" dialog: opened from the classic dialog and the seal's context
// menu; "应 用" writes all fields or none, the close box throws the edits
// away, a bad field is named; presets fill the fields; the preview follows;
// the 做旧 group's level, seed and "换一个"; what it applies is one undo
// step, and it reads the seal again after one.
#include "app/ExportMenu.h"
#include "ModalDriver.h"
#include "UntouchedSeals.h"
#include "seal/Plomet.h"
#include "seal/PlometWidget.h"
#include "app/frmMain.h"
#include "app/frmOption.h"
#include "app/frmStyle.h"

#include <gtest/gtest.h>
#include <functional>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QUndoStack>

using namespace plomet;
using namespace plomet::test;

// QtTest's QTRY_ macros report to QtTest, which a gtest run does not hear (a
// timed-out QTRY_COMPARE passed): this waits the same way and fails the test.
#define EXPECT_EVENTUALLY(condition) \
    EXPECT_TRUE(QTest::qWaitFor([&] { return bool(condition); }, 5000)) << #condition

namespace {

class StyleDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        main_ = std::make_unique<frmMain>();
        seal().Draw();
    }
    void TearDown() override
    {
        clearDrivers();
        QList<QPointer<QWidget>> dialogs;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<frmStyle*>(w) || qobject_cast<frmOption*>(w))
                dialogs << w;
        for (const QPointer<QWidget>& w : dialogs)
            delete w.data();
        main_.reset();
    }
    Plomet& seal() { return main_->Plomet1(); }

    frmStyle& open()
    {
        dlg_ = frmStyle::showFor(seal());
        return *dlg_;
    }
    template <class T> T* field(const char* name)
    {
        T* w = dlg_->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit* edit(const char* name) { return field<QLineEdit>(name); }
    // The message box that "应 用" may open, answered and kept.
    QString pressApply()
    {
        QString message;
        auto dog = watchdog();
        whenModal([&](QWidget* w) {
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                message = box->text();
                box->accept();
            }
        });
        QTest::mouseClick(field<QPushButton>("cmdRefresh"), Qt::LeftButton);
        clearDrivers();
        EXPECT_FALSE(*dog);
        return message;
    }

    std::unique_ptr<frmMain> main_;
    QPointer<frmStyle> dlg_;
};

TEST_F(StyleDialog, OpensFromTheClassicDialogAndTheContextMenu)
{
    // The classic dialog's button, beside its own ones.
    auto* option = new frmOption(*main_);
    option->show();
    auto* cmdStyle = option->findChild<QPushButton*>(QStringLiteral("cmdStyle"));
    ASSERT_NE(cmdStyle, nullptr);
    EXPECT_EQ(cmdStyle->text(), QStringLiteral("样 式…"));
    QTest::mouseClick(cmdStyle, Qt::LeftButton);
    frmStyle* fromOption = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* s = qobject_cast<frmStyle*>(w); s && s->isVisible())
            fromOption = s;
    ASSERT_NE(fromOption, nullptr);
    EXPECT_EQ(fromOption->windowTitle(), QStringLiteral("样式"));
    EXPECT_FALSE(fromOption->isModal());
    EXPECT_EQ(frmStyle::showFor(seal()), fromOption) << "one dialog per seal";
    delete fromOption;

    // The seal's context menu.
    auto* sealWidget = main_->findChild<PlometWidget*>();
    ASSERT_NE(sealWidget, nullptr);
    main_->show();
    // The menu must open on a window that is already active: an activation
    // that arrives while the menu runs closes it at once.
    main_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main_.get()));
    auto dog = watchdog();
    QTimer picker;
    picker.setInterval(10);
    QObject::connect(&picker, &QTimer::timeout, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            picker.stop();
            for (QAction* a : menu->actions())
                if (a->objectName() == QLatin1String("styleDialog"))
                    menu->setActiveAction(a);
            QTest::keyClick(menu, Qt::Key_Return);
        }
    });
    picker.start();
    const QPoint at = sealWidget->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, sealWidget->mapToGlobal(at));
    QApplication::sendEvent(sealWidget, &event);
    frmStyle* fromMenu = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* s = qobject_cast<frmStyle*>(w); s && s->isVisible())
            fromMenu = s;
    EXPECT_NE(fromMenu, nullptr);
    EXPECT_FALSE(*dog);
}

TEST_F(StyleDialog, ApplyWritesEveryFieldAndDraws)
{
    open();
    field<QComboBox>("Shape")->setCurrentIndex(1);   // 椭圆
    edit("RingWidth")->setText(QStringLiteral("2mm"));
    edit("InnerRing")->setText(QStringLiteral("0.3mm"));
    edit("CodeText")->setText(QStringLiteral("1234567890123"));
    edit("MidText")->setText(QStringLiteral("91110000123456789X"));
    edit("MidTextWidth")->setText(QStringLiteral("400"));   // twips
    field<QCheckBox>("Fit")->setChecked(true);
    EXPECT_EQ(seal().shape(), Shape::Round) << "typing writes nothing";
    QSignalSpy drawn(&seal(), &Plomet::drawn);
    EXPECT_EQ(pressApply(), QString());
    EXPECT_EQ(seal().shape(), Shape::Oval);
    EXPECT_EQ(seal().RingWidth(), 113);   // 2 mm in whole twips
    EXPECT_EQ(seal().InnerRing(), 17);
    EXPECT_EQ(seal().CodeText(), QStringLiteral("1234567890123"));
    EXPECT_EQ(seal().MidText(), QStringLiteral("91110000123456789X"));
    EXPECT_EQ(seal().MidTextWidth(), 400);
    EXPECT_TRUE(seal().Fit());
    EXPECT_EQ(drawn.count(), 1);
    EXPECT_TRUE(dlg_ && dlg_->isVisible()) << "应 用 keeps the dialog open";
}

TEST_F(StyleDialog, ApplyWithoutATouchChangesNothing)
{
    for (const UntouchedSeal& row : kUntouchedSeals) {
        applyUntouched(seal(), row);
        const SealSpec before = seal().spec();
        open();
        EXPECT_EQ(pressApply(), QString()) << row.name;
        for (const PropertyRow& r : propertyRows())
            EXPECT_EQ(seal().value(r), r.get(before)) << row.name << ": " << r.name;
        delete dlg_.data();
    }
}

TEST_F(StyleDialog, CloseBoxCloseButtonAndEscapeThrowTheEditsAway)
{
    const double ring = seal().RingWidth();
    const float width = seal().Width();
    const std::function<void()> closers[] = {
        [&] { dlg_->close(); },
        [&] { QTest::mouseClick(field<QPushButton>("cmdClose"), Qt::LeftButton); },
        [&] { QTest::keyClick(edit("CodeText"), Qt::Key_Escape); },
    };
    for (const auto& closeIt : closers) {
        open();
        // Every length shows in millimetres, zero too.
        EXPECT_EQ(edit("InnerRing")->text(), QStringLiteral("0mm"));
        EXPECT_TRUE(edit("RingWidth")->text().endsWith(QStringLiteral("mm")));
        edit("RingWidth")->setText(QStringLiteral("3mm"));
        edit("CodeText")->setText(QStringLiteral("999"));
        dlg_->applyPreset(QStringLiteral("发票专用章"));
        QSignalSpy drawn(&seal(), &Plomet::drawn);
        closeIt();
        EXPECT_EVENTUALLY(dlg_.isNull());   // closed and gone
        EXPECT_EQ(seal().RingWidth(), ring);
        EXPECT_EQ(seal().CodeText(), QString());
        EXPECT_EQ(seal().shape(), Shape::Round);
        EXPECT_EQ(seal().Width(), width);
        EXPECT_EQ(drawn.count(), 0);
    }
}

TEST_F(StyleDialog, BadFieldsAreNamedAndNothingIsWritten)
{
    const struct { const char* field; const char* text; const char* label; } rows[] = {
        {"CodeFontSize", "abc", "防伪码字号"},
        {"RingWidth", "1.2 cm", "边框宽度"},
        {"MidFontSize", "", "中间行字号"},
        {"InnerRingGap", "mm", "内圈间距"},
    };
    open();
    for (const auto& row : rows) {
        dlg_->ReadData();
        edit("CodeText")->setText(QStringLiteral("written only with the rest"));
        edit(row.field)->setText(QString::fromUtf8(row.text));
        EXPECT_EVENTUALLY(dlg_->previewProblem().contains(QString::fromUtf8(row.label)));
        const QString message = pressApply();
        EXPECT_TRUE(message.contains(QString::fromUtf8(row.label))) << message.toStdString();
        EXPECT_EQ(seal().CodeText(), QString()) << row.field << ": all fields or none";
        EXPECT_EQ(edit(row.field)->text(), QString::fromUtf8(row.text)) << "the text stays to be mended";
    }
}

TEST_F(StyleDialog, PresetFillsTheFieldsAndThePreviewFollows)
{
    open();
    dlg_->applyPreset(QStringLiteral("发票专用章"));
    EXPECT_EQ(field<QComboBox>("Shape")->currentData().toString(), QStringLiteral("Oval"));
    EXPECT_EQ(edit("RingWidth")->text(), QStringLiteral("1mm"));
    EXPECT_EQ(edit("MidTextWidth")->text(), QStringLiteral("23.4mm"));
    EXPECT_TRUE(field<QCheckBox>("Fit")->isChecked());
    // The preview shows the pending seal; the seal itself waits for 应 用.
    EXPECT_EVENTUALLY(dlg_->preview().shape() == Shape::Oval);
    EXPECT_EQ(dlg_->preview().FontName(), QStringLiteral("仿宋"));
    EXPECT_EQ(seal().shape(), Shape::Round);
    edit("MidText")->setText(QStringLiteral("91110000123456789X"));
    EXPECT_EVENTUALLY(dlg_->preview().MidText() == QStringLiteral("91110000123456789X"));
    EXPECT_EQ(pressApply(), QString());
    EXPECT_EQ(seal().shape(), Shape::Oval);
    EXPECT_EQ(seal().FontName(), QStringLiteral("仿宋"));
    EXPECT_EQ(seal().pText(), QStringLiteral("发票专用章"));
    EXPECT_EQ(seal().Height(), 1786.0f);   // 30 mm across the band: 31.5 mm of control
    EXPECT_EQ(seal().Width(), 2353.0f);
    EXPECT_EQ(seal().MidText(), QStringLiteral("91110000123456789X"));

    // Another size scales the preset.
    field<QComboBox>("cboPreset")->setCurrentText(QStringLiteral("公章"));
    edit("presetSize")->setText(QStringLiteral("38"));
    QTest::mouseClick(field<QPushButton>("cmdPreset"), Qt::LeftButton);
    EXPECT_EVENTUALLY(dlg_->preview().shape() == Shape::Round);
    EXPECT_EQ(dlg_->preview().Width(), 2262.0f);   // 1.05 x 38 mm
    EXPECT_EQ(dlg_->preview().MidText(), QString());
}

// The worn-ink controls: the preview wears as the slider and seed change,
// "换一个" gives another wear, a bad seed is named, "应 用" writes both, the
// dialog shows them again when reopened, and the close box drops them.
TEST_F(StyleDialog, AgingLevelSeedAndAnotherWear)
{
    open();
    ASSERT_TRUE(dlg_->agingGroup()->isVisible());
    auto* level = field<QSlider>("Aging");
    QLineEdit* seed = edit("AgingSeed");
    ASSERT_TRUE(level && seed);
    EXPECT_EQ(level->value(), 0);
    EXPECT_EQ(seed->text(), QStringLiteral("0"));
    const QImage unworn = dlg_->preview().image()->pixels();

    level->setValue(50);
    seed->setText(QStringLiteral("7"));
    EXPECT_EVENTUALLY(dlg_->preview().AgingSeed() == 7);
    EXPECT_EQ(dlg_->preview().Aging(), 50);
    EXPECT_EQ(field<QLabel>("AgingValue")->text(), QStringLiteral("50"));
    const QImage seven = dlg_->preview().image()->pixels();
    EXPECT_NE(seven, unworn);
    EXPECT_EQ(seal().Aging(), 0) << "moving the slider writes nothing";

    QTest::mouseClick(field<QPushButton>("cmdAnotherSeed"), Qt::LeftButton);
    EXPECT_NE(seed->text(), QStringLiteral("7"));
    EXPECT_EVENTUALLY(dlg_->preview().AgingSeed() != 7);
    EXPECT_EQ(QString::number(dlg_->preview().AgingSeed()), seed->text());
    EXPECT_NE(dlg_->preview().image()->pixels(), seven);

    seed->setText(QStringLiteral("seven"));
    EXPECT_EVENTUALLY(dlg_->previewProblem().contains(QStringLiteral("随机种子")));
    EXPECT_TRUE(pressApply().contains(QStringLiteral("随机种子")));
    EXPECT_EQ(seal().Aging(), 0) << "all fields or none";

    seed->setText(QStringLiteral("7"));
    EXPECT_EQ(pressApply(), QString());
    EXPECT_EQ(seal().Aging(), 50);
    EXPECT_EQ(seal().AgingSeed(), 7);
    EXPECT_EQ(seal().image()->pixels(), seven) << "the seal wears as the preview did";

    dlg_->close();
    EXPECT_EVENTUALLY(dlg_.isNull());
    open();
    EXPECT_EQ(field<QSlider>("Aging")->value(), 50);
    EXPECT_EQ(edit("AgingSeed")->text(), QStringLiteral("7"));
    field<QSlider>("Aging")->setValue(80);
    dlg_->close();
    EXPECT_EVENTUALLY(dlg_.isNull());
    EXPECT_EQ(seal().Aging(), 50);
}

TEST_F(StyleDialog, ApplyIsOneUndoStepAndTheOpenDialogsFollow)
{
    auto pixels = [&] { return seal().image() ? seal().image()->pixels() : QImage(); };
    const QImage before = pixels();
    const float width = seal().Width();
    main_->cmdOption_Click();   // the classic dialog, open beside it
    frmOption* classic = main_->optionDialog();
    ASSERT_NE(classic, nullptr);
    QLineEdit* classicWidth = classic->findChild<QLineEdit*>(QStringLiteral("cWidth"));
    ASSERT_NE(classicWidth, nullptr);
    const QString widthText = classicWidth->text();

    open();
    dlg_->applyPreset(QStringLiteral("发票专用章"));
    edit("CodeText")->setText(QStringLiteral("1234567890123"));
    field<QSlider>("Aging")->setValue(40);
    edit("AgingSeed")->setText(QStringLiteral("9"));
    EXPECT_EQ(pressApply(), QString());
    ASSERT_EQ(seal().shape(), Shape::Oval);
    ASSERT_EQ(seal().Aging(), 40);
    const QImage after = pixels();
    EXPECT_NE(after, before);
    EXPECT_EQ(main_->undoStack().count(), 1) << "the preset and the fields are one step";
    EXPECT_NE(classicWidth->text(), widthText) << "the classic dialog shows the preset's size";

    main_->undo();
    EXPECT_EQ(seal().shape(), Shape::Round);
    EXPECT_EQ(seal().CodeText(), QString());
    EXPECT_EQ(seal().Aging(), 0);
    EXPECT_EQ(seal().AgingSeed(), 0);
    EXPECT_EQ(seal().Width(), width);
    EXPECT_EQ(pixels(), before);
    // Both dialogs read the seal again: 应 用 now writes nothing stale.
    EXPECT_EQ(field<QComboBox>("Shape")->currentData().toString(), QStringLiteral("Round"));
    EXPECT_EQ(edit("CodeText")->text(), QString());
    EXPECT_EQ(field<QSlider>("Aging")->value(), 0);
    EXPECT_EQ(classicWidth->text(), widthText);
    EXPECT_EQ(pressApply(), QString());
    EXPECT_EQ(seal().shape(), Shape::Round);
    EXPECT_EQ(main_->undoStack().count(), 1) << "applying unchanged fields adds no step";

    main_->redo();
    EXPECT_EQ(seal().shape(), Shape::Oval);
    EXPECT_EQ(seal().CodeText(), QStringLiteral("1234567890123"));
    EXPECT_EQ(seal().Aging(), 40);
    EXPECT_EQ(seal().AgingSeed(), 9);
    EXPECT_EQ(pixels(), after);
    EXPECT_EQ(edit("CodeText")->text(), QStringLiteral("1234567890123"));
}

TEST_F(StyleDialog, PreviewFollowsTheSealWhenItChangesElsewhere)
{
    open();
    edit("CodeText")->setText(QStringLiteral("1234567890123"));
    EXPECT_EVENTUALLY(dlg_->preview().CodeText() == QStringLiteral("1234567890123"));
    // The settings dialog applies a new name while this one holds an edit.
    main_->recordChange(QStringLiteral("设置"), [&] {
        seal().setRText(QStringLiteral("别处改的名字有限公司"));
        seal().Draw();
    });
    EXPECT_EVENTUALLY(dlg_->preview().rText() == QStringLiteral("别处改的名字有限公司"));
    EXPECT_EQ(dlg_->preview().CodeText(), QStringLiteral("1234567890123")) << "the pending edit stays";
    EXPECT_EQ(seal().CodeText(), QString());
}

} // namespace
