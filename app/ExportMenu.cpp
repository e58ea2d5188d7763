#include "app/ExportMenu.h"
#include "app/ExtractDialog.h"

#include "app/StampDialog.h"
#include "app/frmStyle.h"

#include "platform/CommDlgs.h"
#include "seal/Errors.h"
#include "platform/Guard.h"
#include "app/Output.h"
#include "seal/Plomet.h"
#include "seal/PlometWidget.h"
#include "seal/Render.h"
#include "platform/modMain.h"

#include <QCoreApplication>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDrag>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include "formats/AtomicFile.h"
#include "seal/Units.h"
#include <QSaveFile>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>
#include <optional>

namespace plomet {

namespace {


// A file name made of the company name: what the picture shows is what the
// user looks for later. Characters no file system takes become "_".
QString suggestedBaseName(const Plomet& seal)
{
    QString name = seal.rText().trimmed();
    for (QChar& c : name)
        if (QStringLiteral("/\\:*?\"<>|").contains(c) || c.unicode() < 32)
            c = u'_';
    if (name.size() > 60)
        name.truncate(60);
    return name.isEmpty() ? QCoreApplication::translate("plomet::ExportMenu", "seal") : name;
}

QString millimetres(double twips)
{
    return QString::number(twips / kTwipsPerInch * kMillimetresPerInch, 'f', 1);
}

// Watches the seal control for its context menu and for a drag leaving it.
class SealExportHook : public QObject {
public:
    static constexpr const char* kName = "sealExportHook";
    explicit SealExportHook(PlometWidget& widget) : QObject(&widget), widget_(widget)
    {
        setObjectName(QLatin1String(kName));
        widget.setContextMenuPolicy(Qt::CustomContextMenu);
        connect(&widget, &QWidget::customContextMenuRequested, this, &SealExportHook::showMenu);
        widget.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != &widget_)
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() == Qt::LeftButton)
                pressPos_ = e->position().toPoint();
            break;
        }
        case QEvent::MouseMove: {
            auto* e = static_cast<QMouseEvent*>(event);
            if ((e->buttons() & Qt::LeftButton) && pressPos_
                && (e->position().toPoint() - *pressPos_).manhattanLength()
                       >= QApplication::startDragDistance()) {
                const QPoint hotSpot = *pressPos_;
                pressPos_.reset();
                startDrag(hotSpot);
                return true;
            }
            break;
        }
        case QEvent::MouseButtonRelease:
            pressPos_.reset();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void showMenu(const QPoint& pos)
    {
        std::unique_ptr<QMenu> menu(sealContextMenu(&widget_));
        // The command runs after the menu has closed, not inside its loop.
        const QAction* chosen = menu->exec(widget_.mapToGlobal(pos));
        const QString action = chosen ? chosen->objectName() : QString();
        menu.reset();
        run(action);
    }

public:
    void run(const QString& action)
    {
        if (action.isEmpty())
            return;
        if (action == QLatin1String("styleDialog")) {
            frmStyle::showFor(widget_.seal());
            return;
        }
        QWidget* window = widget_.window();
        if (action == QLatin1String("stampPdf")) {
            // Documents to stamp live among the user's documents, not
            // beside the program.
            guarded(window, QCoreApplication::translate("plomet::ExportMenu", "Stamping onto PDF failed."), [&] {
                stampSealOntoPdf(window, widget_.seal(),
                                 lastFolder_.isEmpty() ? documentsDirForDialogs() : lastFolder_);
            });
            return;
        }
        if (action == QLatin1String("extractSeal")) {
            extractSealFromScan(window, documentsDirForDialogs());
            return;
        }
        guarded(window, QCoreApplication::translate("plomet::ExportMenu", "Exporting the picture failed."), [&] {
            const QString written = exportSealPicture(window, widget_.seal(), lastFolder());
            if (!written.isEmpty())
                lastFolder_ = QFileInfo(written).absolutePath();
        });
    }

private:
    void startDrag(const QPoint& hotSpot)
    {
        const PicturePtr picture = widget_.seal().image();
        if (!picture)
            return;
        QMimeData* data = nullptr;
        if (!guarded(widget_.window(), QCoreApplication::translate("plomet::ExportMenu", "Could not drag the seal picture out."),
                     [&] { data = sealDragMimeData(*picture, dragFolder()); }))
            return;
        auto* drag = new QDrag(&widget_);
        drag->setMimeData(data);
        drag->setPixmap(QPixmap::fromImage(picture->pixels()));
        drag->setHotSpot(hotSpot);
        drag->exec(Qt::CopyAction);   // Qt deletes the drag when it is over
    }

