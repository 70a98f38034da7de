#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>

namespace vantuke {

// What an undo did.
struct UndoResult {
    // Not empty: nothing was done, for this reason ("Run ... is already undone", ...).
    QString refusal;
    // The files left alone (changed since the run, a name taken) or failed.
    int errorCount = 0;
    // Some file failed with an I/O error: the run is not marked as undone, so that it can be
    // undone again once the cause is mended (what came back then finds nothing to do).
    bool ioError = false;
    // The renames undone, in the order made: the name the run gave, the name given back.
    QList<QPair<QString, QString>> renamedBack;
    // The playlists that got their old bytes back, with those bytes.
    QList<QPair<QString, QByteArray>> restoredPlaylists;
};

// Undoes a run of the history in folder: the one with this id, or, when id is empty, the
// newest run not undone yet. The playlists it rewrote come first, from last to first: one
// that still holds exactly the bytes the run gave it gets its old bytes back (replaced as the
// run replaced it), one that holds its old bytes was never rewritten, and any other was
// changed since and is left alone and reported. Then its changes are walked from last to
// first, whether marked as made or not, and each is checked at the path the run left the file
// at, the file opened and locked as for a change:
// - as the change left it (the same file by device and inode; its size, the tag bytes
//   written, no tag where one was cut, the mode set): the change is undone; a rename goes
//   back, never over another name; a tag gets its old bytes back (its Enhanced TAG block
//   with it), or is cut off where the file had none; a cut tag is appended again (with the
//   block cut with it); a read-only mode is set again. The file's
//   access and modification times are set back to those it had (its change time cannot be);
// - as it was before the change: the change was never made; nothing to do;
// - otherwise it changed since the run and is left alone and reported.
// Each change logs one line ("Undoing ..."), a file left alone or failed one error line
// more, and the last line is "Undo complete! (n errors)". A dry run checks and logs the same
// but changes nothing; its lines say so. Then the run is marked as undone (not by a dry run
// or when a file failed), and undoing it again is refused. A run whose journal another
// program still holds (the run is still going) is refused too.
UndoResult UndoRun(const QString& folder, const QString& id, bool dryRun,
                   const std::function<void(const QString& line)>& log);

// Gives the entries of a selection whose files an undo renamed back their old names:
// renamedBack as UndoResult has it, each entry changed at most once, so that a chain of
// renames (a to b, b to c) comes back as it was.
void RenameBackEntries(QStringList& entries, const QList<QPair<QString, QString>>& renamedBack);

} // namespace vantuke
