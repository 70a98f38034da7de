#include "batch/RecordBatch.h"

#include "batch/BatchRun.h"
#include "batch/PlaylistUpdate.h"
#include "batch/RealRun.h"
#include "batch/TagRows.h"
#include "journal/History.h"
#include "tag/PlanningFileSystem.h"

#include <limits>

namespace vantuke {

namespace {

// A dry run plans no change to make: its chunks end by the time their lines waited, or after
// a few hundred entries, so that the lines and plan items they hold stay small beside the
// model, which keeps every file the run changes.
constexpr ChunkLimits kDryRunChunk{std::numeric_limits<int>::max(), 250, 512};

// How a dry run answers the questions its entries ask: without asking, each noted.
class DryRunAnswers final : public BatchHost {
public:
    explicit DryRunAnswers(PlanRecorder& recorder) : recorder_(recorder) {}

    // Only questions come here.
    void LogLine(const QString&) override {}
    void ClearLog() override {}
    void SetProgressMaximum(int) override {}
    void SetProgressPosition(int) override {}

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
    PlanRecorder& recorder_;
};

} // namespace

BatchResult RecordBatch(RunKind kind, QStringList& entries, const BatchOptions& options,
                        BatchHost& host, RunPlan& plan, const EntryDone& entryDone) {
    plan = RunPlan();
    plan.process = options.process;
    plan.dryRun = kind == RunKind::Dry;
    plan.codec = options.program.codec;
    PlanRecorder recorder(plan, entries);
    const EntryDone itemDone =
        entryDone ? entryDone : [&plan](const PlanItem& item) { plan.items.append(item); };
    try {
        BatchResult result;
        if (kind == RunKind::Dry) {
            DiskFileSystem disk;
            PlanningFileSystem planning(disk, PlanningFileSystem::Opening::Look);
            RunFiles files;
            files.planning = &planning;
            files.limits = kDryRunChunk;
            PlannedPlaylists playlists;
            files.playlists = &playlists;
            DryRunAnswers answers(recorder);
            result = RunBatchSteps(entries, options, host, files, &recorder, itemDone, &answers);
        } else {
            const RealRun real(options, int(entries.size()), HistoryFolder());
            result = RunBatchSteps(entries, options, host, real.Files(), &recorder, itemDone);
        }
        plan.complete = !result.stopped;
        return result;
    } catch (const IoError& error) {
        plan.ioError = error;
        throw;
    }
}

} // namespace vantuke
