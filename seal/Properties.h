#pragma once
// The property table: one row per seal value. The host's property store
// (InitProperties, ReadProperties, WriteProperties), the description file,
// the values by name (--set, the presets, the "样式" dialog), `plomet show`
// and the help texts all go through these rows. No Widgets.
//
// ADDING A PROPERTY: a member of SealSpec (seal/SealSpec.h) with its
// new-instance value, one row in makeRows (seal/Properties.cpp), and what it
// draws (seal/SealDrawing.cpp). Nothing else names it. A row, field by field:
//
//   {"InnerRing",               the name everywhere: store key, --set NAME,
//                               show, the description file's key; read in
//                               any letter case
//    ValueType::Double,         Boolean, Integer (16 bit), Long (32 bit),
//                               Single, Double, Text, Colour (0x00BBGGRR),
//                               Choice (one of `choices`, kept as its index)
//    kFileKey,                  kFileKey: an "InnerRing=57" line after line 20
//                               of the description file; 6..20 are the classic
//                               lines; kNotInFile
//    Unit::Twips,               Twips (the command line also takes "1.2mm"),
//                               Points, Degrees, Blanks, Face (a face
//                               name: the dialogs offer the installed ones)
//                               or None
//    "内圈宽度",                 the name the dialogs give it (their label,
//                               and their messages); "" for none
//    "width of a thin ring …",  meaning, for the help
//    "0 or more",               range in words ("" for the type's own)
//    "0: none",                 special values in words ("" for none)
//    FIELD(innerRing)},         the SealSpec member it reads and writes
//
// The new-instance value (InitProperties; also the store's default and, for
// a file key, the value a file without the key gives, which is never
// written) is the member's value in a default-constructed SealSpec.
// and, when needed, after `set`: choices ("Round=圆形|Oval=椭圆": each name
// and the label the dialogs show for it), then bounds low and
// high, then whole (true: 2.5 is refused rather than rounded); see Aging.
//
// Values travel as QVariant holding: bool (Boolean), int (Integer, Long,
// Colour, Choice), float (Single), double (Double), QString (Text).
#include "seal/SealSpec.h"
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cmath>
#include <vector>

namespace plomet {

enum class ValueType { Boolean, Integer, Long, Single, Double, Text, Colour, Choice };
enum class Unit { None, Twips, Points, Degrees, Blanks, Face };

// Where the description file keeps a value: a classic line (6 to 20), a
// "Key=Value" line after line 20, or nowhere.
constexpr int kFileKey = 0;
constexpr int kNotInFile = -1;

struct PropertyRow {
    const char* name;
    ValueType type;
    int fileLine;
    Unit unit;
    const char* label;
    const char* meaning;
    const char* range;
    const char* special;
    // The member's value, and the member set to a value (as normalised gives
    // it); nothing is announced or checked.
    QVariant (*get)(const SealSpec&);
    void (*set)(SealSpec&, const QVariant&);

    // Rarely needed; a new row usually leaves them out (or gives the first
    // few, in this order).
    const char* choices = nullptr;       // Choice: "Round=圆形|Oval=椭圆"
    double low = -HUGE_VAL;              // numbers: the least value taken
    double high = HUGE_VAL;              // numbers: the greatest value taken
    bool whole = false;                  // numbers: whole ones only (no rounding)
    bool kept = true;                    // in the host's store (not Width, Height)
    QVariant storeDefault = {};          // when the store's differs (FontBold)
    const char* storeReadKey = nullptr;  // when ReadProperties asks another key ("RText")
    bool announcedOnRead = false;        // ReadProperties assigns it announced (FontBold)

    QVariant newValue = {};              // filled from SealSpec{}: never given

