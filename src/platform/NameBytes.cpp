#include "platform/NameBytes.h"

#include <cstring>

namespace vantuke {

namespace {

bool IsAscii(QByteArrayView bytes) {
    // Eight bytes at a time: names are long and almost always ASCII.
    const char* at = bytes.data();
    const char* const end = at + bytes.size();
    for (; end - at >= 8; at += 8) {
        quint64 word;
        std::memcpy(&word, at, 8);
        if (word & 0x8080808080808080ull)
            return false;
    }
    for (; at != end; ++at) {
        if (quint8(*at) >= 0x80)
            return false;
    }
    return true;
}

bool IsAscii(QStringView text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

bool IsContinuation(quint8 byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at bytes[at], with its code point; 0 when the byte
// there starts no valid sequence (stray continuation byte, overlong form, encoded surrogate,
// beyond U+10FFFF, or cut short).
int ValidSequence(QByteArrayView bytes, qsizetype at, char32_t& codePoint) {
    const quint8 lead = quint8(bytes[at]);
    int length;
    char32_t min;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, min = 0x80, codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, min = 0x800, codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, min = 0x10000, codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (bytes.size() - at < length)
        return 0;
    for (int k = 1; k < length; ++k) {
        const quint8 byte = quint8(bytes[at + k]);
        if (!IsContinuation(byte))
            return 0;
        codePoint = (codePoint << 6) | (byte & 0x3F);
    }
    if (codePoint < min || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

void AppendUtf8(QByteArray& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

} // namespace

int Utf8SequenceLength(QByteArrayView bytes, qsizetype at) {
    if (quint8(bytes[at]) < 0x80)
        return 1;
    char32_t codePoint = 0;
    return ValidSequence(bytes, at, codePoint);
}

QString NameFromBytes(QByteArrayView bytes) {
    if (IsAscii(bytes))
        return QString::fromLatin1(bytes);
    QString text;
    text.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        char32_t codePoint = 0;
        if (const int length = ValidSequence(bytes, at, codePoint); length > 0) {
            if (codePoint < 0x10000) {
                text += QChar(char16_t(codePoint));
            } else {
                text += QChar::highSurrogate(codePoint);
                text += QChar::lowSurrogate(codePoint);
            }
            at += length;
        } else {
            const quint8 byte = quint8(bytes[at]);
            text += byte < 0x80 ? QChar(byte) : QChar(char16_t(kEscapeBase + byte));
            ++at;
        }
    }
    return text;
}

bool AppendNameBytes(QByteArray& out, QStringView text) {
    // ASCII, the common case, is copied and checked in one pass the compiler can vectorise.
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char* const to = out.data() + start;
    const char16_t* const from = text.utf16();
    char16_t all = 0;
    for (qsizetype k = 0; k < text.size(); ++k) {
        all |= from[k];
        to[k] = char(from[k]);
    }
    if (all < 0x80)
        return true;
    out.resize(start);
    bool ok = true;
    out.reserve(out.size() + text.size() * 3);
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar c = text[at];
        if (c.isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate()) {
            AppendUtf8(out, QChar::surrogateToUcs4(c, text[at + 1]));
            ++at;
        } else if (const int byte = EscapedByte(c); byte >= 0) {
            out += char(byte);
        } else if (c.isSurrogate()) {
            ok = false;
            out += '?';
        } else {
            AppendUtf8(out, c.unicode());
        }
    }
    return ok;
}

QByteArray NameToBytes(QStringView text, bool* ok) {
    if (IsAscii(text)) {
        if (ok)
            *ok = true;
        return text.toLatin1();
    }
    QByteArray bytes;
    const bool valid = AppendNameBytes(bytes, text);
    if (ok)
        *ok = valid;
    return bytes;
}

} // namespace vantuke
