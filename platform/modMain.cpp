#include "platform/modMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include "translations/Translations.h"
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QWidget>

#include <csignal>
#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace plomet {

QString AppFolder;
QString DefaultFile;

QString withTrailingSeparator(const QString& dir)
{
    if (dir.endsWith(u'/'))
        return dir;
    return dir + u'/';
}

QString GetAppFolder()
{
    return withTrailingSeparator(QCoreApplication::applicationDirPath());
}

QString appDirForDialogs()
{
    return QCoreApplication::applicationDirPath();
}

QString documentsDirForDialogs()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

bool isFolderWritable(const QString& dir)
{
    if (!QFileInfo(dir).isDir())
        return false;
    QTemporaryFile probe(withTrailingSeparator(dir) + QStringLiteral(".plomet-probe-XXXXXX"));
    return probe.open();
}

bool isInstalledLayout(const QString& appFolder)
{
    const QDir bin(appFolder);
    return bin.dirName() == QLatin1String("bin")
           && QFileInfo::exists(bin.filePath(QStringLiteral("../share/applications/org.plomet.Plomet.desktop")));
}

QString defaultFileFolder(const QString& appFolder, bool appFolderWritable,
                          const QString& userFolder)
{
    if (appFolderWritable || userFolder.isEmpty())
        return withTrailingSeparator(appFolder);
    QDir().mkpath(userFolder);
    return withTrailingSeparator(userFolder);
}

bool loadQtTranslations()
{
    // The windows speak Chinese whatever the locale: their own texts and
    // Qt's dialogs and buttons alike.
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    const bool shared = installTranslations(chinese);
    return installWindowTranslations(chinese) && shared;
}

void Main(const std::function<QWidget*()>& createMainWindow)
{
    AppFolder = GetAppFolder();
    const QString folder = defaultFileFolder(
        AppFolder, isFolderWritable(AppFolder) && !isInstalledLayout(AppFolder),
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    DefaultFile = folder + QStringLiteral("Plomet.PMF");
    if (QWidget* window = createMainWindow())
        window->show();
}

namespace {

int signalPipe[2] = {-1, -1};
std::function<void(int)> signalCallback;

extern "C" void onQuitSignal(int sig)
{
    // Only async-signal-safe work here: one byte into the pipe.
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(sig);
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

} // namespace

void installQuitSignals(std::function<void(int)> onSignal)
{
    signalCallback = std::move(onSignal);
    if (signalPipe[0] < 0) {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
            return;
        ::fcntl(signalPipe[1], F_SETFL, O_NONBLOCK);
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read,
                                             QCoreApplication::instance());
        QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
            unsigned char byte = 0;
            if (::read(signalPipe[0], &byte, 1) == 1 && signalCallback)
                signalCallback(byte);
        });
    }
    struct sigaction sa {};
    sa.sa_handler = onQuitSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &sa, nullptr);
}

} // namespace plomet
