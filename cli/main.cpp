// plomet: renders, inspects and writes seals from the command line, without
// a display.
#include "cli/cli.h"

#include "formats/Export.h"
#include "seal/Fonts.h"
#include "seal/SystemReason.h"
#include "translations/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>
#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

using plomet::Cli;

namespace {

// Two programs are built from this file. `plomet` runs the commands that
// draw and keep seals; the ones that read, stamp and sign PDF documents and
// the service need qpdf, OpenSSL and the HTTP library, whose loading alone
// took longer than drawing a seal, so `plomet` hands them (and every PDF it
// would write) to plomet-documents, built with PLOMET_DOCUMENTS, which runs
// them all.
#ifdef PLOMET_DOCUMENTS
#define PLOMET_DOCUMENT_COMMAND(run) run
#else
#define PLOMET_DOCUMENT_COMMAND(run) nullptr
#endif

// Every command is one row: its name, the function that runs it (none in
// `plomet` for a document command) and the one line that `plomet --help`
// shows for it. A new command is a row here.
struct Command {
    const char* name;
    int (*run)(QStringList);
    const char* summary;
};

const Command kCommands[] = {
    {"render", plomet::cmdRender, QT_TRANSLATE_NOOP("Commands", "draw a seal and write it as an image (PNG, BMP, SVG, PDF)")},
    {"show", plomet::cmdShow, QT_TRANSLATE_NOOP("Commands", "print the settings of a seal description file")},
    {"write", plomet::cmdWrite, QT_TRANSLATE_NOOP("Commands", "write a seal description file")},
    {"stamp", PLOMET_DOCUMENT_COMMAND(plomet::cmdStamp),
     QT_TRANSLATE_NOOP("Commands", "stamp a seal onto pages of a PDF document, or sign it with the seal")},
    {"verify", PLOMET_DOCUMENT_COMMAND(plomet::cmdVerify),
     QT_TRANSLATE_NOOP("Commands", "check the digital signatures of a PDF document")},
    {"cert", PLOMET_DOCUMENT_COMMAND(plomet::cmdCert),
     QT_TRANSLATE_NOOP("Commands", "make a self-signed seal certificate for trying signing out")},
    {"extract", plomet::cmdExtract, QT_TRANSLATE_NOOP("Commands", "take a seal off a scanned page as a transparent image (PNG, SVG)")},
    {"serve", PLOMET_DOCUMENT_COMMAND(plomet::cmdServe),
     QT_TRANSLATE_NOOP("Commands", "answer HTTP requests for seals (a stateless service)")},
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

// What a `render` command line writes, as far as its arguments tell before
// the command reads them: the format of -o OUT by its extension, of -d
// OUTDIR by --format (PNG by default), in lower case; a table's rows may
// name any format. Nothing for another command.
struct RenderOutput {
    QString format;
    bool table = false;
};

std::optional<RenderOutput> renderOutput(int argc, char** argv)
{
    if (argc < 2 || std::strcmp(argv[1], "render") != 0)
        return std::nullopt;
    QString output, format = QStringLiteral("png");
    bool batch = false, table = false;
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
            table = true;
    }
    return RenderOutput{(batch && output.isEmpty() ? format : QFileInfo(output).suffix()).toLower(), table};
}

// Whether the command line draws rasters only: `render` to PNG or BMP files.
// Those set their texts with the seal's own engine and fill them without
// Qt's platform plugin or font database, which cost more than the drawing
// of a lone seal. Vector files, stamping and the rest keep the whole GUI
// library (PDF writing and a table's rows of any format may need it).
bool rasterRenderOnly(int argc, char** argv)
{
    const std::optional<RenderOutput> out = renderOutput(argc, argv);
    if (!out || out->table)
        return false;
    const auto f = plomet::exportFormat(out->format);
    return f && f->raster;
}

#ifndef PLOMET_DOCUMENTS
const Command* commandNamed(const char* name)
{
    for (const Command& command : kCommands)
        if (std::strcmp(name, command.name) == 0)
            return &command;
    return nullptr;
}

// Whether plomet-documents is to run this command line: a command this
// program does not have, the help of one, the help of them all, or a render
// that may write PDF (to a .pdf file, by --format pdf or from a table).
bool forDocuments(int argc, char** argv)
{
    if (argc < 2)
        return false;
    const char* name = argv[1];
    if (std::strcmp(name, "--help-all") == 0)
        return true;
    if (std::strcmp(name, "help") == 0)
        name = argc > 2 ? argv[2] : "";
    const Command* command = commandNamed(name);
    if (!command)
        return false;
    if (!command->run)
        return true;
    const std::optional<RenderOutput> out = renderOutput(argc, argv);
    return out && (out->table || out->format == QLatin1String("pdf"));
}

// Says why plomet-documents could not run, in the user's language: Qt and
// the translations are started for it when they are not yet (the command
// was to run there), and only then is the message made.
int documentsFailed(const std::function<QString()>& message)
{
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "plomet";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QCoreApplication>(argc, argv);
        plomet::installTranslations(QLocale());
    }
    plomet::printError(message());
    return plomet::kExitFailed;
}

