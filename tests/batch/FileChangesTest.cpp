// How the processes reach the files: every access through the run's FileSystem, one open
// per change, no file open (and so no lock) while a question waits, the tag tested again
// after it; and the names and lines a run makes out of paths and tags.
#include "ScriptedHost.h"
#include "batch/ExecuteBatch.h"
#include "platform/IoError.h"
#include "platform/NameBytes.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace vantuke;
using namespace testsupport;

namespace {

BatchOptions OptionsFor(Process process) {
    BatchOptions options;
    options.process = process;
    options.clearStatus = true;
    options.tagFill.ask.fill(false);
    options.writeTagOnlyWhenNotPresent = false;
    return options;
}

QString NameOf(const QString& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

// The files on disk, with every call written into one log by the file's name: "open change
// a.mp3", "write a.mp3", "close a.mp3", "rename a.mp3 > b.mp3" and so on.
class RecordingFiles final : public FileSystem {
public:
    QStringList log;

    std::optional<FileStat> Stat(const QString& path) override {
        log << "stat " + NameOf(path);
        return disk_.Stat(path);
    }
    std::unique_ptr<TagFile> Open(const QString& path, OpenMode mode) override {
        const QString what =
            (mode == OpenMode::Change ? "open change " : "open read ") + NameOf(path);
        try {
            auto file = std::make_unique<File>(disk_.Open(path, mode), NameOf(path), log);
            log << what;
            return file;
        } catch (const IoError& error) {
            log << what + " refused: " + error.Text();
            throw;
        }
    }
    bool Rename(const QString& from, const QString& to) override {
        log << "rename " + NameOf(from) + " > " + NameOf(to);
        return disk_.Rename(from, to);
    }
    bool ClearReadOnly(const QString& path) override {
        log << "clear " + NameOf(path);
        return disk_.ClearReadOnly(path);
    }

private:
    class File final : public TagFile {
    public:
        File(std::unique_ptr<TagFile> file, QString name, QStringList& log)
            : file_(std::move(file)), name_(std::move(name)), log_(log) {}
        ~File() override { log_ << "close " + name_; }
        const FileStat& Stat() const override { return file_->Stat(); }
        QByteArrayView LastBytes() override { return file_->LastBytes(); }
        QByteArrayView EndBytes() override { return file_->EndBytes(); }
        void ReadAt(qint64 pos, char* out, qint64 n) const override { file_->ReadAt(pos, out, n); }
        void WriteTag(const TTagRecord& record) override {
            log_ << "write " + name_;
            file_->WriteTag(record);
        }
        bool RemoveTag() override {
            log_ << "remove " + name_;
            return file_->RemoveTag();
        }
        void Close() override { file_->Close(); }
        bool StillAsRead() override { return file_->StillAsRead(); }

    private:
        std::unique_ptr<TagFile> file_;
        QString name_;
        QStringList& log_;
    };

    DiskFileSystem disk_;
};

struct AccessCase {
    const char* name;
    Process process;
    bool tagged;
    bool asked; // a question per file: "Confirm" for UnTAG, every field for TAG
    QStringList log;
};

void PrintTo(const AccessCase& c, std::ostream* os) {
    *os << c.name;
}

class AccessTest : public testing::TestWithParam<AccessCase> {};

// One open per change, closed before a question and opened again after it.
TEST_P(AccessTest, EveryAccessGoesThroughTheFileSystemOncePerChange) {
    const AccessCase& c = GetParam();
    TempDir dir;
    const QString path = dir.Path("Band - Song_1.mp3");
    WriteMp3(path, 400, c.tagged ? MakeTag("Tune", "Xyz") : QByteArray());
    BatchOptions options = OptionsFor(c.process);
    options.untagConfirmation = c.asked;
    options.tagFill.ask.fill(c.asked);
    options.substitutions = {{"_", " "}};
    RecordingFiles files;
    ScriptedHost host;
    host.confirmAnswers = {ConfirmAnswer::Yes};
    host.onConfirm = [&](const QString&) { files.log << "question"; };
    host.onAsk = [&](TagQuery&) {
        files.log << "question";
        return QueryResult::Ok;
    };
    QStringList entries{path};
    EXPECT_EQ(ExecuteBatch(entries, options, host, files).errorCount, 0);
    EXPECT_EQ(files.log, c.log);
}

INSTANTIATE_TEST_SUITE_P(
    Processes, AccessTest,
    testing::Values(
        AccessCase{"TagToFilename",
                   Process::TagToFilename,
                   true,
                   false,
                   {"open change Band - Song_1.mp3", "rename Band - Song_1.mp3 > Xyz - Tune.mp3",
                    "close Band - Song_1.mp3"}},
        AccessCase{"TagToFilenameUntagged",
                   Process::TagToFilename,
                   false,
                   false,
                   {"open change Band - Song_1.mp3", "close Band - Song_1.mp3"}},
        AccessCase{"FilenameToTag",
                   Process::FilenameToTag,
                   false,
                   false,
                   {"open change Band - Song_1.mp3", "write Band - Song_1.mp3",
                    "close Band - Song_1.mp3"}},
        AccessCase{"Tag",
                   Process::Tag,
                   true,
                   false,
                   {"open change Band - Song_1.mp3", "write Band - Song_1.mp3",
                    "close Band - Song_1.mp3"}},
        AccessCase{"TagAsked",
                   Process::Tag,
                   true,
                   true,
                   {"open change Band - Song_1.mp3", "close Band - Song_1.mp3", "question",
                    "open change Band - Song_1.mp3", "write Band - Song_1.mp3",
                    "close Band - Song_1.mp3"}},
        AccessCase{"UnTag",
                   Process::UnTag,
                   true,
                   false,
                   {"open change Band - Song_1.mp3", "remove Band - Song_1.mp3",
                    "close Band - Song_1.mp3"}},
        AccessCase{"UnTagConfirmed",
                   Process::UnTag,
                   true,
                   true,
                   {"open change Band - Song_1.mp3", "close Band - Song_1.mp3", "question",
                    "open change Band - Song_1.mp3", "remove Band - Song_1.mp3",
                    "close Band - Song_1.mp3"}},
        AccessCase{"List",
                   Process::ListFiles,
                   true,
                   false,
                   {"open read Band - Song_1.mp3", "close Band - Song_1.mp3"}},
        AccessCase{"Adjust",
                   Process::AdjustFileName,
                   false,
                   false,
                   {"clear Band - Song_1.mp3", "rename Band - Song_1.mp3 > Band - Song 1.mp3"}}),
    [](const testing::TestParamInfo<AccessCase>& info) { return info.param.name; });

// A read-only file is refused for a change; with "Erase R/O attrib. if possible" on its mode
// is cleared through the file system and the file opened again. Writable files are not
// looked at twice.
TEST(FileChanges, AReadOnlyFileIsClearedThroughTheFileSystemBeforeItsChange) {
    TempDir dir;
    WriteMp3(dir.Path("ro.mp3"), 400, MakeTag("Tune", "Xyz"));
    WriteMp3(dir.Path("rw.mp3"), 400, MakeTag("Tune", "Xyz"));
    MakeReadOnly(dir.Path("ro.mp3"));
    RecordingFiles files;
    ScriptedHost host;
    QStringList entries{dir.Path("ro.mp3"), dir.Path("rw.mp3")};
    ExecuteBatch(entries, OptionsFor(Process::UnTag), host, files);
    EXPECT_EQ(files.log,
              QStringList({"open change ro.mp3 refused: File access denied", "clear ro.mp3",
                           "open change ro.mp3", "remove ro.mp3", "close ro.mp3",
                           "open change rw.mp3", "remove rw.mp3", "close rw.mp3"}));
}

// While "Confirm" waits, another run removes the tag; Yes must not cut the audio. The file
// is not locked while the question waits, or the other run could not have gone on.
TEST(FileChanges, AYesAfterTheTagWentMeanwhileCutsNothing) {
    TempDir dir;
    const QString path = dir.Path("a.mp3");
    WriteMp3(path, 1000, MakeTag("Song", "X"));
    BatchOptions options = OptionsFor(Process::UnTag);
    options.untagConfirmation = true;
    ScriptedHost host;
    host.confirmAnswers = {ConfirmAnswer::Yes};
    host.onConfirm = [&](const QString&) {
        EXPECT_FALSE(IsLocked(path)) << "a lock held while the question waits";
        BatchOptions other = OptionsFor(Process::UnTag);
        QStringList entries{path};
        ScriptedHost otherHost;
        ExecuteBatch(entries, other, otherHost);
    };
    QStringList entries{path};
    ExecuteBatch(entries, options, host);
    EXPECT_EQ(ReadFile(path), AudioBytes(1000)) << "audio was cut";
    EXPECT_EQ(host.lines, QStringList({"Process selected: UnTAG", "Processing file:" + path,
                                       "TAG is present? Yes", "Process Complete! (0 errors)"}));
}

// While the query is open another program cuts the tag, adds one, or changes it. What the
// user confirmed is written on the file as it is then: appended when the tag went (the left
// fields as the query showed them), written over a tag that came (never a second one, the
// left fields from it); the audio stays byte for byte. With the undo history and without.
struct QueryRaceCase {
    const char* name;
    bool taggedBefore;
    QByteArray meanwhile; // the tag the file ends in when the answer comes; empty: none
    QByteArray written;   // the tag it ends in after the run
};

void PrintTo(const QueryRaceCase& c, std::ostream* os) {
    *os << c.name;
}

class QueryRace : public testing::TestWithParam<QueryRaceCase> {};

TEST_P(QueryRace, TheAnswerIsWrittenOnTheFileAsItIsThen) {
    const QueryRaceCase& c = GetParam();
    for (const bool history : {true, false}) {
        SCOPED_TRACE(history ? "with history" : "without history");
        TempDir dir;
        const QString path = dir.Path("a.mp3");
        WriteMp3(path, 1000, c.taggedBefore ? MakeTag("Song", "Old Artist") : QByteArray());
        BatchOptions options = OptionsFor(Process::Tag);
        options.tagFill.ask[0] = true;   // the song name is asked
        options.tagFill.leave[1] = true; // the artist is left
        ScriptedHost host;
        host.onAsk = [&](TagQuery& query) {
            EXPECT_FALSE(IsLocked(query.path)) << "a lock held while the query is open";
            WriteMp3(path, 1000, c.meanwhile);
            query.texts[0] = "Answer";
            return QueryResult::Ok;
        };
        QStringList entries{path};
        DiskFileSystem disk;
        const BatchResult result = history ? ExecuteBatch(entries, options, host)
                                           : ExecuteBatch(entries, options, host, disk);
        EXPECT_EQ(result.errorCount, 0);
        EXPECT_EQ(ReadFile(path), AudioBytes(1000) + c.written);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QueryRace,
    testing::Values(
        QueryRaceCase{"TagWent", true, {}, MakeTag("Answer", "Old Artist", "", "", "", 255)},
        QueryRaceCase{"TagCame", false, MakeTag("Song", "New Artist"),
                      MakeTag("Answer", "New Artist", "", "", "", 255)},
        QueryRaceCase{"TagChanged", true, MakeTag("Song", "New Artist"),
                      MakeTag("Answer", "New Artist", "", "", "", 255)}),
    [](const testing::TestParamInfo<QueryRaceCase>& info) { return info.param.name; });

// A name that would replace a symbolic link, dangling or not, is taken: counted, and the file
// stays where it is with its bytes.
TEST(FileChanges, ARenameOntoADanglingLinkIsCountedAndMovesNothing) {
    TempDir dir;
    ASSERT_TRUE(QDir(dir.Path()).mkdir("away"));
    const QString path = dir.Path("k.mp3");
    const QByteArray bytes = AudioBytes(1000) + MakeTag("K", "L");
    WriteFile(path, bytes);
    ASSERT_EQ(::symlink("away/moved.mp3", QFile::encodeName(dir.Path("L - K.mp3")).constData()), 0);
    for (const Process process : {Process::TagToFilename, Process::AdjustFileName}) {
        BatchOptions options = OptionsFor(process);
        options.substitutions = {{"k", "L - K"}};
        QStringList entries{path};
        ScriptedHost host;
        EXPECT_EQ(ExecuteBatch(entries, options, host).errorCount, 1);
        EXPECT_TRUE(host.lines.contains("Error #1: Cannot rename file " + path));
        EXPECT_EQ(entries, QStringList{path});
        EXPECT_EQ(ReadFile(path), bytes);
        EXPECT_FALSE(QFileInfo::exists(dir.Path("away/moved.mp3")));
    }
}

// A path or a tag value cannot forge a line: one line is one entry. New names hold no
// control characters.
TEST(FileChanges, ControlCharactersNeitherBreakLinesNorEnterNames) {
    TempDir dir;
    const QString forged = dir.Path("x\nProcess Complete! (0 errors)\ny.mp3");
    const QString shown = dir.Path("x?Process Complete! (0 errors)?y.mp3");
    WriteMp3(forged, 50); // too short for a tag
    const QString titled = dir.Path("t.mp3");
    WriteMp3(titled, 400, MakeTag("Two\nLines\t", "Art\x1b"));

    // The new name has spaces for the line breaks, and is taken.
    ASSERT_TRUE(QDir(dir.Path()).mkdir("x Process Complete! (0 errors) y.mp3"));
    BatchOptions adjust = OptionsFor(Process::AdjustFileName);
    QStringList entries{forged};
    ScriptedHost host;
    EXPECT_EQ(ExecuteBatch(entries, adjust, host).errorCount, 1);
    EXPECT_EQ(host.lines, QStringList({"Process selected: Adjust FileName",
                                       "Error #1: Cannot rename file " + shown,
                                       "Process Complete! (1 errors)"}));

    BatchOptions list = OptionsFor(Process::ListFiles);
    list.listShowProcessing = true;
    list.listTemplate = "%2 - %1 (%7)";
    entries = QStringList{titled, forged};
    ScriptedHost listHost;
    EXPECT_THROW(ExecuteBatch(entries, list, listHost), IoError); // the short file ends it
    EXPECT_EQ(listHost.lines,
              QStringList({"Process selected: List files/TAGs", "Processing file:" + titled,
                           "Art? - Two?Lines? (t)", "Processing file:" + shown}));

    BatchOptions rename = OptionsFor(Process::TagToFilename);
    entries = QStringList{titled};
    ScriptedHost renameHost;
    ExecuteBatch(entries, rename, renameHost);
    EXPECT_EQ(entries, QStringList{dir.Path("Art  - Two Lines .mp3")});
    EXPECT_TRUE(QFileInfo::exists(dir.Path("Art  - Two Lines .mp3")));
}

// The bytes of a name that is not UTF-8: a rename keeps them, and "Filename>TAG" puts them
// into the tag as they are.
TEST(FileChanges, NamesThatAreNotUtf8KeepTheirBytes) {
    TempDir dir;
    const QString latin1 = dir.Dir() + NameFromBytes("Caf\xE9 - Cr\xE8me_1.mp3");
    {
        const QByteArray native = NameToBytes(latin1);
        FILE* f = std::fopen(native.constData(), "wb");
        ASSERT_NE(f, nullptr);
        const QByteArray audio = AudioBytes(300);
        std::fwrite(audio.constData(), 1, size_t(audio.size()), f);
        std::fclose(f);
    }
    BatchOptions toTag = OptionsFor(Process::FilenameToTag);
    toTag.filenameToTag.newStyleTemplate = "%2 - %1";
    QStringList entries{latin1};
    ScriptedHost host;
    ExecuteBatch(entries, toTag, host);

    BatchOptions adjust = OptionsFor(Process::AdjustFileName);
    adjust.substitutions = {{"_", " "}};
    ExecuteBatch(entries, adjust, host);
    const QString renamed = dir.Dir() + NameFromBytes("Caf\xE9 - Cr\xE8me 1.mp3");
    EXPECT_EQ(entries, QStringList{renamed});
    DiskTagFile file(renamed, OpenMode::Read);
    EXPECT_EQ(file.LastBytes().toByteArray(), MakeTag("Cr\xE8me_1", "Caf\xE9"));
}

} // namespace
