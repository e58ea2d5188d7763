// "盖章到PDF…": the page shown at its true proportions, the seal dragged and
// turned, single and cross-page seals saved where the preview showed them,
// a failing save reported in a message box while the dialog stays, and 签名
// signing with the seal, the result saying whether the signature verified.
#include "ModalDriver.h"
#include "stamp/PdfStamp.h"
#include "seal/Plomet.h"
#include "app/StampDialog.h"
#include "platform/modMain.h"

#include <QLabel>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace plomet;

namespace {

bool isRed(QRgb c) { return qRed(c) > 150 && qGreen(c) < 110 && qBlue(c) < 110; }

// The red's bounds on one page rendered at ten pixels a millimetre, in mm.
QRectF redBoundsMm(const QString& pdf, int page)
{
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("p"));
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-f"),
                                         QString::number(page), QStringLiteral("-l"), QString::number(page),
                                         QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, base});
    p.waitForFinished(60000);
    const QImage img = QImage(base + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
    int x0 = img.width(), y0 = img.height(), x1 = -1, y1 = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (isRed(img.pixel(x, y))) {
                x0 = std::min(x0, x); x1 = std::max(x1, x);
                y0 = std::min(y0, y); y1 = std::max(y1, y);
            }
    return x1 < 0 ? QRectF() : QRectF(x0 / 10.0, y0 / 10.0, (x1 - x0 + 1) / 10.0, (y1 - y0 + 1) / 10.0);
}

class StampDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The windows speak Chinese, as the program loads them.
        static const bool translated = loadQtTranslations();
        ASSERT_TRUE(translated);
        // Two pages: A4 upright, then A5 lying.
        pdf_ = dir_.filePath(QStringLiteral("doc.pdf"));
        QPdfWriter w(pdf_);
        w.setPageSize(QPageSize(QPageSize::A4));
        w.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter p(&w);
        p.drawText(QPointF(100, 100), QStringLiteral("first page"));
        w.setPageLayout(QPageLayout(QPageSize(QPageSize::A5), QPageLayout::Landscape, QMarginsF(0, 0, 0, 0)));
        w.newPage();
        p.drawText(QPointF(100, 100), QStringLiteral("second page"));
        p.end();

        seal_.InitProperties();
        seal_.Draw();
        dialog_ = std::make_unique<StampDialog>(nullptr, pdf_, inspectPdf(pdf_), seal_.image());
        dialog_->resize(800, 700);
        dialog_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog_.get()));
    }
    void TearDown() override { plomet::test::clearDrivers(); }

    QTemporaryDir dir_;
    QString pdf_;
    Plomet seal_;
    std::unique_ptr<StampDialog> dialog_;
};

