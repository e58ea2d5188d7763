#include "seal/GlyphOutlines.h"

#include "seal/Fonts.h"

#include <QByteArray>
#include <QHash>
#include <QHashFunctions>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <atomic>
#include <deque>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <climits>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace plomet {

namespace {

// Bold is asked for from this weight up: the CJK faces have Regular and
// Bold only, and 800 (the arc's glyphs) must come out as the Bold face.
constexpr int kBoldWeight = 600;

// One font file's face, opened by us and never given a transform: its
// outlines come out the same on every load. Its metrics are read once, in ems.
struct Face {
    FT_Face face = nullptr;
    double unitsPerEm = 1000;
    bool hasBold = false;   // a bold face of its own: no synthetic bold
    double ascender = 0.8, descender = -0.2;   // ems, y up
    // The ideographic em box (typographic ascender, descender in font
    // units) of a CJK face that defines one.
    std::optional<std::pair<double, double>> cjkBox;
};

// The ideographic em box of a CJK face: its typographic ascender and
// descender, if the face is one and defines them. CJK Unified Ideographs
// (Unicode range bit 59), or a Chinese, Japanese or Korean code page (bits
// 17 to 21; FreeType reads them as zero from a table too old to have them).
std::optional<std::pair<double, double>> cjkEmBox(const TT_OS2* os2)
{
    if (!os2 || os2->version == 0xFFFFu)
        return std::nullopt;
    const double ascender = os2->sTypoAscender;
    const double descender = os2->sTypoDescender;
    const bool ideographs = (os2->ulUnicodeRange2 & (1u << 27)) != 0;
    const bool cjkCodePage = os2->version >= 1 && (os2->ulCodePageRange1 & (0x1fu << 17)) != 0;
    if ((ideographs || cjkCodePage) && ascender > 0 && ascender - descender > 0)
        return std::make_pair(ascender, descender);
    return std::nullopt;
}

// The faces of this process, by file and index. Opened once, kept to the end
// (a handful of files, read by FreeType on demand). FreeType's library and
// its faces are not safe across threads, and fontconfig is asked only here,
// so every call into either holds this lock; both are asked once per face,
// name and character, so the lock is seldom asked for.
class Faces {
public:
    static Faces& instance()
    {
        static Faces faces;
        return faces;
    }

    // Runs f with the lock held (f calls into FreeType or fontconfig).
    template <typename F>
    auto locked(F&& f)
    {
        std::lock_guard<std::mutex> lock(mutex);
        return f();
    }

    // The face of a file (lock held), opened once; nullptr when FreeType
    // cannot read it.
    const Face* openedFace(const char* file, int index)
    {
        const QByteArray fileKey = QByteArray(file) + '#' + QByteArray::number(index);
        if (const auto it = opened.find(fileKey); it != opened.end())
            return it->second.get();
        FT_Face face = library ? openFace(file, index) : nullptr;
        std::unique_ptr<Face> f;
        if (face) {
            f = std::make_unique<Face>();
            f->face = face;
            f->unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 1000;
            const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
            // As Qt's engines decide it: a face that says it is bold, and
            // fixed-width faces, are not emboldened.
            f->hasBold = (face->style_flags & FT_STYLE_FLAG_BOLD) || FT_IS_FIXED_WIDTH(face)
                || (os2 && os2->version != 0xFFFFu && os2->usWeightClass >= 700);
            if (face->ascender > 0 || face->descender < 0) {
                f->ascender = face->ascender / f->unitsPerEm;
                f->descender = face->descender / f->unitsPerEm;
            }
            f->cjkBox = cjkEmBox(os2);
        }
        // A file FreeType cannot read is remembered too: it is not tried again.
        return opened.emplace(fileKey, std::move(f)).first->second.get();
    }

private:
    Faces()
    {
        if (FT_Init_FreeType(&library) != 0)
            library = nullptr;
    }
    ~Faces() = default;   // faces live to the end of the process

