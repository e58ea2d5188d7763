// Requests to the seal service read into what to draw, checked before any
// drawing thread sees them.
#include "cli/ServeRequest.h"

#include "cli/cli.h"
#include "seal/Errors.h"
#include "seal/NumberText.h"
#include "seal/Plomet.h"
#include "seal/Presets.h"
#include "seal/Properties.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QHash>
#include <QSet>
#include <QStringDecoder>
#include <cmath>
#include <optional>

namespace plomet {

namespace {

[[noreturn]] void refuse(const QString& message, const QString& property = QString())
{
    throw RequestError{message, property};
}

// A parameter's bytes as text; a request is refused rather than served with
// replacement characters in a company name.
QString utf8(const QByteArray& bytes, const QString& property)
{
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decode(bytes);
    if (decode.hasError())
        refuse(property.isEmpty() ? Cli::tr("a parameter name is not UTF-8")
                                  : Cli::tr("%1: the value is not UTF-8").arg(property),
               property);
    return text;
}

std::optional<bool> flag(const QString& text)
{
    const QString t = text.trimmed().toLower();
    if (t.isEmpty() || t == QLatin1String("true") || t == QLatin1String("1"))
        return true;
    if (t == QLatin1String("false") || t == QLatin1String("0"))
        return false;
    return std::nullopt;
}

// The resolution as `plomet render --dpi` takes it.
double dpiValue(double dpi, const QString& shown)
{
    if (!(dpi > 0) || dpi > 100000)
        refuse(Cli::tr("dpi wants a positive number, not '%1'").arg(shown), QStringLiteral("dpi"));
    return dpi;
}

void addSetting(SealRequest& request, const QString& name, const QString& value)
{
    const PropertyRow* row = findProperty(name);
    if (!row)
        refuse(Cli::tr("unknown property '%1' (GET /properties lists them)").arg(name), name);
    request.settings << row->qname() + QLatin1Char('=') + value;
}

// Tries the request on a scratch seal: a bad preset or value is refused with
// the message `plomet render` gives, and a raster too large for a shared
// server before anything is drawn.
void check(const SealRequest& request)
{
    Plomet seal;
    if (!request.preset.isEmpty()) {
        const QString problem = presetProblem(request.preset);
        if (!problem.isEmpty())
            refuse(problem, QStringLiteral("preset"));
        applyPreset(seal, request.preset);
    }
    for (const QString& assignment : request.settings) {
        const QString name = assignment.section(QLatin1Char('='), 0, 0);
        try {
            applySetting(seal, assignment);
        } catch (const PlometError& e) {
            refuse(e.message(), name);
        }
    }
    if (request.format == QLatin1String("png") || request.format == QLatin1String("bmp")) {
        const double scale = request.options.dpi / 1440.0;
        const double pixels = std::max(1.0, std::round(double(seal.Width()) * scale))
                            * std::max(1.0, std::round(double(seal.Height()) * scale));
        if (!(pixels <= kMaxServedPixels))
            refuse(Cli::tr("the image would have %1 million pixels; at most %2 million are served")
                       .arg(std::round(pixels / 1e5) / 10)
                       .arg(kMaxServedPixels / 1e6),
                   QStringLiteral("dpi"));
    }
}

const char* const kStampKeys[] = {"page", "at", "angle", "straddle", "at-y", "straddle-max",
                                  "edge", "first-strip", "inset", "force"};

std::optional<double> millimetres(const QString& text)
{
    const auto v = parseStrictNumber(text.trimmed());
    if (!v || !std::isfinite(*v) || std::abs(*v) > 100000)
        return std::nullopt;
    return v;
}

QString typeName(ValueType type)
{
    switch (type) {
    case ValueType::Boolean: return QStringLiteral("boolean");
    case ValueType::Integer: return QStringLiteral("integer");
    case ValueType::Long: return QStringLiteral("long");
    case ValueType::Single: return QStringLiteral("single");
    case ValueType::Double: return QStringLiteral("double");
    case ValueType::Text: return QStringLiteral("text");
    case ValueType::Colour: return QStringLiteral("colour");
    case ValueType::Choice: return QStringLiteral("choice");
    }
    return QString();
}

QString unitName(Unit unit)
{
    switch (unit) {
    case Unit::Face:
    case Unit::None: return QString();
    case Unit::Twips: return QStringLiteral("twips");
    case Unit::Points: return QStringLiteral("points");
    case Unit::Degrees: return QStringLiteral("degrees");
    case Unit::Blanks: return QStringLiteral("blanks");
    }
    return QString();
}

} // namespace

QueryItems parseQuery(const QByteArray& target)
{
    QueryItems items;
    const qsizetype q = target.indexOf('?');
    if (q < 0)
        return items;
    // A fragment is never sent, but a client that does send one means it
    // as the end of the query.
    QByteArray query = target.mid(q + 1);
    const qsizetype hash = query.indexOf('#');
    if (hash >= 0)
        query.truncate(hash);
    for (QByteArray part : query.split('&')) {
        if (part.isEmpty())
            continue;
        part.replace('+', ' ');
        const qsizetype eq = part.indexOf('=');
        const QByteArray name = eq < 0 ? part : part.left(eq);
        const QByteArray value = eq < 0 ? QByteArray() : part.mid(eq + 1);
        items.emplace_back(QByteArray::fromPercentEncoding(name), QByteArray::fromPercentEncoding(value));
    }
    return items;
}

QStringList stampKeys()
{
    QStringList out;
    for (const char* key : kStampKeys)
        out << QLatin1String(key);
    return out;
}

SealRequest sealFromQuery(const QString& format, const QueryItems& items, bool stamp)
{
    SealRequest request;
    request.format = format;
    const QStringList placement = stampKeys();
    QSet<QString> seen;
    for (const auto& [rawName, rawValue] : items) {
        const QString name = utf8(rawName, QString());
        const QString value = utf8(rawValue, name);
        const QString key = name.toLower();
        if (seen.contains(key))
            refuse(Cli::tr("%1 given more than once").arg(name), name);
        seen.insert(key);
        if (stamp && placement.contains(key))
            continue;
        if (key == QLatin1String("preset")) {
            request.preset = value;
        } else if (key == QLatin1String("dpi") && !stamp) {
            const auto dpi = parseStrictNumber(value);
            request.options.dpi = dpiValue(dpi ? *dpi : NAN, value);
        } else if (key == QLatin1String("transparent") && !stamp) {
            const auto on = flag(value);
            if (!on)
                refuse(Cli::tr("transparent wants true or false, not '%1'").arg(value), name);
            request.options.transparent = *on;
        } else {
            addSetting(request, name, value);
        }
    }
    check(request);
    return request;
}

SealRequest sealFromJson(const QByteArray& body)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError)
        refuse(Cli::tr("the body is not JSON: %1 at byte %2").arg(error.errorString()).arg(error.offset));
    if (!doc.isObject())
        refuse(Cli::tr("the body wants a JSON object"));
    const QJsonObject object = doc.object();
    SealRequest request;
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QString key = it.key();
        const QJsonValue v = it.value();
        if (key == QLatin1String("properties")) {
            if (!v.isObject())
                refuse(Cli::tr("properties wants an object of NAME: VALUE"), key);
            const QJsonObject properties = v.toObject();
            for (auto p = properties.begin(); p != properties.end(); ++p) {
                const QJsonValue value = p.value();
                if (value.isString())
                    addSetting(request, p.key(), value.toString());
                else if (value.isBool())
                    addSetting(request, p.key(), value.toBool() ? QStringLiteral("True") : QStringLiteral("False"));
                else if (value.isDouble())
                    addSetting(request, p.key(), numberTextDouble(value.toDouble()));
                else
                    refuse(Cli::tr("%1 wants a string, a number or true/false").arg(p.key()), p.key());
            }
        } else if (key == QLatin1String("preset")) {
            if (!v.isString())
                refuse(Cli::tr("preset wants a string"), key);
            request.preset = v.toString();
        } else if (key == QLatin1String("format")) {
            const QString format = v.toString().toLower();
            if (!v.isString() || !exportFormats().contains(format))
                refuse(Cli::tr("format wants one of %1").arg(exportFormats().join(QStringLiteral(", "))), key);
            request.format = format;
        } else if (key == QLatin1String("dpi")) {
            if (!v.isDouble())
                refuse(Cli::tr("dpi wants a number"), key);
            request.options.dpi = dpiValue(v.toDouble(), numberTextDouble(v.toDouble()));
        } else if (key == QLatin1String("transparent")) {
            if (!v.isBool())
                refuse(Cli::tr("transparent wants true or false"), key);
            request.options.transparent = v.toBool();
        } else {
            refuse(Cli::tr("unknown key '%1' (known: properties, preset, format, dpi, transparent)").arg(key),
                   key);
        }
    }
    check(request);
    return request;
}

