// The frame of a run: its first and last lines, the error count, the progress bar, the
// stops, and the I/O errors that end a run without a finish.
#include "batch/ExecuteBatch.h"
#include "ScriptedHost.h"
#include "platform/IoError.h"
#include "support/TestFiles.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace vantuke;
using namespace testsupport;

namespace {

BatchOptions OptionsFor(Process process, bool clearStatus = true) {
    BatchOptions options;
    options.process = process;
    options.clearStatus = clearStatus;
    return options;
}

qint64 SizeOf(const QString& path) {
    return QFileInfo(path).size();
}

} // namespace

class EmptyListTest : public testing::TestWithParam<Process> {};

TEST_P(EmptyListTest, ReportsNoFilesAndCompletesWithOneError) {
    ScriptedHost host;
    host.lines = {"line of an earlier run"};
    QStringList entries;
    const BatchResult result = ExecuteBatch(entries, OptionsFor(GetParam()), host);

    EXPECT_EQ(host.clears, 1);
    EXPECT_EQ(host.lines,
              QStringList({"Process selected: " + ProcessCaption(GetParam()),
                           "Error #1: No files to process", "Process Complete! (1 errors)"}));
    EXPECT_EQ(result.errorCount, 1);
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(host.progressMaximum, 0);
}

INSTANTIATE_TEST_SUITE_P(AllProcesses, EmptyListTest,
                         testing::Values(Process::TagToFilename, Process::FilenameToTag,
                                         Process::Tag, Process::UnTag, Process::ListFiles,
                                         Process::AdjustFileName));

TEST(ExecuteBatchFrame, WithoutClearingTheLinesAreAppended) {
    ScriptedHost host;
    host.lines = {"earlier"};
    QStringList entries;
    ExecuteBatch(entries, OptionsFor(Process::UnTag, false), host);
    EXPECT_EQ(host.clears, 0);
    EXPECT_EQ(host.lines, QStringList({"earlier", "Error #1: No files to process",
                                       "Process Complete! (1 errors)"}));
}

TEST(ExecuteBatchFrame, ProgressStepsOncePerEntryAndReturnsToZero) {
    TempDir dir;
    QStringList entries;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) {
        WriteMp3(dir.Path(name), 300);
        entries << dir.Path(name);
    }
    ScriptedHost host;
    ExecuteBatch(entries, OptionsFor(Process::ListFiles), host);
    EXPECT_EQ(host.progressMaximum, 3);
    EXPECT_EQ(host.positions, QList<int>({0, 1, 2, 3, 0}));
}

TEST(ExecuteBatchFrame, UnTagWithoutConfirmationCutsOnlyTaggedFiles) {
    TempDir dir;
    const QString tagged = dir.Path("tagged.mp3");
    const QString plain = dir.Path("plain.mp3");
    WriteMp3(tagged, 5000, MakeTag("Song", "Artist"));
    WriteMp3(plain, 5000);
    QStringList entries{tagged, plain};
    ScriptedHost host;
    const BatchResult result = ExecuteBatch(entries, OptionsFor(Process::UnTag), host);

    EXPECT_EQ(SizeOf(tagged), 5000);
    EXPECT_EQ(ReadFile(tagged), AudioBytes(5000));
    EXPECT_EQ(SizeOf(plain), 5000);
    EXPECT_TRUE(host.confirmedPaths.isEmpty());
    EXPECT_EQ(host.lines, QStringList({"Process selected: UnTAG", "Processing file:" + tagged,
                                       "TAG is present? Yes", "Processing file:" + plain,
                                       "TAG is present? No", "Process Complete! (0 errors)"}));
    EXPECT_EQ(result.errorCount, 0);
}