    // FreeType reads the file from a mapping: opening a CJK face through a
    // stream copied its character map and glyph index (a few hundred KB)
    // out of the file on every start, a third of a lone render's drawing.
    FT_Face openFace(const char* path, int index)
    {
        const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return nullptr;
        struct stat st {};
        void* base = MAP_FAILED;
        if (::fstat(fd, &st) == 0 && st.st_size > 0 && (unsigned long long)st.st_size <= ULONG_MAX / 2)
            base = ::mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        ::close(fd);
        if (base == MAP_FAILED)
            return nullptr;
        FT_Face face = nullptr;
        if (FT_New_Memory_Face(library, static_cast<const FT_Byte*>(base), FT_Long(st.st_size), index, &face) != 0) {
            ::munmap(base, size_t(st.st_size));
            return nullptr;
        }
        mappings.push_back({base, size_t(st.st_size)});
        return face;
    }

public:
    // The pages of the files a thread has read stay in the resident set;
    // a batch of distinct names at 600 dpi reads glyphs from all over its
    // faces. Every so many outlines they are handed back (the files stay
    // in the page cache; a page read again is mapped again). Lock held.
    void outlineRead()
    {
        if (++outlinesRead % kOutlinesPerRelease != 0)
            return;
        for (const Mapping& m : mappings)
            ::madvise(m.base, m.size, MADV_DONTNEED);
    }

private:
    struct Mapping {
        void* base;
        size_t size;
    };
    static constexpr unsigned kOutlinesPerRelease = 512;
    std::vector<Mapping> mappings;   // for the life of the process, as the faces
    unsigned outlinesRead = 0;

    std::mutex mutex;
    FT_Library library = nullptr;
    std::map<QByteArray, std::unique_ptr<Face>> opened;
};

// FreeType's outline walk into a path in ems, y down.
struct PathSink {
    QPainterPath* path;
    double scale;   // ems per 26.6 unit
    QPointF at(const FT_Vector* v) const { return QPointF(v->x * scale, -v->y * scale); }
};

int moveTo(const FT_Vector* to, void* user)
{
    auto* s = static_cast<PathSink*>(user);
    s->path->closeSubpath();
    s->path->moveTo(s->at(to));
    return 0;
}
int lineTo(const FT_Vector* to, void* user)
{
    auto* s = static_cast<PathSink*>(user);
    s->path->lineTo(s->at(to));
    return 0;
}
int conicTo(const FT_Vector* control, const FT_Vector* to, void* user)
{
    auto* s = static_cast<PathSink*>(user);
    s->path->quadTo(s->at(control), s->at(to));
    return 0;
}
int cubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user)
{
    auto* s = static_cast<PathSink*>(user);
    s->path->cubicTo(s->at(c1), s->at(c2), s->at(to));
    return 0;
}

// A glyph's outline in ems, read from its face, unhinted, at the face's own
// units (a size of one em per font unit), emboldened as Qt's engines
// embolden a face without a bold of its own.
QPainterPath readOutline(const Face& f, quint32 glyph, bool embolden)
{
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    Faces::instance().locked([&] {
        FT_Face face = f.face;
        const FT_F26Dot6 size = FT_F26Dot6(f.unitsPerEm) * 64;
        if (FT_Set_Char_Size(face, size, size, 72, 72) != 0)
            return 0;
        if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
            return 0;
        Faces::instance().outlineRead();
        FT_GlyphSlot slot = face->glyph;
        if (slot->format != FT_GLYPH_FORMAT_OUTLINE)
            return 0;
        if (embolden)
            FT_GlyphSlot_Embolden(slot);
        PathSink sink{&path, 1.0 / (64.0 * f.unitsPerEm)};
        FT_Outline_Funcs funcs{moveTo, lineTo, conicTo, cubicTo, 0, 0};
        FT_Outline_Decompose(&slot->outline, &funcs, &sink);
        path.closeSubpath();
        return 0;
    });
    return path;
}

// Outlines in ems by face, glyph and synthetic bold, for every thread, within
// one budget of bytes: when it is full, everything kept goes (a batch of
// distinct seals keeps meeting the same few thousand characters).
struct OutlineKey {
    const Face* face;
    quint32 glyph;
    bool embolden;
    bool operator==(const OutlineKey& o) const
    {
        return face == o.face && glyph == o.glyph && embolden == o.embolden;
    }
};

