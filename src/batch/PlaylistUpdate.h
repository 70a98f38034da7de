#pragma once

#include "convert/PlaylistEntries.h"
#include "platform/IoError.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

namespace vantuke {

class BatchRun;

// How a run replaces the bytes of a playlist it rewrites: on disk, recorded in the undo
// history first, or, in a dry run, not at all.
class PlaylistWriter {
public:
    virtual ~PlaylistWriter() = default;

    // What became of a replace.
    struct Result {
        bool replaced = false; // false, with no error: the playlist changed since it was read
        std::optional<IoError> error; // it could not be replaced, and is as it was
    };
    // Replaces the bytes of the playlist at path, which must still hold old, with bytes:
    // atomically, through a temporary file in its folder, keeping its mode. A failure of the
    // undo history (a journal that cannot be written) is thrown as IoError: the run ends.
    virtual Result Replace(const QString& path, const QByteArray& old, const QByteArray& bytes) = 0;
};

// The playlists on disk, without history.
class DiskPlaylists final : public PlaylistWriter {
public:
    Result Replace(const QString& path, const QByteArray& old, const QByteArray& bytes) override;
};

// A dry run's playlists: nothing is written. The playlist is read to see whether it changed,
// and what the disk shows now refuses as the real replace would: a file that is no regular
// file, or lacks its owner's write permission, and a folder where no file can be made.
class PlannedPlaylists final : public PlaylistWriter {
public:
    Result Replace(const QString& path, const QByteArray& old, const QByteArray& bytes) override;
};

// Whether the playlist at path still holds old: one that is gone or unreadable does not. Its
// access time stays as it was.
bool PlaylistUnchanged(const QString& path, const QByteArray& old);

// Where each renamed file went, by its path before the run: before and after are the run's
// entries as it started and as it ended (a rename is the one change of an entry's text).
// Renames within one run are followed to their end (a to b, then b to c: a went to c); a file
// that came back to its own name is not listed.
QHash<QString, QString> RenamedPaths(const QStringList& before, const QStringList& after);

// The end of a run that renamed files, before its last line: each of the options' playlists
// that lists a renamed file is rewritten through writer when "UpdatePlaylists" is on ("Playlist
// updated: PATH (n entries)"; a playlist changed since it was read, or one that cannot be
// written or cannot carry the new names, is a counted error and is left as it is), and is
// noted as still naming the old paths when it is off. A recorded run records each playlist in
// its plan. Returns the playlists rewritten, as they now read.
QList<Playlist> UpdatePlaylists(BatchRun& run, PlaylistWriter& writer);

} // namespace vantuke
