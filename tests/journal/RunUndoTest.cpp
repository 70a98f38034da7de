// Runs that keep their undo history: the status lines and files are exactly those of a run
// without it, also when held changes do not turn out as foreseen; and undo brings every file
// back, byte for byte, with its name, mode and times.
#include "FolderState.h"
#include "batch/BatchRun.h"
#include "batch/ExecuteBatch.h"
#include "batch/PlanJson.h"
#include "batch/PlanRecorder.h"
#include "batch/RealRun.h"
#include "batch/ScriptedHost.h"
#include "journal/History.h"
#include "journal/JournalFormat.h"
#include "journal/Undo.h"
#include "platform/Directory.h"
#include "platform/FileAccess.h"
#include "platform/IoError.h"
#include "platform/Locations.h"
#include "platform/NameBytes.h"
#include "support/TestFiles.h"

#include <QRegularExpression>
#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vantuke;

// Tag texts in Windows-1252, the code page of a first start.
const TagCodec kCodec;
using namespace journaltest;
using testsupport::AudioBytes;
using testsupport::MakeTag;
using testsupport::TempDir;

namespace {

constexpr qint64 kSecond = 1000000000LL;
// A modification time in the past and an access time before it: reading such a file moves
// its access time (relatime), which undo must set back.
constexpr qint64 kMtime = 1600000000LL * kSecond + 123456789;
constexpr qint64 kAtime = kMtime - 3 * 24 * 3600 * kSecond;

// Chunks of one, two or up to a thousand changes; never ended by time, so that no test
// depends on the clock.
constexpr ChunkLimits kHoldOne{1, 1LL << 40};
constexpr ChunkLimits kHoldTwo{2, 1LL << 40};
constexpr ChunkLimits kHoldMany{1000, 1LL << 40};

struct MadeFile {
    QByteArray name;
    QByteArray bytes;
    bool readOnly = false;
};

QList<MadeFile> StandardFiles() {
    QByteArray lowerMarker = MakeTag("Song D", "Band");
    lowerMarker.replace(0, 3, "tag");
    return {
        {"track1.mp3", AudioBytes(3000) + MakeTag("Song A", "Band", "Album", "1999")},
        {"track2.mp3", AudioBytes(2500) + MakeTag("Song B", "Band")},
        // The same tag as track1: its new name is taken.
        {"track3.mp3", AudioBytes(2200) + MakeTag("Song A", "Band")},
        {"plain track.mp3", AudioBytes(4000)},
        {"Caf\xE9 track.mp3", AudioBytes(2100) + MakeTag("Caf\xE9", "Ol\xE9")},
        {"locked track.mp3", AudioBytes(2000) + MakeTag("Song C", "Band"), true},
        {"lower track.mp3", AudioBytes(1900) + lowerMarker},
    };
}

void SetTimes(const QString& path, qint64 atime, qint64 mtime) {
    const timespec times[2] = {{time_t(atime / kSecond), long(atime % kSecond)},
                               {time_t(mtime / kSecond), long(mtime % kSecond)}};
    ASSERT_EQ(::utimensat(AT_FDCWD, NameToBytes(path).constData(), times, 0), 0);
}

// Writes the files into dir (emptied first), with known times, and returns their paths in
// the order given.
QStringList MakeFiles(const QString& dir, const QList<MadeFile>& files) {
    ReadDirectory(dir, EntryDetail::KindOnly, [&dir](const DirEntry& entry) {
        ::unlink(NameToBytes(dir + entry.name).constData());
        return true;
    });
    QStringList paths;
    for (const MadeFile& file : files) {
        const QString path = testsupport::PathOfBytes(dir, file.name);
        testsupport::WriteFile(path, file.bytes);
        ::chmod(NameToBytes(path).constData(), file.readOnly ? 0444 : 0644);
        SetTimes(path, kAtime, kMtime + paths.size());
        paths << path;
    }
    return paths;
}

// The files' names and bytes, what a run decides and leaves.
QMap<QByteArray, QByteArray> Contents(const FolderState& state) {
    QMap<QByteArray, QByteArray> contents;
    for (auto it = state.cbegin(); it != state.cend(); ++it)
        contents.insert(it.key(), it.value().bytes);
    return contents;
}

struct ProcessCase {
    const char* name;
    Process process;
    std::function<void(BatchOptions&)> set;
};

void PrintTo(const ProcessCase& c, std::ostream* os) {
    *os << c.name;
}

BatchOptions OptionsFor(const ProcessCase& c) {
    BatchOptions options;
    options.process = c.process;
    options.clearStatus = true;
    options.tagFill.ask.fill(false);
    if (c.set)
        c.set(options);
    return options;
}

const ProcessCase kProcesses[] = {
    {"TagToFilename", Process::TagToFilename, nullptr},
    {"FilenameToTag", Process::FilenameToTag,
     [](BatchOptions& o) {
         o.filenameToTag.newStyleTemplate = QStringLiteral("%1 %U");
         o.writeTagOnlyWhenNotPresent = false;
     }},
    {"Tag", Process::Tag,
     [](BatchOptions& o) {
         o.tagFill.values[1] = QStringLiteral("Other Band");
         o.tagFill.leave[0] = true;
     }},
    {"UnTag", Process::UnTag, nullptr},
    {"AdjustFileName", Process::AdjustFileName,
     [](BatchOptions& o) {
         o.substitutions = {Substitution{QStringLiteral("track"), QStringLiteral("song")}};
     }},
};

// What one run gave: its lines, its end, and the files it left.
struct RunOutcome {
    QStringList lines;
    BatchResult result;
    QString error; // the IoError that ended it, and its path
    QMap<QByteArray, QByteArray> files;
    QStringList entries;
};

class HistoryTest : public ::testing::Test {
protected:
    QString Dir() const { return files_.Dir(); }
    QString History() const { return state_.Dir(); }

    // Runs without the history, over the files made afresh.
    RunOutcome RunPlain(const QList<MadeFile>& made, const BatchOptions& options, FileSystem& files,
                        ScriptedHost* given = nullptr) {
        ScriptedHost own;
        ScriptedHost& host = given ? *given : own;
        QStringList entries = MakeFiles(Dir(), made);
        return Outcome(host, entries, [&] { return ExecuteBatch(entries, options, host, files); });
    }
    // The same with the history kept, after which the files are as the run left them.
    RunOutcome RunKept(const QList<MadeFile>& made, const BatchOptions& options, FileSystem& files,
                       ChunkLimits limits, ScriptedHost* given = nullptr) {
        ScriptedHost own;
        ScriptedHost& host = given ? *given : own;
        QStringList entries = MakeFiles(Dir(), made);
        before_ = ReadFolder(Dir());
        return Outcome(host, entries, [&] {
            return ExecuteWithHistory(entries, options, host, History(), files, limits);
        });
    }
    RunOutcome Outcome(ScriptedHost& host, QStringList& entries,
                       const std::function<BatchResult()>& run) {
        RunOutcome outcome;
        try {
            outcome.result = run();
        } catch (const IoError& error) {
            outcome.error = error.Text() + " " + error.Path();
        }
        outcome.lines = host.lines;
        outcome.files = Contents(ReadFolder(Dir()));
        outcome.entries = entries;
        return outcome;
    }

    UndoResult Undo(const QString& id = {}, bool dryRun = false) {
        undoLines_.clear();
        return UndoRun(History(), id, dryRun,
                       [this](const QString& line) { undoLines_.append(line); });
    }

