#pragma once

#include "batch/BatchHost.h"
#include "batch/BatchOptions.h"
#include "tag/FileSystem.h"

#include <QStringList>

namespace vantuke {

struct BatchResult {
    int errorCount = 0;
    bool stopped = false; // ended by Abort or Cancel (the finish line is still written)
};

// Runs the chosen process over every entry, first to last. A rename replaces the entry's
// text with the new path. An IoError ends the run at once: it propagates without the
// "Process Complete!" line, and what was done before stays done.
BatchResult ExecuteBatch(QStringList& entries, const BatchOptions& options, BatchHost& host);
// The same over the given files instead of those on disk.
BatchResult ExecuteBatch(QStringList& entries, const BatchOptions& options, BatchHost& host,
                         FileSystem& files);

} // namespace vantuke
