#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace vantuke {

// File names are bytes. Most are UTF-8, but names copied from old Windows machines, zip files
// and CDs often hold single bytes of a code page that are not valid UTF-8. A name is decoded
// as UTF-8, and every byte that is not part of a valid UTF-8 sequence becomes the lone
// surrogate U+DC00 + byte (U+DC80 to U+DCFF); encoding reverses this, so every name comes
// back as exactly the bytes it was read from, and two names that differ in any byte stay two
// texts. Everything above this layer works on such texts.

inline constexpr char16_t kEscapeBase = 0xDC00;

// The text of a name read from the system.
QString NameFromBytes(QByteArrayView bytes);
// The bytes of a name for the system. A lone surrogate that no byte can stand for (one no
// decoding produces) makes the name unrepresentable: ok becomes false and the bytes are
// unusable. ok may be null when the caller knows the text came from NameFromBytes.
QByteArray NameToBytes(QStringView text, bool* ok = nullptr);
// Appends the bytes of a text as NameToBytes gives them (a lone surrogate as "?"), for
// output written line by line into one buffer. False when a lone surrogate had no byte.
bool AppendNameBytes(QByteArray& out, QStringView text);

// The length of the valid UTF-8 sequence that starts at bytes[at], or 0 when the byte there
// starts none (a byte NameFromBytes escapes).
int Utf8SequenceLength(QByteArrayView bytes, qsizetype at);

// The escaped byte a character stands for, or -1 when it is no escape.
inline int EscapedByte(QChar c) {
    const char16_t u = c.unicode();
    return u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF ? int(u - kEscapeBase) : -1;
}

} // namespace vantuke
