// The seal's context menu and drag in the main window: the menu is there, its
// export writes valid PNG, SVG and PDF files of the current picture, cancel
// writes nothing, and a drag carries a PNG.
#include "app/ExportMenu.h"
#include "app/ExtractDialog.h"
#include "../extract/ScanMaker.h"
#include "app/StampDialog.h"
#include "ModalDriver.h"
#include "seal/Plomet.h"
#include "seal/PlometWidget.h"
#include "seal/Render.h"
#include "TestUtil.h"
#include "app/frmMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QDrag>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

using namespace plomet;
using plomet::test::clearDrivers;
using plomet::test::watchdog;
using plomet::test::whenModal;

namespace {

// Runs step on the context menu once it pops up.
void whenPopup(std::function<void(QMenu*)> step)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    plomet::test::pendingDrivers().emplace_back(timer);
    QObject::connect(timer, &QTimer::timeout, [timer, step] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        step(menu);
    });
    timer->start();
}

// Chooses the menu's export entry as a user does: down to it, Return.
void chooseExport(QMenu* menu)
{
    QAction* action = menu->findChild<QAction*>(QStringLiteral("exportPicture"));
    ASSERT_NE(action, nullptr);
    menu->setActiveAction(action);
    QTest::keyClick(menu, Qt::Key_Return);
}

// Fills the export dialog as a user does: format, resolution, background.
void chooseInExportDialog(QWidget* ask, const QString& format, int dpi, bool transparent)
{
    auto* formats = ask->findChild<QComboBox*>(QStringLiteral("format"));
    formats->setCurrentIndex(formats->findData(format));
    ask->findChild<QSpinBox*>(QStringLiteral("dpi"))->setValue(dpi);
    ask->findChild<QCheckBox*>(QStringLiteral("transparent"))->setChecked(transparent);
}

// Answers the file dialog with an absolute path.
void answerFile(QWidget* modal, const QString& path)
{
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr) << "not a file dialog";
    dialog->setDirectory(QFileInfo(path).absolutePath());
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setText(QFileInfo(path).fileName());
    QDialogButtonBox* box = dialog->findChild<QDialogButtonBox*>();
    QPushButton* button = box->button(QDialogButtonBox::Save);
    if (!button)
        button = box->button(QDialogButtonBox::Open);
    ASSERT_NE(button, nullptr);
    button->click();
}

class ExportMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        main_ = std::make_unique<frmMain>();
        main_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main_.get()));
        sealWidget_ = main_->findChild<PlometWidget*>(QStringLiteral("Plomet1"));
        ASSERT_NE(sealWidget_, nullptr);
        ASSERT_TRUE(dir_.isValid());
    }
    void TearDown() override
    {
        clearDrivers();
        main_.reset();
    }

    const SealPicture& picture() { return *main_->Plomet1().image(); }

    // The context menu as the platform asks for it: a right click on the seal.
    void rightClickSeal()
    {
        const QPoint at = sealWidget_->rect().center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, sealWidget_->mapToGlobal(at));
        QApplication::sendEvent(sealWidget_, &event);
    }

    std::unique_ptr<frmMain> main_;
    PlometWidget* sealWidget_ = nullptr;
    QTemporaryDir dir_;
};

TEST_F(ExportMenuTest, RightClickOnTheSealOffersExport)
{
    QStringList entries;
    auto dog = watchdog();
    whenPopup([&](QMenu* menu) {
        for (QAction* a : menu->actions())
            entries << a->text();
        menu->close();
    });
    rightClickSeal();
    EXPECT_EQ(entries, (QStringList{QStringLiteral("导出图片…"), QStringLiteral("盖章到PDF…"),
                                   QStringLiteral("从图片提取印章…"), QStringLiteral("样式…")}));
    EXPECT_FALSE(*dog);
    // The window's buttons stay as they are.
    QStringList buttons;
    for (QPushButton* b : main_->findChildren<QPushButton*>())
        buttons << b->objectName();
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{"cmd", "cmdCopy", "cmdInit", "cmdOpen", "cmdOption", "cmdPrint",
                                    "cmdSave", "cmdSaveAs"}));
}

struct FormatRow {
    const char* format;
    int dpi;
    bool transparent;
    const char* file;
};

