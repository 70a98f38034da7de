#include "batch/RecordBatch.h"

#include "batch/BatchRun.h"
#include "batch/RealRun.h"
#include "batch/TagRows.h"
#include "journal/History.h"
#include "tag/PlanningFileSystem.h"

#include <optional>

namespace vantuke {

namespace {

// A dry run's host: the lines and the progress go to the caller's host; the questions are
// answered here, without asking, and noted.
class DryRunHost final : public BatchHost {
public:
    DryRunHost(BatchHost& host, PlanRecorder& recorder) : host_(host), recorder_(recorder) {}

    void LogLine(const QString& line) override { host_.LogLine(line); }
    void LogLineOf(LineKind kind, const QString& line) override { host_.LogLineOf(kind, line); }
    void ClearLog() override { host_.ClearLog(); }
    void SetProgressMaximum(int maximum) override { host_.SetProgressMaximum(maximum); }
    void SetProgressPosition(int position) override { host_.SetProgressPosition(position); }

    ConfirmAnswer ConfirmTagRemoval(const QString&) override {
        recorder_.Note(PlanNote::AskedAtRunTime, QStringLiteral("asked at run time"));
        return ConfirmAnswer::Yes;
    }
    QueryResult AskTag(TagQuery& query) override {
        QStringList fields;
        for (int row = 0; row < kTagFillRows; ++row) {
            if (query.enabled[row])
                fields << TagRowName(row);
        }
        recorder_.Note(PlanNote::AskedAtRunTime,
                       QStringLiteral("asked at run time: ") + fields.join(QStringLiteral(", ")));
        return QueryResult::Ok;
    }

private:
    BatchHost& host_;
    PlanRecorder& recorder_;
};

} // namespace

BatchResult RecordBatch(RunKind kind, QStringList& entries, const BatchOptions& options,
                        BatchHost& host, RunPlan& plan, const PlanRecorder::EntryDone& entryDone) {
    plan = RunPlan();
    plan.process = options.process;
    plan.dryRun = kind == RunKind::Dry;
    plan.codec = options.program.codec;
    std::optional<PlanningFileSystem> planning;
    std::optional<RealRun> real;
    if (kind == RunKind::Dry)
        planning.emplace();
    else
        real.emplace(options, int(entries.size()), HistoryFolder());
    PlanRecorder recorder(planning ? static_cast<FileSystem&>(*planning) : real->Files(), plan,
                          entries, entryDone);
    DryRunHost dryHost(host, recorder);
    try {
        const BatchResult result =
            RunBatchSteps(entries, options, kind == RunKind::Dry ? dryHost : host, recorder,
                          &recorder, real ? real->Batcher() : nullptr);
        plan.complete = !result.stopped;
        return result;
    } catch (const IoError& error) {
        recorder.EndEntry();
        plan.ioError = error;
        throw;
    }
}

} // namespace vantuke