    void ExpectSameOutcome(const RunOutcome& plain, const RunOutcome& kept) {
        EXPECT_EQ(kept.lines, plain.lines);
        EXPECT_EQ(kept.result.errorCount, plain.result.errorCount);
        EXPECT_EQ(kept.result.stopped, plain.result.stopped);
        EXPECT_EQ(kept.error, plain.error);
        EXPECT_EQ(kept.files, plain.files);
        EXPECT_EQ(kept.entries, plain.entries);
    }

    // Undoes the newest run and expects every file as it was before the run.
    void ExpectUndoneCompletely() {
        const FolderState changed = ReadFolder(Dir());
        const UndoResult undone = Undo();
        EXPECT_EQ(undone.refusal, QString());
        EXPECT_EQ(undone.errorCount, 0) << undoLines_.join('\n').toStdString();
        ExpectSameFiles(before_, ReadFolder(Dir()), changed);
        EXPECT_EQ(undoLines_.last(), QStringLiteral("Undo complete! (0 errors)"));
    }

    std::optional<JournalContents> NewestJournal() const {
        const QList<KeptRun> runs = ListRuns(History());
        if (runs.isEmpty())
            return std::nullopt;
        return ParseJournal(testsupport::ReadFile(JournalPath(History(), runs.first().id)));
    }

    TempDir files_;
    TempDir state_;
    DiskFileSystem disk_;
    FolderState before_;
    QStringList undoLines_;
};

class EveryProcess : public HistoryTest,
                     public ::testing::WithParamInterface<std::tuple<ProcessCase, int>> {};

// Each changing process, its changes held one, two or many at a time: the same lines and
// files as without the history, and an undo that brings everything back.
TEST_P(EveryProcess, RunsAsWithoutHistoryAndUndoesCompletely) {
    const auto& [process, hold] = GetParam();
    const ChunkLimits limits = hold == 1 ? kHoldOne : hold == 2 ? kHoldTwo : kHoldMany;
    const BatchOptions options = OptionsFor(process);
    const RunOutcome plain = RunPlain(StandardFiles(), options, disk_);
    const RunOutcome kept = RunKept(StandardFiles(), options, disk_, limits);
    ExpectSameOutcome(plain, kept);
    EXPECT_NE(Contents(before_), kept.files) << "the run changed nothing";
    ExpectUndoneCompletely();
    // The run is marked as undone; undoing it again is refused.
    const KeptRun run = ListRuns(History()).first();
    EXPECT_TRUE(run.undone);
    EXPECT_EQ(Undo(run.id).refusal, QString("Run " + run.id + " is already undone"));
    EXPECT_EQ(Undo().refusal, QStringLiteral("No run to undo"));
}

INSTANTIATE_TEST_SUITE_P(Processes, EveryProcess,
                         ::testing::Combine(::testing::ValuesIn(kProcesses),
                                            ::testing::Values(1, 2, 1000)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "Hold" +
                                    std::to_string(std::get<1>(info.param));
                         });

// Tags with blocks before them and with tracks: an Enhanced TAG block (cut with its tag,
// changed with it), a Lyrics3v2 and an APEv2 block (never touched).
QList<MadeFile> BlockFiles() {
    const QByteArray lyrics = "LYRICSBEGININD0000211EAL00005Hello000024LYRICS200";
    const QByteArray ape = QByteArray("APETAGEX") + QByteArray(24, '\x01');
    const QByteArray plus = testsupport::MakeEnhancedTag("tle goes on", "and on", "bum too");
    return {
        {"plus.mp3",
         AudioBytes(3000) + plus +
             testsupport::WithTrack(
                 MakeTag("A title of thirty characters.", "Band", "Album", "1999", "Hi", 8), 5)},
        {"lyrics.mp3", AudioBytes(2000) + lyrics + MakeTag("Lyrics", "Band")},
        {"both.mp3", AudioBytes(2500) + lyrics + plus + MakeTag("Both", "Band")},
        {"ape.mp3",
         AudioBytes(2200) + ape +
             testsupport::WithTrack(MakeTag("Ape", "Band", "", "", QByteArray(28, 'c')), 9)},
    };
}

class BlockFilesTest : public HistoryTest,
                       public ::testing::WithParamInterface<std::tuple<ProcessCase, int>> {};

// Over tags with blocks before them, each changing process runs as without the history, and
// undo brings every byte back: the Enhanced TAG block a change rewrote or cut included.
TEST_P(BlockFilesTest, RunAsWithoutHistoryAndUndoCompletely) {
    const auto& [process, hold] = GetParam();
    const ChunkLimits limits = hold == 1 ? kHoldOne : kHoldMany;
    const BatchOptions options = OptionsFor(process);
    const RunOutcome plain = RunPlain(BlockFiles(), options, disk_);
    const RunOutcome kept = RunKept(BlockFiles(), options, disk_, limits);
    ExpectSameOutcome(plain, kept);
    EXPECT_NE(Contents(before_).value("plus.mp3"), kept.files.value("plus.mp3"));
    ExpectUndoneCompletely();
}

INSTANTIATE_TEST_SUITE_P(Processes, BlockFilesTest,
                         ::testing::Combine(::testing::Values(kProcesses[1], kProcesses[2],
                                                              kProcesses[3]),
                                            ::testing::Values(1, 1000)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "Hold" +
                                    std::to_string(std::get<1>(info.param));
                         });

// The journal keeps what a change rewrote or cut: the Enhanced TAG block with the tag.
TEST_F(HistoryTest, TheJournalKeepsTheEnhancedTagBlockAChangeCuts) {
    RunKept(BlockFiles(), OptionsFor(kProcesses[3]), disk_, kHoldMany);
    const std::optional<JournalContents> journal = NewestJournal();
    ASSERT_TRUE(journal);
    QMap<QString, QByteArray> cut;
    for (const ChangeRecord& change : journal->changes)
        cut.insert(change.path.mid(Dir().size()), change.oldLast);
    const QList<MadeFile> files = BlockFiles();
    EXPECT_EQ(cut.value("plus.mp3"), files[0].bytes.right(355));
    EXPECT_EQ(cut.value("lyrics.mp3"), files[1].bytes.right(128));
    EXPECT_EQ(cut.value("both.mp3"), files[2].bytes.right(355));
    EXPECT_EQ(cut.value("ape.mp3"), files[3].bytes.right(128));
    EXPECT_EQ(testsupport::ReadFile(Dir() + "both.mp3"), files[2].bytes.chopped(355));
}

// A run renames a to b and b to c; the next one renames files into each other's old names.
TEST_F(HistoryTest, ChainsOfRenamesComeBack) {
    BatchOptions options = OptionsFor(kProcesses[4]);
    // b.mp3 becomes c.mp3, then a.mp3 takes the name b.mp3 it left free.
    options.substitutions = {Substitution{"b", "c"}, Substitution{"a", "b"}};
    const QList<MadeFile> files{{"b.mp3", AudioBytes(300) + MakeTag("B", "")},
                                {"a.mp3", AudioBytes(400) + MakeTag("A", "")}};
    const RunOutcome plain = RunPlain(files, options, disk_);
    const RunOutcome kept = RunKept(files, options, disk_, kHoldMany);
    ExpectSameOutcome(plain, kept);
    EXPECT_EQ(kept.files.keys(), (QList<QByteArray>{"b.mp3", "c.mp3"}));
    ExpectUndoneCompletely();

    // Over two runs: a to x and b to a, then x to b.
    options.substitutions = {Substitution{"a", "x"}, Substitution{"b", "a"}};
    const QList<MadeFile> pair{{"a.mp3", AudioBytes(300) + MakeTag("A", "")},
                               {"b.mp3", AudioBytes(400) + MakeTag("B", "")}};
    RunKept(pair, options, disk_, kHoldMany);
    const FolderState original = before_;
    QStringList entries{Dir() + "x.mp3"};
    options.substitutions = {Substitution{"x", "b"}};
    ScriptedHost host;
    ExecuteWithHistory(entries, options, host, History(), disk_, kHoldMany);
    EXPECT_EQ(Contents(ReadFolder(Dir())),
              (QMap<QByteArray, QByteArray>{{"a.mp3", pair[1].bytes}, {"b.mp3", pair[0].bytes}}));

    // The first run cannot come back while the second stands: its names are taken.
    const QList<KeptRun> runs = ListRuns(History());
    ASSERT_EQ(runs.size(), 3);
    const FolderState swapped = ReadFolder(Dir());
    UndoResult first = Undo(runs.at(1).id, /*dryRun=*/true);
    EXPECT_EQ(first.errorCount, 2);
    EXPECT_EQ(undoLines_.at(2), "Error #1: Cannot rename file " + Dir() + "a.mp3 back to " + Dir() +
                                    "b.mp3: the name is taken; left alone");
    EXPECT_EQ(undoLines_.at(4), "Error #2: " + Dir() + "x.mp3 is gone; left alone");
    EXPECT_EQ(Contents(ReadFolder(Dir())), Contents(swapped)) << "a dry run changes nothing";

    // Newest first, both come back.
    EXPECT_EQ(Undo().errorCount, 0);
    EXPECT_EQ(Undo().errorCount, 0);
    ExpectSameFiles(original, ReadFolder(Dir()), swapped);
}

// A dry run of a chain foresees the names the undo frees on its way, as the undo meets them.
TEST_F(HistoryTest, DryRunShowsWhatUndoDoes) {
    BatchOptions options = OptionsFor(kProcesses[4]);
    options.substitutions = {Substitution{"b", "c"}, Substitution{"a", "b"}};
    const QList<MadeFile> files{{"b.mp3", AudioBytes(300)}, {"a.mp3", AudioBytes(400)}};
    RunKept(files, options, disk_, kHoldMany);
    const FolderState after = ReadFolder(Dir());
    const UndoResult dry = Undo({}, /*dryRun=*/true);
    const QStringList dryLines = undoLines_;
    EXPECT_EQ(dry.errorCount, 0);
    EXPECT_EQ(Contents(ReadFolder(Dir())), Contents(after));
    EXPECT_FALSE(ListRuns(History()).first().undone);

    const UndoResult real = Undo();
    ASSERT_EQ(dryLines.size(), undoLines_.size());
    EXPECT_TRUE(dryLines.first().startsWith("Dry run, nothing is changed: undoing run "));
    EXPECT_EQ(dryLines.mid(1, dryLines.size() - 2), undoLines_.mid(1, undoLines_.size() - 2));
    EXPECT_EQ(dryLines.last(), "Dry run complete! (0 errors)");
    EXPECT_EQ(real.renamedBack, dry.renamedBack);
    EXPECT_EQ(real.renamedBack,
              (QList<QPair<QString, QString>>{{Dir() + "b.mp3", Dir() + "a.mp3"},
                                              {Dir() + "c.mp3", Dir() + "b.mp3"}}));
}

TEST_F(HistoryTest, FileChangedSinceTheRunIsLeftAlone) {
    const RunOutcome kept = RunKept(StandardFiles(), OptionsFor(kProcesses[2]), disk_, kHoldMany);
    // Another program gives track2 a tag of its own.
    const QString track2 = Dir() + "track2.mp3";
    QByteArray bytes = testsupport::ReadFile(track2);
    bytes.replace(bytes.size() - 128, 128, MakeTag("Mine", "Me"));
    testsupport::WriteFile(track2, bytes);

    const UndoResult undone = Undo();
    EXPECT_EQ(undone.errorCount, 1);
    EXPECT_TRUE(undoLines_.contains("Undoing tag write: " + track2));
    EXPECT_TRUE(undoLines_.contains("Error #1: " + track2 + " changed since the run; left alone"));
    EXPECT_EQ(undoLines_.last(), "Undo complete! (1 errors)");
    FolderState now = ReadFolder(Dir());
    EXPECT_EQ(now.value("track2.mp3").bytes, bytes);
    // Everything else came back.
    now.remove("track2.mp3");
    FolderState expected = before_;
    expected.remove("track2.mp3");
    FolderState changed = ReadFolder(Dir());
    changed.remove("track2.mp3");
    ExpectSameFiles(expected, now, changed);
}

// The disk, except that renames to one name are refused (as a name another program takes
// meanwhile would be), and tag writes to one file fail as on a full disk.
class FaultyDisk final : public FileSystem {
public:
    QString refuseRenameTo;
    QString failWriteOf;
    bool failNamingTheFile = false; // the failed write names the file, not "full"

