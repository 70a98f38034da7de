// "Preview": the button and Ctrl+P open a dialog with what "EXECUTE!" would do now, made by a
// dry run that changes nothing; "Execute" there runs the batch, "Close" does not. The dialog's
// table sorts, filters and marks the rows with notes.
#include "WindowFixture.h"

#include "batch/PlanModel.h"
#include "settings/options.h"
#include "support/LayoutCheck.h"
#include "support/ModalAnswer.h"
#include "ui/ExecutePage.h"
#include "ui/FileSelectionPage.h"
#include "ui/PreviewDialog.h"
#include "ui/ProcessPages.h"
#include "ui/WrapTabs.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace vantuke;
using testsupport::MakeTag;
using testsupport::WriteMp3;

namespace windowtest {
namespace {

class PreviewTest : public WindowTest {
protected:
    PreviewTest() {
        WriteMp3(FilesDir() + "a.mp3", 300, MakeTag("Tune", "Xyz"));
        WriteMp3(FilesDir() + "b.mp3", 300, MakeTag("Tune", "Xyz"));
        WriteMp3(FilesDir() + "c.mp3", 300);
        Form1().FileSelection()->SetSelectionEntries(
            {FilesDir() + "a.mp3", FilesDir() + "b.mp3", FilesDir() + "c.mp3"});
        Form1().Processes()->Tabs()->SetCurrentIndex(int(Process::TagToFilename));
    }

    // Runs the answer once the "Preview" dialog is the modal window, and fails the test (and
    // closes the dialog) when it never comes or stays open.
    void WhenPreviewOpens(std::function<void(PreviewDialog&)> answer) {
        opened_ = false;
        QTimer::singleShot(0, [this, answer = std::move(answer)] {
            auto* dialog = qobject_cast<PreviewDialog*>(QApplication::activeModalWidget());
            if (!dialog) {
                ADD_FAILURE() << "no Preview dialog";
                return;
            }
            opened_ = true;
            answer(*dialog);
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the dialog stayed open";
                dialog->reject();
            }
        });
    }

    QStringList Rows(const PreviewDialog& dialog) const {
        QStringList rows;
        const QAbstractItemModel* model = dialog.Table()->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < model->columnCount(); ++column)
                cells << model->index(row, column).data().toString();
            rows << cells.join(" | ");
        }
        return rows;
    }

    bool opened_ = false;
};

// "Preview…" and "Undo last run" are buttons with their captions beside "EXECUTE!"; a screen
// reader names them as before.
TEST_F(PreviewTest, PreviewAndUndoStandBesideExecute) {
    auto* execute = Find<QPushButton>("SpeedButton19");
    auto* preview = Find<QPushButton>("PreviewButton");
    auto* undo = Find<QPushButton>("UndoLastRunButton");
    ASSERT_TRUE(execute && preview && undo);
    EXPECT_EQ(preview->text(), u"Preview\u2026"_qs);
    EXPECT_EQ(undo->text(), "Undo last run");
    EXPECT_EQ(preview->accessibleName(), "Preview");
    EXPECT_EQ(undo->accessibleName(), "Undo last run");
    Form1().show();
    Form1().Steps()->SetCurrentIndex(2);
    QApplication::processEvents();
    EXPECT_EQ(preview->y(), execute->y());
    EXPECT_EQ(undo->y(), execute->y());
    EXPECT_GT(preview->x(), execute->x() + execute->width() - 1);
    EXPECT_GT(undo->x(), preview->x() + preview->width() - 1);
    layoutcheck::ExpectNothingClipped(Form1());
    Form1().hide();
}

