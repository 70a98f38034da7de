// The parts of vantuke-cli that turn FILE arguments into the selection and status lines into
// output bytes, tested on their own.
#include "CliRun.h"
#include "TerminalHost.h"

#include "platform/IoError.h"
#include "platform/NameBytes.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace {

using namespace vantuke::cli;
using testsupport::TempDir;
using testsupport::WriteFile;
using vantuke::IoError;
using vantuke::NameToBytes;

struct PathCase {
    const char* cwd;
    const char* path;
    const char* expected;
};

TEST(AbsolutePathTest, DropsEmptyAndDotPartsButKeepsDotDot) {
    const PathCase cases[] = {
        // Already clean: taken as it is.
        {"/w", "/m/a.mp3", "/m/a.mp3"},
        {"/w", "/m/sub/", "/m/sub/"},
        {"/w", "/", "/"},
        {"/w", "/m/../a.mp3", "/m/../a.mp3"},
        {"/w", "/m/.hidden/..x/.../a.mp3", "/m/.hidden/..x/.../a.mp3"},
        // Doubled slashes and "." parts anywhere, at the end too.
        {"/w", "//m///a.mp3", "/m/a.mp3"},
        {"/w", "/m/./a.mp3", "/m/a.mp3"},
        {"/w", "/m/.", "/m/"},
        {"/w", "/.", "/"},
        {"/w", "/./m", "/m"},
        // Relative paths join the working directory.
        {"/w", "a.mp3", "/w/a.mp3"},
        {"/w", "./a.mp3", "/w/a.mp3"},
        {"/w", ".", "/w/"},
        {"/w", "..", "/w/.."},
        {"/w", "a//b/./", "/w/a/b/"},
        {"/", "a.mp3", "/a.mp3"},
    };
    for (const PathCase& c : cases)
        EXPECT_EQ(AbsolutePath(c.cwd, c.path), QString::fromUtf8(c.expected))
            << c.cwd << " + " << c.path;
}

CliRequest RequestOf(const QList<Source>& sources) {
    CliRequest request;
    request.sources = sources;
    return request;
}

constexpr Source::Kind kFile = Source::Kind::File;
constexpr Source::Kind kPlaylist = Source::Kind::Playlist;
constexpr Source::Kind kFileList = Source::Kind::FileList;

TEST(BuildSelectionTest, FilesAndPlaylistsKeepCommandLineOrderWithoutDuplicates) {
    TempDir dir;
    WriteFile(dir.Path("list.m3u"), "b.mp3\nc.mp3\n");
    const QList<Source> sources{
        {"a.mp3", kFile}, {dir.Path("b.mp3"), kFile}, {"list.m3u", kPlaylist}, {"./a.mp3", kFile},
        {"d.mp3", kFile}, {"list.m3u", kPlaylist},    {"e.mp3", kFile},
    };
    EXPECT_EQ(BuildSelection(RequestOf(sources), dir.Path()),
              (QStringList{dir.Path("a.mp3"), dir.Path("b.mp3"), dir.Path("c.mp3"),
                           dir.Path("d.mp3"), dir.Path("e.mp3")}));
}

// A folder adds its MP3 files as the file list shows them; -r adds its subfolders, folder by
// folder in name order, without following a link to a folder (here one that loops back).
TEST(BuildSelectionTest, FoldersAddTheirMp3FilesAndSubfoldersInNameOrder) {
    TempDir dir;
    for (const char* name :
         {"music/b.mp3", "music/A.MP3", "music/notes.txt", "music/sub/z.mp3", "music/Sub 2/y.Mp3",
          "music/sub/deeper/x.mp3", "music/.hidden/h.mp3"}) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(dir.Path(name)).path()));
        WriteFile(dir.Path(name), "audio");
    }
    ASSERT_EQ(::symlink("..", NameToBytes(dir.Path("music/sub/up")).constData()), 0);
    ASSERT_EQ(::symlink("sub", NameToBytes(dir.Path("music/linked")).constData()), 0);
    ASSERT_TRUE(QDir().mkpath(dir.Path("folder.mp3")));

    CliRequest request = RequestOf({{"music", kFile}, {"folder.mp3", kFile}});
    const QString m = dir.Dir() + "music/";
    EXPECT_EQ(BuildSelection(request, dir.Path()),
              (QStringList{m + "A.MP3", m + "b.mp3", dir.Path("folder.mp3")}))
        << "a name that ends in .mp3 is taken as a file";

    request.recursive = true;
    EXPECT_EQ(BuildSelection(request, dir.Path()),
              (QStringList{m + "A.MP3", m + "b.mp3", m + ".hidden/h.mp3", m + "sub/z.mp3",
                           m + "sub/deeper/x.mp3", m + "Sub 2/y.Mp3", dir.Path("folder.mp3")}));
}

