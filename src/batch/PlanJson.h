#pragma once

#include "batch/RunPlan.h"

#include <QByteArray>
#include <QByteArrayView>
#include <functional>

namespace vantuke {

// A run as one JSON document, UTF-8, one entry per line:
//   {"process": CAPTION, "dry_run": BOOL,
//    "entries": [{"number": N, "path": PATH, "action": "rename" | "write-tag" |
//                 "remove-tag" | "list" | "none", "new_path": PATH (renames only),
//                 "tag_before": TAG or null, "tag_after": TAG or null, "notes": [TEXT...]}],
//    "errors": N, "complete": BOOL, "io_error": null or {"message": TEXT, "path": PATH}}
// with TAG {"song_name", "artist", "album", "year", "comment": TEXT, "track": NUMBER or null,
// "genre": NUMBER} (the fields' keys in the order of kTagFields), each text the field's bytes
// before the first NUL in the code page. A path is written as its
// text when its bytes are UTF-8. A path with other bytes cannot be a JSON string as it is:
// it is written as it is shown (each such byte as its Windows-1252 character), and beside it
// "path_base64" (or "new_path_base64") holds its exact bytes.
// The entries are written as they come, and the document goes out in pieces of about 64 KiB,
// so that a long run needs no room for all of it; how the run ended comes last.
class PlanJsonWriter {
public:
    using Out = std::function<void(QByteArrayView)>;

    PlanJsonWriter(Process process, bool dryRun, Out out);
    void Entry(const PlanItem& item);
    // The error count, how the run ended, and the end of the document.
    void Finish(const RunPlan& plan);

private:
    Out out_;
    QByteArray piece_;
    bool first_ = true;
};

// A whole plan's document.
QByteArray PlanJson(const RunPlan& plan);

} // namespace vantuke
