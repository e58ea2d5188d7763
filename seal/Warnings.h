#pragma once
// Warnings before a seal looks wrong: a face that is not installed, a
// character no face can draw, a classic name that runs into the lower lines
// or round the ring over itself, a size no seal has. One line each, for the
// command line's stderr and the window's status line; the seal is still
// drawn as asked.
#include <QString>
#include <QStringList>

namespace plomet {

class Plomet;

// "warning: " in the user's language: every warning line starts with it, so
// that a window can drop it where a status line says as much.
QString warningPrefix();
struct DrawingModel;

// Warnings about the seal's faces and texts (no drawing needed).
QStringList textWarnings(const Plomet& seal);

// What the layout warnings look for in a drawn seal: its texts and layout,
// taken before it is drawn (a caller may not keep the seal).
struct NameLayout {
    bool fit = false;
    QString name;          // rText
    QStringList lower;     // pText, pText1
    static NameLayout of(const Plomet& seal);
};

// Warnings about what Draw made of the seal: its size and, in the classic
// layout, where the company name's glyphs went. sizeInMillimetres: the size
// was given where a number alone is millimetres (a table of seals), not
// twips, and the hint says so.
QStringList layoutWarnings(const NameLayout& seal, const DrawingModel& model, bool sizeInMillimetres = false);

// Characters of the seal's texts that GBK, the description file's code,
// cannot hold: the file keeps them as GB18030, which older readers of the
// format may not know.
QStringList fileWarnings(const Plomet& seal);

// Both.
QStringList sealWarnings(const Plomet& seal, const DrawingModel& model);

} // namespace plomet