// Replaces this process by plomet-documents with the same arguments: beside
// this program in a build, in its own folder where installed. Returns only
// when it cannot be started.
int runDocuments(char** argv)
{
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string dir = n > 0 ? std::string(self, size_t(n)) : std::string();
    dir = dir.substr(0, dir.find_last_of('/') + 1);
    const std::string candidates[] = {dir + "plomet-documents", dir + PLOMET_DOCUMENTS_FROM_BIN "/plomet-documents"};
    for (const std::string& program : candidates)
        if (access(program.c_str(), X_OK) == 0) {
            execv(program.c_str(), argv);
            const int err = errno;
            return documentsFailed([&] {
                return Cli::tr("cannot start %1: %2").arg(QString::fromLocal8Bit(program.c_str()), plomet::systemReason(err));
            });
        }
    return documentsFailed([&] {
        return Cli::tr("%1 is not installed (it reads, stamps and signs PDF documents)")
            .arg(QDir::cleanPath(QString::fromLocal8Bit(candidates[1].c_str())));
    });
}
#endif

// Runs the command here, or in plomet-documents when this program does not
// have it (Qt takes its own options out of the arguments, so a command line
// forDocuments passed may still name one).
int run(const Command& command, const QStringList& args, [[maybe_unused]] char** argv)
{
#ifndef PLOMET_DOCUMENTS
    if (!command.run)
        return runDocuments(argv);
#endif
    return command.run(args);
}

} // namespace

int main(int argc, char** argv)
{
#ifndef PLOMET_DOCUMENTS
    // Before anything of Qt's starts: the other program starts it again.
    if (forDocuments(argc, argv))
        return runDocuments(argv);
#endif
#ifdef __GLIBC__
    // A picture's buffers (its raster, the rows to compress, the file) are a
    // few hundred KB each time. By default glibc hands such memory back to
    // the system at each free, past 128 KB at the top of a thread's heap, and
    // the next picture faults it in again; with several drawing threads each
    // hand-back also flushes every core's address cache (a quarter of the
    // service's time). Kept up to 8 MB a heap; pictures up to 4 MB (a seal at
    // 600 dpi) come from the heaps, larger ones are mapped on their own.
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
    mallopt(M_TRIM_THRESHOLD, 8 << 20);
#endif
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
                    return run(command, {QStringLiteral("--help")}, argv);
        }
        std::fputs(usage().toUtf8().constData(), stdout);
        return plomet::kExitOk;
    }
    if (name == QLatin1String("--help-all")) {
#ifndef PLOMET_DOCUMENTS
        return runDocuments(argv);
#endif
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
            return run(command, args, argv);
    plomet::printError(Cli::tr("unknown command '%1' (known: %2)").arg(name, commandNames()));
    return plomet::kExitUsage;
}
