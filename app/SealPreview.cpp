#include "app/SealPreview.h"

#include "seal/Plomet.h"
#include "seal/PropertyBag.h"
#include "seal/Render.h"

#include <QPainter>
#include <QPaintEvent>

#include <algorithm>

namespace plomet {

SealPreview::SealPreview(QWidget* parent) : QWidget(parent), seal_(new Plomet(this))
{
    setObjectName(QStringLiteral("preview"));
    connect(seal_, &Plomet::drawn, this, qOverload<>(&QWidget::update));
}

SealPreview::~SealPreview() = default;

void SealPreview::copyFrom(const Plomet& source)
{
    PropertyBag bag;
    source.WriteProperties(bag);
    seal_->setWidth(source.Width());
    seal_->setHeight(source.Height());
    seal_->ReadProperties(bag);   // draws
}

void SealPreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    const PicturePtr picture = seal_->image();
    if (!picture || picture->widthTwips() <= 0 || picture->heightTwips() <= 0)
        return;
    // The seal's screen size (15 twips a pixel) when it fits, smaller when not.
    const double fit = std::min(width() / picture->widthTwips(), height() / picture->heightTwips());
    const double scale = std::min(1.0 / 15.0, fit);
    const double w = picture->widthTwips() * scale, h = picture->heightTwips() * scale;
    painter.translate((width() - w) / 2.0, (height() - h) / 2.0);
    painter.setClipRect(QRectF(0, 0, w, h));
    paintModel(painter, picture->model(), scale);
}

} // namespace plomet
