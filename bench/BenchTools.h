// What the window benches share: the bytes of a tag to write into test files, and the
// figure lines they print.
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <cstdio>

namespace benchtools {

// An ID3v1 tag of 128 bytes: the song and comment given, artist "Artist", album "Album",
// year 2001, and the genre byte.
inline QByteArray Id3v1Tag(const QByteArray& song, const QByteArray& comment, int genre) {
    QByteArray tag("TAG");
    const auto field = [&](const QByteArray& text, int width) {
        tag += text.left(width) + QByteArray(width - qMin(width, int(text.size())), '\0');
    };
    field(song, 30);
    field("Artist", 30);
    field("Album", 30);
    field("2001", 4);
    field(comment, 30);
    tag += char(genre);
    return tag;
}

// One figure: what was timed, and how long it took.
inline void Report(const char* what, double ms) {
    std::printf("%-58s %9.1f ms\n", what, ms);
}

} // namespace benchtools
