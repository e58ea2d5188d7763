// plomet extract: takes the seals off a scanned page as transparent images.
#include "cli/cli.h"
#include "cli/Options.h"

#include "formats/AtomicFile.h"
#include "formats/SealExtract.h"
#include "seal/Errors.h"
#include "seal/NumberText.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <cmath>
#include <cstdio>
#include <optional>

namespace plomet {

namespace {

const char kExtractAbout[] = QT_TRANSLATE_NOOP(
    "Commands",
    "Usage: plomet extract SCAN -o OUT.png|OUT.svg [options]\n"
    "       plomet extract SCAN -d OUTDIR [--format png|svg] [options]\n"
    "\n"
    "Takes the seal off a scanned or photographed page (PNG, JPEG, TIFF or\n"
    "BMP): its ink found by colour, the black and grey print under and around\n"
    "it removed, cropped with a margin of 1 mm. PNG keeps the ink's strength\n"
    "as alpha (worn ink and soft edges stay) on a transparent background and\n"
    "records the scan's resolution, so the seal keeps its size in mm; SVG\n"
    "traces the ink to paths at the same size. With -o the largest seal on\n"
    "the page is written; with -d every seal, largest first, as\n"
    "OUTDIR/<scan>-1.png, <scan>-2.png, ...\n");

const char kExtractNotes[] = QT_TRANSLATE_NOOP(
    "Commands",
    "Refused with one line and no file written: a file that is not one of\n"
    "the four formats or is damaged, a picture above 100 million pixels, a\n"
    "picture with no ink of the seal's colour.\n"
    "Exit codes: 0 written, 1 refused or failed, 2 bad command line.\n");

std::optional<QColor> colourArg(const QString& text)
{
    static const QRegularExpression rgb(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
    if (!rgb.match(text.trimmed()).hasMatch())
        return std::nullopt;
    return QColor(text.trimmed());
}

} // namespace

int cmdExtract(QStringList args)
{
    CommandLine parser(kCmdExtract, "extract", kExtractAbout, kExtractNotes);
    if (const auto done = parser.parse(args))
        return *done;
    const QCommandLineOption& outputOpt = parser.option("output");
    const QCommandLineOption& dirOpt = parser.option("directory");
    const QCommandLineOption& formatOpt = parser.option("format");
    const QCommandLineOption& dpiOpt = parser.option("dpi");
    const QCommandLineOption& colourOpt = parser.option("colour");
    const QCommandLineOption& recolourOpt = parser.option("recolour");
    const QCommandLineOption& sizeOpt = parser.option("size");
    auto usage = [](const QString& message) {
        printError(message);
        return int(kExitUsage);
    };
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return usage(Cli::tr("missing SCAN (the scanned page to take the seal from)"));
    if (positional.size() > 1)
        return usage(Cli::tr("unexpected argument '%1'").arg(positional.at(1)));
    const bool batch = parser.isSet(dirOpt);
    if (batch == parser.isSet(outputOpt))
        return usage(batch ? Cli::tr("give -o FILE or -d DIR, not both")
                           : Cli::tr("missing -o OUT.png|OUT.svg (the image to write)"));
    QString format;
    if (batch) {
        format = parser.isSet(formatOpt) ? parser.value(formatOpt).toLower() : QStringLiteral("png");
        if (format != QLatin1String("png") && format != QLatin1String("svg"))
            return usage(Cli::tr("--format wants png or svg, not '%1'").arg(parser.value(formatOpt)));
    } else {
        if (parser.isSet(formatOpt))
            return usage(Cli::tr("--format is for -d; -o takes the format from its extension"));
        format = QFileInfo(parser.value(outputOpt)).suffix().toLower();
        if (format != QLatin1String("png") && format != QLatin1String("svg"))
            return usage(Cli::tr("cannot tell the format of '%1' (known: .png, .svg)").arg(parser.value(outputOpt)));
    }
    double dpi = 0;
    if (parser.isSet(dpiOpt)) {
        const auto v = parseStrictNumber(parser.value(dpiOpt).trimmed());
        if (!v || !(*v >= 10 && *v <= 20000))
            return usage(Cli::tr("--dpi wants a resolution from 10 to 20000, not '%1'").arg(parser.value(dpiOpt)));
        dpi = *v;
    }
    ExtractOptions options;
    if (parser.isSet(colourOpt)) {
        const auto c = colourArg(parser.value(colourOpt));
        if (!c)
            return usage(Cli::tr("--colour wants #RRGGBB, not '%1'").arg(parser.value(colourOpt)));
        if (c->hsvSaturationF() < 0.15)
            return usage(Cli::tr("--colour %1 is grey: seals are told from black print by their colour")
                             .arg(parser.value(colourOpt)));
        options.ink = *c;
    }
    if (parser.isSet(recolourOpt)) {
        const auto c = colourArg(parser.value(recolourOpt));
        if (!c)
            return usage(Cli::tr("--recolour wants #RRGGBB, not '%1'").arg(parser.value(recolourOpt)));
        options.recolour = *c;
    }
    if (parser.isSet(sizeOpt)) {
        QString text = parser.value(sizeOpt).trimmed();
        if (text.endsWith(QLatin1String("mm"), Qt::CaseInsensitive))
            text.chop(2);
        const auto v = parseStrictNumber(text.trimmed());
        if (!v || !(*v >= 1 && *v <= 1000))
            return usage(Cli::tr("--size wants millimetres from 1 to 1000, not '%1'").arg(parser.value(sizeOpt)));
        options.diameterMm = *v;
    }

    try {
        const QString scanPath = positional.at(0);
        const Scan scan = readScanFile(scanPath, dpi);
        if (!scan.dpiFromFile && dpi <= 0)
            printError(Cli::tr("warning: %1 records no resolution; taken as %2 dpi (give the scan's with --dpi)")
                           .arg(scanPath).arg(kAssumedScanDpi));
        const std::vector<ExtractedSeal> seals = extractSeals(scan, options);
        auto bytesOf = [&format](const ExtractedSeal& seal) {
            return format == QLatin1String("svg") ? extractedSvg(seal) : extractedPng(seal);
        };
        const QString writeFailed = Cli::tr("cannot write %1: %2");
        if (!batch) {
            writeFileAtomically(parser.value(outputOpt), bytesOf(seals.front()), writeFailed);
            if (seals.size() > 1)
                printError(Cli::tr("warning: %1 seals on the page; the largest is written (-d DIR writes each)")
                               .arg(seals.size()));
            return kExitOk;
        }
        const QString dir = parser.value(dirOpt);
        if (!QDir().mkpath(dir))
            throw PlometError(PlometError::Kind::File, Cli::tr("cannot make the folder %1").arg(dir));
        const QString base = QFileInfo(scanPath).completeBaseName();
        for (size_t i = 0; i < seals.size(); ++i)
            writeFileAtomically(QDir(dir).filePath(QStringLiteral("%1-%2.%3").arg(base).arg(i + 1).arg(format)),
                                bytesOf(seals[i]), writeFailed);
    } catch (const PlometError& e) {
        printError(e.message());
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace plomet
