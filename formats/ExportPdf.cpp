#include "formats/ExportPdf.h"

#include "seal/Errors.h"
#include "seal/Wear.h"

#include <QColor>
#include <QCoreApplication>
#include <QImage>
#include <qpdf/Buffer.hh>
#include <qpdf/Pl_Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace plomet {

QByteArray writtenPdf(QPDF& pdf)
{
    QPDFWriter writer(pdf);
    writer.setOutputMemory();
    writer.setDeterministicID(true);
    writer.write();
    const std::shared_ptr<Buffer> buffer = writer.getBufferSharedPointer();
    return QByteArray(reinterpret_cast<const char*>(buffer->getBuffer()), static_cast<qsizetype>(buffer->getSize()));
}

namespace {

// Qt's one-page PDF of the seal, changed by edit and written again. Throws
// PlometError (Kind::Format) when it cannot be read or has another number
// of pages.
QByteArray editedOnePagePdf(const QByteArray& pdfBytes,
                            const std::function<void(QPDF&, QPDFPageObjectHelper&)>& edit)
{
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processMemoryFile("seal", pdfBytes.constData(), static_cast<size_t>(pdfBytes.size()));
        std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
        if (pages.size() != 1)
            throw std::runtime_error("page count");
        edit(pdf, pages.front());
        return writtenPdf(pdf);
    } catch (const std::exception& e) {
        throw PlometError(PlometError::Kind::Format,
                          QCoreApplication::translate("Formats", "cannot make the PDF file: %1").arg(QString::fromLocal8Bit(e.what())));
    }
}

std::string pdfNumber(double v)
{
    return QByteArray::number(v, 'f', 4).toStdString();
}

