#pragma once
// The program's own translation and Qt's for a locale.
#include <QLocale>

namespace plomet {

// Installs Qt's own translation (the standard dialogs and buttons, the
// command-line parser's messages) and ours for `locale`, when there are
// such. English needs none. Returns whether ours was found. Call once, after
// the application object is made.
bool installTranslations(const QLocale& locale);

// Installs the windows' own translation for `locale` (their texts are kept
// apart from the command line's). Returns whether it was found.
bool installWindowTranslations(const QLocale& locale);

} // namespace plomet
