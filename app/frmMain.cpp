#include "app/frmMain.h"

#include "platform/CommDlgs.h"
#include "app/ExportMenu.h"
#include "seal/Warnings.h"
#include "platform/Guard.h"
#include "app/Output.h"
#include "seal/PlometWidget.h"
#include "formats/PmfFile.h"
#include "seal/PropertyBag.h"
#include "app/frmOption.h"
#include "app/frmStyle.h"
#include "platform/modMain.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeySequence>
#include <QMimeData>
#include <QShortcut>
#include <QUndoCommand>
#include <QUndoStack>
#include <QUrl>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QToolBar>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace plomet {

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int px(int twips) { return twips / kTwipsPerPixel; }

const QString kPmfFilter = QStringLiteral("电子公章描述文件 (*.PMF)") + QChar(u'\0') + QStringLiteral("*.PMF");

// The seal's whole state: every row of the property table the host's store
// keeps (and the picture), the size, and the description file's lines this
// version does not know, so that a later save writes back the right ones.
struct SealState {
    PropertyBag bag;
    float width = 0, height = 0;
    QStringList unknownFileLines;

    static SealState of(const Plomet& seal)
    {
        SealState s;
        seal.WriteProperties(s.bag);
        s.width = seal.Width();
        s.height = seal.Height();
        s.unknownFileLines = seal.unknownFileLines();
        return s;
    }
    void applyTo(Plomet& seal) const
    {
        seal.setWidth(width);
        seal.setHeight(height);
        seal.setUnknownFileLines(unknownFileLines);
        seal.ReadProperties(bag);   // draws
    }
    bool operator==(const SealState& o) const
    {
        if (width != o.width || height != o.height || unknownFileLines != o.unknownFileLines)
            return false;
        QStringList a = bag.keys(), b = o.bag.keys();
        if (a.size() != b.size())
            return false;
        for (const QString& key : a)
            if (!o.bag.contains(key) || bag.ReadProperty(key) != o.bag.ReadProperty(key))
                return false;
        return true;
    }
};

// One applied change: the seal before and after it.
class SealStep : public QUndoCommand {
public:
    SealStep(const QString& text, Plomet& seal, SealState before, SealState after,
             std::function<void()> changed)
        : QUndoCommand(text), seal_(seal), before_(std::move(before)), after_(std::move(after)),
          changed_(std::move(changed)) {}
    void undo() override { put(before_); }
    void redo() override
    {
        // Pushing runs redo once: the change has already happened.
        if (pushed_) {
            pushed_ = false;
            return;
        }
        put(after_);
    }

private:
    void put(const SealState& state)
    {
        guarded(nullptr, QCoreApplication::translate("plomet::frmMain", "Could not restore the seal."), [&] { state.applyTo(seal_); });
        changed_();
    }
    Plomet& seal_;
    SealState before_, after_;
    std::function<void()> changed_;
    bool pushed_ = true;
};

} // namespace

