#include "settings/IniFile.h"

#include "convert/IniLines.h"
#include "platform/FileAccess.h"
#include "platform/IoError.h"
#include "platform/NameBytes.h"
#include "platform/ReplaceFile.h"

namespace vantuke {
namespace {

// The bytes that end a stored line: "\r\n", "\n" or nothing for a last line without one.
QByteArray LineEndOf(const QByteArray& raw) {
    if (raw.endsWith("\r\n")) {
        return QByteArrayLiteral("\r\n");
    }
    if (raw.endsWith('\n')) {
        return QByteArrayLiteral("\n");
    }
    return {};
}

QByteArrayView WithoutLineEnd(const QByteArray& raw) {
    return QByteArrayView(raw).first(raw.size() - LineEndOf(raw).size());
}

QString KeyId(const QString& foldedSection, const QString& foldedKey) {
    QString id;
    id.reserve(foldedSection.size() + 1 + foldedKey.size());
    id.append(foldedSection).append(u'\n').append(foldedKey);
    return id;
}

// A value must stay on its line: a line break inside it would start a new key.
QByteArray EncodeValue(const QString& value) {
    QString oneLine = value;
    oneLine.replace(u'\r', u' ').replace(u'\n', u' ');
    return NameToBytes(oneLine);
}

} // namespace

IniFile IniFile::Load(const QString& path) {
    try {
        return Parse(ReadWholeFile(path));
    } catch (const IoError& error) {
        if (error.ErrorKind() == IoError::Kind::TooLarge) {
            throw;
        }
        return IniFile();
    }
}

IniFile IniFile::Parse(const QByteArray& bytes) {
    IniFile ini;
    ini.lines_.reserve(bytes.count('\n') + 1);
    qsizetype start = 0;
    while (start < bytes.size()) {
        const IniLine read = ReadIniLine(bytes, start);
        Line line;
        line.raw = bytes.mid(start, read.size);
        if (start == 0 && line.raw.endsWith("\r\n")) {
            ini.lineEnd_ = QByteArrayLiteral("\r\n");
        }
        line.kind = read.kind == IniLine::Section ? Line::Section
                    : read.kind == IniLine::Key   ? Line::Key
                                                  : Line::Other;
        line.name = read.name;
        ini.lines_.append(std::move(line));
        start += read.size;
    }
    ini.Reindex();
    return ini;
}

void IniFile::Reindex() {
    sections_.clear();
    keys_.clear();
    keys_.reserve(lines_.size());
    QString section;
    for (int i = 0; i < lines_.size(); ++i) {
        Line& line = lines_[i];
        if (line.kind == Line::Section) {
            section = line.name;
            if (!sections_.contains(section)) {
                sections_.insert(section, i);
            }
        } else if (line.kind == Line::Key) {
            // The first occurrence of a key wins, also across repeated sections.
            const QString id = KeyId(section, line.name);
            line.shadowed = keys_.find(id) != keys_.end();
            if (!line.shadowed) {
                keys_.insert(id, i);
            }
        }
    }
}

QList<std::pair<QString, QString>> IniFile::Entries(const QString& section) const {
    const QString folded = FoldIniName(section);
    QList<std::pair<QString, QString>> entries;
    bool inSection = false;
    for (const Line& line : lines_) {
        if (line.kind == Line::Section) {
            inSection = line.name == folded;
        } else if (line.kind == Line::Key && inSection && !line.shadowed) {
            entries.append({line.name, ValueOf(line)});
        }
    }
    return entries;
}

const IniFile::Line* IniFile::FindKey(const QString& section, const QString& key) const {
    const auto it = keys_.constFind(KeyId(FoldIniName(section), FoldIniName(key)));
    return it == keys_.constEnd() ? nullptr : &lines_[it.value()];
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
    const Line* line = FindKey(section, key);
    return line == nullptr ? def : ValueOf(*line);
}

QString IniFile::ValueOf(const Line& line) {
    return IniValueText(IniValueBytes(WithoutLineEnd(line.raw)));
}

int IniFile::ReadInteger(const QString& section, const QString& key, int def) const {
    int value = 0;
    return ParseIniInteger(ReadString(section, key, QString()), value) ? value : def;
}

bool IniFile::ReadBool(const QString& section, const QString& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    const QByteArray encoded = EncodeValue(value);
    const auto found = keys_.constFind(KeyId(FoldIniName(section), FoldIniName(key)));
    if (found != keys_.constEnd()) {
        // Keep the key's own spelling and everything up to its "=".
        QByteArray& raw = lines_[found.value()].raw;
        raw = raw.first(raw.indexOf('=') + 1) + encoded + LineEndOf(raw);
        return;
    }

    Line keyLine;
    keyLine.kind = Line::Key;
    keyLine.name = FoldIniName(key);
    keyLine.raw = NameToBytes(key) + '=' + encoded + lineEnd_;

    qsizetype insertAt = lines_.size();
    const auto sectionIt = sections_.constFind(FoldIniName(section));
    if (sectionIt != sections_.constEnd()) {
        // After the section's last key, so that blank lines and comments before the next
        // section stay where they are.
        insertAt = sectionIt.value() + 1;
        for (qsizetype i = insertAt; i < lines_.size() && lines_[i].kind != Line::Section; ++i) {
            if (lines_[i].kind == Line::Key) {
                insertAt = i + 1;
            }
        }
    } else {
        if (!lines_.isEmpty() && !WithoutLineEnd(lines_.back().raw).trimmed().isEmpty()) {
            if (LineEndOf(lines_.back().raw).isEmpty()) {
                lines_.back().raw += lineEnd_;
            }
            lines_.append(Line{lineEnd_, Line::Other, QString()});
        }
        lines_.append(
            Line{'[' + NameToBytes(section) + ']' + lineEnd_, Line::Section, FoldIniName(section)});
        sections_.insert(lines_.back().name, int(lines_.size() - 1));
        insertAt = lines_.size();
    }
    if (insertAt > 0 && LineEndOf(lines_[insertAt - 1].raw).isEmpty()) {
        lines_[insertAt - 1].raw += lineEnd_;
    }
    lines_.insert(insertAt, keyLine);
    if (insertAt == lines_.size() - 1) {
        // Appended at the end, as every key of a new file is: no line moved, so the index
        // only gains the new key. Rebuilding it for every key would make writing a long
        // list take time with the square of its length.
        keys_.insert(KeyId(FoldIniName(section), keyLine.name), int(insertAt));
    } else {
        Reindex();
    }
}

void IniFile::WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, QString::number(value));
}

void IniFile::WriteBool(const QString& section, const QString& key, bool value) {
    WriteInteger(section, key, value ? 1 : 0);
}

QByteArray IniFile::Serialize() const {
    QByteArray bytes;
    for (const Line& line : lines_) {
        bytes += line.raw;
    }
    return bytes;
}

void IniFile::Save(const QString& path) const {
    try {
        ReplaceFileContents(path, Serialize());
    } catch (const IoError& error) {
        throw IoError(error.Code(), QStringLiteral("Unable to write to ") + path).WithPath(path);
    }
}

QString QuoteValue(const QString& text) {
    return u'"' + text + u'"';
}

} // namespace vantuke
