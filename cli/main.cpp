// plomet: renders, inspects and writes seals from the command line, without
// a display.
#include "cli/cli.h"

#include "formats/Export.h"
#include "seal/Fonts.h"
#include "translations/Translations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>
#include <cstring>
#include <memory>

using plomet::Cli;

namespace {

// Every command is one row: its name, the function that runs it and the one
// line that `plomet --help` shows for it. A new command is a row here.
struct Command {
    const char* name;
    int (*run)(QStringList);
    const char* summary;
};

const Command kCommands[] = {
    {"render", plomet::cmdRender, QT_TRANSLATE_NOOP("Commands", "draw a seal and write it as an image (PNG, BMP, SVG, PDF)")},
    {"show", plomet::cmdShow, QT_TRANSLATE_NOOP("Commands", "print the settings of a seal description file")},
    {"write", plomet::cmdWrite, QT_TRANSLATE_NOOP("Commands", "write a seal description file")},
    {"stamp", plomet::cmdStamp, QT_TRANSLATE_NOOP("Commands", "stamp a seal onto pages of a PDF document, or sign it with the seal")},
    {"verify", plomet::cmdVerify, QT_TRANSLATE_NOOP("Commands", "check the digital signatures of a PDF document")},
    {"cert", plomet::cmdCert, QT_TRANSLATE_NOOP("Commands", "make a self-signed seal certificate for trying signing out")},
    {"extract", plomet::cmdExtract, QT_TRANSLATE_NOOP("Commands", "take a seal off a scanned page as a transparent image (PNG, SVG)")},
    {"serve", plomet::cmdServe, QT_TRANSLATE_NOOP("Commands", "answer HTTP requests for seals (a stateless service)")},
};

QString usage()
{
    QString text = Cli::tr("Usage: plomet <command> [options]\n\nCommands:\n");
    for (const Command& command : kCommands)
        text += QStringLiteral("  %1%2\n")
                    .arg(QLatin1String(command.name), -9)
                    .arg(QCoreApplication::translate("Commands", command.summary));
    text += Cli::tr("\n"
                            "Exit codes: 0 success, 1 the seal could not be read, drawn or written,\n"
                            "2 bad command line.\n"
                            "\n"
                            "`plomet <command> --help` shows one command and its options;\n"
                            "`plomet --help-all` shows every command's.\n");
    return text;
}

QString commandNames()
{
    QStringList names;
    for (const Command& command : kCommands)
        names << QLatin1String(command.name);
    return names.join(QStringLiteral(", "));
}

// Qt warns on every start where XDG_RUNTIME_DIR is unset (root, cron, CI),
// although the command line needs no runtime folder: that one line is
// dropped, every other message goes where it went.
QtMessageHandler previousHandler = nullptr;

void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    previousHandler(type, context, message);
}

// Whether the command line draws rasters only: `render` to PNG or BMP files
// (-o OUT by its extension, -d OUTDIR by --format, PNG by default). Those
// set their texts with the seal's own engine and fill them without Qt's
// platform plugin or font database, which cost more than the drawing of a
// lone seal. Vector files, stamping and the rest keep the whole GUI library
// (PDF writing and a table's rows of any format may need it).
bool rasterRenderOnly(int argc, char** argv)
{
    if (argc < 2 || std::strcmp(argv[1], "render") != 0)
        return false;
    auto raster = [](const QString& format) {
        const auto f = plomet::exportFormat(format);
        return f && f->raster;
    };
    QString output, format = QStringLiteral("png");
    bool batch = false;
    for (int i = 2; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const bool next = i + 1 < argc;
        if ((arg == QLatin1String("-o") || arg == QLatin1String("--output")) && next)
            output = QString::fromLocal8Bit(argv[++i]);
        else if (arg.startsWith(QLatin1String("--output=")))
            output = arg.mid(9);
        else if ((arg == QLatin1String("-d") || arg == QLatin1String("--directory")) && next)
            batch = (++i, true);
        else if (arg.startsWith(QLatin1String("--directory=")))
            batch = true;
        else if (arg == QLatin1String("--format") && next)
            format = QString::fromLocal8Bit(argv[++i]);
        else if (arg.startsWith(QLatin1String("--format=")))
            format = arg.mid(9);
        else if (arg == QLatin1String("--table") || arg.startsWith(QLatin1String("--table=")))
            return false;
    }
    return batch ? output.isEmpty() && raster(format) : raster(QFileInfo(output).suffix());
}

} // namespace

int main(int argc, char** argv)
{
    // Headless always: the command line never needs a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    previousHandler = qInstallMessageHandler(quietHandler);
    const bool core = rasterRenderOnly(argc, argv);
    std::unique_ptr<QCoreApplication> app(core ? new QCoreApplication(argc, argv) : new QGuiApplication(argc, argv));
    QCoreApplication::setApplicationName(QStringLiteral("plomet"));
    // For Qt's own text (PDF pages); the seal's texts name their faces themselves.
    if (!core)
        plomet::installFaceSubstitutions();
    // The texts in the user's language (LC_ALL, LC_MESSAGES, LANG); English
    // where there is no translation.
    plomet::installTranslations(QLocale());

    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.isEmpty()) {
        std::fputs(usage().toUtf8().constData(), stderr);
        return plomet::kExitUsage;
    }
    const QString name = args.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        // `plomet help render` is `plomet render --help`.
        if (name == QLatin1String("help") && !args.isEmpty()) {
            for (const Command& command : kCommands)
                if (args.first() == QLatin1String(command.name))
                    return command.run({QStringLiteral("--help")});
        }
        std::fputs(usage().toUtf8().constData(), stdout);
        return plomet::kExitOk;
    }
    if (name == QLatin1String("--help-all")) {
        // The manual page: the commands, then each command's own help.
        std::fputs(usage().toUtf8().constData(), stdout);
        for (const Command& command : kCommands) {
            std::fputs("\n", stdout);
            std::fflush(stdout);
            command.run({QStringLiteral("--help")});
        }
        std::fflush(stdout);
        return plomet::kExitOk;
    }
    for (const Command& command : kCommands)
        if (name == QLatin1String(command.name))
            return command.run(args);
    plomet::printError(Cli::tr("unknown command '%1' (known: %2)").arg(name, commandNames()));
    return plomet::kExitUsage;
}
