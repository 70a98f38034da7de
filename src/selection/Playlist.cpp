#include "selection/Playlist.h"

#include "platform/AsciiCase.h"
#include "platform/Directory.h"
#include "platform/FileAccess.h"
#include "platform/IoError.h"
#include "platform/Locations.h"
#include "platform/NameBytes.h"
#include "settings/IniFile.h"

#include <algorithm>

#include <QDir>
#include <QRegularExpression>
#include <QStringDecoder>

namespace vantuke {
namespace {

constexpr char kCtrlZ = 26;
const QByteArray kUtf8Bom("\xEF\xBB\xBF");

// How the entries of one playlist are read. Playlists written on Windows are often in its
// single-byte code page rather than UTF-8: a playlist that is not valid UTF-8 as a whole (and
// does not say it is UTF-8 with a byte order mark) is read as Windows-1252.
enum class TextKind { Utf8, Windows1252 };

TextKind TextKindOf(QByteArrayView content) {
    if (content.startsWith(kUtf8Bom)) {
        return TextKind::Utf8;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    [[maybe_unused]] const QString text = utf8.decode(content);
    return utf8.hasError() ? TextKind::Windows1252 : TextKind::Utf8;
}

bool IsAscii(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return quint8(c) < 0x80; });
}

// The path a "file:" URL names, or an empty text when it names no file of this machine. The
// percent escapes stand for bytes of the name, which need not be UTF-8.
QString FileUrlPath(const QString& url) {
    QStringView rest = QStringView(url).mid(5);
    if (rest.startsWith(u"//")) {
        const qsizetype slash = rest.indexOf(u'/', 2);
        const QStringView host = rest.mid(2, slash < 0 ? -1 : slash - 2);
        if (!host.isEmpty() && !EqualIgnoringAsciiCase(host, QLatin1String("localhost"))) {
            return QString(); // a file on another host
        }
        if (slash < 0) {
            return QString();
        }
        rest = rest.mid(slash);
    }
    // A query or a fragment is no part of the path.
    const auto end =
        std::find_if(rest.begin(), rest.end(), [](QChar c) { return c == u'?' || c == u'#'; });
    rest = rest.first(end - rest.begin());
    if (rest.isEmpty()) {
        return QString();
    }
    return NameFromBytes(QByteArray::fromPercentEncoding(NameToBytes(rest)));
}

// The path a playlist entry names, or an empty text for an entry that names no local file.
// Backslashes are folder separators from Windows playlists; "file://" URLs become paths;
// other URLs (streams) are skipped; relative paths are taken from the playlist's folder.
QString EntryPath(const QString& entry, const QString& playlistDir) {
    static const QRegularExpression urlScheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+://"));
    QString path;
    if (StartsWithIgnoringAsciiCase(entry, QLatin1String("file:"))) {
        path = FileUrlPath(entry);
        if (path.isEmpty()) {
            return QString();
        }
    } else if (urlScheme.match(entry).hasMatch()) {
        return QString();
    } else {
        path = entry;
        path.replace(u'\\', u'/');
    }
    // "C:/Music/a.mp3" from Windows names no file here and is no path relative to the list.
    const bool windowsDrive =
        path.size() >= 2 && path[1] == u':' && path[0].isLetter() && path[0].unicode() < 128;
    // Such a path is kept as written: cleaning "C:/../x" would turn it into a relative path.
    if (windowsDrive) {
        return path;
    }
    if (!path.startsWith(u'/')) {
        path.prepend(playlistDir);
    }
    return QDir::cleanPath(path);
}

// Turns the entries of one playlist into paths.
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
    EntryReader(TextKind kind, const QString& playlistDir)
        : kind_(kind), playlistDir_(playlistDir), windows1252_("windows-1252") {}

    // The path, or an empty text for an entry that names no local file.
    QString PathOf(QByteArrayView entry) {
        const QString exact = EntryPath(NameFromBytes(entry), playlistDir_);
        if (kind_ == TextKind::Utf8 || IsAscii(entry) || exact.isEmpty()) {
            return exact;
        }
        const QString converted = EntryPath(Windows1252(entry), playlistDir_);
        return converted.isEmpty() || NameExists(exact) ? exact : converted;
    }

private:
    QString Windows1252(QByteArrayView entry) {
        return windows1252_.isValid() ? QString(windows1252_.decode(entry))
                                      : QString::fromLatin1(entry);
    }