TEST_F(ExportMenuTest, ExportFromTheMenuWritesEachFormat)
{
    const FormatRow rows[] = {
        {"png", 96, false, "screen.png"},
        {"png", 300, true, "print.png"},
        {"png", 600, false, "印章600.png"},
        {"bmp", 300, false, "print.bmp"},
        {"svg", 96, false, "vector.svg"},
        {"pdf", 96, false, "page.pdf"},
    };
    const double w = picture().widthTwips(), h = picture().heightTwips();
    for (const FormatRow& row : rows) {
        const QString path = QDir(dir_.path()).filePath(QString::fromUtf8(row.file));
        auto dog = watchdog(10000);
        whenPopup(chooseExport);
        whenModal([&](QWidget* modal) {
            auto* ask = qobject_cast<ExportDialog*>(modal);
            ASSERT_NE(ask, nullptr) << "not the export dialog";
            chooseInExportDialog(ask, QLatin1String(row.format), row.dpi, row.transparent);
            whenModal([&](QWidget* fileDialog) { answerFile(fileDialog, path); }, ask);
            ask->accept();
        });
        rightClickSeal();
        EXPECT_FALSE(*dog) << row.file << ": a dialog had to be closed by force";
        ASSERT_TRUE(QFileInfo::exists(path)) << row.file;
        const QByteArray bytes = plomet::test::readAll(path);

        const QString format = QLatin1String(row.format);
        if (format == QLatin1String("png") || format == QLatin1String("bmp")) {
            QImage image;
            ASSERT_TRUE(image.loadFromData(bytes, format.toUpper().toLatin1())) << row.file;
            EXPECT_EQ(image.size(), rasterSize(w, h, row.dpi)) << row.file;
            EXPECT_NEAR(image.dotsPerMeterX(), row.dpi / 0.0254, 1.0) << row.file;
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), row.transparent ? 0 : 255) << row.file;
            if (row.dpi == 96 && !row.transparent) {
                // The screen picture, pixel for pixel.
                EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32),
                          picture().pixels().convertToFormat(QImage::Format_RGB32));
            }
        } else if (format == QLatin1String("svg")) {
            QSvgRenderer svg(bytes);
            EXPECT_TRUE(svg.isValid());
            // The view box is the seal in twips or any unit proportional to it.
            const QRectF box = svg.viewBoxF();
            ASSERT_GT(box.width(), 0);
            EXPECT_NEAR(box.width() / box.height(), w / h, 1e-6);
        } else {
            EXPECT_TRUE(bytes.startsWith("%PDF-")) << row.file;
            QProcess info;
            info.start(QStringLiteral("pdfinfo"), {path});
            ASSERT_TRUE(info.waitForFinished(10000));
            const QString out = QString::fromUtf8(info.readAllStandardOutput());
            EXPECT_TRUE(out.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\b")))) << out.toStdString();
            const QRegularExpressionMatch m = QRegularExpression(
                QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")).match(out);
            ASSERT_TRUE(m.hasMatch()) << out.toStdString();
            // One page of the seal's own size: twips / 20 points, whole points at worst.
            EXPECT_NEAR(m.captured(1).toDouble(), w / 20.0, 1.0);
            EXPECT_NEAR(m.captured(2).toDouble(), h / 20.0, 1.0);
        }
    }
}

TEST_F(ExportMenuTest, CancelInEitherDialogWritesNothing)
{
    // Cancel the options.
    {
        auto dog = watchdog();
        whenPopup(chooseExport);
        whenModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
        rightClickSeal();
        EXPECT_FALSE(*dog);
    }
    // Cancel the file dialog.
    {
        auto dog = watchdog();
        whenPopup(chooseExport);
        whenModal([](QWidget* modal) {
            whenModal([](QWidget* files) {
                ASSERT_NE(qobject_cast<QFileDialog*>(files), nullptr);
                qobject_cast<QDialog*>(files)->reject();
            }, modal);
            qobject_cast<QDialog*>(modal)->accept();
        });
        rightClickSeal();
        EXPECT_FALSE(*dog);
    }
    EXPECT_TRUE(QDir(dir_.path()).entryList(QDir::Files).isEmpty());
}

