// The "TAG" process: where each field's value comes from (page, file, query), what the
// query shows, and the Ignore / Abort answers.
#include "batch/TagFill.h"
#include "ScriptedHost.h"
#include "batch/ExecuteBatch.h"
#include "batch/RecordBatch.h"
#include "support/TestFiles.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace vantuke;

// Tag texts in Windows-1252, the code page of a first start.
const TagCodec kCodec;
using namespace testsupport;

namespace {

BatchOptions TagOptions(const TagFillOptions& page) {
    BatchOptions options;
    options.process = Process::Tag;
    options.clearStatus = true;
    options.tagFill = page;
    return options;
}

TagFillOptions PageWith(const QString& artist, int genre) {
    TagFillOptions page;
    page.values = {"Page Song", artist, "Page Album", "2001", "Page Comment"};
    page.genre = genre;
    page.ask.fill(false);
    return page;
}

QByteArray TagBytes(const QString& path) {
    return ReadFile(path).right(128);
}

} // namespace

// One field (Artist) under every combination of its two boxes, on a tagged and an untagged
// file: what the query shows, whether it may be edited, and what ends in the file.
struct SourceCase {
    const char* name;
    bool leave;
    bool ask;
    bool tagged;
    const char* shown;   // the query's Artist text
    bool enabled;        // the query's Artist control
    const char* written; // the Artist bytes in the file afterwards (before NUL padding)
};

// Names the case in test lists, which gtest would otherwise fill with the case's raw bytes.
void PrintTo(const SourceCase& c, std::ostream* os) {
    *os << c.name;
}

class SourceTableTest : public testing::TestWithParam<SourceCase> {};

TEST_P(SourceTableTest, ArtistComesFromTheRightSource) {
    const SourceCase& c = GetParam();
    TempDir dir;
    const QString path = dir.Path("f.mp3");
    WriteMp3(path, 400, c.tagged ? MakeTag("File Song", "File Artist") : QByteArray());
    TagFillOptions page = PageWith("Page Artist", 3);
    page.ask[1] = c.ask;
    page.leave[1] = c.leave;
    page.ask[0] = true; // keeps the query open in every case, so it can be inspected

    ScriptedHost host;
    host.onAsk = [](TagQuery& query) {
        if (query.enabled[1])
            query.texts[1] = "Typed";
        return QueryResult::Ok;
    };
    QStringList entries{path};
    ExecuteBatch(entries, TagOptions(page), host);

    ASSERT_EQ(host.queries.size(), 1);
    const TagQuery& query = host.queries.first();
    EXPECT_EQ(query.path, path);
    EXPECT_EQ(query.texts[1], QString::fromLatin1(c.shown));
    EXPECT_EQ(query.enabled[1], c.enabled);
    EXPECT_EQ(TagBytes(path).mid(33, 30), QByteArray(c.written).leftJustified(30, '\0'));
}

INSTANTIATE_TEST_SUITE_P(
    LeaveAskTagged, SourceTableTest,
    testing::Values(
        SourceCase{"LeaveTagged", true, true, true, "File Artist", false, "File Artist"},
        SourceCase{"LeaveUntagged", true, false, false, "Page Artist", false, ""},
        SourceCase{"AskTagged", false, true, true, "File Artist", true, "Typed"},
        SourceCase{"AskUntagged", false, true, false, "Page Artist", true, "Typed"},
        SourceCase{"PageTagged", false, false, true, "Page Artist", false, "Page Artist"},
        SourceCase{"PageUntagged", false, false, false, "Page Artist", false, "Page Artist"}),
    [](const testing::TestParamInfo<SourceCase>& info) { return info.param.name; });

