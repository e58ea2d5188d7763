#include "formats/Export.h"
#include "formats/ExportPdf.h"

#include "seal/Errors.h"
#include "seal/Plomet.h"
#include "seal/Render.h"
#include "seal/Wear.h"

#include <QBuffer>
#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>
#include <png.h>
#include <zlib.h>
#include <cmath>
#include <cstring>
#include <vector>
#include <exception>
#include <csetjmp>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QPdfWriter>
#include "formats/AtomicFile.h"
#include "seal/Units.h"
#include <QSaveFile>
#include <QSvgGenerator>
#include <QtMath>
#include <algorithm>
#include <exception>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <QCoreApplication>

namespace plomet {

namespace {

// libpng hands its output here, appended to a QByteArray.
void appendPng(png_structp png, png_bytep data, size_t length)
{
    static_cast<QByteArray*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data),
                                                           static_cast<qsizetype>(length));
}
void flushPng(png_structp) {}

// Huffman codes for seal pictures, made when the program is built from a
// sample of what seals are made of (make_huffman_tables.cpp). Fixed codes
// let igzip take its one-pass level 0 at about the size of level 1: a
// quarter less time than level 1, which counts its codes for every
// picture; files 2 to 4 % larger. The same codes for every picture, so the
// bytes stay a function of the picture alone.
const isal_hufftables& sealHuffmanTables()
{
    static const isal_hufftables tables = [] {
#include "SealHuffmanTables.inc"
        static_assert(sizeof kSealHuffmanTables == sizeof(isal_hufftables), "made with another ISA-L");
        isal_hufftables t;
        std::memcpy(&t, kSealHuffmanTables, sizeof t);
        return t;
    }();
    return tables;
}

// The rows of a one-byte-a-pixel image with the PNG filter byte "none"
// before each, compressed as one zlib stream by ISA-L's igzip with the
// codes above. On 300-pixel seals zlib (level 1, Z_RLE) took three to four
// times as long as igzip's level 1 and was the largest single cost of a
// batch after drawing; the files are about a fifth larger than zlib's.
// Empty on failure.
QByteArray deflateRows(const QImage& image)
{
    const qsizetype width = image.width();
    QByteArray raw(qsizetype(width + 1) * image.height(), Qt::Uninitialized);
    char* row = raw.data();
    for (int y = 0; y < image.height(); ++y) {
        *row = 0;
        std::memcpy(row + 1, image.constScanLine(y), static_cast<size_t>(width));
        row += width + 1;
    }
    isal_zstream stream;
    isal_deflate_init(&stream);
    stream.level = 0;
    stream.hufftables = const_cast<isal_hufftables*>(&sealHuffmanTables());
    stream.gzip_flag = IGZIP_ZLIB;
    stream.end_of_stream = 1;
    stream.flush = NO_FLUSH;
    stream.next_in = reinterpret_cast<uint8_t*>(raw.data());
    stream.avail_in = static_cast<uint32_t>(raw.size());
    // Incompressible rows grow by a few bytes a stored block.
    QByteArray out(raw.size() + raw.size() / 64 + 1024, Qt::Uninitialized);
    while (stream.internal_state.state != ZSTATE_END) {
        const qsizetype done = qsizetype(stream.total_out);
        if (done == out.size())
            out.resize(out.size() * 2);
        stream.next_out = reinterpret_cast<uint8_t*>(out.data()) + done;
        stream.avail_out = static_cast<uint32_t>(out.size() - done);
        if (isal_deflate(&stream) != COMP_OK)
            return QByteArray();
    }
    out.truncate(qsizetype(stream.total_out));
    return out;
}

// PNG with the choices Qt's writer does not offer: no row filter and, for
// colour pictures, zlib's run-length strategy through libpng (a seal is long
// runs of one colour on a plain ground: on 300-pixel seals it made files 18 %
// smaller than level 1's default strategy in two thirds of the time). Palette
// pictures, which most seals are, are compressed by deflateRows. Records the
// resolution (pHYs).
// Returns false when libpng reports an error. Only plain data lives in
// libpng's frame, as longjmp requires.
// With a palette (256 colours with their alpha), image is one byte a pixel
// (Format_Alpha8 or Grayscale8): each byte is the palette index.
struct PngPalette {
    png_color colors[256];
    png_byte alpha[256];
    int count = 256;
    bool withAlpha = false;
};