TEST(ExecuteBatchFrame, UnTagConfirmationYesNoCancel) {
    TempDir dir;
    QStringList entries;
    for (const char* name : {"1.mp3", "2.mp3", "3.mp3", "4.mp3"}) {
        WriteMp3(dir.Path(name), 1000, MakeTag(name, "X"));
        entries << dir.Path(name);
    }
    BatchOptions options = OptionsFor(Process::UnTag);
    options.untagConfirmation = true;
    ScriptedHost host;
    host.confirmAnswers = {ConfirmAnswer::Yes, ConfirmAnswer::No, ConfirmAnswer::Cancel};
    const BatchResult result = ExecuteBatch(entries, options, host);

    EXPECT_EQ(SizeOf(entries[0]), 1000);
    EXPECT_EQ(SizeOf(entries[1]), 1128);
    EXPECT_EQ(SizeOf(entries[2]), 1128);
    EXPECT_EQ(SizeOf(entries[3]), 1128); // never reached
    EXPECT_EQ(host.confirmedPaths, entries.mid(0, 3));
    // Stepped for the first two entries only; the cancelled entry gets no step.
    EXPECT_EQ(host.positions, QList<int>({0, 1, 2, 0}));
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(host.lines.last(), "Process Complete! (0 errors)");
    EXPECT_EQ(host.lines.size(), 1 + 3 * 2 + 1);
}

// An I/O failure in a tag operation ends the run at once: the lines so far stay, the
// progress bar keeps its position, no finish line, earlier work stays done.
struct IoFailureCase {
    const char* name;
    Process process;
    bool shortFile; // else the file is missing
    const char* expectedText;
};

// Names the case in test lists, which gtest would otherwise fill with the case's raw bytes.
void PrintTo(const IoFailureCase& c, std::ostream* os) {
    *os << c.name;
}

class IoFailureTest : public testing::TestWithParam<IoFailureCase> {};

TEST_P(IoFailureTest, EndsTheRunWithoutFinish) {
    const IoFailureCase& c = GetParam();
    TempDir dir;
    const QString first = dir.Path("first.mp3");
    const QString bad = dir.Path("bad.mp3");
    const QString third = dir.Path("third.mp3");
    WriteMp3(first, 500, MakeTag("One", "Band"));
    WriteMp3(third, 500, MakeTag("Three", "Band"));
    if (c.shortFile)
        WriteFile(bad, QByteArray(100, 'x'));
    QStringList entries{first, bad, third};
    const QStringList before = entries;
    BatchOptions options = OptionsFor(c.process);
    options.tagFill.ask.fill(false);

    ScriptedHost host;
    try {
        ExecuteBatch(entries, options, host);
        FAIL() << "no IoError";
    } catch (const IoError& error) {
        EXPECT_EQ(error.Text(), QString::fromLatin1(c.expectedText));
    }
    EXPECT_EQ(host.positions, QList<int>({0, 1}));
    ASSERT_FALSE(host.lines.isEmpty());
    EXPECT_FALSE(host.lines.last().startsWith("Process Complete!"));
    EXPECT_FALSE(host.lines.join('\n').contains(third)) << "the third entry was touched";
    EXPECT_EQ(entries[2], before[2]);
    EXPECT_EQ(SizeOf(third), 628);
    if (c.shortFile) {
        EXPECT_EQ(ReadFile(bad), QByteArray(100, 'x'));
    }
}

INSTANTIATE_TEST_SUITE_P(
    TagProcesses, IoFailureTest,
    testing::Values(
        IoFailureCase{"TagToFilenameShort", Process::TagToFilename, true, "I/O error 22"},
        IoFailureCase{"TagToFilenameMissing", Process::TagToFilename, false, "File not found"},
        IoFailureCase{"FilenameToTagShort", Process::FilenameToTag, true, "I/O error 22"},
        IoFailureCase{"TagShort", Process::Tag, true, "I/O error 22"},
        IoFailureCase{"TagMissing", Process::Tag, false, "File not found"},
        IoFailureCase{"UnTagShort", Process::UnTag, true, "I/O error 22"},
        IoFailureCase{"UnTagMissing", Process::UnTag, false, "File not found"},
        IoFailureCase{"ListShort", Process::ListFiles, true, "I/O error 22"},
        IoFailureCase{"ListMissing", Process::ListFiles, false, "File not found"}),
    [](const testing::TestParamInfo<IoFailureCase>& info) { return info.param.name; });

// A read-only file: refused with "File access denied" when the option is off; with it on,
// the file is made writable (and stays so) and processed like any other.
class ReadOnlyTest : public testing::TestWithParam<Process> {};

