#pragma once
// The drawing surface `pic1`: records what is drawn as a DrawingModel in twips
// and measures text like the screen does (whole pixels at the screen's
// resolution). Its picture is the model plus its raster at screen size.
#include "seal/Surface.h"
#include "seal/DrawingModel.h"
#include <QRgb>
#include <memory>

namespace plomet {

// 0x00BBGGRR to an opaque QRgb. A value with the top bit set is the system
// colour of that index, with the standard Windows default colours (index 5,
// the window background, is white; index 8, window text, is black).
QRgb colorToRgb(int32_t color);

class RecordingSurface : public Surface {
public:
    // twipsPerPixel: the screen's metrics (15 at 96 dpi).
    explicit RecordingSurface(float twipsPerPixelX = 15.0f, float twipsPerPixelY = 15.0f);
    ~RecordingSurface() override;

    double Width() const override { return model_.widthTwips; }
    double Height() const override { return model_.heightTwips; }
    void Resize(double widthTwips, double heightTwips) override;
    void Cls() override;

    // Sizes go to whole pixels: read back as round(pt * 20 / tppY) * tppY / 20
    // points. Zero, negative or not-a-number sizes read back as 0 and print
    // nothing; heights are capped at 32767 twips.
    void setFontSize(float points) override;
    float FontSize() const override { return fontSize_; }
    void setFontName(const QString& face) override;
    QString FontName() const override { return fontName_; }
    void setFontBold(bool bold) override;
    bool FontBold() const override { return fontBold_; }
    void setForeColor(int32_t color) override { foreColor_ = colorToRgb(color); }
    QRgb foreColor() const { return foreColor_; }

    void setCurrentX(double x) override { currentX_ = x; }
    void setCurrentY(double y) override { currentY_ = y; }
    double CurrentX() const override { return currentX_; }
    double CurrentY() const override { return currentY_; }

    void Print(const QString& text) override;
    void Circle(double cx, double cy, double r) override;
    void Ellipse(double cx, double cy, double rx, double ry, double penWidth) override;
    void PrintTurned(const QString& text, double x, double y, double angleDeg, double stretch) override;
    double TextWidth(const QString& text) const override;
    std::vector<double> PrefixWidths(const QString& text) const override;

    float TwipsPerPixelX() const override { return tppX_; }
    float TwipsPerPixelY() const override { return tppY_; }

    GdiDC& hDC() override { return dc_; }
    int32_t hDCHandle() const override { return dc_.handle(); }

    void setAging(int level, int32_t seed) override
    {
        model_.aging = level;
        model_.agingSeed = seed;
    }
    PicturePtr Picture() override;

    // What has been drawn since the last Cls (for tests and outputs).
    const DrawingModel& model() const { return model_; }
    // The current font's em height in screen pixels (0: nothing prints).
    int pixelHeight() const { return pixelHeight_; }

private:

    float tppX_, tppY_;
    DrawingModel model_;
    QString fontName_;
    float fontSize_ = 0;
    int pixelHeight_ = 0;
    bool fontBold_ = false;
    QRgb foreColor_ = 0xff000000;
    double currentX_ = 0, currentY_ = 0;
    GdiDC dc_;
};

} // namespace plomet
