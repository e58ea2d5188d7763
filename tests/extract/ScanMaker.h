#pragma once
// Synthetic scans for the extraction tests: a real printed page (a PDF that
// Debian ships, rendered by pdftoppm), a Plomet seal multiplied over its
// text, then what scanners and cameras do to it: a turn, blur, noise, JPEG,
// uneven light, a slight perspective. The seal's own mask, carried through
// the same geometry, is the truth the extracted matte is held against.
#include "formats/Export.h"
#include "seal/Plomet.h"
#include "seal/SettingText.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>

namespace plomet::test {

// The manual of shared-mime-info: pages of running text, headings and
// tables. shared-mime-info is one of the packages the build installs.
inline const char* kPagePdf = "/usr/share/doc/shared-mime-info/shared-mime-info-spec.pdf";

// Page `page` of the manual at `dpi`, RGB32; null when pdftoppm fails.
inline QImage printedPage(int page, int dpi)
{
    static std::map<std::pair<int, int>, QImage> cache;
    const auto key = std::make_pair(page, dpi);
    if (cache.count(key))
        return cache[key];
    QTemporaryDir dir;
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
                                         QString::number(page), QStringLiteral("-l"), QString::number(page),
                                         QStringLiteral("-singlefile"), QStringLiteral("-png"),
                                         QString::fromLatin1(kPagePdf), dir.filePath(QStringLiteral("page"))});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    QImage image(dir.filePath(QStringLiteral("page.png")));
    return cache[key] = image.convertToFormat(QImage::Format_RGB32);
}

// A seal drawn by Plomet at `dpi`, transparent, `mm` across, in `colour`.
inline QImage drawnSeal(double mm, int dpi, const QString& colour, const QString& name = {})
{
    static std::vector<std::unique_ptr<Plomet>> keep;   // the picture refers to its seal
    keep.push_back(std::make_unique<Plomet>());
    Plomet& seal = *keep.back();
    seal.InitProperties();
    const QString size = QStringLiteral("%1mm").arg(mm);
    applySetting(seal, QStringLiteral("Width"), size);
    applySetting(seal, QStringLiteral("Height"), size);
    applySetting(seal, QStringLiteral("ForeColor"), colour);
    if (!name.isEmpty())
        applySetting(seal, QStringLiteral("rText"), name);
    seal.Draw();
    ExportOptions options;
    options.dpi = dpi;
    options.transparent = true;
    QImage image;
    image.loadFromData(exportBytes(*seal.image(), QStringLiteral("png"), options));
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

struct Placed {
    QPointF centre;          // in page pixels
    double angle = 0;        // degrees, clockwise
    QImage seal;             // ARGB32 premultiplied
};

// The seal turned and moved to its place on the page, as a transform.
inline QTransform placement(const Placed& p)
{
    QTransform t;
    t.translate(p.centre.x(), p.centre.y());
    t.rotate(p.angle);
    t.translate(-p.seal.width() / 2.0, -p.seal.height() / 2.0);
    return t;
}

// Where the placed seal can have ink, in page pixels.
inline QRect truthRect(const Placed& p)
{
    return placement(p).mapRect(QRectF(p.seal.rect())).toAlignedRect();
}

// Multiplies the seals onto the page (ink over print, as a stamp does).
inline QImage stampPage(QImage page, const std::vector<Placed>& seals)
{
    QPainter painter(&page);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    for (const Placed& p : seals) {
        painter.setTransform(placement(p));
        painter.drawImage(0, 0, p.seal);
    }
    painter.end();
    return page;
}

// The seal's own mask on the page: its alpha, placed the same way, >= 1/2.
inline QImage truthMask(QSize pageSize, const Placed& p)
{
    QImage mask(pageSize, QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    QPainter painter(&mask);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setTransform(placement(p));
    painter.drawImage(0, 0, p.seal);
    painter.end();
    return mask;
}

inline QImage boxBlur(const QImage& in, int radius)
{
    if (radius <= 0)
        return in;
    QImage out = in;
    const int w = in.width(), h = in.height();
    std::vector<int> acc;
    auto pass = [&](const QImage& src, QImage& dst, bool horizontal) {
        const int n = horizontal ? w : h, lines = horizontal ? h : w;
        acc.assign(size_t(n + 1) * 3, 0);
        for (int l = 0; l < lines; ++l) {
            auto px = [&](int i) -> QRgb {
                return horizontal ? reinterpret_cast<const QRgb*>(src.constScanLine(l))[i]
                                  : reinterpret_cast<const QRgb*>(src.constScanLine(i))[l];
            };
            for (int i = 0; i < n; ++i) {
                const QRgb c = px(i);
                acc[size_t(i + 1) * 3] = acc[size_t(i) * 3] + qRed(c);
                acc[size_t(i + 1) * 3 + 1] = acc[size_t(i) * 3 + 1] + qGreen(c);
                acc[size_t(i + 1) * 3 + 2] = acc[size_t(i) * 3 + 2] + qBlue(c);
            }
            for (int i = 0; i < n; ++i) {
                const int a = std::max(0, i - radius), b = std::min(n, i + radius + 1);
                const int k = b - a;
                const QRgb c = qRgb((acc[size_t(b) * 3] - acc[size_t(a) * 3]) / k,
                                    (acc[size_t(b) * 3 + 1] - acc[size_t(a) * 3 + 1]) / k,
                                    (acc[size_t(b) * 3 + 2] - acc[size_t(a) * 3 + 2]) / k);
                if (horizontal)
                    reinterpret_cast<QRgb*>(dst.scanLine(l))[i] = c;
                else
                    reinterpret_cast<QRgb*>(dst.scanLine(i))[l] = c;
            }
        }
    };
    QImage tmp = in;
    pass(in, tmp, true);
    pass(tmp, out, false);
    return out;
}

// Gaussian noise of `sigma` (0..255) on every channel, from a fixed seed.
inline void addNoise(QImage& image, double sigma, unsigned seed = 1)
{
    if (sigma <= 0)
        return;
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0, sigma);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            auto n = [&](int c) { return std::clamp(int(std::lround(c + noise(rng))), 0, 255); };
            row[x] = qRgb(n(qRed(row[x])), n(qGreen(row[x])), n(qBlue(row[x])));
        }
    }
}

