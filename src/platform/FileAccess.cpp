#include "platform/FileAccess.h"

#include "platform/IoError.h"
#include "platform/NameBytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vantuke {

namespace {

// The path as the file system sees it. An empty path, one holding a NUL character (it would
// silently cut the path short) or one no bytes stand for has no native form: an invalid name.
QByteArray NativePath(const QString& path) {
    bool ok = false;
    QByteArray native = NameToBytes(path, &ok);
    if (!ok || path.isEmpty() || path.contains(QChar(0)))
        throw IoError::FromErrno(EILSEQ);
    return native;
}

// Opens with the given access. O_NONBLOCK keeps a pipe or device from hanging the open; it
// has no effect on the regular files that are let through.
int OpenRegular(const QString& path, int access, struct stat& st) {
    const QByteArray native = NativePath(path);
    int fd;
    do {
        fd = ::open(native.constData(), access | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        throw IoError::FromErrno(errno);
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

bool StatPath(const QString& path, struct stat& st) {
    if (path.isEmpty() || path.contains(QChar(0)))
        return false;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

} // namespace

OpenFile::OpenFile(const QString& path) : path_(path) {
    struct stat st {};
    try {
        fd_ = OpenRegular(path, O_RDWR, st);
    } catch (const IoError& error) {
        throw error.WithPath(path);
    }
    // Root may write anything; the read-only attribute must hold for root as well.
    if ((st.st_mode & S_IWUSR) == 0) {
        ::close(std::exchange(fd_, -1));
        throw IoError::FromErrno(EACCES).WithPath(path);
    }
    size_ = st.st_size;
}

OpenFile::~OpenFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

QByteArray OpenFile::ReadAt(qint64 pos, qint64 n) const {
    ThrowIfNegative(pos, path_);
    QByteArray bytes(n, Qt::Uninitialized);
    qint64 done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd_, bytes.data() + done, size_t(n - done), pos + done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw IoError::FromErrno(errno).WithPath(path_);
        }
        if (got == 0)
            throw IoError::ReadBeyondEnd().WithPath(path_);
        done += got;
    }
    return bytes;
}

void OpenFile::WriteAt(qint64 pos, const QByteArray& bytes) {
    ThrowIfNegative(pos, path_);
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t put =
            ::pwrite(fd_, bytes.constData() + done, size_t(bytes.size() - done), pos + done);
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

void OpenFile::Truncate(qint64 size) {
    ThrowIfNegative(size, path_);
    int rc;
    do {
        rc = ::ftruncate(fd_, size);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0)
        throw IoError::FromErrno(errno).WithPath(path_);
}

void OpenFile::Close() {
    // Linux releases the descriptor even when close reports EINTR: never close it twice.
    if (::close(std::exchange(fd_, -1)) != 0 && errno != EINTR)
        throw IoError::FromErrno(errno).WithPath(path_);
}

QByteArray ReadWholeFile(const QString& path) {
    struct stat st {};
    int fd;
    try {
        fd = OpenRegular(path, O_RDONLY, st);
    } catch (const IoError& error) {
        throw error.WithPath(path);
    }
    const auto closer = qScopeGuard([fd] { ::close(fd); });
    if (st.st_size > kMaxWholeFileSize)
        throw IoError::TooLarge(kMaxWholeFileSize).WithPath(path);
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
        if (bytes.size() + got > kMaxWholeFileSize)
            throw IoError::TooLarge(kMaxWholeFileSize).WithPath(path);
        bytes.append(chunk, got);
    }
}

bool IsReadOnly(const QString& path) {
    struct stat st {};
    return StatPath(path, st) && (st.st_mode & S_IWUSR) == 0;
}

void MakeWritable(const QString& path) {
    struct stat st {};
    if (StatPath(path, st) && (st.st_mode & S_IWUSR) == 0)
        ::chmod(QFile::encodeName(path).constData(), (st.st_mode & 07777) | S_IWUSR);
}

bool RenameNoReplace(const QString& from, const QString& to) {
    if (from == to)
        return true;
    if (from.isEmpty() || to.isEmpty() || from.contains(QChar(0)) || to.contains(QChar(0)))
        return false;
    return QFile::rename(from, to);
}

QString ProgramDir() {
    const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    // Without /proc the executable cannot be found; the working folder is the best guess.
    const QString dir = exe.isEmpty() ? QDir::currentPath() : QFileInfo(exe).absolutePath();
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

} // namespace vantuke
