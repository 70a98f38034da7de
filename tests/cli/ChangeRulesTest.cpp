// What vantuke-cli may change and what it says about it: only MP3 files, only the tag fields
// it is told, files that fail skipped on request, emptied fields noted, and Old Style titles
// without the separator kept whole.
#include "CliRunner.h"
#include "support/TestFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace testsupport;
using clitest::CliResult;
using clitest::RunCli;

namespace {

QJsonObject JsonOf(const CliResult& result) {
    QJsonParseError error;
    const QJsonObject document = QJsonDocument::fromJson(result.outBytes, &error).object();
    EXPECT_EQ(error.error, QJsonParseError::NoError) << result.outBytes.constData();
    return document;
}

QStringList NotesOf(const QJsonObject& entry) {
    QStringList notes;
    for (const QJsonValue& note : entry["notes"].toArray())
        notes << note.toString();
    return notes;
}

// Files that begin like a picture, a playlist and bytes of no audio are refused; a name
// ending in ".MP3", an ID3v2 header and an MPEG frame header are taken. Each has a tag of its
// own, so that every process would change it.
struct MadeFile {
    const char* name;
    QByteArray start;
    bool mp3;
};
const MadeFile kFiles[] = {
    {"cover.jpg", QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10), false},
    {"favourites.m3u", "#EXTM3U\n/music/a.mp3\n", false},
    {"Song.MP3", "", true},
    {"intro.id3", QByteArray("ID3\x04\x00\x00\x00\x00\x02\x01", 10), true},
    {"frame.bin", QByteArray("\xFF\xFB\x90\x64", 4), true},
    {"reserved.bin", QByteArray("\xFF\xFB\xF0\x64", 4), false}, // bit-rate index 15
    {"readme", "MP3 notes", false},
};

QStringList MakeFiles(const TempDir& dir) {
    QStringList names;
    int n = 0;
    for (const MadeFile& file : kFiles) {
        ++n;
        WriteFile(dir.Path(file.name),
                  file.start + AudioBytes(300) + MakeTag("Song " + QByteArray::number(n), "Band"));
        names << file.name;
    }
    return names;
}

using ProcessCase = clitest::ArgsCase;

class NotMp3Test : public testing::TestWithParam<ProcessCase> {};

TEST_P(NotMp3Test, OnlyMp3FilesChangeAndEachOtherIsACountedError) {
    TempDir dir;
    const QStringList names = MakeFiles(dir);
    const FolderState before = Snapshot(dir.Dir());
    const QStringList args = GetParam().args + names;

    const CliResult dry = RunCli(QStringList{"--dry-run"} + args, dir.Path());
    const CliResult json = RunCli(QStringList{"--dry-run", "--json"} + args, dir.Path());
    EXPECT_TRUE(Snapshot(dir.Dir()) == before);
    const CliResult real = RunCli(args, dir.Path());
    EXPECT_EQ(real.exitCode, 1) << real.err.toStdString();
    EXPECT_EQ(dry.out, real.out);
    EXPECT_EQ(dry.exitCode, real.exitCode);

    const FolderState after = Snapshot(dir.Dir());
    QStringList errors;
    QStringList notes;
    for (const MadeFile& file : kFiles) {
        const auto was = before.find(file.name);
        const auto now = after.find(file.name);
        if (file.mp3) {
            EXPECT_TRUE(now == after.end() || !(now->second == was->second)) << file.name;
            continue;
        }
        ASSERT_TRUE(now != after.end()) << file.name;
        EXPECT_TRUE(now->second == was->second) << file.name;
        errors << QStringLiteral("Error #%1: Not an MP3 file ").arg(errors.size() + 1) +
                      dir.Path(file.name);
        notes << "note: " + dir.Path(file.name) + ": not an MP3 file";
    }
    EXPECT_EQ(real.out.filter("Error #"), errors);
    EXPECT_EQ(real.out.last(), QStringLiteral("Process Complete! (%1 errors)").arg(errors.size()));
    EXPECT_EQ(dry.err.split('\n', Qt::SkipEmptyParts).filter("not an MP3"), notes);

    const QJsonObject plan = JsonOf(json);
    EXPECT_EQ(plan["errors"].toInt(), errors.size());
    const QJsonArray entries = plan["entries"].toArray();
    ASSERT_EQ(entries.size(), names.size());
    for (qsizetype k = 0; k < names.size(); ++k) {
        EXPECT_EQ(NotesOf(entries[k].toObject()).contains("not an MP3 file"), !kFiles[k].mp3)
            << kFiles[k].name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryChangingProcess, NotMp3Test,
    testing::Values(ProcessCase{"Tag", {"tag", "--artist", "X"}}, ProcessCase{"UnTag", {"untag"}},
                    ProcessCase{"TagToFilename", {"tag-to-filename"}},
                    ProcessCase{"FilenameToTag",
                                {"filename-to-tag", "--overwrite", "--template", "%1"}},
                    ProcessCase{"Adjust", {"adjust", "--replace", "o", "0"}}),
    [](const testing::TestParamInfo<ProcessCase>& info) { return info.param.name; });

// Listing changes nothing, so it lists every file's tag, MP3 or not.
TEST(CliNotMp3, ListingReadsEveryFile) {
    TempDir dir;
    const QStringList names = MakeFiles(dir);
    const CliResult result = RunCli(QStringList{"list", "--template", "%1"} + names, dir.Path());
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out.size(), names.size() + 2);
}

