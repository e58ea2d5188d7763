#pragma once
// The picture that one Draw captured: the drawing model, and its rasters,
// made when someone asks for them (the screen, a copy, an image file) and
// kept, one per resolution. Drawing only records: a seal that nobody looks
// at is never painted. The model never changes once made; several threads
// may ask one picture for rasters at once.
#include "seal/DrawingModel.h"
#include "seal/Render.h"
#include <QImage>
#include <memory>
#include <mutex>
#include <vector>

namespace plomet {

class SealPicture {
public:
    explicit SealPicture(DrawingModel model) : model_(std::move(model)) {}
    // A picture whose screen raster is already made.
    SealPicture(DrawingModel model, QImage screenPixels);
    SealPicture(const SealPicture&) = delete;
    SealPicture& operator=(const SealPicture&) = delete;

    const DrawingModel& model() const noexcept { return model_; }
    double widthTwips() const noexcept { return model_.widthTwips; }
    double heightTwips() const noexcept { return model_.heightTwips; }
    // The screen's resolution: the dpi at which a pixel is a screen pixel.
    double screenDpi() const noexcept { return 1440.0 / model_.twipsPerPixelX; }

    // The raster at the screen's resolution: its pixel size is the surface's
    // size in twips divided by the twips per pixel. Made at the first call.
    QImage pixels() const { return raster(screenDpi()); }

    // The raster at dpi (as rasterize makes it), made at the first request
    // for that resolution and those options and kept with the picture: the
    // screen raster, and the last few others asked for. Throws PlometError
    // as rasterize does (nothing is kept then).
    QImage raster(double dpi, const RenderOptions& options = {}) const;

private:
    struct Kept {
        double dpi;
        RenderOptions options;
        QImage image;
    };
    DrawingModel model_;
    mutable std::mutex mutex_;
    mutable std::vector<Kept> kept_;   // the oldest first
};

using PicturePtr = std::shared_ptr<const SealPicture>;

} // namespace plomet
