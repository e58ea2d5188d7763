#include "app/frmOption.h"

#include "platform/CommDlgs.h"
#include "app/Conversions.h"
#include "seal/Errors.h"
#include "platform/Guard.h"
#include "seal/Plomet.h"
#include "seal/RecordingSurface.h"
#include "seal/Units.h"
#include "app/frmMain.h"
#include "platform/modFont.h"
#include "app/frmStyle.h"
#include "app/SealPreview.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <cmath>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <optional>

namespace plomet {

namespace {

// Layout positions are twips; a pixel is 15 twips at 96 dots per inch.
constexpr int kTwipsPerPixel = 15;
QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
                 height / kTwipsPerPixel);
}

// ReadData's fourteen steps and WriteData's thirteen writes, by row: each
// runs in its own classic order. ForeColor is read, never written (the colour
// button applies it at once).
const char* const kReadOrder[] = {"rText",    "pText",    "pText1", "ShowStar", "Width",  "Height",    "FontName",
                                  "FontSize", "FontBold", "MidSign", "StarSize", "Space", "ForeColor", "Degree"};
const char* const kWriteOrder[] = {"rText",   "pText",   "StarSize", "pText1",   "Width", "Height", "ShowStar",
                                   "MidSign", "FontName", "FontSize", "FontBold", "Space", "Degree"};

// Sets a drop-down list's text, selecting the matching entry when there is one
// (so the open list shows it) and showing the text as it is when there is not.
void setListText(QComboBox& list, const QString& text)
{
    const int index = list.findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        list.setCurrentIndex(index);
    list.setEditText(text);
}

} // namespace

QColor captionColorOn(const QColor& face)
{
    // Black or white, whichever contrasts more with the face (contrast of
    // relative luminances, as accessibility guidelines measure it).
    const auto linear = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    const double l = 0.2126 * linear(face.redF()) + 0.7152 * linear(face.greenF()) + 0.0722 * linear(face.blueF());
    return (l + 0.05) / 0.05 >= 1.05 / (l + 0.05) ? QColor(Qt::black) : QColor(Qt::white);
}

QColor colorFromRef(int32_t ref)
{
    // The seal's own colour model: a system colour shows as the seal draws it.
    return QColor::fromRgb(colorToRgb(ref));
}

frmOption::frmOption(frmMain& main)
    : QDialog(nullptr), main_(&main)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(QStringLiteral("设置"));
    // The forms' usual face: 宋体 at 9 points (resolved to an installed CJK face).
    setFont(QFont(QStringLiteral("宋体"), 9));
    setFixedSize((kClientWidthTwips + kPreviewWidthTwips) / kTwipsPerPixel,
                 kClientHeightTwips / kTwipsPerPixel);
    buildControls();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    Form_Load();
}

frmOption::~frmOption() = default;

