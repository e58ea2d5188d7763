#pragma once
// The "样式" dialog: edits the seal's form (shape, rings, the code along the
// lower arc, the middle line, the fitted layout) and its worn ink (做旧: a
// level slider, a seed field and "换一个"), and applies presets, with a
// live preview of the pending seal. "应 用" writes the pending values into the
// seal and draws it; the close box throws them away. A field that does not
// convert is named in a message and nothing is written.
#include "seal/Presets.h"
#include <QDialog>
#include <QPointer>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace plomet {

class Plomet;

class frmStyle : public QDialog {
    Q_OBJECT
public:
    // Modeless, deletes itself when closed; reads the seal into the fields.
    explicit frmStyle(Plomet& seal, QWidget* owner = nullptr);
    ~frmStyle() override;

    // Shows the one dialog of `seal`, creating it when there is none, and
    // brings it to the front.
    static frmStyle* showFor(Plomet& seal, QWidget* owner = nullptr);

    // How "应 用" runs on `seal`: a host that keeps an undo history registers
    // its recorder, so that what this dialog writes becomes one step it can
    // take back. An empty recorder removes it.
    using ChangeRecorder = std::function<void(const QString& what, const std::function<void()>& change)>;
    static void setChangeRecorder(const Plomet& seal, ChangeRecorder recorder);
    // `seal` changed from elsewhere (opened, restored, undone): its open
    // dialog reads it again, so that "应 用" cannot write stale fields over it.
    static void sealChanged(const Plomet& seal);

    // Fields to the seal, then Draw: all or nothing. Throws PlometError
    // naming the first field that does not convert; the seal is unchanged.
    void WriteData();
    // Seal to fields; drops a pending preset.
    void ReadData();

    // Fills the fields with preset `name` at `outerWidthMm` (0: its own
    // size); the values without a field here (size, face, lower lines…) are
    // kept pending for "应 用". Throws PlometError for an unknown preset.
    void applyPreset(const QString& name, double outerWidthMm = 0);

    // The pending seal as last previewed (for tests); a problem with a field
    // shows in previewProblem() instead.
    const Plomet& preview() const { return *preview_; }
    QString previewProblem() const;

    // The worn-ink controls: "做旧程度" (a slider 0..100), "随机种子" and
    // "换一个" (another seed).
    QGroupBox* agingGroup() const { return aging_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Field {
        const PropertyRow* row;   // what it edits; its label names it
        QWidget* widget;
    };

    void buildControls();
    QString fieldText(const Field& f) const;
    void setFieldText(const Field& f, const QString& text);
    const Field* fieldOf(const PropertyRow& row) const;
    // Applies the pending values to `target`: preset values without a field
    // first, then every field. Throws at the first field that does not
    // convert, with failedField_ set.
    void applyPending(Plomet& target);
    void schedulePreview();
    void updatePreview();
    void cmdPreset_Click();
    void cmdRefresh_Click();

    QPointer<Plomet> seal_;
    Plomet* preview_ = nullptr;   // owned (a QObject child)
    std::vector<Field> fields_;
    PresetValues presetRest_;   // preset values with no field here
    const Field* failedField_ = nullptr;

    QComboBox* cboPreset_ = nullptr;
    QLineEdit* presetSize_ = nullptr;
    QPushButton* cmdPreset_ = nullptr;
    QLabel* presetNote_ = nullptr;
    QLabel* picture_ = nullptr;
    QLabel* problem_ = nullptr;
    QGroupBox* aging_ = nullptr;
    QPushButton* cmdRefresh_ = nullptr;
    QTimer* previewTimer_ = nullptr;
};

} // namespace plomet
