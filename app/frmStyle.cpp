#include "app/frmStyle.h"

#include "seal/Errors.h"
#include "platform/Guard.h"
#include "seal/Plomet.h"
#include "seal/NumberText.h"
#include "seal/Presets.h"
#include "seal/Properties.h"
#include "seal/Render.h"
#include "seal/SettingText.h"
#include "seal/SealPicture.h"
#include "platform/modFont.h"
#include "seal/Units.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHash>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace plomet {

namespace {

enum class Kind { Text, Length, Number, Font, Choice, Flag, Level, Seed };

// The fields, top to bottom: every property beyond the classic seal and its
// size, in table order, each editing its row through the row's own text
// conversions; what kind of field follows from the row.
std::vector<const PropertyRow*> styleRows()
{
    std::vector<const PropertyRow*> out;
    for (const PropertyRow& r : propertyRows())
        if (!isClassicProperty(r) && !r.isSize())
            out.push_back(&r);
    return out;
}

Kind kindOf(const PropertyRow& r)
{
    switch (r.type) {
    case ValueType::Choice: return Kind::Choice;
    case ValueType::Boolean: return Kind::Flag;
    case ValueType::Text: return r.unit == Unit::Face ? Kind::Font : Kind::Text;
    case ValueType::Integer: return std::isfinite(r.low) && std::isfinite(r.high) ? Kind::Level : Kind::Number;
    case ValueType::Long: return Kind::Seed;   // which wear
    default: return r.isLength() ? Kind::Length : Kind::Number;
    }
}

// A value as its field shows it: lengths in millimetres ("1.2mm", "0mm"),
// in the fewest decimals that read back as the same twips, so that applying
// a field nobody touched changes nothing; a length no millimetre text gives
// back (11.5 twips from a file) stays in twips. What the user types may be
// millimetres or twips, as on the command line.
QString shownText(const PropertyRow& row, const QVariant& value)
{
    const QString twips = valueText(row, value);
    if (!row.isLength() || !std::isfinite(value.toDouble()))
        return twips;
    const QVariant exact = normalised(row, value);
    for (int decimals = 0; decimals <= 3; ++decimals) {
        const double rounded = QString::number(value.toDouble() / kTwipsPerMm, 'f', decimals).toDouble();
        const QString mm = numberTextDouble(rounded) + QStringLiteral("mm");
        if (const ParsedValue back = parseValue(row, mm, Reading::Setting); back.ok() && back.value == exact)
            return mm;
    }
    return twips;
}

// The pending seal's picture is shown at most this big, in pixels.
constexpr int kPreviewPixels = 260;

QPointer<frmStyle>& openDialog()
{
    static QPointer<frmStyle> dialog;
    return dialog;
}

QHash<const Plomet*, frmStyle::ChangeRecorder>& recorders()
{
    static QHash<const Plomet*, frmStyle::ChangeRecorder> bySeal;
    return bySeal;
}

} // namespace

