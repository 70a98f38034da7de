#include "selection/Playlist.h"
#include "selection/SelectedFiles.h"

#include "platform/IoError.h"

#include "support/TestFiles.h"

#include <gtest/gtest.h>

using testsupport::TempDir;
using testsupport::WriteFile;
using vantuke::IoError;
using vantuke::PlaylistKind;

namespace {

// The files the playlist file names; nothing for a playlist that gives nothing.
QStringList ReadPaths(const QString& path, PlaylistKind kind) {
    QStringList paths;
    if (const auto playlist = vantuke::ReadPlaylist(path, kind)) {
        for (const auto& entry : playlist->entries)
            paths << entry.path;
    }
    return paths;
}

QStringList ReadM3u(const QString& path) {
    return ReadPaths(path, PlaylistKind::M3u);
}

QStringList ReadPls(const QString& path) {
    return ReadPaths(path, PlaylistKind::Pls);
}

TEST(PlaylistFiles, RelativeEntriesResolveAgainstThePlaylistsFolder) {
    TempDir dir;
    WriteFile(dir.Path("list.m3u"), "#EXTM3U\nsong.mp3\n");
    WriteFile(dir.Path("list.pls"), "[playlist]\nNumberOfEntries=1\nFile1=other.mp3\n");
    EXPECT_EQ(ReadM3u(dir.Path("list.m3u")), QStringList{dir.Path("song.mp3")});
    EXPECT_EQ(ReadPls(dir.Path("list.pls")), QStringList{dir.Path("other.mp3")});
}

// A playlist written on Windows names "Caf\xE9.mp3" in Windows-1252. Beside the file of
// exactly those bytes stands "Caf\xEF\xBF\xBD.mp3", which a lossy reading would pick.
TEST(PlaylistFiles, AWindowsPlaylistEntryFindsTheFileItsBytesName) {
    TempDir dir;
    const QString latin1 = testsupport::PathOfBytes(dir.Dir(), "Caf\xE9.mp3");
    testsupport::WriteFile(latin1, "x");
    testsupport::WriteFile(testsupport::PathOfBytes(dir.Dir(), "Caf\xEF\xBF\xBD.mp3"), "y");
    WriteFile(dir.Path("list.m3u"), "#EXTM3U\r\nCaf\xE9.mp3\r\n" + dir.Dir().toUtf8() +
                                        "Caf\xE9.mp3\r\n\x93Other\x94.mp3\r\n");
    WriteFile(dir.Path("list.pls"), "[playlist]\r\nFile1=Caf\xE9.mp3\r\nNumberOfEntries=1\r\n");
    const QString other = dir.Path(u"\u201COther\u201D.mp3"_qs);
    EXPECT_EQ(ReadM3u(dir.Path("list.m3u")), (QStringList{latin1, latin1, other}));
    EXPECT_EQ(ReadPls(dir.Path("list.pls")), QStringList{latin1});
}

// The same playlist, where the file's name was converted to UTF-8 when it was copied.
TEST(PlaylistFiles, AWindowsPlaylistEntryFindsAFileRenamedToUtf8) {
    TempDir dir;
    const QString converted = dir.Path(u"Caf\u00E9.mp3"_qs);
    WriteFile(converted, "x");
    WriteFile(dir.Path("list.m3u"), "Caf\xE9.mp3\r\n");
    WriteFile(dir.Path("list.pls"), "[playlist]\nFile1=Caf\xE9.mp3\nNumberOfEntries=1\n");
    EXPECT_EQ(ReadM3u(dir.Path("list.m3u")), QStringList{converted});
    EXPECT_EQ(ReadPls(dir.Path("list.pls")), QStringList{converted});
}

TEST(PlaylistFiles, UnreadableM3uThrowsButUnreadablePlsIsEmpty) {
    TempDir dir;
    try {
        ReadM3u(dir.Path("missing.m3u"));
        FAIL() << "no error for a missing playlist";
    } catch (const IoError& e) {
        EXPECT_EQ(e.Text(), "File not found");
    }
    EXPECT_TRUE(ReadPls(dir.Path("missing.pls")).isEmpty());
    EXPECT_TRUE(ReadPls(dir.Path()).isEmpty()); // a folder, not a file
}

// "Add" on playlist rows: an .m3u8 is a playlist too; each playlist is kept once, as last
// read, for the whole session, also when its entries are removed again.
TEST(PlaylistFiles, TheSelectionKeepsThePlaylistsItTookEntriesFrom) {
    TempDir dir;
    WriteFile(dir.Path("a.m3u8"), "one.mp3\ntwo.mp3\n");
    WriteFile(dir.Path("b.pls"), "[playlist]\nNumberOfEntries=1\nFile1=two.mp3\n");
    vantuke::SelectedFiles selection;
    selection.AddRows(dir.Dir(), {"a.m3u8", "b.pls", "c.m3u8.txt"}, true);
    EXPECT_EQ(selection.Entries(),
              (QStringList{dir.Path("one.mp3"), dir.Path("two.mp3"), dir.Path("c.m3u8.txt")}));
    ASSERT_EQ(selection.Playlists().size(), 2);
    EXPECT_EQ(selection.Playlists()[0].kind, PlaylistKind::M3u8);
    EXPECT_EQ(selection.Playlists()[1].path, dir.Path("b.pls"));

    WriteFile(dir.Path("a.m3u8"), "three.mp3\n");
    selection.Clear();
    selection.AddRows(dir.Dir(), {"a.m3u8"}, true);
    ASSERT_EQ(selection.Playlists().size(), 2);
    EXPECT_EQ(selection.Playlists()[0].bytes, "three.mp3\n");

    // Undo put other bytes back: the entries are read from them.
    selection.PlaylistRestored(dir.Path("a.m3u8"), "four.mp3\n");
    EXPECT_EQ(selection.Playlists()[0].bytes, "four.mp3\n");
    EXPECT_EQ(selection.Playlists()[0].entries.at(0).path, dir.Path("four.mp3"));
}

} // namespace

// What a file manager hands over in a drag: URLs, one a line, their escapes bytes of the
// names. A name in Latin-1 stays its own bytes, not U+FFFD.
TEST(UriList, GivesTheLocalFilesItNamesExactly) {
    const struct {
        const char* name;
        QByteArray content;
        QStringList expected;
    } cases[] = {
        {"CrLfLinesAndAComment",
         "# from a file manager\r\nfile:///m/a.mp3\r\nfile:///m/b%20c.m3u\r\n",
         {"/m/a.mp3", "/m/b c.m3u"}},
        {"Utf8Escapes", "file:///m/Caf%C3%A9.mp3\n", {QStringLiteral("/m/Caf\u00E9.mp3")}},
        {"Latin1EscapeIsTheBytesOfTheName",
         "file:///m/Caf%E9.mp3",
         {testsupport::PathOfBytes("/m/", "Caf\xE9.mp3")}},
        {"LocalhostAndAFolderWithASlash", "file://localhost/m/Album/\r\n", {"/m/Album"}},
        {"OtherHostsAndSchemesAreNoLocalFiles",
         "file://server/m/a.mp3\r\nhttp://radio/stream.mp3\r\nsmb://nas/a.mp3\r\n",
         {}},
        {"NoAbsolutePathNoFile", "relative.mp3\r\nfile:\r\n", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(vantuke::ParseUriList(c.content), c.expected) << c.name;
}
