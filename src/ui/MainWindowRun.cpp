// "EXECUTE!": collecting the options and running the batch from the main window.
#include "batch/ExecuteBatch.h"
#include "batch/RecordBatch.h"
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

namespace vantuke {

BatchOptions TForm1::CollectBatchOptions() const {
    BatchOptions options = BatchOptionsFromSettings(CurrentSettings());
    processes_->CollectRunChoices(options);
    return options;
}

void TForm1::Execute() {
    if (running_)
        return;
    running_ = true;
    {
        InputBlocker blocker(*this);
        RunBatch();
        blocker.Drain();
    }
    running_ = false;
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
            ExecuteBatch(entries, options, host);
        } catch (...) {
            // The lines so far and the files renamed before the failure must show.
            host.Flush();
            files_->SetSelectionEntries(entries);
            throw;
        }
        host.Flush();
        files_->SetSelectionEntries(entries);
        files_->FillFileList();
    });
}

} // namespace vantuke
