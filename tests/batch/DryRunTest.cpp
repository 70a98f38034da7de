// A dry run is the real run's own steps over a model of the files: it must print the lines,
// count the errors and meet the I/O error the real run that follows it meets, record the same
// plan, and leave every file as it was: bytes, name, mode, modification and access time.
#include "ScriptedHost.h"
#include "batch/RecordBatch.h"
#include "platform/NameBytes.h"
#include "support/TestFiles.h"

#include <QDir>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace vantuke;
using namespace testsupport;

namespace {

QString Hex(const std::optional<RawTag>& tag) {
    return tag ? QString::fromLatin1(QByteArray(tag->data(), kTagSize).toHex()) : "none";
}

// An item as one comparable text; the notes of questions, which only a dry run answers
// itself, are left out.
QStringList Described(const RunPlan& plan) {
    QStringList items;
    for (const PlanItem& item : plan.items) {
        QStringList notes;
        for (const QString& note : item.notes) {
            if (!note.startsWith("asked at run time"))
                notes << note;
        }
        items << QString("%1 %2 action %3 > %4 before %5 after %6 notes %7")
                     .arg(item.number)
                     .arg(item.path)
                     .arg(int(item.action))
                     .arg(item.newPath, Hex(item.tagBefore), Hex(item.tagAfter), notes.join(" | "));
    }
    return items;
}

struct RunOutcome {
    QStringList lines;
    QStringList entries;
    int errorCount = -1;
    bool stopped = false;
    QString ioError; // text and path, empty when none ended the run
    RunPlan plan;
};

RunOutcome RunOnce(RunKind kind, QStringList entries, const BatchOptions& options,
                   ScriptedHost& host) {
    RunOutcome outcome;
    try {
        const BatchResult result = RecordBatch(kind, entries, options, host, outcome.plan);
        outcome.errorCount = result.errorCount;
        outcome.stopped = result.stopped;
    } catch (const IoError& error) {
        outcome.ioError = error.Text() + " @ " + error.Path();
        outcome.errorCount = outcome.plan.errorCount;
    }
    outcome.lines = host.lines;
    outcome.entries = entries;
    return outcome;
}

// The folder every case starts from:
//   a.mp3, b.mp3    tagged Tune by Xyz: one name for two files
//   c.mp3           untagged
//   d.mp3           tagged Song by Abc, and "Abc - Song.mp3" (no entry, a dangling link) has
//                   that name
//   ro.mp3          tagged, read-only
//   LONG            untagged, a name too long for the fields, with a character (Omega) that
//                   Windows-1252 lacks
//   Caf\xE9.mp3     tagged, a name that is not UTF-8
//   twice.mp3       two tags, one after the other
//   short.mp3       50 bytes, too short for a tag
//   plus.mp3        an Enhanced TAG block before its tag
//   lyrics.mp3      a Lyrics3v2 block before its tag
//   ape.mp3         an APEv2 footer before its tag
const QByteArray kPlusBlock = MakeEnhancedTag("continued", "continued too", "");
const QByteArray kLyrics = "LYRICSBEGININD0000211EAL00005Hello000024LYRICS200";
const QByteArray kApe = QByteArray("APETAGEX") + QByteArray(24, '\x01');
const QString kLong = QString::fromUtf8("Ωmega Singer of an overlong name - "
                                        "A Song Title Far Too Long For The Field");

class DryRunTest : public testing::Test {
protected:
    DryRunTest() {
        WriteMp3(Path("a.mp3"), 400, MakeTag("Tune", "Xyz"));
        WriteMp3(Path("b.mp3"), 400, MakeTag("Tune", "Xyz"));
        WriteMp3(Path("c.mp3"), 400);
        WriteMp3(Path("d.mp3"), 400, MakeTag("Song", "Abc", "Album", "1999", "", 17));
        // A dangling link: a name taken all the same.
        EXPECT_EQ(::symlink("gone/x.mp3", NameToBytes(Path("Abc - Song.mp3")).constData()), 0);
        WriteMp3(Path("ro.mp3"), 400, MakeTag("Ro", "Only"));
        MakeReadOnly(Path("ro.mp3"));
        WriteMp3(Path(kLong + ".mp3"), 400);
        WriteFile(dir_.Dir() + NameFromBytes("Caf\xE9.mp3"),
                  AudioBytes(400) + MakeTag("Other", "Old"));
        WriteFile(Path("twice.mp3"), AudioBytes(400) + MakeTag("One", "X") + MakeTag("Two", "Y"));
        WriteFile(Path("short.mp3"), AudioBytes(50));
        WriteFile(Path("plus.mp3"), AudioBytes(400) + kPlusBlock + MakeTag("Title", "Artist"));
        WriteFile(Path("lyrics.mp3"), AudioBytes(400) + kLyrics + MakeTag("Lyrics", "Artist"));
        WriteFile(Path("ape.mp3"), AudioBytes(400) + kApe + MakeTag("Ape", "Artist"));
    }