TEST(TagFill, NothingAskedWritesThePageWithoutAQuestion) {
    TempDir dir;
    WriteMp3(dir.Path("a.mp3"), 400, MakeTag("Old", "Old", "Old", "1900", "Old", 9));
    WriteMp3(dir.Path("b.mp3"), 400);
    QStringList entries{dir.Path("a.mp3"), dir.Path("b.mp3")};
    ScriptedHost host;
    ExecuteBatch(entries, TagOptions(PageWith("Page Artist", -1)), host);

    EXPECT_TRUE(host.queries.isEmpty());
    const QByteArray expected =
        MakeTag("Page Song", "Page Artist", "Page Album", "2001", "Page Comment", 255);
    EXPECT_EQ(ReadFile(dir.Path("a.mp3")), AudioBytes(400) + expected);
    EXPECT_EQ(ReadFile(dir.Path("b.mp3")), AudioBytes(400) + expected);
    // This process logs no tag test line.
    EXPECT_EQ(
        host.lines,
        QStringList({"Process selected: TAG", "Processing file:" + dir.Path("a.mp3"),
                     "Processing file:" + dir.Path("b.mp3"), "Process Complete! (0 errors)"}));
}

TEST(TagFill, LeftFieldsKeepEveryByteAndAnUntaggedFileGetsGenreZero) {
    TempDir dir;
    const QByteArray artist("Abc\0xyz", 7);
    WriteMp3(dir.Path("tagged.mp3"), 400, MakeTag("S", artist, "", "", "", 77));
    WriteMp3(dir.Path("plain.mp3"), 400);
    TagFillOptions page = PageWith("Page Artist", 5);
    page.leave[1] = true;
    page.leave[kGenreRow] = true;
    QStringList entries{dir.Path("tagged.mp3"), dir.Path("plain.mp3")};
    ScriptedHost host;
    ExecuteBatch(entries, TagOptions(page), host);

    EXPECT_EQ(TagBytes(dir.Path("tagged.mp3")),
              MakeTag("Page Song", artist, "Page Album", "2001", "Page Comment", 77));
    EXPECT_EQ(TagBytes(dir.Path("plain.mp3")),
              MakeTag("Page Song", "", "Page Album", "2001", "Page Comment", 0));
}

TEST(TagFill, OnlyYearAskedShowsTheFileYearAndTheRestAsThePage) {
    TagFillOptions page = PageWith("Page Artist", 3);
    page.ask[3] = true;
    TTagRecord record;
    SetFieldText(record, TagField::Year, "1977", kCodec);
    SetFieldText(record, TagField::Artist, "File Artist", kCodec);
    record.Genre = 17;

    const TagQuery query = FillQueryFromTag(record, page, kCodec);
    EXPECT_EQ(query.enabled,
              (std::array<bool, kTagFillRows>{false, false, false, true, false, false, false}));
    EXPECT_EQ(query.texts, (std::array<QString, 5>{"Page Song", "Page Artist", "Page Album", "1977",
                                                   "Page Comment"}));
    EXPECT_EQ(query.genre, 3);

    const TagQuery untagged = FillQueryFromMainWindow(page);
    EXPECT_EQ(untagged.texts[3], "2001");
    EXPECT_TRUE(untagged.enabled[3]);
}

TEST(TagFill, GenreBeyondTheTableShowsNoSelection) {
    TempDir dir;
    WriteMp3(dir.Path("asked.mp3"), 400, MakeTag("S", "A", "", "", "", 200));
    WriteMp3(dir.Path("left.mp3"), 400, MakeTag("S", "A", "", "", "", 200));
    TagFillOptions asked = PageWith("P", 4);
    asked.ask[kGenreRow] = true;
    ScriptedHost host;
    QStringList entries{dir.Path("asked.mp3")};
    ExecuteBatch(entries, TagOptions(asked), host);
    ASSERT_EQ(host.queries.size(), 1);
    EXPECT_EQ(host.queries.first().genre, -1);
    EXPECT_EQ(quint8(TagBytes(dir.Path("asked.mp3")).at(127)), 255);

    TagFillOptions left = PageWith("P", 4);
    left.ask[kGenreRow] = true;
    left.leave[kGenreRow] = true;
    ScriptedHost quiet;
    QStringList leftEntries{dir.Path("left.mp3")};
    ExecuteBatch(leftEntries, TagOptions(left), quiet);
    EXPECT_TRUE(quiet.queries.isEmpty());
    EXPECT_EQ(quint8(TagBytes(dir.Path("left.mp3")).at(127)), 200);
}

