// Copy, print and bitmap export in-process: what each hands out is the
// picture of the last Draw, decoded independently and compared pixel by pixel;
// the printed geometry is measured on a raster at printer-like resolutions.
#include "seal/Errors.h"
#include "ModalDriver.h"
#include "app/Output.h"
#include "seal/Plomet.h"
#include "TestUtil.h"

#include <QBuffer>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImageReader>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <cmath>

using namespace plomet;

namespace {

class Output : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        seal.setWidth(2055.0f);
        seal.setHeight(2055.0f);
        seal.InitProperties();
    }
    void TearDown() override { plomet::test::clearDrivers(); }
    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }
    QImage drawn() const { return seal.image()->pixels().convertToFormat(QImage::Format_RGB32); }

    QTemporaryDir dir;
    Plomet seal;
};

QImage decode(const QByteArray& bytes, const char* format)
{
    QImage image;
    image.loadFromData(bytes, format);
    return image.convertToFormat(QImage::Format_RGB32);
}

// Bounding box of the clearly red pixels.
QRect redBox(const QImage& image)
{
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) > 200 && qGreen(p) < 100 && qBlue(p) < 100) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

TEST_F(Output, NothingToHandOutBeforeTheFirstDraw)
{
    Plomet fresh;
    EXPECT_THROW(lastPicture(fresh), PlometError);
    EXPECT_THROW(cmdCopy(fresh), PlometError);
    EXPECT_THROW(cmdPrint(fresh), PlometError);
}

TEST_F(Output, BitmapIsTheDrawnPixelsAt24Bits)
{
    const QByteArray bmp = bitmapBytes(*seal.image());
    ASSERT_GE(bmp.size(), 54);
    EXPECT_EQ(bmp.left(2), QByteArray("BM"));
    const auto u16 = [&](int at) { return uint8_t(bmp[at]) | uint8_t(bmp[at + 1]) << 8; };
    EXPECT_EQ(u16(28), 24) << "bits per pixel";
    const QImage back = decode(bmp, "BMP");
    EXPECT_EQ(back.size(), QSize(137, 137));
    EXPECT_EQ(back, drawn());
}

TEST_F(Output, ClipboardCarriesABitmapAndPngOfTheSamePixels)
{
    std::unique_ptr<QMimeData> data(pictureMimeData(*seal.image()));
    ASSERT_TRUE(data->hasImage());
    EXPECT_EQ(qvariant_cast<QImage>(data->imageData()).convertToFormat(QImage::Format_RGB32), drawn());
    ASSERT_TRUE(data->hasFormat(QStringLiteral("image/png")));
    EXPECT_EQ(decode(data->data(QStringLiteral("image/png")), "PNG"), drawn());

    cmdCopy(seal);
    const QMimeData* onBoard = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(onBoard, nullptr);
    EXPECT_EQ(qvariant_cast<QImage>(onBoard->imageData()).convertToFormat(QImage::Format_RGB32), drawn());
}

TEST_F(Output, NoneOfThemDrawsFirst)
{
    const QImage before = drawn();
    seal.setRText(QStringLiteral("未画出的名称"));
    seal.setForeColor(0xFF0000);   // blue
    seal.setWidth(3000.0f);

    struct Row { const char* what; std::function<QImage()> handOut; } rows[] = {
        {"copy", [&] {
             cmdCopy(seal);
             return qvariant_cast<QImage>(QGuiApplication::clipboard()->mimeData()->imageData())
                 .convertToFormat(QImage::Format_RGB32);
         }},
        {"bitmap", [&] {
             writeBitmap(*lastPicture(seal), path(QStringLiteral("x.bmp")));
             return QImage(path(QStringLiteral("x.bmp"))).convertToFormat(QImage::Format_RGB32);
         }},
        {"print", [&] {
             QImage page(400, 400, QImage::Format_RGB32);
             page.fill(Qt::white);
             QPainter p(&page);
             paintAtOneTwip(p, *lastPicture(seal), 96.0 * 1.0);
             p.end();
             return page.copy(0, 0, 137, 137);
         }},
    };
    for (const Row& r : rows) {
        const QImage out = r.handOut();
        EXPECT_EQ(out.size(), QSize(137, 137)) << r.what;
        // Blue would show if the pending colour had been drawn.
        int blue = 0;
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x)
                blue += qBlue(out.pixel(x, y)) > 200 && qRed(out.pixel(x, y)) < 100;
        EXPECT_EQ(blue, 0) << r.what;
    }
    EXPECT_EQ(QImage(path(QStringLiteral("x.bmp"))).convertToFormat(QImage::Format_RGB32), before);
    seal.Draw();
    EXPECT_NE(drawn(), before) << "the changes never reached the picture";
}

