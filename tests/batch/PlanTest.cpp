// What a plan says about a run: its JSON document (parsed back), its summary line and its
// table.
#include "batch/PlanJson.h"
#include "batch/PlanModel.h"
#include "platform/NameBytes.h"
#include "support/TestFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace vantuke;
using testsupport::MakeTag;

namespace {

RawTag Tag(const QByteArray& bytes) {
    RawTag tag;
    std::copy_n(bytes.constData(), kTagSize, tag.data());
    return tag;
}

PlanItem Item(int number, const QString& path, PlanAction action = PlanAction::None) {
    PlanItem item;
    item.number = number;
    item.path = path;
    item.action = action;
    return item;
}

PlanItem Noted(PlanItem item, PlanNote kind, const QString& note) {
    item.notes << note;
    item.noteKinds |= quint32(kind);
    return item;
}

// A rename of a file whose name is not UTF-8, a tag written over one whose texts need
// escaping, a tag removed and an entry where an I/O error ends the run.
RunPlan SamplePlan() {
    RunPlan plan;
    plan.process = Process::TagToFilename;
    plan.dryRun = true;
    plan.errorCount = 1;
    PlanItem renamed = Item(1, "/m/" + NameFromBytes("Caf\xE9.mp3"), PlanAction::Rename);
    renamed.newPath = "/m/Xyz - Tune.mp3";
    renamed.tagBefore = Tag(MakeTag("Tune", "Xyz", "", "1999", "", 17));
    PlanItem written = Item(2, "/m/b.mp3", PlanAction::WriteTag);
    written.tagBefore = Tag(MakeTag("Old", "Same"));
    written.tagAfter = Tag(MakeTag("Say \"hi\"\t\\", "Same", "", "", "", 200));
    plan.items = {
        renamed, written,
        Noted(Item(3, "/m/c.mp3"), PlanNote::NameTaken, "cannot rename: name taken by entry 1"),
        Item(4, "/m/d.mp3", PlanAction::RemoveTag)};
    plan.ioError = IoError::FromErrno(ENOENT).WithPath("/m/d.mp3");
    return plan;
}

TEST(PlanJson, ParsesAsOneDocumentThatKeepsEveryByte) {
    const QByteArray json = PlanJson(SamplePlan());
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonObject root = document.object();
    EXPECT_EQ(root["process"].toString(), "TAG>Filename");
    EXPECT_EQ(root["dry_run"].toBool(), true);
    EXPECT_EQ(root["errors"].toInt(), 1);
    EXPECT_EQ(root["complete"].toBool(), false);
    EXPECT_EQ(root["io_error"].toObject()["message"].toString(), "File not found");
    EXPECT_EQ(root["io_error"].toObject()["path"].toString(), "/m/d.mp3");

    const QJsonArray entries = root["entries"].toArray();
    ASSERT_EQ(entries.size(), 4);
    const QJsonObject renamed = entries[0].toObject();
    // Shown as a person reads it, and the exact bytes beside it.
    EXPECT_EQ(renamed["path"].toString(), QString::fromUtf8("/m/Café.mp3"));
    EXPECT_EQ(QByteArray::fromBase64(renamed["path_base64"].toString().toLatin1()),
              "/m/Caf\xE9.mp3");
    EXPECT_EQ(renamed["action"].toString(), "rename");
    EXPECT_EQ(renamed["new_path"].toString(), "/m/Xyz - Tune.mp3");
    EXPECT_FALSE(renamed.contains("new_path_base64"));
    EXPECT_EQ(renamed["tag_before"].toObject(), QJsonObject({{"song_name", "Tune"},
                                                             {"artist", "Xyz"},
                                                             {"album", ""},
                                                             {"year", "1999"},
                                                             {"comment", ""},
                                                             {"track", QJsonValue::Null},
                                                             {"genre", 17}}));
    EXPECT_TRUE(renamed["tag_after"].isNull());
    EXPECT_EQ(renamed["notes"].toArray(), QJsonArray());

    const QJsonObject written = entries[1].toObject();
    EXPECT_EQ(written["action"].toString(), "write-tag");
    EXPECT_FALSE(written.contains("path_base64"));
    EXPECT_FALSE(written.contains("new_path"));
    EXPECT_EQ(written["tag_after"].toObject()["song_name"].toString(), "Say \"hi\"\t\\");
    EXPECT_EQ(written["tag_after"].toObject()["genre"].toInt(), 200);
    EXPECT_EQ(entries[2].toObject()["action"].toString(), "none");
    EXPECT_EQ(entries[2].toObject()["notes"].toArray(),
              QJsonArray{"cannot rename: name taken by entry 1"});
    EXPECT_EQ(entries[3].toObject()["action"].toString(), "remove-tag");
}

TEST(PlanJson, AnEmptyRunIsAnEmptyListOfEntries) {
    RunPlan plan;
    plan.process = Process::ListFiles;
    plan.complete = true;
    const QJsonObject root = QJsonDocument::fromJson(PlanJson(plan)).object();
    EXPECT_EQ(root["entries"].toArray(), QJsonArray());
    EXPECT_TRUE(root["io_error"].isNull());
    EXPECT_EQ(root["complete"].toBool(), true);
}

TEST(PlanSummary, CountsWhatHappensAndSaysWhereARunEnds) {
    RunPlan twelve;
    twelve.complete = true;
    for (int k = 1; k <= 9; ++k)
        twelve.items << Item(k, "/f", PlanAction::Rename);
    twelve.items << Noted(Item(10, "/f"), PlanNote::NameTaken, "cannot rename: name taken")
                 << Noted(Item(11, "/f"), PlanNote::NameTaken, "cannot rename: name taken")
                 << Noted(Item(12, "/f"), PlanNote::NoTag, "no tag");
    EXPECT_EQ(PlanSummary(twelve, 12), "12 files: 9 renamed, 2 names taken, 1 without a tag");

    RunPlan one;
    one.complete = true;
    one.items << Item(1, "/f", PlanAction::WriteTag);
    EXPECT_EQ(PlanSummary(one, 1), "1 file: 1 tag written");

    RunPlan mixed;
    mixed.complete = true;
    mixed.items << Item(1, "/f", PlanAction::RemoveTag) << Item(2, "/f", PlanAction::RemoveTag)
                << Item(3, "/f", PlanAction::List)
                << Noted(Item(4, "/f"), PlanNote::NotRenamed, "cannot rename: name too long");
    EXPECT_EQ(PlanSummary(mixed, 4), "4 files: 2 tags removed, 1 listed, 1 not renamed");

    RunPlan ended = SamplePlan();
    EXPECT_EQ(PlanSummary(ended, 6), "6 files: 1 renamed, 1 tag written, 1 tag removed, "
                                     "1 name taken; stops at file 4: File not found");
    ended.dryRun = false;
    ended.ioError.reset();
    EXPECT_EQ(PlanSummary(ended, 6).section(';', 1), " stopped at file 4");

    RunPlan idle;
    idle.complete = true;
    idle.items << Item(1, "/f") << Item(2, "/f");
    EXPECT_EQ(PlanSummary(idle, 2), "2 files: nothing changes");
    EXPECT_EQ(PlanSummary(RunPlan(), 0), "No files to process");
}

TEST(PlanModel, OneRowPerEntryWithWhatBecomesOfItAndItsNotes) {
    RunPlan plan = SamplePlan();
    PlanItem fresh = Item(5, "/m/e.mp3", PlanAction::WriteTag);
    fresh.tagAfter = Tag(MakeTag("New", "", "", "", "", 0));
    plan.items.insert(3, fresh);
    const PlanModel model(plan);
    ASSERT_EQ(model.rowCount(), 5);
    ASSERT_EQ(model.columnCount(), 4);
    const auto text = [&](int row, int column, int role = Qt::DisplayRole) {
        return model.data(model.index(row, column), role).toString();
    };
    EXPECT_EQ(model.headerData(PlanModel::ChangeColumn, Qt::Horizontal).toString(), "Change");

    EXPECT_EQ(text(0, PlanModel::FileColumn), QString::fromUtf8("Café.mp3"));
    EXPECT_EQ(text(0, PlanModel::FileColumn, Qt::ToolTipRole), QString::fromUtf8("/m/Café.mp3"));
    EXPECT_EQ(text(0, PlanModel::ChangeColumn), "rename to Xyz - Tune.mp3");
    EXPECT_EQ(text(1, PlanModel::ChangeColumn),
              QString::fromUtf8("Song Name: \"Old\" → \"Say \"hi\"\t\\\"; Genre: Blues → "
                                "unknown style"));
    EXPECT_EQ(text(2, PlanModel::ChangeColumn), "no change");
    EXPECT_EQ(text(3, PlanModel::ChangeColumn), "new tag: Song Name \"New\", Genre Blues");
    EXPECT_EQ(text(4, PlanModel::ChangeColumn), "remove the tag");

    EXPECT_EQ(text(2, PlanModel::NotesColumn), "cannot rename: name taken by entry 1");
    EXPECT_EQ(text(4, PlanModel::NotesColumn), "the run stops here: File not found");
    for (const auto& [row, noted] : {std::pair{0, false}, {2, true}, {3, false}, {4, true}})
        EXPECT_EQ(model.data(model.index(row, 1), PlanModel::HasNotesRole).toBool(), noted);
    // Numbers sort as numbers.
    EXPECT_EQ(model.data(model.index(3, PlanModel::NumberColumn), PlanModel::SortRole), 5);
}

// A track shows as its number, and none as "none"; a new tag without one does not name it.
TEST(PlanModel, TracksShowAsTheirNumbers) {
    RunPlan plan;
    PlanItem given = Item(1, "/m/a.mp3", PlanAction::WriteTag);
    given.tagBefore = Tag(MakeTag("Song", "", "", "", "", 0));
    given.tagAfter = Tag(testsupport::WithTrack(MakeTag("Song", "", "", "", "", 0), 7));
    PlanItem taken = Item(2, "/m/b.mp3", PlanAction::WriteTag);
    taken.tagBefore = given.tagAfter;
    taken.tagAfter = given.tagBefore;
    PlanItem fresh = Item(3, "/m/c.mp3", PlanAction::WriteTag);
    fresh.tagAfter = Tag(testsupport::WithTrack(MakeTag("New", "", "", "", "", 0), 12));
    PlanItem none = Item(4, "/m/d.mp3", PlanAction::WriteTag);
    none.tagAfter = Tag(MakeTag("New", "", "", "", "", 0));
    plan.items << given << taken << fresh << none;
    const PlanModel model(plan);
    const auto change = [&](int row) {
        return model.data(model.index(row, PlanModel::ChangeColumn)).toString();
    };
    EXPECT_EQ(change(0), QString::fromUtf8("Track: none → 7"));
    EXPECT_EQ(change(1), QString::fromUtf8("Track: 7 → none"));
    EXPECT_EQ(change(2), "new tag: Song Name \"New\", Track 12, Genre Blues");
    EXPECT_EQ(change(3), "new tag: Song Name \"New\", Genre Blues");
}

} // namespace
