#include "stamp/PdfStamp.h"

#include "formats/AtomicFile.h"
#include "stamp/PdfAppend.h"
#include "stamp/QpdfReason.h"
#include "seal/Errors.h"
#include "seal/SystemReason.h"
#include "formats/Export.h"
#include "seal/Units.h"
#include "seal/Warnings.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <QDir>
#include <QFile>
#include <QPolygonF>
#include <QRectF>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <QCoreApplication>

namespace plomet {

namespace {


[[noreturn]] void refuse(const QString& message)
{
    throw PlometError(PlometError::Kind::Format, message);
}

QString native(const QString& path) { return QDir::toNativeSeparators(path); }

// The header may follow some bytes of junk, as readers allow, but must be
// near the start: anything else is not a PDF at all.
bool looksLikePdf(const QByteArray& head)
{
    return head.left(1024).contains("%PDF-");
}

// Opens the document through `process`, turning qpdf's failures into one
// line each. qpdf repairs what it can (and reports that as warnings).
void openDocument(QPDF& pdf, const QString& name, const QByteArray& head,
                  const std::function<void()>& process)
{
    if (!looksLikePdf(head))
        refuse(QCoreApplication::translate("Stamp", "“%1” is not a PDF file").arg(name));
    pdf.setSuppressWarnings(true);
    try {
        process();
    } catch (const QPDFExc& e) {
        if (e.getErrorCode() == qpdf_e_password)
            refuse(QCoreApplication::translate("Stamp", "“%1” needs a password to open; it cannot be stamped").arg(name));
        refuse(QCoreApplication::translate("Stamp", "“%1” is damaged beyond repair: %2").arg(name, qpdfReason(e)));
    } catch (const std::exception& e) {
        refuse(QCoreApplication::translate("Stamp", "“%1” is damaged beyond repair: %2").arg(name, qpdfReason(e)));
    }
}

// Opens the document at path, read from the file as needed rather than all
// at once. Returns its name for messages.
QString openFile(QPDF& pdf, const QString& path)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        const QString reason = openReason(file, errno);
        throw PlometError(PlometError::Kind::File, QCoreApplication::translate("Stamp", "cannot open the file “%1”: %2")
                                                       .arg(native(path), reason));
    }
    const QByteArray head = file.read(1024);
    file.close();
    const QString name = native(path);
    const QByteArray local = QFile::encodeName(path);
    openDocument(pdf, name, head, [&] { pdf.processFile(local.constData()); });
    return name;
}

QString repairedWarning(const QString& name)
{
    return warningPrefix() + QCoreApplication::translate("Stamp", "“%1” is damaged; it was repaired before stamping: check the result").arg(name);
}

// A page's geometry: the visible box (crop box within the media box) in user
// units, the rotation as seen, and the size of a user unit in points.
struct PageGeom {
    double llx = 0, lly = 0, urx = 612, ury = 792;
    int rotate = 0;
    double unit = 1;

    double boxW() const { return urx - llx; }
    double boxH() const { return ury - lly; }
    // The page as seen, in points.
    double seenW() const { return (rotate % 180 == 0 ? boxW() : boxH()) * unit; }
    double seenH() const { return (rotate % 180 == 0 ? boxH() : boxW()) * unit; }

    // From the page as seen (points, origin top-left, y down) to user space.
    QTransform seenToUser() const
    {
        const double s = 1.0 / unit;
        switch (rotate) {
        case 90: return QTransform(0, s, s, 0, llx, lly);
        case 180: return QTransform(-s, 0, 0, s, urx, lly);
        case 270: return QTransform(0, -s, -s, 0, urx, ury);
        default: return QTransform(s, 0, 0, -s, llx, ury);
        }
    }
};

std::optional<QRectF> boxOf(QPDFObjectHandle box)
{
    if (!box.isRectangle())
        return std::nullopt;
    const auto r = box.getArrayAsRectangle();
    QRectF rect(QPointF(std::min(r.llx, r.urx), std::min(r.lly, r.ury)),
                QPointF(std::max(r.llx, r.urx), std::max(r.lly, r.ury)));
    if (!std::isfinite(rect.width()) || !std::isfinite(rect.height()))
        return std::nullopt;
    return rect;
}

