#include "batch/BatchRun.h"
#include "convert/PathNames.h"
#include "convert/Template.h"
#include "tag/TagFile.h"

namespace vantuke {

// "TAG>Filename": renames each tagged file after its tag.
StepResult TagToFilenameStep(BatchRun& run, int i, const QString& path) {
    const BatchOptions& options = run.Options();
    run.LogProcessing(path);
    // One open tests and reads the tag; the lines come out as with a separate test.
    const bool present =
        run.FirstTagOperation(path, [&] { return ReadTagIfPresent(path, run.Record()); });
    run.LogTagTest(present);
    if (!present)
        return StepResult::Next;

    const QString newPath =
        FilePathOf(path) +
        CleanFileName(ExpandTemplate(run.Record(), options.tagToFilenameTemplate, path, i + 1,
                                     options.program)) +
        QLatin1Char('.') + ExtensionText(options.program.extensionFormat);
    run.Log(QStringLiteral("Renaming from ") + path + QStringLiteral(" to ") + newPath);
    run.RenameEntry(i, path, newPath);
    return StepResult::Next;
}

} // namespace vantuke
