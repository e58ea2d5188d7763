#include "seal/Warnings.h"

#include "seal/DrawingModel.h"
#include "seal/Fonts.h"
#include "seal/Gbk.h"
#include "seal/Gdi.h"
#include "seal/GlyphOutlines.h"
#include "seal/Plomet.h"
#include "seal/Properties.h"
#include "seal/Units.h"

#include <QCoreApplication>
#include <QPolygonF>
#include <QTransform>
#include <cmath>
#include <optional>

namespace plomet {

namespace {

// Sizes outside these are almost always a unit slip (--set Width=42 is 42
// twips, 0.7 mm): real seals measure from about 20 to 60 mm.
constexpr double kSmallestMm = 10;
constexpr double kLargestMm = 100;

// A glyph box that shares more than this part of its area with a box of a
// lower line has run into it; two glyphs of the name that are not
// neighbours and share this much have gone round the ring onto each other.
constexpr double kOverlapShare = 0.10;

double area(const QPolygonF& p)
{
    double a = 0;
    for (qsizetype i = 0; i < p.size(); ++i) {
        const QPointF& u = p[i];
        const QPointF& v = p[(i + 1) % p.size()];
        a += u.x() * v.y() - v.x() * u.y();
    }
    return std::abs(a) / 2;
}

double overlapShare(const QPolygonF& a, const QPolygonF& b)
{
    if (!a.boundingRect().intersects(b.boundingRect()))
        return 0;
    const double smaller = std::min(area(a), area(b));
    return smaller > 0 ? area(a.intersected(b)) / smaller : 0;
}

// Names longer than this are looked at for their first glyphs only: the
// pairs grow with the square of the length.
constexpr size_t kMostGlyphsLookedAt = 2000;

// The box a drawn text covers, in twips: its cells from the top-left corner
// along its advance, the em high, turned as it was drawn.
QPolygonF boxOf(const DrawnText& t, const DrawingModel& model)
{
    const double width = textAdvance(t.face, wholePixels(t.pixelHeight), t.weight, t.text) * t.stretch
        * model.twipsPerPixelX;
    const double height = t.pixelHeight * model.twipsPerPixelY;
    QTransform turn;
    turn.translate(t.x, t.y);
    turn.rotate(t.angleDeg);
    return turn.map(QPolygonF(QRectF(0, 0, width, height)));
}

QString characterName(char32_t cp)
{
    return QStringLiteral("'%1' (U+%2)")
        .arg(QString::fromUcs4(&cp, 1), QStringLiteral("%1").arg(uint(cp), 4, 16, QLatin1Char('0')).toUpper());
}

} // namespace

QString warningPrefix()
{
    return QCoreApplication::translate("Seal", "warning: ");
}

QStringList textWarnings(const Plomet& seal)
{
    const struct { const char* name; QString text; } texts[] = {
        {"rText", seal.rText()},
        {"MidSign", seal.ShowStar() ? seal.MidSign().left(seal.MidSign().size() > 1
                                                          && seal.MidSign()[0].isHighSurrogate() ? 2 : 1)
                                    : QString()},
        {"pText", seal.pText()},
        {"pText1", seal.pText1()},
    };
    QStringList out;
    // The name's glyphs are made from a font record that holds the face name
    // in GBK; a name GBK cannot hold draws with the nearest installed face.
    LogFont record;
    const bool gbkFace = setFaceName(record, seal.FontName());
    bool drawsText = false;
    for (const auto& t : texts)
        drawsText = drawsText || !t.text.isEmpty();
    if (drawsText) {
        const QString style = faceStyleWarning(seal.FontName());
        if (!style.isEmpty())
            out << warningPrefix() + QStringLiteral("FontName: ") + style;
        // A name of no known style must be an installed family; anything
        // else (a typo, a face of another machine) is drawn in a fallback.
        else if ((gbkFace || seal.rText().isEmpty()) && faceStyle(seal.FontName()) == FaceStyle::Other
                 && !familyInstalled(seal.FontName()))
            out << warningPrefix() + QCoreApplication::translate("Seal", "FontName: no face '%1' is installed; it is drawn in %2")
                       .arg(seal.FontName(), resolvedFamily(seal.FontName()));
    }
    if (!seal.rText().isEmpty() && !gbkFace)
        out << warningPrefix() + QCoreApplication::translate("Seal", "FontName: '%1' cannot be written in GBK; the company name is drawn with the nearest installed face")
                   .arg(seal.FontName());
    for (const auto& t : texts)
        for (char32_t cp : missingGlyphs(seal.FontName(), t.text))
            out << warningPrefix() + QCoreApplication::translate("Seal", "%1: no glyph for %2 in %3 or any fallback face; it is drawn as an empty box")
                       .arg(QLatin1String(t.name), characterName(cp), seal.FontName());
    return out;
}

QStringList fileWarnings(const Plomet& seal)
{
    QStringList out;
    for (const PropertyRow& row : propertyRows()) {
        if (row.type != ValueType::Text || !row.inFile())
            continue;
        QList<char32_t> outside;
        for (uint cp : seal.value(row).toString().toUcs4())
            if (!gbkCharacter(char32_t(cp)) && !outside.contains(char32_t(cp)))
                outside << char32_t(cp);
        for (char32_t cp : outside)
            out << warningPrefix() + QCoreApplication::translate("Seal", "%1: %2 is not a GBK character; the description file keeps it as GB18030")
                       .arg(row.qname(), characterName(cp));
    }
    return out;
}

NameLayout NameLayout::of(const Plomet& seal)
{
    return {seal.Fit(), seal.rText(), {seal.pText(), seal.pText1()}};
}

QStringList layoutWarnings(const NameLayout& seal, const DrawingModel& model, bool sizeInMillimetres)
{
    QStringList out;
    const double wMm = model.widthTwips / kTwipsPerMm, hMm = model.heightTwips / kTwipsPerMm;
    if (std::min(wMm, hMm) < kSmallestMm || std::max(wMm, hMm) > kLargestMm)
        out << warningPrefix()
                   + (sizeInMillimetres
                          ? QCoreApplication::translate("Seal", "Width, Height: the seal is %1 x %2 mm, %3; in a table, sizes without a unit are millimetres")
                          : QCoreApplication::translate("Seal", "Width, Height: the seal is %1 x %2 mm, %3; sizes without a unit are twips (1 mm = 56.7 twips): write 42mm for 42 millimetres"))
                   .arg(wMm, 0, 'f', 1)
                   .arg(hMm, 0, 'f', 1)
                   .arg(std::min(wMm, hMm) < kSmallestMm ? QCoreApplication::translate("Seal", "smaller than any seal (under 10 mm)")
                                                         : QCoreApplication::translate("Seal", "larger than any seal (over 100 mm)"));
    if (seal.fit || seal.name.isEmpty())
        return out;

    // The classic layout sets the name at a fixed size and spacing: a long
    // one goes on along the ring. Its glyphs are the model's run of single
    // characters that spells the name; the lower lines are the texts that
    // hold pText and pText1.
    const QList<uint> name = seal.name.toUcs4();
    std::vector<QPolygonF> glyphs, lower;
    for (size_t i = 0; i < model.items.size(); ++i) {
        const auto* t = std::get_if<DrawnText>(&model.items[i]);
        if (!t)
            continue;
        if (!t->text.isEmpty() && seal.lower.contains(t->text))
            lower.push_back(boxOf(*t, model));
    }
    // One pass: the run restarts at a glyph that breaks it; the longest
    // run from the name's first character counts (a name far too long for
    // any ring is drawn only in part).
    QStringList chars;
    for (uint cp : name)
        chars << QString::fromUcs4(reinterpret_cast<const char32_t*>(&cp), 1);
    std::vector<const DrawnText*> run, longest;
    for (size_t i = 0; i <= model.items.size() && longest.size() < size_t(chars.size()); ++i) {
        const auto* t = i < model.items.size() ? std::get_if<DrawnText>(&model.items[i]) : nullptr;
        if (t && run.size() < size_t(chars.size()) && t->text == chars[qsizetype(run.size())]) {
            run.push_back(t);
            continue;
        }
        if (run.size() > longest.size())
            longest = run;
        run.clear();
        if (t && t->text == chars[0])
            run.push_back(t);
    }
    if (run.size() > longest.size())
        longest = run;
    // Two glyphs of a name at least: one alone overlaps nothing of its own.
    for (size_t i = 0; longest.size() > 1 && i < longest.size() && i < kMostGlyphsLookedAt; ++i)
        glyphs.push_back(boxOf(*longest[i], model));
    bool intoLower = false, overItself = false;
    for (size_t i = 0; i < glyphs.size() && !overItself; ++i) {
        for (const QPolygonF& line : lower)
            intoLower = intoLower || overlapShare(glyphs[i], line) > kOverlapShare;
        for (size_t j = i + 2; j < glyphs.size() && !overItself; ++j)
            overItself = overlapShare(glyphs[i], glyphs[j]) > kOverlapShare;
    }
    if (overItself)
        out << warningPrefix() + QCoreApplication::translate("Seal", "rText: the company name (%1 characters) goes round the ring over itself; Fit=True fits it to the ring")
                   .arg(name.size());
    else if (intoLower)
        out << warningPrefix() + QCoreApplication::translate("Seal", "rText: the company name (%1 characters) runs into the lower line; Fit=True fits it to the ring")
                   .arg(name.size());
    return out;
}

QStringList sealWarnings(const Plomet& seal, const DrawingModel& model)
{
    return textWarnings(seal) + layoutWarnings(NameLayout::of(seal), model);
}

} // namespace plomet
