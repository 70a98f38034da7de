#include "platform/Streams.h"

#include "platform/IoError.h"
#include "platform/NameBytes.h"

#include <QByteArray>
#include <QScopeGuard>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace vantuke {

namespace {

// Reads fd to its end in blocks and hands out the records; a record that spans two blocks is
// joined first. Throws IoError naming the path.
void ReadRecordsFrom(int fd, const QString& path, char separator,
                     const std::function<void(QByteArrayView)>& visit) {
    QByteArray pending;
    char block[65536];
    for (;;) {
        const ssize_t got = ::read(fd, block, sizeof block);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw IoError::FromErrno(errno).WithPath(path);
        }
        if (got == 0)
            break;
        QByteArrayView rest(block, got);
        for (qsizetype end; (end = rest.indexOf(separator)) >= 0; rest = rest.sliced(end + 1)) {
            if (pending.isEmpty()) {
                if (end > 0)
                    visit(rest.first(end));
            } else {
                pending.append(rest.first(end));
                visit(pending);
                pending.clear();
            }
        }
        pending.append(rest);
    }
    if (!pending.isEmpty())
        visit(pending);
}

} // namespace

void ReadRecords(const QString& path, char separator,
                 const std::function<void(QByteArrayView)>& visit) {
    bool ok = false;
    const QByteArray native = NameToBytes(path, &ok);
    if (!ok || path.isEmpty() || path.contains(QChar(0)))
        throw IoError::FromErrno(EILSEQ).WithPath(path);
    int fd;
    do {
        fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        throw IoError::FromErrno(errno).WithPath(path);
    const auto closer = qScopeGuard([fd] { ::close(fd); });
    ReadRecordsFrom(fd, path, separator, visit);
}

void ReadStandardInputRecords(char separator, const std::function<void(QByteArrayView)>& visit) {
    ReadRecordsFrom(STDIN_FILENO, QStringLiteral("-"), separator, visit);
}

bool StandardOutputIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

bool StandardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

} // namespace vantuke
