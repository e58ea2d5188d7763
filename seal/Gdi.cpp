#include "seal/Gdi.h"

#include "seal/Gbk.h"

#include <QList>
#include <atomic>
#include <cstring>

namespace plomet {

namespace {

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

    std::memset(lf.lfFaceName, 0, sizeof lf.lfFaceName);
    size_t used = 0;
    bool ok = true;
    for (char32_t cp : face.toUcs4()) {
        if (cp == 0)
            break;   // the field is NUL terminated: nothing after a NUL counts
        const std::optional<QByteArray> gbk = gbkCharacter(cp);
        if (!gbk) {
            ok = false;
            break;
        }
        const QByteArray& bytes = *gbk;
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
    const QByteArray bytes(lf.lfFaceName, static_cast<int>(strnlen(lf.lfFaceName, sizeof lf.lfFaceName)));
    int bad = 0;
    if (const std::optional<QString> text = decodeGbk(bytes, &bad))
        return *text;
    // What converts before a bad byte.
    return decodeGbk(bytes.left(bad)).value_or(QString());
}

GdiDC::GdiDC() : handle_(nextDcHandle.fetch_add(4)) {}

HFONT GdiDC::CreateFontIndirectA(const LogFont& lf, const QString& face)
{
    if (next_ == 0)
        next_ = 1;   // after a wrap: 0 means "no font"
    while (fonts_.count(next_) != 0)
        ++next_;
    const HFONT h = next_++;
    fonts_.emplace(h, Font{lf, face.isEmpty() ? faceName(lf) : face});
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
    return it == fonts_.end() ? nullptr : &it->second.lf;
}

QString GdiDC::selectedFace() const
{
    const auto it = fonts_.find(selected_);
    return it == fonts_.end() ? QString() : it->second.face;
}

} // namespace plomet
