#include "seal/RecordingSurface.h"

#include "seal/GlyphOutlines.h"
#include "seal/NumberText.h"
#include "seal/Render.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <functional>

namespace plomet {

namespace {

// The standard Windows default system colours, by index (0x00RRGGBB here).
constexpr QRgb kSystemColors[] = {
    0xc8c8c8, // 0 scroll bar
    0x000000, // 1 desktop
    0x99b4d1, // 2 active caption
    0xbfcddb, // 3 inactive caption
    0xf0f0f0, // 4 menu
    0xffffff, // 5 window background
    0x646464, // 6 window frame
    0x000000, // 7 menu text
    0x000000, // 8 window text
    0x000000, // 9 caption text
    0xb4b4b4, // 10 active border
    0xf4f7fc, // 11 inactive border
    0xababab, // 12 application workspace
    0x0078d7, // 13 highlight
    0xffffff, // 14 highlight text
    0xf0f0f0, // 15 button face
    0xa0a0a0, // 16 button shadow
    0x6d6d6d, // 17 grey text
    0x000000, // 18 button text
    0x000000, // 19 inactive caption text
    0xffffff, // 20 button highlight
    0x696969, // 21 3D dark shadow
    0xe3e3e3, // 22 3D light
    0x000000, // 23 tooltip text
    0xffffe1, // 24 tooltip background
    0x000000, // 25 (unused)
    0x0066cc, // 26 hot-tracked item
    0xb9d1ea, // 27 active caption gradient
    0xd7e4f2, // 28 inactive caption gradient
    0x3399ff, // 29 menu highlight
    0xf0f0f0, // 30 menu bar
};

// Largest em height in screen pixels: 32767 twips worth.
int maxPixelHeight(float tppY)
{
    return std::max(1, static_cast<int>(std::floor(32767.0 / tppY)));
}

// Widths are kept per thread between seals: a batch draws many seals in the
// same few faces, and shaping the same text again was most of a Draw's time.
// A width depends only on the face, the pixel height, the weight and the
// text, so a kept one is exactly what measuring again would give.
struct WidthKey {
    QString face;
    int pixelHeight;
    bool bold;
    QString text;
    bool operator==(const WidthKey& o) const
    {
        return pixelHeight == o.pixelHeight && bold == o.bold && face == o.face && text == o.text;
    }
};

size_t qHash(const WidthKey& k, size_t seed = 0)
{
    return qHashMulti(seed, k.face, k.pixelHeight, k.bold, k.text);
}

// Short texts only, and a bounded number: the cache never grows with input.
constexpr qsizetype kMaxCachedTextLength = 64;
constexpr qsizetype kMaxCachedWidths = 4096;

template <typename V>
V cachedWidth(QHash<WidthKey, V>& cache, WidthKey&& key, const std::function<V()>& measure)
{
    if (key.text.size() > kMaxCachedTextLength)
        return measure();
    if (const auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    if (cache.size() >= kMaxCachedWidths)
        cache.clear();
    const V width = measure();
    cache.insert(std::move(key), width);
    return width;
}

bool blankOnly(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c == QLatin1Char(' '); });
}

} // namespace

QRgb colorToRgb(int32_t color)
{
    const uint32_t u = static_cast<uint32_t>(color);
    if (u & 0x80000000u) {
        const uint32_t index = u & 0x00ffffffu;
        const QRgb rgb = index < std::size(kSystemColors) ? kSystemColors[index] : 0x000000;
        return 0xff000000u | rgb;
    }
    return qRgb(static_cast<int>(u & 0xff), static_cast<int>((u >> 8) & 0xff),
                static_cast<int>((u >> 16) & 0xff));
}

RecordingSurface::RecordingSurface(float twipsPerPixelX, float twipsPerPixelY)
    : tppX_(twipsPerPixelX > 0 ? twipsPerPixelX : 15.0f),
      tppY_(twipsPerPixelY > 0 ? twipsPerPixelY : 15.0f)
{
    model_.twipsPerPixelX = tppX_;
    model_.twipsPerPixelY = tppY_;
    model_.background = colorToRgb(static_cast<int32_t>(0x80000005u));
}

RecordingSurface::~RecordingSurface() = default;

void RecordingSurface::Resize(double widthTwips, double heightTwips)
{
    model_.widthTwips = std::isfinite(widthTwips) ? std::max(0.0, widthTwips) : 0.0;
    model_.heightTwips = std::isfinite(heightTwips) ? std::max(0.0, heightTwips) : 0.0;
}

void RecordingSurface::Cls()
{
    model_.items.clear();
    currentX_ = currentY_ = 0;
}

void RecordingSurface::setFontSize(float points)
{
    // The face offers whole pixel heights: the size reads back as the one the
    // nearest whole pixel height gives (10.2 pt -> 14 px -> 10.5 pt at 15 twips/px).
    const double px = static_cast<double>(points) * 20.0 / tppY_;
    if (!(px > 0)) {
        pixelHeight_ = 0;
        fontSize_ = 0;
    } else {
        pixelHeight_ = static_cast<int>(std::min(roundHalfEven(px), double(maxPixelHeight(tppY_))));
        fontSize_ = static_cast<float>(pixelHeight_ * tppY_ / 20.0);
    }
}

