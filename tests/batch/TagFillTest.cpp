// The "TAG" process: where each field's value comes from (page, file, query), what the
// query shows, and the Ignore / Abort answers.
#include "batch/TagFill.h"
#include "ScriptedHost.h"
#include "batch/ExecuteBatch.h"
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
    EXPECT_EQ(query.enabled, (std::array<bool, 6>{false, false, false, true, false, false}));
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
