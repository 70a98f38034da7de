#include "batch/BatchRun.h"
#include "convert/PathNames.h"
#include "convert/Template.h"

namespace vantuke {

// "TAG>Filename": renames each tagged file after its tag. The file stays open and locked
// from the tag test to the rename, so the new name is that of the tag the file holds.
StepResult TagToFilenameStep(BatchRun& run, int i, const QString& path) {
    const BatchOptions& options = run.Options();
    run.LogProcessing(path);
    const std::unique_ptr<TagFile> file = run.OpenForChange(path);
    const bool present = file->HasTag();
    run.LogTagTest(present);
    if (!present)
        return StepResult::Next;

    file->ReadTag(run.Record());
    // FilePathOf(path) + CleanFileName(ExpandTemplate(...)) + "." + ExtensionText(), built
    // in one piece.
    const QString& tmpl = options.tagToFilenameTemplate;
    const qsizetype nameStart = FileNameStart(path);
    QString newPath;
    newPath.reserve(nameStart + tmpl.size() + 96);
    newPath.append(path.constData(), nameStart);
    AppendExpansion(newPath, run.Record(), tmpl, path, i + 1, options.program, ExpansionUse::Name);
    CleanFileName(newPath, nameStart);
    newPath += QLatin1Char('.');
    newPath += ExtensionText(options.program.extensionFormat);
    run.LogRenaming(path, newPath);
    run.RenameEntry(i, path, newPath);
    return StepResult::Next;
}

} // namespace vantuke
