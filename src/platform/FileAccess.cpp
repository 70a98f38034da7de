#include "platform/FileAccess.h"

#include "platform/IoError.h"
#include "platform/NameBytes.h"
#include "platform/ReadAhead.h"

#include <QScopeGuard>
#include <QVarLengthArray>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <utility>

namespace vantuke {

namespace {

// The path as the file system sees it, for the calls about one file, kept on the stack for
// the common short path. An empty path, one holding a NUL character (it would silently cut
// the path short) or one no bytes stand for has no native form: an invalid name.
class NativeName {
public:
    explicit NativeName(QStringView path) {
        // ASCII, the common case, is copied and checked in one pass the compiler can
        // vectorise: the bits of every character for a non-ASCII one, the smallest for a NUL.
        bytes_.resize(path.size() + 1);
        char* const out = bytes_.data();
        const char16_t* const in = path.utf16();
        char16_t all = 0;
        char16_t least = 0xFFFF;
        for (qsizetype k = 0; k < path.size(); ++k) {
            all |= in[k];
            least = std::min(least, in[k]);
            out[k] = char(in[k]);
        }
        out[path.size()] = '\0';
        valid_ = !path.isEmpty() && least != 0;
        if (all >= 0x80)
            Encode(path);
    }
    bool Valid() const { return valid_; }
    // Throws "Invalid filename" when there is no such name.
    const char* Checked() const {
        if (!valid_)
            throw IoError::FromErrno(EILSEQ);
        return bytes_.constData();
    }
    const char* CStr() const { return bytes_.constData(); }

private:
    void Encode(QStringView path) {
        bool ok = false;
        const QByteArray bytes = NameToBytes(path, &ok);
        valid_ = ok && !path.isEmpty() && !path.contains(QChar(0));
        bytes_.resize(bytes.size() + 1);
        std::copy_n(bytes.constData(), bytes.size() + 1, bytes_.data());
    }

    QVarLengthArray<char, 1024> bytes_;
    bool valid_ = true;
};

// Opens with the given access; throws the error. O_NONBLOCK keeps a pipe or device from
// hanging the open; it has no effect on the regular files that are let through. O_NOATIME is
// dropped where the kernel refuses it (a file of another user, for anyone but root).
int OpenWith(const NativeName& native, int access) {
    for (;;) {
        const int fd = ::open(native.Checked(), access | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0)
            return fd;
        if (errno == EINTR)
            continue;
        if (errno == EPERM && (access & O_NOATIME) != 0) {
            access &= ~O_NOATIME;
            continue;
        }
        throw IoError::FromErrno(errno);
    }
}

// Opens a regular file with the given access.
int OpenRegular(const QString& path, int access, struct stat& st) {
    const int fd = OpenWith(NativeName(path), access);
    int err = 0;
    if (::fstat(fd, &st) != 0)
        err = errno;
    else if (S_ISDIR(st.st_mode))
        err = EISDIR;
    else if (!S_ISREG(st.st_mode))
        err = EACCES;
    if (err != 0) {
        ::close(fd);
        throw IoError::FromErrno(err);
    }
    return fd;
}

void ThrowIfNegative(qint64 position, const QString& path) {
    if (position < 0)
        throw IoError::FromErrno(EINVAL).WithPath(path);
}

FileStat StatOf(const struct stat& st) {
    FileStat stat;
    stat.device = st.st_dev;
    stat.inode = st.st_ino;
    stat.size = st.st_size;
    stat.mode = st.st_mode;
    stat.atimeNsec = qint64(st.st_atim.tv_sec) * 1000000000 + st.st_atim.tv_nsec;
    stat.mtimeNsec = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return stat;
}

bool NoLocking(int err) {
    return err == ENOLCK || err == EINVAL || err == EOPNOTSUPP;
}

// Tries the lock without waiting: true when it is taken (or the file system cannot lock at
// all, NFS without a lock daemon or some FUSE mounts: the file is then used without the lock
// rather than not at all), false when another open file description holds a conflicting one.
bool TryLock(int fd, struct flock& lock) {
    int rc;
    do {
        rc = ::fcntl(fd, F_OFD_SETLK, &lock);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0 || NoLocking(errno))
        return true;
    if (errno == EAGAIN || errno == EACCES)
        return false;
    throw IoError::FromErrno(errno);
}

// Takes a lock of the given type (F_WRLCK, F_RDLCK) on the whole file, waiting while another
// description holds a conflicting one (unless told not to: then false when one does). Before
// it waits, the files this process read ahead of their use let go of the lock.
bool LockWholeFile(int fd, short type, LockWait wait) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0; // to the end, however far the file grows
    if (TryLock(fd, lock))
        return true;
    if (wait == LockWait::DontWait)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw IoError::FromErrno(errno);
    const LockWanted wanted(StatOf(st));
    if (TryLock(fd, lock))
        return true;
    while (::fcntl(fd, F_OFD_SETLKW, &lock) != 0) {
        if (errno == EINTR)
            continue;
        if (NoLocking(errno))
            return true;
        throw IoError::FromErrno(errno);
    }
    return true;
}

// Opens and locks: for reading and writing with the exclusive lock, or for reading only
// with a shared one. The size is taken once the lock is held: a run that held it before may
// have changed the file while this one waited. busy: the lock was held elsewhere and not
// waited for.
int OpenLocked(const QString& path, OpenMode mode, LockWait wait, struct stat& st, bool& busy) {
    const bool change = mode == OpenMode::Change;
    const int fd = OpenWith(NativeName(path), (change ? O_RDWR : O_RDONLY) | O_NOATIME);
    auto closer = qScopeGuard([fd] { ::close(fd); });
    busy = !LockWholeFile(fd, change ? F_WRLCK : F_RDLCK, wait);
    if (::fstat(fd, &st) != 0)
        throw IoError::FromErrno(errno);
    if (!S_ISREG(st.st_mode))
        throw IoError::FromErrno(EACCES);
    // Root may write anything; the read-only attribute must hold for root as well.
    if (change && (st.st_mode & S_IWUSR) == 0)
        throw IoError::FromErrno(EACCES);
    closer.dismiss();
    return fd;
}

} // namespace