TEST_F(StampDialogTest, DragTurnAndSaveWhereShown)
{
    // The page at its true proportions, for both sizes.
    for (int page : {0, 1}) {
        dialog_->showPage(page);
        // QTRY_VERIFY would report to QtTest, which gtest does not hear.
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog_->previewScale() > 0; }, 5000));
        dialog_->preview()->repaint();
        const QSizeF mm = dialog_->shownPageSizeMm();
        EXPECT_NEAR(mm.width(), 210, 0.5);
        EXPECT_NEAR(mm.height(), page == 0 ? 297 : 148, 0.5);
    }
    dialog_->showPage(0);
    dialog_->preview()->repaint();

    // Drag the seal 60 x 40 pixels from where it is.
    const QPointF before = dialog_->sealCentreMm();
    const double scale = dialog_->previewScale();
    QWidget* view = dialog_->preview();
    const QPoint start = view->rect().center();
    QTest::mousePress(view, Qt::LeftButton, {}, start);
    QMouseEvent move(QEvent::MouseMove, QPointF(start + QPoint(30, 20)), view->mapToGlobal(QPointF(start + QPoint(30, 20))),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(view, &move);
    QMouseEvent move2(QEvent::MouseMove, QPointF(start + QPoint(60, 40)), view->mapToGlobal(QPointF(start + QPoint(60, 40))),
                      Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(view, &move2);
    QTest::mouseRelease(view, Qt::LeftButton, {}, start + QPoint(60, 40));
    const QPointF moved = dialog_->sealCentreMm() - before;
    EXPECT_NEAR(moved.x(), 60 / scale, 1e-6);
    EXPECT_NEAR(moved.y(), 40 / scale, 1e-6);
    // The millimetre fields follow the drag, and typing in them moves the seal.
    auto* x = dialog_->findChild<QDoubleSpinBox*>(QStringLiteral("x"));
    auto* y = dialog_->findChild<QDoubleSpinBox*>(QStringLiteral("y"));
    ASSERT_TRUE(x && y);
    EXPECT_NEAR(x->value(), dialog_->sealCentreMm().x(), 0.05);
    EXPECT_NEAR(y->value(), dialog_->sealCentreMm().y(), 0.05);
    const QPointF dragged = dialog_->sealCentreMm();
    x->setValue(50);
    y->setValue(60);
    EXPECT_EQ(dialog_->sealCentreMm(), QPointF(50, 60));
    EXPECT_EQ(x->suffix(), QStringLiteral(" 毫米"));
    EXPECT_TRUE(dialog_->findChild<QLabel*>(QStringLiteral("status"))->text().startsWith(QStringLiteral("印章中心：距左 50.0 毫米")))
        << dialog_->findChild<QLabel*>(QStringLiteral("status"))->text().toStdString();
    x->setValue(dragged.x());
    y->setValue(dragged.y());

    dialog_->findChild<QDoubleSpinBox*>(QStringLiteral("angle"))->setValue(25);
    // The preview shows the seal there, over the page.
    const QImage shot = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (qEnvironmentVariableIsSet("PLOMET_STAMP_SHOT"))
        shot.save(qEnvironmentVariable("PLOMET_STAMP_SHOT"));
    int shown = 0;
    // The page is centred in the view at the preview's scale.
    const QSizeF pagePx = dialog_->shownPageSizeMm() * scale;
    const QPoint at = (QRectF(view->rect()).center() - QPointF(pagePx.width(), pagePx.height()) / 2
                       + dialog_->sealCentreMm() * scale).toPoint();
    for (int y = at.y() - 40; y <= at.y() + 40; ++y)
        for (int x = at.x() - 40; x <= at.x() + 40; ++x)
            shown += shot.rect().contains(x, y) && isRed(shot.pixel(x, y));
    EXPECT_GT(shown, 100);
    const QString out = dir_.filePath(QStringLiteral("single.pdf"));
    ASSERT_TRUE(dialog_->saveTo(out));
    const QRectF red = redBoundsMm(out, 1);
    ASSERT_TRUE(red.isValid());
    EXPECT_NEAR(red.center().x(), dialog_->sealCentreMm().x(), 0.3);
    EXPECT_NEAR(red.center().y(), dialog_->sealCentreMm().y(), 0.3);
    EXPECT_FALSE(redBoundsMm(out, 2).isValid());
}

TEST_F(StampDialogTest, CrossPageSealOverBothPages)
{
    dialog_->findChild<QComboBox*>(QStringLiteral("mode"))->setCurrentIndex(1);
    EXPECT_EQ(dialog_->findChild<QLineEdit*>(QStringLiteral("pages"))->text(), QStringLiteral("all"));
    dialog_->setSealCentreMm(QPointF(0, 70));
    const auto imp = dialog_->shownImpression();
    ASSERT_TRUE(imp && imp->clipMm);
    const double pageW = dialog_->shownPageSizeMm().width();
    EXPECT_NEAR(imp->clipMm->right(), pageW, 1e-6);

    const QString out = dir_.filePath(QStringLiteral("straddle.pdf"));
    ASSERT_TRUE(dialog_->saveTo(out));
    const double seal = 2055 / 1440.0 * 25.4;
    // Each page: red only in its half of the seal at its own right edge.
    const QRectF first = redBoundsMm(out, 1), second = redBoundsMm(out, 2);
    ASSERT_TRUE(first.isValid() && second.isValid());
    EXPECT_GE(first.left(), pageW - seal / 2 - 0.2);
    EXPECT_GE(second.left(), pageW - seal / 2 - 0.2);
    EXPECT_NEAR(first.center().y(), 70, 0.3);
}

TEST_F(StampDialogTest, FailureInAMessageBoxAndTheDialogStays)
{
    QString message;
    plomet::test::whenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        message = box->text();
        box->accept();
    }, dialog_.get());
    auto dog = plomet::test::watchdog();
    dialog_->findChild<QLineEdit*>(QStringLiteral("pages"))->setText(QStringLiteral("9"));
    EXPECT_FALSE(dialog_->saveTo(dir_.filePath(QStringLiteral("never.pdf"))));
    EXPECT_TRUE(message.contains(QStringLiteral("没有第 9 页"))) << message.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir_.filePath(QStringLiteral("never.pdf"))));
    EXPECT_TRUE(dialog_->isVisible());
    EXPECT_FALSE(*dog);
}

// 签名: the certificate file and password from the dialog; the message says
// the written signature verified, and pdfsig agrees. A wrong password is a
// message box and no file.
TEST_F(StampDialogTest, SignsAndSaysWhetherItVerified)
{
    QByteArray password("对的密码");
    const QString p12 = dir_.filePath(QStringLiteral("seal.p12"));
    {
        QFile f(p12);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(makeSelfSignedP12(QStringLiteral("上海测试有限公司"), password));
    }
    auto* sign = dialog_->findChild<QCheckBox*>(QStringLiteral("sign"));
    auto* certificate = dialog_->findChild<QLineEdit*>(QStringLiteral("certificate"));
    auto* passwordField = dialog_->findChild<QLineEdit*>(QStringLiteral("password"));
    ASSERT_TRUE(sign && certificate && passwordField);
    EXPECT_FALSE(certificate->isEnabled());
    sign->setChecked(true);
    EXPECT_TRUE(certificate->isEnabled());
    EXPECT_EQ(passwordField->echoMode(), QLineEdit::Password);
    certificate->setText(p12);

    const struct { const char* password; const char* message; bool written; } rows[] = {
        {"错的密码", "密码不对", false},
        {"对的密码", "签名已验证", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.password);
        passwordField->setText(QString::fromUtf8(row.password));
        QString message;
        plomet::test::whenModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            message = box->text();
            box->accept();
        }, dialog_.get());
        auto dog = plomet::test::watchdog();
        const QString out = dir_.filePath(QStringLiteral("signed.pdf"));
        EXPECT_EQ(dialog_->saveTo(out), row.written);
        EXPECT_TRUE(message.contains(QString::fromUtf8(row.message))) << message.toStdString();
        EXPECT_EQ(QFileInfo::exists(out), row.written);
        EXPECT_FALSE(*dog);
        plomet::test::clearDrivers();
        if (!row.written)
            continue;
        EXPECT_TRUE(message.contains(QStringLiteral("上海测试有限公司"))) << message.toStdString();
        QProcess p;
        p.start(QStringLiteral("pdfsig"), {out});
        p.waitForFinished(60000);
        const QString report = QString::fromUtf8(p.readAllStandardOutput());
        EXPECT_TRUE(report.contains(QStringLiteral("Signature is Valid."))) << report.toStdString();
        EXPECT_TRUE(redBoundsMm(out, 1).isValid());
    }
}

} // namespace
