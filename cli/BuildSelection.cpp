#include "CliRun.h"
#include "selection/SelectedFiles.h"

namespace vantuke::cli {

namespace {

// True when splitting the path at "/" and joining the parts again gives it back unchanged: it
// is absolute, has no doubled slash and no "." part. Paths given by a shell glob or a file
// manager are like this, and taking them as they are saves a copy of every path.
bool IsCleanAbsolute(QStringView path) {
    const char16_t* const p = path.utf16();
    const qsizetype size = path.size();
    if (size == 0 || p[0] != u'/')
        return false;
    for (qsizetype k = 0; k < size; ++k) {
        if (p[k] != u'/')
            continue;
        // A slash starts an empty part, or a "." part (last, or followed by a slash).
        const char16_t next = k + 1 < size ? p[k + 1] : u'\0';
        if (next == u'/' || (next == u'.' && (k + 2 == size || p[k + 2] == u'/')))
            return false;
    }
    return true;
}

} // namespace

QString AbsolutePath(const QString& cwd, const QString& path) {
    const QString joined = path.startsWith(QLatin1Char('/')) ? path : cwd + QLatin1Char('/') + path;
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