void RecordingSurface::setFontName(const QString& face)
{
    fontName_ = face;
}

void RecordingSurface::setFontBold(bool bold)
{
    fontBold_ = bold;
}

double RecordingSurface::TextWidth(const QString& text) const
{
    if (pixelHeight_ <= 0 || text.isEmpty())
        return 0;
    // Whole pixels, as the screen measures.
    thread_local QHash<WidthKey, int> cache;
    const int px = cachedWidth<int>(cache, WidthKey{fontName_, pixelHeight_, fontBold_, text}, [&] {
        return int(std::lround(textAdvance(fontName_, pixelHeight_, fontBold_ ? 700 : 400, text)));
    });
    return double(px) * tppX_;
}

std::vector<double> RecordingSurface::PrefixWidths(const QString& text) const
{
    std::vector<double> out(static_cast<size_t>(text.size()) + 1, 0.0);
    if (pixelHeight_ <= 0 || text.isEmpty())
        return out;
    thread_local QHash<WidthKey, std::vector<double>> kept;
    return cachedWidth<std::vector<double>>(kept, WidthKey{fontName_, pixelHeight_, fontBold_, text}, [&] {
        // Each prefix is rounded on its own, as the screen measures that
        // prefix as a text of its own: whole pixels.
        out = prefixAdvances(fontName_, pixelHeight_, fontBold_ ? 700 : 400, text);
        for (double& w : out)
            w = double(std::lround(w)) * tppX_;
        return out;
    });
}

void RecordingSurface::Print(const QString& text)
{
    if (text.isEmpty() || blankOnly(text))
        return;   // blanks show nothing: no glyph is recorded
    DrawnText item;
    item.x = currentX_;
    item.y = currentY_;
    item.text = text;
    item.color = foreColor_;
    if (const LogFont* lf = dc_.selectedFont()) {
        item.face = dc_.selectedFace();
        item.pixelHeight = std::min(std::abs(double(lf->lfHeight)), double(maxPixelHeight(tppY_)));
        item.weight = lf->lfWeight;
        // Escapement is counterclockwise in tenths; the model turns clockwise.
        double a = std::fmod(-double(lf->lfEscapement) / 10.0, 360.0);
        if (a < 0)
            a += 360.0;
        item.angleDeg = a == 0 ? 0.0 : a;   // no -0
    } else {
        item.face = fontName_;
        item.pixelHeight = pixelHeight_;
        item.weight = fontBold_ ? 700 : 400;
    }
    if (item.pixelHeight <= 0)
        return;   // a font of no height prints nothing
    model_.items.emplace_back(std::move(item));
}

void RecordingSurface::Circle(double cx, double cy, double r)
{
    if (!(r >= 0) || !std::isfinite(cx) || !std::isfinite(cy))
        return;
    DrawnCircle c;
    c.cx = cx;
    c.cy = cy;
    c.r = r;
    c.penWidth = tppX_;   // one screen pixel
    c.color = foreColor_;
    model_.items.emplace_back(c);
}

void RecordingSurface::Ellipse(double cx, double cy, double rx, double ry, double penWidth)
{
    if (!(rx >= 0) || !(ry >= 0) || !(penWidth > 0) || !std::isfinite(cx) || !std::isfinite(cy)
        || !std::isfinite(rx) || !std::isfinite(ry) || !std::isfinite(penWidth))
        return;
    DrawnEllipse e;
    e.cx = cx;
    e.cy = cy;
    e.rx = rx;
    e.ry = ry;
    e.penWidth = penWidth;
    e.color = foreColor_;
    model_.items.emplace_back(e);
}

void RecordingSurface::PrintTurned(const QString& text, double x, double y, double angleDeg, double stretch)
{
    if (text.isEmpty() || blankOnly(text) || pixelHeight_ <= 0)
        return;
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(angleDeg) || !(stretch > 0)
        || !std::isfinite(stretch))
        return;
    DrawnText item;
    item.x = x;
    item.y = y;
    item.text = text;
    item.color = foreColor_;
    item.face = fontName_;
    item.pixelHeight = pixelHeight_;
    item.weight = fontBold_ ? 700 : 400;
    double a = std::fmod(angleDeg, 360.0);
    if (a < 0)
        a += 360.0;
    if (a >= 360.0)
        a = 0;   // a hair below zero, wrapped
    item.angleDeg = a == 0 ? 0.0 : a;
    item.stretch = stretch;
    model_.items.emplace_back(std::move(item));
}

PicturePtr RecordingSurface::Picture()
{
    // Only the record: its rasters are made when they are asked for.
    return std::make_shared<const SealPicture>(model_);
}

} // namespace plomet