PageGeom geometryOf(QPDFPageObjectHelper& page)
{
    PageGeom g;
    // Readers take a missing or broken media box for Letter.
    QRectF media = boxOf(page.getMediaBox()).value_or(QRectF(0, 0, 612, 792));
    QRectF visible = media;
    if (auto crop = boxOf(page.getAttribute("/CropBox", false))) {
        const QRectF inside = crop->intersected(media);
        if (inside.width() > 0 && inside.height() > 0)
            visible = inside;
    }
    g.llx = visible.left();
    g.lly = visible.top();      // QRectF's "top" is the smaller y: PDF's bottom
    g.urx = visible.right();
    g.ury = visible.bottom();
    // /Rotate is inherited and may be negative or beyond 360: normalise it
    // here (some readers and libraries ignore a negative one). A value that
    // is no multiple of 90 is taken as 0, as readers do.
    QPDFObjectHandle rotate = page.getAttribute("/Rotate", false);
    if (rotate.isInteger()) {
        const long long r = rotate.getIntValue();
        if (r % 90 == 0)
            g.rotate = static_cast<int>(((r % 360) + 360) % 360);
    }
    QPDFObjectHandle unit = page.getObjectHandle().getKey("/UserUnit");
    if (unit.isNumber()) {
        const double u = unit.getNumericValue();
        if (std::isfinite(u) && u > 0 && u < 1e4)
            g.unit = u;
    }
    return g;
}

// Digital signatures: a signature field with a value, or a certification.
bool carriesSignatures(QPDF& pdf)
{
    QPDFObjectHandle root = pdf.getRoot();
    QPDFObjectHandle perms = root.getKey("/Perms");
    if (perms.isDictionary() && (perms.hasKey("/DocMDP") || perms.hasKey("/UR3")))
        return true;
    QPDFObjectHandle acroForm = root.getKey("/AcroForm");
    if (!acroForm.isDictionary())
        return false;
    QPDFObjectHandle sigFlags = acroForm.getKey("/SigFlags");
    if (sigFlags.isInteger() && (sigFlags.getIntValue() & 1))
        return true;
    QPDFAcroFormDocumentHelper forms(pdf);
    for (auto& field : forms.getFormFields())
        if (field.getFieldType() == "/Sig" && field.getValue().isDictionary())
            return true;
    return false;
}

QByteArray pdfNumber(double v)
{
    if (std::abs(v) < 1e-9)
        v = 0;
    QByteArray s = QByteArray::number(v, 'f', 5);
    while (s.endsWith('0'))
        s.chop(1);
    if (s.endsWith('.'))
        s.chop(1);
    return s;
}

QByteArray matrixOperands(const QTransform& t)
{
    return pdfNumber(t.m11()) + ' ' + pdfNumber(t.m12()) + ' ' + pdfNumber(t.m21()) + ' ' + pdfNumber(t.m22())
         + ' ' + pdfNumber(t.dx()) + ' ' + pdfNumber(t.dy());
}

// A name not yet used in a resource dictionary.
std::string freeName(QPDFObjectHandle dict, const std::string& base)
{
    std::string name = base;
    for (int i = 2; dict.hasKey(name); ++i)
        name = base + std::to_string(i);
    return name;
}

// A dictionary of the page's own, a shallow copy of the one it had: the
// original may be shared with other pages or inherited.
QPDFObjectHandle ownDictionary(QPDFObjectHandle parent, const std::string& key, QPDFObjectHandle from)
{
    QPDFObjectHandle dict = from.isDictionary() ? from.shallowCopy() : QPDFObjectHandle::newDictionary();
    parent.replaceKey(key, dict);
    return dict;
}

// Where the seal lies in its own form space (points, y up): its top-left
// corner at the top-left of the seal page.
struct SealForm {
    QPDFObjectHandle form;
    QRectF area;                    // the seal's area in form space
};

// Turns the seal's page into a form XObject of the target document.
SealForm importSeal(QPDF& target, QPDF& sealPdf, const StampSeal& seal)
{
    sealPdf.setSuppressWarnings(true);
    try {
        sealPdf.processMemoryFile("seal", seal.pdf.constData(), static_cast<size_t>(seal.pdf.size()));
    } catch (const std::exception& e) {
        throw PlometError(PlometError::Kind::Format, QCoreApplication::translate("Stamp", "cannot read the seal's PDF: %1").arg(qpdfReason(e)));
    }
    auto pages = QPDFPageDocumentHelper(sealPdf).getAllPages();
    if (pages.empty())
        throw PlometError(PlometError::Kind::Format, QCoreApplication::translate("Stamp", "the seal's PDF has no page"));
    QPDFPageObjectHelper& page = pages.front();
    const PageGeom g = geometryOf(page);
    SealForm out;
    out.form = target.copyForeignObject(page.getFormXObjectForPage());
    out.area = QRectF(g.llx, g.ury - seal.heightPt, seal.widthPt, seal.heightPt);
    return out;
}

