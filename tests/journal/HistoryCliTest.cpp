// vantuke-cli's undo history as a user meets it: history, undo and its refusals, the history
// in $XDG_STATE_HOME, and a run killed in its middle that undo takes back completely.
#include "FolderState.h"
#include "cli/CliRunner.h"
#include "journal/History.h"
#include "platform/Directory.h"
#include "platform/NameBytes.h"
#include "support/TestFiles.h"

#include <QElapsedTimer>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace clitest;
using namespace journaltest;
using testsupport::AudioBytes;
using testsupport::MakeTag;
using testsupport::TempDir;

namespace {

class CliHistory : public ::testing::Test {
protected:
    CliHistory() { setup_.environment.insert("XDG_STATE_HOME", state_.Path()); }

    QString HistoryDir() const { return state_.Dir() + "vantuke/"; }

    CliResult Cli(const QStringList& args) { return RunCliWith(args, files_.Path(), setup_); }

    QStringList MakeFiles(int count) {
        QStringList names;
        for (int n = 0; n < count; ++n) {
            const QString name = QString("Band - Song %1.mp3").arg(n, 4, 10, QChar('0'));
            testsupport::WriteMp3(files_.Path(name), 200 + n % 300,
                                  n % 3 == 0 ? QByteArray() : MakeTag("Song", "Band"));
            names << name;
        }
        return names;
    }

    TempDir files_;
    TempDir state_;
    CliSetup setup_;
};

TEST_F(CliHistory, UndoTakesARunBackAndIsRefusedTwice) {
    const QStringList names = MakeFiles(3);
    const CliResult run = Cli(QStringList{"tag", "--artist", "Other"} + names);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    // The journal is in $XDG_STATE_HOME/vantuke/, and history lists it.
    const QList<vantuke::KeptRun> runs = vantuke::ListRuns(HistoryDir());
    ASSERT_EQ(runs.size(), 1);
    const QString id = runs.first().id;
    CliResult history = Cli({"history"});
    EXPECT_EQ(history.exitCode, 0);
    ASSERT_EQ(history.out.size(), 1);
    const QStringList fields = history.out.first().split('\t');
    ASSERT_EQ(fields.size(), 5) << history.out.first().toStdString();
    EXPECT_EQ(fields.at(0), id);
    EXPECT_EQ(fields.at(2), "TAG");
    EXPECT_EQ(fields.at(3), "3 files");
    EXPECT_EQ(fields.at(4), "not undone");

    // --no-history keeps none.
    EXPECT_EQ(Cli(QStringList{"untag", "--no-history"} + names).exitCode, 0);
    EXPECT_EQ(Cli({"history"}).out.size(), 1);
    EXPECT_EQ(Cli(QStringList{"tag", "--artist", "Band"} + names).exitCode, 0);
    ASSERT_EQ(Cli({"history"}).out.size(), 2);

    // The newest run first: the tags are the first run's again...
    const CliResult second = Cli({"undo"});
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    // ...but the UnTAG run between them kept no history: the first run's tagged files
    // changed since; the one it gave a tag is as before it, untagged.
    const CliResult first = Cli({"undo"});
    EXPECT_EQ(first.exitCode, 1);
    EXPECT_TRUE(first.out.first().startsWith("Undoing run " + id + " (TAG, 3 files, "));
    EXPECT_EQ(first.out.count("Undoing tag write: " + files_.Path(names.at(1))), 1);
    EXPECT_TRUE(first.out.contains("Error #1: " + files_.Path(names.at(2)) +
                                   " changed since the run; left alone"));
    EXPECT_TRUE(first.out.contains("Undoing tag write: " + files_.Path(names.at(0)) +
                                   " (never made, nothing to undo)"));
    EXPECT_EQ(first.out.last(), "Undo complete! (2 errors)");

    const CliResult again = Cli({"undo", id});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.err, "vantuke-cli: Run " + id + " is already undone\n");
    EXPECT_EQ(Cli({"undo"}).err, "vantuke-cli: No run to undo\n");
    EXPECT_EQ(Cli({"history"}).out.first().split('\t').last(), "undone");
}