// --files-from lists: one FILE per line (CR LF too) or NUL-separated, empty records skipped,
// each FILE relative to the working folder, in order with the other sources.
TEST(BuildSelectionTest, FileListsAddTheirFilesInOrder) {
    TempDir dir;
    WriteFile(dir.Path("lines.txt"), "b.mp3\r\n\n" + dir.Path("c.mp3").toUtf8() + "\nd.mp3");
    WriteFile(dir.Path("nul.txt"), QByteArray("new\nline.mp3\0\0e.mp3\0", 19));
    CliRequest request = RequestOf({{"a.mp3", kFile}, {"lines.txt", kFileList}, {"f.mp3", kFile}});
    EXPECT_EQ(BuildSelection(request, dir.Path()),
              (QStringList{dir.Path("a.mp3"), dir.Path("b.mp3"), dir.Path("c.mp3"),
                           dir.Path("d.mp3"), dir.Path("f.mp3")}));

    request = RequestOf({{dir.Path("nul.txt"), kFileList}});
    request.nulSeparated = true;
    EXPECT_EQ(BuildSelection(request, dir.Path()),
              (QStringList{dir.Path("new\nline.mp3"), dir.Path("e.mp3")}));

    request = RequestOf({{"missing.txt", kFileList}});
    EXPECT_EQ(testsupport::ErrorCodeOf([&] { BuildSelection(request, dir.Path()); }),
              IoError::kFileNotFound);
}

// What LogLine wrote, read back from a temporary file.
QByteArray Logged(const QStringList& lines) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), std::fclose);
    EXPECT_NE(file, nullptr);
    TerminalHost host(file.get(), stderr, stdin);
    for (const QString& line : lines)
        host.LogLine(line);
    std::fflush(file.get());
    std::rewind(file.get());
    QByteArray bytes;
    char chunk[4096];
    while (const size_t got = std::fread(chunk, 1, sizeof chunk, file.get()))
        bytes.append(chunk, qsizetype(got));
    return bytes;
}

TEST(TerminalHostTest, LinesAreUtf8WithLoneSurrogatesAsQuestionMarks) {
    const QChar high(0xD83D);
    const QChar low(0xDE00);
    const struct {
        QString line;
        QByteArray bytes;
    } cases[] = {
        {"File a.mp3", "File a.mp3\n"},
        {"", "\n"},
        {QString::fromUtf8("Caf\u00e9 \u20ac"), "Caf\xC3\xA9 \xE2\x82\xAC\n"},
        {QString::fromUtf8("\U0001F3B5!"), "\xF0\x9F\x8E\xB5!\n"},
        {QString("a") + high, "a?\n"},
        {QString(low) + "b", "?b\n"},
        {QString("x") + QChar(0) + "y", QByteArray("x\0y\n", 4)},
    };
    QStringList lines;
    QByteArray all;
    for (const auto& c : cases) {
        EXPECT_EQ(Logged({c.line}), c.bytes) << c.line.toStdString();
        lines << c.line;
        all += c.bytes;
    }
    // One host for all of them: nothing of one line reaches the next, and a line longer than
    // every line before it is written whole.
    lines << QString(5000, u'\u00e9');
    all += QByteArray("\xC3\xA9").repeated(5000) + '\n';
    EXPECT_EQ(Logged(lines), all);
}

} // namespace