// A palette PNG is five chunks, written here as libpng writes them (IHDR,
// PLTE, tRNS when the palette has alpha, pHYs, one IDAT, IEND), each
// checked with ISA-L's CRC: libpng's set-up and zlib's CRC were a tenth of
// a seal's encoding.
// v in PNG's byte order (most significant first) at p.
void putBe32(uchar* p, quint32 v)
{
    p[0] = uchar(v >> 24), p[1] = uchar(v >> 16), p[2] = uchar(v >> 8), p[3] = uchar(v);
}

void appendChunk(QByteArray* out, const char* type, const uchar* data, size_t length)
{
    uchar word[4];
    putBe32(word, quint32(length));
    out->append(reinterpret_cast<const char*>(word), 4);
    const qsizetype start = out->size();
    out->append(type, 4);
    out->append(reinterpret_cast<const char*>(data), qsizetype(length));
    putBe32(word, crc32_gzip_refl(0, reinterpret_cast<const uchar*>(out->constData()) + start, uint64_t(length) + 4));
    out->append(reinterpret_cast<const char*>(word), 4);
}

bool encodePalettePng(const QImage& image, int dotsPerMeter, const PngPalette& palette, QByteArray* out)
{
    const QByteArray idat = deflateRows(image);
    if (idat.isEmpty() || idat.size() > qsizetype(PNG_UINT_31_MAX))
        return false;
    out->reserve(out->size() + idat.size() + 4 * 256 + 128);
    out->append("\x89PNG\r\n\x1a\n", 8);
    uchar header[13] = {0, 0, 0, 0, 0, 0, 0, 0, 8, PNG_COLOR_TYPE_PALETTE, 0, 0, 0};
    putBe32(header, quint32(image.width()));
    putBe32(header + 4, quint32(image.height()));
    appendChunk(out, "IHDR", header, sizeof header);
    uchar colors[3 * 256];
    for (int i = 0; i < palette.count; ++i) {
        colors[3 * i] = palette.colors[i].red;
        colors[3 * i + 1] = palette.colors[i].green;
        colors[3 * i + 2] = palette.colors[i].blue;
    }
    appendChunk(out, "PLTE", colors, size_t(3 * palette.count));
    if (palette.withAlpha)
        appendChunk(out, "tRNS", palette.alpha, size_t(palette.count));
    uchar phys[9] = {0, 0, 0, 0, 0, 0, 0, 0, PNG_RESOLUTION_METER};
    putBe32(phys, quint32(dotsPerMeter));
    putBe32(phys + 4, quint32(dotsPerMeter));
    appendChunk(out, "pHYs", phys, sizeof phys);
    appendChunk(out, "IDAT", reinterpret_cast<const uchar*>(idat.constData()), size_t(idat.size()));
    appendChunk(out, "IEND", nullptr, 0);
    return true;
}

bool encodePng(const QImage& image, int dotsPerMeter, const PngPalette* palette, QByteArray* out)
{
    if (palette)
        return encodePalettePng(image, dotsPerMeter, *palette, out);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, appendPng, flushPng);
    const bool alpha = image.format() == QImage::Format_ARGB32;
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width()), static_cast<png_uint_32>(image.height()), 8,
                 alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_pHYs(png, info, static_cast<png_uint_32>(dotsPerMeter), static_cast<png_uint_32>(dotsPerMeter),
                 PNG_RESOLUTION_METER);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 1);
    png_set_compression_strategy(png, Z_RLE);
    png_write_info(png, info);
    // Qt's 32-bit pixels lie in memory as B, G, R, A (or an unused byte).
    png_set_bgr(png);
    if (!alpha)
        png_set_filler(png, 0, PNG_FILLER_AFTER);
    for (int y = 0; y < image.height(); ++y)
        png_write_row(png, const_cast<png_bytep>(image.constScanLine(y)));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

