#include "tag/TagFile.h"
#include "tag/FileSystem.h"

#include "platform/FileAccess.h"
#include "platform/IoError.h"

#include "OneShot.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using namespace vantuke;

// Tag texts in Windows-1252, the code page of a first start.
const TagCodec kCodec;
using testsupport::AudioBytes;
using testsupport::MakeTag;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

using testsupport::ErrorCodeOf;
using testsupport::OpenDescriptors;

QByteArray Bytes(int n, char c) {
    return QByteArray(n, c);
}

TTagRecord Titled(const char* title) {
    TTagRecord record;
    SetFieldText(record, TagField::SongName, title, kCodec);
    return record;
}

using tagtest::HasTag;
using tagtest::ReadTag;
using tagtest::RemoveTag;
using tagtest::WriteTag;

TEST(TagFileTest, MarkerCountsInAnyLetterCase) {
    const std::pair<QByteArray, bool> cases[] = {
        {"TAG", true},     {"tag", true},  {"Tag", true},
        {"tAG", true},     {"TAF", false}, {QByteArray("TA\0", 3), false},
        {"TA\xE7", false}, // only a to z fold
    };
    TempDir dir;
    const QString path = dir.Path("song.mp3");
    for (const auto& [marker, present] : cases) {
        WriteFile(path, AudioBytes(872) + marker + Bytes(125, '\0'));
        EXPECT_EQ(HasTag(path), present) << marker.toStdString();
        TTagRecord record = Titled("kept");
        EXPECT_EQ(ReadTagIfPresent(path, record), present) << marker.toStdString();
        EXPECT_EQ(FieldText(record, TagField::SongName, kCodec), present ? "" : "kept");
    }
}

TEST(TagFileTest, WriteReplacesATagInPlaceOrAppendsOne) {
    TempDir dir;
    const QString tagged = dir.Path("tagged.mp3");
    WriteFile(tagged, AudioBytes(872) + "tag" + Bytes(125, 'x'));
    TTagRecord record = Titled("Title");
    record.Genre = 17;
    WriteTag(tagged, record);
    EXPECT_EQ(ReadFile(tagged), AudioBytes(872) + MakeTag("Title", "", "", "", "", 17));

    const QString plain = dir.Path("plain.mp3");
    WriteFile(plain, AudioBytes(5000));
    ClearTag(record);
    WriteTag(plain, record);
    EXPECT_EQ(ReadFile(plain), AudioBytes(5000) + "TAG" + Bytes(125, '\0'));

    // The choice is made on what the file holds when written: one open file tests, writes
    // and tests again, and never gives a file a second tag.
    DiskTagFile file(plain, OpenMode::Change);
    EXPECT_TRUE(file.HasTag());
    file.WriteTag(Titled("New"));
    file.WriteTag(Titled("Newer"));
    EXPECT_TRUE(file.HasTag());
    EXPECT_EQ(file.LastBytes().toByteArray(), MakeTag("Newer", ""));
    EXPECT_EQ(file.Stat().size, 5128);
    file.Close();
    EXPECT_EQ(ReadFile(plain), AudioBytes(5000) + MakeTag("Newer", ""));
}

TEST(TagFileTest, ReadDropsOnlyTrailingSpacesAndWriteBackPadsWithNuls) {
    const QByteArray fields = QByteArray("Ab  \0", 5) + Bytes(25, ' ')      // song
                              + QByteArray("Abc\0xyz", 7) + Bytes(23, '\0') // artist
                              + Bytes(30, ' ') + Bytes(4, ' ')              // album, year
                              + "Abc" + Bytes(27, ' ') + "\xFF";            // comment, genre
    TempDir dir;
    const QString path = dir.Path("song.mp3");
    WriteFile(path, AudioBytes(300) + "TAG" + fields);

    TTagRecord record;
    ReadTag(path, record);
    EXPECT_EQ(record.SongName, QByteArray("Ab  \0", 5));
    EXPECT_EQ(FieldText(record, TagField::SongName, kCodec), "Ab  ");
    EXPECT_EQ(record.Artist, QByteArray("Abc\0xyz", 7) + Bytes(23, '\0'));
    EXPECT_EQ(FieldText(record, TagField::Artist, kCodec), "Abc");
    EXPECT_EQ(record.Album, "");
    EXPECT_EQ(record.Year, "");
    EXPECT_EQ(record.Comment, "Abc");
    EXPECT_EQ(record.Genre, 255);
    TTagRecord once;
    ASSERT_TRUE(ReadTagIfPresent(path, once));
    EXPECT_EQ(once, record);

    WriteTag(path, record);
    EXPECT_EQ(ReadFile(path).mid(300), MakeTag(QByteArray("Ab  \0", 5), record.Artist, "", "",
                                               "Abc", 255)); // bytes behind a NUL survive
}

