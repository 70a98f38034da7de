// vantuke-cli beside the tools it is scripted with: file lists on standard input, folders as
// FILEs, a quiet mode and a progress line for a person at a terminal.
#include "CliRunner.h"
#include "platform/NameBytes.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>
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

// list --csv read back by Python's CSV reader: one row per tagged file, in order, every text
// as the tag holds it whatever commas, quotes and line breaks it has, and a name that is not
// UTF-8 with its own bytes.
TEST(CliConventions, CsvOfAListingReadsBackWithACsvReader) {
    const QString python = QStandardPaths::findExecutable("python3");
    if (python.isEmpty())
        GTEST_SKIP() << "python3 is not installed; scripts/deps installs it";
    TempDir dir;
    WriteMp3(dir.Path("a.mp3"), 200,
             MakeTag("Tune, Part 2", "Xy\"z\"", "Caf\xe9", "1999", "line\r\nbreak", 17));
    WriteMp3(dir.Path("b.mp3"), 200, {});
    const QString odd = vantuke::NameFromBytes(Native(dir.Path()) + "/C\xe9.mp3");
    WriteMp3(odd, 200, MakeTag("Plain", "", "", "", "", 255));
    CliSetup setup;
    setup.input = "a.mp3\nb.mp3\n" + Native(odd) + "\n";
    const CliResult listed = RunCliWith({"list", "--csv", "--files-from", "-"}, dir.Path(), setup);
    ASSERT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    EXPECT_TRUE(listed.errBytes.isEmpty());

    // Each row as a JSON list; the path as the hex of its bytes.
    QProcess reader;
    reader.start(python, {"-c", R"(import csv, io, json, sys
rows = list(csv.reader(io.TextIOWrapper(sys.stdin.buffer, encoding="utf-8",
                                        errors="surrogateescape", newline="")))
for row in rows[1:]:
    row[0] = row[0].encode("utf-8", "surrogateescape").hex()
print(json.dumps(rows))
)"});
    ASSERT_TRUE(reader.waitForStarted());
    reader.write(listed.outBytes);
    reader.closeWriteChannel();
    ASSERT_TRUE(reader.waitForFinished());
    ASSERT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
    const QJsonArray rows = QJsonDocument::fromJson(reader.readAllStandardOutput()).array();
    const auto hex = [](const QString& path) {
        return QString::fromLatin1(vantuke::NameToBytes(path).toHex());
    };
    EXPECT_EQ(
        rows,
        (QJsonArray{
            QJsonArray{"path", "song_name", "artist", "album", "year", "comment", "track", "genre"},
            QJsonArray{hex(dir.Path("a.mp3")), "Tune, Part 2", "Xy\"z\"",
                       QString::fromUtf8("Caf\u00e9"), "1999", "line\r\nbreak", "", "17"},
            QJsonArray{hex(odd), "Plain", "", "", "", "", "", "255"},
        }));
    EXPECT_TRUE(listed.outBytes.endsWith("255\r\n"));
}

} // namespace