    TextKind kind_;
    QString playlistDir_;
    QStringDecoder windows1252_;
};

// The folder of a playlist's path, ending in "/".
QString FolderOf(const QString& path) {
    const QString folder = path.left(path.lastIndexOf(u'/') + 1);
    return folder.startsWith(u'/') ? folder : WorkingDir() + folder;
}

} // namespace

QStringList ParseM3u(const QByteArray& content, const QString& playlistDir) {
    EntryReader reader(TextKindOf(content), playlistDir);
    const QByteArrayView text =
        QByteArrayView(content).sliced(content.startsWith(kUtf8Bom) ? kUtf8Bom.size() : 0);
    QStringList paths;
    qsizetype i = 0;
    const qsizetype size = text.size();
    while (true) {
        while (i < size && quint8(text[i]) <= 32 && text[i] != kCtrlZ) {
            ++i;
        }
        if (i >= size || text[i] == kCtrlZ) {
            break;
        }
        // A line ends at CR (with an LF after it), at a bare LF, or at Ctrl-Z, which also
        // ends the file. Trailing blanks stay part of the entry.
        const qsizetype start = i;
        while (i < size && text[i] != '\r' && text[i] != '\n' && text[i] != kCtrlZ) {
            ++i;
        }
        const QByteArrayView entry = text.sliced(start, i - start);
        if (!entry.startsWith('#')) {
            const QString path = reader.PathOf(entry);
            if (!path.isEmpty()) {
                paths.append(path);
            }
        }
        if (i < size && text[i] == kCtrlZ) {
            break;
        }
    }
    return paths;
}

QStringList ReadM3u(const QString& path) {
    return ParseM3u(ReadWholeFile(path), FolderOf(path));
}

QStringList ParseUriList(const QByteArray& content) {
    QStringList paths = ParseM3u(content, QString());
    paths.removeIf([](const QString& path) { return !path.startsWith(u'/'); });
    return paths;
}

namespace {

// The n of a key "File" n (case-folded), in decimal without leading zeros; 0 for any other key.
qint64 FileNumber(const QString& key) {
    const QStringView digits = QStringView(key).mid(4);
    if (!key.startsWith(QLatin1String("file")) || digits.isEmpty() || digits.size() > 10 ||
        digits.front() == u'0' ||
        !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return 0;
    return digits.toLongLong();
}

} // namespace

QStringList ParsePls(const QByteArray& content, const QString& playlistDir) {
    EntryReader reader(TextKindOf(content), playlistDir);
    // The INI reading keeps every byte of a value (NameFromBytes), so the entry's own bytes
    // come back from it.
    const IniFile ini = IniFile::Parse(content);
    const QString section = QStringLiteral("playlist");
    const int count = ini.ReadInteger(section, QStringLiteral("NumberOfEntries"), 0);
    // One walk over the keys the file holds, rather than a look-up of every number up to the
    // count: a damaged count of a billion cannot freeze the program, and the time stays in
    // proportion to the file's size.
    QList<std::pair<qint64, QString>> entries;
    for (const auto& [key, value] : ini.Entries(section)) {
        const qint64 n = FileNumber(key);
        if (n >= 1 && n <= count && !value.isEmpty()) {
            entries.append({n, value});
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList paths;
    paths.reserve(entries.size());
    for (const auto& entry : std::as_const(entries)) {
        const QString path = reader.PathOf(NameToBytes(entry.second));
        if (!path.isEmpty()) {
            paths.append(path);
        }
    }
    return paths;
}

QStringList ReadPls(const QString& path) {
    QByteArray content;
    try {
        content = ReadWholeFile(path);
    } catch (const IoError& error) {
        // A playlist that cannot be read has no entries; one too large to read is an error
        // the user must see.
        if (error.ErrorKind() == IoError::Kind::TooLarge) {
            throw;
        }
        return {};
    }
    return ParsePls(content, FolderOf(path));
}

} // namespace vantuke
