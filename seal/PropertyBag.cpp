#include "seal/PropertyBag.h"

namespace plomet {

namespace {
QString fold(const QString& key) { return key.toCaseFolded(); }
}

QVariant PropertyBag::ReadProperty(const QString& key, const QVariant& dflt) const
{
    const auto it = items_.constFind(fold(key));
    return it == items_.constEnd() ? dflt : it->value;
}

void PropertyBag::WriteProperty(const QString& key, const QVariant& value, const QVariant& dflt)
{
    // A value equal to its default is left out; a later read with the same
    // default gives it back. Compare type and value, so that 0 and False, or
    // "" and no value, stay apart.
    if (value.metaType() == dflt.metaType() && value == dflt) {
        items_.remove(fold(key));
        return;
    }
    items_.insert(fold(key), Entry{key, value});
}

bool PropertyBag::contains(const QString& key) const { return items_.contains(fold(key)); }

QStringList PropertyBag::keys() const
{
    QStringList out;
    for (const auto& e : items_)
        out << e.key;
    return out;
}

void PropertyBag::clear() { items_.clear(); }

} // namespace plomet
