// plomet show: prints the values of a seal description file.
#include "cli/cli.h"
#include "cli/Options.h"

#include "seal/Errors.h"
#include "seal/Properties.h"
#include "formats/PmfFile.h"

#include <cstdio>

namespace plomet {

namespace {

const char kShowAbout[] = QT_TRANSLATE_NOOP(
    "Commands",
    "Usage: plomet show SEAL.PMF [--json]\n"
    "\n"
    "Prints the values of a seal description file, one NAME=VALUE a line in\n"
    "file order, numbers and True/False as the file writes them: the fifteen\n"
    "classic values, then the later properties the file sets and any lines of\n"
    "keys this version does not know.\n");

const char kShowNotes[] = QT_TRANSLATE_NOOP(
    "Commands",
    "A file that cannot be read gives one line on stderr and exit code 1\n"
    "(2 for a bad command line).\n");

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

// The text `plomet show` prints for these values: NAME=VALUE lines (the
// classic lines, then the later properties a file holds and the lines of
// unknown keys, as the file has them), or JSON with every property.
QString showText(const PmfValues& values, bool json)
{
    QString out;
    if (!json) {
        for (const PropertyRow* r : fileLineRows())
            out += r->qname() + QLatin1Char('=') + valueText(*r, values.get(*r)) + QLatin1Char('\n');
        for (const PropertyRow* r : fileKeyRows())
            if (values.get(*r) != normalised(*r, r->newValue))
                out += r->qname() + QLatin1Char('=') + valueText(*r, values.get(*r)) + QLatin1Char('\n');
        for (const QString& line : values.unknownLines)
            out += line + QLatin1Char('\n');
        return out;
    }
    // Written by hand to keep file order and the numbers exactly as the file
    // holds them (the number text is always plain decimal, valid JSON).
    std::vector<const PropertyRow*> rows = fileLineRows();
    for (const PropertyRow* r : fileKeyRows())
        rows.push_back(r);
    out = QStringLiteral("{");
    for (size_t i = 0; i < rows.size(); ++i) {
        const PropertyRow& r = *rows[i];
        const QString text = valueText(r, values.get(r));
        out += (i ? QStringLiteral(", ") : QString()) + jsonString(r.qname()) + QStringLiteral(": ");
        switch (r.type) {
        case ValueType::Text:
        case ValueType::Choice: out += jsonString(text); break;
        case ValueType::Boolean: out += values.get(r).toBool() ? QStringLiteral("true") : QStringLiteral("false"); break;
        default: out += text; break;
        }
    }
    out += QStringLiteral("}\n");
    return out;
}

} // namespace

int cmdShow(QStringList args)
{
    CommandLine parser(kCmdShow, "show", kShowAbout, kShowNotes);
    if (const auto done = parser.parse(args))
        return *done;
    const QCommandLineOption& jsonOpt = parser.option("json");
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1) {
        printError(files.isEmpty() ? Cli::tr("missing SEAL.PMF (the description file to show)")
                                   : Cli::tr("unexpected argument '%1'").arg(files.at(1)));
        return kExitUsage;
    }
    try {
        const QByteArray text = showText(readPMF(files.first()), parser.isSet(jsonOpt)).toUtf8();
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        if (std::fflush(stdout) != 0) {
            printError(Cli::tr("cannot write to standard output"));
            return kExitFailed;
        }
    } catch (const PlometError& e) {
        printError(e.message());
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace plomet
