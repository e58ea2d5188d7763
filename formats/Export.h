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
#include <optional>
#include <vector>

class QPDF;

namespace plomet {

// A qpdf document's bytes as qpdf writes them, with an ID made from the
// content so that the same seal gives the same file.
QByteArray writtenPdf(QPDF& pdf);

class Plomet;

struct ExportOptions {
    // Raster resolution in dots per inch; 96 gives the screen picture pixel
    // for pixel (raster size = twips x dpi / 1440, rounded). Recorded in the
    // PNG (pHYs) and BMP headers. Vector formats ignore it.
    double dpi = 96;
    // PNG only: no background, anti-aliased edges in alpha. BMP stays opaque.
    bool transparent = false;
    // SVG and PDF only, for makers of physical seals: the ink mirrored left
    // to right (a stamp's face), every item a filled outline, unworn and on
    // no background. With invert, the one outline is the seal's outer shape
    // (its outermost ring as a filled disc or oval, else the surface's box)
    // less the ink: what a rubber stamp cuts away. Rasters refuse both.
    bool engrave = false;
    bool invert = false;
};

// Whether a format can carry an engraving (the vector ones).
bool engraveFormat(const QString& format);

// The known formats, lower case, in table order: "png", "bmp", "svg", "pdf".
QStringList exportFormats();

// A format as a chooser offers it.
struct ExportFormat {
    QString name;          // "png", as exportFormats() names it
    QString description;   // "PNG 图片": in format lists and file dialogs
    bool raster = false;   // takes a resolution (ExportOptions::dpi)
    bool alpha = false;    // can leave the background out (ExportOptions::transparent)
};
// Every format, in table order.
std::vector<ExportFormat> exportFormatList();
// The format of that name (any letter case); empty for an unknown one.
std::optional<ExportFormat> exportFormat(const QString& format);

// The media type of a format ("image/png" for "png"); empty for an unknown one.
QString exportMimeType(const QString& format);

// The format for a path, from its extension (any letter case). Throws
// PlometError naming the known extensions when there is none.
QString exportFormatOf(const QString& path);

// Makes a brand-new seal, lets `assign` give it its values (a description
// file, settings) and draws it once: its picture, ready to be written in
// `format` with `options`. A raster at the screen's resolution is painted
// once, when it is written. The picture depends on the seal, the faces and
// the resolution alone: not on what this thread or another drew before.
PicturePtr drawSealFor(const std::function<void(Plomet&)>& assign, const QString& format,
                       const ExportOptions& options);

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
