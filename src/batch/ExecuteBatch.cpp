#include "batch/ExecuteBatch.h"
#include "batch/BatchRun.h"
#include "batch/PlanRecorder.h"
#include "batch/PlaylistUpdate.h"
#include "batch/RealRun.h"
#include "batch/TagFill.h"
#include "batch/TagRows.h"
#include "convert/PathNames.h"
#include "journal/History.h"
#include "platform/IoError.h"
#include "tag/AudioCheck.h"
#include "tag/Id3v2Tag.h"

#include <QElapsedTimer>
#include <QList>
#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace vantuke {

void BatchRun::Use(BatchHost& host, FileSystem& files) {
    host_ = &host;
    if (recorder_) {
        recorder_->SetFiles(files);
        files_ = recorder_;
    } else {
        files_ = &files;
    }
}

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
    host_->LogLineOf(BatchHost::LineKind::Error, QStringLiteral("Error #") +
                                                     QString::number(errorCount_) +
                                                     QStringLiteral(": ") + text);
}

void BatchRun::RenameEntry(int i, const QString& path, const QString& newPath) {
    const bool renamed =
        newPath == path ? files_->Stat(path).has_value() : files_->Rename(path, newPath);
    if (renamed) {
        entries_[i] = newPath;
        return;
    }
    ReportError(QStringLiteral("Cannot rename file ") + ShownInOneLine(path));
    if (recorder_)
        recorder_->RenameFailed(path, newPath);
}

void BatchRun::Note(PlanNote kind, const QString& text) {
    if (recorder_)
        recorder_->Note(kind, text);
}

void BatchRun::ClearReadOnly(const QString& path) {
    if (options_.program.eraseReadOnlyAttr)
        files_->ClearReadOnly(path);
}

const TTagRecord& BatchRun::PageValues() {
    if (!pageValues_)
        pageValues_ =
            ValuesTag(options_.tagFill.values, options_.tagFill.track, options_.tagFill.genre,
                      options_.program.codec, recorder_ ? &pageLosses_ : nullptr);
    return *pageValues_;
}

void BatchRun::NoteLosses(const FieldLosses& losses) {
    if (!recorder_)
        return;
    const QString page = options_.program.codec.Page().ShownName();
    for (int row = 0; row < kTextFieldCount; ++row) {
        for (const LossNote& note : LossNotes(losses, row, page))
            recorder_->Note(note.kind, note.text);
    }
    if (losses.notATrack)
        recorder_->Note(PlanNote::NotATrack,
                        QStringLiteral("Track: \"%1\" in the name is no track from 1 to %2; none "
                                       "taken")
                            .arg(ShownInOneLine(*losses.notATrack))
                            .arg(kMaxTrack));
}

std::unique_ptr<TagFile> BatchRun::OpenForChange(const QString& path) {
    try {
        return files_->Open(path, OpenMode::Change);
    } catch (const IoError& error) {
        if (!options_.program.eraseReadOnlyAttr ||
            error.ErrorKind() != IoError::Kind::AccessDenied || !files_->ClearReadOnly(path))
            throw;
    }
    return files_->Open(path, OpenMode::Change);
}