bool FileStat::IsRegularFile() const {
    return S_ISREG(mode);
}

OpenFile::OpenFile(const QString& path, OpenMode mode, LockWait wait) : path_(path) {
    struct stat st {};
    try {
        switch (mode) {
        case OpenMode::Read:
            fd_ = OpenRegular(path, O_RDONLY, st);
            break;
        case OpenMode::Look:
            fd_ = OpenRegular(path, O_RDONLY | O_NOATIME, st);
            break;
        case OpenMode::Change:
        case OpenMode::ReadShared:
            fd_ = OpenLocked(path, mode, wait, st, busy_);
            break;
        }
    } catch (const IoError& error) {
        // An error that names its file already keeps it.
        if (!error.Path().isEmpty())
            throw;
        throw error.WithPath(path);
    }
    stat_ = StatOf(st);
}

OpenFile::OpenFile(OpenFile&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)), stat_(other.stat_),
      busy_(other.busy_), closer_(std::move(other.closer_)), head_(std::move(other.head_)),
      tail_(std::move(other.tail_)), tailStart_(other.tailStart_) {}

OpenFile::~OpenFile() {
    if (fd_ < 0)
        return;
    if (closer_)
        closer_->CloseLater(fd_);
    else
        ::close(fd_);
}

void OpenFile::ReadInAdvance(qint64 headBytes, qint64 tailBytes) {
    const qint64 size = stat_.size;
    headBytes = std::clamp<qint64>(headBytes, 0, size);
    tailBytes = std::clamp<qint64>(tailBytes, 0, size);
    // A file no longer than both together takes one read, which serves as both.
    const bool whole = headBytes + tailBytes >= size && headBytes > 0 && tailBytes > 0;
    try {
        if (whole) {
            QByteArray bytes(size, Qt::Uninitialized);
            ReadAt(0, bytes.data(), size);
            head_ = bytes;
            tail_ = bytes;
            tailStart_ = 0;
            return;
        }
        if (headBytes > 0) {
            QByteArray bytes(headBytes, Qt::Uninitialized);
            ReadAt(0, bytes.data(), headBytes);
            head_ = bytes;
        }
        if (tailBytes > 0) {
            QByteArray bytes(tailBytes, Qt::Uninitialized);
            ReadAt(size - tailBytes, bytes.data(), tailBytes);
            tail_ = bytes;
            tailStart_ = size - tailBytes;
        }
    } catch (const IoError&) {
        ForgetReadInAdvance();
    }
}

