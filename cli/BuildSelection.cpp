#include "CliRun.h"
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

QStringList BuildSelection(const QList<Source>& sources, const QString& cwd) {
    SelectedFiles selection;
    // Consecutive FILEs go in as one batch, so the selection makes room for all of them at once.
    QStringList files;
    files.reserve(sources.size());
    const auto addFiles = [&] {
        selection.AddRows(QString(), files, false);
        files.clear();
    };
    for (const Source& source : sources) {
        const QString path = AbsolutePath(cwd, source.path);
        if (source.playlist) {
            addFiles();
            const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
            selection.AddRows(path.left(slash + 1), {path.mid(slash + 1)}, true);
        } else {
            files.append(path);
        }
    }
    addFiles();
    return selection.Entries();
}

} // namespace vantuke::cli
