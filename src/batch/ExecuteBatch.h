#pragma once

#include "batch/BatchHost.h"
#include "batch/BatchOptions.h"
#include "convert/PlaylistEntries.h"
#include "tag/FileSystem.h"

#include <QStringList>

namespace vantuke {

struct BatchResult {
    int errorCount = 0;
    bool stopped = false; // ended by Abort or Cancel (the finish line is still written)
    // The playlists the run rewrote, as it left them.
    QList<Playlist> playlists;
};

// Runs the chosen process over every entry, first to last, on the files of a real run
// (RealRun: the disk, with the undo history in HistoryFolder() when the options keep it). A
// rename replaces the entry's text with the new path. An IoError ends the run at once: it
// propagates without the "Process Complete!" line, and what was done before stays done. It
// is also thrown when the journal cannot be written; the changes it would have recorded are
// then not made.
BatchResult ExecuteBatch(QStringList& entries, const BatchOptions& options, BatchHost& host);
// The same over the given files, each change made at once, without history.
BatchResult ExecuteBatch(QStringList& entries, const BatchOptions& options, BatchHost& host,
                         FileSystem& files);
} // namespace vantuke