struct FieldsCase {
    const char* name;
    QStringList args;
    QByteArray tagged;   // the tag the tagged file gets
    QByteArray untagged; // the tag a file without one gets
};

void PrintTo(const FieldsCase& c, std::ostream* os) {
    *os << c.name;
}

class TagFieldsTest : public testing::TestWithParam<FieldsCase> {};

TEST_P(TagFieldsTest, OnlyTheFieldsNamedChange) {
    TempDir dir;
    WriteMp3(dir.Path("tagged.mp3"), 300, MakeTag("Song", "Band", "Album", "1999", "Note", 17));
    WriteMp3(dir.Path("untagged.mp3"), 300);
    WriteFile(dir.Path("Vantuke.Ini"),
              "[TAG]\nArtist=Ini Band\nAlbum=Ini Album\nYear=2020\nGenre=8\n"
              "AskSongName=0\nAskArtist=0\nAskAlbum=0\nAskYear=0\nAskComment=0\nAskGenre=0\n"
              "LeaveSongName=1\nLeaveArtist=0\nLeaveAlbum=0\nLeaveYear=1\nLeaveComment=1\n"
              "LeaveGenre=1\n");
    const CliResult result =
        RunCli(QStringList{"tag"} + GetParam().args + QStringList{"tagged.mp3", "untagged.mp3"},
               dir.Path());
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(TagOf(dir.Path("tagged.mp3")), GetParam().tagged);
    EXPECT_EQ(TagOf(dir.Path("untagged.mp3")), GetParam().untagged);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, TagFieldsTest,
    testing::Values(FieldsCase{"OneField",
                               {"--artist", "X"},
                               MakeTag("Song", "X", "Album", "1999", "Note", 17),
                               MakeTag({}, "X")},
                    FieldsCase{"EmptyValuesEmpty",
                               {"--song-name", "", "--genre", ""},
                               MakeTag({}, "Band", "Album", "1999", "Note", 255),
                               MakeTag({}, {}, {}, {}, {}, 255)},
                    FieldsCase{"GenreAndYear",
                               {"--genre", "jazz", "--year", "2001"},
                               MakeTag("Song", "Band", "Album", "2001", "Note", 8),
                               MakeTag({}, {}, {}, "2001", {}, 8)},
                    // The settings file writes the artist and album and leaves the rest; a field
                    // named on the command line is written whatever the file says.
                    FieldsCase{"SettingsForTheOthers",
                               {"--settings", "Vantuke.Ini", "--song-name", "Named"},
                               MakeTag("Named", "Ini Band", "Ini Album", "1999", "Note", 17),
                               MakeTag("Named", "Ini Band", "Ini Album")},
                    FieldsCase{"NamedOverridesTheSettingsLeave",
                               {"--settings", "Vantuke.Ini", "--year", "1970"},
                               MakeTag("Song", "Ini Band", "Ini Album", "1970", "Note", 17),
                               MakeTag({}, "Ini Band", "Ini Album", "1970")}),
    [](const testing::TestParamInfo<FieldsCase>& info) { return info.param.name; });