    std::optional<FileStat> Stat(const QString& path) override { return disk_.Stat(path); }
    std::unique_ptr<TagFile> Open(const QString& path, OpenMode mode) override {
        return std::make_unique<File>(disk_.Open(path, mode), path == failWriteOf,
                                      failNamingTheFile ? path : QStringLiteral("full"));
    }
    bool Rename(const QString& from, const QString& to) override {
        return to != refuseRenameTo && disk_.Rename(from, to);
    }
    bool ClearReadOnly(const QString& path) override { return disk_.ClearReadOnly(path); }

private:
    class File final : public TagFile {
    public:
        File(std::unique_ptr<TagFile> file, bool failWrite, QString failPath)
            : file_(std::move(file)), failWrite_(failWrite), failPath_(std::move(failPath)) {}
        const FileStat& Stat() const override { return file_->Stat(); }
        QByteArrayView LastBytes() override { return file_->LastBytes(); }
        QByteArrayView EndBytes() override { return file_->EndBytes(); }
        void ReadAt(qint64 pos, char* out, qint64 n) const override { file_->ReadAt(pos, out, n); }
        void WriteTag(const TTagRecord& record) override {
            if (failWrite_)
                throw IoError::DiskFull().WithPath(failPath_);
            file_->WriteTag(record);
        }
        bool RemoveTag() override { return file_->RemoveTag(); }
        void Close() override { file_->Close(); }
        bool StillAsRead() override { return file_->StillAsRead(); }

    private:
        std::unique_ptr<TagFile> file_;
        bool failWrite_;
        QString failPath_;
    };

