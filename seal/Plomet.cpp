#include "seal/Plomet.h"

#include "seal/Errors.h"
#include "seal/NumberText.h"
#include "seal/Properties.h"
#include "seal/RecordingSurface.h"
#include "seal/SealDrawing.h"

#include <QMetaType>
#include <algorithm>
#include <cmath>
#include <QCoreApplication>

namespace plomet {

namespace {

// typeName: one of the store's type words below, not yet translated.
[[noreturn]] void mismatch(const char* key, const QVariant& v, const char* typeName)
{
    QString shown = v.toString();
    if (shown.size() > 40)
        shown = shown.left(40) + QStringLiteral("…");
    throw PlometError(PlometError::Kind::TypeMismatch,
                      QCoreApplication::translate("Seal", "the stored property “%1” has the value “%2”, which does not convert to %3")
                          .arg(QLatin1String(key), shown, QCoreApplication::translate("Seal", typeName)));
}

[[noreturn]] void overflow(const char* key, const QVariant& v, const char* typeName)
{
    throw PlometError(PlometError::Kind::Overflow,
                      QCoreApplication::translate("Seal", "the stored property “%1” has the value “%2”, out of the range of %3")
                          .arg(QLatin1String(key), v.toString(), QCoreApplication::translate("Seal", typeName)));
}

bool isNumeric(const QVariant& v)
{
    switch (v.metaType().id()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort: case QMetaType::Long: case QMetaType::ULong:
    case QMetaType::Double: case QMetaType::Float: case QMetaType::SChar: case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

QString asText(const char* key, const QVariant& v)
{
    if (!v.isValid())
        return QString();
    switch (v.metaType().id()) {
    case QMetaType::QString:
        return v.toString();
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Float:
        return numberTextSingle(v.toFloat());
    case QMetaType::Double:
        return numberTextDouble(v.toDouble());
    default:
        if (isNumeric(v))
            return numberTextLong(v.toLongLong());
    }
    mismatch(key, v, QT_TRANSLATE_NOOP("Seal", "a text"));
}

} // namespace

Plomet::Plomet(QObject* parent, float twipsPerPixelX, float twipsPerPixelY)
    : QObject(parent), spec_(createdSpec()),
      pic1_(std::make_unique<RecordingSurface>(twipsPerPixelX, twipsPerPixelY))
{
    // A control placed by its host starts at 2055 x 2055 twips.
    pic1_->Resize(spec_.width, spec_.height);
}

Plomet::~Plomet() = default;

int32_t Plomet::hDC() const { return pic1_->hDCHandle(); }

void Plomet::announce(const char* name)
{
    if (!quiet_)
        emit PropertyChanged(QLatin1String(name));
}

void Plomet::setValue(const char* name, const QVariant& v) { setValue(plomet::property(name), v); }

void Plomet::setValue(const PropertyRow& row, const QVariant& v)
{
    if (row.isSize()) {
        // The control has no size below nothing.
        const float twips = v.toFloat();
        row.set(spec_, std::isfinite(twips) ? std::max(0.0f, twips) : 0.0f);
        Resize();
        return;
    }
    row.set(spec_, v);
    announce(row.name);
    // The surface takes the font at once, as a control's font does.
    static const PropertyRow* const fontName = &plomet::property("FontName");
    static const PropertyRow* const fontSize = &plomet::property("FontSize");
    if (&row == fontName)
        pic1_->setFontName(spec_.fontName);
    else if (&row == fontSize)
        pic1_->setFontSize(spec_.fontSize);
}

void Plomet::setSpec(const SealSpec& spec)
{
    for (const PropertyRow& r : propertyRows())
        if (const QVariant v = r.get(spec); v != r.get(spec_))
            setValue(r, v);
}

void Plomet::Resize()
{
    // The surface follows the control; what it shows stays until the next Draw.
    pic1_->Resize(spec_.width, spec_.height);
    emit resized();
}

void Plomet::InitProperties(bool thenDraw)
{
    // Every property to its new-instance value, unannounced; the control's
    // size stays as its host placed it.
    unknownFileLines_.clear();
    {
        const Quiet quiet(*this);
        for (const PropertyRow& r : propertyRows())
            if (!r.isSize())
                setValue(r, r.newValue);
    }
    if (thenDraw)
        Draw();
}

namespace {

// The store's words for a row's type in its messages.
const char* storeTypeName(ValueType type)
{
    switch (type) {
    case ValueType::Boolean: return QT_TRANSLATE_NOOP("Seal", "a Boolean");
    case ValueType::Integer: return QT_TRANSLATE_NOOP("Seal", "an Integer");
    case ValueType::Long:
    case ValueType::Colour: return QT_TRANSLATE_NOOP("Seal", "a Long");
    case ValueType::Single: return QT_TRANSLATE_NOOP("Seal", "a Single");
    case ValueType::Double: return QT_TRANSLATE_NOOP("Seal", "a Double");
    case ValueType::Choice: return QT_TRANSLATE_NOOP("Seal", "a choice");
    case ValueType::Text: break;
    }
    return QT_TRANSLATE_NOOP("Seal", "a text");
}

// A value from the host's store in the row's type, as the store's values
// convert: numbers as they are, True -1 and False 0, texts read by the
// property table's parser (Reading::Store); an empty slot is 0. A value that
// does not convert throws, in the store's words.
QVariant storedValue(const PropertyRow& row, const QVariant& v)
{
    if (row.type == ValueType::Text)
        return asText(row.name, v);
    ParsedValue p;
    if (!v.isValid())
        p = numberValue(row, 0, Reading::Store, QString());
    else if (v.metaType().id() == QMetaType::Bool)
        p = row.type == ValueType::Boolean ? ParsedValue{v.toBool()}
                                           : numberValue(row, v.toBool() ? -1 : 0, Reading::Store, v.toString());
    else if (isNumeric(v))
        p = numberValue(row, v.toDouble(), Reading::Store, v.toString());
    else if (v.metaType().id() == QMetaType::QString)
        p = parseValue(row, v.toString(), Reading::Store);
    else
        mismatch(row.name, v, storeTypeName(row.type));
    switch (p.kind) {
    case ValueProblem::None:
        return p.value;
    case ValueProblem::OutOfRange:
    case ValueProblem::OutOfBounds:
        overflow(row.name, v, row.type == ValueType::Integer ? QT_TRANSLATE_NOOP("Seal", "an Integer (-32768 to 32767)") : storeTypeName(row.type));
    default:
        mismatch(row.name, v, storeTypeName(row.type));
    }
}

} // namespace

void Plomet::ReadProperties(const PropertyBag& store)
{
    picture_ = store.ReadProperty(QStringLiteral("Picture"), QVariant());
    for (const PropertyRow* r : storeReadRows()) {
        const char* key = r->storeReadKey ? r->storeReadKey : r->name;
        const QVariant v = storedValue(*r, store.ReadProperty(QLatin1String(key), r->defaultInStore()));
        const Quiet quiet(*this, !r->announcedOnRead);
        setValue(*r, v);
    }
    Draw();
}

void Plomet::WriteProperties(PropertyBag& store) const
{
    store.WriteProperty(QStringLiteral("Picture"), picture_, QVariant());
    for (const PropertyRow* r : storeWriteRows())
        store.WriteProperty(r->qname(), r->get(spec_), r->defaultInStore());
}

void Plomet::Draw()
{
    drawSeal(spec_, *pic1_);
    image_ = pic1_->Picture();
    emit drawn();
}

} // namespace plomet
