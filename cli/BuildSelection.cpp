#include "CliRun.h"
#include "convert/PathNames.h"
#include "platform/Directory.h"
#include "platform/NameBytes.h"
#include "platform/Streams.h"
#include "selection/FolderFiles.h"
#include "selection/SelectedFiles.h"

#include <algorithm>

namespace vantuke::cli {

namespace {

// True when splitting the path at "/" and joining the parts again gives it back unchanged: it
// is absolute, has no doubled slash and no "." part. Paths given by a shell glob or a file
// manager are like this, and taking them as they are saves a copy of every path.
bool IsCleanAbsolute(QStringView path) {
    if (!path.startsWith(u'/'))
        return false;
    const char16_t* const end = path.utf16() + path.size();
    for (const char16_t* slash = path.utf16(); slash != end;
         slash = std::find(slash + 1, end, u'/')) {
        const char16_t* const next = slash + 1;
        if (next == end)
            break;
        if (*next == u'/' || (*next == u'.' && (next + 1 == end || next[1] == u'/')))
            return false;
    }
    return true;
}

} // namespace

QString AbsolutePath(const QString& cwd, const QString& path) {
    const QString joined = path.startsWith(QLatin1Char('/')) ? path
                           : cwd.endsWith(QLatin1Char('/'))  ? cwd + path
                                                             : cwd + QLatin1Char('/') + path;
    if (IsCleanAbsolute(joined))
        return joined;
    QString result;
    result.reserve(joined.size());
    for (const QStringView part : QStringView(joined).split(QLatin1Char('/'))) {
        if (part.isEmpty() || part == QLatin1String("."))
            continue;
        result += QLatin1Char('/');
        result += part;
    }
    if (result.isEmpty() || joined.endsWith(QLatin1Char('/')) ||
        joined.endsWith(QLatin1String("/.")))
        result += QLatin1Char('/');
    return result;
}

QStringList BuildSelection(const CliRequest& request, const QString& cwd,
                           QList<Playlist>* playlists) {
    SelectedFiles selection;
    // Consecutive FILEs go in as one batch, so the selection makes room for all of them at once.
    QStringList files;
    const auto addFiles = [&] {
        selection.AddRows(QString(), files, false);
        files.clear();
    };
    // A name that ends in ".mp3" is a file: looking at every FILE to find the folders among
    // them would cost a system call per file of a long command line.
    const auto addFile = [&](const QString& given) {
        const QString path = AbsolutePath(cwd, given);
        if (!EndsWithMp3(path) && IsFolder(path))
            files += Mp3FilesIn(path, request.recursive);
        else
            files.append(path);
    };
    for (const Source& source : request.sources) {
        switch (source.kind) {
        case Source::Kind::File:
            addFile(source.path);
            break;
        case Source::Kind::Playlist: {
            addFiles();
            const QString path = AbsolutePath(cwd, source.path);
            const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
            selection.AddRows(path.left(slash + 1), {path.mid(slash + 1)}, true);
            break;
        }
        case Source::Kind::FileList: {
            const char separator = request.nulSeparated ? '\0' : '\n';
            const auto visit = [&](QByteArrayView record) {
                // A list written on Windows ends its lines in CR LF; a name that really ends
                // in CR can come through a NUL-separated list.
                if (separator == '\n' && record.endsWith('\r'))
                    record.chop(1);
                if (!record.isEmpty())
                    addFile(NameFromBytes(record));
            };
            if (source.path == QLatin1String("-"))
                ReadStandardInputRecords(separator, visit);
            else
                ReadRecords(AbsolutePath(cwd, source.path), separator, visit);
            break;
        }
        }
    }
    addFiles();
    if (playlists)
        *playlists = selection.Playlists();
    return selection.Entries();
}

} // namespace vantuke::cli
