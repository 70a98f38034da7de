#pragma once

#include <QLatin1String>
#include <QStringView>

namespace vantuke {

// Wherever the program compares without regard to letter case (the "TAG" marker, the name
// endings ".mp3", ".m3u" and ".pls", the file list's masks, genre names, a playlist's
// "file://localhost" URLs), only the ASCII letters a to z fold. Unicode case folding would
// take other characters for them: the long s for "s", the Kelvin sign for "k".
constexpr char16_t UpperAscii(char16_t c) {
    return c >= u'a' && c <= u'z' ? char16_t(c - (u'a' - u'A')) : c;
}
constexpr char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? char(c - ('a' - 'A')) : c;
}

inline bool EqualIgnoringAsciiCase(QStringView text, QStringView other) {
    if (text.size() != other.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (UpperAscii(text[i].unicode()) != UpperAscii(other[i].unicode()))
            return false;
    }
    return true;
}
inline bool EqualIgnoringAsciiCase(QStringView text, QLatin1String other) {
    if (text.size() != other.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (UpperAscii(text[i].unicode()) != UpperAscii(char16_t(other[i].unicode())))
            return false;
    }
    return true;
}

inline bool StartsWithIgnoringAsciiCase(QStringView text, QLatin1String start) {
    return text.size() >= start.size() && EqualIgnoringAsciiCase(text.first(start.size()), start);
}
inline bool EndsWithIgnoringAsciiCase(QStringView text, QStringView ending) {
    return text.size() >= ending.size() && EqualIgnoringAsciiCase(text.last(ending.size()), ending);
}

} // namespace vantuke
