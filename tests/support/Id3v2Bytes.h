#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

// ID3v2 tags built byte by byte, in the versions 2.2, 2.3 and 2.4, for tests of the reading.
namespace testsupport {

// A frame: its id (three letters in version 2.2, four in the others) and its content.
struct Id3v2FrameBytes {
    QByteArray id;
    QByteArray content;
};

// The text encodings a frame may say it uses.
enum class Id3v2Encoding { Latin1 = 0, Utf16 = 1, Utf16BE = 2, Utf8 = 3 };

// A text frame's content: the encoding byte and the values, separated by NULs. Latin-1 takes
// each character's low byte; UTF-16 starts with a byte-order mark.
QByteArray Id3v2TextContent(const QStringList& values,
                            Id3v2Encoding encoding = Id3v2Encoding::Latin1);
// A comment frame's content: encoding, language, description, NUL, text.
QByteArray Id3v2CommentContent(const QString& description, const QString& text,
                               QByteArrayView language = "eng",
                               Id3v2Encoding encoding = Id3v2Encoding::Latin1);

struct Id3v2Layout {
    int major = 4;
    // Versions 2.2 and 2.3: the whole tag after its header; version 2.4: each frame on its own.
    bool unsynchronised = false;
    bool extendedHeader = false;
    // A version 2.3 extended header with its CRC-32 (four bytes behind its flags).
    bool extendedHeaderCrc = false;
    bool footer = false; // version 2.4
    int padding = 0;
};

// A whole tag: header, extended header, frames, padding and footer as the layout says.
QByteArray Id3v2TagBytes(const QList<Id3v2FrameBytes>& frames, const Id3v2Layout& layout = {});

// Unsynchronisation: a NUL behind each 0xFF that is followed by 0x00 or 0xE0 to 0xFF, or ends
// the bytes.
QByteArray Unsynchronised(QByteArrayView bytes);

// The start of an MPEG audio stream (frame headers and silence) of the given size, to follow
// a tag.
QByteArray MpegAudioBytes(int size);

} // namespace testsupport
