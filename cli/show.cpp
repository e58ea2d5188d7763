// plomet show: prints the fifteen values of a seal description file.
#include "cli/cli.h"

#include "seal/Errors.h"
#include "seal/NumberText.h"
#include "formats/PmfFile.h"

#include <QCommandLineParser>
#include <cstdio>

namespace plomet {

namespace {

const char kShowHelp[] =
    "Usage: plomet show SEAL.PMF [--json]\n"
    "\n"
    "Prints the fifteen values of a seal description file, one NAME=VALUE a\n"
    "line in file order, numbers and True/False as the file writes them.\n"
    "\n"
    "  --json    one JSON object instead: the property names and Width,\n"
    "            Height as keys; numbers as JSON numbers, Booleans as\n"
    "            true/false, texts as strings\n"
    "\n"
    "A file that cannot be read gives one line on stderr and exit code 1\n"
    "(2 for a bad command line).\n";

enum class Kind { Text, Number, Boolean };

struct Shown {
    const char* name;
    Kind kind;
    QString text;   // the value as the file writes it
};

QList<Shown> shownValues(const PmfValues& v)
{
    auto boolText = [](bool b) { return b ? QStringLiteral("True") : QStringLiteral("False"); };
    return {
        {"rText", Kind::Text, v.rText},
        {"pText", Kind::Text, v.pText},
        {"pText1", Kind::Text, v.pText1},
        {"BackColor", Kind::Number, numberTextLong(v.BackColor)},
        {"ForeColor", Kind::Number, numberTextLong(v.ForeColor)},
        {"FontName", Kind::Text, v.FontName},
        {"FontSize", Kind::Number, numberTextSingle(v.FontSize)},
        {"ShowStar", Kind::Boolean, boolText(v.ShowStar)},
        {"MidSign", Kind::Text, v.MidSign},
        {"StarSize", Kind::Number, numberTextLong(v.StarSize)},
        {"Width", Kind::Number, numberTextSingle(v.Width)},
        {"Height", Kind::Number, numberTextSingle(v.Height)},
        {"Space", Kind::Number, numberTextLong(v.Space)},
        {"Degree", Kind::Number, numberTextDouble(v.Degree)},
        {"FontBold", Kind::Boolean, boolText(v.FontBold)},
    };
}

QString jsonString(const QString& s)
{
    QString out = QStringLiteral("\"");
    for (QChar c : s) {
        switch (c.unicode()) {
        case '"': out += QStringLiteral("\\\""); break;
        case '\\': out += QStringLiteral("\\\\"); break;
        case '\b': out += QStringLiteral("\\b"); break;
        case '\f': out += QStringLiteral("\\f"); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        case '\t': out += QStringLiteral("\\t"); break;
        default:
            if (c.unicode() < 0x20)
                out += QStringLiteral("\\u%1").arg(uint(c.unicode()), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

// The text `plomet show` prints for these values (JSON or NAME=VALUE lines).
QString showText(const PmfValues& values, bool json)
{
    QString out;
    const QList<Shown> shown = shownValues(values);
    if (!json) {
        for (const Shown& s : shown)
            out += QLatin1String(s.name) + QLatin1Char('=') + s.text + QLatin1Char('\n');
        return out;
    }
    // Written by hand to keep file order and the numbers exactly as the file
    // holds them (the number text is always plain decimal, valid JSON).
    out = QStringLiteral("{");
    for (int i = 0; i < shown.size(); ++i) {
        const Shown& s = shown[i];
        out += (i ? QStringLiteral(", ") : QString()) + jsonString(QLatin1String(s.name)) + QStringLiteral(": ");
        switch (s.kind) {
        case Kind::Text: out += jsonString(s.text); break;
        case Kind::Number: out += s.text; break;
        case Kind::Boolean: out += s.text == QLatin1String("True") ? QStringLiteral("true") : QStringLiteral("false"); break;
        }
    }
    out += QStringLiteral("}\n");
    return out;
}

} // namespace

int cmdShow(QStringList args)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption jsonOpt(QStringLiteral("json"), QStringLiteral("JSON output"));
    const QCommandLineOption helpOpt({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("help"));
    parser.addOptions({jsonOpt, helpOpt});
    args.prepend(QStringLiteral("plomet show"));
    if (!parser.parse(args)) {
        printError(parser.errorText());
        return kExitUsage;
    }
    if (parser.isSet(helpOpt)) {
        std::fputs(kShowHelp, stdout);
        return kExitOk;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1) {
        printError(files.isEmpty() ? QStringLiteral("missing SEAL.PMF (the description file to show)")
                                   : QStringLiteral("unexpected argument '%1'").arg(files.at(1)));
        return kExitUsage;
    }
    try {
        const QByteArray text = showText(readPMF(files.first()), parser.isSet(jsonOpt)).toUtf8();
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        if (std::fflush(stdout) != 0) {
            printError(QStringLiteral("cannot write to standard output"));
            return kExitFailed;
        }
    } catch (const PlometError& e) {
        printError(e.message());
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace plomet
