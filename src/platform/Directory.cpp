#include "platform/Directory.h"

#include "platform/NameBytes.h"
#include "platform/ReadAhead.h"

#include <QByteArray>
#include <QScopeGuard>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vantuke {

namespace {

// The bytes of a path, or nothing when no file can have that name (empty, a NUL inside that
// would cut it short, or a character no byte stands for).
bool NativePath(const QString& path, QByteArray& native) {
    bool ok = false;
    native = NameToBytes(path, &ok);
    return ok && !path.isEmpty() && !path.contains(QChar(0));
}

FileKind KindOf(mode_t mode) {
    if (S_ISREG(mode))
        return FileKind::Regular;
    if (S_ISDIR(mode))
        return FileKind::Folder;
    return FileKind::Other;
}

FileStatus StatusFrom(const struct stat& st) {
    const qint64 msecs = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    return FileStatus{KindOf(st.st_mode), qint64(st.st_size),
                      QDateTime::fromMSecsSinceEpoch(msecs)};
}

} // namespace

FileStatus StatusOf(const QString& path) {
    QByteArray native;
    struct stat st {};
    if (!NativePath(path, native) || ::stat(native.constData(), &st) != 0)
        return {};
    return StatusFrom(st);
}

bool IsFolder(const QString& path) {
    return StatusOf(path).kind == FileKind::Folder;
}

bool NameExists(const QString& path) {
    QByteArray native;
    struct stat st {};
    return NativePath(path, native) && ::lstat(native.constData(), &st) == 0;
}

namespace {

// Fills entry.status (and entry.link where the listing did not say) for one name of the
// folder open as dirFd.
void LookUp(int dirFd, const char* name, unsigned char type, EntryDetail detail, DirEntry& entry) {
    entry.status = {};
    entry.link = type == DT_LNK;
    if (type == DT_UNKNOWN) {
        // Some file systems do not say what an entry is: ask without following a link.
        struct stat own {};
        entry.link = ::fstatat(dirFd, name, &own, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(own.st_mode);
    }
    const bool known = type == DT_REG || type == DT_DIR;
    if (detail == EntryDetail::KindOnly && known) {
        entry.status.kind = type == DT_DIR ? FileKind::Folder : FileKind::Regular;
    } else if (detail == EntryDetail::KindOnly && type != DT_LNK && type != DT_UNKNOWN) {
        entry.status.kind = FileKind::Other;
    } else {
        // Follows a symbolic link; a dangling one stays Missing.
        struct stat st {};
        if (::fstatat(dirFd, name, &st, 0) == 0)
            entry.status = StatusFrom(st);
    }
}

bool IsDotOrDotDot(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

} // namespace

bool ReadDirectory(const QString& dir, EntryDetail detail,
                   const std::function<bool(const DirEntry&)>& visit) {
    QByteArray native;
    if (!NativePath(dir, native))
        return false;
    int fd;
    do {
        fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    DIR* stream = ::fdopendir(fd);
    if (!stream) {
        ::close(fd);
        return false;
    }
    const auto closer = qScopeGuard([stream] { ::closedir(stream); });

    // Where every look-up waits a round trip, all names are read first and looked up
    // together; the visits keep the folder's order.
    const int threads = detail == EntryDetail::Full ? IoThreadsFor(dir) : 0;
    if (threads > 0) {
        std::vector<QByteArray> names;
        std::vector<unsigned char> types;
        while (const dirent* found = ::readdir(stream)) {
            if (IsDotOrDotDot(found->d_name))
                continue;
            names.emplace_back(found->d_name);
            types.push_back(found->d_type);
        }
        std::vector<DirEntry> entries(names.size());
        InParallel(qsizetype(names.size()), threads, [&](qsizetype k) {
            LookUp(::dirfd(stream), names[size_t(k)].constData(), types[size_t(k)], detail,
                   entries[size_t(k)]);
        });
        for (size_t k = 0; k < names.size(); ++k) {
            entries[k].name = NameFromBytes(names[k]);
            if (!visit(entries[k]))
                break;
        }
        return true;
    }

    DirEntry entry;
    while (const dirent* found = ::readdir(stream)) {
        const char* name = found->d_name;
        if (IsDotOrDotDot(name))
            continue;
        LookUp(::dirfd(stream), name, found->d_type, detail, entry);
        entry.name = NameFromBytes(QByteArrayView(name, qsizetype(std::strlen(name))));
        if (!visit(entry))
            break;
    }
    return true;
}

} // namespace vantuke
