#include "app/StampDialog.h"

#include "platform/CommDlgs.h"
#include "seal/Errors.h"
#include "platform/Guard.h"
#include "app/Output.h"
#include "seal/Plomet.h"
#include "seal/Render.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPdfDocument>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace plomet {

// The shown page with the seal over it; a press on the seal and a drag moves it.
class StampPreview : public QWidget {
public:
    StampPreview(StampDialog& dialog, QPdfDocument& document, const PicturePtr& picture)
        : dialog_(dialog), document_(document), picture_(picture)
    {
        // Large enough to read the page's text under the seal and place it
        // to the millimetre by hand.
        setMinimumSize(540, 720);
        setCursor(Qt::OpenHandCursor);
    }

    // The page's rectangle in the widget, at its true proportions.
    QRectF pageRect() const { return pageRect_; }
    double scale() const { return scale_; }   // pixels per millimetre

    void pageChanged()
    {
        pageImage_ = QImage();
        update();
    }

protected:
    void resizeEvent(QResizeEvent*) override { pageImage_ = QImage(); }

    void paintEvent(QPaintEvent*) override
    {
        layoutPage();
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Mid));
        if (pageImage_.isNull())
            pageImage_ = document_.render(dialog_.shownPage(), pageRect_.size().toSize());
        p.fillRect(pageRect_, Qt::white);
        if (!pageImage_.isNull())
            p.drawImage(pageRect_.topLeft(), pageImage_);
        const auto imp = dialog_.shownImpression();
        if (!imp || !picture_)
            return;
        const double dpi = scale_ * 25.4;
        if (sealImage_.isNull() || sealDpi_ != dpi) {
            RenderOptions ro;
            ro.transparent = true;
            sealImage_ = rasterize(picture_->model(), dpi, ro);
            sealDpi_ = dpi;
        }
        p.setClipRect(pageRect_);
        if (imp->clipMm)
            p.setClipRect(QRectF(pageRect_.topLeft() + imp->clipMm->topLeft() * scale_, imp->clipMm->size() * scale_),
                          Qt::IntersectClip);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.setCompositionMode(QPainter::CompositionMode_Multiply);
        p.translate(pageRect_.topLeft() + imp->centreMm * scale_);
        p.rotate(imp->angleDeg);
        p.drawImage(QPointF(-sealImage_.width() / 2.0, -sealImage_.height() / 2.0), sealImage_);
    }

    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() != Qt::LeftButton)
            return;
        grab_ = e->position();
        grabCentre_ = dialog_.sealCentreMm();
        setCursor(Qt::ClosedHandCursor);
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (!grab_ || scale_ <= 0)
            return;
        dialog_.setSealCentreMm(grabCentre_ + (e->position() - *grab_) / scale_);
    }
    void mouseReleaseEvent(QMouseEvent*) override
    {
        grab_.reset();
        setCursor(Qt::OpenHandCursor);
    }

private:
    void layoutPage()
    {
        const QSizeF mm = dialog_.shownPageSizeMm();
        if (mm.isEmpty())
            return;
        const QRectF area = QRectF(rect()).adjusted(8, 8, -8, -8);
        scale_ = std::min(area.width() / mm.width(), area.height() / mm.height());
        const QSizeF size = mm * scale_;
        pageRect_ = QRectF(area.center() - QPointF(size.width() / 2, size.height() / 2), size);
    }

    StampDialog& dialog_;
    QPdfDocument& document_;
    PicturePtr picture_;
    QImage pageImage_, sealImage_;
    double sealDpi_ = 0;
    QRectF pageRect_;
    double scale_ = 1;
    std::optional<QPointF> grab_;
    QPointF grabCentre_;
};

QString stampMenuText()
{
    return StampDialog::tr("Stamp onto a PDF…");
}