// An area (any units, y up) -> seen (y down): its centre at (cx, cy), turned
// clockwise as seen.
QTransform placeArea(const QRectF& area, double cx, double cy, double angleDeg)
{
    const QPointF c = area.center();
    QTransform t(1, 0, 0, -1, -c.x(), c.y());
    t *= QTransform().rotate(angleDeg);
    t *= QTransform::fromTranslate(cx, cy);
    return t;
}

void checkPlacement(const StampPlacement& p)
{
    if (!std::isfinite(p.xMm) || !std::isfinite(p.yMm) || !std::isfinite(p.angleDeg) || !std::isfinite(p.firstStripMm)
        || !std::isfinite(p.insetMm) || (p.straddleYMm && !std::isfinite(*p.straddleYMm)))
        refuse(QCoreApplication::translate("Stamp", "the position or the angle is not a finite number"));
    if (p.straddle && p.straddleMax < 1)
        refuse(QCoreApplication::translate("Stamp", "a straddling seal needs at least 1 page per impression"));
    if (p.straddle && p.insetMm < 0)
        refuse(QCoreApplication::translate("Stamp", "a straddling seal's distance from the page edge cannot be negative"));
}

std::vector<SealImpression> straddlePlan(const std::vector<int>& pages, const std::vector<QSizeF>& seen,
                                         const QSizeF& sealMm, const StampPlacement& p)
{
    // The turned seal's bounds: the strips cut their width.
    const QRectF area(QPointF(0, 0), sealMm);
    const QRectF bounds = placeArea(area, 0, 0, p.angleDeg).mapRect(area);
    const double width = bounds.width();
    const double y = p.straddleYMm ? *p.straddleYMm : seen[static_cast<size_t>(pages.front())].height() / 2;

    std::vector<SealImpression> out;
    const size_t n = pages.size();
    const size_t groups = (n + static_cast<size_t>(p.straddleMax) - 1) / static_cast<size_t>(p.straddleMax);
    size_t start = 0;
    for (size_t g = 0; g < groups; ++g) {
        // Groups as equal as possible: the first ones take the remainder.
        const size_t count = n / groups + (g < n % groups ? 1 : 0);
        // Strip widths: the first page's as asked, the others share the rest.
        std::vector<double> widths(count, width / static_cast<double>(count));
        if (p.firstStripMm > 0 && count > 1) {
            if (p.firstStripMm >= width)
                refuse(QCoreApplication::translate("Stamp", "the first strip is %1 mm wide, no narrower than the seal (%2 mm)")
                           .arg(p.firstStripMm).arg(width, 0, 'f', 1));
            widths[0] = p.firstStripMm;
            for (size_t i = 1; i < count; ++i)
                widths[i] = (width - p.firstStripMm) / static_cast<double>(count - 1);
        }
        // Strip offsets from the seal's left bound: at the right edge the
        // first page shows the leftmost strip, at the left edge the rightmost
        // (the pages fanned out towards that edge).
        std::vector<double> offsets(count);
        double x = 0;
        if (p.edge == StampPlacement::Edge::Right) {
            for (size_t i = 0; i < count; ++i) {
                offsets[i] = x;
                x += widths[i];
            }
        } else {
            for (size_t i = count; i-- > 0;) {
                offsets[i] = x;
                x += widths[i];
            }
        }
        for (size_t i = 0; i < count; ++i) {
            const int index = pages[start + i];
            const QSizeF page = seen[static_cast<size_t>(index)];
            const double stripLeft = p.edge == StampPlacement::Edge::Right ? page.width() - p.insetMm - widths[i]
                                                                           : p.insetMm;
            SealImpression imp;
            imp.page = index;
            // The seal's left bound sits so that its strip falls there.
            imp.centreMm = QPointF(stripLeft - offsets[i] + width / 2, y);
            imp.angleDeg = p.angleDeg;
            imp.clipMm = QRectF(stripLeft, 0, widths[i], page.height());
            out.push_back(imp);
        }
        start += count;
    }
    return out;
}

QString pageListOf(const StampPlacement& p)
{
    if (!p.pages.trimmed().isEmpty())
        return p.pages;
    return p.straddle ? QStringLiteral("all") : QStringLiteral("1");
}

