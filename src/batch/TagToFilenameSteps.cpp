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
    QString& built = run.NameBuffer();
    built.resize(0);
    built.append(path.constData(), nameStart);
    AppendExpansion(built, run.Record(), tmpl, path, i + 1, options.program, ExpansionUse::Name);
    CleanFileName(built, nameStart);
    built += QLatin1Char('.');
    built += ExtensionText(options.program.extensionFormat);
    // The entry's text from now on: no room beyond its own, a long run keeps them all.
    const QString newPath(built.constData(), built.size());
    run.LogRenaming(path, newPath);
    run.RenameEntry(i, path, newPath);
    return StepResult::Next;
}

} // namespace vantuke
