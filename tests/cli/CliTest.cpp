// vantuke-cli run as a program on files the tests make: its output lines, exit codes,
// answers read from standard input, and the bytes it leaves in the files.
#include "CliRunner.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace testsupport;
using clitest::CliResult;
using clitest::RunCli;

TEST(Cli, VersionAndHelp) {
    TempDir dir;
    const CliResult version = RunCli({"--version"}, dir.Path());
    EXPECT_EQ(version.exitCode, 0);
    // Second line: the settings file; the build folder takes it beside the program.
    const QString programDir = QFileInfo(qEnvironmentVariable("VANTUKE_CLI")).absolutePath();
    EXPECT_EQ(version.out,
              (QStringList{"vantuke-cli 1.35", "Settings file: " + programDir + "/Vantuke.Ini"}));
    // The file --settings names, before --version, made absolute.
    EXPECT_EQ(RunCli({"--settings", "./my.ini", "--version"}, dir.Path()).out.value(1),
              "Settings file: " + QFileInfo(dir.Path()).canonicalFilePath() + "/my.ini");

    const CliResult help = RunCli({"list", "--help"}, dir.Path());
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.first().startsWith("Usage: vantuke-cli [OPTIONS] PROCESS [FILE...]"));
    EXPECT_TRUE(help.err.isEmpty());
}

using UsageCase = clitest::ArgsCase;

class CliUsageTest : public testing::TestWithParam<UsageCase> {};

TEST_P(CliUsageTest, Exits64WithUsageOnStandardError) {
    TempDir dir;
    WriteMp3(dir.Path("a.mp3"), 300, MakeTag("S", "A"));
    const QByteArray before = ReadFile(dir.Path("a.mp3"));
    const CliResult result = RunCli(GetParam().args, dir.Path());
    EXPECT_EQ(result.exitCode, 64);
    EXPECT_EQ(result.out, QStringList());
    EXPECT_TRUE(result.err.startsWith("vantuke-cli: ")) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains("Usage: vantuke-cli"));
    EXPECT_EQ(ReadFile(dir.Path("a.mp3")), before);
}

INSTANTIATE_TEST_SUITE_P(
    BadCommandLines, CliUsageTest,
    testing::Values(
        UsageCase{"NoProcess", {}}, UsageCase{"UnknownProcess", {"rename", "a.mp3"}},
        UsageCase{"UnknownOption", {"list", "--colour", "a.mp3"}},
        UsageCase{"BadExtension", {"--ext", "mp4", "list", "a.mp3"}},
        UsageCase{"DigitsOutOfRange", {"--digits", "5", "list", "a.mp3"}},
        UsageCase{"MissingValue", {"list", "a.mp3", "--template"}},
        UsageCase{"FlagWithValue", {"list", "--keep-readonly=1", "a.mp3"}},
        UsageCase{"CsvOfAChange", {"untag", "--csv", "a.mp3"}},
        UsageCase{"CsvAndJson", {"list", "--csv", "--json", "a.mp3"}},
        UsageCase{"FormatOutOfRange", {"filename-to-tag", "--old-style", "--format", "8"}},
        UsageCase{"SeparatorWithoutOldStyle", {"filename-to-tag", "--separator", "_", "a.mp3"}},
        UsageCase{"TemplateWithOldStyle",
                  {"filename-to-tag", "--old-style", "--template", "%1", "a.mp3"}},
        UsageCase{"GenreOutOfTable", {"tag", "--genre", "148", "a.mp3"}},
        UsageCase{"UnknownGenre", {"tag", "--genre", "Polka Metal", "a.mp3"}},
        UsageCase{"UnknownField", {"tag", "--leave", "title", "a.mp3"}},
        UsageCase{"FieldLeftAndWritten", {"tag", "--leave", "artist", "--artist", "X", "a.mp3"}},
        UsageCase{"FieldLeftAndAsked", {"tag", "--ask", "genre", "--leave", "genre", "a.mp3"}},
        UsageCase{"OptionOfAnotherProcess", {"untag", "--template", "%1", "a.mp3"}},
        UsageCase{"TagValueForList", {"list", "--artist", "X", "a.mp3"}},
        UsageCase{"ReplaceNeedsTwoValues", {"adjust", "a.mp3", "--replace", "_"}},
        UsageCase{"NotAPlaylist", {"list", "--playlist", "a.mp3"}},
        UsageCase{"MissingSettingsFile", {"list", "--settings", "nothere.ini", "a.mp3"}},
        UsageCase{"EmptyFileName", {"list", ""}},
        UsageCase{"CodePageWithoutName", {"list", "a.mp3", "--code-page"}},
        UsageCase{"CodePagesTakeNoFile", {"code-pages", "a.mp3"}},
        UsageCase{"GuessWithoutFile", {"guess-code-page"}},
        UsageCase{"GuessWithAProcessOption", {"guess-code-page", "--artist", "X", "a.mp3"}},
        UsageCase{"CodePageForHistory", {"history", "--code-page", "GBK"}},
        UsageCase{"OnlyEmptyForTag", {"tag", "--only-empty", "a.mp3"}},
        UsageCase{"NoCreateForUntag", {"untag", "--no-create", "a.mp3"}},
        UsageCase{"Id3v2ValueGiven", {"id3v2-to-tag", "--artist", "X", "a.mp3"}},
        UsageCase{"Id3v2UnknownField", {"id3v2-to-tag", "--leave", "title", "a.mp3"}}),
    [](const testing::TestParamInfo<UsageCase>& info) { return info.param.name; });