size_t qHash(const OutlineKey& k, size_t seed = 0)
{
    return qHashMulti(seed, quintptr(k.face), k.glyph, k.embolden);
}

class Outlines {
public:
    static Outlines& instance()
    {
        static Outlines outlines;
        return outlines;
    }

    QPainterPath get(const OutlineKey& key)
    {
        const size_t hash = qHash(key);
        Shard& s = shards[hash % kShards];
        {
            std::lock_guard<std::mutex> lock(s.mutex);
            if (const auto it = s.map.constFind(key); it != s.map.constEnd())
                return *it;
        }
        const QPainterPath path = readOutline(*key.face, key.glyph, key.embolden);
        const int64_t size = bytesOf(path);
        if (bytes.load() + size > kMaxBytes)
            clear();
        std::lock_guard<std::mutex> lock(s.mutex);
        if (!s.map.contains(key)) {
            s.map.insert(key, path);
            s.bytes += size;
            bytes += size;
            ++entries;
        }
        return path;
    }

private:
    // A path's elements are a point and a type (24 bytes); a glyph of a CJK
    // face has 50 to 300 of them.
    static int64_t bytesOf(const QPainterPath& p) { return int64_t(p.elementCount()) * 24 + 96; }

    void clear()
    {
        for (Shard& s : shards) {
            std::lock_guard<std::mutex> lock(s.mutex);
            bytes -= s.bytes;
            entries -= s.map.size();
            s.map.clear();
            s.bytes = 0;
        }
    }

    // 8 MB holds about two and a half thousand CJK glyphs: the common
    // characters of a batch's names in its few faces and weights. Reading
    // an outline again costs little beside filling it, and a 600-dpi batch
    // must stay within 256 MB.
    static constexpr int64_t kMaxBytes = int64_t(8) << 20;
    static constexpr size_t kShards = 16;
    struct Shard {
        std::mutex mutex;
        QHash<OutlineKey, QPainterPath> map;
        int64_t bytes = 0;
    };
    Shard shards[kShards];
    std::atomic<int64_t> bytes{0};
    std::atomic<int64_t> entries{0};
};

// A pattern asking fontconfig for family (none: any) at the weight, upright.
// The language is set here, not taken from the locale, so that which face
// stands in for a character does not depend on who runs the program.
FcPattern* requestFor(const QByteArray& family, bool bold)
{
    FcPattern* p = FcPatternCreate();
    if (!family.isEmpty())
        FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.constData()));
    FcPatternAddInteger(p, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(p, FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddString(p, FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
    FcConfigSubstitute(nullptr, p, FcMatchPattern);
    FcDefaultSubstitute(p);
    return p;
}

// A face that draws for a name: one of the families it stands for, or a
// fallback face of fontconfig's.
// Its file is opened when a character is first looked for in it: a name
// stands for several families, and the first mostly has every character
// (opening a CJK face reads more than drawing a lone seal).
struct Member {
    QByteArray file;
    int index = 0;
    QString family;   // as fontconfig spells it
    bool fallback = false;
    const Face* face = nullptr;   // once opened: nullptr when FreeType cannot read it
    bool opened = false;

    // Lock held.
    const Face* open()
    {
        if (!opened) {
            face = Faces::instance().openedFace(file.constData(), index);
            opened = true;
        }
        return face;
    }
};

// The listed font's file and index; false when it names no file.
bool fileOfPattern(FcPattern* font, QByteArray& file, int& index)
{
    FcChar8* name = nullptr;
    index = 0;
    if (FcPatternGetString(font, FC_FILE, 0, &name) != FcResultMatch)
        return false;
    FcPatternGetInteger(font, FC_INDEX, 0, &index);
    file = QByteArray(reinterpret_cast<const char*>(name));
    return true;
}

// fontconfig's best file of the family at the weight (its bold file when it
// has one). exact: only a file of that family, else whatever fontconfig
// stands in for it. Lock held.
std::optional<Member> matchFamily(const QString& family, bool bold, bool exact)
{
    FcPattern* request = requestFor(family.toUtf8(), bold);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, request, &result);
    FcPatternDestroy(request);
    if (!match)
        return std::nullopt;
    QString found;
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
        const QString f = QString::fromUtf8(reinterpret_cast<const char*>(name));
        if (exact ? f.compare(family, Qt::CaseInsensitive) == 0 : i == 0) {
            found = f;
            break;
        }
    }
    Member m;
    const bool named = !found.isEmpty() && fileOfPattern(match, m.file, m.index);
    FcPatternDestroy(match);
    if (!named)
        return std::nullopt;
    m.family = found;
    return m;
}

