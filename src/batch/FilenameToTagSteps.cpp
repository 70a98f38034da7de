#include "batch/BatchRun.h"
#include "convert/FilenameToTag.h"
#include "convert/PathNames.h"

namespace vantuke {

// "Filename>TAG": writes a tag taken from the file's name. A tagged file keeps its other
// fields, or is left alone when "Write TAG only when is not present in file" is checked.
StepResult FilenameToTagStep(BatchRun& run, int, const QString& path) {
    const BatchOptions& options = run.Options();
    TTagRecord& record = run.Record();
    run.LogProcessing(path);
    const std::unique_ptr<TagFile> file = run.OpenForChange(path);
    const bool present = file->HasTag();
    run.LogTagTest(present);
    if (present && options.writeTagOnlyWhenNotPresent)
        return StepResult::Next;

    if (present)
        file->ReadTag(record);
    else
        ClearTag(record);
    FieldLosses* losses = run.Losses();
    FilenameToTag(record, FileTitleOf(path), options.filenameToTag, options.program.codec, losses);
    run.WriteTagAndClose(*file, record, losses);
    return StepResult::Next;
}

} // namespace vantuke
