// Fuzzes the pictures stamped instead of a drawn seal: any bytes, as SVG or
// as PNG (the first byte chooses), give a seal of a sane size or a
// PlometError, never a crash, an out-of-bounds access or unbounded memory.
#include "stamp/SealImage.h"
#include "seal/Errors.h"

#include <QByteArray>
#include <cmath>
#include <cstdint>
#include <cstdlib>

using namespace plomet;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const SealImageKind kind = data[0] & 1 ? SealImageKind::Png : SealImageKind::Svg;
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    try {
        const StampSeal seal = stampSealFromImage(bytes, kind, QStringLiteral("fuzz"));
        if (seal.pdf.isEmpty() || !(seal.widthPt > 0) || !(seal.heightPt > 0) || !std::isfinite(seal.widthPt)
            || !std::isfinite(seal.heightPt))
            std::abort();
    } catch (const PlometError&) {
    }
    return 0;
}
