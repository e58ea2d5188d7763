// `plomet stamp` on real PDF documents of several producers, checked by
// rendering the results with pdftoppm: where the seal lands, its size, the
// ink over text, what stays unchanged, the cross-page strips, and every
// refusal with a real file of that kind.
#include "seal/Errors.h"
#include "stamp/PdfStamp.h"
#include "seal/Plomet.h"
#include "TestUtil.h"
#include "../cli/CliRun.h"

#include <gtest/gtest.h>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QJsonObject>
#include <QJsonDocument>
#include <QJsonArray>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <memory>

using namespace plomet;
using plomet::test::runPlomet;

namespace {

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>").arg(program, QString::fromUtf8(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput());
}

// One page rendered by poppler at `dpi` as a reader sees it (crop box,
// rotation), or the part `region` (pixels) of it.
QImage renderPage(const QString& pdf, int page, int dpi, const QRect& region = {})
{
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("p"));
    QStringList args{QStringLiteral("-cropbox"), QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
                     QString::number(page), QStringLiteral("-l"), QString::number(page)};
    if (region.isValid())
        args << QStringLiteral("-x") << QString::number(region.x()) << QStringLiteral("-y")
             << QString::number(region.y()) << QStringLiteral("-W") << QString::number(region.width())
             << QStringLiteral("-H") << QString::number(region.height());
    run(QStringLiteral("pdftoppm"), args + QStringList{QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, base});
    return QImage(base + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

// The outer diameter of the default seal's ring in millimetres, from the
// drawing: the circles' outer edge.
double ringMm()
{
    Plomet seal;
    seal.InitProperties();
    seal.Draw();
    double outer = 0;
    for (const DrawnItem& item : seal.image()->model().items)
        if (const auto* c = std::get_if<DrawnCircle>(&item))
            outer = std::max(outer, c->r + c->penWidth / 2);
    return 2 * outer / 1440 * 25.4;
}

int pageCount(const QString& pdf)
{
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    for (const QString& line : info.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    return -1;
}

// The seal's red ink (on white, and multiplied over grey or black it is
// no longer red: that is checked separately).
bool isRed(QRgb c) { return qRed(c) > 150 && qGreen(c) < 110 && qBlue(c) < 110; }

QRect redBounds(const QImage& img)
{
    int x0 = img.width(), y0 = img.height(), x1 = -1, y1 = -1;
    for (int y = 0; y < img.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if (isRed(row[x])) {
                x0 = std::min(x0, x); x1 = std::max(x1, x);
                y0 = std::min(y0, y); y1 = std::max(y1, y);
            }
    }
    return x1 < 0 ? QRect() : QRect(QPoint(x0, y0), QPoint(x1, y1));
}

// A page with lines of large black text, as a word processor would make it.
void paintTextPage(QPainter& painter, const QRectF& area, int page)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(int(area.height() / 40));
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (int line = 0; line < 30; ++line)
        painter.drawText(QPointF(area.left() + area.width() * 0.08, area.top() + area.height() * (0.06 + line * 0.03)),
                         QStringLiteral("Page %1 line %2 MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM").arg(page).arg(line));
}

// A document built with qpdf's library, text in Helvetica; each page's
// dictionary entries (MediaBox, CropBox, Rotate) as given.
void writeQpdfDocument(const QString& path, const std::vector<std::string>& pageEntries)
{
    QPDF pdf;
    pdf.emptyPDF();
    QPDFObjectHandle font = pdf.makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"));
    QPDFPageDocumentHelper doc(pdf);
    int n = 0;
    for (const std::string& entries : pageEntries) {
        ++n;
        std::string content;
        for (int line = 0; line < 40; ++line)
            content += "BT /F1 14 Tf 60 " + std::to_string(740 - line * 17) + " Td (Page " + std::to_string(n)
                     + " line " + std::to_string(line) + " HHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHH) Tj ET\n";
        QPDFObjectHandle page = pdf.makeIndirectObject(QPDFObjectHandle::parse(
            "<< /Type /Page " + entries + " /Resources << /Font << /F1 null >> >> >>"));
        page.getKey("/Resources").getKey("/Font").replaceKey("/F1", font);
        page.replaceKey("/Contents", QPDFObjectHandle::newStream(&pdf, content));
        doc.addPage(QPDFPageObjectHelper(page), false);
    }
    // The writer keeps the file name until write(): it must outlive the writer.
    const QByteArray fileName = QFile::encodeName(path);
    QPDFWriter w(pdf, fileName.constData());
    w.write();
}

constexpr double kDpi = 254;   // ten pixels a millimetre
constexpr double kPxPerMm = kDpi / 25.4;

class Stamp : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        // Qt's PDF writer: A4, three pages of text.
        {
            QPdfWriter w(path("qt-a4.pdf"));
            w.setPageSize(QPageSize(QPageSize::A4));
            w.setPageMargins(QMarginsF(0, 0, 0, 0));
            w.setResolution(300);
            QPainter p(&w);
            for (int page = 1; page <= 3; ++page) {
                if (page > 1)
                    w.newPage();
                paintTextPage(p, QRectF(0, 0, w.width(), w.height()), page);
            }
        }
        // qpdf's library: Letter, rotated pages, crop boxes away from 0,0,
        // an inherited size that is not A4 nor Letter.
        writeQpdfDocument(path("qpdf-letter.pdf"),
                          {"/MediaBox [0 0 612 792]", "/MediaBox [0 0 612 792] /Rotate 90",
                           "/MediaBox [0 0 612 792] /Rotate 180", "/MediaBox [0 0 612 792] /Rotate -90",
                           "/MediaBox [0 0 612 792] /CropBox [40 50 560 760]",
                           "/MediaBox [-30 -20 600 800] /CropBox [20 30 580 770] /Rotate 270"});
        // cairo (through poppler) rewrites Qt's document its own way.
        run(QStringLiteral("pdftocairo"), {QStringLiteral("-pdf"), path("qt-a4.pdf"), path("cairo.pdf")});
        // qpdf the tool: linearized, object streams.
        run(QStringLiteral("qpdf"), {QStringLiteral("--linearize"), QStringLiteral("--object-streams=generate"),
                                     path("qpdf-letter.pdf"), path("linearized.pdf")});
        // Twenty A4 pages, and mixed sizes, for cross-page seals.
        writeQpdfDocument(path("twenty.pdf"), std::vector<std::string>(20, "/MediaBox [0 0 595.276 841.89]"));
        writeQpdfDocument(path("mixed.pdf"), {"/MediaBox [0 0 595.276 841.89]", "/MediaBox [0 0 612 792]",
                                              "/MediaBox [0 0 419.528 595.276]"});
    }
    static void TearDownTestSuite() { dir_.reset(); }

    static QString path(const char* name) { return dir_->filePath(QString::fromLatin1(name)); }
    static double sealMm() { return 2055 / 1440.0 * 25.4; }

    static std::unique_ptr<QTemporaryDir> dir_;
};
std::unique_ptr<QTemporaryDir> Stamp::dir_;

