#include "seal/GlyphOutlines.h"

#include <QByteArray>
#include <QGlyphRun>
#include <QHash>
#include <QHashFunctions>
#include <QRawFont>
#include <QTextLayout>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <memory>
#include <mutex>
#include <optional>
#include <map>
#include <vector>

namespace plomet {

namespace {

// One font file's face, opened by us and never given a transform: its
// outlines come out the same on every load.
struct Face {
    FT_Face face = nullptr;
    double unitsPerEm = 1000;
    bool hasBold = false;   // a bold face of its own: no synthetic bold
    mutable bool matched = false;   // some engine draws from it
};

// The faces of this process, keyed by what Qt's engine says it is: family,
// style, weight. Opened once, kept to the end (a handful of files, mapped
// by FreeType on demand). FreeType's library and its faces are not safe
// across threads, so every call into them holds this lock; outlines are
// read once per glyph, so the lock is seldom asked for.
class Faces {
public:
    static Faces& instance()
    {
        static Faces faces;
        return faces;
    }

    // The face that Qt's engine for raw draws from, or nullptr when no font
    // file has the same tables (a face Qt made up, or one it loaded from data).
    const Face* faceOf(const QRawFont& raw)
    {
        const QString key = raw.familyName() + QLatin1Char('\n') + raw.styleName() + QLatin1Char('\n')
            + QString::number(raw.weight()) + QLatin1Char('\n') + QString::number(int(raw.style()));
        std::lock_guard<std::mutex> lock(mutex);
        if (const auto it = byEngine.constFind(key); it != byEngine.constEnd())
            return *it;
        const Face* found = match(raw);
        byEngine.insert(key, found);
        return found;
    }

    // Runs f with the lock held (f calls into FreeType).
    template <typename F>
    auto locked(F&& f)
    {
        std::lock_guard<std::mutex> lock(mutex);
        return f();
    }

private:
    Faces()
    {
        if (FT_Init_FreeType(&library) != 0)
            library = nullptr;
    }
    ~Faces() = default;   // faces live to the end of the process

    // FreeType reads the file through pread rather than mapping it: Qt's
    // engines map the same files for their layouts, and the pages both
    // mappings touch counted twice in the resident set (at 600 dpi a batch
    // of distinct names went past 256 MB).
    static unsigned long readFile(FT_Stream stream, unsigned long offset, unsigned char* buffer,
                                  unsigned long count)
    {
        if (count == 0)
            return offset <= stream->size ? 0 : 1;   // a seek: 0 is success
        const ssize_t got = ::pread(int(stream->descriptor.value), buffer, count, off_t(offset));
        return got > 0 ? static_cast<unsigned long>(got) : 0;
    }

    static void closeFile(FT_Stream stream)
    {
        ::close(int(stream->descriptor.value));
        delete stream;
    }

    FT_Face openFace(const char* path, int index)
    {
        const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return nullptr;
        struct stat st {};
        if (::fstat(fd, &st) != 0 || st.st_size <= 0) {
            ::close(fd);
            return nullptr;
        }
        auto* stream = new FT_StreamRec{};
        stream->size = static_cast<unsigned long>(st.st_size);
        stream->descriptor.value = fd;
        stream->read = readFile;
        stream->close = closeFile;
        FT_Open_Args args{};
        args.flags = FT_OPEN_STREAM;
        args.stream = stream;
        FT_Face face = nullptr;
        // On failure FreeType closes the stream itself.
        if (FT_Open_Face(library, &args, index, &face) != 0)
            return nullptr;
        return face;
    }

    static QByteArray sfntTable(FT_Face face, FT_ULong tag)
    {
        FT_ULong length = 0;
        if (FT_Load_Sfnt_Table(face, tag, 0, nullptr, &length) != 0 || length == 0)
            return QByteArray();
        QByteArray out(qsizetype(length), Qt::Uninitialized);
        if (FT_Load_Sfnt_Table(face, tag, 0, reinterpret_cast<FT_Byte*>(out.data()), &length) != 0)
            return QByteArray();
        return out;
    }

    // The file of a listed font when its header and metrics tables are the
    // engine's. (The members of a CJK collection share their outlines, so
    // one that shares these tables draws the same glyphs; comparing the
    // character maps too read a megabyte of each file for nothing.)
    const Face* tryFile(FcPattern* font, const QByteArray& head, const QByteArray& os2)
    {
        FcChar8* file = nullptr;
        int index = 0;
        if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch)
            return nullptr;
        FcPatternGetInteger(font, FC_INDEX, 0, &index);
        Face* found = openedFace(reinterpret_cast<const char*>(file), index);
        if (!found || sfntTable(found->face, TTAG_head) != head || sfntTable(found->face, TTAG_OS2) != os2)
            return nullptr;
        found->matched = true;
        return found;
    }

