// A run that renames files rewrites the playlists it took entries from: each playlist
// afterwards holds exactly the expected bytes; a playlist changed meanwhile, or one that cannot
// be written, is left and reported while the renames stand; undo puts the old bytes back; a
// dry run says what the real run does.
#include "batch/PlaylistUpdate.h"
#include "ScriptedHost.h"
#include "batch/RealRun.h"
#include "batch/RecordBatch.h"
#include "journal/Undo.h"
#include "platform/NameBytes.h"
#include "selection/SelectedFiles.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace vantuke;
using namespace testsupport;

namespace {

// Music in a folder, playlists in its subfolder "lists": an extended M3U with a BOM and CR LF
// that names old1 twice, relative and absolute; a UTF-8 M3U with a file:// URL; a PLS; and one
// that names no file the run renames. old4 is in no playlist.
class PlaylistRun : public ::testing::Test {
protected:
    void SetUp() override {
        music_ = dir_.Dir();
        lists_ = music_ + "lists/";
        ASSERT_TRUE(QDir().mkpath(lists_));
        for (const char* name : {"old1.mp3", "old2.mp3", "old3.mp3", "old4.mp3", "keep.mp3"})
            WriteMp3(music_ + name, 1000, MakeTag("Song", "Band"));
        m3u_ = "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:1,One\r\n../old1.mp3\r\n\r\n#EXTINF:2,Two\r\n" +
               NameToBytes(music_) + "old2.mp3\r\n../old1.mp3\r\n../keep.mp3\r\n";
        m3u8_ = "# UTF-8\nfile://" + NameToBytes(music_) + "old2.mp3\n";
        pls_ = "[playlist]\nFile1=../old3.mp3\nTitle1=Three\nLength1=-1\nNumberOfEntries=1\n"
               "Version=2\n";
        untouched_ = "../keep.mp3\n";
        WriteFile(lists_ + "a.m3u", m3u_);
        WriteFile(lists_ + "b.m3u8", m3u8_);
        WriteFile(lists_ + "c.pls", pls_);
        WriteFile(lists_ + "d.m3u", untouched_);
        ::chmod(NameToBytes(lists_ + "b.m3u8").constData(), 0640);

        SelectedFiles selection;
        selection.AddRows(lists_, {"a.m3u", "b.m3u8", "c.pls", "d.m3u"}, true);
        selection.Add(music_ + "old4.mp3");
        entries_ = selection.Entries();
        options_.playlists = selection.Playlists();
        options_.process = Process::AdjustFileName;
        options_.substitutions = {Substitution{"old", "new"}};
        options_.program.updatePlaylists = true;
    }

    QByteArray Read(const char* name) const { return ReadFile(lists_ + name); }
    // The bytes of a playlist after the run, with its old names replaced as given.
    QByteArray Renamed(QByteArray bytes, const QList<std::pair<QByteArray, QByteArray>>& names) {
        for (const auto& [from, to] : names)
            bytes.replace(from, to);
        return bytes;
    }
    BatchResult RunReal(ScriptedHost& host) {
        QStringList entries = entries_;
        return ExecuteWithHistory(entries, options_, host, history_.Dir());
    }
    QString Line(const char* name, int entries) const {
        return QStringLiteral("Playlist updated: %1%2 (%3)")
            .arg(lists_, name, entries == 1 ? "1 entry" : QString("%1 entries").arg(entries));
    }

    // A run in which the playlist could not be replaced: it is left as it is and is an error
    // line; the renames stand, and the other playlists follow them.
    void ExpectLeftAndReported(const char* name, const QByteArray& left, const char* line) {
        ScriptedHost host;
        EXPECT_EQ(RunReal(host).errorCount, 1);
        EXPECT_EQ(Read(name), left);
        EXPECT_TRUE(host.lines.contains(QString::fromLatin1(line).arg(lists_)));
        EXPECT_EQ(host.lines.last(), "Process Complete! (1 errors)");
        EXPECT_TRUE(QFile::exists(music_ + "new1.mp3"));
        EXPECT_TRUE(QFile::exists(music_ + "new3.mp3"));
        EXPECT_EQ(Read("b.m3u8"), Renamed(m3u8_, {{"old2", "new2"}}));
    }