TEST(Cli, ListMakesPathsAbsoluteAndDropsDuplicates) {
    TempDir dir;
    QDir(dir.Path()).mkdir("sub");
    WriteMp3(dir.Path("sub/a.mp3"), 300, MakeTag("Tune", "Xyz", "", "1999", "", 17));
    WriteMp3(dir.Path("b.mp3"), 300);
    const CliResult result = RunCli({"list", "--show-processing", "--template",
                                     "%N %8|%7.%9 %2 - %1 (%4,%6)", "sub/a.mp3", "./sub//a.mp3",
                                     "b.mp3", "sub/../b.mp3", "--digits", "3", "--ext", "MP3"},
                                    dir.Path());
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out,
              QStringList(
                  {"Process selected: List files/TAGs", "Processing file:" + dir.Path("sub/a.mp3"),
                   "001 " + dir.Path("sub/") + "|a.MP3 Xyz - Tune (1999,Rock)",
                   "Processing file:" + dir.Path("b.mp3"),
                   "Processing file:" + dir.Path("sub/../b.mp3"), "Process Complete! (0 errors)"}));
}

TEST(Cli, EmptySelectionIsAnErrorOfTheRun) {
    TempDir dir;
    const CliResult result = RunCli({"untag"}, dir.Path());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, QStringList({"Process selected: UnTAG", "Error #1: No files to process",
                                       "Process Complete! (1 errors)"}));
}

TEST(Cli, TagToFilenameRenamesAndCountsCollisions) {
    TempDir dir;
    WriteMp3(dir.Path("1.mp3"), 301, MakeTag("Tune", "Xyz"));
    WriteMp3(dir.Path("2.mp3"), 302, MakeTag("Tune", "Xyz"));
    const CliResult result = RunCli({"tag-to-filename", "1.mp3", "2.mp3"}, dir.Path());
    EXPECT_EQ(result.exitCode, 1);
    const QString renamed = dir.Path("Xyz - Tune.mp3");
    EXPECT_EQ(
        result.out,
        QStringList({"Process selected: TAG>Filename", "Processing file:" + dir.Path("1.mp3"),
                     "TAG is present? Yes", "Renaming from " + dir.Path("1.mp3") + " to " + renamed,
                     "Processing file:" + dir.Path("2.mp3"), "TAG is present? Yes",
                     "Renaming from " + dir.Path("2.mp3") + " to " + renamed,
                     "Error #1: Cannot rename file " + dir.Path("2.mp3"),
                     "Process Complete! (1 errors)"}));
    EXPECT_EQ(QFileInfo(renamed).size(), 301 + 128);
    EXPECT_EQ(QFileInfo(dir.Path("2.mp3")).size(), 302 + 128);
}

