#pragma once

#include "batch/ExecuteBatch.h"
#include "journal/JournalFiles.h"

#include <QString>

namespace vantuke {

// Whether a run of these options keeps its undo history: "Keep undo history" is on and the
// process changes files (all but "List files/TAGs").
bool KeepsHistory(const BatchOptions& options);

// The most changes a run holds back: well under the open-file limit, which is raised first,
// since each held change keeps its file open.
HoldLimits DefaultHoldLimits();

// A run over the files on disk, as "EXECUTE!" and vantuke-cli make it. When it keeps its
// history, the history folder is pruned first, and every change the run makes is recorded in
// a new journal there before it is made (JournalFiles); otherwise it is ExecuteBatch itself.
// Throws IoError as ExecuteBatch does, and when the journal cannot be written (then the
// changes it would have recorded are not made).
BatchResult ExecuteWithHistory(QStringList& entries, const BatchOptions& options, BatchHost& host,
                               const QString& historyFolder);
// The same over the given files and limits.
BatchResult ExecuteWithHistory(QStringList& entries, const BatchOptions& options, BatchHost& host,
                               const QString& historyFolder, FileSystem& files, HoldLimits limits);

} // namespace vantuke