TEST_F(CliHistory, FileChangedSinceIsReportedWithExitOne) {
    const QStringList names = MakeFiles(4);
    const FolderState before = ReadFolder(files_.Dir());
    ASSERT_EQ(Cli(QStringList{"tag-to-filename", "--template", "%N %2"} + names).exitCode, 0);
    // Someone writes into the renamed second file.
    const QString changed = files_.Path("02 Band.mp3");
    testsupport::WriteFile(changed, testsupport::ReadFile(changed) + "more");

    const CliResult dry = Cli({"undo", "--dry-run"});
    EXPECT_EQ(dry.exitCode, 1);
    EXPECT_EQ(vantuke::ListRuns(HistoryDir()).first().undone, false);
    const CliResult undo = Cli({"undo"});
    EXPECT_EQ(undo.exitCode, 1);
    EXPECT_EQ(dry.out.mid(1),
              undo.out.mid(1).replaceInStrings("Undo complete!", "Dry run complete!"));
    EXPECT_TRUE(
        undo.out.contains("Undoing rename: " + changed + " back to " + files_.Path(names.at(1))));
    EXPECT_EQ(undo.out.last(), "Undo complete! (1 errors)");
    FolderState now = ReadFolder(files_.Dir());
    EXPECT_TRUE(now.contains("02 Band.mp3"));
    EXPECT_TRUE(now.contains(names.at(2).toUtf8()));
}

TEST_F(CliHistory, CommandsTakeOnlyTheirArguments) {
    const char* const wrong[][4] = {
        {"history", "x.mp3"}, {"undo", "a", "b"},          {"undo", "--artist", "x"},
        {"undo", "--json"},   {"history", "--no-history"}, {"undo", "--keep-readonly"},
        {"history", "-n"},
    };
    for (const auto& args : wrong) {
        QStringList list;
        for (const char* arg : args) {
            if (arg)
                list << arg;
        }
        SCOPED_TRACE(list.join(' ').toStdString());
        const CliResult result = Cli(list);
        EXPECT_EQ(result.exitCode, 64);
        EXPECT_TRUE(result.err.startsWith("vantuke-cli: ")) << result.err.toStdString();
    }
    EXPECT_EQ(Cli({"history"}).exitCode, 0);
    EXPECT_EQ(Cli({"history"}).out, QStringList());
}

// A dry run changes nothing and keeps no history; a real run with --json keeps its history
// and prints the document a run without it prints.
TEST_F(CliHistory, DryRunKeepsNoneJsonRunKeepsItsHistory) {
    const QStringList names = MakeFiles(40);
    const FolderState before = ReadFolder(files_.Dir());
    const auto bytesOf = [](const FolderState& state) {
        QMap<QByteArray, QByteArray> bytes;
        for (auto it = state.cbegin(); it != state.cend(); ++it)
            bytes.insert(it.key(), it.value().bytes);
        return bytes;
    };
    const QStringList rename{"tag-to-filename", "--template", "%N %2"};
    for (const QStringList& dry : {QStringList{"--dry-run"}, QStringList{"-n", "--json"}}) {
        const CliResult result = Cli(rename + dry + names);
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_TRUE(vantuke::ListRuns(HistoryDir()).isEmpty());
        EXPECT_EQ(bytesOf(ReadFolder(files_.Dir())), bytesOf(before));
    }

    // With the default template the tagged files all want one name: most renames fail.
    for (const QStringList& process :
         {rename, QStringList{"tag-to-filename"}, QStringList{"untag"}}) {
        SCOPED_TRACE(process.join(' ').toStdString());
        const CliResult kept = Cli(process + QStringList{"--json"} + names);
        ASSERT_NE(kept.exitCode, -1) << kept.err.toStdString();
        EXPECT_TRUE(kept.outBytes.startsWith("{")) << kept.outBytes.left(200).toStdString();
        const QList<vantuke::KeptRun> runs = vantuke::ListRuns(HistoryDir());
        ASSERT_FALSE(runs.isEmpty());
        EXPECT_FALSE(runs.first().undone);
        EXPECT_NE(bytesOf(ReadFolder(files_.Dir())), bytesOf(before));
        const CliResult undo = Cli({"undo"});
        EXPECT_EQ(undo.exitCode, 0) << undo.out.join('\n').toStdString();
        ASSERT_EQ(bytesOf(ReadFolder(files_.Dir())), bytesOf(before));

        const CliResult plain = Cli(process + QStringList{"--json", "--no-history"} + names);
        EXPECT_EQ(kept.exitCode, plain.exitCode);
        EXPECT_EQ(kept.outBytes, plain.outBytes);
        EXPECT_EQ(vantuke::ListRuns(HistoryDir()).size(), runs.size());
        // The files of before again, for the next process.
        for (const QByteArray& name : bytesOf(ReadFolder(files_.Dir())).keys())
            ::unlink(vantuke::NameToBytes(files_.Dir()).append(name).constData());
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            testsupport::WriteFile(files_.Dir() + QString::fromUtf8(it.key()), it.value().bytes);
    }
}

