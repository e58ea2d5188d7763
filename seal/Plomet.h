#pragma once
// The seal control: fourteen classic properties and the later ones (one row
// each in the property table, seal/Properties.h), persistence through the
// host's property store, and Draw, which renders the seal into the drawing
// surface and keeps the picture. Builds without Qt Widgets.
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
    // Every setter stores the value as given (no range is enforced here: the
    // readers of files and command lines check theirs) and announces its own
    // name with PropertyChanged; none draws. The table in seal/Properties.cpp
    // holds the same facts for the help, the files and --set.
    //
    // Lengths are twips (1440 an inch, 567 a centimetre); sizes of type are
    // points. Colours are 0x00BBGGRR (255 red, 12582912 dark blue); a value
    // with the top bit set, 0x80000000 + index, is a system colour.

    // Whether the centre sign is drawn (only MidSign's first character).
    // New seal: True.
    bool ShowStar() const { return showStar_; }
    void setShowStar(bool v);
    // Stored and kept, never drawn, not in description files. New seal: False.
    bool ShowDate() const { return showDate_; }
    void setShowDate(bool v);
    // Bold for the company name and the sign (the lower lines never are).
    // New seal: False; the host's store defaults to True.
    bool FontBold() const { return fontBold_; }
    void setFontBold(bool v);
    // The centre sign; only its first character (a surrogate pair whole) is
    // drawn. New seal: "★".
    QString MidSign() const { return midSign_; }
    void setMidSign(const QString& v);
    // Points, -32768..32767. 0: Draw sets 24 and keeps it; below 0: no sign.
    // The lower lines sit StarSize + 150 and 2 StarSize + 350 twips below the
    // centre. New seal: 24.
    int16_t StarSize() const { return starSize_; }
    void setStarSize(int16_t v);
    // Degrees clockwise from 12 o'clock where the name starts. -1: centred on
    // 12 o'clock; -2: once around the full circle (the radius fitted to it).
    // New seal: -1.
    double Degree() const { return degree_; }
    void setDegree(double v);
    // The two lines below the centre, at 0.85 of FontSize; empty: not drawn.
    // New seal: "" and "专用章".
    QString pText() const { return pText_; }
    void setPText(const QString& v);
    QString pText1() const { return pText1_; }
    void setPText1(const QString& v);
    // Ring, texts and sign. New seal: 255 (red).
    int32_t ForeColor() const { return foreColor_; }
    void setForeColor(int32_t v);
    // A face name; Windows CJK names (黑体, 宋体, 楷体, 仿宋, SimSun, ...) resolve
    // to installed faces of that style. New seal: "黑体".
    QString FontName() const { return fontName_; }
    void setFontName(const QString& v);
    // Points, a Single. 0: Draw sets 16 for a name of under 6 characters,
    // else 12, and keeps it. New seal: 12.
    float FontSize() const { return fontSize_; }
    void setFontSize(float v);
    // Blanks put after every character of the name but the last (cut so the
    // spaced name stays within 32767 characters); below 0: none. New seal: 1.
    int32_t Space() const { return space_; }
    void setSpace(int32_t v);
    // Stored and kept, never drawn (the background is the window's). New seal: 0.
    int32_t BackColor() const { return backColor_; }
    void setBackColor(int32_t v);
    // The company name along the upper arc. The store reads it as "RText" and
    // writes "rText". New seal: "Qorvel软件有限公司".
    QString rText() const { return rText_; }
    void setRText(const QString& v);

    // --- the seal forms beyond the classic seal (all at their defaults: classic) ---
    // Round, or Oval: the band follows the ellipse inscribed in Width x Height.
    Shape shape() const { return form_.shape; }
    void setShape(Shape v);
    // Twips; 0: the classic band of 51 one-pixel circles.
    double RingWidth() const { return form_.ringWidth; }
    void setRingWidth(double twips);
    // Twips; 0: no inner ring. Gap: twips between band and inner ring (57 = 1 mm).
    double InnerRing() const { return form_.innerRing; }
    void setInnerRing(double twips);
    double InnerRingGap() const { return form_.innerRingGap; }
    void setInnerRingGap(double twips);
    // Along the lower arc, centred on 6 o'clock, left to right; empty: none.
    // Face (new seal "Arial"), points (8), twips added between characters (0).
    QString CodeText() const { return form_.codeText; }
    void setCodeText(const QString& v);
    QString CodeFontName() const { return form_.codeFontName; }
    void setCodeFontName(const QString& v);
    float CodeFontSize() const { return form_.codeFontSize; }
    void setCodeFontSize(float points);
    double CodeSpace() const { return form_.codeSpace; }
    void setCodeSpace(double twips);
    // A line across the centre in place of the sign; empty: none. Points
    // (new seal 10); the width in twips it is condensed to fit (0: as wide as
    // the band allows).
    QString MidText() const { return form_.midText; }
    void setMidText(const QString& v);
    float MidFontSize() const { return form_.midFontSize; }
    void setMidFontSize(float points);
    double MidTextWidth() const { return form_.midTextWidth; }
    void setMidTextWidth(double twips);
    // The fitted layout's lower lines: points (0: 0.85 of FontSize) and the
    // width in twips each character is condensed to (0: the face's own).
    float LowerFontSize() const { return form_.lowerFontSize; }
    void setLowerFontSize(float points);
    double LowerCharWidth() const { return form_.lowerCharWidth; }
    void setLowerCharWidth(double twips);
    // The layout of a real seal (False: the classic layout).
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
    // Every property to its new-instance value, then Draw. A host that
    // assigns further values and draws after them (the command line) passes
    // false: one Draw, of the seal it means.
    void InitProperties(bool thenDraw = true);
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