frmMain::frmMain(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Qorvel公章生成 v2.5"));
    setBackgroundRole(QPalette::Window);
    setFixedSize(px(7290), px(3225));

    QPushButton* cmdSaveAs = addButton("cmdSaveAs", QStringLiteral("另 存"), 4080, 360);
    QPushButton* cmdOption = addButton("cmdOption", QStringLiteral("设 置"), 5400, 360);
    QPushButton* cmdCopy = addButton("cmdCopy", QStringLiteral("复 制"), 4080, 810);
    QPushButton* cmdPrint = addButton("cmdPrint", QStringLiteral("打 印"), 4080, 1320);
    QPushButton* cmdOpen = addButton("cmdOpen", QStringLiteral("打 开"), 4080, 1800);
    QPushButton* cmdSave = addButton("cmdSave", QStringLiteral("保 存"), 5400, 1800);
    QPushButton* cmdInit = addButton("cmdInit", QStringLiteral("还 原"), 4080, 2280);
    QPushButton* cmd = addButton("cmd", QStringLiteral("保 留"), 5400, 2280);
    const std::pair<QPushButton*, const char*> tips[] = {
        {cmdSaveAs, QT_TR_NOOP("Save the seal picture as a BMP file")},
        {cmdOption, QT_TR_NOOP("Edit the company name, the lines below it, size, font and colour")},
        {cmdCopy, QT_TR_NOOP("Copy the seal picture to the clipboard")},
        {cmdPrint, QT_TR_NOOP("Print the seal on the default printer")},
        {cmdOpen, QT_TR_NOOP("Open a seal description file (.PMF)")},
        {cmdSave, QT_TR_NOOP("Save the seal as a description file (.PMF)")},
        {cmdInit, QT_TR_NOOP("Go back to the settings of a new seal")},
        {cmd, QT_TR_NOOP("Reserved button; pressing it does nothing")},
    };
    for (const auto& [button, tip] : tips)
        button->setToolTip(tr(tip));

    undo_ = new QUndoStack(this);
    undo_->setUndoLimit(kUndoSteps);
    // Ctrl+Z takes back the last applied change, Ctrl+Shift+Z (or Ctrl+Y)
    // brings it again.
    auto* undoKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), this);
    connect(undoKey, &QShortcut::activated, this, &frmMain::undo);
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                                     QKeySequence(Qt::CTRL | Qt::Key_Y)}) {
        auto* redoKey = new QShortcut(keys, this);
        connect(redoKey, &QShortcut::activated, this, &frmMain::redo);
    }
    setAcceptDrops(true);

    plomet1_ = new PlometWidget(this);
    installExportMenu(*plomet1_);
    // Below the classic window, so nothing of it moves: the seal's commands
    // that its context menu holds, where everyone sees them.
    auto* tools = new QToolBar(this);
    tools->setObjectName(QStringLiteral("toolBar"));
    tools->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (QAction* action : sealActions(tools)) {
        tools->addAction(action);
        connect(action, &QAction::triggered, this,
                [this, name = action->objectName()] { runSealAction(*plomet1_, name); });
    }
    tools->setGeometry(0, px(3225), px(7290), tools->sizeHint().height());
    // Under it, a status line with what may be wrong with the seal (a face
    // that is not installed, a name that runs into the lower line…), after
    // every Draw; the whole list in its tooltip.
    statusLine_ = new QLabel(this);
    statusLine_->setObjectName(QStringLiteral("statusLine"));
    statusLine_->setContentsMargins(6, 0, 6, 2);
    const int statusHeight = statusLine_->fontMetrics().height() + 4;
    statusLine_->setGeometry(0, tools->geometry().bottom() + 1, px(7290), statusHeight);
    connect(&Plomet1(), &Plomet::drawn, this, &frmMain::showWarnings);
    setFixedSize(px(7290), statusLine_->geometry().bottom() + 1);
    plomet1_->setObjectName(QStringLiteral("Plomet1"));
    plomet1_->move(px(720), px(480));
    // What the "样式" dialog applies is a step of the same history; a preset
    // also sets classic fields, which the settings dialog then shows.
    frmStyle::setChangeRecorder(Plomet1(), [this](const QString& what, const std::function<void()>& change) {
        recordChange(what, change);
        if (option_)
            guarded(option_, tr("Could not read the seal's settings."), [this] { option_->ReadData(); });
    });

    connect(cmdOption, &QPushButton::clicked, this, &frmMain::cmdOption_Click);
    connect(cmdInit, &QPushButton::clicked, this, &frmMain::cmdInit_Click);
    connect(cmdOpen, &QPushButton::clicked, this, &frmMain::cmdOpen_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmMain::cmdSave_Click);
    connect(cmdCopy, &QPushButton::clicked, this, &frmMain::cmdCopy_Click);
    connect(cmdPrint, &QPushButton::clicked, this, &frmMain::cmdPrint_Click);
    connect(cmdSaveAs, &QPushButton::clicked, this, &frmMain::cmdSaveAs_Click);

    // Keyboard focus order: 设置, 打印, 另存, the seal, 复制, 保存, 打开, 还原, 保留.
    QWidget* order[] = {cmdOption, cmdPrint, cmdSaveAs, plomet1_, cmdCopy,
                        cmdSave,   cmdOpen,  cmdInit,   cmd};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    cmdOption->setFocus();

    // The seal restores the state stored with the window, at its stored size.
    Plomet& seal = Plomet1();
    guarded(nullptr, tr("Restoring the seal's initial state failed."), [&] {
        seal.setWidth(static_cast<float>(kStoredSealTwips));
        seal.setHeight(static_cast<float>(kStoredSealTwips));
        seal.ReadProperties(storedState());
    });

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }

    Form_Load();
}

