#include "convert/PlaylistEntries.h"

#include "convert/IniLines.h"
#include "convert/PathNames.h"
#include "platform/AsciiCase.h"
#include "platform/NameBytes.h"

#include <QDir>
#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

namespace vantuke {

namespace {

constexpr char kCtrlZ = 26;
const QByteArrayView kUtf8Bom("\xEF\xBB\xBF");
constexpr const char* kWindows1252 = "windows-1252";

// How the entries of one playlist are read.
enum class TextKind { Utf8, Windows1252 };

bool IsValidUtf8(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    [[maybe_unused]] const QString text = utf8.decode(bytes);
    return !utf8.hasError();
}

TextKind TextKindOf(PlaylistKind kind, QByteArrayView content) {
    if (kind == PlaylistKind::M3u8 || content.startsWith(kUtf8Bom)) {
        return TextKind::Utf8;
    }
    return IsValidUtf8(content) ? TextKind::Utf8 : TextKind::Windows1252;
}

bool IsAscii(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return quint8(c) < 0x80; });
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Bytes equal to an ASCII text when only the letters a to z fold.
bool EqualIgnoringAsciiCase(QByteArrayView bytes, QByteArrayView ascii) {
    return bytes.size() == ascii.size() &&
           std::equal(bytes.begin(), bytes.end(), ascii.begin(),
                      [](char a, char b) { return UpperAscii(a) == UpperAscii(b); });
}

// The parts of an entry. The characters that mark them are ASCII, which both readings of a
// Windows-1252 playlist read alike, so they are found on the bytes.
struct EntryShape {
    enum Kind {
        Plain,   // a path
        FileUrl, // a "file:" URL of this machine
        NoFile,  // another URL, a file of another host
    };
    Kind kind = Plain;
    qsizetype pathStart = 0; // the path: all of a plain entry, or the URL's path
    qsizetype pathEnd = 0;
    qsizetype nameStart = 0; // after the path's last folder separator
};

// "scheme://" of a URL other than "file:".
bool HasUrlScheme(QByteArrayView entry) {
    if (entry.isEmpty() || !IsAsciiLetter(entry[0])) {
        return false;
    }
    qsizetype at = 1;
    while (at < entry.size() &&
           (IsAsciiLetter(entry[at]) || (entry[at] >= '0' && entry[at] <= '9') ||
            entry[at] == '+' || entry[at] == '.' || entry[at] == '-')) {
        ++at;
    }
    return at >= 2 && entry.sliced(at).startsWith("://");
}

EntryShape ShapeOf(QByteArrayView entry) {
    EntryShape shape;
    shape.pathEnd = entry.size();
    if (entry.size() >= 5 && EqualIgnoringAsciiCase(entry.first(5), "file:")) {
        shape.kind = EntryShape::FileUrl;
        shape.pathStart = 5;
        if (entry.sliced(5).startsWith("//")) {
            const qsizetype slash = entry.indexOf('/', 7);
            const QByteArrayView host = entry.sliced(7, (slash < 0 ? entry.size() : slash) - 7);
            if ((!host.isEmpty() && !EqualIgnoringAsciiCase(host, "localhost")) || slash < 0) {
                shape.kind = EntryShape::NoFile; // a file on another host
                return shape;
            }
            shape.pathStart = slash;
        }
        // A query or a fragment is no part of the path.
        const auto end = std::find_if(entry.begin() + shape.pathStart, entry.end(),
                                      [](char c) { return c == '?' || c == '#'; });
        shape.pathEnd = end - entry.begin();
        if (shape.pathEnd == shape.pathStart) {
            shape.kind = EntryShape::NoFile;
        }
    } else if (HasUrlScheme(entry)) {
        shape.kind = EntryShape::NoFile;
        return shape;
    }
    shape.nameStart = shape.pathEnd;
    while (shape.nameStart > shape.pathStart) {
        const char c = entry[shape.nameStart - 1];
        if (c == '/' || (shape.kind == EntryShape::Plain && c == '\\')) {
            break;
        }
        --shape.nameStart;
    }
    return shape;
}

// "C:/Music/a.mp3" from Windows names no file here and is no path relative to the list.
bool IsWindowsDrivePath(const QString& path) {
    return path.size() >= 2 && path[1] == u':' && path[0].isLetter() && path[0].unicode() < 128;
}

// Reads the entries of one playlist into paths.
//
// An entry is bytes. In a UTF-8 playlist they are read as file names are read
// (NameFromBytes), so the path has exactly the entry's bytes. In a Windows-1252 playlist an
// entry with bytes beyond ASCII has two readings: its bytes as they stand, the name of a file
// copied from Windows with its name unchanged ("Caf\xE9.mp3"), and its characters, the name
// of a file whose name was converted to UTF-8 on the way ("Café.mp3"). The bytes as they
// stand win when they name a file that exists; otherwise the characters are taken, and the
// entry shows the same either way.
class EntryReader {
public:
    EntryReader(TextKind kind, const QString& folder, const NameExistsFn& exists)
        : kind_(kind), folder_(folder), exists_(exists), windows1252_(kWindows1252) {}

