#include "batch/ExecuteBatch.h"
#include "batch/BatchRun.h"
#include "batch/PlanRecorder.h"
#include "batch/TagFill.h"
#include "batch/TagRows.h"
#include "convert/PathNames.h"
#include "platform/IoError.h"

#include <array>

namespace vantuke {

void BatchRun::LogProcessing(const QString& path) {
    static const QString prefix = QStringLiteral("Processing file:");
    line_.resize(0);
    line_.reserve(prefix.size() + path.size());
    line_ += prefix;
    line_ += path;
    ShowInOneLine(line_, prefix.size());
    Log(line_);
}

void BatchRun::LogTagTest(bool present) {
    Log(present ? QStringLiteral("TAG is present? Yes") : QStringLiteral("TAG is present? No"));
}

void BatchRun::LogRenaming(const QString& path, const QString& newPath) {
    static const QString from = QStringLiteral("Renaming from ");
    static const QString to = QStringLiteral(" to ");
    line_.resize(0);
    line_.reserve(from.size() + path.size() + to.size() + newPath.size());
    line_ += from;
    line_ += path;
    line_ += to;
    line_ += newPath;
    ShowInOneLine(line_, from.size());
    Log(line_);
}

void BatchRun::ReportError(const QString& text) {
    ++errorCount_;
    if (recorder_)
        recorder_->CountError();
    host_.LogLineOf(BatchHost::LineKind::Error, QStringLiteral("Error #") +
                                                    QString::number(errorCount_) +
                                                    QStringLiteral(": ") + text);
}

void BatchRun::RenameEntry(int i, const QString& path, const QString& newPath) {
    const bool renamed =
        newPath == path ? files_.Stat(path).has_value() : files_.Rename(path, newPath);
    if (renamed) {
        entries_[i] = newPath;
        return;
    }
    ReportError(QStringLiteral("Cannot rename file ") + ShownInOneLine(path));
    if (recorder_)
        recorder_->RenameFailed(path, newPath);
}

void BatchRun::ClearReadOnly(const QString& path) {
    if (options_.program.eraseReadOnlyAttr)
        files_.ClearReadOnly(path);
}

const TTagRecord& BatchRun::PageValues() {
    if (!pageValues_)
        pageValues_ = ValuesTag(options_.tagFill.values, options_.tagFill.genre,
                                recorder_ ? &pageLosses_ : nullptr);
    return *pageValues_;
}

void BatchRun::NoteLosses(const FieldLosses& losses) {
    if (!recorder_)
        return;
    for (const TagField field : kTextFields) {
        const int row = static_cast<int>(field);
        if (options_.process == Process::Tag && options_.tagFill.leave[row])
            continue;
        const QString name = TagRowName(row);
        if (losses.cut[row] > 0)
            recorder_->Note(PlanNote::FieldCut, QStringLiteral("%1 cut to %2 characters (%3 lost)")
                                                    .arg(name)
                                                    .arg(FieldCapacity(field))
                                                    .arg(losses.cut[row]));
        if (losses.unmapped[row])
            recorder_->Note(PlanNote::NotInCodePage,
                            name +
                                QStringLiteral(": characters outside Windows-1252 become \"?\""));
    }
}

std::unique_ptr<TagFile> BatchRun::OpenForChange(const QString& path) {
    try {
        return files_.Open(path, OpenMode::Change);
    } catch (const IoError& error) {
        if (!options_.program.eraseReadOnlyAttr ||
            error.ErrorKind() != IoError::Kind::AccessDenied || !files_.ClearReadOnly(path))
            throw;
    }
    return files_.Open(path, OpenMode::Change);
}

namespace {

using Step = StepResult (*)(BatchRun&, int, const QString&);

// In the order of the process tabs.
constexpr std::array<Step, kProcessCount> kSteps{TagToFilenameStep, FilenameToTagStep,
                                                 TagFillStep,       UnTagStep,
                                                 ListFilesStep,     AdjustFileNameStep};

} // namespace

std::unique_ptr<FileSystem> RealRunFiles() {
    return std::make_unique<DiskFileSystem>();
}

BatchResult ExecuteBatch(QStringList& entries, const BatchOptions& options, BatchHost& host) {
    const std::unique_ptr<FileSystem> files = RealRunFiles();
    return RunBatchSteps(entries, options, host, *files, nullptr);
}

BatchResult ExecuteBatch(QStringList& entries, const BatchOptions& options, BatchHost& host,
                         FileSystem& files) {
    return RunBatchSteps(entries, options, host, files, nullptr);
}

BatchResult RunBatchSteps(QStringList& entries, const BatchOptions& options, BatchHost& host,
                          FileSystem& files, PlanRecorder* recorder) {
    BatchRun run(entries, options, host, files, recorder);
    BatchResult result;

    if (options.clearStatus) {
        host.ClearLog();
        run.Log(ProcessSelectedLine(options.process));
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
        if (recorder)
            recorder->BeginEntry(i, path);
        const StepResult stepResult = step(run, i, path);
        if (recorder)
            recorder->EndEntry();
        if (stepResult == StepResult::Stop) {
            result.stopped = true;
            break;
        }
        host.SetProgressPosition(i + 1);
    }

    host.SetProgressPosition(0);
    result.errorCount = run.ErrorCount();
    host.LogLineOf(BatchHost::LineKind::Finish, QStringLiteral("Process Complete! (") +
                                                    QString::number(result.errorCount) +
                                                    QStringLiteral(" errors)"));
    return result;
}

} // namespace vantuke
