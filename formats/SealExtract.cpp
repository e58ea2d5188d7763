#include "formats/SealExtract.h"

#include "seal/Errors.h"
#include "seal/SystemReason.h"

#include <QCoreApplication>
#include <QDir>
#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QtEndian>

#include <potracelib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

namespace plomet {

namespace {

PlometError formatError(const QString& message)
{
    return PlometError(PlometError::Kind::Format, message);
}

} // namespace

// Qt gives every image it reads a resolution (96 dpi when the file has
// none), so the header says whether the number is the file's.
bool recordsResolution(const QByteArray& bytes, const QByteArray& format, const QImage& image)
{
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    const qsizetype n = bytes.size();
    if (format == "png") {
        // The chunks before the first IDAT: a pHYs in metres.
        qsizetype at = 8;
        while (at + 8 <= n) {
            const quint32 length = qFromBigEndian<quint32>(p + at);
            if (std::memcmp(p + at + 4, "IDAT", 4) == 0 || length > quint32(n))
                return false;
            if (std::memcmp(p + at + 4, "pHYs", 4) == 0)
                return length == 9 && at + 17 <= n && p[at + 16] == 1 && qFromBigEndian<quint32>(p + at + 8) != 0;
            at += 12 + qsizetype(length);
        }
        return false;
    }
    if (format == "jpeg") {
        // JFIF: units 1 (inch) or 2 (cm) with a density; an Exif-only file
        // goes by what Qt made of it.
        if (n >= 18 && p[2] == 0xFF && p[3] == 0xE0 && std::memcmp(p + 6, "JFIF", 5) == 0)
            return (p[13] == 1 || p[13] == 2) && qFromBigEndian<quint16>(p + 14) != 0;
    } else if (format == "bmp") {
        return n >= 42 && qFromLittleEndian<qint32>(p + 38) > 0;
    }
    return image.dotsPerMeterX() != QImage(1, 1, QImage::Format_RGB32).dotsPerMeterX();
}

namespace {

// Lays a picture with alpha on white paper: what a scanner would have seen.
QImage opaqueOnWhite(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QImage out(argb.size(), QImage::Format_RGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        auto* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            const int a = qAlpha(in[x]);
            auto mix = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
            o[x] = qRgb(mix(qRed(in[x])), mix(qGreen(in[x])), mix(qBlue(in[x])));
        }
    }
    return out;
}

} // namespace

namespace {

// The decoders tell what is wrong on Qt's warning channel, and libpng on
// stderr itself ("libpng error: Read Error"): while a picture is read, both
// are kept for the one message instead of reaching the terminal on their own.
thread_local QStringList* decoderLines = nullptr;

struct DecoderLines {
    QStringList lines;
    QtMessageHandler previous;
    int savedStderr = -1, pipeRead = -1;
    DecoderLines()
    {
        decoderLines = &lines;
        previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
            if (decoderLines && decoderLines->size() < 4)
                decoderLines->append(message.trimmed());
        });
        int fds[2];
        std::fflush(stderr);
        if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
            savedStderr = ::dup(2);
            if (savedStderr >= 0 && ::dup2(fds[1], 2) >= 0) {
                pipeRead = fds[0];
            } else {
                ::close(fds[0]);
                if (savedStderr >= 0)
                    ::close(savedStderr);
                savedStderr = -1;
            }
            ::close(fds[1]);
        }
    }
    ~DecoderLines()
    {
        if (savedStderr >= 0) {
            std::fflush(stderr);
            ::dup2(savedStderr, 2);
            ::close(savedStderr);
            char buffer[1024];
            const ssize_t n = ::read(pipeRead, buffer, sizeof buffer);
            ::close(pipeRead);
            if (n > 0)
                for (const QString& line : QString::fromLocal8Bit(buffer, int(n)).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
                    if (lines.size() < 4)
                        lines.append(line.trimmed());
        }
        qInstallMessageHandler(previous);
        decoderLines = nullptr;
    }
    // What the decoders said, for the message; drains the pipe first.
    QString said()
    {
        if (pipeRead >= 0) {
            char buffer[1024];
            const ssize_t n = ::read(pipeRead, buffer, sizeof buffer);
            if (n > 0)
                for (const QString& line : QString::fromLocal8Bit(buffer, int(n)).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
                    if (lines.size() < 4)
                        lines.append(line.trimmed());
        }
        lines.removeDuplicates();
        return lines.join(QStringLiteral("; "));
    }
};

} // namespace