    // The entry at [start, end) of text, unless it names no local file.
    std::optional<PlaylistEntry> Read(QByteArrayView text, qsizetype start, qsizetype end,
                                      bool fixed = false) {
        const QByteArrayView entry = text.sliced(start, end - start);
        const EntryShape shape = ShapeOf(entry);
        if (shape.kind == EntryShape::NoFile) {
            return std::nullopt;
        }
        PlaylistEntry read;
        read.path = PathOf(entry, shape, false);
        if (read.path.isEmpty()) {
            return std::nullopt;
        }
        if (kind_ == TextKind::Windows1252 && !IsAscii(entry)) {
            const QString converted = PathOf(entry, shape, true);
            if (!converted.isEmpty() && !exists_(read.path)) {
                read.path = converted;
            }
        }
        read.nameStart = start + shape.nameStart;
        read.nameEnd = start + shape.pathEnd;
        read.bare = shape.kind == EntryShape::Plain && shape.nameStart == 0;
        if (fixed || IsWindowsDrivePath(read.path)) {
            read.form = NameForm::Fixed;
        } else if (shape.kind == EntryShape::FileUrl) {
            read.form = NameForm::Url;
        } else if (kind_ == TextKind::Utf8 || (!IsAscii(entry) && IsValidUtf8(entry))) {
            read.form = NameForm::Bytes;
        } else {
            read.form = NameForm::Windows1252;
        }
        return read;
    }

private:
    // The path by one reading, or an empty text when it names no file of this machine.
    QString PathOf(QByteArrayView entry, const EntryShape& shape, bool converted) {
        QString path;
        if (shape.kind == EntryShape::FileUrl) {
            QByteArray bytes =
                entry.sliced(shape.pathStart, shape.pathEnd - shape.pathStart).toByteArray();
            if (converted) {
                bytes = NameToBytes(Windows1252(bytes));
            }
            path = NameFromBytes(QByteArray::fromPercentEncoding(bytes));
        } else {
            path = converted ? Windows1252(entry) : NameFromBytes(entry);
            path.replace(u'\\', u'/');
        }
        // Such a path is kept as written: cleaning "C:/../x" would turn it into a relative
        // path.
        if (path.isEmpty() || IsWindowsDrivePath(path)) {
            return path;
        }
        if (!path.startsWith(u'/')) {
            path.prepend(folder_);
        }
        return QDir::cleanPath(path);
    }

    QString Windows1252(QByteArrayView bytes) {
        return windows1252_.isValid() ? QString(windows1252_.decode(bytes))
                                      : QString::fromLatin1(bytes);
    }

