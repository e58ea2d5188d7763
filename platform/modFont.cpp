#include "platform/modFont.h"

#include "seal/NumberText.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QSet>

namespace plomet {

QStringList screenFontNames()
{
    QStringList out;
    QSet<QString> seen;
    const QStringList families = QFontDatabase::families();
    for (const QString& family : families) {
        if (family.isEmpty() || seen.contains(family))
            continue;
        seen.insert(family);
        out << family;
    }
    return out;
}

QStringList sizeTexts()
{
    QStringList out;
    out.reserve(129);
    // Whole half-points counted as integers, so no step accumulates error.
    for (int halfPoints = 16; halfPoints <= 144; ++halfPoints)
        out << numberTextSingle(static_cast<float>(halfPoints) / 2.0f);
    return out;
}

void FillFontList(QComboBox& list)
{
    list.addItems(screenFontNames());
}

void FillSizeList(QComboBox& list)
{
    list.addItems(sizeTexts());
}

} // namespace plomet
