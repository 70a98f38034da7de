#include "batch/BatchRun.h"
#include "batch/TagFill.h"

namespace vantuke {

// "TAG": each field from the page, from the file ("Leave:") or from the query ("Ask:").
StepResult TagFillStep(BatchRun& run, int, const QString& path) {
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
        ApplyValues(record, run.PageValues(), page);
        run.WriteTagAndClose(*file, record, &run.PageLosses());
        return StepResult::Next;
    }

    const TagCodec& codec = run.Options().program.codec;
    TagQuery query =
        present ? FillQueryFromTag(record, page, codec) : FillQueryFromMainWindow(page);
    query.path = path;
    // No file stays locked while the user answers. Then the file is opened and tested again,
    // and the tag is written on what the file holds at that moment: over a tag that appeared
    // meanwhile (never a second one), with the left fields of the tag as it is now. A file
    // that lost its tag meanwhile is left alone: what ends it now may be audio.
    file.reset();
    const QueryResult result = run.Host().AskTag(query);
    if (result == QueryResult::Abort)
        return StepResult::Stop;
    if (result == QueryResult::Ignore)
        return StepResult::Next;
    file = run.OpenForChange(path);
    const bool presentNow = file->HasTag();
    if (present && !presentNow)
        return StepResult::Next;
    if (presentNow)
        file->ReadTag(record);
    FieldLosses* losses = run.Losses();
    ApplyValues(record, ValuesTag(query.texts, query.genre, codec, losses), page);
    run.WriteTagAndClose(*file, record, losses);
    return StepResult::Next;
}

} // namespace vantuke
