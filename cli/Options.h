#pragma once
// Every option of every command is one row of kOptions: its names, the name
// of its value, its help, its default and the commands that take it. The
// parser of a command, its --help, --help-all (and so the manual page) and
// the bash completion, which reads the help, all follow from the rows. A new
// option is a row; an option two commands share is one row for both.
#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace plomet {

// The commands an option row belongs to, as bits.
enum CommandBit : unsigned {
    kCmdRender = 1u << 0,
    kCmdShow = 1u << 1,
    kCmdWrite = 1u << 2,
    kCmdStamp = 1u << 3,
    kCmdVerify = 1u << 4,
    kCmdCert = 1u << 5,
    kCmdExtract = 1u << 6,
    kCmdServe = 1u << 7,
    kCmdAll = 0xffu,
};

struct OptionRow {
    const char* names;        // "o,output": the short name first; the long one last
    const char* value;        // the value's name in the help; nullptr: a flag
    const char* help;         // English; translated when shown
    const char* fallback;     // the default value, nullptr when none
    unsigned commands;        // CommandBit: the commands that take it
    bool repeatable;          // may be given more than once (--set)
    QString (*detail)() = nullptr;   // what fills the help's %1 (--preset: the presets of their table)
};

// The rows a command takes, in the order its help lists them.
std::vector<const OptionRow*> optionsOf(unsigned command);

// The option lines of a command's help ("  -o, --output FILE  help...").
QString optionHelp(unsigned command, int width = 78);

// A command's parser built from its rows. parse() prints the help (exit 0)
// or the one-line error (exit 2) and says so; otherwise the values are read
// as from any QCommandLineParser, by long name.
class CommandLine : public QCommandLineParser {
public:
    // `about`: the help before the options (usage lines, what it does);
    // `notes`: after them. English, translated when shown (context "Commands").
    CommandLine(unsigned command, const char* name, const char* about, const char* notes = nullptr);

    // More help after the notes (render's property list), made only when shown.
    void setHelpTail(std::function<QString()> tail) { tail_ = std::move(tail); }

    // The exit code when the command is done (help shown, bad command line),
    // none when it goes on. An option that is not repeatable given twice is a
    // bad command line.
    std::optional<int> parse(QStringList args);

    // The option of this long name (it must be one of the command's rows).
    const QCommandLineOption& option(const char* longName) const;

    // The whole help text, as --help prints it.
    QString helpText() const;

private:
    unsigned command_;
    QString name_;
    const char* about_;
    const char* notes_;
    std::function<QString()> tail_;
    std::vector<QCommandLineOption> options_;
    std::vector<const OptionRow*> rows_;
};

} // namespace plomet