TEST(Cli, FilenameToTagInBothStyles) {
    TempDir dir;
    WriteMp3(dir.Path("Dj Star - Morning Light.mp3"), 300);
    WriteMp3(dir.Path("Intro_Theme.mp3"), 300);
    WriteMp3(dir.Path("(Band) - Song (1994).mp3"), 300, MakeTag("Old", "Old", "Album", "", "", 8));

    const CliResult newStyle = RunCli(
        {"filename-to-tag", "--template", "%2 - %1", "Dj Star - Morning Light.mp3"}, dir.Path());
    EXPECT_EQ(newStyle.exitCode, 0);
    EXPECT_EQ(TagOf(dir.Path("Dj Star - Morning Light.mp3")), MakeTag("Morning Light", "Dj Star"));

    RunCli({"filename-to-tag", "--old-style", "--separator", "_", "--format", "1", "--keep-spaces",
            "Intro_Theme.mp3"},
           dir.Path());
    EXPECT_EQ(TagOf(dir.Path("Intro_Theme.mp3")), MakeTag("Intro", "Theme"));

    // A tagged file is converted only with --overwrite, and keeps what the style leaves.
    const QStringList args{"filename-to-tag", "--template", "(%2) - %1 (%4)",
                           "(Band) - Song (1994).mp3"};
    RunCli(args, dir.Path());
    EXPECT_EQ(TagOf(dir.Path("(Band) - Song (1994).mp3")),
              MakeTag("Old", "Old", "Album", "", "", 8));
    RunCli(QStringList(args) << "--overwrite", dir.Path());
    EXPECT_EQ(TagOf(dir.Path("(Band) - Song (1994).mp3")),
              MakeTag("Song", "Band", "Album", "1994", "", 8));
}

TEST(Cli, TagWritesPageValuesLeftFieldsAndCutsLongTexts) {
    TempDir dir;
    const QByteArray artist("Ab\0cd", 5);
    WriteMp3(dir.Path("t.mp3"), 300, MakeTag("Old", artist, "Old", "1900", "Old", 200));
    WriteMp3(dir.Path("u.mp3"), 300);
    const QString longName = QString(35, 'x');
    const CliResult result =
        RunCli({"tag", "--song-name", longName, "--album", "Caf\u00e9", "--year", "19981",
                "--genre", "jazz+funk", "--leave", "artist", "t.mp3", "u.mp3"},
               dir.Path());
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(
        result.out,
        QStringList({"Process selected: TAG", "Processing file:" + dir.Path("t.mp3"),
                     "Processing file:" + dir.Path("u.mp3"), "Process Complete! (0 errors)"}));
    // The comment, not named, is left.
    EXPECT_EQ(TagOf(dir.Path("t.mp3")),
              MakeTag(QByteArray(30, 'x'), artist, "Caf\xe9", "1998", "Old", 29));
    EXPECT_EQ(TagOf(dir.Path("u.mp3")),
              MakeTag(QByteArray(30, 'x'), "", "Caf\xe9", "1998", "", 29));
}

TEST(Cli, TagAsksOnTheTerminal) {
    TempDir dir;
    QStringList files;
    for (const char* name : {"1.mp3", "2.mp3", "3.mp3", "4.mp3"}) {
        WriteMp3(dir.Path(name), 300, MakeTag("Song", "Artist", "", "1990"));
        files << name;
    }
    // File 1: a new song name, the year kept, genre by name; file 2 ignored; file 3 aborts.
    const QByteArray answers = "New Song\n\nrock\n!ignore\n!abort\n";
    const CliResult result = RunCli(QStringList{"tag", "--ask", "song-name", "--ask", "year",
                                                "--ask", "genre", "--artist", "Page"}
                                        << files,
                                    dir.Path(), answers);
    // The run did not finish: a script can tell.
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out.last(), "Process Complete! (0 errors)");
    EXPECT_FALSE(result.out.join('\n').contains("4.mp3"));
    EXPECT_TRUE(result.err.contains("Processing file:" + dir.Path("1.mp3")));
    EXPECT_TRUE(result.err.contains("Song Name [Song]: "));
    EXPECT_TRUE(result.err.contains("Year [1990]: "));
    EXPECT_TRUE(result.err.contains("Genre [Blues]: "));
    EXPECT_FALSE(result.err.contains("Artist ["));

    EXPECT_EQ(TagOf(dir.Path("1.mp3")), MakeTag("New Song", "Page", "", "1990", "", 17));
    for (const char* name : {"2.mp3", "3.mp3", "4.mp3"})
        EXPECT_EQ(TagOf(dir.Path(name)), MakeTag("Song", "Artist", "", "1990")) << name;
}