namespace {

using Step = StepResult (*)(BatchRun&, int, const QString&);

// In the order of the process tabs.
constexpr std::array<Step, kProcessCount> kSteps{
    TagToFilenameStep, FilenameToTagStep,  TagFillStep,   UnTagStep,
    ListFilesStep,     AdjustFileNameStep, Id3v2ToTagStep};
// How each process's steps open an entry's file, and how many of its first bytes they read,
// in the same order; "Adjust FileName" opens none.
struct EntryOpen {
    OpenMode mode;
    qint64 head = 0;
};
constexpr std::array<std::optional<EntryOpen>, kProcessCount> kEntryOpens{
    EntryOpen{OpenMode::Change},
    EntryOpen{OpenMode::Change},
    EntryOpen{OpenMode::Change},
    EntryOpen{OpenMode::Change},
    EntryOpen{OpenMode::Read},
    std::nullopt,
    EntryOpen{OpenMode::Change, kId3v2HeaderSize}};

// Runs entry i's step; every loop of the frame goes through here. A process that changes
// files refuses one that is no MP3 file: a counted error, and the run goes on. With "Skip
// files that fail and go on", an I/O error on the entry's file is counted as well and the
// run goes on, the file left as the failed operation left it; an error of another file (the
// undo history's) still ends the run.
StepResult RunEntry(BatchRun& run, Step step, int i, const QString& path) {
    if (run.Options().process != Process::ListFiles && !IsMp3File(path, run.Files())) {
        run.ReportError(QStringLiteral("Not an MP3 file ") + ShownInOneLine(path));
        run.Note(PlanNote::NotMp3, QStringLiteral("not an MP3 file"));
        return StepResult::Next;
    }
    if (!run.Options().program.skipFailedFiles)
        return step(run, i, path);
    try {
        return step(run, i, path);
    } catch (const IoError& error) {
        if (error.Path() != path)
            throw;
        run.ReportError(error.Text() + QStringLiteral(": ") + ShownInOneLine(path));
        run.Note(PlanNote::Failed, QStringLiteral("failed: ") + error.Text());
        return StepResult::Next;
    }
}

// The host of the steps while a chunk is planned: their lines wait here, end to end in one
// text, until the chunk is shown. No question is asked while a chunk is planned: the entry
// that asks one runs at once after the chunk (Asked says so), unless answers are given (a
// dry run answers its questions itself).
class ChunkHost final : public BatchHost {
public:
    explicit ChunkHost(BatchHost* answers) : answers_(answers) {}

    void BeginEntry() { asked_ = false; }
    // True when the entry since BeginEntry asked a question.
    bool Asked() const { return asked_; }
    // The number of lines so far.
    qsizetype Lines() const { return ends_.size(); }
    // Shows the lines from first to end on host.
    void Show(BatchHost& host, qsizetype first, qsizetype end) {
        qsizetype start = first == 0 ? 0 : ends_.at(first - 1);
        for (qsizetype k = first; k < end; ++k) {
            line_.resize(0);
            line_.append(QStringView(text_).sliced(start, ends_.at(k) - start));
            if (kinds_.at(k) == kPlainLine)
                host.LogLine(line_);
            else
                host.LogLineOf(LineKind(kinds_.at(k)), line_);
            start = ends_.at(k);
        }
    }
    // Forgets the lines from first on.
    void DropFrom(qsizetype first) {
        text_.truncate(first == 0 ? 0 : ends_.at(first - 1));
        ends_.resize(first);
        kinds_.resize(first);
    }

    void LogLine(const QString& line) override { Hold(kPlainLine, line); }
    void LogLineOf(LineKind kind, const QString& line) override { Hold(int(kind), line); }
    // Only the frame clears the log and moves the progress bar.
    void ClearLog() override {}
    void SetProgressMaximum(int) override {}
    void SetProgressPosition(int) override {}
    ConfirmAnswer ConfirmTagRemoval(const QString& path) override {
        if (answers_)
            return answers_->ConfirmTagRemoval(path);
        asked_ = true;
        return ConfirmAnswer::Cancel;
    }
    QueryResult AskTag(TagQuery& query) override {
        if (answers_)
            return answers_->AskTag(query);
        asked_ = true;
        return QueryResult::Abort;
    }

private:
    static constexpr int kPlainLine = -1;

    void Hold(int kind, const QString& line) {
        text_ += line;
        ends_.append(text_.size());
        kinds_.append(qint8(kind));
    }

