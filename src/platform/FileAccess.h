#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace vantuke {

// One open file, opened for reading and writing (an existing file only; others may open it
// at the same time). Closed by the destructor on every path. Every failure throws IoError.
// A file whose owner-write permission is missing counts as read-only and is refused with
// "File access denied", also for root, which the kernel would let through. Only regular
// files are opened: folders, devices and pipes are refused the same way.
class OpenFile {
public:
    explicit OpenFile(const QString& path);
    ~OpenFile();
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    const QString& Path() const { return path_; }
    // The size when the file was opened.
    qint64 Size() const { return size_; }
    // Reads exactly n bytes at pos. A negative pos fails like a seek before the start
    // ("I/O error 22"); fewer bytes than asked is "Read beyond end of file".
    QByteArray ReadAt(qint64 pos, qint64 n) const;
    // Writes all bytes at pos in one call; a short write is "Disk full".
    void WriteAt(qint64 pos, const QByteArray& bytes);
    // Cuts the file at size; a negative size fails like a seek before the start.
    void Truncate(qint64 size);
    // Closes the file now and reports a failure the system only gives at close time (a
    // network file system may defer a write error until then). Nothing may follow it.
    void Close();

private:
    QString path_; // named by every error
    int fd_ = -1;
    qint64 size_ = 0;
};

// The largest file ReadWholeFile takes: no playlist or settings file comes near it, and a
// larger one (a damaged or wrong file) would only exhaust memory.
inline constexpr qint64 kMaxWholeFileSize = 64 * 1024 * 1024;

// Reads a whole regular file opened for reading only (playlists, the settings file). A pipe
// or device is refused rather than waited on; a file over kMaxWholeFileSize, or one that
// grows past it while it is read, is refused with IoError::TooLarge. Throws IoError, naming
// the path.
QByteArray ReadWholeFile(const QString& path);

// True when the file exists and lacks the owner's write permission.
bool IsReadOnly(const QString& path);
// Adds the owner's write permission; failures are ignored.
void MakeWritable(const QString& path);

// Renames a file; never replaces an existing file. Renaming to the file's own path
// succeeds without touching anything. Returns false on any failure.
bool RenameNoReplace(const QString& from, const QString& to);

// The folder of the running executable, with a trailing "/".
QString ProgramDir();

} // namespace vantuke