// Light falling off across the page: from `bright` at the top left to
// `dark` at the bottom right, a little warm.
inline void unevenLight(QImage& image, double bright, double dark)
{
    const double diagonal = image.width() + image.height();
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const double f = bright + (dark - bright) * (x + y) / diagonal;
            row[x] = qRgb(int(qRed(row[x]) * f), int(qGreen(row[x]) * f * 0.97), int(qBlue(row[x]) * f * 0.9));
        }
    }
}

// The picture through a slight perspective (a camera not quite square on):
// `tilt` is the share by which the far edge is narrower.
inline QTransform perspective(QSize size, double tilt)
{
    const double w = size.width(), h = size.height();
    QTransform t;
    QTransform::quadToQuad(QPolygonF({QPointF(0, 0), QPointF(w, 0), QPointF(w, h), QPointF(0, h)}),
                           QPolygonF({QPointF(w * tilt, h * tilt * 0.5), QPointF(w * (1 - tilt), 0),
                                      QPointF(w, h), QPointF(0, h * (1 - tilt * 0.3))}),
                           t);
    return t;
}

inline QImage warped(const QImage& image, const QTransform& t, QColor background)
{
    QImage out(image.size(), image.format());
    out.fill(background);
    QPainter painter(&out);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setTransform(t);
    painter.drawImage(0, 0, image);
    painter.end();
    return out;
}

// The picture as a file: "jpeg" at `quality`, or "png"/"tiff"/"bmp"; with
// its resolution recorded when dpi > 0.
inline QByteArray encoded(QImage image, const char* format, int dpi, int quality = 90)
{
    const int dpm = dpi > 0 ? int(std::lround(dpi / 0.0254)) : 0;
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.write(image);
    return bytes;
}

} // namespace plomet::test
