#include "batch/BatchRun.h"
#include "convert/FilenameToTag.h"
#include "convert/PathNames.h"
#include "tag/TagFile.h"

namespace vantuke {

// "Filename>TAG": writes a tag taken from the file's name. A tagged file keeps its other
// fields, or is left alone when "Write TAG only when is not present in file" is checked.
StepResult FilenameToTagStep(BatchRun& run, int, const QString& path) {
    const BatchOptions& options = run.Options();
    TTagRecord& record = run.Record();
    run.LogProcessing(path);
    const bool present = run.FirstTagOperation(path, [&] {
        return options.writeTagOnlyWhenNotPresent ? TagPresent(path)
                                                  : ReadTagIfPresent(path, record);
    });
    run.LogTagTest(present);
    if (present && options.writeTagOnlyWhenNotPresent)
        return StepResult::Next;

    if (!present)
        ClearTag(record);
    FilenameToTag(record, FileTitleOf(path), options.filenameToTag);
    WriteTag(path, record, present);
    return StepResult::Next;
}

} // namespace vantuke
