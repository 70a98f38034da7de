// The per-entry steps of the processes, on real files: the lines they log, the files they
// change, and the entries they rename.
#include "ScriptedHost.h"
#include "batch/ExecuteBatch.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace vantuke;
using namespace testsupport;

namespace {

BatchOptions OptionsFor(Process process) {
    BatchOptions options;
    options.process = process;
    options.clearStatus = true;
    return options;
}

QStringList RunLines(QStringList& entries, const BatchOptions& options,
                     BatchResult* result = nullptr) {
    ScriptedHost host;
    const BatchResult r = ExecuteBatch(entries, options, host);
    if (result)
        *result = r;
    return host.lines;
}

QStringList FilesIn(const TempDir& dir) {
    return QDir(dir.Path()).entryList(QDir::Files, QDir::Name);
}

} // namespace

// --- TAG>Filename ---------------------------------------------------------------------

TEST(TagToFilename, RenamesAfterTheTagAndLogsEachStep) {
    TempDir dir;
    const QString path = dir.Path("a.mp3");
    WriteMp3(path, 700, MakeTag("Tune", "Xyz"));
    QStringList entries{path};
    const QStringList lines = RunLines(entries, OptionsFor(Process::TagToFilename));

    const QString renamed = dir.Path("Xyz - Tune.mp3");
    EXPECT_EQ(lines, QStringList({"Process selected: TAG>Filename", "Processing file:" + path,
                                  "TAG is present? Yes", "Renaming from " + path + " to " + renamed,
                                  "Process Complete! (0 errors)"}));
    EXPECT_EQ(entries, QStringList{renamed});
    EXPECT_EQ(ReadFile(renamed), AudioBytes(700) + MakeTag("Tune", "Xyz"));
}

TEST(TagToFilename, UntaggedFileGivesTwoLinesAndNoError) {
    TempDir dir;
    WriteMp3(dir.Path("plain.mp3"), 300);
    QStringList entries{dir.Path("plain.mp3")};
    BatchResult result;
    const QStringList lines = RunLines(entries, OptionsFor(Process::TagToFilename), &result);
    EXPECT_EQ(lines.mid(1), QStringList({"Processing file:" + dir.Path("plain.mp3"),
                                         "TAG is present? No", "Process Complete! (0 errors)"}));
    EXPECT_EQ(result.errorCount, 0);
    EXPECT_EQ(FilesIn(dir), QStringList{"plain.mp3"});
}

TEST(TagToFilename, CollisionsAreCountedAndNeverReplaceAFile) {
    TempDir dir;
    const QStringList names{"1.mp3", "2.mp3", "3.mp3"};
    QStringList entries;
    for (const QString& name : names) {
        WriteMp3(dir.Path(name), 200 + name.at(0).digitValue(), MakeTag("Same", "Band"));
        entries << dir.Path(name);
    }
    BatchResult result;
    const QStringList lines = RunLines(entries, OptionsFor(Process::TagToFilename), &result);

    EXPECT_EQ(result.errorCount, 2);
    EXPECT_TRUE(lines.contains("Error #1: Cannot rename file " + dir.Path("2.mp3")));
    EXPECT_TRUE(lines.contains("Error #2: Cannot rename file " + dir.Path("3.mp3")));
    EXPECT_EQ(lines.last(), "Process Complete! (2 errors)");
    EXPECT_EQ(entries,
              QStringList({dir.Path("Band - Same.mp3"), dir.Path("2.mp3"), dir.Path("3.mp3")}));
    // The renamed file is the first one, untouched by the two failed renames.
    EXPECT_EQ(QFileInfo(dir.Path("Band - Same.mp3")).size(), 201 + 128);
    EXPECT_EQ(FilesIn(dir), QStringList({"2.mp3", "3.mp3", "Band - Same.mp3"}));
}

TEST(TagToFilename, NumbersCountEveryEntryAndNamesAreCleaned) {
    TempDir dir;
    WriteMp3(dir.Path("u.mp3"), 300); // untagged: keeps its number 1
    WriteMp3(dir.Path("t.mp3"), 300, MakeTag("Live: Paris", "AC/DC"));
    QStringList entries{dir.Path("u.mp3"), dir.Path("t.mp3")};
    BatchOptions options = OptionsFor(Process::TagToFilename);
    options.tagToFilenameTemplate = "%N_%2 - %1";
    options.program.extensionFormat = 2;
    options.program.numberOfDigits = 2;
    RunLines(entries, options);
    EXPECT_EQ(entries[1], dir.Path("002_AC DC - Live  Paris.MP3"));
    EXPECT_EQ(FilesIn(dir), QStringList({"002_AC DC - Live  Paris.MP3", "u.mp3"}));
}

