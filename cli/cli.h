#pragma once
// The command line `plomet`: one small function per command. Each takes the
// arguments after the command's name, prints a one-line error on stderr on
// failure and returns the process exit code.
#include "formats/Export.h"
#include "stamp/PdfStamp.h"
#include "seal/SettingText.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QHash>
#include <QJsonArray>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

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
// glyph warnings go to `warnings` when it is given; without it they are not
// looked for. Throws PlometError.
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

// Applies preset `name` (one of presetNames()), its values in their order. Throws PlometError for a name that is not a preset, listing them.
void applyPreset(Plomet& seal, const QString& name);
// Empty when `name` is a preset; otherwise the one line saying so.
QString presetProblem(const QString& name);

// The cores this process may run on: those of its affinity mask (taskset,
// a container's cpuset), not all of the machine's. A second drawing thread
// on one core only takes turns with the first and opens every face again.
unsigned usableCores();

// The seal of a job: the description file `pmf` (when given), then the
// preset, the common settings and the job's own ones in order; a failing
// own setting is named by its ownAt (where it came from). Throws PlometError.
void applySealSettings(Plomet& seal, const QString& pmf, const QString& preset, const QStringList& settings,
                       const QStringList& own, const QStringList& ownAt);

// One row of a table of seals (render --table, stamp --table).
struct TableJob {
    QString input;                  // named in messages: TABLE:LINE
    QStringList settings;           // NAME=VALUE from the property columns
    QStringList settingAt;          // for each, "column 3 (FontSize)"
    QHash<QString, QString> cells;  // the command's own columns, by lower-case name
    QHash<QString, int> columns;    // where those columns are (from 1), for messages
};

// The rows of a table whose header names properties (any letter case) and
// the command's own columns (`ownColumns`, lower case). An empty cell keeps
// the value; a length without unit is millimetres. Throws PlometError for a
// table that cannot be read, a column that is neither, or no rows.
std::vector<TableJob> readTableJobs(const QString& path, const QStringList& ownColumns);

// A bar on stderr while a batch runs, when stderr is a terminal; nothing
// otherwise (a log file or a pipe gets only the messages).
class Progress {
public:
    explicit Progress(qsizetype total) : total_(total), shown_(total > 1 && isatty(fileno(stderr))) {}
    ~Progress()
    {
        if (shown_ && drawn_ >= 0)
            std::fputs("\r\033[K", stderr);
    }
    void step()
    {
        if (!shown_)
            return;
        std::lock_guard<std::mutex> lock(mutex_);
        const qsizetype done = ++done_;
        const int width = 40;
        const int bar = int(width * done / total_);
        if (bar == drawn_ && done != total_)
            return;
        drawn_ = bar;
        std::fprintf(stderr, "\r[%s%s] %lld/%lld", std::string(size_t(bar), '#').c_str(),
                     std::string(size_t(width - bar), ' ').c_str(), static_cast<long long>(done),
                     static_cast<long long>(total_));
        std::fflush(stderr);
    }

private:
    std::mutex mutex_;
    const qsizetype total_;
    const bool shown_;
    qsizetype done_ = 0;
    int drawn_ = -1;
};

// The --json document on stdout: {"outputs": [one entry per output]}.
void printJson(const QJsonArray& outputs);

// The one line printed on stderr for a failure: "plomet: <message>".
void printError(const QString& message);

} // namespace plomet
