// PlometSample: the seal program's main window.
#include "Fonts.h"
#include "frmMain.h"
#include "modMain.h"

#include <QApplication>
#include <QPointer>
#include <QSessionManager>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("PlometSample"));
    QApplication::setApplicationVersion(QStringLiteral("2.5"));
    plomet::installFaceSubstitutions();

    QPointer<plomet::frmMain> window;
    plomet::Main([&window]() -> QWidget* {
        window = new plomet::frmMain;
        window->setAttribute(Qt::WA_DeleteOnClose);
        return window;
    });

    // A signal or the end of the desktop session saves and quits as a close does.
    plomet::installQuitSignals([&window](int) {
        if (window)
            window->close();
    });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, [&window](QSessionManager&) {
        if (window)
            window->close();
    });
    return app.exec();
}