    TempDir dir_;
    TempDir history_;
    QString music_;
    QString lists_;
    QByteArray m3u_, m3u8_, pls_, untouched_;
    QStringList entries_;
    BatchOptions options_;
};

TEST_F(PlaylistRun, RewritesTheEntriesOfRenamedFilesAndNothingElse) {
    ScriptedHost host;
    const BatchResult result = RunReal(host);
    EXPECT_EQ(result.errorCount, 0);
    EXPECT_EQ(Read("a.m3u"), Renamed(m3u_, {{"old1", "new1"}, {"old2", "new2"}}));
    EXPECT_EQ(Read("b.m3u8"), Renamed(m3u8_, {{"old2", "new2"}}));
    EXPECT_EQ(Read("c.pls"), Renamed(pls_, {{"old3", "new3"}}));
    EXPECT_EQ(Read("d.m3u"), untouched_);
    // The mode stays; no temporary file is left beside them.
    struct stat st {};
    ASSERT_EQ(::stat(NameToBytes(lists_ + "b.m3u8").constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(QDir(lists_).entryList(QDir::Files).size(), 4);

    ASSERT_GE(host.lines.size(), 4);
    EXPECT_EQ(host.lines.mid(host.lines.size() - 4),
              (QStringList{Line("a.m3u", 3), Line("b.m3u8", 1), Line("c.pls", 1),
                           "Process Complete! (0 errors)"}));
    // The window keeps them as the run left them.
    ASSERT_EQ(result.playlists.size(), 3);
    EXPECT_EQ(result.playlists[0].bytes, Read("a.m3u"));
    EXPECT_EQ(result.playlists[0].entries[0].path, music_ + "new1.mp3");
}

TEST_F(PlaylistRun, AFailedRenameLeavesItsEntry) {
    WriteFile(music_ + "new2.mp3", "taken");
    ScriptedHost host;
    EXPECT_EQ(RunReal(host).errorCount, 1);
    EXPECT_EQ(Read("a.m3u"), Renamed(m3u_, {{"old1", "new1"}}));
    EXPECT_EQ(Read("b.m3u8"), m3u8_);
    EXPECT_TRUE(host.lines.contains(Line("a.m3u", 2)));
    EXPECT_FALSE(host.lines.join('\n').contains("b.m3u8"));
}

TEST_F(PlaylistRun, APlaylistChangedSinceItWasReadIsLeftAndReported) {
    const QByteArray edited = pls_ + "File2=../old4.mp3\n";
    WriteFile(lists_ + "c.pls", edited);
    ExpectLeftAndReported("c.pls", edited,
                          "Error #1: Playlist %1c.pls changed since it was read; left alone");
}

TEST_F(PlaylistRun, APlaylistThatCannotBeWrittenIsAnErrorLineAndTheRenamesStand) {
    MakeReadOnly(lists_ + "a.m3u");
    ExpectLeftAndReported("a.m3u", m3u_,
                          "Error #1: Cannot update playlist %1a.m3u: File access denied");
}

TEST_F(PlaylistRun, UndoPutsTheOldBytesBackUnlessChangedSince) {
    ScriptedHost host;
    RunReal(host);
    const QByteArray editedAfter = Read("c.pls") + "; edited\n";
    WriteFile(lists_ + "c.pls", editedAfter);
    QStringList lines;
    const UndoResult undone =
        UndoRun(history_.Dir(), QString(), false, [&](const QString& line) { lines << line; });
    EXPECT_EQ(Read("a.m3u"), m3u_);
    EXPECT_EQ(Read("b.m3u8"), m3u8_);
    EXPECT_EQ(Read("c.pls"), editedAfter);
    EXPECT_TRUE(QFile::exists(music_ + "old1.mp3"));
    EXPECT_EQ(undone.errorCount, 1);
    EXPECT_TRUE(lines.contains(
        QStringLiteral("Error #1: %1c.pls changed since the run; left alone").arg(lists_)));
    EXPECT_EQ(undone.restoredPlaylists.size(), 2);
}

// A run that stops between a playlist's record and its replace (killed, or refused the write)
// leaves a record of a replace never made: undo finds the old bytes and reports nothing.
TEST_F(PlaylistRun, UndoOfAReplaceNeverMadeLeavesThePlaylistWithoutAnError) {
    MakeReadOnly(lists_ + "a.m3u");
    ScriptedHost host;
    RunReal(host);
    QStringList lines;
    const UndoResult undone =
        UndoRun(history_.Dir(), QString(), false, [&](const QString& line) { lines << line; });
    EXPECT_EQ(undone.errorCount, 0);
    EXPECT_TRUE(lines.contains(QStringLiteral("Undoing playlist update: %1a.m3u (never made, "
                                              "nothing to undo)")
                                   .arg(lists_)));
    EXPECT_EQ(Read("a.m3u"), m3u_);
    EXPECT_EQ(Read("b.m3u8"), m3u8_);
    EXPECT_TRUE(QFile::exists(music_ + "old1.mp3"));
    EXPECT_EQ(undone.restoredPlaylists.size(), 2);
}

TEST_F(PlaylistRun, TheDryRunSaysWhatTheRealRunDoesAndChangesNothing) {
    WriteFile(music_ + "new2.mp3", "taken");
    MakeReadOnly(lists_ + "c.pls");
    const FolderState before = Snapshot(lists_);
    ScriptedHost dry;
    RunPlan dryPlan;
    QStringList entries = entries_;
    RecordBatch(RunKind::Dry, entries, options_, dry, dryPlan);
    EXPECT_EQ(Snapshot(lists_), before);

    ScriptedHost real;
    RunPlan realPlan;
    entries = entries_;
    RecordBatch(RunKind::Real, entries, options_, real, realPlan);
    EXPECT_EQ(dry.lines, real.lines);
    EXPECT_EQ(dryPlan.playlists, realPlan.playlists);
    ASSERT_EQ(realPlan.playlists.size(), 2);
    EXPECT_EQ(realPlan.playlists[0].outcome, PlaylistPlan::Outcome::Updated);
    EXPECT_EQ(realPlan.playlists[0].entries, 2);
    EXPECT_EQ(realPlan.playlists[1].outcome, PlaylistPlan::Outcome::Failed);
}

TEST_F(PlaylistRun, WithTheOptionOffThePlanNotesThePlaylistsThatKeepTheOldPaths) {
    options_.program.updatePlaylists = false;
    ScriptedHost host;
    RunPlan plan;
    QStringList entries = entries_;
    RecordBatch(RunKind::Real, entries, options_, host, plan);
    EXPECT_EQ(Read("a.m3u"), m3u_);
    EXPECT_FALSE(host.lines.join('\n').contains("Playlist"));
    ASSERT_EQ(plan.playlists.size(), 3);
    EXPECT_EQ(PlaylistLine(plan.playlists[0]),
              QStringLiteral("Playlist not updated: %1a.m3u (3 entries still name the old paths)")
                  .arg(lists_));
    EXPECT_EQ(plan.playlists[1].outcome, PlaylistPlan::Outcome::Stale);
}

TEST(RenamedPaths, FollowsEachFileToItsLastName) {
    const struct {
        QStringList before;
        QStringList after;
        QList<std::pair<QString, QString>> renamed;
    } cases[] = {
        {{"/a", "/b", "/c"}, {"/x", "/b", "/y"}, {{"/a", "/x"}, {"/c", "/y"}}},
        // a to b, then the entry b (no file at first) takes the file on to c.
        {{"/a", "/b"}, {"/b", "/c"}, {{"/a", "/c"}}},
        // a to t, then b into the name a gave up.
        {{"/a", "/b"}, {"/t", "/a"}, {{"/a", "/t"}, {"/b", "/a"}}},
        // Away and back again.
        {{"/a", "/b"}, {"/b", "/a"}, {}},
    };
    for (const auto& c : cases) {
        QHash<QString, QString> expected;
        for (const auto& [from, to] : c.renamed)
            expected.insert(from, to);
        EXPECT_EQ(RenamedPaths(c.before, c.after), expected) << c.before.join(' ').toStdString();
    }
}

} // namespace