    DiskFileSystem disk_;
};

QList<MadeFile> DistinctTags(int count) {
    QList<MadeFile> files;
    for (int n = 1; n <= count; ++n) {
        files.append({"f" + QByteArray::number(n) + ".mp3",
                      AudioBytes(1000 + n) + MakeTag("Song " + QByteArray::number(n), "Band")});
    }
    return files;
}

// A held rename refused when it is made: the run goes back to its entry, which then fails as
// it would have without the history; the later renames stand.
TEST_F(HistoryTest, RenameRefusedWhenMadeIsRunAgain) {
    FaultyDisk faulty;
    faulty.refuseRenameTo = Dir() + "Band - Song 3.mp3";
    const BatchOptions options = OptionsFor(kProcesses[0]);
    const RunOutcome plain = RunPlain(DistinctTags(5), options, faulty);
    const RunOutcome kept = RunKept(DistinctTags(5), options, faulty, kHoldMany);
    ExpectSameOutcome(plain, kept);
    EXPECT_TRUE(kept.lines.contains("Error #1: Cannot rename file " + Dir() + "f3.mp3"));
    EXPECT_EQ(kept.result.errorCount, 1);

    // The refused rename was recorded when held and again when run at once, made never; the
    // two after it were held again and made.
    const std::optional<JournalContents> journal = NewestJournal();
    ASSERT_TRUE(journal);
    EXPECT_EQ(journal->changes.size(), 8);
    EXPECT_EQ(journal->done, (QList<quint32>{1, 2, 7, 8}));
    EXPECT_TRUE(journal->end);
    ExpectUndoneCompletely();
    EXPECT_EQ(undoLines_.count("Undoing rename: " + Dir() + "Band - Song 3.mp3 back to " + Dir() +
                               "f3.mp3 (never made, nothing to undo)"),
              2);
}

// A recorded run (--json) keeping its history gives the items of a run without it, in order,
// also when a held rename refused when made sends it back: the items of the entries run
// again come out once, as they turned out.
TEST_F(HistoryTest, RecordedRunGivesTheItemsOfARunWithoutHistory) {
    FaultyDisk faulty;
    faulty.refuseRenameTo = Dir() + "Band - Song 3.mp3";
    QList<MadeFile> made = DistinctTags(6);
    // The name f3 wants: taken by f3's held rename until that one is refused.
    made.append({"f7.mp3", AudioBytes(1007) + MakeTag("Song 3", "Band")});
    const BatchOptions options = OptionsFor(kProcesses[0]);
    const auto recorded = [&](std::optional<ChunkLimits> limits, QStringList& lines) {
        QStringList entries = MakeFiles(Dir(), made);
        QByteArray json;
        PlanJsonWriter writer(options.process, false, options.program.codec,
                              [&json](QByteArrayView piece) { json.append(piece); });
        RunPlan plan;
        plan.process = options.process;
        ScriptedHost host;
        BatchOptions own = options;
        own.program.keepUndoHistory = limits.has_value();
        RealRun real(own, int(entries.size()), History(), &faulty, limits.value_or(kHoldOne));
        PlanRecorder recorder(plan, entries);
        RunBatchSteps(entries, own, host, real.Files(), &recorder,
                      [&writer](const PlanItem& item) { writer.Entry(item); });
        writer.Finish(plan);
        lines = host.lines;
        return json;
    };
    QStringList plainLines;
    const QByteArray plain = recorded(std::nullopt, plainLines);
    EXPECT_EQ(plain.count("cannot rename: refused by the file system"), 2) << plain.toStdString();
    for (const ChunkLimits limits : {kHoldOne, kHoldTwo, kHoldMany}) {
        SCOPED_TRACE(limits.changes);
        QStringList lines;
        EXPECT_EQ(recorded(limits, lines), plain);
        EXPECT_EQ(lines, plainLines);
        // The refused renames were held and recorded, never made: the run went back.
        const std::optional<JournalContents> journal = NewestJournal();
        ASSERT_TRUE(journal);
        EXPECT_GT(journal->changes.size(), journal->done.size());
    }
    EXPECT_EQ(ListRuns(History()).size(), 3);
}

// A held tag write that fails when it is made: the run goes back and ends with the error at
// that entry, as it would have; what was made before stays and can be undone.
TEST_F(HistoryTest, WriteFailingWhenMadeEndsTheRunThere) {
    FaultyDisk faulty;
    faulty.failWriteOf = Dir() + "f3.mp3";
    const BatchOptions options = OptionsFor(kProcesses[2]);
    const RunOutcome plain = RunPlain(DistinctTags(5), options, faulty);
    const RunOutcome kept = RunKept(DistinctTags(5), options, faulty, kHoldMany);
    ExpectSameOutcome(plain, kept);
    EXPECT_EQ(kept.error, "Disk full full");
    EXPECT_EQ(kept.lines.last(), "Processing file:" + Dir() + "f3.mp3");
    ExpectUndoneCompletely();
}

// "Skip files that fail and go on": a file refused when opened and one whose held write fails
// when made are counted and skipped; the changes held before them are made, the lines are
// those of a run without the history, and undo brings back what was made.
TEST_F(HistoryTest, FailedFilesAreSkippedAsWithoutHistory) {
    FaultyDisk faulty;
    faulty.failWriteOf = Dir() + "f4.mp3";
    faulty.failNamingTheFile = true;
    QList<MadeFile> made = DistinctTags(6);
    made[1].readOnly = true;
    BatchOptions options = OptionsFor(kProcesses[2]);
    options.program.eraseReadOnlyAttr = false;
    options.program.skipFailedFiles = true;
    const RunOutcome plain = RunPlain(made, options, faulty);
    EXPECT_EQ(plain.error, QString());
    EXPECT_EQ(plain.result.errorCount, 2);
    EXPECT_TRUE(plain.lines.contains("Error #1: File access denied: " + Dir() + "f2.mp3"));
    EXPECT_TRUE(plain.lines.contains("Error #2: Disk full: " + Dir() + "f4.mp3"));
    EXPECT_EQ(plain.lines.last(), "Process Complete! (2 errors)");
    for (const ChunkLimits limits : {kHoldOne, kHoldTwo, kHoldMany}) {
        SCOPED_TRACE(limits.changes);
        const RunOutcome kept = RunKept(made, options, faulty, limits);
        ExpectSameOutcome(plain, kept);
        for (const QByteArray name : {"f1.mp3", "f3.mp3", "f5.mp3", "f6.mp3"})
            EXPECT_TRUE(kept.files.value(name).contains("Other Band")) << name.constData();
        ExpectUndoneCompletely();
    }
}

// An error of the journal itself still ends the run, also in the middle of an entry (the
// same file twice: its second open waits until the first one's held change is made).
TEST_F(HistoryTest, JournalFailureEndsTheRunAlsoWhenFailedFilesAreSkipped) {
    testsupport::WriteFile(History() + "vantuke", "not a folder");
    QStringList entries = MakeFiles(Dir(), DistinctTags(2));
    entries.insert(1, entries.first());
    const FolderState before = ReadFolder(Dir());
    BatchOptions options = OptionsFor(kProcesses[2]);
    options.program.skipFailedFiles = true;
    ScriptedHost host;
    EXPECT_THROW(
        ExecuteWithHistory(entries, options, host, History() + "vantuke/", disk_, kHoldMany),
        IoError);
    EXPECT_EQ(Contents(ReadFolder(Dir())), Contents(before));
    EXPECT_EQ(host.lines.filter("Error #"), QStringList());
}

// The disk, letting something happen before a file is opened.
class WatchedDisk final : public FileSystem {
public:
    std::function<void(const QString&)> beforeOpen;

