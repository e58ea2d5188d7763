// plomet stamp: stamps a seal onto pages of a PDF document.
#include "cli/cli.h"
#include "cli/Options.h"

#include "seal/Errors.h"
#include "seal/NumberText.h"
#include "stamp/PdfStamp.h"
#include "stamp/SealImage.h"
#include "formats/PmfFile.h"
#include "formats/Export.h"
#include "seal/Plomet.h"

#include "seal/SystemReason.h"

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

const char kStampAbout[] = QT_TRANSLATE_NOOP(
    "Commands",
    "Usage: plomet stamp IN.pdf -o OUT.pdf [SEAL.PMF] [--preset NAME]\n"
    "           [--set NAME=VALUE]...\n"
    "           (--at X,Y [--angle DEG] | --straddle [options]) [--page LIST]\n"
    "       plomet stamp --table FILE.csv [options]\n"
    "\n"
    "Stamps a brand-new seal, or the seal that SEAL.PMF describes, onto pages\n"
    "of IN.pdf and writes OUT.pdf (which may be IN.pdf; IN.pdf itself is never\n"
    "changed). The seal goes in as vectors at its true size, without\n"
    "background, its ink multiplied onto the page so that text under it stays\n"
    "readable. Positions are millimetres from the top-left corner of the page\n"
    "as a reader sees it (inside the crop box, after the page's rotation).\n"
    "Options named cross-page are for --straddle. With --table, one document\n"
    "a row: the columns input, output, page and at (X,Y in mm) and the seal's\n"
    "properties; a row's empty cell takes the option's value; a bad row is\n"
    "named with its line and column and the others are still stamped.\n");

const char kStampNotes[] = QT_TRANSLATE_NOOP(
    "Commands",
    "Signing (an electronic seal, --sign): the seal becomes the visible\n"
    "appearance of a PAdES signature (ETSI.CAdES.detached, SHA-256) over the\n"
    "document. A cross-page seal signs as one signature field whose widget is\n"
    "the first page's strip; the other strips are in their pages' content,\n"
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
    "Exit codes: 0 written, 1 refused or failed, 2 bad command line.\n");

std::optional<double> millimetres(const QString& text)
{
    const auto v = parseStrictNumber(text.trimmed());
    if (!v || !std::isfinite(*v) || std::abs(*v) > 100000)
        return std::nullopt;
    return v;
}

// Reads "X,Y" in millimetres into the placement's centre; false when it is
// not that.
bool centreAt(const QString& text, StampPlacement& placement)
{
    const QStringList xy = text.split(QLatin1Char(','));
    const auto x = xy.size() == 2 ? millimetres(xy[0]) : std::nullopt;
    const auto y = xy.size() == 2 ? millimetres(xy[1]) : std::nullopt;
    if (!x || !y)
        return false;
    placement.xMm = *x;
    placement.yMm = *y;
    return true;
}

} // namespace

