// Fuzzes the stamping path with damaged PDF documents: any bytes give a
// stamped document or a one-line PlometError, never a crash, a hang or
// unbounded memory. The first byte chooses the placement (a single seal on
// the first and last page, or a cross-page seal over all pages); the rest is
// the document.
#include "seal/Errors.h"
#include "stamp/PdfStamp.h"
#include "seal/Plomet.h"

#include <QByteArray>
#include <QGuiApplication>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace plomet;

namespace {

void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_stamp: %s\n", what);
    std::abort();
}

const StampSeal& seal()
{
    static const StampSeal s = [] {
        Plomet p;
        p.InitProperties();
        p.Draw();
        return stampSealFromPicture(*p.image());
    }();
    return s;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static auto* app = new QGuiApplication(*argc, *argv);
    (void)app;
    seal();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray pdf(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    StampPlacement placement;
    if (data[0] & 1) {
        placement.straddle = true;
        placement.straddleYMm = 50;
        placement.straddleMax = 1 + (data[0] >> 1) % 20;
    } else {
        placement.pages = QStringLiteral("1,last");
        placement.xMm = 40;
        placement.yMm = 40;
        placement.angleDeg = data[0];
    }
    try {
        const QByteArray out = stampPdfBytes(pdf, QStringLiteral("fuzz.pdf"), seal(), placement);
        if (!out.startsWith("%PDF-"))
            fail("a stamped document must be a PDF");
    } catch (const PlometError& e) {
        if (e.message().isEmpty() || e.message().contains(QLatin1Char('\n')))
            fail("a refusal must be one line");
    }
    return 0;
}
