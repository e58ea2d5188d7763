#include "stamp/SealImage.h"

#include "formats/Export.h"
#include "formats/SealExtract.h"
#include "seal/Errors.h"
#include "seal/SystemReason.h"
#include "stamp/QpdfReason.h"

#include <QCoreApplication>
#include <QDir>
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <cmath>
#include <string>

namespace plomet {

namespace {

PlometError imageError(const QString& message)
{
    return PlometError(PlometError::Kind::Format, message);
}

// The largest seal taken: a metre a side is far beyond any seal, and keeps
// the page and its drawing within what a PDF viewer takes.
constexpr double kMaxSidePt = 1000 / 25.4 * 72;

// A length of the SVG root in points; none when it has no usable unit.
std::optional<double> svgLengthPt(const QString& text)
{
    static const QRegularExpression length(QStringLiteral("^\\s*([0-9]*\\.?[0-9]+(?:[eE][-+]?[0-9]+)?)\\s*([a-z]*)\\s*$"));
    const QRegularExpressionMatch m = length.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const double v = m.captured(1).toDouble();
    const QString unit = m.captured(2);
    static const struct { const char* unit; double pt; } kUnits[] = {
        {"mm", 72 / 25.4}, {"cm", 72 / 2.54}, {"in", 72}, {"pt", 1}, {"pc", 12}, {"px", 0.75}, {"", 0.75},
    };
    for (const auto& u : kUnits)
        if (unit == QLatin1String(u.unit))
            return v * u.pt;
    return std::nullopt;   // % and em say nothing of a physical size
}

// The one-page PDF with the picture painted from its top-left corner, at
// wPt x hPt; the page rounded up to whole points.
template <typename Paint>
QByteArray sealPdf(double wPt, double hPt, const QString& name, Paint paint)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setCreator(QStringLiteral("Plomet"));
    pdf.setResolution(1440);
    pdf.setPageLayout(QPageLayout(QPageSize(QSizeF(std::ceil(wPt), std::ceil(hPt)), QPageSize::Point, QString(),
                                            QPageSize::ExactMatch),
                                  QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter painter;
    if (!painter.begin(&pdf))
        throw imageError(QCoreApplication::translate("Stamp", "%1: cannot make the seal's page").arg(name));
    painter.setRenderHint(QPainter::Antialiasing, true);
    paint(painter, QRectF(0, 0, wPt * 20, hPt * 20));   // twips at 1440 to the inch
    painter.end();
    return bytes;
}

void checkSize(double wPt, double hPt, const QString& name)
{
    if (!(wPt > 0) || !(hPt > 0) || !std::isfinite(wPt) || !std::isfinite(hPt))
        throw imageError(QCoreApplication::translate("Stamp", "%1 gives the seal no size").arg(name));
    if (wPt > kMaxSidePt || hPt > kMaxSidePt)
        throw imageError(QCoreApplication::translate("Stamp", "%1 is too large a seal: %2 x %3 mm (at most 1000 mm a side)")
                             .arg(name)
                             .arg(wPt / 72 * 25.4, 0, 'f', 1)
                             .arg(hPt / 72 * 25.4, 0, 'f', 1));
}

StampSeal fromSvg(const QByteArray& bytes, const QString& name)
{
    QSvgRenderer renderer;
    if (!renderer.load(bytes) || !renderer.isValid())
        throw imageError(QCoreApplication::translate("Stamp", "%1 cannot be read as SVG").arg(name));
    // The root's own width and height: QSvgRenderer turns them into pixels
    // at a resolution of its own.
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd() && !xml.isStartElement())
        xml.readNext();
    const QXmlStreamAttributes attributes = xml.attributes();
    const QRectF view = renderer.viewBoxF();
    std::optional<double> w = svgLengthPt(attributes.value(QLatin1String("width")).toString());
    std::optional<double> h = svgLengthPt(attributes.value(QLatin1String("height")).toString());
    if (!attributes.hasAttribute(QLatin1String("width")) && view.width() > 0)
        w = view.width() * 0.75;
    if (!attributes.hasAttribute(QLatin1String("height")) && view.height() > 0)
        h = view.height() * 0.75;
    if (!w || !h)
        throw imageError(QCoreApplication::translate("Stamp", "%1 gives the seal no physical size (its width and height want a unit such as mm)").arg(name));
    checkSize(*w, *h, name);
    StampSeal seal;
    seal.widthPt = *w;
    seal.heightPt = *h;
    seal.pdf = sealPdf(*w, *h, name, [&](QPainter& painter, const QRectF& box) { renderer.render(&painter, box); });
    return seal;
}

// The picture on a page of its own, its colour and alpha (a soft mask) as
// lossless images (Flate): Qt's PDF writer stored a seal's colour as JPEG.
QByteArray pngPdf(const QImage& picture, double wPt, double hPt, const QString& name)
{
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    const int w = argb.width(), h = argb.height();
    std::string rgb, alpha;
    rgb.reserve(size_t(w) * h * 3);
    alpha.reserve(size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            rgb += char(qRed(row[x]));
            rgb += char(qGreen(row[x]));
            rgb += char(qBlue(row[x]));
            alpha += char(qAlpha(row[x]));
        }
    }
    try {
        QPDF pdf;
        pdf.emptyPDF();
        auto image = [&](std::string bytes, const char* colourSpace) {
            QPDFObjectHandle stream = QPDFObjectHandle::newStream(&pdf, std::move(bytes));
            QPDFObjectHandle dict = stream.getDict();
            dict.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
            dict.replaceKey("/Subtype", QPDFObjectHandle::newName("/Image"));
            dict.replaceKey("/Width", QPDFObjectHandle::newInteger(w));
            dict.replaceKey("/Height", QPDFObjectHandle::newInteger(h));
            dict.replaceKey("/ColorSpace", QPDFObjectHandle::newName(colourSpace));
            dict.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(8));
            return stream;
        };
        QPDFObjectHandle colour = image(std::move(rgb), "/DeviceRGB");
        colour.getDict().replaceKey("/SMask", image(std::move(alpha), "/DeviceGray"));
        const double pageW = std::ceil(wPt), pageH = std::ceil(hPt);
        // From the page's top-left corner, as stamping takes a seal's page.
        const std::string content = "q " + QByteArray::number(wPt, 'f', 4).toStdString() + " 0 0 "
                                    + QByteArray::number(hPt, 'f', 4).toStdString() + " 0 "
                                    + QByteArray::number(pageH - hPt, 'f', 4).toStdString() + " cm /Seal Do Q\n";
        QPDFObjectHandle resources = QPDFObjectHandle::parse("<< /XObject << >> >>");
        resources.getKey("/XObject").replaceKey("/Seal", colour);
        QPDFObjectHandle page = pdf.makeIndirectObject(QPDFObjectHandle::parse(
            "<< /Type /Page /MediaBox [0 0 " + QByteArray::number(pageW, 'f', 0).toStdString() + " "
            + QByteArray::number(pageH, 'f', 0).toStdString() + "] >>"));
        page.replaceKey("/Resources", resources);
        page.replaceKey("/Contents", QPDFObjectHandle::newStream(&pdf, content));
        QPDFPageDocumentHelper(pdf).addPage(QPDFPageObjectHelper(page), false);
        return writtenPdf(pdf);
    } catch (const std::exception& e) {
        throw imageError(QCoreApplication::translate("Stamp", "%1: cannot make the seal's page: %2").arg(name, qpdfReason(e)));
    }
}

