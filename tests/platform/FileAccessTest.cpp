#include "platform/FileAccess.h"
#include "platform/IoError.h"
#include "platform/NameBytes.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace vantuke;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

using testsupport::ErrorCodeOf;
using testsupport::OpenDescriptors;

void MakeFifo(const QString& path) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
}

TEST(FileAccessTest, RefusesWhatIsNotAWritableRegularFile) {
    TempDir dir;
    WriteFile(dir.Path("plain"), "abc");
    WriteFile(dir.Path("readonly"), "abc");
    testsupport::MakeReadOnly(dir.Path("readonly"));
    ASSERT_TRUE(QDir(dir.Path()).mkdir("folder"));
    MakeFifo(dir.Path("pipe"));
    const struct {
        QString path;
        int code;
    } cases[] = {
        {dir.Path("missing"), 2},
        {dir.Path("plain/file"), 2},
        {QString(), 3},
        {dir.Path("plain") + QChar(0) + "tail", 3}, // must not open "plain"
        {dir.Path(QString(300, 'n')), 3},
        {dir.Path("readonly"), 5}, // the tests run as root, whom the kernel lets write
        {dir.Path("folder"), 5},
        {dir.Path("pipe"), 5},
    };
    const int before = OpenDescriptors();
    for (const auto& c : cases) {
        EXPECT_EQ(ErrorCodeOf([&] { OpenFile f(c.path, OpenMode::Change); }), c.code)
            << c.path.toStdString();
        // Reading needs no write permission; everything else is refused the same way.
        const int readCode = c.path == dir.Path("readonly") ? -1 : c.code;
        EXPECT_EQ(ErrorCodeOf([&] { OpenFile f(c.path, OpenMode::Read); }), readCode)
            << c.path.toStdString();
    }
    EXPECT_EQ(OpenDescriptors(), before) << "a refused open left a descriptor behind";
}

TEST(FileAccessTest, AChangeHoldsAnExclusiveLockUntilClosedAndReadingTakesNone) {
    TempDir dir;
    const QString path = dir.Path("f.mp3");
    WriteFile(path, "0123456789");
    {
        OpenFile reader(path, OpenMode::Read);
        EXPECT_FALSE(testsupport::IsLocked(path));
        OpenFile changer(path, OpenMode::Change);
        EXPECT_TRUE(testsupport::IsLocked(path));
        changer.Close();
        EXPECT_FALSE(testsupport::IsLocked(path));
    }
    {
        OpenFile changer(path, OpenMode::Change);
        EXPECT_TRUE(testsupport::IsLocked(path));
    }
    EXPECT_FALSE(testsupport::IsLocked(path)) << "the destructor must end the lock";
}

// A second change waits for the first, and then sees the file as the first left it.
TEST(FileAccessTest, ASecondChangeWaitsForTheFirstAndSeesItsSize) {
    TempDir dir;
    const QString path = dir.Path("f.mp3");
    WriteFile(path, "0123456789");
    auto first = std::make_unique<OpenFile>(path, OpenMode::Change);
    std::atomic<bool> opened{false};
    qint64 secondSize = -1;
    std::thread second([&] {
        OpenFile file(path, OpenMode::Change);
        opened = true;
        secondSize = file.Size();
    });
    // Not a measurement: if the lock did not hold, the second open would be through by now.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(opened) << "the second change did not wait for the lock";
    first->WriteAt(first->Size(), "abc");
    first.reset();
    second.join();
    EXPECT_TRUE(opened);
    EXPECT_EQ(secondSize, 13) << "the size must be taken once the lock is held";
}

// Without waiting, a lock another description holds leaves the file open and unlocked, named
// (who it is) but not locked; a free one is taken. Opens for a change leave the access time.
TEST(FileAccessTest, AChangeThatDoesNotWaitSaysTheLockIsBusy) {
    TempDir dir;
    const QString path = dir.Path("f.mp3");
    WriteFile(path, "0123456789");
    const std::optional<FileStat> before = StatPath(path);
    ASSERT_TRUE(before);
    {
        OpenFile holder(path, OpenMode::Change);
        OpenFile busy(path, OpenMode::Change, LockWait::DontWait);
        EXPECT_TRUE(busy.Busy());
        EXPECT_EQ(busy.Stat().inode, before->inode);
        busy.Close();
        EXPECT_TRUE(testsupport::IsLocked(path)) << "the busy open took the holder's lock away";
    }
    OpenFile free(path, OpenMode::Change, LockWait::DontWait);
    EXPECT_FALSE(free.Busy());
    EXPECT_TRUE(testsupport::IsLocked(path));
    char bytes[4];
    free.ReadAt(0, bytes, 4);
    free.Close();
    EXPECT_EQ(StatPath(path)->atimeNsec, before->atimeNsec);
}