// The one colour every item of the model is drawn in, if there is one.
std::optional<QRgb> singleColor(const DrawingModel& model)
{
    std::optional<QRgb> color;
    for (const auto& item : model.items) {
        const QRgb c = std::visit([](const auto& i) { return i.color; }, item);
        if (color && *color != c)
            return std::nullopt;
        color = c;
    }
    return color.value_or(qRgb(0, 0, 0));
}

// A seal in one colour as a palette PNG: rendered as coverage alone, each
// pixel's coverage is its palette index, and entry i is the colour i/255 of
// the way from the background to the seal's colour (or the seal's colour
// with alpha i when transparent). One byte a pixel instead of three or four:
// a third of the data to compress, and smaller files.
QByteArray palettePng(const SealPicture& picture, QRgb color, double dpi, bool transparent)
{
    const DrawingModel& model = picture.model();
    RenderOptions ro;
    ro.coverage = true;
    const QImage coverage = picture.raster(dpi, ro);
    if (coverage.isNull())
        throw PlometError(PlometError::Kind::Format, QCoreApplication::translate("Formats", "the seal's size is 0: there is no picture to export"));
    PngPalette palette;
    palette.withAlpha = transparent;
    const QRgb bg = model.background;
    for (int i = 0; i < 256; ++i) {
        auto mix = [i](int b, int f) { return static_cast<png_byte>((b * (255 - i) + f * i + 127) / 255); };
        palette.colors[i].red = transparent ? png_byte(qRed(color)) : mix(qRed(bg), qRed(color));
        palette.colors[i].green = transparent ? png_byte(qGreen(color)) : mix(qGreen(bg), qGreen(color));
        palette.colors[i].blue = transparent ? png_byte(qBlue(color)) : mix(qBlue(bg), qBlue(color));
        palette.alpha[i] = static_cast<png_byte>(i);
    }
    QByteArray bytes;
    if (!encodePng(coverage, dotsPerMetre(dpi), &palette, &bytes))
        throw PlometError(PlometError::Kind::Format, QCoreApplication::translate("Formats", "cannot make the PNG picture"));
    return bytes;
}

// An opaque picture of at most 256 colours (the screen picture of a seal in
// one colour has a few dozen) as a palette PNG of exactly its colours: the
// same pixels, a third of the bytes to compress. Nothing when it has more.
std::optional<QByteArray> exactPalettePng(const QImage& rgb32, int dotsPerMeter)
{
    PngPalette palette;
    palette.count = 0;
    QImage indices(rgb32.size(), QImage::Format_Grayscale8);
    if (indices.isNull())
        return std::nullopt;
    // Open addressing over twice the most colours there may be.
    constexpr int kSlots = 512;
    QRgb keys[kSlots];
    int slotIndex[kSlots];
    std::fill(std::begin(slotIndex), std::end(slotIndex), -1);
    const int width = rgb32.width(), height = rgb32.height();
    for (int y = 0; y < height; ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(rgb32.constScanLine(y));
        uchar* out = indices.scanLine(y);
        QRgb last = 0;
        int lastIndex = -1;
        for (int x = 0; x < width; ++x) {
            const QRgb c = in[x] | 0xff000000u;
            if (c != last || lastIndex < 0) {
                unsigned h = (c * 2654435761u) >> 23;   // 9 bits
                while (slotIndex[h] >= 0 && keys[h] != c)
                    h = (h + 1) % kSlots;
                if (slotIndex[h] < 0) {
                    if (palette.count == 256)
                        return std::nullopt;
                    keys[h] = c;
                    slotIndex[h] = palette.count;
                    palette.colors[palette.count] = {png_byte(qRed(c)), png_byte(qGreen(c)), png_byte(qBlue(c))};
                    ++palette.count;
                }
                last = c;
                lastIndex = slotIndex[h];
            }
            out[x] = static_cast<uchar>(lastIndex);
        }
    }
    if (palette.count == 0)
        return std::nullopt;
    QByteArray bytes;
    if (!encodePng(indices, dotsPerMeter, &palette, &bytes))
        return std::nullopt;
    return bytes;
}