TEST_P(ReadOnlyTest, ProcessedOnlyWhenTheOptionClearsIt) {
    TempDir dir;
    const QString path = dir.Path("ro.mp3");
    const QByteArray bytes = AudioBytes(600) + MakeTag("Song", "Artist");
    WriteFile(path, bytes);
    MakeReadOnly(path);

    BatchOptions keep = OptionsFor(GetParam());
    keep.program.eraseReadOnlyAttr = false;
    keep.tagFill.ask.fill(false);
    keep.writeTagOnlyWhenNotPresent = false;
    QStringList entries{path};
    ScriptedHost host;
    try {
        ExecuteBatch(entries, keep, host);
        FAIL() << "no IoError";
    } catch (const IoError& error) {
        EXPECT_EQ(error.Text(), "File access denied");
    }
    EXPECT_EQ(ReadFile(path), bytes);
    EXPECT_FALSE(QFileInfo(path).permissions() & QFile::WriteOwner);

    BatchOptions erase = keep;
    erase.program.eraseReadOnlyAttr = true;
    ScriptedHost second;
    EXPECT_EQ(ExecuteBatch(entries, erase, second).errorCount, 0);
    EXPECT_EQ(second.lines.last(), "Process Complete! (0 errors)");
    EXPECT_TRUE(QFileInfo(entries[0]).permissions() & QFile::WriteOwner);
}

INSTANTIATE_TEST_SUITE_P(ChangingProcesses, ReadOnlyTest,
                         testing::Values(Process::TagToFilename, Process::FilenameToTag,
                                         Process::Tag, Process::UnTag));

// "List files/TAGs" only reads: a read-only file lists with its tag whatever the option says,
// and keeps its mode.
TEST(ExecuteBatchFrame, ListReadsReadOnlyFilesAndNeverChangesTheirMode) {
    TempDir dir;
    const QString path = dir.Path("ro.mp3");
    WriteMp3(path, 600, MakeTag("Song", "Artist"));
    MakeReadOnly(path);
    for (const bool erase : {false, true}) {
        BatchOptions options = OptionsFor(Process::ListFiles);
        options.program.eraseReadOnlyAttr = erase;
        options.listTemplate = "%2 - %1";
        QStringList entries{path};
        ScriptedHost host;
        EXPECT_EQ(ExecuteBatch(entries, options, host).errorCount, 0);
        EXPECT_EQ(host.lines, QStringList({"Process selected: List files/TAGs", "Artist - Song",
                                           "Process Complete! (0 errors)"}));
        EXPECT_FALSE(QFileInfo(path).permissions() & QFile::WriteOwner) << erase;
    }
}

TEST(ExecuteBatchFrame, AdjustClearsTheReadOnlyAttributeOnlyWhenAsked) {
    TempDir dir;
    WriteMp3(dir.Path("a_b.mp3"), 300);
    MakeReadOnly(dir.Path("a_b.mp3"));
    BatchOptions options = OptionsFor(Process::AdjustFileName);
    options.substitutions = {{"_", "-"}};
    options.program.eraseReadOnlyAttr = false;
    QStringList entries{dir.Path("a_b.mp3")};
    ScriptedHost host;
    ExecuteBatch(entries, options, host);
    EXPECT_EQ(entries[0], dir.Path("a-b.mp3"));
    EXPECT_FALSE(QFileInfo(entries[0]).permissions() & QFile::WriteOwner);

    options.program.eraseReadOnlyAttr = true;
    ExecuteBatch(entries, options, host);
    EXPECT_TRUE(QFileInfo(entries[0]).permissions() & QFile::WriteOwner);
}

TEST(ExecuteBatchFrame, AdjustCountsMissingFilesAndGoesOn) {
    TempDir dir;
    const QString gone = dir.Path("gone.mp3"); // its name would not change
    const QString goneToo = dir.Path("gone_too.mp3");
    const QString present = dir.Path("a_b.mp3");
    WriteMp3(present, 50); // shorter than a tag: never opened by this process
    QStringList entries{gone, goneToo, present};
    BatchOptions options = OptionsFor(Process::AdjustFileName);
    options.substitutions = {{"_", " "}};
    ScriptedHost host;
    const BatchResult result = ExecuteBatch(entries, options, host);

    EXPECT_EQ(
        host.lines,
        QStringList({"Process selected: Adjust FileName", "Error #1: Cannot rename file " + gone,
                     "Error #2: Cannot rename file " + goneToo, "Process Complete! (2 errors)"}));
    EXPECT_EQ(result.errorCount, 2);
    EXPECT_EQ(entries, QStringList({gone, goneToo, dir.Path("a b.mp3")}));
    EXPECT_EQ(ReadFile(dir.Path("a b.mp3")), AudioBytes(50));
}