    QString Path(const QString& name) const { return dir_.Path(name); }
    QStringList Paths(const QStringList& names) const {
        QStringList paths;
        for (const QString& name : names)
            paths << (name == "Cafe" ? dir_.Dir() + NameFromBytes("Caf\xE9.mp3") : Path(name));
        return paths;
    }

    // Runs dry, then real, over the same entries, and compares.
    void Compare(const QStringList& names, const BatchOptions& options) {
        const QStringList entries = Paths(names);
        AgeAccessTimes(dir_.Dir());
        const FolderState before = Snapshot(dir_.Dir());

        ScriptedHost dryHost;
        const RunOutcome dry = RunOnce(RunKind::Dry, entries, options, dryHost);
        EXPECT_TRUE(Snapshot(dir_.Dir()) == before)
            << "the dry run changed a file's bytes, name, mode or times";
        EXPECT_TRUE(dryHost.confirmedPaths.isEmpty() && dryHost.queries.isEmpty())
            << "a dry run asked a question";

        ScriptedHost realHost;
        realHost.confirmAnswers = QList<ConfirmAnswer>(entries.size(), ConfirmAnswer::Yes);
        const RunOutcome real = RunOnce(RunKind::Real, entries, options, realHost);

        EXPECT_EQ(dry.lines, real.lines);
        EXPECT_EQ(dry.entries, real.entries);
        EXPECT_EQ(dry.errorCount, real.errorCount);
        EXPECT_EQ(dry.stopped, real.stopped);
        EXPECT_EQ(dry.ioError, real.ioError);
        EXPECT_EQ(dry.plan.complete, real.plan.complete);
        EXPECT_EQ(Described(dry.plan), Described(real.plan));
        EXPECT_TRUE(dry.plan.dryRun);
        EXPECT_FALSE(real.plan.dryRun);
        last_ = dry;
    }

    // The notes of the dry run's entry with this number.
    QStringList Notes(int number) const {
        for (const PlanItem& item : last_.plan.items) {
            if (item.number == number)
                return item.notes;
        }
        return {"no such entry"};
    }