// --- List files/TAGs ------------------------------------------------------------------

TEST(ListFiles, OneLinePerTaggedFile) {
    TempDir dir;
    WriteMp3(dir.Path("a.mp3"), 300, MakeTag("Lovely Day", "The Band", "", "1998", "", 17));
    WriteMp3(dir.Path("b.mp3"), 300);
    WriteMp3(dir.Path("c.MP3"), 300, MakeTag("Other", "Them", "", "", "", 200));
    QStringList entries{dir.Path("a.mp3"), dir.Path("b.mp3"), dir.Path("c.MP3")};
    const QStringList before = entries;
    BatchOptions options = OptionsFor(Process::ListFiles);
    options.listTemplate = "%N %7.%9 %2 - %1 (%4,%6)";
    EXPECT_EQ(RunLines(entries, options), QStringList({"Process selected: List files/TAGs",
                                                       "01 a.mp3 The Band - Lovely Day (1998,Rock)",
                                                       "03 c.mp3 Them - Other (,unknown style)",
                                                       "Process Complete! (0 errors)"}));
    EXPECT_EQ(entries, before);
}

// --- Filename>TAG ---------------------------------------------------------------------

TEST(FilenameToTagProcess, UntaggedFileGetsATagWithGenreZero) {
    TempDir dir;
    const QString path = dir.Path("Dj Star - Morning Light.mp3");
    WriteMp3(path, 1000);
    QStringList entries{path};
    BatchOptions options = OptionsFor(Process::FilenameToTag);
    options.filenameToTag.oldStyle = true;
    EXPECT_EQ(RunLines(entries, options),
              QStringList({"Process selected: Filename>TAG", "Processing file:" + path,
                           "TAG is present? No", "Process Complete! (0 errors)"}));
    EXPECT_EQ(ReadFile(path), AudioBytes(1000) + MakeTag("Morning Light", "Dj Star"));
}

TEST(FilenameToTagProcess, OverwriteKeepsTheFieldsTheStyleDoesNotName) {
    TempDir dir;
    const QString path = dir.Path("07-Dj Star - Morning Light.MP3");
    const QByteArray album("Al\0bum", 6);
    WriteMp3(path, 900, MakeTag("Old", "Old", album, "1994", "note", 42));
    QStringList entries{path};
    BatchOptions options = OptionsFor(Process::FilenameToTag);
    options.writeTagOnlyWhenNotPresent = false;
    options.filenameToTag.newStyleTemplate = "%N-%2 - %1";
    RunLines(entries, options);
    EXPECT_EQ(ReadFile(path),
              AudioBytes(900) + MakeTag("Morning Light", "Dj Star", album, "1994", "note", 42));
}

// --- Adjust FileName ------------------------------------------------------------------

// A file that is no MP3 file (a WAV file here) is not given an MP3 name.
TEST(AdjustFileNameProcess, RowsApplyInOrderAndOnlyFailuresAreLogged) {
    TempDir dir;
    WriteMp3(dir.Path("a_b__c.mp3"), 300);
    WriteMp3(dir.Path("x:y.Mp3"), 300);
    WriteMp3(dir.Path("clip.wav"), 300);
    QStringList entries{dir.Path("a_b__c.mp3"), dir.Path("x:y.Mp3"), dir.Path("clip.wav")};
    BatchOptions options = OptionsFor(Process::AdjustFileName);
    options.substitutions = {{"_", "-"}, {"--", "-"}, {"y", "/z"}};
    EXPECT_EQ(RunLines(entries, options),
              QStringList({"Process selected: Adjust FileName",
                           "Error #1: Not an MP3 file " + dir.Path("clip.wav"),
                           "Process Complete! (1 errors)"}));
    EXPECT_EQ(entries,
              QStringList({dir.Path("a-b-c.mp3"), dir.Path("x  z.mp3"), dir.Path("clip.wav")}));
    EXPECT_EQ(FilesIn(dir), QStringList({"a-b-c.mp3", "clip.wav", "x  z.mp3"}));
}
