#include "settings/IniFile.h"

#include "platform/FileAccess.h"
#include "platform/IoError.h"
#include "platform/NameBytes.h"
#include "platform/ReplaceFile.h"

#include <algorithm>
#include <limits>

namespace vantuke {
namespace {

constexpr int kMaxValueLength = 2047;
const QByteArray kUtf8Bom("\xEF\xBB\xBF");

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
}

char16_t CodeOf(char c) {
    return quint8(c);
}

char16_t CodeOf(QChar c) {
    return c.unicode();
}

// The blanks are ASCII, so trimming the bytes of a line and then decoding them gives the
// same text as decoding first.
template <class Text> Text TrimBlanks(Text text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(CodeOf(text[begin]))) {
        ++begin;
    }
    while (end > begin && IsBlank(CodeOf(text[end - 1]))) {
        --end;
    }
    return text.sliced(begin, end - begin);
}

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

QString FoldName(const QString& name) {
    return TrimBlanks(QStringView(name)).toString().toCaseFolded();
}

// FoldName of a name as the file holds it; an ASCII name, the usual case, is folded in one
// step.
QString FoldName(QByteArrayView raw) {
    const QByteArrayView name = TrimBlanks(raw);
    if (!std::all_of(name.begin(), name.end(), [](char c) { return quint8(c) < 0x80; })) {
        return NameFromBytes(name).toCaseFolded();
    }
    QString folded(name.size(), Qt::Uninitialized);
    std::transform(name.begin(), name.end(), folded.begin(),
                   [](char c) { return QChar(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    return folded;
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

bool IsHexDigits(QStringView digits) {
    return !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar c) {
        return c.isDigit() || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    });
}

// Decimal with an optional sign, or hexadecimal after "0x", "0X" or "$"; nothing else, and
// nothing outside the range of int.
bool ParseInteger(const QString& text, int& result) {
    bool ok = false;
    qlonglong value = 0;
    const qsizetype hexStart = text.startsWith(u'$')                                       ? 1
                               : text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? 2
                                                                                           : 0;
    if (hexStart > 0) {
        const QStringView hex = QStringView(text).mid(hexStart);
        ok = IsHexDigits(hex);
        value = ok ? hex.toLongLong(&ok, 16) : 0;
    } else {
        value = text.toLongLong(&ok, 10);
    }
    if (!ok || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
        return false;
    }
    result = static_cast<int>(value);
    return true;
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
        qsizetype end = bytes.indexOf('\n', start);
        end = end < 0 ? bytes.size() : end + 1;
        Line line;
        line.raw = bytes.mid(start, end - start);
        if (start == 0 && line.raw.endsWith("\r\n")) {
            ini.lineEnd_ = QByteArrayLiteral("\r\n");
        }
        QByteArrayView text = WithoutLineEnd(line.raw);
        if (start == 0 && text.startsWith(kUtf8Bom)) {
            text = text.sliced(kUtf8Bom.size());
        }
        const QByteArrayView trimmed = TrimBlanks(text);
        if (trimmed.startsWith('[')) {
            const qsizetype close = trimmed.indexOf(']');
            line.kind = Line::Section;
            line.name = FoldName(trimmed.sliced(1, (close < 0 ? trimmed.size() : close) - 1));
        } else if (!trimmed.startsWith(';')) {
            const qsizetype equals = trimmed.indexOf('=');
            if (equals > 0) {
                line.name = FoldName(trimmed.first(equals));
                line.kind = line.name.isEmpty() ? Line::Other : Line::Key;
            }
        }
        ini.lines_.append(std::move(line));
        start = end;
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
    const QString folded = FoldName(section);
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
    const auto it = keys_.constFind(KeyId(FoldName(section), FoldName(key)));
    return it == keys_.constEnd() ? nullptr : &lines_[it.value()];
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
    const Line* line = FindKey(section, key);
    return line == nullptr ? def : ValueOf(*line);
}

QString IniFile::ValueOf(const Line& line) {
    const QByteArrayView text = WithoutLineEnd(line.raw);
    QString value = NameFromBytes(TrimBlanks(text.sliced(text.indexOf('=') + 1)));
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front()) {
        value = value.mid(1, value.size() - 2);
    }
    if (value.size() > kMaxValueLength) {
        const bool splitsPair = value[kMaxValueLength - 1].isHighSurrogate();
        value.truncate(splitsPair ? kMaxValueLength - 1 : kMaxValueLength);
    }
    return value;
}

int IniFile::ReadInteger(const QString& section, const QString& key, int def) const {
    int value = 0;
    return ParseInteger(ReadString(section, key, QString()), value) ? value : def;
}

bool IniFile::ReadBool(const QString& section, const QString& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    const QByteArray encoded = EncodeValue(value);
    const auto found = keys_.constFind(KeyId(FoldName(section), FoldName(key)));
    if (found != keys_.constEnd()) {
        // Keep the key's own spelling and everything up to its "=".
        QByteArray& raw = lines_[found.value()].raw;
        raw = raw.first(raw.indexOf('=') + 1) + encoded + LineEndOf(raw);
        return;
    }

    Line keyLine;
    keyLine.kind = Line::Key;
    keyLine.name = FoldName(key);
    keyLine.raw = NameToBytes(key) + '=' + encoded + lineEnd_;

    qsizetype insertAt = lines_.size();
    const auto sectionIt = sections_.constFind(FoldName(section));
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
            Line{'[' + NameToBytes(section) + ']' + lineEnd_, Line::Section, FoldName(section)});
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
        keys_.insert(KeyId(FoldName(section), keyLine.name), int(insertAt));
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
