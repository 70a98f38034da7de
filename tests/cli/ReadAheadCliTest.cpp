// vantuke-cli over files whose opens and reads are slow, as on a network file system (the
// delay shim): the reads of several files overlap, and a run shows, returns and leaves on
// disk exactly what it does with the read-ahead off, an I/O error at the same entry included.
#include "CliRunner.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace testsupport;
using namespace clitest;

namespace {

constexpr int kFiles = 24;

// Every eighth file's name does not end in ".mp3": the runs that change files look at its
// start first.
QString Name(int k) {
    return QString("Band - Song %1.%2").arg(k, 2, 10, QChar('0')).arg(k % 8 == 6 ? "mpa" : "mp3");
}

// The same files in a fresh folder: tagged ones, an untagged one, one that begins like no MP3
// file (refused by the runs that change files), and the first file named twice in the
// selection.
QStringList MakeFiles(const TempDir& dir) {
    QStringList names;
    const QByteArray id3v2Header("ID3\x03\0\0\0\0\0\0", 10);
    for (int k = 0; k < kFiles; ++k) {
        const QByteArray song = "Song " + QByteArray::number(k);
        const QByteArray start = k % 16 == 6 ? id3v2Header : QByteArray();
        WriteFile(dir.Path(Name(k)),
                  start + AudioBytes(300 + k) + (k == 3 ? QByteArray() : MakeTag(song, "Band")));
        names << Name(k);
    }
    names << Name(0);
    return names;
}

// What a folder holds: each name with its bytes and modification time.
QMap<QString, QPair<QByteArray, qint64>> Contents(const TempDir& dir) {
    QMap<QString, QPair<QByteArray, qint64>> contents;
    for (const QFileInfo& file : QDir(dir.Path()).entryInfoList(QDir::Files)) {
        contents.insert(file.fileName(),
                        {ReadFile(file.filePath()), file.lastModified().toMSecsSinceEpoch()});
    }
    return contents;
}

struct SlowRun {
    CliResult result;
    int mostInFlight = 0;       // opens and reads of the files in flight at once
    int reads = 0;              // preads of the files
    int mostWritesInFlight = 0; // writes and cuts of the files in flight at once
    QMap<QString, QPair<QByteArray, qint64>> after;
    QMap<QString, QPair<QByteArray, qint64>> undone; // after an undo of the run, when asked
    int undoExit = -1;
};

// Runs the program over the files of dir with each open and read of them slowed down, the
// given number of I/O threads, and the shim's faults.
SlowRun RunSlow(const QStringList& args, const TempDir& dir, int threads,
                const QMap<QString, QString>& faults = {}, bool thenUndo = false) {
    TempDir state;
    CliSetup setup;
    setup.environment.insert("LD_PRELOAD", VANTUKE_DELAY_SHIM);
    // The sanitizers of a test build would insist on being loaded before the shim.
    setup.environment.insert("ASAN_OPTIONS",
                             setup.environment.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
    setup.environment.insert("VANTUKE_SHIM_DIR", dir.Path());
    setup.environment.insert("VANTUKE_SHIM_DELAY_US", "3000");
    setup.environment.insert("VANTUKE_SHIM_REPORT", state.Path("in-flight"));
    setup.environment.insert("VANTUKE_IO_THREADS", QString::number(threads));
    setup.environment.insert("XDG_STATE_HOME", state.Path());
    for (auto it = faults.begin(); it != faults.end(); ++it)
        setup.environment.insert(it.key(), it.value());
    SlowRun run;
    run.result = RunCliWith(args, dir.Path(), setup);
    const QList<QByteArray> report = ReadFile(state.Path("in-flight")).simplified().split(' ');
    run.mostInFlight = report.value(0).toInt();
    run.reads = report.value(1).toInt();
    run.mostWritesInFlight = report.value(2).toInt();
    run.after = Contents(dir);
    if (thenUndo) {
        setup.environment.remove("LD_PRELOAD");
        run.undoExit = RunCliWith({"undo"}, dir.Path(), setup).exitCode;
        run.undone = Contents(dir);
    }
    // The folders differ; what is shown of them must not.
    for (QString& line : run.result.out)
        line.replace(dir.Path(), "DIR");
    run.result.err.replace(dir.Path(), "DIR");
    return run;
}

// The same command over two equal folders, one file after another and with eight I/O
// threads: the same lines, status, document and files.
std::pair<SlowRun, SlowRun> RunBothWays(const QStringList& command,
                                        const QMap<QString, QString>& faults = {},
                                        bool thenUndo = false) {
    TempDir one, eight;
    const QStringList files = MakeFiles(one);
    MakeFiles(eight);
    std::pair<SlowRun, SlowRun> runs{RunSlow(command + files, one, 0, faults, thenUndo),
                                     RunSlow(command + files, eight, 8, faults, thenUndo)};
    const std::string what = command.join(' ').toStdString();
    EXPECT_EQ(runs.second.result.exitCode, runs.first.result.exitCode) << what;
    EXPECT_EQ(runs.second.result.out, runs.first.result.out) << what;
    EXPECT_EQ(runs.second.result.err, runs.first.result.err) << what;
    EXPECT_EQ(runs.second.after.keys(), runs.first.after.keys()) << what;
    for (auto it = runs.first.after.begin(); it != runs.first.after.end(); ++it)
        EXPECT_EQ(runs.second.after.value(it.key()).first, it.value().first) << what;
    EXPECT_EQ(runs.first.mostInFlight, 1) << what << ": one file after another";
    EXPECT_LE(runs.first.mostWritesInFlight, 1) << what << ": one file after another";
    return runs;
}

TEST(CliReadAhead, ReadsAndWritesOverlapAndEveryRunShowsWhatOneByOneShows) {
    const struct {
        QStringList command;
        bool writesOverlap; // the runs that make a planned chunk's tag changes
        // Each read ahead is one the run makes (the end a tag is read from, the start of a file
        // the MP3 check or the ID3v2 tag looks at); only the end of a file the MP3 check then
        // refuses is read in vain. Not so where the run reads no tag of files without an ID3v2
        // tag.
        bool readsAsNeeded;
    } cases[] = {
        {{"list", "--template", "%1 by %2"}, false, true},
        {{"list", "--json", "--template", "%1"}, false, true},
        {{"tag", "--dry-run", "--artist", "Someone Else"}, false, true},
        {{"tag-to-filename", "--dry-run", "--template", "%2 %1"}, false, true},
        {{"untag", "--dry-run", "--json"}, false, true},
        {{"id3v2-to-tag", "--dry-run"}, false, false},
        {{"guess-code-page"}, false, true},
        {{"tag", "--artist", "Someone Else"}, true, true},
        {{"tag-to-filename", "--template", "%2 %1"}, false, true},
        {{"untag"}, true, true},
        {{"untag", "--no-history", "--json"}, false, true},
    };
    for (const auto& c : cases) {
        const auto [one, eight] = RunBothWays(c.command);
        const std::string what = c.command.join(' ').toStdString();
        EXPECT_GT(eight.mostInFlight, 1) << what;
        if (c.writesOverlap) {
            EXPECT_GT(eight.mostWritesInFlight, 1) << what;
        } else {
            EXPECT_LE(eight.mostWritesInFlight, 1) << what;
        }
        // Each refused file has a note.
        const qsizetype refused =
            (eight.result.out.join('\n') + eight.result.err).count("not an MP3 file");
        if (c.readsAsNeeded) {
            EXPECT_LE(eight.reads, one.reads + refused) << what;
        }
    }
}

// An open, a read or a write that fails at entry k ends the run there, as it does one file
// after another: no line of a later entry, and the files of later entries as they were (a
// write made together with the failing one is put back). An undo of the run leaves every
// file as before it.
TEST(CliReadAhead, AnErrorAtEntryKEndsTheRunThereWithLaterFilesUntouched) {
    const int k = 9;
    const QStringList list{"list", "--template", "%1"};
    const QStringList dryRun{"tag", "--dry-run", "--artist", "Someone Else"};
    const QStringList tag{"tag", "--artist", "Someone Else"};
    const struct {
        const char* fault;
        QStringList command;
    } cases[] = {
        {"VANTUKE_SHIM_FAIL_OPEN", list},    {"VANTUKE_SHIM_FAIL_OPEN", dryRun},
        {"VANTUKE_SHIM_FAIL_OPEN", tag},     {"VANTUKE_SHIM_FAIL_PREAD", list},
        {"VANTUKE_SHIM_FAIL_PREAD", dryRun}, {"VANTUKE_SHIM_FAIL_PREAD", tag},
        {"VANTUKE_SHIM_FAIL_PWRITE", tag},
    };
    for (const auto& c : cases) {
        const std::string what = c.command.join(' ').toStdString() + " " + c.fault;
        TempDir before;
        MakeFiles(before);
        const auto original = Contents(before);
        const bool changes = !c.command.contains("--dry-run") && c.command != list;
        const auto [one, eight] = RunBothWays(c.command, {{c.fault, Name(k)}}, changes);
        EXPECT_EQ(eight.result.exitCode, 2) << what;
        EXPECT_TRUE(eight.result.err.endsWith("I/O error 5.\nDIR/" + Name(k) + "\n"))
            << what << ": " << eight.result.err.toStdString();
        for (const QString& line : eight.result.out) {
            for (int later = k + 1; later < kFiles; ++later) {
                EXPECT_FALSE(line.contains(Name(later)) || line == "Song " + QString::number(later))
                    << what << ": " << line.toStdString();
            }
        }
        for (int later = k; later < kFiles; ++later)
            EXPECT_EQ(eight.after.value(Name(later)).first, original.value(Name(later)).first)
                << what << ": " << later;
        if (changes) {
            EXPECT_NE(eight.after, original) << what << ": the entries before k changed";
            for (const SlowRun& run : {one, eight}) {
                EXPECT_EQ(run.undoExit, 0) << what;
                for (auto it = original.begin(); it != original.end(); ++it)
                    EXPECT_EQ(run.undone.value(it.key()).first, it.value().first)
                        << what << ": " << it.key().toStdString();
            }
        }
    }
}

// A change made together with one that fails is put back; when that fails too (its write
// here), the run ends with the put-back's error, the file keeps the change, and the change
// stays recorded: an undo still restores every file.
TEST(CliReadAhead, APutBackThatFailsEndsTheRunAndTheUndoStillRestoresTheFile) {
    const int k = 9;
    TempDir dir;
    const QStringList files = MakeFiles(dir);
    const auto original = Contents(dir);
    const SlowRun run = RunSlow(
        QStringList{"tag", "--artist", "Someone Else"} + files, dir, 8,
        {{"VANTUKE_SHIM_FAIL_PWRITE", Name(k)}, {"VANTUKE_SHIM_FAIL_PUT_BACK", Name(k + 1)}}, true);
    EXPECT_EQ(run.result.exitCode, 2);
    EXPECT_TRUE(run.result.err.endsWith("I/O error 5.\nDIR/" + Name(k + 1) + "\n"))
        << run.result.err.toStdString();
    for (const QString& line : run.result.out)
        EXPECT_FALSE(line.contains(Name(k)) || line.contains(Name(k + 1))) << line.toStdString();
    EXPECT_EQ(run.after.value(Name(k)).first, original.value(Name(k)).first);
    EXPECT_TRUE(run.after.value(Name(k + 1)).first.contains("Someone Else"));
    EXPECT_EQ(run.undoExit, 0);
    for (auto it = original.begin(); it != original.end(); ++it)
        EXPECT_EQ(run.undone.value(it.key()).first, it.value().first) << it.key().toStdString();
}

// A new name another program takes between the plan and the rename: the rename fails as it
// does one file after another (a counted error, the run goes on), the other program's file
// stays, and an undo renames every other file back.
TEST(CliReadAhead, ANameTakenBeforeItsRenameIsACountedErrorAsOneByOne) {
    const int k = 9;
    const QString taken = QString("Band Song %1.mp3").arg(k);
    TempDir before;
    MakeFiles(before);
    const auto original = Contents(before);
    const auto [one, eight] = RunBothWays({"tag-to-filename", "--template", "%2 %1"},
                                          {{"VANTUKE_SHIM_TAKE_NAME", taken}}, true);
    EXPECT_EQ(eight.result.exitCode, 1);
    EXPECT_TRUE(eight.result.out.join('\n').contains("Cannot rename file DIR/" + Name(k)));
    EXPECT_EQ(eight.after.value(taken).first, "taken\n");
    EXPECT_EQ(eight.after.value(Name(k)).first, original.value(Name(k)).first);
    EXPECT_TRUE(eight.after.contains(QString("Band Song %1.mp3").arg(k + 1)));
    for (const SlowRun& run : {one, eight}) {
        EXPECT_EQ(run.undoExit, 1) << "the taken name is another file now, left alone";
        auto undone = run.undone;
        EXPECT_EQ(undone.take(taken).first, "taken\n");
        EXPECT_EQ(undone.keys(), original.keys());
        for (auto it = original.begin(); it != original.end(); ++it)
            EXPECT_EQ(undone.value(it.key()).first, it.value().first) << it.key().toStdString();
    }
}

} // namespace
