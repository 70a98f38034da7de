#pragma once

#include "batch/BatchOptions.h"
#include "batch/ExecuteBatch.h"
#include "batch/PlaylistUpdate.h"
#include "batch/RunFiles.h"
#include "journal/JournalFiles.h"
#include "journal/JournalWriter.h"
#include "tag/FileSystem.h"
#include "tag/PlanningFileSystem.h"

#include <QString>
#include <memory>
#include <optional>

namespace vantuke {

// Whether a run of these options keeps its undo history: "Keep undo history" is on and the
// process changes files (all but "List files/TAGs").
bool KeepsHistory(const BatchOptions& options);

// The most a chunk of a real run plans: well under the open-file limit, which is raised
// first, since each planned change keeps its file open until it is made.
ChunkLimits DefaultChunkLimits();

// The files a real run changes. Every real run, recorded or not, takes its files from here
// and from nowhere else; a dry run never does. When the run keeps its undo history, the
// history folder is pruned first, and the run plans its entries in chunks on a model whose
// files are opened and locked on disk, records every change in a new journal there before
// it is made, and makes it on disk (see RunFiles). Otherwise every change is made at once on
// the disk.
class RealRun {
public:
    // A run of these options over entryCount entries, with its history (if it keeps one) in
    // historyFolder; the changes go to files (the disk when none is given), at most limits in
    // a chunk (DefaultChunkLimits() when none are given).
    RealRun(const BatchOptions& options, int entryCount, const QString& historyFolder,
            FileSystem* files = nullptr, std::optional<ChunkLimits> limits = std::nullopt);
    // The journal gets its closing record.
    ~RealRun();
    RealRun(const RealRun&) = delete;
    RealRun& operator=(const RealRun&) = delete;

    const RunFiles& Files() const { return run_; }

private:
    DiskFileSystem disk_;
    FileSystem& files_;
    std::optional<JournalWriter> journal_;
    std::optional<JournalFiles> journaled_;
    DiskPlaylists diskPlaylists_;
    class JournaledPlaylists;
    std::unique_ptr<JournaledPlaylists> journaledPlaylists_;
    std::optional<PlanningFileSystem> planning_;
    RunFiles run_;
};

// A real run (what ExecuteBatch does) with its history, when the options keep one, in
// historyFolder.
BatchResult ExecuteWithHistory(QStringList& entries, const BatchOptions& options, BatchHost& host,
                               const QString& historyFolder);
// The same with its changes made on files, at most limits in a chunk.
BatchResult ExecuteWithHistory(QStringList& entries, const BatchOptions& options, BatchHost& host,
                               const QString& historyFolder, FileSystem& files, ChunkLimits limits);

} // namespace vantuke