QByteArray rasterBytes(const SealPicture& picture, const char* format, const ExportOptions& options,
                       bool transparent)
{
    if (options.engrave || options.invert)
        throw PlometError(PlometError::Kind::Format,
                          QStringLiteral("an engraving is SVG or PDF, not %1").arg(QString::fromLatin1(format).toUpper()));
    // At the screen's own resolution the picture's raster is the answer.
    const bool screen = !transparent && options.dpi == picture.screenDpi();
    if (qstrcmp(format, "png") == 0 && !screen) {
        if (const auto color = singleColor(picture.model()))
            return palettePng(picture, *color, options.dpi, transparent);
    }
    RenderOptions ro;
    ro.transparent = transparent;
    QImage image = picture.raster(options.dpi, ro);
    if (image.isNull())
        throw PlometError(PlometError::Kind::Format,
                          QCoreApplication::translate("Formats", "the seal's size is 0: there is no picture to export"));
    QByteArray bytes;
    if (qstrcmp(format, "png") == 0) {
        image = image.convertToFormat(transparent ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        const int dpm = dotsPerMetre(options.dpi);
        if (!transparent)
            if (auto indexed = exactPalettePng(image, dpm))
                return *indexed;
        if (!encodePng(image, dpm, nullptr, &bytes))
            throw PlometError(PlometError::Kind::Format, QCoreApplication::translate("Formats", "cannot make the PNG picture"));
        return bytes;
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image))
        throw PlometError(PlometError::Kind::Format,
                          QCoreApplication::translate("Formats", "cannot make the %1 picture: %2")
                              .arg(QString::fromLatin1(format).toUpper(), writer.errorString()));
    return bytes;
}

QByteArray writePng(const SealPicture& p, const ExportOptions& o) { return rasterBytes(p, "png", o, o.transparent); }

// A vector picture's width and height in twips: the surface's, within the
// 16-bit range the drawing keeps to. Throws when there is nothing to show.
std::pair<double, double> vectorSize(const DrawingModel& m)
{
    const double w = std::clamp(m.widthTwips, 0.0, 32767.0), h = std::clamp(m.heightTwips, 0.0, 32767.0);
    if (w <= 0 || h <= 0)
        throw PlometError(PlometError::Kind::Format, QCoreApplication::translate("Formats", "the seal's size is 0: there is no picture to export"));
    return {w, h};
}


QByteArray encodeMaskPng(const QImage& mask)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(mask))
        throw PlometError(PlometError::Kind::Format,
                          QCoreApplication::translate("Formats", "cannot make the wear mask picture: %1").arg(writer.errorString()));
    return bytes;
}

QByteArray colourHex(QRgb c)
{
    return QColor::fromRgb(c).name(QColor::HexRgb).toLatin1();
}

// The SVG of the unworn ink (no background), put under a luminance mask.
QByteArray wornSvg(const QByteArray& svg, const DrawingModel& m, double w, double h, bool transparent)
{
    const QImage mask = wearMask(m, kWearMaskDpi);
    const int body = svg.indexOf("<g ");
    const int end = svg.lastIndexOf("</svg>");
    if (mask.isNull() || body < 0 || end < body)
        throw PlometError(PlometError::Kind::Format, QCoreApplication::translate("Formats", "cannot make the SVG picture"));
    const double s = kWearMaskDpi / 1440.0;
    const QByteArray mw = QByteArray::number(mask.width() / s, 'g', 10);
    const QByteArray mh = QByteArray::number(mask.height() / s, 'g', 10);
    QByteArray out = svg.left(body);
    // Masks are not in SVG Tiny.
    out.replace(" version=\"1.2\" baseProfile=\"tiny\"", " version=\"1.1\"");
    out += "<defs>\n<mask id=\"wear\" maskUnits=\"userSpaceOnUse\" x=\"0\" y=\"0\" width=\"" + mw
        + "\" height=\"" + mh + "\" style=\"color-interpolation:sRGB\">\n<image x=\"0\" y=\"0\" width=\"" + mw
        + "\" height=\"" + mh + "\" preserveAspectRatio=\"none\" xlink:href=\"data:image/png;base64,"
        + encodeMaskPng(mask).toBase64() + "\"/>\n</mask>\n</defs>\n";
    if (!transparent)
        out += "<rect x=\"0\" y=\"0\" width=\"" + QByteArray::number(w, 'g', 10) + "\" height=\""
            + QByteArray::number(h, 'g', 10) + "\" fill=\"" + colourHex(m.background) + "\" stroke=\"none\"/>\n";
    out += "<g mask=\"url(#wear)\">\n" + svg.mid(body, end - body) + "</g>\n" + svg.mid(end);
    return out;
}

