#include "batch/RealRun.h"

#include "journal/History.h"
#include "platform/FileAccess.h"

#include <QDateTime>
#include <algorithm>

namespace vantuke {

namespace {

// More held changes gain nothing measurable: the flushes are then a small part of the time.
constexpr int kMostHeldChanges = 4000;
// Lines wait no longer than this for their changes, so the window's status box moves on.
constexpr qint64 kLongestHoldMsec = 250;

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

HoldLimits DefaultHoldLimits() {
    const qint64 openFiles = RaiseOpenFileLimit();
    return HoldLimits{int(std::clamp<qint64>(openFiles / 4, 1, kMostHeldChanges)),
                      kLongestHoldMsec};
}

RealRun::RealRun(const BatchOptions& options, int entryCount, const QString& historyFolder,
                 FileSystem* files, std::optional<HoldLimits> limits)
    : files_(files ? *files : disk_) {
    if (!KeepsHistory(options))
        return;
    const qint64 start = QDateTime::currentMSecsSinceEpoch();
    PruneHistory(historyFolder, start);
    journal_.emplace(historyFolder, RunHeader{start, ProcessCaption(options.process), entryCount});
    journaled_.emplace(files_, *journal_, limits ? *limits : DefaultHoldLimits());
}

RealRun::~RealRun() {
    if (journaled_)
        journaled_->Finish();
}

PlaylistWriter& RealRun::Playlists() {
    if (!journal_)
        return diskPlaylists_;
    if (!journaledPlaylists_)
        journaledPlaylists_ = std::make_unique<JournaledPlaylists>(*journal_, diskPlaylists_);
    return *journaledPlaylists_;
}

} // namespace vantuke
