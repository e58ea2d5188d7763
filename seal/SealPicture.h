#pragma once
// The picture that one Draw captured: the drawing model plus its raster at
// screen resolution. Immutable once made; `image` hands out shared references.
#include "seal/DrawingModel.h"
#include <QImage>
#include <memory>

namespace plomet {

class SealPicture {
public:
    SealPicture(DrawingModel model, QImage screenPixels)
        : model_(std::move(model)), pixels_(std::move(screenPixels)) {}
    const DrawingModel& model() const noexcept { return model_; }
    // The raster at the screen's resolution: its pixel size is the surface's
    // size in twips divided by the twips per pixel.
    const QImage& pixels() const noexcept { return pixels_; }
    double widthTwips() const noexcept { return model_.widthTwips; }
    double heightTwips() const noexcept { return model_.heightTwips; }
private:
    DrawingModel model_;
    QImage pixels_;
};

using PicturePtr = std::shared_ptr<const SealPicture>;

} // namespace plomet
