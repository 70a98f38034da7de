#pragma once

#include <QString>
#include <QStringList>

namespace vantuke {

// The MP3 files of a folder (a full path ending in "/"), as full paths in the order the file
// list shows them: regular files (or links to them) whose names end in ".mp3" in any letter
// case. With recursive, each subfolder follows in name order, folder by folder, the way the
// tree sorts them; a symbolic link to a folder is never followed, so a link that points back
// up the tree cannot make the walk endless. A folder that cannot be read adds nothing.
QStringList Mp3FilesIn(const QString& folder, bool recursive);

// The paths with each folder among them replaced by its MP3 files and those of its
// subfolders (Mp3FilesIn, recursive), in order. A name ending in ".mp3" is taken for a file
// without a look at the disk; anything else that is not a folder stays as it is.
QStringList WithFolderFiles(const QStringList& paths);

} // namespace vantuke