// Position and size on the page as seen, for every producer and rotation.
TEST_F(Stamp, RingCentreAndDiameterOnThePageAsSeen)
{
    const struct { const char* file; int page; double x, y, angle; } rows[] = {
        {"qt-a4.pdf", 2, 60, 40, 0},
        {"qt-a4.pdf", 3, 150, 260, 17},
        {"cairo.pdf", 1, 105, 148.5, -30},
        {"qpdf-letter.pdf", 1, 50, 50, 0},
        {"qpdf-letter.pdf", 2, 200, 30, 0},     // /Rotate 90
        {"qpdf-letter.pdf", 3, 70, 200, 45},    // /Rotate 180
        {"qpdf-letter.pdf", 4, 40, 120, 0},     // /Rotate -90
        {"qpdf-letter.pdf", 5, 30, 30, 0},      // crop box at 40,50
        {"qpdf-letter.pdf", 6, 80, 60, 0},      // crop box and media box off 0,0, /Rotate 270
        {"linearized.pdf", 4, 120, 90, 0},
    };
    const double ring = ringMm();
    for (const auto& row : rows) {
        SCOPED_TRACE(QStringLiteral("%1 page %2").arg(QLatin1String(row.file)).arg(row.page).toStdString());
        const QString in = path(row.file);
        const QString out = dir_->filePath(QStringLiteral("out-%1-%2.pdf").arg(QLatin1String(row.file)).arg(row.page));
        // No star and no lower lines: the name on top tells which way is up.
        const auto r = runPlomet({QStringLiteral("stamp"), in, QStringLiteral("-o"), out, QStringLiteral("--page"),
                                  QString::number(row.page), QStringLiteral("--at"),
                                  QStringLiteral("%1,%2").arg(row.x).arg(row.y), QStringLiteral("--angle"),
                                  QString::number(row.angle), QStringLiteral("--set"), QStringLiteral("pText="),
                                  QStringLiteral("--set"), QStringLiteral("pText1="), QStringLiteral("--set"),
                                  QStringLiteral("ShowStar=False")});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.err, QString());

        // 30 mm around the asked centre.
        const QRect region(int((row.x - 30) * kPxPerMm), int((row.y - 30) * kPxPerMm), int(60 * kPxPerMm),
                           int(60 * kPxPerMm));
        const QImage before = renderPage(in, row.page, int(kDpi), region);
        const QImage after = renderPage(out, row.page, int(kDpi), region);
        ASSERT_FALSE(after.isNull());
        ASSERT_EQ(after.size(), before.size());
        const QRect bounds = redBounds(after);
        ASSERT_TRUE(bounds.isValid());
        const QPointF centre = QRectF(bounds).adjusted(0, 0, 1, 1).center() / kPxPerMm + QPointF(region.topLeft()) / kPxPerMm;
        // The measurement, for the record.
        std::printf("%s page %d: centre %.2f,%.2f mm (asked %g,%g), ring %.2f x %.2f mm (drawn %.2f)\n", row.file,
                    row.page, centre.x(), centre.y(), row.x, row.y, (bounds.width() + 1) / kPxPerMm,
                    (bounds.height() + 1) / kPxPerMm, ring);
        EXPECT_NEAR(centre.x(), row.x, 0.3);
        EXPECT_NEAR(centre.y(), row.y, 0.3);
        EXPECT_NEAR((bounds.width() + 1) / kPxPerMm, ring, 0.3);
        EXPECT_NEAR((bounds.height() + 1) / kPxPerMm, ring, 0.3);

        // Inside the ring, the name lies above the centre in the seal's own
        // (turned) frame and nothing below: the seal stands upright as seen.
        double above = 0, below = 0;
        const double c = std::cos(row.angle * M_PI / 180), s = std::sin(row.angle * M_PI / 180);
        const QPointF mid = QRectF(bounds).adjusted(0, 0, 1, 1).center();
        const double inner = 0.8 * ring / 2 * kPxPerMm;
        int dark = 0, darkStaysDark = 0;
        for (int y = bounds.top(); y <= bounds.bottom(); ++y)
            for (int x = bounds.left(); x <= bounds.right(); ++x) {
                const QRgb b = before.pixel(x, y), a = after.pixel(x, y);
                const double dx = x + 0.5 - mid.x(), dy = y + 0.5 - mid.y();
                if (isRed(a) && std::hypot(dx, dy) < inner) {
                    // Down in the turned seal's frame.
                    const double down = -dx * s + dy * c;
                    (down < 0 ? above : below) += 1;
                }
                // Text under the seal stays dark: ink multiplies, never covers.
                if (qGray(b) < 60) {
                    ++dark;
                    if (qGray(a) < 90)
                        ++darkStaysDark;
                }
            }
        EXPECT_GT(above, 500);
        EXPECT_LT(below, above / 20);
        EXPECT_GT(dark, 200);
        EXPECT_EQ(darkStaysDark, dark);
    }
}

