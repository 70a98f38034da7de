#pragma once

#include "batch/BatchOptions.h"
#include "batch/ExecuteBatch.h"
#include "batch/PlaylistUpdate.h"
#include "journal/JournalFiles.h"
#include "journal/JournalWriter.h"
#include "tag/ChangeBatcher.h"
#include "tag/FileSystem.h"

#include <QString>
#include <memory>
#include <optional>

namespace vantuke {

// Whether a run of these options keeps its undo history: "Keep undo history" is on and the
// process changes files (all but "List files/TAGs").
bool KeepsHistory(const BatchOptions& options);

// The most changes a run holds back: well under the open-file limit, which is raised first,
// since each held change keeps its file open.
HoldLimits DefaultHoldLimits();

// The files a real run changes. Every real run, recorded or not, takes its files from here
// and from nowhere else; a dry run never does. When the run keeps its undo history, the
// history folder is pruned first, and every change the run makes is recorded in a new
// journal there before it is made, changes held back and made in groups (JournalFiles);
// Batcher() then is what the frame drives. Otherwise the files are the disk itself.
class RealRun {
public:
    // A run of these options over entryCount entries, with its history (if it keeps one) in
    // historyFolder; the changes go to files (the disk when none is given), at most limits held
    // back (DefaultHoldLimits() when none are given).
    RealRun(const BatchOptions& options, int entryCount, const QString& historyFolder,
            FileSystem* files = nullptr, std::optional<HoldLimits> limits = std::nullopt);
    // The journal gets its closing record; held changes still there are dropped unmade.
    ~RealRun();
    RealRun(const RealRun&) = delete;
    RealRun& operator=(const RealRun&) = delete;

    FileSystem& Files() { return journaled_ ? static_cast<FileSystem&>(*journaled_) : files_; }
    // Null when the run keeps no history.
    ChangeBatcher* Batcher() { return journaled_ ? &*journaled_ : nullptr; }
    // Where the run's playlists are replaced: with history, each replace is recorded and the
    // record flushed before it is made.
    PlaylistWriter& Playlists();

private:
    DiskFileSystem disk_;
    FileSystem& files_;
    std::optional<JournalWriter> journal_;
    std::optional<JournalFiles> journaled_;
    DiskPlaylists diskPlaylists_;
    class JournaledPlaylists;
    std::unique_ptr<JournaledPlaylists> journaledPlaylists_;
};

// A real run (what ExecuteBatch does) with its history, when the options keep one, in
// historyFolder.
BatchResult ExecuteWithHistory(QStringList& entries, const BatchOptions& options, BatchHost& host,
                               const QString& historyFolder);
// The same with its changes made on files, at most limits held back.
BatchResult ExecuteWithHistory(QStringList& entries, const BatchOptions& options, BatchHost& host,
                               const QString& historyFolder, FileSystem& files, HoldLimits limits);

} // namespace vantuke