    QString qname() const { return QLatin1String(name); }
    QString qlabel() const { return QString::fromUtf8(label); }
    QVariant defaultInStore() const { return storeDefault.isValid() ? storeDefault : newValue; }
    bool inFile() const { return fileLine != kNotInFile; }
    bool isFileKey() const { return fileLine == kFileKey; }
    bool isLength() const { return unit == Unit::Twips; }
    // The control's size rather than a property (the host places it).
    bool isSize() const { return !kept; }
};

// Every row: the fourteen classic properties in interface order, the later
// ones, then Width and Height.
const std::vector<PropertyRow>& propertyRows();
// The row named so, in any letter case; nullptr when there is none.
const PropertyRow* findProperty(const QString& name);
// The row named so exactly (a name the code itself uses); aborts on a typo.
const PropertyRow& property(const char* name);
// The row's position in propertyRows().
int propertyIndex(const PropertyRow& row);
// A Choice row's names ("Round", "Oval") and the labels the dialogs show
// for them ("圆形", "椭圆"), in index order.
QStringList choiceNames(const PropertyRow& row);
QStringList choiceLabels(const PropertyRow& row);
// The fourteen classic properties are the table's first rows.
bool isClassicProperty(const PropertyRow& row);

// The values of a control before its host initialises it: the fourteen
// classic properties 0, empty or False, the rest as a new seal's.
SealSpec createdSpec();

// The description file's classic lines 6 to 20, in line order.
std::vector<const PropertyRow*> fileLineRows();
// The rows kept as "Key=Value" lines after line 20, in table order.
std::vector<const PropertyRow*> fileKeyRows();
// The host's store: the classic rows in their classic read or write order,
// then the later ones in table order.
std::vector<const PropertyRow*> storeReadRows();
std::vector<const PropertyRow*> storeWriteRows();

// ---- values and their text ------------------------------------------------

// How a text is read. One parser, parseValue, reads every value of every
// place; the places differ only in these readings and in how they word the
// reason (the file and the command line use `problem` as it stands, the
// settings dialog and the host's store put it in their own messages).
//   File:    the description file: plain decimal numbers; a blank number is 0,
//            a blank Boolean False.
//   Setting: a value given by name (command line, presets, the "样式" dialog):
//            plain decimal, a blank number refused; lengths also in
//            millimetres ("1.2mm"), colours also as #RRGGBB.
//   Strict:  the settings dialog's size fields: plain decimal, a blank refused.
//   Lenient: the settings dialog's spacing and angle: read as far as the text
//            forms a number, never refused for its text ("3x" 3, "abc" 0).
//   Store:   a text in the host's property store: plain decimal, and for a
//            number True and False too (-1 and 0), as the store's values
//            convert.
// Every reading rounds a whole-number type half to even and refuses a number
// beyond the type (OutOfRange); all but Store also refuse one outside the
// row's own bounds (OutOfBounds): the classic store converts by type only.
enum class Reading { File, Setting, Strict, Lenient, Store };

// Why a text gives no value.
enum class ValueProblem { None, NotANumber, OutOfRange, OutOfBounds, NotABoolean, NotAChoice };

// A value, or the reason: its kind and in words ("“abc”不是数字").
struct ParsedValue {
    QVariant value;
    ValueProblem kind = ValueProblem::None;
    QString problem;
    bool ok() const { return kind == ValueProblem::None; }
};
ParsedValue parseValue(const PropertyRow& row, const QString& text, Reading reading);
// A number already read (a value of the host's store) in the row's type, as
// parseValue would give it; a Boolean is True when nonzero. `shown` is the
// value as a reason quotes it.
ParsedValue numberValue(const PropertyRow& row, double number, Reading reading, const QString& shown);

// The value as the description file writes it: plain decimal numbers,
// True / False, colours in signed decimal, a choice by its name.
QString valueText(const PropertyRow& row, const QVariant& value);

// The value in the row type's C++ type (bool, int, float, double, QString).
QVariant normalised(const PropertyRow& row, const QVariant& value);

// Help: one paragraph per row ("  NAME  meaning; unit; range; special"),
// lines at most `width` characters, each indented by `indent` blanks.
QString propertyHelp(int indent, int width);

} // namespace plomet
