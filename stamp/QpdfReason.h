#pragma once
// Why qpdf could not read a document, in the user's language.
#include <QString>
#include <exception>

namespace plomet {

// The kind of failure qpdf names (a broken structure, a broken page tree, a
// feature it cannot read...) and where in the file, translated. qpdf's own
// detail is English only: it is added where the messages are English too,
// so a Chinese message carries no English sentence.
QString qpdfReason(const std::exception& e);

} // namespace plomet