TEST(TagFileTest, OverlongFieldsNeverWriteMoreThanOneTag) {
    TempDir dir;
    const QString path = dir.Path("song.mp3");
    WriteFile(path, AudioBytes(1000));
    TTagRecord record;
    record.SongName = Bytes(40, 's'); // set around the truncation rule
    record.Year = "199912";
    WriteTag(path, record);
    EXPECT_EQ(ReadFile(path).mid(1000), MakeTag(Bytes(30, 's'), "", "", "1999"));
}

TEST(TagFileTest, RemoveCutsTheLast128Bytes) {
    TempDir dir;
    const QString path = dir.Path("only-tag.mp3");
    WriteFile(path, MakeTag("Song", "Artist"));
    TTagRecord record;
    ReadTag(path, record);
    EXPECT_EQ(FieldText(record, TagField::Artist, kCodec), "Artist");
    EXPECT_TRUE(RemoveTag(path));
    EXPECT_EQ(QFileInfo(path).size(), 0);
}

// Whatever happened to the file since it was last looked at, its audio is never cut.
TEST(TagFileTest, RemoveNeverCutsAFileThatDoesNotEndInATag) {
    TempDir dir;
    const QString path = dir.Path("song.mp3");
    WriteFile(path, AudioBytes(1000));
    EXPECT_FALSE(RemoveTag(path));
    EXPECT_EQ(ReadFile(path), AudioBytes(1000));

    WriteFile(path, AudioBytes(1000) + MakeTag("Song", ""));
    DiskTagFile file(path, OpenMode::Change);
    EXPECT_TRUE(file.RemoveTag());
    EXPECT_FALSE(file.RemoveTag()) << "the same open file must see its own cut";
    file.Close();
    EXPECT_EQ(ReadFile(path), AudioBytes(1000));
}

TEST(TagFileTest, FilesShorterThanATagAreNeverTouched) {
    TempDir dir;
    const QString path = dir.Path("short.mp3");
    TTagRecord record;
    for (const int size : {0, 1, 127}) {
        const QByteArray bytes = ("TAG" + AudioBytes(size)).left(size);
        WriteFile(path, bytes);
        const std::pair<const char*, std::function<void()>> operations[] = {
            {"HasTag", [&] { HasTag(path); }},
            {"ReadTag", [&] { ReadTag(path, record); }},
            {"ReadTagIfPresent", [&] { ReadTagIfPresent(path, record); }},
            {"WriteTag", [&] { WriteTag(path, record); }},
            {"RemoveTag", [&] { RemoveTag(path); }},
        };
        for (const auto& [name, operation] : operations) {
            EXPECT_EQ(ErrorCodeOf(operation), 22) << name << " at " << size;
            EXPECT_EQ(ReadFile(path), bytes) << name << " at " << size;
        }
    }
    // The tag is read only from a file that was first tested for one, so a file long
    // enough for the fields but not for the marker is refused like the others.
    WriteFile(path, "Title" + Bytes(121, '\0') + "\x07");
    EXPECT_EQ(ErrorCodeOf([&] { ReadTag(path, record); }), 22);
    WriteFile(path, "TAGTitle" + Bytes(119, '\0') + "\x07");
    ReadTag(path, record);
    EXPECT_EQ(FieldText(record, TagField::SongName, kCodec), "Title");
    EXPECT_EQ(record.Genre, 7);
}

