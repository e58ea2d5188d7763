#include "formats/PmfFile.h"

#include "formats/AtomicFile.h"
#include "seal/Errors.h"
#include "seal/NumberText.h"
#include "seal/SystemReason.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <QCoreApplication>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace plomet {

namespace {

// ---------------------------------------------------------------- format ---

const QString kHeader1 = QStringLiteral("电子公章描述文件");
const QString kHeader2 = QStringLiteral("创始人:Tervin");

QString quoted(const QString& value)
{
    // Long values are cut in messages: the reason matters, not 10,000 blanks.
    constexpr int kShown = 32;
    const QString shown = value.size() > kShown ? value.left(kShown) + QStringLiteral("…") : value;
    return QStringLiteral("“%1”").arg(shown);
}

QString lineReason(int line, const char* name, const QString& reason)
{
    if (name)
        return QCoreApplication::translate("Formats", "line %1 (%2): %3").arg(line).arg(QLatin1String(name), reason);
    return QCoreApplication::translate("Formats", "line %1: %2").arg(line).arg(reason);
}

[[noreturn]] void formatError(const QString& message)
{
    throw PlometError(PlometError::Kind::Format, message);
}

// A line's text as its row's value, or the whole file refused.
QVariant readValue(const PropertyRow& row, const QString& text, int line)
{
    const ParsedValue v = parseValue(row, text, Reading::File);
    if (!v.ok())
        formatError(lineReason(line, row.name, v.problem));
    return v.value;
}

// A text goes on one line and must come back as written.
QByteArray textLine(const QString& text, const char* name)
{
    for (QChar c : text) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            formatError(QCoreApplication::translate("Formats", "%1 holds a line break and cannot be written to a description file: it would upset the lines after it.")
                            .arg(QLatin1String(name)));
        if (c.unicode() == 0)
            formatError(QCoreApplication::translate("Formats", "%1 holds a null character (U+0000) and cannot be written to a description file.").arg(QLatin1String(name)));
    }
    try {
        return encodeGbk(text);
    } catch (const PlometError& e) {
        formatError(QCoreApplication::translate("Formats", "%1 cannot be written to a description file: %2.").arg(QLatin1String(name), e.message()));
    }
}

// A value's line as the file writes it.
QByteArray valueLine(const PropertyRow& row, const QVariant& v)
{
    const QString text = valueText(row, v);
    if (row.type == ValueType::Text)
        return textLine(text, row.name);
    if ((row.type == ValueType::Single || row.type == ValueType::Double) && !std::isfinite(v.toDouble()))
        formatError(QCoreApplication::translate("Formats", "the value %2 of %1 is not a finite number and cannot be written to a description file.").arg(row.qname(), text));
    return text.toLatin1();
}

// A header line as the field rule takes it: blanks before it skipped; a
// field that begins with a double quote runs to the next one; any other
// runs to the next comma or the end of the line, blanks after it dropped.
// On bytes: GBK's trail bytes are never a blank, a tab, a quote or a comma.
QByteArray headerField(const QByteArray& line)
{
    qsizetype i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    if (i < line.size() && line[i] == '"') {
        const qsizetype end = line.indexOf('"', i + 1);
        return line.mid(i + 1, end < 0 ? -1 : end - i - 1);
    }
    const qsizetype comma = line.indexOf(',', i);
    qsizetype end = comma < 0 ? line.size() : comma;
    while (end > i && (line[end - 1] == ' ' || line[end - 1] == '\t'))
        --end;
    return line.mid(i, end - i);
}

QString nativePath(const QString& path) { return QDir::toNativeSeparators(path); }

} // namespace

QString badFormatMessage()
{
    return QCoreApplication::translate("Formats", "The file format is not correct!");
}

// ------------------------------------------------------------ values -------

PmfValues::PmfValues()
{
    // The classic lines read as blank; the later keys are a new seal's.
    for (const PropertyRow* r : fileLineRows())
        r->set(spec_, parseValue(*r, QString(), Reading::File).value);
}

QVariant PmfValues::get(const PropertyRow& row) const { return row.inFile() ? row.get(spec_) : QVariant(); }

void PmfValues::set(const PropertyRow& row, const QVariant& v)
{
    if (row.inFile())
        row.set(spec_, normalised(row, v));
}

bool PmfValues::operator==(const PmfValues& o) const
{
    for (const PropertyRow& r : propertyRows())
        if (get(r) != o.get(r))
            return false;
    return unknownLines == o.unknownLines;
}

PmfValues pmfValuesOf(const Plomet& seal)
{
    PmfValues v;
    for (const PropertyRow& r : propertyRows())
        v.set(r, seal.value(r));
    v.unknownLines = seal.unknownFileLines();
    return v;
}

