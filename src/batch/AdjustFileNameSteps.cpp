#include "batch/BatchRun.h"
#include "convert/Adjust.h"

namespace vantuke {

// "Adjust FileName": renames each file by the substitution rows. No tag is touched and only
// failures are logged.
StepResult AdjustFileNameStep(BatchRun& run, int i, const QString& path) {
    const BatchOptions& options = run.Options();
    run.ClearReadOnly(path);
    run.RenameEntry(i, path,
                    AdjustedPath(path, options.substitutions, options.program.extensionFormat));
    return StepResult::Next;
}

} // namespace vantuke