int cmdStamp(QStringList args)
{
    CommandLine parser(kCmdStamp, "stamp", kStampAbout, kStampNotes);
    if (const auto done = parser.parse(args))
        return *done;
    const QCommandLineOption& outputOpt = parser.option("output");
    const QCommandLineOption& setOpt = parser.option("set");
    const QCommandLineOption& presetOpt = parser.option("preset");
    const QCommandLineOption& pageOpt = parser.option("page");
    const QCommandLineOption& atOpt = parser.option("at");
    const QCommandLineOption& angleOpt = parser.option("angle");
    const QCommandLineOption& straddleOpt = parser.option("straddle");
    const QCommandLineOption& atYOpt = parser.option("at-y");
    const QCommandLineOption& maxOpt = parser.option("straddle-max");
    const QCommandLineOption& edgeOpt = parser.option("edge");
    const QCommandLineOption& firstOpt = parser.option("first-strip");
    const QCommandLineOption& insetOpt = parser.option("inset");
    const QCommandLineOption& forceOpt = parser.option("force");
    const QCommandLineOption& signOpt = parser.option("sign");
    const QCommandLineOption& passwordOpt = parser.option("password-file");
    const QCommandLineOption& reasonOpt = parser.option("reason");
    const QCommandLineOption& locationOpt = parser.option("location");
    const QCommandLineOption& contactOpt = parser.option("contact");
    const QCommandLineOption& nameOpt = parser.option("name");
    const QCommandLineOption& tsaOpt = parser.option("tsa");
    const QCommandLineOption& jsonOpt = parser.option("json");
    const QCommandLineOption& imageOpt = parser.option("seal-image");
    if (parser.isSet(presetOpt) && !presetProblem(parser.value(presetOpt)).isEmpty()) {
        printError(presetProblem(parser.value(presetOpt)));
        return kExitUsage;
    }
    const QStringList positional = parser.positionalArguments();
    const bool table = parser.isSet(parser.option("table"));
    if (parser.isSet(imageOpt)) {
        const QString drawn = positional.size() == 2 ? positional.at(1)
                              : parser.isSet(presetOpt) ? QStringLiteral("--preset")
                              : parser.isSet(setOpt)    ? QStringLiteral("--set")
                                                        : QString();
        if (!drawn.isEmpty()) {
            printError(Cli::tr("--seal-image stamps a picture; %1 is for a drawn seal (give one or the other)").arg(drawn));
            return kExitUsage;
        }
        if (!sealImageKindOf(parser.value(imageOpt))) {
            printError(Cli::tr("--seal-image wants an .svg or .png file, not '%1'").arg(parser.value(imageOpt)));
            return kExitUsage;
        }
    }
    if (table) {
        if (!positional.isEmpty()) {
            printError(Cli::tr("give either --table FILE or IN.pdf, not both (unexpected '%1')").arg(positional.first()));
            return kExitUsage;
        }
        if (parser.isSet(outputOpt)) {
            printError(Cli::tr("with --table the output column names each document, not -o"));
            return kExitUsage;
        }
    } else {
        if (positional.isEmpty()) {
            printError(Cli::tr("missing IN.pdf (the document to stamp)"));
            return kExitUsage;
        }
        if (positional.size() > 2) {
            printError(Cli::tr("unexpected argument '%1'").arg(positional.at(2)));
            return kExitUsage;
        }
        if (!parser.isSet(outputOpt) || parser.value(outputOpt).isEmpty()) {
            printError(Cli::tr("missing -o OUT.pdf (the stamped document to write)"));
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
            return usage(Cli::tr("--at is for a single seal; a cross-page seal takes --at-y Y"));
        if (parser.isSet(atYOpt)) {
            const auto y = millimetres(parser.value(atYOpt));
            if (!y)
                return usage(Cli::tr("--at-y wants millimetres, not '%1'").arg(parser.value(atYOpt)));
            placement.straddleYMm = *y;
        }
        if (parser.isSet(maxOpt)) {
            bool ok = false;
            placement.straddleMax = parser.value(maxOpt).toInt(&ok);
            if (!ok || placement.straddleMax < 1)
                return usage(Cli::tr("--straddle-max wants a whole number of pages of at least 1, not '%1'")
                                 .arg(parser.value(maxOpt)));
        }
        if (parser.isSet(edgeOpt)) {
            const QString edge = parser.value(edgeOpt).toLower();
            if (edge == QLatin1String("right"))
                placement.edge = StampPlacement::Edge::Right;
            else if (edge == QLatin1String("left"))
                placement.edge = StampPlacement::Edge::Left;
            else
                return usage(Cli::tr("--edge wants right or left, not '%1'").arg(parser.value(edgeOpt)));
        }
        if (parser.isSet(firstOpt)) {
            const auto w = millimetres(parser.value(firstOpt));
            if (!w || *w <= 0)
                return usage(Cli::tr("--first-strip wants a positive width in mm, not '%1'")
                                 .arg(parser.value(firstOpt)));
            placement.firstStripMm = *w;
        }
        if (parser.isSet(insetOpt)) {
            const auto w = millimetres(parser.value(insetOpt));
            if (!w || *w < 0)
                return usage(Cli::tr("--inset wants a distance in mm of at least 0, not '%1'")
                                 .arg(parser.value(insetOpt)));
            placement.insetMm = *w;
        }
    } else {
        for (const QCommandLineOption* o : {&atYOpt, &maxOpt, &edgeOpt, &firstOpt, &insetOpt})
            if (parser.isSet(*o))
                return usage(Cli::tr("--%1 is for a cross-page seal (--straddle)").arg(o->names().constLast()));
        if (!parser.isSet(atOpt) && !table)
            return usage(Cli::tr("missing --at X,Y (the seal's centre in mm from the page's top-left "
                                        "corner) or --straddle"));
        if (parser.isSet(atOpt) && !centreAt(parser.value(atOpt), placement))
            return usage(Cli::tr("--at wants X,Y in millimetres, not '%1'").arg(parser.value(atOpt)));
    }
    if (parser.isSet(angleOpt)) {
        const auto a = parseStrictNumber(parser.value(angleOpt).trimmed());
        if (!a || !std::isfinite(*a) || std::abs(*a) > 36000)
            return usage(Cli::tr("--angle wants degrees, not '%1'").arg(parser.value(angleOpt)));
        placement.angleDeg = *a;
    }

    if (!parser.isSet(signOpt)) {
        for (const QCommandLineOption* o : {&passwordOpt, &reasonOpt, &locationOpt, &contactOpt, &nameOpt, &tsaOpt})
            if (parser.isSet(*o))
                return usage(Cli::tr("--%1 is for signing (--sign SEAL.p12)").arg(o->names().constLast()));
    }

    std::optional<SignRequest> sign;
    if (parser.isSet(signOpt)) {
        try {
            sign = signRequest(parser.value(signOpt), parser.value(passwordOpt));
        } catch (const PlometError& e) {
            printError(e.message());
            if (parser.isSet(jsonOpt))
                printJson({QJsonObject{{QStringLiteral("status"), QStringLiteral("failed")},
                                       {QStringLiteral("message"), e.message()}}});
            return kExitFailed;
        }
        if (!sign->key)
            return parser.isSet(passwordOpt) ? kExitFailed : kExitUsage;
        sign->options.reason = parser.value(reasonOpt);
        sign->options.location = parser.value(locationOpt);
        sign->options.contact = parser.value(contactOpt);
        sign->options.fieldName = parser.value(nameOpt);
        sign->options.tsaUrl = parser.value(tsaOpt);
    }

    // One document: its seal (the description file, the preset, --set, the
    // row's own settings), stamped where the placement says. The entry of
    // --json, with "message" when it failed; warnings and the failure are
    // printed with `shown` before them (a table's FILE:LINE).
    const QString preset = parser.value(presetOpt);
    const auto stampOne = [&](const QString& shown, const QString& in, const QString& out, const QString& pmf,
                              const StampPlacement& where, const QStringList& own, const QStringList& ownAt) {
        const QString prefix = shown.isEmpty() ? QString() : shown + QStringLiteral(": ");
        QJsonObject entry{{QStringLiteral("input"), shown.isEmpty() ? in : shown}, {QStringLiteral("output"), out}};
        try {
            QStringList imageWarnings;
            StampSeal seal;
            if (parser.isSet(imageOpt)) {
                if (!own.isEmpty())
                    throw PlometError(PlometError::Kind::Format, Cli::tr("--seal-image stamps a picture; the table's property columns are for a "
                                              "drawn seal"));
                seal = stampSealFromImageFile(parser.value(imageOpt), &imageWarnings);
            } else {
                // The seal goes onto the page as vector outlines, as into a PDF file.
                const PicturePtr picture = drawSealFor(
                    [&](Plomet& s) { applySealSettings(s, pmf, preset, parser.values(setOpt), own, ownAt); },
                    QStringLiteral("pdf"), ExportOptions{});
                seal = stampSealFromPicture(*picture);
            }
            const StampResult result = stampPdf(in, out, seal, where, sign ? &*sign : nullptr);
            const QStringList warnings = imageWarnings + result.warnings;
            for (const QString& w : warnings)
                printError(prefix + w);
            QJsonArray pages;
            for (int page : result.pages)
                pages.append(page);
            entry.insert(QStringLiteral("status"), QStringLiteral("ok"));
            entry.insert(QStringLiteral("pages"), pages);
            entry.insert(QStringLiteral("signed"), sign.has_value());
            entry.insert(QStringLiteral("widthMm"), std::round(seal.widthPt / 72 * 25.4 * 100) / 100);
            entry.insert(QStringLiteral("heightMm"), std::round(seal.heightPt / 72 * 25.4 * 100) / 100);
            if (!warnings.isEmpty())
                entry.insert(QStringLiteral("warnings"), QJsonArray::fromStringList(warnings));
        } catch (const PlometError& e) {
            printError(prefix + e.message());
            entry.insert(QStringLiteral("status"), QStringLiteral("failed"));
            entry.insert(QStringLiteral("message"), e.message());
        }
        return entry;
    };
    const auto failed = [](const QJsonObject& entry) {
        return entry.value(QStringLiteral("status")) != QLatin1String("ok");
    };

    if (!table) {
        const QJsonObject entry = stampOne(QString(), positional.at(0), parser.value(outputOpt),
                                           positional.value(1), placement, {}, {});
        if (parser.isSet(jsonOpt))
            printJson({entry});
        return failed(entry) ? kExitFailed : kExitOk;
    }

    // A table: one document a row, the row's page and at over the options';
    // a bad row is reported and the others are still stamped.
    std::vector<TableJob> rows;
    try {
        rows = readTableJobs(parser.value(parser.option("table")),
                             {QStringLiteral("input"), QStringLiteral("output"), QStringLiteral("page"),
                              QStringLiteral("at")});
    } catch (const PlometError& e) {
        printError(e.message());
        return kExitFailed;
    }
    Progress progress{qsizetype(rows.size())};
    QJsonArray outputs;
    int failures = 0;
    QHash<QString, QString> firstWithOutput;   // two rows writing one file: the later is refused
    for (const TableJob& row : rows) {
        const QString in = row.cells.value(QStringLiteral("input"));
        const QString out = row.cells.value(QStringLiteral("output"));
        StampPlacement where = placement;
        QString refused;
        const auto column = [&](const char* name) {
            return Cli::tr("column %1 (%2)").arg(row.columns.value(QLatin1String(name))).arg(QLatin1String(name));
        };
        if (in.isEmpty())
            refused = Cli::tr("no input document (an input column)");
        else if (out.isEmpty())
            refused = Cli::tr("no output document (an output column)");
        else if (const QString key = QFileInfo(out).absoluteFilePath(); firstWithOutput.contains(key))
            refused = Cli::tr("not stamped, its output %1 is already %2's").arg(out, firstWithOutput.value(key));
        else
            firstWithOutput.insert(key, row.input);
        if (refused.isEmpty() && !row.cells.value(QStringLiteral("page")).isEmpty())
            where.pages = row.cells.value(QStringLiteral("page"));
        if (refused.isEmpty() && !row.cells.value(QStringLiteral("at")).isEmpty()) {
            if (placement.straddle)
                refused = column("at") + QStringLiteral(": ") + Cli::tr("--at is for a single seal; a cross-page seal takes --at-y Y");
            else if (!centreAt(row.cells.value(QStringLiteral("at")), where))
                refused = column("at") + QStringLiteral(": ")
                          + Cli::tr("wants X,Y in millimetres, not '%1'").arg(row.cells.value(QStringLiteral("at")));
        } else if (refused.isEmpty() && !placement.straddle && !parser.isSet(atOpt)) {
            refused = Cli::tr("no place for the seal (an at column, or --at X,Y)");
        }
        QJsonObject entry;
        if (refused.isEmpty()) {
            entry = stampOne(row.input, in, out, QString(), where, row.settings, row.settingAt);
        } else {
            printError(row.input + QStringLiteral(": ") + refused);
            entry = {{QStringLiteral("input"), row.input}, {QStringLiteral("output"), out},
                     {QStringLiteral("status"), QStringLiteral("failed")}, {QStringLiteral("message"), refused}};
        }
        failures += failed(entry) ? 1 : 0;
        outputs.append(entry);
        progress.step();
    }
    if (parser.isSet(jsonOpt))
        printJson(outputs);
    return failures == 0 ? kExitOk : kExitFailed;
}

} // namespace plomet
