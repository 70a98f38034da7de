// Track numbers on the command line: kept, written, cleared, asked, refused, and shown in the
// templates and the documents about a run.
#include "CliRunner.h"
#include "support/TestFiles.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace testsupport;
using clitest::CliResult;
using clitest::RunCli;

namespace {

// Three files: tracks 7 and 12 (one with a 28-character comment), and one without a track.
QStringList MakeTrackFiles(const TempDir& dir) {
    WriteMp3(dir.Path("a.mp3"), 300, WithTrack(MakeTag("One", "Band", "", "", "Hi", 17), 7));
    WriteMp3(dir.Path("b.mp3"), 300,
             WithTrack(MakeTag("Two", "Band", "", "", QByteArray(28, 'c'), 17), 12));
    WriteMp3(dir.Path("c.mp3"), 300, MakeTag("Three", "Band", "", "", QByteArray(30, 'd'), 17));
    return {"a.mp3", "b.mp3", "c.mp3"};
}

} // namespace

// A new comment over files with tracks: every track is kept (the track is left unless the
// command line names it), each comment beside one cut to 28 characters.
TEST(CliTrack, ANewCommentKeepsEveryTrack) {
    TempDir dir;
    const QStringList files = MakeTrackFiles(dir);
    const QString comment = "New comment, thirty characters";
    ASSERT_EQ(comment.size(), 30);
    const CliResult result =
        RunCli(QStringList{"tag", "--comment", comment, "--leave", "song-name", "--leave", "artist",
                           "--leave", "album", "--leave", "year", "--leave", "genre"}
                   << files,
               dir.Path());
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(TagOf(dir.Path("a.mp3")),
              WithTrack(MakeTag("One", "Band", "", "", comment.left(28).toLatin1(), 17), 7));
    EXPECT_EQ(TagOf(dir.Path("b.mp3")),
              WithTrack(MakeTag("Two", "Band", "", "", comment.left(28).toLatin1(), 17), 12));
    EXPECT_EQ(TagOf(dir.Path("c.mp3")), MakeTag("Three", "Band", "", "", comment.toLatin1(), 17));

    // Without any --leave the track is still kept.
    EXPECT_EQ(RunCli({"tag", "--comment", "x", "a.mp3"}, dir.Path()).exitCode, 0);
    EXPECT_EQ(quint8(TagOf(dir.Path("a.mp3")).at(126)), 7);
}

TEST(CliTrack, TrackWritesClearsAndIsLeftWhenTold) {
    TempDir dir;
    MakeTrackFiles(dir);
    const struct {
        QStringList args;
        int a, b, c; // the three tracks after
    } cases[] = {
        {{"--track", "5"}, 5, 5, 5},         {{"--leave", "track"}, 7, 12, 0},
        {{"--track", "0"}, 0, 0, 0},         {{"--track="}, 0, 0, 0},
        {{"--track", "255"}, 255, 255, 255},
    };
    for (const auto& c : cases) {
        MakeTrackFiles(dir);
        const CliResult result = RunCli(QStringList{"tag"} << c.args << "--leave"
                                                           << "comment"
                                                           << "a.mp3"
                                                           << "b.mp3"
                                                           << "c.mp3",
                                        dir.Path());
        const QString name = c.args.join(' ');
        ASSERT_EQ(result.exitCode, 0) << name.toStdString() << result.err.toStdString();
        EXPECT_EQ(quint8(TagOf(dir.Path("a.mp3")).at(126)), c.a) << name.toStdString();
        EXPECT_EQ(quint8(TagOf(dir.Path("b.mp3")).at(126)), c.b) << name.toStdString();
        EXPECT_EQ(quint8(TagOf(dir.Path("c.mp3")).at(126)), c.c ? c.c : 'd') << name.toStdString();
    }
    // A track given to the 30-character comment of c.mp3 cuts it to 28.
    RunCli({"tag", "--track", "9", "c.mp3"}, dir.Path());
    EXPECT_EQ(TagOf(dir.Path("c.mp3")).mid(97, 30), QByteArray(28, 'd') + '\0' + '\x09');
    // A track taken away is an emptied field; a file that had none is not.
    MakeTrackFiles(dir);
    const CliResult dry = RunCli({"tag", "-n", "--track", "0", "a.mp3", "c.mp3"}, dir.Path());
    EXPECT_EQ(dry.err.split('\n', Qt::SkipEmptyParts),
              QStringList{"note: " + dir.Path("a.mp3") + ": Track emptied"});
}

TEST(CliTrack, AnythingButZeroTo255IsAUsageErrorNamingTheValue) {
    TempDir dir;
    MakeTrackFiles(dir);
    const QByteArray before = ReadFile(dir.Path("a.mp3"));
    for (const char* value : {"256", "-1", "7a", "seven", " 7", "1e2"}) {
        const CliResult result = RunCli({"tag", "--track", value, "a.mp3"}, dir.Path());
        EXPECT_EQ(result.exitCode, 64) << value;
        EXPECT_TRUE(result.err.contains(QString("--track takes a number from 0 to 255 (0 or "
                                                "empty: no track), not \"%1\"")
                                            .arg(value)))
            << result.err.toStdString();
    }
    EXPECT_EQ(RunCli({"list", "--track", "5", "a.mp3"}, dir.Path()).exitCode, 64);
    const CliResult both = RunCli({"tag", "--track", "5", "--leave", "track", "a.mp3"}, dir.Path());
    EXPECT_EQ(both.exitCode, 64);
    EXPECT_TRUE(both.err.contains("--leave track cannot be used with --track or --ask track"));
    EXPECT_EQ(ReadFile(dir.Path("a.mp3")), before);
}