// The answers end where one is needed: an error that names the file, and exit status 2. The
// status lines are those of an abort in the window.
TEST(Cli, EndOfInputWhereAnAnswerIsNeededIsAnError) {
    TempDir dir;
    WriteMp3(dir.Path("a.mp3"), 300);
    WriteMp3(dir.Path("b.mp3"), 300, MakeTag("S", "A"));
    struct Case {
        QStringList args;
        QByteArray answers;
        QString unanswered;
    };
    const Case cases[] = {
        {{"tag", "--ask", "comment", "--artist", "X", "a.mp3", "b.mp3"}, "", "a.mp3"},
        {{"tag", "--ask", "comment", "--artist", "X", "a.mp3", "b.mp3"}, "One\n", "b.mp3"},
        {{"untag", "--confirm", "b.mp3"}, "maybe\n", "b.mp3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString() + " / " + c.answers.toStdString());
        WriteMp3(dir.Path("a.mp3"), 300);
        WriteMp3(dir.Path("b.mp3"), 300, MakeTag("S", "A"));
        const CliResult result = RunCli(c.args, dir.Path(), c.answers);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_TRUE(result.err.contains("vantuke-cli: end of input where an answer is needed: " +
                                        dir.Path(c.unanswered) + "\n"))
            << result.err.toStdString();
        EXPECT_EQ(result.out.last(), "Process Complete! (0 errors)");
        EXPECT_EQ(TagOf(dir.Path("b.mp3")), MakeTag("S", "A"));
    }
    EXPECT_EQ(QFileInfo(dir.Path("a.mp3")).size(), 300);
}

TEST(Cli, UntagWithConfirmation) {
    TempDir dir;
    QStringList files;
    for (const char* name : {"1.mp3", "2.mp3", "plain.mp3", "3.mp3", "4.mp3"}) {
        WriteMp3(dir.Path(name), 500,
                 QByteArray(name) == "plain.mp3" ? QByteArray() : MakeTag(name, "A"));
        files << name;
    }
    const CliResult result =
        RunCli(QStringList{"untag", "--confirm"} << files, dir.Path(), "y\nmaybe\nn\nc\n");
    EXPECT_EQ(result.exitCode, 1) << "cancelled, the run did not finish";
    EXPECT_EQ(result.err.count("Remove TAG from file: "), 3);
    EXPECT_TRUE(result.err.contains("Remove TAG from file: " + dir.Path("1.mp3") + " ?"));
    const QList<qint64> sizes{500, 628, 500, 628, 628};
    for (int i = 0; i < files.size(); ++i)
        EXPECT_EQ(QFileInfo(dir.Path(files[i])).size(), sizes[i]) << files[i].toStdString();
    EXPECT_EQ(result.out.last(), "Process Complete! (0 errors)");
    EXPECT_FALSE(result.out.join('\n').contains("4.mp3"));

    // Without --confirm nothing is asked; the end of the answers stops the run as cancel.
    EXPECT_EQ(RunCli({"untag", "--confirm", "4.mp3"}, dir.Path()).exitCode, 2);
    EXPECT_EQ(QFileInfo(dir.Path("4.mp3")).size(), 628);
    EXPECT_EQ(RunCli({"untag", "4.mp3"}, dir.Path()).exitCode, 0);
    EXPECT_EQ(QFileInfo(dir.Path("4.mp3")).size(), 500);
}

// A value longer than its field is cut as it is written, and never silently: a real run says
// so on standard error once per option, before the first file; a dry run and --json note it
// with each entry it is written to.
TEST(Cli, ValuesCutFromTheCommandLineAreNoted) {
    TempDir dir;
    const QString name = "A Song Name Of Thirty-Six Letters!!";
    ASSERT_EQ(name.size(), 35);
    const QString song = name + "x";
    for (const char* file : {"1.mp3", "2.mp3"})
        WriteMp3(dir.Path(file), 300);
    const QStringList args{"tag",      "--song-name", song,    "--year", "19999",
                           "--artist", "Band",        "1.mp3", "2.mp3"};
    const QString songNote = "Song Name cut to 30 characters (6 lost)";
    const QString yearNote = "Year cut to 4 characters (1 lost)";

    const CliResult dry = RunCli(QStringList{"--dry-run"} << args, dir.Path());
    EXPECT_EQ(dry.exitCode, 0);
    for (const char* file : {"1.mp3", "2.mp3"}) {
        EXPECT_TRUE(dry.err.contains("note: " + dir.Path(file) + ": " + songNote))
            << dry.err.toStdString();
        EXPECT_TRUE(dry.err.contains("note: " + dir.Path(file) + ": " + yearNote));
    }
    const CliResult json = RunCli(QStringList{"--dry-run", "--json"} << args, dir.Path());
    EXPECT_EQ(json.outBytes.count(songNote.toUtf8()), 2) << json.outBytes.constData();
    EXPECT_EQ(json.outBytes.count(yearNote.toUtf8()), 2);

    const CliResult real = RunCli(args, dir.Path());
    EXPECT_EQ(real.exitCode, 0);
    EXPECT_EQ(real.err, "note: --song-name: " + songNote + "\nnote: --year: " + yearNote + "\n");
    for (const char* file : {"1.mp3", "2.mp3"})
        EXPECT_EQ(TagOf(dir.Path(file)),
                  MakeTag(song.left(30).toUtf8(), "Band", "", "1999", "", 0));

    // A value that just fits loses nothing.
    const CliResult fits =
        RunCli({"tag", "--song-name", song.left(30), "--year", "2000", "1.mp3"}, dir.Path());
    EXPECT_EQ(fits.exitCode, 0);
    EXPECT_EQ(fits.err, "");
}

TEST(Cli, AdjustAppliesRowsInOrder) {
    TempDir dir;
    WriteMp3(dir.Path("my_song__01.Mp3"), 40); // no tag needed, shorter than one
    const CliResult result = RunCli({"adjust", "--replace", "_", " ", "--replace", "  ", " ",
                                     "--ext", "MP3", "my_song__01.Mp3"},
                                    dir.Path());
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out,
              QStringList({"Process selected: Adjust FileName", "Process Complete! (0 errors)"}));
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files), QStringList{"my song 01.MP3"});
}

