#include "seal/SealPicture.h"

#include <algorithm>

namespace plomet {

namespace {

// Rasters kept besides the screen's: an export asks for one (the file) or
// two (a PNG and its coverage); a 600-dpi raster of a seal is a few MB.
constexpr size_t kKeptOthers = 2;

bool sameOptions(const RenderOptions& a, const RenderOptions& b)
{
    return a.transparent == b.transparent && a.glyphOutlines == b.glyphOutlines && a.leaveWear == b.leaveWear
           && a.coverage == b.coverage;
}

bool isScreen(const SealPicture& p, double dpi, const RenderOptions& o)
{
    return dpi == p.screenDpi() && sameOptions(o, RenderOptions{});
}

} // namespace

SealPicture::SealPicture(DrawingModel model, QImage screenPixels) : model_(std::move(model))
{
    if (!screenPixels.isNull())
        kept_.push_back(Kept{screenDpi(), RenderOptions{}, std::move(screenPixels)});
}

QImage SealPicture::raster(double dpi, const RenderOptions& options) const
{
    // One lock for the making too: two threads asking for the same raster
    // make it once, and a picture is seldom asked by two threads at all.
    std::lock_guard<std::mutex> lock(mutex_);
    const auto same = [&](const Kept& k) { return k.dpi == dpi && sameOptions(k.options, options); };
    if (const auto it = std::find_if(kept_.begin(), kept_.end(), same); it != kept_.end())
        return it->image;
    QImage image = rasterize(model_, dpi, options);
    const auto others = std::count_if(kept_.begin(), kept_.end(),
                                      [this](const Kept& k) { return !isScreen(*this, k.dpi, k.options); });
    if (!isScreen(*this, dpi, options) && size_t(others) >= kKeptOthers) {
        const auto oldest = std::find_if(kept_.begin(), kept_.end(),
                                         [this](const Kept& k) { return !isScreen(*this, k.dpi, k.options); });
        kept_.erase(oldest);
    }
    kept_.push_back(Kept{dpi, options, image});
    return image;
}

} // namespace plomet
