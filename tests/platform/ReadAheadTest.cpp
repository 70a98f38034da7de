// Reading files ahead of their use on I/O threads: the user gets each prepared file exactly
// as its own open would have given it, or none, and opens it itself; no lock is waited for
// or kept against the process's own opens; nothing stays open.
#include "platform/ReadAhead.h"
#include "platform/Directory.h"
#include "platform/FileAccess.h"
#include "platform/IoError.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <atomic>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace vantuke;
using testsupport::ErrorCodeOf;
using testsupport::OpenDescriptors;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WaitUntilLocked;
using testsupport::WriteFile;

constexpr AheadBytes kTail{0, 128};

// Files "0.mp3" ... of different sizes and bytes, by full path.
QStringList MakeFiles(const TempDir& dir, int count) {
    QStringList paths;
    for (int k = 0; k < count; ++k) {
        paths << dir.Path(QString::number(k) + ".mp3");
        WriteFile(paths.last(),
                  QByteArray(200 + k * 7, char('a' + k % 26)) + QByteArray::number(k));
    }
    return paths;
}

QByteArray TailOf(const OpenFile& file, qint64 n) {
    QByteArray bytes(n, '\0');
    file.ReadAt(file.Size() - n, bytes.data(), n);
    return bytes;
}

// Files read ahead under a shared lock (OpenMode::ReadShared) show when the pool has them,
// so that the tests need not guess whether it got ahead of them.
TEST(ReadAhead, GivesEveryFileInOrderAsItsOwnOpenWould) {
    TempDir dir;
    const QStringList paths = MakeFiles(dir, 40);
    const int before = OpenDescriptors();
    {
        ReadAhead ahead(paths, OpenMode::ReadShared, kTail, 4);
        EXPECT_EQ(ahead.Threads(), 4);
        for (const QString& path : paths) {
            WaitUntilLocked(path);
            std::optional<OpenFile> file = ahead.Take(path, OpenMode::ReadShared);
            ASSERT_TRUE(file) << path.toStdString();
            const OpenFile own(path, OpenMode::Read);
            EXPECT_EQ(file->Path(), path);
            EXPECT_EQ(file->Stat().inode, own.Stat().inode);
            EXPECT_EQ(file->Size(), own.Size());
            EXPECT_EQ(TailOf(*file, 128), TailOf(own, 128));
            // Beyond what was read ahead, the file itself answers.
            EXPECT_EQ(TailOf(*file, 150), TailOf(own, 150));
        }
    }
    EXPECT_EQ(OpenDescriptors(), before);
}

// The user may go past entries, ask for a path not in reach, or in another mode: it gets
// nothing then and opens the file itself, and the entries after still come prepared.
TEST(ReadAhead, PassedMissingAndOtherModeEntriesAreLeftToTheUser) {
    TempDir dir;
    QStringList paths = MakeFiles(dir, 12);
    paths.insert(5, dir.Path("missing.mp3"));
    const OpenMode mode = OpenMode::ReadShared;
    const int before = OpenDescriptors();
    {
        ReadAhead ahead(paths, mode, kTail, 3);
        WaitUntilLocked(paths.at(2));
        EXPECT_TRUE(ahead.Take(paths.at(2), mode)); // 0 and 1 passed
        EXPECT_FALSE(ahead.Take(paths.at(1), mode));
        EXPECT_FALSE(ahead.Take(dir.Path("elsewhere.mp3"), mode));
        WaitUntilLocked(paths.at(4));
        EXPECT_FALSE(ahead.Take(paths.at(3), OpenMode::Read));
        EXPECT_TRUE(ahead.Take(paths.at(4), mode)); // 3 passed
        EXPECT_FALSE(ahead.Take(paths.at(5), mode));
        EXPECT_EQ(ErrorCodeOf([&] { OpenFile own(paths.at(5), mode); }), 2);
        WaitUntilLocked(paths.last());
        EXPECT_TRUE(ahead.Take(paths.last(), mode));
    }
    EXPECT_EQ(OpenDescriptors(), before) << "files prepared and passed over are closed";

    // Without threads nothing is prepared.
    ReadAhead none(paths, mode, kTail, 0);
    EXPECT_EQ(none.Threads(), 0);
    EXPECT_FALSE(none.Take(paths.first(), mode));
}