void assignPmfValues(Plomet& seal, const PmfValues& v)
{
    for (const PropertyRow* r : fileLineRows())
        seal.setValue(*r, v.get(*r));
    for (const PropertyRow* r : fileKeyRows())
        seal.setValue(*r, v.get(*r));
    seal.setUnknownFileLines(v.unknownLines);
}

// ------------------------------------------------------------- reader ------

PmfReader::PmfReader(QByteArray bytes) : bytes_(std::move(bytes)) {}

std::optional<QByteArray> PmfReader::nextLine()
{
    if (pos_ >= bytes_.size())
        return std::nullopt;
    const qsizetype size = bytes_.size();
    qsizetype end = pos_;
    while (end < size && bytes_[end] != '\r' && bytes_[end] != '\n')
        ++end;
    QByteArray line = bytes_.mid(pos_, end - pos_);
    if (end < size && bytes_[end] == '\r' && end + 1 < size && bytes_[end + 1] == '\n')
        pos_ = end + 2;
    else
        pos_ = end + 1;
    ++line_;
    return line;
}

QVariant PmfReader::GetValue(const char* name)
{
    const std::optional<QByteArray> line = nextLine();
    if (!line)
        return QVariant();
    const qsizetype nul = line->indexOf('\0');
    if (nul >= 0)
        formatError(lineReason(line_, name,
                               QCoreApplication::translate("Formats", "byte %1 is a null byte: this is not a text file").arg(nul + 1)));
    int bad = 0;
    const std::optional<QString> text = decodeGbk(*line, &bad);
    if (!text)
        formatError(lineReason(line_, name,
                               QCoreApplication::translate("Formats", "byte %1, 0x%2, is not valid GBK")
                                   .arg(bad + 1)
                                   .arg(uint(uchar(line->at(bad))), 2, 16, QLatin1Char('0'))));
    return *text;
}

// ------------------------------------------------------------- format ------

QByteArray encodePMF(const PmfValues& v)
{
    QByteArray out;
    auto line = [&out](const QByteArray& bytes) {
        out += bytes;
        out += "\r\n";
    };
    line(encodeGbk(kHeader1));
    line(encodeGbk(kHeader2));
    line(encodeGbk(QStringLiteral("网站:") + kPmfWebAddress));
    line("v1.0");
    line(encodeGbk(QStringLiteral("保留")));

    for (const PropertyRow* r : fileLineRows())
        line(valueLine(*r, v.get(*r)));
    if (out.size() > kPmfMaxBytes)
        formatError(QCoreApplication::translate("Formats", "the description file would have %1 bytes, over the limit of 1 MiB: the texts are too long to write.").arg(out.size()));

    // The later properties where they differ from a new seal's, then the
    // lines of keys this version does not know, as they came.
    QList<QByteArray> keyLines;
    for (const PropertyRow* r : fileKeyRows())
        if (v.get(*r) != normalised(*r, r->newValue))
            keyLines << r->qname().toLatin1() + '=' + valueLine(*r, v.get(*r));
    for (const QString& unknown : v.unknownLines)
        keyLines << textLine(unknown, "?");
    if (keyLines.size() > kPmfMaxKeyLines)
        formatError(QCoreApplication::translate("Formats", "the description file would have %1 “name=value” lines, over the limit of %2.")
                        .arg(keyLines.size()).arg(kPmfMaxKeyLines));
    for (const QByteArray& k : keyLines) {
        if (k.size() > kPmfMaxKeyLineBytes)
            formatError(QCoreApplication::translate("Formats", "the line “%1” is over the limit of %2 bytes and cannot be written to a description file.")
                            .arg(QString::fromLatin1(k.left(k.indexOf('=')))).arg(kPmfMaxKeyLineBytes));
        line(k);
    }
    return out;
}