    BatchHost* answers_;
    bool asked_ = false;
    QString text_;
    QList<qsizetype> ends_;
    QList<qint8> kinds_; // LineKind, or kPlainLine
    QString line_;
};

// The loop over a run's entries, read from Run() down. A run that makes its changes at once
// runs one entry after another. A run that plans goes chunk by chunk: it plans a chunk of
// entries on its model (their lines, items and changes), records the chunk in its journal,
// makes its changes, and shows it; a dry run does the same without recording and making.
class Frame {
public:
    Frame(QStringList& entries, const BatchOptions& options, BatchHost& host, const RunFiles& files,
          PlanRecorder* recorder, const std::function<void(const PlanItem&)>& itemDone,
          BatchHost* answers)
        : entries_(entries), options_(options), host_(host), files_(files), recorder_(recorder),
          itemDone_(itemDone), run_(entries, options, recorder), chunkHost_(answers),
          step_(kSteps[static_cast<int>(options.process)]), count_(int(entries.size())) {}

    BatchResult Run() {
        Start();
        bool stopped = false;
        int i = 0;
        while (i < count_ && !stopped) {
            if (!files_.planning) {
                stopped = RunAtOnce(i++) == StepResult::Stop;
                continue;
            }
            // 1. Plan a chunk of entries from i on.
            PlanChunk(i);
            // 2. Record it and 3. make it, up to the entry of a change that does not turn out
            // as planned.
            const int made = files_.journal ? RecordAndMake() : end_;
            // 4. Show the entries whose changes were made.
            Show(made);
            if (made < end_) {
                // The rest of the chunk runs again from that entry, each change made at once.
                const int end = end_;
                Drop(made);
                EndChunk();
                for (i = made; i < end && !stopped; ++i)
                    stopped = RunAtOnce(i) == StepResult::Stop;
                continue;
            }
            const std::optional<IoError> error = error_;
            stopped = stopped_;
            i = end_;
            EndChunk();
            if (error)
                throw *error;
            // An entry that cannot be made from a plan ended the chunk before it.
            if (runsAtOnce_ && !stopped)
                stopped = RunAtOnce(i++) == StepResult::Stop;
        }
        return Finish(stopped);
    }

private:
    // Where an entry of the chunk starts, and the run as it was before it.
    struct EntryMark {
        qsizetype lines = 0;     // its first line in chunkHost_
        std::size_t changes = 0; // its first planned change
        int errors = 0;          // the error count before it
        QString text;            // its entry's text before it (a rename changes it)
        bool stepped = false;    // it ended normally: the progress bar steps past it
    };

    void Start() {
        run_.Use(host_, files_.atOnce ? *files_.atOnce : *files_.planning);
        if (options_.clearStatus) {
            host_.ClearLog();
            run_.Log(ProcessSelectedLine(options_.process));
        }
        if (count_ == 0)
            run_.ReportError(QStringLiteral("No files to process"));
        host_.SetProgressMaximum(count_);
        host_.SetProgressPosition(0);
        // The entries open their files on the plan when there is one, else at once.
        if (const std::optional<EntryOpen> opens = kEntryOpens[static_cast<int>(options_.process)])
            (files_.planning ? *files_.planning : *files_.atOnce)
                .WillOpen(entries_, opens->mode, opens->head);
    }

    // Updates the playlists that list renamed files (on the run's files: a dry run's on its
    // model) and writes the finish line.
    BatchResult Finish(bool stopped) {
        run_.Use(host_, files_.atOnce ? *files_.atOnce : *files_.planning);
        DiskPlaylists disk;
        BatchResult result;
        result.stopped = stopped;
        result.playlists = UpdatePlaylists(run_, files_.playlists ? *files_.playlists : disk);
        host_.SetProgressPosition(0);
        result.errorCount = run_.ErrorCount();
        host_.LogLineOf(BatchHost::LineKind::Finish, QStringLiteral("Process Complete! (") +
                                                         QString::number(result.errorCount) +
                                                         QStringLiteral(" errors)"));
        return result;
    }

    // Begins entry i in the recorder and runs its step.
    StepResult StepEntry(int i) {
        // A copy: a rename replaces the entry's text while the step still needs the old path.
        const QString path = entries_.at(i);
        if (recorder_)
            recorder_->BeginEntry(i, path);
        return RunEntry(run_, step_, i, path);
    }

