#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <functional>

namespace vantuke {

// Folder listings and file look-ups for the file selection. Paths and names are texts as
// NameFromBytes gives them, so every name a folder holds comes back exactly, and a path built
// from them names the same file again.

enum class FileKind {
    Missing, // nothing there, or it cannot be looked at (a dangling symbolic link)
    Regular,
    Folder,
    Other, // pipe, device, socket
};

struct FileStatus {
    FileKind kind = FileKind::Missing;
    qint64 size = 0;
    QDateTime lastWrite; // local time, millisecond precision
};

// What a path names, following symbolic links. One system call; nothing is opened.
FileStatus StatusOf(const QString& path);
// Whether a path names a folder (following symbolic links).
bool IsFolder(const QString& path);
// Whether the name is present at all, a dangling symbolic link included.
bool NameExists(const QString& path);

struct DirEntry {
    QString name;
    // Kind only, or kind, size and time when the listing asks for the details; for a
    // symbolic link those of what it points to.
    FileStatus status;
    // The entry itself is a symbolic link.
    bool link = false;
};

enum class EntryDetail {
    KindOnly, // no look-up for entries whose kind the listing itself reports
    Full,     // every entry looked up for its size and time
};

// Calls visit for every entry of the folder dir except "." and "..", in the order the system
// yields them; symbolic links are followed for the kind, size and time. visit returns false to
// stop the listing. Returns false when the folder cannot be opened.
bool ReadDirectory(const QString& dir, EntryDetail detail,
                   const std::function<bool(const DirEntry&)>& visit);

} // namespace vantuke
