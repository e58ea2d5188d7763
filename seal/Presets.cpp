#include "seal/Presets.h"

#include "seal/NumberText.h"
#include "seal/Units.h"

#include <QCoreApplication>

#include <cmath>

namespace plomet {

namespace {

// A preset's lengths on paper at the size asked for: k times its own.
struct Scale {
    double k = 1;
    // Hundredths of a millimetre are far below a pixel at any print
    // resolution; lengths are whole twips (a 1.2 mm band is 68 twips).
    double length(double mm) const { return twipsFromMm(std::round(mm * k * 100.0) / 100.0); }
    // A font size is the em height, in tenths of a point.
    float points(double emMm) const { return float(std::round(emMm * k * kPointsPerMm * 10.0) / 10.0); }
};

// What every preset sets: the fitted layout of a real seal in red, its name
// centred on 12 o'clock, the code in Arial. The sign's size is for the
// 2055-twip control: the fitted layout grows it with the seal.
void realSeal(SealSpec& s)
{
    s.innerRing = 0;
    s.fit = true;
    s.foreColor = 255;
    s.degree = -1;
    s.midSign = QStringLiteral("★");
    s.codeFontName = QStringLiteral("Arial");
    s.midTextWidth = 0;
    s.lowerFontSize = 0;
    s.lowerCharWidth = 0;
}

// A round seal in 宋体 bold with its sign in the middle: its band, the
// name's, code's and middle line's em (millimetres), the sign's size and the
// lower line (empty for the company's own seal).
void roundSeal(SealSpec& s, const Scale& mm, double bandMm, double nameEmMm, double codeEmMm, double midEmMm,
               int sign, const char* under)
{
    realSeal(s);
    s.shape = Shape::Round;
    s.ringWidth = mm.length(bandMm);
    s.fontName = QStringLiteral("宋体");
    s.fontBold = true;
    s.fontSize = mm.points(nameEmMm);
    s.showStar = true;
    s.starSize = int16_t(sign);
    s.pText = QString();
    s.pText1 = QString::fromUtf8(under);
    s.codeFontSize = mm.points(codeEmMm);
    s.midFontSize = mm.points(midEmMm);
    s.midText = QString();
}

struct Preset {
    const char* name;
    const char* use;            // what the seal is for (a word or two), in the user's language when shown
    double widthMm, heightMm;   // outer edge of the band
    void (*values)(SealSpec&, const Scale&);
};

// The invoice seal follows its published layout (State Taxation
// Administration notice 2011 No. 7): oval 40 x 30 mm, 1 mm band, the name in
// 仿宋 4.2 mm high, the 18-character taxpayer number in Arial 3.7 mm high and
// 1.3 mm wide per character (its digits stand 0.716 em high, so a 5.17 mm
// em; 18 x 1.3 = 23.4 mm wide), "发票专用章" below, 4.6 mm high and 3 mm
// wide a character. A serial such as "(1)" goes into the second lower line.
const Preset kPresets[] = {
    {"公章", QT_TRANSLATE_NOOP("Presets", "general use"), 42, 42,
     [](SealSpec& s, const Scale& mm) { roundSeal(s, mm, 1.2, 6.3, 2.5, 4.5, 36, ""); }},
    {"合同专用章", QT_TRANSLATE_NOOP("Presets", "contracts"), 40, 40,
     [](SealSpec& s, const Scale& mm) { roundSeal(s, mm, 1.0, 6.0, 2.4, 4.3, 34, "合同专用章"); }},
    {"财务专用章", QT_TRANSLATE_NOOP("Presets", "accounts"), 40, 40,
     [](SealSpec& s, const Scale& mm) { roundSeal(s, mm, 1.0, 6.0, 2.4, 4.3, 34, "财务专用章"); }},
    {"发票专用章", QT_TRANSLATE_NOOP("Presets", "invoices"), 40, 30,
     [](SealSpec& s, const Scale& mm) {
         realSeal(s);
         s.shape = Shape::Oval;
         s.ringWidth = mm.length(1.0);
         s.fontName = QStringLiteral("仿宋");
         s.fontBold = false;
         s.fontSize = mm.points(4.2);
         s.showStar = false;
         s.starSize = 24;
         s.pText = QStringLiteral("发票专用章");
         s.pText1 = QString();
         s.codeFontSize = mm.points(2.4);
         s.midFontSize = mm.points(5.17);
         s.midTextWidth = mm.length(23.4);
         s.lowerFontSize = mm.points(4.6);
         s.lowerCharWidth = mm.length(3.0);
     }},
};

// What a preset leaves as the seal has it: the company's own texts and
// choices. It sets every other row, the size included; an oval also keeps
// the middle line (a round seal carries its sign there).
const char* const kKeptRows[] = {"ShowDate", "rText",    "Space",     "BackColor", "InnerRingGap",
                                 "CodeText", "CodeSpace", "Aging",    "AgingSeed"};

bool keeps(const PropertyRow& row, const SealSpec& preset)
{
    for (const char* name : kKeptRows)
        if (&row == &property(name))
            return true;
    return preset.shape == Shape::Oval && &row == &property("MidText");
}

const Preset* presetOf(const QString& name)
{
    for (const Preset& p : kPresets)
        if (name == QString::fromUtf8(p.name))
            return &p;
    return nullptr;
}

} // namespace

QStringList presetNames()
{
    QStringList out;
    for (const Preset& p : kPresets)
        out << QString::fromUtf8(p.name);
    return out;
}

std::optional<QSizeF> presetSizeMm(const QString& name)
{
    const Preset* p = presetOf(name);
    if (!p)
        return std::nullopt;
    return QSizeF(p->widthMm, p->heightMm);
}

QString presetSummary(const QString& name)
{
    const Preset* p = presetOf(name);
    const std::optional<PresetValues> values = presetSettings(name);
    if (!p || !values)
        return QString();
    // The shape, band and sign as the preset's own values give them, so the
    // words cannot drift from what is drawn.
    SealSpec s;
    for (const auto& [row, value] : *values)
        row->set(s, value);
    const QString w = QString::number(p->widthMm, 'g', 4), h = QString::number(p->heightMm, 'g', 4);
    const QString band = QString::number(std::round(s.ringWidth / kTwipsPerMm * 10) / 10, 'g', 4);
    QStringList words{QCoreApplication::translate("Presets", p->use)};
    words << (s.shape == Shape::Oval ? QCoreApplication::translate("Presets", "oval %1 × %2 mm").arg(w, h)
                                     : QCoreApplication::translate("Presets", "round %1 mm").arg(w));
    words << QCoreApplication::translate("Presets", "%1 mm band").arg(band);
    if (s.showStar)
        words << QCoreApplication::translate("Presets", "star");
    return QCoreApplication::translate("Presets", "%1 (%2)", "a preset's name and what it is")
        .arg(name, words.join(QCoreApplication::translate("Presets", ", ", "between the words about a preset")));
}

QString presetList()
{
    QStringList out;
    for (const QString& name : presetNames())
        out << presetSummary(name);
    return out.join(QCoreApplication::translate("Presets", "; ", "between the presets of a list"));
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
    const Preset* p = presetOf(name);
    if (!p)
        return std::nullopt;
    const Scale mm{outerWidthMm > 0 && std::isfinite(outerWidthMm) ? outerWidthMm / p->widthMm : 1.0};
    SealSpec s;
    p->values(s, mm);
    // Whole twips: a 42 mm seal is 2500 twips wide, its ring 41.99 mm.
    const QSizeF control = controlSizeForBand(s.shape == Shape::Oval, p->widthMm * mm.k * kTwipsPerMm,
                                              p->heightMm * mm.k * kTwipsPerMm);
    s.width = float(std::round(control.width()));
    s.height = float(std::round(control.height()));
    PresetValues out;
    for (const PropertyRow& row : propertyRows())
        if (!keeps(row, s))
            out.push_back({&row, row.get(s)});
    return out;
}

} // namespace plomet
