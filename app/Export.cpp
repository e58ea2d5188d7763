#include "Export.h"

#include "Errors.h"
#include "Render.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QtMath>
#include <algorithm>

namespace plomet {

namespace {

QByteArray rasterBytes(const SealPicture& picture, const char* format, const ExportOptions& options,
                       bool transparent)
{
    RenderOptions ro;
    ro.transparent = transparent;
    // At the screen's own resolution the picture's raster is the answer.
    const bool screen = !transparent && !picture.pixels().isNull()
                     && options.dpi * picture.model().twipsPerPixelX == 1440.0;
    const QImage image = screen ? picture.pixels() : rasterize(picture.model(), options.dpi, ro);
    if (image.isNull())
        throw PlometError(PlometError::Kind::Format,
                          QStringLiteral("印章大小为 0，没有可导出的图像"));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    // zlib level 1 (Qt's quality 89): seals are flat colour on white, so the
    // file is barely larger than at the default level 6, at a fraction of the time.
    if (qstrcmp(format, "png") == 0)
        writer.setQuality(89);
    if (!writer.write(image))
        throw PlometError(PlometError::Kind::Format,
                          QStringLiteral("无法生成 %1 图像：%2")
                              .arg(QString::fromLatin1(format).toUpper(), writer.errorString()));
    return bytes;
}

QByteArray writePng(const SealPicture& p, const ExportOptions& o) { return rasterBytes(p, "png", o, o.transparent); }

// Vector files are drawn in twips (1440 units an inch) with glyphs as filled
// outlines, so they look the same where our fonts are not installed.
QByteArray writeSvg(const SealPicture& picture, const ExportOptions& options)
{
    const DrawingModel& m = picture.model();
    const double w = std::clamp(m.widthTwips, 0.0, 32767.0), h = std::clamp(m.heightTwips, 0.0, 32767.0);
    if (w <= 0 || h <= 0)
        throw PlometError(PlometError::Kind::Format, QStringLiteral("印章大小为 0，没有可导出的图像"));
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
        throw PlometError(PlometError::Kind::Format, QStringLiteral("无法生成 SVG 图像"));
    RenderOptions ro;
    ro.transparent = options.transparent;
    ro.glyphOutlines = true;
    paintModel(painter, m, 1.0, ro);
    painter.end();
    return bytes;
}

QByteArray writePdf(const SealPicture& picture, const ExportOptions& options)
{
    const DrawingModel& m = picture.model();
    const double w = std::clamp(m.widthTwips, 0.0, 32767.0), h = std::clamp(m.heightTwips, 0.0, 32767.0);
    if (w <= 0 || h <= 0)
        throw PlometError(PlometError::Kind::Format, QStringLiteral("印章大小为 0，没有可导出的图像"));
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
            throw PlometError(PlometError::Kind::Format, QStringLiteral("无法生成 PDF 文件"));
        RenderOptions ro;
        ro.transparent = options.transparent;
        ro.glyphOutlines = true;
        paintModel(painter, m, 1.0, ro);
        painter.end();
    }
    return bytes;
}
QByteArray writeBmp(const SealPicture& p, const ExportOptions& o) { return rasterBytes(p, "bmp", o, false); }

struct Writer {
    const char* extension;
    QByteArray (*write)(const SealPicture&, const ExportOptions&);
};

// One table: extension -> writer.
const Writer kWriters[] = {
    {"png", writePng},
    {"bmp", writeBmp},
    {"svg", writeSvg},
    {"pdf", writePdf},
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

QString exportFormatOf(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    if (!writerFor(ext))
        throw PlometError(PlometError::Kind::Format,
                          QStringLiteral("无法识别文件“%1”的图像格式（已知扩展名：%2）")
                              .arg(QDir::toNativeSeparators(path), knownList()));
    return ext;
}

QByteArray exportBytes(const SealPicture& picture, const QString& format, const ExportOptions& options)
{
    const Writer* w = writerFor(format);
    if (!w)
        throw PlometError(PlometError::Kind::Format,
                          QStringLiteral("未知的图像格式“%1”（已知：%2）").arg(format, knownList()));
    return w->write(picture, options);
}

void exportPicture(const SealPicture& picture, const QString& path, const ExportOptions& options)
{
    const QByteArray bytes = exportBytes(picture, exportFormatOf(path), options);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw PlometError(PlometError::Kind::File,
                          QStringLiteral("无法写入文件“%1”：%2")
                              .arg(QDir::toNativeSeparators(path), file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw PlometError(PlometError::Kind::File,
                          QStringLiteral("无法写入文件“%1”：%2")
                              .arg(QDir::toNativeSeparators(path), file.errorString()));
}

} // namespace plomet
