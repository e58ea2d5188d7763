// plomet stamp: stamps a seal onto pages of a PDF document.
#include "cli/cli.h"

#include "seal/Errors.h"
#include "seal/NumberText.h"
#include "stamp/PdfStamp.h"
#include "stamp/SealImage.h"
#include "formats/PmfFile.h"
#include "formats/Export.h"
#include "seal/Plomet.h"

#include "seal/SystemReason.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonObject>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <cstdio>
#include <optional>

namespace plomet {

namespace {

const char kStampHelp[] =
    "Usage: plomet stamp IN.pdf -o OUT.pdf [SEAL.PMF] [--preset NAME] [--set NAME=VALUE]...\n"
    "                    (--at X,Y [--angle DEG] | --straddle [options]) [--page LIST]\n"
    "\n"
    "Stamps a brand-new seal, or the seal that SEAL.PMF describes, onto pages\n"
    "of IN.pdf and writes OUT.pdf (which may be IN.pdf; IN.pdf itself is never\n"
    "changed). The seal goes in as vectors at its true size, without\n"
    "background, its ink multiplied onto the page so that text under it stays\n"
    "readable. Positions are millimetres from the top-left corner of the page\n"
    "as a reader sees it (inside the crop box, after the page's rotation).\n"
    "\n"
    "  -o, --output FILE   the PDF to write\n"
    "  --preset NAME       start from a common seal (as for render): 公章,\n"
    "                      合同专用章, 财务专用章, 发票专用章; --set applies after it\n"
    "  --set NAME=VALUE    assign a seal property before drawing (as for render)\n"
    "  --seal-image FILE   stamp this picture instead of a drawn seal: an SVG\n"
    "                      (such as plomet extract writes) stays vector, at\n"
    "                      the size its width and height give; a PNG goes in\n"
    "                      at the size its resolution gives, with its alpha\n"
    "                      (not with SEAL.PMF, --preset or --set)\n"
    "  --page LIST         pages: 1  1,3  2-5  last  all  odd  even, or a list of\n"
    "                      these (default 1; for --straddle all)\n"
    "  --at X,Y            the seal's centre, in mm\n"
    "  --angle DEG         turn the seal clockwise (default 0)\n"
    "  --straddle          cross-page seal: one strip of the seal at the edge\n"
    "                      of each page; the strips side by side give the seal\n"
    "  --at-y Y            cross-page: height of the seal's centre in mm\n"
    "                      (default the middle of the first page)\n"
    "  --straddle-max N    cross-page: a new seal every N pages (default 20)\n"
    "  --edge right|left   cross-page: the edge the strips sit at (default\n"
    "                      right; double-sided: --page odd, or --page even\n"
    "                      --edge left)\n"
    "  --first-strip MM    cross-page: width of the first page's strip (default:\n"
    "                      all strips equally wide)\n"
    "  --inset MM          cross-page: distance of the strips from the page edge\n"
    "  --force             rewrite a digitally signed document whole (its\n"
    "                      signatures break) instead of appending the seal\n"
    "\n"
    "Signing (an electronic seal): the seal becomes the visible appearance of\n"
    "a PAdES signature (ETSI.CAdES.detached, SHA-256) over the document.\n"
    "  --sign SEAL.p12     sign with the key and certificate chain in this\n"
    "                      PKCS#12 file\n"
    "  --password-file F   its password, the file's first line (else the\n"
    "                      environment variable PLOMET_P12_PASSWORD, else asked\n"
    "                      on the terminal, not shown)\n"
    "  --reason TEXT       why it is signed\n"
    "  --location TEXT     where it is signed\n"
    "  --contact TEXT      how to reach the signer\n"
    "  --name FIELD        the signature field's name (default SignatureN)\n"
    "  --tsa URL           add a time stamp from this RFC 3161 service\n"
    "                      (http://...; PAdES B-T)\n"
    "  --json              print one JSON document on stdout: an entry for\n"
    "                      the output (input, output, status, message,\n"
    "                      warnings, pages, signed, widthMm, heightMm)\n"
    "A cross-page seal signs as one signature field whose widget is the\n"
    "first page's strip; the other strips are in their pages' content,\n"
    "covered by the same signature.\n"
    "\n"
    "A document that is already signed gets the seal (signed or not) as an\n"
    "incremental update after its bytes, which stay as they were: earlier\n"
    "signatures stay valid.\n"
    "\n"
    "Refused with one line and no file written: a file that is not a PDF, a\n"
    "damaged one that cannot be repaired (a repaired one goes through with a\n"
    "warning), one that needs a password, one whose permissions forbid\n"
    "changes, a page out of range, a seal that falls entirely outside the\n"
    "page; for signing also a wrong password, a file that is not PKCS#12, an\n"
    "expired certificate or one not for signing, an encrypted document, and a\n"
    "signed one whose cross-reference cannot be followed to append to.\n"
    "Exit codes: 0 written, 1 refused or failed, 2 bad command line.\n";

std::optional<double> millimetres(const QString& text)
{
    const auto v = parseStrictNumber(text.trimmed());
    if (!v || !std::isfinite(*v) || std::abs(*v) > 100000)
        return std::nullopt;
    return v;
}

StampSeal drawnStampSeal(const QStringList& positional, const QString& preset, bool withPreset,
                         const QStringList& settings);

} // namespace

int cmdStamp(QStringList args)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    auto valueOpt = [](const char* name, const char* value) {
        return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(name), QString::fromLatin1(value));
    };
    const QCommandLineOption outputOpt({QStringLiteral("o"), QStringLiteral("output")},
                                       QStringLiteral("output file"), QStringLiteral("FILE"));
    const QCommandLineOption setOpt = valueOpt("set", "NAME=VALUE");
    const QCommandLineOption presetOpt = valueOpt("preset", "NAME");
    const QCommandLineOption pageOpt = valueOpt("page", "LIST");
    const QCommandLineOption atOpt = valueOpt("at", "X,Y");
    const QCommandLineOption angleOpt = valueOpt("angle", "DEG");
    const QCommandLineOption straddleOpt(QStringLiteral("straddle"), QStringLiteral("cross-page seal"));
    const QCommandLineOption atYOpt = valueOpt("at-y", "Y");
    const QCommandLineOption maxOpt = valueOpt("straddle-max", "N");
    const QCommandLineOption edgeOpt = valueOpt("edge", "EDGE");
    const QCommandLineOption firstOpt = valueOpt("first-strip", "MM");
    const QCommandLineOption insetOpt = valueOpt("inset", "MM");
    const QCommandLineOption forceOpt(QStringLiteral("force"), QStringLiteral("break signatures"));
    const QCommandLineOption signOpt = valueOpt("sign", "SEAL.p12");
    const QCommandLineOption passwordOpt = valueOpt("password-file", "FILE");
    const QCommandLineOption reasonOpt = valueOpt("reason", "TEXT");
    const QCommandLineOption locationOpt = valueOpt("location", "TEXT");
    const QCommandLineOption contactOpt = valueOpt("contact", "TEXT");
    const QCommandLineOption nameOpt = valueOpt("name", "FIELD");
    const QCommandLineOption tsaOpt = valueOpt("tsa", "URL");
    const QCommandLineOption jsonOpt(QStringLiteral("json"), QStringLiteral("results as JSON"));
    const QCommandLineOption imageOpt = valueOpt("seal-image", "FILE");
    const QCommandLineOption helpOpt({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("help"));
    parser.addOptions({outputOpt, presetOpt, setOpt, pageOpt, atOpt, angleOpt, straddleOpt, atYOpt, maxOpt, edgeOpt,
                       firstOpt, insetOpt, forceOpt, signOpt, passwordOpt, reasonOpt, locationOpt, contactOpt, nameOpt,
                       tsaOpt, jsonOpt, imageOpt, helpOpt});
    args.prepend(QStringLiteral("plomet stamp"));
    if (!parser.parse(args)) {
        printError(parser.errorText());
        return kExitUsage;
    }
    if (parser.isSet(helpOpt)) {
        std::fputs(kStampHelp, stdout);
        return kExitOk;
    }
    // Every option but --set once.
    for (const QCommandLineOption* o : {&outputOpt, &presetOpt, &pageOpt, &atOpt, &angleOpt, &atYOpt, &maxOpt, &edgeOpt,
                                        &firstOpt, &insetOpt, &signOpt, &passwordOpt, &reasonOpt, &locationOpt,
                                        &contactOpt, &nameOpt, &tsaOpt, &imageOpt}) {
        if (parser.values(*o).size() > 1) {
            printError(QStringLiteral("--%1 given more than once").arg(o->names().constLast()));
            return kExitUsage;
        }
    }
    if (parser.isSet(presetOpt) && !presetProblem(parser.value(presetOpt)).isEmpty()) {
        printError(presetProblem(parser.value(presetOpt)));
        return kExitUsage;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        printError(QStringLiteral("missing IN.pdf (the document to stamp)"));
        return kExitUsage;
    }
    if (positional.size() > 2) {
        printError(QStringLiteral("unexpected argument '%1'").arg(positional.at(2)));
        return kExitUsage;
    }
    if (!parser.isSet(outputOpt) || parser.value(outputOpt).isEmpty()) {
        printError(QStringLiteral("missing -o OUT.pdf (the stamped document to write)"));
        return kExitUsage;
    }
    if (parser.isSet(imageOpt)) {
        const QString drawn = positional.size() == 2 ? positional.at(1)
                              : parser.isSet(presetOpt) ? QStringLiteral("--preset")
                              : parser.isSet(setOpt)    ? QStringLiteral("--set")
                                                        : QString();
        if (!drawn.isEmpty()) {
            printError(QStringLiteral("--seal-image stamps a picture; %1 is for a drawn seal (give one or the other)")
                           .arg(drawn));
            return kExitUsage;
        }
        if (!sealImageKindOf(parser.value(imageOpt))) {
            printError(QStringLiteral("--seal-image wants an .svg or .png file, not '%1'").arg(parser.value(imageOpt)));
            return kExitUsage;
        }
    }

    StampPlacement placement;
    placement.pages = parser.value(pageOpt);
    placement.straddle = parser.isSet(straddleOpt);
    placement.force = parser.isSet(forceOpt);
    auto usage = [](const QString& message) {
        printError(message);
        return kExitUsage;
    };
    if (placement.straddle) {
        if (parser.isSet(atOpt))
            return usage(QStringLiteral("--at is for a single seal; a cross-page seal takes --at-y Y"));
        if (parser.isSet(atYOpt)) {
            const auto y = millimetres(parser.value(atYOpt));
            if (!y)
                return usage(QStringLiteral("--at-y wants millimetres, not '%1'").arg(parser.value(atYOpt)));
            placement.straddleYMm = *y;
        }
        if (parser.isSet(maxOpt)) {
            bool ok = false;
            placement.straddleMax = parser.value(maxOpt).toInt(&ok);
            if (!ok || placement.straddleMax < 1)
                return usage(QStringLiteral("--straddle-max wants a whole number of pages of at least 1, not '%1'")
                                 .arg(parser.value(maxOpt)));
        }
        if (parser.isSet(edgeOpt)) {
            const QString edge = parser.value(edgeOpt).toLower();
            if (edge == QLatin1String("right"))
                placement.edge = StampPlacement::Edge::Right;
            else if (edge == QLatin1String("left"))
                placement.edge = StampPlacement::Edge::Left;
            else
                return usage(QStringLiteral("--edge wants right or left, not '%1'").arg(parser.value(edgeOpt)));
        }
        if (parser.isSet(firstOpt)) {
            const auto w = millimetres(parser.value(firstOpt));
            if (!w || *w <= 0)
                return usage(QStringLiteral("--first-strip wants a positive width in mm, not '%1'")
                                 .arg(parser.value(firstOpt)));
            placement.firstStripMm = *w;
        }
        if (parser.isSet(insetOpt)) {
            const auto w = millimetres(parser.value(insetOpt));
            if (!w || *w < 0)
                return usage(QStringLiteral("--inset wants a distance in mm of at least 0, not '%1'")
                                 .arg(parser.value(insetOpt)));
            placement.insetMm = *w;
        }
    } else {
        for (const QCommandLineOption* o : {&atYOpt, &maxOpt, &edgeOpt, &firstOpt, &insetOpt})
            if (parser.isSet(*o))
                return usage(QStringLiteral("--%1 is for a cross-page seal (--straddle)").arg(o->names().constLast()));
        if (!parser.isSet(atOpt))
            return usage(QStringLiteral("missing --at X,Y (the seal's centre in mm from the page's top-left "
                                        "corner) or --straddle"));
        const QStringList xy = parser.value(atOpt).split(QLatin1Char(','));
        const auto x = xy.size() == 2 ? millimetres(xy[0]) : std::nullopt;
        const auto y = xy.size() == 2 ? millimetres(xy[1]) : std::nullopt;
        if (!x || !y)
            return usage(QStringLiteral("--at wants X,Y in millimetres, not '%1'").arg(parser.value(atOpt)));
        placement.xMm = *x;
        placement.yMm = *y;
    }
    if (parser.isSet(angleOpt)) {
        const auto a = parseStrictNumber(parser.value(angleOpt).trimmed());
        if (!a || !std::isfinite(*a) || std::abs(*a) > 36000)
            return usage(QStringLiteral("--angle wants degrees, not '%1'").arg(parser.value(angleOpt)));
        placement.angleDeg = *a;
    }

    if (!parser.isSet(signOpt)) {
        for (const QCommandLineOption* o : {&passwordOpt, &reasonOpt, &locationOpt, &contactOpt, &nameOpt, &tsaOpt})
            if (parser.isSet(*o))
                return usage(QStringLiteral("--%1 is for signing (--sign SEAL.p12)").arg(o->names().constLast()));
    }

    QJsonObject entry{{QStringLiteral("input"), positional.at(0)}, {QStringLiteral("output"), parser.value(outputOpt)}};
    const auto finish = [&](const QString& error) {
        if (parser.isSet(jsonOpt)) {
            entry.insert(QStringLiteral("status"), error.isEmpty() ? QStringLiteral("ok") : QStringLiteral("failed"));
            if (!error.isEmpty())
                entry.insert(QStringLiteral("message"), error);
            printJson({entry});
        }
        return error.isEmpty() ? kExitOk : kExitFailed;
    };
    try {
        std::optional<SignRequest> sign;
        if (parser.isSet(signOpt))
            sign = signRequest(parser.value(signOpt), parser.value(passwordOpt));
        if (sign && !sign->key)
            return parser.isSet(passwordOpt) ? kExitFailed : kExitUsage;
        if (sign) {
            sign->options.reason = parser.value(reasonOpt);
            sign->options.location = parser.value(locationOpt);
            sign->options.contact = parser.value(contactOpt);
            sign->options.fieldName = parser.value(nameOpt);
            sign->options.tsaUrl = parser.value(tsaOpt);
        }
        QStringList imageWarnings;
        const StampSeal seal = parser.isSet(imageOpt) ? stampSealFromImageFile(parser.value(imageOpt), &imageWarnings)
                                                      : drawnStampSeal(positional, parser.value(presetOpt),
                                                                       parser.isSet(presetOpt), parser.values(setOpt));
        for (const QString& w : imageWarnings)
            printError(w);
        const StampResult result =
            stampPdf(positional.at(0), parser.value(outputOpt), seal, placement, sign ? &*sign : nullptr);
        for (const QString& w : result.warnings)
            printError(w);
        QJsonArray pages;
        for (int page : result.pages)
            pages.append(page);
        entry.insert(QStringLiteral("pages"), pages);
        entry.insert(QStringLiteral("signed"), sign.has_value());
        entry.insert(QStringLiteral("widthMm"), std::round(seal.widthPt / 72 * 25.4 * 100) / 100);
        entry.insert(QStringLiteral("heightMm"), std::round(seal.heightPt / 72 * 25.4 * 100) / 100);
        const QStringList warnings = imageWarnings + result.warnings;
        if (!warnings.isEmpty())
            entry.insert(QStringLiteral("warnings"), QJsonArray::fromStringList(warnings));
    } catch (const PlometError& e) {
        printError(e.message());
        return finish(e.message());
    }
    return finish(QString());
}

namespace {

// The seal drawn from a description file, a preset and settings.
StampSeal drawnStampSeal(const QStringList& positional, const QString& preset, bool withPreset,
                         const QStringList& settings)
{
    // The seal goes onto the page as vector outlines, as into a PDF file.
    const PicturePtr picture = drawSealFor(
        [&](Plomet& seal) {
            if (positional.size() == 2)
                LoadPMF(seal, positional.at(1));
            if (withPreset)
                applyPreset(seal, preset);
            for (const QString& assignment : settings)
                applySetting(seal, assignment);
        },
        QStringLiteral("pdf"), ExportOptions{});
    return stampSealFromPicture(*picture);
}

} // namespace

} // namespace plomet
