// PlometSample: the seal program's main window.
#include "seal/Fonts.h"
#include "platform/Guard.h"
#include "app/frmMain.h"
#include "platform/modMain.h"
#include "translations/Translations.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLocale>
#include <QSessionManager>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// The help goes to a terminal: in the user's language, as the command line
// speaks, and with no display needed.
int printHelp(int argc, char** argv)
{
    QCoreApplication core(argc, argv);
    plomet::installWindowTranslations(QLocale());
    const QString usage = QCoreApplication::translate("main",
        "Usage: PlometSample [FILE.PMF]\n"
        "\n"
        "The seal maker's window. It opens the seal of its last close, or\n"
        "FILE.PMF, a seal description file, when one is given.\n"
        "\n"
        "Options:\n"
        "  -h, --help     show this help and exit\n"
        "  --version      show the version and exit\n"
        "Qt's own options (-platform, -display, -style, ...) are taken too.\n"
        "\n"
        "Exit codes: 0 closed normally, 2 bad command line.\n"
        "Drawing, stamping and signing without a window: plomet --help\n");
    std::fputs(usage.toUtf8().constData(), stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // Help and version need no display.
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h"))
            return printHelp(argc, argv);
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
        std::fputs(qPrintable(QCoreApplication::translate("main", "PlometSample: unknown option '%1' (see --help)\n")
                                  .arg(files.first())),
                   stderr);
        return 2;
    }
    if (files.size() > 1) {
        std::fputs(qPrintable(QCoreApplication::translate("main", "PlometSample: one file at a time (see --help)\n")), stderr);
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