// An oval seal goes in the same way: centred where asked, lying flat, at
// its size.
TEST_F(Stamp, OvalSeal)
{
    const QString out = dir_->filePath(QStringLiteral("oval.pdf"));
    const auto r = runPlomet({QStringLiteral("stamp"), path("qpdf-letter.pdf"), QStringLiteral("-o"), out,
                              QStringLiteral("--page"), QStringLiteral("2"), QStringLiteral("--at"),
                              QStringLiteral("100,150"), QStringLiteral("--set"), QStringLiteral("Shape=Oval"),
                              QStringLiteral("--set"), QStringLiteral("Width=45mm"), QStringLiteral("--set"),
                              QStringLiteral("Height=30mm")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QRect region(int(70 * kPxPerMm), int(125 * kPxPerMm), int(60 * kPxPerMm), int(50 * kPxPerMm));
    const QRect b = redBounds(renderPage(out, 2, int(kDpi), region));
    ASSERT_TRUE(b.isValid());
    const QPointF centre = QRectF(b).adjusted(0, 0, 1, 1).center() / kPxPerMm + QPointF(70, 125);
    EXPECT_NEAR(centre.x(), 100, 0.3);
    EXPECT_NEAR(centre.y(), 150, 0.3);
    // Within its 45 x 30 mm area, and wider than high on the page as seen.
    EXPECT_LE((b.width() + 1) / kPxPerMm, 45.1);
    EXPECT_LE((b.height() + 1) / kPxPerMm, 30.1);
    EXPECT_GT((b.width() + 1) / kPxPerMm, 42);
    EXPECT_GT((b.height() + 1) / kPxPerMm, 27);
}

// A preset stamps its seal at the preset's size: 公章 measures 42 mm across
// its ring on paper, and --set still applies after it; an unknown preset is
// refused before any file is written.
TEST_F(Stamp, Preset)
{
    const QString out = dir_->filePath(QStringLiteral("preset.pdf"));
    const auto r = runPlomet({QStringLiteral("stamp"), path("qpdf-letter.pdf"), QStringLiteral("-o"), out,
                              QStringLiteral("--at"), QStringLiteral("100,150"), QStringLiteral("--preset"),
                              QString::fromUtf8("公章"), QStringLiteral("--set"), QStringLiteral("ForeColor=16711680")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QRect region(int(70 * kPxPerMm), int(120 * kPxPerMm), int(60 * kPxPerMm), int(60 * kPxPerMm));
    const QImage page = renderPage(out, 1, int(kDpi), region);
    EXPECT_FALSE(redBounds(page).isValid());   // the colour set after the preset wins: blue, no red
    QRect blue;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            if (c.blue() > 150 && c.red() < 100 && c.green() < 100)
                blue |= QRect(x, y, 1, 1);
        }
    ASSERT_TRUE(blue.isValid());
    EXPECT_NEAR((blue.width()) / kPxPerMm, 42, 0.3);
    EXPECT_NEAR((blue.height()) / kPxPerMm, 42, 0.3);

    const QString refused = dir_->filePath(QStringLiteral("no-preset.pdf"));
    const auto bad = runPlomet({QStringLiteral("stamp"), path("qpdf-letter.pdf"), QStringLiteral("-o"), refused,
                                QStringLiteral("--at"), QStringLiteral("100,150"), QStringLiteral("--preset"),
                                QStringLiteral("nope")});
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("unknown preset"))) << bad.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(refused));
}

// Everything but the stamped page's picture stays: the other pages pixel for
// pixel, the text layer, the page count.
TEST_F(Stamp, EverythingElseStays)
{
    for (const char* file : {"qt-a4.pdf", "qpdf-letter.pdf"}) {
        SCOPED_TRACE(file);
        const QString in = path(file);
        const QString out = dir_->filePath(QStringLiteral("stays-%1").arg(QLatin1String(file)));
        const QByteArray original = test::readAll(in);
        const auto r = runPlomet({QStringLiteral("stamp"), in, QStringLiteral("-o"), out, QStringLiteral("--page"),
                                  QStringLiteral("2"), QStringLiteral("--at"), QStringLiteral("60,60")});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(test::readAll(in), original);
        const int pages = pageCount(in);
        EXPECT_EQ(pageCount(out), pages);
        EXPECT_EQ(run(QStringLiteral("pdftotext"), {out, QStringLiteral("-")}),
                  run(QStringLiteral("pdftotext"), {in, QStringLiteral("-")}));
        for (int page = 1; page <= pages; ++page)
            if (page != 2)
                EXPECT_EQ(renderPage(out, page, 72), renderPage(in, page, 72)) << "page " << page;
        EXPECT_NE(renderPage(out, 2, 72), renderPage(in, 2, 72));
    }
}

// A worn seal keeps its wear on the page: less ink than the unworn stamp, by
// the share the same seal's picture loses (ink multiplies over the text, so
// the text's own darkness is the same in every rendering); the same seed stamps the same
// specks, another seed others.
TEST_F(Stamp, WornSealKeepsItsWear)
{
    const QRect region(int(70 * kPxPerMm), int(70 * kPxPerMm), int(60 * kPxPerMm), int(60 * kPxPerMm));
    auto stamped = [&](const QString& name, const QStringList& sets) {
        const QString out = dir_->filePath(name);
        QStringList args{QStringLiteral("stamp"), path("qpdf-letter.pdf"), QStringLiteral("-o"), out,
                         QStringLiteral("--at"), QStringLiteral("100,100")};
        for (const QString& s : sets)
            args << QStringLiteral("--set") << s;
        const auto r = runPlomet(args);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return renderPage(out, 1, int(kDpi), region);
    };
    auto rendered = [&](const QString& name, const QStringList& sets) {
        const QString out = dir_->filePath(name);
        QStringList args{QStringLiteral("render"), QStringLiteral("-o"), out, QStringLiteral("--dpi"),
                         QString::number(kDpi)};
        for (const QString& s : sets)
            args << QStringLiteral("--set") << s;
        const auto r = runPlomet(args);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return QImage(out).convertToFormat(QImage::Format_RGB32);
    };
    // Red ink on white takes green away.
    auto ink = [](const QImage& img) {
        double sum = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                sum += (255 - qGreen(img.pixel(x, y))) / 255.0;
        return sum;
    };
    const QStringList worn{QStringLiteral("Aging=60"), QStringLiteral("AgingSeed=7")};
    const QImage plain = stamped(QStringLiteral("worn-0.pdf"), {});
    const QImage seven = stamped(QStringLiteral("worn-7.pdf"), worn);
    const QImage again = stamped(QStringLiteral("worn-7b.pdf"), worn);
    const QImage eight = stamped(QStringLiteral("worn-8.pdf"), {QStringLiteral("Aging=60"), QStringLiteral("AgingSeed=8")});
    ASSERT_FALSE(plain.isNull());
    ASSERT_FALSE(seven.isNull());
    EXPECT_EQ(seven, again);
    int moved = 0;
    for (int y = 0; y < seven.height(); ++y)
        for (int x = 0; x < seven.width(); ++x)
            moved += std::abs(qGreen(seven.pixel(x, y)) - qGreen(eight.pixel(x, y))) > 60;
    EXPECT_GT(moved, 200);

    // The page's own text is the same under every stamp: counted out.
    const double text = ink(renderPage(path("qpdf-letter.pdf"), 1, int(kDpi), region));
    const double pageShare = (ink(seven) - text) / (ink(plain) - text);
    const double pictureShare = ink(rendered(QStringLiteral("worn-7.png"), worn)) / ink(rendered(QStringLiteral("worn-0.png"), {}));
    std::printf("ink kept: stamped %.3f, picture %.3f\n", pageShare, pictureShare);
    EXPECT_LT(pageShare, 0.9);
    EXPECT_NEAR(pageShare, pictureShare, 0.05);
}