// A file may be looked at before its use: Peek gives the file Take then gives, with the
// bytes read in advance for its entry alone; a Take or Peek of another path drops it.
TEST(ReadAhead, APeekedFileIsTheOneTakenWithItsOwnBytesReadInAdvance) {
    TempDir dir;
    const QStringList paths = MakeFiles(dir, 8);
    const OpenMode mode = OpenMode::ReadShared;
    std::vector<AheadBytes> bytes(size_t(paths.size()), kTail);
    bytes[1] = {10, 128};
    const int before = OpenDescriptors();
    {
        // One thread prepares one entry after the other: once entry 3 is locked, entries 0
        // to 2 are read.
        ReadAhead ahead(paths, mode, bytes, 1);
        WaitUntilLocked(paths.at(3));
        // Every file on disk is cut now: what is read from here on comes from memory.
        for (const QString& path : paths)
            ASSERT_EQ(::truncate(QFile::encodeName(path).constData(), 0), 0);
        char head[10];
        const OpenFile* peeked = ahead.Peek(paths.at(1), mode);
        ASSERT_TRUE(peeked);
        EXPECT_EQ(ahead.Peek(paths.at(1), mode), peeked);
        peeked->ReadAt(0, head, 10);
        EXPECT_EQ(QByteArray(head, 10), QByteArray(10, 'b'));
        const quint64 inode = peeked->Stat().inode;
        std::optional<OpenFile> taken = ahead.Take(paths.at(1), mode);
        ASSERT_TRUE(taken);
        EXPECT_EQ(taken->Stat().inode, inode);
        EXPECT_EQ(taken->Size(), 208);
        EXPECT_EQ(TailOf(*taken, 1), "1");
        taken.reset();

        // Entry 2 had its tail read ahead, not its head.
        peeked = ahead.Peek(paths.at(2), mode);
        ASSERT_TRUE(peeked);
        EXPECT_EQ(TailOf(*peeked, 128).right(1), "2");
        EXPECT_EQ(ErrorCodeOf([&] { peeked->ReadAt(0, head, 10); }), IoError::kReadBeyondEnd);
        // A look at a path out of reach gives nothing and drops entry 2, which is not given
        // again.
        EXPECT_FALSE(ahead.Peek(dir.Path("elsewhere.mp3"), mode));
        EXPECT_FALSE(ahead.Take(paths.at(2), mode));
        EXPECT_FALSE(ahead.Peek(paths.at(4), OpenMode::Read)) << "another mode";
        WaitUntilLocked(paths.at(5));
        EXPECT_TRUE(ahead.Peek(paths.at(5), mode));
    }
    EXPECT_EQ(OpenDescriptors(), before) << "a file looked at and never taken is closed";
}

// Files read ahead for reading only are closed by the pool once dropped, and by themselves
// once the pool is gone: none stays open.
TEST(ReadAhead, FilesForReadingAreClosedByThePoolOrByThemselves) {
    TempDir dir;
    const QStringList paths = MakeFiles(dir, 30);
    const int before = OpenDescriptors();
    std::vector<OpenFile> kept;
    {
        ReadAhead ahead(paths, OpenMode::Read, kTail, 4);
        for (const QString& path : paths) {
            std::optional<OpenFile> file = ahead.Take(path, OpenMode::Read);
            if (file && kept.size() < 3)
                kept.push_back(std::move(*file));
        }
    }
    kept.clear();
    EXPECT_EQ(OpenDescriptors(), before);
}

// Bytes read in advance serve only while the file is as read: after a write or a cut, the
// file itself answers, and reading past its end fails as it would have.
TEST(ReadAhead, BytesReadInAdvanceAreForgottenOnceTheFileChanges) {
    TempDir dir;
    const QString path = dir.Path("f.mp3");
    WriteFile(path, QByteArray(300, 'a') + QByteArray(128, 't'));
    OpenFile file(path, OpenMode::Change);
    file.ReadInAdvance(10, 128);
    file.WriteAt(300, QByteArray(128, 'n'));
    EXPECT_EQ(TailOf(file, 128), QByteArray(128, 'n'));
    char head[10];
    file.ReadAt(0, head, 10);
    EXPECT_EQ(QByteArray(head, 10), QByteArray(10, 'a'));

    file.ReadInAdvance(0, 128);
    file.Truncate(300);
    char out[128];
    EXPECT_EQ(ErrorCodeOf([&] { file.ReadAt(300, out, 128); }), IoError::kReadBeyondEnd);

    // A file shorter than both together is read once, whole; reads past it still fail.
    const QString small = dir.Path("small");
    WriteFile(small, "0123456789");
    OpenFile whole(small, OpenMode::Read);
    whole.ReadInAdvance(8, 8);
    ::truncate(QFile::encodeName(small).constData(), 0); // memory answers from here on
    char middle[6];
    whole.ReadAt(2, middle, 6);
    EXPECT_EQ(QByteArray(middle, 6), "234567");
    EXPECT_EQ(ErrorCodeOf([&] { whole.ReadAt(5, middle, 6); }), IoError::kReadBeyondEnd);
}

