#pragma once

#include "platform/FileAccess.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vantuke {

// How many I/O threads pay for reading ahead the files under a path (a file or a folder):
// on a network file system (NFS, SMB/CIFS, FUSE such as sshfs, and the like) each open, stat
// and read waits for a round trip, and many threads overlap the waits; on a local disk the
// calls take microseconds and threads only add their cost, so there are none. The
// environment variable VANTUKE_IO_THREADS, when it holds a number, is taken instead (0: no
// read-ahead), for tests and benchmarks.
int IoThreadsFor(const QString& path);

// Calls work(k) for every k below count, on up to threads threads at once (the calling
// thread among them), and returns once all calls are done. work must not throw.
void InParallel(qsizetype count, int threads, const std::function<void(qsizetype)>& work);

// What is read of each file in advance.
struct AheadBytes {
    qint64 head = 0; // from the start
    qint64 tail = 0; // up to the end
    // Opened for a look only (OpenMode::Look), whatever the mode of the others: a file that
    // is looked at before it may be opened for a change at all.
    bool lookOnly = false;
};

// Opens files ahead of their use, in the order of a list, on a small pool of I/O threads,
// and reads their first and last bytes (OpenFile::ReadInAdvance), so that the waits of a
// network file system overlap. The user takes each file as it reaches it, on its own thread,
// and sees no thread: a file not prepared (yet to come, or its open or read failed) is
// simply not there to take, and the caller opens it itself and meets what the read-ahead met,
// at the same point. A file opened for OpenMode::Change or ReadShared is locked as such an
// open locks it; a lock held elsewhere is never waited for (that file is left to its user),
// and a lock this process itself wants (an open of the same file, by any name) is let go of.
// The pool goes no more than a few files per thread ahead of the user, so few files are
// open at once. A file given out for reading only (OpenMode::Read, Look) is closed by the
// pool once its user is done with it, so that the user does not wait for that either. Not
// thread-safe: one user.
class ReadAhead {
public:
    // threads: IoThreadsFor the first path when not given; with 0 nothing is read ahead.
    ReadAhead(const QStringList& paths, OpenMode mode, AheadBytes bytes,
              std::optional<int> threads = std::nullopt);
    // The same, with what is read of each file given for each path (bytesOfEach[k] for
    // paths[k]).
    ReadAhead(const QStringList& paths, OpenMode mode, std::vector<AheadBytes> bytesOfEach,
              std::optional<int> threads = std::nullopt);
    // Stops the pool (waiting for the calls in flight) and closes the files not taken; files
    // given out and still in use close by themselves from then on.
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The number of I/O threads working.
    int Threads() const;
    // The prepared file of the next entry of the list named path (those before it are
    // passed over and their files closed), when one within reach of the pool is, and it was
    // opened with mode: waits while that entry is in work. Nothing when path is not among
    // them, the mode differs (the entry then stays as it is), or its preparation failed: the
    // caller opens the file itself.
    std::optional<OpenFile> Take(const QString& path, OpenMode mode);
    // Waits until no thread is in the middle of an entry: every file opened so far is either
    // there to take or closed. A file this process wants (LockWanted) is then let go of.
    void Settle();
    // The file Take would give, for a look at it before its use: it stays for the Take of
    // the same path that follows, and is dropped by a Take or Peek of another. Null when Take
    // would give nothing.
    const OpenFile* Peek(const QString& path, OpenMode mode);

    // The threads and their entries (known to the file layer only).
    struct Pool;

private:
    std::shared_ptr<Pool> pool_;
    std::optional<OpenFile> peeked_;
    OpenMode peekedMode_ = OpenMode::Look;
};

// While alive, the files read ahead in this process let go of the lock on a file (named by
// its device and inode), and none takes it: what an open that is about to wait for that lock
// puts up first (OpenFile does), so that it never waits for a file no one will close.
class LockWanted {
public:
    explicit LockWanted(const FileStat& file);
    ~LockWanted();
    LockWanted(const LockWanted&) = delete;
    LockWanted& operator=(const LockWanted&) = delete;

private:
    quint64 device_;
    quint64 inode_;
};

} // namespace vantuke
