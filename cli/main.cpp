// plomet: renders, inspects and writes seals from the command line, without
// a display.
#include "cli/cli.h"

#include "seal/Fonts.h"

#include <QGuiApplication>
#include <QStringList>
#include <cstdio>

namespace {

// Every command is one row: its name, the function that runs it and the one
// line that `plomet --help` shows for it. A new command is a row here.
struct Command {
    const char* name;
    int (*run)(QStringList);
    const char* summary;
};

const Command kCommands[] = {
    {"render", plomet::cmdRender, "draw a seal and write it as an image (PNG, BMP, SVG, PDF)"},
    {"show", plomet::cmdShow, "print the settings of a seal description file"},
    {"write", plomet::cmdWrite, "write a seal description file"},
    {"stamp", plomet::cmdStamp, "stamp a seal onto pages of a PDF document, or sign it with the seal"},
    {"verify", plomet::cmdVerify, "check the digital signatures of a PDF document"},
    {"cert", plomet::cmdCert, "make a self-signed seal certificate for trying signing out"},
    {"extract", plomet::cmdExtract, "take a seal off a scanned page as a transparent image (PNG, SVG)"},
    {"serve", plomet::cmdServe, "answer HTTP requests for seals (a stateless service)"},
};

QString usage()
{
    QString text = QStringLiteral("Usage: plomet <command> [options]\n\nCommands:\n");
    for (const Command& command : kCommands)
        text += QStringLiteral("  %1%2\n").arg(QLatin1String(command.name), -9).arg(QString::fromUtf8(command.summary));
    text += QStringLiteral("\n"
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

} // namespace

int main(int argc, char** argv)
{
    // Headless always: the command line never needs a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    previousHandler = qInstallMessageHandler(quietHandler);
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("plomet"));
    plomet::installFaceSubstitutions();

    QStringList args = QGuiApplication::arguments();
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
    plomet::printError(QStringLiteral("unknown command '%1' (known: %2)").arg(name, commandNames()));
    return plomet::kExitUsage;
}
