#include "seal/Presets.h"

#include "seal/NumberText.h"
#include "seal/Units.h"

#include <cmath>
#include <iterator>

namespace plomet {

namespace {


// One common seal, at its own size. Lengths are millimetres on paper; a font
// size is the em height. The sign's size is for the 2055-twip control: the
// fitted layout grows it with the seal.
struct PresetRow {
    const char* name;
    bool oval;
    double widthMm, heightMm;   // outer edge of the band
    double bandMm;
    const char* face;
    bool bold;
    double nameEmMm;
    double lowerEmMm;           // 0: the lower lines at 0.85 of the name's size
    double lowerCharMm;         // 0: the face's own widths
    bool star;
    int starSize;
    const char* pText;
    const char* pText1;
    double codeEmMm;            // a code along the lower arc (防伪码)
    double midEmMm;             // the middle line (the tax number)
    double midWidthMm;          // 0: as wide as the band allows
    bool clearMidText;          // a round seal carries its sign in the middle
};

// The invoice seal follows its published layout (State Taxation
// Administration notice 2011 No. 7): oval 40 x 30 mm, 1 mm band, the name in
// 仿宋 4.2 mm high, the 18-character taxpayer number in Arial 3.7 mm high and
// 1.3 mm wide per character (its digits stand 0.716 em high, so a 5.17 mm
// em; 18 x 1.3 = 23.4 mm wide), "发票专用章" below, 4.6 mm high and 3 mm
// wide a character. A serial such as "(1)" goes into the second lower line.
const PresetRow kPresets[] = {
    {"公章", false, 42, 42, 1.2, "宋体", true, 6.3, 0, 0, true, 36, "", "", 2.5, 4.5, 0, true},
    {"合同专用章", false, 40, 40, 1.0, "宋体", true, 6.0, 0, 0, true, 34, "", "合同专用章", 2.4, 4.3, 0, true},
    {"财务专用章", false, 40, 40, 1.0, "宋体", true, 6.0, 0, 0, true, 34, "", "财务专用章", 2.4, 4.3, 0, true},
    {"发票专用章", true, 40, 30, 1.0, "仿宋", false, 4.2, 4.6, 3.0, false, 24, "发票专用章", "", 2.4, 5.17, 23.4,
     false},
};

const PresetRow* rowOf(const QString& name)
{
    for (const PresetRow& row : kPresets)
        if (name == QString::fromUtf8(row.name))
            return &row;
    return nullptr;
}

QString mm(double v)
{
    // Hundredths of a millimetre are far below a pixel at any print resolution.
    return numberTextDouble(std::round(v * 100.0) / 100.0) + QStringLiteral("mm");
}

QString points(double emMm)
{
    return numberTextSingle(static_cast<float>(std::round(emMm * kPointsPerMm * 10.0) / 10.0));
}

QString boolText(bool b)
{
    return b ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace

QStringList presetNames()
{
    QStringList out;
    for (const PresetRow& row : kPresets)
        out << QString::fromUtf8(row.name);
    return out;
}

std::optional<QSizeF> presetSizeMm(const QString& name)
{
    const PresetRow* row = rowOf(name);
    if (!row)
        return std::nullopt;
    return QSizeF(row->widthMm, row->heightMm);
}

QSizeF controlSizeForBand(bool oval, double outerWidth, double outerHeight)
{
    // Round: the outer edge is at m / 2.1, so m = 1.05 x the diameter.
    if (!oval) {
        const double m = 1.05 * std::min(outerWidth, outerHeight);
        return QSizeF(m, m);
    }
    // Oval: both semi-axes lie (m/2 - m/2.1) inside the control's edges, m
    // being the smaller side: the height when the oval is wider than high.
    const double inset = 0.5 - 1.0 / 2.1;
    if (outerWidth >= outerHeight) {
        const double h = 1.05 * outerHeight;
        return QSizeF(outerWidth + 2 * inset * h, h);
    }
    const double w = 1.05 * outerWidth;
    return QSizeF(w, outerHeight + 2 * inset * w);
}

std::optional<PresetValues> presetSettings(const QString& name, double outerWidthMm)
{
    const PresetRow* row = rowOf(name);
    if (!row)
        return std::nullopt;
    const double k = outerWidthMm > 0 && std::isfinite(outerWidthMm) ? outerWidthMm / row->widthMm : 1.0;
    const QSizeF control = controlSizeForBand(row->oval, row->widthMm * k * kTwipsPerMm,
                                              row->heightMm * k * kTwipsPerMm);
    PresetValues s = {
        {QStringLiteral("Shape"), row->oval ? QStringLiteral("Oval") : QStringLiteral("Round")},
        // Whole twips: a 42 mm seal is 2500 twips wide, its ring 41.99 mm.
        {QStringLiteral("Width"), numberTextDouble(std::round(control.width()))},
        {QStringLiteral("Height"), numberTextDouble(std::round(control.height()))},
        {QStringLiteral("RingWidth"), mm(row->bandMm * k)},
        {QStringLiteral("InnerRing"), QStringLiteral("0")},
        {QStringLiteral("Fit"), QStringLiteral("True")},
        {QStringLiteral("ForeColor"), QStringLiteral("255")},
        {QStringLiteral("FontName"), QString::fromUtf8(row->face)},
        {QStringLiteral("FontSize"), points(row->nameEmMm * k)},
        {QStringLiteral("FontBold"), boolText(row->bold)},
        {QStringLiteral("Degree"), QStringLiteral("-1")},
        {QStringLiteral("ShowStar"), boolText(row->star)},
        {QStringLiteral("MidSign"), QStringLiteral("★")},
        {QStringLiteral("StarSize"), numberTextLong(row->starSize)},
        {QStringLiteral("pText"), QString::fromUtf8(row->pText)},
        {QStringLiteral("pText1"), QString::fromUtf8(row->pText1)},
        {QStringLiteral("CodeFontName"), QStringLiteral("Arial")},
        {QStringLiteral("CodeFontSize"), points(row->codeEmMm * k)},
        {QStringLiteral("MidFontSize"), points(row->midEmMm * k)},
        {QStringLiteral("MidTextWidth"), row->midWidthMm > 0 ? mm(row->midWidthMm * k) : QStringLiteral("0")},
        {QStringLiteral("LowerFontSize"), row->lowerEmMm > 0 ? points(row->lowerEmMm * k) : QStringLiteral("0")},
        {QStringLiteral("LowerCharWidth"), row->lowerCharMm > 0 ? mm(row->lowerCharMm * k) : QStringLiteral("0")},
    };
    if (row->clearMidText)
        s.append({QStringLiteral("MidText"), QString()});
    return s;
}

} // namespace plomet