StampPlacement placementFromQuery(const QueryItems& items)
{
    QHash<QString, QString> given;
    const QStringList keys = stampKeys();
    for (const auto& [rawName, rawValue] : items) {
        const QString key = utf8(rawName, QString()).toLower();
        if (keys.contains(key))
            given.insert(key, utf8(rawValue, key));
    }
    StampPlacement placement;
    placement.pages = given.value(QStringLiteral("page"));
    auto on = [&](const char* name) {
        const QString key = QLatin1String(name);
        if (!given.contains(key))
            return false;
        const auto v = flag(given.value(key));
        if (!v)
            refuse(Cli::tr("%1 wants true or false, not '%2'").arg(key, given.value(key)), key);
        return *v;
    };
    placement.straddle = on("straddle");
    placement.force = on("force");
    auto mm = [&](const char* name, bool positive, bool nonNegative) -> std::optional<double> {
        const QString key = QLatin1String(name);
        if (!given.contains(key))
            return std::nullopt;
        const auto v = millimetres(given.value(key));
        if (!v || (positive && !(*v > 0)) || (nonNegative && *v < 0))
            refuse(Cli::tr("%1 wants %2 in mm, not '%3'")
                       .arg(key, positive ? Cli::tr("a positive width")
                                 : nonNegative ? Cli::tr("a distance of at least 0")
                                               : Cli::tr("a position"),
                            given.value(key)),
                   key);
        return v;
    };
    if (placement.straddle) {
        if (given.contains(QStringLiteral("at")))
            refuse(Cli::tr("at is for a single seal; a cross-page seal takes at-y"), QStringLiteral("at"));
        if (const auto y = mm("at-y", false, false))
            placement.straddleYMm = *y;
        if (given.contains(QStringLiteral("straddle-max"))) {
            bool ok = false;
            placement.straddleMax = given.value(QStringLiteral("straddle-max")).toInt(&ok);
            if (!ok || placement.straddleMax < 1)
                refuse(Cli::tr("straddle-max wants a whole number of pages of at least 1"),
                       QStringLiteral("straddle-max"));
        }
        if (given.contains(QStringLiteral("edge"))) {
            const QString edge = given.value(QStringLiteral("edge")).toLower();
            if (edge == QLatin1String("right"))
                placement.edge = StampPlacement::Edge::Right;
            else if (edge == QLatin1String("left"))
                placement.edge = StampPlacement::Edge::Left;
            else
                refuse(Cli::tr("edge wants right or left"), QStringLiteral("edge"));
        }
        if (const auto w = mm("first-strip", true, false))
            placement.firstStripMm = *w;
        if (const auto w = mm("inset", false, true))
            placement.insetMm = *w;
    } else {
        for (const char* key : {"at-y", "straddle-max", "edge", "first-strip", "inset"})
            if (given.contains(QLatin1String(key)))
                refuse(Cli::tr("%1 is for a cross-page seal (straddle)").arg(QLatin1String(key)),
                       QLatin1String(key));
        if (!given.contains(QStringLiteral("at")))
            refuse(Cli::tr("missing at=X,Y (the seal's centre in mm from the page's top-left corner) "
                                  "or straddle"),
                   QStringLiteral("at"));
        const QStringList xy = given.value(QStringLiteral("at")).split(QLatin1Char(','));
        const auto x = xy.size() == 2 ? millimetres(xy[0]) : std::nullopt;
        const auto y = xy.size() == 2 ? millimetres(xy[1]) : std::nullopt;
        if (!x || !y)
            refuse(Cli::tr("at wants X,Y in millimetres, not '%1'").arg(given.value(QStringLiteral("at"))),
                   QStringLiteral("at"));
        placement.xMm = *x;
        placement.yMm = *y;
    }
    if (given.contains(QStringLiteral("angle"))) {
        const auto a = parseStrictNumber(given.value(QStringLiteral("angle")).trimmed());
        if (!a || !std::isfinite(*a) || std::abs(*a) > 36000)
            refuse(Cli::tr("angle wants degrees, not '%1'").arg(given.value(QStringLiteral("angle"))),
                   QStringLiteral("angle"));
        placement.angleDeg = *a;
    }
    return placement;
}