frmMain::~frmMain()
{
    frmStyle::setChangeRecorder(Plomet1(), {});
}

Plomet& frmMain::Plomet1()
{
    return plomet1_->seal();
}

frmOption* frmMain::optionDialog() const
{
    return option_.data();
}

void frmMain::showAndActivate()
{
    show();
    raise();
    activateWindow();
}

PropertyBag frmMain::storedState()
{
    PropertyBag bag;
    bag.WriteProperty(QStringLiteral("ShowDate"), true);
    bag.WriteProperty(QStringLiteral("Degree"), 266.0);
    return bag;
}

QPushButton* frmMain::addButton(const char* name, const QString& caption, int leftTwips, int topTwips)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    QFont font(QStringLiteral("宋体"));
    font.setPointSizeF(10.5);
    button->setFont(font);
    button->setGeometry(px(leftTwips), px(topTwips), px(1335), px(375));
    button->setAutoDefault(false);
    return button;
}

void frmMain::Form_Load()
{
    init();
    drawGuarded();
}

void frmMain::init()
{
    const QFileInfo info(DefaultFile);
    if (DefaultFile.isEmpty() || !info.exists() || !info.isFile() || info.isHidden())
        return;
    if (!loadGuarded(DefaultFile))
        keepUnreadableDefault();
}

void frmMain::keepUnreadableDefault()
{
    const QString native = QDir::toNativeSeparators(DefaultFile);
    for (int n = 1; n <= 1000; ++n) {
        const QString candidate = DefaultFile + QStringLiteral(".unreadable")
                                  + (n == 1 ? QString() : QStringLiteral("-%1").arg(n));
        if (QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink())
            continue;
        if (QFile::rename(DefaultFile, candidate)) {
            keptDefault_ = candidate;
            showMessage(isVisible() ? this : nullptr,
                        tr("The default file \"%1\" could not be read and has been kept unchanged as \"%2\".\nOn closing, the current seal will be written to a new default file.")
                            .arg(native, QDir::toNativeSeparators(candidate)));
            return;
        }
        break;
    }
    protectDefault_ = true;
    showMessage(isVisible() ? this : nullptr,
                tr("The default file \"%1\" could not be read, nor kept under another name.\nIt will not be overwritten on closing; the seal can be saved elsewhere.")
                    .arg(native));
}

void frmMain::sealChangedOutsideDialog()
{
    if (option_)
        guarded(option_, tr("Could not read the seal's settings."), [this] { option_->ReadData(); });
    frmStyle::sealChanged(Plomet1());
}

void frmMain::recordChange(const QString& what, const std::function<void()>& change)
{
    Plomet& seal = Plomet1();
    SealState before = SealState::of(seal);
    auto record = [&] {
        SealState after = SealState::of(seal);
        if (after == before)
            return;
        undo_->push(new SealStep(what, seal, std::move(before), std::move(after),
                                 [this] { sealChangedOutsideDialog(); }));
    };
    try {
        change();
    } catch (...) {
        record();
        throw;
    }
    record();
}

void frmMain::undo()
{
    undo_->undo();
}

void frmMain::redo()
{
    undo_->redo();
}

