#pragma once
// The drawing surface `pic1`: a persistent picture in twips with a current
// font, a foreground colour and a current position. Draw and the arc text
// speak only to this interface.
#include "seal/SealPicture.h"
#include "seal/Gdi.h"
#include <QString>
#include <cstdint>
#include <vector>

namespace plomet {

class Surface {
public:
    virtual ~Surface() = default;

    // Size in twips (the control's size; set by the control on Resize).
    virtual double Width() const = 0;
    virtual double Height() const = 0;
    virtual void Resize(double widthTwips, double heightTwips) = 0;

    // Clear to the background colour.
    virtual void Cls() = 0;

    // Current font. A requested size is adjusted to what the font offers
    // (whole pixels at the screen resolution); FontSize() reads that back.
    virtual void setFontSize(float points) = 0;
    virtual float FontSize() const = 0;
    virtual void setFontName(const QString& face) = 0;
    virtual QString FontName() const = 0;
    virtual void setFontBold(bool bold) = 0;
    virtual bool FontBold() const = 0;

    // Foreground colour, 0x00BBGGRR (top bit set: a system colour).
    virtual void setForeColor(int32_t color) = 0;

    // Current position in twips: the top-left corner of the next text's cell.
    virtual void setCurrentX(double x) = 0;
    virtual void setCurrentY(double y) = 0;
    virtual double CurrentX() const = 0;
    virtual double CurrentY() const = 0;

    // Prints text at the current position in the selected GDI font if one is
    // selected into the device context, else in the current font; transparent.
    virtual void Print(const QString& text) = 0;
    // Circle outline, one pixel wide, in the foreground colour.
    virtual void Circle(double cx, double cy, double r) = 0;
    // Ellipse outline in the foreground colour, stroked with a pen penWidth
    // twips wide centred on the ellipse with radii rx, ry.
    virtual void Ellipse(double cx, double cy, double rx, double ry, double penWidth) = 0;
    // Prints text in the current font (not a selected GDI font) with the
    // top-left corner of its cell (whose top is the top of the em box) at (x, y), condensed horizontally by
    // stretch in its own frame, then turned clockwise by angleDeg about that
    // corner. Positions and angles are kept exactly, not rounded.
    virtual void PrintTurned(const QString& text, double x, double y, double angleDeg,
                             double stretch) = 0;
    // Width in twips of text set unrotated in the current font.
    virtual double TextWidth(const QString& text) const = 0;
    // TextWidth of every prefix of text: element i is the width of the first
    // i UTF-16 units (so element 0 is 0 and the last is the whole text). The
    // default measures each prefix afresh; surfaces offer a linear version.
    virtual std::vector<double> PrefixWidths(const QString& text) const
    {
        std::vector<double> out(static_cast<size_t>(text.size()) + 1, 0.0);
        for (qsizetype i = 1; i <= text.size(); ++i)
            out[static_cast<size_t>(i)] = TextWidth(text.left(i));
        return out;
    }

    // Screen metrics.
    virtual float TwipsPerPixelX() const = 0;
    virtual float TwipsPerPixelY() const = 0;

    // The device context that GDI font selection works on.
    virtual GdiDC& hDC() = 0;
    // That context's handle: opaque and non-zero.
    virtual int32_t hDCHandle() const = 0;

    // Worn ink (level 0..100, 0 none) for the picture taken next; see Wear.cpp.
    virtual void setAging(int level, int32_t seed) { (void)level; (void)seed; }

    // The persistent picture: what has been drawn since the last Cls.
    virtual PicturePtr Picture() = 0;
};

} // namespace plomet
