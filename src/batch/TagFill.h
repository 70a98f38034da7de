#pragma once

#include "batch/BatchHost.h"
#include "batch/BatchOptions.h"
#include "batch/RunPlan.h"
#include "tag/TagRecord.h"

#include <QList>
#include <QString>

namespace vantuke {

// The query values for a tagged file: asked and left fields show the file's values, the
// others the page's values.
TagQuery FillQueryFromTag(const TTagRecord& record, const TagFillOptions& page);
// The query values for an untagged file: the page's values for every field.
TagQuery FillQueryFromMainWindow(const TagFillOptions& page);
// The tag six values make: each text in the code page and cut to its field's capacity, the
// genre's list position as a byte (no selection, -1, becomes 255). With losses, records what
// each text lost.
TTagRecord ValuesTag(const FieldTexts& texts, int genre, FieldLosses* losses = nullptr);
// A note of what a field's text lost on its way into a tag.
struct LossNote {
    PlanNote kind;
    QString text;
};
// The notes of what the text of row lost: "<Row name> cut to <N> characters (<k> lost)", and
// the characters the code page lacks.
QList<LossNote> LossNotes(const FieldLosses& losses, int row);

// What "OK" (or no question at all) does: every field whose "Leave:" box is unchecked takes
// the value's bytes; left fields keep the record's bytes.
void ApplyValues(TTagRecord& record, const TTagRecord& values, const TagFillOptions& page);

} // namespace vantuke
