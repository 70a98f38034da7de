#include "journal/RunWithHistory.h"

#include "journal/History.h"
#include "journal/JournalWriter.h"
#include "platform/FileAccess.h"

#include <QDateTime>
#include <QScopeGuard>
#include <algorithm>

namespace vantuke {

namespace {

// More held changes gain nothing measurable: the flushes are then a small part of the time.
constexpr int kMostHeldChanges = 4000;
// Lines wait no longer than this for their changes, so the window's status box moves on.
constexpr qint64 kLongestHoldMsec = 250;

} // namespace

bool KeepsHistory(const BatchOptions& options) {
    return options.program.keepUndoHistory && options.process != Process::ListFiles;
}

HoldLimits DefaultHoldLimits() {
    const qint64 openFiles = RaiseOpenFileLimit();
    return HoldLimits{int(std::clamp<qint64>(openFiles / 4, 1, kMostHeldChanges)),
                      kLongestHoldMsec};
}

BatchResult ExecuteWithHistory(QStringList& entries, const BatchOptions& options, BatchHost& host,
                               const QString& historyFolder) {
    DiskFileSystem disk;
    if (!KeepsHistory(options))
        return ExecuteBatch(entries, options, host, disk);
    return ExecuteWithHistory(entries, options, host, historyFolder, disk, DefaultHoldLimits());
}

BatchResult ExecuteWithHistory(QStringList& entries, const BatchOptions& options, BatchHost& host,
                               const QString& historyFolder, FileSystem& files, HoldLimits limits) {
    const qint64 start = QDateTime::currentMSecsSinceEpoch();
    PruneHistory(historyFolder, start);
    JournalWriter journal(historyFolder,
                          RunHeader{start, ProcessCaption(options.process), int(entries.size())});
    JournalFiles journaled(files, journal, limits);
    const auto finish = qScopeGuard([&journaled] { journaled.Finish(); });
    return ExecuteBatch(entries, options, host, journaled, journaled);
}

} // namespace vantuke