QImage readPicture(const QByteArray& bytes, const QByteArray& format, const QString& name, qint64 maxPixels)
{
    DecoderLines decoder;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(true);   // a photo's Exif turn
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > maxPixels)
        throw formatError(QCoreApplication::translate("Formats", "%1 is too large: %2 x %3 pixels (at most %4 million)")
                              .arg(name).arg(size.width()).arg(size.height())
                              .arg(double(maxPixels) / 1e6));
    // The decoder's own limit too, for a header that lies about its size:
    // four bytes a pixel.
    const int previousLimit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(int(std::max<qint64>(1, maxPixels * 4 / (1024 * 1024) + 1)));
    // Decoded into a picture that starts as white paper (or clear, with
    // alpha): a BMP that ends early leaves its last rows as they were
    // allocated, which made the same file give different seals from one
    // read to the next.
    QImage image;
    if (size.isValid() && reader.imageFormat() != QImage::Format_Invalid) {
        image = QImage(size, reader.imageFormat());
        if (!image.isNull())
            image.fill(image.hasAlphaChannel() ? Qt::transparent : Qt::white);
    }
    if (!reader.read(&image))
        image = QImage();
    QImageReader::setAllocationLimit(previousLimit);
    if (image.isNull()) {
        QString reason = reader.errorString();
        const QString said = decoder.said();
        if (!said.isEmpty())
            reason += QStringLiteral(" (") + said + QLatin1Char(')');
        throw formatError(QCoreApplication::translate("Formats", "%1 cannot be read as %2: %3")
                              .arg(name, QString::fromLatin1(format.toUpper()), reason));
    }
    if (qint64(image.width()) * image.height() > maxPixels)
        throw formatError(QCoreApplication::translate("Formats", "%1 is too large: %2 x %3 pixels (at most %4 million)")
                              .arg(name).arg(image.width()).arg(image.height())
                              .arg(double(maxPixels) / 1e6));
    return image;
}

Scan readScan(const QByteArray& bytes, const QString& name, double dpi, qint64 maxPixels)
{
    QByteArray format;
    {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        format = QImageReader::imageFormat(&buffer).toLower();
    }
    static const QByteArray kFormats[] = {"png", "jpeg", "tiff", "bmp"};
    if (std::find(std::begin(kFormats), std::end(kFormats), format) == std::end(kFormats))
        throw formatError(QCoreApplication::translate("Formats", "%1 is not a PNG, JPEG, TIFF or BMP picture").arg(name));
    const QImage image = readPicture(bytes, format, name, maxPixels);
    Scan scan;
    scan.dpiFromFile = recordsResolution(bytes, format, image);
    if (dpi > 0)
        scan.dpi = dpi;
    else if (scan.dpiFromFile)
        scan.dpi = image.dotsPerMeterX() * 0.0254;
    else
        scan.dpi = kAssumedScanDpi;
    if (!(scan.dpi >= 10 && scan.dpi <= 20000))
        throw formatError(QCoreApplication::translate("Formats", "%1 gives a resolution of %2 dpi; give the scan's with --dpi")
                              .arg(name).arg(scan.dpi));
    scan.image = opaqueOnWhite(image);
    return scan;
}

Scan readScanFile(const QString& path, double dpi, qint64 maxPixels)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        const QString reason = openReason(file, errno);
        throw PlometError(PlometError::Kind::File, QCoreApplication::translate("Formats", "cannot open the file “%1”: %2")
                                                       .arg(QDir::toNativeSeparators(path), reason));
    }
    // The file's size bounds what is read: a compressed picture of
    // maxPixels is far smaller than its pixels.
    if (file.size() > maxPixels * 4 + (1 << 20))
        throw formatError(QCoreApplication::translate("Formats", "%1 is too large (%2 MB)").arg(path).arg(file.size() >> 20));
    return readScan(file.readAll(), path, dpi, maxPixels);
}