QByteArray propertiesJson()
{
    QJsonArray rows;
    for (const PropertyRow& r : propertyRows()) {
        QJsonObject o;
        o.insert(QStringLiteral("name"), r.qname());
        o.insert(QStringLiteral("type"), typeName(r.type));
        if (const QString unit = unitName(r.unit); !unit.isEmpty())
            o.insert(QStringLiteral("unit"), unit);
        o.insert(QStringLiteral("newValue"), valueText(r, r.newValue));
        // The words in the server's language, as render --help gives them.
        auto words = [](const char* text) { return QCoreApplication::translate("plomet::Properties", text); };
        o.insert(QStringLiteral("meaning"), words(r.meaning));
        if (*r.range)
            o.insert(QStringLiteral("range"), words(r.range));
        if (*r.special)
            o.insert(QStringLiteral("special"), words(r.special));
        if (r.choices)
            o.insert(QStringLiteral("choices"),
                     QJsonArray::fromStringList(choiceNames(r)));
        if (std::isfinite(r.low))
            o.insert(QStringLiteral("low"), r.low);
        if (std::isfinite(r.high))
            o.insert(QStringLiteral("high"), r.high);
        rows.append(o);
    }
    QJsonObject out;
    out.insert(QStringLiteral("properties"), rows);
    out.insert(QStringLiteral("formats"), QJsonArray::fromStringList(exportFormats()));
    out.insert(QStringLiteral("presets"), QJsonArray::fromStringList(presetNames()));
    return QJsonDocument(out).toJson(QJsonDocument::Compact);
}

} // namespace plomet
