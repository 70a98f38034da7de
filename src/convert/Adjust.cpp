#include "convert/Adjust.h"

#include "convert/PathNames.h"

namespace vantuke {

QString AdjustedPath(const QString& path, const QList<Substitution>& rows, int extensionFormat) {
    QString title = FileTitleOf(path);
    for (const Substitution& row : rows)
        ReplaceAll(title, row.what, row.with);
    return FilePathOf(path) + CleanFileName(title) + u'.' + ExtensionText(extensionFormat);
}

} // namespace vantuke
