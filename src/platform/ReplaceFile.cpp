#include "platform/ReplaceFile.h"

#include "platform/FileAccess.h"
#include "platform/IoError.h"
#include "platform/NameBytes.h"
#include "platform/StopSignals.h"

#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantuke {

namespace {

// The kernel's own limit on links followed in one path.
constexpr int kMaxLinkHops = 40;

[[noreturn]] void Fail(int err) {
    throw IoError::FromErrno(err);
}

// The path the chain of symbolic links starting at path ends in. A relative link target
// counts from the folder that holds the link, as the kernel reads it; the texts are joined,
// never cleaned, so "..", and folders that are links themselves, mean what they mean to the
// kernel. The end of the chain need not exist.
QByteArray EndOfLinkChain(QByteArray path) {
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        if (hops == kMaxLinkHops)
            Fail(ELOOP);
        QByteArray target(qsizetype(st.st_size) + 1, '\0');
        ssize_t length;
        // A link changed in between may have grown: read until the whole target fits.
        while ((length = ::readlink(path.constData(), target.data(), size_t(target.size()))) ==
               ssize_t(target.size()))
            target.resize(target.size() * 2);
        if (length < 0)
            Fail(errno);
        target.truncate(length);
        if (target.isEmpty())
            Fail(ENOENT);
        if (target.startsWith('/'))
            path = target;
        else
            path = path.left(path.lastIndexOf('/') + 1) + target;
    }
}

bool WriteAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

// Creates a new file beside target with a name no other file has.
int CreateTemporaryBeside(const QByteArray& target, QByteArray& tempName) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName = target + ".tmp" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// Whether the file target names holds exactly old now.
bool Holds(const QByteArray& target, QByteArrayView old) {
    QByteArray now;
    try {
        now = ReadWholeFile(NameFromBytes(target), kMaxWholeFileSize, OpenMode::Look);
    } catch (const IoError&) {
        return false;
    }
    return now == old;
}

// Replaces the content; with old, only while the file still holds it (false otherwise).
bool Replace(const QString& path, const QByteArray& bytes, const QByteArrayView* old) {
    bool ok = false;
    const QByteArray named = NameToBytes(path, &ok);
    if (!ok || path.isEmpty() || path.contains(QChar(0)))
        Fail(EILSEQ);
    const QByteArray target = EndOfLinkChain(named);

    struct stat now {};
    const bool exists = ::stat(target.constData(), &now) == 0;
    if (!exists && old)
        return false;
    if (exists && S_ISDIR(now.st_mode))
        Fail(EISDIR);
    // A pipe or device would be replaced by a plain file, or block the program.
    if (exists && !S_ISREG(now.st_mode))
        Fail(EACCES);
    if (exists && (now.st_mode & S_IWUSR) == 0)
        Fail(EACCES);

    // A signal that would end the program waits until the temporary file is renamed over the
    // old one or removed, so that none is left behind.
    const HeldStopSignals held;
    QByteArray tempName;
    const int fd = CreateTemporaryBeside(target, tempName);
    if (fd < 0)
        Fail(errno);
    if (exists) {
        // Best effort: the new file keeps the old one's owner and permissions.
        [[maybe_unused]] const int chownResult = ::fchown(fd, now.st_uid, now.st_gid);
        ::fchmod(fd, now.st_mode & 07777);
    }
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    const int closeError = errno;
    if (!written || !closed) {
        ::unlink(tempName.constData());
        Fail(!written ? writeError : closeError);
    }
    // The last look, as late as it can be: a change made meanwhile is not overwritten.
    if (old && !Holds(target, *old)) {
        ::unlink(tempName.constData());
        return false;
    }
    if (::rename(tempName.constData(), target.constData()) != 0) {
        const int renameError = errno;
        ::unlink(tempName.constData());
        Fail(renameError);
    }
    return true;
}

} // namespace

void ReplaceFileContents(const QString& path, const QByteArray& bytes) {
    Replace(path, bytes, nullptr);
}

bool ReplaceFileContentsIf(const QString& path, QByteArrayView old, const QByteArray& bytes) {
    return Replace(path, bytes, &old);
}

} // namespace vantuke
