#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace vantuke {

// How the lines of an INI-format text read, by the profile rules the program has always used
// for its settings file and for PLS playlists: a line ends after a line feed; section and key
// names match without regard to letter case; a key's value is the text after the first "=",
// trimmed of blanks, stripped of one pair of enclosing matching quotes and cut to 2047
// characters. Reading gives the places of names and values in the text, so a value can be
// changed without touching a byte around it.

inline constexpr int kMaxIniValueLength = 2047;

// One line of the text.
struct IniLine {
    enum Kind { Other, Section, Key };
    qsizetype start = 0; // where the line starts in the text
    qsizetype size = 0;  // its bytes, its line end ("\n" or "\r\n") included
    Kind kind = Other;
    QString name; // a section's or key's name, as FoldIniName gives it
    // A key's value in the text: the bytes ReadIniValue reads (inside the quotes, if any).
    qsizetype valueStart = 0;
    qsizetype valueEnd = 0;
};

// Reads the line that starts at start. A UTF-8 byte order mark before the first line is no
// part of it; blank lines, comments (";") and lines without a name before "=" are Other.
IniLine ReadIniLine(QByteArrayView text, qsizetype start);

// The bytes of the value of a key line (given without its line end): after the first "=",
// trimmed of blanks, without one pair of enclosing matching quotes. Empty when there is no "=".
QByteArrayView IniValueBytes(QByteArrayView line);
// The text of those bytes (kept exactly as NameFromBytes keeps file names), cut to
// kMaxIniValueLength characters; cut, when given, tells whether it was.
QString IniValueText(QByteArrayView value, bool* cut = nullptr);

// A section's or key's name as the lookups compare it: trimmed of blanks and case-folded.
QString FoldIniName(QStringView name);

// Decimal with an optional sign, or hexadecimal after "0x", "0X" or "$"; nothing else, and
// nothing outside the range of int.
bool ParseIniInteger(const QString& text, int& result);

} // namespace vantuke
