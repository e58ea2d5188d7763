// plomet render: draws a seal and writes it as an image.
#include "cli.h"

#include "Errors.h"
#include "Export.h"
#include "NumberText.h"
#include "PmfFile.h"
#include "Plomet.h"

#include <QCommandLineParser>
#include <cstdio>

namespace plomet {

namespace {

const char kRenderHelp[] =
    "Usage: plomet render [SEAL.PMF] -o OUT.png|OUT.bmp [--set NAME=VALUE]... [--dpi N] [--transparent]\n"
    "\n"
    "Draws a brand-new seal (2055 x 2055 twips), or the seal that the\n"
    "description file SEAL.PMF describes (its size from the file), and writes\n"
    "it to OUT; the format follows OUT's extension.\n"
    "\n"
    "  -o, --output FILE     the image to write (.png, .bmp)\n"
    "  --set NAME=VALUE      assign a property before drawing; NAME is one of\n"
    "                        ShowStar ShowDate FontBold MidSign StarSize Degree\n"
    "                        pText pText1 ForeColor FontName FontSize Space\n"
    "                        BackColor rText, or Width / Height in twips (or\n"
    "                        millimetres: 42mm); any letter case. VALUE as the\n"
    "                        description file writes it: plain decimal numbers,\n"
    "                        True/False; an empty VALUE is the empty text.\n"
    "  --dpi N               resolution of raster images (default 96: the screen\n"
    "                        picture pixel for pixel)\n"
    "  --transparent         PNG without background (alpha)\n"
    "\n"
    "On any error nothing is written, one line goes to stderr, and the exit\n"
    "code is 1 (2 for a bad command line).\n";

} // namespace

int cmdRender(QStringList args)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption outputOpt({QStringLiteral("o"), QStringLiteral("output")},
                                       QStringLiteral("output file"), QStringLiteral("FILE"));
    const QCommandLineOption setOpt(QStringLiteral("set"), QStringLiteral("property"),
                                    QStringLiteral("NAME=VALUE"));
    const QCommandLineOption dpiOpt(QStringLiteral("dpi"), QStringLiteral("resolution"),
                                    QStringLiteral("N"), QStringLiteral("96"));
    const QCommandLineOption transparentOpt(QStringLiteral("transparent"), QStringLiteral("no background"));
    const QCommandLineOption helpOpt({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("help"));
    parser.addOptions({outputOpt, setOpt, dpiOpt, transparentOpt, helpOpt});

    args.prepend(QStringLiteral("plomet render"));
    if (!parser.parse(args)) {
        printError(parser.errorText());
        return kExitUsage;
    }
    if (parser.isSet(helpOpt)) {
        std::fputs(kRenderHelp, stdout);
        return kExitOk;
    }
    if (parser.positionalArguments().size() > 1) {
        printError(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().at(1)));
        return kExitUsage;
    }
    if (!parser.isSet(outputOpt)) {
        printError(QStringLiteral("missing -o OUT (an image file: %1)")
                       .arg(exportFormats().join(QStringLiteral(", "))));
        return kExitUsage;
    }
    ExportOptions options;
    const auto dpi = parseStrictNumber(parser.value(dpiOpt));
    if (!dpi || !(*dpi > 0) || *dpi > 100000) {
        printError(QStringLiteral("--dpi wants a positive number, not '%1'").arg(parser.value(dpiOpt)));
        return kExitUsage;
    }
    options.dpi = *dpi;
    options.transparent = parser.isSet(transparentOpt);

    const QString output = parser.value(outputOpt);
    try {
        exportFormatOf(output);   // an unknown extension fails before any work
        Plomet seal;
        seal.InitProperties();
        if (!parser.positionalArguments().isEmpty())
            LoadPMF(seal, parser.positionalArguments().first());
        for (const QString& assignment : parser.values(setOpt))
            applySetting(seal, assignment);
        seal.Draw();
        exportPicture(*seal.image(), output, options);
    } catch (const PlometError& e) {
        printError(e.message());
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace plomet