    TextKind kind_;
    const QString& folder_;
    const NameExistsFn& exists_;
    QStringDecoder windows1252_;
};

QList<PlaylistEntry> ParseM3u(QByteArrayView content, EntryReader& reader) {
    QList<PlaylistEntry> entries;
    const qsizetype size = content.size();
    qsizetype i = content.startsWith(kUtf8Bom) ? kUtf8Bom.size() : 0;
    while (true) {
        while (i < size && quint8(content[i]) <= 32 && content[i] != kCtrlZ) {
            ++i;
        }
        if (i >= size || content[i] == kCtrlZ) {
            break;
        }
        // A line ends at CR (with an LF after it), at a bare LF, or at Ctrl-Z, which also
        // ends the file. Trailing blanks stay part of the entry.
        const qsizetype start = i;
        while (i < size && content[i] != '\r' && content[i] != '\n' && content[i] != kCtrlZ) {
            ++i;
        }
        if (content[start] != '#') {
            if (std::optional<PlaylistEntry> entry = reader.Read(content, start, i)) {
                entries.append(std::move(*entry));
            }
        }
        if (i < size && content[i] == kCtrlZ) {
            break;
        }
    }
    return entries;
}

// The n of a key "File" n (case-folded), in decimal without leading zeros; 0 for any other key.
qint64 FileNumber(const QString& key) {
    const QStringView digits = QStringView(key).mid(4);
    if (!key.startsWith(QLatin1String("file")) || digits.isEmpty() || digits.size() > 10 ||
        digits.front() == u'0' ||
        !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return 0;
    return digits.toLongLong();
}

QList<PlaylistEntry> ParsePls(QByteArrayView content, EntryReader& reader) {
    const QString section = QStringLiteral("playlist");
    const QString countKey = QStringLiteral("numberofentries");
    // A key counts where it first occurs, also across repeated sections. One walk over the
    // lines, rather than a look-up of every number up to the count: a damaged count of a
    // billion cannot freeze the program, and the time stays in proportion to the size.
    QSet<QString> seen;
    int count = 0;
    struct File {
        qint64 number;
        qsizetype start;
        qsizetype end;
        bool cut;
    };
    QList<File> files;
    bool inSection = false;
    for (qsizetype start = 0; start < content.size();) {
        const IniLine line = ReadIniLine(content, start);
        start += line.size;
        if (line.kind == IniLine::Section) {
            inSection = line.name == section;
            continue;
        }
        if (line.kind != IniLine::Key || !inSection || seen.contains(line.name)) {
            continue;
        }
        seen.insert(line.name);
        const QByteArrayView value =
            content.sliced(line.valueStart, line.valueEnd - line.valueStart);
        if (line.name == countKey) {
            if (!ParseIniInteger(IniValueText(value), count)) {
                count = 0;
            }
        } else if (const qint64 number = FileNumber(line.name); number > 0 && !value.isEmpty()) {
            bool cut = false;
            const QString text = IniValueText(value, &cut);
            // A value cut at its limit reads as its first part, and is kept as it is.
            const qsizetype end = cut ? line.valueStart + NameToBytes(text).size() : line.valueEnd;
            files.append(File{number, line.valueStart, end, cut});
        }
    }
    std::sort(files.begin(), files.end(),
              [](const File& a, const File& b) { return a.number < b.number; });
    QList<PlaylistEntry> entries;
    entries.reserve(files.size());
    for (const File& file : std::as_const(files)) {
        if (file.number > count) {
            break;
        }
        if (std::optional<PlaylistEntry> entry =
                reader.Read(content, file.start, file.end, file.cut)) {
            entries.append(std::move(*entry));
        }
    }
    return entries;
}

// Bytes a URL may hold as they are; every other byte of a name is percent-encoded.
bool IsUrlSafe(char c) {
    return IsAsciiLetter(c) || (c >= '0' && c <= '9') ||
           QByteArrayView("-._~!$&'()*+,;=:@").contains(c);
}

// A new name as an entry of this form writes it.
QByteArray NameInForm(const QString& name, NameForm form) {
    const QByteArray bytes = NameToBytes(name);
    switch (form) {
    case NameForm::Windows1252: {
        QStringEncoder encoder(kWindows1252);
        const QByteArray encoded =
            encoder.isValid() ? QByteArray(encoder.encode(name)) : QByteArray();
        QStringDecoder decoder(kWindows1252);
        // Only a name whose every character has its byte there: what the encoder cannot
        // write, it would write as something else.
        if (!encoder.hasError() && decoder.isValid() && QString(decoder.decode(encoded)) == name) {
            return encoded;
        }
        return bytes;
    }
    case NameForm::Url: {
        QByteArray url;
        url.reserve(bytes.size() * 3);
        for (const char c : bytes) {
            if (IsUrlSafe(c)) {
                url += c;
            } else {
                url += '%';
                url += QByteArray::number(quint8(c), 16).rightJustified(2, '0').toUpper();
            }
        }
        return url;
    }
    case NameForm::Bytes:
    case NameForm::Fixed:
        break;
    }
    return bytes;
}

// A name alone on its line or as its value that would not read as written: one that starts
// with a blank or a control character (skipped or trimmed), "#" (a comment) or a quote.
bool NeedsFolder(QByteArrayView name) {
    return !name.isEmpty() &&
           (quint8(name[0]) <= 32 || name[0] == '#' || name[0] == '"' || name[0] == '\'');
}

} // namespace

std::optional<PlaylistKind> PlaylistKindOf(QStringView name) {
    if (EndsWithIgnoringAsciiCase(name, u".m3u")) {
        return PlaylistKind::M3u;
    }
    if (EndsWithIgnoringAsciiCase(name, u".m3u8")) {
        return PlaylistKind::M3u8;
    }
    if (EndsWithIgnoringAsciiCase(name, u".pls")) {
        return PlaylistKind::Pls;
    }
    return std::nullopt;
}

QList<PlaylistEntry> ParsePlaylist(PlaylistKind kind, QByteArrayView bytes, const QString& folder,
                                   const NameExistsFn& exists) {
    EntryReader reader(TextKindOf(kind, bytes), folder, exists);
    return kind == PlaylistKind::Pls ? ParsePls(bytes, reader) : ParseM3u(bytes, reader);
}

int EntriesNaming(const Playlist& playlist, const QHash<QString, QString>& renamed) {
    return int(
        std::count_if(playlist.entries.begin(), playlist.entries.end(),
                      [&](const PlaylistEntry& entry) { return renamed.contains(entry.path); }));
}

std::optional<PlaylistRewrite> RewritePlaylist(const Playlist& playlist,
                                               const QHash<QString, QString>& renamed,
                                               const NameExistsFn& exists) {
    struct Change {
        qsizetype start;
        qsizetype end;
        QByteArray bytes;
    };
    QList<Change> changes;
    QList<bool> changed(playlist.entries.size(), false);
    for (qsizetype i = 0; i < playlist.entries.size(); ++i) {
        const PlaylistEntry& entry = playlist.entries.at(i);
        const auto to = renamed.constFind(entry.path);
        if (to == renamed.cend()) {
            continue;
        }
        const qsizetype nameAt = FileNameStart(*to);
        if (entry.form == NameForm::Fixed ||
            QStringView(*to).first(nameAt) !=
                QStringView(entry.path).first(FileNameStart(entry.path))) {
            return std::nullopt;
        }
        QByteArray name = NameInForm(to->mid(nameAt), entry.form);
        if (entry.bare && NeedsFolder(name)) {
            name.prepend("./");
        }
        changes.append(Change{entry.nameStart, entry.nameEnd, std::move(name)});
        changed[i] = true;
    }
    // A PLS lists its entries by number, which need not be their order in the file.
    std::sort(changes.begin(), changes.end(),
              [](const Change& a, const Change& b) { return a.start < b.start; });
    PlaylistRewrite rewrite;
    rewrite.changed = int(changes.size());
    qsizetype at = 0;
    for (const Change& change : std::as_const(changes)) {
        rewrite.bytes += QByteArrayView(playlist.bytes).sliced(at, change.start - at);
        rewrite.bytes += change.bytes;
        at = change.end;
    }
    rewrite.bytes += QByteArrayView(playlist.bytes).sliced(at);

    const QList<PlaylistEntry> before =
        ParsePlaylist(playlist.kind, playlist.bytes, playlist.folder, exists);
    rewrite.entries = ParsePlaylist(playlist.kind, rewrite.bytes, playlist.folder, exists);
    if (before.size() != playlist.entries.size() || rewrite.entries.size() != before.size()) {
        return std::nullopt;
    }
    for (qsizetype i = 0; i < before.size(); ++i) {
        const QString& expected =
            changed.at(i) ? renamed.value(playlist.entries.at(i).path) : before.at(i).path;
        if (rewrite.entries.at(i).path != expected) {
            return std::nullopt;
        }
    }
    return rewrite;
}

} // namespace vantuke