// A file that cannot be written, then one deleted after it was chosen: with --skip-failed
// each is an error line and the run goes on; without it the first ends the run. The same
// with and without the undo history, and in a dry run.
TEST(CliSkipFailed, FilesThatFailAreCountedAndTheRunGoesOn) {
    TempDir dir;
    const QStringList names{"a.mp3", "ro.mp3", "gone.mp3", "b.mp3"};
    const auto make = [&] {
        for (const char* name : {"a.mp3", "ro.mp3", "b.mp3"}) {
            QFile::setPermissions(dir.Path(name), QFile::ReadOwner | QFile::WriteOwner);
            WriteMp3(dir.Path(name), 300, MakeTag("Song", "Band"));
        }
        MakeReadOnly(dir.Path("ro.mp3"));
    };
    const QStringList tag{"tag", "--keep-readonly", "--artist", "X"};

    make();
    const CliResult stopped = RunCli(tag + names, dir.Path());
    EXPECT_EQ(stopped.exitCode, 2);
    EXPECT_EQ(TagOf(dir.Path("a.mp3")), MakeTag("Song", "X"));
    EXPECT_EQ(TagOf(dir.Path("b.mp3")), MakeTag("Song", "Band"));

    const QStringList expected{"Process selected: TAG",
                               "Processing file:" + dir.Path("a.mp3"),
                               "Processing file:" + dir.Path("ro.mp3"),
                               "Error #1: File access denied: " + dir.Path("ro.mp3"),
                               "Processing file:" + dir.Path("gone.mp3"),
                               "Error #2: File not found: " + dir.Path("gone.mp3"),
                               "Processing file:" + dir.Path("b.mp3"),
                               "Process Complete! (2 errors)"};
    for (const QStringList& variant :
         {QStringList{"--skip-failed"}, QStringList{"--skip-failed", "--no-history"}}) {
        make();
        const CliResult dry = RunCli(tag + variant + QStringList{"-n"} + names, dir.Path());
        const CliResult result = RunCli(tag + variant + names, dir.Path());
        EXPECT_EQ(result.exitCode, 1) << result.err.toStdString();
        EXPECT_EQ(result.out, expected);
        EXPECT_EQ(dry.out, expected);
        EXPECT_EQ(dry.exitCode, 1);
        EXPECT_TRUE(
            dry.err.contains("note: " + dir.Path("ro.mp3") + ": failed: File access denied\n"));
        EXPECT_EQ(TagOf(dir.Path("a.mp3")), MakeTag("Song", "X"));
        EXPECT_EQ(TagOf(dir.Path("ro.mp3")), MakeTag("Song", "Band"));
        EXPECT_EQ(TagOf(dir.Path("b.mp3")), MakeTag("Song", "X"));
    }
}

// A field that held a value and is written empty is a note of the dry run and of --json,
// real or not; a new tag's empty fields are not.
TEST(CliEmptiedFields, EachIsANote) {
    TempDir dir;
    WriteMp3(dir.Path("tagged.mp3"), 300, MakeTag("Song", "Band", {}, "1999", {}, 17));
    WriteMp3(dir.Path("untagged.mp3"), 300);
    const QStringList args{
        "tag",      "--song-name", "",           "--album",     "", "--genre", "",
        "--artist", "Radiohead",   "tagged.mp3", "untagged.mp3"};
    const CliResult dry = RunCli(QStringList{"-n"} + args, dir.Path());
    EXPECT_EQ(dry.err.split('\n', Qt::SkipEmptyParts),
              (QStringList{"note: " + dir.Path("tagged.mp3") + ": Song Name emptied",
                           "note: " + dir.Path("tagged.mp3") + ": Genre emptied",
                           "note: " + dir.Path("untagged.mp3") + ": no tag"}));
    for (const char* mode : {"-n", "--json"}) {
        const QJsonObject plan = JsonOf(RunCli(QStringList{mode, "--json"} + args, dir.Path()));
        const QJsonArray entries = plan["entries"].toArray();
        ASSERT_EQ(entries.size(), 2);
        EXPECT_EQ(NotesOf(entries[0].toObject()),
                  (QStringList{"Song Name emptied", "Genre emptied"}));
        EXPECT_EQ(NotesOf(entries[1].toObject()), QStringList{"no tag"});
    }
    EXPECT_EQ(TagOf(dir.Path("tagged.mp3")), MakeTag({}, "Radiohead", {}, "1999", {}, 255));
}

// Old Style: a title without the separator is not split and loses nothing.
TEST(CliOldStyle, ATitleWithoutTheSeparatorIsKeptWhole) {
    TempDir dir;
    WriteMp3(dir.Path("Intro.mp3"), 300);
    WriteMp3(dir.Path("track01.mp3"), 300);
    WriteMp3(dir.Path("Band - Song.mp3"), 300);
    const CliResult result =
        RunCli({"filename-to-tag", "--old-style", "Intro.mp3", "track01.mp3", "Band - Song.mp3"},
               dir.Path());
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(TagOf(dir.Path("Intro.mp3")), MakeTag({}, "Intro"));
    EXPECT_EQ(TagOf(dir.Path("track01.mp3")), MakeTag({}, "track01"));
    EXPECT_EQ(TagOf(dir.Path("Band - Song.mp3")), MakeTag("Song", "Band"));
}

} // namespace