void frmOption::buildControls()
{
    auto label = [this](const QString& text, int l, int t, int w, int h) {
        auto* lbl = new QLabel(text, this);
        lbl->setGeometry(twipsRect(l, t, w, h));
        lbl->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return lbl;
    };
    auto lineEdit = [this](const char* name, int l, int t, int w, int h) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        // A line edit cuts texts at 32767 characters by default: a long text
        // read from the seal must go back unchanged.
        e->setMaxLength(std::numeric_limits<int>::max());
        e->setGeometry(twipsRect(l, t, w, h));
        return e;
    };
    auto checkBox = [this](const char* name, const QString& caption, int l, int t, int w, int h) {
        auto* c = new QCheckBox(caption, this);
        c->setObjectName(QLatin1String(name));
        c->setGeometry(twipsRect(l, t, w, h));
        return c;
    };
    auto list = [this](const char* name, int l, int t, int w, int h) {
        auto* c = new QComboBox(this);
        c->setObjectName(QLatin1String(name));
        c->setEditable(true);
        // The entries are suggestions: a typed value stays what was typed,
        // is not added to the list, and is not completed to an entry.
        c->setInsertPolicy(QComboBox::NoInsert);
        c->setCompleter(nullptr);
        c->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
        c->setGeometry(twipsRect(l, t, w, h));
        return c;
    };
    auto button = [this](const char* name, const QString& caption, int l, int t, int w, int h) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(twipsRect(l, t, w, h));
        return b;
    };

    label(QStringLiteral("公司名称:"), 720, 600, 1215, 495);
    rText_ = lineEdit("rText", 2040, 480, 2895, 375);
    label(QStringLiteral("章附名行1:"), 720, 1200, 1215, 495);
    pText_ = lineEdit("pText", 2040, 1080, 2895, 375);
    label(QStringLiteral("章附名行2:"), 720, 1800, 1215, 495);
    pText1_ = lineEdit("pText1", 2040, 1680, 2895, 375);
    label(QStringLiteral("公章宽度:"), 720, 2400, 1215, 495);
    cWidth_ = lineEdit("cWidth", 2040, 2280, 2895, 375);
    label(QStringLiteral("公章高度:"), 720, 3000, 1215, 495);
    cHeight_ = lineEdit("cHeight", 2040, 2880, 2895, 375);
    chkDist_ = checkBox("chkDist", QStringLiteral("保持一致"), 5040, 2880, 1335, 495);
    // The boxes hold twips, as the description file does; people measure
    // seals in millimetres.
    sizeMm_ = label(QString(), 5040, 2400, kClientWidthTwips - 5040, 375);
    sizeMm_->setObjectName(QStringLiteral("sizeMm"));
    chkStar_ = checkBox("chkStar", QStringLiteral("显示中央标志"), 720, 3600, 1935, 375);
    MidSign_ = lineEdit("MidSign", 2640, 3600, 495, 375);
    label(QStringLiteral("尺寸:"), 3360, 3720, 525, 210);
    cboSignSize_ = list("cboStarSize", 4080, 3600, 855, 315);
    label(QStringLiteral("字体:"), 720, 4320, 525, 210);
    cboFont_ = list("cboFont", 1560, 4320, 1215, 300);
    label(QStringLiteral("尺寸:"), 3000, 4440, 525, 210);
    cboSize_ = list("cboSize", 3720, 4320, 1215, 300);
    chkFontBold_ = checkBox("chkFontBold", QStringLiteral("粗体"), 5160, 4320, 855, 255);
    label(QStringLiteral("字符间隔："), 720, 4920, 1050, 210);
    CharSpace_ = lineEdit("CharSpace", 1800, 4800, 615, 375);
    label(QStringLiteral("个字符"), 2640, 4920, 630, 210);
    cmdColor_ = button("cmdColor", QStringLiteral("更改颜色"), 3600, 4800, 1335, 375);
    label(QStringLiteral("方向(角度):"), 720, 5520, 1155, 210);
    Degree_ = lineEdit("Degree", 2055, 5430, 1575, 285);
    label(QStringLiteral("-1为自动。"), 3840, 5400, 1050, 210);
    cmdOption_ = button("cmdOption", QStringLiteral("更 改"), 1200, 6120, 1335, 375);
    cmdRefresh_ = button("cmdRefresh", QStringLiteral("应 用"), 3240, 6120, 1335, 375);
    // The "样式" dialog edits the newer seal forms; its button sits beside
    // the classic ones, so no classic field moves.
    cmdStyle_ = button("cmdStyle", tr("Style…"), 4800, 6120, 1215, 375);

    // The preview pane, right of the classic fields.
    label(tr("Preview:"), kClientWidthTwips, 480, 1215, 210);
    preview_ = new SealPreview(this);
    preview_->setGeometry(twipsRect(kClientWidthTwips, 780, kPreviewWidthTwips - 240, 4200));
    previewNote_ = label(QString(), kClientWidthTwips, 5100, kPreviewWidthTwips - 240, 1000);
    previewNote_->setObjectName(QStringLiteral("previewNote"));
    previewNote_->setWordWrap(true);

    // The texts the fields hold until ReadData replaces them.
    MidSign_->setText(QStringLiteral("★"));
    CharSpace_->setText(QStringLiteral("1"));
    Degree_->setText(QStringLiteral("-1"));
    chkDist_->setChecked(true);
    chkStar_->setChecked(true);

    // Enter in any field presses "应 用".
    cmdRefresh_->setDefault(true);

    // Keyboard focus order, lowest position first.
    QWidget* const order[] = {rText_,  pText_,   pText1_,     cWidth_,  cHeight_,     cboFont_,
                              cboSize_, CharSpace_, cmdOption_, cmdColor_, chkStar_,    chkDist_,
                              cboSignSize_, MidSign_, Degree_, chkFontBold_, cmdRefresh_, cmdStyle_};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    rText_->setFocus();

    connect(cWidth_, &QLineEdit::textChanged, this, &frmOption::cWidth_Change);
    connect(cHeight_, &QLineEdit::textChanged, this, &frmOption::cHeight_Change);
    connect(cWidth_, &QLineEdit::textChanged, this, &frmOption::showSizeMm);
    connect(cHeight_, &QLineEdit::textChanged, this, &frmOption::showSizeMm);
    connect(cmdColor_, &QPushButton::clicked, this, &frmOption::cmdColor_Click);
    connect(cmdOption_, &QPushButton::clicked, this, &frmOption::cmdOption_Click);
    connect(cmdRefresh_, &QPushButton::clicked, this, &frmOption::cmdRefresh_Click);
    connect(cmdStyle_, &QPushButton::clicked, this, [this] {
        if (main_)
            frmStyle::showFor(main_->Plomet1());
    });

    // The fields and the rows they edit; messages name a field by its row's
    // label (the field's label without its colon, the two "尺寸" told apart).
    fields_ = {
        {"rText", rText_, Reading::Strict},
        {"pText", pText_, Reading::Strict},
        {"pText1", pText1_, Reading::Strict},
        {"Width", cWidth_, Reading::Strict},
        {"Height", cHeight_, Reading::Strict},
        {"ShowStar", chkStar_, Reading::Strict},
        {"MidSign", MidSign_, Reading::Strict},
        {"StarSize", cboSignSize_, Reading::Strict},
        {"FontName", cboFont_, Reading::Strict},
        {"FontSize", cboSize_, Reading::Strict},
        {"FontBold", chkFontBold_, Reading::Strict},
        {"Space", CharSpace_, Reading::Lenient},
        {"ForeColor", cmdColor_, Reading::Strict},
        {"Degree", Degree_, Reading::Lenient},
    };

    // Every edit of a field redraws the preview (the colour button applies
    // its colour and schedules it itself).
    for (const Field& f : fields_) {
        if (auto* e = qobject_cast<QLineEdit*>(f.control))
            connect(e, &QLineEdit::textChanged, this, &frmOption::schedulePreview);
        else if (auto* c = qobject_cast<QComboBox*>(f.control))
            connect(c, &QComboBox::currentTextChanged, this, &frmOption::schedulePreview);
        else if (auto* c = qobject_cast<QCheckBox*>(f.control))
            connect(c, &QCheckBox::toggled, this, &frmOption::schedulePreview);
    }
}

