#pragma once

#include "tag/TagRecord.h"

#include <QString>
#include <cstdio>
#include <cstdlib>
#include <string>

// Stops the fuzzer with a message when an invariant of the code under test does not hold.
// Unlike assert() it stays active in every build type.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace fuzzsupport {

// Fuzz bytes as text; invalid UTF-8 becomes replacement characters, as it would from a file.
inline QString Text(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

// Fuzz bytes as printable ASCII, for checks that compare the stored tag bytes with the text.
inline QString PrintableText(const std::string& bytes) {
    QString text;
    text.reserve(qsizetype(bytes.size()));
    for (unsigned char b : bytes)
        text += QChar(u' ' + b % 95);
    return text;
}

// Every playlist entry is a path of this machine: absolute, or a Windows drive path kept as
// it is.
inline bool IsUsablePath(const QString& path) {
    return path.startsWith(u'/') || (path.size() >= 2 && path[1] == u':');
}

// A code page chosen by the input.
inline vantuke::TagCodec Codec(unsigned index, bool transliterate) {
    const auto& pages = vantuke::CodePages();
    return vantuke::TagCodec{pages[qsizetype(index % unsigned(pages.size()))], transliterate};
}

// A record as it arrives from a file's tag. Control characters never occur in a printable
// title, so a field that still holds these bytes was left alone.
inline vantuke::TTagRecord ArrivingTag() {
    vantuke::TTagRecord tag;
    for (vantuke::TagField field : vantuke::kTextFields)
        vantuke::SetFieldBytes(tag, field, QByteArray("\x01\x02"), vantuke::TagCodec{});
    tag.Genre = 77;
    return tag;
}

} // namespace fuzzsupport
