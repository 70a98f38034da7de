#include "tag/TagFile.h"

#include "platform/IoError.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

using namespace vantuke;
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
    SetFieldText(record, TagField::SongName, title);
    return record;
}

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
        EXPECT_EQ(TagPresent(path), present) << marker.toStdString();
        TTagRecord record = Titled("kept");
        EXPECT_EQ(ReadTagIfPresent(path, record), present) << marker.toStdString();
        EXPECT_EQ(FieldText(record, TagField::SongName), present ? "" : "kept");
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

    // Told the answer, it does not look again: a tagged file told "absent" gets a second tag.
    WriteTag(plain, Titled("New"), true);
    EXPECT_EQ(ReadFile(plain), AudioBytes(5000) + MakeTag("New", ""));
    WriteTag(plain, Titled("New"), false);
    EXPECT_EQ(ReadFile(plain), AudioBytes(5000) + MakeTag("New", "") + MakeTag("New", ""));
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
    EXPECT_EQ(FieldText(record, TagField::SongName), "Ab  ");
    EXPECT_EQ(record.Artist, QByteArray("Abc\0xyz", 7) + Bytes(23, '\0'));
    EXPECT_EQ(FieldText(record, TagField::Artist), "Abc");
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
    EXPECT_EQ(FieldText(record, TagField::Artist), "Artist");
    RemoveTag(path);
    EXPECT_EQ(QFileInfo(path).size(), 0);
}

TEST(TagFileTest, FilesShorterThanATagAreNeverTouched) {
    TempDir dir;
    const QString path = dir.Path("short.mp3");
    TTagRecord record;
    for (const int size : {0, 1, 127}) {
        const QByteArray bytes = ("TAG" + AudioBytes(size)).left(size);
        WriteFile(path, bytes);
        const std::pair<const char*, std::function<void()>> operations[] = {
            {"TagPresent", [&] { TagPresent(path); }},
            {"ReadTagIfPresent", [&] { ReadTagIfPresent(path, record); }},
            {"WriteTag", [&] { WriteTag(path, record); }},
            {"WriteTag told absent", [&] { WriteTag(path, record, false); }},
            {"RemoveTag", [&] { RemoveTag(path); }},
        };
        for (const auto& [name, operation] : operations) {
            EXPECT_EQ(ErrorCodeOf(operation), 22) << name << " at " << size;
            EXPECT_EQ(ReadFile(path), bytes) << name << " at " << size;
        }
    }
    // ReadTag starts behind the marker: only files shorter than 125 bytes fail it.
    WriteFile(path, AudioBytes(124));
    EXPECT_EQ(ErrorCodeOf([&] { ReadTag(path, record); }), 22);
    WriteFile(path, "Title" + Bytes(119, '\0') + "\x07");
    ReadTag(path, record);
    EXPECT_EQ(FieldText(record, TagField::SongName), "Title");
    EXPECT_EQ(record.Genre, 7);
}

TEST(TagFileTest, FileSystemFailuresAreRaisedAndCloseTheFile) {
    TempDir dir;
    const QByteArray lockedBytes = AudioBytes(1000) + MakeTag("Locked", "");
    WriteFile(dir.Path("readonly.mp3"), lockedBytes);
    testsupport::MakeReadOnly(dir.Path("readonly.mp3"));
    ASSERT_TRUE(QDir(dir.Path()).mkdir("folder.mp3"));
    const std::pair<QString, int> cases[] = {
        {dir.Path("missing.mp3"), 2},
        {dir.Path("readonly.mp3"), 5}, // refused even for root
        {dir.Path("folder.mp3"), 5},
    };
    const int before = OpenDescriptors();
    TTagRecord record;
    for (const auto& [path, code] : cases) {
        const std::pair<const char*, std::function<void()>> operations[] = {
            {"TagPresent", [&] { TagPresent(path); }},
            {"ReadTag", [&] { ReadTag(path, record); }},
            {"ReadTagIfPresent", [&] { ReadTagIfPresent(path, record); }},
            {"WriteTag", [&] { WriteTag(path, record); }},
            {"WriteTag told present", [&] { WriteTag(path, record, true); }},
            {"RemoveTag", [&] { RemoveTag(path); }},
        };
        for (const auto& [name, operation] : operations)
            EXPECT_EQ(ErrorCodeOf(operation), code) << name << " " << path.toStdString();
    }
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_EQ(ReadFile(dir.Path("readonly.mp3")), lockedBytes);
}

TEST(TagFileTest, ClearReadOnlyLetsTheNextOperationInOnlyWhenAllowed) {
    TempDir dir;
    const QString path = dir.Path("song.mp3");
    WriteFile(path, AudioBytes(500) + MakeTag("x", ""));
    testsupport::MakeReadOnly(path);
    ClearReadOnly(path, false);
    EXPECT_EQ(ErrorCodeOf([&] { TagPresent(path); }), 5);
    ClearReadOnly(path, true);
    EXPECT_TRUE(TagPresent(path));
    RemoveTag(path);
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

} // namespace