// The plan for the chosen pages; seen holds their sizes (others unused).
std::vector<SealImpression> planChosen(const std::vector<int>& chosen, const std::vector<QSizeF>& seen,
                                       const QSizeF& sealMm, const StampPlacement& p)
{
    std::vector<SealImpression> out;
    if (p.straddle) {
        out = straddlePlan(chosen, seen, sealMm, p);
    } else {
        for (int index : chosen)
            out.push_back({index, QPointF(p.xMm, p.yMm), p.angleDeg, std::nullopt});
    }
    // Every impression must show some of the seal on its page.
    const QRectF area(QPointF(0, 0), sealMm);
    for (const SealImpression& imp : out) {
        const QSizeF page = seen[static_cast<size_t>(imp.page)];
        QRectF ink = placeArea(area, imp.centreMm.x(), imp.centreMm.y(), imp.angleDeg).mapRect(area);
        if (imp.clipMm)
            ink = ink.intersected(*imp.clipMm);
        const QRectF shown = ink.intersected(QRectF(QPointF(0, 0), page));
        if (!(shown.width() > 0 && shown.height() > 0))
            refuse(QCoreApplication::translate("Stamp", "the seal lies wholly off page %1 (the page is %2 × %3 mm)")
                       .arg(imp.page + 1)
                       .arg(page.width(), 0, 'f', 1)
                       .arg(page.height(), 0, 'f', 1));
    }
    return out;
}

// What is likely a slip in the placement, though it can be stamped: a seal
// mostly off its page, a cross-page seal on a single page.
QStringList placementWarnings(const std::vector<SealImpression>& impressions, const std::vector<QSizeF>& seen,
                              const QSizeF& sealMm, const StampPlacement& p)
{
    QStringList out;
    if (p.straddle && impressions.size() == 1)
        out << warningPrefix() + QCoreApplication::translate("Stamp", "the straddling seal falls on one page only (page %1), so it straddles nothing; choose two pages or more").arg(impressions.front().page + 1);
    const QRectF area(QPointF(0, 0), sealMm);
    for (const SealImpression& imp : impressions) {
        if (imp.clipMm)
            continue;   // a strip is meant to be a part of the seal
        const QSizeF page = seen[static_cast<size_t>(imp.page)];
        const QPolygonF ink = placeArea(area, imp.centreMm.x(), imp.centreMm.y(), imp.angleDeg).map(QPolygonF(area));
        const QPolygonF shown = ink.intersected(QPolygonF(QRectF(QPointF(0, 0), page)));
        const auto areaOf = [](const QPolygonF& poly) {
            double a = 0;
            for (qsizetype i = 0; i < poly.size(); ++i)
                a += poly[i].x() * poly[(i + 1) % poly.size()].y() - poly[(i + 1) % poly.size()].x() * poly[i].y();
            return std::abs(a) / 2;
        };
        const double share = areaOf(ink) > 0 ? areaOf(shown) / areaOf(ink) : 1;
        if (share < 0.5)
            out << warningPrefix() + QCoreApplication::translate("Stamp", "the seal on page %1 is mostly off the page (only %2% is on it)")
                       .arg(imp.page + 1)
                       .arg(int(share * 100));
    }
    return out;
}

// A PDF text string for qpdf's objects.
QPDFObjectHandle textObject(const QString& text) { return QPDFObjectHandle::newUnicodeString(text.toStdString()); }

QPDFObjectHandle rectObject(const QRectF& r)
{
    return QPDFObjectHandle::newArray(QPDFObjectHandle::Rectangle(r.left(), r.top(), r.right(), r.bottom()));
}

// The new signature field's name: as asked, or the first free SignatureN.
QString fieldNameFor(QPDF& pdf, const QString& asked, const QString& name)
{
    std::set<std::string> taken;
    for (auto& field : QPDFAcroFormDocumentHelper(pdf).getFormFields())
        taken.insert(field.getFullyQualifiedName());
    if (!asked.isEmpty()) {
        if (taken.count(asked.toStdString()))
            refuse(QCoreApplication::translate("Stamp", "“%1” already has a form field named “%2”").arg(name, asked));
        return asked;
    }
    for (int i = 1;; ++i) {
        const QString candidate = QStringLiteral("Signature%1").arg(i);
        if (!taken.count(candidate.toStdString()))
            return candidate;
    }
}