TEST(TagFill, IgnoreSkipsAFileAndAbortEndsTheRun) {
    TempDir dir;
    QStringList entries;
    for (const char* name : {"1.mp3", "2.mp3", "3.mp3", "4.mp3", "5.mp3"}) {
        WriteMp3(dir.Path(name), 300);
        entries << dir.Path(name);
    }
    TagFillOptions page = PageWith("P", 1);
    page.ask[0] = true;
    ScriptedHost host;
    QList<QueryResult> answers{QueryResult::Ok, QueryResult::Ignore, QueryResult::Ok,
                               QueryResult::Abort, QueryResult::Ok};
    host.onAsk = [&answers](TagQuery&) { return answers.takeFirst(); };
    const BatchResult result = ExecuteBatch(entries, TagOptions(page), host);

    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(host.queries.size(), 4);
    const QList<qint64> sizes{428, 300, 428, 300, 300};
    for (int i = 0; i < entries.size(); ++i)
        EXPECT_EQ(QFileInfo(entries[i]).size(), sizes[i]) << i;
    EXPECT_EQ(host.lines.last(), "Process Complete! (0 errors)");
    EXPECT_EQ(host.positions, QList<int>({0, 1, 2, 3, 0}));
}

TEST(TagFill, ATagAddedWhileTheQueryIsOpenIsOverwrittenNotDoubled) {
    TempDir dir;
    const QString path = dir.Path("a.mp3");
    WriteMp3(path, 300);
    TagFillOptions page = PageWith("P", 1);
    page.ask[0] = true;
    ScriptedHost host;
    host.onAsk = [&path](TagQuery&) {
        WriteMp3(path, 300, MakeTag("Elsewhere", "Someone"));
        return QueryResult::Ok;
    };
    QStringList entries{path};
    ExecuteBatch(entries, TagOptions(page), host);
    EXPECT_EQ(ReadFile(path),
              AudioBytes(300) + MakeTag("Page Song", "P", "Page Album", "2001", "Page Comment", 1));
}

namespace {

// The notes a dry run of the options gives each entry.
QList<QStringList> DryRunNotes(QStringList entries, const BatchOptions& options) {
    ScriptedHost host;
    RunPlan plan;
    RecordBatch(RunKind::Dry, entries, options, host, plan);
    QList<QStringList> notes;
    for (const PlanItem& item : plan.items)
        notes << item.notes;
    return notes;
}

} // namespace

// The track is left at first: a comment written over files with tracks keeps every track, and
// beside a track the new comment keeps its first 28 characters, noted; a file without a track
// takes all 30.
TEST(TagFillTrack, ALeftTrackIsKeptAndANewCommentBesideItIsCut) {
    TempDir dir;
    WriteMp3(dir.Path("v11.mp3"), 400, WithTrack(MakeTag("S", "A", "", "", "Old", 3), 7));
    WriteMp3(dir.Path("v10.mp3"), 400, MakeTag("S", "A", "", "", QByteArray(30, 'o'), 3));
    WriteMp3(dir.Path("none.mp3"), 400);
    TagFillOptions page;
    page.ask.fill(false);
    for (int row = 0; row < kTagFillRows; ++row)
        page.leave[row] = row != int(TagField::Comment);
    page.values[int(TagField::Comment)] = QString(30, 'c');
    const QStringList entries{dir.Path("v11.mp3"), dir.Path("v10.mp3"), dir.Path("none.mp3")};

    EXPECT_EQ(DryRunNotes(entries, TagOptions(page)),
              (QList<QStringList>{{"Comment cut to 28 characters (2 lost)"}, {}, {"no tag"}}));
    QStringList run = entries;
    ScriptedHost host;
    ExecuteBatch(run, TagOptions(page), host);
    EXPECT_EQ(TagBytes(dir.Path("v11.mp3")),
              WithTrack(MakeTag("S", "A", "", "", QByteArray(28, 'c'), 3), 7));
    EXPECT_EQ(TagBytes(dir.Path("v10.mp3")), MakeTag("S", "A", "", "", QByteArray(30, 'c'), 3));
    EXPECT_EQ(TagBytes(dir.Path("none.mp3")), MakeTag("", "", "", "", QByteArray(30, 'c'), 0));
}