bool frmMain::openFile(const QString& path)
{
    bool taken = false;
    guarded(isVisible() ? this : nullptr, QString(), [&] {
        recordChange(QStringLiteral("打开"), [&] {
            taken = loadGuarded(path);
            // Drawn also after a refused file: then it shows the unchanged seal.
            drawGuarded();
        });
    });
    sealChangedOutsideDialog();
    return taken;
}

QString frmMain::dropRefusal(const QString& what)
{
    return tr("Only seal description files (*.PMF) can be opened here, one at a time.\nWhat was dropped: %1").arg(what);
}

void frmMain::dragEnterEvent(QDragEnterEvent* event)
{
    // Anything is taken in, so that a drop of the wrong thing can say what
    // the window takes instead of silently bouncing back.
    const QMimeData* data = event->mimeData();
    if (data->hasUrls() || data->hasText() || data->hasImage())
        event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    const QList<QUrl> urls = data->urls();
    QString path;
    if (urls.size() == 1 && urls.first().isLocalFile())
        path = urls.first().toLocalFile();
    const QFileInfo info(path);
    const bool isPmf = !path.isEmpty() && info.isFile()
                       && info.suffix().compare(QLatin1String("PMF"), Qt::CaseInsensitive) == 0;
    QString what;
    if (!isPmf) {
        QStringList names;
        for (const QUrl& url : urls)
            names << (url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toString());
        if (names.isEmpty())
            what = data->hasImage() ? tr("a picture") : tr("a piece of text");
        else
            what = names.mid(0, 3).join(QStringLiteral("、")) + (names.size() > 3 ? QStringLiteral("…") : QString());
    }
    event->acceptProposedAction();
    // After the drop has finished: the sender waits for its answer, and a
    // message box would keep it waiting.
    QTimer::singleShot(0, this, [this, path, isPmf, what] {
        if (isPmf)
            openFile(path);
        else
            showMessage(this, dropRefusal(what));
    });
}

bool frmMain::loadGuarded(const QString& path)
{
    bool badHeader = false;
    const bool ok = guarded(isVisible() ? this : nullptr, QString(), [&] {
        try {
            LoadPMF(Plomet1(), path);
        } catch (const PlometError& e) {
            if (e.kind() == PlometError::Kind::BadHeader) {
                badHeader = true;
                return;
            }
            throw;
        }
    });
    if (badHeader)
        showMessage(isVisible() ? this : nullptr, badFormatMessage());
    return ok && !badHeader;
}

void frmMain::drawGuarded()
{
    guarded(isVisible() ? this : nullptr, tr("Drawing the seal failed."), [&] { Plomet1().Draw(); });
}

void frmMain::cmdOption_Click()
{
    guarded(this, tr("Opening the settings window failed."), [&] {
        if (!option_)
            option_ = new frmOption(*this);
        option_->show();
        option_->raise();
        option_->activateWindow();
    });
}

void frmMain::cmdInit_Click()
{
    auto restore = [this] {
        Plomet& seal = Plomet1();
        seal.setRText(QStringLiteral("中山Qorvel软件有限公司"));
        seal.setPText1(QStringLiteral("专用章"));
        seal.setMidSign(QStringLiteral("★"));
        seal.setShowStar(true);
        seal.setDegree(-1.0);
        seal.setWidth(2055.0f);
        seal.setHeight(2055.0f);
        seal.setFontName(QStringLiteral("黑体"));
        seal.setFontSize(12.0f);
        // Shown at once, so the button visibly does what it says.
        seal.Draw();
    };
    guarded(this, tr("Restoring the default values failed."), [&] { recordChange(tr("Restore"), restore); });
    sealChangedOutsideDialog();
}

void frmMain::cmdOpen_Click()
{
    QString path;
    if (!guarded(this, tr("Could not show the open file dialog."), [&] {
            path = ShowFileDialog(this, kOpenDialog, QStringLiteral("打开"), QString(), kPmfFilter,
                                  appDirForDialogs(), QStringLiteral("PMF"));
        }))
        return;
    if (path.isEmpty())
        return;
    openFile(path);
}

