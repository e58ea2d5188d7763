// plomet write: writes a seal description file from a new seal or another file.
#include "cli/cli.h"
#include "seal/Warnings.h"

#include "seal/Errors.h"
#include "formats/PmfFile.h"
#include "seal/Plomet.h"

#include <QCommandLineParser>
#include <cstdio>

namespace plomet {

namespace {

const char kWriteHelp[] =
    "Usage: plomet write SEAL.PMF [--from OTHER.PMF] [--preset NAME] [--set NAME=VALUE]...\n"
    "\n"
    "Writes a seal description file: a brand-new seal, or the seal of\n"
    "OTHER.PMF, then the preset, then the settings in order. The file is replaced\n"
    "whole or not at all.\n"
    "\n"
    "  --from FILE        start from the seal in this description file\n"
    "  --preset NAME      start from a common seal: 公章, 合同专用章, 财务专用章\n"
    "                     or 发票专用章 (see plomet render --help)\n"
    "  --set NAME=VALUE   assign a property (the list: plomet render --help);\n"
    "                     any letter case; lengths in twips or millimetres\n"
    "                     (42mm). ShowDate is not kept in description files.\n"
    "\n"
    "On any error nothing is written, one line goes to stderr, and the exit\n"
    "code is 1 (2 for a bad command line).\n";

} // namespace

int cmdWrite(QStringList args)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption fromOpt(QStringLiteral("from"), QStringLiteral("source file"), QStringLiteral("FILE"));
    const QCommandLineOption setOpt(QStringLiteral("set"), QStringLiteral("property"), QStringLiteral("NAME=VALUE"));
    const QCommandLineOption presetOpt(QStringLiteral("preset"), QStringLiteral("preset"), QStringLiteral("NAME"));
    const QCommandLineOption helpOpt({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("help"));
    parser.addOptions({fromOpt, presetOpt, setOpt, helpOpt});
    args.prepend(QStringLiteral("plomet write"));
    if (!parser.parse(args)) {
        printError(parser.errorText());
        return kExitUsage;
    }
    if (parser.isSet(helpOpt)) {
        std::fputs(kWriteHelp, stdout);
        return kExitOk;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1) {
        printError(files.isEmpty() ? QStringLiteral("missing SEAL.PMF (the description file to write)")
                                   : QStringLiteral("unexpected argument '%1'").arg(files.at(1)));
        return kExitUsage;
    }
    if (parser.values(fromOpt).size() > 1) {
        printError(QStringLiteral("--from given more than once"));
        return kExitUsage;
    }
    if (parser.values(presetOpt).size() > 1) {
        printError(QStringLiteral("--preset given more than once"));
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
            printError(QStringLiteral("ShowDate is not kept in description files"));
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
