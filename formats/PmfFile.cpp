#include "formats/PmfFile.h"

#include "formats/AtomicFile.h"
#include "seal/Errors.h"
#include "seal/NumberText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cmath>
#include <limits>
#include <vector>

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
        return QStringLiteral("第 %1 行(%2):%3").arg(line).arg(QLatin1String(name), reason);
    return QStringLiteral("第 %1 行:%2").arg(line).arg(reason);
}

[[noreturn]] void formatError(const QString& message)
{
    throw PlometError(PlometError::Kind::Format, message);
}

bool isBlankOnly(const QString& s)
{
    for (QChar c : s)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t'))
            return false;
    return true;
}

// A number line: blank or missing is 0, as the old reader gave.
double readNumber(const QVariant& v, int line, const char* name)
{
    const QString s = v.toString();
    if (isBlankOnly(s))
        return 0;
    const std::optional<double> d = parseStrictNumber(s);
    if (!d)
        formatError(lineReason(line, name, QStringLiteral("%1不是数字").arg(quoted(s))));
    return *d;
}

template <class T>
T narrowed(std::optional<T> n, const QVariant& v, int line, const char* name, const QString& range)
{
    if (!n)
        formatError(lineReason(line, name, QStringLiteral("%1超出范围(%2)").arg(quoted(v.toString()), range)));
    return *n;
}

int32_t readLong(const QVariant& v, int line, const char* name)
{
    return narrowed(toLong32(readNumber(v, line, name)), v, line, name,
                    QStringLiteral("-2147483648 至 2147483647"));
}

int16_t readInteger(const QVariant& v, int line, const char* name)
{
    return narrowed(toInteger16(readNumber(v, line, name)), v, line, name,
                    QStringLiteral("-32768 至 32767"));
}

float readSingle(const QVariant& v, int line, const char* name)
{
    return narrowed(toSingle(readNumber(v, line, name)), v, line, name,
                    QStringLiteral("单精度数的范围"));
}

// "True"/"False" in any letter case, or a number (nonzero is True), as the
// old reader coerced; blank or missing is False.
bool readBoolean(const QVariant& v, int line, const char* name)
{
    const QString s = v.toString().trimmed();
    if (s.isEmpty())
        return false;
    if (s.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (s.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    if (const std::optional<double> d = parseStrictNumber(s))
        return *d != 0;
    formatError(lineReason(line, name, QStringLiteral("%1不是 True 或 False").arg(quoted(s))));
}

// A text goes on one line and must come back as written.
QByteArray textLine(const QString& text, const char* name)
{
    for (QChar c : text) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            formatError(QStringLiteral("%1 含有换行符,无法写入描述文件:它会打乱后面的各行。")
                            .arg(QLatin1String(name)));
        if (c.unicode() == 0)
            formatError(QStringLiteral("%1 含有空字符(U+0000),无法写入描述文件。").arg(QLatin1String(name)));
    }
    try {
        return encodeGbk(text);
    } catch (const PlometError& e) {
        formatError(QStringLiteral("%1 无法写入描述文件:%2。").arg(QLatin1String(name), e.message()));
    }
}

QByteArray finiteLine(double v, const QString& text, const char* name)
{
    if (!std::isfinite(v))
        formatError(QStringLiteral("%1 的值 %2 不是有限的数,无法写入描述文件。").arg(QLatin1String(name), text));
    return text.toLatin1();
}

QString nativePath(const QString& path) { return QDir::toNativeSeparators(path); }

} // namespace

// ------------------------------------------------------------ values -------

bool PmfValues::operator==(const PmfValues& o) const
{
    return rText == o.rText && pText == o.pText && pText1 == o.pText1 && BackColor == o.BackColor
        && ForeColor == o.ForeColor && FontName == o.FontName && FontSize == o.FontSize
        && ShowStar == o.ShowStar && MidSign == o.MidSign && StarSize == o.StarSize
        && Width == o.Width && Height == o.Height && Space == o.Space && Degree == o.Degree
        && FontBold == o.FontBold;
}