// --ask track asks on the terminal: Enter keeps the file's track, a number replaces it, 0
// takes it away, and anything else is asked again.
TEST(CliTrack, AnAskedTrack) {
    TempDir dir;
    const QStringList files = MakeTrackFiles(dir);
    const CliResult result = RunCli(QStringList{"tag", "--ask", "track", "--leave", "comment",
                                                "--leave", "song-name", "--leave", "artist"}
                                        << files,
                                    dir.Path(), "\n300\n33\n0\n");
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains("Track [7]: ")) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains("Track [12]: "));
    EXPECT_TRUE(result.err.contains("Track []: "));
    EXPECT_TRUE(result.err.contains("Not a track \"300\"; a number 1..255, or 0 for none: "));
    EXPECT_EQ(quint8(TagOf(dir.Path("a.mp3")).at(126)), 7);
    EXPECT_EQ(quint8(TagOf(dir.Path("b.mp3")).at(126)), 33);
    EXPECT_EQ(TagOf(dir.Path("c.mp3")).mid(97, 30), QByteArray(30, 'd'));
}

// "%T" in both template processes; "track" in the documents: a number, or null (JSON) and
// empty (CSV) for none, the CSV column before the genre.
TEST(CliTrack, TemplatesAndDocumentsShowTheTrack) {
    TempDir dir;
    const QStringList files = MakeTrackFiles(dir);
    const CliResult listed =
        RunCli(QStringList{"list", "--template", "[%T] %1"} << files, dir.Path());
    EXPECT_EQ(listed.out, (QStringList{"Process selected: List files/TAGs", "[07] One", "[12] Two",
                                       "[] Three", "Process Complete! (0 errors)"}));

    const CliResult csv = RunCli(QStringList{"list", "--csv"} << files, dir.Path());
    EXPECT_EQ(csv.out,
              (QStringList{"path,song_name,artist,album,year,comment,track,genre\r",
                           dir.Path("a.mp3") + ",One,Band,,,Hi,7,17\r",
                           dir.Path("b.mp3") + ",Two,Band,,," + QString(28, 'c') + ",12,17\r",
                           dir.Path("c.mp3") + ",Three,Band,,," + QString(30, 'd') + ",,17\r"}));

    const CliResult json = RunCli(QStringList{"list", "--json"} << files, dir.Path());
    const QJsonArray entries = QJsonDocument::fromJson(json.outBytes).object()["entries"].toArray();
    ASSERT_EQ(entries.size(), 3);
    const QJsonObject first = entries[0].toObject()["tag_before"].toObject();
    EXPECT_EQ(first["track"], QJsonValue(7));
    EXPECT_TRUE(json.outBytes.contains("\"comment\": \"Hi\", \"track\": 7, \"genre\": 17}"));
    EXPECT_TRUE(entries[2].toObject()["tag_before"].toObject()["track"].isNull());

    // A dry run's tag after, and the note of the cut comment.
    const CliResult dry =
        RunCli({"tag", "-n", "--json", "--track", "3", "--leave", "comment", "c.mp3"}, dir.Path());
    const QJsonObject entry =
        QJsonDocument::fromJson(dry.outBytes).object()["entries"].toArray()[0].toObject();
    EXPECT_EQ(entry["tag_after"].toObject()["track"], QJsonValue(3));
    EXPECT_EQ(entry["tag_after"].toObject()["comment"].toString(), QString(28, 'd'));
    EXPECT_EQ(entry["notes"].toArray(), QJsonArray{"Comment cut to 28 characters (2 lost)"});

    const CliResult renamed =
        RunCli(QStringList{"tag-to-filename", "--template", "%T %1"} << files, dir.Path());
    EXPECT_EQ(renamed.exitCode, 0);
    for (const char* name : {"07 One.mp3", "12 Two.mp3", " Three.mp3"})
        EXPECT_TRUE(QFileInfo::exists(dir.Path(name))) << name;
}

// New Style reads "%T" from the name; a name's 0 is no track and is noted.
TEST(CliTrack, FilenameToTagReadsTheTrackFromTheName) {
    TempDir dir;
    WriteMp3(dir.Path("07 - Morning.mp3"), 300);
    WriteMp3(dir.Path("0 - Intro.mp3"), 300);
    const QStringList args{"filename-to-tag", "--template", "%T - %1", "07 - Morning.mp3",
                           "0 - Intro.mp3"};
    const CliResult dry = RunCli(QStringList(args) << "-n", dir.Path());
    EXPECT_TRUE(dry.err.contains("note: " + dir.Path("0 - Intro.mp3") +
                                 ": Track: \"0\" in the name is no track from 1 to 255; none "
                                 "taken"))
        << dry.err.toStdString();
    EXPECT_EQ(RunCli(args, dir.Path()).exitCode, 0);
    EXPECT_EQ(TagOf(dir.Path("07 - Morning.mp3")), WithTrack(MakeTag("Morning", ""), 7));
    EXPECT_EQ(TagOf(dir.Path("0 - Intro.mp3")), MakeTag("Intro", ""));
}