TEST(TagFileTest, FileSystemFailuresAreRaisedAndCloseTheFile) {
    TempDir dir;
    const QByteArray lockedBytes = AudioBytes(1000) + MakeTag("Locked", "");
    WriteFile(dir.Path("readonly.mp3"), lockedBytes);
    testsupport::MakeReadOnly(dir.Path("readonly.mp3"));
    ASSERT_TRUE(QDir(dir.Path()).mkdir("folder.mp3"));
    const struct {
        QString path;
        int changeCode, readCode; // -1: no error
    } cases[] = {
        {dir.Path("missing.mp3"), 2, 2},
        {dir.Path("readonly.mp3"), 5, -1}, // refused for a change even for root; read freely
        {dir.Path("folder.mp3"), 5, 5},
    };
    const int before = OpenDescriptors();
    TTagRecord record;
    for (const auto& c : cases) {
        const QString& path = c.path;
        const std::pair<const char*, std::function<void()>> changes[] = {
            {"open for a change", [&] { DiskTagFile(path, OpenMode::Change); }},
            {"WriteTag", [&] { WriteTag(path, record); }},
            {"RemoveTag", [&] { RemoveTag(path); }},
        };
        for (const auto& [name, operation] : changes)
            EXPECT_EQ(ErrorCodeOf(operation), c.changeCode) << name << " " << path.toStdString();
        const std::pair<const char*, std::function<void()>> reads[] = {
            {"HasTag", [&] { HasTag(path); }},
            {"ReadTag", [&] { ReadTag(path, record); }},
            {"ReadTagIfPresent", [&] { ReadTagIfPresent(path, record); }},
        };
        for (const auto& [name, operation] : reads)
            EXPECT_EQ(ErrorCodeOf(operation), c.readCode) << name << " " << path.toStdString();
    }
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_EQ(ReadFile(dir.Path("readonly.mp3")), lockedBytes);
    EXPECT_EQ(FieldText(record, TagField::SongName, kCodec), "Locked");
    EXPECT_EQ(StatPath(dir.Path("readonly.mp3"))->mode & S_IWUSR, 0u)
        << "reading never changes the mode";
}

TEST(TagFileTest, ClearReadOnlyLetsTheNextChangeIn) {
    TempDir dir;
    const QString path = dir.Path("song.mp3");
    WriteFile(path, AudioBytes(500) + MakeTag("x", ""));
    testsupport::MakeReadOnly(path);
    EXPECT_EQ(ErrorCodeOf([&] { RemoveTag(path); }), 5);
    DiskFileSystem files;
    EXPECT_TRUE(files.ClearReadOnly(path));
    EXPECT_FALSE(files.ClearReadOnly(path)) << "nothing left to clear";
    EXPECT_TRUE(RemoveTag(path));
    EXPECT_TRUE(QFileInfo(path).permission(QFile::WriteOwner)) << "the attribute stays cleared";
}

// Lowers the largest file size this process may write, so that a write stops part-way.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : oldHandler_(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    void (*oldHandler_)(int);
    rlimit saved_{};
};

TEST(TagFileTest, AppendThatStopsPartWayLeavesTheFileAsItWas) {
    TempDir dir;
    const QString path = dir.Path("song.mp3");
    WriteFile(path, AudioBytes(5000));
    int code = -1;
    {
        const FileSizeLimit limit(5060); // room for half a tag
        code = ErrorCodeOf([&] { WriteTag(path, Titled("Title")); });
    }
    EXPECT_NE(code, -1);
    EXPECT_EQ(ReadFile(path), AudioBytes(5000)) << "a half tag was left behind";
    WriteTag(path, Titled("Title")); // with room, the same write works
    EXPECT_EQ(ReadFile(path), AudioBytes(5000) + MakeTag("Title", ""));
}

// On a full disk an overwrite can land in part: here the tag starts 100 bytes before a page
// boundary and the page after it is a hole (a sparse file), so the first 100 bytes of the new
// tag fit and the rest needs a page the disk no longer has. The file must come out as it was,
// not with a tag made of the new title and artist and the old rest.
TEST(TagFileTest, AnOverwriteThatFailsPartWayPutsTheOldBytesBack) {
    const testsupport::TmpfsMount disk("64k");
    if (disk.Dir().isEmpty())
        GTEST_SKIP() << disk.Why().toStdString();
    const QString path = disk.Dir() + "song.mp3";
    const QByteArray oldTag = MakeTag("Old Title", "Old Artist", "Old Album", "1999", "", 0);
    WriteFile(path, AudioBytes(8092) + oldTag.left(100));
    ASSERT_TRUE(QFile::resize(path, 8220)); // the tag's last 28 bytes: a hole, read as NULs
    const QByteArray before = ReadFile(path);
    ASSERT_EQ(before.right(128), oldTag);
    testsupport::FillDisk(disk.Dir() + "filler");

    TTagRecord record;
    SetFieldText(record, TagField::SongName, "NewTitle", kCodec);
    SetFieldText(record, TagField::Artist, "NewArtist", kCodec);
    SetFieldText(record, TagField::Album, "NewAlbum", kCodec);
    DiskTagFile file(path, OpenMode::Change);
    ASSERT_TRUE(file.HasTag());
    EXPECT_EQ(ErrorCodeOf([&] { file.WriteTag(record); }), IoError::kDiskFull);
    EXPECT_EQ(file.LastBytes().toByteArray(), oldTag);
    file.Close();
    EXPECT_EQ(ReadFile(path), before) << "a mixed tag was left behind";
}

} // namespace
