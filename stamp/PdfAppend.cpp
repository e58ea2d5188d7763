#include "stamp/PdfAppend.h"

#include "seal/Errors.h"

#include <qpdf/Buffer.hh>

#include <algorithm>
#include <cctype>
#include <vector>
#include <QCoreApplication>

namespace plomet {

namespace {

[[noreturn]] void cannotAppend(const QString& name, const QString& why)
{
    throw PlometError(PlometError::Kind::Format,
                      QCoreApplication::translate("Stamp", "the cross-reference table of “%1” cannot take an incremental update (%2); it was not stamped, so as not to break its digital signature").arg(name, why));
}

bool isSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; }

// "N G obj" at pos.
bool objectHeaderAt(const QByteArray& b, qsizetype pos)
{
    auto digits = [&](qsizetype& p) {
        const qsizetype start = p;
        while (p < b.size() && std::isdigit(static_cast<unsigned char>(b[p])))
            ++p;
        return p > start;
    };
    auto spaces = [&](qsizetype& p) {
        const qsizetype start = p;
        while (p < b.size() && isSpace(b[p]))
            ++p;
        return p > start;
    };
    qsizetype p = pos;
    return digits(p) && spaces(p) && digits(p) && spaces(p) && b.mid(p, 3) == "obj";
}

QByteArray objectBody(QPDFObjectHandle object)
{
    if (!object.isStream())
        return QByteArray::fromStdString(object.unparseResolved());
    // Stream data exactly as stored: nothing decoded, nothing recompressed.
    const std::shared_ptr<Buffer> data = object.getRawStreamData();
    QPDFObjectHandle dict = object.getDict().shallowCopy();
    dict.replaceKey("/Length", QPDFObjectHandle::newInteger(static_cast<long long>(data->getSize())));
    return QByteArray::fromStdString(dict.unparse()) + "\nstream\n"
         + QByteArray(reinterpret_cast<const char*>(data->getBuffer()), static_cast<qsizetype>(data->getSize()))
         + "\nendstream";
}

// Runs of consecutive object numbers: (first, count).
std::vector<std::pair<int, int>> runsOf(const std::map<int, std::pair<qint64, int>>& entries)
{
    std::vector<std::pair<int, int>> runs;
    for (const auto& [id, entry] : entries) {
        if (!runs.empty() && runs.back().first + runs.back().second == id)
            ++runs.back().second;
        else
            runs.push_back({id, 1});
    }
    return runs;
}

} // namespace

qint64 lastStartXref(const QByteArray& bytes)
{
    const qsizetype at = bytes.lastIndexOf("startxref");
    if (at < 0)
        return -1;
    qsizetype p = at + 9;
    while (p < bytes.size() && isSpace(bytes[p]))
        ++p;
    qint64 value = 0;
    const qsizetype start = p;
    while (p < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[p])) && p - start < 15)
        value = value * 10 + (bytes[p++] - '0');
    return p > start ? value : -1;
}

IncrementalUpdate::IncrementalUpdate(QPDF& pdf, const QByteArray& original, const QString& name)
    : pdf_(pdf), name_(name), original_(original)
{
    if (pdf.isEncrypted())
        cannotAppend(name, QCoreApplication::translate("Stamp", "the file is encrypted"));
    if (pdf.anyWarnings())
        cannotAppend(name, QCoreApplication::translate("Stamp", "the file is damaged"));
    prev_ = lastStartXref(original);
    if (prev_ < 0 || prev_ >= original.size())
        cannotAppend(name, QCoreApplication::translate("Stamp", "no startxref found"));
    qsizetype p = static_cast<qsizetype>(prev_);
    while (p < original.size() && isSpace(original[p]))
        ++p;
    if (original.mid(p, 4) == "xref")
        xrefStream_ = false;
    else if (objectHeaderAt(original, p))
        xrefStream_ = true;
    else
        cannotAppend(name, QCoreApplication::translate("Stamp", "startxref does not point at a cross-reference"));
    oldCount_ = pdf.getObjectCount();
}

void IncrementalUpdate::changed(QPDFObjectHandle object)
{
    if (object.isIndirect())
        changed_.insert(object.getObjGen());
}

void IncrementalUpdate::writeRaw(QPDFObjectHandle object, const QByteArray& body)
{
    raw_[object.getObjGen()] = body;
}

