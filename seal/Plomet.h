#pragma once
// The seal control: holds one seal (a SealSpec, seal/SealSpec.h), announces
// every change of it, keeps it in the host's property store, and Draw, which
// draws it into the drawing surface (seal/SealDrawing.h) and keeps the
// picture. Builds without Qt Widgets.
#include "seal/Properties.h"
#include "seal/PropertyBag.h"
#include "seal/SealSpec.h"
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

    // --- the seal's values ---
    // The whole seal as a value (seal/SealSpec.h says what each member means).
    const SealSpec& spec() const { return spec_; }
    // Every value of spec, each that differs written as its row writes it
    // (and announced); no Draw.
    void setSpec(const SealSpec& spec);
    // One row's value (as normalised gives it): stored as given, no range is
    // enforced here (the readers of files and command lines check theirs),
    // announced with PropertyChanged under the row's name; none draws.
    // FontName and FontSize also set the drawing surface's font; Width and
    // Height resize it.
    void setValue(const PropertyRow& row, const QVariant& v);
    QVariant value(const PropertyRow& row) const { return row.get(spec_); }

    // The properties one by one, in interface order: each reads its member
    // and writes it through its row.
    bool ShowStar() const { return spec_.showStar; }
    void setShowStar(bool v) { setValue("ShowStar", v); }
    bool ShowDate() const { return spec_.showDate; }
    void setShowDate(bool v) { setValue("ShowDate", v); }
    bool FontBold() const { return spec_.fontBold; }
    void setFontBold(bool v) { setValue("FontBold", v); }
    QString MidSign() const { return spec_.midSign; }
    void setMidSign(const QString& v) { setValue("MidSign", v); }
    int16_t StarSize() const { return spec_.starSize; }
    void setStarSize(int16_t v) { setValue("StarSize", int(v)); }
    double Degree() const { return spec_.degree; }
    void setDegree(double v) { setValue("Degree", v); }
    QString pText() const { return spec_.pText; }
    void setPText(const QString& v) { setValue("pText", v); }
    QString pText1() const { return spec_.pText1; }
    void setPText1(const QString& v) { setValue("pText1", v); }
    int32_t ForeColor() const { return spec_.foreColor; }
    void setForeColor(int32_t v) { setValue("ForeColor", int(v)); }
    QString FontName() const { return spec_.fontName; }
    void setFontName(const QString& v) { setValue("FontName", v); }
    float FontSize() const { return spec_.fontSize; }
    void setFontSize(float v) { setValue("FontSize", v); }
    int32_t Space() const { return spec_.space; }
    void setSpace(int32_t v) { setValue("Space", int(v)); }
    int32_t BackColor() const { return spec_.backColor; }
    void setBackColor(int32_t v) { setValue("BackColor", int(v)); }
    QString rText() const { return spec_.rText; }
    void setRText(const QString& v) { setValue("rText", v); }

    // The seal forms beyond the classic seal.
    Shape shape() const { return spec_.shape; }
    void setShape(Shape v) { setValue("Shape", int(v)); }
    double RingWidth() const { return spec_.ringWidth; }
    void setRingWidth(double twips) { setValue("RingWidth", twips); }
    double InnerRing() const { return spec_.innerRing; }
    void setInnerRing(double twips) { setValue("InnerRing", twips); }
    double InnerRingGap() const { return spec_.innerRingGap; }
    void setInnerRingGap(double twips) { setValue("InnerRingGap", twips); }
    QString CodeText() const { return spec_.codeText; }
    void setCodeText(const QString& v) { setValue("CodeText", v); }
    QString CodeFontName() const { return spec_.codeFontName; }
    void setCodeFontName(const QString& v) { setValue("CodeFontName", v); }
    float CodeFontSize() const { return spec_.codeFontSize; }
    void setCodeFontSize(float points) { setValue("CodeFontSize", points); }
    double CodeSpace() const { return spec_.codeSpace; }
    void setCodeSpace(double twips) { setValue("CodeSpace", twips); }
    QString MidText() const { return spec_.midText; }
    void setMidText(const QString& v) { setValue("MidText", v); }
    float MidFontSize() const { return spec_.midFontSize; }
    void setMidFontSize(float points) { setValue("MidFontSize", points); }
    double MidTextWidth() const { return spec_.midTextWidth; }
    void setMidTextWidth(double twips) { setValue("MidTextWidth", twips); }
    float LowerFontSize() const { return spec_.lowerFontSize; }
    void setLowerFontSize(float points) { setValue("LowerFontSize", points); }
    double LowerCharWidth() const { return spec_.lowerCharWidth; }
    void setLowerCharWidth(double twips) { setValue("LowerCharWidth", twips); }
    bool Fit() const { return spec_.fit; }
    void setFit(bool v) { setValue("Fit", v); }
    const SealForm& form() const { return spec_; }

    // Worn ink: 0 .. 100 (Draw takes values beyond as 0 or 100), and its seed.
    int Aging() const { return spec_.aging; }
    void setAging(int v) { setValue("Aging", v); }
    int32_t AgingSeed() const { return spec_.agingSeed; }
    void setAgingSeed(int32_t v) { setValue("AgingSeed", int(v)); }

    // --- the control's size, set by its host, in twips ---
    // Below 0 or not a number: 0.
    float Width() const { return spec_.width; }
    float Height() const { return spec_.height; }
    void setWidth(float twips) { setValue("Width", twips); }
    void setHeight(float twips) { setValue("Height", twips); }

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
    void setValue(const char* name, const QVariant& v);
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

    SealSpec spec_;
    PicturePtr image_;
    QVariant picture_;
    int32_t hwnd_ = 0;
    bool quiet_ = false;
    QStringList unknownFileLines_;
    std::unique_ptr<Surface> pic1_;
};

} // namespace plomet