    // Runs entry i with each change made at once (and, with the history, recorded and
    // flushed on its own before), its lines shown as they come.
    StepResult RunAtOnce(int i) {
        run_.Use(host_, *files_.atOnce);
        if (files_.journal)
            files_.journal->BeginEntry();
        StepResult result;
        try {
            result = StepEntry(i);
        } catch (const IoError&) {
            if (recorder_)
                itemDone_(recorder_->EndEntry());
            throw;
        }
        if (recorder_) {
            itemDone_(recorder_->EndEntry());
            recorder_->KeepAll();
        }
        if (result == StepResult::Next)
            host_.SetProgressPosition(i + 1);
        return result;
    }

    // Plans the entries from first on until the chunk is full, an entry cannot be made from
    // a plan (runsAtOnce_: the chunk ends before it), a step stops the run (stopped_) or an
    // I/O error ends it (error_: its entry is the chunk's last, with what it planned so far).
    void PlanChunk(int first) {
        PlanningFileSystem& planning = *files_.planning;
        first_ = end_ = first;
        error_.reset();
        stopped_ = runsAtOnce_ = false;
        run_.Use(chunkHost_, planning);
        QElapsedTimer started;
        started.start();
        for (int i = first; i < count_; ++i) {
            marks_.push_back(EntryMark{chunkHost_.Lines(), planning.Planned().size(),
                                       run_.ErrorCount(), entries_.at(i)});
            planning.BeginEntry();
            chunkHost_.BeginEntry();
            StepResult result;
            try {
                result = StepEntry(i);
            } catch (const IoError& error) {
                error_ = error;
                if (recorder_)
                    items_.append(recorder_->EndEntry());
                end_ = i + 1;
                return;
            }
            if (chunkHost_.Asked() || planning.EntryRunsAtOnce()) {
                end_ = i + 1;
                Drop(i);
                runsAtOnce_ = true;
                return;
            }
            if (recorder_)
                items_.append(recorder_->EndEntry());
            marks_.back().stepped = result == StepResult::Next;
            end_ = i + 1;
            if (result == StepResult::Stop) {
                stopped_ = true;
                return;
            }
            if (qsizetype(planning.Planned().size()) >= files_.limits.changes ||
                end_ - first_ >= files_.limits.entries || started.hasExpired(files_.limits.msec))
                return;
        }
    }

    // Records the chunk's changes with one flush, then makes them in order (tag changes of
    // different files together, where the disk says so). Returns the entry of the first change
    // that did not turn out as planned (the changes from it on are left unmade), or the end of
    // the chunk when all did.
    int RecordAndMake() {
        std::vector<PlannedChange>& planned = files_.planning->Planned();
        if (planned.empty())
            return end_;
        try {
            files_.journal->Record(planned);
        } catch (const IoError&) {
            // Nothing may be made without its record: the entries before the first change
            // are shown, the rest is dropped, and the run ends with the error.
            const int shown = EntryOfChange(0);
            Show(shown);
            Drop(shown);
            EndChunk();
            throw;
        }
        const MadeChanges made = MakePlannedChanges(planned, *files_.disk);
        files_.journal->Made(qsizetype(made.count));
        if (made.notPutBack) {
            // A change made past the failed one stays on disk, recorded: the run ends with the
            // error, and its undo puts the file back.
            const int shown = EntryOfChange(made.count);
            Show(shown);
            Drop(shown);
            EndChunk();
            throw *made.notPutBack;
        }
        return made.count < planned.size() ? EntryOfChange(made.count) : end_;
    }

    // The entry that planned change c.
    int EntryOfChange(std::size_t c) const {
        const auto after = std::upper_bound(
            marks_.cbegin(), marks_.cend(), c,
            [](std::size_t change, const EntryMark& mark) { return change < mark.changes; });
        return first_ + int(after - marks_.cbegin()) - 1;
    }