// The output may be the input: it is replaced whole.
TEST_F(Stamp, OutputMayBeTheInput)
{
    const QString file = dir_->filePath(QStringLiteral("same.pdf"));
    ASSERT_TRUE(QFile::copy(path("qt-a4.pdf"), file));
    const auto r = runPlomet({QStringLiteral("stamp"), file, QStringLiteral("-o"), file, QStringLiteral("--at"),
                              QStringLiteral("100,100")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(pageCount(file), 3);
    EXPECT_TRUE(redBounds(renderPage(file, 1, 72)).isValid());
    EXPECT_EQ(QDir(dir_->path()).entryList({QStringLiteral("same*")}, QDir::Files), QStringList{QStringLiteral("same.pdf")});
}

// The seal is one form XObject however many pages carry it.
TEST_F(Stamp, OneSharedSealForAllPages)
{
    const QString one = dir_->filePath(QStringLiteral("shared-1.pdf"));
    const QString all = dir_->filePath(QStringLiteral("shared-20.pdf"));
    for (const auto& [out, pages] : {std::pair{one, QStringLiteral("1")}, std::pair{all, QStringLiteral("all")}}) {
        const auto r = runPlomet({QStringLiteral("stamp"), path("twenty.pdf"), QStringLiteral("-o"), out,
                                  QStringLiteral("--page"), pages, QStringLiteral("--at"), QStringLiteral("50,50")});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    }
    const qint64 base = QFileInfo(path("twenty.pdf")).size();
    const qint64 sealBytes = QFileInfo(one).size() - base;
    // Each further page adds its placement and resource entries only.
    EXPECT_LT(QFileInfo(all).size() - base, sealBytes + 19 * 400);
    QPDF pdf;
    pdf.processFile(QFile::encodeName(all).constData());
    std::set<QPDFObjGen> forms;
    for (auto& page : QPDFPageDocumentHelper(pdf).getAllPages())
        for (auto& [name, object] : page.getAttribute("/Resources", false).getKey("/XObject").ditems())
            if (name.rfind("/PlometSeal", 0) == 0)
                forms.insert(object.getObjGen());
    EXPECT_EQ(forms.size(), 1u);
}

// Cross-page seals over 2, 5 and 20 pages: each page's red only in its strip
// at the right edge, and the strips side by side give the whole seal.
TEST_F(Stamp, CrossPageStripsJoinToTheSeal)
{
    constexpr int dpi = 127;
    constexpr double pxPerMm = dpi / 25.4;
    const double y = 120;
    const double pageW = 595.276 / 72 * 25.4;
    const double diameter = sealMm();
    // The right 45 mm of a page, 25 mm above and below the seal's centre.
    const QRect region(int((pageW - 45) * pxPerMm), int((y - 25) * pxPerMm), int(45 * pxPerMm), int(50 * pxPerMm));
    // The whole seal for comparison, centred 20 mm from the right edge.
    const double wholeX = pageW - 20;
    const QString whole = dir_->filePath(QStringLiteral("whole.pdf"));
    ASSERT_EQ(runPlomet({QStringLiteral("stamp"), path("twenty.pdf"), QStringLiteral("-o"), whole,
                         QStringLiteral("--at"), QStringLiteral("%1,%2").arg(wholeX).arg(y)}).exitCode, 0);
    const QImage reference = renderPage(whole, 1, dpi, region);
    auto redNear = [](const QImage& im, int x, int y) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (im.rect().contains(x + dx, y + dy) && isRed(im.pixel(x + dx, y + dy)))
                    return true;
        return false;
    };

    for (int n : {2, 5, 20}) {
        SCOPED_TRACE(n);
        const QString out = dir_->filePath(QStringLiteral("straddle-%1.pdf").arg(n));
        const auto r = runPlomet({QStringLiteral("stamp"), path("twenty.pdf"), QStringLiteral("-o"), out,
                                  QStringLiteral("--straddle"), QStringLiteral("--page"),
                                  QStringLiteral("1-%1").arg(n), QStringLiteral("--at-y"), QString::number(y)});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const double strip = diameter / n;
        qint64 red = 0, wrong = 0;
        for (int page = 1; page <= n; ++page) {
            const QImage img = renderPage(out, page, dpi, region);
            const QRect bounds = redBounds(img);
            ASSERT_TRUE(bounds.isValid()) << "page " << page;
            // Only inside the strip at the right edge (a pixel of slack).
            EXPECT_GE(bounds.left() + region.left(), (pageW - strip) * pxPerMm - 1.5) << "page " << page;
            // This page shows the seal's strip [(page-1) strip, page strip]:
            // its seal is that much left of the edge, against the reference's.
            const double sealLeft = pageW - page * strip;
            const double shiftMm = sealLeft - (wholeX - diameter / 2);
            // Compared within a pixel of the expected offset (rounding of
            // the pictures), each red pixel against the reference's.
            qint64 best = -1, pageRed = 0;
            for (int slack = -1; slack <= 1; ++slack) {
                const int shift = int(std::lround(shiftMm * pxPerMm)) + slack;
                qint64 bad = 0, count = 0;
                for (int py = 0; py < img.height(); ++py)
                    for (int px = bounds.left(); px <= bounds.right(); ++px) {
                        const bool here = isRed(img.pixel(px, py));
                        count += here;
                        if (here && !redNear(reference, px - shift, py))
                            ++bad;
                        if (!here && isRed(reference.pixel(px - shift, py)) && !redNear(img, px, py)
                            && px > bounds.left() + 1 && px < bounds.right() - 1)
                            ++bad;
                    }
                if (best < 0 || bad < best)
                    best = bad, pageRed = count;
            }
            red += pageRed;
            wrong += best;
        }
        EXPECT_GT(red, 1000);
        EXPECT_LT(double(wrong) / red, 0.01);
        // Pages beyond the seal carry none.
        if (n < 20)
            EXPECT_FALSE(redBounds(renderPage(out, n + 1, 36)).isValid());
    }
}

// The cross-page options: a new seal every N pages, the left edge, a wider
// first strip, an inset, pages of different sizes.
TEST_F(Stamp, CrossPageOptions)
{
    constexpr int dpi = 127;
    constexpr double pxPerMm = dpi / 25.4;
    const double d = sealMm();
    // The ring lies this far inside the seal's area.
    const double e = (d - ringMm()) / 2;
    struct Strip { int page; double from, to; double at; };   // seal strip [from, to] shown from seen x = at
    const struct { const char* name; const char* file; QStringList options; std::vector<Strip> strips; } rows[] = {
        {"max", "twenty.pdf", {QStringLiteral("--page"), QStringLiteral("1-6"), QStringLiteral("--straddle-max"), QStringLiteral("3")},
         {{1, 0, d / 3, 210 - d / 3}, {3, 2 * d / 3, d, 210 - d / 3}, {4, 0, d / 3, 210 - d / 3}, {6, 2 * d / 3, d, 210 - d / 3}}},
        {"left", "twenty.pdf", {QStringLiteral("--page"), QStringLiteral("even"), QStringLiteral("--edge"), QStringLiteral("left")},
         {{2, d * 0.9, d, 0}, {20, 0, d / 10, 0}}},
        {"first", "twenty.pdf", {QStringLiteral("--page"), QStringLiteral("1-3"), QStringLiteral("--first-strip"), QStringLiteral("16")},
         {{1, 0, 16, 210 - 16}, {2, 16, 16 + (d - 16) / 2, 210 - (d - 16) / 2}}},
        {"inset", "twenty.pdf", {QStringLiteral("--page"), QStringLiteral("1-4"), QStringLiteral("--inset"), QStringLiteral("5")},
         {{1, 0, d / 4, 205 - d / 4}, {4, 3 * d / 4, d, 205 - d / 4}}},
        {"mixed", "mixed.pdf", {},
         {{1, 0, d / 3, 210 - d / 3}, {2, d / 3, 2 * d / 3, 215.9 - d / 3}, {3, 2 * d / 3, d, 148 - d / 3}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString out = dir_->filePath(QStringLiteral("opt-%1.pdf").arg(QLatin1String(row.name)));
        QStringList args{QStringLiteral("stamp"), path(row.file), QStringLiteral("-o"), out,
                         QStringLiteral("--straddle"), QStringLiteral("--at-y"), QStringLiteral("100")};
        const auto r = runPlomet(args + row.options);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        for (const Strip& s : row.strips) {
            const QRect b = redBounds(renderPage(out, s.page, dpi));
            ASSERT_TRUE(b.isValid()) << "page " << s.page;
            // The red of the strip: the part of the ring's extent within it.
            EXPECT_NEAR(b.left() / pxPerMm, s.at + std::max(s.from, e) - s.from, 0.4) << "page " << s.page;
            EXPECT_NEAR((b.right() + 1) / pxPerMm, s.at + std::min(s.to, d - e) - s.from, 0.4) << "page " << s.page;
            // The seal's centre at the asked height (the ring spans it).
            if (s.from < d / 2 && s.to > d / 2)
                EXPECT_NEAR((b.top() + b.bottom() + 1) / 2.0 / pxPerMm, 100, 0.4) << "page " << s.page;
        }
    }
}

// A placement that is likely a slip is stamped, with one line saying so.
TEST_F(Stamp, WarnsOfLikelySlips)
{
    const struct { const char* name; QStringList options; const char* warning; } rows[] = {
        {"on the page", {QStringLiteral("--at"), QStringLiteral("100,100")}, nullptr},
        {"half off the corner", {QStringLiteral("--at"), QStringLiteral("2,2")}, "the seal on page 1 is mostly off the page"},
        {"one page to straddle", {QStringLiteral("--straddle"), QStringLiteral("--page"), QStringLiteral("2")},
         "falls on one page only (page 2)"},
        {"straddling two", {QStringLiteral("--straddle"), QStringLiteral("--page"), QStringLiteral("1-2")}, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString out = dir_->filePath(QStringLiteral("slip.pdf"));
        QFile::remove(out);
        const auto r = runPlomet(QStringList{QStringLiteral("stamp"), path("twenty.pdf"), QStringLiteral("-o"), out}
                                 + row.options);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(QFile::exists(out));
        if (!row.warning) {
            EXPECT_EQ(r.err, QString());
            continue;
        }
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(row.warning))) << r.err.toStdString();
    }
    // --json: what was stamped, and why not.
    const QString out = dir_->filePath(QStringLiteral("json.pdf"));
    const auto ok = runPlomet({QStringLiteral("stamp"), path("twenty.pdf"), QStringLiteral("-o"), out, QStringLiteral("--at"),
                               QStringLiteral("2,2"), QStringLiteral("--page"), QStringLiteral("3,5"), QStringLiteral("--json")});
    const QJsonObject entry =
        QJsonDocument::fromJson(ok.out.toUtf8()).object().value(QStringLiteral("outputs")).toArray().at(0).toObject();
    EXPECT_EQ(entry.value(QStringLiteral("status")).toString(), QStringLiteral("ok")) << ok.out.toStdString();
    EXPECT_EQ(entry.value(QStringLiteral("pages")).toArray(), (QJsonArray{3, 5}));
    EXPECT_EQ(entry.value(QStringLiteral("warnings")).toArray().size(), 2);
    EXPECT_NEAR(entry.value(QStringLiteral("widthMm")).toDouble(), sealMm(), 0.01);
    const auto bad = runPlomet({QStringLiteral("stamp"), path("twenty.pdf"), QStringLiteral("-o"), out, QStringLiteral("--at"),
                                QStringLiteral("2,2"), QStringLiteral("--page"), QStringLiteral("30"), QStringLiteral("--json")});
    EXPECT_EQ(bad.exitCode, 1);
    const QJsonObject failed =
        QJsonDocument::fromJson(bad.out.toUtf8()).object().value(QStringLiteral("outputs")).toArray().at(0).toObject();
    EXPECT_EQ(failed.value(QStringLiteral("status")).toString(), QStringLiteral("failed"));
    EXPECT_FALSE(failed.value(QStringLiteral("message")).toString().isEmpty());
}

// Every refusal with a real file of that kind: one line, exit 1, no file.
TEST_F(Stamp, Refusals)
{
    const QString src = path("qpdf-letter.pdf");
    auto make = [&](const char* name, const QStringList& qpdfArgs) {
        const QString out = path(name);
        QProcess p;
        p.start(QStringLiteral("qpdf"), qpdfArgs + QStringList{src, out});
        p.waitForFinished(60000);
        return out;
    };
    const QString password = make("password.pdf", {QStringLiteral("--encrypt"), QStringLiteral("user"),
                                                    QStringLiteral("owner"), QStringLiteral("256"), QStringLiteral("--")});
    const QString locked = make("locked.pdf", {QStringLiteral("--encrypt"), QString(), QStringLiteral("owner"),
                                               QStringLiteral("256"), QStringLiteral("--modify=none"), QStringLiteral("--")});
    // A signed document: a signature field with its value, as signing
    // software leaves it.
    const QString signedPdf = path("signed.pdf");
    {
        QPDF pdf;
        pdf.processFile(QFile::encodeName(src).constData());
        QPDFObjectHandle sig = pdf.makeIndirectObject(QPDFObjectHandle::parse(
            "<< /Type /Sig /Filter /Adobe.PPKLite /SubFilter /adbe.pkcs7.detached /ByteRange [0 100 200 300]"
            " /Contents <3082> >>"));
        QPDFObjectHandle field = pdf.makeIndirectObject(QPDFObjectHandle::parse(
            "<< /FT /Sig /T (Signature1) /Type /Annot /Subtype /Widget /Rect [0 0 0 0] >>"));
        field.replaceKey("/V", sig);
        QPDFObjectHandle form = QPDFObjectHandle::parse("<< /Fields [] /SigFlags 3 >>");
        form.getKey("/Fields").appendItem(field);
        pdf.getRoot().replaceKey("/AcroForm", form);
        const QByteArray fileName = QFile::encodeName(signedPdf);
        QPDFWriter w(pdf, fileName.constData());
        w.write();
    }
    const QString notPdf = path("letter.pdf");
    test::writeAll(notPdf, "Dear reader,\nthis is not a PDF.\n");
    const QString broken = path("broken.pdf");
    test::writeAll(broken, "%PDF-1.7\n" + QByteArray(3000, '\x9c') + "\n%%EOF\n");
    // Damaged but repairable: the cross-reference table's offset is wrong.
    const QString repairable = path("repairable.pdf");
    {
        QByteArray bytes = test::readAll(src);
        bytes.truncate(bytes.lastIndexOf("startxref"));
        test::writeAll(repairable, bytes + "startxref\n123\n%%EOF\n");
    }

    const struct { const char* name; QString in; QStringList options; const char* message; } rows[] = {
        {"no such document", path("missing.pdf"), {}, "no such file or folder"},
        {"a folder", dir_->path(), {}, "it is a folder"},
        {"not a PDF", notPdf, {}, "is not a PDF file"},
        {"unrepairable", broken, {}, "damaged beyond repair"},
        {"password", password, {}, "needs a password"},
        {"no changes allowed", locked, {}, "forbid changes"},
        {"page beyond the end", src, {QStringLiteral("--page"), QStringLiteral("7")}, "there is no page 7"},
        {"one page of a list beyond the end", src, {QStringLiteral("--page"), QStringLiteral("1,3-9")}, "there is no page 9"},
        {"seal left of the page", src, {QStringLiteral("--at"), QStringLiteral("-19,100")}, "wholly off page"},
        {"seal below the page", src, {QStringLiteral("--at"), QStringLiteral("100,300")}, "wholly off page"},
        {"cross-page seal below the page", src, {QStringLiteral("--straddle"), QStringLiteral("--at-y"), QStringLiteral("400")}, "wholly off page"},
        {"first strip wider than the seal", src, {QStringLiteral("--straddle"), QStringLiteral("--first-strip"), QStringLiteral("40")}, "the first strip"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString out = dir_->filePath(QStringLiteral("refused.pdf"));
        QStringList args{QStringLiteral("stamp"), row.in, QStringLiteral("-o"), out};
        if (!row.options.contains(QStringLiteral("--at")) && !row.options.contains(QStringLiteral("--straddle")))
            args << QStringLiteral("--at") << QStringLiteral("50,50");
        const auto r = runPlomet(args + row.options);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(row.message))) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out));
    }

    // A refused document leaves an existing output as it was.
    const QString existing = dir_->filePath(QStringLiteral("existing.pdf"));
    ASSERT_TRUE(QFile::copy(src, existing));
    EXPECT_EQ(runPlomet({QStringLiteral("stamp"), notPdf, QStringLiteral("-o"), existing, QStringLiteral("--at"),
                         QStringLiteral("50,50")}).exitCode, 1);
    EXPECT_EQ(test::readAll(existing), test::readAll(src));

    // What goes through: a repaired file and, with --force, a signed one,
    // each with a warning; a signed one without --force, appended to, with
    // none; an encrypted file that allows changes stays so.
    const QString open = make("open.pdf", {QStringLiteral("--encrypt"), QString(), QStringLiteral("owner"),
                                           QStringLiteral("256"), QStringLiteral("--")});
    const struct { QString in; QStringList options; const char* warning; } passing[] = {
        {repairable, {}, "it was repaired"},
        {signedPdf, {QStringLiteral("--force")}, "digital signature"},
        {signedPdf, {}, nullptr},
        {open, {}, nullptr},
    };
    for (const auto& row : passing) {
        SCOPED_TRACE(row.in.toStdString());
        const QString out = dir_->filePath(QStringLiteral("passed.pdf"));
        const auto r = runPlomet(QStringList{QStringLiteral("stamp"), row.in, QStringLiteral("-o"), out,
                                             QStringLiteral("--at"), QStringLiteral("50,50")} + row.options);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        if (row.warning) {
            EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
            EXPECT_TRUE(r.err.contains(QString::fromUtf8(row.warning))) << r.err.toStdString();
        } else {
            EXPECT_EQ(r.err, QString());
        }
        EXPECT_TRUE(redBounds(renderPage(out, 1, 72)).isValid());
        QFile::remove(out);
    }
    QPDF reread;
    reread.processFile(QFile::encodeName(open).constData());
    EXPECT_TRUE(reread.isEncrypted());
}