// A track written from the page: a left comment of 30 characters loses two beside it, noted;
// an empty track takes a file's track away and writes its comment's 28 bytes as they are.
TEST(TagFillTrack, APageTrackIsWrittenAndCutsALeftComment) {
    TempDir dir;
    WriteMp3(dir.Path("long.mp3"), 400, MakeTag("S", "A", "", "", QByteArray(30, 'o'), 3));
    WriteMp3(dir.Path("v11.mp3"), 400, WithTrack(MakeTag("S", "A", "", "", "Old", 3), 7));
    TagFillOptions page;
    page.ask.fill(false);
    page.leave.fill(true);
    page.leave[kTrackRow] = false;
    page.track = 12;
    const QStringList entries{dir.Path("long.mp3"), dir.Path("v11.mp3")};
    EXPECT_EQ(DryRunNotes(entries, TagOptions(page)),
              (QList<QStringList>{{"Comment cut to 28 characters (2 lost)"}, {}}));
    QStringList run = entries;
    ScriptedHost host;
    ExecuteBatch(run, TagOptions(page), host);
    EXPECT_EQ(TagBytes(dir.Path("long.mp3")),
              WithTrack(MakeTag("S", "A", "", "", QByteArray(28, 'o'), 3), 12));
    EXPECT_EQ(TagBytes(dir.Path("v11.mp3")), WithTrack(MakeTag("S", "A", "", "", "Old", 3), 12));

    page.track = 0;
    run = entries;
    ExecuteBatch(run, TagOptions(page), host);
    EXPECT_EQ(TagBytes(dir.Path("long.mp3")), MakeTag("S", "A", "", "", QByteArray(28, 'o'), 3));
    EXPECT_EQ(TagBytes(dir.Path("v11.mp3")), MakeTag("S", "A", "", "", "Old", 3));
}

// Asked, the track shows the file's (or, untagged, the page's) and takes the answer; the
// comment is cut only when the answer has a track.
TEST(TagFillTrack, AnAskedTrackShowsTheFilesAndTakesTheAnswer) {
    TempDir dir;
    WriteMp3(dir.Path("v11.mp3"), 400, WithTrack(MakeTag("S", "A", "", "", "Old", 3), 7));
    WriteMp3(dir.Path("none.mp3"), 400);
    TagFillOptions page;
    page.ask.fill(false);
    page.leave.fill(true);
    page.leave[kTrackRow] = false;
    page.leave[int(TagField::Comment)] = false;
    page.ask[kTrackRow] = true;
    page.track = 4;
    page.values[int(TagField::Comment)] = QString(30, 'c');
    ScriptedHost host;
    QList<int> answers{0, 200};
    host.onAsk = [&answers](TagQuery& query) {
        query.track = answers.takeFirst();
        return QueryResult::Ok;
    };
    QStringList entries{dir.Path("v11.mp3"), dir.Path("none.mp3")};
    ExecuteBatch(entries, TagOptions(page), host);
    ASSERT_EQ(host.queries.size(), 2);
    EXPECT_EQ(host.queries[0].track, 7);
    EXPECT_EQ(host.queries[1].track, 4);
    EXPECT_TRUE(host.queries[0].enabled[kTrackRow]);
    EXPECT_EQ(TagBytes(dir.Path("v11.mp3")), MakeTag("S", "A", "", "", QByteArray(30, 'c'), 3));
    EXPECT_EQ(TagBytes(dir.Path("none.mp3")),
              WithTrack(MakeTag("", "", "", "", QByteArray(28, 'c'), 0), 200));
}