    std::optional<FileStat> Stat(const QString& path) override { return disk_.Stat(path); }
    std::unique_ptr<TagFile> Open(const QString& path, OpenMode mode) override {
        if (beforeOpen)
            beforeOpen(path);
        return disk_.Open(path, mode);
    }
    std::unique_ptr<TagFile> OpenIfFree(const QString& path, FileStat& busy) override {
        if (beforeOpen)
            beforeOpen(path);
        return disk_.OpenIfFree(path, busy);
    }
    bool Rename(const QString& from, const QString& to) override { return disk_.Rename(from, to); }
    bool ClearReadOnly(const QString& path) override { return disk_.ClearReadOnly(path); }

private:
    DiskFileSystem disk_;
};

// A program that ignores the lock lengthens a file after its change was decided and held (it
// appends a tag of its own): the change is not made where it no longer belongs; the entry is
// run again on what the file holds now.
TEST_F(HistoryTest, FileChangedWhileHeldIsDecidedAgain) {
    BatchOptions options = OptionsFor(kProcesses[2]);
    options.tagFill.leave = {true, false, true, true, true, true};
    QStringList entries = MakeFiles(Dir(), DistinctTags(4));
    WatchedDisk disk;
    bool changed = false;
    disk.beforeOpen = [&](const QString& path) {
        if (changed || path != entries.at(3))
            return;
        changed = true;
        const QByteArray bytes = testsupport::ReadFile(entries.at(1));
        testsupport::WriteFile(entries.at(1), bytes + MakeTag("Song 2", "Band", "Racer"));
    };
    ScriptedHost host;
    const BatchResult result =
        ExecuteWithHistory(entries, options, host, History(), disk, kHoldMany);
    EXPECT_TRUE(changed);
    EXPECT_EQ(result.errorCount, 0);
    TTagRecord record;
    ASSERT_TRUE(ReadTagIfPresent(entries.at(1), record));
    EXPECT_EQ(FieldText(record.Album, kCodec), QStringLiteral("Racer"));
    EXPECT_EQ(FieldText(record.Artist, kCodec), QStringLiteral("Other Band"));
    EXPECT_EQ(host.lines.count("Processing file:" + entries.at(1)), 1);
}

// The disk, checking before each change it makes that the newest journal on disk holds the
// change's record, not yet marked as made.
class WriteAheadDisk final : public FileSystem {
public:
    explicit WriteAheadDisk(QString history) : history_(std::move(history)) {}

    int checked = 0;

    std::optional<FileStat> Stat(const QString& path) override { return disk_.Stat(path); }
    std::unique_ptr<TagFile> Open(const QString& path, OpenMode mode) override {
        return std::make_unique<File>(disk_.Open(path, mode), *this, path);
    }
    std::unique_ptr<TagFile> OpenIfFree(const QString& path, FileStat& busy) override {
        std::unique_ptr<TagFile> file = disk_.OpenIfFree(path, busy);
        return file ? std::make_unique<File>(std::move(file), *this, path) : nullptr;
    }
    bool Rename(const QString& from, const QString& to) override {
        ExpectRecorded(ChangeKind::Rename, from);
        return disk_.Rename(from, to);
    }
    bool ClearReadOnly(const QString& path) override {
        ExpectRecorded(ChangeKind::ClearReadOnly, path);
        return disk_.ClearReadOnly(path);
    }

private:
    class File final : public TagFile {
    public:
        File(std::unique_ptr<TagFile> file, WriteAheadDisk& disk, QString path)
            : file_(std::move(file)), disk_(disk), path_(std::move(path)) {}
        const FileStat& Stat() const override { return file_->Stat(); }
        QByteArrayView LastBytes() override { return file_->LastBytes(); }
        QByteArrayView EndBytes() override { return file_->EndBytes(); }
        void ReadAt(qint64 pos, char* out, qint64 n) const override { file_->ReadAt(pos, out, n); }
        void WriteTag(const TTagRecord& record) override {
            disk_.ExpectRecorded(ChangeKind::WriteTag, path_);
            file_->WriteTag(record);
        }
        bool RemoveTag() override {
            if (file_->HasTag())
                disk_.ExpectRecorded(ChangeKind::RemoveTag, path_);
            return file_->RemoveTag();
        }
        void Close() override { file_->Close(); }
        bool StillAsRead() override { return file_->StillAsRead(); }

    private:
        std::unique_ptr<TagFile> file_;
        WriteAheadDisk& disk_;
        QString path_;
    };

    void ExpectRecorded(ChangeKind kind, const QString& path) {
        ++checked;
        const QList<KeptRun> runs = ListRuns(history_);
        ASSERT_FALSE(runs.isEmpty()) << "a change before any record: " << path.toStdString();
        const std::optional<JournalContents> journal =
            ParseJournal(testsupport::ReadFile(JournalPath(history_, runs.first().id)));
        ASSERT_TRUE(journal);
        const bool recorded =
            std::any_of(journal->changes.cbegin(), journal->changes.cend(), [&](const auto& c) {
                return c.kind == kind && c.path == path && !journal->done.contains(c.sequence);
            });
        EXPECT_TRUE(recorded) << "a change before its record: " << path.toStdString();
    }

    QString history_;
    DiskFileSystem disk_;
};

// Write-ahead: no change reaches a file before its record is on the disk, in chunks of every
// size and for the entries that run at once (a read-only file's mode, a question). The lines
// and the progress are those of the run without the history.
TEST_F(HistoryTest, NoChangeReachesAFileBeforeItsRecord) {
    for (const ProcessCase& process : kProcesses) {
        for (const ChunkLimits limits : {kHoldOne, kHoldTwo, kHoldMany}) {
            SCOPED_TRACE(std::string(process.name) + " " + std::to_string(limits.changes));
            BatchOptions options = OptionsFor(process);
            options.untagConfirmation = process.process == Process::UnTag;
            ScriptedHost plainHost;
            plainHost.confirmAnswers = {ConfirmAnswer::Yes, ConfirmAnswer::No,  ConfirmAnswer::Yes,
                                        ConfirmAnswer::Yes, ConfirmAnswer::Yes, ConfirmAnswer::Yes};
            ScriptedHost keptHost;
            keptHost.confirmAnswers = plainHost.confirmAnswers;
            const RunOutcome plain = RunPlain(StandardFiles(), options, disk_, &plainHost);
            const int journals = int(ListRuns(History()).size());
            WriteAheadDisk checking(History());
            const RunOutcome kept = RunKept(StandardFiles(), options, checking, limits, &keptHost);
            ExpectSameOutcome(plain, kept);
            EXPECT_EQ(keptHost.positions, plainHost.positions);
            EXPECT_GT(checking.checked, 2);
            EXPECT_EQ(ListRuns(History()).size(), journals + 1);
        }
    }
}

// Another run holds the lock of a file this one comes to while this one's chunk holds locks
// of its own, and waits for one of them. This run does not wait there (both would wait for
// ever): its chunk is made, which lets go of its locks, and that file runs at once after it.
TEST_F(HistoryTest, ALockHeldElsewhereEndsTheChunkInsteadOfWaiting) {
    const BatchOptions options = OptionsFor(kProcesses[2]);
    QStringList entries = MakeFiles(Dir(), DistinctTags(5));
    before_ = ReadFolder(Dir());
    int toOther[2];
    int fromOther[2];
    ASSERT_EQ(::pipe(toOther), 0);
    ASSERT_EQ(::pipe(fromOther), 0);
    const QByteArray first = NameToBytes(entries.at(0));
    const QByteArray third = NameToBytes(entries.at(2));
    const pid_t other = ::fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        // The other run: holds the third file, and once told, waits for the first.
        const auto lock = [](const char* path, int command) {
            const int fd = ::open(path, O_RDWR);
            struct flock whole {};
            whole.l_type = F_WRLCK;
            whole.l_whence = SEEK_SET;
            if (fd < 0 || ::fcntl(fd, command, &whole) != 0)
                ::_exit(1);
            return fd;
        };
        const int held = lock(third.constData(), F_OFD_SETLK);
        char signal = 'r';
        if (::write(fromOther[1], &signal, 1) != 1 || ::read(toOther[0], &signal, 1) != 1)
            ::_exit(1);
        const int waited = lock(first.constData(), F_OFD_SETLKW);
        ::close(waited);
        ::close(held);
        ::_exit(0);
    }
    char ready = 0;
    ASSERT_EQ(::read(fromOther[0], &ready, 1), 1);
    WatchedDisk disk;
    bool told = false;
    disk.beforeOpen = [&](const QString& path) {
        if (told || path != entries.at(2))
            return;
        told = true;
        const char go = 'g';
        EXPECT_EQ(::write(toOther[1], &go, 1), 1);
        // Time for the other run to wait for the first file, which this run's chunk holds.
        ::usleep(200000);
    };
    // A run that waits for ever ends the test here.
    ::alarm(60);
    ScriptedHost host;
    const BatchResult result =
        ExecuteWithHistory(entries, options, host, History(), disk, kHoldMany);
    ::alarm(0);
    int status = -1;
    ASSERT_EQ(::waitpid(other, &status, 0), other);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(told);
    EXPECT_EQ(result.errorCount, 0);
    for (const QString& path : entries) {
        TTagRecord record;
        ASSERT_TRUE(ReadTagIfPresent(path, record));
        EXPECT_EQ(FieldText(record.Artist, kCodec), QStringLiteral("Other Band"))
            << path.toStdString();
    }
    for (int fd : {toOther[0], toOther[1], fromOther[0], fromOther[1]})
        ::close(fd);
    ExpectUndoneCompletely();
}