// The seal is drawn again while the two dialogs are open (the settings
// dialog is modeless, a timer may fire): the export writes the picture the
// menu was opened on, of its size, and the seal keeps its new one.
TEST_F(ExportMenuTest, ARedrawWhileTheDialogsAreOpenExportsThePictureAsItWas)
{
    const QImage before = picture().pixels().convertToFormat(QImage::Format_RGB32);
    const QString path = QDir(dir_.path()).filePath(QStringLiteral("held.png"));
    auto redraw = [this](const char* name, float width) {
        Plomet& seal = main_->Plomet1();
        seal.setRText(QString::fromUtf8(name));
        seal.setWidth(width);
        seal.setHeight(width);
        seal.Draw();
    };
    auto dog = watchdog(10000);
    whenPopup(chooseExport);
    whenModal([&](QWidget* modal) {
        auto* ask = qobject_cast<ExportDialog*>(modal);
        ASSERT_NE(ask, nullptr) << "not the export dialog";
        chooseInExportDialog(ask, QStringLiteral("png"), 96, false);
        redraw("第一次重画有限公司", 3000);
        whenModal([&](QWidget* fileDialog) {
            redraw("第二次重画有限公司", 1500);
            answerFile(fileDialog, path);
        }, ask);
        ask->accept();
    });
    rightClickSeal();
    EXPECT_FALSE(*dog) << "a dialog had to be closed by force";
    QImage written;
    ASSERT_TRUE(written.load(path, "PNG"));
    EXPECT_EQ(written.convertToFormat(QImage::Format_RGB32), before);
    EXPECT_EQ(main_->Plomet1().rText(), QStringLiteral("第二次重画有限公司"));
    EXPECT_LT(picture().pixels().width(), before.width());
}

TEST_F(ExportMenuTest, AFailedWriteIsReportedAndTheProgramGoesOn)
{
    QString message;
    auto dog = watchdog(10000);
    whenPopup(chooseExport);
    whenModal([&](QWidget* modal) {
        // The file dialog refuses a missing folder itself; an unknown
        // extension gets through it and must be refused by the writer.
        whenModal([&](QWidget* files) {
            answerFile(files, QDir(dir_.path()).filePath(QStringLiteral("seal.jpg")));
            whenModal([&](QWidget* box) {
                if (auto* m = qobject_cast<QMessageBox*>(box))
                    message = m->text();
                qobject_cast<QDialog*>(box)->accept();
            }, files);
        }, modal);
        qobject_cast<QDialog*>(modal)->accept();
    });
    rightClickSeal();
    EXPECT_FALSE(*dog);
    EXPECT_TRUE(message.contains(QStringLiteral("导出图片失败"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("png"), Qt::CaseInsensitive)) << message.toStdString();
    EXPECT_TRUE(QDir(dir_.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(ExportMenuTest, ExportDialogOffersEveryFormatWithItsResolutionAndTransparency)
{
    ExportDialog ask(main_.get(), 2055, 2055);
    auto* format = ask.findChild<QComboBox*>(QStringLiteral("format"));
    auto* dpi = ask.findChild<QSpinBox*>(QStringLiteral("dpi"));
    auto* transparent = ask.findChild<QCheckBox*>(QStringLiteral("transparent"));
    auto* size = ask.findChild<QLabel*>(QStringLiteral("size"));
    ASSERT_TRUE(format && dpi && transparent && size);
    // The list is the export table's, in its order.
    QStringList offered;
    for (int i = 0; i < format->count(); ++i)
        offered << format->itemData(i).toString();
    EXPECT_EQ(offered, exportFormats());

    struct Row { const char* format; int dpi; bool transparent; bool raster; bool alpha; const char* sizeText; };
    const Row rows[] = {
        {"png", 300, true, true, true, "428 × 428 像素"},     // 2055 x 300 / 1440 = 428.1
        {"png", 96, false, true, true, "137 × 137 像素"},
        {"png", 1200, true, true, true, "1712 × 1712 像素"},  // 1712.5: half to even
        {"bmp", 300, true, true, false, "428 × 428 像素"},    // a bitmap is opaque
        {"svg", 600, true, false, false, "36.2 × 36.2 毫米（矢量图）"},
        {"pdf", 600, true, false, false, "矢量图"},
    };
    for (const Row& r : rows) {
        format->setCurrentIndex(format->findData(QLatin1String(r.format)));
        dpi->setValue(r.dpi);
        transparent->setChecked(r.transparent);
        EXPECT_EQ(ask.format(), QLatin1String(r.format));
        EXPECT_EQ(dpi->isEnabled(), r.raster) << r.format;
        EXPECT_EQ(transparent->isEnabled(), r.alpha) << r.format;
        EXPECT_TRUE(size->text().contains(QString::fromUtf8(r.sizeText))) << size->text().toStdString();
        const ExportOptions o = ask.options();
        EXPECT_EQ(o.transparent, r.alpha && r.transparent) << r.format;
        EXPECT_EQ(o.dpi, r.raster ? r.dpi : 96) << r.format;
    }
}

// --- dragging the seal out ------------------------------------------------

TEST_F(ExportMenuTest, DragDataHoldsATransparentPngOfThePictureAndAFile)
{
    std::unique_ptr<QMimeData> data(sealDragMimeData(picture(), dir_.path()));
    ASSERT_TRUE(data->hasFormat(QStringLiteral("image/png")));
    const QByteArray png = data->data(QStringLiteral("image/png"));
    ASSERT_TRUE(png.startsWith("\x89PNG\r\n\x1a\n"));
    QImage image;
    ASSERT_TRUE(image.loadFromData(png, "PNG"));
    const QImage screen = picture().pixels().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), screen.size());
    image = image.convertToFormat(QImage::Format_ARGB32);
    // Where the PNG is opaque it shows the screen's colours; the background is clear.
    int opaque = 0, clear = 0, differing = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) == 255) {
                ++opaque;
                if ((p & 0xFFFFFF) != (screen.pixel(x, y) & 0xFFFFFF))
                    ++differing;
            } else if (qAlpha(p) == 0) {
                ++clear;
            }
        }
    EXPECT_GT(opaque, 200);
    EXPECT_GT(clear, image.width() * image.height() / 2);
    EXPECT_EQ(differing, 0);
    EXPECT_TRUE(data->hasImage());

    ASSERT_EQ(data->urls().size(), 1);
    const QString file = data->urls().first().toLocalFile();
    EXPECT_EQ(plomet::test::readAll(file), png);
}

