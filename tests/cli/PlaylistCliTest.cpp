// vantuke-cli --update-playlists: the --playlist files that list renamed files follow the new
// names; without it a dry run notes them; --json tells what became of each.
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

const QByteArray kM3u8 = "#EXTM3U\r\n#EXTINF:1,Caf\xC3\xA9\r\nold caf\xC3\xA9.mp3\r\nkeep.mp3\r\n";
const QByteArray kPls = "[playlist]\nNumberOfEntries=1\nFile1=old caf\xC3\xA9.mp3\n";

class PlaylistCli : public testing::Test {
protected:
    void SetUp() override {
        WriteMp3(dir_.Path(u"old caf\u00E9.mp3"_qs), 400);
        WriteMp3(dir_.Path("keep.mp3"), 400);
        WriteFile(dir_.Path("list.m3u8"), kM3u8);
        WriteFile(dir_.Path("list.pls"), kPls);
    }
    CliResult Run(const QStringList& options) {
        return RunCli(options + QStringList{"adjust", "--replace", "old ", "new ", "--playlist",
                                            "list.m3u8", "--playlist", "list.pls"},
                      dir_.Path());
    }

    TempDir dir_;
};

TEST_F(PlaylistCli, UpdatePlaylistsRewritesThemBeforeTheLastLine) {
    const CliResult result = Run({"--update-playlists"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(ReadFile(dir_.Path("list.m3u8")),
              "#EXTM3U\r\n#EXTINF:1,Caf\xC3\xA9\r\nnew caf\xC3\xA9.mp3\r\nkeep.mp3\r\n");
    EXPECT_EQ(ReadFile(dir_.Path("list.pls")),
              "[playlist]\nNumberOfEntries=1\nFile1=new caf\xC3\xA9.mp3\n");
    ASSERT_GE(result.out.size(), 3);
    EXPECT_EQ(result.out.mid(result.out.size() - 3),
              (QStringList{"Playlist updated: " + dir_.Path("list.m3u8") + " (1 entry)",
                           "Playlist updated: " + dir_.Path("list.pls") + " (1 entry)",
                           "Process Complete! (0 errors)"}));
}

TEST_F(PlaylistCli, WithoutTheOptionTheyStayAndTheDryRunNotesThem) {
    const CliResult dry = Run({"--dry-run"});
    EXPECT_EQ(dry.exitCode, 0);
    EXPECT_TRUE(dry.err.contains("note: Playlist not updated: " + dir_.Path("list.m3u8") +
                                 " (1 entry still names the old path)"))
        << dry.err.toStdString();
    const CliResult real = Run({});
    EXPECT_EQ(real.out, dry.out);
    EXPECT_EQ(ReadFile(dir_.Path("list.m3u8")), kM3u8);
    EXPECT_FALSE(real.out.join('\n').contains("Playlist"));
}

TEST_F(PlaylistCli, JsonTellsWhatBecameOfEachPlaylist) {
    MakeReadOnly(dir_.Path("list.pls"));
    const CliResult result = Run({"--update-playlists", "--json"});
    EXPECT_EQ(result.exitCode, 1);
    const QJsonArray playlists =
        QJsonDocument::fromJson(result.outBytes).object().value("playlists").toArray();
    ASSERT_EQ(playlists.size(), 2) << result.outBytes.toStdString();
    EXPECT_EQ(playlists[0].toObject().value("path").toString(), dir_.Path("list.m3u8"));
    EXPECT_EQ(playlists[0].toObject().value("entries").toInt(), 1);
    EXPECT_EQ(playlists[0].toObject().value("result").toString(), "updated");
    EXPECT_TRUE(playlists[0].toObject().value("error").isNull());
    EXPECT_EQ(playlists[1].toObject().value("result").toString(), "failed");
    EXPECT_EQ(playlists[1].toObject().value("error").toString(), "File access denied");
    EXPECT_EQ(ReadFile(dir_.Path("list.pls")), kPls);
}

TEST(PlaylistCliArguments, PlaylistTakesM3u8AndRefusesOtherNames) {
    TempDir dir;
    WriteFile(dir.Path("a.m3u8"), "");
    EXPECT_EQ(RunCli({"list", "--playlist", "a.m3u8"}, dir.Path()).exitCode, 1); // no files
    EXPECT_EQ(RunCli({"list", "--playlist", "a.txt"}, dir.Path()).exitCode, 64);
}

} // namespace
