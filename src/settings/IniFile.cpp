#include "settings/IniFile.h"

#include "platform/IoError.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace vantuke {
namespace {

constexpr int kMaxValueLength = 2047;
const QByteArray kUtf8Bom("\xEF\xBB\xBF");

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
}

QString TrimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    return text.mid(begin, end - begin);
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

QByteArray WithoutLineEnd(const QByteArray& raw) {
    return raw.first(raw.size() - LineEndOf(raw).size());
}

QString FoldName(const QString& name) {
    return TrimBlanks(name).toCaseFolded();
}

QString KeyId(const QString& foldedSection, const QString& foldedKey) {
    return foldedSection + u'\n' + foldedKey;
}

// A value must stay on its line: a line break inside it would start a new key.
QByteArray EncodeValue(const QString& value) {
    QString oneLine = value;
    oneLine.replace(u'\r', u' ').replace(u'\n', u' ');
    return oneLine.toUtf8();
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

[[noreturn]] void FailSave(const QString& path, int err) {
    throw IoError(IoError::FromErrno(err).Code(), QStringLiteral("Unable to write to ") + path)
        .WithPath(path);
}

bool WriteAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = ENOSPC;
            }
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

// Creates a new file beside target with a name no other file has.
int CreateTemporaryBeside(const QString& target, QByteArray& tempName) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName = QFile::encodeName(target) + ".tmp" +
                   QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

} // namespace

IniFile IniFile::Load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return IniFile();
    }
    return Parse(file.readAll());
}

IniFile IniFile::Parse(const QByteArray& utf8) {
    IniFile ini;
    qsizetype start = 0;
    while (start < utf8.size()) {
        qsizetype end = utf8.indexOf('\n', start);
        end = end < 0 ? utf8.size() : end + 1;
        Line line;
        line.raw = utf8.mid(start, end - start);
        if (start == 0 && line.raw.endsWith("\r\n")) {
            ini.lineEnd_ = QByteArrayLiteral("\r\n");
        }
        QByteArray text = WithoutLineEnd(line.raw);
        if (start == 0 && text.startsWith(kUtf8Bom)) {
            text.remove(0, kUtf8Bom.size());
        }
        const QString trimmed = TrimBlanks(QString::fromUtf8(text));
        if (trimmed.startsWith(u'[')) {
            const qsizetype close = trimmed.indexOf(u']');
            line.kind = Line::Section;
            line.name = FoldName(trimmed.mid(1, close < 0 ? -1 : close - 1));
        } else if (!trimmed.startsWith(u';')) {
            const qsizetype equals = trimmed.indexOf(u'=');
            if (equals > 0) {
                line.name = FoldName(trimmed.left(equals));
                line.kind = line.name.isEmpty() ? Line::Other : Line::Key;
            }
        }
        ini.lines_.append(line);
        start = end;
    }
    ini.Reindex();
    return ini;
}

void IniFile::Reindex() {
    sections_.clear();
    keys_.clear();
    QString section;
    for (int i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Line::Section) {
            section = line.name;
            if (!sections_.contains(section)) {
                sections_.insert(section, i);
            }
        } else if (line.kind == Line::Key) {
            // The first occurrence of a key wins, also across repeated sections.
            const QString id = KeyId(section, line.name);
            if (!keys_.contains(id)) {
                keys_.insert(id, i);
            }
        }
    }
}

QStringList IniFile::KeysOf(const QString& section) const {
    const QString folded = section.toLower();
    QStringList names;
    QString current;
    for (const Line& line : lines_) {
        if (line.kind == Line::Section) {
            current = line.name;
        } else if (line.kind == Line::Key && current == folded && !names.contains(line.name)) {
            names.append(line.name);
        }
    }
    return names;
}

const IniFile::Line* IniFile::FindKey(const QString& section, const QString& key) const {
    const auto it = keys_.constFind(KeyId(FoldName(section), FoldName(key)));
    return it == keys_.constEnd() ? nullptr : &lines_[it.value()];
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
    const Line* line = FindKey(section, key);
    if (line == nullptr) {
        return def;
    }
    const QByteArray text = WithoutLineEnd(line->raw);
    QString value = TrimBlanks(QString::fromUtf8(text.mid(text.indexOf('=') + 1)));
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
    keyLine.raw = key.toUtf8() + '=' + encoded + lineEnd_;

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
            Line{'[' + section.toUtf8() + ']' + lineEnd_, Line::Section, FoldName(section)});
        insertAt = lines_.size();
    }
    if (insertAt > 0 && LineEndOf(lines_[insertAt - 1].raw).isEmpty()) {
        lines_[insertAt - 1].raw += lineEnd_;
    }
    lines_.insert(insertAt, keyLine);
    Reindex();
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
    // Write through a link to the file it names, so the link survives.
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.symLinkTarget() : path;
    const QByteArray targetName = QFile::encodeName(target);

    struct stat old {};
    const bool exists = ::stat(targetName.constData(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) {
        FailSave(path, EISDIR);
    }
    // A file without its owner's write permission is read-only to the program, also for root.
    if (exists && (old.st_mode & S_IWUSR) == 0) {
        FailSave(path, EACCES);
    }

    QByteArray tempName;
    const int fd = CreateTemporaryBeside(target, tempName);
    if (fd < 0) {
        FailSave(path, errno);
    }
    if (exists) {
        // Best effort: the new file keeps the old one's owner and permissions.
        [[maybe_unused]] const int chownResult = ::fchown(fd, old.st_uid, old.st_gid);
        ::fchmod(fd, old.st_mode & 07777);
    }
    const bool written = WriteAll(fd, Serialize()) && ::fsync(fd) == 0;
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    const int closeError = errno;
    if (!written || !closed) {
        ::unlink(tempName.constData());
        FailSave(path, !written ? writeError : closeError);
    }
    if (::rename(tempName.constData(), targetName.constData()) != 0) {
        const int renameError = errno;
        ::unlink(tempName.constData());
        FailSave(path, renameError);
    }
}

QString QuoteValue(const QString& text) {
    return u'"' + text + u'"';
}

} // namespace vantuke