// The face, glyph and advance that draw a character for a name.
struct Pick {
    const Member* member = nullptr;   // null: no face at all
    quint32 glyph = 0;                // 0: no face maps the character
    double advance = 0;               // ems
};

// The faces a name draws with, at one weight, and what each character
// picked: which face draws a character and its advance in ems do not
// depend on the size, and a batch of distinct seals asks for a new size on
// almost every seal.
class Chain {
public:
    // Lock held.
    Chain(const QString& name, bool bold) : bold_(bold)
    {
        for (const QString& family : faceFamilies(name))
            if (auto m = matchFamily(family, bold, true))
                members_.push_back(*m);
        // A name no installed family has draws in fontconfig's stand-in.
        if (members_.empty())
            if (auto m = matchFamily(name, bold, false))
                members_.push_back(*m);
        named_ = members_.size();
        sortFamily_ = (members_.empty() ? name : members_.front().family).toUtf8();
    }
    ~Chain()
    {
        if (sorted_)
            Faces::instance().locked([&] {
                FcFontSetDestroy(sorted_);
                return 0;
            });
    }
    Chain(const Chain&) = delete;
    Chain& operator=(const Chain&) = delete;

    // The first named family FreeType can read.
    const Member* primary()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return Faces::instance().locked([&] { return firstReadable(); });
    }
    bool bold() const { return bold_; }

    Pick pick(char32_t cp)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (const auto it = picks_.constFind(cp); it != picks_.constEnd())
            return *it;
        const Pick p = Faces::instance().locked([&] { return find(cp); });
        // Bounded: names with many distinct characters start afresh.
        if (picks_.size() >= 65536)
            picks_.clear();
        picks_.insert(cp, p);
        return p;
    }

private:
    static Pick pickOf(const Member& m, quint32 glyph)
    {
        FT_Fixed advance = 0;
        if (FT_Get_Advance(m.face->face, glyph, FT_LOAD_NO_SCALE, &advance) != 0)
            advance = 0;
        return Pick{&m, glyph, double(advance) / m.face->unitsPerEm};
    }

    // Lock held (and this chain's).
    Member* firstReadable()
    {
        for (size_t i = 0; i < named_; ++i)
            if (members_[i].open())
                return &members_[i];
        return nullptr;
    }

    // Lock held (and this chain's).
    Pick find(char32_t cp)
    {
        for (size_t i = 0; i < named_; ++i)
            if (const Face* f = members_[i].open())
                if (const FT_UInt g = FT_Get_Char_Index(f->face, FT_ULong(cp)))
                    return pickOf(members_[i], g);
        // fontconfig's faces by likeness to the first family, asked once a
        // name: only those that add characters to the ones before.
        if (!sortAsked_) {
            sortAsked_ = true;
            FcPattern* request = requestFor(sortFamily_, bold_);
            FcResult result = FcResultNoMatch;
            sorted_ = FcFontSort(nullptr, request, FcTrue, nullptr, &result);
            FcPatternDestroy(request);
        }
        for (int i = 0; sorted_ && i < sorted_->nfont; ++i) {
            FcCharSet* chars = nullptr;
            if (FcPatternGetCharSet(sorted_->fonts[i], FC_CHARSET, 0, &chars) != FcResultMatch
                || !FcCharSetHasChar(chars, FcChar32(cp)))
                continue;
            const Member* m = fallbackMember(i);
            if (!m)
                continue;
            if (const FT_UInt g = FT_Get_Char_Index(m->face->face, FT_ULong(cp)))
                return pickOf(*m, g);
        }
        // Nobody has it: the first face's missing glyph (its box) stands.
        const Member* first = firstReadable();
        return first ? pickOf(*first, 0) : Pick{};
    }

    const Member* fallbackMember(int index)
    {
        if (const auto it = fallbacks_.find(index); it != fallbacks_.end())
            return it->second;
        const Member* m = nullptr;
        FcChar8* name = nullptr;
        Member candidate;
        if (fileOfPattern(sorted_->fonts[index], candidate.file, candidate.index) && candidate.open()) {
            if (FcPatternGetString(sorted_->fonts[index], FC_FAMILY, 0, &name) == FcResultMatch)
                candidate.family = QString::fromUtf8(reinterpret_cast<const char*>(name));
            candidate.fallback = true;
            members_.push_back(std::move(candidate));
            m = &members_.back();
        }
        fallbacks_.emplace(index, m);
        return m;
    }

    const bool bold_;
    std::mutex mutex_;
    std::deque<Member> members_;   // the named ones first; a deque keeps their addresses
    size_t named_ = 0;
    QByteArray sortFamily_;
    bool sortAsked_ = false;
    FcFontSet* sorted_ = nullptr;
    std::map<int, const Member*> fallbacks_;
    QHash<char32_t, Pick> picks_;
};