    // Shows the lines, items and progress of the chunk's entries before end.
    void Show(int end) {
        for (int i = first_; i < end; ++i) {
            const EntryMark& mark = marks_[std::size_t(i - first_)];
            const qsizetype lineEnd =
                i + 1 < end_ ? marks_[std::size_t(i + 1 - first_)].lines : chunkHost_.Lines();
            chunkHost_.Show(host_, mark.lines, lineEnd);
            if (recorder_)
                itemDone_(items_.at(i - first_));
            if (mark.stepped)
                host_.SetProgressPosition(i + 1);
        }
    }

    // Drops what the chunk planned from entry from on: its lines, items and changes go, and
    // the run is again as it was before that entry (the entries' texts, the error count and
    // the names the recorder follows).
    void Drop(int from) {
        const EntryMark& mark = marks_[std::size_t(from - first_)];
        for (int i = from; i < end_; ++i)
            entries_[i] = marks_[std::size_t(i - first_)].text;
        run_.ResetErrorCount(mark.errors);
        if (recorder_) {
            recorder_->ForgetFrom(from + 1, mark.errors);
            items_.resize(std::min<qsizetype>(items_.size(), from - first_));
        }
        chunkHost_.DropFrom(mark.lines);
        std::vector<PlannedChange>& planned = files_.planning->Planned();
        planned.erase(planned.begin() + std::ptrdiff_t(mark.changes), planned.end());
        marks_.resize(std::size_t(from - first_));
        end_ = from;
    }

    // The chunk is done: a real run's model starts afresh from the disk, its files closed.
    void EndChunk() {
        chunkHost_.DropFrom(0);
        items_.clear();
        marks_.clear();
        if (recorder_)
            recorder_->KeepAll();
        if (files_.journal)
            files_.planning->Clear();
    }

    QStringList& entries_;
    const BatchOptions& options_;
    BatchHost& host_;
    const RunFiles& files_;
    PlanRecorder* recorder_;
    const std::function<void(const PlanItem&)>& itemDone_;
    BatchRun run_;
    ChunkHost chunkHost_;
    const Step step_;
    const int count_;

    // The chunk being planned: entries first_ to end_ (not included).
    int first_ = 0;
    int end_ = 0;
    std::vector<EntryMark> marks_;
    QList<PlanItem> items_;
    std::optional<IoError> error_;
    bool stopped_ = false;
    bool runsAtOnce_ = false;
};

} // namespace

BatchResult RunBatchSteps(QStringList& entries, const BatchOptions& options, BatchHost& host,
                          const RunFiles& files, PlanRecorder* recorder,
                          const std::function<void(const PlanItem&)>& itemDone,
                          BatchHost* answers) {
    return Frame(entries, options, host, files, recorder, itemDone, answers).Run();
}

BatchResult ExecuteBatch(QStringList& entries, const BatchOptions& options, BatchHost& host) {
    return ExecuteWithHistory(entries, options, host, HistoryFolder());
}

BatchResult ExecuteBatch(QStringList& entries, const BatchOptions& options, BatchHost& host,
                         FileSystem& files) {
    RunFiles atOnce;
    atOnce.atOnce = &files;
    return RunBatchSteps(entries, options, host, atOnce);
}

BatchResult ExecuteWithHistory(QStringList& entries, const BatchOptions& options, BatchHost& host,
                               const QString& historyFolder) {
    RealRun real(options, int(entries.size()), historyFolder);
    return RunBatchSteps(entries, options, host, real.Files());
}

BatchResult ExecuteWithHistory(QStringList& entries, const BatchOptions& options, BatchHost& host,
                               const QString& historyFolder, FileSystem& files,
                               ChunkLimits limits) {
    RealRun real(options, int(entries.size()), historyFolder, &files, limits);
    return RunBatchSteps(entries, options, host, real.Files());
}

} // namespace vantuke
