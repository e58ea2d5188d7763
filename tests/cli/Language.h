#pragma once
// What a text in one language may not hold: under C no Chinese but the
// user's data (names of presets and faces, the texts a seal carries), under
// zh_CN no English sentence (option and property names are not sentences).
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <algorithm>

namespace plomet::test {

// The Chinese words the English output may carry: the presets' names (a
// value the user types), the face styles and the new seal's texts.
inline const QStringList& chineseData()
{
    static const QStringList data = {
        QStringLiteral("合同专用章"), QStringLiteral("财务专用章"), QStringLiteral("发票专用章"), QStringLiteral("公章"),
        QStringLiteral("专用章"),     QStringLiteral("黑体"),       QStringLiteral("宋体"),       QStringLiteral("楷体"),
        QStringLiteral("仿宋"),       QStringLiteral("软件有限公司"),
    };
    return data;
}

// The CJK characters (ideographs, their punctuation, full-width forms) of
// `text` once the data and `more` (the run's own arguments) are taken out;
// empty when it is English throughout.
inline QString chineseLeft(QString text, const QStringList& more = {})
{
    QStringList allowed = chineseData() + more;
    // Longest first, so 专用章 does not cut 合同专用章 in two.
    std::sort(allowed.begin(), allowed.end(), [](const QString& a, const QString& b) { return a.size() > b.size(); });
    for (const QString& a : allowed)
        if (!a.isEmpty())
            text.remove(a);
    QString left;
    for (QChar c : text) {
        const ushort u = c.unicode();
        if ((u >= 0x2e80 && u <= 0x9fff) || (u >= 0xf900 && u <= 0xfaff) || (u >= 0xff00 && u <= 0xffef))
            left += c;
    }
    return left;
}

// The first English sentence in `text`: three or more words of small letters
// in a row ("unable to find"); empty when there is none. Option names
// (--edge), property names (rText) and file names are not such words.
inline QString englishSentence(const QString& text)
{
    static const QRegularExpression sentence(
        QStringLiteral("(?<![\\w./-])[a-z]{2,}(?:[ ']+[a-z]{1,}){2,}(?![\\w./-])"));
    const auto m = sentence.match(text);
    return m.hasMatch() ? m.captured(0) : QString();
}

} // namespace plomet::test
