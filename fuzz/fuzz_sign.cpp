// Fuzzes what reads signed documents: checking their signatures, and
// appending a signed seal to them as an incremental update. Any bytes give
// checks or a one-line PlometError, never a crash, a hang or unbounded
// memory. The first byte chooses: even, verify; odd, sign (the appender).
#include "seal/Errors.h"
#include "stamp/PdfStamp.h"
#include "seal/Plomet.h"

#include <QByteArray>
#include <QGuiApplication>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace plomet;

namespace {

void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_sign: %s\n", what);
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

// A throwaway key made once, in memory.
const SignRequest& request()
{
    static const SignRequest r = [] {
        QByteArray password("fuzz");
        const QByteArray p12 = makeSelfSignedP12(QStringLiteral("模糊测试公司"), password);
        password = "fuzz";
        SignRequest out;
        out.key = loadSigningKey(p12, password, QStringLiteral("fuzz.p12"));
        return out;
    }();
    return r;
}

void checkRefusal(const PlometError& e)
{
    if (e.message().isEmpty() || e.message().contains(QLatin1Char('\n')))
        fail("a refusal must be one line");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static auto* app = new QGuiApplication(*argc, *argv);
    (void)app;
    seal();
    request();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray pdf(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    try {
        if (data[0] & 1) {
            StampPlacement placement;
            placement.xMm = 40;
            placement.yMm = 40;
            placement.pages = (data[0] & 2) ? QStringLiteral("last") : QStringLiteral("1");
            const QByteArray out = stampPdfBytes(pdf, QStringLiteral("fuzz.pdf"), seal(), placement, nullptr, &request());
            if (!out.startsWith(pdf))
                fail("an appended update must keep the document's bytes");
        } else {
            for (const SignatureCheck& c : verifyPdfBytes(pdf, QStringLiteral("fuzz.pdf")))
                if (!c.intact && c.problem.isEmpty())
                    fail("a signature that is not intact must say why");
        }
    } catch (const PlometError& e) {
        checkRefusal(e);
    }
    return 0;
}
