#pragma once

#include "convert/PlaylistEntries.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace vantuke {

// The list of files a batch run works on: texts (normally full paths, names as NameFromBytes
// gives them) in the order added, no two exactly equal, so two names that differ in any byte
// are two entries. An index beside the entries keeps IsInSelection constant-time.
class SelectedFiles {
public:
    const QStringList& Entries() const { return entries_; }
    int Count() const { return static_cast<int>(entries_.size()); }
    bool IsInSelection(const QString& path) const;

    // Appends path unless an entry with exactly the same text is present; true when added.
    bool Add(const QString& path);
    // "Add all" (expandPlaylists false): dir + name for every name. "Add" (expandPlaylists
    // true): names ending in ".m3u", ".m3u8" or ".pls" (any case) add the playlist's entries
    // instead, and the playlist is kept as read (Playlists). An M3U read error propagates as
    // IoError; entries added before it stay.
    void AddRows(const QString& dir, const QStringList& names, bool expandPlaylists);
    // Removes the entries at the given rows (any order, duplicates and bad rows ignored).
    void RemoveRows(const QList<int>& rows);
    // Removes count entries from row first on (the part of that range past the end is
    // ignored).
    void RemoveRange(int first, int count);
    void Clear();
    // Puts a new text into entry i (after a rename).
    void ReplaceEntry(int i, const QString& text);
    // Replaces the whole list (after a run), entries taken as they are.
    void SetEntries(const QStringList& entries);

    // The playlists entries were taken from, each as last read (or as a run or an undo last
    // wrote it), in the order first added. Removing entries does not forget them: a run
    // updates the playlists that list the files it renamed.
    const QList<Playlist>& Playlists() const { return playlists_; }
    // Keeps a playlist as now read or written, in place of the one of the same path.
    void KeepPlaylist(const Playlist& playlist);
    // A kept playlist at path now holds bytes (an undo put them back): it is kept as holding
    // them, its entries read from them. A path of no kept playlist is ignored.
    void PlaylistRestored(const QString& path, const QByteArray& bytes);

    // "Status: " n " files selected (" bytes " bytes)", sizes of the regular files the entries
    // name summed as 64-bit; a relative entry counts from the working folder.
    QString StatusText() const;

private:
    void Reindex();

    QStringList entries_;
    // How many entries hold each text: Add keeps it at one, but a rename may bring an
    // entry's new text next to an equal one.
    QHash<QString, int> counts_;
    QList<Playlist> playlists_;
};

} // namespace vantuke
