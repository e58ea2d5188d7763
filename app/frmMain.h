#pragma once
// The main window: one seal control `Plomet1` beside two columns of buttons.
// Loads the default description file when it is created, writes it back when
// it closes, and runs one command per button.
#include <QPointer>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QUndoStack;

namespace plomet {

class Plomet;
class PlometWidget;
class PropertyBag;
class frmOption;

class frmMain : public QWidget {
    Q_OBJECT
public:
    // Builds the window, restores the seal's stored state, then runs the
    // window load: init (the default file, when there is one) and Draw.
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The one seal of the application; the settings dialog works on it directly.
    Plomet& Plomet1();
    // Shows the main window and brings it to the front.
    void showAndActivate();

    // The state stored with the window's layout for `Plomet1`: "ShowDate"
    // True and "Degree" 266; every other item takes its read default.
    static PropertyBag storedState();
    // The stored size of `Plomet1`, in twips.
    static constexpr double kStoredSealTwips = 2055.0;

    // Loads DefaultFile into the seal when it exists (a hidden file, or
    // anything that is not a file, counts as absent). Does not draw.
    void init();

    // The buttons' handlers.
    void cmdOption_Click();
    void cmdInit_Click();
    void cmdOpen_Click();
    void cmdSave_Click();
    void cmdCopy_Click();
    void cmdPrint_Click();
    void cmdSaveAs_Click();

    // Writes the seal to DefaultFile; throws PlometError when it cannot.
    void saveDefaultFile();

    // Window unload: writes the seal to DefaultFile. When that fails, says why
    // and offers to save it elsewhere until it is saved or the user declines.
    // Runs once; later calls do nothing.
    void unload();

    // The settings dialog while it is open, else null.
    frmOption* optionDialog() const;

    // Opens a description file as "打 开" does after its dialog: the same
    // reading and checks, then Draw; one undoable step. Returns whether the
    // file was taken.
    bool openFile(const QString& path);

    // Runs change on the seal as one step that Ctrl+Z takes back and
    // Ctrl+Shift+Z brings again; a change that changed nothing adds no step.
    // An exception from change still records what changed before it, then
    // goes on to the caller.
    void recordChange(const QString& what, const std::function<void()>& change);
    QUndoStack& undoStack() { return *undo_; }
    void undo();
    void redo();
    // Steps the undo history keeps, at least.
    static constexpr int kUndoSteps = 100;

    // Where the default file went when it could not be read at start (kept
    // beside itself under another name), else empty.
    QString keptDefaultFile() const { return keptDefault_; }

    // Message given when something that is not a description file is dropped.
    static QString dropRefusal(const QString& what);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPushButton* addButton(const char* name, const QString& caption, int leftTwips, int topTwips);
    void Form_Load();
    // Runs a load of a description file and tells the user about a failure;
    // the wrong-header case shows exactly the one message users know.
    bool loadGuarded(const QString& path);
    void drawGuarded();
    // The default file could not be read: moves it aside (never over another
    // file) before anything can write over it, and says where it went.
    void keepUnreadableDefault();
    // The open settings dialog, if any, reads the seal again.
    void sealChangedOutsideDialog();
    // The status line shows the seal's warnings after each Draw.
    void showWarnings();

    PlometWidget* plomet1_ = nullptr;
    QPointer<frmOption> option_;
    bool unloaded_ = false;
    QUndoStack* undo_ = nullptr;
    QString keptDefault_;
    // The unreadable default file could not be moved aside: do not write over it.
    bool protectDefault_ = false;
    bool firstPaintMarked_ = false;
    QLabel* statusLine_ = nullptr;
};

} // namespace plomet
