#include "seal/Fonts.h"

#include "seal/GlyphOutlines.h"

#include <QCoreApplication>
#include <QHash>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <iterator>
#include <mutex>
#include <optional>
#include <vector>

namespace plomet {

namespace {

// One row per style: the Windows names that ask for it, and the installed
// faces that draw it, best first. 仿宋 has no row of faces: Debian has no
// FangSong face for simplified Chinese (cwTeX's covers traditional
// characters only), so it is drawn in its nearest style and warned about.
struct StyleRow {
    FaceStyle style;
    const char* name;
    std::initializer_list<const char*> windowsNames;
    std::initializer_list<const char*> faces;
    FaceStyle nearest;   // drawn in this style when none of `faces` is installed
};

const StyleRow kStyles[] = {
    {FaceStyle::Hei, "黑体", {"黑体", "SimHei", "微软雅黑", "Microsoft YaHei"},
     // Noto CJK has real Bold faces; WenQuanYi Zen Hei is the smaller fallback.
     {"Noto Sans CJK SC", "WenQuanYi Zen Hei"}, FaceStyle::Song},
    {FaceStyle::Song, "宋体", {"宋体", "SimSun", "新宋体", "NSimSun"},
     {"Noto Serif CJK SC"}, FaceStyle::Hei},
    {FaceStyle::Kai, "楷体", {"楷体", "KaiTi", "楷体_GB2312", "STKaiti"},
     {"AR PL UKai CN", "LXGW WenKai"}, FaceStyle::Song},
    {FaceStyle::FangSong, "仿宋", {"仿宋", "FangSong", "仿宋_GB2312", "STFangsong"},
     {}, FaceStyle::Song},
    // Metric twins of Arial first.
    {FaceStyle::Latin, "Arial", {"Arial"}, {"Liberation Sans", "Nimbus Sans", "DejaVu Sans"},
     FaceStyle::Other},
};

// Qt lists a family that several foundries make once per foundry, as
// "Nimbus Sans [urw]".
QString withoutFoundry(const QString& family)
{
    const qsizetype bracket = family.lastIndexOf(QLatin1String(" ["));
    return bracket > 0 && family.endsWith(QLatin1Char(']')) ? family.left(bracket) : family;
}

const StyleRow* rowOf(FaceStyle style)
{
    for (const StyleRow& row : kStyles)
        if (row.style == style)
            return &row;
    return nullptr;
}

bool isCjk(FaceStyle style)
{
    return style != FaceStyle::Latin && style != FaceStyle::Other;
}

// The faces of the table that may stand for the style, as installed: for
// the CJK styles those that cover simplified Chinese (what `fc-list
// :lang=zh-cn` lists). Only the table's faces are asked about: listing every
// installed family with its languages cost more than drawing a lone seal.
// Asked once a style for the whole process: the program adds no fonts.
QStringList familiesFor(FaceStyle style)
{
    static std::mutex mutex;
    static std::optional<QStringList> known[int(FaceStyle::Latin) + 1];
    std::lock_guard<std::mutex> lock(mutex);
    std::optional<QStringList>& out = known[int(style)];
    if (!out) {
        out.emplace();
        for (const StyleRow& row : kStyles)
            for (const char* f : row.faces) {
                const QString face = QString::fromUtf8(f);
                if (familyInstalled(face, isCjk(style)))
                    *out << face;
            }
    }
    return *out;
}

// The faces a style name draws in, in order: the style's own, then its
// nearest style's; the Hei fallback closes every CJK list.
QStringList substitutesOf(const StyleRow& row)
{
    QStringList out;
    for (const char* f : row.faces)
        out << QString::fromUtf8(f);
    if (const StyleRow* near = rowOf(row.nearest)) {
        for (const char* f : near->faces)
            if (!out.contains(QString::fromUtf8(f)))
                out << QString::fromUtf8(f);
    }
    if (isCjk(row.style) && !out.contains(QStringLiteral("WenQuanYi Zen Hei")))
        out << QStringLiteral("WenQuanYi Zen Hei");
    return out;
}

} // namespace

FaceStyle faceStyle(const QString& face)
{
    const QString name = face.trimmed();
    for (const StyleRow& row : kStyles)
        for (const char* n : row.windowsNames)
            if (name.compare(QString::fromUtf8(n), Qt::CaseInsensitive) == 0)
                return row.style;
    return FaceStyle::Other;
}

QString faceStyleName(FaceStyle style)
{
    const StyleRow* row = rowOf(style);
    return row ? QString::fromUtf8(row->name) : QString();
}

QStringList installedFacesOfStyle(FaceStyle style, const QStringList& families)
{
    QStringList out;
    const StyleRow* row = rowOf(style);
    if (!row)
        return out;
    for (const char* f : row->faces) {
        const QString face = QString::fromUtf8(f);
        for (const QString& family : families)
            if (withoutFoundry(family).compare(face, Qt::CaseInsensitive) == 0) {
                out << face;
                break;
            }
    }
    return out;
}

QStringList installedFacesOfStyle(FaceStyle style)
{
    return installedFacesOfStyle(style, familiesFor(style));
}

void installFaceSubstitutions()
{
    for (const StyleRow& row : kStyles) {
        const QStringList faces = substitutesOf(row);
        for (const char* name : row.windowsNames)
            QFont::insertSubstitutions(QString::fromUtf8(name), faces);
    }
}

QStringList faceFamilies(const QString& face)
{
    const StyleRow* row = rowOf(faceStyle(face));
    return row ? substitutesOf(*row) : QStringList{face};
}

QString resolvedFamily(const QString& face)
{
    return primaryFamily(face);
}

QString faceStyleWarning(const QString& face, const QStringList& families)
{
    const FaceStyle style = faceStyle(face);
    const StyleRow* row = rowOf(style);
    if (!row || !installedFacesOfStyle(style, families).isEmpty())
        return QString();
    // Walk to the nearest style that has a face, as the substitutions do.
    QString standIn;
    QString standInStyle;
    const StyleRow* near = rowOf(row->nearest);
    for (size_t hops = 0; near && standIn.isEmpty() && hops < std::size(kStyles); ++hops) {
        const QStringList faces = installedFacesOfStyle(near->style, families);
        if (!faces.isEmpty()) {
            standIn = faces.first();
            standInStyle = QString::fromUtf8(near->name);
        }
        near = rowOf(near->nearest);
    }
    const QString what = isCjk(style) ? QCoreApplication::translate("Seal", "no %1 face for simplified Chinese is installed")
                                      : QCoreApplication::translate("Seal", "no %1 face is installed");
    return QCoreApplication::translate("Seal", "%1; %2 is drawn in %3")
        .arg(what.arg(QString::fromUtf8(row->name)), face,
             standIn.isEmpty() ? QCoreApplication::translate("Seal", "a fallback face")
                               : QCoreApplication::translate("Seal", "the nearest style, %1 (%2)").arg(standInStyle, standIn));
}

QString faceStyleWarning(const QString& face)
{
    const FaceStyle style = faceStyle(face);
    if (style == FaceStyle::Other)
        return QString();
    return faceStyleWarning(face, familiesFor(style));
}

int wholePixels(double pixelHeight)
{
    const double rounded = std::isfinite(pixelHeight) ? std::nearbyint(pixelHeight) : 1.0;
    return static_cast<int>(std::clamp(rounded, 1.0, 32767.0));
}

QFont makeFont(const QString& face, double pixelHeight, int weight)
{
    const int px = wholePixels(pixelHeight);
    // 800 is what the arc glyphs ask for; the CJK faces have Regular and
    // Bold only, so anything from 600 up must come out as the Bold face.
    const QFont::Weight w = weight >= 800 ? QFont::ExtraBold : weight >= 600 ? QFont::Bold : QFont::Normal;

    // The fonts handed out are kept, a few hundred a thread. Qt keeps a
    // font engine only while some font refers to it: once its cache holds a
    // few hundred entries it drops the rest, and every engine made again
    // costs fontconfig matches. A batch of distinct seals asks for the same
    // few dozen faces, sizes and weights over and over (set B of the
    // benchmarks made 733 engines for 1000 seals; kept, 103).
    struct Kept {
        QString face;
        int px;
        QFont::Weight weight;
        QFont font;
    };
    thread_local std::vector<Kept> kept;
    for (const Kept& k : kept)
        if (k.px == px && k.weight == w && k.face == face)
            return k.font;
    if (kept.size() >= 256)
        kept.clear();

    QFont font(face);
    font.setPixelSize(px);
    font.setWeight(w);
    font.setKerning(false);
    kept.push_back({face, px, w, font});
    return font;
}

QList<char32_t> missingGlyphs(const QString& face, const QString& text)
{
    QList<char32_t> missing;
    for (char32_t cp : text.toUcs4()) {
        if (cp <= 0x20 || (cp >= 0x7f && cp < 0xa0) || missing.contains(cp))
            continue;
        // Neither the face nor any fallback face maps it.
        if (drawingFace(face, 400, cp).family.isEmpty())
            missing << cp;
    }
    return missing;
}

} // namespace plomet
