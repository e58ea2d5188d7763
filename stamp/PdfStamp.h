#pragma once
// Stamps a seal onto the pages of a PDF document: the seal goes in as true
// vectors (the one-page PDF that the PDF export writes, turned into one form
// XObject shared by every page it is placed on), at its physical size, with
// its ink multiplied onto the page so that text under it stays readable.
// Positions are millimetres on the page as a reader sees it: inside its crop
// box and after its /Rotate. Everything else of the document stays as it was.
// No widgets, unless the seal is a signature's appearance. A document not
// signed yet is read and written with qpdf; a signed one, or one being
// signed, gets an incremental update that leaves its bytes as they were.
#include "seal/SealPicture.h"
#include "stamp/PdfSign.h"

#include <QByteArray>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace plomet {

// A seal ready for stamping: a one-page PDF whose page holds the seal with
// its top-left corner at the page's top-left corner, and the seal's true
// size in points (the page itself may be rounded to whole points).
struct StampSeal {
    QByteArray pdf;
    double widthPt = 0;
    double heightPt = 0;
};

// The picture as the PDF export writes it, without background.
StampSeal stampSealFromPicture(const SealPicture& picture);

// Where the seal goes. Millimetres are measured on the page as seen, from
// its top-left corner; angles in degrees, clockwise as seen.
struct StampPlacement {
    // The pages, as "1", "1,3", "2-5", "last", "all", "odd", "even" and
    // lists of these; empty means page 1, or all pages for a cross-page seal.
    QString pages;
    // Single seal: its centre. Ignored for a cross-page seal.
    double xMm = 0;
    double yMm = 0;
    double angleDeg = 0;

    // Cross-page seal: the seal is cut into vertical strips, one per page,
    // each shown at the page's edge; the strips side by side give the seal.
    bool straddle = false;
    // Height of the seal's centre; none: the middle of the first page.
    std::optional<double> straddleYMm;
    // At most this many pages share one seal; more pages get a new seal
    // every so many pages (groups as equal as possible).
    int straddleMax = 20;
    // The edge the strips sit at. At the right edge the first page shows the
    // seal's left strip (the pages fanned out to the right); at the left
    // edge the first page shows its right strip.
    enum class Edge { Right, Left } edge = Edge::Right;
    // Width of the first page's strip in mm; 0: all strips equally wide.
    double firstStripMm = 0;
    // Distance of the strips from the page edge in mm, for printers that
    // cannot print up to the edge.
    double insetMm = 0;

    // A signed document is rewritten whole, as an unsigned one (its
    // signatures break), instead of getting an update appended.
    bool force = false;
};

// A page as the reader sees it: its size in millimetres after crop box and
// rotation, and the rotation (0, 90, 180 or 270, clockwise).
struct SeenPage {
    QSizeF sizeMm;
    int rotate = 0;
};

struct PdfInfo {
    std::vector<SeenPage> pages;
    QStringList warnings;   // for instance that the file was repaired
};

// Reads the document's pages as seen. Throws PlometError, one line, for a
// file that is not a PDF, cannot be repaired, or needs a password.
PdfInfo inspectPdf(const QString& path);

// One impression of the seal on one page, as seen: its centre and turn,
// and for a cross-page seal the strip that shows (the rest is clipped).
struct SealImpression {
    int page = 0;                   // 0-based
    QPointF centreMm;
    double angleDeg = 0;
    std::optional<QRectF> clipMm;
};

// Where the seal goes on pages of these seen sizes: what stampPdf places,
// and what a preview shows. Throws PlometError, one line, for a bad page
// list, a strip layout that cannot be, or a seal entirely outside a page.
std::vector<SealImpression> planStamp(const std::vector<QSizeF>& seenPagesMm, const QSizeF& sealMm,
                                      const StampPlacement& placement);

struct StampResult {
    QStringList warnings;       // one line each: repaired file, broken signatures
    std::vector<int> pages;     // the pages stamped, 1-based
    bool appended = false;      // written as an incremental update
};

// Stamping as signing: the seal becomes the appearance of one signature
// field, a widget on each page it is placed on (a cross-page seal's strips
// are widgets of the one field), instead of page content.
struct SignRequest {
    std::shared_ptr<const SigningKey> key;
    SignOptions options;
};

// Stamps the seal onto the document at inPath and writes the result to
// outPath, whole or not at all (outPath may be inPath; the input is never
// changed). Throws PlometError, one line, and writes nothing when the
// document or the placement is refused.
StampResult stampPdf(const QString& inPath, const QString& outPath, const StampSeal& seal,
                     const StampPlacement& placement, const SignRequest* sign = nullptr);

// The same on bytes in memory; name is used in messages.
QByteArray stampPdfBytes(const QByteArray& input, const QString& name, const StampSeal& seal,
                         const StampPlacement& placement, StampResult* result = nullptr,
                         const SignRequest* sign = nullptr);

// The 0-based page indices a page list names, in ascending order, each once.
// Throws PlometError for a malformed list or a page beyond pageCount.
std::vector<int> parsePageList(const QString& list, int pageCount);

} // namespace plomet
