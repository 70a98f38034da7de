#include "convert/PlaylistEntries.h"

#include <QHash>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>

using vantuke::NameExistsFn;
using vantuke::Playlist;
using vantuke::PlaylistKind;
using vantuke::PlaylistRewrite;

namespace {

const QString kListDir = QStringLiteral("/music/lists/");
const NameExistsFn kNoFiles = [](const QString&) { return false; };

// The files a playlist in /music/lists/ names, no file existing.
QStringList Paths(PlaylistKind kind, const QByteArray& content) {
    QStringList paths;
    for (const auto& entry : vantuke::ParsePlaylist(kind, content, kListDir, kNoFiles))
        paths << entry.path;
    return paths;
}

struct PlaylistCase {
    const char* name;
    QByteArray content;
    QStringList expected; // read with the playlist in /music/lists/
};

void PrintTo(const PlaylistCase& c, std::ostream* os) {
    *os << c.name;
}

class M3uTest : public ::testing::TestWithParam<PlaylistCase> {};

TEST_P(M3uTest, YieldsTheFilesItNames) {
    EXPECT_EQ(Paths(PlaylistKind::M3u, GetParam().content), GetParam().expected);
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
    EXPECT_EQ(Paths(PlaylistKind::Pls, GetParam().content), GetParam().expected);
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

TEST(PlaylistRead, TwoHundredThousandPlsEntriesAllCome) {
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
    const QStringList paths = Paths(PlaylistKind::Pls, content);
    ASSERT_EQ(paths.size(), kEntries);
    EXPECT_EQ(paths.front(), "/m/1.mp3");
    EXPECT_EQ(paths[99999], "/m/100000.mp3");
    EXPECT_EQ(paths.back(), "/m/200000.mp3");
}

// A rename of files in /music/lists/ and elsewhere, and the playlist it should leave, byte for
// byte; no expected bytes: the rewrite is refused and the playlist stays as it is.
struct RewriteCase {
    const char* name;
    PlaylistKind kind;
    QByteArray content;
    QList<std::pair<QString, QString>> renamed;
    std::optional<QByteArray> expected;
    int changed = 0;
    NameExistsFn exists = kNoFiles;
};

void PrintTo(const RewriteCase& c, std::ostream* os) {
    *os << c.name;
}

class RewriteTest : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(RewriteTest, ChangesOnlyTheNamesOfRenamedFiles) {
    const RewriteCase& c = GetParam();
    Playlist playlist{kListDir + "list", kListDir, c.kind, c.content,
                      vantuke::ParsePlaylist(c.kind, c.content, kListDir, c.exists)};
    QHash<QString, QString> renamed;
    for (const auto& [from, to] : c.renamed)
        renamed.insert(from, to);
    const std::optional<PlaylistRewrite> rewrite =
        vantuke::RewritePlaylist(playlist, renamed, c.exists);
    ASSERT_EQ(rewrite.has_value(), c.expected.has_value());
    if (!rewrite)
        return;
    EXPECT_EQ(rewrite->bytes, *c.expected);
    EXPECT_EQ(rewrite->changed, c.changed);
    EXPECT_EQ(vantuke::EntriesNaming(playlist, renamed), c.changed);
    // What it now reads is what the playlist holds.
    EXPECT_EQ(rewrite->entries, vantuke::ParsePlaylist(c.kind, rewrite->bytes, kListDir, c.exists));
}

INSTANTIATE_TEST_SUITE_P(
    Playlists, RewriteTest,
    ::testing::Values(
        RewriteCase{"ExtendedM3uCrLfWithAnEntryTwiceAndAFileInNoPlaylist",
                    PlaylistKind::M3u,
                    "#EXTM3U\r\n#EXTINF:215,A - One\r\nOne.mp3\r\n\r\n#EXTINF:-1,Two\r\n"
                    "/abs/Two.mp3\r\nsub\\One.mp3\r\nOne.mp3\r\n",
                    {{"/music/lists/One.mp3", "/music/lists/Uno.mp3"},
                     {"/abs/Two.mp3", "/abs/Dos.mp3"},
                     {"/music/lists/absent.mp3", "/music/lists/gone.mp3"}},
                    "#EXTM3U\r\n#EXTINF:215,A - One\r\nUno.mp3\r\n\r\n#EXTINF:-1,Two\r\n"
                    "/abs/Dos.mp3\r\nsub\\One.mp3\r\nUno.mp3\r\n",
                    3},
        RewriteCase{"M3uLfWithBomRelativeUpAndUrls",
                    PlaylistKind::M3u,
                    "\xEF\xBB\xBF../up/a.mp3\nfile:///srv/My%20Song.mp3?x=1\n"
                    "http://radio/stream\n  indented.mp3  \n",
                    {{"/music/up/a.mp3", "/music/up/b c.mp3"},
                     {"/srv/My Song.mp3", u"/srv/Song #1 \u00E9.mp3"_qs},
                     {"/music/lists/indented.mp3  ", "/music/lists/x.mp3"}},
                    "\xEF\xBB\xBF../up/b c.mp3\nfile:///srv/Song%20%231%20%C3%A9.mp3?x=1\n"
                    "http://radio/stream\n  x.mp3\n",
                    3},
        RewriteCase{"M3u8KeepsUtf8",
                    PlaylistKind::M3u8,
                    "Caf\xC3\xA9.mp3\n",
                    {{u"/music/lists/Caf\u00E9.mp3"_qs, u"/music/lists/Th\u00E9.mp3"_qs}},
                    "Th\xC3\xA9.mp3\n",
                    1},
        RewriteCase{"Windows1252PlaylistKeepsItsCodePage",
                    PlaylistKind::M3u,
                    "Caf\xE9.mp3\r\nother.mp3\r\n",
                    {{u"/music/lists/Caf\u00E9.mp3"_qs, u"/music/lists/Th\u00E9.mp3"_qs},
                     {"/music/lists/other.mp3", u"/music/lists/\u00DC.mp3"_qs}},
                    "Th\xE9.mp3\r\n\xDC.mp3\r\n",
                    2},
        RewriteCase{"PlsKeepsItsKeysNumberingAndQuotes",
                    PlaylistKind::Pls,
                    "[playlist]\r\nFile2=\"two.mp3\"\r\nTitle2=Two\r\nLength2=-1\r\n"
                    "File1=C:\\Music\\one.mp3\r\nFile3=file://localhost/srv/three.mp3\r\n"
                    "NumberOfEntries=3\r\nVersion=2\r\n",
                    {{"/music/lists/two.mp3", "/music/lists/deux.mp3"},
                     {"/srv/three.mp3", "/srv/trois.mp3"}},
                    "[playlist]\r\nFile2=\"deux.mp3\"\r\nTitle2=Two\r\nLength2=-1\r\n"
                    "File1=C:\\Music\\one.mp3\r\nFile3=file://localhost/srv/trois.mp3\r\n"
                    "NumberOfEntries=3\r\nVersion=2\r\n",
                    2},
        RewriteCase{"BareNamesThatWouldNotReadAsWrittenGetAFolder",
                    PlaylistKind::M3u,
                    "a.mp3\nb.mp3\n",
                    {{"/music/lists/a.mp3", "/music/lists/#1 Hit.mp3"},
                     {"/music/lists/b.mp3", "/music/lists/ b.mp3"}},
                    "./#1 Hit.mp3\n./ b.mp3\n",
                    2},
        RewriteCase{"PlsValueCutAtItsLimitIsLeft",
                    PlaylistKind::Pls,
                    "[playlist]\nNumberOfEntries=1\nFile1=/" + QByteArray(2100, 'a') + ".mp3\n",
                    {{"/" + QString(2046, u'a'), "/b.mp3"}},
                    std::nullopt},
        RewriteCase{"PlsNameThatItsValueCannotHold",
                    PlaylistKind::Pls,
                    "[playlist]\nNumberOfEntries=1\nFile1=/m/a.mp3\n",
                    {{"/m/a.mp3", "/m/b.mp3 "}},
                    std::nullopt},
        RewriteCase{"AFileMovedToAnotherFolder",
                    PlaylistKind::M3u,
                    "/m/a.mp3\n",
                    {{"/m/a.mp3", "/n/a.mp3"}},
                    std::nullopt},
        // The new name in Windows-1252 is the exact name of another file there.
        RewriteCase{"Windows1252NameOfAnotherFile",
                    PlaylistKind::M3u,
                    "Caf\xE9.mp3\r\n",
                    {{u"/music/lists/Caf\u00E9.mp3"_qs, u"/music/lists/Th\u00E9.mp3"_qs}},
                    std::nullopt,
                    0,
                    [](const QString& path) {
                        return path == "/music/lists/Th" + QString(QChar(0xDCE9)) + ".mp3";
                    }}),
    [](const auto& info) { return info.param.name; });

TEST(PlaylistRead, KindsByEndingAndM3u8IsAlwaysUtf8) {
    EXPECT_EQ(vantuke::PlaylistKindOf(u"a.M3U"), PlaylistKind::M3u);
    EXPECT_EQ(vantuke::PlaylistKindOf(u"a.m3U8"), PlaylistKind::M3u8);
    EXPECT_EQ(vantuke::PlaylistKindOf(u"a.PLS"), PlaylistKind::Pls);
    EXPECT_FALSE(vantuke::PlaylistKindOf(u"a.m3u.bak").has_value());
    // Not valid UTF-8: an .m3u reads it as Windows-1252, an .m3u8 keeps the byte.
    EXPECT_EQ(Paths(PlaylistKind::M3u, "/a\xE9.mp3\n"), QStringList{u"/a\u00E9.mp3"_qs});
    EXPECT_EQ(Paths(PlaylistKind::M3u8, "/a\xE9.mp3\n"),
              QStringList{"/a" + QString(QChar(0xDCE9)) + ".mp3"});
}

} // namespace