namespace {

// What the ink looks like per pixel, at one byte each: its strength as seen
// (saturation towards the ink's hue, the paper's own colour divided out) and
// how far that reading can be trusted (dark print under the ink hides it).
struct InkPlanes {
    int width = 0, height = 0;
    std::vector<uint8_t> strength;    // 0..255: saturation x closeness of hue
    std::vector<uint8_t> light;       // 0..255: brightness against the paper
    std::vector<QRgb> normalised;     // the pixel with the paper made white
};

// The paper's colour over the page, one value per block, from the brightest
// pixels of each: a photo's uneven light and tinted paper become white.
struct PaperModel {
    int block = 1, cols = 1, rows = 1;
    std::vector<std::array<float, 3>> colour;

    std::array<float, 3> at(int x, int y) const
    {
        const float fx = std::clamp((x + 0.5f) / block - 0.5f, 0.f, float(cols - 1));
        const float fy = std::clamp((y + 0.5f) / block - 0.5f, 0.f, float(rows - 1));
        const int x0 = int(fx), y0 = int(fy);
        const int x1 = std::min(x0 + 1, cols - 1), y1 = std::min(y0 + 1, rows - 1);
        const float tx = fx - x0, ty = fy - y0;
        std::array<float, 3> out;
        for (int k = 0; k < 3; ++k) {
            const float top = colour[y0 * cols + x0][k] * (1 - tx) + colour[y0 * cols + x1][k] * tx;
            const float bottom = colour[y1 * cols + x0][k] * (1 - tx) + colour[y1 * cols + x1][k] * tx;
            out[k] = top * (1 - ty) + bottom * ty;
        }
        return out;
    }
};

PaperModel paperModel(const QImage& image, double dpi)
{
    PaperModel m;
    // About 25 mm: larger than the gaps between a seal's strokes, smaller
    // than the way light falls across a photographed page.
    m.block = std::max(16, int(std::lround(dpi)));
    m.cols = std::max(1, (image.width() + m.block - 1) / m.block);
    m.rows = std::max(1, (image.height() + m.block - 1) / m.block);
    m.colour.assign(size_t(m.cols) * m.rows, {255.f, 255.f, 255.f});
    std::vector<uint32_t> histogram(766);
    for (int by = 0; by < m.rows; ++by)
        for (int bx = 0; bx < m.cols; ++bx) {
            const int x0 = bx * m.block, y0 = by * m.block;
            const int x1 = std::min(image.width(), x0 + m.block), y1 = std::min(image.height(), y0 + m.block);
            std::fill(histogram.begin(), histogram.end(), 0);
            for (int y = y0; y < y1; ++y) {
                const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
                for (int x = x0; x < x1; ++x)
                    ++histogram[qRed(row[x]) + qGreen(row[x]) + qBlue(row[x])];
            }
            // The brightest 3 % of the block.
            const uint64_t total = uint64_t(x1 - x0) * (y1 - y0);
            uint64_t seen = 0;
            int threshold = 765;
            while (threshold > 0 && (seen += histogram[threshold]) < total * 3 / 100)
                --threshold;
            double sum[3] = {0, 0, 0};
            uint64_t count = 0;
            for (int y = y0; y < y1; ++y) {
                const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
                for (int x = x0; x < x1; ++x)
                    if (qRed(row[x]) + qGreen(row[x]) + qBlue(row[x]) >= threshold) {
                        sum[0] += qRed(row[x]);
                        sum[1] += qGreen(row[x]);
                        sum[2] += qBlue(row[x]);
                        ++count;
                    }
            }
            if (count == 0)
                continue;
            auto& c = m.colour[size_t(by) * m.cols + bx];
            // A block of dark print (a photograph, a black box) is no
            // paper: it keeps no less than a quarter of white.
            for (int k = 0; k < 3; ++k)
                c[k] = float(std::max(64.0, sum[k] / double(count)));
        }
    return m;
}

// The ink's hue in degrees, 0..360.
double hueOf(double r, double g, double b)
{
    const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    const double d = mx - mn;
    if (d <= 0)
        return 0;
    double h;
    if (mx == r)
        h = std::fmod((g - b) / d, 6.0);
    else if (mx == g)
        h = (b - r) / d + 2;
    else
        h = (r - g) / d + 4;
    h *= 60;
    return h < 0 ? h + 360 : h;
}

constexpr double kNoiseChroma = 0.06;
// How far ink hidden under print is inferred from the ink on either side:
// about the height of a line of text.
constexpr double kFillReachMm = 1.2;

InkPlanes inkPlanes(const QImage& image, double dpi, QColor ink)
{
    InkPlanes planes;
    planes.width = image.width();
    planes.height = image.height();
    const size_t n = size_t(planes.width) * planes.height;
    planes.strength.resize(n);
    planes.light.resize(n);
    planes.normalised.resize(n);
    const PaperModel paper = paperModel(image, dpi);
    const double inkHue = hueOf(ink.redF(), ink.greenF(), ink.blueF());
    // Closeness of hue: full within 28 degrees of the ink's (red seals run
    // from orange-red to crimson), none beyond 48.
    std::array<uint8_t, 181> hueWeight;
    for (int d = 0; d <= 180; ++d)
        hueWeight[d] = uint8_t(std::lround(255 * std::clamp((48.0 - d) / 20.0, 0.0, 1.0)));
    for (int y = 0; y < planes.height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < planes.width; ++x) {
            const auto p = paper.at(x, y);
            const double r = std::min(1.0, qRed(row[x]) / double(p[0]));
            const double g = std::min(1.0, qGreen(row[x]) / double(p[1]));
            const double b = std::min(1.0, qBlue(row[x]) / double(p[2]));
            const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
            const size_t i = size_t(y) * planes.width + x;
            planes.light[i] = uint8_t(std::lround(mx * 255));
            planes.normalised[i] = qRgb(int(std::lround(r * 255)), int(std::lround(g * 255)), int(std::lround(b * 255)));
            if (mx <= 0) {
                planes.strength[i] = 0;
                continue;
            }
            // Ink multiplied over paper or grey print keeps its hue, and its
            // saturation grows with its strength whatever lies under it.
            // The scanner's noise and a JPEG's colour fringes give dark
            // print a little colour of any hue: that much chroma is no ink.
            const double saturation = std::max(0.0, mx - mn - kNoiseChroma) / mx;
            double dh = std::abs(hueOf(r, g, b) - inkHue);
            if (dh > 180)
                dh = 360 - dh;
            planes.strength[i] = uint8_t(std::lround(saturation * hueWeight[int(dh)]));
        }
    }
    return planes;
}