const frmOption::Field& frmOption::field(const char* property) const
{
    for (const Field& f : fields_)
        if (qstrcmp(f.property, property) == 0)
            return f;
    std::abort();   // an order above names a row without a field: a fault of the build
}

void frmOption::readField(const Field& f, const Plomet& seal)
{
    const PropertyRow& row = plomet::property(f.property);
    const QVariant v = seal.value(row);
    if (auto* check = qobject_cast<QCheckBox*>(f.control))
        check->setChecked(v.toBool());
    else if (f.control == cmdColor_)
        setFaceColor(v.toInt());
    else if (auto* edit = qobject_cast<QLineEdit*>(f.control))
        edit->setText(valueText(row, v));
    else if (auto* list = qobject_cast<QComboBox*>(f.control))
        setListText(*list, valueText(row, v));
}

void frmOption::writeField(const Field& f, Plomet& seal)
{
    const PropertyRow& row = plomet::property(f.property);
    if (auto* check = qobject_cast<QCheckBox*>(f.control)) {
        seal.setValue(row, check->isChecked());
        return;
    }
    QString text;
    if (auto* edit = qobject_cast<QLineEdit*>(f.control))
        text = edit->text();
    else if (auto* list = qobject_cast<QComboBox*>(f.control))
        text = list->currentText();
    // The conversion remembers its field, so that a failure can point at it.
    failedField_ = f.control;
    const QVariant v = fieldValue(row, text, f.reading, row.qlabel());
    failedField_ = nullptr;
    seal.setValue(row, v);
}

void frmOption::schedulePreview()
{
    // One redraw for a burst of changes (ReadData sets fourteen fields).
    if (previewPending_)
        return;
    previewPending_ = true;
    QTimer::singleShot(0, this, &frmOption::updatePreview);
}

void frmOption::updatePreview()
{
    previewPending_ = false;
    if (!main_)
        return;
    QWidget* const failedBefore = failedField_;
    QString note;
    try {
        preview_->copyFrom(main_->Plomet1());
        try {
            writeFields(preview_->seal());
        } catch (const PlometError& e) {
            // What "应 用" would refuse; the fields before it show already.
            note = e.message();
        }
        preview_->seal().Draw();
    } catch (const PlometError& e) {
        note = e.message();
    } catch (const std::exception& e) {
        note = QString::fromLocal8Bit(e.what());
    }
    failedField_ = failedBefore;
    previewNote_->setText(note);
}

void frmOption::Form_Load()
{
    FillFontList(*cboFont_);
    FillSizeList(*cboSize_);
    FillSizeList(*cboSignSize_);
    guarded(this, tr("Could not read the seal's settings."), [this] { ReadData(); });
}

