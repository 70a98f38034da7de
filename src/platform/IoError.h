#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace vantuke {

// A failure of the file system inside a tag operation or a playlist read. It carries the
// program's error code and the text the user sees in the error box. Nothing in the engine
// catches it: it ends the user action that was running.
class IoError : public std::exception {
public:
    // Codes the program uses beside the system's own.
    static constexpr int kReadBeyondEnd = 100; // "Read beyond end of file"
    static constexpr int kDiskFull = 101;      // "Disk full"
    static constexpr int kTooLarge = 102;      // "File too large (over %1 MiB)"

    IoError(int code, QString text);

    // The same error, naming the file (or playlist, or settings file) it came from. The
    // error box shows the path under the message; the message itself stays as it is.
    IoError WithPath(const QString& path) const;

    // Maps an errno value to the program's code and text:
    // ENOENT/ENOTDIR -> 2 "File not found"; ENAMETOOLONG/EILSEQ -> 3 "Invalid filename";
    // EMFILE/ENFILE -> 4 "Too many open files"; EACCES/EPERM/EROFS/ETXTBSY/EISDIR -> 5 "File
    // access denied" (a folder cannot be opened as a file); ENOSPC/EDQUOT -> "Disk full";
    // anything else -> "I/O error %d" with errno.
    static IoError FromErrno(int err);
    static IoError ReadBeyondEnd(); // a read that got fewer bytes than asked
    static IoError DiskFull();      // a write that put fewer bytes than asked
    // A file read whole (a playlist, the settings file) that is larger than the program takes.
    static IoError TooLarge(qint64 limitBytes);

    int Code() const { return code_; }
    const QString& Text() const { return text_; }
    // The file the error came from; empty when unknown.
    const QString& Path() const { return path_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    int code_;
    QString text_;
    QString path_;
    QByteArray utf8_;
};

// The error box's text: the message plus a full stop when its last character sorts after ".".
QString ErrorBoxText(const QString& message);

} // namespace vantuke
