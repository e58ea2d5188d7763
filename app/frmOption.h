#pragma once
// The settings dialog: edits every property of the main window's seal.
#include <QDialog>

namespace plomet {

class frmMain;

class frmOption : public QDialog {
    Q_OBJECT
public:
    // Modeless, no owner window; deletes itself when closed. Runs Form_Load.
    explicit frmOption(frmMain& main);
    ~frmOption() override;
};

} // namespace plomet