PmfValues decodePMF(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        formatError(QCoreApplication::translate("Formats", "the file is empty: it is not a seal description file."));

    PmfReader reader(bytes);
    // Both header lines are compared as the field rule reads them, byte for
    // byte: GBK is exact, so equal bytes are equal texts, and a binary file
    // fails here without decoding.
    static const QByteArray h1 = encodeGbk(kHeader1);
    static const QByteArray h2 = encodeGbk(kHeader2);
    const std::optional<QByteArray> l1 = reader.nextLine();
    const std::optional<QByteArray> l2 = reader.nextLine();
    const bool ok1 = l1 && headerField(*l1) == h1;
    const bool ok2 = l2 && headerField(*l2) == h2;
    if (!ok1 || !ok2)
        throw PlometError(PlometError::Kind::BadHeader, badFormatMessage());

    for (int i = 3; i <= 5; ++i)
        if (!reader.nextLine())
            formatError(QCoreApplication::translate("Formats", "the file is incomplete: it has only %1 lines, and the header has 5.").arg(i - 1));

    // Every value is read and converted before any is assigned.
    PmfValues v;
    for (const PropertyRow* r : fileLineRows()) {
        const QVariant text = reader.GetValue(r->name);
        if (reader.position() > kPmfMaxBytes)
            formatError(QCoreApplication::translate("Formats", "the first %1 lines are over the limit of 1 MiB: it is not a seal description file.").arg(reader.lineNumber()));
        v.set(*r, readValue(*r, text.toString(), reader.lineNumber()));
    }

    // "Key=Value" lines. Older readers never read past line 20, so whatever
    // is not such a line is passed over, and reading stops at a line that is
    // not text or is too long: the rest of such a file is not ours to judge.
    for (int n = 0; n < kPmfMaxKeyLines; ++n) {
        const std::optional<QByteArray> bytesOfLine = reader.nextLine();
        if (!bytesOfLine || bytesOfLine->size() > kPmfMaxKeyLineBytes || bytesOfLine->contains('\0'))
            break;
        const std::optional<QString> text = decodeGbk(*bytesOfLine);
        if (!text)
            break;
        const qsizetype eq = text->indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const PropertyRow* row = findProperty(text->left(eq).trimmed());
        if (row && row->isFileKey())
            v.set(*row, readValue(*row, text->mid(eq + 1), reader.lineNumber()));
        else
            v.unknownLines << *text;
    }
    return v;
}

// ------------------------------------------------------------- files -------

void SavePMF(const PmfValues& values, const QString& path)
{
    // Everything that can be refused is refused before the file is touched.
    const QByteArray bytes = encodePMF(values);

    // A temporary file beside the target, synced and renamed over it: a
    // crash or a full disk midway leaves the old file whole.
    writeFileAtomically(path, bytes, QCoreApplication::translate("Formats", "cannot save the description file “%1”: %2"));
}

void SavePMF(const Plomet& seal, const QString& path)
{
    SavePMF(pmfValuesOf(seal), path);
}

namespace {

// The first max bytes of the file at path (all of a shorter one), or the
// error number that stopped it; a folder is EISDIR. What the format reads,
// and no more: the rest of a file is never read. A plain file takes four
// calls to the system (Qt's file took six, a batch reads thousands).
int readHead(const QString& path, qint64 max, QByteArray& out)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat st {};
    int err = ::fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
    // A plain file is as long as it says: one byte more is asked for, so a
    // short count is its end. Anything else (a pipe) is read to its end.
    const bool plain = S_ISREG(st.st_mode);
    out.resize(plain ? std::min<qint64>(max, qint64(st.st_size) + 1) : std::min<qint64>(max, 4096));
    qsizetype got = 0;
    while (!err && got < out.size()) {
        const ssize_t n = ::read(fd, out.data() + got, size_t(out.size() - got));
        if (n < 0) {
            if (errno != EINTR)
                err = errno;
            continue;
        }
        got += n;
        if (n == 0 || (plain && got < out.size()))
            break;
        if (got == out.size() && out.size() < max)
            out.resize(std::min<qint64>(max, out.size() * 2 + 1));
    }
    ::close(fd);
    out.truncate(got);
    return err;
#else
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        return QFileInfo(path).isDir() ? EISDIR : errno ? errno : EIO;
    out = file.read(max);
    return file.error() == QFileDevice::NoError ? 0 : errno ? errno : EIO;
#endif
}

} // namespace

PmfValues readPMF(const QString& path)
{
    auto fail = [&path](const QString& reason) {
        throw PlometError(PlometError::Kind::File,
                          QCoreApplication::translate("Formats", "cannot read the description file “%1”: %2").arg(nativePath(path), reason));
    };
    QByteArray bytes;
    if (const int err = readHead(path, kPmfMaxReadBytes, bytes))
        fail(systemReason(err));
    try {
        return decodePMF(bytes);
    } catch (const PlometError& e) {
        if (e.kind() == PlometError::Kind::BadHeader)
            throw;
        throw PlometError(e.kind(), QCoreApplication::translate("Formats", "the description file “%1” is wrong: %2").arg(nativePath(path), e.message()));
    }
}

void LoadPMF(Plomet& seal, const QString& path)
{
    const PmfValues values = readPMF(path);
    const PmfValues before = pmfValuesOf(seal);
    try {
        assignPmfValues(seal, values);
    } catch (...) {
        // A write the seal refused: all or none, so put the rest back.
        try { assignPmfValues(seal, before); } catch (...) {}
        throw;
    }
}

} // namespace plomet
