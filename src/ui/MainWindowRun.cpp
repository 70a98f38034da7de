// "EXECUTE!": collecting the options and running the batch from the main window; "Preview";
// "Undo last run".
#include "batch/ExecuteBatch.h"
#include "batch/RecordBatch.h"
#include "journal/History.h"
#include "journal/Undo.h"
#include "platform/IoError.h"
#include "selection/BusyScope.h"
#include "settings/options.h"
#include "ui/ErrorGuard.h"
#include "ui/ExecutePage.h"
#include "ui/FileSelectionPage.h"
#include "ui/InputBlocker.h"
#include "ui/MainWindow.h"
#include "ui/PreviewDialog.h"
#include "ui/ProcessPages.h"
#include "ui/TagPage.h"
#include "ui/WindowBatchHost.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

namespace vantuke {

BatchOptions TForm1::CollectBatchOptions() const {
    BatchOptions options = BatchOptionsFromSettings(CurrentSettings());
    processes_->CollectRunChoices(options);
    options.playlists = files_->Selection().Playlists();
    return options;
}

void TForm1::RunBlocked(const std::function<void()>& action) {
    if (running_)
        return;
    running_ = true;
    {
        InputBlocker blocker(*this);
        action();
        blocker.Drain();
    }
    running_ = false;
    UpdateUndoButton();
}

void TForm1::Execute() {
    RunBlocked([this] { RunBatch(); });
}

void TForm1::UpdateUndoButton() {
    execute_->UndoButton()->setEnabled(!running_ && LastUndoableRun(HistoryFolder()).has_value());
}

void TForm1::UndoLastRun() {
    if (running_ || !execute_->UndoButton()->isEnabled())
        return;
    const std::optional<KeptRun> run = LastUndoableRun(HistoryFolder());
    if (!run) {
        UpdateUndoButton();
        return;
    }
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"),
                    QStringLiteral("Undo the last run (%1, %2, %3)?")
                        .arg(run->header.caption, FileCountText(run->files),
                             RunTimeText(run->header.startMsec)),
                    QMessageBox::NoButton, this);
    box.setTextFormat(Qt::PlainText);
    QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    if (box.clickedButton() != yes)
        return;
    RunBlocked([this, &run] {
        WindowBatchHost host(*this, *execute_->StatusBox(), *execute_->Progress(), query_,
                             *processes_->Tag()->PlayMp3Box(), mp3Player_);
        RunGuarded(this, [&] {
            if (execute_->ClearStatusBox()->isChecked())
                host.ClearLog();
            UndoResult result;
            try {
                result = UndoRun(HistoryFolder(), run->id, false,
                                 [&host](const QString& line) { host.LogLine(line); });
            } catch (...) {
                host.Flush();
                throw;
            }
            if (!result.refusal.isEmpty())
                host.LogLine(result.refusal);
            host.Flush();
            // Entries whose files got their old names back show those names again.
            QStringList entries = files_->Selection().Entries();
            RenameBackEntries(entries, result.renamedBack);
            files_->SetSelectionEntries(entries);
            files_->PlaylistsRestored(result.restoredPlaylists);
        });
        RunGuarded(this, [this] { files_->FillFileList(); });
    });
}

void TForm1::Preview() {
    if (running_)
        return;
    RunPlan plan;
    int entryCount = 0;
    const bool planned = RunGuarded(this, [&] {
        const BusyScope busy(this);
        QStringList entries = files_->Selection().Entries();
        entryCount = int(entries.size());
        MutedHost nothingShown;
        try {
            RecordBatch(RunKind::Dry, entries, CollectBatchOptions(), nothingShown, plan);
        } catch (const IoError&) {
            // The plan shows where the run would end, and why.
        }
    });
    if (!planned)
        return;
    PreviewDialog dialog(std::move(plan), entryCount, this);
    if (dialog.exec() == QDialog::Accepted)
        Execute();
}

void TForm1::RunBatch() {
    const BatchOptions options = CollectBatchOptions();
    QStringList entries = files_->Selection().Entries();
    WindowBatchHost host(*this, *execute_->StatusBox(), *execute_->Progress(), query_,
                         *processes_->Tag()->PlayMp3Box(), mp3Player_);
    RunGuarded(this, [&] {
        try {
            files_->KeepPlaylists(ExecuteBatch(entries, options, host).playlists);
        } catch (...) {
            // The lines so far and the files renamed before the failure must show.
            host.Flush();
            files_->SetSelectionEntries(entries);
            throw;
        }
        host.Flush();
        files_->SetSelectionEntries(entries);
    });
    // The file list shows the names and tags the run left, also when an error ended it after
    // some changes were made.
    RunGuarded(this, [this] { files_->FillFileList(); });
}

} // namespace vantuke