TEST(FileAccessTest, ErrorsNameTheFileTheyCameFrom) {
    TempDir dir;
    WriteFile(dir.Path("short"), "abc");
    const auto pathOf = [](const std::function<void()>& action) {
        try {
            action();
        } catch (const IoError& error) {
            return error.Path();
        }
        return QStringLiteral("no error");
    };
    EXPECT_EQ(pathOf([&] { OpenFile f(dir.Path("missing"), OpenMode::Change); }),
              dir.Path("missing"));
    char bytes[8];
    EXPECT_EQ(pathOf([&] { OpenFile(dir.Path("short"), OpenMode::Read).ReadAt(2, bytes, 5); }),
              dir.Path("short"));
    EXPECT_EQ(pathOf([&] { ReadWholeFile(dir.Path("gone.m3u")); }), dir.Path("gone.m3u"));
}

TEST(FileAccessTest, BlockTransfersFailAtBadPositions) {
    TempDir dir;
    WriteFile(dir.Path("f"), "0123456789");
    OpenFile f(dir.Path("f"), OpenMode::Change);
    char bytes[4];
    f.ReadAt(3, bytes, 4);
    EXPECT_EQ(QByteArray(bytes, 4), "3456");
    EXPECT_EQ(ErrorCodeOf([&] { f.ReadAt(-1, bytes, 3); }), 22);
    EXPECT_EQ(ErrorCodeOf([&] { f.ReadAt(8, bytes, 3); }), IoError::kReadBeyondEnd);
    EXPECT_EQ(ErrorCodeOf([&] { f.WriteAt(-5, "x"); }), 22);
    EXPECT_EQ(ErrorCodeOf([&] { f.Truncate(-1); }), 22);
    EXPECT_EQ(ReadFile(dir.Path("f")), "0123456789");
}

TEST(FileAccessTest, TheOpenFileKeepsItsIdentityAndFollowsItsOwnSize) {
    TempDir dir;
    WriteFile(dir.Path("f"), "0123456789");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(dir.Path("f")).constData(), &st), 0);
    OpenFile f(dir.Path("f"), OpenMode::Change);
    EXPECT_EQ(f.Stat().device, st.st_dev);
    EXPECT_EQ(f.Stat().inode, st.st_ino);
    EXPECT_EQ(f.Stat().mode, st.st_mode);
    EXPECT_EQ(f.Stat().mtimeNsec, qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec);
    EXPECT_TRUE(S_ISREG(f.Stat().mode));
    qint64 written = -1;
    f.WriteAt(10, "abc", &written);
    EXPECT_EQ(written, 3);
    EXPECT_EQ(f.Size(), 13);
    f.Truncate(4);
    EXPECT_EQ(f.Size(), 4);
    EXPECT_EQ(StatPath(dir.Path("f"))->inode, st.st_ino);
}

TEST(FileAccessTest, ReadWholeFileReadsReadOnlyFilesAndRefusesOthers) {
    TempDir dir;
    const QByteArray big = testsupport::AudioBytes(200000); // several read chunks
    WriteFile(dir.Path("big.m3u"), big);
    testsupport::MakeReadOnly(dir.Path("big.m3u"));
    EXPECT_EQ(ReadWholeFile(dir.Path("big.m3u")), big);

    ASSERT_TRUE(QDir(dir.Path()).mkdir("folder.m3u"));
    MakeFifo(dir.Path("pipe.m3u")); // opening it for reading must not wait for a writer
    const int before = OpenDescriptors();
    EXPECT_EQ(ErrorCodeOf([&] { ReadWholeFile(dir.Path("missing.m3u")); }), 2);
    EXPECT_EQ(ErrorCodeOf([&] { ReadWholeFile(dir.Path("folder.m3u")); }), 5);
    EXPECT_EQ(ErrorCodeOf([&] { ReadWholeFile(dir.Path("pipe.m3u")); }), 5);
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST(FileAccessTest, MakeWritableAddsOnlyTheOwnerWriteBit) {
    TempDir dir;
    const QString path = dir.Path("f.mp3");
    WriteFile(path, "x");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0454), 0);
    EXPECT_TRUE(MakeWritable(path));
    EXPECT_EQ(StatPath(path)->mode & 07777, 0654u);
    EXPECT_FALSE(MakeWritable(path)) << "nothing left to change";
    EXPECT_FALSE(MakeWritable(dir.Path("missing")));
    EXPECT_FALSE(StatPath(dir.Path("missing")));
}

