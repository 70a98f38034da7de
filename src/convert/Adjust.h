#pragma once

#include <QList>
#include <QString>

namespace vantuke {

// One row of the "Adjust FileName" substitution table.
struct Substitution {
    QString what;
    QString with;

    bool operator==(const Substitution&) const = default;
};

// The new full path of a file: its title run through every row in order (ReplaceAll),
// cleaned, behind the unchanged folder and with the MP3 extension in the chosen case.
QString AdjustedPath(const QString& path, const QList<Substitution>& rows, int extensionFormat);

} // namespace vantuke
