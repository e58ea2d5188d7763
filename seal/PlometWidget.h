#pragma once
// The seal control on screen: a thin widget that owns one seal and shows the
// picture of its last Draw, unscaled, at its top-left corner. On a screen
// with more device pixels than logical ones (HiDPI), the picture is drawn
// again from the same twips at the device's resolution, not enlarged. It repaints when
// the seal draws and takes the seal's size (twips) in pixels when it resizes.
#include "seal/Plomet.h"
#include <QImage>
#include <QWidget>

namespace plomet {

class PlometWidget : public QWidget {
    Q_OBJECT
public:
    explicit PlometWidget(QWidget* parent = nullptr);
    ~PlometWidget() override;

    Plomet& seal() { return *seal_; }
    const Plomet& seal() const { return *seal_; }

    // The widget's size in pixels for a seal of w x h twips (15 twips a pixel
    // at 96 dpi; halves round to even).
    static QSize pixelSizeFor(double widthTwips, double heightTwips);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void followSize();

    Plomet* seal_;
    // The last picture drawn at a device pixel ratio other than 1, and for which.
    PicturePtr sharpFor_;
    qreal sharpRatio_ = 0;
    QImage sharp_;
};

} // namespace plomet
