#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

namespace vantuke {

// An INI-format text file held in memory line by line. Reading follows the profile rules
// the program has always used: section and key names match without regard to letter case,
// a value is the text after the first "=", trimmed of blanks, stripped of one pair of
// enclosing matching quotes and cut to 2047 characters. Writing changes only the line of the
// key written (or adds one); every other line, comments and unknown keys included, is kept
// byte for byte. Text is UTF-8, and bytes that are not are kept the way file names keep them
// (NameFromBytes), so a value read and written again, a folder's path above all, keeps its
// exact bytes. Reading and writing a key take constant time on average, so a playlist of a
// million entries reads in time proportional to its size.
class IniFile {
public:
    // A missing or unreadable file, or one that is not a regular file (a pipe would block
    // the program), reads as empty. A file over kMaxWholeFileSize throws IoError::TooLarge.
    static IniFile Load(const QString& path);
    static IniFile Parse(const QByteArray& bytes);

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    int ReadInteger(const QString& section, const QString& key, int def) const;
    bool ReadBool(const QString& section, const QString& key, bool def) const;
    // The keys of a section with the values ReadString gives for them: case-folded names in
    // file order, each once (its first occurrence, also across repeated sections).
    QList<std::pair<QString, QString>> Entries(const QString& section) const;

    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);

    QByteArray Serialize() const;
    // Replaces the file path finally names, following a chain of symbolic links and leaving
    // the links as they are (ReplaceFileContents); throws IoError(code, "Unable to write to "
    // + path) on failure, leaving the old file intact.
    void Save(const QString& path) const;

private:
    struct Line {
        enum Kind { Other, Section, Key };
        QByteArray raw; // the line as stored, with its line end
        Kind kind = Other;
        QString name;          // section or key name, case-folded
        bool shadowed = false; // a key that an earlier line of the same name hides
    };

    static QString ValueOf(const Line& line);
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
