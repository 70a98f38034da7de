#include "batch/ExecuteBatch.h"
#include "batch/BatchRun.h"
#include "platform/FileAccess.h"
#include "tag/TagFile.h"

#include <QFileInfo>
#include <array>

namespace vantuke {

void BatchRun::LogProcessing(const QString& path) {
    Log(QStringLiteral("Processing file:") + path);
}

void BatchRun::LogTagTest(bool present) {
    Log(present ? QStringLiteral("TAG is present? Yes") : QStringLiteral("TAG is present? No"));
}

void BatchRun::ReportError(const QString& text) {
    ++errorCount_;
    Log(QStringLiteral("Error #") + QString::number(errorCount_) + QStringLiteral(": ") + text);
}

namespace {

// Renaming a file to its own name needs no rename, but the file must still be there: a
// vanished entry is an error even when its name would not change.
bool FileIsThere(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

void BatchRun::RenameEntry(int i, const QString& path, const QString& newPath) {
    const bool renamed = newPath == path ? FileIsThere(path) : RenameNoReplace(path, newPath);
    if (renamed)
        entries_[i] = newPath;
    else
        ReportError(QStringLiteral("Cannot rename file ") + path);
}

void BatchRun::ClearReadOnly(const QString& path) const {
    vantuke::ClearReadOnly(path, options_.program.eraseReadOnlyAttr);
}

namespace {

using Step = StepResult (*)(BatchRun&, int, const QString&);

// In the order of the process tabs.
constexpr std::array<Step, kProcessCount> kSteps{TagToFilenameStep, FilenameToTagStep,
                                                 TagFillStep,       UnTagStep,
                                                 ListFilesStep,     AdjustFileNameStep};

} // namespace

BatchResult ExecuteBatch(QStringList& entries, const BatchOptions& options, BatchHost& host) {
    BatchRun run(entries, options, host);
    BatchResult result;

    if (options.clearStatus) {
        host.ClearLog();
        run.Log(QStringLiteral("Process selected: ") + ProcessCaption(options.process));
    }
    if (entries.isEmpty())
        run.ReportError(QStringLiteral("No files to process"));

    const int count = static_cast<int>(entries.size());
    host.SetProgressMaximum(count);
    host.SetProgressPosition(0);

    const Step step = kSteps[static_cast<int>(options.process)];
    for (int i = 0; i < count; ++i) {
        // A copy: a rename replaces the entry's text while the step still needs the old path.
        const QString path = entries.at(i);
        if (step(run, i, path) == StepResult::Stop) {
            result.stopped = true;
            break;
        }
        host.SetProgressPosition(i + 1);
    }

    host.SetProgressPosition(0);
    result.errorCount = run.ErrorCount();
    run.Log(QStringLiteral("Process Complete! (") + QString::number(result.errorCount) +
            QStringLiteral(" errors)"));
    return result;
}

} // namespace vantuke
