#include "selection/Playlist.h"

#include "platform/FileAccess.h"
#include "platform/IoError.h"
#include "settings/IniFile.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>

namespace vantuke {
namespace {

constexpr char16_t kCtrlZ = 26;
const QByteArray kUtf8Bom("\xEF\xBB\xBF");

// Playlists written on Windows are often in its single-byte code page rather than UTF-8:
// text that is not valid UTF-8 is read as Windows-1252.
QString DecodePlaylistText(const QByteArray& content) {
    if (content.startsWith(kUtf8Bom)) {
        return QString::fromUtf8(content.mid(kUtf8Bom.size()));
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(content);
    if (!utf8.hasError()) {
        return text;
    }
    QStringDecoder windows1252("windows-1252");
    return windows1252.isValid() ? QString(windows1252.decode(content))
                                 : QString::fromLatin1(content);
}

// The path a playlist entry names, or an empty text for an entry that names no local file.
// Backslashes are folder separators from Windows playlists; "file://" URLs become paths;
// other URLs (streams) are skipped; relative paths are taken from the playlist's folder.
QString EntryPath(const QString& entry, const QString& playlistDir) {
    static const QRegularExpression urlScheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+://"));
    QString path;
    if (entry.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        QUrl url(entry);
        // A file on another host is not a file of this machine.
        if (url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) {
            url.setHost(QString());
        }
        if (!url.host().isEmpty()) {
            return QString();
        }
        path = url.toLocalFile();
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

QString FolderOf(const QString& path) {
    return QFileInfo(path).absolutePath() + u'/';
}

} // namespace

QStringList ParseM3u(const QByteArray& content, const QString& playlistDir) {
    const QString text = DecodePlaylistText(content);
    QStringList paths;
    qsizetype i = 0;
    const qsizetype size = text.size();
    while (true) {
        while (i < size && text[i].unicode() <= 32 && text[i] != kCtrlZ) {
            ++i;
        }
        if (i >= size || text[i] == kCtrlZ) {
            break;
        }
        // A line ends at CR (with an LF after it), at a bare LF, or at Ctrl-Z, which also
        // ends the file. Trailing blanks stay part of the entry.
        const qsizetype start = i;
        while (i < size && text[i] != u'\r' && text[i] != u'\n' && text[i] != kCtrlZ) {
            ++i;
        }
        const QString entry = text.mid(start, i - start);
        if (!entry.startsWith(u'#')) {
            const QString path = EntryPath(entry, playlistDir);
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

namespace {

// The numbers n from 1 to count for which a key "File" n is present, ascending. Walking the
// keys the file holds, rather than every number up to the count, keeps a damaged count of a
// billion from freezing the program.
QList<int> PresentFileNumbers(const IniFile& ini, const QString& section, int count) {
    QList<int> numbers;
    for (const QString& key : ini.KeysOf(section)) {
        const QStringView digits = QStringView(key).mid(4);
        if (!key.startsWith(QLatin1String("file")) || digits.isEmpty() || digits.size() > 10 ||
            digits.front() == u'0' || !std::all_of(digits.begin(), digits.end(), [](QChar c) {
                return c.isDigit() && c.unicode() < 128;
            }))
            continue;
        const qint64 n = digits.toLongLong();
        if (n <= count)
            numbers.append(int(n));
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

} // namespace

QStringList ParsePls(const QByteArray& content, const QString& playlistDir) {
    const IniFile ini = IniFile::Parse(DecodePlaylistText(content).toUtf8());
    const QString section = QStringLiteral("playlist");
    const int count = ini.ReadInteger(section, QStringLiteral("NumberOfEntries"), 0);
    QStringList paths;
    for (const int n : PresentFileNumbers(ini, section, count)) {
        const QString entry =
            ini.ReadString(section, QStringLiteral("File") + QString::number(n), QString());
        if (entry.isEmpty()) {
            continue;
        }
        const QString path = EntryPath(entry, playlistDir);
        if (!path.isEmpty()) {
            paths.append(path);
        }
    }
    return paths;
}

QStringList ReadPls(const QString& path) {
    try {
        return ParsePls(ReadWholeFile(path), FolderOf(path));
    } catch (const IoError&) {
        return {};
    }
}

} // namespace vantuke