// The strength of solid ink: a high share of the strong pixels' readings, so
// that a lightly pressed seal still reaches full alpha.
int solidStrength(const std::vector<uint32_t>& histogram)
{
    uint64_t total = 0;
    for (uint32_t c : histogram)
        total += c;
    if (total == 0)
        return 0;
    uint64_t seen = 0;
    for (int v = 255; v > 0; --v)
        if ((seen += histogram[v]) >= total / 6)
            return v;
    return 0;
}

// Readings from pixels at least this light (of 255) are trusted; fully below
// the lower one, the ink is inferred from its surroundings.
constexpr int kTrustedLight = 100;
constexpr int kHiddenLight = 40;

double trust(uint8_t light)
{
    return std::clamp((light - kHiddenLight) / double(kTrustedLight - kHiddenLight), 0.0, 1.0);
}

} // namespace

std::vector<ExtractedSeal> extractSeals(const Scan& scan, const ExtractOptions& options)
{
    const QImage& image = scan.image;
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        throw formatError(QCoreApplication::translate("Formats", "the picture is empty"));
    const QColor ink = options.ink.isValid() ? options.ink : QColor(0xD0, 0x20, 0x20);
    const InkPlanes planes = inkPlanes(image, scan.dpi, ink);
    const int w = planes.width, h = planes.height;
    const double pxPerMm = scan.dpi / 25.4;

    // Solid ink strength over the page, from the trusted strong pixels.
    std::vector<uint32_t> histogram(256);
    for (size_t i = 0; i < planes.strength.size(); ++i)
        if (planes.strength[i] >= 64 && planes.light[i] >= kTrustedLight)
            ++histogram[planes.strength[i]];
    const int solid = solidStrength(histogram);
    uint64_t strongCount = 0;
    for (int v = 64; v < 256; ++v)
        strongCount += histogram[v];
    // Five square millimetres of ink at the least: a seal's ring alone has
    // thirty times that.
    const QString noInk = QCoreApplication::translate("Formats", "no seal-coloured ink found (looked for %1 ink%2)")
                              .arg(ink.name(), options.ink.isValid() ? QString() : QCoreApplication::translate("Formats", "; --colour for another"));
    if (solid < 64 || double(strongCount) < 5 * pxPerMm * pxPerMm)
        throw formatError(noInk);
    const int inkThreshold = solid / 2;

    // Seals are the large clusters of ink: a grid of millimetre cells, ink
    // within 3 mm of ink is one seal.
    const int cell = std::max(2, int(std::lround(pxPerMm)));
    const int gw = (w + cell - 1) / cell, gh = (h + cell - 1) / cell;
    std::vector<uint16_t> inkCount(size_t(gw) * gh, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y) * w + x;
            if (planes.strength[i] >= inkThreshold && planes.light[i] >= kHiddenLight)
                ++inkCount[size_t(y / cell) * gw + x / cell];
        }
    const int minInCell = std::max(1, cell * cell / 40);
    std::vector<uint8_t> inky(inkCount.size());
    for (size_t i = 0; i < inky.size(); ++i)
        inky[i] = inkCount[i] >= minInCell;
    const int reach = 3;
    std::vector<uint8_t> grown(inky.size(), 0), tmp(inky.size(), 0);
    for (int gy = 0; gy < gh; ++gy)
        for (int gx = 0; gx < gw; ++gx) {
            bool any = false;
            for (int d = std::max(0, gx - reach); d <= std::min(gw - 1, gx + reach) && !any; ++d)
                any = inky[size_t(gy) * gw + d];
            tmp[size_t(gy) * gw + gx] = any;
        }
    for (int gy = 0; gy < gh; ++gy)
        for (int gx = 0; gx < gw; ++gx) {
            bool any = false;
            for (int d = std::max(0, gy - reach); d <= std::min(gh - 1, gy + reach) && !any; ++d)
                any = tmp[size_t(d) * gw + gx];
            grown[size_t(gy) * gw + gx] = any;
        }
    std::vector<int> label(grown.size(), 0);
    struct Cluster { int minX, minY, maxX, maxY, cells; };
    std::vector<Cluster> clusters;
    std::vector<int> stack;
    for (size_t start = 0; start < grown.size(); ++start) {
        if (!grown[start] || label[start])
            continue;
        const int id = int(clusters.size()) + 1;
        Cluster c{gw, gh, -1, -1, 0};
        stack.assign(1, int(start));
        label[start] = id;
        while (!stack.empty()) {
            const int at = stack.back();
            stack.pop_back();
            const int gx = at % gw, gy = at / gw;
            if (inky[at]) {
                c.minX = std::min(c.minX, gx);
                c.maxX = std::max(c.maxX, gx);
                c.minY = std::min(c.minY, gy);
                c.maxY = std::max(c.maxY, gy);
                ++c.cells;
            }
            const int nx[4] = {gx - 1, gx + 1, gx, gx};
            const int ny[4] = {gy, gy, gy - 1, gy + 1};
            for (int k = 0; k < 4; ++k) {
                if (nx[k] < 0 || ny[k] < 0 || nx[k] >= gw || ny[k] >= gh)
                    continue;
                const int next = ny[k] * gw + nx[k];
                if (grown[next] && !label[next]) {
                    label[next] = id;
                    stack.push_back(next);
                }
            }
        }
        clusters.push_back(c);
    }

    // A seal is at least 6 mm on each side and has 20 cells of ink; smaller
    // clusters are red print, a signature's flourish, a fleck.
    const int minCells = std::max(1, int(std::lround(6 * pxPerMm / cell)));
    std::vector<ExtractedSeal> seals;
    const int margin = std::max(2, int(std::lround(pxPerMm)));
    const int fillReach = std::max(3, int(std::lround(kFillReachMm * pxPerMm)));
    for (size_t ci = 0; ci < clusters.size(); ++ci) {
        const Cluster& c = clusters[ci];
        if (c.cells < 20 || c.maxX - c.minX + 1 < minCells || c.maxY - c.minY + 1 < minCells)
            continue;
        const int id = int(ci) + 1;
        // The cells the cluster grew into, and the crop's margin beyond
        // them: ink in its outermost cell still has its margin inside.
        const QRect area = QRect(QPoint((c.minX - reach) * cell, (c.minY - reach) * cell),
                                 QPoint((c.maxX + reach + 1) * cell - 1, (c.maxY + reach + 1) * cell - 1))
                               .adjusted(-margin, -margin, margin, margin)
                               .intersected(QRect(0, 0, w, h));
        const int aw = area.width(), ah = area.height();
        auto mine = [&](int x, int y) { return label[size_t(y / cell) * gw + x / cell] == id; };

        // This seal's solid strength: one seal may be pressed harder than
        // another on the same page.
        std::vector<uint32_t> own(256, 0);
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const size_t i = size_t(y) * w + x;
                if (mine(x, y) && planes.strength[i] >= inkThreshold && planes.light[i] >= kTrustedLight)
                    ++own[planes.strength[i]];
            }
        const int sealSolid = std::max(inkThreshold, solidStrength(own));
        // How much light solid ink lets through in its least absorbed
        // channel: a purple or blue ink darkens every channel, and its
        // saturation then grows faster than its coverage.
        double lightSum = 0;
        uint64_t lightCount = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const size_t i = size_t(y) * w + x;
                if (mine(x, y) && planes.strength[i] >= sealSolid && planes.light[i] >= kTrustedLight) {
                    lightSum += planes.light[i] / 255.0;
                    ++lightCount;
                }
            }
        const double leastAbsorbed = lightCount ? 1 - lightSum / double(lightCount) : 0;
        const double solidS = sealSolid / 255.0;
        // Coverage from saturation S, for ink absorbing between d and d + D
        // of the light in its channels: S = a D / (1 - a d).
        const double spread = solidS * (1 - leastAbsorbed);
        auto coverage = [&](uint8_t reading) {
            const double s = reading / 255.0;
            return float(std::min(1.0, s / (spread + s * leastAbsorbed)));
        };

        // Strength 0..1 where it can be read; trust 0..1.
        std::vector<float> strength(size_t(aw) * ah, 0.f), trusted(size_t(aw) * ah, 0.f);
        for (int y = 0; y < ah; ++y)
            for (int x = 0; x < aw; ++x) {
                const int sx = area.left() + x, sy = area.top() + y;
                if (!mine(sx, sy))
                    continue;
                const size_t i = size_t(sy) * w + sx;
                strength[size_t(y) * aw + x] = coverage(planes.strength[i]);
                trusted[size_t(y) * aw + x] = float(trust(planes.light[i]));
            }
        // Where black print hides the ink, the ink is what lies on both sides
        // of the print along some direction: a text stroke crossing the ring
        // is filled, the stroke beside it is not.
        std::vector<float> alpha(size_t(aw) * ah, 0.f);
        const int dirs[8][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}, {2, 1}, {1, 2}, {2, -1}, {1, -2}};
        for (int y = 0; y < ah; ++y)
            for (int x = 0; x < aw; ++x) {
                const size_t i = size_t(y) * aw + x;
                float a = strength[i];
                const float t = trusted[i];
                if (t < 1 && mine(area.left() + x, area.top() + y)) {
                    auto nearest = [&](int dx, int dy) {
                        const int steps = std::abs(dx) + std::abs(dy) > 2 ? fillReach / 2 : fillReach;
                        for (int s = 1; s <= steps; ++s) {
                            const int px = x + dx * s, py = y + dy * s;
                            if (px < 0 || py < 0 || px >= aw || py >= ah)
                                return 0.f;
                            const size_t j = size_t(py) * aw + px;
                            if (trusted[j] >= 1)
                                return strength[j];
                        }
                        return 0.f;
                    };
                    float fill = 0;
                    for (const auto& d : dirs)
                        fill = std::max(fill, std::min(nearest(d[0], d[1]), nearest(-d[0], -d[1])));
                    a = t * a + (1 - t) * fill;
                }
                // Paper's own tint and the scanner's noise read as faint
                // ink: below 0.15 nothing, solid from 0.85.
                alpha[i] = std::clamp((a - 0.15f) / 0.7f, 0.f, 1.f);
            }

        QRect inkBox;
        double sum[3] = {0, 0, 0};
        uint64_t solidPixels = 0;
        for (int y = 0; y < ah; ++y)
            for (int x = 0; x < aw; ++x) {
                const size_t i = size_t(y) * aw + x;
                if (alpha[i] >= 0.5f)
                    inkBox |= QRect(area.left() + x, area.top() + y, 1, 1);
                if (alpha[i] >= 1 && trusted[i] >= 1) {
                    const QRgb p = planes.normalised[size_t(area.top() + y) * w + area.left() + x];
                    sum[0] += qRed(p);
                    sum[1] += qGreen(p);
                    sum[2] += qBlue(p);
                    ++solidPixels;
                }
            }
        if (inkBox.isEmpty())
            continue;
        QColor measured = ink;
        if (solidPixels > 0)
            measured = QColor(int(std::lround(sum[0] / solidPixels)), int(std::lround(sum[1] / solidPixels)),
                              int(std::lround(sum[2] / solidPixels)));
        const QColor colour = options.recolour.isValid() ? options.recolour : measured;

        const QRect region = inkBox.adjusted(-margin, -margin, margin, margin).intersected(QRect(0, 0, w, h));
        QImage out(region.size(), QImage::Format_ARGB32);
        for (int y = 0; y < region.height(); ++y) {
            auto* o = reinterpret_cast<QRgb*>(out.scanLine(y));
            const int ay = region.top() - area.top() + y;
            for (int x = 0; x < region.width(); ++x) {
                const int ax = region.left() - area.left() + x;
                const size_t i = size_t(ay) * aw + ax;
                const int a = int(std::lround(alpha[i] * 255));
                if (a == 0) {
                    o[x] = 0;
                    continue;
                }
                if (options.recolour.isValid()) {
                    o[x] = qRgba(colour.red(), colour.green(), colour.blue(), a);
                    continue;
                }
                // Solid, readable ink keeps its own look (a worn seal's
                // texture); edges and ink over print take the seal's colour.
                const QRgb seen = planes.normalised[size_t(region.top() + y) * w + region.left() + x];
                const int light = planes.light[size_t(region.top() + y) * w + region.left() + x];
                const float own = std::clamp((light - 170) / 50.f, 0.f, 1.f)
                                  * std::clamp((strength[i] - 0.6f) / 0.3f, 0.f, 1.f);
                auto mix = [own](int s, int c) { return int(std::lround(own * s + (1 - own) * c)); };
                o[x] = qRgba(mix(qRed(seen), colour.red()), mix(qGreen(seen), colour.green()),
                             mix(qBlue(seen), colour.blue()), a);
            }
        }
        const int dpm = int(std::lround(scan.dpi / 0.0254));
        if (options.diameterMm > 0) {
            const double target = options.diameterMm * pxPerMm;
            const double scale = target / std::max(inkBox.width(), inkBox.height());
            const QSize size(std::max(1, int(std::lround(out.width() * scale))),
                             std::max(1, int(std::lround(out.height() * scale))));
            if (qint64(size.width()) * size.height() > kMaxScanPixels)
                throw formatError(QCoreApplication::translate("Formats", "--size %1 mm at %2 dpi is too large a picture")
                                      .arg(options.diameterMm).arg(scan.dpi));
            out = out.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                      .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                      .convertToFormat(QImage::Format_ARGB32);
        }
        if (options.recolour.isValid()) {
            // Scaling rounds the colour of faint pixels; uniform means uniform.
            for (int y = 0; y < out.height(); ++y) {
                auto* o = reinterpret_cast<QRgb*>(out.scanLine(y));
                for (int x = 0; x < out.width(); ++x)
                    o[x] = qAlpha(o[x]) ? qRgba(colour.red(), colour.green(), colour.blue(), qAlpha(o[x])) : 0;
            }
        }
        out.setDotsPerMeterX(dpm);
        out.setDotsPerMeterY(dpm);
        seals.push_back({out, region, inkBox, colour, scan.dpi});
    }
    if (seals.empty())
        throw formatError(noInk);
    std::stable_sort(seals.begin(), seals.end(), [](const ExtractedSeal& a, const ExtractedSeal& b) {
        return qint64(a.inkBox.width()) * a.inkBox.height() > qint64(b.inkBox.width()) * b.inkBox.height();
    });
    return seals;
}