// A picture stamped instead of a drawn seal: where asked, at the size its
// file gives (an SVG's width and height, a PNG's pixels at its resolution),
// an SVG as vectors with no image in the document; cross-page and signed
// too.
TEST_F(Stamp, SealImages)
{
    const QString png300 = path("seal300.png"), png150 = path("seal150.png"), svg = path("seal.svg");
    for (const auto& [file, dpi] : {std::pair{png300, 300}, std::pair{png150, 150}})
        ASSERT_EQ(runPlomet({"render", "-o", file, "--transparent", "--dpi", QString::number(dpi), "--set",
                             "Width=40mm", "--set", "Height=40mm"}).exitCode, 0);
    ASSERT_EQ(runPlomet({"extract", png300, "-o", svg}).exitCode, 0);
    QImage onWhite(QImage(png300).size(), QImage::Format_RGB32);
    onWhite.fill(Qt::white);
    {
        QPainter p(&onWhite);
        p.drawImage(0, 0, QImage(png300));
    }
    const QRect inkPx = redBounds(onWhite);
    ASSERT_TRUE(inkPx.isValid());
    const double ink = (inkPx.width() + 1) / 300.0 * 25.4;   // the ring across, mm
    // A red box filling the view box.
    auto writeSvg = [&](const char* name, const QByteArray& root, const QByteArray& box = "width=\"400\" height=\"300\"") {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<svg xmlns=\"http://www.w3.org/2000/svg\" " + root + "><rect x=\"0\" y=\"0\" " + box
                + " fill=\"#ff0000\"/></svg>");
        return path(name);
    };
    const struct {
        const char* name;
        QString file;
        double wMm, hMm;
        bool vector;
    } rows[] = {
        {"extracted SVG", svg, ink, ink, true},
        {"PNG at 300 dpi", png300, ink, ink, false},
        {"PNG at 150 dpi", png150, ink, ink, false},
        {"SVG in mm", writeSvg("mm.svg", "width=\"40mm\" height=\"30mm\" viewBox=\"0 0 400 300\""), 40, 30, true},
        {"SVG in px", writeSvg("px.svg", "width=\"151.181\" height=\"113.386\" viewBox=\"0 0 400 300\""), 40, 30, true},
        {"SVG by its view box", writeSvg("vb.svg", "viewBox=\"0 0 151.181 113.386\"", "width=\"151.181\" height=\"113.386\""), 40, 30, true},
    };
    const double x = 80, y = 100;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString out = dir_->filePath(QStringLiteral("image-%1.pdf").arg(QLatin1String(row.name)));
        const auto r = runPlomet({"stamp", path("qt-a4.pdf"), "-o", out, "--at", QStringLiteral("%1,%2").arg(x).arg(y),
                                  "--seal-image", row.file});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QRect region(int((x - 30) * kPxPerMm), int((y - 30) * kPxPerMm), int(60 * kPxPerMm), int(60 * kPxPerMm));
        const QRect bounds = redBounds(renderPage(out, 1, int(kDpi), region));
        ASSERT_TRUE(bounds.isValid());
        const QPointF centre = QRectF(bounds).adjusted(0, 0, 1, 1).center() / kPxPerMm + QPointF(region.topLeft()) / kPxPerMm;
        std::printf("%-20s centre %.2f,%.2f mm, %.2f x %.2f mm (want %.2f x %.2f)\n", row.name, centre.x(), centre.y(),
                    (bounds.width() + 1) / kPxPerMm, (bounds.height() + 1) / kPxPerMm, row.wMm, row.hMm);
        // A PNG's crop may sit a pixel off the ink's centre at 150 dpi.
        EXPECT_NEAR(centre.x(), x, 0.4);
        EXPECT_NEAR(centre.y(), y, 0.4);
        EXPECT_NEAR((bounds.width() + 1) / kPxPerMm, row.wMm, 0.4);
        EXPECT_NEAR((bounds.height() + 1) / kPxPerMm, row.hMm, 0.4);
        const QStringList images = run("pdfimages", {"-list", out}).trimmed().split('\n');
        if (row.vector)
            EXPECT_EQ(images.size(), 2) << images.join('\n').toStdString();   // the header alone
        else {
            // Colour and alpha, both lossless.
            EXPECT_TRUE(images.join('\n').contains("smask")) << images.join('\n').toStdString();
            EXPECT_FALSE(images.join('\n').contains("jpeg")) << images.join('\n').toStdString();
        }
    }

    // Cross-page, and as a signature's appearance.
    const QString strips = path("image-strips.pdf");
    ASSERT_EQ(runPlomet({"stamp", path("twenty.pdf"), "-o", strips, "--straddle", "--page", "1-2", "--at-y", "100",
                         "--seal-image", svg}).exitCode, 0);
    for (int page : {1, 2}) {
        const double pageW = 595.276 / 72 * 25.4;
        const QRect edge(int((pageW - 30) * kPxPerMm), int(70 * kPxPerMm), int(30 * kPxPerMm), int(60 * kPxPerMm));
        EXPECT_TRUE(redBounds(renderPage(strips, page, int(kDpi), edge)).isValid()) << page;
    }
    QFile pw(path("image-pw"));
    ASSERT_TRUE(pw.open(QIODevice::WriteOnly));
    pw.write("secret\n");
    pw.close();
    ASSERT_EQ(runPlomet({"cert", "new", "--name", "Qorvel", "-o", path("image.p12"), "--password-file", path("image-pw")})
                  .exitCode, 0);
    const QString signedPdf = path("image-signed.pdf");
    const auto sign = runPlomet({"stamp", path("qt-a4.pdf"), "-o", signedPdf, "--at", "80,100", "--seal-image", svg,
                                 "--sign", path("image.p12"), "--password-file", path("image-pw")});
    ASSERT_EQ(sign.exitCode, 0) << sign.err.toStdString();
    const auto verify = runPlomet({"verify", signedPdf, "--json"});
    EXPECT_TRUE(verify.out.contains("\"intact\": true")) << verify.out.toStdString();
    EXPECT_TRUE(redBounds(renderPage(signedPdf, 1, int(kDpi), QRect(int(50 * kPxPerMm), int(70 * kPxPerMm),
                                                                     int(60 * kPxPerMm), int(60 * kPxPerMm))))
                    .isValid());
}

