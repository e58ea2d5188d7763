// Qt's own dialogs speak the user's language: run with LANG=zh_CN.UTF-8, the
// standard buttons of a message box and of the colour and file dialogs read
// Chinese once the program has loaded Qt's translations.
#include "platform/modMain.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace plomet;

TEST(QtTranslations, StandardButtonsAreChineseUnderAChineseLocale)
{
    ASSERT_EQ(QLocale().name(), QStringLiteral("zh_CN")) << "run with LANG=zh_CN.UTF-8";
    QMessageBox before(QMessageBox::NoIcon, QStringLiteral("t"), QStringLiteral("t"),
                       QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(before.button(QMessageBox::Ok)->text(), QStringLiteral("OK")) << "translated before loading";

    ASSERT_TRUE(loadQtTranslations());
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("t"), QStringLiteral("t"),
                    QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No);
    struct Row { QMessageBox::StandardButton button; const char* text; } rows[] = {
        {QMessageBox::Ok, "确定"}, {QMessageBox::Cancel, "取消"},
        {QMessageBox::Yes, "是"}, {QMessageBox::No, "否"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(box.button(r.button)->text().remove(u'&').remove(QStringLiteral("(Y)")).remove(QStringLiteral("(N)")),
                  QString::fromUtf8(r.text));

    QColorDialog colour;
    colour.setOption(QColorDialog::DontUseNativeDialog);
    auto* colourButtons = colour.findChild<QDialogButtonBox*>();
    ASSERT_NE(colourButtons, nullptr);
    EXPECT_EQ(colourButtons->button(QDialogButtonBox::Ok)->text(), QStringLiteral("确定"));
    EXPECT_EQ(colourButtons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));

    QFileDialog file;
    file.setOption(QFileDialog::DontUseNativeDialog);
    file.setAcceptMode(QFileDialog::AcceptOpen);
    auto* fileButtons = file.findChild<QDialogButtonBox*>();
    ASSERT_NE(fileButtons, nullptr);
    EXPECT_EQ(fileButtons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
}