// The signature field, its value the signature dictionary (written by the
// update itself), in the document's form.
QPDFObjectHandle addSignatureField(QPDF& pdf, IncrementalUpdate& update, const QString& fieldName,
                                   QPDFObjectHandle value)
{
    QPDFObjectHandle field = pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /FT /Sig >>"));
    field.replaceKey("/T", textObject(fieldName));
    field.replaceKey("/V", value);
    QPDFObjectHandle root = pdf.getRoot();
    QPDFObjectHandle form = root.getKey("/AcroForm");
    if (!form.isDictionary()) {
        form = QPDFObjectHandle::newDictionary();
        root.replaceKey("/AcroForm", form);
    }
    update.changed(form.isIndirect() ? form : root);
    QPDFObjectHandle fields = form.getKey("/Fields");
    if (!fields.isArray()) {
        fields = QPDFObjectHandle::newArray();
        form.replaceKey("/Fields", fields);
    }
    update.changed(fields);
    fields.appendItem(field);
    // Signatures exist, and the file is to be changed by appending only.
    form.replaceKey("/SigFlags", QPDFObjectHandle::newInteger(3));
    // A reader asked to make the fields' appearances anew draws a signature
    // field as nothing (poppler does), and appearances made after signing
    // would be changes to the signed document: the seal keeps its own.
    if (form.getKey("/NeedAppearances").isBool() && form.getKey("/NeedAppearances").getBoolValue())
        form.replaceKey("/NeedAppearances", QPDFObjectHandle::newBool(false));
    return field;
}

void addAnnotation(QPDFObjectHandle pageDict, IncrementalUpdate& update, QPDFObjectHandle annotation)
{
    QPDFObjectHandle annots = pageDict.getKey("/Annots");
    if (!annots.isArray()) {
        annots = QPDFObjectHandle::newArray();
        pageDict.replaceKey("/Annots", annots);
    }
    update.changed(annots);
    annots.appendItem(annotation);
}

