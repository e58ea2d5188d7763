#pragma once
// The main window: one seal control `Plomet1` beside two columns of buttons.
#include <QWidget>

namespace plomet {

class Plomet;

class frmMain : public QWidget {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The one seal of the application; the settings dialog works on it directly.
    Plomet& Plomet1();
    // Shows the main window and brings it to the front.
    void showAndActivate();
};

} // namespace plomet
