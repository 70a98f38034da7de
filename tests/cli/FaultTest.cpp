// vantuke-cli under the faults of real use: a second run racing the first over the same
// files, a question answered after the file changed, a file-size limit, endless answers,
// names that are not UTF-8 or hold line breaks, a file system without RENAME_NOREPLACE and
// a disk that fills up in the middle of a write.
#include "CliRunner.h"
#include "platform/NameBytes.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace testsupport;
using namespace clitest;

namespace {

QByteArray Native(const QString& path) {
    return vantuke::NameToBytes(path);
}

QStringList MakeFiles(const TempDir& dir, int count, int audio, const QByteArray& tag) {
    QStringList names;
    for (int i = 0; i < count; ++i) {
        const QString name = QString("Band - Song %1.mp3").arg(i, 4, 10, QChar('0'));
        WriteMp3(dir.Path(name), audio, tag);
        names << name;
    }
    return names;
}

// Two runs over the same files at once: each file is tested and changed by one of them at a
// time, so none gets a second tag and no audio is written over or cut.
TEST(CliFaults, RacingRunsNeverDoubleATagNorTouchAudio) {
    TempDir dir;
    const int audio = 300;
    const QStringList names = MakeFiles(dir, 2000, audio, {});
    QProcess first, second;
    StartCli(first, QStringList{"filename-to-tag", "--old-style"} + names, dir.Path());
    StartCli(second, QStringList{"filename-to-tag", "--old-style"} + names, dir.Path());
    const CliResult a = Collect(first);
    const CliResult b = Collect(second);
    EXPECT_EQ(a.exitCode, 0);
    EXPECT_EQ(b.exitCode, 0);
    int doubled = 0;
    for (const QString& name : names) {
        const QByteArray bytes = ReadFile(dir.Path(name));
        doubled += bytes.size() != audio + 128;
    }
    EXPECT_EQ(doubled, 0) << "files with two tags";
    EXPECT_EQ(a.out.count("TAG is present? No") + b.out.count("TAG is present? No"), 2000)
        << "each file is tagged by exactly one of the runs";

    // "tag" beside "untag": every file ends as its audio, with one tag or none.
    QProcess tag, untag;
    StartCli(tag, QStringList{"tag", "--artist", "X"} + names, dir.Path());
    StartCli(untag, QStringList{"untag"} + names, dir.Path());
    EXPECT_EQ(Collect(tag).exitCode, 0);
    EXPECT_EQ(Collect(untag).exitCode, 0);
    int damaged = 0;
    for (const QString& name : names) {
        const QByteArray bytes = ReadFile(dir.Path(name));
        const bool plain = bytes == AudioBytes(audio);
        const bool tagged = bytes.size() == audio + 128 && bytes.startsWith(AudioBytes(audio)) &&
                            bytes.mid(audio, 3) == "TAG";
        damaged += !plain && !tagged;
    }
    EXPECT_EQ(damaged, 0);
}

// "untag --confirm" waits at its question while a second "untag" runs (it must not wait for
// the first: no lock is held during the question). Answered yes afterwards, the first finds
// no tag any more and cuts nothing.
TEST(CliFaults, AConfirmationAnsweredAfterTheTagWentCutsNoAudio) {
    TempDir dir;
    WriteMp3(dir.Path("f.mp3"), 1000, MakeTag("Song", "X"));
    QProcess asking;
    StartCli(asking, {"untag", "--confirm", "f.mp3"}, dir.Path());
    asking.setReadChannel(QProcess::StandardError);
    QByteArray prompt;
    while (!prompt.contains("Remove TAG from file: ") && asking.waitForReadyRead(60000))
        prompt += asking.readAllStandardError();
    ASSERT_TRUE(prompt.contains("Remove TAG from file: "));

    const CliResult other = RunCli({"untag", "f.mp3"}, dir.Path());
    EXPECT_EQ(other.exitCode, 0);
    EXPECT_EQ(ReadFile(dir.Path("f.mp3")), AudioBytes(1000));

    asking.write("y\n");
    asking.closeWriteChannel();
    const CliResult first = Collect(asking);
    EXPECT_EQ(first.exitCode, 0);
    EXPECT_EQ(first.out,
              QStringList({"Process selected: UnTAG", "Processing file:" + dir.Path("f.mp3"),
                           "TAG is present? Yes", "Process Complete! (0 errors)"}));
    EXPECT_EQ(ReadFile(dir.Path("f.mp3")), AudioBytes(1000)) << "audio was cut";
}

// (ulimit -f 8; vantuke-cli tag --artist X f.mp3) on an 8,128-byte file: the append stops at
// 8,192 bytes. The program is not killed, reports the error and cuts the half tag off again.
TEST(CliFaults, AFileSizeLimitIsAnErrorNotAKill) {
    TempDir dir;
    WriteMp3(dir.Path("f.mp3"), 8128);
    CliSetup setup;
    setup.inChild = [] {
        const rlimit limit{8192, 8192};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    };
    const CliResult result = RunCliWith({"tag", "--artist", "X", "f.mp3"}, dir.Path(), setup);
    EXPECT_EQ(result.exitCode, 2) << "killed by SIGXFSZ?";
    EXPECT_EQ(result.err, "I/O error 27.\n" + dir.Path("f.mp3") + "\n");
    EXPECT_EQ(ReadFile(dir.Path("f.mp3")), AudioBytes(8128));
}

// Answers from a source that never ends a line stop the run with a message; nothing spins.
TEST(CliFaults, AnswersWithoutEndEndTheRunWithAMessage) {
    TempDir dir;
    WriteMp3(dir.Path("f.mp3"), 1000, MakeTag("Song", "X"));
    WriteMp3(dir.Path("g.mp3"), 1000, MakeTag("Song", "X"));
    CliSetup setup;
    setup.inputFile = "/dev/zero";
    for (const QStringList& args : {QStringList{"untag", "--confirm", "f.mp3", "g.mp3"},
                                    QStringList{"tag", "--ask", "artist", "f.mp3", "g.mp3"}}) {
        const CliResult result = RunCliWith(args, dir.Path(), setup);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_TRUE(result.err.contains("vantuke-cli: an answer line is longer than 64 KiB"))
            << result.err.toStdString();
        EXPECT_FALSE(result.out.join('\n').contains("Process Complete!"));
        EXPECT_EQ(ReadFile(dir.Path("f.mp3")), AudioBytes(1000) + MakeTag("Song", "X"));
    }
    // An answer of exactly 64 KiB is still an answer (not y, n or c: asked again).
    const QByteArray longest = QByteArray(64 * 1024, 'x') + "\ny\n";
    const CliResult answered = RunCli({"untag", "--confirm", "f.mp3"}, dir.Path(), longest);
    EXPECT_EQ(answered.exitCode, 0);
    EXPECT_EQ(ReadFile(dir.Path("f.mp3")), AudioBytes(1000));
}

// Runs a shell command line (for arguments that are bytes no text stands for) with the
// program's path in $CLI.
CliResult RunShell(const QString& script, const QString& workDir) {
    QProcess process;
    process.setWorkingDirectory(workDir);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("CLI", CliProgram());
    process.setProcessEnvironment(environment);
    process.start("/bin/sh", {"-c", script});
    EXPECT_TRUE(process.waitForStarted());
    process.closeWriteChannel();
    return Collect(process);
}

// Caf\xe9.mp3 (Latin-1) beside Caf\xef\xbf\xbd.mp3 (UTF-8 of U+FFFD): an argument names
// exactly the file of its bytes, the output carries those bytes, and the two are two entries.
TEST(CliFaults, NamesThatAreNotUtf8NameExactlyTheirFile) {
    TempDir dir;
    const QByteArray folder = Native(dir.Path());
    const QByteArray latin1 = folder + "/Caf\xE9.mp3";
    const QByteArray replacement = folder + "/Caf\xEF\xBF\xBD.mp3";
    WriteMp3(vantuke::NameFromBytes(latin1), 500, MakeTag("Latin", "A"));
    WriteMp3(vantuke::NameFromBytes(replacement), 500, MakeTag("Replacement", "B"));

    const CliResult untag =
        RunShell("exec \"$CLI\" untag \"$(printf 'Caf\\351.mp3')\"", dir.Path());
    EXPECT_EQ(untag.exitCode, 0) << untag.err.toStdString();
    EXPECT_EQ(untag.outBytes, "Process selected: UnTAG\nProcessing file:" + latin1 +
                                  "\nTAG is present? Yes\nProcess Complete! (0 errors)\n");
    EXPECT_EQ(ReadFile(vantuke::NameFromBytes(latin1)), AudioBytes(500));
    EXPECT_EQ(ReadFile(vantuke::NameFromBytes(replacement)),
              AudioBytes(500) + MakeTag("Replacement", "B"));

    WriteMp3(vantuke::NameFromBytes(latin1), 500, MakeTag("Latin", "A"));
    const CliResult list =
        RunShell("exec \"$CLI\" list --template '%1 %7' \"$(printf 'Caf\\351.mp3')\" "
                 "\"$(printf 'Caf\\357\\277\\275.mp3')\" \"$(printf 'Caf\\351.mp3')\"",
                 dir.Path());
    EXPECT_EQ(list.outBytes, "Process selected: List files/TAGs\nLatin Caf\xE9\n"
                             "Replacement Caf\xEF\xBF\xBD\nProcess Complete! (0 errors)\n");
}

// A settings file whose name is not UTF-8 is the file of the argument's bytes, found and read.
TEST(CliFaults, ASettingsFileWhoseNameIsNotUtf8IsRead) {
    TempDir dir;
    WriteMp3(dir.Path("a.mp3"), 500, MakeTag("Tune", "X"));
    WriteFile(vantuke::NameFromBytes(Native(dir.Path()) + "/Caf\xE9.ini"),
              "[ListFilesTags]\nNoOfPresets=1\nActivePreset=0\nPreset1=stored %1\n");
    const CliResult list =
        RunShell("exec \"$CLI\" list --settings \"$(printf 'Caf\\351.ini')\" a.mp3", dir.Path());
    EXPECT_EQ(list.exitCode, 0) << list.err.toStdString();
    EXPECT_EQ(list.out, QStringList({"Process selected: List files/TAGs", "stored Tune",
                                     "Process Complete! (0 errors)"}));
}

// A name (or a title) with line breaks cannot make a failing run print "Process Complete!".
TEST(CliFaults, LineBreaksInNamesAndTitlesCannotForgeLines) {
    TempDir dir;
    const QString forged = "x\nProcess Complete! (0 errors)\ny.mp3";
    WriteFile(dir.Path(forged), "tiny"); // shorter than a tag: the run ends with an I/O error
    WriteMp3(dir.Path("t.mp3"), 500, MakeTag("Two\nLines", "A"));

    const CliResult untag = RunCli({"untag", forged}, dir.Path());
    EXPECT_EQ(untag.exitCode, 2);
    EXPECT_EQ(untag.out, QStringList({"Process selected: UnTAG",
                                      "Processing file:" + dir.Path("x?Process Complete! (0 "
                                                                    "errors)?y.mp3")}));
    EXPECT_EQ(untag.err,
              "I/O error 22.\n" + dir.Path("x?Process Complete! (0 errors)?y.mp3") + "\n");

    const CliResult list = RunCli({"list", "--template", "%1", "t.mp3"}, dir.Path());
    EXPECT_EQ(list.out, QStringList({"Process selected: List files/TAGs", "Two?Lines",
                                     "Process Complete! (0 errors)"}));
}

// The program with the fault shim preloaded and the given faults set.
CliSetup WithShim(const QMap<QString, QString>& faults) {
    CliSetup setup;
    setup.environment.insert("LD_PRELOAD", VANTUKE_FAULT_SHIM);
    // The sanitizers of a test build would insist on being loaded before the shim.
    setup.environment.insert("ASAN_OPTIONS",
                             setup.environment.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
    for (auto it = faults.begin(); it != faults.end(); ++it)
        setup.environment.insert(it.key(), it.value());
    return setup;
}

// A file system without RENAME_NOREPLACE: the file is renamed by a new link and the removal of
// the old name (the same file, not a copy), and a name taken by a dangling symbolic link is
// still taken.
TEST(CliFaults, WithoutNoReplaceRenamesByLinkNeverThroughALink) {
    TempDir dir;
    ASSERT_TRUE(QDir(dir.Path()).mkdir("away"));
    WriteMp3(dir.Path("a.mp3"), 500, MakeTag("Tune", "Xyz"));
    WriteMp3(dir.Path("k.mp3"), 500, MakeTag("K", "L"));
    ASSERT_EQ(::symlink("away/moved.mp3", Native(dir.Path("L - K.mp3")).constData()), 0);
    struct stat before {};
    ASSERT_EQ(::stat(Native(dir.Path("a.mp3")).constData(), &before), 0);

    const CliSetup setup = WithShim({{"VANTUKE_SHIM_RENAMEAT2_ERRNO", "22"}});
    const CliResult result = RunCliWith({"tag-to-filename", "a.mp3", "k.mp3"}, dir.Path(), setup);
    EXPECT_EQ(result.exitCode, 1) << result.err.toStdString();
    EXPECT_EQ(result.out.mid(4),
              QStringList({"Processing file:" + dir.Path("k.mp3"), "TAG is present? Yes",
                           "Renaming from " + dir.Path("k.mp3") + " to " + dir.Path("L - K.mp3"),
                           "Error #1: Cannot rename file " + dir.Path("k.mp3"),
                           "Process Complete! (1 errors)"}));
    struct stat after {};
    ASSERT_EQ(::stat(Native(dir.Path("Xyz - Tune.mp3")).constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "renamed by a copy";
    EXPECT_EQ(after.st_nlink, 1u);
    EXPECT_FALSE(QFileInfo::exists(dir.Path("a.mp3")));
    EXPECT_EQ(ReadFile(dir.Path("k.mp3")), AudioBytes(500) + MakeTag("K", "L"));
    EXPECT_FALSE(QFileInfo::exists(dir.Path("away/moved.mp3")));
}

// The disk fills up after the first 100 bytes of a tag written over the old one: "Disk full",
// and the file keeps its old tag whole. An append that stops part-way is cut off again.
// (Without the undo history: a run that keeps it makes the change again at once after the
// failure, which this disk, with room again, lets through; see below.)
TEST(CliFaults, AWriteThatStopsPartWayLeavesTheFileAsItWas) {
    TempDir dir;
    const QByteArray tagged = AudioBytes(700) + MakeTag("Old Title", "Old Artist", "Old Album");
    WriteFile(dir.Path("tagged.mp3"), tagged);
    WriteMp3(dir.Path("plain.mp3"), 700);
    const CliSetup setup = WithShim({{"VANTUKE_SHIM_PWRITE_BYTES", "100"}});
    for (const char* name : {"tagged.mp3", "plain.mp3"}) {
        const CliResult result = RunCliWith({"tag", "--no-history", "--song-name", "NewTitle",
                                             "--artist", "NewArtist", "--album", "NewAlbum", name},
                                            dir.Path(), setup);
        EXPECT_EQ(result.exitCode, 2) << name;
        EXPECT_EQ(result.err, "Disk full.\n" + dir.Path(name) + "\n");
    }
    EXPECT_EQ(ReadFile(dir.Path("tagged.mp3")), tagged);
    EXPECT_EQ(ReadFile(dir.Path("plain.mp3")), AudioBytes(700));
}

// The same with the undo history: the held write that fails is put back, then made again at
// once; the disk has room again, so the run ends well, and undo takes it back.
TEST(CliFaults, AWriteThatStopsPartWayIsMadeAgainWithTheHistory) {
    TempDir dir;
    TempDir state;
    const QByteArray tagged = AudioBytes(700) + MakeTag("Old Title", "Old Artist", "Old Album");
    WriteFile(dir.Path("tagged.mp3"), tagged);
    CliSetup setup = WithShim({{"VANTUKE_SHIM_PWRITE_BYTES", "100"}});
    setup.environment.insert("XDG_STATE_HOME", state.Path());
    const CliResult result =
        RunCliWith({"tag", "--song-name", "NewTitle", "tagged.mp3"}, dir.Path(), setup);
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out.count("Processing file:" + dir.Path("tagged.mp3")), 1);
    EXPECT_EQ(ReadFile(dir.Path("tagged.mp3")).right(128).mid(3, 8), QByteArray("NewTitle"));
    setup.environment.remove("LD_PRELOAD");
    EXPECT_EQ(RunCliWith({"undo"}, dir.Path(), setup).exitCode, 0);
    EXPECT_EQ(ReadFile(dir.Path("tagged.mp3")), tagged);
}

} // namespace