QByteArray stampDocument(QPDF& pdf, const QString& name, const QByteArray* original, const StampSeal& seal,
                         const StampPlacement& placement, StampResult* result, const SignRequest* sign)
{
    StampResult local;
    StampResult& res = result ? *result : local;
    if (seal.widthPt <= 0 || seal.heightPt <= 0 || seal.pdf.isEmpty())
        refuse(QCoreApplication::translate("Stamp", "the seal's size is 0: there is no seal to stamp"));
    checkPlacement(placement);

    try {
        if (pdf.isEncrypted() && !pdf.allowModifyOther())
            refuse(QCoreApplication::translate("Stamp", "the permissions of “%1” forbid changes; it cannot be stamped").arg(name));
        // A signed document gets the seal appended, so that its
        // signatures stay valid; so does one being signed now.
        const bool isSigned = carriesSignatures(pdf);
        if (isSigned && placement.force && !sign)
            res.warnings << warningPrefix() + QCoreApplication::translate("Stamp", "the digital signature of “%1” no longer holds after stamping").arg(name);
        std::optional<IncrementalUpdate> update;
        if (sign || (isSigned && !placement.force)) {
            if (!original)
                refuse(QCoreApplication::translate("Stamp", "“%1” is digitally signed: it can only take an incremental update").arg(name));
            update.emplace(pdf, *original, name);
        }
        if (sign && !sign->key)
            refuse(QCoreApplication::translate("Stamp", "there is no certificate to sign with"));

        QPDFPageDocumentHelper doc(pdf);
        std::vector<QPDFPageObjectHelper> pages = doc.getAllPages();
        if (pages.empty())
            refuse(QCoreApplication::translate("Stamp", "“%1” has no pages").arg(name));
        // Only the pages the list names are looked at: a big document costs
        // no more than its page tree.
        const std::vector<int> chosen = parsePageList(pageListOf(placement), static_cast<int>(pages.size()));
        std::vector<PageGeom> geom(pages.size());
        std::vector<QSizeF> seen(pages.size());
        for (int index : chosen) {
            geom[static_cast<size_t>(index)] = geometryOf(pages[static_cast<size_t>(index)]);
            seen[static_cast<size_t>(index)] = QSizeF(geom[static_cast<size_t>(index)].seenW() / kPointsPerMm,
                                                      geom[static_cast<size_t>(index)].seenH() / kPointsPerMm);
        }
        const QSizeF sealMm(seal.widthPt / kPointsPerMm, seal.heightPt / kPointsPerMm);
        const std::vector<SealImpression> impressions = planChosen(chosen, seen, sealMm, placement);
        res.warnings += placementWarnings(impressions, seen, sealMm, placement);

        QPDF sealPdf;
        const SealForm sealForm = importSeal(pdf, sealPdf, seal);

        // Ink is multiplied onto the page, as real ink is: what lies under
        // the seal stays readable.
        QPDFObjectHandle ink = QPDFObjectHandle::parse("<< /Type /ExtGState /BM /Multiply >>");
        ink = pdf.makeIndirectObject(ink);
        QPDFObjectHandle form = sealForm.form;
        // The page's own content goes between q and Q so that a graphics
        // state it leaves behind does not move the seal; one shared stream.
        QPDFObjectHandle open = QPDFObjectHandle::newStream(&pdf, "q\n");

        // Signing: the field comes first, its widget with the first
        // impression. A cross-page seal's other strips go into their pages'
        // content in the same update, so the signature covers them too: a
        // field whose kids are widgets on several pages is read by poppler
        // (pdfsig) as that many unsigned signatures.
        QPDFObjectHandle signatureValue;
        QPDFObjectHandle field;
        PendingSignature pending;
        if (sign) {
            const QDateTime time = sign->options.time.isValid() ? sign->options.time : QDateTime::currentDateTimeUtc();
            pending = pendingSignature(*sign->key, sign->options, time);
            signatureValue = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
            update->writeRaw(signatureValue, pending.body);
            field = addSignatureField(pdf, *update, fieldNameFor(pdf, sign->options.fieldName, name), signatureValue);
        }

        for (const SealImpression& imp : impressions) {
            QPDFPageObjectHelper& page = pages[static_cast<size_t>(imp.page)];
            const PageGeom& g = geom[static_cast<size_t>(imp.page)];
            QPDFObjectHandle pageDict = page.getObjectHandle();
            if (update)
                update->changed(pageDict);
            if (sign && &imp == &impressions.front()) {
                // The widget's appearance draws the seal as the page content
                // would: the same matrix, clip and ink, in the page's user
                // space, so its bounding box is the widget's rectangle.
                const QTransform seenToUser = g.seenToUser();
                const QTransform sealToUser = placeArea(sealForm.area, imp.centreMm.x() * kPointsPerMm,
                                                        imp.centreMm.y() * kPointsPerMm, imp.angleDeg)
                                            * seenToUser;
                QRectF rect = sealToUser.mapRect(sealForm.area);
                QByteArray content = "q\n/PlometInk gs\n";
                if (imp.clipMm) {
                    const QRectF clip =
                        (QTransform::fromScale(kPointsPerMm, kPointsPerMm) * seenToUser).mapRect(*imp.clipMm);
                    rect = rect.intersected(clip);
                    content += pdfNumber(clip.x()) + ' ' + pdfNumber(clip.y()) + ' ' + pdfNumber(clip.width()) + ' '
                             + pdfNumber(clip.height()) + " re W n\n";
                }
                content += matrixOperands(sealToUser) + " cm\n/PlometSeal Do\nQ\n";
                QPDFObjectHandle appearance = QPDFObjectHandle::newStream(&pdf, content.toStdString());
                QPDFObjectHandle apDict = QPDFObjectHandle::parse(
                    "<< /Type /XObject /Subtype /Form /Resources << /XObject << >> /ExtGState << >> >> >>");
                apDict.replaceKey("/BBox", rectObject(rect));
                apDict.getKey("/Resources").getKey("/XObject").replaceKey("/PlometSeal", form);
                apDict.getKey("/Resources").getKey("/ExtGState").replaceKey("/PlometInk", ink);
                appearance.replaceDict(apDict);
                // Printed, and locked against moving it about.
                QPDFObjectHandle widget = field;
                widget.replaceKey("/Type", QPDFObjectHandle::newName("/Annot"));
                widget.replaceKey("/Subtype", QPDFObjectHandle::newName("/Widget"));
                widget.replaceKey("/F", QPDFObjectHandle::newInteger(4 | 128));
                widget.replaceKey("/Rect", rectObject(rect));
                widget.replaceKey("/P", pageDict);
                widget.replaceKey("/AP", QPDFObjectHandle::newDictionary());
                widget.getKey("/AP").replaceKey("/N", appearance);
                addAnnotation(pageDict, *update, widget);
                if (res.pages.empty() || res.pages.back() != imp.page + 1)
                    res.pages.push_back(imp.page + 1);
                continue;
            }
            QPDFObjectHandle resources = ownDictionary(pageDict, "/Resources", page.getAttribute("/Resources", false));
            QPDFObjectHandle xobjects = ownDictionary(resources, "/XObject", resources.getKey("/XObject"));
            QPDFObjectHandle states = ownDictionary(resources, "/ExtGState", resources.getKey("/ExtGState"));
            const std::string sealName = freeName(xobjects, "/PlometSeal");
            const std::string inkName = freeName(states, "/PlometInk");
            xobjects.replaceKey(sealName, form);
            states.replaceKey(inkName, ink);

            const QTransform seenToUser = g.seenToUser();
            QByteArray content = "\nQ\nq\n" + QByteArray::fromStdString(inkName) + " gs\n";
            const QTransform mmToUser = QTransform::fromScale(kPointsPerMm, kPointsPerMm) * seenToUser;
            if (imp.clipMm) {
                const QRectF clip = mmToUser.mapRect(*imp.clipMm);
                content += pdfNumber(clip.x()) + ' ' + pdfNumber(clip.y()) + ' ' + pdfNumber(clip.width()) + ' '
                         + pdfNumber(clip.height()) + " re W n\n";
            }
            const QTransform sealToSeen = placeArea(sealForm.area, imp.centreMm.x() * kPointsPerMm,
                                                    imp.centreMm.y() * kPointsPerMm, imp.angleDeg);
            content += matrixOperands(sealToSeen * seenToUser) + " cm\n" + QByteArray::fromStdString(sealName)
                     + " Do\nQ\n";
            page.addPageContents(open, true);
            page.addPageContents(QPDFObjectHandle::newStream(&pdf, content.toStdString()), false);
            if (res.pages.empty() || res.pages.back() != imp.page + 1)
                res.pages.push_back(imp.page + 1);
        }

        if (update) {
            std::map<QPDFObjGen, qint64> offsets;
            QByteArray out = update->write(&offsets);
            if (sign)
                completeSignature(out, offsets.at(signatureValue.getObjGen()), pending, *sign->key,
                                  sign->options.tsaUrl);
            res.appended = true;
            return out;
        }
        QPDFWriter writer(pdf);
        writer.setOutputMemory();
        // Stream data as it was: nothing decoded, nothing recompressed.
        writer.setCompressStreams(false);
        writer.setDecodeLevel(qpdf_dl_none);
        writer.write();
        std::shared_ptr<Buffer> buffer = writer.getBufferSharedPointer();
        if (pdf.anyWarnings())
            res.warnings.prepend(repairedWarning(name));
        return QByteArray(reinterpret_cast<const char*>(buffer->getBuffer()), static_cast<qsizetype>(buffer->getSize()));
    } catch (const PlometError&) {
        throw;
    } catch (const std::exception& e) {
        refuse(QCoreApplication::translate("Stamp", "“%1” is damaged beyond repair: %2").arg(name, qpdfReason(e)));
    }
}

} // namespace

