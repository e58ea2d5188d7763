#pragma once
// The host's property store: a small key/value store whose keys match
// without regard to letter case. A value equal to the default passed with it
// may be left out, so a later read with the same default gives it back.
#include <QString>
#include <QVariant>
#include <QMap>
#include <QStringList>

namespace plomet {

class PropertyBag {
public:
    // The stored value under key, or dflt when there is none.
    QVariant ReadProperty(const QString& key, const QVariant& dflt = QVariant()) const;
    // Records value under key; a value equal to dflt is left out of the store.
    void WriteProperty(const QString& key, const QVariant& value, const QVariant& dflt = QVariant());
    bool contains(const QString& key) const;
    QStringList keys() const;   // as last written, for inspection
    void clear();
private:
    struct Entry { QString key; QVariant value; };
    QMap<QString, Entry> items_;  // folded key -> entry
};

} // namespace plomet