const std::array<PmfField, 15>& pmfFields()
{
    static const std::array<PmfField, 15> fields = {{
        {6, "rText", PmfType::Text},
        {7, "pText", PmfType::Text},
        {8, "pText1", PmfType::Text},
        {9, "BackColor", PmfType::Long},
        {10, "ForeColor", PmfType::Long},
        {11, "FontName", PmfType::Text},
        {12, "FontSize", PmfType::Single},
        {13, "ShowStar", PmfType::Boolean},
        {14, "MidSign", PmfType::Text},
        {15, "StarSize", PmfType::Integer},
        {16, "Width", PmfType::Single},
        {17, "Height", PmfType::Single},
        {18, "Space", PmfType::Long},
        {19, "Degree", PmfType::Double},
        {20, "FontBold", PmfType::Boolean},
    }};
    return fields;
}

PmfValues pmfValuesOf(const Plomet& seal)
{
    PmfValues v;
    v.rText = seal.rText();
    v.pText = seal.pText();
    v.pText1 = seal.pText1();
    v.BackColor = seal.BackColor();
    v.ForeColor = seal.ForeColor();
    v.FontName = seal.FontName();
    v.FontSize = seal.FontSize();
    v.ShowStar = seal.ShowStar();
    v.MidSign = seal.MidSign();
    v.StarSize = seal.StarSize();
    v.Width = seal.Width();
    v.Height = seal.Height();
    v.Space = seal.Space();
    v.Degree = seal.Degree();
    v.FontBold = seal.FontBold();
    return v;
}

