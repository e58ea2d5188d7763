#include "seal/Gbk.h"

#include "seal/Errors.h"

#include <QCoreApplication>
#include <iconv.h>

namespace plomet {

namespace {


// One iconv conversion descriptor, opened on first use and kept for the
// thread. glibc's GBK and GB18030 are exact and strict: an unknown sequence
// is an error, never a '?'.
class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Iconv() { if (valid()) iconv_close(cd_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts in whole. Returns the number of input bytes consumed before
    // the first error (== size on success); out gets what was converted.
    size_t convert(const char* in, size_t size, QByteArray& out)
    {
        if (!valid())
            throw PlometError(PlometError::Kind::Platform,
                              QCoreApplication::translate("Seal", "the system has no GBK/GB18030 conversion (iconv)"));
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        // At most four output bytes per input byte (UTF-32 from ASCII).
        out.resize(qsizetype(size) * 4 + 16);
        char* ip = const_cast<char*>(in);
        size_t il = size;
        char* op = out.data();
        size_t ol = size_t(out.size());
        // Stops at EILSEQ or EINVAL (a truncated sequence); E2BIG cannot
        // happen with this output size.
        iconv(cd_, &ip, &il, &op, &ol);
        out.resize(op - out.data());
        return size - il;
    }

private:
    iconv_t cd_;
};

Iconv& toGbk() { thread_local Iconv c("GBK", "UTF-32LE"); return c; }
Iconv& toGb18030() { thread_local Iconv c("GB18030", "UTF-32LE"); return c; }
Iconv& fromGbk() { thread_local Iconv c("UTF-16LE", "GBK"); return c; }
Iconv& fromGb18030() { thread_local Iconv c("UTF-16LE", "GB18030"); return c; }

QString codePointName(char32_t cp)
{
    return QStringLiteral("U+%1").arg(uint(cp), 4, 16, QLatin1Char('0')).toUpper();
}

// One character's bytes: GBK when GBK has it, else GB18030.
QByteArray encodeCodePoint(char32_t cp)
{
    const char32_t in[1] = {cp};
    const char* p = reinterpret_cast<const char*>(in);
    QByteArray out;
    if (toGbk().convert(p, 4, out) == 4 && !out.isEmpty())
        return out;
    if (toGb18030().convert(p, 4, out) == 4 && !out.isEmpty())
        return out;
    throw PlometError(PlometError::Kind::Format,
                      QCoreApplication::translate("Seal", "the character %1 cannot be kept in GBK or GB18030").arg(codePointName(cp)));
}

QString fromUtf16Le(const QByteArray& b)
{
    return QString(reinterpret_cast<const QChar*>(b.constData()), b.size() / 2);
}

} // namespace

std::optional<QByteArray> gbkCharacter(char32_t cp)
{
    const char32_t in[1] = {cp};
    QByteArray out;
    if (toGbk().convert(reinterpret_cast<const char*>(in), 4, out) == 4 && !out.isEmpty())
        return out;
    return std::nullopt;
}


QByteArray encodeGbk(const QString& text)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = text.at(i).unicode();
        if (u < 0x80) {   // ASCII is itself in GBK
            out += char(u);
            continue;
        }
        char32_t cp = u;
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            cp = QChar::surrogateToUcs4(u, text.at(i + 1).unicode());
            ++i;
        } else if (QChar::isSurrogate(u)) {
            throw PlometError(PlometError::Kind::Format,
                              QCoreApplication::translate("Seal", "the text holds an unpaired surrogate %1").arg(codePointName(u)));
        }
        out += encodeCodePoint(cp);
    }
    return out;
}

std::optional<QString> decodeGbk(const QByteArray& bytes, int* badOffset)
{
    QString text;
    QByteArray chunk;
    const char* data = bytes.constData();
    const size_t size = size_t(bytes.size());
    size_t pos = 0;
    while (pos < size) {
        // GBK as far as it goes; GBK is the contract for every two-byte code.
        const size_t used = fromGbk().convert(data + pos, size - pos, chunk);
        text += fromUtf16Le(chunk);
        pos += used;
        if (pos == size)
            break;
        // A character GBK lacks: one GB18030 code of two or four bytes.
        bool taken = false;
        for (size_t len : {size_t(2), size_t(4)}) {
            if (pos + len <= size && fromGb18030().convert(data + pos, len, chunk) == len && !chunk.isEmpty()) {
                text += fromUtf16Le(chunk);
                pos += len;
                taken = true;
                break;
            }
        }
        if (!taken) {
            if (badOffset)
                *badOffset = int(pos);
            return std::nullopt;
        }
    }
    return text;
}

} // namespace plomet
