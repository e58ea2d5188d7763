#include "formats/SealTable.h"

#include "seal/Errors.h"
#include "seal/Gbk.h"
#include "seal/SystemReason.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <csv.h>
#include <cerrno>

namespace plomet {

namespace {

[[noreturn]] void formatError(const QString& name, const QString& what)
{
    throw PlometError(PlometError::Kind::Format, QStringLiteral("%1: %2").arg(name, what));
}

QString decodeText(const QByteArray& bytes, const QString& name)
{
    static const QByteArray bom("\xEF\xBB\xBF");
    const QByteArray body = bytes.startsWith(bom) ? bytes.mid(bom.size()) : bytes;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(body);
    if (!utf8.hasError())
        return text;
    // Not UTF-8: a spreadsheet saved in the system's Chinese code page.
    int bad = 0;
    if (const auto gbk = decodeGbk(body, &bad))
        return *gbk;
    const int line = int(body.left(bad).count('\n')) + 1;
    formatError(name, QCoreApplication::translate("Formats", "line %1: the text is neither UTF-8 nor GBK").arg(line));
}

struct Parse {
    SealTable table;
    QStringList record;
    int line = 1;             // the line the parser has reached
    int recordLine = 0;       // where the record being read started (0: between records)
    bool tooManyCells = false;
    int tooManyLine = 0;
};

void onField(void* data, size_t size, void* self)
{
    auto* p = static_cast<Parse*>(self);
    p->record << QString::fromUtf8(static_cast<const char*>(data), qsizetype(size));
}

void onRecord(int, void* self)
{
    auto* p = static_cast<Parse*>(self);
    const int line = p->recordLine ? p->recordLine : p->line;
    QStringList cells = std::move(p->record);
    p->record.clear();
    p->recordLine = 0;
    // A line of nothing but separators is a blank row of a spreadsheet.
    bool blank = true;
    for (const QString& c : cells)
        blank = blank && c.trimmed().isEmpty();
    if (blank)
        return;
    if (p->table.header.isEmpty() && p->table.rows.empty()) {
        for (QString& c : cells)
            c = c.trimmed();
        p->table.header = cells;
        return;
    }
    if (cells.size() > p->table.header.size() && !p->tooManyCells) {
        p->tooManyCells = true;
        p->tooManyLine = line;
    }
    while (cells.size() < p->table.header.size())
        cells << QString();
    p->table.rows.push_back({line, cells});
}

} // namespace

SealTable parseTable(const QByteArray& bytes, const QString& name)
{
    const QByteArray text = decodeText(bytes, name).toUtf8();
    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0)
        formatError(name, QCoreApplication::translate("Formats", "out of memory"));
    Parse p;
    // Line by line, so that every row knows where it starts.
    qsizetype from = 0;
    bool failed = false;
    while (from < text.size() && !failed) {
        // A line ends at LF, CRLF or a lone CR (which the parser also takes
        // for the end of a row).
        qsizetype to = from;
        while (to < text.size() && text.at(to) != '\n' && text.at(to) != '\r')
            ++to;
        if (to < text.size())
            to += (text.at(to) == '\r' && to + 1 < text.size() && text.at(to + 1) == '\n') ? 2 : 1;
        const size_t n = size_t(to - from);
        // Between records, the first line with more than its line break
        // starts the next one (the parser passes over empty lines).
        const bool onlyBreak = n <= 2 && (text.at(from) == '\n' || text.at(from) == '\r');
        if (p.recordLine == 0 && !onlyBreak)
            p.recordLine = p.line;
        failed = csv_parse(&parser, text.constData() + from, n, onField, onRecord, &p) != n;
        if (!failed && (text.at(to - 1) == '\n' || text.at(to - 1) == '\r'))
            ++p.line;
        from = to;
    }
    if (!failed)
        failed = csv_fini(&parser, onField, onRecord, &p) != 0;
    const int error = csv_error(&parser);
    csv_free(&parser);
    if (failed)
        formatError(name, error == CSV_EPARSE
                              ? QCoreApplication::translate("Formats", "line %1: a quote is not closed, or text follows a closing quote")
                                    .arg(p.recordLine ? p.recordLine : p.line)
                              : QCoreApplication::translate("Formats", "out of memory"));
    if (p.table.header.isEmpty())
        formatError(name, QCoreApplication::translate("Formats", "no header row (the names of the columns)"));
    if (p.tooManyCells)
        formatError(name, QCoreApplication::translate("Formats", "line %1: more cells than the header has columns (%2)")
                              .arg(p.tooManyLine)
                              .arg(p.table.header.size()));
    return p.table;
}

SealTable readTable(const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    auto fail = [&](const QString& reason) {
        throw PlometError(PlometError::Kind::File, QCoreApplication::translate("Formats", "cannot read the table '%1': %2").arg(shown, reason));
    };
    if (QFileInfo(path).isDir())
        fail(QCoreApplication::translate("Formats", "it is a folder"));
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        fail(systemReason(errno, file.errorString()));
    errno = 0;
    const QByteArray bytes = file.read(kMaxTableBytes + 1);
    if (file.error() != QFileDevice::NoError)
        fail(systemReason(errno, file.errorString()));
    if (bytes.size() > kMaxTableBytes)
        fail(QCoreApplication::translate("Formats", "larger than %1 MB").arg(kMaxTableBytes / (1024 * 1024)));
    return parseTable(bytes, shown);
}

} // namespace plomet
