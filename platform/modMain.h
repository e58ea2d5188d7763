#pragma once
// Start-up: the application folder, where the default description file lives,
// and the signals that end the program as a close of the main window does.
#include <QString>
#include <functional>

class QWidget;

namespace plomet {

// The folder that holds the executable, ending in "/"; a root is not doubled.
extern QString AppFolder;
// The default description file: "Plomet.PMF" in AppFolder when that folder is
// writable, else in the per-user application data folder.
extern QString DefaultFile;

// The executable's folder as the platform reports it, ending in "/".
QString GetAppFolder();
// dir with one "/" appended unless it already ends in one ("/" stays "/").
QString withTrailingSeparator(const QString& dir);
// The folder the file dialogs open in: the executable's folder, no trailing "/".
QString appDirForDialogs();
// Where documents to stamp are looked for first: the user's documents folder
// (the home folder where there is none).
QString documentsDirForDialogs();

// Whether the program in appFolder is an installed one: the desktop entry
// lies in the data folder beside its bin folder. An installed program keeps
// the default file per user even when it runs with write access to its folder
// (as root, or from a scratch install tree), never among the system's programs.
bool isInstalledLayout(const QString& appFolder);

// Whether a file can be created in dir (tried for real: permissions alone do
// not tell, e.g. for root or on a read-only mount).
bool isFolderWritable(const QString& dir);
// The folder (ending in "/") that holds the default file: appFolder when
// writable, else userFolder (created when missing).
QString defaultFileFolder(const QString& appFolder, bool appFolderWritable,
                          const QString& userFolder);

// Loads the Chinese translations, whatever the user's locale: Qt's own (the
// standard dialogs and buttons: "确定", "取消", …, from Qt's translations
// folder) and the program's. Returns whether the program's was found. Call
// once, after the QApplication exists.
bool loadQtTranslations();

// Sets AppFolder and DefaultFile, then creates and shows the main window.
// createMainWindow runs after the globals are set.
void Main(const std::function<QWidget*()>& createMainWindow);

// Makes SIGTERM, SIGINT and SIGHUP call onSignal on the event loop (through a
// self-pipe: the signal handler itself only writes one byte). Call once, after
// the QApplication exists.
void installQuitSignals(std::function<void(int signal)> onSignal);

} // namespace plomet
