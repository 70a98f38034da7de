#pragma once

#include "batch/BatchHost.h"
#include "batch/BatchOptions.h"
#include "tag/FileSystem.h"

#include <QStringList>
#include <memory>

namespace vantuke {

struct BatchResult {
    int errorCount = 0;
    bool stopped = false; // ended by Abort or Cancel (the finish line is still written)
};

// Runs the chosen process over every entry, first to last, on the files RealRunFiles()
// gives. A rename replaces the entry's text with the new path. An IoError ends the run at
// once: it propagates without the "Process Complete!" line, and what was done before stays
// done.
BatchResult ExecuteBatch(QStringList& entries, const BatchOptions& options, BatchHost& host);
// The same over the given files.
BatchResult ExecuteBatch(QStringList& entries, const BatchOptions& options, BatchHost& host,
                         FileSystem& files);

// The files a real run changes. Every real run, recorded or not, takes its files from here
// and from nowhere else; a dry run never does.
std::unique_ptr<FileSystem> RealRunFiles();

} // namespace vantuke