frmStyle::frmStyle(Plomet& seal, QWidget* owner)
    : QDialog(owner), seal_(&seal), preview_(new Plomet(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(tr("Style"));
    setFont(QFont(QStringLiteral("宋体"), 9));
    buildControls();
    guarded(this, tr("Could not read the seal's style."), [this] { ReadData(); });
    // The preview is the seal with the pending fields: when the seal is drawn
    // anew (the settings dialog applied, the colour changed), so is the preview.
    connect(seal_.data(), &Plomet::drawn, this, &frmStyle::schedulePreview);
}

frmStyle::~frmStyle() = default;

frmStyle* frmStyle::showFor(Plomet& seal, QWidget* owner)
{
    QPointer<frmStyle>& dialog = openDialog();
    if (dialog && dialog->seal_ != &seal)
        dialog->close();
    if (!dialog)
        dialog = new frmStyle(seal, owner);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

void frmStyle::setChangeRecorder(const Plomet& seal, ChangeRecorder recorder)
{
    if (recorder)
        recorders().insert(&seal, std::move(recorder));
    else
        recorders().remove(&seal);
}

void frmStyle::sealChanged(const Plomet& seal)
{
    frmStyle* dialog = openDialog();
    if (dialog && dialog->seal_ == &seal)
        guarded(dialog, tr("Could not read the seal's style."), [dialog] { dialog->ReadData(); });
}

void frmStyle::buildControls()
{
    auto* form = new QFormLayout;
    // Aging (做旧): how worn the ink looks and which wear.
    aging_ = new QGroupBox(tr("Ageing"), this);
    aging_->setObjectName(QStringLiteral("aging"));
    auto* agingForm = new QFormLayout(aging_);
    // Presets: a choice, the size of its band's outer edge, and a button.
    cboPreset_ = new QComboBox(this);
    cboPreset_->setObjectName(QStringLiteral("cboPreset"));
    cboPreset_->addItems(presetNames());
    presetSize_ = new QLineEdit(this);
    presetSize_->setObjectName(QStringLiteral("presetSize"));
    presetSize_->setMaximumWidth(60);
    cmdPreset_ = new QPushButton(tr("Use"), this);
    cmdPreset_->setObjectName(QStringLiteral("cmdPreset"));
    auto* presetRow = new QHBoxLayout;
    presetRow->addWidget(cboPreset_, 1);
    presetRow->addWidget(new QLabel(tr("Outer diameter (mm):"), this));
    presetRow->addWidget(presetSize_);
    presetRow->addWidget(cmdPreset_);
    form->addRow(tr("Preset:"), presetRow);
    auto showPresetSize = [this] {
        if (const auto size = presetSizeMm(cboPreset_->currentText()))
            presetSize_->setText(QString::number(size->width()));
    };
    showPresetSize();
    connect(cboPreset_, &QComboBox::currentTextChanged, this, showPresetSize);
    connect(cmdPreset_, &QPushButton::clicked, this, &frmStyle::cmdPreset_Click);
    presetNote_ = new QLabel(this);
    presetNote_->setObjectName(QStringLiteral("presetNote"));
    presetNote_->setWordWrap(true);
    // Two lines kept free: a wrapped label in a form row is not given its height.
    presetNote_->setMinimumHeight(2 * presetNote_->fontMetrics().lineSpacing() + 4);
    form->addRow(presetNote_);

    for (const PropertyRow* row : styleRows()) {
        const QString key = row->qname();
        const QString label = row->qlabel();
        const Kind kind = kindOf(*row);
        QWidget* w = nullptr;
        switch (kind) {
        case Kind::Text:
        case Kind::Length:
        case Kind::Number: {
            auto* e = new QLineEdit(this);
            e->setMaxLength(std::numeric_limits<int>::max());
            connect(e, &QLineEdit::textChanged, this, &frmStyle::schedulePreview);
            w = e;
            break;
        }
        case Kind::Font: {
            auto* c = new QComboBox(this);
            c->setEditable(true);
            c->setInsertPolicy(QComboBox::NoInsert);
            c->setCompleter(nullptr);
            FillFontList(*c);
            connect(c, &QComboBox::currentTextChanged, this, &frmStyle::schedulePreview);
            w = c;
            break;
        }
        case Kind::Choice: {
            auto* c = new QComboBox(this);
            const QStringList names = choiceNames(*row), labels = choiceLabels(*row);
            for (qsizetype i = 0; i < names.size(); ++i)
                c->addItem(labels[i], names[i]);
            connect(c, &QComboBox::currentIndexChanged, this, &frmStyle::schedulePreview);
            w = c;
            break;
        }
        case Kind::Flag: {
            auto* c = new QCheckBox(label, this);
            connect(c, &QCheckBox::toggled, this, &frmStyle::schedulePreview);
            w = c;
            break;
        }
        case Kind::Level: {
            auto* slider = new QSlider(Qt::Horizontal, this);
            slider->setRange(0, 100);
            slider->setPageStep(10);
            auto* shown = new QLabel(QStringLiteral("0"), this);
            shown->setObjectName(key + QStringLiteral("Value"));
            shown->setMinimumWidth(shown->fontMetrics().horizontalAdvance(QStringLiteral("100")));
            connect(slider, &QSlider::valueChanged, this, [this, shown](int v) {
                shown->setText(QString::number(v));
                schedulePreview();
            });
            auto* line = new QHBoxLayout;
            line->addWidget(slider, 1);
            line->addWidget(shown);
            agingForm->addRow(label + QStringLiteral(":"), line);
            w = slider;
            break;
        }
        case Kind::Seed: {
            auto* e = new QLineEdit(this);
            connect(e, &QLineEdit::textChanged, this, &frmStyle::schedulePreview);
            auto* another = new QPushButton(tr("Another one"), this);
            another->setObjectName(QStringLiteral("cmdAnotherSeed"));
            connect(another, &QPushButton::clicked, this, [e] {
                // Any other wear: a seed only names one, so a random one will do.
                const QString old = e->text().trimmed();
                QString next = old;
                while (next == old)
                    next = QString::number(static_cast<int32_t>(QRandomGenerator::global()->generate()));
                e->setText(next);
            });
            auto* line = new QHBoxLayout;
            line->addWidget(e, 1);
            line->addWidget(another);
            agingForm->addRow(label + QStringLiteral(":"), line);
            w = e;
            break;
        }
        }
        w->setObjectName(key);
        fields_.push_back({row, w});
        if (kind == Kind::Level || kind == Kind::Seed)
            continue;   // in the 做旧 group
        if (kind == Kind::Flag)
            form->addRow(w);
        else
            form->addRow(label + QStringLiteral(":"), w);
    }
    QLabel* unit = new QLabel(tr("Lengths in millimetres (1.2mm) or twips; font sizes in points."), this);
    unit->setWordWrap(true);
    form->addRow(unit);

    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("preview"));
    picture_->setMinimumSize(kPreviewPixels, kPreviewPixels);
    picture_->setAlignment(Qt::AlignCenter);
    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("problem"));
    problem_->setWordWrap(true);
    problem_->setMaximumWidth(kPreviewPixels);
    QPalette pal = problem_->palette();
    pal.setColor(QPalette::WindowText, Qt::darkRed);
    problem_->setPalette(pal);

    cmdRefresh_ = new QPushButton(QStringLiteral("应 用"), this);
    cmdRefresh_->setObjectName(QStringLiteral("cmdRefresh"));
    cmdRefresh_->setDefault(true);
    connect(cmdRefresh_, &QPushButton::clicked, this, &frmStyle::cmdRefresh_Click);
    // Closing throws away what was not applied, as the close box does.
    auto* cmdClose = new QPushButton(tr("Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setAutoDefault(false);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);

    auto* left = new QVBoxLayout;
    left->addLayout(form);
    left->addWidget(aging_);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(picture_);
    right->addWidget(problem_);
    right->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdRefresh_);
    buttons->addWidget(cmdClose);
    right->addLayout(buttons);
    auto* top = new QHBoxLayout(this);
    top->addLayout(left, 1);
    top->addLayout(right);

    previewTimer_ = new QTimer(this);
    previewTimer_->setSingleShot(true);
    previewTimer_->setInterval(0);   // one preview for a burst of changes
    connect(previewTimer_, &QTimer::timeout, this, &frmStyle::updatePreview);
}

QString frmStyle::fieldText(const Field& f) const
{
    if (auto* e = qobject_cast<QLineEdit*>(f.widget))
        return e->text();
    if (auto* c = qobject_cast<QCheckBox*>(f.widget))
        return c->isChecked() ? QStringLiteral("True") : QStringLiteral("False");
    if (auto* s = qobject_cast<QSlider*>(f.widget))
        return QString::number(s->value());
    if (auto* c = qobject_cast<QComboBox*>(f.widget))
        return c->isEditable() ? c->currentText() : c->currentData().toString();
    return QString();
}

void frmStyle::setFieldText(const Field& f, const QString& text)
{
    if (auto* e = qobject_cast<QLineEdit*>(f.widget)) {
        e->setText(text);
    } else if (auto* c = qobject_cast<QCheckBox*>(f.widget)) {
        c->setChecked(text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0);
    } else if (auto* s = qobject_cast<QSlider*>(f.widget)) {
        s->setValue(text.toInt());
    } else if (auto* c = qobject_cast<QComboBox*>(f.widget)) {
        if (c->isEditable()) {
            const int i = c->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
            if (i >= 0)
                c->setCurrentIndex(i);
            c->setEditText(text);
        } else {
            const int i = c->findData(text, Qt::UserRole, Qt::MatchFixedString);
            c->setCurrentIndex(std::max(0, i));
        }
    }
}

void frmStyle::ReadData()
{
    presetRest_.clear();
    presetNote_->clear();
    if (!seal_)
        return;
    for (const Field& f : fields_)
        setFieldText(f, shownText(*f.row, seal_->value(*f.row)));
    updatePreview();
}

const frmStyle::Field* frmStyle::fieldOf(const PropertyRow& row) const
{
    for (const Field& f : fields_)
        if (f.row == &row)
            return &f;
    return nullptr;
}

void frmStyle::applyPending(Plomet& target)
{
    failedField_ = nullptr;
    for (const auto& [row, value] : presetRest_)
        target.setValue(*row, value);
    for (const Field& f : fields_) {
        failedField_ = &f;
        try {
            applySetting(target, f.row->qname(), fieldText(f));
        } catch (const PlometError& e) {
            // Name the field as the dialog labels it.
            throw PlometError(e.kind(), QStringLiteral("%1：%2").arg(f.row->qlabel(), e.message()));
        }
    }
    failedField_ = nullptr;
}

void frmStyle::schedulePreview()
{
    previewTimer_->start();
}

void frmStyle::updatePreview()
{
    if (!seal_)
        return;
    try {
        copySettings(*seal_, *preview_);
        applyPending(*preview_);
        preview_->Draw();
        problem_->clear();
    } catch (const PlometError& e) {
        problem_->setText(e.message());
        return;
    }
    const PicturePtr image = preview_->image();
    if (!image)
        return;
    // Drawn at the resolution that fills the preview's box, so that every
    // size shows whole and sharp.
    const DrawingModel& model = image->model();
    const double side = std::max(model.widthTwips, model.heightTwips);
    if (!(side > 0))
        return;
    const double dpi = std::clamp(kPreviewPixels * 1440.0 / side, 24.0, 600.0);
    picture_->setPixmap(QPixmap::fromImage(rasterize(model, dpi)));
}

QString frmStyle::previewProblem() const
{
    return problem_->text();
}

void frmStyle::applyPreset(const QString& name, double outerWidthMm)
{
    const std::optional<PresetValues> settings = presetSettings(name, outerWidthMm);
    if (!settings)
        throw PlometError(PlometError::Kind::Format, tr("There is no preset named \"%1\".").arg(name));
    presetRest_.clear();
    QStringList rest;
    for (const auto& [row, value] : *settings) {
        const Field* f = fieldOf(*row);
        if (f) {
            setFieldText(*f, shownText(*row, value));
        } else {
            presetRest_.push_back({row, value});
            rest << row->qname() + QLatin1Char('=') + valueText(*row, value);
        }
    }
    // The values without a field here, in short; all of them in the tip.
    presetNote_->setText(tr("Preset \"%1\" has %2 more items (size, font, centre mark, lines…) written with “应 用”.")
                             .arg(name).arg(rest.size()));
    presetNote_->setToolTip(rest.join(QLatin1Char('\n')));
    {
        const QSignalBlocker quiet(cboPreset_);
        cboPreset_->setCurrentText(name);
    }
    if (outerWidthMm > 0)
        presetSize_->setText(QString::number(outerWidthMm));
    else if (const auto size = presetSizeMm(name))
        presetSize_->setText(QString::number(size->width()));
    updatePreview();
}

void frmStyle::cmdPreset_Click()
{
    guarded(this, tr("Could not use the preset."), [this] {
        const QString text = presetSize_->text().trimmed();
        double mm = 0;
        if (!text.isEmpty()) {
            bool ok = false;
            mm = text.toDouble(&ok);
            if (!ok || !(mm >= 5 && mm <= 500))
                throw PlometError(PlometError::Kind::TypeMismatch,
                                  tr("Outer diameter: value \"%1\" is not valid: a number of millimetres from 5 to 500 is wanted").arg(text));
        }
        applyPreset(cboPreset_->currentText(), mm);
    });
}

void frmStyle::WriteData()
{
    if (!seal_)
        return;
    // All or nothing: every value is tried on a copy first.
    Plomet trial;
    copySettings(*seal_, trial);
    applyPending(trial);
    applyPending(*seal_);
    presetRest_.clear();
    presetNote_->clear();
    seal_->Draw();
}

void frmStyle::cmdRefresh_Click()
{
    const bool ok = guarded(this, tr("The style was not applied."), [this] {
        const ChangeRecorder recorder = recorders().value(seal_.data());
        if (recorder)
            recorder(tr("Style"), [this] { WriteData(); });
        else
            WriteData();
    });
    if (!ok && failedField_) {
        activateWindow();
        failedField_->widget->setFocus(Qt::OtherFocusReason);
        if (auto* e = qobject_cast<QLineEdit*>(failedField_->widget))
            e->selectAll();
    }
}

void frmStyle::keyPressEvent(QKeyEvent* event)
{
    // Escape is 关 闭: the dialog closes (QDialog would only hide it, and a
    // hidden dialog would come back with stale edits).
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace plomet
