#include "batch/BatchRun.h"
#include "convert/Template.h"

namespace vantuke {

// "List files/TAGs": one expanded template line per tagged file. Files are opened for reading
// only: read-only files and read-only media list with their tags, and no file's permissions
// change.
StepResult ListFilesStep(BatchRun& run, int i, const QString& path) {
    const BatchOptions& options = run.Options();
    if (options.listShowProcessing)
        run.LogProcessing(path);
    const std::unique_ptr<TagFile> file = run.Files().Open(path, OpenMode::Read);
    if (file->HasTag()) {
        file->ReadTag(run.Record());
        ExpandTemplateInto(run.LineBuffer(), run.Record(), options.listTemplate, path, i + 1,
                           options.program, ExpansionUse::StatusLine);
        run.Log(run.LineBuffer());
    }
    return StepResult::Next;
}

} // namespace vantuke
