#include "Fonts.h"

#include <QFontDatabase>
#include <QGlyphRun>
#include <QHash>
#include <QTextLayout>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace plomet {

namespace {

// The installed faces that stand in for the Windows ones, best first. Noto
// CJK has a real Bold; WenQuanYi Zen Hei is the smaller fallback.
QStringList sansFaces()
{
    return {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei")};
}
QStringList serifFaces()
{
    return {QStringLiteral("Noto Serif CJK SC"), QStringLiteral("WenQuanYi Zen Hei")};
}

} // namespace

void installFaceSubstitutions()
{
    // Hei (sans) faces.
    for (const char* face : {"黑体", "SimHei", "微软雅黑", "Microsoft YaHei"})
        QFont::insertSubstitutions(QString::fromUtf8(face), sansFaces());
    // Song, Fang Song and Kai (serif) faces.
    for (const char* face : {"宋体", "SimSun", "新宋体", "NSimSun", "仿宋", "FangSong",
                             "仿宋_GB2312", "楷体", "KaiTi", "楷体_GB2312"})
        QFont::insertSubstitutions(QString::fromUtf8(face), serifFaces());
}

QFont makeFont(const QString& face, double pixelHeight, int weight)
{
    QFont font(face);
    // QFont takes whole pixels; callers that need a fractional height scale
    // the painter instead.
    const double px = std::isfinite(pixelHeight) ? std::nearbyint(pixelHeight) : 1.0;
    font.setPixelSize(static_cast<int>(std::clamp(px, 1.0, 32767.0)));
    // 800 is what the arc glyphs ask for; the CJK faces have Regular and
    // Bold only, so anything from 600 up must come out as the Bold face.
    font.setWeight(weight >= 800 ? QFont::ExtraBold
                 : weight >= 600 ? QFont::Bold
                                 : QFont::Normal);
    font.setKerning(false);
    return font;
}

QList<char32_t> missingGlyphs(const QString& face, const QString& text)
{
    // Answers per face and character are kept: a batch asks the same ones.
    thread_local QHash<QString, QHash<char32_t, bool>> known;
    QHash<char32_t, bool>& drawable = known[face];
    const QFont font = makeFont(face, 16, 400);
    QList<char32_t> missing;
    for (char32_t cp : text.toUcs4()) {
        if (cp <= 0x20 || (cp >= 0x7f && cp < 0xa0) || missing.contains(cp))
            continue;
        auto it = drawable.constFind(cp);
        if (it == drawable.constEnd()) {
            // Lay the character out alone: the text engine falls back through
            // every face it knows; glyph 0 means none of them has it.
            QTextLayout layout(QString::fromUcs4(&cp, 1), font);
            layout.beginLayout();
            layout.createLine();
            layout.endLayout();
            bool ok = true;
            for (const QGlyphRun& run : layout.glyphRuns())
                for (quint32 g : run.glyphIndexes())
                    ok = ok && g != 0;
            if (layout.glyphRuns().isEmpty())
                ok = false;
            it = drawable.insert(cp, ok);
        }
        if (!*it)
            missing << cp;
    }
    return missing;
}

} // namespace plomet
