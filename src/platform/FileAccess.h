#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>

namespace vantuke {

// The permission bits of a mode (as st_mode), without the file's type.
constexpr quint32 PermissionBits(quint32 mode) {
    return mode & 07777;
}

// What the system says about one file: who it is (device and inode) and its state.
struct FileStat {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    quint32 mode = 0;     // type and permission bits, as st_mode
    qint64 atimeNsec = 0; // last access, nanoseconds since the epoch
    qint64 mtimeNsec = 0; // modification time, nanoseconds since the epoch

    bool IsRegularFile() const;
    // The program's read-only attribute is the owner's write permission missing.
    bool IsReadOnly() const { return (mode & kOwnerWrite) == 0; }
    static constexpr quint32 kOwnerWrite = 0200;
};

// How a file is opened.
enum class OpenMode {
    // For reading only; works on read-only files and read-only media, and takes no lock.
    Read,
    // For reading and writing under an exclusive lock on the whole file (an open file
    // description lock, F_OFD_SETLKW), held until the file is closed, so that two runs of
    // this program never change one file at the same time. A file whose owner-write
    // permission is missing counts as read-only and is refused with "File access denied",
    // also for root, whom the kernel would let write.
    Change,
    // For reading only under a shared lock on the whole file: it waits while a run changes
    // the file and keeps one from changing it until closed. Works on read-only files.
    ReadShared,
};

// While alive, a file about to be opened by this thread for OpenMode::Change or ReadShared
// whose lock another open file description holds is first shown to beforeWait, and only
// then waited for. A run that keeps files open and locked itself lets go of them there,
// instead of waiting for ever on its own lock. One at a time per thread.
class LockWaitHook {
public:
    explicit LockWaitHook(std::function<void(const FileStat&)> beforeWait);
    ~LockWaitHook();
    LockWaitHook(const LockWaitHook&) = delete;
    LockWaitHook& operator=(const LockWaitHook&) = delete;
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
    // True when the file still has the size it had when opened, or that this object's own
    // changes gave it: no other program cut or lengthened it meanwhile.
    bool SizeUnchanged() const;
    // Sets the file's access and modification times (nanoseconds since the epoch); the
    // system sets its change time to now, which no program can set back.
    void SetTimes(qint64 atimeNsec, qint64 mtimeNsec);
    // Sets the permission bits (the low twelve bits of mode).
    void SetMode(quint32 mode);
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
// or device is refused rather than waited on; a file over limit bytes, or one that grows
// past it while it is read, is refused with IoError::TooLarge. Throws IoError, naming the
// path.
QByteArray ReadWholeFile(const QString& path, qint64 limit = kMaxWholeFileSize);

// The file or link the path names, without following a final symbolic link; nothing when
// no such name exists (or the path is no valid name).
std::optional<FileStat> StatPath(const QString& path);
// The same, following symbolic links to the file they finally name.
std::optional<FileStat> StatTarget(const QString& path);

// Adds the owner's write permission to a file (a final link is followed) that lacks it; true
// when the mode changed. Failures only give false.
bool MakeWritable(const QString& path);

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

// Raises this process's limit of open files to the most the system allows it, for a run that
// keeps many files open at once; returns the limit now in force.
qint64 RaiseOpenFileLimit();

// A file the program keeps records in (the undo history): written only at its end, flushed
// to the disk on request, and readable and writable by its owner alone. Closed by the
// destructor. Every failure throws IoError naming the file.
class RecordFile {
public:
    enum class How {
        CreateNew,    // a new file of mode 0600; an existing name fails ("I/O error 17")
        OpenExisting, // an existing file, to add to it
    };
    RecordFile(const QString& path, How how);
    ~RecordFile();
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // Takes an exclusive lock on the whole file without waiting; false when another open
    // file description holds one. The lock ends when the file is closed (or the process
    // ends, killed or not).
    bool TryLock();
    // Writes all bytes at the end of the file.
    void Append(QByteArrayView bytes);
    // Waits until everything written has reached the disk (fdatasync). The first time, the
    // folder is flushed too, so that the file's name survives a power loss as well.
    void Sync();
    void Close();
    const QString& Path() const { return path_; }

private:
    QString path_;
    int fd_ = -1;
    bool folderSynced_ = false;
};

// Removes a file's name; false when it cannot be removed.
bool RemoveFile(const QString& path);

} // namespace vantuke
