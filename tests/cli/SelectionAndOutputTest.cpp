// The parts of vantuke-cli that turn FILE arguments into the selection and status lines into
// output bytes, tested on their own.
#include "CliRun.h"
#include "TerminalHost.h"

#include "support/TestFiles.h"

#include <QStringList>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace vantuke::cli;
using testsupport::TempDir;
using testsupport::WriteFile;

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

TEST(BuildSelectionTest, FilesAndPlaylistsKeepCommandLineOrderWithoutDuplicates) {
    TempDir dir;
    WriteFile(dir.Path("list.m3u"), "b.mp3\nc.mp3\n");
    const QList<Source> sources{
        {"a.mp3", false}, {dir.Path("b.mp3"), false}, {"list.m3u", true}, {"./a.mp3", false},
        {"d.mp3", false}, {"list.m3u", true},         {"e.mp3", false},
    };
    EXPECT_EQ(BuildSelection(sources, dir.Path()),
              (QStringList{dir.Path("a.mp3"), dir.Path("b.mp3"), dir.Path("c.mp3"),
                           dir.Path("d.mp3"), dir.Path("e.mp3")}));
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
