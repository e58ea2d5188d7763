// PlometSample: the seal program's main window.
#include "seal/Fonts.h"
#include "platform/Guard.h"
#include "app/frmMain.h"
#include "platform/modMain.h"

#include <QApplication>
#include <QCoreApplication>
#include <QSessionManager>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

const char kUsage[] =
    "Usage: PlometSample [FILE.PMF]\n"
    "\n"
    "Shows the main window of the seal maker with the seal it held when it\n"
    "was last closed. With FILE.PMF, that seal description file is opened at\n"
    "start, as the \"打 开\" button opens one; a file that is not a seal\n"
    "description file is refused with a message and the last seal stays.\n"
    "\n"
    "The seal is kept at every close in the default file Plomet.PMF: beside\n"
    "the program when its folder is writable, else (and always once\n"
    "installed) in ~/.local/share/PlometSample/. A default file that cannot\n"
    "be read is kept as Plomet.PMF.unreadable beside it.\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this help and exit\n"
    "  --version      show the version and exit\n"
    "\n"
    "Qt's own options (-platform, -display, -style, ...) are also taken.\n"
    "Exit codes: 0 closed normally, 2 bad command line.\n";

} // namespace

int main(int argc, char** argv)
{
    // Help and version need no display.
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (!std::strcmp(argv[i], "--version")) {
            std::puts("PlometSample 2.5");
            return 0;
        }
    }

    // The seal control has a window of its own (its handle is part of the
    // control); its sibling buttons need none.
    QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("PlometSample"));
    QApplication::setApplicationVersion(QStringLiteral("2.5"));
    plomet::loadQtTranslations();
    plomet::installFaceSubstitutions();

    // What Qt left of the command line: at most one file to open.
    QStringList files = QApplication::arguments().mid(1);
    if (!files.isEmpty() && files.first() == QLatin1String("--"))
        files.removeFirst();
    else if (!files.isEmpty() && files.first().startsWith(u'-')) {
        std::fprintf(stderr, "PlometSample: unknown option '%s' (see --help)\n", qPrintable(files.first()));
        return 2;
    }
    if (files.size() > 1) {
        std::fputs("PlometSample: one file at a time (see --help)\n", stderr);
        return 2;
    }

    // Owned here, not deleted on close: a close can come from a signal while
    // one of the window's own handlers waits in a modal dialog.
    std::unique_ptr<plomet::frmMain> window;
    plomet::Main([&window, &files]() -> QWidget* {
        window = std::make_unique<plomet::frmMain>();
        if (!files.isEmpty())
            window->openFile(files.first());
        return window.get();
    });

    // SIGTERM, SIGINT and SIGHUP save and quit as a close does.
    plomet::installQuitSignals([&window](int) {
        if (window)
            window->close();
    });
    // The desktop session: save when it asks, and whenever the application is
    // told to quit without a close (the session's "die").
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app,
                     [&window](QSessionManager& manager) {
                         if (!window)
                             return;
                         plomet::guarded(manager.allowsInteraction() ? window.get() : nullptr,
                                         QCoreApplication::translate("main", "Saving the default file failed."),
                                         [&] { window->saveDefaultFile(); });
                     });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &app, [&window] {
        if (window)
            window->unload();
    });
    return app.exec();
}
