#pragma once
// A seal from a picture instead of a drawn one, for stamping: an SVG (an
// extracted seal traced to paths, or any vector seal) stays vector, painted
// into the one-page PDF that stamping turns into its form; a PNG is placed at
// the physical size its resolution gives, with its alpha, losslessly. No
// widgets.
#include "stamp/PdfStamp.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace plomet {

enum class SealImageKind { Svg, Png };

// The kind a file name's extension gives (.svg, .png in any letter case);
// none for another.
std::optional<SealImageKind> sealImageKindOf(const QString& path);

// The picture as a seal to stamp. An SVG's size is its root's width and
// height (mm, cm, in, pt, pc, px at 96 to the inch; the view box in px when
// they are missing); a PNG's is its pixels at its recorded resolution, or at
// 300 dpi when it records none (said in warnings). Throws PlometError, one
// line naming `name`, for a damaged picture, one without size, one above
// 100 million pixels or 1 m a side.
StampSeal stampSealFromImage(const QByteArray& bytes, SealImageKind kind, const QString& name,
                             QStringList* warnings = nullptr);

// The same from a file; a file that cannot be read is Kind::File.
StampSeal stampSealFromImageFile(const QString& path, QStringList* warnings = nullptr);

} // namespace plomet
