#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace vantuke {

// What the system says about one file: who it is (device and inode) and its state.
struct FileStat {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    quint32 mode = 0;     // type and permission bits, as st_mode
    qint64 mtimeNsec = 0; // modification time, nanoseconds since the epoch
};

// How a file is opened.
enum class OpenMode {
    // For reading only; works on read-only files and read-only media, and takes no lock.
    Read,
    // As Read, and the file's access time stays as it was (O_NOATIME, which the kernel grants
    // on the caller's own files and to root; on other files the open works as Read). For a
    // run that must leave every file exactly as it found it.
    Look,
    // For reading and writing under an exclusive lock on the whole file (an open file
    // description lock, F_OFD_SETLKW), held until the file is closed, so that two runs of
    // this program never change one file at the same time. A file whose owner-write
    // permission is missing counts as read-only and is refused with "File access denied",
    // also for root, whom the kernel would let write.
    Change,
};

// One open regular file (an existing file only), closed by the destructor on every path.
// Every failure throws IoError naming the file. Folders, devices and pipes are refused with
// "File access denied".
class OpenFile {
public:
    OpenFile(const QString& path, OpenMode mode);
    ~OpenFile();
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    const QString& Path() const { return path_; }
    // The file as it was once opened (and, for a change, locked).
    const FileStat& Stat() const { return stat_; }
    qint64 Size() const { return stat_.size; }
    // Reads exactly n bytes at pos into out. A negative pos fails like a seek before the
    // start ("I/O error 22"); fewer bytes than asked is "Read beyond end of file".
    void ReadAt(qint64 pos, char* out, qint64 n) const;
    // Writes all bytes at pos; a write that stops short is "Disk full". When written is given
    // it receives how many bytes reached the file, also when the write fails part-way.
    void WriteAt(qint64 pos, QByteArrayView bytes, qint64* written = nullptr);
    // Cuts the file at size; a negative size fails like a seek before the start.
    void Truncate(qint64 size);
    // Closes the file now and reports a failure the system only gives at close time (a
    // network file system may defer a write error until then). Nothing may follow it.
    void Close();

private:
    QString path_; // named by every error
    int fd_ = -1;
    FileStat stat_;
};

// The largest file ReadWholeFile takes: no playlist or settings file comes near it, and a
// larger one (a damaged or wrong file) would only exhaust memory.
inline constexpr qint64 kMaxWholeFileSize = 64 * 1024 * 1024;

// Reads a whole regular file opened for reading only (playlists, the settings file). A pipe
// or device is refused rather than waited on; a file over kMaxWholeFileSize, or one that
// grows past it while it is read, is refused with IoError::TooLarge. Throws IoError, naming
// the path.
QByteArray ReadWholeFile(const QString& path);

// The file or link the path names, without following a final symbolic link (unless
// followLink: then the file a final link leads to); nothing when no such name exists (or the
// path is no valid name).
std::optional<FileStat> StatPath(const QString& path, bool followLink = false);

// Adds the owner's write permission to a file (a final link is followed) that lacks it; true
// when the mode changed. Failures only give false.
bool MakeWritable(const QString& path);

// The errno an open for a change (OpenMode::Change) would meet now for want of write access
// (no permission, read-only media), 0 when it would get it. The owner-write permission, which
// Change checks on its own even for root, is not looked at here.
int WriteAccessError(const QString& path);

// True when MakeWritable would change the file now: it lacks the owner's write permission, and
// this process may change its mode (its owner or root) on a volume that is not read-only.
// Changes nothing.
bool CouldMakeWritable(const QString& path);

// What a folder allows of the names in it: the errno a change of a name in it meets for want of
// the folder itself (missing: ENOENT, ENOTDIR; no right to change it: EACCES, EROFS), 0 when
// none; and the longest name it takes, in bytes.
struct FolderAccess {
    int error = 0;
    qint64 nameMax = 255;
};
FolderAccess FolderAccessOf(const QString& folder);

// The errno RenameNoReplace(from, to) would meet for a reason other than a name that is
// already taken: a name that is no valid name or too long for its folder (EILSEQ,
// ENAMETOOLONG), or the error of either folder (given, or looked up). 0 when none applies.
// Changes nothing.
int RenameRefusal(const QString& from, const QString& to, const FolderAccess& fromFolder,
                  const FolderAccess& toFolder);
int RenameRefusal(const QString& from, const QString& to);

// Two names in one folder that differ in letter case alone: a case-insensitive volume (a USB
// stick) takes them for one name.
bool SameNameButCase(QStringView a, QStringView b);

// Renames a file; never replaces an existing name (a file, a folder or a symbolic link,
// dangling or not) and never copies. Uses renameat2 with RENAME_NOREPLACE; where the file
// system lacks it, link and unlink. A change of letter case alone on a case-insensitive
// volume goes through a temporary name in the same folder. Renaming to the file's own path
// succeeds without touching anything. Returns false on any failure, with nothing changed.
bool RenameNoReplace(const QString& from, const QString& to);

// A write beyond the process's file-size limit (ulimit -f) raises SIGXFSZ, which kills the
// program in the middle of a write. Ignored, the write fails with EFBIG instead and the tag
// operation puts the file back as it was.
void IgnoreFileSizeSignal();

} // namespace vantuke
