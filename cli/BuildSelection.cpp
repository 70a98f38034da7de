#include "CliRun.h"
#include "selection/SelectedFiles.h"

namespace vantuke::cli {

QString AbsolutePath(const QString& cwd, const QString& path) {
    const QString joined = path.startsWith(QLatin1Char('/')) ? path : cwd + QLatin1Char('/') + path;
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
    for (const Source& source : sources) {
        const QString path = AbsolutePath(cwd, source.path);
        if (source.playlist) {
            const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
            selection.AddRows(path.left(slash + 1), {path.mid(slash + 1)}, true);
        } else {
            selection.Add(path);
        }
    }
    return selection.Entries();
}

} // namespace vantuke::cli