void frmOption::ReadData()
{
    if (!main_)
        return;
    // The coupling follows the seal: ticked for a round or square seal,
    // unticked for an oval, so that reading the sizes into their boxes does
    // not make one the copy of the other (an oval would come back round).
    const Plomet& seal = main_->Plomet1();
    chkDist_->setChecked(seal.Width() == seal.Height());
    for (const char* name : kReadOrder)
        readField(field(name), seal);
}

void frmOption::WriteData()
{
    if (!main_)
        return;
    Plomet& seal = main_->Plomet1();
    writeFields(seal);
    seal.Draw();
}

void frmOption::writeFields(Plomet& seal)
{
    failedField_ = nullptr;
    for (const char* name : kWriteOrder)
        writeField(field(name), seal);
}

// The size coupling: each change is copied once; setting the other box to the
// text it already holds is no change, so the copy does not come back.
void frmOption::cWidth_Change()
{
    if (chkDist_->isChecked() && cHeight_->text() != cWidth_->text())
        cHeight_->setText(cWidth_->text());
}

void frmOption::cHeight_Change()
{
    if (chkDist_->isChecked() && cWidth_->text() != cHeight_->text())
        cWidth_->setText(cHeight_->text());
}

void frmOption::showSizeMm()
{
    const auto mm = [](const QLineEdit* box) -> QString {
        bool ok = false;
        const double twips = box->text().trimmed().toDouble(&ok);
        return ok && std::isfinite(twips) ? QString::number(twips / kTwipsPerMm, 'f', 2) : QStringLiteral("?");
    };
    const QString text = QStringLiteral("%1 × %2 mm").arg(mm(cWidth_), mm(cHeight_));
    sizeMm_->setText(text);
    // The label has only the room between the box and the preview: a
    // smaller type rather than a cut-off unit.
    QFont font = this->font();
    while (QFontMetrics(font).horizontalAdvance(text) > sizeMm_->width() && font.pointSizeF() > 6)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    sizeMm_->setFont(font);
}

void frmOption::setFaceColor(int32_t color)
{
    faceColor_ = color;
    const QColor face = colorFromRef(color);
    const QColor caption = captionColorOn(face);
    QPalette pal = cmdColor_->palette();
    pal.setColor(QPalette::Button, face);
    pal.setColor(QPalette::ButtonText, caption);
    cmdColor_->setPalette(pal);
    // The style's own button is shaded (the default red showed as pink and
    // near colours looked alike): the face is one flat field of exactly the
    // seal's colour, framed in the caption's colour; a thicker frame shows
    // the focus, and the caption moves down a pixel while pressed.
    cmdColor_->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; color: %2; border: 1px solid %2; padding: 2px; }"
                       "QPushButton:focus { border-width: 2px; padding: 1px; }"
                       "QPushButton:pressed { padding-top: 3px; padding-bottom: 1px; }")
            .arg(face.name(QColor::HexRgb), caption.name(QColor::HexRgb)));
}

bool frmOption::writeOrExplain()
{
    failedField_ = nullptr;
    const bool ok = guarded(this, tr("Not all settings were applied."), [this] {
        if (main_)
            main_->recordChange(QStringLiteral("设置"), [this] { WriteData(); });
    });
    if (!ok && failedField_) {
        // Back to the field that needs mending, its text kept and selected.
        activateWindow();
        failedField_->setFocus(Qt::OtherFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(failedField_))
            edit->selectAll();
        else if (auto* combo = qobject_cast<QComboBox*>(failedField_))
            combo->lineEdit()->selectAll();
    }
    return ok;
}

void frmOption::cmdColor_Click()
{
    guarded(this, tr("Could not change the colour."), [this] {
        // Opens at the seal's colour, as the button shows it.
        const std::optional<int32_t> chosen = ShowColorDialog(this, colorFromRef(faceColor_));
        if (!chosen)
            return;   // cancelled: the colour stays as it is
        setFaceColor(*chosen);
        if (!main_)
            return;
        main_->recordChange(tr("Colour"), [this] {
            Plomet& seal = main_->Plomet1();
            seal.setForeColor(faceColor_);
            seal.Draw();
        });
        schedulePreview();
    });
}

void frmOption::cmdOption_Click()
{
    if (!writeOrExplain())
        return;
    if (main_)
        main_->showAndActivate();
    close();
}

void frmOption::cmdRefresh_Click()
{
    if (!writeOrExplain())
        return;
    if (main_)
        main_->showAndActivate();
}

void frmOption::keyPressEvent(QKeyEvent* event)
{
    // The dialog has no cancel button: Escape must not throw away what the
    // user typed by closing it.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace plomet
