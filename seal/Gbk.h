#pragma once
// The one GBK codec: texts cross into the description file and into the
// font record's face name in GBK (code page 936). glibc's iconv does the
// work; its GBK and GB18030 are exact and strict (an unknown sequence is an
// error, never a '?'). Lives with the seal core because the font record
// needs it as much as the description file does.
#include <QByteArray>
#include <QString>
#include <optional>

namespace plomet {

// Text to GBK bytes. A character GBK lacks is written in GB18030, GBK's
// superset (almost always a four-byte sequence; a few rare radicals and
// private-use characters have only a two-byte GB18030 code, which GBK leaves
// undefined), so a text that GBK holds comes out byte for byte as GBK.
// Throws PlometError (Kind::Format) for a lone surrogate or a character that
// GB18030 cannot hold either.
QByteArray encodeGbk(const QString& text);

// One character in GBK proper (one or two bytes); nullopt when GBK has no
// such character.
std::optional<QByteArray> gbkCharacter(char32_t codePoint);

// GBK bytes to text, with GB18030 sequences for characters GBK lacks.
// nullopt for bytes that are neither; *badOffset then gets the byte offset
// of the first bad byte.
std::optional<QString> decodeGbk(const QByteArray& bytes, int* badOffset = nullptr);

} // namespace plomet
