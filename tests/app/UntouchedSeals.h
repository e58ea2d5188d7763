#pragma once
// Seals that a dialog opened and applied without a touch must leave exactly
// as they were: round, oval and fitted, with lengths no millimetre text of
// three decimals gives back, sizes of 0 that are chosen when drawn, and a
// face that is not installed.
#include "seal/Plomet.h"
#include "seal/Presets.h"
#include "seal/SettingText.h"

namespace plomet::test {

struct UntouchedSeal {
    const char* name;
    const char* preset;           // applied first; nullptr for none
    const char* settings[6];      // then these, NAME=VALUE; nullptr ends
};

inline const UntouchedSeal kUntouchedSeals[] = {
    {"classic round", nullptr, {"FontSize=0", "StarSize=0", "Space=3", "Degree=-2", nullptr}},
    {"oval preset", "发票专用章", {"rText=Tervin贸易有限公司", "MidText=91110108MA01ABCD2X", nullptr}},
    {"fitted round", "合同专用章", {"RingWidth=11.5", "InnerRing=71", "InnerRingGap=40.25", "CodeSpace=-3",
                                  "CodeFontName=NoSuchFace", nullptr}},
    {"oval 40 x 30 mm", nullptr, {"Shape=Oval", "Width=2268", "Height=1701", "FontName=宋体", nullptr}},
};

inline void applyUntouched(Plomet& seal, const UntouchedSeal& row)
{
    if (row.preset) {
        const std::optional<PresetValues> values = presetSettings(QString::fromUtf8(row.preset));
        for (const auto& [property, value] : *values)
            seal.setValue(*property, value);
    }
    for (const char* const* s = row.settings; *s; ++s)
        applySetting(seal, QString::fromUtf8(*s));
}

} // namespace plomet::test
