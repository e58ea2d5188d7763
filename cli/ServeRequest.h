#pragma once
// What a request to `plomet serve` asks for, read from its query or its JSON
// body: a seal (a preset and NAME=VALUE assignments, the names and value
// forms of --set), its format and export options, or where to stamp it on a
// PDF document. Nothing is drawn here: every value is tried on a scratch seal
// first, so a bad one is refused, naming its property, before any drawing
// thread is asked for work.
#include "formats/Export.h"
#include "stamp/PdfStamp.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace plomet {

// A request that cannot be served as it stands (an HTTP 400): why, and the
// parameter or property it concerns (empty when it is the whole request).
struct RequestError {
    QString message;
    QString property;
};

struct SealRequest {
    QString preset;
    QStringList settings;   // NAME=VALUE, in the order they are applied
    QString format = QStringLiteral("png");
    ExportOptions options;
};

// Query parameters as the server received them, percent-decoded bytes, in
// the order given.
using QueryItems = std::vector<std::pair<QByteArray, QByteArray>>;

// The query of a request target ("/seal.png?rText=%E5%85%AC&dpi=300"): the
// parameters after "?", split at "&" and the first "=", "+" read as a blank
// and %XX decoded, in order. A parameter without "=" has an empty value.
QueryItems parseQuery(const QByteArray& target);

// The largest raster a request may ask for (width x height in pixels): a
// shared server draws many at once, so far below what a lone render allows.
constexpr double kMaxServedPixels = 16e6;

// GET /seal.FORMAT?NAME=VALUE&...: property names in any letter case, plus
// preset, dpi and transparent. With `stamp` set, the seal of POST /stamp:
// the stamp's placement keys (stampKeys) are skipped here and there is no
// dpi or transparent. Throws RequestError.
SealRequest sealFromQuery(const QString& format, const QueryItems& items, bool stamp = false);

// POST /render: {"properties": {NAME: VALUE, ...}, "preset": "...",
// "format": "png", "dpi": 300, "transparent": false}, every key optional;
// a VALUE is a string, a number or true/false. The properties are applied in
// name order. Throws RequestError.
SealRequest sealFromJson(const QByteArray& body);

// The placement keys of POST /stamp, as `plomet stamp` names its options:
// page, at, angle, straddle, at-y, straddle-max, edge, first-strip, inset,
// force.
QStringList stampKeys();

// The placement that those keys give (the rest of the query is the seal's).
// Throws RequestError.
StampPlacement placementFromQuery(const QueryItems& items);

// The property table as JSON (GET /properties): one object a property with
// its name, type, unit, new-seal value, meaning, range, special values and,
// where they apply, its choices and bounds; then the formats and presets.
QByteArray propertiesJson();

} // namespace plomet