// The chains by name and weight, for every thread. Bounded: when many names
// have been asked for, the kept ones go (a chain a thread still holds lives
// until it lets go).
std::shared_ptr<Chain> chainOf(const QString& face, bool bold)
{
    // Each thread keeps the last few: a seal asks for two or three names.
    struct Kept {
        QString face;
        bool bold;
        std::shared_ptr<Chain> chain;
    };
    thread_local std::vector<Kept> recent;
    for (const Kept& k : recent)
        if (k.bold == bold && k.face == face)
            return k.chain;
    static std::mutex mutex;
    // Never destroyed: a chain's end calls into fontconfig, which must not
    // come after the faces' end at exit.
    static auto& chains = *new QHash<QString, std::shared_ptr<Chain>>;
    const QString key = face + (bold ? QLatin1String("\n1") : QLatin1String("\n0"));
    std::shared_ptr<Chain> chain;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (const auto it = chains.constFind(key); it != chains.constEnd()) {
            chain = *it;
        } else {
            if (chains.size() >= 256)
                chains.clear();
            chain = Faces::instance().locked([&] { return std::make_shared<Chain>(face, bold); });
            chains.insert(key, chain);
        }
    }
    if (recent.size() >= 8)
        recent.erase(recent.begin());
    recent.push_back({face, bold, chain});
    return chain;
}

// Calls f(cp, start, length) for each character of text, by its UTF-16
// start and length; a lone surrogate is U+FFFD.
template <typename F>
void forEachCharacter(const QString& text, F&& f)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            f(QChar::surrogateToUcs4(c, text.at(i + 1)), i, 2);
            i += 2;
        } else {
            f(c.isSurrogate() ? char32_t(0xFFFD) : char32_t(c.unicode()), i, 1);
            ++i;
        }
    }
}

} // namespace

DrawingFace drawingFace(const QString& face, int weight, char32_t cp)
{
    const auto chain = chainOf(face, weight >= kBoldWeight);
    const Pick p = chain->pick(cp);
    DrawingFace out;
    if (p.member && p.glyph != 0) {
        out.family = p.member->family;
        out.boldFile = chain->bold() && p.member->face->hasBold;
        out.fallback = p.member->fallback;
    }
    return out;
}

QString primaryFamily(const QString& face)
{
    const Member* m = chainOf(face, false)->primary();
    return m ? m->family : QString();
}

namespace {

// The installed fonts of the family (every family when it is empty), of
// those that cover Simplified Chinese only when asked; their family names
// alone. The caller holds the faces' lock and destroys the set.
FcFontSet* listFamilies(const QByteArray& family, bool simplifiedChinese)
{
    FcPattern* pattern = FcPatternCreate();
    if (!family.isEmpty())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.constData()));
    if (simplifiedChinese)
        FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* set = FcFontList(nullptr, pattern, objects);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return set;
}

} // namespace