bool OpenFile::ReadFromMemory(qint64 pos, char* out, qint64 n) const {
    if (pos + n <= head_.size()) {
        std::copy_n(head_.constData() + pos, n, out);
        return true;
    }
    if (!tail_.isEmpty() && pos >= tailStart_ && pos + n <= tailStart_ + tail_.size()) {
        std::copy_n(tail_.constData() + (pos - tailStart_), n, out);
        return true;
    }
    return false;
}

void OpenFile::ForgetReadInAdvance() {
    head_.clear();
    tail_.clear();
    tailStart_ = 0;
}

void OpenFile::ReadAt(qint64 pos, char* out, qint64 n) const {
    ThrowIfNegative(pos, path_);
    if (ReadFromMemory(pos, out, n))
        return;
    qint64 done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd_, out + done, size_t(n - done), pos + done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw IoError::FromErrno(errno).WithPath(path_);
        }
        if (got == 0)
            throw IoError::ReadBeyondEnd().WithPath(path_);
        done += got;
    }
}

void OpenFile::WriteAt(qint64 pos, QByteArrayView bytes, qint64* written) {
    ForgetReadInAdvance();
    qint64 done = 0;
    if (written)
        *written = 0;
    ThrowIfNegative(pos, path_);
    while (done < bytes.size()) {
        const ssize_t put =
            ::pwrite(fd_, bytes.data() + done, size_t(bytes.size() - done), pos + done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            throw IoError::FromErrno(errno).WithPath(path_);
        }
        if (put == 0)
            throw IoError::DiskFull().WithPath(path_);
        done += put;
        if (written)
            *written = done;
        stat_.size = std::max(stat_.size, pos + done);
    }
}

void OpenFile::Truncate(qint64 size) {
    ThrowIfNegative(size, path_);
    ForgetReadInAdvance();
    int rc;
    do {
        rc = ::ftruncate(fd_, size);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0)
        throw IoError::FromErrno(errno).WithPath(path_);
    stat_.size = size;
}

bool OpenFile::SizeUnchanged() const {
    // The end of the file, without a look at its attributes (which costs several times as
    // much).
    const off_t end = ::lseek(fd_, 0, SEEK_END);
    if (end < 0)
        throw IoError::FromErrno(errno).WithPath(path_);
    return end == stat_.size;
}

namespace {

timespec TimeOf(qint64 nsec) {
    timespec time{};
    time.tv_sec = time_t(nsec / 1000000000);
    time.tv_nsec = long(nsec % 1000000000);
    if (time.tv_nsec < 0) {
        time.tv_sec -= 1;
        time.tv_nsec += 1000000000;
    }
    return time;
}

} // namespace

void OpenFile::SetTimes(qint64 atimeNsec, qint64 mtimeNsec) {
    const timespec times[2] = {TimeOf(atimeNsec), TimeOf(mtimeNsec)};
    if (::futimens(fd_, times) != 0)
        throw IoError::FromErrno(errno).WithPath(path_);
    stat_.atimeNsec = atimeNsec;
    stat_.mtimeNsec = mtimeNsec;
}

void OpenFile::SetMode(quint32 mode) {
    if (::fchmod(fd_, mode_t(mode & 07777)) != 0)
        throw IoError::FromErrno(errno).WithPath(path_);
    stat_.mode = (stat_.mode & ~quint32(07777)) | (mode & 07777);
}

void OpenFile::Close() {
    // Linux releases the descriptor even when close reports EINTR: never close it twice.
    if (::close(std::exchange(fd_, -1)) != 0 && errno != EINTR)
        throw IoError::FromErrno(errno).WithPath(path_);
}

QByteArray ReadWholeFile(const QString& path, qint64 limit, OpenMode mode) {
    struct stat st {};
    int fd;
    try {
        fd = OpenRegular(path, mode == OpenMode::Look ? O_RDONLY | O_NOATIME : O_RDONLY, st);
    } catch (const IoError& error) {
        throw error.WithPath(path);
    }
    const auto closer = qScopeGuard([fd] { ::close(fd); });
    if (st.st_size > limit)
        throw IoError::TooLarge(limit).WithPath(path);
    QByteArray bytes;
    // The size is only a hint: the file may grow or shrink while it is read, and files of
    // /proc report none at all.
    bytes.reserve(qsizetype(st.st_size) + 1);
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw IoError::FromErrno(errno).WithPath(path);
        }
        if (got == 0)
            return bytes;
        if (bytes.size() + got > limit)
            throw IoError::TooLarge(limit).WithPath(path);
        bytes.append(chunk, got);
    }
}

