#include "platform/IoError.h"

#include <cerrno>
#include <utility>

namespace vantuke {

namespace {

IoError::Kind KindOfCode(int code) {
    switch (code) {
    case IoError::kFileNotFound:
        return IoError::Kind::FileNotFound;
    case IoError::kInvalidFilename:
        return IoError::Kind::InvalidFilename;
    case IoError::kTooManyOpenFiles:
        return IoError::Kind::TooManyOpenFiles;
    case IoError::kAccessDenied:
        return IoError::Kind::AccessDenied;
    case IoError::kReadBeyondEnd:
        return IoError::Kind::ReadBeyondEnd;
    case IoError::kDiskFull:
        return IoError::Kind::DiskFull;
    case IoError::kTooLarge:
        return IoError::Kind::TooLarge;
    default:
        return IoError::Kind::System;
    }
}

} // namespace

IoError::IoError(int code, QString text) : IoError(KindOfCode(code), code, std::move(text)) {}

IoError::IoError(Kind kind, int code, QString text)
    : kind_(kind), code_(code), text_(std::move(text)), utf8_(text_.toUtf8()) {}

IoError IoError::WithPath(const QString& path) const {
    IoError error = *this;
    error.path_ = path;
    return error;
}

IoError IoError::FromErrno(int err) {
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return IoError(Kind::FileNotFound, kFileNotFound, QStringLiteral("File not found"));
    case ENAMETOOLONG:
    case EILSEQ:
        return IoError(Kind::InvalidFilename, kInvalidFilename, QStringLiteral("Invalid filename"));
    case EMFILE:
    case ENFILE:
        return IoError(Kind::TooManyOpenFiles, kTooManyOpenFiles,
                       QStringLiteral("Too many open files"));
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EISDIR:
        return IoError(Kind::AccessDenied, kAccessDenied, QStringLiteral("File access denied"));
    case ENOSPC:
    case EDQUOT:
        return DiskFull();
    default:
        return IoError(Kind::System, err, QStringLiteral("I/O error %1").arg(err));
    }
}

IoError IoError::ReadBeyondEnd() {
    return IoError(Kind::ReadBeyondEnd, kReadBeyondEnd, QStringLiteral("Read beyond end of file"));
}

IoError IoError::DiskFull() {
    return IoError(Kind::DiskFull, kDiskFull, QStringLiteral("Disk full"));
}

IoError IoError::TooLarge(qint64 limitBytes) {
    return IoError(Kind::TooLarge, kTooLarge,
                   QStringLiteral("File too large (over %1 MiB)").arg(limitBytes / (1024 * 1024)));
}

QString ErrorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

} // namespace vantuke
