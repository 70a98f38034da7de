#include "batch/BatchRun.h"
#include "batch/TagFill.h"
#include "tag/TagFile.h"

namespace vantuke {

// "TAG": each field from the page, from the file ("Leave:") or from the query ("Ask:").
StepResult TagFillStep(BatchRun& run, int, const QString& path) {
    const TagFillOptions& page = run.Options().tagFill;
    TTagRecord& record = run.Record();
    run.LogProcessing(path);
    const bool present =
        run.FirstTagOperation(path, [&] { return ReadTagIfPresent(path, record); });
    TagQuery query;
    if (present) {
        query = FillQueryFromTag(record, page);
    } else {
        ClearTag(record);
        query = FillQueryFromMainWindow(page);
    }

    const QueryResult result = AskTag(record, path, query, page, run.Host());
    if (result == QueryResult::Abort)
        return StepResult::Stop;
    if (result == QueryResult::Ok) {
        // While a query was open the file may have changed: test the tag again then.
        if (query.AnyAsked())
            WriteTag(path, record);
        else
            WriteTag(path, record, present);
    }
    return StepResult::Next;
}

} // namespace vantuke