TEST(Cli, IoErrorEndsTheRunWithExitCode2) {
    TempDir dir;
    WriteMp3(dir.Path("a.mp3"), 300, MakeTag("S", "A"));
    WriteFile(dir.Path("short.mp3"), "tiny");
    WriteMp3(dir.Path("c.mp3"), 300, MakeTag("S", "A"));

    const CliResult shortFile = RunCli({"untag", "a.mp3", "short.mp3", "c.mp3"}, dir.Path());
    EXPECT_EQ(shortFile.exitCode, 2);
    EXPECT_EQ(shortFile.err, "I/O error 22.\n" + dir.Path("short.mp3") + "\n");
    EXPECT_EQ(shortFile.out,
              QStringList({"Process selected: UnTAG", "Processing file:" + dir.Path("a.mp3"),
                           "TAG is present? Yes", "Processing file:" + dir.Path("short.mp3")}));
    EXPECT_EQ(QFileInfo(dir.Path("a.mp3")).size(), 300);
    EXPECT_EQ(QFileInfo(dir.Path("c.mp3")).size(), 428);

    const CliResult missing = RunCli({"list", "gone.mp3"}, dir.Path());
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err, "File not found.\n" + dir.Path("gone.mp3") + "\n");
    EXPECT_EQ(missing.out, QStringList{"Process selected: List files/TAGs"});
}

