// Fuzzes taking seals off pictures: any bytes give seals or a PlometError,
// never a crash, an out-of-bounds access or unbounded memory. The pictures
// are kept small (a million pixels) so that each input is quick; the code
// paths are those of a full page.
#include "formats/SealExtract.h"
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
        const Scan scan = readScan(bytes, QStringLiteral("fuzz"), 0, 1'000'000);
        if (scan.image.isNull() || scan.dpi <= 0)
            std::abort();
        for (const ExtractedSeal& seal : extractSeals(scan)) {
            if (seal.image.isNull() || !scan.image.rect().contains(seal.region))
                std::abort();
            extractedPng(seal);
            extractedSvg(seal);
        }
    } catch (const PlometError&) {
    }
    return 0;
}