StampSeal stampSealFromPicture(const SealPicture& picture)
{
    ExportOptions options;
    options.transparent = true;
    StampSeal seal;
    seal.pdf = exportBytes(picture, QStringLiteral("pdf"), options);
    seal.widthPt = picture.widthTwips() / 20.0;
    seal.heightPt = picture.heightTwips() / 20.0;
    return seal;
}

std::vector<SealImpression> planStamp(const std::vector<QSizeF>& seenPagesMm, const QSizeF& sealMm,
                                      const StampPlacement& placement)
{
    checkPlacement(placement);
    const std::vector<int> chosen = parsePageList(pageListOf(placement), static_cast<int>(seenPagesMm.size()));
    return planChosen(chosen, seenPagesMm, sealMm, placement);
}

std::vector<int> parsePageList(const QString& list, int pageCount)
{
    auto bad = [&](const QString& why) -> PlometError {
        return PlometError(PlometError::Kind::Format, QCoreApplication::translate("Stamp", "the pages “%1” are wrong: %2").arg(list, why));
    };
    std::set<int> pages;
    const QStringList parts = list.split(QLatin1Char(','));
    auto number = [&](QString text) -> int {
        text = text.trimmed();
        if (text.compare(QLatin1String("last"), Qt::CaseInsensitive) == 0)
            return pageCount;
        bool ok = false;
        const int n = text.toInt(&ok);
        if (!ok || n < 1 || text.startsWith(QLatin1Char('+')))
            throw bad(QCoreApplication::translate("Stamp", "“%1” is not a page number (pages count from 1, or last)").arg(text));
        if (n > pageCount)
            throw PlometError(PlometError::Kind::Format,
                              QCoreApplication::translate("Stamp", "there is no page %1 (the last page is %2)").arg(n).arg(pageCount));
        return n;
    };
    for (const QString& raw : parts) {
        const QString part = raw.trimmed();
        if (part.isEmpty())
            throw bad(QCoreApplication::translate("Stamp", "an item is empty"));
        if (part.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0) {
            for (int i = 1; i <= pageCount; ++i)
                pages.insert(i);
        } else if (part.compare(QLatin1String("odd"), Qt::CaseInsensitive) == 0) {
            for (int i = 1; i <= pageCount; i += 2)
                pages.insert(i);
        } else if (part.compare(QLatin1String("even"), Qt::CaseInsensitive) == 0) {
            for (int i = 2; i <= pageCount; i += 2)
                pages.insert(i);
        } else if (const int dash = part.indexOf(QLatin1Char('-')); dash > 0) {
            const int from = number(part.left(dash));
            const int to = number(part.mid(dash + 1));
            if (to < from)
                throw bad(QCoreApplication::translate("Stamp", "“%1” runs backwards").arg(part));
            for (int i = from; i <= to; ++i)
                pages.insert(i);
        } else {
            pages.insert(number(part));
        }
    }
    if (pages.empty())
        throw PlometError(PlometError::Kind::Format, QCoreApplication::translate("Stamp", "the pages “%1” choose no page (the last page is %2)").arg(list).arg(pageCount));
    std::vector<int> out;
    for (int p : pages)
        out.push_back(p - 1);
    return out;
}