QByteArray IncrementalUpdate::write(std::map<QPDFObjGen, qint64>* rawOffsets)
{
    // What to write: the changed objects, and every object made since the
    // document was read (qpdf numbers new objects after the last one).
    std::set<QPDFObjGen> objects = changed_;
    const size_t count = pdf_.getObjectCount();
    for (size_t id = oldCount_ + 1; id <= count; ++id)
        objects.insert(QPDFObjGen(static_cast<int>(id), 0));
    for (const auto& [og, body] : raw_)
        objects.insert(og);
    // Objects read only now may have needed repairs that change where
    // things are: appending after them would not be what readers see.
    if (pdf_.anyWarnings())
        cannotAppend(name_, QCoreApplication::translate("Stamp", "the file is damaged"));

    QByteArray out = original_;
    if (!out.endsWith('\n') && !out.endsWith('\r'))
        out += '\n';
    std::map<int, std::pair<qint64, int>> entries;   // id -> (offset, generation)
    int maxId = 0;
    for (const QPDFObjGen& og : objects) {
        const qint64 offset = out.size();
        entries[og.getObj()] = {offset, og.getGen()};
        maxId = std::max(maxId, og.getObj());
        out += QByteArray::number(og.getObj()) + ' ' + QByteArray::number(og.getGen()) + " obj\n";
        if (const auto r = raw_.find(og); r != raw_.end()) {
            if (rawOffsets)
                (*rawOffsets)[og] = out.size();
            out += r->second;
        } else {
            out += objectBody(pdf_.getObjectByObjGen(og));
        }
        out += "\nendobj\n";
    }

    QPDFObjectHandle trailer = pdf_.getTrailer();
    long long size = maxId + 1;
    if (trailer.getKey("/Size").isInteger())
        size = std::max(size, trailer.getKey("/Size").getIntValue());
    QByteArray keys;
    for (const char* key : {"/Root", "/Info", "/ID"}) {
        QPDFObjectHandle value = trailer.getKey(key);
        if (!value.isNull())
            keys += ' ' + QByteArray(key) + ' ' + QByteArray::fromStdString(value.unparse());
    }
    keys += " /Prev " + QByteArray::number(prev_);

    const qint64 xrefOffset = out.size();
    if (!xrefStream_) {
        out += "xref\n";
        for (const auto& [first, n] : runsOf(entries)) {
            out += QByteArray::number(first) + ' ' + QByteArray::number(n) + '\n';
            for (int id = first; id < first + n; ++id) {
                const auto& [offset, gen] = entries[id];
                out += QByteArray::number(offset).rightJustified(10, '0') + ' '
                     + QByteArray::number(gen).rightJustified(5, '0') + " n\r\n";
            }
        }
        out += "trailer\n<< /Size " + QByteArray::number(size) + keys + " >>\n";
    } else {
        // The stream's own entry is in it too.
        const int self = static_cast<int>(std::max<long long>(size, maxId + 1));
        entries[self] = {xrefOffset, 0};
        size = self + 1;
        int offsetWidth = 1;
        while (offsetWidth < 8 && (xrefOffset >> (8 * offsetWidth)) != 0)
            ++offsetWidth;
        QByteArray data;
        QByteArray index;
        for (const auto& [first, n] : runsOf(entries)) {
            index += ' ' + QByteArray::number(first) + ' ' + QByteArray::number(n);
            for (int id = first; id < first + n; ++id) {
                const auto& [offset, gen] = entries[id];
                data += char(1);
                for (int i = offsetWidth - 1; i >= 0; --i)
                    data += char((offset >> (8 * i)) & 0xff);
                data += char((gen >> 8) & 0xff);
                data += char(gen & 0xff);
            }
        }
        out += QByteArray::number(self) + " 0 obj\n<< /Type /XRef /Size " + QByteArray::number(size) + " /W [1 "
             + QByteArray::number(offsetWidth) + " 2] /Index [" + index.mid(1) + "]" + keys + " /Length "
             + QByteArray::number(data.size()) + " >>\nstream\n" + data + "\nendstream\nendobj\n";
    }
    out += "startxref\n" + QByteArray::number(xrefOffset) + "\n%%EOF\n";
    return out;
}

} // namespace plomet