StampDialog::StampDialog(QWidget* owner, const QString& pdfPath, PdfInfo info, PicturePtr picture)
    : QDialog(owner), pdfPath_(pdfPath), info_(std::move(info)), picture_(std::move(picture)),
      document_(std::make_unique<QPdfDocument>())
{
    setWindowTitle(tr("Stamp onto PDF - %1").arg(QFileInfo(pdfPath).fileName()));
    document_->load(pdfPath);

    preview_ = new StampPreview(*this, *document_, picture_);
    page_ = new QSpinBox;
    page_->setObjectName(QStringLiteral("page"));
    page_->setRange(1, static_cast<int>(info_.pages.size()));
    page_->setSuffix(QStringLiteral(" / %1").arg(info_.pages.size()));
    mode_ = new QComboBox;
    mode_->setObjectName(QStringLiteral("mode"));
    mode_->addItems({tr("Single seal"), tr("Cross-page seal")});
    pages_ = new QLineEdit(QStringLiteral("1"));
    pages_->setObjectName(QStringLiteral("pages"));
    pages_->setToolTip(tr("for example 1, 1,3, 2-5, last, all, odd, even"));
    angle_ = new QDoubleSpinBox;
    angle_->setObjectName(QStringLiteral("angle"));
    angle_->setRange(-180, 180);
    angle_->setDecimals(1);
    angle_->setSuffix(QStringLiteral("°"));
    // The centre typed in millimetres, as the drag sets it.
    for (auto [box, name] : {std::pair{&x_, "x"}, std::pair{&y_, "y"}}) {
        *box = new QDoubleSpinBox;
        (*box)->setObjectName(QLatin1String(name));
        (*box)->setDecimals(1);
        (*box)->setSingleStep(0.5);
        (*box)->setRange(-10000, 10000);
        (*box)->setSuffix(tr(" mm"));
        (*box)->setKeyboardTracking(false);
        connect(*box, qOverload<double>(&QDoubleSpinBox::valueChanged), this,
                [this] { setSealCentreMm(QPointF(x_->value(), y_->value())); });
    }
    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("status"));
    status_->setWordWrap(true);

    sign_ = new QCheckBox(tr("Sign"));
    sign_->setObjectName(QStringLiteral("sign"));
    sign_->setToolTip(tr("A digital signature with the seal as its appearance (PAdES); needs a PKCS#12 certificate file"));
    certificate_ = new QLineEdit;
    certificate_->setObjectName(QStringLiteral("certificate"));
    certificate_->setPlaceholderText(tr("PKCS#12 certificate file (.p12)"));
    auto* browse = new QPushButton(QStringLiteral("…"));
    browse->setObjectName(QStringLiteral("browseCertificate"));
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString path = ShowFileDialog(this, kOpenDialog, tr("Choose the certificate file"), QString(),
                                            tr("PKCS#12 certificates (*.p12 *.pfx)") + QChar(u'\0')
                                                + QStringLiteral("*.p12;*.pfx"),
                                            QFileInfo(pdfPath_).absolutePath(), QStringLiteral("p12"));
        if (!path.isEmpty())
            certificate_->setText(path);
    });
    password_ = new QLineEdit;
    password_->setObjectName(QStringLiteral("password"));
    password_->setEchoMode(QLineEdit::Password);
    auto* certRow = new QHBoxLayout;
    certRow->addWidget(certificate_, 1);
    certRow->addWidget(browse);
    auto enableSigning = [this, browse](bool on) {
        certificate_->setEnabled(on);
        browse->setEnabled(on);
        password_->setEnabled(on);
    };
    connect(sign_, &QCheckBox::toggled, this, enableSigning);
    enableSigning(false);

    auto* form = new QFormLayout;
    form->addRow(tr("Show page"), page_);
    form->addRow(tr("Kind"), mode_);
    form->addRow(tr("Pages to stamp"), pages_);
    form->addRow(tr("From the left"), x_);
    form->addRow(tr("From the top"), y_);
    form->addRow(tr("Angle"), angle_);
    form->addRow(sign_);
    form->addRow(tr("Certificate"), certRow);
    form->addRow(tr("Password"), password_);
    form->addRow(status_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    QPushButton* saveButton = buttons->addButton(tr("Save as PDF…"), QDialogButtonBox::AcceptRole);
    saveButton->setObjectName(QStringLiteral("save"));
    connect(buttons, &QDialogButtonBox::accepted, this, &StampDialog::save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* side = new QVBoxLayout;
    side->addLayout(form);
    side->addStretch();
    side->addWidget(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(preview_, 1);
    layout->addLayout(side);

    // Start in the lower right part of the first page, where seals usually go.
    const QSizeF first = info_.pages.front().sizeMm;
    centreMm_ = QPointF(first.width() * 0.7, first.height() * 0.8);

    connect(page_, qOverload<int>(&QSpinBox::valueChanged), this, [this] {
        preview_->pageChanged();
        placementChanged();
    });
    connect(mode_, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int mode) {
        pages_->setText(mode == 1 ? QStringLiteral("all") : QString::number(page_->value()));
        if (mode == 1)
            centreMm_.setY(shownPageSizeMm().height() / 2);
        placementChanged();
    });
    connect(pages_, &QLineEdit::textChanged, this, &StampDialog::placementChanged);
    connect(angle_, qOverload<double>(&QDoubleSpinBox::valueChanged), this, &StampDialog::placementChanged);
    for (const QString& w : info_.warnings)
        status_->setText(w);
    placementChanged();
}

StampDialog::~StampDialog() = default;

int StampDialog::shownPage() const { return page_->value() - 1; }

void StampDialog::showPage(int index) { page_->setValue(index + 1); }

QSizeF StampDialog::shownPageSizeMm() const
{
    const int i = shownPage();
    return i >= 0 && i < static_cast<int>(info_.pages.size()) ? info_.pages[static_cast<size_t>(i)].sizeMm : QSizeF();
}

double StampDialog::previewScale() const { return preview_->scale(); }

QWidget* StampDialog::preview() const { return preview_; }

StampPlacement StampDialog::placement() const
{
    StampPlacement p;
    p.pages = pages_->text();
    p.straddle = mode_->currentIndex() == 1;
    p.angleDeg = angle_->value();
    p.xMm = centreMm_.x();
    p.yMm = centreMm_.y();
    if (p.straddle)
        p.straddleYMm = centreMm_.y();
    return p;
}

void StampDialog::setSealCentreMm(const QPointF& centre)
{
    centreMm_ = centre;
    placementChanged();
}

std::optional<SealImpression> StampDialog::shownImpression(QString* problem) const
{
    std::vector<QSizeF> sizes;
    for (const SeenPage& page : info_.pages)
        sizes.push_back(page.sizeMm);
    const QSizeF sealMm(picture_->widthTwips() / 1440 * 25.4, picture_->heightTwips() / 1440 * 25.4);
    try {
        for (const SealImpression& imp : planStamp(sizes, sealMm, placement()))
            if (imp.page == shownPage())
                return imp;
    } catch (const PlometError& e) {
        if (problem)
            *problem = e.message();
    }
    return std::nullopt;
}

void StampDialog::showCentre()
{
    // The fields follow the centre without setting it again.
    const QSignalBlocker bx(x_), by(y_);
    x_->setValue(centreMm_.x());
    y_->setValue(centreMm_.y());
    x_->setEnabled(mode_->currentIndex() == 0);
}

void StampDialog::placementChanged()
{
    showCentre();
    QString problem;
    const auto imp = shownImpression(&problem);
    if (!problem.isEmpty())
        status_->setText(problem);
    else if (imp)
        status_->setText(tr("The seal's centre: %1 mm from the left, %2 mm from the top")
                             .arg(imp->centreMm.x(), 0, 'f', 1)
                             .arg(imp->centreMm.y(), 0, 'f', 1));
    else
        status_->setText(tr("No seal on this page"));
    preview_->update();
}

bool StampDialog::saveTo(const QString& outPath)
{
    StampResult result;
    QString verdict;
    const bool ok = guarded(this, sign_->isChecked() ? tr("Signing failed.") : tr("Stamping failed."), [&] {
        std::optional<SignRequest> request;
        if (sign_->isChecked()) {
            QFile file(certificate_->text());
            if (certificate_->text().isEmpty() || !file.open(QIODevice::ReadOnly))
                throw PlometError(PlometError::Kind::File, tr("Cannot open the certificate file “%1”")
                                                               .arg(QDir::toNativeSeparators(certificate_->text())));
            QByteArray password = password_->text().toUtf8();
            request.emplace();
            request->key = loadSigningKey(file.read(16 * 1024 * 1024), password,
                                          QDir::toNativeSeparators(certificate_->text()));
        }
        result = stampPdf(pdfPath_, outPath, stampSealFromPicture(*picture_), placement(),
                          request ? &*request : nullptr);
        if (!request)
            return;
        // What a reader will find: the written file checked afresh.
        QFile written(outPath);
        const std::vector<SignatureCheck> checks =
            written.open(QIODevice::ReadOnly) ? verifyPdfBytes(written.readAll(), QDir::toNativeSeparators(outPath))
                                              : std::vector<SignatureCheck>{};
        if (!checks.empty() && checks.back().intact && checks.back().wholeFile)
            verdict = tr("The signature verified: the file is intact, signed by %1.").arg(checks.back().signer)
                    + (checks.back().chainValid ? QString()
                                                : tr("\nThe certificate is not trusted (%1).").arg(checks.back().chainProblem));
        else
            verdict = tr("The signature did not verify: %1")
                          .arg(checks.empty() ? tr("the file has no signature") : checks.back().problem);
    });
    if (ok && !result.warnings.isEmpty())
        QMessageBox::information(this, windowTitle(), result.warnings.join(QLatin1Char('\n')));
    if (ok && !verdict.isEmpty())
        QMessageBox::information(this, windowTitle(), verdict);
    return ok;
}

void StampDialog::save()
{
    const QFileInfo in(pdfPath_);
    const QString path = ShowFileDialog(this, kSaveDialog, tr("Save as PDF"),
                                        in.completeBaseName() + tr("-stamped.pdf"),
                                        tr("PDF documents (*.pdf)") + QChar(u'\0') + QStringLiteral("*.pdf"),
                                        in.absolutePath(), QStringLiteral("pdf"));
    if (path.isEmpty())
        return;
    if (saveTo(path))
        accept();
}

void stampSealOntoPdf(QWidget* owner, const Plomet& seal, const QString& initialDir)
{
    const PicturePtr picture = lastPicture(seal);   // no picture yet: says so
    const QString path = ShowFileDialog(owner, kOpenDialog, StampDialog::tr("Choose the PDF to stamp"), QString(),
                                        StampDialog::tr("PDF documents (*.pdf)") + QChar(u'\0') + QStringLiteral("*.pdf"),
                                        initialDir, QStringLiteral("pdf"));
    if (path.isEmpty())
        return;
    PdfInfo info = inspectPdf(path);
    StampDialog dialog(owner, path, std::move(info), picture);
    dialog.exec();
}

} // namespace plomet
