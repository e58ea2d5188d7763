#pragma once
// The command line `plomet`: one small function per command. Each takes the
// arguments after the command's name, prints a one-line error on stderr on
// failure and returns the process exit code.
#include "formats/Export.h"
#include "stamp/PdfStamp.h"
#include "seal/SettingText.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QJsonArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace plomet {

class Plomet;

// The texts the command line shows, in the user's language: Cli::tr("...")
// with the English text.
struct Cli {
    Q_DECLARE_TR_FUNCTIONS(Cli)
};

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
int cmdServe(QStringList args);

// The image of one seal in `format` ("png", "bmp", "svg", "pdf"): a new seal,
// or the description file `pmf`'s when given, then `preset`, then the
// NAME=VALUE `settings` in order. What `plomet render` writes and `plomet
// serve` answers, so both give the same bytes for the same settings. The
// glyph warnings go to `warnings` when it is given. Throws PlometError.
QByteArray renderSealBytes(const QString& pmf, const QString& preset, const QStringList& settings,
                           const QString& format, const ExportOptions& options, QStringList* warnings = nullptr);
int cmdVerify(QStringList args);
int cmdCert(QStringList args);

// A certificate's password: the first line of passwordFile when given, else
// PLOMET_P12_PASSWORD, else asked on the terminal without echo (twice when
// confirm). Never from the command line. None, after printing why, when
// there is no way to get it.
std::optional<QByteArray> readPassword(const QString& passwordFile, bool confirm);

// The key and certificate chain for --sign, read (with readPassword) before
// anything is drawn. Throws PlometError for a file that cannot be read, a
// wrong password, a certificate that cannot sign; no key (after the reason
// is printed) when there is no password to be had.
SignRequest signRequest(const QString& p12Path, const QString& passwordFile);
int cmdExtract(QStringList args);

// applySetting and settingNames (SettingText.h) assign the seal's values by
// name, as --set gives them.

// Applies preset `name` (one of presetNames()) through applySetting, in its
// order. Throws PlometError for a name that is not a preset, listing them.
void applyPreset(Plomet& seal, const QString& name);
// Empty when `name` is a preset; otherwise the one line saying so.
QString presetProblem(const QString& name);

// The cores this process may run on: those of its affinity mask (taskset,
// a container's cpuset), not all of the machine's. A second drawing thread
// on one core only takes turns with the first and opens every face again.
unsigned usableCores();

// The --json document on stdout: {"outputs": [one entry per output]}.
void printJson(const QJsonArray& outputs);

// The one line printed on stderr for a failure: "plomet: <message>".
void printError(const QString& message);

} // namespace plomet
