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

#include <QList>
#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <utility>

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

void BatchRun::Note(PlanNote kind, const QString& text) {
    if (recorder_)
        recorder_->Note(kind, text);
}

void BatchRun::ClearReadOnly(const QString& path) {
    if (options_.program.eraseReadOnlyAttr)
        files_.ClearReadOnly(path);
}

const TTagRecord& BatchRun::PageValues() {
    if (!pageValues_)
        pageValues_ = ValuesTag(options_.tagFill.values, options_.tagFill.track,
                                options_.tagFill.genre, options_.program.codec,
                                recorder_ ? &pageLosses_ : nullptr);
    return *pageValues_;
}

void BatchRun::NoteLosses(const TTagRecord& record, const FieldLosses& losses) {
    if (!recorder_)
        return;
    for (const TagField field : kTextFields) {
        const int row = static_cast<int>(field);
        const QString name = TagRowName(row);
        const QString page = options_.program.codec.Page().ShownName();
        if (losses.cut[row] > 0)
            recorder_->Note(PlanNote::FieldCut, QStringLiteral("%1 cut to %2 characters (%3 lost)")
                                                    .arg(name)
                                                    .arg(losses.kept[row])
                                                    .arg(losses.cut[row]));
        if (losses.transliterated[row])
            recorder_->Note(
                PlanNote::Transliterated,
                QStringLiteral("%1: characters outside %2 transliterated").arg(name, page));
        if (losses.unmapped[row])
            recorder_->Note(
                PlanNote::NotInCodePage,
                QStringLiteral("%1: characters outside %2 become \"?\"").arg(name, page));
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
constexpr std::array<Step, kProcessCount> kSteps{
    TagToFilenameStep, FilenameToTagStep,  TagFillStep,   UnTagStep,
    ListFilesStep,     AdjustFileNameStep, Id3v2ToTagStep};

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

// Thrown out of a step when a commit in its middle found that a held change did not turn out
// as foreseen: the frame goes back to that change's entry.
struct GoBackTo {
    int entry;
};

// Stands between the run and the real host while changes are held back: lines and the
// progress position wait here until the changes of their entries are made. A question first
// has every held change made and every line shown, as in a run that makes each change at
// once.
class HoldingHost final : public BatchHost {
public:
    explicit HoldingHost(BatchHost& host) : host_(host) {}

    void SetBeforeQuestion(std::function<void()> beforeQuestion) {
        beforeQuestion_ = std::move(beforeQuestion);
    }
    void SetHolding(bool hold) { holding_ = hold; }
    qsizetype HeldLines() const { return ends_.size(); }
    // Shows the first count held lines and drops the others; the progress bar then stands
    // at position.
    void Release(qsizetype count, int position) {
        Show(count);
        position_.reset();
        host_.SetProgressPosition(position);
    }
    // Shows every held line and the last progress position.
    void ReleaseAll() {
        Show(ends_.size());
        if (position_)
            host_.SetProgressPosition(*std::exchange(position_, std::nullopt));
    }

    void LogLine(const QString& line) override { Hold(kPlainLine, line); }
    void LogLineOf(LineKind kind, const QString& line) override { Hold(int(kind), line); }
    void ClearLog() override { host_.ClearLog(); }
    void SetProgressMaximum(int maximum) override { host_.SetProgressMaximum(maximum); }
    void SetProgressPosition(int position) override {
        if (holding_)
            position_ = position;
        else
            host_.SetProgressPosition(position);
    }
    ConfirmAnswer ConfirmTagRemoval(const QString& path) override {
        beforeQuestion_();
        return host_.ConfirmTagRemoval(path);
    }
    QueryResult AskTag(TagQuery& query) override {
        beforeQuestion_();
        return host_.AskTag(query);
    }

private:
    // Shows the first count held lines and forgets all. The lines are kept end to end in one
    // text and shown through one reused line, so that holding costs no memory per line.
    void Show(qsizetype count) {
        qsizetype start = 0;
        for (qsizetype k = 0; k < count; ++k) {
            line_.resize(0);
            line_.append(QStringView(text_).sliced(start, ends_.at(k) - start));
            Pass(kinds_.at(k), line_);
            start = ends_.at(k);
        }
        text_.resize(0);
        ends_.resize(0);
        kinds_.resize(0);
    }

    // A line of a kind (LineKind, or kPlainLine) held or passed on.
    void Hold(int kind, const QString& line) {
        if (!holding_) {
            Pass(kind, line);
            return;
        }
        text_ += line;
        ends_.append(text_.size());
        kinds_.append(qint8(kind));
    }
    void Pass(int kind, const QString& line) {
        if (kind == kPlainLine)
            host_.LogLine(line);
        else
            host_.LogLineOf(LineKind(kind), line);
    }

    static constexpr int kPlainLine = -1;

    BatchHost& host_;
    bool holding_ = false;
    QString text_;
    QList<qsizetype> ends_;
    QList<qint8> kinds_;
    QString line_;
    std::optional<int> position_;
    std::function<void()> beforeQuestion_;
};

// The loop over the entries while the batcher holds changes back. Each entry that starts
// holding leaves a mark (its first held line, the error count and its text before it ran),
// so that the frame can go back to it: the lines before it are shown, the rest dropped, and
// the entries from it on run again, that entry with its changes made at once (so its lines
// are those of what really happened), the ones after it holding back again. A recorded run's
// items wait with the lines.
class HoldingFrame {
public:
    HoldingFrame(BatchRun& run, QStringList& entries, HoldingHost& host, ChangeBatcher& batcher,
                 PlanRecorder* recorder)
        : run_(run), entries_(entries), host_(host), batcher_(batcher), recorder_(recorder) {
        batcher_.SetCommitRequest([this] { CommitMidStep(); });
        host_.SetBeforeQuestion([this] { CommitMidStep(); });
    }
    ~HoldingFrame() {
        batcher_.SetCommitRequest({});
        host_.SetBeforeQuestion({});
    }
    HoldingFrame(const HoldingFrame&) = delete;
    HoldingFrame& operator=(const HoldingFrame&) = delete;

    // Runs every entry; true when a step stopped the run.
    bool Run(Step step, int count) {
        bool stopped = false;
        int i = 0;
        for (;;) {
            while (i < count && !stopped) {
                if (batcher_.WantsCommit()) {
                    if (const std::optional<int> cut = CommitHeld()) {
                        i = GoBack(*cut);
                        continue;
                    }
                }
                StartEntry(i);
                // A copy: a rename replaces the entry's text while the step still needs the
                // old path.
                const QString path = entries_.at(i);
                if (recorder_)
                    recorder_->BeginEntry(i, path);
                StepResult result;
                try {
                    result = RunEntry(run_, step, i, path);
                } catch (const GoBackTo& back) {
                    i = GoBack(back.entry);
                    continue;
                } catch (const IoError&) {
                    if (failed_)
                        throw;
                    // The run ends here, as it would have at once: the changes before are
                    // made first and their lines shown, this entry's lines so far with them.
                    if (const std::optional<int> cut = CommitHeld()) {
                        i = GoBack(*cut);
                        continue;
                    }
                    Hold(false);
                    throw;
                }
                if (recorder_)
                    recorder_->EndEntry();
                if (result == StepResult::Stop) {
                    stopped = true;
                    break;
                }
                host_.SetProgressPosition(i + 1);
                // Lines of entries that hold no change back need not wait.
                if (!batcher_.HoldsChanges())
                    ReleaseAll();
                ++i;
            }
            if (const std::optional<int> cut = CommitHeld()) {
                i = GoBack(*cut);
                stopped = false;
                continue;
            }
            Hold(false);
            return stopped;
        }
    }

private:
    struct Mark {
        int entry;
        qsizetype lines;
        int errors;
        QString text;
    };

    void Hold(bool hold) {
        host_.SetHolding(hold);
        batcher_.SetHolding(hold);
        if (recorder_)
            recorder_->SetHolding(hold);
    }

    void ReleaseAll() {
        host_.ReleaseAll();
        if (recorder_)
            recorder_->ReleaseHeld();
        marks_.clear();
    }

    void StartEntry(int i) {
        const bool hold = i > immediateThrough_;
        Hold(hold);
        if (hold)
            marks_.append(Mark{i, host_.HeldLines(), run_.ErrorCount(), entries_.at(i)});
        batcher_.BeginEntry(i);
    }

    // Has the batcher make what it holds. All made: every held line is shown. A change that
    // did not turn out as foreseen: its entry is returned, and the caller goes back to it.
    std::optional<int> CommitHeld() {
        std::optional<int> cut;
        try {
            cut = batcher_.Commit();
        } catch (const IoError&) {
            // None of the held changes was made: their entries' lines go, and their entries
            // get their texts of before back.
            failed_ = true;
            if (!marks_.isEmpty()) {
                const int entry = marks_.first().entry;
                host_.Release(marks_.first().lines, entry);
                Restore(0, entry);
            }
            Hold(false);
            throw;
        }
        if (!cut)
            ReleaseAll();
        return cut;
    }

    // Puts the error count and the entries' texts back as they were when the entry of the
    // mark at index from started, and forgets the marks; the recorder passes on the items of
    // the entries before entry and drops the others.
    void Restore(qsizetype from, int entry) {
        run_.ResetErrorCount(marks_.at(from).errors);
        for (qsizetype k = from; k < marks_.size(); ++k)
            entries_[marks_.at(k).entry] = marks_.at(k).text;
        marks_.clear();
        if (recorder_)
            recorder_->GoBack(entry, run_.ErrorCount());
    }

    int GoBack(int entry) {
        qsizetype from = 0;
        while (from + 1 < marks_.size() && marks_.at(from).entry < entry)
            ++from;
        if (!marks_.isEmpty()) {
            host_.Release(marks_.at(from).lines, entry);
            Restore(from, entry);
        } else if (recorder_) {
            recorder_->GoBack(entry, run_.ErrorCount());
        }
        immediateThrough_ = std::max(immediateThrough_, entry);
        return entry;
    }

    void CommitMidStep() {
        if (const std::optional<int> cut = CommitHeld())
            throw GoBackTo{*cut};
        // Everything so far is made and shown, this entry's lines included: the rest of
        // this entry makes its changes at once.
        Hold(false);
    }

    BatchRun& run_;
    QStringList& entries_;
    HoldingHost& host_;
    ChangeBatcher& batcher_;
    PlanRecorder* recorder_;
    QList<Mark> marks_;
    // Entries up to this one make their changes at once (one of theirs did not turn out as
    // foreseen).
    int immediateThrough_ = -1;
    // The batcher could not record its changes: the run ends with that error.
    bool failed_ = false;
};

} // namespace

BatchResult RunBatchSteps(QStringList& entries, const BatchOptions& options, BatchHost& host,
                          FileSystem& files, PlanRecorder* recorder, ChangeBatcher* batcher,
                          PlaylistWriter* playlists) {
    std::optional<HoldingHost> holding;
    if (batcher)
        holding.emplace(host);
    BatchHost& out = holding ? static_cast<BatchHost&>(*holding) : host;
    BatchRun run(entries, options, out, files, recorder);
    BatchResult result;

    if (options.clearStatus) {
        out.ClearLog();
        run.Log(ProcessSelectedLine(options.process));
    }
    if (entries.isEmpty())
        run.ReportError(QStringLiteral("No files to process"));

    const int count = static_cast<int>(entries.size());
    out.SetProgressMaximum(count);
    out.SetProgressPosition(0);

    const Step step = kSteps[static_cast<int>(options.process)];
    if (batcher) {
        HoldingFrame frame(run, entries, *holding, *batcher, recorder);
        result.stopped = frame.Run(step, count);
    } else {
        for (int i = 0; i < count; ++i) {
            // A copy: a rename replaces the entry's text while the step still needs the old
            // path.
            const QString path = entries.at(i);
            if (recorder)
                recorder->BeginEntry(i, path);
            const StepResult stepResult = RunEntry(run, step, i, path);
            if (recorder)
                recorder->EndEntry();
            if (stepResult == StepResult::Stop) {
                result.stopped = true;
                break;
            }
            host.SetProgressPosition(i + 1);
        }
    }

    DiskPlaylists disk;
    result.playlists = UpdatePlaylists(run, playlists ? *playlists : disk);

    out.SetProgressPosition(0);
    result.errorCount = run.ErrorCount();
    out.LogLineOf(BatchHost::LineKind::Finish, QStringLiteral("Process Complete! (") +
                                                   QString::number(result.errorCount) +
                                                   QStringLiteral(" errors)"));
    return result;
}

BatchResult ExecuteBatch(QStringList& entries, const BatchOptions& options, BatchHost& host) {
    return ExecuteWithHistory(entries, options, host, HistoryFolder());
}

BatchResult ExecuteBatch(QStringList& entries, const BatchOptions& options, BatchHost& host,
                         FileSystem& files) {
    return RunBatchSteps(entries, options, host, files, nullptr, nullptr);
}

BatchResult ExecuteBatch(QStringList& entries, const BatchOptions& options, BatchHost& host,
                         FileSystem& files, ChangeBatcher& batcher) {
    return RunBatchSteps(entries, options, host, files, nullptr, &batcher);
}

BatchResult ExecuteWithHistory(QStringList& entries, const BatchOptions& options, BatchHost& host,
                               const QString& historyFolder) {
    RealRun real(options, int(entries.size()), historyFolder);
    return RunBatchSteps(entries, options, host, real.Files(), nullptr, real.Batcher(),
                         &real.Playlists());
}

BatchResult ExecuteWithHistory(QStringList& entries, const BatchOptions& options, BatchHost& host,
                               const QString& historyFolder, FileSystem& files, HoldLimits limits) {
    RealRun real(options, int(entries.size()), historyFolder, &files, limits);
    return RunBatchSteps(entries, options, host, real.Files(), nullptr, real.Batcher(),
                         &real.Playlists());
}

} // namespace vantuke