PdfInfo inspectPdf(const QString& path)
{
    QPDF pdf;
    const QString name = openFile(pdf, path);
    PdfInfo info;
    try {
        for (auto& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
            const PageGeom g = geometryOf(page);
            info.pages.push_back({QSizeF(g.seenW() / kPointsPerMm, g.seenH() / kPointsPerMm), g.rotate});
        }
    } catch (const std::exception& e) {
        refuse(QCoreApplication::translate("Stamp", "“%1” is damaged beyond repair: %2").arg(name, qpdfReason(e)));
    }
    if (info.pages.empty())
        refuse(QCoreApplication::translate("Stamp", "“%1” has no pages").arg(name));
    if (pdf.anyWarnings())
        info.warnings << repairedWarning(name);
    return info;
}

QByteArray stampPdfBytes(const QByteArray& input, const QString& name, const StampSeal& seal,
                         const StampPlacement& placement, StampResult* result, const SignRequest* sign)
{
    QPDF pdf;
    const std::string label = name.toStdString();
    openDocument(pdf, name, input, [&] {
        pdf.processMemoryFile(label.c_str(), input.constData(), static_cast<size_t>(input.size()));
    });
    return stampDocument(pdf, name, &input, seal, placement, result, sign);
}

StampResult stampPdf(const QString& inPath, const QString& outPath, const StampSeal& seal,
                     const StampPlacement& placement, const SignRequest* sign)
{
    // The result is put in place only when it is complete, so outPath may
    // be inPath.
    QPDF pdf;
    const QString name = openFile(pdf, inPath);
    StampResult result;
    QByteArray bytes;
    bool needsBytes = sign != nullptr;
    if (!needsBytes) {
        try {
            needsBytes = carriesSignatures(pdf) && !placement.force;
        } catch (const std::exception& e) {
            refuse(QCoreApplication::translate("Stamp", "“%1” is damaged beyond repair: %2").arg(name, qpdfReason(e)));
        }
    }
    if (needsBytes) {
        // An update is appended to the bytes as they are: read them all.
        QFile file(inPath);
        errno = 0;
        if (!file.open(QIODevice::ReadOnly)) {
            const QString reason = openReason(file, errno);
            throw PlometError(PlometError::Kind::File,
                              QCoreApplication::translate("Stamp", "cannot open the file “%1”: %2").arg(name, reason));
        }
        const QByteArray input = file.readAll();
        bytes = stampPdfBytes(input, name, seal, placement, &result, sign);
    } else {
        bytes = stampDocument(pdf, name, nullptr, seal, placement, &result, nullptr);
    }
    writeFileAtomically(outPath, bytes, QCoreApplication::translate("Stamp", "cannot write the file “%1”: %2"));
    return result;
}

} // namespace plomet
