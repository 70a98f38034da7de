#pragma once

#include "batch/BatchHost.h"
#include "batch/BatchOptions.h"
#include "platform/FileAccess.h"
#include "platform/IoError.h"
#include "tag/TagRecord.h"

#include <QStringList>

namespace vantuke {

// What the per-entry steps of a process tell the frame.
enum class StepResult { Next, Stop };

// The state of one run, shared by the frame and the per-entry steps: the entries, the
// options, the host, the error count and the one working tag record.
class BatchRun {
public:
    BatchRun(QStringList& entries, const BatchOptions& options, BatchHost& host)
        : entries_(entries), options_(options), host_(host) {}

    const BatchOptions& Options() const { return options_; }
    BatchHost& Host() { return host_; }
    TTagRecord& Record() { return record_; }
    int ErrorCount() const { return errorCount_; }

    void Log(const QString& line) { host_.LogLine(line); }
    // "Processing file:" directly followed by the path.
    void LogProcessing(const QString& path);
    // "TAG is present? Yes" or "TAG is present? No".
    void LogTagTest(bool present);
    // Counts one error of the run and logs "Error #<count>: <text>".
    void ReportError(const QString& text);
    // Renames the entry's file without ever replacing another file. On success entry i
    // becomes the new path; on failure "Cannot rename file <path>" is counted.
    void RenameEntry(int i, const QString& path, const QString& newPath);
    // ClearReadOnly with the run's "Erase R/O attrib. if possible" option.
    void ClearReadOnly(const QString& path) const;
    // Runs the first tag operation of an entry as if ClearReadOnly had run before it: when
    // the option is on and the file is refused as read-only, the file is made writable and
    // the operation tried once more. The effect is the same, without a second look at every
    // file that is writable anyway.
    template <typename Operation> auto FirstTagOperation(const QString& path, Operation op) {
        try {
            return op();
        } catch (const IoError& error) {
            if (!options_.program.eraseReadOnlyAttr || error.Code() != kAccessDenied ||
                !IsReadOnly(path))
                throw;
        }
        ClearReadOnly(path);
        return op();
    }

private:
    static constexpr int kAccessDenied = 5; // "File access denied"

    QStringList& entries_;
    const BatchOptions& options_;
    BatchHost& host_;
    int errorCount_ = 0;
    TTagRecord record_;
};

// The per-entry steps of each process, for entry i with its path and file number n = i + 1.
StepResult TagToFilenameStep(BatchRun& run, int i, const QString& path);
StepResult ListFilesStep(BatchRun& run, int i, const QString& path);
StepResult FilenameToTagStep(BatchRun& run, int i, const QString& path);
StepResult TagFillStep(BatchRun& run, int i, const QString& path);
StepResult UnTagStep(BatchRun& run, int i, const QString& path);
StepResult AdjustFileNameStep(BatchRun& run, int i, const QString& path);

} // namespace vantuke
