// vantuke-cli --dry-run and --json: a dry run prints the lines and gives the exit status of
// the real run that follows it, changes nothing, and puts its notes on standard error; --json
// prints one document instead of the lines.
#include "CliRunner.h"
#include "support/TestFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace testsupport;
using clitest::CliResult;
using clitest::CliSetup;
using clitest::RunCli;
using clitest::RunCliWith;

namespace {

// The folder of every case: two files whose tags name one file, one whose tag names a file
// that exists, one untagged, one read-only, one too short for a tag.
void MakeFiles(const TempDir& dir) {
    WriteMp3(dir.Path("a.mp3"), 400, MakeTag("Tune", "Xyz"));
    WriteMp3(dir.Path("b.mp3"), 400, MakeTag("Tune", "Xyz"));
    WriteMp3(dir.Path("d.mp3"), 400, MakeTag("Song", "Abc"));
    WriteMp3(dir.Path("Abc - Song.mp3"), 100);
    WriteMp3(dir.Path("c.mp3"), 400);
    WriteMp3(dir.Path("ro.mp3"), 400, MakeTag("Ro", "Only"));
    MakeReadOnly(dir.Path("ro.mp3"));
    WriteFile(dir.Path("short.mp3"), "tiny");
}

struct DryRunCase {
    const char* name;
    QStringList args;
    QByteArray answers; // for the real run's questions
    int exitCode;
};

void PrintTo(const DryRunCase& c, std::ostream* os) {
    *os << c.name;
}

class CliDryRunTest : public testing::TestWithParam<DryRunCase> {};

TEST_P(CliDryRunTest, PrintsAndExitsAsTheRealRunAndChangesNothing) {
    const DryRunCase& c = GetParam();
    TempDir dir;
    MakeFiles(dir);
    AgeAccessTimes(dir.Dir());
    const FolderState before = Snapshot(dir.Dir());

    // No answers: a dry run asks nothing.
    const CliResult dry = RunCli(QStringList{"--dry-run"} + c.args, dir.Path());
    EXPECT_TRUE(Snapshot(dir.Dir()) == before)
        << "the dry run changed a file's bytes, name, mode or times";
    const CliResult shortOption = RunCli(QStringList{"-n"} + c.args, dir.Path());
    EXPECT_EQ(shortOption.outBytes, dry.outBytes);

    const CliResult real = RunCli(c.args, dir.Path(), c.answers);
    EXPECT_EQ(dry.out, real.out);
    EXPECT_EQ(dry.exitCode, real.exitCode);
    EXPECT_EQ(dry.exitCode, c.exitCode);
    // Notes only; the real run prints its questions where the dry run has notes.
    for (const QString& line : dry.err.split('\n', Qt::SkipEmptyParts)) {
        EXPECT_TRUE(line.startsWith("note: " + dir.Dir()) || c.exitCode == 2) << line.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryProcess, CliDryRunTest,
    testing::Values(
        DryRunCase{"TagToFilename",
                   {"tag-to-filename", "a.mp3", "b.mp3", "c.mp3", "d.mp3", "ro.mp3"},
                   {},
                   1},
        DryRunCase{"FilenameToTag",
                   {"filename-to-tag", "--old-style", "--overwrite", "c.mp3", "a.mp3", "c.mp3"},
                   {},
                   0},
        DryRunCase{"TagAsked",
                   {"tag", "--artist", "Page", "--leave", "year", "--ask", "song-name", "a.mp3",
                    "c.mp3", "ro.mp3"},
                   "\n\n\n",
                   0},
        DryRunCase{
            "UnTagConfirmed", {"untag", "--confirm", "a.mp3", "c.mp3", "ro.mp3"}, "y\ny\n", 0},
        DryRunCase{"ListToAShortFile",
                   {"list", "--show-processing", "a.mp3", "c.mp3", "short.mp3", "b.mp3"},
                   {},
                   2},
        DryRunCase{"Adjust",
                   {"adjust", "--replace", "a", "b", "--replace", "d", "c", "a.mp3", "d.mp3",
                    "missing.mp3"},
                   {},
                   1}),
    [](const testing::TestParamInfo<DryRunCase>& info) { return info.param.name; });

TEST(CliDryRun, NotesGoToStandardErrorOnePerLine) {
    TempDir dir;
    MakeFiles(dir);
    const CliResult result =
        RunCli({"tag-to-filename", "-n", "a.mp3", "b.mp3", "c.mp3", "d.mp3", "ro.mp3"}, dir.Path());
    EXPECT_EQ(result.err.split('\n', Qt::SkipEmptyParts),
              QStringList({"note: " + dir.Path("b.mp3") + ": cannot rename: name taken by entry 1",
                           "note: " + dir.Path("c.mp3") + ": no tag",
                           "note: " + dir.Path("d.mp3") + ": cannot rename: name taken",
                           "note: " + dir.Path("ro.mp3") + ": read-only mode cleared"}));
}

TEST(CliJson, StandardOutputIsOneDocumentAndTheExitStatusStays) {
    TempDir dir;
    MakeFiles(dir);
    const FolderState before = Snapshot(dir.Dir());
    const CliResult dry =
        RunCli({"untag", "--dry-run", "--json", "--confirm", "a.mp3", "c.mp3"}, dir.Path());
    EXPECT_EQ(dry.exitCode, 0);
    EXPECT_TRUE(dry.err.isEmpty()) << dry.err.toStdString();
    QJsonParseError error;
    const QJsonObject plan = QJsonDocument::fromJson(dry.outBytes, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << dry.outBytes.constData();
    EXPECT_EQ(plan["process"].toString(), "UnTAG");
    EXPECT_EQ(plan["dry_run"].toBool(), true);
    EXPECT_EQ(plan["complete"].toBool(), true);
    const QJsonArray entries = plan["entries"].toArray();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].toObject()["path"].toString(), dir.Path("a.mp3"));
    EXPECT_EQ(entries[0].toObject()["action"].toString(), "remove-tag");
    EXPECT_EQ(entries[0].toObject()["tag_before"].toObject()["artist"].toString(), "Xyz");
    EXPECT_EQ(entries[0].toObject()["notes"].toArray(), QJsonArray{"asked at run time"});
    EXPECT_EQ(entries[1].toObject()["action"].toString(), "none");
    EXPECT_TRUE(Snapshot(dir.Dir()) == before);

    // A real run: what was done; the question still goes to standard error.
    const CliResult real = RunCli({"untag", "--json", "--confirm", "a.mp3"}, dir.Path(), "y\n");
    EXPECT_EQ(real.exitCode, 0);
    const QJsonObject done = QJsonDocument::fromJson(real.outBytes).object();
    EXPECT_EQ(done["dry_run"].toBool(), false);
    ASSERT_EQ(done["entries"].toArray().size(), 1);
    EXPECT_EQ(done["entries"].toArray()[0].toObject()["action"].toString(), "remove-tag");
    EXPECT_TRUE(real.err.startsWith("Remove TAG from file: "));
    EXPECT_EQ(ReadFile(dir.Path("a.mp3")), AudioBytes(400));
}

// An I/O error: the document says how far the run got, the error goes to standard error as
// without --json, and the exit status is 2.
TEST(CliJson, ARunEndedByAnIoErrorIsIncomplete) {
    TempDir dir;
    MakeFiles(dir);
    const CliResult result =
        RunCli({"list", "-n", "--json", "a.mp3", "short.mp3", "b.mp3"}, dir.Path());
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, "I/O error 22.\n" + dir.Path("short.mp3") + "\n");
    const QJsonObject plan = QJsonDocument::fromJson(result.outBytes).object();
    EXPECT_EQ(plan["complete"].toBool(), false);
    EXPECT_EQ(plan["errors"].toInt(), 0);
    EXPECT_EQ(plan["io_error"].toObject(),
              QJsonObject({{"message", "I/O error 22"}, {"path", dir.Path("short.mp3")}}));
    ASSERT_EQ(plan["entries"].toArray().size(), 2);
    EXPECT_EQ(plan["entries"].toArray()[0].toObject()["action"].toString(), "list");
}

} // namespace
