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
//    "playlists": [{"path": PATH, "entries": N, "result": "updated" | "not-updated" |
//                   "changed" | "failed", "error": TEXT or null}],
//    "errors": N, "complete": BOOL, "io_error": null or {"message": TEXT, "path": PATH}}
// with TAG {"song_name", "artist", "album", "year", "comment": TEXT, "track": NUMBER or null,
// "genre": NUMBER} (the fields' keys in the order of kTagFields), each text the field's bytes
// before the first NUL in the code page (a byte that is no character of it as U+FFFD). A path
// is written as its
// text when its bytes are UTF-8. A path with other bytes cannot be a JSON string as it is:
// it is written as it is shown (each such byte as its Windows-1252 character), and beside it
// "path_base64" (or "new_path_base64") holds its exact bytes.
// "playlists" lists each playlist that names files the run renamed: updated (N entries now
// name the new paths), not-updated ("UpdatePlaylists" off: N entries still name the old
// paths), changed (changed since it was read, left alone) or failed (error says why).
// The entries are written as they come, and the document goes out in pieces of about 64 KiB,
// so that a long run needs no room for all of it; how the run ended comes last.
class PlanJsonWriter {
public:
    using Out = std::function<void(QByteArrayView)>;

    // The tags' texts are read by codec.
    PlanJsonWriter(Process process, bool dryRun, const TagCodec& codec, Out out);
    void Entry(const PlanItem& item);
    // The playlists, the error count, how the run ended, and the end of the document.
    void Finish(const RunPlan& plan);

private:
    TagCodec codec_;
    Out out_;
    QByteArray piece_;
    bool first_ = true;
};

// A whole plan's document.
QByteArray PlanJson(const RunPlan& plan);

} // namespace vantuke