// A host that tells error lines and the last line apart (as a quiet command line does).
class KindHost : public ScriptedHost {
public:
    void LogLineOf(LineKind kind, const QString& line) override {
        ScriptedHost::LogLine((kind == LineKind::Error ? "error: " : "finish: ") + line);
    }
};

TEST_F(HistoryTest, HeldLinesKeepTheirKind) {
    const BatchOptions options = OptionsFor(kProcesses[0]);
    KindHost plainHost;
    const RunOutcome plain = RunPlain(StandardFiles(), options, disk_, &plainHost);
    KindHost keptHost;
    const RunOutcome kept = RunKept(StandardFiles(), options, disk_, kHoldMany, &keptHost);
    ExpectSameOutcome(plain, kept);
    EXPECT_EQ(kept.lines.filter(QRegularExpression("^(error|finish): ")),
              (QStringList{"error: Error #1: Cannot rename file " + Dir() + "track3.mp3",
                           "finish: Process Complete! (1 errors)"}));
}

// Many renames in one folder: its names are listed once and followed. A name another program
// takes after the listing, or frees, is met as the run without the history meets it.
TEST_F(HistoryTest, NamesTakenOrFreedByOthersMeanwhile) {
    const BatchOptions options = OptionsFor(kProcesses[0]);
    QList<MadeFile> files = DistinctTags(120);
    // Names taken from the start; one of them is freed during the run.
    files.append({"Band - Song 100.mp3", AudioBytes(500)});
    files.append({"Band - Song 110.mp3", AudioBytes(500)});
    const auto run = [&](bool kept) {
        QStringList entries = MakeFiles(Dir(), files);
        entries = entries.mid(0, 120);
        before_ = ReadFolder(Dir());
        WatchedDisk disk;
        disk.beforeOpen = [&](const QString& path) {
            if (path != Dir() + "f80.mp3")
                return;
            testsupport::WriteFile(Dir() + "Band - Song 90.mp3", "taken meanwhile");
            ::unlink(NameToBytes(Dir() + "Band - Song 110.mp3").constData());
        };
        ScriptedHost host;
        return Outcome(host, entries, [&] {
            return kept ? ExecuteWithHistory(entries, options, host, History(), disk, kHoldMany)
                        : ExecuteBatch(entries, options, host, disk);
        });
    };
    const RunOutcome plain = run(false);
    const RunOutcome kept = run(true);
    ExpectSameOutcome(plain, kept);
    EXPECT_TRUE(kept.lines.contains("Error #1: Cannot rename file " + Dir() + "f90.mp3"));
    EXPECT_TRUE(kept.lines.contains("Error #2: Cannot rename file " + Dir() + "f100.mp3"));
    EXPECT_EQ(kept.result.errorCount, 2);
    EXPECT_TRUE(kept.files.contains("Band - Song 110.mp3"));
}

// The same file twice in one window (by a symbolic link): the second open waits for a lock
// the run holds itself, so the held change is made first instead of waiting for ever.
TEST_F(HistoryTest, FileHeldByTheRunIsOpenedAgain) {
    const BatchOptions options = OptionsFor(kProcesses[2]);
    const QList<MadeFile> files = DistinctTags(2);
    const auto withLink = [&] {
        QStringList entries = MakeFiles(Dir(), files);
        EXPECT_EQ(::symlink("f1.mp3", NameToBytes(Dir() + "link.mp3").constData()), 0);
        return entries << Dir() + "link.mp3";
    };
    QStringList plainEntries = withLink();
    ScriptedHost plainHost;
    ExecuteBatch(plainEntries, options, plainHost, disk_);
    const FolderState plainFiles = ReadFolder(Dir());

    QStringList entries = withLink();
    const FolderState before = ReadFolder(Dir());
    ScriptedHost host;
    ExecuteWithHistory(entries, options, host, History(), disk_, kHoldMany);
    EXPECT_EQ(host.lines, plainHost.lines);
    EXPECT_EQ(Contents(ReadFolder(Dir())), Contents(plainFiles));
    EXPECT_EQ(Undo().errorCount, 0) << undoLines_.join('\n').toStdString();
    EXPECT_EQ(Contents(ReadFolder(Dir())), Contents(before));
}

// Questions come after every earlier change is made and its lines shown.
TEST_F(HistoryTest, QuestionsSeeTheLinesBeforeThem) {
    BatchOptions options = OptionsFor(kProcesses[3]);
    options.untagConfirmation = true;
    const auto host = [] {
        ScriptedHost h;
        h.confirmAnswers = {ConfirmAnswer::Yes, ConfirmAnswer::No, ConfirmAnswer::Yes};
        return h;
    };
    QList<QStringList> plainSeen;
    ScriptedHost plainHost = host();
    plainHost.onConfirm = [&](const QString&) { plainSeen.append(plainHost.lines); };
    const RunOutcome plain = RunPlain(StandardFiles(), options, disk_, &plainHost);
    QList<QStringList> keptSeen;
    ScriptedHost keptHost = host();
    keptHost.onConfirm = [&](const QString&) { keptSeen.append(keptHost.lines); };
    const RunOutcome kept = RunKept(StandardFiles(), options, disk_, kHoldMany, &keptHost);
    ExpectSameOutcome(plain, kept);
    EXPECT_EQ(keptSeen.size(), 4);
    EXPECT_EQ(keptSeen, plainSeen);
    ExpectUndoneCompletely();
}

// An I/O error ends the run at its entry, as without the history.
TEST_F(HistoryTest, MissingFileEndsTheRunAsWithoutHistory) {
    const BatchOptions options = OptionsFor(kProcesses[2]);
    QList<MadeFile> files = DistinctTags(4);
    const auto run = [&](bool kept) {
        QStringList entries = MakeFiles(Dir(), files);
        entries.insert(2, Dir() + "missing.mp3");
        before_ = ReadFolder(Dir());
        ScriptedHost host;
        return Outcome(host, entries, [&] {
            return kept ? ExecuteWithHistory(entries, options, host, History(), disk_, kHoldMany)
                        : ExecuteBatch(entries, options, host, disk_);
        });
    };
    const RunOutcome plain = run(false);
    const RunOutcome kept = run(true);
    ExpectSameOutcome(plain, kept);
    EXPECT_EQ(kept.error, "File not found " + Dir() + "missing.mp3");
    ExpectUndoneCompletely();
}