    TempDir dir_;
    RunOutcome last_;
};

BatchOptions OptionsFor(Process process) {
    BatchOptions options;
    options.process = process;
    options.clearStatus = true;
    options.tagFill.ask.fill(false);
    return options;
}

TEST_F(DryRunTest, TagToFilenameMeetsCollisionsInsideTheBatchAndOnDisk) {
    // The last entry's file was renamed by the first: the run ends with "File not found".
    Compare({"a.mp3", "b.mp3", "c.mp3", "d.mp3", "ro.mp3", "Cafe", "a.mp3"},
            OptionsFor(Process::TagToFilename));
    EXPECT_EQ(last_.errorCount, 2);
    EXPECT_EQ(last_.ioError, "File not found @ " + Path("a.mp3"));
    EXPECT_EQ(Notes(2), QStringList{"cannot rename: name taken by entry 1"});
    EXPECT_EQ(Notes(3), QStringList{"no tag"});
    EXPECT_EQ(Notes(4), QStringList{"cannot rename: name taken"});
    EXPECT_EQ(Notes(5), QStringList{"read-only mode cleared"});
}

TEST_F(DryRunTest, AReadOnlyFileKeptReadOnlyEndsTheRunAsTheRealOneWould) {
    BatchOptions options = OptionsFor(Process::UnTag);
    options.program.eraseReadOnlyAttr = false;
    Compare({"a.mp3", "ro.mp3", "b.mp3"}, options);
    EXPECT_EQ(last_.ioError, "File access denied @ " + Path("ro.mp3"));
    EXPECT_FALSE(last_.plan.complete);
}

TEST_F(DryRunTest, FilenameToTagSeesTheTagItPlannedAndNotesWhatTheFieldsLose) {
    BatchOptions options = OptionsFor(Process::FilenameToTag);
    options.filenameToTag.newStyleTemplate = "%2 - %1";
    // The second "c.mp3" finds the tag the first wrote.
    Compare({"c.mp3", kLong + ".mp3", "a.mp3", "ro.mp3", "c.mp3"}, options);
    EXPECT_EQ(last_.lines.mid(last_.lines.size() - 3),
              QStringList({"Processing file:" + Path("c.mp3"), "TAG is present? Yes",
                           "Process Complete! (0 errors)"}));
    EXPECT_EQ(Notes(2), QStringList({"no tag", "Song Name cut to 30 characters (9 lost)",
                                     "Artist cut to 30 characters (2 lost)",
                                     "Artist: characters outside Windows-1252 become \"?\""}));
}

TEST_F(DryRunTest, TextsGoThroughTheChosenCodePage) {
    const TagCodec cyrillic{FindCodePage(u"windows-1251"), false};
    const TagCodec gbk{FindCodePage(u"GBK"), false};
    const auto in = [](const TagCodec& codec, const char* text) {
        return codec.Page().Encode(QString::fromUtf8(text), false).bytes;
    };
    WriteMp3(Path("ru.mp3"), 400, MakeTag(in(cyrillic, "Кукушка"), in(cyrillic, "Кино")));
    WriteMp3(Path("utf8.mp3"), 400, MakeTag("Caf\xC3\xA9 \xE6\x97\xA5", "X"));

    // A tag in Windows-1251 names its file in UTF-8.
    BatchOptions options = OptionsFor(Process::TagToFilename);
    options.program.codec = cyrillic;
    Compare({"ru.mp3"}, options);
    EXPECT_EQ(last_.entries, QStringList{Path(QString::fromUtf8("Кино - Кукушка.mp3"))});
    EXPECT_EQ(Notes(1), QStringList());

    // Page values in GBK are cut between characters; a tag read with bytes GBK has no
    // character for is noted.
    options = OptionsFor(Process::Tag);
    options.program.codec = gbk;
    options.tagFill.values = {QString::fromUtf8("中文歌曲名称测试长标题一二三四五六"), "", "", "",
                              ""};
    // The other fields are left, so that no note of an emptied field comes in between.
    options.tagFill.leave.fill(true);
    options.tagFill.leave[0] = false;
    Compare({"a.mp3", "utf8.mp3"}, options);
    const QStringList written{"Song Name cut to 15 characters (2 lost)"};
    EXPECT_EQ(Notes(1), written);
    EXPECT_EQ(Notes(2), QStringList{"Song Name: bytes not valid in GBK"} + written);
    EXPECT_EQ(QByteArray(last_.plan.items[0].tagAfter->data() + 3, 30),
              in(gbk, "中文歌曲名称测试长标题一二三四"));
}

TEST_F(DryRunTest, FilenameToTagOldStyleOverwritingTags) {
    BatchOptions options = OptionsFor(Process::FilenameToTag);
    options.filenameToTag.oldStyle = true;
    options.writeTagOnlyWhenNotPresent = false;
    Compare({"a.mp3", "Cafe", kLong + ".mp3", "d.mp3"}, options);
}

TEST_F(DryRunTest, TagWritesThePageValuesLeavingFields) {
    BatchOptions options = OptionsFor(Process::Tag);
    options.tagFill.values = {"Title", QString::fromUtf8("Ωmega"), "Album", "2001", ""};
    options.tagFill.genre = 9;
    options.tagFill.leave[3] = true; // the year
    Compare({"a.mp3", "c.mp3", "d.mp3", "ro.mp3", "short.mp3", "b.mp3"}, options);
    EXPECT_EQ(last_.ioError, "I/O error 22 @ " + Path("short.mp3"));
    EXPECT_EQ(Notes(1), QStringList{"Artist: characters outside Windows-1252 become \"?\""});
}

// A left field keeps the file's bytes: what its value on the page would lose is no note, be it
// "?" or a transliteration.
TEST_F(DryRunTest, ALeftFieldLosesNothing) {
    for (const bool transliterate : {false, true}) {
        BatchOptions options = OptionsFor(Process::Tag);
        options.program.codec.transliterate = transliterate;
        options.tagFill.values = {"Title", QString::fromUtf8("Ωmega"), "Album", "2001", ""};
        options.tagFill.leave[1] = true; // the artist
        options.tagFill.leave[kGenreRow] = true;
        Compare({"a.mp3"}, options);
        EXPECT_EQ(Notes(1), QStringList{}) << transliterate;
    }
}

TEST_F(DryRunTest, TagAnswersEveryQueryWithWhatItShowsFirst) {
    BatchOptions options = OptionsFor(Process::Tag);
    options.tagFill.ask[0] = true;
    options.tagFill.ask[kGenreRow] = true;
    options.tagFill.values = {"", "Page Artist", "", "", ""};
    Compare({"a.mp3", "c.mp3", "d.mp3"}, options);
    // d.mp3's album and year are neither asked nor left: the empty page values empty them.
    EXPECT_EQ(Notes(3), QStringList({"asked at run time: Song Name, Genre", "Album emptied",
                                     "Year emptied"}));
}

TEST_F(DryRunTest, UnTagCutsEachTagInTurnAndAnswersConfirmYes) {
    BatchOptions options = OptionsFor(Process::UnTag);
    options.untagConfirmation = true;
    // The second removal from "twice.mp3" finds the tag under the first.
    Compare({"twice.mp3", "twice.mp3", "twice.mp3", "c.mp3", "a.mp3"}, options);
    EXPECT_EQ(last_.lines.count("TAG is present? Yes"), 3);
    EXPECT_EQ(Notes(1), QStringList{"asked at run time"});
    EXPECT_EQ(last_.plan.items.at(1).action, PlanAction::RemoveTag);
    EXPECT_EQ(Notes(3), QStringList{"no tag"});
}

// UnTAG cuts an Enhanced TAG block with the tag; a Lyrics3v2 block stays but can no longer be
// found, and the plan says so; an APEv2 block stays.
TEST_F(DryRunTest, UnTagCutsTheEnhancedTagBlockAndNotesALyricsBlockLeftBehind) {
    Compare({"plus.mp3", "lyrics.mp3", "ape.mp3"}, OptionsFor(Process::UnTag));
    EXPECT_EQ(Notes(1), QStringList{"Enhanced TAG block cut with the tag"});
    EXPECT_EQ(Notes(2), QStringList{"Lyrics3v2 block left with no tag after it"});
    EXPECT_EQ(Notes(3), QStringList{});
    EXPECT_EQ(ReadFile(Path("plus.mp3")), AudioBytes(400));
    EXPECT_EQ(ReadFile(Path("lyrics.mp3")), AudioBytes(400) + kLyrics);
    EXPECT_EQ(ReadFile(Path("ape.mp3")), AudioBytes(400) + kApe);
}

// A written field empties its continuation, which the plan notes when it held text; a left
// field keeps it.
TEST_F(DryRunTest, TagEmptiesTheContinuationOfEachFieldItWrites) {
    BatchOptions options = OptionsFor(Process::Tag);
    options.tagFill.leave.fill(true);
    options.tagFill.leave[1] = false; // the artist
    options.tagFill.values[1] = "Someone";
    Compare({"plus.mp3", "lyrics.mp3"}, options);
    EXPECT_EQ(Notes(1), QStringList{"Artist: its continuation in the Enhanced TAG block emptied "
                                    "(13 characters lost)"});
    EXPECT_EQ(Notes(2), QStringList{});
    EXPECT_EQ(ReadFile(Path("plus.mp3")),
              AudioBytes(400) + MakeEnhancedTag("continued", "", "") + MakeTag("Title", "Someone"));
    EXPECT_EQ(ReadFile(Path("lyrics.mp3")),
              AudioBytes(400) + kLyrics + MakeTag("Lyrics", "Someone"));
}

TEST_F(DryRunTest, ListReadsOnlyAndStopsAtAShortFile) {
    BatchOptions options = OptionsFor(Process::ListFiles);
    options.listShowProcessing = true;
    options.listTemplate = "%2 - %1 (%7)";
    Compare({"a.mp3", "c.mp3", "ro.mp3", "Cafe", "short.mp3", "d.mp3"}, options);
    EXPECT_EQ(last_.plan.items.at(0).action, PlanAction::List);
    EXPECT_EQ(last_.plan.items.at(1).action, PlanAction::None);
    EXPECT_TRUE(last_.plan.items.at(0).tagBefore.has_value());
}

TEST_F(DryRunTest, AdjustTakesNamesEarlierEntriesFreedAndRefusesWhatTheDiskWould) {
    BatchOptions options = OptionsFor(Process::AdjustFileName);
    // c > x, then b > c (free again), then a > b (free again); d grows past 255 bytes.
    options.substitutions = {{"c", "x"}, {"b", "c"}, {"a", "b"}, {"d", QString(300, 'd')}};
    Compare({"c.mp3", "b.mp3", "a.mp3", "d.mp3", "ro.mp3", "missing.mp3"}, options);
    EXPECT_EQ(last_.entries, Paths({"x.mp3", "c.mp3", "b.mp3", "d.mp3", "ro.mp3", "missing.mp3"}));
    EXPECT_EQ(Notes(4), QStringList{"cannot rename: name too long"});
    EXPECT_EQ(Notes(5), QStringList{"read-only mode cleared"});
    EXPECT_EQ(Notes(6), QStringList{"cannot rename: file not found"});
}

// Without O_NOATIME a dry run would move every access time it reads; that shows only where
// the volume keeps access times at all.
TEST(DryRunTimes, ReadingForAPlanLeavesAccessTimes) {
    TempDir dir;
    WriteMp3(dir.Path("probe.mp3"), 400, MakeTag("P", "Q"));
    AgeAccessTimes(dir.Dir());
    const qint64 aged = Snapshot(dir.Dir()).at("probe.mp3").atime;
    ReadFile(dir.Path("probe.mp3"));
    if (Snapshot(dir.Dir()).at("probe.mp3").atime == aged)
        GTEST_SKIP() << "this volume does not update access times on reading (noatime)";

    AgeAccessTimes(dir.Dir());
    const FolderState before = Snapshot(dir.Dir());
    for (const Process process : {Process::TagToFilename, Process::ListFiles, Process::UnTag}) {
        QStringList entries{dir.Path("probe.mp3")};
        ScriptedHost host;
        RunPlan plan;
        RecordBatch(RunKind::Dry, entries, OptionsFor(process), host, plan);
        EXPECT_TRUE(Snapshot(dir.Dir()) == before) << ProcessCaption(process).toStdString();
    }
}

// On a volume nothing can be written to, the model refuses what the disk refuses: the change
// of a tag ("File access denied") and a rename.
TEST(DryRunReadOnlyVolume, RefusesChangesAsTheRealRunIsRefused) {
    ReadOnlyFolder folder({"a.mp3", "b.mp3"});
    if (!folder.Ready())
        GTEST_SKIP() << folder.Why().toStdString();
    for (const Process process : {Process::UnTag, Process::AdjustFileName}) {
        BatchOptions options = OptionsFor(process);
        options.substitutions = {{"a", "z"}};
        QString ends[2];
        QStringList lines[2];
        for (const RunKind kind : {RunKind::Dry, RunKind::Real}) {
            QStringList entries{folder.Dir() + "a.mp3", folder.Dir() + "b.mp3"};
            ScriptedHost host;
            RunPlan plan;
            try {
                RecordBatch(kind, entries, options, host, plan);
                ends[int(kind)] = "complete";
            } catch (const IoError& error) {
                ends[int(kind)] = error.Text();
            }
            lines[int(kind)] = host.lines;
            if (process == Process::AdjustFileName && kind == RunKind::Dry) {
                EXPECT_EQ(plan.items.at(0).notes,
                          QStringList{"cannot rename: folder not writable"});
            }
        }
        EXPECT_EQ(ends[0], ends[1]);
        EXPECT_EQ(lines[0], lines[1]);
    }
}

} // namespace
