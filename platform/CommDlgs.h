#pragma once
// The two common dialogs the windows ask the user through: a file to open or
// save, and a colour. Each call shows one modal Qt dialog over its owner and
// keeps no state between calls.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <QColor>
#include <optional>

class QColor;
class QWidget;

namespace plomet {

// mode 1 for an open dialog, any other value for a save dialog.
inline constexpr int kOpenDialog = 1;
inline constexpr int kSaveDialog = 0;

// Asks for a file. Returns the chosen absolute path, or an empty text when the
// user cancels.
//   owner       the window the dialog is modal over (may be null)
//   mode        kOpenDialog: only an existing file may be chosen;
//               otherwise a save dialog: the folder must exist, and choosing
//               an existing file asks the user to confirm replacing it
//   title       the dialog's caption; empty for the platform's own
//   initialFile the file name shown at first (callers pass the empty text)
//   filter      description/pattern pairs, all parts separated by NUL
//               characters: "电子公章描述文件 (*.PMF)" NUL "*.PMF"
//   initialDir  the folder shown at first
//   defaultExt  without dot ("PMF"); appended as ".PMF" to a name typed
//               without an extension
QString ShowFileDialog(QWidget* owner, int mode, const QString& title,
                       const QString& initialFile, const QString& filter,
                       const QString& initialDir, const QString& defaultExt);

// Asks for a colour. Returns it as 0x00BBGGRR (red in the low byte), or
// nullopt when the user cancels, so that pure black (0) can be chosen. The
// dialog opens at initial (when valid), and its 16 custom colours start
// black on every call.
std::optional<int32_t> ShowColorDialog(QWidget* owner, const QColor& initial = QColor());

// The filter text of ShowFileDialog as Qt name filters, one per pair:
// "desc (pattern)" ("desc" alone when it already ends in "(pattern)");
// several patterns separated by ';' become space-separated.
QStringList nameFiltersFromPairs(const QString& filter);

// A colour as 0x00BBGGRR.
int32_t colorRef(const QColor& color);

} // namespace plomet