bool familyInstalled(const QString& family, bool simplifiedChinese)
{
    static std::mutex mutex;
    static QHash<QString, bool> known;
    const QString key = family.toCaseFolded() + (simplifiedChinese ? QLatin1String("\n1") : QLatin1String("\n0"));
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (const auto it = known.constFind(key); it != known.constEnd())
            return *it;
    }
    const bool installed = !family.isEmpty() && Faces::instance().locked([&] {
        FcFontSet* set = listFamilies(family.toUtf8(), simplifiedChinese);
        const bool any = set && set->nfont > 0;
        if (set)
            FcFontSetDestroy(set);
        return any;
    });
    std::lock_guard<std::mutex> lock(mutex);
    if (known.size() >= 1024)
        known.clear();
    known.insert(key, installed);
    return installed;
}

QStringList installedFamilies(bool simplifiedChinese)
{
    return Faces::instance().locked([&] {
        QStringList out;
        FcFontSet* set = listFamilies(QByteArray(), simplifiedChinese);
        for (int i = 0; set && i < set->nfont; ++i) {
            FcChar8* name = nullptr;
            for (int k = 0; FcPatternGetString(set->fonts[i], FC_FAMILY, k, &name) == FcResultMatch; ++k) {
                const QString family = QString::fromUtf8(reinterpret_cast<const char*>(name));
                if (!out.contains(family))
                    out << family;
            }
        }
        if (set)
            FcFontSetDestroy(set);
        // fontconfig lists in no promised order.
        out.sort(Qt::CaseInsensitive);
        return out;
    });
}

GlyphRun textGlyphs(const QString& face, int px, int weight, const QString& text)
{
    GlyphRun run;
    if (px <= 0)
        return run;
    const auto chain = chainOf(face, weight >= kBoldWeight);
    // Faces without a bold of their own are emboldened below 64 pixels, as
    // the screen's text engines do.
    const bool synthetic = chain->bold() && px < 64;
    double x = 0;
    forEachCharacter(text, [&](char32_t cp, qsizetype, int) {
        const Pick p = chain->pick(cp);
        if (p.member) {
            const Face* f = p.member->face;
            QPainterPath em = Outlines::instance().get({f, p.glyph, synthetic && !f->hasBold});
            if (!em.isEmpty())
                run.glyphs.push_back({std::move(em), px, x});
        }
        x += p.advance * px;
    });
    return run;
}

QPainterPath GlyphRun::path() const
{
    QPainterPath out;
    out.setFillRule(Qt::OddEvenFill);
    for (const PlacedGlyph& g : glyphs)
        out.addPath(QTransform(g.px, 0, 0, g.px, g.x, 0).map(g.em));
    return out.translated(0, lift);
}

QPainterPath textOutline(const QString& face, int px, int weight, const QString& text)
{
    return textGlyphs(face, px, weight, text).path();
}

std::vector<double> prefixAdvances(const QString& face, int px, int weight, const QString& text)
{
    std::vector<double> out(size_t(text.size()) + 1, 0.0);
    if (px <= 0)
        return out;
    const auto chain = chainOf(face, weight >= kBoldWeight);
    double x = 0;
    forEachCharacter(text, [&](char32_t cp, qsizetype start, int length) {
        if (length == 2)
            out[size_t(start) + 1] = x;   // inside the pair
        x += chain->pick(cp).advance * px;
        out[size_t(start + length)] = x;
    });
    return out;
}

double textAdvance(const QString& face, int px, int weight, const QString& text)
{
    if (px <= 0)
        return 0;
    const auto chain = chainOf(face, weight >= kBoldWeight);
    double x = 0;
    forEachCharacter(text, [&](char32_t cp, qsizetype, int) { x += chain->pick(cp).advance * px; });
    return x;
}

double emTopOf(const QString& face, int px, int weight, char32_t cp)
{
    const Pick p = chainOf(face, weight >= kBoldWeight)->pick(cp);
    if (!p.member)
        return 0.8 * px;   // no face at all: a usual ascent
    const Face& f = *p.member->face;
    if (f.cjkBox)
        return px * f.cjkBox->first / (f.cjkBox->first - f.cjkBox->second);
    return ((f.ascender + f.descender) * px + px) / 2.0;
}

} // namespace plomet
