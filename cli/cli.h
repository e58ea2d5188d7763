#pragma once
// The command line `plomet`: one small function per command. Each takes the
// arguments after the command's name, prints a one-line error on stderr on
// failure and returns the process exit code.
#include "seal/SettingText.h"

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
int cmdExtract(QStringList args);

// applySetting and settingNames (SettingText.h) assign the seal's values by
// name, as --set gives them.

// Applies preset `name` (one of presetNames()) through applySetting, in its
// order. Throws PlometError for a name that is not a preset, listing them.
void applyPreset(Plomet& seal, const QString& name);
// Empty when `name` is a preset; otherwise the one line saying so.
QString presetProblem(const QString& name);

// The one line printed on stderr for a failure: "plomet: <message>".
void printError(const QString& message);

} // namespace plomet
