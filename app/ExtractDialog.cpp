#include "app/ExtractDialog.h"

#include "formats/AtomicFile.h"
#include "platform/CommDlgs.h"
#include "seal/Errors.h"

#include <QCoreApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace plomet {

namespace {

// The inks seals come in; the last entry asks for a colour of one's own.
const struct {
    const char* name;
    QRgb ink;   // 0: the default red
} kInks[] = {
    {QT_TRANSLATE_NOOP("plomet::ExtractDialog", "Red"), 0},
    {QT_TRANSLATE_NOOP("plomet::ExtractDialog", "Blue"), 0xFF2040C0},
    {QT_TRANSLATE_NOOP("plomet::ExtractDialog", "Purple"), 0xFF8020A0},
};

constexpr int kPreviewSide = 320;

} // namespace

QString extractMenuText()
{
    return ExtractDialog::tr("Extract a seal from a picture…");
}

ExtractDialog::ExtractDialog(QWidget* owner, const QString& scanPath, Scan scan)
    : QDialog(owner), scanPath_(scanPath), scan_(std::move(scan))
{
    setWindowTitle(tr("Extract Seal from Picture"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    auto* source = new QLabel(QFileInfo(scanPath).fileName(), this);
    source->setObjectName(QStringLiteral("scan"));
    form->addRow(tr("Picture:"), source);
    colour_ = new QComboBox(this);
    colour_->setObjectName(QStringLiteral("ink"));
    for (const auto& ink : kInks)
        colour_->addItem(tr(ink.name));
    colour_->addItem(tr("Custom…"));
    form->addRow(tr("Ink colour:"), colour_);
    layout->addLayout(form);

    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("preview"));
    picture_->setFixedSize(kPreviewSide, kPreviewSide);
    picture_->setAlignment(Qt::AlignCenter);
    layout->addWidget(picture_);
    info_ = new QLabel(this);
    info_->setObjectName(QStringLiteral("info"));
    info_->setWordWrap(true);
    layout->addWidget(info_);

    auto* buttons = new QDialogButtonBox(this);
    savePng_ = buttons->addButton(tr("Save as PNG…"), QDialogButtonBox::AcceptRole);
    savePng_->setObjectName(QStringLiteral("savePng"));
    savePng_->setDefault(true);   // Return saves the PNG
    saveSvg_ = buttons->addButton(tr("Save as SVG…"), QDialogButtonBox::AcceptRole);
    saveSvg_->setObjectName(QStringLiteral("saveSvg"));
    buttons->addButton(tr("Close"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(savePng_, &QPushButton::clicked, this, [this] { save(QStringLiteral("png")); });
    connect(saveSvg_, &QPushButton::clicked, this, [this] { save(QStringLiteral("svg")); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(colour_, &QComboBox::activated, this, [this](int index) {
        if (index < int(std::size(kInks))) {
            chooseInk(index);
            return;
        }
        if (const auto ref = ShowColorDialog(this, ink_.isValid() ? ink_ : QColor(0xD0, 0x20, 0x20)))
            chooseInk(QColor(*ref & 0xFF, (*ref >> 8) & 0xFF, (*ref >> 16) & 0xFF));
    });
    extract();
}

void ExtractDialog::chooseInk(int index)
{
    const QRgb ink = kInks[std::clamp(index, 0, int(std::size(kInks)) - 1)].ink;
    colour_->setCurrentIndex(index);
    ink_ = ink ? QColor::fromRgb(ink) : QColor();
    extract();
}

void ExtractDialog::chooseInk(const QColor& custom)
{
    colour_->setCurrentIndex(colour_->count() - 1);
    colour_->setItemText(colour_->count() - 1, tr("Custom %1…").arg(custom.name()));
    ink_ = custom;
    extract();
}

void ExtractDialog::extract()
{
    ExtractOptions options;
    options.ink = ink_;
    seal_.reset();
    problem_.clear();
    try {
        std::vector<ExtractedSeal> seals = extractSeals(scan_, options);
        seal_ = std::move(seals.front());
        info_->setText(tr("%1 × %2 mm, %3 dpi%4")
                           .arg(seal_->image.width() * 25.4 / seal_->dpi, 0, 'f', 1)
                           .arg(seal_->image.height() * 25.4 / seal_->dpi, 0, 'f', 1)
                           .arg(seal_->dpi, 0, 'f', 0)
                           .arg(seals.size() > 1 ? tr(" (%1 seals in the picture, the largest shown)").arg(seals.size())
                                                 : QString()));
    } catch (const PlometError& e) {
        problem_ = e.message();
        info_->setText(problem_);
    }
    savePng_->setEnabled(seal_.has_value());
    saveSvg_->setEnabled(seal_.has_value());
    picture_->setPixmap(QPixmap::fromImage(preview()));
}

QImage ExtractDialog::preview() const
{
    QImage out(kPreviewSide, kPreviewSide, QImage::Format_RGB32);
    QPainter p(&out);
    constexpr int square = 10;
    for (int y = 0; y < kPreviewSide; y += square)
        for (int x = 0; x < kPreviewSide; x += square)
            p.fillRect(x, y, square, square, ((x + y) / square) % 2 ? QColor(0xCC, 0xCC, 0xCC) : QColor(Qt::white));
    if (seal_) {
        const QImage scaled = seal_->image.scaled(kPreviewSide - 2 * square, kPreviewSide - 2 * square,
                                                  Qt::KeepAspectRatio, Qt::SmoothTransformation);
        p.drawImage((kPreviewSide - scaled.width()) / 2, (kPreviewSide - scaled.height()) / 2, scaled);
    }
    return out;
}

void ExtractDialog::saveTo(const QString& path, const QString& format) const
{
    if (!seal_)
        throw PlometError(PlometError::Kind::Format, problem_);
    const QByteArray bytes = format == QLatin1String("svg") ? extractedSvg(*seal_) : extractedPng(*seal_);
    writeFileAtomically(path, bytes, tr("Could not write the file \"%1\": %2"));
}

void ExtractDialog::save(const QString& format)
{
    const QString description = format == QLatin1String("svg") ? tr("SVG vector picture") : tr("PNG picture");
    const QString filter = QStringLiteral("%1 (*.%2)").arg(description, format) + QChar(u'\0') + QStringLiteral("*.") + format;
    const QString path = ShowFileDialog(this, kSaveDialog, tr("Save Seal"),
                                        QFileInfo(scanPath_).completeBaseName() + tr("-seal.") + format,
                                        filter, QFileInfo(scanPath_).absolutePath(), format);
    if (path.isEmpty())
        return;
    try {
        saveTo(path, format);
        accept();
    } catch (const PlometError& e) {
        QMessageBox::warning(this, windowTitle(), tr("Saving the seal failed.\n%1").arg(e.message()));
    }
}

void extractSealFromScan(QWidget* owner, const QString& initialDir)
{
    const QString filter = QCoreApplication::translate("plomet::ExtractDialog", "Scans or photos (*.png *.jpg *.jpeg *.tif *.tiff *.bmp)") + QChar(u'\0')
                           + QStringLiteral("*.png;*.jpg;*.jpeg;*.tif;*.tiff;*.bmp");
    const QString path = ShowFileDialog(owner, kOpenDialog, QCoreApplication::translate("plomet::ExtractDialog", "Extract Seal from Picture"), QString(), filter,
                                        initialDir, QString());
    if (path.isEmpty())
        return;
    Scan scan;
    try {
        scan = readScanFile(path);
    } catch (const PlometError& e) {
        QMessageBox::warning(owner, QCoreApplication::translate("plomet::ExtractDialog", "Extract Seal from Picture"), QCoreApplication::translate("plomet::ExtractDialog", "Could not read the picture.\n%1").arg(e.message()));
        return;
    }
    ExtractDialog dialog(owner, path, std::move(scan));
    dialog.exec();
}

} // namespace plomet
