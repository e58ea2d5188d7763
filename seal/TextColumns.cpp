#include "seal/TextColumns.h"

namespace plomet {

int columns(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x1100 && (u <= 0x115f || (u >= 0x2e80 && u <= 0xa4cf) || (u >= 0xac00 && u <= 0xd7a3)
                            || (u >= 0xf900 && u <= 0xfaff) || (u >= 0xfe30 && u <= 0xfe4f)
                            || (u >= 0xff00 && u <= 0xff60) || (u >= 0xffe0 && u <= 0xffe6)))
               ? 2
               : 1;
}

int columns(const QString& s)
{
    int n = 0;
    for (QChar c : s)
        n += columns(c);
    return n;
}

} // namespace plomet