    // The face of a file, opened once (closed again by match unless some
    // engine draws from it or a family lookup keeps it).
    Face* openedFace(const char* file, int index)
    {
        const QByteArray fileKey = QByteArray(file) + '#' + QByteArray::number(index);
        if (const auto it = opened.find(fileKey); it != opened.end())
            return it->second.get();
        FT_Face face = openFace(file, index);
        if (!face)
            return nullptr;
        auto f = std::make_unique<Face>();
        f->face = face;
        f->unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 1000;
        const auto* table = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        f->hasBold = (face->style_flags & FT_STYLE_FLAG_BOLD) || FT_IS_FIXED_WIDTH(face)
            || (table && table->usWeightClass >= 700);
        return opened.emplace(fileKey, std::move(f)).first->second.get();
    }

    // The installed files of the family, as fontconfig lists them, and the
    // first whose header and metrics tables are the engine's.
    const Face* match(const QRawFont& raw)
    {
        if (!library)
            return nullptr;
        const QByteArray head = raw.fontTable("head");
        const QByteArray os2 = raw.fontTable("OS/2");
        if (head.isEmpty())
            return nullptr;
        const QByteArray family = raw.familyName().toUtf8();
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.constData()));
        FcObjectSet* objects = FcObjectSetBuild(FC_FILE, FC_INDEX, FC_WEIGHT, nullptr);
        FcFontSet* set = FcFontList(nullptr, pattern, objects);
        FcObjectSetDestroy(objects);
        FcPatternDestroy(pattern);
        // Files of the engine's weight first: opening every weight of a
        // CJK family (seven files with the extra weights) to compare its
        // tables cost tens of megabytes of resident pages.
        const int weight = FcWeightFromOpenType(raw.weight());
        const Face* found = nullptr;
        for (int pass = 0; pass < 2 && !found; ++pass)
            for (int i = 0; set && i < set->nfont && !found; ++i) {
                int w = -1;
                FcPatternGetInteger(set->fonts[i], FC_WEIGHT, 0, &w);
                if ((w == weight) != (pass == 0))
                    continue;
                found = tryFile(set->fonts[i], head, os2);
            }
        if (set)
            FcFontSetDestroy(set);
        // The family's other files (its other weights) are closed again:
        // each open face holds its tables and the pages of its file it read.
        for (auto it = opened.begin(); it != opened.end();) {
            if (!it->second->matched) {
                FT_Done_Face(it->second->face);
                it = opened.erase(it);
            } else {
                ++it;
            }
        }
        return found;
    }

public:
    // A file of the installed family, bold first (the name's glyphs are
    // bold, so that file is open already), or nullptr when fontconfig lists
    // none. Kept open with the faces the engines draw from.
    const Face* faceOfFamily(const QString& family)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (const auto it = byFamily.constFind(family.toCaseFolded()); it != byFamily.constEnd())
            return *it;
        const Face* found = nullptr;
        if (library) {
            const QByteArray name = family.toUtf8();
            FcPattern* pattern = FcPatternCreate();
            FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.constData()));
            FcObjectSet* objects = FcObjectSetBuild(FC_FILE, FC_INDEX, FC_WEIGHT, nullptr);
            FcFontSet* set = FcFontList(nullptr, pattern, objects);
            FcObjectSetDestroy(objects);
            FcPatternDestroy(pattern);
            for (int pass = 0; pass < 2 && !found; ++pass)
                for (int i = 0; set && i < set->nfont && !found; ++i) {
                    int w = -1;
                    FcPatternGetInteger(set->fonts[i], FC_WEIGHT, 0, &w);
                    if ((w == FC_WEIGHT_BOLD) != (pass == 0))
                        continue;
                    found = openListed(set->fonts[i]);
                }
            if (set)
                FcFontSetDestroy(set);
        }
        byFamily.insert(family.toCaseFolded(), found);
        return found;
    }

private:
    // The listed font's face, opened once and kept.
    Face* openListed(FcPattern* font)
    {
        FcChar8* file = nullptr;
        int index = 0;
        if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch)
            return nullptr;
        FcPatternGetInteger(font, FC_INDEX, 0, &index);
        Face* face = openedFace(reinterpret_cast<const char*>(file), index);
        if (face)
            face->matched = true;
        return face;
    }

    std::mutex mutex;
    FT_Library library = nullptr;
    QHash<QString, const Face*> byEngine;
    QHash<QString, const Face*> byFamily;   // case-folded family name
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

// A glyph of a laid-out text: its face (or Qt's raw font when the file is
// not found), index and origin in the font's pixels, baseline at y = 0.
struct Placed {
    const Face* face;
    QRawFont raw;   // only when face is null
    quint32 glyph;
    QPointF origin;
};