// An engraving: the ink as outlines, mirrored, or with invert the whole
// picture less the ink as one outline in the ring's colour: what a rubber
// stamp's block loses, so that the ring stands with an edge inside and out.
void paintEngraving(QPainter& painter, const DrawingModel& m, double w, double h, bool invert)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setTransform(QTransform(-1, 0, 0, 1, w, 0));
    const std::vector<InkShape> shapes = inkShapes(m);
    if (!invert) {
        for (const InkShape& shape : shapes)
            painter.fillPath(shape.path, QColor::fromRgb(shape.color));
        return;
    }
    QPainterPath ink;
    ink.setFillRule(Qt::WindingFill);
    for (const InkShape& shape : shapes)
        ink = ink.united(shape.path);
    QPainterPath block;
    block.addRect(QRectF(0, 0, w, h));
    const QPainterPath cut = block.subtracted(ink);
    const QRgb colour = shapes.empty() ? qRgb(0, 0, 0) : shapes.back().color;
    painter.fillPath(cut, QColor::fromRgb(colour));
}

// Vector files are drawn in twips (1440 units an inch) with glyphs as filled
// outlines, so they look the same where our fonts are not installed.
QByteArray writeSvg(const SealPicture& picture, const ExportOptions& options)
{
    const DrawingModel& m = picture.model();
    const auto [w, h] = vectorSize(m);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setResolution(1440);                        // one unit is one twip
    svg.setSize(QSize(qCeil(w), qCeil(h)));         // width and height in mm follow from it
    svg.setViewBox(QRectF(0, 0, w, h));
    svg.setTitle(QStringLiteral("Plomet"));
    QPainter painter;
    if (!painter.begin(&svg))
        throw PlometError(PlometError::Kind::Format, QCoreApplication::translate("Formats", "cannot make the SVG picture"));
    if (options.engrave) {
        paintEngraving(painter, m, w, h, options.invert);
        painter.end();
        // The generator names the painter's font on every group though no
        // text is drawn; engraving programs are not to go looking for it.
        static const QRegularExpression font(QStringLiteral("\\s*font-(family|size|weight|style)=\"[^\"]*\""));
        return QString::fromUtf8(bytes).remove(font).toUtf8();
    }
    const bool worn = m.aging > 0;
    RenderOptions ro;
    ro.transparent = options.transparent || worn;
    ro.glyphOutlines = true;
    ro.leaveWear = true;
    paintModel(painter, m, 1.0, ro);
    painter.end();
    return worn ? wornSvg(bytes, m, w, h, options.transparent) : bytes;
}