TEST(FileAccessTest, RenameNeverReplacesAndReportsFailure) {
    TempDir dir;
    WriteFile(dir.Path("a.mp3"), "first");
    WriteFile(dir.Path("b.mp3"), "second");
    EXPECT_FALSE(RenameNoReplace(dir.Path("a.mp3"), dir.Path("b.mp3")));
    EXPECT_FALSE(RenameNoReplace(dir.Path("missing.mp3"), dir.Path("c.mp3")));
    EXPECT_FALSE(RenameNoReplace(dir.Path("a.mp3"), dir.Path("nofolder/c.mp3")));
    EXPECT_FALSE(RenameNoReplace(dir.Path("a.mp3"), dir.Path("c") + QChar(0) + ".mp3"));
    EXPECT_EQ(ReadFile(dir.Path("a.mp3")), "first");
    EXPECT_EQ(ReadFile(dir.Path("b.mp3")), "second");

    EXPECT_TRUE(RenameNoReplace(dir.Path("a.mp3"), dir.Path("A.mp3"))); // names keep case
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files), (QStringList{"A.mp3", "b.mp3"}));
    // Its own path needs nothing from the file system, not even an existing file.
    EXPECT_TRUE(RenameNoReplace(dir.Path("gone.mp3"), dir.Path("gone.mp3")));
}

QByteArray Native(const QString& path) {
    return NameToBytes(path);
}

void Symlink(const QString& target, const QString& link) {
    ASSERT_EQ(::symlink(Native(target).constData(), Native(link).constData()), 0);
}

// A rename that would replace a symbolic link (dangling or not) fails and leaves the file,
// the link and the place the link points to as they were: the bytes never follow the link.
TEST(FileAccessTest, RenameOntoALinkFailsAndNeverWritesThroughIt) {
    TempDir dir;
    ASSERT_TRUE(QDir(dir.Path()).mkdir("away"));
    ASSERT_TRUE(QDir(dir.Path()).mkdir("music"));
    const QString file = dir.Path("music/k.mp3");
    WriteFile(file, "the audio");
    WriteFile(dir.Path("away/there.mp3"), "other");
    Symlink("../away/moved.mp3", dir.Path("music/L - K.mp3")); // dangling
    Symlink("../away/there.mp3", dir.Path("music/there.mp3"));
    for (const char* name : {"music/L - K.mp3", "music/there.mp3"}) {
        EXPECT_FALSE(RenameNoReplace(file, dir.Path(name))) << name;
        EXPECT_EQ(ReadFile(file), "the audio") << name;
        EXPECT_TRUE(QFileInfo(dir.Path(name)).isSymLink()) << name;
    }
    EXPECT_FALSE(QFileInfo::exists(dir.Path("away/moved.mp3")));
    EXPECT_EQ(ReadFile(dir.Path("away/there.mp3")), "other");
}

// A rename moves the file itself: same inode, links, mode and time; a link moves as a link.
TEST(FileAccessTest, RenameMovesTheFileNeverACopy) {
    TempDir dir;
    const QString file = dir.Path("a.mp3");
    WriteFile(file, "audio");
    ASSERT_EQ(::chmod(Native(file).constData(), 0640), 0);
    ASSERT_EQ(::link(Native(file).constData(), Native(dir.Path("second name")).constData()), 0);
    const FileStat before = *StatPath(file);

    ASSERT_TRUE(RenameNoReplace(file, dir.Path("b.mp3")));
    const FileStat after = *StatPath(dir.Path("b.mp3"));
    EXPECT_EQ(after.device, before.device);
    EXPECT_EQ(after.inode, before.inode);
    EXPECT_EQ(after.mode, before.mode);
    EXPECT_EQ(after.mtimeNsec, before.mtimeNsec);
    EXPECT_FALSE(StatPath(file));
    EXPECT_EQ(StatPath(dir.Path("second name"))->inode, before.inode) << "hard links stay one";

    Symlink("b.mp3", dir.Path("link.mp3"));
    ASSERT_TRUE(RenameNoReplace(dir.Path("link.mp3"), dir.Path("moved link.mp3")));
    EXPECT_TRUE(QFileInfo(dir.Path("moved link.mp3")).isSymLink());
    EXPECT_EQ(ReadFile(dir.Path("b.mp3")), "audio");
}

