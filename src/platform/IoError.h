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
    // What went wrong, by the program's own error codes. A failure the program has no text
    // of its own for keeps the system's error number as its code ("I/O error %d"), so the
    // number alone does not tell the kinds apart (EIO is 5 as well): ask Kind().
    enum class Kind {
        FileNotFound,     // kFileNotFound, "File not found"
        InvalidFilename,  // kInvalidFilename, "Invalid filename"
        TooManyOpenFiles, // kTooManyOpenFiles, "Too many open files"
        AccessDenied,     // kAccessDenied, "File access denied"
        ReadBeyondEnd,    // kReadBeyondEnd, "Read beyond end of file"
        DiskFull,         // kDiskFull, "Disk full"
        TooLarge,         // kTooLarge, "File too large (over %1 MiB)"
        System,           // the errno value, "I/O error %d"
    };
    static constexpr int kFileNotFound = 2;
    static constexpr int kInvalidFilename = 3;
    static constexpr int kTooManyOpenFiles = 4;
    static constexpr int kAccessDenied = 5;
    static constexpr int kReadBeyondEnd = 100;
    static constexpr int kDiskFull = 101;
    static constexpr int kTooLarge = 102;

    // An error with a text of the caller's; its kind follows from the code as above.
    IoError(int code, QString text);

    // The same error, naming the file (or playlist, or settings file) it came from. The
    // error box shows the path under the message; the message itself stays as it is.
    IoError WithPath(const QString& path) const;

    // Maps an errno value to the program's code and text:
    // ENOENT/ENOTDIR -> "File not found"; ENAMETOOLONG/EILSEQ -> "Invalid filename";
    // EMFILE/ENFILE -> "Too many open files"; EACCES/EPERM/EROFS/ETXTBSY/EISDIR -> "File
    // access denied" (a folder cannot be opened as a file); ENOSPC/EDQUOT -> "Disk full";
    // anything else -> "I/O error %d" with errno.
    static IoError FromErrno(int err);
    static IoError ReadBeyondEnd(); // a read that got fewer bytes than asked
    static IoError DiskFull();      // a write that put fewer bytes than asked
    // A file read whole (a playlist, the settings file) that is larger than the program takes.
    static IoError TooLarge(qint64 limitBytes);

    Kind ErrorKind() const { return kind_; }
    int Code() const { return code_; }
    const QString& Text() const { return text_; }
    // The file the error came from; empty when unknown.
    const QString& Path() const { return path_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    IoError(Kind kind, int code, QString text);

    Kind kind_;
    int code_;
    QString text_;
    QString path_;
    QByteArray utf8_;
};

// The error box's text: the message plus a full stop when its last character sorts after ".".
QString ErrorBoxText(const QString& message);

} // namespace vantuke
