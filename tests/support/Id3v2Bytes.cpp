#include "support/Id3v2Bytes.h"

namespace testsupport {

namespace {

QByteArray SyncSafe(qsizetype value) {
    QByteArray bytes(4, '\0');
    for (int i = 3; i >= 0; --i) {
        bytes[i] = char(value & 0x7F);
        value >>= 7;
    }
    return bytes;
}

QByteArray BigEndian(quint32 value, int size) {
    QByteArray bytes(size, '\0');
    for (int i = size - 1; i >= 0; --i) {
        bytes[i] = char(value & 0xFF);
        value >>= 8;
    }
    return bytes;
}

QByteArray Encoded(const QString& text, Id3v2Encoding encoding) {
    switch (encoding) {
    case Id3v2Encoding::Latin1:
        return text.toLatin1();
    case Id3v2Encoding::Utf16: {
        QByteArray bytes("\xFF\xFE", 2);
        for (const QChar c : text) {
            bytes += char(c.unicode() & 0xFF);
            bytes += char(c.unicode() >> 8);
        }
        return bytes;
    }
    case Id3v2Encoding::Utf16BE: {
        QByteArray bytes;
        for (const QChar c : text)
            bytes += BigEndian(c.unicode(), 2);
        return bytes;
    }
    case Id3v2Encoding::Utf8:
        return text.toUtf8();
    }
    return {};
}

QByteArray Terminator(Id3v2Encoding encoding) {
    const bool wide = encoding == Id3v2Encoding::Utf16 || encoding == Id3v2Encoding::Utf16BE;
    return QByteArray(wide ? 2 : 1, '\0');
}

QByteArray FrameBytes(const Id3v2FrameBytes& frame, const Id3v2Layout& layout) {
    if (layout.major == 2)
        return frame.id + BigEndian(quint32(frame.content.size()), 3) + frame.content;
    if (layout.major == 3)
        return frame.id + BigEndian(quint32(frame.content.size()), 4) + QByteArray(2, '\0') +
               frame.content;
    const QByteArray content =
        layout.unsynchronised ? Unsynchronised(frame.content) : frame.content;
    // Format flags: 0x02, this frame is unsynchronised.
    const QByteArray flags("\0", 1);
    return frame.id + SyncSafe(content.size()) + flags +
           QByteArray(1, layout.unsynchronised ? '\x02' : '\0') + content;
}

} // namespace

QByteArray Id3v2TextContent(const QStringList& values, Id3v2Encoding encoding) {
    QByteArray content(1, char(encoding));
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0)
            content += Terminator(encoding);
        content += Encoded(values[i], encoding);
    }
    return content;
}

QByteArray Id3v2CommentContent(const QString& description, const QString& text,
                               QByteArrayView language, Id3v2Encoding encoding) {
    return QByteArray(1, char(encoding)) + language.toByteArray() + Encoded(description, encoding) +
           Terminator(encoding) + Encoded(text, encoding);
}

QByteArray Id3v2TagBytes(const QList<Id3v2FrameBytes>& frames, const Id3v2Layout& layout) {
    QByteArray body;
    if (layout.extendedHeader && layout.major == 3) {
        body += BigEndian(layout.extendedHeaderCrc ? 10 : 6, 4);
        body += layout.extendedHeaderCrc ? QByteArray("\x80\0", 2) : QByteArray(2, '\0');
        body += BigEndian(quint32(layout.padding), 4);
        if (layout.extendedHeaderCrc)
            body += QByteArray("\x12\x34\x56\x78", 4);
    } else if (layout.extendedHeader) {
        body += SyncSafe(6) + QByteArray("\x01\x00", 2);
    }
    for (const Id3v2FrameBytes& frame : frames)
        body += FrameBytes(frame, layout);
    if (layout.major < 4 && layout.unsynchronised)
        body = Unsynchronised(body);
    body += QByteArray(layout.padding, '\0');

    char flags = 0;
    if (layout.unsynchronised)
        flags |= char(0x80);
    if (layout.extendedHeader)
        flags |= 0x40;
    if (layout.footer)
        flags |= 0x10;
    const QByteArray header = QByteArray("ID3") + char(layout.major) + '\0' + flags;
    QByteArray tag = header + SyncSafe(body.size()) + body;
    if (layout.footer)
        tag += QByteArray("3DI") + char(layout.major) + '\0' + flags + SyncSafe(body.size());
    return tag;
}

QByteArray Unsynchronised(QByteArrayView bytes) {
    QByteArray out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        const bool last = i + 1 == bytes.size();
        if (quint8(bytes[i]) == 0xFF &&
            (last || bytes[i + 1] == '\0' || (quint8(bytes[i + 1]) & 0xE0) == 0xE0))
            out += '\0';
    }
    return out;
}

QByteArray MpegAudioBytes(int size) {
    // MPEG-1 Layer III, 128 kbit/s, 44.1 kHz: 417 bytes a frame.
    const QByteArray frame = QByteArray("\xFF\xFB\x90\x00", 4) + QByteArray(413, '\0');
    QByteArray audio;
    while (audio.size() < size)
        audio += frame;
    audio.truncate(size);
    return audio;
}

} // namespace testsupport