TEST_F(Stamp, SealImageRefusals)
{
    QFile cut(path("cut.png"));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    cut.close();
    QFile percent(path("percent.svg"));
    ASSERT_TRUE(percent.open(QIODevice::WriteOnly));
    percent.write("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100%\" height=\"100%\"><rect width=\"5\" height=\"5\"/></svg>");
    percent.close();
    ASSERT_EQ(runPlomet({"render", "-o", path("refused.png")}).exitCode, 0);
    const struct {
        QStringList args;
        int code;
        const char* says;
    } rows[] = {
        {{"--seal-image", path("refused.png"), "--set", "rText=x"}, 2, "--set is for a drawn seal"},
        {{"--seal-image", path("refused.png"), "--preset", "公章"}, 2, "--preset is for a drawn seal"},
        {{"--seal-image", path("seal.jpg")}, 2, "wants an .svg or .png"},
        {{"--seal-image", path("cut.png")}, 1, "cannot be read as PNG"},
        {{"--seal-image", path("percent.svg")}, 1, "no physical size"},
        {{"--seal-image", path("missing.svg")}, 1, "cannot open"},
    };
    const QString out = path("refused.pdf");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        const auto r = runPlomet(QStringList{"stamp", path("qt-a4.pdf"), "-o", out, "--at", "50,50"} + row.args);
        EXPECT_EQ(r.exitCode, row.code);
        EXPECT_TRUE(r.err.startsWith("plomet: ") && r.err.contains(QString::fromUtf8(row.says))) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out));
    }
}

