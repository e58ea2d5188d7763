#pragma once
// Exporting the seal from the main window without touching its buttons: a
// context menu on the seal ("导出图片…") writes the picture of the last Draw as
// PNG (any resolution, optionally transparent), BMP, SVG or PDF through the export
// writers, and dragging the seal out of the window hands other programs a PNG.
#include "formats/Export.h"
#include "seal/SealPicture.h"

#include <QDialog>
#include <QString>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QMimeData;
class QSpinBox;
class QWidget;

namespace plomet {

class Plomet;
class PlometWidget;

// The texts of the menu entries, translated ("导出图片…", "样式…").
QString exportMenuText();
QString styleMenuText();

// Asks for the format and, for PNG, the resolution and the transparency.
class ExportDialog : public QDialog {
    Q_OBJECT
public:
    // widthTwips x heightTwips: the seal's size, to show the raster's size in pixels.
    ExportDialog(QWidget* owner, double widthTwips, double heightTwips);

    // A format of the export table (exportFormats()).
    QString format() const;
    // The resolution (dots per inch, PNG only) and the transparency (PNG only).
    ExportOptions options() const;

    // Raster resolutions the dialog offers, in dots per inch.
    static constexpr int kMinDpi = 24;
    static constexpr int kMaxDpi = 2400;
    static constexpr int kDefaultDpi = 300;

private:
    void updateFields();

    double widthTwips_, heightTwips_;
    QComboBox* format_ = nullptr;
    QSpinBox* dpi_ = nullptr;
    QCheckBox* transparent_ = nullptr;
    QLabel* pixels_ = nullptr;
};

// The mime data that a drag of the seal carries: "image/png" with a transparent
// background at 96 dpi (the screen picture pixel for pixel, recording its
// resolution), the same image as Qt's image data, and, when fileFolder is not
// empty, that PNG written there as a file, offered as its URL to programs that
// take files rather than data. Throws PlometError when the PNG cannot be made;
// a file that cannot be written only leaves the URL out.
QMimeData* sealDragMimeData(const SealPicture& picture, const QString& fileFolder = QString());

// The seal's context menu, owned by parent: exportMenuText(), stampMenuText(),
// extractMenuText(), then styleMenuText() (the "样式" dialog).
QMenu* sealContextMenu(QWidget* parent);

// The seal's commands, one action each (named by objectName: exportPicture,
// stampPdf, extractSeal, styleDialog), owned by parent: the context menu
// and the main window's tool bar show the same ones.
QList<QAction*> sealActions(QObject* parent);
// Runs the command of that name on the seal of sealWidget (one with
// installExportMenu), as its context menu does.
void runSealAction(PlometWidget& sealWidget, const QString& action);

// Asks for format and options, then for the file (starting in initialDir), and
// writes the picture of the seal's last Draw there. Cancelling either dialog
// writes nothing. Returns the path written, or an empty text when cancelled.
// Throws PlometError when there is no picture or the file cannot be written.
QString exportSealPicture(QWidget* owner, const Plomet& seal, const QString& initialDir);

// Gives the seal control in the main window its context menu and its drag.
void installExportMenu(PlometWidget& sealWidget);

} // namespace plomet
