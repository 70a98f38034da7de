#pragma once

#include "batch/BatchHost.h"
#include "batch/BatchOptions.h"
#include "tag/TagRecord.h"

namespace vantuke {

// The query values for a tagged file: asked and left fields show the file's values (read by
// codec), the others the page's values.
TagQuery FillQueryFromTag(const TTagRecord& record, const TagFillOptions& page,
                          const TagCodec& codec);
// The query values for an untagged file: the page's values for every field.
TagQuery FillQueryFromMainWindow(const TagFillOptions& page);
// The tag six values make: each text written by codec and cut to its field's capacity, the
// genre's list position as a byte (no selection, -1, becomes 255). With losses, records what
// each text lost.
TTagRecord ValuesTag(const FieldTexts& texts, int genre, const TagCodec& codec,
                     FieldLosses* losses = nullptr);
// What "OK" (or no question at all) does: every field whose "Leave:" box is unchecked takes
// the value's bytes; left fields keep the record's bytes.
void ApplyValues(TTagRecord& record, const TTagRecord& values, const TagFillOptions& page);

} // namespace vantuke
