#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace vantuke {

// An INI-format text file held in memory line by line. Reading follows the profile rules
// the program has always used: section and key names match without regard to letter case,
// a value is the text after the first "=", trimmed of blanks, stripped of one pair of
// enclosing matching quotes and cut to 2047 characters. Writing changes only the line of the
// key written (or adds one); every other line, comments and unknown keys included, is kept
// byte for byte.
class IniFile {
public:
    static IniFile Load(const QString& path); // missing/unreadable file: empty
    static IniFile Parse(const QByteArray& utf8);

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    int ReadInteger(const QString& section, const QString& key, int def) const;
    bool ReadBool(const QString& section, const QString& key, bool def) const;
    // The names of the keys present in a section (case-folded, in file order, each once).
    QStringList KeysOf(const QString& section) const;

    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);

    QByteArray Serialize() const;
    // Writes a temporary file beside path and renames it over; throws IoError(code,
    // "Unable to write to " + path) on failure, leaving the old file intact.
    void Save(const QString& path) const;

private:
    struct Line {
        enum Kind { Other, Section, Key };
        QByteArray raw; // the line as stored, with its line end
        Kind kind = Other;
        QString name; // section or key name, case-folded
    };

    const Line* FindKey(const QString& section, const QString& key) const;
    void Reindex();

    QList<Line> lines_;
    QByteArray lineEnd_ = "\n"; // the line end of new lines: the file's own first one
    // First line of each section, and first line of each key by "section\nkey" (case-folded).
    QHash<QString, int> sections_;
    QHash<QString, int> keys_;
};

// Encloses a text in double quotes so that blanks at either end survive reading: reading
// removes exactly that pair again, so ReadString gives back the text as it was.
QString QuoteValue(const QString& text);

} // namespace vantuke
