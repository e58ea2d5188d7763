#pragma once
// The command line `plomet`: one small function per command. Each takes the
// arguments after the command's name, prints a one-line error on stderr on
// failure and returns the process exit code.
#include <QString>
#include <QStringList>

namespace plomet {

class Plomet;

// Exit codes shared by every command.
enum ExitCode : int {
    kExitOk = 0,
    kExitFailed = 1,     // the seal could not be read, drawn or written
    kExitUsage = 2,      // bad command line (unknown option, missing argument)
};

int cmdRender(QStringList args);
int cmdShow(QStringList args);
int cmdWrite(QStringList args);
int cmdStamp(QStringList args);

// Assigns one setting as `--set NAME=VALUE` gives it: NAME is one of the
// fourteen property names or Width / Height (twips, or millimetres with an
// "mm" suffix), any letter case; VALUE is written as the description file
// writes it (plain decimal numbers, True / False, text as it is; an empty
// value is the empty text). Throws PlometError naming the setting and why.
void applySetting(Plomet& seal, const QString& name, const QString& value);
// The same for "NAME=VALUE" in one string.
void applySetting(Plomet& seal, const QString& assignment);

// The names applySetting knows, in property order, then Width and Height.
QStringList settingNames();

// The one line printed on stderr for a failure: "plomet: <message>".
void printError(const QString& message);

} // namespace plomet
