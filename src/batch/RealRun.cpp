#include "batch/RealRun.h"

#include "journal/History.h"
#include "platform/FileAccess.h"

#include <QDateTime>
#include <algorithm>

namespace vantuke {

namespace {

// Larger chunks gain nothing measurable (the flushes are then a small part of the time) and
// cost memory: each planned change holds its bytes and its file open.
constexpr int kMostPlannedChanges = 1000;

} // namespace

// The playlists of a run that keeps its undo history.
class RealRun::JournaledPlaylists final : public PlaylistWriter {
public:
    JournaledPlaylists(JournalWriter& journal, PlaylistWriter& files)
        : journal_(journal), files_(files) {}

    Result Replace(const QString& path, const QByteArray& old, const QByteArray& bytes) override {
        // A playlist that changed meanwhile gets no record: nothing is made of it.
        if (!PlaylistUnchanged(path, old))
            return Result{false, std::nullopt};
        journal_.AddPlaylist(PlaylistRecord{path, old, bytes.size(), PlaylistDigest(bytes)});
        journal_.Flush();
        return files_.Replace(path, old, bytes);
    }

private:
    JournalWriter& journal_;
    PlaylistWriter& files_;
};

bool KeepsHistory(const BatchOptions& options) {
    return options.program.keepUndoHistory && options.process != Process::ListFiles;
}

ChunkLimits DefaultChunkLimits() {
    const qint64 openFiles = RaiseOpenFileLimit();
    return ChunkLimits{int(std::clamp<qint64>(openFiles / 4, 1, kMostPlannedChanges))};
}

RealRun::RealRun(const BatchOptions& options, int entryCount, const QString& historyFolder,
                 FileSystem* files, std::optional<ChunkLimits> limits)
    : files_(files ? *files : disk_) {
    run_.atOnce = &files_;
    run_.playlists = &diskPlaylists_;
    if (!KeepsHistory(options))
        return;
    const qint64 start = QDateTime::currentMSecsSinceEpoch();
    PruneHistory(historyFolder, start);
    journal_.emplace(historyFolder, RunHeader{start, ProcessCaption(options.process), entryCount});
    journaled_.emplace(files_, *journal_);
    planning_.emplace(files_, PlanningFileSystem::Opening::Lock);
    run_.atOnce = &*journaled_;
    run_.planning = &*planning_;
    run_.journal = &*journaled_;
    run_.disk = &files_;
    run_.limits = limits ? *limits : DefaultChunkLimits();
    // Each playlist's record is flushed before it is replaced.
    journaledPlaylists_ = std::make_unique<JournaledPlaylists>(*journal_, diskPlaylists_);
    run_.playlists = journaledPlaylists_.get();
}

RealRun::~RealRun() {
    if (planning_)
        planning_->Clear();
    if (journaled_)
        journaled_->Finish();
}

} // namespace vantuke