TEST_F(ExportMenuTest, DraggingTheSealStartsADragCarryingThePng)
{
    // Where the platform runs a drag loop (X11), look at the drag from inside
    // it and cancel it; where it does not (offscreen), the drag is over at
    // once and Qt deletes it later: look at it before that.
    QStringList formats;
    auto look = [&] {
        if (!formats.isEmpty())
            return true;
        auto* drag = sealWidget_->findChild<QDrag*>();
        if (!drag || !drag->mimeData())
            return false;
        formats = drag->mimeData()->formats();
        return true;
    };
    auto* timer = new QTimer;
    plomet::test::pendingDrivers().emplace_back(timer);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [&, timer] {
        if (!look())
            return;
        timer->stop();
        QTest::keyClick(main_.get(), Qt::Key_Escape);
    });
    timer->start();
    const QPoint from = sealWidget_->rect().center();
    QTest::mousePress(sealWidget_, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(30, 0)),
                     QPointF(sealWidget_->mapToGlobal(from + QPoint(30, 0))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(sealWidget_, &move);
    look();
    EXPECT_TRUE(formats.contains(QStringLiteral("image/png"))) << formats.join(' ').toStdString();
    EXPECT_TRUE(formats.contains(QStringLiteral("text/uri-list"))) << formats.join(' ').toStdString();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(ExportMenuTest, ASmallMoveIsAClickNotADrag)
{
    const QPoint from = sealWidget_->rect().center();
    QTest::mousePress(sealWidget_, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(1, 0)),
                     QPointF(sealWidget_->mapToGlobal(from + QPoint(1, 0))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(sealWidget_, &move);
    QTest::mouseRelease(sealWidget_, Qt::LeftButton, {}, from + QPoint(1, 0));
    EXPECT_EQ(sealWidget_->findChild<QDrag*>(), nullptr);
}

// A white page at 300 dpi with one seal of each colour given, 40 mm, side by
// side, as a PNG that records its resolution.
QString writeScan(const QString& path, const QStringList& colours)
{
    QImage page(600 * colours.size(), 600, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    for (qsizetype i = 0; i < colours.size(); ++i)
        p.drawImage(QPointF(600 * i + 64, 64), plomet::test::drawnSeal(40, 300, colours[i]));
    p.end();
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(plomet::test::encoded(page, "png", 300));
    return path;
}

// Red, blue and purple seals found by the ink chosen, and only by it.
TEST_F(ExportMenuTest, ExtractDialogFindsTheInkChosen)
{
    const struct {
        const char* name;
        QStringList seals;
        int ink;          // index of 红, 蓝, 紫; -1: the custom colour
        const char* custom;
        bool found;
    } rows[] = {
        {"red seal, red", {"#E01010"}, 0, nullptr, true},
        {"red seal, blue", {"#E01010"}, 1, nullptr, false},
        {"blue seal, blue", {"#1030C0"}, 1, nullptr, true},
        {"purple seal, purple", {"#8020A0"}, 2, nullptr, true},
        {"blue seal, its own colour", {"#1030C0"}, -1, "#2848B0", true},
        {"red and blue, blue", {"#E01010", "#1030C0"}, 1, nullptr, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = writeScan(dir_.filePath(QStringLiteral("scan.png")), row.seals);
        ExtractDialog dialog(main_.get(), path, readScanFile(path));
        if (row.ink >= 0)
            dialog.chooseInk(row.ink);
        else
            dialog.chooseInk(QColor(QString::fromLatin1(row.custom)));
        EXPECT_EQ(dialog.seal().has_value(), row.found) << dialog.problem().toStdString();
        EXPECT_EQ(dialog.findChild<QPushButton*>(QStringLiteral("savePng"))->isEnabled(), row.found);
        EXPECT_EQ(dialog.findChild<QPushButton*>(QStringLiteral("saveSvg"))->isEnabled(), row.found);
        const QString info = dialog.findChild<QLabel*>(QStringLiteral("info"))->text();
        const QImage preview = dialog.preview();
        // The chequered ground shows through where the seal is clear.
        EXPECT_NE(preview.pixel(2, 2), preview.pixel(12, 2));
        if (!row.found) {
            EXPECT_TRUE(info.contains(QStringLiteral("没有找到印章颜色的印迹"))) << info.toStdString();
            continue;
        }
        // The seal is the one of the colour asked for, at its size.
        const QRect ink = dialog.seal()->inkBox;
        EXPECT_NEAR(ink.width() / 300.0 * 25.4, 38.4, 1.0);
        const int which = int(row.seals.size()) - 1;
        EXPECT_GE(ink.left(), 600 * which);
        EXPECT_LT(ink.right(), 600 * (which + 1));
        EXPECT_TRUE(info.contains(QStringLiteral("毫米")) && info.contains(QStringLiteral("300 dpi")))
            << info.toStdString();
    }
}

// Through the menu as a user goes: the scan from a file dialog, a colour
// that finds nothing and one that does, and the seal saved as PNG.
TEST_F(ExportMenuTest, ExtractFromTheMenuSavesTheSeal)
{
    const QString scan = writeScan(dir_.filePath(QStringLiteral("page.png")), {"#E01010"});
    const QString out = dir_.filePath(QStringLiteral("seal.png"));
    auto dog = watchdog(20000);
    bool sawNone = false;
    whenPopup([](QMenu* menu) {
        QAction* action = menu->findChild<QAction*>(QStringLiteral("extractSeal"));
        ASSERT_NE(action, nullptr);
        menu->setActiveAction(action);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    whenModal([&](QWidget* fileDialog) {
        whenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<ExtractDialog*>(modal);
            ASSERT_NE(dialog, nullptr) << "not the extraction dialog";
            dialog->chooseInk(2);
            sawNone = !dialog->seal().has_value();
            dialog->chooseInk(0);
            ASSERT_TRUE(dialog->seal().has_value());
            whenModal([&](QWidget* saveDialog) { answerFile(saveDialog, out); }, dialog);
            dialog->findChild<QPushButton*>(QStringLiteral("savePng"))->click();
        }, fileDialog);
        answerFile(fileDialog, scan);
    });
    rightClickSeal();
    EXPECT_FALSE(*dog) << "a dialog had to be closed by force";
    EXPECT_TRUE(sawNone);
    QImage saved(out);
    ASSERT_FALSE(saved.isNull());
    EXPECT_TRUE(saved.hasAlphaChannel());
    EXPECT_EQ(qAlpha(saved.pixel(0, 0)), 0);
    EXPECT_NEAR(saved.dotsPerMeterX() * 0.0254, 300, 0.05);
    EXPECT_NEAR(saved.width() / 300.0 * 25.4, 40.4, 1.2);   // the ring and a millimetre each side
}

} // namespace