// The journal cannot be written: no change is made without its record.
TEST_F(HistoryTest, NoChangeWithoutItsRecord) {
    // A file where the history folder would be made.
    testsupport::WriteFile(History() + "vantuke", "not a folder");
    const QString folder = History() + "vantuke/";
    QStringList entries = MakeFiles(Dir(), DistinctTags(3));
    const FolderState before = ReadFolder(Dir());
    ScriptedHost host;
    EXPECT_THROW(
        ExecuteWithHistory(entries, OptionsFor(kProcesses[2]), host, folder, disk_, kHoldMany),
        IoError);
    EXPECT_EQ(Contents(ReadFolder(Dir())), Contents(before));
    EXPECT_EQ(host.lines, QStringList{"Process selected: TAG"});
}

TEST_F(HistoryTest, FullDiskForTheJournalChangesNothing) {
    testsupport::TmpfsMount small("64k");
    if (small.Dir().isEmpty())
        GTEST_SKIP() << small.Why().toStdString();
    testsupport::FillDisk(small.Dir() + "filler");
    QStringList entries = MakeFiles(Dir(), DistinctTags(3));
    const FolderState before = ReadFolder(Dir());
    ScriptedHost host;
    try {
        ExecuteWithHistory(entries, OptionsFor(kProcesses[0]), host, small.Dir() + "state/", disk_,
                           kHoldMany);
        ADD_FAILURE() << "the run did not fail";
    } catch (const IoError& error) {
        EXPECT_EQ(error.Text(), "Disk full");
        EXPECT_TRUE(error.Path().startsWith(small.Dir() + "state/")) << error.Path().toStdString();
    }
    EXPECT_EQ(Contents(ReadFolder(Dir())), Contents(before));
}

// An undo that fails part-way (the tag it appends again needs room the disk no longer has)
// leaves the file as it was, is reported, and can be made again once there is room.
TEST_F(HistoryTest, UndoOnAFullDiskLeavesTheFileAsItWas) {
    testsupport::TmpfsMount small("64k");
    if (small.Dir().isEmpty())
        GTEST_SKIP() << small.Why().toStdString();
    // 64 bytes short of a page: the last 64 bytes of the tag put back need a page of their own.
    const QString path = small.Dir() + "f.mp3";
    const QByteArray audio = AudioBytes(4096 - 64);
    testsupport::WriteFile(path, audio + MakeTag("Song", "Band"));
    QStringList entries{path};
    ScriptedHost host;
    ExecuteWithHistory(entries, OptionsFor(kProcesses[3]), host, History(), disk_, kHoldMany);
    ASSERT_EQ(testsupport::ReadFile(path), audio);
    testsupport::FillDisk(small.Dir() + "filler");

    const UndoResult failed = Undo();
    EXPECT_TRUE(failed.ioError);
    EXPECT_EQ(failed.errorCount, 1);
    EXPECT_TRUE(undoLines_.contains("Error #1: Cannot undo " + path + ": Disk full."))
        << undoLines_.join('\n').toStdString();
    EXPECT_EQ(testsupport::ReadFile(path), audio);
    EXPECT_FALSE(ListRuns(History()).first().undone);

    ASSERT_EQ(::unlink(NameToBytes(small.Dir() + "filler").constData()), 0);
    EXPECT_EQ(Undo().errorCount, 0);
    EXPECT_EQ(testsupport::ReadFile(path), audio + MakeTag("Song", "Band"));
    EXPECT_TRUE(ListRuns(History()).first().undone);
}

// A journal cut in the middle of a record (a crash while it was written) is undone up to its
// last whole record.
TEST_F(HistoryTest, JournalCutInARecordIsUndoneUpToThere) {
    const RunOutcome kept = RunKept(DistinctTags(4), OptionsFor(kProcesses[2]), disk_, kHoldMany);
    const QList<KeptRun> runs = ListRuns(History());
    ASSERT_EQ(runs.size(), 1);
    const QString path = JournalPath(History(), runs.first().id);
    const QByteArray whole = testsupport::ReadFile(path);
    const std::optional<JournalContents> journal = ParseJournal(whole);
    ASSERT_TRUE(journal);
    ASSERT_EQ(journal->changes.size(), 4);
    // Where the third change's record lies: between the two paths it names.
    const qsizetype third = whole.indexOf(NameToBytes(Dir() + "f3.mp3"));
    ASSERT_GT(third, 0);
    ASSERT_EQ(::truncate(NameToBytes(path).constData(), third + 5), 0);
    EXPECT_EQ(ListRuns(History()).first().files, 2);
    EXPECT_FALSE(ListRuns(History()).first().ended);

    const FolderState changed = ReadFolder(Dir());
    EXPECT_EQ(Undo().errorCount, 0);
    const FolderState now = ReadFolder(Dir());
    for (const QByteArray name : {"f1.mp3", "f2.mp3"})
        EXPECT_EQ(now.value(name).bytes, before_.value(name).bytes) << name.constData();
    for (const QByteArray name : {"f3.mp3", "f4.mp3"})
        EXPECT_EQ(now.value(name).bytes, changed.value(name).bytes) << name.constData();
}

TEST_F(HistoryTest, ReadOnlyFilesAreReadOnlyAgain) {
    QList<MadeFile> files = DistinctTags(3);
    for (MadeFile& file : files)
        file.readOnly = true;
    for (const ProcessCase& process : kProcesses) {
        SCOPED_TRACE(process.name);
        RunKept(files, OptionsFor(process), disk_, kHoldTwo);
        const FolderState changed = ReadFolder(Dir());
        for (const FileState& file : changed)
            EXPECT_EQ(file.mode & 0777, 0644u);
        EXPECT_EQ(Undo().errorCount, 0);
        ExpectSameFiles(before_, ReadFolder(Dir()), changed);
    }
}

TEST_F(HistoryTest, JournalIsTheUsersAlone) {
    const QString folder = History() + "state/vantuke/";
    ASSERT_EQ(::mkdir(NameToBytes(History() + "state").constData(), 0755), 0);
    ASSERT_EQ(::mkdir(NameToBytes(folder).constData(), 0755), 0);
    QStringList entries = MakeFiles(Dir(), DistinctTags(1));
    ScriptedHost host;
    ExecuteWithHistory(entries, OptionsFor(kProcesses[2]), host, folder, disk_, kHoldMany);
    EXPECT_EQ(StatPath(folder)->mode & 07777, 0700u);
    const QList<KeptRun> runs = ListRuns(folder);
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(StatPath(JournalPath(folder, runs.first().id))->mode & 07777, 0600u);
}

// A run that changes nothing leaves no journal; "List files/TAGs" and "Keep undo history" off
// keep none.
TEST_F(HistoryTest, OnlyRunsThatChangeFilesAreKept) {
    BatchOptions untag = OptionsFor(kProcesses[3]);
    QStringList entries = MakeFiles(Dir(), {{"plain.mp3", AudioBytes(500)}});
    ScriptedHost host;
    ExecuteWithHistory(entries, untag, host, History(), disk_, kHoldMany);
    EXPECT_TRUE(ListRuns(History()).isEmpty());

    entries = MakeFiles(Dir(), DistinctTags(2));
    untag.program.keepUndoHistory = false;
    EXPECT_FALSE(KeepsHistory(untag));
    ExecuteWithHistory(entries, untag, host, History());
    BatchOptions list;
    list.process = Process::ListFiles;
    EXPECT_FALSE(KeepsHistory(list));
    ExecuteWithHistory(entries, list, host, History());
    EXPECT_TRUE(ListRuns(History()).isEmpty());
    EXPECT_TRUE(KeepsHistory(OptionsFor(kProcesses[3])));
}

