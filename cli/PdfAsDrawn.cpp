// finishedPdf for `plomet`, which hands every PDF it would write to
// plomet-documents (see main.cpp) and so links no qpdf: Qt's PDF of a seal
// is already the file unless the seal is worn or an engraving, and those are
// edited by plomet-documents alone.
#include "formats/ExportPdf.h"
#include "seal/Errors.h"

#include <QCoreApplication>

namespace plomet {

QByteArray finishedPdf(const QByteArray& qtPdf, const DrawingModel& m, const ExportOptions& options, double, double)
{
    if (!options.engrave && !(m.aging > 0))
        return qtPdf;
    throw PlometError(PlometError::Kind::Format,
                      QCoreApplication::translate("Formats", "cannot make the PDF file: %1")
                          .arg(QCoreApplication::translate("Formats", "worn and engraved seals are written as PDF by plomet-documents")));
}

} // namespace plomet
