#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <memory>
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
    // As Read, and the file's access time stays as it was (O_NOATIME, which the kernel grants
    // on the caller's own files and to root; on other files the open works as Read). For a
    // run that must leave every file exactly as it found it.
    Look,
    // For reading and writing under an exclusive lock on the whole file (an open file
    // description lock, F_OFD_SETLKW), held until the file is closed, so that two runs of
    // this program never change one file at the same time. A file whose owner-write
    // permission is missing counts as read-only and is refused with "File access denied",
    // also for root, whom the kernel would let write. Reading leaves the access time as Look
    // does: the undo history records the times a run found, however often it reads.
    Change,
    // For reading only under a shared lock on the whole file: it waits while a run changes
    // the file and keeps one from changing it until closed. Works on read-only files; the
    // access time stays as it was where the kernel allows.
    ReadShared,
};

// Whether an open that locks (OpenMode::Change, ReadShared) waits while another open file
// description holds a conflicting lock.
enum class LockWait {
    Wait,
    // The file is opened all the same, without the lock, and OpenFile::Busy says so. A caller
    // that holds locks itself opens this way, so that it never waits for a lock while another
    // waits for one of its own.
    DontWait,
};

// Takes over the descriptors of files whose users are done with them, to close them without
// the users waiting (on a network file system a close waits for a round trip too).
class FileCloser {
public:
    virtual ~FileCloser() = default;
    virtual void CloseLater(int fd) = 0;
};

// One open regular file (an existing file only), closed by the destructor on every path.
// Every failure throws IoError naming the file. Folders, devices and pipes are refused with
// "File access denied".
class OpenFile {
public:
    OpenFile(const QString& path, OpenMode mode, LockWait wait = LockWait::Wait);
    ~OpenFile();
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    // The file (and its lock) goes to the new object; the old one is left closed.
    OpenFile(OpenFile&& other) noexcept;
    OpenFile& operator=(OpenFile&&) = delete;

    const QString& Path() const { return path_; }
    // The file as it was once opened (and, for a change, locked).
    const FileStat& Stat() const { return stat_; }
    qint64 Size() const { return stat_.size; }
    // True when opened with LockWait::DontWait while another open file description held the
    // lock: the file is open without it, and its size may change under it.
    bool Busy() const { return busy_; }
    // Reads exactly n bytes at pos into out. A negative pos fails like a seek before the
    // start ("I/O error 22"); fewer bytes than asked is "Read beyond end of file".
    void ReadAt(qint64 pos, char* out, qint64 n) const;
    // Reads the first headBytes and the last tailBytes bytes of the file now (as far as it
    // has them), so that a later ReadAt within either is answered from memory, until the file
    // is written or cut. A read that fails keeps nothing and reports nothing: the ReadAt that
    // would have used it then meets the failure itself.
    void ReadInAdvance(qint64 headBytes, qint64 tailBytes);
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
    // From now on the destructor hands the descriptor to closer instead of closing it: for a
    // file opened for reading only, whose close reports nothing anyone needs.
    void CloseThrough(std::shared_ptr<FileCloser> closer) { closer_ = std::move(closer); }

private:
    // Bytes read in advance: the first head_.size() bytes, and tail_ from tailStart_ on.
    bool ReadFromMemory(qint64 pos, char* out, qint64 n) const;
    void ForgetReadInAdvance();

    QString path_; // named by every error
    int fd_ = -1;
    FileStat stat_;
    bool busy_ = false;
    std::shared_ptr<FileCloser> closer_;
    QByteArray head_;
    QByteArray tail_;
    qint64 tailStart_ = 0;
};

// The largest file ReadWholeFile takes: no playlist or settings file comes near it, and a
// larger one (a damaged or wrong file) would only exhaust memory.
inline constexpr qint64 kMaxWholeFileSize = 64 * 1024 * 1024;

// Reads a whole regular file opened for reading only (playlists, the settings file); mode is
// OpenMode::Read, or OpenMode::Look to leave its access time as it was. A pipe or device is
// refused rather than waited on; a file over limit bytes, or one that grows past it while it
// is read, is refused with IoError::TooLarge. Throws IoError, naming the path.
QByteArray ReadWholeFile(const QString& path, qint64 limit = kMaxWholeFileSize,
                         OpenMode mode = OpenMode::Read);

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
