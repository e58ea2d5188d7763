#include "Gdi.h"

#include <QList>
#include <iconv.h>
#include <cerrno>
#include <atomic>
#include <cstring>

namespace plomet {

namespace {

// A converter to GBK, opened once per thread and reused: every glyph of the
// arc text converts its face name.
class GbkEncoder {
public:
    GbkEncoder() : cd_(iconv_open("GBK", "UTF-8")) {}
    ~GbkEncoder() { if (valid()) iconv_close(cd_); }
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    // One code point; false when GBK has no such character (EILSEQ).
    bool encode(char32_t cp, QByteArray& out)
    {
        if (!valid())
            return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);   // initial state
        QByteArray in = QString::fromUcs4(&cp, 1).toUtf8();
        char buf[16];
        char* inp = in.data();
        size_t inLeft = static_cast<size_t>(in.size());
        char* outp = buf;
        size_t outLeft = sizeof buf;
        const size_t rc = iconv(cd_, &inp, &inLeft, &outp, &outLeft);
        if (rc == static_cast<size_t>(-1) || inLeft != 0)
            return false;
        out = QByteArray(buf, static_cast<int>(sizeof buf - outLeft));
        return true;
    }
private:
    iconv_t cd_;
};

QString fromGbk(const QByteArray& bytes)
{
    iconv_t cd = iconv_open("UTF-8", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return QString::fromLatin1(bytes);
    QByteArray in = bytes;
    QByteArray out(bytes.size() * 4 + 4, '\0');
    char* inp = in.data();
    size_t inLeft = static_cast<size_t>(in.size());
    char* outp = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    iconv(cd, &inp, &inLeft, &outp, &outLeft);   // stops at a bad byte; keeps what converted
    iconv_close(cd);
    out.truncate(out.size() - static_cast<int>(outLeft));
    return QString::fromUtf8(out);
}

std::atomic<int32_t> nextDcHandle{0x1000};

} // namespace

bool setFaceName(LogFont& lf, const QString& face)
{
    // The arc text asks for the same face once per glyph: remember the last.
    thread_local QString lastFace;
    thread_local char lastField[32] = {};
    thread_local bool lastOk = false;
    thread_local bool haveLast = false;
    if (haveLast && face == lastFace) {
        std::memcpy(lf.lfFaceName, lastField, sizeof lastField);
        return lastOk;
    }

    thread_local GbkEncoder encoder;
    std::memset(lf.lfFaceName, 0, sizeof lf.lfFaceName);
    size_t used = 0;
    bool ok = true;
    for (char32_t cp : face.toUcs4()) {
        if (cp == 0)
            break;   // the field is NUL terminated: nothing after a NUL counts
        QByteArray bytes;
        if (!encoder.encode(cp, bytes)) {
            ok = false;
            break;
        }
        if (used + static_cast<size_t>(bytes.size()) > sizeof lf.lfFaceName - 1)
            break;   // 31 bytes at most, never half a double-byte character
        std::memcpy(lf.lfFaceName + used, bytes.constData(), static_cast<size_t>(bytes.size()));
        used += static_cast<size_t>(bytes.size());
    }
    lastFace = face;
    std::memcpy(lastField, lf.lfFaceName, sizeof lastField);
    lastOk = ok;
    haveLast = true;
    return ok;
}

QString faceName(const LogFont& lf)
{
    return fromGbk(QByteArray(lf.lfFaceName, static_cast<int>(strnlen(lf.lfFaceName, sizeof lf.lfFaceName))));
}

GdiDC::GdiDC() : handle_(nextDcHandle.fetch_add(4)) {}

HFONT GdiDC::CreateFontIndirectA(const LogFont& lf)
{
    if (next_ == 0)
        next_ = 1;   // after a wrap: 0 means "no font"
    while (fonts_.count(next_) != 0)
        ++next_;
    const HFONT h = next_++;
    fonts_.emplace(h, lf);
    return h;
}

HFONT GdiDC::SelectObject(HFONT font)
{
    if (font != 0 && fonts_.count(font) == 0)
        return 0;   // an unknown handle selects nothing
    const HFONT previous = selected_;
    selected_ = font;
    return previous;
}

bool GdiDC::DeleteObject(HFONT font)
{
    if (font == 0 || font == selected_)
        return false;
    return fonts_.erase(font) == 1;
}

const LogFont* GdiDC::selectedFont() const
{
    const auto it = fonts_.find(selected_);
    return it == fonts_.end() ? nullptr : &it->second;
}

} // namespace plomet
