#pragma once
// "盖章到PDF…": shows the pages of a PDF document at their true proportions
// (Qt PDF renders them), lets the user drag the seal to its place, turn it,
// choose the pages or the cross-page seal, and saves the stamped document as
// a new PDF through the stamping library, or signs it with the seal as the
// signature's appearance. Errors go to a message box; the program keeps
// running.
#include "stamp/PdfStamp.h"
#include "seal/SealPicture.h"

#include <QDialog>
#include <QImage>
#include <QString>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPdfDocument;
class QSpinBox;

namespace plomet {

class Plomet;

// The text of the seal's context-menu entry.
// The menu entry's text, translated ("盖章到PDF…").
QString stampMenuText();

class StampPreview;

class StampDialog : public QDialog {
    Q_OBJECT
public:
    // pdfPath: the document, already inspected (info); picture: the seal.
    StampDialog(QWidget* owner, const QString& pdfPath, PdfInfo info, PicturePtr picture);
    ~StampDialog() override;

    // What will be stamped, as the controls say.
    StampPlacement placement() const;
    // The page shown (0-based).
    int shownPage() const;
    void showPage(int index);
    // The shown page's size as seen, in mm.
    QSizeF shownPageSizeMm() const;
    // The seal's centre as seen on the shown page, in mm (single seal), or
    // the height of a cross-page seal.
    void setSealCentreMm(const QPointF& centre);
    QPointF sealCentreMm() const { return centreMm_; }

    // The impression on the shown page as planned, if any; the message of a
    // placement that cannot be, otherwise.
    std::optional<SealImpression> shownImpression(QString* problem = nullptr) const;

    // Stamps into outPath; errors and warnings go to message boxes. Returns
    // true when the file was written. When 签名 is chosen, the seal signs
    // the document with the certificate file and password given, and a
    // message box says whether the written signature verified.
    bool saveTo(const QString& outPath);

    // The preview's scale, in pixels per millimetre.
    double previewScale() const;
    QWidget* preview() const;

private:
    void placementChanged();
    void showCentre();
    void save();

    QString pdfPath_;
    PdfInfo info_;
    PicturePtr picture_;
    std::unique_ptr<QPdfDocument> document_;
    QPointF centreMm_;
    StampPreview* preview_ = nullptr;
    QSpinBox* page_ = nullptr;
    QComboBox* mode_ = nullptr;
    QLineEdit* pages_ = nullptr;
    QDoubleSpinBox* angle_ = nullptr;
    QDoubleSpinBox* x_ = nullptr;   // the centre in mm from the left (single seal)
    QDoubleSpinBox* y_ = nullptr;   // ... from the top (also a cross-page seal's height)
    QLabel* status_ = nullptr;
    QCheckBox* sign_ = nullptr;
    QLineEdit* certificate_ = nullptr;
    QLineEdit* password_ = nullptr;
};

// Asks for a PDF document, shows the dialog for the seal's last picture and
// saves the stamped copy. Errors in message boxes.
void stampSealOntoPdf(QWidget* owner, const Plomet& seal, const QString& initialDir);

} // namespace plomet
