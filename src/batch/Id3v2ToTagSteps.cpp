#include "batch/BatchRun.h"
#include "batch/Id3v2Copy.h"
#include "convert/PathNames.h"
#include "tag/Id3v2Tag.h"

namespace vantuke {

// "ID3v2>TAG": fills the ID3v1 tag from the ID3v2 tag at the file's start, read through the
// same open file as the change. A file without an ID3v2 tag is left with a line; one whose
// ID3v2 tag cannot be read is left with a counted error, so that a script sees it. Without
// an ID3v1 tag the file gets one, unless "Create an ID3v1 tag where there is none" is off.
StepResult Id3v2ToTagStep(BatchRun& run, int, const QString& path) {
    const BatchOptions& options = run.Options();
    TTagRecord& record = run.Record();
    run.LogProcessing(path);
    const std::unique_ptr<TagFile> file = run.OpenForChange(path);
    const Id3v2Reading reading = ReadId3v2(TagFileBytes(*file));
    if (reading.status == Id3v2Status::Absent) {
        run.Log(Id3v2ProblemLine(reading));
        run.Note(PlanNote::NoId3v2, QStringLiteral("no ID3v2 tag"));
        return StepResult::Next;
    }
    if (reading.status == Id3v2Status::Unreadable) {
        run.ReportError(Id3v2ProblemLine(reading) + QStringLiteral(": ") + ShownInOneLine(path));
        run.Note(PlanNote::Id3v2Unreadable,
                 QStringLiteral("ID3v2 tag cannot be read (%1)").arg(reading.problem));
        return StepResult::Next;
    }
    for (const QString& note : reading.values.notes)
        run.Note(PlanNote::Id3v2NotCopied, note);

    const bool present = file->HasTag();
    run.LogTagTest(present);
    if (!present && !options.id3v2ToTag.createTag)
        return StepResult::Next;
    if (present) {
        file->ReadTag(record);
    } else {
        // A new tag has no genre until the ID3v2 tag gives one: never "Blues" by default.
        ClearTag(record);
        record.Genre = 255;
    }
    FieldLosses* losses = run.Losses();
    CopyId3v2Values(record, reading.values, options.id3v2ToTag, options.program.codec, losses);
    run.WriteTagAndClose(*file, record, losses);
    return StepResult::Next;
}

} // namespace vantuke
