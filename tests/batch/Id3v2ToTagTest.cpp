// "ID3v2>TAG" on real files: the ID3v1 tag it writes, byte for byte, from ID3v2 tags built as
// bytes; the bytes before the ID3v1 tag never change.
#include "ScriptedHost.h"
#include "batch/ExecuteBatch.h"
#include "batch/RealRun.h"
#include "batch/RecordBatch.h"
#include "journal/Undo.h"
#include "support/Id3v2Bytes.h"
#include "support/TestFiles.h"

#include <QDir>
#include <functional>
#include <gtest/gtest.h>

using namespace vantuke;
using namespace testsupport;

namespace {

QByteArray Text(const QStringList& values) {
    return Id3v2TextContent(values);
}

// A tag of every field the process copies, in version 2.4 unless the layout says otherwise.
QByteArray FullTag(const Id3v2Layout& layout = {}) {
    const bool v24 = layout.major == 4;
    return Id3v2TagBytes(
        {
            {"TIT2", Text({"Blue Train"})},
            {"TPE1", Text({"Ann", "Bob"})},
            {"TALB", Text({"Jazz Set"})},
            {v24 ? "TDRC" : "TYER", Text({v24 ? "2004-05-01T10:00" : "2004"})},
            // A comment with a description stands before the one without.
            {"COMM", Id3v2CommentContent("Songs-DB", "not this one")},
            {"COMM", Id3v2CommentContent("", "a plain comment", "deu")},
            {"TCON", Text({"(8)Jazz"})},
        },
        layout);
}

const QByteArray kFullV1 =
    MakeTag("Blue Train", "Ann / Bob", "Jazz Set", "2004", "a plain comment", 8);

struct CopyCase {
    const char* name;
    QByteArray id3v2;
    QByteArray id3v1Before; // empty: the file has none
    std::function<void(Id3v2ToTagOptions&)> set;
    QByteArray id3v1After; // empty: the file is left as it was
    QStringList lines;     // after "Processing file:"
    int errors = 0;
    int audio = 900; // bytes of audio behind the ID3v2 tag
};

void PrintTo(const CopyCase& c, std::ostream* os) {
    *os << c.name;
}

QByteArray GenreTag(const QStringList& values) {
    return Id3v2TagBytes({{"TIT2", Text({"T"})}, {"TCON", Text(values)}});
}

const QString kPresent = QStringLiteral("TAG is present? Yes");
const QString kAbsent = QStringLiteral("TAG is present? No");

const CopyCase kCopyCases[] = {
    {"Version24FullDateAndFirstCommentWithoutDescription",
     FullTag(),
     {},
     nullptr,
     kFullV1,
     {kAbsent}},
    {"Version23", FullTag({.major = 3}), {}, nullptr, kFullV1, {kAbsent}},
    {"Version23Unsynchronised",
     FullTag({.major = 3, .unsynchronised = true}),
     {},
     nullptr,
     kFullV1,
     {kAbsent}},
    // Written over the tag there is; a field the ID3v2 tag lacks keeps its bytes.
    {"OverATagKeepingWhatTheId3v2TagLacks",
     Id3v2TagBytes({{"TPE1", Text({"New Band"})}}),
     MakeTag("Old Song", "Old Band", "Old Album", "1970", "old", 3),
     nullptr,
     MakeTag("Old Song", "New Band", "Old Album", "1970", "old", 3),
     {kPresent}},
    // The genre forms and spellings are the text rules' tests; here the first that maps wins.
    {"GenreFirstValueThatMaps",
     GenreTag({"Shoegaze", "Rhythmic Soul", "Rock"}),
     {},
     nullptr,
     MakeTag("T", "", "", "", "", 118),
     {kAbsent}},
    // Never 12 "Other", never 255 over a genre the file has.
    {"GenreWithoutNumberLeavesTheGenre",
     GenreTag({"Shoegaze"}),
     MakeTag("", "", "", "", "", 9),
     nullptr,
     MakeTag("T", "", "", "", "", 9),
     {kPresent}},
    // A new tag has no genre until the ID3v2 tag gives one.
    {"NewTagWithoutGenre",
     Id3v2TagBytes({{"TIT2", Text({"T"})}}),
     {},
     nullptr,
     MakeTag("T", "", "", "", "", 255),
     {kAbsent}},
    {"LeftFieldsKeepTheirBytes",
     FullTag(),
     MakeTag("Mine", "Me", "", "", "", 1),
     [](Id3v2ToTagOptions& o) {
         o.leave[int(TagField::SongName)] = true;
         o.leave[kGenreRow] = true;
     },
     MakeTag("Mine", "Ann / Bob", "Jazz Set", "2004", "a plain comment", 1),
     {kPresent}},
    // Bytes behind a NUL are no value: the field counts as empty.
    {"OnlyEmptyFields",
     FullTag(),
     MakeTag("Mine", QByteArray("\0old", 4), "", "1999", "", 255),
     [](Id3v2ToTagOptions& o) { o.onlyEmpty = true; },
     MakeTag("Mine", "Ann / Bob", "Jazz Set", "1999", "a plain comment", 8),
     {kPresent}},
    {"OnlyEmptyKeepsAGenre",
     FullTag(),
     MakeTag("", "", "", "", "", 0),
     [](Id3v2ToTagOptions& o) { o.onlyEmpty = true; },
     MakeTag("Blue Train", "Ann / Bob", "Jazz Set", "2004", "a plain comment", 0),
     {kPresent}},
    {"NoCreateLeavesAFileWithoutTag",
     FullTag(),
     {},
     [](Id3v2ToTagOptions& o) { o.createTag = false; },
     {},
     {kAbsent}},
    {"NoCreateStillWritesOverATag",
     FullTag(),
     MakeTag("Old", "Old"),
     [](Id3v2ToTagOptions& o) { o.createTag = false; },
     kFullV1,
     {kPresent}},
    // "3/12" is track 3; beside it the comment keeps 28 bytes, also a comment left as it was.
    {"TrackBesideACommentCutTo28",
     Id3v2TagBytes({{"TRCK", Text({"3/12"})},
                    {"COMM", Id3v2CommentContent("", "a comment of thirty bytes, yes")}}),
     {},
     nullptr,
     WithTrack(MakeTag("", "", "", "", "a comment of thirty bytes, y", 255), 3),
     {kAbsent}},
    {"TrackOverALeftComment",
     Id3v2TagBytes({{"TRCK", Text({"7"})}}),
     MakeTag("", "", "", "", "a comment of thirty bytes, yes", 1),
     nullptr,
     WithTrack(MakeTag("", "", "", "", "a comment of thirty bytes, y", 1), 7),
     {kPresent}},
    {"OnlyEmptyKeepsATrack",
     Id3v2TagBytes({{"TRCK", Text({"7"})}}),
     WithTrack(MakeTag("Old", ""), 2),
     [](Id3v2ToTagOptions& o) { o.onlyEmpty = true; },
     WithTrack(MakeTag("Old", ""), 2),
     {kPresent}},
    {"NoId3v2Tag", {}, MakeTag("Old", "Old"), nullptr, {}, {"No ID3v2 tag, file left as it is"}},
    // The header promises more than the file holds.
    {"TruncatedId3v2Tag",
     FullTag({.padding = 2000}).left(400),
     MakeTag("Old", "Old"),
     nullptr,
     {},
     {},
     1,
     0},
};

class Id3v2CopyTest : public testing::TestWithParam<CopyCase> {};

TEST_P(Id3v2CopyTest, WritesTheId3v1TagAndNothingBeforeIt) {
    const CopyCase& c = GetParam();
    TempDir dir;
    const QString path = dir.Path("song.mp3");
    const QByteArray head = c.id3v2 + MpegAudioBytes(c.audio);
    WriteFile(path, head + c.id3v1Before);
    BatchOptions options;
    options.process = Process::Id3v2ToTag;
    options.clearStatus = true;
    if (c.set)
        c.set(options.id3v2ToTag);
    QStringList entries{path};
    ScriptedHost host;
    const BatchResult result = ExecuteBatch(entries, options, host);

    const QByteArray after = ReadFile(path);
    EXPECT_EQ(after.left(head.size()), head) << "a byte before the ID3v1 tag changed";
    EXPECT_EQ(after.mid(head.size()), c.id3v1After.isEmpty() ? c.id3v1Before : c.id3v1After);
    EXPECT_EQ(result.errorCount, c.errors);
    QStringList lines = host.lines.mid(2, host.lines.size() - 3);
    if (c.errors > 0) {
        ASSERT_EQ(lines.size(), 1);
        EXPECT_EQ(lines.first(), "Error #1: ID3v2 tag cannot be read (cut short by the end of the "
                                 "file), file left as it is: " +
                                     path);
    } else {
        EXPECT_EQ(lines, c.lines);
    }
}

INSTANTIATE_TEST_SUITE_P(Id3v2ToTag, Id3v2CopyTest, testing::ValuesIn(kCopyCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The texts go into the chosen code page: a multi-byte page cuts at a character boundary,
// and a frame stored as ISO-8859-1 keeps its bytes where the code page reads them.
TEST(Id3v2ToTag, TextsGoIntoTheCodePage) {
    TempDir dir;
    const QString chinese = QStringLiteral("我們的歌是一首非常長的歌曲名字呀");
    const QString gbkPath = dir.Path("gbk.mp3");
    const QByteArray gbkHead =
        Id3v2TagBytes({{"TIT2", Id3v2TextContent({chinese}, Id3v2Encoding::Utf8)}}) +
        MpegAudioBytes(500);
    WriteFile(gbkPath, gbkHead);
    // Windows-1252 quotes in a frame that says ISO-8859-1.
    const QString quotesPath = dir.Path("quotes.mp3");
    const QByteArray quotesHead = Id3v2TagBytes({{"TIT2", QByteArray(1, '\0') + "Don\x92t Stop"},
                                                 {"TPE1", QByteArray(1, '\0') + "Caf\xE9"}},
                                                {.major = 3}) +
                                  MpegAudioBytes(500);
    WriteFile(quotesPath, quotesHead);

    BatchOptions options;
    options.process = Process::Id3v2ToTag;
    options.program.codec = TagCodec{FindCodePage(u"GBK"), false};
    QStringList entries{gbkPath};
    RunPlan plan;
    ScriptedHost host;
    RecordBatch(RunKind::Dry, entries, options, host, plan);
    ExecuteBatch(entries, options, host);
    // Fifteen characters of two bytes each fill 30 bytes.
    const QByteArray kept = options.program.codec.Page().Encode(chinese.left(15), false).bytes;
    ASSERT_EQ(kept.size(), 30);
    EXPECT_EQ(ReadFile(gbkPath), gbkHead + MakeTag(kept, "", "", "", "", 255));
    ASSERT_EQ(plan.items.size(), 1);
    EXPECT_TRUE(plan.items.first().notes.contains("Song Name cut to 15 characters (1 lost)"))
        << plan.items.first().notes.join(" | ").toStdString();

    options.program.codec = TagCodec{};
    entries = {quotesPath};
    ExecuteBatch(entries, options, host);
    EXPECT_EQ(ReadFile(quotesPath),
              quotesHead + MakeTag("Don\x92t Stop", "Caf\xE9", "", "", "", 255));
}

// The dry run prints what the real run prints and plans what it does, notes included; undo
// brings every file back.
TEST(Id3v2ToTag, DryRunEqualsTheRunAndUndoBringsEveryFileBack) {
    TempDir dir;
    TempDir history;
    const QList<std::pair<QString, QByteArray>> made{
        {"full.mp3", FullTag() + MpegAudioBytes(700) + MakeTag("Old", "Old")},
        {"new.mp3", FullTag({.major = 3}) + MpegAudioBytes(700)},
        {"plain.mp3", MpegAudioBytes(700)},
        {"broken.mp3", FullTag({.padding = 2000}).left(300)},
        {"odd.mp3", Id3v2TagBytes({{"TRCK", Text({"0"})}, {"TCON", Text({"Shoegaze"})}}) +
                        MpegAudioBytes(700)},
    };
    QStringList entries;
    for (const auto& [name, bytes] : made) {
        WriteFile(dir.Path(name), bytes);
        entries << dir.Path(name);
    }
    BatchOptions options;
    options.process = Process::Id3v2ToTag;

    RunPlan dry;
    ScriptedHost dryHost;
    QStringList dryEntries = entries;
    const BatchResult dryResult = RecordBatch(RunKind::Dry, dryEntries, options, dryHost, dry);
    for (const auto& [name, bytes] : made)
        EXPECT_EQ(ReadFile(dir.Path(name)), bytes) << "the dry run changed " << name.toStdString();

    ScriptedHost realHost;
    QStringList realEntries = entries;
    const BatchResult realResult =
        ExecuteWithHistory(realEntries, options, realHost, history.Dir());
    EXPECT_EQ(dryHost.lines, realHost.lines);
    EXPECT_EQ(dryResult.errorCount, realResult.errorCount);
    EXPECT_EQ(realResult.errorCount, 1);
    ASSERT_EQ(dry.items.size(), 5);
    EXPECT_EQ(dry.items[0].action, PlanAction::WriteTag);
    EXPECT_EQ(dry.items[1].notes, QStringList{"no tag"});
    EXPECT_EQ(dry.items[2].notes, QStringList{"no ID3v2 tag"});
    EXPECT_EQ(dry.items[2].action, PlanAction::None);
    EXPECT_EQ(dry.items[3].notes,
              QStringList{"ID3v2 tag cannot be read (cut short by the end of the file)"});
    EXPECT_EQ(dry.items[4].notes,
              QStringList({"Track not copied: TRCK \"0\" is zero",
                           "Genre not copied: \"Shoegaze\" has no ID3v1 number", "no tag"}));
    EXPECT_EQ(PlanSummary(dry, 5), "5 files: 3 tags written, 2 without a tag, 1 without an ID3v2 "
                                   "tag, 1 with an unreadable ID3v2 tag");
    EXPECT_EQ(ReadFile(dir.Path("new.mp3")), FullTag({.major = 3}) + MpegAudioBytes(700) + kFullV1);

    QStringList undoLines;
    const UndoResult undone =
        UndoRun(history.Dir(), {}, false, [&](const QString& line) { undoLines << line; });
    EXPECT_EQ(undone.errorCount, 0) << undoLines.join('\n').toStdString();
    for (const auto& [name, bytes] : made)
        EXPECT_EQ(ReadFile(dir.Path(name)), bytes) << "undo left " << name.toStdString();
}

} // namespace