struct KillCase {
    const char* name;
    QStringList process;
    bool untaggedChange; // the process changes untagged files too
};

void PrintTo(const KillCase& c, std::ostream* os) {
    *os << c.name;
}

class KilledRun : public CliHistory, public ::testing::WithParamInterface<KillCase> {};

// A run killed with SIGKILL in the middle of 5,000 files: undo takes back everything it did,
// whatever had reached the journal, the files or neither.
TEST_P(KilledRun, IsUndoneCompletely) {
    const QStringList names = MakeFiles(5000);
    // Some read-only files, whose mode the run clears.
    for (int n = 0; n < names.size(); n += 7)
        ::chmod(vantuke::NameToBytes(files_.Path(names.at(n))).constData(), 0444);
    const FolderState before = ReadFolder(files_.Dir());

    CliSetup slow = setup_;
    slow.environment.insert("LD_PRELOAD", VANTUKE_FAULT_SHIM);
    slow.environment.insert("ASAN_OPTIONS",
                            slow.environment.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
    slow.environment.insert("VANTUKE_SHIM_SLOW_US", "400");
    QProcess run;
    StartCli(run, GetParam().process + names, files_.Path(), slow);
    // Killed while it makes the changes of its first flush (each takes the shim's time).
    QElapsedTimer waited;
    waited.start();
    qint64 journalSize = 0;
    while (journalSize < 20000 && run.state() == QProcess::Running && !waited.hasExpired(60000)) {
        QThread::msleep(2);
        journalSize = 0;
        vantuke::ReadDirectory(HistoryDir(), vantuke::EntryDetail::Full,
                               [&](const vantuke::DirEntry& entry) {
                                   journalSize += entry.status.size;
                                   return true;
                               });
    }
    QThread::msleep(100);
    ASSERT_EQ(run.state(), QProcess::Running) << "the run ended before it could be killed";
    ::kill(pid_t(run.processId()), SIGKILL);
    ASSERT_TRUE(run.waitForFinished(10000));
    EXPECT_EQ(run.exitStatus(), QProcess::CrashExit);

    // Killed in the middle: some of the files it changes are changed, some not.
    const FolderState changed = ReadFolder(files_.Dir());
    int changes = 0;
    int toChange = 0;
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        const bool tagged = it.value().bytes.right(128).startsWith("TAG");
        toChange += tagged || GetParam().untaggedChange;
        changes += changed.value(it.key()).bytes != it.value().bytes;
    }
    EXPECT_GT(changes, 0);
    EXPECT_LT(changes, toChange);

    const QList<vantuke::KeptRun> runs = vantuke::ListRuns(HistoryDir());
    ASSERT_EQ(runs.size(), 1);
    EXPECT_FALSE(runs.first().ended);
    const CliResult undo = Cli({"undo"});
    EXPECT_EQ(undo.exitCode, 0) << undo.out.join('\n').toStdString();
    EXPECT_EQ(undo.out.last(), "Undo complete! (0 errors)");
    ExpectSameFiles(before, ReadFolder(files_.Dir()), changed);
}

INSTANTIATE_TEST_SUITE_P(
    Processes, KilledRun,
    ::testing::Values(KillCase{"Tag", {"tag", "--artist", "Killed", "--album", "Run"}, true},
                      KillCase{"TagToFilename", {"tag-to-filename", "--template", "%N x"}, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