void assignPmfValues(Plomet& seal, const PmfValues& v)
{
    seal.setRText(v.rText);
    seal.setPText(v.pText);
    seal.setPText1(v.pText1);
    seal.setBackColor(v.BackColor);
    seal.setForeColor(v.ForeColor);
    seal.setFontName(v.FontName);
    seal.setFontSize(v.FontSize);
    seal.setShowStar(v.ShowStar);
    seal.setMidSign(v.MidSign);
    seal.setStarSize(v.StarSize);
    seal.setWidth(v.Width);
    seal.setHeight(v.Height);
    seal.setSpace(v.Space);
    seal.setDegree(v.Degree);
    seal.setFontBold(v.FontBold);
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
                               QStringLiteral("第 %1 个字节是空字节:这不是文本文件").arg(nul + 1)));
    int bad = 0;
    const std::optional<QString> text = decodeGbk(*line, &bad);
    if (!text)
        formatError(lineReason(line_, name,
                               QStringLiteral("第 %1 个字节 0x%2 不是有效的 GBK 编码")
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

    line(textLine(v.rText, "rText"));
    line(textLine(v.pText, "pText"));
    line(textLine(v.pText1, "pText1"));
    line(numberTextLong(v.BackColor).toLatin1());
    line(numberTextLong(v.ForeColor).toLatin1());
    line(textLine(v.FontName, "FontName"));
    line(finiteLine(v.FontSize, numberTextSingle(v.FontSize), "FontSize"));
    line(v.ShowStar ? "True" : "False");
    line(textLine(v.MidSign, "MidSign"));
    line(numberTextLong(v.StarSize).toLatin1());
    line(finiteLine(v.Width, numberTextSingle(v.Width), "Width"));
    line(finiteLine(v.Height, numberTextSingle(v.Height), "Height"));
    line(numberTextLong(v.Space).toLatin1());
    line(finiteLine(v.Degree, numberTextDouble(v.Degree), "Degree"));
    line(v.FontBold ? "True" : "False");

    if (out.size() > kPmfMaxBytes)
        formatError(QStringLiteral("描述文件将有 %1 字节,超过 1 MiB 的上限:文本太长,无法写入。").arg(out.size()));
    return out;
}

PmfValues decodePMF(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        formatError(QStringLiteral("文件是空的,不是电子公章描述文件。"));

    PmfReader reader(bytes);
    // Both header lines are compared, byte for byte: GBK is exact, so equal
    // bytes are equal texts, and a binary file fails here without decoding.
    static const QByteArray h1 = encodeGbk(kHeader1);
    static const QByteArray h2 = encodeGbk(kHeader2);
    const std::optional<QByteArray> l1 = reader.nextLine();
    const std::optional<QByteArray> l2 = reader.nextLine();
    const bool ok1 = l1 && *l1 == h1;
    const bool ok2 = l2 && *l2 == h2;
    if (!ok1 || !ok2)
        throw PlometError(PlometError::Kind::BadHeader, kBadFormatMessage);

    if (bytes.size() > kPmfMaxBytes)
        formatError(QStringLiteral("文件有 %1 字节,超过 1 MiB 的上限,不是电子公章描述文件。").arg(bytes.size()));

    for (int i = 3; i <= 5; ++i)
        if (!reader.nextLine())
            formatError(QStringLiteral("文件不完整:只有 %1 行,文件头应有 5 行。").arg(i - 1));

    // Every value is read and converted before any is assigned.
    PmfValues v;
    for (const PmfField& f : pmfFields()) {
        const QVariant value = reader.GetValue(f.name);
        switch (f.line) {
        case 6: v.rText = value.toString(); break;
        case 7: v.pText = value.toString(); break;
        case 8: v.pText1 = value.toString(); break;
        case 9: v.BackColor = readLong(value, f.line, f.name); break;
        case 10: v.ForeColor = readLong(value, f.line, f.name); break;
        case 11: v.FontName = value.toString(); break;
        case 12: v.FontSize = readSingle(value, f.line, f.name); break;
        case 13: v.ShowStar = readBoolean(value, f.line, f.name); break;
        case 14: v.MidSign = value.toString(); break;
        case 15: v.StarSize = readInteger(value, f.line, f.name); break;
        case 16: v.Width = readSingle(value, f.line, f.name); break;
        case 17: v.Height = readSingle(value, f.line, f.name); break;
        case 18: v.Space = readLong(value, f.line, f.name); break;
        case 19: v.Degree = readNumber(value, f.line, f.name); break;
        case 20: v.FontBold = readBoolean(value, f.line, f.name); break;
        }
    }
    // Lines after line 20 are never read.
    return v;
}

// ------------------------------------------------------------- files -------

void SavePMF(const PmfValues& values, const QString& path)
{
    // Everything that can be refused is refused before the file is touched.
    const QByteArray bytes = encodePMF(values);

    // A temporary file beside the target, synced and renamed over it: a
    // crash or a full disk midway leaves the old file whole.
    writeFileAtomically(path, bytes, QStringLiteral("无法保存描述文件“%1”:%2"));
}

void SavePMF(const Plomet& seal, const QString& path)
{
    SavePMF(pmfValuesOf(seal), path);
}

PmfValues readPMF(const QString& path)
{
    auto fail = [&path](const QString& reason) {
        throw PlometError(PlometError::Kind::File,
                          QStringLiteral("无法读取描述文件“%1”:%2").arg(nativePath(path), reason));
    };
    const QFileInfo info(path);
    if (info.isDir())
        fail(QStringLiteral("这是一个文件夹"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(file.errorString());
    // One byte past the limit tells a file that is too large.
    const QByteArray bytes = file.read(kPmfMaxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        fail(file.errorString());
    file.close();
    try {
        return decodePMF(bytes);
    } catch (const PlometError& e) {
        if (e.kind() == PlometError::Kind::BadHeader)
            throw;
        throw PlometError(e.kind(), QStringLiteral("描述文件“%1”有误:%2").arg(nativePath(path), e.message()));
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
