#pragma once
// Takes seals off a scanned or photographed page: reads the picture (PNG,
// JPEG, TIFF, BMP) with its resolution, finds the ink by its colour, and
// gives each seal as a transparent image at its true size, the black print
// under and around it removed. No widgets.
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <vector>

namespace plomet {

// The largest picture read, in pixels: an A4 page at 1000 dpi is 97 million.
// Larger ones are refused before any pixel is decoded.
constexpr qint64 kMaxScanPixels = 100'000'000;

// The resolution taken for a picture that records none (and no --dpi).
constexpr double kAssumedScanDpi = 300;

// Whether a picture's file itself states its resolution (a PNG's pHYs, a
// JPEG's JFIF density, a BMP's header; otherwise what Qt read), for bytes
// of `format` ("png", "jpeg", "tiff", "bmp") decoded as `image`.
bool recordsResolution(const QByteArray& bytes, const QByteArray& format, const QImage& image);

// Decodes a picture of `format` ("png", "jpeg", "tiff", "bmp") as it is,
// alpha included; what a damaged file leaves undecoded is white (or clear).
// Throws PlometError (Kind::Format) naming `name` for a damaged picture,
// with what its decoder said (which reaches no terminal), or one above
// maxPixels.
QImage readPicture(const QByteArray& bytes, const QByteArray& format, const QString& name,
                   qint64 maxPixels = kMaxScanPixels);

struct Scan {
    QImage image;            // RGB32, opaque (a picture with alpha laid on white)
    double dpi = 0;          // dots per inch: the file's, or the one given
    bool dpiFromFile = false;
};

// Reads a picture from bytes (`name` is only for messages). The resolution is
// the file's; `dpi` (> 0) replaces it, and a file without one takes `dpi`, or
// kAssumedScanDpi when `dpi` is 0. Throws PlometError (Kind::Format) for a
// file that is not one of the four formats, a damaged one, or one above
// maxPixels.
Scan readScan(const QByteArray& bytes, const QString& name, double dpi = 0,
              qint64 maxPixels = kMaxScanPixels);
// The same from a file; a file that cannot be opened is Kind::File.
Scan readScanFile(const QString& path, double dpi = 0, qint64 maxPixels = kMaxScanPixels);

struct ExtractOptions {
    // The colour of the seal's ink as it looks (its hue and saturation);
    // invalid: red.
    QColor ink;
    // When valid, every pixel of the seal takes this colour (alpha stays).
    QColor recolour;
    // When > 0, the seal is scaled so that the larger side of its ink box is
    // this many millimetres; its resolution stays.
    double diameterMm = 0;
};

struct ExtractedSeal {
    // ARGB32, not premultiplied: the ink's colour and its strength as alpha,
    // no background; its dots per metre those of the scan.
    QImage image;
    QRect region;            // where the image lies in the scan (scan pixels)
    QRect inkBox;            // the ink (alpha >= 1/2) in the scan's pixels
    QColor inkColour;        // the ink's colour, as measured (or recoloured)
    double dpi = 0;
};

// Every seal on the page, largest ink box first. Throws PlometError
// (Kind::Format) when the picture has no ink of the seal's colour.
std::vector<ExtractedSeal> extractSeals(const Scan& scan, const ExtractOptions& options = {});

// The seal as a PNG with its resolution recorded (pHYs).
QByteArray extractedPng(const ExtractedSeal& seal);
// The seal as SVG: its ink traced to paths in one colour, at the physical
// size the resolution gives.
QByteArray extractedSvg(const ExtractedSeal& seal);

} // namespace plomet
