#include "selection/DirTreeRoots.h"

#include "platform/Directory.h"
#include "platform/FileAccess.h"
#include "platform/IoError.h"
#include "platform/Locations.h"
#include "platform/NameBytes.h"
#include "platform/NameDisplay.h"

#include <QDir>
#include <QMap>

namespace vantuke {

namespace {

QString WithSlash(const QString& path) {
    return path.endsWith(u'/') ? path : path + u'/';
}

// The mount table writes a blank, tab, newline and backslash in a path as \040, \011, \012
// and \134.
QByteArray DecodeMountField(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const auto isOctal = [&](qsizetype k) { return field[k] >= '0' && field[k] <= '7'; };
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(i + 1) && isOctal(i + 2) &&
            isOctal(i + 3)) {
            out += char(field.mid(i + 1, 3).toInt(nullptr, 8));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

bool IsVolumeMountPoint(const QString& path) {
    for (const char* parent : {"/media/", "/run/media/", "/mnt/"}) {
        const QString prefix = QString::fromLatin1(parent);
        if (path.startsWith(prefix) && path.size() > prefix.size())
            return true;
    }
    return false;
}

} // namespace

QList<MountPoint> ParseMounts(const QByteArray& table) {
    QList<MountPoint> mounts;
    for (const QByteArray& line : table.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 3)
            continue;
        mounts.append({NameFromBytes(DecodeMountField(fields[1])), QString::fromLatin1(fields[2])});
    }
    return mounts;
}

bool IsNetworkFileSystem(const QString& type) {
    static const QStringList kNetworkTypes =
        QStringLiteral("nfs nfs4 cifs smb3 smbfs ncpfs afs 9p ceph glusterfs davfs sshfs "
                       "fuse.sshfs fuse.rclone fuse.davfs2 fuse.s3fs fuse.gvfsd-fuse "
                       "fuse.glusterfs fuse.cephfs")
            .split(u' ');
    return kNetworkTypes.contains(type);
}

QList<DirTreeRoot> DirTreeRoots(const QString& homePath, const QList<MountPoint>& mounts) {
    QList<DirTreeRoot> roots;
    const QString home = WithSlash(homePath);
    if (home != u"/")
        roots.append({home, QStringLiteral("Home"), RootKind::Home, false});
    roots.append({QStringLiteral("/"), QStringLiteral("File System"), RootKind::FileSystem, false});

    QMap<QString, QString> volumes; // path -> type of the mount on top, ordered by path
    for (const MountPoint& mount : mounts) {
        const QString path = QDir::cleanPath(mount.path);
        if (IsVolumeMountPoint(path))
            volumes.insert(WithSlash(path), mount.type);
    }
    for (auto it = volumes.cbegin(); it != volumes.cend(); ++it) {
        const QString folder = it.key().chopped(1);
        const QString name = NameForDisplay(folder.mid(folder.lastIndexOf(u'/') + 1));
        roots.append({it.key(), name, RootKind::Volume, IsNetworkFileSystem(it.value())});
    }
    return roots;
}

QList<DirTreeRoot> SystemDirTreeRoots() {
    QByteArray text;
    try {
        text = ReadWholeFile(QStringLiteral("/proc/self/mounts"));
    } catch (const IoError&) {
        // Without a mount table the tree still shows the home folder and the file system.
    }
    return DirTreeRoots(HomeDir(), ParseMounts(text));
}

int OwningRoot(const QStringList& rootPaths, const QString& path) {
    int best = -1;
    for (int i = 0; i < rootPaths.size(); ++i) {
        if (path.startsWith(rootPaths[i]) &&
            (best < 0 || rootPaths[i].size() > rootPaths[best].size()))
            best = i;
    }
    return best;
}

} // namespace vantuke
