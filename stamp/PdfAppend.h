#pragma once
// An incremental update: the document's bytes stay exactly as they are and
// the changed and new objects follow them, with a cross-reference section of
// the same kind as the file's last one (a classic table or a stream) whose
// /Prev points back. Digital signatures over the earlier bytes stay valid.
// qpdf reads the document and finds its objects; it never writes here.
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <QByteArray>
#include <QString>
#include <map>
#include <set>

namespace plomet {

class IncrementalUpdate {
public:
    // pdf has read `original` (processMemoryFile); nothing of it changed
    // yet. Throws PlometError, one line, for a document whose
    // cross-reference the update cannot follow: repaired, encrypted, or
    // with no readable startxref.
    IncrementalUpdate(QPDF& pdf, const QByteArray& original, const QString& name);

    // An object of the original document that was changed in place.
    void changed(QPDFObjectHandle object);
    // This object's body is written as given instead (the signature
    // dictionary, whose byte positions are filled in afterwards).
    void writeRaw(QPDFObjectHandle object, const QByteArray& body);

    // The original bytes and the update after them. rawOffsets gets the
    // file offset of each raw body.
    QByteArray write(std::map<QPDFObjGen, qint64>* rawOffsets = nullptr);

private:
    QPDF& pdf_;
    QString name_;
    const QByteArray& original_;
    size_t oldCount_ = 0;
    qint64 prev_ = 0;
    bool xrefStream_ = false;
    std::set<QPDFObjGen> changed_;
    std::map<QPDFObjGen, QByteArray> raw_;
};

// The file offset that the last startxref names, or -1.
qint64 lastStartXref(const QByteArray& bytes);

} // namespace plomet
