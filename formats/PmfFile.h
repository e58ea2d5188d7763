#pragma once
// The seal description file (.PMF): five header lines, then fifteen values,
// one a line (lines 6 to 20), GBK, CR LF; then, for the properties that came
// later, "Key=Value" lines. Which value sits on which line or key, its type
// and its text come from the property table (seal/Properties.h). Used by the
// main window, the settings dialog's host and the command line. Reaches the
// seal only through its properties and size.
//
// "Key=Value" lines are written only for values that differ from a new
// seal's, so a classic seal's file stays exactly 20 lines and readers that
// read lines 1 to 20 by number still read it. Keys match in any letter case;
// a value that does not convert refuses the whole file; a line whose key no
// row knows is kept and written back unchanged.
//
// Reading takes every line whole (a comma, a quote, leading blanks or "007"
// in a text come back exactly as written), checks the whole file before it
// assigns anything, and refuses what it cannot read with a message that names
// the line, the value and the reason.
#include "seal/Gbk.h"
#include "seal/Plomet.h"
#include "seal/Properties.h"
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <optional>
#include <vector>

namespace plomet {

// The text of the one format failure that users know by heart, in the
// user's language (the windows' Chinese is "文件格式不正确!").
QString badFormatMessage();

// Line 3 of every file we write: "网站:" and this address. Readers ignore it.
inline const QString kPmfWebAddress = QStringLiteral("https://plomet.example/");

// The most lines 1 to 20 of a file may take, in bytes (1 MiB), reading and
// writing. A file of our own is a few hundred bytes; this bounds memory on
// hostile input.
constexpr qint64 kPmfMaxBytes = qint64(1) << 20;

// At most this many lines after line 20 are read, each of at most
// kPmfMaxKeyLineBytes bytes; what follows is never read.
constexpr int kPmfMaxKeyLines = 64;
constexpr qsizetype kPmfMaxKeyLineBytes = 4096;
// The most readPMF takes from a file: lines 1 to 20 within kPmfMaxBytes and
// the lines after them; a file may be longer, the rest is never read.
constexpr qint64 kPmfMaxReadBytes = kPmfMaxBytes + kPmfMaxKeyLines * (kPmfMaxKeyLineBytes + 2);

// The values a description file holds: a seal spec, of which the rows that
// live in the file count (seal/Properties.h), and the "Key=Value" lines whose
// keys no row knows.
class PmfValues {
public:
    // The values of a file that ends after its header: the classic lines
    // empty, 0 or False; the later properties at their new-instance values.
    PmfValues();
    QVariant get(const PropertyRow& row) const;
    QVariant get(const char* name) const { return get(property(name)); }
    void set(const PropertyRow& row, const QVariant& v);
    void set(const char* name, const QVariant& v) { set(property(name), v); }

    // "Key=Value" lines whose keys no row knows, as read; written back after
    // the known ones.
    QStringList unknownLines;

    bool operator==(const PmfValues& o) const;
    bool operator!=(const PmfValues& o) const { return !(*this == o); }
    // The seal the file describes, where the file does not say: a new seal's
    // (ShowDate).
    const SealSpec& spec() const { return spec_; }
private:
    SealSpec spec_;
};

// The values of the seal as SavePMF writes them (ShowDate is not among them).
PmfValues pmfValuesOf(const Plomet& seal);

// Assigns the values, one plain property write each, in file order (then
// the later properties in table order); no Draw.
void assignPmfValues(Plomet& seal, const PmfValues& values);

// The bytes of a file holding these values. Throws PlometError (Kind::Format)
// naming the value when a text cannot be written so that it reads back
// (a line break or NUL in it, a character that neither GBK nor GB18030
// holds), when a number is not finite, or when lines 1 to 20 would exceed
// kPmfMaxBytes or the "Key=Value" lines their bounds; nothing is produced then.
QByteArray encodePMF(const PmfValues& values);

// Reads the bytes of a file. Throws PlometError: Kind::BadHeader with exactly
// badFormatMessage() when line 1 or 2 is not the header as the field rule
// reads it (blanks around it, or quotes, are fine), otherwise Kind::Format with a message
// naming the line, the value and the problem. A file that ends after its
// header but before line 20 gives empty text, 0 or False for the rest. After
// line 20, a "Key=Value" line of a known key is read as its row reads it
// (the line and the problem named when it does not convert); other lines
// with a key are kept; reading stops at a line that is not text or longer
// than kPmfMaxKeyLineBytes, and after kPmfMaxKeyLines lines.
PmfValues decodePMF(const QByteArray& bytes);

// Reads a file's bytes line by line. A line ends at CR LF, LF or CR; the
// last line may lack its ending.
class PmfReader {
public:
    explicit PmfReader(QByteArray bytes);
    // The next line's bytes without its ending; nullopt past the last line.
    std::optional<QByteArray> nextLine();
    // The next line decoded as text, whole; an empty QVariant past the last
    // line. Throws PlometError (Kind::Format) naming the line (and the value,
    // when given its name) when its bytes are not GBK or hold a NUL.
    QVariant GetValue(const char* name = nullptr);
    // The number of the line read last (1-based; 0 before the first).
    int lineNumber() const { return line_; }
    // The offset of the next unread byte.
    qsizetype position() const { return pos_; }
private:
    QByteArray bytes_;
    qsizetype pos_ = 0;
    int line_ = 0;
};

// Writes the seal's fifteen values to path, replacing the file whole and
// atomically (a failed save leaves the old file as it was). Throws
// PlometError (Kind::File) naming the path and the reason, or (Kind::Format)
// naming the value that cannot be written.
void SavePMF(const Plomet& seal, const QString& path);
void SavePMF(const PmfValues& values, const QString& path);

// Reads path and assigns its values to the seal, one plain property write per
// value in file order; does not draw. The whole file is checked first: on any
// problem nothing is assigned and PlometError is thrown — Kind::BadHeader with
// exactly badFormatMessage() for a wrong header, Kind::Format naming the path,
// the line and the problem for a bad value, Kind::File for a file that cannot
// be read.
void LoadPMF(Plomet& seal, const QString& path);
// The values of the file at path, without a seal; throws as LoadPMF does.
PmfValues readPMF(const QString& path);

} // namespace plomet
