#include "selection/FolderFiles.h"

#include "convert/PathNames.h"
#include "platform/Directory.h"
#include "selection/FileList.h"
#include "selection/NameOrder.h"

namespace vantuke {

namespace {

void AddFolder(const QString& folder, bool recursive, const QString& mask, QStringList& paths) {
    QStringList files;
    QStringList folders;
    ReadDirectory(folder, EntryDetail::KindOnly, [&](const DirEntry& entry) {
        if (entry.status.kind == FileKind::Regular && MatchesMask(entry.name, mask))
            files << entry.name;
        else if (recursive && entry.status.kind == FileKind::Folder && !entry.link)
            folders << entry.name;
        return true;
    });
    for (const qsizetype i : SortedOrder(files))
        paths << folder + files.at(i);
    for (const qsizetype i : SortedOrder(folders))
        AddFolder(folder + folders.at(i) + u'/', recursive, mask, paths);
}

} // namespace

QStringList Mp3FilesIn(const QString& folder, bool recursive) {
    QStringList paths;
    AddFolder(folder.endsWith(u'/') ? folder : folder + u'/', recursive, FilterMask(0), paths);
    return paths;
}

QStringList WithFolderFiles(const QStringList& paths) {
    QStringList files;
    files.reserve(paths.size());
    for (const QString& path : paths) {
        if (!EndsWithMp3(path) && IsFolder(path))
            files += Mp3FilesIn(path, true);
        else
            files << path;
    }
    return files;
}

} // namespace vantuke
