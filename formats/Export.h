#pragma once
// Writes a seal's picture to an image file or to bytes, the format chosen by
// the file's extension from one table: PNG and BMP rasters at any resolution,
// SVG and PDF as true vectors (ring as circles, glyphs as outlines) at the
// seal's physical size. The geometry is the drawing model's, in twips: only
// the resolution and the medium change. No widgets.
#include "seal/SealPicture.h"
#include <QByteArray>
#include <functional>
#include <QString>
#include <QStringList>

namespace plomet {

class Plomet;

struct ExportOptions {
    // Raster resolution in dots per inch; 96 gives the screen picture pixel
    // for pixel (raster size = twips x dpi / 1440, rounded). Recorded in the
    // PNG (pHYs) and BMP headers. Vector formats ignore it.
    double dpi = 96;
    // PNG only: no background, anti-aliased edges in alpha. BMP stays opaque.
    bool transparent = false;
};

// The known formats, lower case, in table order: "png", "bmp", "svg", "pdf".
QStringList exportFormats();

// The media type of a format ("image/png" for "png"); empty for an unknown one.
QString exportMimeType(const QString& format);

// The format for a path, from its extension (any letter case). Throws
// PlometError naming the known extensions when there is none.
QString exportFormatOf(const QString& path);

// Whether writing the picture in that format takes glyph outlines from the
// font engines (a vector format, or a raster with glyphs too large for
// bitmaps; see takesGlyphOutlines): such an output depends on what was
// rasterised before it (see repeatClassicScreenPictures).
bool exportTakesGlyphOutlines(const SealPicture& picture, const QString& format,
                              const ExportOptions& options = {});

// How drawSealFor treats the font engines' history (see takesGlyphOutlines).
enum class FontHistory {
    // Glyph outlines land where a lone render has always put them: the render
    // begins, as it always did, with a brand-new seal's screen picture and
    // then the seal's own, when the output takes outlines.
    AsAlone,
    // Whatever this thread painted before (a batch worker's earlier seals).
    AsItComes,
};

// Makes a brand-new seal, lets `assign` give it its values (a description
// file, settings) and draws it once: its picture, ready to be written in
// `format` with `options`. A raster at the screen's resolution is painted
// once, when it is written. An output that takes glyph outlines is made, for
// AsAlone, the way a lone render always made it (on a new thread when the
// drawn seal turns out to need it), so every output stays what it was.
PicturePtr drawSealFor(const std::function<void(Plomet&)>& assign, const QString& format,
                       const ExportOptions& options, FontHistory history = FontHistory::AsAlone);

// The picture in the given format ("png", "bmp", "svg", "pdf"). Throws
// PlometError for an unknown format or a picture too large to rasterise.
QByteArray exportBytes(const SealPicture& picture, const QString& format,
                       const ExportOptions& options = {});

// Writes the picture to path, in the format of its extension, atomically:
// on any failure no file is left (an existing file stays as it was) and
// PlometError says which file and why.
void exportPicture(const SealPicture& picture, const QString& path,
                   const ExportOptions& options = {});

// Writes bytes that exportBytes made to path, atomically and synced, with the
// same failure as exportPicture: the disk's share of exportPicture, for a
// caller that draws on some threads and waits for the disk on others.
void writeExportedFile(const QString& path, const QByteArray& bytes);

} // namespace plomet
