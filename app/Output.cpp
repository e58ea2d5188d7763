#include "app/Output.h"

#include "formats/AtomicFile.h"
#include "formats/Export.h"
#include "platform/CommDlgs.h"
#include "seal/Errors.h"
#include "seal/Plomet.h"
#include "seal/Render.h"
#include "platform/modMain.h"
#include "seal/Units.h"

#include <QCoreApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <optional>
#include <string>

#include <cups/cups.h>
#include <cstring>

namespace plomet {

namespace {


// The picture as the screen shows it: opaque pixels at the screen's
// resolution (a bitmap has no alpha; transparent pixels would turn black).
ExportOptions screenPixels(const SealPicture& picture)
{
    ExportOptions o;
    o.dpi = picture.screenDpi();
    o.transparent = false;
    return o;
}

// Qt's CUPS engine neither asks whether a queue takes jobs nor reports a
// refused one: the page would vanish while the command looks done. So CUPS is
// asked before and after. Answers for a CUPS queue; nullopt for anything else.
struct CupsQueue {
    std::string name, instance;
};

std::optional<CupsQueue> cupsQueueOf(const QString& printerName)
{
    const QStringList parts = printerName.split(u'/');
    CupsQueue queue{parts.value(0).toStdString(), parts.value(1).toStdString()};
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.name.c_str(),
                                         queue.instance.empty() ? nullptr : queue.instance.c_str());
    if (!dest)
        return std::nullopt;
    cupsFreeDests(1, dest);
    return queue;
}

bool queueTakesJobs(const CupsQueue& queue)
{
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.name.c_str(),
                                         queue.instance.empty() ? nullptr : queue.instance.c_str());
    if (!dest)
        return false;
    const char* accepting = cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    const bool takes = !accepting || std::strcmp(accepting, "false") != 0;
    cupsFreeDests(1, dest);
    return takes;
}

} // namespace

PicturePtr lastPicture(const Plomet& seal)
{
    PicturePtr picture = seal.image();
    if (!picture)
        throw PlometError(PlometError::Kind::Platform, QCoreApplication::translate("plomet::Output", "The seal has not been drawn yet; there is no picture to output."));
    return picture;
}

// ---------------------------------------------------------------- clipboard

QMimeData* pictureMimeData(const SealPicture& picture)
{
    auto* data = new QMimeData;
    data->setImageData(picture.pixels());
    data->setData(QStringLiteral("image/png"), exportBytes(picture, QStringLiteral("png"), screenPixels(picture)));
    return data;
}

void copyPicture(const SealPicture& picture)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        throw PlometError(PlometError::Kind::Platform, QCoreApplication::translate("plomet::Output", "Could not open the clipboard."));
    clipboard->setMimeData(pictureMimeData(picture), QClipboard::Clipboard);
}

// ---------------------------------------------------------------- printer

void paintAtOneTwip(QPainter& painter, const SealPicture& picture, double dotsPerInch)
{
    const double pixelsPerTwip = dotsPerInch / kTwipsPerInch;
    painter.save();
    painter.translate(1.0 * pixelsPerTwip, 1.0 * pixelsPerTwip);
    paintModel(painter, picture.model(), pixelsPerTwip);
    painter.restore();
}

void printPicture(const SealPicture& picture, QPrinter& printer)
{
    const bool toQueue = printer.outputFormat() == QPrinter::NativeFormat;
    const QString name = toQueue ? printer.printerName() : printer.outputFileName();
    const std::optional<CupsQueue> queue = toQueue ? cupsQueueOf(name) : std::nullopt;
    if (queue && !queueTakesJobs(*queue))
        throw PlometError(PlometError::Kind::Platform,
                          QCoreApplication::translate("plomet::Output", "The printer \"%1\" does not take jobs now.").arg(name));
    QPainter painter;
    if (!painter.begin(&printer))
        throw PlometError(PlometError::Kind::Platform,
                          QCoreApplication::translate("plomet::Output", "Could not start printing on the printer \"%1\".").arg(name));
    paintAtOneTwip(painter, picture, printer.resolution());
    // Ending the document sends the page now, not when the program ends.
    const bool ended = painter.end();
    if (!ended || printer.printerState() == QPrinter::Error)
        throw PlometError(PlometError::Kind::Platform,
                          QCoreApplication::translate("plomet::Output", "Printing on the printer \"%1\" failed.").arg(name));
    // The job's submission was the last CUPS request of this thread.
    if (queue && cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE)
        throw PlometError(PlometError::Kind::Platform,
                          QCoreApplication::translate("plomet::Output", "The printer \"%1\" did not take the job: %2")
                              .arg(name, QString::fromUtf8(cupsLastErrorString())));
}

void printPicture(const SealPicture& picture)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull() || info.printerName().isEmpty())
        throw PlometError(PlometError::Kind::Platform,
                          QCoreApplication::translate("plomet::Output", "There is no default printer: install a printer and make it the default first."));
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Plomet"));
    // The printable area is the device's own: Qt's default 10-point margins
    // would move the seal inside it.
    printer.setFullPage(false);
    QPageLayout layout = printer.pageLayout();
    layout.setMargins(layout.minimumMargins());
    printer.setPageLayout(layout);
    printPicture(picture, printer);
}

// ---------------------------------------------------------------- bitmap

QByteArray bitmapBytes(const SealPicture& picture)
{
    return exportBytes(picture, QStringLiteral("bmp"), screenPixels(picture));
}

void writeBitmap(const SealPicture& picture, const QString& path)
{
    const QByteArray bytes = bitmapBytes(picture);
    // Whole or not at all, and synced before it takes the old one's place.
    writeFileAtomically(path, bytes, QCoreApplication::translate("plomet::Output", "Could not write the bitmap file \"%1\": %2"));
}

// ---------------------------------------------------------------- commands

void cmdCopy(const Plomet& seal)
{
    copyPicture(*lastPicture(seal));
}

void cmdPrint(const Plomet& seal)
{
    printPicture(*lastPicture(seal));
}

void cmdSaveAs(QWidget* owner, const Plomet& seal)
{
    const QString filter = QStringLiteral("位图文件 (*.BMP)") + QChar(u'\0') + QStringLiteral("*.BMP");
    const QString path = ShowFileDialog(owner, kSaveDialog, QStringLiteral("另存为"), QString(), filter,
                                        appDirForDialogs(), QStringLiteral("BMP"));
    if (path.isEmpty())
        return;
    writeBitmap(*lastPicture(seal), path);
}

} // namespace plomet
