#pragma once
// The settings dialog: edits every property of the main window's seal.
//
// It keeps no copy of the seal: ReadData copies the seal into the fields when
// the dialog opens, WriteData copies the fields back ("更 改", "应 用"), and
// the colour button applies its colour at once. Typing changes nothing in the
// seal until then.
#include <QColor>
#include <QDialog>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <vector>

#include "seal/Properties.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace plomet {

class Plomet;
class SealPreview;
class frmMain;

class frmOption : public QDialog {
    Q_OBJECT
public:
    // Modeless, no owner window; deletes itself when closed. Runs Form_Load.
    explicit frmOption(frmMain& main);
    ~frmOption() override;

    // Seal to fields: the fourteen steps, the size boxes through their texts
    // so that the size coupling runs.
    void ReadData();
    // Fields to seal: thirteen plain writes in a fixed order, then Draw.
    // Throws PlometError at the first field that does not convert; the writes
    // before it have taken effect, the later ones have not, nothing is drawn.
    void WriteData();

    // The colour cmdColor shows, 0x00BBGGRR (the seal's ForeColor as last read
    // or chosen here).
    int32_t faceColor() const { return faceColor_; }

    // The classic client area in twips, as laid out; the preview pane
    // stands to the right of it.
    static constexpr int kClientWidthTwips = 6570;
    static constexpr int kClientHeightTwips = 6825;
    static constexpr int kPreviewWidthTwips = 3600;

    // The preview: the seal as the fields would make it, redrawn as the user
    // types; the main window's seal changes only on "应 用"/"更 改".
    SealPreview& preview() { return *preview_; }
    // Redraws the preview from the fields now (typing schedules it).
    void updatePreview();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();
    void cWidth_Change();
    void cHeight_Change();
    void cmdColor_Click();
    void cmdOption_Click();
    void cmdRefresh_Click();

    // A field of the dialog and the row of the property table it edits. How
    // it shows the value follows from the control: a check box is checked
    // when True, the colour button shows it as its face, a text box or
    // drop-down list holds the value's text (number text for a number).
    struct Field {
        const char* property;   // the row's name
        QWidget* control;
        Reading reading;        // for a number: Strict or Lenient
    };

    void buildControls();
    const Field& field(const char* property) const;
    void readField(const Field& f, const Plomet& seal);
    void writeField(const Field& f, Plomet& seal);
    // The thirteen writes of WriteData into any seal, without Draw.
    void writeFields(Plomet& seal);
    void schedulePreview();
    void setFaceColor(int32_t color);
    // WriteData behind a message: false (with the message shown and the
    // focus on the failing field) when it failed.
    bool writeOrExplain();

    std::vector<Field> fields_;
    QPointer<frmMain> main_;
    int32_t faceColor_ = 0;
    QWidget* failedField_ = nullptr;   // the field WriteData stopped at

    QLineEdit* rText_ = nullptr;
    QLineEdit* pText_ = nullptr;
    QLineEdit* pText1_ = nullptr;
    QLineEdit* cWidth_ = nullptr;
    QLineEdit* cHeight_ = nullptr;
    QCheckBox* chkDist_ = nullptr;
    QLabel* sizeMm_ = nullptr;          // the two sizes in millimetres
    void showSizeMm();
    QCheckBox* chkStar_ = nullptr;
    QLineEdit* MidSign_ = nullptr;
    QComboBox* cboSignSize_ = nullptr;
    QComboBox* cboFont_ = nullptr;
    QComboBox* cboSize_ = nullptr;
    QCheckBox* chkFontBold_ = nullptr;
    QLineEdit* CharSpace_ = nullptr;
    QPushButton* cmdColor_ = nullptr;
    QLineEdit* Degree_ = nullptr;
    QPushButton* cmdOption_ = nullptr;
    QPushButton* cmdRefresh_ = nullptr;
    QPushButton* cmdStyle_ = nullptr;   // opens the "样式" dialog
    SealPreview* preview_ = nullptr;
    QLabel* previewNote_ = nullptr;
    bool previewPending_ = false;
};

// A colour value 0x00BBGGRR as a QColor; a value with the top bit set names a
// system colour (0x80000000 + index), shown as the seal draws it (colorToRgb).
QColor colorFromRef(int32_t ref);

// The caption colour that reads best on a field of colour face: black or white.
QColor captionColorOn(const QColor& face);

} // namespace plomet
