#include "seal/PlometWidget.h"

#include "seal/Errors.h"
#include "seal/Render.h"

#include <QPainter>
#include <QPaintEvent>

namespace plomet {

PlometWidget::PlometWidget(QWidget* parent)
    : QWidget(parent), seal_(new Plomet(this))
{
    // The window colour shows wherever the picture does not reach, e.g. after
    // the seal grew and has not been drawn again.
    setBackgroundRole(QPalette::Window);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::TabFocus);
    connect(seal_, &Plomet::drawn, this, qOverload<>(&QWidget::update));
    connect(seal_, &Plomet::resized, this, &PlometWidget::followSize);
}

PlometWidget::~PlometWidget() = default;

QSize PlometWidget::pixelSizeFor(double widthTwips, double heightTwips)
{
    return rasterSize(widthTwips, heightTwips, 96.0);
}

void PlometWidget::followSize()
{
    resize(pixelSizeFor(seal_->Width(), seal_->Height()).expandedTo(QSize(0, 0)));
}

void PlometWidget::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (seal_->hwnd() == 0)
        seal_->setWindowHandle(static_cast<int32_t>(winId()));
}

void PlometWidget::paintEvent(QPaintEvent* event)
{
    const PicturePtr picture = seal_->image();
    if (!picture)
        return;
    QPainter painter(this);
    painter.setClipRegion(event->region());
    const qreal ratio = devicePixelRatioF();
    // The picture is painted here, the first time it is shown (a raster
    // that cannot be made, for want of memory, leaves the window colour).
    try {
        if (ratio == 1.0) {
            painter.drawImage(QPoint(0, 0), picture->pixels());
            return;
        }
        // Once per picture and ratio: the same model at 96 dpi times the ratio.
        if (sharpFor_ != picture || sharpRatio_ != ratio) {
            sharp_ = rasterize(picture->model(), 96.0 * ratio);
            sharp_.setDevicePixelRatio(ratio);
            sharpFor_ = picture;
            sharpRatio_ = ratio;
        }
        painter.drawImage(QPoint(0, 0), sharp_);
    } catch (const PlometError&) {
    }
}

} // namespace plomet
