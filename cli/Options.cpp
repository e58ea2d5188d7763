#include "cli/Options.h"

#include "cli/cli.h"
#include "seal/Presets.h"
#include "seal/TextColumns.h"

#include <QCoreApplication>
#include <cstdio>

namespace plomet {

namespace {

constexpr unsigned kSealFrom = kCmdRender | kCmdWrite | kCmdStamp;   // the commands that make a seal
constexpr unsigned kSigning = kCmdStamp | kCmdServe;

QString presetLines();

// clang-format off
const OptionRow kOptions[] = {
    // names                 value          help                                                             default  commands
    {"o,output", "FILE", QT_TRANSLATE_NOOP("Options", "the file to write"), nullptr, kCmdRender | kCmdStamp | kCmdExtract | kCmdCert, false},
    {"d,directory", "DIR", QT_TRANSLATE_NOOP("Options", "batch: the folder for the images (made when it does not exist)"), nullptr,
     kCmdRender | kCmdExtract, false},
    {"format", "EXT", QT_TRANSLATE_NOOP("Options", "batch: png, bmp, svg or pdf"), "png", kCmdRender, false},
    {"format", "EXT", QT_TRANSLATE_NOOP("Options", "with -d: png or svg"), "png", kCmdExtract, false},
    {"from", "FILE", QT_TRANSLATE_NOOP("Options", "start from the seal in this description file"), nullptr, kCmdWrite, false},
    {"table", "FILE.csv",
     QT_TRANSLATE_NOOP("Options", "one seal a row of a table; the header names properties (any letter case, as --set takes them) and the "
       "command's own columns; empty cells keep the value, lengths are millimetres, colours #RRGGBB; UTF-8 "
       "(with or without BOM) or GBK; --preset and --set apply first"),
     nullptr, kCmdRender | kCmdStamp, false},
    {"preset", "NAME",
     QT_TRANSLATE_NOOP("Options", "start from a common seal (its size is the outer edge of the band; --set applies after it):\n%1"),
     nullptr, kSealFrom, false, presetLines},
    {"set", "NAME=VALUE",
     QT_TRANSLATE_NOOP("Options", "assign a property (the list: plomet render --help); NAME in any letter case; VALUE as the description "
       "file writes it: plain decimal numbers, True/False; lengths also in millimetres (42mm, 1.2mm), colours "
       "also as #RRGGBB; an empty VALUE is the empty text"),
     nullptr, kSealFrom, true},
    {"dpi", "N", QT_TRANSLATE_NOOP("Options", "resolution of PNG and BMP (96: the screen picture pixel for pixel); size = twips x N / 1440"),
     "96", kCmdRender, false},
    {"dpi", "N", QT_TRANSLATE_NOOP("Options", "the scan's resolution, for a file that records none (otherwise taken as 300) or a wrong one"),
     nullptr, kCmdExtract, false},
    {"transparent", nullptr, QT_TRANSLATE_NOOP("Options", "no background (PNG, SVG, PDF; BMP stays opaque)"), nullptr, kCmdRender, false},
    {"engrave", nullptr,
     QT_TRANSLATE_NOOP("Options", "for seal makers (SVG, PDF): mirrored left to right, every glyph and ring a filled outline, no "
       "text or fonts, at the seal's exact size; no wear"),
     nullptr, kCmdRender, false},
    {"invert", nullptr, QT_TRANSLATE_NOOP("Options", "with --engrave: the ink as the cut-away (the seal's outer shape minus the ink), for rubber"),
     nullptr, kCmdRender, false},
    {"seal-image", "FILE",
     QT_TRANSLATE_NOOP("Options", "stamp this picture instead of a drawn seal: an SVG (such as plomet extract writes) stays vector, at the "
       "size its width and height give; a PNG goes in at the size its resolution gives, with its alpha (not with SEAL.PMF, "
       "--preset or --set)"),
     nullptr, kCmdStamp, false},
    // stamp: where the seal goes
    {"page", "LIST", QT_TRANSLATE_NOOP("Options", "pages: 1  1,3  2-5  last  all  odd  even, or a list of these (default 1; for --straddle all)"),
     nullptr, kCmdStamp, false},
    {"at", "X,Y", QT_TRANSLATE_NOOP("Options", "the seal's centre, in mm from the page's top-left corner"), nullptr, kCmdStamp, false},
    {"angle", "DEG", QT_TRANSLATE_NOOP("Options", "turn the seal clockwise"), "0", kCmdStamp, false},
    {"straddle", nullptr,
     QT_TRANSLATE_NOOP("Options", "cross-page seal: one strip of the seal at the edge of each page; the strips side by side give the seal"),
     nullptr, kCmdStamp, false},
    {"at-y", "Y", QT_TRANSLATE_NOOP("Options", "cross-page: height of the seal's centre in mm (default the middle of the first page)"), nullptr,
     kCmdStamp, false},
    {"straddle-max", "N", QT_TRANSLATE_NOOP("Options", "cross-page: a new seal every N pages"), "20", kCmdStamp, false},
    {"edge", "right|left",
     QT_TRANSLATE_NOOP("Options", "cross-page: the edge the strips sit at (double-sided: --page odd, or --page even --edge left)"), "right",
     kCmdStamp, false},
    {"first-strip", "MM", QT_TRANSLATE_NOOP("Options", "cross-page: width of the first page's strip (default: all strips equally wide)"),
     nullptr, kCmdStamp, false},
    {"inset", "MM", QT_TRANSLATE_NOOP("Options", "cross-page: distance of the strips from the page edge"), "0", kCmdStamp, false},
    {"force", nullptr,
     QT_TRANSLATE_NOOP("Options", "rewrite a digitally signed document whole (its signatures break) instead of appending the seal"), nullptr,
     kCmdStamp, false},
    // serve
    {"host", "ADDRESS", QT_TRANSLATE_NOOP("Options", "the address to listen on; 127.0.0.1 is this machine only"), "127.0.0.1", kCmdServe, false},
    {"port", "N", QT_TRANSLATE_NOOP("Options", "the TCP port; 0: any free one"), "8080", kCmdServe, false},
    {"threads", "N", QT_TRANSLATE_NOOP("Options", "drawing threads (default: the usable cores)"), nullptr, kCmdServe, false},
    {"queue", "N", QT_TRANSLATE_NOOP("Options", "requests that may wait for a drawing thread; more are answered 503"), "64", kCmdServe, false},
    {"connections", "N", QT_TRANSLATE_NOOP("Options", "connections served at once; more wait to be accepted"), "64", kCmdServe, false},
    {"max-body", "SIZE", QT_TRANSLATE_NOOP("Options", "largest PDF for /stamp, in bytes or with K, M, G"), "32M", kCmdServe, false},
    {"max-json", "SIZE", QT_TRANSLATE_NOOP("Options", "largest JSON body for /render"), "64K", kCmdServe, false},
    {"read-timeout", "S",
     QT_TRANSLATE_NOOP("Options", "seconds a client may stay silent while sending a request, and 4 times that to send a body"), "5", kCmdServe,
     false},
    {"header-timeout", "S", QT_TRANSLATE_NOOP("Options", "seconds from a request's first byte to the end of its headers"), "10",
     kCmdServe, false},
    {"job-timeout", "S", QT_TRANSLATE_NOOP("Options", "seconds a request may wait and draw"), "30", kCmdServe, false},
    {"quiet", nullptr, QT_TRANSLATE_NOOP("Options", "no log line per request"), nullptr, kCmdServe, false},
    // signing
    {"sign", "SEAL.p12", QT_TRANSLATE_NOOP("Options", "sign with the key and certificate chain in this PKCS#12 file (PAdES)"), nullptr, kSigning,
     false},
    {"password-file", "FILE",
     QT_TRANSLATE_NOOP("Options", "the PKCS#12 password, the file's first line (else the environment variable PLOMET_P12_PASSWORD, else "
       "asked on the terminal, not shown)"),
     nullptr, kSigning | kCmdCert, false},
    {"reason", "TEXT", QT_TRANSLATE_NOOP("Options", "why it is signed"), nullptr, kSigning, false},
    {"location", "TEXT", QT_TRANSLATE_NOOP("Options", "where it is signed"), nullptr, kSigning, false},
    {"contact", "TEXT", QT_TRANSLATE_NOOP("Options", "how to reach the signer"), nullptr, kSigning, false},
    {"name", "FIELD", QT_TRANSLATE_NOOP("Options", "the signature field's name (default SignatureN)"), nullptr, kCmdStamp, false},
    {"tsa", "URL", QT_TRANSLATE_NOOP("Options", "add a time stamp from this RFC 3161 service (http://...; PAdES B-T)"), nullptr, kCmdStamp,
     false},
    // results
    {"json", nullptr,
     QT_TRANSLATE_NOOP("Options", "print one JSON document on stdout: an entry per output (input, output, status, message, warnings, "
       "widthMm, heightMm; pixels of an image, pages and signed of a document)"),
     nullptr, kCmdRender | kCmdStamp, false},
    {"json", nullptr,
     QT_TRANSLATE_NOOP("Options", "one JSON object instead with every property the file can hold (those it does not set at a new seal's "
       "values): the property names and Width, Height as keys; numbers as JSON numbers, Booleans as true/false, "
       "texts and Shape as strings"),
     nullptr, kCmdShow, false},
    {"json", nullptr, QT_TRANSLATE_NOOP("Options", "one JSON object instead of the text"), nullptr, kCmdVerify, false},
    {"trust", "CERT.pem", QT_TRANSLATE_NOOP("Options", "trust these certificates (PEM) instead of the system's"), nullptr, kCmdVerify, false},
    // cert
    {"name", "NAME", QT_TRANSLATE_NOOP("Options", "the certificate's name, usually the company's"), nullptr, kCmdCert, false},
    {"days", "N", QT_TRANSLATE_NOOP("Options", "days of validity from now"), "365", kCmdCert, false},
    // extract
    {"colour", "#RRGGBB", QT_TRANSLATE_NOOP("Options", "the ink's colour (default red; blue or purple seals need it)"), nullptr, kCmdExtract,
     false},
    {"recolour", "#RRGGBB", QT_TRANSLATE_NOOP("Options", "give the whole seal this one colour"), nullptr, kCmdExtract, false},
    {"size", "MM", QT_TRANSLATE_NOOP("Options", "scale the seal so that its larger side is MM millimetres (42mm or 42)"), nullptr, kCmdExtract,
     false},
    {"h,help", nullptr, QT_TRANSLATE_NOOP("Options", "show this help"), nullptr, kCmdAll, false},
};
// clang-format on

QString tr(const char* text)
{
    return QCoreApplication::translate("Options", text);
}

QString helpOf(const OptionRow& row)
{
    return row.detail ? tr(row.help).arg(row.detail()) : tr(row.help);
}

// `text` broken into lines of at most `width` columns (the first of at most
// `firstWidth`): at spaces, and between two wide characters (Chinese runs
// have no spaces).
QStringList wrapParagraph(const QString& text, int width, int firstWidth)
{
    QStringList lines;
    QString line;
    int used = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        // The next unit: a run up to a space, or one wide character.
        qsizetype end = i;
        if (columns(text[i]) == 2) {
            end = i + 1;
            while (end < text.size() && columns(text[end]) == 1 && !text[end].isSpace() && !text[end].isLetterOrNumber())
                ++end;   // punctuation stays with the character before it
        } else {
            while (end < text.size() && !text[end].isSpace() && columns(text[end]) == 1)
                ++end;
        }
        const QString word = text.mid(i, end - i);
        const bool spaceBefore = i > 0 && text[i - 1].isSpace();
        const int need = columns(word) + (spaceBefore && !line.isEmpty() ? 1 : 0);
        if (!line.isEmpty() && used + need > (lines.isEmpty() ? firstWidth : width)) {
            lines << line;
            line = word;
            used = columns(word);
        } else {
            if (spaceBefore && !line.isEmpty()) {
                line += QLatin1Char(' ');
                ++used;
            }
            line += word;
            used += columns(word);
        }
        i = end;
        while (i < text.size() && text[i].isSpace())
            ++i;
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

// The same for each line of `text`: a line break in a help starts a list,
// each item on a line of its own and its further lines indented beneath it.
QStringList wrap(const QString& text, int width)
{
    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    QStringList lines = wrapParagraph(paragraphs.front(), width, width);
    for (qsizetype i = 1; i < paragraphs.size(); ++i) {
        const QStringList item = wrapParagraph(paragraphs[i], width - 2, width);
        for (qsizetype j = 0; j < item.size(); ++j)
            lines << (j ? QStringLiteral("  ") : QString()) + item[j];
    }
    return lines;
}

// The presets, one a line, the name first: a name the user types is never
// broken between lines.
QString presetLines()
{
    QStringList lines;
    for (const QString& name : presetNames())
        lines << presetSummary(name);
    return lines.join(QLatin1Char('\n'));
}

QStringList namesOf(const OptionRow& row)
{
    return QString::fromLatin1(row.names).split(QLatin1Char(','));
}

} // namespace

std::vector<const OptionRow*> optionsOf(unsigned command)
{
    std::vector<const OptionRow*> rows;
    for (const OptionRow& row : kOptions)
        if (row.commands & command)
            rows.push_back(&row);
    return rows;
}

QString optionHelp(unsigned command, int width)
{
    constexpr int kHelpColumn = 24;
    QString text;
    for (const OptionRow* row : optionsOf(command)) {
        QStringList shown;
        for (const QString& name : namesOf(*row))
            shown << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        QString head = QStringLiteral("  ") + shown.join(QStringLiteral(", "));
        if (row->value)
            head += QLatin1Char(' ') + QString::fromUtf8(row->value);
        QString help = helpOf(*row);
        if (row->fallback)
            help += QLatin1Char(' ') + QCoreApplication::translate("Options", "(default %1)").arg(QString::fromUtf8(row->fallback));
        const QStringList lines = wrap(help, width - kHelpColumn);
        if (head.size() + 2 > kHelpColumn) {
            text += head + QLatin1Char('\n');
            head.clear();
        }
        for (const QString& line : lines) {
            text += head.leftJustified(kHelpColumn) + line + QLatin1Char('\n');
            head.clear();
        }
    }
    return text;
}

CommandLine::CommandLine(unsigned command, const char* name, const char* about, const char* notes)
    : command_(command), name_(QString::fromLatin1(name)), about_(about), notes_(notes)
{
    setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    rows_ = optionsOf(command);
    options_.reserve(rows_.size());
    for (const OptionRow* row : rows_) {
        QCommandLineOption option(namesOf(*row), helpOf(*row));
        if (row->value)
            option.setValueName(QString::fromUtf8(row->value));
        if (row->fallback)
            option.setDefaultValue(QString::fromUtf8(row->fallback));
        options_.push_back(option);
        addOption(option);
    }
}

const QCommandLineOption& CommandLine::option(const char* longName) const
{
    const QString name = QString::fromLatin1(longName);
    for (const QCommandLineOption& option : options_)
        if (option.names().constLast() == name)
            return option;
    // A name that is not a row of this command is a slip in the code.
    std::fprintf(stderr, "plomet: internal: %s takes no --%s\n", qPrintable(name_), longName);
    std::abort();
}

QString CommandLine::helpText() const
{
    QString text = QCoreApplication::translate("Commands", about_);
    if (!text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
    text += QLatin1Char('\n') + QCoreApplication::translate("Options", "Options:") + QLatin1Char('\n');
    text += optionHelp(command_);
    if (notes_)
        text += QLatin1Char('\n') + QCoreApplication::translate("Commands", notes_);
    if (tail_)
        text += tail_();
    return text;
}

std::optional<int> CommandLine::parse(QStringList args)
{
    args.prepend(QStringLiteral("plomet ") + name_);
    if (!QCommandLineParser::parse(args)) {
        printError(errorText());
        return kExitUsage;
    }
    if (isSet(QStringLiteral("help"))) {
        std::fputs(helpText().toUtf8().constData(), stdout);
        std::fflush(stdout);
        return kExitOk;
    }
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i]->value && !rows_[i]->repeatable && values(options_[i]).size() > 1) {
            printError(QCoreApplication::translate("Options", "--%1 given more than once")
                           .arg(options_[i].names().constLast()));
            return kExitUsage;
        }
    }
    return std::nullopt;
}

} // namespace plomet
