// Fuzzes the reader of seal tables: any bytes give a table or a
// PlometError, never a crash, an out-of-bounds read or unbounded memory;
// every row of a table has exactly the header's number of cells, on lines
// that only go forward.
#include "formats/SealTable.h"
#include "seal/Errors.h"

#include <QByteArray>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace plomet;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const SealTable table = parseTable(bytes, QStringLiteral("fuzz.csv"));
        if (table.header.isEmpty())
            std::abort();
        int line = 0;
        for (const TableRow& row : table.rows) {
            if (row.cells.size() != table.header.size() || row.line <= line || row.line < 1) {
                std::fprintf(stderr, "fuzz_table: row at line %d has %lld cells for %lld columns\n", row.line,
                             static_cast<long long>(row.cells.size()), static_cast<long long>(table.header.size()));
                std::abort();
            }
            line = row.line;
        }
    } catch (const PlometError&) {
    }
    return 0;
}
