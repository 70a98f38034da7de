// Files read ahead for a change on the disk, and tag changes put back: what a run on a network
// file system relies on when it opens files before their entries and makes changes together.
#include "tag/FileChange.h"
#include "tag/FileSystem.h"
#include "tag/TagFile.h"

#include "platform/IoError.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QtGlobal>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using namespace vantuke;
using testsupport::AudioBytes;
using testsupport::MakeTag;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WaitUntilLocked;
using testsupport::WriteFile;

// Four I/O threads for the files of this test, whatever the file system under them.
class FourThreads {
public:
    FourThreads() { qputenv("VANTUKE_IO_THREADS", "4"); }
    ~FourThreads() { qunsetenv("VANTUKE_IO_THREADS"); }
    FourThreads(const FourThreads&) = delete;
    FourThreads& operator=(const FourThreads&) = delete;
};

quint64 InodeOf(const QString& path) {
    return StatPath(path)->inode;
}

// A file the read-ahead holds, locked, for an entry named b: renames on the disk give the name
// to another file (b -> c, a -> b), and the open of b then opens that one.
TEST(ChangeAhead, ANameARenameTouchedIsOpenedAnew) {
    const FourThreads threads;
    TempDir dir;
    for (const char* name : {"a.mp3", "b.mp3", "e.mp3"})
        WriteFile(dir.Path(name), AudioBytes(200) + MakeTag(name, "Band"));
    const quint64 a = InodeOf(dir.Path("a.mp3"));
    DiskFileSystem files;
    files.WillOpen({dir.Path("e.mp3"), dir.Path("b.mp3")}, OpenMode::Change, 0);
    EXPECT_EQ(files.ChangesAtOnce(), 4);
    WaitUntilLocked(dir.Path("b.mp3"));
    files.Open(dir.Path("e.mp3"), OpenMode::Change)->Close();
    ASSERT_TRUE(files.Rename(dir.Path("b.mp3"), dir.Path("c.mp3")));
    ASSERT_TRUE(files.Rename(dir.Path("a.mp3"), dir.Path("b.mp3")));
    EXPECT_EQ(files.Open(dir.Path("b.mp3"), OpenMode::Change)->Stat().inode, a);
}

// A file the read-ahead holds under another name (a hard link) is let go of for an open that
// must not wait, and a file whose name does not end in ".mp3" is only looked at, unlocked, for
// its first bytes.
TEST(ChangeAhead, OwnLocksAreLetGoAndOtherNamesOnlyLookedAt) {
    const FourThreads threads;
    TempDir dir;
    const QByteArray mpa = "ID3" + AudioBytes(300);
    WriteFile(dir.Path("x.mpa"), mpa);
    WriteFile(dir.Path("b.mp3"), AudioBytes(200) + MakeTag("b", "Band"));
    ASSERT_EQ(::link(QFile::encodeName(dir.Path("b.mp3")).constData(),
                     QFile::encodeName(dir.Path("l.mp3")).constData()),
              0);
    DiskFileSystem files;
    files.WillOpen({dir.Path("x.mpa"), dir.Path("l.mp3")}, OpenMode::Change, 0);
    EXPECT_EQ(files.FirstBytes(dir.Path("x.mpa"), 10), mpa.first(10));
    EXPECT_FALSE(OpenFile(dir.Path("x.mpa"), OpenMode::Change, LockWait::DontWait).Busy());
    WaitUntilLocked(dir.Path("l.mp3"));
    FileStat busy;
    const std::unique_ptr<TagFile> file = files.OpenIfFree(dir.Path("b.mp3"), busy);
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->HasTag());
}

// Each tag change put back leaves the file as before it, bytes and times; one changed since by
// another program is refused and left as it is.
TEST(ChangeAhead, APutBackTagChangeLeavesTheFileAsBefore) {
    TTagRecord record;
    record.Artist = "Someone Else";
    const struct {
        const char* name;
        QByteArray tag; // the file's tag before the change
        FileChange::Kind kind;
        bool changedSince;
    } cases[] = {
        {"written over", MakeTag("Song", "Band"), FileChange::Kind::WriteTag, false},
        {"appended", {}, FileChange::Kind::WriteTag, false},
        {"cut", MakeTag("Song", "Band"), FileChange::Kind::RemoveTag, false},
        {"lengthened since", MakeTag("Song", "Band"), FileChange::Kind::WriteTag, true},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const QString path = dir.Path("f.mp3");
        WriteFile(path, AudioBytes(400) + c.tag);
        const QByteArray before = ReadFile(path);
        const qint64 mtime = StatPath(path)->mtimeNsec;
        DiskTagFile file(path, OpenMode::Change);
        const QByteArray end = file.EndBytes().toByteArray();
        FileChange change;
        if (c.kind == FileChange::Kind::WriteTag) {
            TagWriteBytes built;
            const QByteArrayView written(built.data(), BuildTagWrite(end, record, built.data()));
            change = TagWrite(path, file.Stat(), file.Stat(), end, written);
            file.WriteTagBytes(written);
        } else {
            change = TagCut(path, file.Stat(), file.Stat(), end);
            ASSERT_TRUE(file.RemoveTag());
        }
        ASSERT_NE(ReadFile(path), before) << c.name;
        if (c.changedSince) {
            QFile other(path);
            ASSERT_TRUE(other.open(QIODevice::Append));
            other.write("more");
            other.close();
            const QByteArray now = ReadFile(path);
            EXPECT_THROW(file.PutBack(change), IoError) << c.name;
            EXPECT_EQ(ReadFile(path), now) << c.name;
            continue;
        }
        file.PutBack(change);
        file.Close();
        EXPECT_EQ(ReadFile(path), before) << c.name;
        EXPECT_EQ(StatPath(path)->mtimeNsec, mtime) << c.name;
    }
}

} // namespace
