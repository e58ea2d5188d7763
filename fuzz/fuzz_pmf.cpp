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
    if (bytes.size() > kPmfMaxBytes)
        fail("a file over the size limit was accepted");
    if (!std::isfinite(v.FontSize) || !std::isfinite(v.Width) || !std::isfinite(v.Height) || !std::isfinite(v.Degree))
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
    if (back.rText != v.rText || back.pText != v.pText || back.pText1 != v.pText1 || back.FontName != v.FontName
        || back.MidSign != v.MidSign)
        fail("a text did not come back exactly");
    if (back.BackColor != v.BackColor || back.ForeColor != v.ForeColor || back.StarSize != v.StarSize
        || back.Space != v.Space || back.ShowStar != v.ShowStar || back.FontBold != v.FontBold)
        fail("an integer or Boolean did not come back exactly");
    if (!nearlyEqual(back.FontSize, v.FontSize) || !nearlyEqual(back.Width, v.Width)
        || !nearlyEqual(back.Height, v.Height)
        || !(back.Degree == v.Degree || std::fabs(back.Degree - v.Degree) <= std::fabs(v.Degree) * 1e-14))
        fail("a number moved beyond its significant digits");
    return 0;
}