    QString lastFolder() const { return lastFolder_.isEmpty() ? appDirForDialogs() : lastFolder_; }

    // A private folder for the dragged file; it lives as long as the window.
    QString dragFolder()
    {
        if (!dragDir_)
            dragDir_ = std::make_unique<QTemporaryDir>();
        return dragDir_->isValid() ? dragDir_->path() : QString();
    }

    PlometWidget& widget_;
    std::optional<QPoint> pressPos_;
    QString lastFolder_;
    std::unique_ptr<QTemporaryDir> dragDir_;
};

} // namespace

ExportDialog::ExportDialog(QWidget* owner, double widthTwips, double heightTwips)
    : QDialog(owner), widthTwips_(widthTwips), heightTwips_(heightTwips)
{
    setWindowTitle(tr("Export Picture"));
    auto* form = new QFormLayout(this);

    format_ = new QComboBox(this);
    format_->setObjectName(QStringLiteral("format"));
    for (const ExportFormat& f : exportFormatList())
        format_->addItem(QStringLiteral("%1 (*.%2)").arg(f.description, f.name), f.name);
    form->addRow(tr("Format:"), format_);

    dpi_ = new QSpinBox(this);
    dpi_->setObjectName(QStringLiteral("dpi"));
    dpi_->setRange(kMinDpi, kMaxDpi);
    dpi_->setValue(kDefaultDpi);
    dpi_->setSuffix(QStringLiteral(" dpi"));
    dpi_->setToolTip(tr("Pixels per inch: 96 is the same as the picture on screen; 300 or 600 are usual for printing."));
    form->addRow(tr("Resolution:"), dpi_);

    transparent_ = new QCheckBox(tr("Transparent background"), this);
    transparent_->setObjectName(QStringLiteral("transparent"));
    transparent_->setChecked(true);
    form->addRow(QString(), transparent_);

    pixels_ = new QLabel(this);
    pixels_->setObjectName(QStringLiteral("size"));
    form->addRow(tr("Picture size:"), pixels_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Export…"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    connect(format_, &QComboBox::currentIndexChanged, this, &ExportDialog::updateFields);
    connect(dpi_, &QSpinBox::valueChanged, this, &ExportDialog::updateFields);
    updateFields();
}

QString ExportDialog::format() const
{
    return format_->currentData().toString();
}

ExportOptions ExportDialog::options() const
{
    ExportOptions o;
    const std::optional<ExportFormat> f = exportFormat(format());
    o.dpi = f && f->raster ? dpi_->value() : 96;
    o.transparent = f && f->alpha && transparent_->isChecked();
    return o;
}

void ExportDialog::updateFields()
{
    const std::optional<ExportFormat> f = exportFormat(format());
    const bool raster = f && f->raster;
    dpi_->setEnabled(raster);
    transparent_->setEnabled(f && f->alpha);
    const QString physical = tr("%1 × %2 mm").arg(millimetres(widthTwips_),
                                                                 millimetres(heightTwips_));
    if (raster) {
        const QSize px = rasterSize(widthTwips_, heightTwips_, dpi_->value());
        pixels_->setText(tr("%1 × %2 pixels (%3)").arg(px.width()).arg(px.height()).arg(physical));
    } else {
        pixels_->setText(tr("%1 (vector)").arg(physical));
    }
}

QMimeData* sealDragMimeData(const SealPicture& picture, const QString& fileFolder)
{
    ExportOptions options;
    options.dpi = 96;
    options.transparent = true;
    const QByteArray png = exportBytes(picture, QStringLiteral("png"), options);
    auto data = std::make_unique<QMimeData>();
    data->setData(QStringLiteral("image/png"), png);
    data->setImageData(QImage::fromData(png, "PNG"));
    if (!fileFolder.isEmpty()) {
        const QString path = QDir(fileFolder).filePath(QCoreApplication::translate("plomet::ExportMenu", "seal.png"));
        // The file is offered only when it is whole (a buffered QSaveFile
        // can commit a cut file at a full disk).
        try {
            writeFileAtomically(path, png, QStringLiteral("%1 %2"));
            data->setUrls({QUrl::fromLocalFile(path)});
        } catch (const PlometError&) {
        }
    }
    return data.release();
}

QString exportMenuText()
{
    return QCoreApplication::translate("plomet::ExportMenu", "Export picture…");
}

QString styleMenuText()
{
    return QCoreApplication::translate("plomet::ExportMenu", "Style…");
}

QList<QAction*> sealActions(QObject* parent)
{
    const struct {
        const char* name;
        QString text;
        const char* tip;
    } rows[] = {
        {"exportPicture", exportMenuText(), QT_TRANSLATE_NOOP("plomet::ExportMenu", "Save the seal as a PNG, BMP, SVG or PDF picture")},
        {"stampPdf", stampMenuText(), QT_TRANSLATE_NOOP("plomet::ExportMenu", "Stamp the seal onto the pages of a PDF document")},
        {"extractSeal", extractMenuText(), QT_TRANSLATE_NOOP("plomet::ExportMenu", "Take a seal out of a scan or photo and save it as a transparent PNG or SVG")},
        {"styleDialog", styleMenuText(), QT_TRANSLATE_NOOP("plomet::ExportMenu", "Shape, borders, security code, presets and ageing")},
    };
    QList<QAction*> actions;
    for (const auto& row : rows) {
        auto* action = new QAction(row.text, parent);
        action->setObjectName(QLatin1String(row.name));
        action->setToolTip(QCoreApplication::translate("plomet::ExportMenu", row.tip));
        actions << action;
    }
    return actions;
}

QMenu* sealContextMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    menu->addActions(sealActions(menu));
    return menu;
}