void frmMain::cmdSave_Click()
{
    guarded(this, QString(), [&] {
        const QString path = ShowFileDialog(this, kSaveDialog, QStringLiteral("保存"), QString(),
                                            kPmfFilter, appDirForDialogs(), QStringLiteral("PMF"));
        if (path.isEmpty())
            return;
        SavePMF(Plomet1(), path);
    });
}

void frmMain::cmdCopy_Click()
{
    guarded(this, tr("Copying the seal picture failed."), [&] { cmdCopy(Plomet1()); });
}

void frmMain::cmdPrint_Click()
{
    guarded(this, tr("Printing the seal failed."), [&] { cmdPrint(Plomet1()); });
}

void frmMain::cmdSaveAs_Click()
{
    guarded(this, tr("Saving the seal picture failed."), [&] { cmdSaveAs(this, Plomet1()); });
}

void frmMain::saveDefaultFile()
{
    if (protectDefault_) {
        // One more try to move the unreadable file aside before writing.
        protectDefault_ = false;
        keptDefault_.clear();
        if (QFileInfo::exists(DefaultFile)) {
            const QString candidate = DefaultFile + QStringLiteral(".unreadable");
            if (QFileInfo::exists(candidate) || !QFile::rename(DefaultFile, candidate)) {
                protectDefault_ = true;
                throw PlometError(PlometError::Kind::File,
                                  tr("The default file could not be read nor kept under another name, so it was not overwritten."));
            }
            keptDefault_ = candidate;
        }
    }
    SavePMF(Plomet1(), DefaultFile);
}

void frmMain::unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;

    QString why;
    try {
        saveDefaultFile();
        return;
    } catch (const PlometError& e) {
        why = e.message();
    } catch (const std::exception& e) {
        why = QString::fromLocal8Bit(e.what());
    }

    // Never lose the seal silently: say why and offer another place.
    for (;;) {
        QMessageBox ask(QMessageBox::Warning, appTitle(),
                        tr("Could not save the seal to the default file \"%1\":\n%2\n\nSave the seal somewhere else?")
                            .arg(QDir::toNativeSeparators(DefaultFile), why),
                        QMessageBox::Yes | QMessageBox::No, this);
        ask.setDefaultButton(QMessageBox::Yes);
        if (ask.exec() != QMessageBox::Yes)
            return;
        QString path;
        guarded(this, tr("Could not show the save file dialog."), [&] {
            path = ShowFileDialog(this, kSaveDialog, QStringLiteral("保存"), QString(), kPmfFilter,
                                  appDirForDialogs(), QStringLiteral("PMF"));
        });
        if (path.isEmpty())
            continue;
        try {
            SavePMF(Plomet1(), path);
            return;
        } catch (const PlometError& e) {
            why = e.message();
        } catch (const std::exception& e) {
            why = QString::fromLocal8Bit(e.what());
        }
    }
}

void frmMain::closeEvent(QCloseEvent* event)
{
    unload();
    // The settings dialog goes with the main window.
    if (option_)
        option_->close();
    event->accept();
    QCoreApplication::quit();
}

void frmMain::showWarnings()
{
    const Plomet& seal = Plomet1();
    QStringList warnings;
    if (const PicturePtr picture = seal.image())
        warnings = sealWarnings(seal, picture->model());
    const QString prefix = warningPrefix();
    for (QString& w : warnings)
        if (w.startsWith(prefix))
            w.remove(0, prefix.size());
    const QString first = warnings.value(0);
    statusLine_->setText(statusLine_->fontMetrics().elidedText(first, Qt::ElideRight, statusLine_->contentsRect().width()));
    statusLine_->setToolTip(warnings.join(QLatin1Char('\n')));
}

void frmMain::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (!firstPaintMarked_ && qEnvironmentVariableIsSet("PLOMET_MARK_FIRST_PAINT")) {
        firstPaintMarked_ = true;
        // After this paint pass has reached the screen.
        QTimer::singleShot(0, [] {
            std::fputs("plomet: first paint\n", stderr);
            std::fflush(stderr);
        });
    }
}

} // namespace plomet
