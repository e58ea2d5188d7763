// plomet extract: takes the seals off a scanned page as transparent images.
#include "cli/cli.h"

#include "formats/AtomicFile.h"
#include "formats/SealExtract.h"
#include "seal/Errors.h"
#include "seal/NumberText.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <cmath>
#include <cstdio>
#include <optional>

namespace plomet {

namespace {

const char kExtractHelp[] =
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
    "OUTDIR/<scan>-1.png, <scan>-2.png, ...\n"
    "\n"
    "  -o, --output FILE     the image to write (.png or .svg)\n"
    "  -d, --directory DIR   one image for each seal (the folder is made when\n"
    "                        it does not exist)\n"
    "  --format EXT          with -d: png (default) or svg\n"
    "  --dpi N               the scan's resolution, for a file that records\n"
    "                        none (otherwise taken as 300) or a wrong one\n"
    "  --colour #RRGGBB      the ink's colour (default red; blue or purple\n"
    "                        seals need it)\n"
    "  --recolour #RRGGBB    give the whole seal this one colour\n"
    "  --size MM             scale the seal so that its larger side is MM\n"
    "                        millimetres (42mm or 42)\n"
    "\n"
    "Refused with one line and no file written: a file that is not one of\n"
    "the four formats or is damaged, a picture above 100 million pixels, a\n"
    "picture with no ink of the seal's colour.\n"
    "Exit codes: 0 written, 1 refused or failed, 2 bad command line.\n";

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
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    auto valueOpt = [](const char* name, const char* value) {
        return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(name), QString::fromLatin1(value));
    };
    const QCommandLineOption outputOpt({QStringLiteral("o"), QStringLiteral("output")},
                                       QStringLiteral("output file"), QStringLiteral("FILE"));
    const QCommandLineOption dirOpt({QStringLiteral("d"), QStringLiteral("directory")},
                                    QStringLiteral("output folder"), QStringLiteral("DIR"));
    const QCommandLineOption formatOpt = valueOpt("format", "EXT");
    const QCommandLineOption dpiOpt = valueOpt("dpi", "N");
    const QCommandLineOption colourOpt = valueOpt("colour", "#RRGGBB");
    const QCommandLineOption recolourOpt = valueOpt("recolour", "#RRGGBB");
    const QCommandLineOption sizeOpt = valueOpt("size", "MM");
    const QCommandLineOption helpOpt({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("help"));
    parser.addOptions({outputOpt, dirOpt, formatOpt, dpiOpt, colourOpt, recolourOpt, sizeOpt, helpOpt});
    args.prepend(QStringLiteral("plomet extract"));
    if (!parser.parse(args)) {
        printError(parser.errorText());
        return kExitUsage;
    }
    if (parser.isSet(helpOpt)) {
        std::fputs(kExtractHelp, stdout);
        return kExitOk;
    }
    auto usage = [](const QString& message) {
        printError(message);
        return int(kExitUsage);
    };
    for (const QCommandLineOption* o : {&outputOpt, &dirOpt, &formatOpt, &dpiOpt, &colourOpt, &recolourOpt, &sizeOpt})
        if (parser.values(*o).size() > 1)
            return usage(QStringLiteral("--%1 given more than once").arg(o->names().constLast()));
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return usage(QStringLiteral("missing SCAN (the scanned page to take the seal from)"));
    if (positional.size() > 1)
        return usage(QStringLiteral("unexpected argument '%1'").arg(positional.at(1)));
    const bool batch = parser.isSet(dirOpt);
    if (batch == parser.isSet(outputOpt))
        return usage(batch ? QStringLiteral("give -o FILE or -d DIR, not both")
                           : QStringLiteral("missing -o OUT.png|OUT.svg (the image to write)"));
    QString format;
    if (batch) {
        format = parser.isSet(formatOpt) ? parser.value(formatOpt).toLower() : QStringLiteral("png");
        if (format != QLatin1String("png") && format != QLatin1String("svg"))
            return usage(QStringLiteral("--format wants png or svg, not '%1'").arg(parser.value(formatOpt)));
    } else {
        if (parser.isSet(formatOpt))
            return usage(QStringLiteral("--format is for -d; -o takes the format from its extension"));
        format = QFileInfo(parser.value(outputOpt)).suffix().toLower();
        if (format != QLatin1String("png") && format != QLatin1String("svg"))
            return usage(QStringLiteral("cannot tell the format of '%1' (known: .png, .svg)").arg(parser.value(outputOpt)));
    }
    double dpi = 0;
    if (parser.isSet(dpiOpt)) {
        const auto v = parseStrictNumber(parser.value(dpiOpt).trimmed());
        if (!v || !(*v >= 10 && *v <= 20000))
            return usage(QStringLiteral("--dpi wants a resolution from 10 to 20000, not '%1'").arg(parser.value(dpiOpt)));
        dpi = *v;
    }
    ExtractOptions options;
    if (parser.isSet(colourOpt)) {
        const auto c = colourArg(parser.value(colourOpt));
        if (!c)
            return usage(QStringLiteral("--colour wants #RRGGBB, not '%1'").arg(parser.value(colourOpt)));
        if (c->hsvSaturationF() < 0.15)
            return usage(QStringLiteral("--colour %1 is grey: seals are told from black print by their colour")
                             .arg(parser.value(colourOpt)));
        options.ink = *c;
    }
    if (parser.isSet(recolourOpt)) {
        const auto c = colourArg(parser.value(recolourOpt));
        if (!c)
            return usage(QStringLiteral("--recolour wants #RRGGBB, not '%1'").arg(parser.value(recolourOpt)));
        options.recolour = *c;
    }
    if (parser.isSet(sizeOpt)) {
        QString text = parser.value(sizeOpt).trimmed();
        if (text.endsWith(QLatin1String("mm"), Qt::CaseInsensitive))
            text.chop(2);
        const auto v = parseStrictNumber(text.trimmed());
        if (!v || !(*v >= 1 && *v <= 1000))
            return usage(QStringLiteral("--size wants millimetres from 1 to 1000, not '%1'").arg(parser.value(sizeOpt)));
        options.diameterMm = *v;
    }

    try {
        const QString scanPath = positional.at(0);
        const Scan scan = readScanFile(scanPath, dpi);
        if (!scan.dpiFromFile && dpi <= 0)
            printError(QStringLiteral("warning: %1 records no resolution; taken as %2 dpi (give the scan's with --dpi)")
                           .arg(scanPath).arg(kAssumedScanDpi));
        const std::vector<ExtractedSeal> seals = extractSeals(scan, options);
        auto bytesOf = [&format](const ExtractedSeal& seal) {
            return format == QLatin1String("svg") ? extractedSvg(seal) : extractedPng(seal);
        };
        const QString writeFailed = QStringLiteral("cannot write %1: %2");
        if (!batch) {
            writeFileAtomically(parser.value(outputOpt), bytesOf(seals.front()), writeFailed);
            if (seals.size() > 1)
                printError(QStringLiteral("warning: %1 seals on the page; the largest is written (-d DIR writes each)")
                               .arg(seals.size()));
            return kExitOk;
        }
        const QString dir = parser.value(dirOpt);
        if (!QDir().mkpath(dir))
            throw PlometError(PlometError::Kind::File, QStringLiteral("cannot make the folder %1").arg(dir));
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
