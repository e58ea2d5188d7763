#pragma once
// The seal control: fourteen typed properties, persistence through the host's
// property store, and Draw, which renders the seal into the drawing surface
// and keeps the picture. Builds without Qt Widgets.
#include "seal/PropertyBag.h"
#include "seal/SealForm.h"
#include "seal/SealPicture.h"
#include "seal/Surface.h"
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <type_traits>

namespace plomet {

class Plomet : public QObject {
    Q_OBJECT
public:
    // twipsPerPixel: the screen metrics the drawing lays out with (15 at 96 dpi).
    explicit Plomet(QObject* parent = nullptr, float twipsPerPixelX = 15.0f,
                    float twipsPerPixelY = 15.0f);
    ~Plomet() override;

    // --- methods ---
    void Draw();
    // a if a < b, otherwise b.
    template <class A, class B>
    static std::common_type_t<A, B> Min(A a, B b) { return a < b ? a : b; }

    // --- read-only accessors ---
    // The picture of the last Draw; null before the first Draw.
    PicturePtr image() const { return image_; }
    // An opaque handle of the drawing surface's device context (never 0).
    int32_t hDC() const;
    // The window handle of the on-screen control, 0 when the seal has no window.
    int32_t hwnd() const { return hwnd_; }
    void setWindowHandle(int32_t h) { hwnd_ = h; }

    // --- the fourteen properties, in interface order ---
    bool ShowStar() const { return showStar_; }
    void setShowStar(bool v);
    bool ShowDate() const { return showDate_; }
    void setShowDate(bool v);
    bool FontBold() const { return fontBold_; }
    void setFontBold(bool v);
    QString MidSign() const { return midSign_; }
    void setMidSign(const QString& v);
    int16_t StarSize() const { return starSize_; }
    void setStarSize(int16_t v);
    double Degree() const { return degree_; }
    void setDegree(double v);
    QString pText() const { return pText_; }
    void setPText(const QString& v);
    QString pText1() const { return pText1_; }
    void setPText1(const QString& v);
    int32_t ForeColor() const { return foreColor_; }
    void setForeColor(int32_t v);
    QString FontName() const { return fontName_; }
    void setFontName(const QString& v);
    float FontSize() const { return fontSize_; }
    void setFontSize(float v);
    int32_t Space() const { return space_; }
    void setSpace(int32_t v);
    int32_t BackColor() const { return backColor_; }
    void setBackColor(int32_t v);
    QString rText() const { return rText_; }
    void setRText(const QString& v);

    // --- the seal forms beyond the classic seal (all at their defaults: classic) ---
    Shape shape() const { return form_.shape; }
    void setShape(Shape v);
    double RingWidth() const { return form_.ringWidth; }
    void setRingWidth(double twips);
    double InnerRing() const { return form_.innerRing; }
    void setInnerRing(double twips);
    double InnerRingGap() const { return form_.innerRingGap; }
    void setInnerRingGap(double twips);
    QString CodeText() const { return form_.codeText; }
    void setCodeText(const QString& v);
    QString CodeFontName() const { return form_.codeFontName; }
    void setCodeFontName(const QString& v);
    float CodeFontSize() const { return form_.codeFontSize; }
    void setCodeFontSize(float points);
    double CodeSpace() const { return form_.codeSpace; }
    void setCodeSpace(double twips);
    QString MidText() const { return form_.midText; }
    void setMidText(const QString& v);
    float MidFontSize() const { return form_.midFontSize; }
    void setMidFontSize(float points);
    double MidTextWidth() const { return form_.midTextWidth; }
    void setMidTextWidth(double twips);
    float LowerFontSize() const { return form_.lowerFontSize; }
    void setLowerFontSize(float points);
    double LowerCharWidth() const { return form_.lowerCharWidth; }
    void setLowerCharWidth(double twips);
    bool Fit() const { return form_.fit; }
    void setFit(bool v);
    const SealForm& form() const { return form_; }

    // --- worn ink (see Wear.cpp) ---
    // 0 (the exact unworn drawing) .. 100; Draw takes values beyond as 0 or 100.
    int Aging() const { return aging_; }
    void setAging(int v);
    // Which wear: the same seed and level give the same specks everywhere.
    int32_t AgingSeed() const { return agingSeed_; }
    void setAgingSeed(int32_t v);

    // --- the control's size, set by its host, in twips ---
    float Width() const { return width_; }
    float Height() const { return height_; }
    void setWidth(float twips);
    void setHeight(float twips);

    // --- notifications from the host ---
    void InitProperties();
    // Restores from the store, then draws. Throws PlometError at the first item
    // that does not convert: earlier items keep their new values, later ones
    // their old, and no Draw happens.
    void ReadProperties(const PropertyBag& store);
    void WriteProperties(PropertyBag& store) const;

    // Lines of a description file whose keys this version does not know,
    // kept so that saving the seal writes them back as they came.
    QStringList unknownFileLines() const { return unknownFileLines_; }
    void setUnknownFileLines(const QStringList& lines) { unknownFileLines_ = lines; }

    // The control's own background picture ("Picture" in the store); unused by Draw.
    QVariant Picture() const { return picture_; }

    // The drawing surface `pic1` (for tests and output commands).
    Surface& pic1() { return *pic1_; }
    const Surface& pic1() const { return *pic1_; }

signals:
    // After every property write, with the property's own name.
    void PropertyChanged(const QString& name);
    // After every Draw: the new picture is in image().
    void drawn();
    // After a change of Width or Height (the surface follows; nothing is redrawn).
    void resized();

private:
    void announce(const char* name);
    // Property writes that announce nothing while it lives (InitProperties,
    // ReadProperties).
    class Quiet {
    public:
        explicit Quiet(Plomet& p, bool on = true) : p_(p), was_(p.quiet_) { p.quiet_ = on; }
        ~Quiet() { p_.quiet_ = was_; }
        Quiet(const Quiet&) = delete;
        Quiet& operator=(const Quiet&) = delete;
    private:
        Plomet& p_;
        bool was_;
    };
    void Resize();

    // state record, in declaration order
    int32_t foreColor_ = 0;
    QString fontName_;
    float fontSize_ = 0;
    int32_t space_ = 0;
    bool showStar_ = false;
    bool showDate_ = false;
    double degree_ = 0;
    int16_t starSize_ = 0;
    QString pText_, pText1_, rText_;
    int32_t backColor_ = 0;
    QString midSign_;
    bool fontBold_ = false;
    int aging_ = 0;
    int32_t agingSeed_ = 0;
    PicturePtr image_;

    SealForm form_;
    QVariant picture_;
    float width_ = 0, height_ = 0;
    int32_t hwnd_ = 0;
    bool quiet_ = false;
    QStringList unknownFileLines_;
    std::unique_ptr<Surface> pic1_;
};

} // namespace plomet
