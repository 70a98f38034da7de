#include "selection/Playlist.h"

#include "platform/IoError.h"

#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <ostream>

using testsupport::TempDir;
using testsupport::WriteFile;
using vantuke::IoError;

namespace {

struct PlaylistCase {
    const char* name;
    QByteArray content;
    QStringList expected; // read with the playlist in /music/lists/
};

void PrintTo(const PlaylistCase& c, std::ostream* os) {
    *os << c.name;
}

const QString kListDir = QStringLiteral("/music/lists/");

class M3uTest : public ::testing::TestWithParam<PlaylistCase> {};

TEST_P(M3uTest, YieldsTheFilesItNames) {
    EXPECT_EQ(vantuke::ParseM3u(GetParam().content, kListDir), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, M3uTest,
    ::testing::Values(
        PlaylistCase{"ExtendedWinampCrLf",
                     "#EXTM3U\r\n#EXTINF:215,Artist - One\r\n/abs/One.mp3\r\n"
                     "#EXTINF:-1,Two\r\nTwo.mp3\r\n",
                     {"/abs/One.mp3", "/music/lists/Two.mp3"}},
        PlaylistCase{"Utf8BomBeforeHeader",
                     "\xEF\xBB\xBF#EXTM3U\n#EXTINF:1,\xC3\xA9\n\xC3\xA9t\xC3\xA9.mp3\n",
                     {QStringLiteral("/music/lists/\u00E9t\u00E9.mp3")}},
        PlaylistCase{"Windows1252Text",
                     "\xE9t\xE9.mp3\r\n",
                     {QStringLiteral("/music/lists/\u00E9t\u00E9.mp3")}},
        PlaylistCase{
            "BlankLinesAndIndentation", "\n\n   \t/a.mp3\n\r\n\t\t/b.mp3", {"/a.mp3", "/b.mp3"}},
        PlaylistCase{"TrailingBlanksStay", "/a.mp3  \n", {"/a.mp3  "}},
        PlaylistCase{
            "BareLfAndBareCrEndLines", "/a.mp3\n/b.mp3\r/c.mp3", {"/a.mp3", "/b.mp3", "/c.mp3"}},
        PlaylistCase{"CtrlZEndsTheFile", "/a.mp3\r\n\x1a/b.mp3\r\n", {"/a.mp3"}},
        PlaylistCase{"CtrlZEndsALine", "/a.mp3\x1a/b.mp3\n", {"/a.mp3"}},
        PlaylistCase{"RelativeEntriesCleaned",
                     "../x.mp3\n./sub//y.mp3\n/abs/../z.mp3\n",
                     {"/music/x.mp3", "/music/lists/sub/y.mp3", "/z.mp3"}},
        PlaylistCase{"BackslashesAreSeparators",
                     "Music\\a.mp3\r\n..\\b.mp3\r\nC:\\Music\\c.mp3\r\n",
                     {"/music/lists/Music/a.mp3", "/music/b.mp3", "C:/Music/c.mp3"}},
        PlaylistCase{"DrivePathsAreNotCleanedIntoRelativeOnes",
                     "C:\\..\\us\\th.mp3\r\n",
                     {"C:/../us/th.mp3"}},
        PlaylistCase{"FileUrlsBecomePaths",
                     "file:///home/u/My%20Song.mp3\nfile://localhost/srv/a%23b.mp3\n",
                     {"/home/u/My Song.mp3", "/srv/a#b.mp3"}},
        PlaylistCase{"FileUrlEscapesAreBytesOfTheName",
                     "file:///srv/Caf%C3%A9.mp3\nfile:///srv/Caf%E9.mp3\nFILE:/srv/x.mp3#frag\n",
                     {u"/srv/Caf\u00E9.mp3"_qs, QStringLiteral("/srv/Caf") + QChar(0xDCE9) + ".mp3",
                      "/srv/x.mp3"}},
        PlaylistCase{"Utf8WithBomKeepsAStrayByteAsItIs",
                     "\xEF\xBB\xBF/m/\xC3\xA9t\xE9.mp3\n",
                     {u"/m/\u00E9t"_qs + QChar(0xDCE9) + ".mp3"}},
        PlaylistCase{"FileUrlOfAnotherHostSkipped", "file://server/share/a.mp3\n", {}},
        // Only a to z fold: the long s is no "s", so that host is another machine.
        PlaylistCase{"FileUrlHostAndSchemeFoldOnlyAsciiLetters",
                     "FiLe://LOCALHOST/a.mp3\nfile://localho\xC5\xBFt/b.mp3\n",
                     {"/a.mp3"}},
        PlaylistCase{"StreamsAreSkipped",
                     "http://radio.example/stream\nHTTPS://x.example/a.mp3\nmms://m/x\n/ok.mp3\n",
                     {"/ok.mp3"}},
        PlaylistCase{"OnlyCommentsAndBlanks", "#EXTM3U\n\n#EXTINF:1,x\n", {}},
        PlaylistCase{"Empty", "", {}}),
    [](const auto& info) { return info.param.name; });

class PlsTest : public ::testing::TestWithParam<PlaylistCase> {};

TEST_P(PlsTest, YieldsTheFilesItNames) {
    EXPECT_EQ(vantuke::ParsePls(GetParam().content, kListDir), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PlsTest,
    ::testing::Values(
        PlaylistCase{"CountLimitsTheEntries",
                     "[playlist]\nNumberOfEntries=2\nFile1=/a.mp3\nFile2=/b.mp3\nFile3=/c.mp3\n",
                     {"/a.mp3", "/b.mp3"}},
        PlaylistCase{"WinampStyleCrLfWithTitlesAndBom",
                     "\xEF\xBB\xBF[Playlist]\r\nFile1=C:\\Music\\a.mp3\r\nTitle1=A\r\n"
                     "Length1=215\r\nFile2=rel\\b.mp3\r\nTitle2=B\r\nLength2=-1\r\n"
                     "NumberOfEntries=2\r\nVersion=2\r\n",
                     {"C:/Music/a.mp3", "/music/lists/rel/b.mp3"}},
        PlaylistCase{"VlcStyleUrls",
                     "[playlist]\nFile1=file:///srv/My%20Song.mp3\nTitle1=x\n"
                     "File2=http://stream.example:8000/\nNumberOfEntries=2\n",
                     {"/srv/My Song.mp3"}},
        PlaylistCase{"EmptyAndMissingEntriesSkipped",
                     "[playlist]\nnumberofentries=4\nfile1=\nfile2=\"/q.mp3\"\nFile4= /r.mp3 \n",
                     {"/q.mp3", "/r.mp3"}},
        PlaylistCase{
            "HexCount", "[playlist]\nNumberOfEntries=$1\nFile1=/a.mp3\nFile2=/b.mp3\n", {"/a.mp3"}},
        PlaylistCase{"NoCount", "[playlist]\nFile1=/a.mp3\n", {}},
        PlaylistCase{"OrderByNumberNotByLine",
                     "[playlist]\nFile3=/c.mp3\nFile1=/a.mp3\nFile01=/z.mp3\nFile+2=/y.mp3\n"
                     "NumberOfEntries=3\n",
                     {"/a.mp3", "/c.mp3"}},
        PlaylistCase{"HugeDamagedCountReadsOnlyPresentKeys",
                     "[playlist]\nNumberOfEntries=0x7FFFFFFF\nFile2147483647=/last.mp3\n",
                     {"/last.mp3"}},
        PlaylistCase{"OtherSection", "[other]\nNumberOfEntries=1\nFile1=/a.mp3\n", {}},
        PlaylistCase{"NotAPlaylist", "\x01garbage\xff", {}}),
    [](const auto& info) { return info.param.name; });

TEST(PlaylistFiles, RelativeEntriesResolveAgainstThePlaylistsFolder) {
    TempDir dir;
    WriteFile(dir.Path("list.m3u"), "#EXTM3U\nsong.mp3\n");
    WriteFile(dir.Path("list.pls"), "[playlist]\nNumberOfEntries=1\nFile1=other.mp3\n");
    EXPECT_EQ(vantuke::ReadM3u(dir.Path("list.m3u")), QStringList{dir.Path("song.mp3")});
    EXPECT_EQ(vantuke::ReadPls(dir.Path("list.pls")), QStringList{dir.Path("other.mp3")});
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
    EXPECT_EQ(vantuke::ReadM3u(dir.Path("list.m3u")), (QStringList{latin1, latin1, other}));
    EXPECT_EQ(vantuke::ReadPls(dir.Path("list.pls")), QStringList{latin1});
}

// The same playlist, where the file's name was converted to UTF-8 when it was copied.
TEST(PlaylistFiles, AWindowsPlaylistEntryFindsAFileRenamedToUtf8) {
    TempDir dir;
    const QString converted = dir.Path(u"Caf\u00E9.mp3"_qs);
    WriteFile(converted, "x");
    WriteFile(dir.Path("list.m3u"), "Caf\xE9.mp3\r\n");
    WriteFile(dir.Path("list.pls"), "[playlist]\nFile1=Caf\xE9.mp3\nNumberOfEntries=1\n");
    EXPECT_EQ(vantuke::ReadM3u(dir.Path("list.m3u")), QStringList{converted});
    EXPECT_EQ(vantuke::ReadPls(dir.Path("list.pls")), QStringList{converted});
}

TEST(PlaylistFiles, TwoHundredThousandPlsEntriesAllCome) {
    // Reading a PLS takes time in proportion to its size; this one has 600,000 keys.
    constexpr int kEntries = 200000;
    QByteArray content = "[playlist]\r\n";
    content.reserve(kEntries * 60);
    for (int n = 1; n <= kEntries; ++n) {
        const QByteArray number = QByteArray::number(n);
        content += "File" + number + "=/m/" + number + ".mp3\r\nTitle" + number + "=T" + number +
                   "\r\nLength" + number + "=-1\r\n";
    }
    content += "NumberOfEntries=" + QByteArray::number(kEntries) + "\r\nVersion=2\r\n";
    const QStringList paths = vantuke::ParsePls(content, kListDir);
    ASSERT_EQ(paths.size(), kEntries);
    EXPECT_EQ(paths.front(), "/m/1.mp3");
    EXPECT_EQ(paths[99999], "/m/100000.mp3");
    EXPECT_EQ(paths.back(), "/m/200000.mp3");
}

TEST(PlaylistFiles, UnreadableM3uThrowsButUnreadablePlsIsEmpty) {
    TempDir dir;
    try {
        vantuke::ReadM3u(dir.Path("missing.m3u"));
        FAIL() << "no error for a missing playlist";
    } catch (const IoError& e) {
        EXPECT_EQ(e.Text(), "File not found");
    }
    EXPECT_TRUE(vantuke::ReadPls(dir.Path("missing.pls")).isEmpty());
    EXPECT_TRUE(vantuke::ReadPls(dir.Path()).isEmpty()); // a folder, not a file
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
