#pragma once

#include "batch/RunPlan.h"

#include <QByteArray>
#include <QByteArrayView>
#include <functional>

namespace vantuke {

// The plan as one JSON document, UTF-8, one entry per line:
//   {"process": CAPTION, "dry_run": BOOL, "errors": N, "complete": BOOL,
//    "io_error": null or {"message": TEXT, "path": PATH},
//    "entries": [{"number": N, "path": PATH, "action": "rename" | "write-tag" |
//                 "remove-tag" | "list" | "none", "new_path": PATH (renames only),
//                 "tag_before": TAG or null, "tag_after": TAG or null, "notes": [TEXT...]}]}
// with TAG {"song_name", "artist", "album", "year", "comment": TEXT, "genre": NUMBER}, each
// text the field's bytes before the first NUL in the code page. A path is written as its
// text when its bytes are UTF-8. A path with other bytes cannot be a JSON string as it is:
// it is written as it is shown (each such byte as its Windows-1252 character), and beside it
// "path_base64" (or "new_path_base64") holds its exact bytes.
// The document goes to out in pieces of about 64 KiB.
void WritePlanJson(const RunPlan& plan, const std::function<void(QByteArrayView)>& out);
QByteArray PlanJson(const RunPlan& plan);

} // namespace vantuke
