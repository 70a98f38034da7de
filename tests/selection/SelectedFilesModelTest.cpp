// The selected-files model tells the views exactly which rows came, went or changed.
#include "selection/SelectedFilesModel.h"

#include "platform/IoError.h"
#include "support/ModelChecks.h"
#include "support/TestFiles.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using testsupport::ModelChecks;
using testsupport::TempDir;
using testsupport::WriteFile;
using vantuke::IoError;
using vantuke::SelectedFilesModel;

namespace {

QStringList Names(int count) {
    QStringList names;
    for (int i = 0; i < count; ++i)
        names << QStringLiteral("%1.mp3").arg(i);
    return names;
}

// The rows a signal of rowsInserted or rowsRemoved names.
std::pair<int, int> RowsOf(const QList<QVariant>& signal) {
    return {signal[1].toInt(), signal[2].toInt()};
}

class SelectedFilesModelTest : public testing::Test {
protected:
    SelectedFilesModel model_;
    ModelChecks checks_{model_};
    QSignalSpy inserted_{&model_, &QAbstractItemModel::rowsInserted};
    QSignalSpy removed_{&model_, &QAbstractItemModel::rowsRemoved};
    QSignalSpy changed_{&model_, &QAbstractItemModel::dataChanged};
    QSignalSpy reset_{&model_, &QAbstractItemModel::modelReset};
};

TEST_F(SelectedFilesModelTest, AddingAnnouncesOnlyTheEntriesThatAreNew) {
    model_.AddRows("/m/", Names(3), false);
    model_.AddRows("/m/", Names(4), false); // three of them are there already
    model_.AddRows("/m/", Names(4), false);
    ASSERT_EQ(inserted_.size(), 2);
    EXPECT_EQ(RowsOf(inserted_[0]), std::pair(0, 2));
    EXPECT_EQ(RowsOf(inserted_[1]), std::pair(3, 3));
    EXPECT_EQ(model_.rowCount(), 4);
    EXPECT_EQ(model_.index(3).data().toString(), "/m/3.mp3");
    EXPECT_TRUE(reset_.isEmpty());
}

TEST_F(SelectedFilesModelTest, EntriesAddedBeforeAFailingPlaylistShow) {
    TempDir dir;
    WriteFile(dir.Path("list.m3u"), "one.mp3\n");
    const QStringList names{"a.mp3", "list.m3u", "gone.m3u", "b.mp3"};
    EXPECT_THROW(model_.AddRows(dir.Dir(), names, true), IoError);
    ASSERT_EQ(inserted_.size(), 1);
    EXPECT_EQ(RowsOf(inserted_[0]), std::pair(0, 1));
    EXPECT_EQ(model_.rowCount(), 2);
    EXPECT_EQ(model_.index(1).data().toString(), dir.Path("one.mp3"));
}

TEST_F(SelectedFilesModelTest, RemovingAnnouncesEachRunOfRowsFromTheBottom) {
    model_.AddRows("/m/", Names(6), false);
    model_.RemoveRows({4, 1, 2, 5, 2, -1, 6});
    ASSERT_EQ(removed_.size(), 2);
    EXPECT_EQ(RowsOf(removed_[0]), std::pair(4, 5));
    EXPECT_EQ(RowsOf(removed_[1]), std::pair(1, 2));
    EXPECT_EQ(model_.Files().Entries(), (QStringList{"/m/0.mp3", "/m/3.mp3"}));
    EXPECT_TRUE(reset_.isEmpty());
    // A removed entry can be added again; one still there cannot.
    EXPECT_EQ(model_.Files().IsInSelection("/m/4.mp3"), false);
    model_.AddRows("/m/", {"4.mp3", "3.mp3"}, false);
    EXPECT_EQ(model_.rowCount(), 3);
}

TEST_F(SelectedFilesModelTest, AScatteredRemovalOfManyRunsShowsTheListAnew) {
    model_.AddRows("/m/", Names(300), false);
    QList<int> even;
    for (int row = 0; row < 300; row += 2)
        even << row;
    model_.RemoveRows(even);
    EXPECT_EQ(reset_.size(), 1);
    EXPECT_TRUE(removed_.isEmpty());
    ASSERT_EQ(model_.rowCount(), 150);
    EXPECT_EQ(model_.index(0).data().toString(), "/m/1.mp3");
    EXPECT_EQ(model_.index(149).data().toString(), "/m/299.mp3");
}

TEST_F(SelectedFilesModelTest, ClearShowsTheEmptyListAnew) {
    model_.AddRows("/m/", Names(5), false);
    model_.Clear();
    EXPECT_EQ(reset_.size(), 1);
    EXPECT_TRUE(removed_.isEmpty());
    EXPECT_EQ(model_.rowCount(), 0);
    // The entries are gone from the list, not only from the views.
    model_.AddRows("/m/", Names(2), false);
    ASSERT_EQ(inserted_.size(), 2);
    EXPECT_EQ(RowsOf(inserted_[1]), std::pair(0, 1));
}

TEST_F(SelectedFilesModelTest, RenamedEntriesAreAnnouncedAsChangedRows) {
    model_.AddRows("/m/", Names(5), false);
    QStringList renamed = model_.Files().Entries();
    model_.SetEntries(renamed);
    EXPECT_TRUE(changed_.isEmpty()) << "nothing changed";
    renamed[1] = "/m/one.mp3";
    renamed[3] = "/m/three.mp3";
    model_.SetEntries(renamed);
    ASSERT_EQ(changed_.size(), 1);
    EXPECT_EQ(changed_[0][0].toModelIndex().row(), 1);
    EXPECT_EQ(changed_[0][1].toModelIndex().row(), 3);
    EXPECT_EQ(model_.index(3).data().toString(), "/m/three.mp3");
    EXPECT_TRUE(model_.Files().IsInSelection("/m/one.mp3"));
    EXPECT_TRUE(reset_.isEmpty());

    model_.SetEntries({"/m/x.mp3"});
    EXPECT_EQ(reset_.size(), 1);
    EXPECT_EQ(model_.rowCount(), 1);
}

TEST_F(SelectedFilesModelTest, LinesShowEscapedBytesAsWindows1252) {
    model_.AddRows("/m/", {QStringLiteral("Caf") + QChar(0xDCE9) + QStringLiteral(".mp3")}, false);
    EXPECT_EQ(model_.index(0).data().toString(), QString::fromUtf8("/m/Caf\xC3\xA9.mp3"));
}

} // namespace
