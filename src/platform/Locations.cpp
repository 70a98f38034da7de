#include "platform/Locations.h"

#include "platform/IoError.h"
#include "platform/NameBytes.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantuke {

namespace {

QString WithSlash(QString dir) {
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

// An environment variable that holds an absolute path; empty otherwise. Folder variables
// with a relative path are to be ignored, so a stray "XDG_CONFIG_HOME=." cannot make the
// program write into whatever folder it was started from.
QString AbsoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/')
        return QString();
    return NameFromBytes(value);
}

QString FolderFromEnvironment(const char* name, const char* belowHome) {
    const QString dir = AbsoluteFromEnvironment(name);
    return dir.isEmpty() ? HomeDir() + QLatin1String(belowHome) : WithSlash(dir);
}

} // namespace

QString ProgramDir() {
    // The kernel's own link to the running executable, symbolic links resolved.
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n <= 0 || n == ssize_t(sizeof buffer))
        return WorkingDir(); // without /proc the working folder is the best guess
    QByteArrayView exe(buffer, n);
    return NameFromBytes(exe.first(exe.lastIndexOf('/') + 1));
}

QString WorkingDir() {
    // A working folder deeper than PATH_MAX is possible; the buffer grows until it fits.
    QByteArray buffer(PATH_MAX, Qt::Uninitialized);
    while (::getcwd(buffer.data(), size_t(buffer.size())) == nullptr) {
        if (errno != ERANGE)
            return QString();
        buffer.resize(buffer.size() * 2);
    }
    return WithSlash(
        NameFromBytes(QByteArrayView(buffer.constData(), qstrlen(buffer.constData()))));
}

QString HomeDir() {
    QString home = AbsoluteFromEnvironment("HOME");
    if (home.isEmpty()) {
        if (const passwd* account = ::getpwuid(::getuid()); account && account->pw_dir)
            home = NameFromBytes(account->pw_dir);
    }
    return home.isEmpty() ? QStringLiteral("/") : WithSlash(home);
}

QString ConfigHome() {
    return FolderFromEnvironment("XDG_CONFIG_HOME", ".config/");
}

QString StateHome() {
    return FolderFromEnvironment("XDG_STATE_HOME", ".local/state/");
}

bool IsWritableFolder(const QString& dir) {
    bool ok = false;
    const QByteArray native = NameToBytes(dir, &ok);
    struct stat st {};
    if (!ok || dir.isEmpty() || ::stat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    // Creating a file takes write and search permission on the folder.
    return ::faccessat(AT_FDCWD, native.constData(), W_OK | X_OK, AT_EACCESS) == 0;
}

void MakeFolders(const QString& dir) {
    bool ok = false;
    QByteArray native = NameToBytes(dir, &ok);
    if (!ok || dir.isEmpty())
        throw IoError::FromErrno(EILSEQ).WithPath(dir);
    while (native.size() > 1 && native.endsWith('/'))
        native.chop(1);
    // Each prefix ending before a "/", then the whole path.
    for (qsizetype end = native.indexOf('/', 1);; end = native.indexOf('/', end + 1)) {
        const QByteArray part = end < 0 ? native : native.first(end);
        if (::mkdir(part.constData(), 0700) != 0 && errno != EEXIST)
            throw IoError::FromErrno(errno).WithPath(dir);
        if (end < 0)
            break;
    }
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        throw IoError::FromErrno(errno).WithPath(dir);
    if (!S_ISDIR(st.st_mode))
        throw IoError::FromErrno(ENOTDIR).WithPath(dir);
}

void MakePrivateFolder(const QString& dir) {
    MakeFolders(dir);
    const QByteArray native = NameToBytes(dir);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        throw IoError::FromErrno(errno).WithPath(dir);
    if ((st.st_mode & 07777) != 0700 && ::chmod(native.constData(), 0700) != 0)
        throw IoError::FromErrno(errno).WithPath(dir);
}

} // namespace vantuke
