#pragma once

#include "batch/BatchHost.h"
#include "batch/ExecuteBatch.h"
#include "batch/PlanRecorder.h"
#include "batch/RunPlan.h"

#include <QStringList>
#include <functional>

namespace vantuke {

enum class RunKind {
    // Changes the files, as ExecuteBatch does.
    Real,
    // Changes nothing: no file's bytes, name, permissions or times. The run's own steps work
    // on a model of the files (PlanningFileSystem), so the status lines, the error count
    // and the I/O error that would end the run are those the real run would give now. No
    // question is asked: "Confirm" counts as Yes and the tag query as "OK" on the values it
    // would show first, each noted "asked at run time".
    Dry,
};

// What is done with each entry's item as the entry is shown.
using EntryDone = std::function<void(const PlanItem&)>;

// Runs the process over the entries, as ExecuteBatch does, and records what every entry did
// (Real) or would do (Dry): each item goes to entryDone as its entry is shown when one is
// given, else into plan.items; plan gets the rest (the error count, how the run ended). A real
// run works on the files of a RealRun (with its undo history when the options keep one: an
// entry's item then comes out once its changes are made), a dry run never. An IoError still
// ends the run and propagates, after its entry's item and the error are recorded.
BatchResult RecordBatch(RunKind kind, QStringList& entries, const BatchOptions& options,
                        BatchHost& host, RunPlan& plan, const EntryDone& entryDone = {});

// A host that shows nothing: status lines and progress go nowhere. Questions go to another
// host when one is given; without one, "Confirm" is answered Cancel and the query Abort.
class MutedHost final : public BatchHost {
public:
    explicit MutedHost(BatchHost* questions = nullptr) : questions_(questions) {}

    void LogLine(const QString&) override {}
    void ClearLog() override {}
    void SetProgressMaximum(int) override {}
    void SetProgressPosition(int) override {}
    ConfirmAnswer ConfirmTagRemoval(const QString& path) override {
        return questions_ ? questions_->ConfirmTagRemoval(path) : ConfirmAnswer::Cancel;
    }
    QueryResult AskTag(TagQuery& query) override {
        return questions_ ? questions_->AskTag(query) : QueryResult::Abort;
    }

private:
    BatchHost* questions_;
};

} // namespace vantuke