QByteArray extractedPng(const ExtractedSeal& seal)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(seal.image))
        throw formatError(QCoreApplication::translate("Formats", "cannot make the PNG: %1").arg(writer.errorString()));
    return bytes;
}

QByteArray extractedSvg(const ExtractedSeal& seal)
{
    const QImage& image = seal.image;
    const int w = image.width(), h = image.height();
    constexpr int bits = int(sizeof(potrace_word) * 8);
    const int dy = (w + bits - 1) / bits;
    std::vector<potrace_word> map(size_t(dy) * h, 0);
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            if (qAlpha(row[x]) >= 128)
                map[size_t(y) * dy + x / bits] |= potrace_word(1) << (bits - 1 - x % bits);
    }
    potrace_bitmap_t bitmap{w, h, dy, map.data()};
    std::unique_ptr<potrace_param_t, void (*)(potrace_param_t*)> param(potrace_param_default(), potrace_param_free);
    if (!param)
        throw formatError(QCoreApplication::translate("Formats", "cannot trace the seal: out of memory"));
    param->turdsize = 2;    // specks of one or two pixels are noise
    std::unique_ptr<potrace_state_t, void (*)(potrace_state_t*)> state(potrace_trace(param.get(), &bitmap),
                                                                       potrace_state_free);
    if (!state || state->status != POTRACE_STATUS_OK)
        throw formatError(QCoreApplication::translate("Formats", "cannot trace the seal"));

    // Bitmap rows are the picture's rows, so the curves are in its pixels
    // with y downwards.
    QByteArray d;
    auto point = [&d](const potrace_dpoint_t& p) {
        d += QByteArray::number(p.x, 'f', 2) + ' ' + QByteArray::number(p.y, 'f', 2);
    };
    for (const potrace_path_t* path = state->plist; path; path = path->next) {
        const potrace_curve_t& curve = path->curve;
        if (curve.n == 0)
            continue;
        d += 'M';
        point(curve.c[curve.n - 1][2]);
        for (int i = 0; i < curve.n; ++i) {
            if (curve.tag[i] == POTRACE_CORNER) {
                d += 'L';
                point(curve.c[i][1]);
                d += 'L';
                point(curve.c[i][2]);
            } else {
                d += 'C';
                point(curve.c[i][0]);
                d += ' ';
                point(curve.c[i][1]);
                d += ' ';
                point(curve.c[i][2]);
            }
        }
        d += 'Z';
    }
    const double mmPerPx = 25.4 / seal.dpi;
    QByteArray svg;
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\""
        + QByteArray::number(w * mmPerPx, 'f', 3) + "mm\" height=\"" + QByteArray::number(h * mmPerPx, 'f', 3)
        + "mm\" viewBox=\"0 0 " + QByteArray::number(w) + ' ' + QByteArray::number(h) + "\">\n";
    svg += "<path fill=\"" + seal.inkColour.name().toLatin1() + "\" fill-rule=\"evenodd\" d=\"" + d + "\"/>\n";
    svg += "</svg>\n";
    return svg;
}

} // namespace plomet
