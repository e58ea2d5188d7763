#include "Export.h"

#include "Errors.h"
#include "Render.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

namespace plomet {

namespace {

QByteArray rasterBytes(const SealPicture& picture, const char* format, const ExportOptions& options,
                       bool transparent)
{
    RenderOptions ro;
    ro.transparent = transparent;
    const QImage image = rasterize(picture.model(), options.dpi, ro);
    if (image.isNull())
        throw PlometError(PlometError::Kind::Format,
                          QStringLiteral("印章大小为 0，没有可导出的图像"));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image))
        throw PlometError(PlometError::Kind::Format,
                          QStringLiteral("无法生成 %1 图像：%2")
                              .arg(QString::fromLatin1(format).toUpper(), writer.errorString()));
    return bytes;
}

QByteArray writePng(const SealPicture& p, const ExportOptions& o) { return rasterBytes(p, "png", o, o.transparent); }
QByteArray writeBmp(const SealPicture& p, const ExportOptions& o) { return rasterBytes(p, "bmp", o, false); }

struct Writer {
    const char* extension;
    QByteArray (*write)(const SealPicture&, const ExportOptions&);
};

// One table: extension -> writer.
const Writer kWriters[] = {
    {"png", writePng},
    {"bmp", writeBmp},
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