// Files read ahead for a change hold the lock a change holds. A lock held elsewhere is not
// waited for; a lock the process's own open wants is let go of, so that open never waits
// for a file no one would close.
TEST(ReadAhead, ChangesLockButNeverWaitNorBlockTheProcessItself) {
    TempDir dir;
    const QStringList paths = MakeFiles(dir, 6);
    std::optional<OpenFile> held(std::in_place, paths.at(2), OpenMode::Change);
    {
        ReadAhead ahead(paths, OpenMode::Change, kTail, 2);
        for (int k : {0, 1}) {
            WaitUntilLocked(paths.at(k)); // a busy machine may not have started it yet
            std::optional<OpenFile> file = ahead.Take(paths.at(k), OpenMode::Change);
            ASSERT_TRUE(file);
            EXPECT_TRUE(OpenFile(paths.at(k), OpenMode::Change, LockWait::DontWait).Busy());
        }
        EXPECT_FALSE(ahead.Take(paths.at(2), OpenMode::Change)) << "waited for a lock";
        held.reset();

        // Entry 4 comes prepared and locked by the pool...
        WaitUntilLocked(paths.at(4));
        // ... and this process's own open of it goes through.
        OpenFile own(paths.at(4), OpenMode::Change);
        EXPECT_TRUE(ahead.Take(paths.at(3), OpenMode::Change));
        EXPECT_FALSE(ahead.Take(paths.at(4), OpenMode::Change));
    }
}

TEST(ReadAhead, ThreadsFollowTheEnvironmentThenTheFileSystem) {
    TempDir dir;
    const QByteArray saved = qgetenv("VANTUKE_IO_THREADS");
    const bool had = qEnvironmentVariableIsSet("VANTUKE_IO_THREADS");
    qunsetenv("VANTUKE_IO_THREADS");
    // The tests' folders are on a local disk (or tmpfs).
    EXPECT_EQ(IoThreadsFor(dir.Path()), 0);
    EXPECT_EQ(IoThreadsFor(dir.Path("missing")), 0);
    for (const auto& [value, threads] :
         {std::pair{"5", 5}, std::pair{"0", 0}, std::pair{"1000", 64}, std::pair{"-3", 0}}) {
        qputenv("VANTUKE_IO_THREADS", value);
        EXPECT_EQ(IoThreadsFor(dir.Path()), threads) << value;
    }
    if (had)
        qputenv("VANTUKE_IO_THREADS", saved);
    else
        qunsetenv("VANTUKE_IO_THREADS");
}

TEST(ReadAhead, InParallelCallsEveryIndexOnce) {
    for (const int threads : {0, 1, 7}) {
        std::vector<std::atomic<int>> calls(1000);
        InParallel(qsizetype(calls.size()), threads, [&](qsizetype k) { ++calls[size_t(k)]; });
        int wrong = 0;
        for (const std::atomic<int>& n : calls)
            wrong += n != 1;
        EXPECT_EQ(wrong, 0) << threads;
    }
}

// A folder looked up on threads lists what the plain listing lists, in the same order.
TEST(ReadAhead, AFolderListsTheSameOnThreads) {
    TempDir dir;
    MakeFiles(dir, 30);
    ASSERT_TRUE(QDir(dir.Path()).mkdir("sub"));
    ASSERT_EQ(::symlink("3.mp3", QFile::encodeName(dir.Path("link.mp3")).constData()), 0);
    ASSERT_EQ(::symlink("gone", QFile::encodeName(dir.Path("dangling.mp3")).constData()), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.Path("pipe.mp3")).constData(), 0644), 0);
    const auto list = [&](const char* threads) {
        qputenv("VANTUKE_IO_THREADS", threads);
        QStringList seen;
        ReadDirectory(dir.Dir(), EntryDetail::Full, [&seen](const DirEntry& entry) {
            seen << QStringLiteral("%1 %2 %3 %4 %5")
                        .arg(entry.name)
                        .arg(int(entry.status.kind))
                        .arg(entry.status.size)
                        .arg(entry.status.lastWrite.toMSecsSinceEpoch())
                        .arg(entry.link);
            return true;
        });
        qunsetenv("VANTUKE_IO_THREADS");
        return seen;
    };
    const QStringList plain = list("0");
    EXPECT_EQ(plain.size(), 34);
    EXPECT_EQ(list("6"), plain);
}

} // namespace
