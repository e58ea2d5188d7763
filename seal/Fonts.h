#pragma once
// Face names in description files are Windows faces ("黑体", "宋体", "SimHei"…).
// They are resolved to installed CJK faces of the same style, while the seal
// keeps the name the user gave.
#include <QFont>
#include <QString>

namespace plomet {

// Registers the substitutions. Call once after the QGuiApplication exists and
// before any font of those families is resolved. Safe to call twice.
void installFaceSubstitutions();

// A font for drawing: face as named by the seal, em height in pixels, weight
// 400 / 700 / 800 (800 renders bold).
QFont makeFont(const QString& face, double pixelHeight, int weight);

} // namespace plomet
