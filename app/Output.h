#pragma once
// Handing the seal's picture out: to the clipboard, to the default printer and
// into a Windows bitmap file. Each uses the picture of the last Draw as it is:
// none of them draws first.
#include "seal/SealPicture.h"
#include <QString>

class QMimeData;
class QPainter;
class QPrinter;
class QWidget;

namespace plomet {

class Plomet;

// The picture of the seal's last Draw; throws PlometError when there is none.
// Hold the pointer while the picture is used: a redraw replaces the seal's.
PicturePtr lastPicture(const Plomet& seal);

// --- clipboard
// The picture as clipboard data: a bitmap (Qt's image), and "image/png" with
// the same pixels (the export table's PNG) for programs that paste PNG.
QMimeData* pictureMimeData(const SealPicture& picture);
// Puts it on the system clipboard, replacing what was there.
void copyPicture(const SealPicture& picture);

// --- printer
// Paints the picture with its top-left corner one twip right of and below the
// painter's origin, at its own size in twips, drawn afresh at dotsPerInch
// (the device's resolution) rather than enlarging the screen bitmap.
void paintAtOneTwip(QPainter& painter, const SealPicture& picture, double dotsPerInch);
// Prints on the given printer (origin: the printable area's corner) and ends
// the document, so the page goes out at once. Throws PlometError naming the
// printer when it cannot start or finish.
void printPicture(const SealPicture& picture, QPrinter& printer);
// The same on the system's default printer, no dialog. Throws PlometError
// when there is no default printer.
void printPicture(const SealPicture& picture);

// --- bitmap file
// The picture's pixels as a Windows bitmap (the export table's BMP at the
// screen's resolution: 24 bits a pixel, 96 dpi).
QByteArray bitmapBytes(const SealPicture& picture);
// Writes them to path whatever its extension, replacing the file whole and
// atomically: on failure the old file stays as it was and PlometError names
// the file and the reason.
void writeBitmap(const SealPicture& picture, const QString& path);

// --- the main window's three commands
void cmdCopy(const Plomet& seal);
void cmdPrint(const Plomet& seal);
// Asks for a file ("另存为", "位图文件 (*.BMP)", default extension BMP, the
// application folder); cancel writes nothing.
void cmdSaveAs(QWidget* owner, const Plomet& seal);

} // namespace plomet
