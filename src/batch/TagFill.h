#pragma once

#include "batch/BatchHost.h"
#include "batch/BatchOptions.h"
#include "tag/TagRecord.h"

namespace vantuke {

// The query values for a tagged file: asked and left fields show the file's values, the
// others the page's values.
TagQuery FillQueryFromTag(const TTagRecord& record, const TagFillOptions& page);
// The query values for an untagged file: the page's values for every field.
TagQuery FillQueryFromMainWindow(const TagFillOptions& page);
// What "OK" (or no question at all) does: every field whose "Leave:" box is unchecked takes
// the query's value (an unselected genre becomes 255); left fields keep the record's bytes.
void ApplyQuery(TTagRecord& record, const TagQuery& query, const TagFillOptions& page);

} // namespace vantuke