TEST_F(PreviewTest, CtrlPShowsTheDryRunAndCloseChangesNothing) {
    Form1().show();
    Form1().activateWindow();
    if (!QTest::qWaitForWindowActive(&Form1()))
        GTEST_SKIP() << "the window cannot be made active on this platform";
    const testsupport::FolderState before = testsupport::Snapshot(FilesDir());
    const QStringList statusBefore = Form1().StatusLines();

    WhenPreviewOpens([&](PreviewDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Preview");
        EXPECT_EQ(dialog.Summary()->text(), "3 files: 1 renamed, 1 name taken, 1 without a tag");
        EXPECT_TRUE(dialog.Stop()->isHidden());
        EXPECT_EQ(Rows(dialog), QStringList({"1 | a.mp3 | rename to Xyz - Tune.mp3 | ",
                                             "2 | b.mp3 | no change | cannot rename: name taken "
                                             "by entry 1",
                                             "3 | c.mp3 | no change | no tag"}));
        modalanswer::ClickButton(dialog, "Close");
    });
    // From step 1: the shortcut works wherever the focus is.
    QTest::keyClick(&Form1(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(opened_);
    EXPECT_TRUE(testsupport::Snapshot(FilesDir()) == before);
    EXPECT_EQ(Form1().StatusLines(), statusBefore);
    EXPECT_TRUE(errors_.isEmpty());
    Form1().hide();
}

TEST_F(PreviewTest, ExecuteRunsTheBatchAsExecuteDoes) {
    Find<QCheckBox>("CheckBox19")->setChecked(true);
    WhenPreviewOpens([&](PreviewDialog& dialog) { modalanswer::ClickButton(dialog, "Execute"); });
    Find<QPushButton>("PreviewButton")->click();
    EXPECT_TRUE(opened_);
    EXPECT_EQ(Form1().StatusLines().last(), "Process Complete! (1 errors)");
    EXPECT_EQ(
        Form1().FileSelection()->Selection().Entries(),
        QStringList({FilesDir() + "Xyz - Tune.mp3", FilesDir() + "b.mp3", FilesDir() + "c.mp3"}));
    EXPECT_TRUE(QFile::exists(FilesDir() + "Xyz - Tune.mp3"));
}

// A playlist added on step 1 that lists a file the run renames: its line stands under the
// summary, saying it will still name the old path while "Update playlists that list renamed
// files" is off.
TEST_F(PreviewTest, PlaylistsThatListRenamedFilesShowUnderTheSummary) {
    const QString list = FilesDir() + "list.m3u";
    testsupport::WriteFile(list, "a.mp3\r\nc.mp3\r\n");
    Form1().FileSelection()->AddPaths({list});
    QString shown;
    bool visible = false;
    WhenPreviewOpens([&](PreviewDialog& dialog) {
        shown = dialog.Playlists()->text();
        visible = dialog.Playlists()->isVisible();
        layoutcheck::ExpectNothingClipped(dialog);
        layoutcheck::SaveScreenshot(dialog, "Preview-playlists");
        modalanswer::ClickButton(dialog, "Close");
    });
    Find<QPushButton>("PreviewButton")->click();
    EXPECT_TRUE(opened_);
    EXPECT_EQ(shown, "Playlist not updated: " + list + " (1 entry still names the old path)");
    EXPECT_TRUE(visible);
    EXPECT_EQ(testsupport::ReadFile(list), "a.mp3\r\nc.mp3\r\n");
}

// A run that would end at an I/O error: the dialog opens all the same and says where.
TEST_F(PreviewTest, AnIoErrorShowsInTheDialogNotInAnErrorBox) {
    Form1().FileSelection()->SetSelectionEntries({FilesDir() + "a.mp3", FilesDir() + "gone.mp3"});
    WhenPreviewOpens([&](PreviewDialog& dialog) {
        EXPECT_EQ(dialog.Summary()->text(), "2 files: 1 renamed; stops at file 2: File not found");
        EXPECT_TRUE(Rows(dialog).last().endsWith("the run stops here: File not found"));
        // At the top: where and why, and the option that goes on.
        EXPECT_TRUE(dialog.Stop()->isVisible());
        EXPECT_EQ(dialog.Stop()->text(),
                  "The run will stop at file 2 of 2: File not found: " + FilesDir() +
                      "gone.mp3.\nTo go on past files that fail, turn on \"Skip files that fail "
                      "and go on\" in the Options.");
        for (const QSize size : {QSize(372, 471), QSize(900, 650)}) {
            dialog.resize(size);
            QApplication::processEvents();
            layoutcheck::ExpectNothingClipped(dialog);
            layoutcheck::SaveScreenshot(
                dialog, QString("preview-stop-%1x%2").arg(size.width()).arg(size.height()));
        }
        modalanswer::ClickButton(dialog, "Close");
    });
    Find<QPushButton>("PreviewButton")->click();
    EXPECT_TRUE(opened_);
    EXPECT_TRUE(errors_.isEmpty());
}

// With "Skip files that fail and go on", the file that fails is a row with its note, the run
// goes on past it, and "Execute" counts it as an error instead of showing an error box.
TEST_F(PreviewTest, WithFailedFilesSkippedTheRunGoesOnPastThem) {
    ProgramOptions options = windows_->Options().Options();
    options.skipFailedFiles = true;
    windows_->Options().SetOptions(options);
    Find<QCheckBox>("CheckBox19")->setChecked(true);
    Form1().FileSelection()->SetSelectionEntries(
        {FilesDir() + "gone.mp3", FilesDir() + "a.mp3", FilesDir() + "c.mp3"});
    WhenPreviewOpens([&](PreviewDialog& dialog) {
        EXPECT_TRUE(dialog.Stop()->isHidden());
        EXPECT_EQ(dialog.Summary()->text(), "3 files: 1 renamed, 1 without a tag, 1 failed");
        EXPECT_EQ(Rows(dialog).first(), "1 | gone.mp3 | no change | failed: File not found");
        modalanswer::ClickButton(dialog, "Execute");
    });
    Find<QPushButton>("PreviewButton")->click();
    EXPECT_TRUE(opened_);
    EXPECT_TRUE(errors_.isEmpty());
    const QStringList lines = Form1().StatusLines();
    EXPECT_TRUE(lines.contains("Error #1: File not found: " + FilesDir() + "gone.mp3"));
    EXPECT_EQ(lines.last(), "Process Complete! (1 errors)");
    EXPECT_TRUE(QFile::exists(FilesDir() + "Xyz - Tune.mp3"));
}

// A "TAG" page value that is neither asked nor left, and empty, empties the field: a note
// of the row, which is marked.
TEST_F(PreviewTest, EmptiedFieldsAreNotedAndMarked) {
    Form1().Processes()->Tabs()->SetCurrentIndex(int(Process::Tag));
    for (int box = 1; box <= 6; ++box)
        Find<QCheckBox>(QString("CheckBox%1").arg(box))->setChecked(false);
    for (int box = 7; box <= 12; ++box) // leave all but the artist
        Find<QCheckBox>(QString("CheckBox%1").arg(box))->setChecked(box != 8);
    Form1().FileSelection()->SetSelectionEntries({FilesDir() + "a.mp3", FilesDir() + "c.mp3"});
    WhenPreviewOpens([&](PreviewDialog& dialog) {
        EXPECT_EQ(dialog.Summary()->text(),
                  "2 files: 2 tags written, 1 without a tag, 1 with fields emptied");
        const QAbstractItemModel* rows = dialog.Table()->model();
        EXPECT_EQ(rows->index(0, PlanModel::NotesColumn).data().toString(), "Artist emptied");
        EXPECT_TRUE(rows->index(0, PlanModel::NotesColumn).data(Qt::BackgroundRole).isValid());
        modalanswer::ClickButton(dialog, "Close");
    });
    Find<QPushButton>("PreviewButton")->click();
    EXPECT_TRUE(opened_);
}

RawTag Tag(const QByteArray& bytes) {
    RawTag tag;
    std::copy_n(bytes.constData(), kTagSize, tag.data());
    return tag;
}

RunPlan LongPlan() {
    RunPlan plan;
    plan.process = Process::AdjustFileName;
    plan.dryRun = true;
    plan.complete = true;
    for (int k = 1; k <= 30; ++k) {
        PlanItem item;
        item.number = k;
        item.path = QString("/music/folder/track_%1.mp3").arg(k);
        if (k % 3 == 0) {
            item.notes << QString("cannot rename: name taken by entry %1").arg(k - 2);
            item.noteKinds = quint32(PlanNote::NameTaken);
        } else if (k <= 2) {
            item.action = PlanAction::WriteTag;
            if (k == 1)
                item.tagBefore = Tag(MakeTag("Tune", "Xyz", "Live", "1999"));
            item.tagAfter = Tag(MakeTag("Tune", "The Xyz Band", "Live", "2001", "", 17));
        } else {
            item.action = PlanAction::Rename;
            item.newPath = QString("/music/folder/Track %1 of a longer name.mp3").arg(k);
        }
        plan.items << item;
    }
    return plan;
}

TEST(PreviewDialogTest, SortsFiltersAndMarksTheRowsWithNotes) {
    PreviewDialog dialog(LongPlan(), 30);
    QSortFilterProxyModel* rows = dialog.Rows();
    ASSERT_EQ(rows->rowCount(), 30);
    const auto cell = [&](int row, int column, int role = Qt::DisplayRole) {
        return rows->index(row, column).data(role);
    };
    // Marked: a colour and an icon, on the rows with notes only.
    EXPECT_TRUE(cell(2, PlanModel::NotesColumn, Qt::BackgroundRole).isValid());
    EXPECT_FALSE(cell(2, PlanModel::NumberColumn, Qt::DecorationRole).isNull());
    EXPECT_FALSE(cell(0, PlanModel::NotesColumn, Qt::BackgroundRole).isValid());
    EXPECT_TRUE(cell(0, PlanModel::NumberColumn, Qt::DecorationRole).isNull());

    // Numbers sort as numbers: 30 before 9 going down.
    dialog.Table()->sortByColumn(PlanModel::NumberColumn, Qt::DescendingOrder);
    EXPECT_EQ(cell(0, PlanModel::NumberColumn).toString(), "30");
    EXPECT_EQ(cell(21, PlanModel::NumberColumn).toString(), "9");
    dialog.Table()->sortByColumn(PlanModel::NotesColumn, Qt::AscendingOrder);
    EXPECT_EQ(cell(29, PlanModel::NotesColumn).toString(), "cannot rename: name taken by entry 7");

    dialog.NotesOnly()->setChecked(true);
    EXPECT_EQ(rows->rowCount(), 10);
    for (int row = 0; row < rows->rowCount(); ++row)
        EXPECT_TRUE(cell(row, 0, PlanModel::HasNotesRole).toBool());
    dialog.NotesOnly()->setChecked(false);
    EXPECT_EQ(rows->rowCount(), 30);
}

TEST(PreviewDialogTest, NothingIsCutAtTheWindowsSizeAndLarger) {
    PreviewDialog dialog(LongPlan(), 30);
    EXPECT_TRUE(dialog.CloseButton()->isDefault());
    for (const QSize size : {QSize(372, 471), QSize(900, 650)}) {
        dialog.resize(size);
        dialog.show();
        QApplication::processEvents();
        layoutcheck::ExpectNothingClipped(dialog);
        layoutcheck::SaveScreenshot(dialog,
                                    QString("preview-%1x%2").arg(size.width()).arg(size.height()));
    }
    dialog.hide();
}

} // namespace
} // namespace windowtest
