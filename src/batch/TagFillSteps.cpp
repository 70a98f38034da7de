#include "batch/BatchRun.h"
#include "batch/TagFill.h"

namespace vantuke {

// "TAG": each field from the page, from the file ("Leave:") or from the query ("Ask:").
StepResult TagFillStep(BatchRun& run, int i, const QString& path) {
    const TagFillOptions& page = run.Options().tagFill;
    TTagRecord& record = run.Record();
    run.LogProcessing(path);
    std::unique_ptr<TagFile> file = run.OpenForChange(path);
    const bool present = file->HasTag();
    if (present)
        file->ReadTag(record);
    else
        ClearTag(record);

    if (!page.AnyAsked()) {
        // No question: the page's values, made into tag bytes once per run.
        FieldLosses* losses = run.Losses();
        if (losses)
            *losses = run.PageLosses();
        ApplyValues(record, run.PageValues(), page, run.Options().program.codec, losses);
        run.WriteTagAndClose(*file, record, losses);
        return StepResult::Next;
    }

    const TagCodec& codec = run.Options().program.codec;
    TagQuery query =
        present ? FillQueryFromTag(record, page, codec) : FillQueryFromMainWindow(page);
    query.path = path;
    query.entryNumber = i + 1;
    query.entryCount = run.EntryCount();
    // No file stays locked while the user answers. Then the file is opened and tested again,
    // and what the user confirmed is written on what the file holds at that moment: over a
    // tag that appeared meanwhile (never a second one), with the left fields of the tag as it
    // is now; appended to a file that lost its tag meanwhile, with the left fields shown.
    file.reset();
    const QueryResult result = run.Host().AskTag(query);
    if (result == QueryResult::Abort)
        return StepResult::Stop;
    if (result == QueryResult::Ignore)
        return StepResult::Next;
    file = run.OpenForChange(path);
    if (file->HasTag())
        file->ReadTag(record);
    FieldLosses* losses = run.Losses();
    ApplyValues(record, ValuesTag(query.texts, query.track, query.genre, codec, losses), page,
                codec, losses);
    run.WriteTagAndClose(*file, record, losses);
    return StepResult::Next;
}

} // namespace vantuke
