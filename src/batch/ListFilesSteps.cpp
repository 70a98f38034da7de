#include "batch/BatchRun.h"
#include "convert/Template.h"
#include "tag/TagFile.h"

namespace vantuke {

// "List files/TAGs": one expanded template line per tagged file.
StepResult ListFilesStep(BatchRun& run, int i, const QString& path) {
    const BatchOptions& options = run.Options();
    if (options.listShowProcessing)
        run.LogProcessing(path);
    if (run.FirstTagOperation(path, [&] { return ReadTagIfPresent(path, run.Record()); }))
        run.Log(ExpandTemplate(run.Record(), options.listTemplate, path, i + 1, options.program));
    return StepResult::Next;
}

} // namespace vantuke
