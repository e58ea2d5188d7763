// Fuzzes the description file reader: any bytes give values or a
// PlometError, never a crash, an out-of-bounds read or unbounded memory.
// What is read must also write and read back: texts exactly, numbers within
// the seven significant digits the file keeps for a Single.
#include "seal/Errors.h"
#include "formats/PmfFile.h"

#include <QByteArray>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <vector>

using namespace plomet;

namespace {

void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_pmf: %s\n", what);
    std::abort();
}

bool nearlyEqual(float a, float b)
{
    return a == b || std::fabs(double(a) - double(b)) <= std::fabs(double(a)) * 1e-6;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    PmfValues v;
    try {
        v = decodePMF(bytes);
    } catch (const PlometError& e) {
        const bool formatKind =
            e.kind() == PlometError::Kind::Format || e.kind() == PlometError::Kind::BadHeader;
        if (!formatKind || e.message().isEmpty())
            fail("a refused file must give a format or header message");
        return 0;
    }
    for (const PropertyRow* r : fileLineRows())
        if ((r->type == ValueType::Single || r->type == ValueType::Double) && !std::isfinite(v.get(*r).toDouble()))
            fail("a number that is not finite was read");

    QByteArray again;
    try {
        again = encodePMF(v);
    } catch (const PlometError& e) {
        // Only the size limit may refuse what was read: line endings become
        // CR LF, line 3 our own, and numbers their plain form.
        if (!e.message().contains(QStringLiteral("1 MiB")))
            fail("values that were read cannot be written");
        return 0;
    }
    PmfValues back;
    try {
        back = decodePMF(again);
    } catch (const PlometError&) {
        fail("a file we wrote cannot be read");
    }
    // Every value the file holds, by its row's type.
    std::vector<const PropertyRow*> rows = fileLineRows();
    for (const PropertyRow* r : fileKeyRows())
        rows.push_back(r);
    for (const PropertyRow* r : rows) {
        const QVariant a = v.get(*r), b = back.get(*r);
        switch (r->type) {
        case ValueType::Single:
            if (!nearlyEqual(b.toFloat(), a.toFloat()))
                fail("a number moved beyond its significant digits");
            break;
        case ValueType::Double:
            if (!(b.toDouble() == a.toDouble() || std::fabs(b.toDouble() - a.toDouble()) <= std::fabs(a.toDouble()) * 1e-14))
                fail("a number moved beyond its significant digits");
            break;
        default:
            if (a != b)
                fail("a text, integer or Boolean did not come back exactly");
        }
    }
    if (back.unknownLines != v.unknownLines)
        fail("a line of an unknown key did not come back exactly");
    return 0;
}