void runSealAction(PlometWidget& sealWidget, const QString& action)
{
    // The hook is no QObject subclass of its own (no meta-object): found by name.
    if (QObject* hook = sealWidget.findChild<QObject*>(QLatin1String(SealExportHook::kName),
                                                       Qt::FindDirectChildrenOnly))
        static_cast<SealExportHook*>(hook)->run(action);
}

QString exportSealPicture(QWidget* owner, const Plomet& seal, const QString& initialDir)
{
    // Held across the two modal dialogs: a redraw while they run replaces
    // the seal's picture, not this one.
    const PicturePtr held = lastPicture(seal);
    const SealPicture& picture = *held;
    ExportDialog ask(owner, picture.widthTwips(), picture.heightTwips());
    if (ask.exec() != QDialog::Accepted)
        return QString();
    const QString format = ask.format();
    const ExportOptions options = ask.options();

    const QString description = exportFormat(format)->description;
    const QString filter = QStringLiteral("%1 (*.%2)").arg(description, format) + QChar(u'\0')
                           + QStringLiteral("*.") + format;
    const QString path = ShowFileDialog(owner, kSaveDialog, QCoreApplication::translate("plomet::ExportMenu", "Export Picture"),
                                        suggestedBaseName(seal) + QLatin1Char('.') + format,
                                        filter, initialDir, format);
    if (path.isEmpty())
        return QString();
    // The extension decides the format, as everywhere else: a name typed with
    // another known extension gets that format, an unknown one a clear error.
    exportPicture(picture, path, options);
    return path;
}

void installExportMenu(PlometWidget& sealWidget)
{
    new SealExportHook(sealWidget);
}

} // namespace plomet
