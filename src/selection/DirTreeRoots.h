#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace vantuke {

enum class RootKind {
    Home,       // the user's home folder, shown as "Home"
    FileSystem, // "/", shown as "File System"
    Volume,     // a mounted volume: not touched until it is expanded
};

// One top-level node of the directory tree.
struct DirTreeRoot {
    QString path;    // full path ending in "/"
    QString caption; // as shown (NameForDisplay)
    RootKind kind = RootKind::Volume;
    bool network = false; // on a network file system

    bool operator==(const DirTreeRoot&) const = default;
};

struct MountPoint {
    QString path;
    QString type; // the file-system type as the mount table names it
};

// The mount points and types listed in the text of a mount table (/proc/self/mounts), with
// the table's octal escapes (\040 for a blank and so on) decoded.
QList<MountPoint> ParseMounts(const QByteArray& table);

// Whether a mount of this type reaches the files over a network.
bool IsNetworkFileSystem(const QString& type);

// Home (left out when the home folder is "/" itself), File System, then every volume mounted
// below /media, /run/media or /mnt, ordered by path. A volume is shown by its folder name,
// which is its label when the desktop mounted it. A mount point listed twice (one mount on
// top of another) gives one node, with the type of the mount on top.
QList<DirTreeRoot> DirTreeRoots(const QString& homePath, const QList<MountPoint>& mounts);

// DirTreeRoots for this machine: the user's home folder and the process's mount table.
QList<DirTreeRoot> SystemDirTreeRoots();

// The position of the root path (each ending in "/") that is the longest prefix of path, so
// a folder under the home folder belongs to Home rather than to File System; -1 for none.
int OwningRoot(const QStringList& rootPaths, const QString& path);

} // namespace vantuke
