#include "platform/IoError.h"

#include <cerrno>
#include <utility>

namespace vantuke {

IoError::IoError(int code, QString text)
    : code_(code), text_(std::move(text)), utf8_(text_.toUtf8()) {}

IoError IoError::WithPath(const QString& path) const {
    IoError error = *this;
    error.path_ = path;
    return error;
}

IoError IoError::FromErrno(int err) {
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return IoError(2, QStringLiteral("File not found"));
    case ENAMETOOLONG:
    case EILSEQ:
        return IoError(3, QStringLiteral("Invalid filename"));
    case EMFILE:
    case ENFILE:
        return IoError(4, QStringLiteral("Too many open files"));
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EISDIR:
        return IoError(5, QStringLiteral("File access denied"));
    case ENOSPC:
    case EDQUOT:
        return DiskFull();
    default:
        return IoError(err, QStringLiteral("I/O error %1").arg(err));
    }
}

IoError IoError::ReadBeyondEnd() {
    return IoError(kReadBeyondEnd, QStringLiteral("Read beyond end of file"));
}

IoError IoError::DiskFull() {
    return IoError(kDiskFull, QStringLiteral("Disk full"));
}

IoError IoError::TooLarge(qint64 limitBytes) {
    return IoError(kTooLarge,
                   QStringLiteral("File too large (over %1 MiB)").arg(limitBytes / (1024 * 1024)));
}

QString ErrorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

} // namespace vantuke
