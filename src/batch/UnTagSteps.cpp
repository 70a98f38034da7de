#include "batch/BatchRun.h"
#include "tag/TagFile.h"

namespace vantuke {

// "UnTAG": cuts the tag off each tagged file, optionally after a Yes/No/Cancel question.
StepResult UnTagStep(BatchRun& run, int, const QString& path) {
    run.LogProcessing(path);
    const bool present = run.FirstTagOperation(path, [&] { return TagPresent(path); });
    run.LogTagTest(present);
    if (!present)
        return StepResult::Next;

    if (run.Options().untagConfirmation) {
        switch (run.Host().ConfirmTagRemoval(path)) {
        case ConfirmAnswer::Yes:
            break;
        case ConfirmAnswer::No:
            return StepResult::Next;
        case ConfirmAnswer::Cancel:
            return StepResult::Stop;
        }
    }
    RemoveTag(path);
    return StepResult::Next;
}

} // namespace vantuke
