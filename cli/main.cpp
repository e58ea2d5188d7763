// plomet: renders, inspects and writes seals from the command line, without
// a display.
#include "cli/cli.h"

#include "seal/Fonts.h"

#include <QGuiApplication>
#include <QStringList>
#include <cstdio>

namespace {

const char kUsage[] =
    "Usage: plomet <command> [options]\n"
    "\n"
    "Commands:\n"
    "  render   draw a seal and write it as an image (PNG, BMP, SVG, PDF)\n"
    "  show     print the settings of a seal description file\n"
    "  write    write a seal description file\n"
    "  stamp    stamp a seal onto pages of a PDF document\n"
    "\n"
    "Exit codes: 0 success, 1 the seal could not be read, drawn or written,\n"
    "2 bad command line.\n"
    "\n"
    "The commands and their options follow; `plomet <command> --help` shows\n"
    "one of them.\n";

} // namespace

int main(int argc, char** argv)
{
    // Headless always: the command line never needs a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("plomet"));
    plomet::installFaceSubstitutions();

    QStringList args = QGuiApplication::arguments();
    args.removeFirst();
    if (args.isEmpty()) {
        std::fputs(kUsage, stderr);
        return plomet::kExitUsage;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h")
        || command == QLatin1String("help")) {
        std::fputs(kUsage, stdout);
        // Every command documents itself; show them all, one after another.
        using Command = int (*)(QStringList);
        for (Command command : {Command(plomet::cmdRender), Command(plomet::cmdShow), Command(plomet::cmdWrite),
                                Command(plomet::cmdStamp)}) {
            std::fputs("\n", stdout);
            std::fflush(stdout);
            command({QStringLiteral("--help")});
        }
        std::fflush(stdout);
        return plomet::kExitOk;
    }
    if (command == QLatin1String("render"))
        return plomet::cmdRender(args);
    if (command == QLatin1String("show"))
        return plomet::cmdShow(args);
    if (command == QLatin1String("write"))
        return plomet::cmdWrite(args);
    if (command == QLatin1String("stamp"))
        return plomet::cmdStamp(args);
    plomet::printError(QStringLiteral("unknown command '%1' (known: render, show, write, stamp)").arg(command));
    return plomet::kExitUsage;
}