std::optional<FileStat> StatPath(const QString& path, bool followLink) {
    const NativeName native(path);
    struct stat st {};
    if (!native.Valid() ||
        (followLink ? ::stat(native.CStr(), &st) : ::lstat(native.CStr(), &st)) != 0)
        return std::nullopt;
    return StatOf(st);
}

bool MakeWritable(const QString& path) {
    const NativeName native(path);
    struct stat st {};
    return native.Valid() && ::stat(native.CStr(), &st) == 0 && (st.st_mode & S_IWUSR) == 0 &&
           ::chmod(native.CStr(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

int WriteAccessError(const QString& path) {
    const NativeName native(path);
    if (!native.Valid())
        return EILSEQ;
    return ::faccessat(AT_FDCWD, native.CStr(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

bool CouldMakeWritable(const QString& path) {
    const NativeName native(path);
    struct stat st {};
    struct statvfs volume {};
    if (!native.Valid() || ::stat(native.CStr(), &st) != 0 || (st.st_mode & S_IWUSR) != 0)
        return false;
    const uid_t user = ::geteuid();
    return (user == 0 || user == st.st_uid) && ::statvfs(native.CStr(), &volume) == 0 &&
           (volume.f_flag & ST_RDONLY) == 0;
}

namespace {

// Moves from to to without ever replacing a name; 0 or the errno of the failure.
int MoveNoReplace(const char* from, const char* to) {
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL)
        return errno;
    // The file system cannot rename without replacing. A new link fails on any existing
    // name, a dangling symbolic link included; then the old name goes.
    if (::link(from, to) != 0)
        return errno;
    if (::unlink(from) != 0) {
        const int err = errno;
        ::unlink(to);
        return err;
    }
    return 0;
}

QStringView FolderPart(QStringView path) {
    return path.left(path.lastIndexOf(u'/') + 1);
}

QStringView NamePart(QStringView path) {
    return path.mid(path.lastIndexOf(u'/') + 1);
}

// True when to names the very file from names, in the same folder and differing only in
// letter case.
bool SameFileByCase(const QString& from, const QString& to, const char* fromBytes,
                    const char* toBytes) {
    if (!SameNameButCase(from, to))
        return false;
    struct stat a {};
    struct stat b {};
    return ::lstat(fromBytes, &a) == 0 && ::lstat(toBytes, &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

// A new letter case through a free temporary name in the same folder, since the volume
// takes the new name for the old one. Put back when the second step fails.
bool RenameThroughTemporary(const QString& from, const char* fromBytes, const char* toBytes) {
    static int counter = 0;
    const QString folder = FolderPart(from).toString();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const NativeName temporary(
            folder + QStringLiteral(".vantuke-rename-%1-%2").arg(::getpid()).arg(++counter));
        const int err = MoveNoReplace(fromBytes, temporary.CStr());
        if (err == EEXIST)
            continue;
        if (err != 0)
            return false;
        if (MoveNoReplace(temporary.CStr(), toBytes) == 0)
            return true;
        MoveNoReplace(temporary.CStr(), fromBytes);
        return false;
    }
    return false;
}

} // namespace

bool SameNameButCase(QStringView a, QStringView b) {
    return FolderPart(a) == FolderPart(b) &&
           NamePart(a).compare(NamePart(b), Qt::CaseInsensitive) == 0;
}

bool RenameNoReplace(const QString& from, const QString& to) {
    if (from == to)
        return true;
    const NativeName fromBytes(from);
    const NativeName toBytes(to);
    if (!fromBytes.Valid() || !toBytes.Valid())
        return false;
    const int err = MoveNoReplace(fromBytes.CStr(), toBytes.CStr());
    if (err == 0)
        return true;
    return err == EEXIST && SameFileByCase(from, to, fromBytes.CStr(), toBytes.CStr()) &&
           RenameThroughTemporary(from, fromBytes.CStr(), toBytes.CStr());
}

FolderAccess FolderAccessOf(const QString& folder) {
    const NativeName native(folder.isEmpty() ? QStringView(u".") : QStringView(folder));
    FolderAccess access;
    if (::faccessat(AT_FDCWD, native.CStr(), W_OK | X_OK, AT_EACCESS) != 0) {
        access.error = errno;
        return access;
    }
    const long nameMax = ::pathconf(native.CStr(), _PC_NAME_MAX);
    if (nameMax > 0)
        access.nameMax = nameMax;
    return access;
}

int RenameRefusal(const QString& from, const QString& to, const FolderAccess& fromFolder,
                  const FolderAccess& toFolder) {
    const NativeName fromBytes(from);
    const NativeName toBytes(to);
    if (!fromBytes.Valid() || !toBytes.Valid())
        return EILSEQ;
    if (toFolder.error != 0)
        return toFolder.error;
    if (fromFolder.error != 0)
        return fromFolder.error;
    const char* const native = toBytes.CStr();
    const char* const slash = std::strrchr(native, '/');
    const std::size_t nameBytes = std::strlen(slash ? slash + 1 : native);
    if (qint64(nameBytes) > toFolder.nameMax || std::strlen(native) >= PATH_MAX)
        return ENAMETOOLONG;
    return 0;
}

int RenameRefusal(const QString& from, const QString& to) {
    return RenameRefusal(from, to, FolderAccessOf(FolderPart(from).toString()),
                         FolderAccessOf(FolderPart(to).toString()));
}

void IgnoreFileSizeSignal() {
    std::signal(SIGXFSZ, SIG_IGN);
}

qint64 RaiseOpenFileLimit() {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 0;
    if (limit.rlim_cur < limit.rlim_max) {
        struct rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
            limit = raised;
    }
    return limit.rlim_cur == RLIM_INFINITY ? std::numeric_limits<qint64>::max()
                                           : qint64(limit.rlim_cur);
}

RecordFile::RecordFile(const QString& path, How how) : path_(path) {
    const NativeName native(path);
    const int flags =
        how == How::CreateNew ? O_WRONLY | O_CREAT | O_EXCL | O_APPEND : O_RDWR | O_APPEND;
    do {
        fd_ = ::open(native.Checked(), flags | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0600);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0)
        throw IoError::FromErrno(errno).WithPath(path);
    struct stat st {};
    const int err = ::fstat(fd_, &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0 : EACCES;
    if (err != 0) {
        ::close(std::exchange(fd_, -1));
        throw IoError::FromErrno(err).WithPath(path);
    }
    // A new file has been flushed into its folder only once Sync says so.
    folderSynced_ = how == How::OpenExisting;
}

RecordFile::~RecordFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool RecordFile::TryLock() {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    try {
        return vantuke::TryLock(fd_, lock);
    } catch (const IoError& error) {
        throw error.WithPath(path_);
    }
}

void RecordFile::Append(QByteArrayView bytes) {
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd_, bytes.data() + done, size_t(bytes.size() - done));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            throw IoError::FromErrno(errno).WithPath(path_);
        }
        if (put == 0)
            throw IoError::DiskFull().WithPath(path_);
        done += put;
    }
}

void RecordFile::Sync() {
    int rc;
    do {
        rc = ::fdatasync(fd_);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0)
        throw IoError::FromErrno(errno).WithPath(path_);
    if (folderSynced_)
        return;
    const QString folder = path_.left(path_.lastIndexOf(u'/') + 1);
    const NativeName native(folder.isEmpty() ? QStringLiteral(".") : folder);
    const int dir = ::open(native.Checked(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        throw IoError::FromErrno(errno).WithPath(folder);
    const int synced = ::fsync(dir);
    const int err = errno;
    ::close(dir);
    if (synced != 0)
        throw IoError::FromErrno(err).WithPath(folder);
    folderSynced_ = true;
}

void RecordFile::Close() {
    if (::close(std::exchange(fd_, -1)) != 0 && errno != EINTR)
        throw IoError::FromErrno(errno).WithPath(path_);
}

bool RemoveFile(const QString& path) {
    const NativeName native(path);
    return native.Valid() && ::unlink(native.CStr()) == 0;
}

} // namespace vantuke