TEST(History, FolderFollowsXdgStateHome) {
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", "/somewhere/state");
    EXPECT_EQ(HistoryFolder(), QStringLiteral("/somewhere/state/vantuke/"));
    // A relative value is no folder of the user's.
    qputenv("XDG_STATE_HOME", "state");
    EXPECT_EQ(HistoryFolder(), HomeDir() + QStringLiteral(".local/state/vantuke/"));
    qputenv("XDG_STATE_HOME", saved);
}

struct PruneCase {
    const char* name;
    int oldRuns;    // older than 30 days
    int recentRuns; // of the last 30 days
    int kept;
};

void PrintTo(const PruneCase& c, std::ostream* os) {
    *os << c.name;
}

class Prune : public ::testing::TestWithParam<PruneCase> {};

// The last 100 runs or those of the last 30 days, whichever keeps more; undone marks go with
// their journals.
TEST_P(Prune, KeepsTheLastHundredOrThirtyDays) {
    TempDir folder;
    const qint64 now = 1765200000000;
    const qint64 day = 24LL * 3600 * 1000;
    QStringList ids;
    for (int n = 0; n < GetParam().oldRuns; ++n)
        ids << RunId(now - 40 * day - n * 60000);
    for (int n = 0; n < GetParam().recentRuns; ++n)
        ids << RunId(now - 29 * day + n * 60000);
    for (const QString& id : ids) {
        testsupport::WriteFile(JournalPath(folder.Dir(), id), "");
        testsupport::WriteFile(UndoneMarkPath(folder.Dir(), id), "");
    }
    testsupport::WriteFile(folder.Dir() + "notes.txt", "not a journal");
    PruneHistory(folder.Dir(), now);
    int journals = 0;
    int marks = 0;
    ReadDirectory(folder.Dir(), EntryDetail::KindOnly, [&](const DirEntry& entry) {
        journals += entry.name.endsWith(".journal");
        marks += entry.name.endsWith(".undone");
        return true;
    });
    EXPECT_EQ(journals, GetParam().kept);
    EXPECT_EQ(marks, GetParam().kept);
    EXPECT_TRUE(NameExists(folder.Dir() + "notes.txt"));
    // The newest are kept.
    std::sort(ids.begin(), ids.end(), std::greater<>());
    for (qsizetype k = 0; k < GetParam().kept; ++k)
        EXPECT_TRUE(NameExists(JournalPath(folder.Dir(), ids.at(k))));
}

INSTANTIATE_TEST_SUITE_P(Cases, Prune,
                         ::testing::Values(PruneCase{"FewRuns", 30, 20, 50},
                                           PruneCase{"ManyOldRuns", 150, 0, 100},
                                           PruneCase{"ManyRecentRuns", 10, 140, 140},
                                           PruneCase{"Mixed", 80, 60, 100}),
                         [](const auto& info) { return std::string(info.param.name); });

// Only names that are run ids are runs: the rest of the folder is never pruned, however old
// it looks.
TEST(PruneNames, OnlyRunIdsArePruned) {
    TempDir folder;
    const qint64 now = 1765200000000;
    const qint64 day = 24LL * 3600 * 1000;
    for (int n = 0; n < 100; ++n)
        testsupport::WriteFile(JournalPath(folder.Dir(), RunId(now - n * 60000)), "");
    const QString old = RunId(now - 400 * day);
    const struct {
        QString id;
        bool pruned;
    } names[] = {
        {old, true},
        {RunId(now - 400 * day, 2), true},              // the second run of that millisecond
        {QStringLiteral("20200230-120000-000"), false}, // no such day
        {QStringLiteral("20200101-240000-000"), false},
        {QStringLiteral("20200101-120000-00"), false},
        {QStringLiteral("20200101-120000-000-2"), false},
        {QStringLiteral("20200101T120000-000"), false},
        {QStringLiteral("2020010a-120000-000"), false},
    };
    for (const auto& name : names)
        testsupport::WriteFile(JournalPath(folder.Dir(), name.id), "");
    PruneHistory(folder.Dir(), now);
    for (const auto& name : names)
        EXPECT_EQ(NameExists(JournalPath(folder.Dir(), name.id)), !name.pruned)
            << name.id.toStdString();
}

TEST_F(HistoryTest, HistoryListsRunsNewestFirst) {
    RunKept(DistinctTags(2), OptionsFor(kProcesses[2]), disk_, kHoldMany);
    QStringList entries = MakeFiles(Dir(), DistinctTags(3));
    ScriptedHost host;
    ExecuteWithHistory(entries, OptionsFor(kProcesses[0]), host, History(), disk_, kHoldMany);
    QList<KeptRun> runs = ListRuns(History());
    ASSERT_EQ(runs.size(), 2);
    EXPECT_GT(runs.at(0).id, runs.at(1).id);
    EXPECT_EQ(runs.at(0).header.caption, "TAG>Filename");
    EXPECT_EQ(runs.at(0).header.entries, 3);
    EXPECT_EQ(runs.at(0).files, 3);
    EXPECT_EQ(runs.at(1).header.caption, "TAG");
    EXPECT_EQ(runs.at(1).files, 2);
    EXPECT_TRUE(runs.at(0).ended);
    EXPECT_EQ(LastUndoableRun(History())->id, runs.at(0).id);
    Undo();
    EXPECT_EQ(LastUndoableRun(History())->id, runs.at(1).id);
    runs = ListRuns(History());
    EXPECT_EQ(HistoryLine(runs.at(0)), runs.at(0).id + "\t" +
                                           RunTimeText(runs.at(0).header.startMsec) +
                                           "\tTAG>Filename\t3 files\tundone");
    EXPECT_EQ(Undo(QStringLiteral("20200101-000000-000")).refusal,
              "No run 20200101-000000-000 in the history");
    Undo();
    EXPECT_EQ(Undo().refusal, "No run to undo");
}

// A run still going holds its journal locked: undo waits for nothing and refuses.
TEST_F(HistoryTest, RunStillGoingIsNotUndone) {
    RunKept(DistinctTags(2), OptionsFor(kProcesses[2]), disk_, kHoldMany);
    const QString id = ListRuns(History()).first().id;
    RecordFile held(JournalPath(History(), id), RecordFile::How::OpenExisting);
    ASSERT_TRUE(held.TryLock());
    EXPECT_EQ(Undo().refusal, "Run " + id + " is still going or being undone");
    EXPECT_FALSE(ListRuns(History()).first().undone);
    held.Close();
    EXPECT_EQ(Undo().errorCount, 0);
}

TEST(RenameBackEntries, EachEntryOnceSoChainsComeBack) {
    struct Case {
        QStringList entries;
        QList<QPair<QString, QString>> renamedBack;
        QStringList expected;
    };
    const Case cases[] = {
        // b to c, then a to b: undone b to a, then c to b.
        {{"/c", "/b"}, {{"/b", "/a"}, {"/c", "/b"}}, {"/b", "/a"}},
        // One file renamed twice in a run (z to a, a to b), named by two entries.
        {{"/a", "/b"}, {{"/b", "/a"}, {"/a", "/z"}}, {"/z", "/a"}},
        {{"/other", "/b"}, {{"/b", "/a"}}, {"/other", "/a"}},
    };
    for (const Case& c : cases) {
        QStringList entries = c.entries;
        RenameBackEntries(entries, c.renamedBack);
        EXPECT_EQ(entries, c.expected);
    }
}

} // namespace