TEST_F(Output, BitmapFileIsReplacedWholeOrNotAtAll)
{
    const QString target = path(QStringLiteral("seal.BMP"));
    ASSERT_TRUE(plomet::test::writeAll(target, QByteArray(100000, 'x')));
    writeBitmap(*seal.image(), target);
    EXPECT_EQ(plomet::test::readAll(target), bitmapBytes(*seal.image())) << "old bytes left over";

    QImageReader reader(target);
    EXPECT_EQ(reader.format(), QByteArray("bmp"));
    EXPECT_EQ(reader.size(), QSize(137, 137));

    struct Row { const char* name; QString path; } rows[] = {
        {"missing folder", path(QStringLiteral("no/such/seal.BMP"))},
        {"a folder holds the name", dir.path()},
        {"not writable even by root", QStringLiteral("/proc/seal.BMP")},
    };
    for (const Row& r : rows) {
        try {
            writeBitmap(*seal.image(), r.path);
            ADD_FAILURE() << r.name << ": no error";
        } catch (const PlometError& e) {
            EXPECT_EQ(e.kind(), PlometError::Kind::File) << r.name;
            EXPECT_TRUE(e.message().contains(QDir::toNativeSeparators(r.path))) << r.name;
        }
    }
    EXPECT_TRUE(QFileInfo(dir.path()).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("seal.BMP")})
        << "a failed write left a temporary file";
}

TEST_F(Output, PrintedAtOneTwipAndItsOwnSizeAtAnyResolution)
{
    // The ring's outer edge: radius 979 twips about (1028, 1028), a one-pixel
    // pen; plus the one-twip offset.
    for (double dpi : {300.0, 600.0, 1200.0}) {
        const double px = dpi / 1440.0;
        QImage page(int(2200 * px), int(2200 * px), QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter p(&page);
        paintAtOneTwip(p, *seal.image(), dpi);
        p.end();
        const QRect box = redBox(page);
        const double pen = 15 * px;   // one screen pixel in device pixels
        const double left = (1 + 1028 - 979) * px - pen / 2;
        const double width = 2 * 979 * px + pen;
        EXPECT_NEAR(box.left(), left, 2.0) << dpi << " dpi";
        EXPECT_NEAR(box.top(), left, 2.0) << dpi << " dpi";
        EXPECT_NEAR(box.width(), width, 3.0) << dpi << " dpi";
        EXPECT_NEAR(box.height(), width, 3.0) << dpi << " dpi";
    }
}

TEST_F(Output, PrinterOutputEndsTheDocumentAtOnce)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = path(QStringLiteral("page.pdf"));
    printer.setOutputFileName(pdf);
    printPicture(*seal.image(), printer);
    // The file is complete on return: the document was ended.
    const QByteArray bytes = plomet::test::readAll(pdf);
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_TRUE(bytes.trimmed().endsWith("%%EOF"));

    QPrinter broken(QPrinter::HighResolution);
    broken.setOutputFormat(QPrinter::PdfFormat);
    broken.setOutputFileName(path(QStringLiteral("no/such/page.pdf")));
    EXPECT_THROW(printPicture(*seal.image(), broken), PlometError);
}

TEST_F(Output, SaveAsThroughTheDialog)
{
    struct Row { const char* typed; const char* written; } rows[] = {
        {nullptr, nullptr},          // cancel
        {"seal", "seal.BMP"},        // default extension
        {"picture.bmp", "picture.bmp"},
    };
    for (const Row& r : rows) {
        plomet::test::whenModal([&](QWidget* m) {
            auto* d = qobject_cast<QFileDialog*>(m);
            ASSERT_NE(d, nullptr);
            EXPECT_EQ(d->windowTitle(), QStringLiteral("另存为"));
            EXPECT_EQ(d->nameFilters(), QStringList{QStringLiteral("位图文件 (*.BMP)")});
            if (!r.typed) {
                d->reject();
                return;
            }
            d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path(QString::fromLatin1(r.typed)));
            d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save)->click();
        });
        auto dog = plomet::test::watchdog();
        cmdSaveAs(nullptr, seal);
        EXPECT_FALSE(*dog);
        const QStringList files = QDir(dir.path()).entryList(QDir::Files);
        if (!r.written) {
            EXPECT_TRUE(files.isEmpty()) << "cancel wrote " << files.join(u' ').toStdString();
            continue;
        }
        EXPECT_TRUE(files.contains(QString::fromLatin1(r.written))) << r.typed;
        EXPECT_EQ(QImage(path(QString::fromLatin1(r.written))).convertToFormat(QImage::Format_RGB32), drawn());
        plomet::test::clearDrivers();
    }
}
