#include "batch/BatchRun.h"

namespace vantuke {

// "UnTAG": cuts the tag off each tagged file, optionally after a Yes/No/Cancel question.
StepResult UnTagStep(BatchRun& run, int, const QString& path) {
    run.LogProcessing(path);
    std::unique_ptr<TagFile> file = run.OpenForChange(path);
    const bool present = file->HasTag();
    run.LogTagTest(present);
    if (!present)
        return StepResult::Next;

    if (run.Options().untagConfirmation) {
        // No file stays locked while the question waits; after a Yes the file is opened
        // again and cut only if it still ends in a tag.
        file.reset();
        switch (run.Host().ConfirmTagRemoval(path)) {
        case ConfirmAnswer::Yes:
            break;
        case ConfirmAnswer::No:
            return StepResult::Next;
        case ConfirmAnswer::Cancel:
            return StepResult::Stop;
        }
        file = run.OpenForChange(path);
    }
    if (file->RemoveTag())
        file->Close();
    return StepResult::Next;
}

} // namespace vantuke
