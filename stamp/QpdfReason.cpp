#include "stamp/QpdfReason.h"

#include <qpdf/QPDFExc.hh>

#include <QCoreApplication>

namespace plomet {

namespace {

// Whether the stamping's messages are shown untranslated, that is in English.
bool messagesInEnglish()
{
    static const char probe[] = QT_TRANSLATE_NOOP("Stamp", "the file cannot be read");
    return QCoreApplication::translate("Stamp", probe) == QLatin1String(probe);
}

} // namespace

QString qpdfReason(const std::exception& e)
{
    const auto* q = dynamic_cast<const QPDFExc*>(&e);
    const QString detail = q ? QString::fromStdString(q->getMessageDetail()) : QString::fromLocal8Bit(e.what());
    QString reason;
    switch (q ? q->getErrorCode() : qpdf_e_internal) {
    case qpdf_e_damaged_pdf: reason = QCoreApplication::translate("Stamp", "its structure is broken"); break;
    case qpdf_e_pages: reason = QCoreApplication::translate("Stamp", "its page tree is broken"); break;
    case qpdf_e_object: reason = QCoreApplication::translate("Stamp", "an object in it is broken"); break;
    case qpdf_e_unsupported: reason = QCoreApplication::translate("Stamp", "it uses a feature that cannot be read"); break;
    case qpdf_e_linearization: reason = QCoreApplication::translate("Stamp", "its fast-web-view data is broken"); break;
    case qpdf_e_system: reason = QCoreApplication::translate("Stamp", "the file cannot be read"); break;
    default: reason = QCoreApplication::translate("Stamp", "it cannot be read"); break;
    }
    if (q && q->getFilePosition() > 0)
        reason = QCoreApplication::translate("Stamp", "%1 at byte %2").arg(reason).arg(qlonglong(q->getFilePosition()));
    if (messagesInEnglish() && !detail.isEmpty())
        reason += QStringLiteral(" (qpdf: %1)").arg(detail);
    return reason;
}

} // namespace plomet