TEST(Cli, ReadOnlyFilesAndKeepReadOnly) {
    TempDir dir;
    WriteMp3(dir.Path("ro.mp3"), 300, MakeTag("S", "A"));
    MakeReadOnly(dir.Path("ro.mp3"));
    const CliResult kept = RunCli({"untag", "--keep-readonly", "ro.mp3"}, dir.Path());
    EXPECT_EQ(kept.exitCode, 2);
    EXPECT_EQ(kept.err, "File access denied.\n" + dir.Path("ro.mp3") + "\n");
    EXPECT_EQ(QFileInfo(dir.Path("ro.mp3")).size(), 428);

    EXPECT_EQ(RunCli({"untag", "ro.mp3"}, dir.Path()).exitCode, 0);
    EXPECT_EQ(QFileInfo(dir.Path("ro.mp3")).size(), 300);
}

TEST(Cli, PlaylistsJoinTheFilesInOrder) {
    TempDir dir;
    QDir(dir.Path()).mkdir("music");
    for (const char* name : {"music/a.mp3", "music/b.mp3", "c.mp3"})
        WriteMp3(dir.Path(name), 300, MakeTag(QByteArray(name).right(5).left(1), "X"));
    WriteFile(dir.Path("music/list.m3u"), "#EXTM3U\r\n#EXTINF:1,b\r\nb.mp3\r\na.mp3\r\n");
    WriteFile(dir.Path("list.pls"), "[playlist]\nNumberOfEntries=1\nFile1=music/a.mp3\n");
    const CliResult result = RunCli({"list", "--template", "%1", "c.mp3", "--playlist",
                                     "music/list.m3u", "--playlist", "list.pls", "music/a.mp3"},
                                    dir.Path());
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, QStringList({"Process selected: List files/TAGs", "c", "b", "a",
                                       "Process Complete! (0 errors)"}));

    const CliResult missing = RunCli({"list", "--playlist", "gone.m3u"}, dir.Path());
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err, "File not found.\n" + dir.Path("gone.m3u") + "\n");
}

TEST(Cli, SettingsFileGivesTheOptionsAndTheCommandLineWins) {
    TempDir dir;
    WriteMp3(dir.Path("a.mp3"), 300, MakeTag("Tune", "Xyz"));
    WriteFile(dir.Path("Vantuke.Ini"), "[ProgramOptions]\nExtensionFormat=2\nNumberOfDigits=2\n"
                                       "[ListFilesTags]\nNoOfPresets=2\nActivePreset=1\n"
                                       "Preset1=unused %1\nPreset2=%N %7.%9 by %2\n"
                                       "[TAG]\nComment=From settings\nGenre=13\nAskSongName=0\n"
                                       "AskArtist=0\nAskAlbum=0\nAskYear=0\nAskComment=0\n"
                                       "AskGenre=0\nLeaveSongName=1\nLeaveArtist=1\n"
                                       "[UnTag]\nConfirmation=1\n");
    const CliResult list = RunCli({"list", "--settings", "Vantuke.Ini", "a.mp3"}, dir.Path());
    EXPECT_EQ(list.out.at(1), "001 a.MP3 by Xyz");
    const CliResult wins =
        RunCli({"list", "--settings", "Vantuke.Ini", "--ext", "mp3", "--template", "%9", "a.mp3"},
               dir.Path());
    EXPECT_EQ(wins.out.at(1), "mp3");

    EXPECT_EQ(RunCli({"tag", "--settings", "Vantuke.Ini", "--year", "2020", "a.mp3"}, dir.Path())
                  .exitCode,
              0);
    EXPECT_EQ(TagOf(dir.Path("a.mp3")), MakeTag("Tune", "Xyz", "", "2020", "From settings", 13));

    // The stored confirmation is on: the end of the answers cancels.
    RunCli({"untag", "--settings", "Vantuke.Ini", "a.mp3"}, dir.Path());
    EXPECT_EQ(QFileInfo(dir.Path("a.mp3")).size(), 428);
}

TEST(Cli, UnwritableOutputIsAFailure) {
    TempDir dir;
    WriteMp3(dir.Path("a.mp3"), 300, MakeTag("Tune", "Xyz"));
    QProcess process;
    process.setWorkingDirectory(dir.Path());
    process.setStandardOutputFile("/dev/full");
    process.start(QString::fromLocal8Bit(qgetenv("VANTUKE_CLI")), {"list", "a.mp3"});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 2);
    EXPECT_TRUE(process.readAllStandardError().contains("cannot write standard output"));
}
