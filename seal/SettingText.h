#pragma once
// The seal's values by name, as text: what `--set NAME=VALUE`, the presets
// and the "样式" dialog read and assign, through the property table
// (seal/Properties.h). NAME is a property name or Width / Height, in any
// letter case; lengths are twips, or millimetres with an "mm" suffix (42mm is
// 2381 twips); Booleans True / False; colours decimal 0x00BBGGRR or #RRGGBB;
// other numbers plain decimal text; an empty value is the empty text.
#include <QString>
#include <QStringList>

namespace plomet {

class Plomet;

// Assigns one value. Throws PlometError naming the setting and why.
void applySetting(Plomet& seal, const QString& name, const QString& value);
// The same for "NAME=VALUE" in one string.
void applySetting(Plomet& seal, const QString& assignment);

// The names known, in property order, then Width and Height.
QStringList settingNames();

// The value as applySetting takes it back (lengths in twips). Throws
// PlometError for an unknown name.
QString settingText(const Plomet& seal, const QString& name);

// Whether the setting is a length (twips, or millimetres with "mm").
bool isLengthSetting(const QString& name);

// Every named value of `from` into `to`, size included.
void copySettings(const Plomet& from, Plomet& to);

} // namespace plomet