QByteArray writePdf(const SealPicture& picture, const ExportOptions& options)
{
    const DrawingModel& m = picture.model();
    const auto [w, h] = vectorSize(m);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setCreator(QStringLiteral("Plomet"));
        pdf.setTitle(QStringLiteral("Plomet"));
        pdf.setResolution(1440);
        // One page the size of the seal (twips / 20 = points).
        pdf.setPageLayout(QPageLayout(QPageSize(QSizeF(w / 20.0, h / 20.0), QPageSize::Point,
                                                QString(), QPageSize::ExactMatch),
                                      QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        QPainter painter;
        if (!painter.begin(&pdf))
            throw PlometError(PlometError::Kind::Format, QCoreApplication::translate("Formats", "cannot make the PDF file"));
        if (options.engrave) {
            paintEngraving(painter, m, w, h, options.invert);
            painter.end();
        } else {
            RenderOptions ro;
            ro.transparent = options.transparent || m.aging > 0;
            ro.glyphOutlines = true;
            ro.leaveWear = true;
            paintModel(painter, m, 1.0, ro);
            painter.end();
        }
    }
    return finishedPdf(bytes, m, options, w / 20.0, h / 20.0);
}
QByteArray writeBmp(const SealPicture& p, const ExportOptions& o) { return rasterBytes(p, "bmp", o, false); }

struct Writer {
    const char* extension;
    QByteArray (*write)(const SealPicture&, const ExportOptions&);
    const char* mimeType;
    const char* description;   // as a format list names it, before translation
    bool raster;               // takes a resolution
    bool alpha;                // can leave the background out
};

// One table: extension -> writer. A NEW OUTPUT FORMAT is a row here (its
// writer above); the command line, the export dialog and its file chooser
// follow the table.
const Writer kWriters[] = {
    {"png", writePng, "image/png", QT_TRANSLATE_NOOP("Formats", "PNG picture"), true, true},
    {"bmp", writeBmp, "image/bmp", QT_TRANSLATE_NOOP("Formats", "BMP bitmap"), true, false},
    {"svg", writeSvg, "image/svg+xml", QT_TRANSLATE_NOOP("Formats", "SVG vector picture"), false, false},
    {"pdf", writePdf, "application/pdf", QT_TRANSLATE_NOOP("Formats", "PDF document"), false, false},
};

const Writer* writerFor(const QString& format)
{
    for (const auto& w : kWriters)
        if (format.compare(QLatin1String(w.extension), Qt::CaseInsensitive) == 0)
            return &w;
    return nullptr;
}

QString knownList()
{
    QStringList out;
    for (const auto& w : kWriters)
        out << QLatin1String(".") + QLatin1String(w.extension);
    return out.join(QStringLiteral(", "));
}

} // namespace

QStringList exportFormats()
{
    QStringList out;
    for (const auto& w : kWriters)
        out << QLatin1String(w.extension);
    return out;
}

std::vector<ExportFormat> exportFormatList()
{
    std::vector<ExportFormat> out;
    for (const auto& w : kWriters)
        out.push_back({QLatin1String(w.extension), QCoreApplication::translate("Formats", w.description), w.raster, w.alpha});
    return out;
}

std::optional<ExportFormat> exportFormat(const QString& format)
{
    const Writer* w = writerFor(format);
    if (!w)
        return std::nullopt;
    return ExportFormat{QLatin1String(w->extension), QCoreApplication::translate("Formats", w->description), w->raster, w->alpha};
}

bool engraveFormat(const QString& format)
{
    // Engraving wants outlines: every vector format of the table takes it.
    const auto f = exportFormat(format);
    return f && !f->raster;
}

QString exportMimeType(const QString& format)
{
    const Writer* w = writerFor(format);
    return w ? QLatin1String(w->mimeType) : QString();
}

QString exportFormatOf(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    if (!writerFor(ext))
        throw PlometError(PlometError::Kind::Format,
                          QCoreApplication::translate("Formats", "cannot tell the picture format of “%1” from its name (known extensions: %2)")
                              .arg(QDir::toNativeSeparators(path), knownList()));
    return ext;
}

PicturePtr drawSealFor(const std::function<void(Plomet&)>& assign, const QString& /*format*/,
                       const ExportOptions& /*options*/)
{
    Plomet seal;
    seal.InitProperties(false);
    assign(seal);
    seal.Draw();
    return seal.image();
}

QByteArray exportBytes(const SealPicture& picture, const QString& format, const ExportOptions& options)
{
    const Writer* w = writerFor(format);
    if (!w)
        throw PlometError(PlometError::Kind::Format,
                          QCoreApplication::translate("Formats", "unknown picture format “%1” (known: %2)").arg(format, knownList()));
    return w->write(picture, options);
}

void exportPicture(const SealPicture& picture, const QString& path, const ExportOptions& options)
{
    writeExportedFile(path, exportBytes(picture, exportFormatOf(path), options));
}

void writeExportedFile(const QString& path, const QByteArray& bytes)
{
    // Whole or not at all, and synced before it takes the old one's place.
    writeFileAtomically(path, bytes, QCoreApplication::translate("Formats", "cannot write the file “%1”: %2"));
}

} // namespace plomet