// Names keep their bytes; a text no bytes stand for names nothing.
TEST(FileAccessTest, RenameKeepsNamesThatAreNotUtf8) {
    TempDir dir;
    const QString latin1 = dir.Dir() + NameFromBytes("Caf\xE9.mp3");
    WriteFile(dir.Path("plain.mp3"), "x");
    ASSERT_TRUE(RenameNoReplace(dir.Path("plain.mp3"), latin1));
    EXPECT_FALSE(StatPath(dir.Path("plain.mp3")));
    struct stat st {};
    EXPECT_EQ(::lstat(Native(dir.Path()).constData() + QByteArray("/Caf\xE9.mp3"), &st), 0);
    EXPECT_FALSE(RenameNoReplace(latin1, dir.Dir() + QChar(0xD800) + ".mp3"));
    EXPECT_TRUE(StatPath(latin1));
}

// Two names of one file that differ only in letter case, on a volume that tells case apart:
// the second name is a file of its own right and must not be replaced.
TEST(FileAccessTest, ACaseOnlyRenameOntoAHardLinkOfTheSameFileFails) {
    TempDir dir;
    WriteFile(dir.Path("a.mp3"), "audio");
    ASSERT_EQ(::link(Native(dir.Path("a.mp3")).constData(), Native(dir.Path("A.mp3")).constData()),
              0);
    EXPECT_FALSE(RenameNoReplace(dir.Path("a.mp3"), dir.Path("A.mp3")));
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"A.mp3", "a.mp3"}))
        << "both names stay, and no temporary name is left";
}

// A loop-mounted FAT image: a volume that does not tell letter case apart. Needs root,
// mkfs.vfat (dosfstools) and a kernel with vfat.
class FatVolume {
public:
    FatVolume() {
        if (::geteuid() != 0) {
            why_ = "needs root to mount a FAT image";
            return;
        }
        const QString image = dir_.Path("fat.img");
        const QString mountPoint = dir_.Path("mnt");
        QDir(dir_.Path()).mkdir("mnt");
        if (QProcess::execute("truncate", {"-s", "4M", image}) != 0 ||
            QProcess::execute("mkfs.vfat", {"-n", "STICK", image}) != 0) {
            why_ = "mkfs.vfat (dosfstools) is missing";
            return;
        }
        if (QProcess::execute("mount", {"-o", "loop", "-t", "vfat", image, mountPoint}) != 0) {
            why_ = "this kernel cannot mount vfat (or no loop device)";
            return;
        }
        mounted_ = mountPoint;
    }
    ~FatVolume() {
        if (!mounted_.isEmpty())
            QProcess::execute("umount", {mounted_});
    }
    // The mount point with a trailing "/", or empty with Why() telling why.
    QString Dir() const { return mounted_.isEmpty() ? QString() : mounted_ + '/'; }
    const char* Why() const { return why_; }

private:
    TempDir dir_;
    QString mounted_;
    const char* why_ = "";
};

// The names a case-insensitive volume takes for one: the real rename and the dry run's model
// both ask this.
TEST(FileAccessTest, NamesThatDifferInLetterCaseAlone) {
    struct Case {
        const char16_t* a;
        const char16_t* b;
        bool same;
    };
    const Case cases[] = {
        {u"/m/song.mp3", u"/m/Song.MP3", true},
        {u"/m/song.mp3", u"/m/song.mp3", true},
        {u"song.mp3", u"SONG.mp3", true},
        {u"/m/caf\u00E9.mp3", u"/m/CAF\u00C9.mp3", true}, // letters beyond ASCII fold too
        {u"/m/song.mp3", u"/M/song.mp3", false},          // another folder
        {u"/m/song.mp3", u"/m/a/song.mp3", false},
        {u"/m/song.mp3", u"/m/song2.mp3", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SameNameButCase(c.a, c.b), c.same)
            << QString::fromUtf16(c.a).toStdString() << " / "
            << QString::fromUtf16(c.b).toStdString();
    }
}

TEST(FileAccessTest, ACaseOnlyRenameOnACaseInsensitiveVolume) {
    const FatVolume volume;
    if (volume.Dir().isEmpty())
        GTEST_SKIP() << volume.Why();
    const QString dir = volume.Dir();
    WriteFile(dir + "song.mp3", "audio");
    WriteFile(dir + "other.mp3", "other");
    ASSERT_TRUE(RenameNoReplace(dir + "song.mp3", dir + "Song.MP3"));
    EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"Song.MP3", "other.mp3"}));
    EXPECT_EQ(ReadFile(dir + "Song.MP3"), "audio");
    // Another file whose name differs only in case is still never replaced.
    EXPECT_FALSE(RenameNoReplace(dir + "Song.MP3", dir + "OTHER.mp3"));
    EXPECT_EQ(ReadFile(dir + "other.mp3"), "other");
}

} // namespace
