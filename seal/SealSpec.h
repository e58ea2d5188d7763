#pragma once
// One seal as a plain value: a typed member for every row of the property
// table (seal/Properties.h), whose row reads and writes it. A
// default-constructed spec is a new seal. Nothing here draws, announces or
// checks a range: the readers of files and command lines check theirs, and
// the drawing (seal/SealDrawing.h) works out automatic sizes without writing
// them back.
//
// Lengths are twips (1440 an inch, 567 a centimetre); sizes of type are
// points. Colours are 0x00BBGGRR (255 red, 12582912 dark blue); a value
// with the top bit set, 0x80000000 + index, is a system colour.
#include "seal/SealForm.h"
#include <QString>
#include <cstdint>

namespace plomet {

// The seal forms beyond the classic seal are the SealForm part (their
// drawing functions take it alone).
struct SealSpec : SealForm {
    // --- the fourteen classic properties, in interface order ---
    bool showStar = true;      // the centre sign is drawn (MidSign's first character)
    bool showDate = false;     // stored and kept, never drawn, not in description files
    bool fontBold = false;     // the name and the sign (the lower lines never are)
    QString midSign = QStringLiteral("★");
    // Points. 0: drawn as 24; below 0: no sign. The lower lines sit
    // starSize + 150 and 2 starSize + 350 twips below the centre.
    int16_t starSize = 24;
    // Degrees clockwise from 12 o'clock where the name starts. -1: centred on
    // 12 o'clock; -2: once around the full circle.
    double degree = -1;
    QString pText;                              // the lines below the centre,
    QString pText1 = QStringLiteral("专用章");   // empty: not drawn
    int32_t foreColor = 255;
    QString fontName = QStringLiteral("黑体");
    // Points. 0: drawn at 16 for a name of under 6 characters, else 12.
    float fontSize = 12;
    // Blanks after every character of the name but the last; below 0: none.
    int32_t space = 1;
    int32_t backColor = 0;     // stored and kept, never drawn
    QString rText = QStringLiteral("Qorvel软件有限公司");

    // --- worn ink (see Wear.cpp): 0 (the exact drawing) .. 100, and which wear ---
    int aging = 0;
    int32_t agingSeed = 0;

    // --- the seal's area, twips (the control's size, set by its host) ---
    float width = 2055;
    float height = 2055;

    // Equal in every row of the property table.
    bool operator==(const SealSpec& o) const;
    bool operator!=(const SealSpec& o) const { return !(*this == o); }
};

} // namespace plomet