TEST(StampPageList, Table)
{
    const struct { const char* list; int pages; std::vector<int> expected; } rows[] = {
        {"1", 5, {0}}, {"last", 5, {4}}, {"all", 3, {0, 1, 2}}, {"2-4", 5, {1, 2, 3}},
        {"1,3", 5, {0, 2}}, {"odd", 5, {0, 2, 4}}, {"even", 5, {1, 3}}, {"3,1-2,last", 4, {0, 1, 2, 3}},
        {" 2 - last ", 4, {1, 2, 3}}, {"even", 1, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.list);
        if (row.expected.empty()) {
            EXPECT_THROW(parsePageList(QString::fromLatin1(row.list), row.pages), PlometError);
            continue;
        }
        EXPECT_EQ(parsePageList(QString::fromLatin1(row.list), row.pages), row.expected);
    }
    for (const char* bad : {"", "0", "-1", "4-2", "1,,2", "x", "1.5", "+1", "6", "2-6"})
        EXPECT_THROW(parsePageList(QString::fromLatin1(bad), 5), PlometError) << bad;
}

} // namespace

// A table of documents: one stamping a row, the row's page, place and seal
// properties over the options'; bad rows named by line and column while
// the others are still stamped.
TEST_F(Stamp, TableStampsEveryGoodRow)
{
    const QString table = dir_->filePath(QStringLiteral("jobs.csv"));
    const QString a = dir_->filePath(QStringLiteral("t-a.pdf")), b = dir_->filePath(QStringLiteral("t-b.pdf"));
    const QString c = dir_->filePath(QStringLiteral("t-c.pdf")), d = dir_->filePath(QStringLiteral("t-d.pdf"));
    const QString e = dir_->filePath(QStringLiteral("t-e.pdf"));
    QFile f(table);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("Input,output,PAGE,at,ForeColor,Width,Height\n"
                           "%1,%2,2,\"60,40\",#0000C0,30,30\n"
                           "%3,%4,\"3,5\",,,,\n"
                           "%5,%6,1,\"x,y\",,,\n"
                           "%5,%7,1,,,abc,\n"
                           ",%7,1,,,,\n"
                           "%5,%4,1,,,,\n")
                .arg(path("qt-a4.pdf"), a, path("twenty.pdf"), b, path("mixed.pdf"), c, d)
                .toUtf8());
    f.close();
    const auto r = runPlomet({QStringLiteral("stamp"), QStringLiteral("--table"), table, QStringLiteral("--at"),
                              QStringLiteral("100,100"), QStringLiteral("--json")});
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    const QJsonArray outputs = QJsonDocument::fromJson(r.out.toUtf8()).object().value(QStringLiteral("outputs")).toArray();
    ASSERT_EQ(outputs.size(), 6) << r.out.toStdString();
    struct Row {
        const char* status;
        QJsonArray pages;
        const char* message;   // in the entry and on stderr after TABLE:LINE
    } rows[] = {
        {"ok", {2}, ""},
        {"ok", {3, 5}, ""},
        {"failed", {}, "column 4 (at)"},
        {"failed", {}, "column 6 (Width)"},
        {"failed", {}, "no input document"},
        {"failed", {}, "is already"},   // the second row's output again
    };
    for (int i = 0; i < 6; ++i) {
        const QJsonObject entry = outputs.at(i).toObject();
        const QString line = QStringLiteral("jobs.csv:%1").arg(i + 2);
        EXPECT_EQ(entry.value(QStringLiteral("status")).toString(), QLatin1String(rows[i].status)) << i;
        EXPECT_TRUE(entry.value(QStringLiteral("input")).toString().endsWith(line)) << i;
        if (*rows[i].message) {
            EXPECT_TRUE(entry.value(QStringLiteral("message")).toString().contains(QLatin1String(rows[i].message)))
                << i << ": " << entry.value(QStringLiteral("message")).toString().toStdString();
            EXPECT_TRUE(r.err.contains(line + QStringLiteral(": "))) << i << ": " << r.err.toStdString();
        } else {
            EXPECT_EQ(entry.value(QStringLiteral("pages")).toArray(), rows[i].pages) << i;
        }
    }
    EXPECT_NEAR(outputs.at(0).toObject().value(QStringLiteral("widthMm")).toDouble(), 30, 0.01);
    EXPECT_TRUE(QFileInfo::exists(a));
    EXPECT_TRUE(QFileInfo::exists(b));
    EXPECT_FALSE(QFileInfo::exists(c));
    EXPECT_FALSE(QFileInfo::exists(d));
    EXPECT_FALSE(QFileInfo::exists(e));
    // The first row's own colour: blue ink on its page 2, none on page 1.
    const auto blue = [](const QImage& img) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QRgb p = img.pixel(x, y);
                n += qBlue(p) > 150 && qRed(p) < 90 && qGreen(p) < 90;
            }
        return n;
    };
    EXPECT_GT(blue(renderPage(a, 2, 40)), 20);
    EXPECT_EQ(blue(renderPage(a, 1, 40)), 0);

    // Without a place in the row or on the command line, the row is refused.
    const auto noPlace = runPlomet({QStringLiteral("stamp"), QStringLiteral("--table"), table});
    EXPECT_EQ(noPlace.exitCode, 1);
    EXPECT_TRUE(noPlace.err.contains(QStringLiteral("jobs.csv:3: no place for the seal"))) << noPlace.err.toStdString();
}
