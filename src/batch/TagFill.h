#pragma once

#include "batch/BatchHost.h"
#include "batch/BatchOptions.h"
#include "batch/RunPlan.h"
#include "tag/TagRecord.h"

#include <QList>
#include <QString>

namespace vantuke {

// The query values for a tagged file: asked and left fields show the file's values (read by
// codec), the others the page's values.
TagQuery FillQueryFromTag(const TTagRecord& record, const TagFillOptions& page,
                          const TagCodec& codec);
// The query values for an untagged file: the page's values for every field.
TagQuery FillQueryFromMainWindow(const TagFillOptions& page);
// The values as tag bytes: each text written by codec and cut to its field's capacity, the
// track, the genre's list position as a byte (no selection, -1, becomes 255). With losses,
// records what each text lost. The comment keeps up to 30 bytes even beside a track: whether
// it ends up beside one is known when the values are applied.
TTagRecord ValuesTag(const FieldTexts& texts, int track, int genre, const TagCodec& codec,
                     FieldLosses* losses = nullptr);
// A note of what a field's text lost on its way into a tag.
struct LossNote {
    PlanNote kind;
    QString text;
};
// The notes of what the text of row lost, written in the code page named page: "<Row name>
// cut to <N> characters (<k> lost)", and the characters the page lacks.
QList<LossNote> LossNotes(const FieldLosses& losses, int row, const QString& page);
// What "OK" (or no question at all) does: every field whose "Leave:" box is unchecked takes
// the value's bytes; left fields keep the record's bytes. A comment beside a track, be it
// written or left, keeps its first 28 bytes. With losses (as ValuesTag gave them), they end
// up saying what the record lost: nothing in a left field, but what a comment lost to a
// track.
void ApplyValues(TTagRecord& record, const TTagRecord& values, const TagFillOptions& page,
                 const TagCodec& codec, FieldLosses* losses = nullptr);

} // namespace vantuke
