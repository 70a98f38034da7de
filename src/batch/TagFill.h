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
// Puts the path into the query, asks the host when a field is asked (else counts as OK),
// and on OK stores every field whose "Leave:" box is unchecked into the record (an unselected
// genre becomes 255).
QueryResult AskTag(TTagRecord& record, const QString& path, TagQuery& query,
                   const TagFillOptions& page, BatchHost& host);

} // namespace vantuke