StampSeal fromPng(const QByteArray& bytes, const QString& name, QStringList* warnings)
{
    const QImage image = readPicture(bytes, "png", name);
    double dpi = image.dotsPerMeterX() * 0.0254;
    if (!recordsResolution(bytes, "png", image) || !(dpi >= 10)) {
        dpi = kAssumedScanDpi;
        if (warnings)
            *warnings << QCoreApplication::translate("Stamp", "%1 records no resolution; placed at %2 dpi").arg(name).arg(dpi);
    }
    const double wPt = image.width() / dpi * 72, hPt = image.height() / dpi * 72;
    checkSize(wPt, hPt, name);
    StampSeal seal;
    seal.widthPt = wPt;
    seal.heightPt = hPt;
    seal.pdf = pngPdf(image, wPt, hPt, name);
    return seal;
}

} // namespace

std::optional<SealImageKind> sealImageKindOf(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == QLatin1String("svg"))
        return SealImageKind::Svg;
    if (ext == QLatin1String("png"))
        return SealImageKind::Png;
    return std::nullopt;
}

StampSeal stampSealFromImage(const QByteArray& bytes, SealImageKind kind, const QString& name, QStringList* warnings)
{
    return kind == SealImageKind::Svg ? fromSvg(bytes, name) : fromPng(bytes, name, warnings);
}

StampSeal stampSealFromImageFile(const QString& path, QStringList* warnings)
{
    const auto kind = sealImageKindOf(path);
    if (!kind)
        throw imageError(QCoreApplication::translate("Stamp", "%1 is not an SVG or PNG seal").arg(path));
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        const QString reason = openReason(file, errno);
        throw PlometError(PlometError::Kind::File, QCoreApplication::translate("Stamp", "cannot open the file “%1”: %2")
                                                       .arg(QDir::toNativeSeparators(path), reason));
    }
    // Seals are small files; a picture of the largest size compresses far
    // below this.
    constexpr qint64 kMaxFile = qint64(256) << 20;
    if (file.size() > kMaxFile)
        throw imageError(QCoreApplication::translate("Stamp", "%1 is too large (%2 MB)").arg(path).arg(file.size() >> 20));
    return stampSealFromImage(file.read(kMaxFile), *kind, path, warnings);
}

} // namespace plomet
