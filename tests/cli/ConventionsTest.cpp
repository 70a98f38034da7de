// vantuke-cli beside the tools it is scripted with: file lists on standard input, folders as
// FILEs, a quiet mode and a progress line for a person at a terminal.
#include "CliRunner.h"
#include "platform/NameBytes.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

using namespace testsupport;
using namespace clitest;

namespace {

QByteArray Native(const QString& path) {
    return vantuke::NameToBytes(path);
}

// Lists more files than a command line takes, NUL-separated on standard input: each comes
// once, in the list's order, also a name that holds a line break.
TEST(CliConventions, TwentyThousandFilesFromANulSeparatedList) {
    TempDir dir;
    const int count = 20000;
    QByteArray list;
    QStringList expected{"Process selected: List files/TAGs"};
    for (int i = count; i > 0; --i) { // not in name order: the list's order counts
        const QString name = i == 7 ? QString("odd\nname.mp3") : QString("%1.mp3").arg(i);
        WriteMp3(dir.Path(name), 200, MakeTag("Song", QByteArray::number(i)));
        list += Native(name) + '\0';
        expected << QString("%1 by %2").arg(i == 7 ? "odd?name" : QString::number(i)).arg(i);
    }
    expected << "Process Complete! (0 errors)";
    CliSetup setup;
    setup.input = list;
    const CliResult result = RunCliWith(
        {"list", "--template", "%7 by %2", "-0", "--files-from", "-"}, dir.Path(), setup);
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, expected);
}

// -r walks the subfolders in name order and never follows a link to a folder, so a link
// pointing back up the tree ends nothing but its own branch.
TEST(CliConventions, ARecursiveFolderWithALinkLoopListsEachFileOnce) {
    TempDir dir;
    for (const char* name : {"top/b.mp3", "top/a/x.mp3", "top/a/deep/y.mp3", "top/c/z.MP3"}) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(dir.Path(name)).path()));
        WriteMp3(dir.Path(name), 200, MakeTag(QFileInfo(name).baseName().toUtf8(), "A"));
    }
    ASSERT_EQ(::symlink("..", Native(dir.Path("top/a/deep/loop")).constData()), 0);
    ASSERT_EQ(
        ::symlink(Native(dir.Path("top")).constData(), Native(dir.Path("top/c/again")).constData()),
        0);

    const CliResult flat = RunCli({"list", "--template", "%1", "top"}, dir.Path());
    EXPECT_EQ(flat.out, (QStringList{"Process selected: List files/TAGs", "b",
                                     "Process Complete! (0 errors)"}));
    const CliResult deep = RunCli({"list", "--template", "%1", "-r", "top"}, dir.Path());
    EXPECT_EQ(deep.exitCode, 0);
    EXPECT_EQ(deep.out, (QStringList{"Process selected: List files/TAGs", "b", "x", "y", "z",
                                     "Process Complete! (0 errors)"}));
}

// -q prints what went wrong and how the run ended, nothing else.
TEST(CliConventions, QuietPrintsOnlyErrorsAndTheLastLine) {
    TempDir dir;
    WriteMp3(dir.Path("one.mp3"), 200, MakeTag("Same", "Band"));
    WriteMp3(dir.Path("two.mp3"), 200, MakeTag("Same", "Band"));
    const CliResult result = RunCli({"-q", "tag-to-filename", "one.mp3", "two.mp3"}, dir.Path());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, (QStringList{"Error #1: Cannot rename file " + dir.Path("two.mp3"),
                                       "Process Complete! (1 errors)"}));
    EXPECT_TRUE(QFileInfo::exists(dir.Path("Band - Same.mp3")));
}

// Runs the program with its standard error on a terminal (a pseudo-terminal whose other end
// the test reads) and returns what the terminal got.
QByteArray StandardErrorOnATerminal(const QStringList& args, const QString& workDir) {
    int terminal = -1, other = -1;
    EXPECT_EQ(::openpty(&terminal, &other, nullptr, nullptr, nullptr), 0);
    CliSetup setup;
    setup.inChild = [other] { ::dup2(other, STDERR_FILENO); };
    QProcess process;
    StartCli(process, args, workDir, setup);
    process.closeWriteChannel();
    ::close(other);
    QByteArray seen;
    char chunk[4096];
    for (ssize_t got; (got = ::read(terminal, chunk, sizeof chunk)) > 0;)
        seen.append(chunk, got); // ends with EIO once the program has closed its end
    ::close(terminal);
    const CliResult result = Collect(process);
    EXPECT_EQ(result.exitCode, 0);
    return seen;
}

// A long run shows its progress on a terminal and takes the line away at the end; a short
// run, or standard error that is no terminal, shows none.
TEST(CliConventions, AProgressLineOnlyForLongRunsAtATerminal) {
    TempDir dir;
    QStringList names;
    for (int i = 0; i < 1001; ++i) {
        names << QString("%1.mp3").arg(i);
        WriteMp3(dir.Path(names.last()), 200, {});
    }
    const QByteArray shown = StandardErrorOnATerminal(QStringList{"list"} + names, dir.Path());
    EXPECT_TRUE(shown.contains(" of 1001 files")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("\r\x1b[K")) << "the progress line is erased at the end";

    EXPECT_TRUE(
        StandardErrorOnATerminal(QStringList{"list"} + names.mid(0, 1000), dir.Path()).isEmpty());
    const CliResult piped = RunCli(QStringList{"list"} + names, dir.Path());
    EXPECT_TRUE(piped.errBytes.isEmpty());
}

} // namespace
