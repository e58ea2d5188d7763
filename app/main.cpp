// PlometSample: the seal program's main window.
#include "seal/Fonts.h"
#include "platform/Guard.h"
#include "app/frmMain.h"
#include "platform/modMain.h"

#include <QApplication>
#include <QSessionManager>

#include <memory>

int main(int argc, char** argv)
{
    // The seal control has a window of its own (its handle is part of the
    // control); its sibling buttons need none.
    QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("PlometSample"));
    QApplication::setApplicationVersion(QStringLiteral("2.5"));
    plomet::installFaceSubstitutions();

    // Owned here, not deleted on close: a close can come from a signal while
    // one of the window's own handlers waits in a modal dialog.
    std::unique_ptr<plomet::frmMain> window;
    plomet::Main([&window]() -> QWidget* {
        window = std::make_unique<plomet::frmMain>();
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
                                         QStringLiteral("保存默认文件失败。"),
                                         [&] { window->saveDefaultFile(); });
                     });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &app, [&window] {
        if (window)
            window->unload();
    });
    return app.exec();
}