// Qt's layout of the text in the font: which face draws each character and
// where its glyph stands.
std::vector<Placed> layOut(const QFont& font, const QString& text)
{
    std::vector<Placed> out;
    QTextLayout layout(text, font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid())
        return out;
    const double baseline = line.y() + line.ascent();
    for (const QGlyphRun& run : layout.glyphRuns()) {
        const QRawFont raw = run.rawFont();
        const Face* face = Faces::instance().faceOf(raw);
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < glyphs.size() && i < positions.size(); ++i)
            out.push_back({face, face ? QRawFont() : raw, glyphs[i], positions[i] - QPointF(0, baseline)});
    }
    return out;
}

// Layouts of one character by face name, weight and character, for every
// thread: which face and glyph draw it do not depend on the size, and the
// arc's glyphs are single characters at ever new sizes. A character that
// lays out otherwise than one glyph at the origin is laid out each time.
struct CharKey {
    QString family;
    int weight;
    char32_t cp;
    bool operator==(const CharKey& o) const { return cp == o.cp && weight == o.weight && family == o.family; }
};

size_t qHash(const CharKey& k, size_t seed = 0)
{
    return qHashMulti(seed, k.family, k.weight, uint(k.cp));
}

struct CharLayout {
    const Face* face;
    quint32 glyph;
    bool single;   // one glyph at the origin from a face we opened
};

class CharLayouts {
public:
    static CharLayouts& instance()
    {
        static CharLayouts layouts;
        return layouts;
    }
    std::optional<CharLayout> find(const CharKey& key)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (const auto it = kept.constFind(key); it != kept.constEnd())
            return *it;
        return std::nullopt;
    }
    void insert(const CharKey& key, const CharLayout& layout)
    {
        std::lock_guard<std::mutex> lock(mutex);
        // Bounded: names in many faces with many characters start afresh.
        if (kept.size() >= 65536)
            kept.clear();
        kept.insert(key, layout);
    }

private:
    std::mutex mutex;
    QHash<CharKey, CharLayout> kept;
};

std::optional<char32_t> singleCharacter(const QString& text)
{
    if (text.size() == 1 && !text.at(0).isSurrogate())
        return text.at(0).unicode();
    if (text.size() == 2 && text.at(0).isHighSurrogate() && text.at(1).isLowSurrogate())
        return QChar::surrogateToUcs4(text.at(0), text.at(1));
    return std::nullopt;
}

// The glyphs of text in font: one character from the shared layouts, longer
// texts (the lower lines, a few a seal) from this thread's own.
std::vector<Placed> glyphsOf(const QFont& font, const QString& text)
{
    if (const auto cp = singleCharacter(text)) {
        const CharKey key{font.family(), font.weight(), *cp};
        std::optional<CharLayout> kept = CharLayouts::instance().find(key);
        if (!kept) {
            const std::vector<Placed> placed = layOut(font, text);
            const bool single = placed.size() == 1 && placed[0].face && placed[0].origin == QPointF(0, 0);
            kept = CharLayout{single ? placed[0].face : nullptr, single ? placed[0].glyph : 0, single};
            CharLayouts::instance().insert(key, *kept);
            if (!single)
                return placed;
        }
        if (kept->single)
            return {Placed{kept->face, QRawFont(), kept->glyph, QPointF(0, 0)}};
        return layOut(font, text);
    }
    struct TextKey {
        QString family;
        int px, weight;
        QString text;
        bool operator==(const TextKey& o) const
        {
            return px == o.px && weight == o.weight && text == o.text && family == o.family;
        }
    };
    thread_local std::vector<std::pair<TextKey, std::vector<Placed>>> texts;
    const TextKey key{font.family(), font.pixelSize(), font.weight(), text};
    for (const auto& [k, placed] : texts)
        if (k == key)
            return placed;
    if (texts.size() >= 64)
        texts.erase(texts.begin());
    texts.emplace_back(key, layOut(font, text));
    return texts.back().second;
}

} // namespace

std::optional<bool> familyHasCharacter(const QString& family, char32_t cp)
{
    Faces& faces = Faces::instance();
    const Face* face = faces.faceOfFamily(family);
    if (!face)
        return std::nullopt;
    return faces.locked([&] { return FT_Get_Char_Index(face->face, FT_ULong(cp)) != 0; });
}

QPainterPath textOutline(const QFont& font, const QString& text)
{
    QPainterPath out;
    out.setFillRule(Qt::OddEvenFill);
    const int px = font.pixelSize();
    // Qt's engines embolden a face without a bold of its own when bold is
    // asked for below 64 pixels; the outlines do the same.
    const bool synthetic = font.weight() >= QFont::Bold && px < 64;
    for (const Placed& g : glyphsOf(font, text)) {
        if (g.face) {
            const QPainterPath em = Outlines::instance().get({g.face, g.glyph, synthetic && !g.face->hasBold});
            if (!em.isEmpty())
                out.addPath(QTransform(px, 0, 0, px, g.origin.x(), g.origin.y()).map(em));
        } else if (g.raw.isValid()) {
            out.addPath(QTransform::fromTranslate(g.origin.x(), g.origin.y()).map(g.raw.pathForGlyph(g.glyph)));
        }
    }
    return out;
}

} // namespace plomet
