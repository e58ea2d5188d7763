// plomet write: writes a seal description file from a new seal or another file.
#include "cli/cli.h"
#include "cli/Options.h"
#include "seal/Warnings.h"

#include "seal/Errors.h"
#include "formats/PmfFile.h"
#include "seal/Plomet.h"

#include <cstdio>

namespace plomet {

namespace {

const char kWriteAbout[] = QT_TRANSLATE_NOOP(
    "Commands",
    "Usage: plomet write SEAL.PMF [--from OTHER.PMF] [--preset NAME]\n"
    "                    [--set NAME=VALUE]...\n"
    "\n"
    "Writes a seal description file: a brand-new seal, or the seal of\n"
    "OTHER.PMF, then the preset, then the settings in order. The file is replaced\n"
    "whole or not at all. Lengths in --set are twips or millimetres (42mm);\n"
    "ShowDate is not kept in description files.\n");

const char kWriteNotes[] = QT_TRANSLATE_NOOP(
    "Commands",
    "On any error nothing is written, one line goes to stderr, and the exit\n"
    "code is 1 (2 for a bad command line).\n");

} // namespace

int cmdWrite(QStringList args)
{
    CommandLine parser(kCmdWrite, "write", kWriteAbout, kWriteNotes);
    if (const auto done = parser.parse(args))
        return *done;
    const QCommandLineOption& fromOpt = parser.option("from");
    const QCommandLineOption& setOpt = parser.option("set");
    const QCommandLineOption& presetOpt = parser.option("preset");
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1) {
        printError(files.isEmpty() ? Cli::tr("missing SEAL.PMF (the description file to write)")
                                   : Cli::tr("unexpected argument '%1'").arg(files.at(1)));
        return kExitUsage;
    }
    if (parser.isSet(presetOpt) && !presetProblem(parser.value(presetOpt)).isEmpty()) {
        printError(presetProblem(parser.value(presetOpt)));
        return kExitUsage;
    }
    for (const QString& assignment : parser.values(setOpt)) {
        const QString name = assignment.left(assignment.indexOf(QLatin1Char('='))).trimmed();
        if (name.compare(QLatin1String("ShowDate"), Qt::CaseInsensitive) == 0) {
            // Accepting it would drop it without a word.
            printError(Cli::tr("ShowDate is not kept in description files"));
            return kExitUsage;
        }
    }
    try {
        Plomet seal;
        seal.InitProperties(false);   // values only: nothing looks at a picture
        if (parser.isSet(fromOpt))
            LoadPMF(seal, parser.value(fromOpt));
        if (parser.isSet(presetOpt))
            applyPreset(seal, parser.value(presetOpt));
        for (const QString& assignment : parser.values(setOpt))
            applySetting(seal, assignment);
        SavePMF(seal, files.first());
        for (const QString& w : fileWarnings(seal))
            printError(w);
    } catch (const PlometError& e) {
        printError(e.message());
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace plomet
