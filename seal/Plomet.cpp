#include "seal/Plomet.h"

#include "seal/ArcText.h"
#include "seal/Errors.h"
#include "seal/NumberText.h"
#include "seal/Properties.h"
#include "seal/RecordingSurface.h"

#include <QMetaType>
#include <algorithm>
#include <cmath>

namespace plomet {

namespace {

// The longest spaced name that is set along the ring: a 16-bit character count.
constexpr qsizetype kMaxArcChars = 32767;

[[noreturn]] void mismatch(const char* key, const QVariant& v, const char* typeName)
{
    QString shown = v.toString();
    if (shown.size() > 40)
        shown = shown.left(40) + QStringLiteral("…");
    throw PlometError(PlometError::Kind::TypeMismatch,
                      QStringLiteral("保存的属性“%1”的值“%2”无法转换为%3")
                          .arg(QLatin1String(key), shown, QString::fromUtf8(typeName)));
}

[[noreturn]] void overflow(const char* key, const QVariant& v, const char* typeName)
{
    throw PlometError(PlometError::Kind::Overflow,
                      QStringLiteral("保存的属性“%1”的值“%2”超出%3的范围")
                          .arg(QLatin1String(key), v.toString(), QString::fromUtf8(typeName)));
}

bool isNumeric(const QVariant& v)
{
    switch (v.metaType().id()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort: case QMetaType::Long: case QMetaType::ULong:
    case QMetaType::Double: case QMetaType::Float: case QMetaType::SChar: case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

QString asText(const char* key, const QVariant& v)
{
    if (!v.isValid())
        return QString();
    switch (v.metaType().id()) {
    case QMetaType::QString:
        return v.toString();
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Float:
        return numberTextSingle(v.toFloat());
    case QMetaType::Double:
        return numberTextDouble(v.toDouble());
    default:
        if (isNumeric(v))
            return numberTextLong(v.toLongLong());
    }
    mismatch(key, v, "文本");
}

// The name with `space` blanks after every character but the last, kept
// within the 16-bit character count the ring can set.
QString spacedName(const QString& name, int32_t space)
{
    if (name.isEmpty())
        return QString();
    // Characters, not UTF-16 units: never put blanks inside a surrogate pair.
    QList<qsizetype> starts;
    for (qsizetype i = 0; i < name.size(); ++i)
        if (!(name[i].isLowSurrogate() && i > 0 && name[i - 1].isHighSurrogate()))
            starts << i;
    const qsizetype n = starts.size();
    // A negative count means no blanks; a huge one is cut so that the name
    // still fits: n + (n - 1) * blanks <= 32767.
    // A single character has no blanks after it, whatever the count (the
    // gap was made anyway: 4 GB for a Space of 2^31-1).
    qsizetype blanks = n > 1 ? std::max<int32_t>(space, 0) : 0;
    if (n > 1)
        blanks = std::min<qsizetype>(blanks, std::max<qsizetype>(0, (kMaxArcChars - name.size()) / (n - 1)));
    QString out;
    out.reserve(std::min<qsizetype>(name.size() + (n - 1) * blanks, kMaxArcChars + 1));
    const QString gap(blanks, QLatin1Char(' '));
    for (qsizetype k = 0; k < n; ++k) {
        const qsizetype end = k + 1 < n ? starts[k + 1] : name.size();
        out += QStringView(name).mid(starts[k], end - starts[k]);
        if (k + 1 < n)
            out += gap;
    }
    return out;
}

bool usableSize(float size) { return std::isfinite(size) && size > 0; }

// Twips to a 32-bit integer, clamped rather than overflowing.
int32_t roundTo32(double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<int32_t>(std::clamp(roundHalfEven(v), -2147483648.0, 2147483647.0));
}

} // namespace

Plomet::Plomet(QObject* parent, float twipsPerPixelX, float twipsPerPixelY)
    : QObject(parent), pic1_(std::make_unique<RecordingSurface>(twipsPerPixelX, twipsPerPixelY))
{
    // A control placed by its host starts at 2055 x 2055 twips.
    width_ = height_ = 2055.0f;
    pic1_->Resize(width_, height_);
}

Plomet::~Plomet() = default;

int32_t Plomet::hDC() const { return pic1_->hDCHandle(); }

void Plomet::announce(const char* name)
{
    if (!quiet_)
        emit PropertyChanged(QLatin1String(name));
}

void Plomet::setShowStar(bool v) { showStar_ = v; announce("ShowStar"); }
void Plomet::setShowDate(bool v) { showDate_ = v; announce("ShowDate"); }
void Plomet::setFontBold(bool v) { fontBold_ = v; announce("FontBold"); }
void Plomet::setMidSign(const QString& v) { midSign_ = v; announce("MidSign"); }
void Plomet::setStarSize(int16_t v) { starSize_ = v; announce("StarSize"); }
void Plomet::setDegree(double v) { degree_ = v; announce("Degree"); }
void Plomet::setPText(const QString& v) { pText_ = v; announce("pText"); }
void Plomet::setPText1(const QString& v) { pText1_ = v; announce("pText1"); }
void Plomet::setForeColor(int32_t v) { foreColor_ = v; announce("ForeColor"); }
void Plomet::setAging(int v) { aging_ = v; announce("Aging"); }
void Plomet::setAgingSeed(int32_t v) { agingSeed_ = v; announce("AgingSeed"); }
void Plomet::setSpace(int32_t v) { space_ = v; announce("Space"); }
void Plomet::setBackColor(int32_t v) { backColor_ = v; announce("BackColor"); }
void Plomet::setRText(const QString& v) { rText_ = v; announce("rText"); }

void Plomet::setShape(Shape v) { form_.shape = v; announce("Shape"); }
void Plomet::setRingWidth(double v) { form_.ringWidth = v; announce("RingWidth"); }
void Plomet::setInnerRing(double v) { form_.innerRing = v; announce("InnerRing"); }
void Plomet::setInnerRingGap(double v) { form_.innerRingGap = v; announce("InnerRingGap"); }
void Plomet::setCodeText(const QString& v) { form_.codeText = v; announce("CodeText"); }
void Plomet::setCodeFontName(const QString& v) { form_.codeFontName = v; announce("CodeFontName"); }
void Plomet::setCodeFontSize(float v) { form_.codeFontSize = v; announce("CodeFontSize"); }
void Plomet::setCodeSpace(double v) { form_.codeSpace = v; announce("CodeSpace"); }
void Plomet::setMidText(const QString& v) { form_.midText = v; announce("MidText"); }
void Plomet::setMidFontSize(float v) { form_.midFontSize = v; announce("MidFontSize"); }
void Plomet::setMidTextWidth(double v) { form_.midTextWidth = v; announce("MidTextWidth"); }
void Plomet::setLowerFontSize(float v) { form_.lowerFontSize = v; announce("LowerFontSize"); }
void Plomet::setLowerCharWidth(double v) { form_.lowerCharWidth = v; announce("LowerCharWidth"); }
void Plomet::setFit(bool v) { form_.fit = v; announce("Fit"); }

void Plomet::setFontName(const QString& v)
{
    fontName_ = v;
    announce("FontName");
    pic1_->setFontName(v);
}

void Plomet::setFontSize(float v)
{
    fontSize_ = v;
    announce("FontSize");
    pic1_->setFontSize(v);
}

void Plomet::setWidth(float twips)
{
    width_ = std::isfinite(twips) ? std::max(0.0f, twips) : 0.0f;
    Resize();
}

void Plomet::setHeight(float twips)
{
    height_ = std::isfinite(twips) ? std::max(0.0f, twips) : 0.0f;
    Resize();
}

void Plomet::Resize()
{
    // The surface follows the control; what it shows stays until the next Draw.
    pic1_->Resize(width_, height_);
    emit resized();
}

void Plomet::InitProperties(bool thenDraw)
{
    // Every property to its new-instance value, unannounced; the control's
    // size stays as its host placed it.
    unknownFileLines_.clear();
    {
        const Quiet quiet(*this);
        for (const PropertyRow& r : propertyRows())
            if (!r.isSize())
                r.set(*this, r.newValue);
    }
    if (thenDraw)
        Draw();
}

namespace {

// The store's words for a row's type in its messages.
const char* storeTypeName(ValueType type)
{
    switch (type) {
    case ValueType::Boolean: return "布尔值";
    case ValueType::Integer: return "整数";
    case ValueType::Long:
    case ValueType::Colour: return "长整数";
    case ValueType::Single: return "单精度数";
    case ValueType::Double: return "双精度数";
    case ValueType::Choice: return "选项";
    case ValueType::Text: break;
    }
    return "文本";
}

// A value from the host's store in the row's type, as the store's values
// convert: numbers as they are, True -1 and False 0, texts read by the
// property table's parser (Reading::Store); an empty slot is 0. A value that
// does not convert throws, in the store's words.
QVariant storedValue(const PropertyRow& row, const QVariant& v)
{
    if (row.type == ValueType::Text)
        return asText(row.name, v);
    ParsedValue p;
    if (!v.isValid())
        p = numberValue(row, 0, Reading::Store, QString());
    else if (v.metaType().id() == QMetaType::Bool)
        p = row.type == ValueType::Boolean ? ParsedValue{v.toBool()}
                                           : numberValue(row, v.toBool() ? -1 : 0, Reading::Store, v.toString());
    else if (isNumeric(v))
        p = numberValue(row, v.toDouble(), Reading::Store, v.toString());
    else if (v.metaType().id() == QMetaType::QString)
        p = parseValue(row, v.toString(), Reading::Store);
    else
        mismatch(row.name, v, storeTypeName(row.type));
    switch (p.kind) {
    case ValueProblem::None:
        return p.value;
    case ValueProblem::OutOfRange:
    case ValueProblem::OutOfBounds:
        overflow(row.name, v, row.type == ValueType::Integer ? "整数（-32768 至 32767）" : storeTypeName(row.type));
    default:
        mismatch(row.name, v, storeTypeName(row.type));
    }
}

} // namespace

void Plomet::ReadProperties(const PropertyBag& store)
{
    picture_ = store.ReadProperty(QStringLiteral("Picture"), QVariant());
    for (const PropertyRow* r : storeReadRows()) {
        const char* key = r->storeReadKey ? r->storeReadKey : r->name;
        const QVariant v = storedValue(*r, store.ReadProperty(QLatin1String(key), r->defaultInStore()));
        const Quiet quiet(*this, !r->announcedOnRead);
        r->set(*this, v);
    }
    Draw();
}

void Plomet::WriteProperties(PropertyBag& store) const
{
    store.WriteProperty(QStringLiteral("Picture"), picture_, QVariant());
    for (const PropertyRow* r : storeWriteRows())
        store.WriteProperty(r->qname(), r->get(*this), r->defaultInStore());
}

void Plomet::Draw()
{
    Surface& s = *pic1_;
    const float tppX = s.TwipsPerPixelX();
    const float tppY = s.TwipsPerPixelY();
    const bool classic = form_.isClassic();

    // 1. Clear.
    s.Cls();
    // 2. The spaced name.
    const QString spaced = spacedName(rText_, space_);
    // 3. Automatic font size, kept in the property.
    if (fontSize_ == 0)
        fontSize_ = rText_.size() < 6 ? 16.0f : 12.0f;
    // 4. Surface font and colour.
    s.setFontSize(fontSize_);
    s.setFontName(fontName_);
    s.setFontBold(fontBold_);
    s.setForeColor(foreColor_);
    // 5-7. Centre, smaller side, text radius.
    const int32_t cx = roundTo32(s.Width() / 2.0);
    const int32_t cy = roundTo32(s.Height() / 2.0);
    const float m = Min(height_, width_);
    int32_t textRadius = roundTo32(double(m) / 2.3);
    const RingGeometry ring = ringGeometry(form_, width_, height_, cx, cy, tppX);
    SealTexts texts;
    if (!classic) {
        texts.name = rText_;
        texts.spacedName = spaced;
        texts.fontSize = fontSize_;
        texts.fontBold = fontBold_;
        texts.degree = degree_;
        texts.showStar = showStar_;
        texts.pText = pText_;
        texts.pText1 = pText1_;
        texts.midSign = midSign_;
    }
    // 8. The name along the arc; a size that is no size sets nothing. An
    // oval and the fitted layout set it along their own curve.
    std::vector<GlyphBox> obstacles;
    if (usableSize(fontSize_)) {
        if (form_.fit || form_.shape == Shape::Oval) {
            obstacles = drawCurvedName(s, ring, texts, form_);
            s.setFontSize(fontSize_);
        } else {
            DrawArcText(s, spaced, cx, cy, textRadius, degree_);
        }
    }
    // 9. Automatic sign size, kept in the property.
    if (starSize_ == 0)
        starSize_ = 24;
    texts.starSize = starSize_;
    // 10. Centre sign, only for ShowStar exactly True; a middle line takes its place.
    std::vector<GlyphBox> centre;
    if (!form_.midText.isEmpty()) {
        const GlyphBox b = drawMidText(s, ring, form_);
        if (b[0] != b[2])
            centre.push_back(b);
    } else if (form_.fit) {
        centre = drawFittedSign(s, ring, texts);
    } else if (showStar_ && starSize_ > 0) {
        s.setFontSize(starSize_);
        const float sz = s.FontSize();
        s.setCurrentX(cx - (tppX + 4) * sz / 2);
        s.setCurrentY(cy - (tppY + 4) * sz / 2);
        if (!midSign_.isEmpty()) {
            const qsizetype len = (midSign_.size() > 1 && midSign_[0].isHighSurrogate()
                                   && midSign_[1].isLowSurrogate()) ? 2 : 1;
            s.Print(midSign_.left(len));
        }
    }
    // The code along the lower arc: the fitted lower lines keep clear of it.
    if (!classic) {
        const std::vector<GlyphBox> code = drawCode(s, ring, form_);
        obstacles.insert(obstacles.end(), code.begin(), code.end());
    }
    // 11-12. The lower lines: bold off, 0.85 of the name's size, centred by
    // the cell estimate (twips per pixel + 4 per point); in the fitted
    // layout centred by their measured width and kept inside the band.
    const float lowerSize = form_.fit && form_.lowerFontSize > 0 ? form_.lowerFontSize : fontSize_ * 0.85f;
    auto lowerLine = [&](const QString& text, double top) {
        if (text.isEmpty() || !usableSize(lowerSize))
            return;
        s.setFontBold(false);
        s.setFontSize(lowerSize);
        const float sz = s.FontSize();
        s.setCurrentX(cx - sz * float(text.size()) * (tppX + 4) / 2);
        s.setCurrentY((tppY + 4) * sz / 2 + top);
        s.Print(text);
    };
    if (form_.fit) {
        if (usableSize(lowerSize))
            drawFittedLowerLines(s, ring, form_, texts, centre, obstacles);
    } else {
        lowerLine(pText_, double(cy) + starSize_ + 150);
        lowerLine(pText1_, double(cy) + 2.0 * starSize_ + 350);
    }
    // 13. The ring: 51 one-pixel circles, radii within 16 bits; the newer
    // forms stroke a band of their own width.
    if (ring.classicBand) {
        const float R = m / 2.1f;
        const double from = std::clamp(roundHalfEven(double(R) - 50), -32768.0, 32767.0);
        const double to = std::clamp(roundHalfEven(double(R)), -32768.0, 32767.0);
        for (double i = from; i <= to; i += 1)
            s.Circle(cx, cy, i);
    }
    drawFormRing(s, ring, form_);
    // 14. Keep the picture, worn as asked.
    s.setAging(std::clamp(aging_, 0, 100), agingSeed_);
    image_ = s.Picture();
    emit drawn();
}

} // namespace plomet
