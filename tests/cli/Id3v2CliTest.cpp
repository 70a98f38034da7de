// vantuke-cli id3v2-to-tag: the options of the page, the lines and notes, and the exit status.
#include "CliRunner.h"
#include "support/Id3v2Bytes.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

using namespace testsupport;
using clitest::CliResult;
using clitest::RunCli;

namespace {

const QByteArray kId3v2 = Id3v2TagBytes({
    {"TIT2", Id3v2TextContent({"Blue Train"})},
    {"TPE1", Id3v2TextContent({"Ann"})},
    {"TDRC", Id3v2TextContent({"2004-05-01"})},
    {"TCON", Id3v2TextContent({"Shoegaze"})},
});
const QByteArray kHead = kId3v2 + MpegAudioBytes(600);

} // namespace

TEST(CliId3v2, CopiesWhatItIsToldAndNotesWhatItCannot) {
    TempDir dir;
    WriteFile(dir.Path("a.mp3"), kHead + MakeTag("Mine", "", "Album", "", "", 4));
    WriteFile(dir.Path("b.mp3"), kHead);
    WriteFile(dir.Path("c.mp3"), MpegAudioBytes(600));

    const QStringList args{"id3v2-to-tag", "--leave", "song-name", "--only-empty",
                           "--no-create",  "a.mp3",   "b.mp3",     "c.mp3"};
    const CliResult dry = RunCli(QStringList{"--dry-run"} + args, dir.Path());
    EXPECT_EQ(dry.exitCode, 0) << dry.err.toStdString();
    EXPECT_TRUE(dry.err.contains("note: " + dir.Path("a.mp3") +
                                 ": Genre not copied: \"Shoegaze\" has no ID3v1 number"))
        << dry.err.toStdString();
    EXPECT_TRUE(dry.err.contains("note: " + dir.Path("c.mp3") + ": no ID3v2 tag"));

    const CliResult run = RunCli(args, dir.Path());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, dry.out);
    EXPECT_EQ(run.out.value(0), "Process selected: ID3v2>TAG");
    EXPECT_TRUE(run.out.contains("No ID3v2 tag, file left as it is"));
    // The song name is left, only empty fields are filled, the genre stays.
    EXPECT_EQ(ReadFile(dir.Path("a.mp3")), kHead + MakeTag("Mine", "Ann", "Album", "2004", "", 4));
    EXPECT_EQ(ReadFile(dir.Path("b.mp3")), kHead) << "--no-create made a tag";
    EXPECT_EQ(ReadFile(dir.Path("c.mp3")), MpegAudioBytes(600));
}

TEST(CliId3v2, AnUnreadableTagIsACountedErrorAndTheRunGoesOn) {
    TempDir dir;
    WriteFile(dir.Path("a.mp3"), Id3v2TagBytes({}, {.major = 5}) + MpegAudioBytes(600));
    WriteFile(dir.Path("b.mp3"), kHead);
    const CliResult run = RunCli({"-q", "id3v2-to-tag", "a.mp3", "b.mp3"}, dir.Path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, QStringList({"Error #1: ID3v2 tag cannot be read (unknown version "
                                    "2.5.0), file left as it is: " +
                                        dir.Path("a.mp3"),
                                    "Process Complete! (1 errors)"}));
    EXPECT_EQ(ReadFile(dir.Path("b.mp3")),
              kHead + MakeTag("Blue Train", "Ann", "", "2004", "", 255));
}