// The PDF of the unworn ink (no background), its page drawn through a
// luminosity soft mask made from the wear image.
QByteArray wornPdf(const QByteArray& pdfBytes, const DrawingModel& m, bool transparent)
{
    const QImage mask = wearMask(m, kWearMaskDpi);
    if (mask.isNull())
        throw PlometError(PlometError::Kind::Format, QCoreApplication::translate("Formats", "cannot make the PDF file"));
    return editedOnePagePdf(pdfBytes, [&](QPDF& pdf, QPDFPageObjectHelper& page) {
        const QPDFObjectHandle::Rectangle box = page.getMediaBox().getArrayAsRectangle();
        // The page's own drawing, read now, becomes a form drawn through the mask.
        Pl_Buffer drawn("ink");
        page.pipeContents(&drawn);
        const std::shared_ptr<Buffer> drawnBytes = drawn.getBufferSharedPointer();
        QPDFObjectHandle ink = QPDFObjectHandle::newStream(
            &pdf, std::string(reinterpret_cast<const char*>(drawnBytes->getBuffer()), drawnBytes->getSize()));
        ink.getDict().replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
        ink.getDict().replaceKey("/Subtype", QPDFObjectHandle::newName("/Form"));
        ink.getDict().replaceKey("/BBox", QPDFObjectHandle::newFromRectangle(box));
        // A transparency group: composited whole through the mask, whatever
        // soft mask its own drawing sets (Qt's states say /SMask /None).
        ink.getDict().replaceKey("/Group", QPDFObjectHandle::parse("<< /Type /Group /S /Transparency /CS /DeviceRGB >>"));
        ink.getDict().replaceKey("/Resources", page.getObjectHandle().getKey("/Resources").shallowCopy());

        std::string raw;
        raw.reserve(static_cast<size_t>(mask.width()) * static_cast<size_t>(mask.height()));
        for (int y = 0; y < mask.height(); ++y)
            raw.append(reinterpret_cast<const char*>(mask.constScanLine(y)), static_cast<size_t>(mask.width()));
        QPDFObjectHandle image = QPDFObjectHandle::newStream(&pdf, raw);
        image.getDict().replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
        image.getDict().replaceKey("/Subtype", QPDFObjectHandle::newName("/Image"));
        image.getDict().replaceKey("/Width", QPDFObjectHandle::newInteger(mask.width()));
        image.getDict().replaceKey("/Height", QPDFObjectHandle::newInteger(mask.height()));
        image.getDict().replaceKey("/ColorSpace", QPDFObjectHandle::newName("/DeviceGray"));
        image.getDict().replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(8));
        image.getDict().replaceKey("/Interpolate", QPDFObjectHandle::newBool(true));

        // The mask image from the surface's top-left corner, in points.
        const double s = kWearMaskDpi / 1440.0;
        const double wPt = mask.width() / s / 20.0, hPt = mask.height() / s / 20.0;
        const std::string place = "q " + pdfNumber(wPt) + " 0 0 " + pdfNumber(hPt) + " " + pdfNumber(box.llx)
                                + " " + pdfNumber(box.ury - hPt) + " cm /Wear Do Q\n";
        QPDFObjectHandle maskForm = QPDFObjectHandle::newStream(&pdf, place);
        QPDFObjectHandle formDict = maskForm.getDict();
        formDict.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
        formDict.replaceKey("/Subtype", QPDFObjectHandle::newName("/Form"));
        formDict.replaceKey("/BBox", QPDFObjectHandle::newFromRectangle(box));
        formDict.replaceKey("/Group", QPDFObjectHandle::parse("<< /Type /Group /S /Transparency /CS /DeviceGray >>"));
        QPDFObjectHandle maskResources = QPDFObjectHandle::parse("<< /XObject << >> >>");
        maskResources.getKey("/XObject").replaceKey("/Wear", image);
        formDict.replaceKey("/Resources", maskResources);

        QPDFObjectHandle state = QPDFObjectHandle::parse("<< /Type /ExtGState /SMask << /Type /Mask /S /Luminosity >> >>");
        state.getKey("/SMask").replaceKey("/G", maskForm);

        QPDFObjectHandle resources = QPDFObjectHandle::parse("<< /XObject << >> /ExtGState << >> >>");
        resources.getKey("/XObject").replaceKey("/Ink", ink);
        resources.getKey("/ExtGState").replaceKey("/Worn", pdf.makeIndirectObject(state));
        std::string content;
        if (!transparent) {
            const QColor bg = QColor::fromRgb(m.background);
            content += pdfNumber(bg.redF()) + " " + pdfNumber(bg.greenF()) + " " + pdfNumber(bg.blueF()) + " rg "
                     + pdfNumber(box.llx) + " " + pdfNumber(box.lly) + " " + pdfNumber(box.urx - box.llx) + " "
                     + pdfNumber(box.ury - box.lly) + " re f\n";
        }
        content += "q /Worn gs /Ink Do Q\n";
        page.getObjectHandle().replaceKey("/Resources", resources);
        page.getObjectHandle().replaceKey("/Contents", QPDFObjectHandle::newStream(&pdf, content));
    });
}

// Qt's page sizes are whole points: a seal of 102.75 pt got a page of 103.
// The page box is set to the seal's own size, from the top-left corner the
// drawing starts at, so the engraving measures what the seal does.
QByteArray exactPageBox(const QByteArray& pdfBytes, double wPt, double hPt)
{
    return editedOnePagePdf(pdfBytes, [&](QPDF&, QPDFPageObjectHelper& page) {
        const QPDFObjectHandle::Rectangle box = page.getMediaBox().getArrayAsRectangle();
        const QPDFObjectHandle exact =
            QPDFObjectHandle::newFromRectangle(QPDFObjectHandle::Rectangle(box.llx, box.ury - hPt, box.llx + wPt, box.ury));
        page.getObjectHandle().replaceKey("/MediaBox", exact);
        page.getObjectHandle().removeKey("/CropBox");
    });
}

} // namespace

QByteArray finishedPdf(const QByteArray& qtPdf, const DrawingModel& m, const ExportOptions& options, double wPt,
                       double hPt)
{
    if (options.engrave)
        return exactPageBox(qtPdf, wPt, hPt);
    return m.aging > 0 ? wornPdf(qtPdf, m, options.transparent) : qtPdf;
}

} // namespace plomet
