#pragma once
// "从图片提取印章…": a scanned or photographed page chosen from the user's
// documents, the seal taken off it shown at once on a chequered ground (what
// is clear shows as clear), its ink's colour chosen among red, blue, purple
// or any, and saved as a transparent PNG at its true size or as traced SVG.
#include "formats/SealExtract.h"

#include <QDialog>
#include <QString>
#include <optional>

class QComboBox;
class QLabel;
class QPushButton;
class QWidget;

namespace plomet {

// The menu entry's text, translated ("从图片提取印章…").
QString extractMenuText();

class ExtractDialog : public QDialog {
    Q_OBJECT
public:
    // The scan, already read.
    ExtractDialog(QWidget* owner, const QString& scanPath, Scan scan);

    // The ink looked for: the choices' index (0 red, 1 blue, 2 purple) or a
    // colour of one's own.
    void chooseInk(int index);
    void chooseInk(const QColor& custom);

    // The seal shown, if the scan holds one in the chosen colour; the reason
    // it holds none otherwise.
    const std::optional<ExtractedSeal>& seal() const { return seal_; }
    QString problem() const { return problem_; }
    // The preview: the seal on a chequered ground.
    QImage preview() const;

    // Writes the seal shown as "png" or "svg" to path, atomically. Throws
    // PlometError when there is none or the file cannot be written.
    void saveTo(const QString& path, const QString& format) const;

private:
    void extract();
    void save(const QString& format);

    QString scanPath_;
    Scan scan_;
    QColor ink_;
    std::optional<ExtractedSeal> seal_;
    QString problem_;
    QComboBox* colour_ = nullptr;
    QLabel* picture_ = nullptr;
    QLabel* info_ = nullptr;
    QPushButton* savePng_ = nullptr;
    QPushButton* saveSvg_ = nullptr;
};

// Asks for a scan (starting in initialDir), then shows the dialog over owner.
// A scan that cannot be read is said in a message box.
void extractSealFromScan(QWidget* owner, const QString& initialDir);

} // namespace plomet
