#pragma once
// Our small stand-in for the GDI calls the arc text needs: a logical-font
// record, font handles, and a device context into which a font is selected.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <map>

namespace plomet {

// The logical-font record, field for field. lfFaceName holds the face in GBK,
// at most 31 bytes plus the terminating NUL.
struct LogFont {
    int32_t lfHeight = 0;        // negative: character height in pixels
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;    // tenths of a degree, counterclockwise
    int32_t lfOrientation = 0;
    int32_t lfWeight = 0;        // 400 normal, 800 bold
    uint8_t lfItalic = 0, lfUnderline = 0, lfStrikeOut = 0, lfCharSet = 0;
    uint8_t lfOutPrecision = 0, lfClipPrecision = 0, lfQuality = 0, lfPitchAndFamily = 0;
    char lfFaceName[32] = {};
};

using HFONT = uint32_t;           // 0 is no font

// Fills lfFaceName from a face name: converted to GBK, cut to 31 bytes (never
// inside a double-byte character), NUL terminated. Returns false when the name
// holds a character GBK cannot represent (the field then holds what fits before it).
bool setFaceName(LogFont& lf, const QString& face);
// The face name back as text.
QString faceName(const LogFont& lf);

// A device context: the fonts created for it and the one selected into it.
class GdiDC {
public:
    GdiDC();
    // The context's own handle: opaque, non-zero, distinct per context.
    int32_t handle() const noexcept { return handle_; }

    // Creates a font from the record; 0 when the record is unusable. A face
    // name that the record's GBK field cannot hold is passed as face: the
    // font then draws with the installed face nearest that name.
    HFONT CreateFontIndirectA(const LogFont& lf, const QString& face = QString());
    // Selects font into the context; returns the font selected before (0 for
    // the surface's own font).
    HFONT SelectObject(HFONT font);
    // Deletes a font; false for an unknown handle or the selected one.
    bool DeleteObject(HFONT font);

    HFONT selected() const noexcept { return selected_; }
    const LogFont* selectedFont() const;   // nullptr when none is selected
    // The face the selected font draws with (empty when none is selected).
    QString selectedFace() const;
    size_t liveFonts() const noexcept { return fonts_.size(); }
private:
    struct Font {
        LogFont lf;
        QString face;
    };
    std::map<HFONT, Font> fonts_;
    HFONT selected_ = 0;
    HFONT next_ = 1;
    int32_t handle_ = 0;
};

} // namespace plomet
