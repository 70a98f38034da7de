#pragma once

#include "batch/BatchHost.h"
#include "batch/BatchOptions.h"
#include "batch/ExecuteBatch.h"
#include "batch/RunFiles.h"
#include "batch/RunPlan.h"
#include "tag/FileSystem.h"
#include "tag/TagRecord.h"

#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace vantuke {

class PlanRecorder;
class PlaylistWriter;

// What the per-entry steps of a process tell the frame.
enum class StepResult { Next, Stop };

// The state of one run, shared by the frame and the per-entry steps: the entries, the
// options, the host, the files, the error count and the one working tag record. The steps
// reach the files only through Files() and the helpers here. A recorded run also has a
// recorder, which Files() is then, and the steps add their notes to it; without one the
// note helpers do nothing and cost a test each.
class BatchRun {
public:
    BatchRun(QStringList& entries, const BatchOptions& options, PlanRecorder* recorder = nullptr)
        : entries_(entries), options_(options), recorder_(recorder),
          entriesAtStart_(options.playlists.isEmpty() ? QStringList() : entries) {}

    // The host and the files the steps use from now on (through the recorder, when there is
    // one): the frame plans a chunk with its own, and runs an entry at once with the run's.
    void Use(BatchHost& host, FileSystem& files);

    const BatchOptions& Options() const { return options_; }
    int EntryCount() const { return int(entries_.size()); }
    BatchHost& Host() { return *host_; }
    FileSystem& Files() { return *files_; }
    // The recorder of a recorded run; null otherwise.
    PlanRecorder* Recorder() { return recorder_; }
    const QStringList& Entries() const { return entries_; }
    // The entries as the run started, kept when the run has playlists to update: an entry
    // whose text differs now was renamed.
    const QStringList& EntriesAtStart() const { return entriesAtStart_; }
    TTagRecord& Record() { return record_; }
    // The values of the "TAG" page as tag bytes, made once per run.
    const TTagRecord& PageValues();
    // What the page values lost on their way into tag bytes (recorded runs only).
    const FieldLosses& PageLosses() {
        PageValues();
        return pageLosses_;
    }
    // Room for a status line built entry by entry, reused so that a long run does not
    // allocate a line per entry.
    QString& LineBuffer() { return line_; }
    // Room for a new name built entry by entry, reused the same way.
    QString& NameBuffer() { return name_; }
    int ErrorCount() const { return errorCount_; }
    // Puts the error count back to an earlier value, when the frame runs entries again.
    void ResetErrorCount(int count) { errorCount_ = count; }

    // Appends a status line. Paths and tag values in it must have gone through
    // ShownInOneLine, as the helpers below do.
    void Log(const QString& line) { host_->LogLine(line); }
    // "Processing file:" directly followed by the path.
    void LogProcessing(const QString& path);
    // "TAG is present? Yes" or "TAG is present? No".
    void LogTagTest(bool present);
    // "Renaming from <path> to <new path>".
    void LogRenaming(const QString& path, const QString& newPath);
    // Counts one error of the run and logs "Error #<count>: <text>".
    void ReportError(const QString& text);
    // Renames the entry's file without ever replacing another file. On success entry i
    // becomes the new path; on failure "Cannot rename file <path>" is counted. The file's
    // own path needs no rename, only a file that is still there.
    void RenameEntry(int i, const QString& path, const QString& newPath);
    // A note of the entry in a recorded run; nothing without a recorder.
    void Note(PlanNote kind, const QString& text);
    // Clears the read-only mode when "Erase R/O attrib. if possible" is on.
    void ClearReadOnly(const QString& path);
    // Opens the entry's file for a change (locked until closed). A read-only file is refused
    // with "File access denied", unless "Erase R/O attrib. if possible" is on: then its
    // mode is cleared and it is opened again. The effect is that of clearing the mode before
    // the first tag operation, without a look at every file that is writable anyway.
    std::unique_ptr<TagFile> OpenForChange(const QString& path);

    // A recorded run's room for what the texts stored into a tag lose, emptied; null when
    // the run is not recorded, so that the conversions skip the check.
    FieldLosses* Losses() {
        if (!recorder_)
            return nullptr;
        losses_ = {};
        return &losses_;
    }
    // Notes each loss of the record about to be written.
    void NoteLosses(const FieldLosses& losses);
    // Writes the record as the file's tag and closes the file, then notes what its texts lost
    // (losses as Losses gave them, or none).
    void WriteTagAndClose(TagFile& file, const TTagRecord& record, const FieldLosses* losses) {
        file.WriteTag(record);
        file.Close();
        if (losses)
            NoteLosses(*losses);
    }

private:
    QStringList& entries_;
    const BatchOptions& options_;
    PlanRecorder* recorder_;
    BatchHost* host_ = nullptr;
    FileSystem* files_ = nullptr;
    const QStringList entriesAtStart_;
    int errorCount_ = 0;
    TTagRecord record_;
    std::optional<TTagRecord> pageValues_;
    FieldLosses pageLosses_;
    FieldLosses losses_;
    QString line_;
    QString name_;
};

// The frame of every run: the loop over the entries on the given files (see RunFiles). With
// a recorder each entry is recorded, and its item goes to itemDone. In a dry run, answers
// answers the questions the entries ask.
BatchResult RunBatchSteps(QStringList& entries, const BatchOptions& options, BatchHost& host,
                          const RunFiles& files, PlanRecorder* recorder = nullptr,
                          const std::function<void(const PlanItem&)>& itemDone = {},
                          BatchHost* answers = nullptr);

// The per-entry steps of each process, for entry i with its path and file number n = i + 1.
StepResult TagToFilenameStep(BatchRun& run, int i, const QString& path);
StepResult ListFilesStep(BatchRun& run, int i, const QString& path);
StepResult FilenameToTagStep(BatchRun& run, int i, const QString& path);
StepResult TagFillStep(BatchRun& run, int i, const QString& path);
StepResult UnTagStep(BatchRun& run, int i, const QString& path);
StepResult AdjustFileNameStep(BatchRun& run, int i, const QString& path);
StepResult Id3v2ToTagStep(BatchRun& run, int i, const QString& path);

} // namespace vantuke
