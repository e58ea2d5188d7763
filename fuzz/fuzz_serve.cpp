// Fuzzes what plomet serve reads from a request before it draws: a query
// (GET /seal.*, POST /stamp and its placement) or a JSON body (POST
// /render), into a seal's settings tried on a scratch seal. Every input
// gives a request or a RequestError; nothing else may escape, and nothing
// may crash or hang.
//
// Input: one byte for the kind (query, stamp query, JSON), then the target's
// query or the body.
#include "cli/ServeRequest.h"
#include "seal/Fonts.h"

#include <QGuiApplication>
#include <cstdint>

using namespace plomet;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    installFaceSubstitutions();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray rest(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    try {
        switch (data[0] % 3) {
        case 0: {
            const QueryItems items = parseQuery("/seal.png?" + rest);
            sealFromQuery(QStringLiteral("png"), items);
            break;
        }
        case 1: {
            const QueryItems items = parseQuery("/stamp?" + rest);
            sealFromQuery(QStringLiteral("pdf"), items, true);
            placementFromQuery(items);
            break;
        }
        default:
            sealFromJson(rest);
            break;
        }
    } catch (const RequestError& e) {
        if (e.message.isEmpty())
            __builtin_trap();   // every refusal says why
    }
    return 0;
}
