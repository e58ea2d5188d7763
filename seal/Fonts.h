#pragma once
// Face names in description files are Windows faces ("黑体", "宋体", "SimHei"…).
// They are resolved to installed CJK faces of the same style, while the seal
// keeps the name the user gave.
#include <QFont>
#include <QList>
#include <QString>

namespace plomet {

// Registers the substitutions. Call once after the QGuiApplication exists and
// before any font of those families is resolved. Safe to call twice.
void installFaceSubstitutions();

// A font for drawing: face as named by the seal, em height in pixels, weight
// 400 / 700 / 800 (800 renders bold).
QFont makeFont(const QString& face, double pixelHeight, int weight);

// The characters of text (each once, in order of appearance) that neither the
// face nor any fallback face can draw: they would come out as empty boxes.
// Blanks and control characters are not counted.
QList<char32_t> missingGlyphs(const QString& face, const QString& text);

} // namespace plomet
