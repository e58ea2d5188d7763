#pragma once
// Face names in description files are Windows faces ("黑体", "宋体", "SimHei"…).
// They are resolved to installed faces of the same style (Hei, Song, Kai,
// FangSong, Latin), while the seal keeps the name the user gave.
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

namespace plomet {

// The styles a Windows face name stands for.
enum class FaceStyle { Other, Hei, Song, Kai, FangSong, Latin };

// The style of a Windows face name ("楷体", "KaiTi", "楷体_GB2312" are Kai);
// any letter case. Other for a name of no known style (an installed family).
FaceStyle faceStyle(const QString& face);
// The style's own Chinese name: "黑体", "宋体", "楷体", "仿宋", or "Arial".
QString faceStyleName(FaceStyle style);

// The installed families that draw a style, best first, from the given
// family list (all installed families by default): only faces that cover
// simplified Chinese for the CJK styles. Empty when none is installed.
QStringList installedFacesOfStyle(FaceStyle style);
QStringList installedFacesOfStyle(FaceStyle style, const QStringList& families);

// The families a face name draws in, first choice first: the installed
// faces of its style and then of its nearest style for a Windows name, the
// name itself for any other.
QStringList faceFamilies(const QString& face);

// An em height as a font takes it: whole pixels from 1 to 32767.
int wholePixels(double pixelHeight);

// Registers the substitutions for Qt's own text (the windows' fonts). Call once after the QGuiApplication exists and
// before any font of those families is resolved. Safe to call twice.
void installFaceSubstitutions();

// A Qt font for the face as named by the seal, em height in pixels, weight
// 400 / 700 / 800 (800 is bold): for Qt's own text; the seal's texts are
// measured and drawn by the engine in GlyphOutlines.h.
QFont makeFont(const QString& face, double pixelHeight, int weight);

// The installed family that draws `face` (after substitution).
QString resolvedFamily(const QString& face);

// One sentence when `face` names a style that no installed face has, so that
// it is drawn in the nearest style: names the style and what stands in for it
// ("no 仿宋 face for simplified Chinese is installed; 仿宋 is drawn in the
// nearest style, 宋体 (Noto Serif CJK SC)").
// Empty when the face draws in its own style, or names no known style.
QString faceStyleWarning(const QString& face);
QString faceStyleWarning(const QString& face, const QStringList& families);

// The characters of text (each once, in order of appearance) that neither the
// face nor any fallback face can draw: they would come out as empty boxes.
// Blanks and control characters are not counted.
QList<char32_t> missingGlyphs(const QString& face, const QString& text);

} // namespace plomet
