#pragma once
// A table of seals: a CSV file whose header row names the columns and whose
// every further row is one seal (or one stamping job). Read with libcsv
// (RFC 4180: quoted fields, commas and line breaks inside quotes, doubled
// quotes); the text is UTF-8, with or without a byte-order mark, or GBK /
// GB18030 as spreadsheets on Chinese systems save it.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace plomet {

struct TableRow {
    int line = 0;          // 1-based line of the file where the row starts
    QStringList cells;     // as many as the header has: short rows are padded with empty cells
};

struct SealTable {
    QStringList header;    // trimmed
    std::vector<TableRow> rows;
};

// Larger files are refused: a table of a hundred thousand seals is a few MB.
constexpr qint64 kMaxTableBytes = 64 * 1024 * 1024;

// Parses the bytes of a table. Throws PlometError (Kind::Format) naming
// `name` and the line for text that is neither UTF-8 nor GB18030, a quote
// left open, no header, or a row with more cells than the header.
SealTable parseTable(const QByteArray& bytes, const QString& name);

// Reads and parses the file. Throws PlometError (Kind::File) for a file that
// cannot be read or is too large, and as parseTable.
SealTable readTable(const QString& path);

} // namespace plomet
