#pragma once
// The seal description file (.PMF): five header lines, then fifteen values,
// one a line, GBK, CR LF. Used by the main window, the settings dialog's host
// and the command line. Reaches the seal only through its properties and size.
//
// Reading takes every line whole (a comma, a quote, leading blanks or "007"
// in a text come back exactly as written), checks the whole file before it
// assigns anything, and refuses what it cannot read with a message that names
// the line, the value and the reason.
#include "seal/Gbk.h"
#include "seal/Plomet.h"
#include <QByteArray>
#include <QString>
#include <QVariant>
#include <array>
#include <cstdint>
#include <optional>

namespace plomet {

// The text of the one format failure that users know by heart.
inline const QString kBadFormatMessage = QStringLiteral("文件格式不正确!");

// Line 3 of every file we write: "网站:" and this address. Readers ignore it.
inline const QString kPmfWebAddress = QStringLiteral("https://plomet.example/");

// The largest file LoadPMF reads, and SavePMF writes, in bytes (1 MiB). A file
// of our own is a few hundred bytes; this bounds memory on hostile input.
constexpr qint64 kPmfMaxBytes = qint64(1) << 20;

// The fifteen values of a file, in file order (lines 6 to 20).
struct PmfValues {
    QString rText;          // line 6
    QString pText;          // line 7
    QString pText1;         // line 8
    int32_t BackColor = 0;  // line 9, 0x00BBGGRR
    int32_t ForeColor = 0;  // line 10
    QString FontName;       // line 11
    float FontSize = 0;     // line 12, points
    bool ShowStar = false;  // line 13
    QString MidSign;        // line 14
    int16_t StarSize = 0;   // line 15, points
    float Width = 0;        // line 16, twips
    float Height = 0;       // line 17, twips
    int32_t Space = 0;      // line 18, blanks
    double Degree = 0;      // line 19, degrees
    bool FontBold = false;  // line 20

    bool operator==(const PmfValues& o) const;
    bool operator!=(const PmfValues& o) const { return !(*this == o); }
};

// The type each value line is read as.
enum class PmfType { Text, Long, Single, Boolean, Integer, Double };

struct PmfField {
    int line;           // 6..20
    const char* name;   // the property name ("rText", …, "Width", "Height")
    PmfType type;
};

// The fifteen value lines in file order.
const std::array<PmfField, 15>& pmfFields();

// The values of the seal as SavePMF writes them (ShowDate is not among them).
PmfValues pmfValuesOf(const Plomet& seal);

// Assigns the values, one plain property write each, in file order; no Draw.
void assignPmfValues(Plomet& seal, const PmfValues& values);

// The bytes of a file holding these values. Throws PlometError (Kind::Format)
// naming the value when a text cannot be written so that it reads back
// (a line break or NUL in it, a character that neither GBK nor GB18030
// holds), when a number is not finite, or when the file would exceed
// kPmfMaxBytes; nothing is produced then.
QByteArray encodePMF(const PmfValues& values);

// Reads the bytes of a file. Throws PlometError: Kind::BadHeader with exactly
// kBadFormatMessage when line 1 or 2 is not the header, otherwise Kind::Format with a message
// naming the line, the value and the problem. A file that ends after its
// header but before line 20 gives empty text, 0 or False for the rest.
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
// exactly kBadFormatMessage for a wrong header, Kind::Format naming the path,
// the line and the problem for a bad value, Kind::File for a file that cannot
// be read.
void LoadPMF(Plomet& seal, const QString& path);
// The values of the file at path, without a seal; throws as LoadPMF does.
PmfValues readPMF(const QString& path);

} // namespace plomet
