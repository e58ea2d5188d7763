#pragma once
// The seal description file (.PMF): five header lines, then fifteen values,
// one a line, GBK, CR LF. Used by the main window, the settings dialog's host
// and the command line. Reaches the seal only through its properties and size.
#include "Plomet.h"
#include <QByteArray>
#include <QString>

namespace plomet {

// The text of the one format failure that users know by heart.
inline const QString kBadFormatMessage = QStringLiteral("文件格式不正确!");

// Writes the seal's fifteen values to path, replacing the file whole and
// atomically (a failed save leaves the old file as it was). Throws
// PlometError (Kind::File) naming the path and the reason.
void SavePMF(const Plomet& seal, const QString& path);

// Reads path and assigns its values to the seal, one plain property write per
// value in file order; does not draw. The whole file is checked first: on any
// problem nothing is assigned and PlometError is thrown — Kind::Format with
// exactly kBadFormatMessage for a wrong header, Kind::Format naming the line
// and the problem for a bad value, Kind::File for a file that cannot be read.
void LoadPMF(Plomet& seal, const QString& path);

} // namespace plomet
