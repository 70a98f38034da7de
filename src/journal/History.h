#pragma once

#include "journal/JournalFormat.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace vantuke {

// The undo history: one journal file per run that changed files, named by the run's id, in
// one folder readable by the user alone. A run's id is its start time in UTC,
// "yyyyMMdd-HHmmss-zzz" (with "-02", "-03" ... when runs start in the same millisecond),
// so sorting ids sorts runs by time. An undone run keeps its journal and gets a small mark
// file beside it.

// How much history is kept: the last kKeptRuns runs, or every run of the last kKeptDays days,
// whichever keeps more.
inline constexpr int kKeptRuns = 100;
inline constexpr int kKeptDays = 30;

// $XDG_STATE_HOME/vantuke/ (by default ~/.local/state/vantuke/).
QString HistoryFolder();

// The id of a run started at startMsec; n > 1 tells apart runs of the same millisecond.
QString RunId(qint64 startMsec, int n = 1);
QString JournalPath(const QString& folder, const QString& id);
QString UndoneMarkPath(const QString& folder, const QString& id);

// A run as the history shows it.
struct KeptRun {
    QString id;
    RunHeader header;
    int files = 0; // the files with a recorded change
    bool undone = false;
    bool ended = false; // false: the run was killed, or is still going
};

// The runs of the history, newest first. A journal without a whole header (one cut off
// before anything was recorded) is no run.
QList<KeptRun> ListRuns(const QString& folder);
// The newest run not undone yet.
std::optional<KeptRun> LastUndoableRun(const QString& folder);
// Removes the journals and marks of the runs beyond what is kept, as of nowMsec.
void PruneHistory(const QString& folder, qint64 nowMsec);

// "08.12.2026 14:03": a run's start in local time, as the history and its questions show it.
QString RunTimeText(qint64 startMsec);
// "1 file", "120 files".
QString FileCountText(int files);
// A run's line of the history listing: its id, start, process caption, the number of files
// it changed and whether it was undone, separated by tabs.
QString HistoryLine(const KeptRun& run);

} // namespace vantuke
