#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace vantuke {

// Playlists: M3U (".m3u"; ".m3u8" is the same in UTF-8) and PLS (".pls"). One reading serves
// both the selection, which takes the files a playlist names, and a run that renames files,
// which rewrites the entries that name them: each entry knows where the playlist's bytes
// write its file's name, so a new name replaces exactly those bytes.
//
// Entries are bytes. A playlist that is UTF-8 (an ".m3u8", one that is valid UTF-8 as a whole,
// or one marked by a byte order mark) gives each entry's path exactly those bytes
// (NameFromBytes). Any other playlist was written in Windows-1252: an entry beyond ASCII then
// names the file of exactly its bytes when that name exists, and otherwise the file its
// characters name in UTF-8.
//
// M3U: one entry per line (CR, LF or CR LF; Ctrl-Z ends the file); blanks and control
// characters before an entry are skipped, trailing blanks stay; lines that begin with "#" are
// comments. PLS: the values of the keys File1 to FileN of section "playlist", N being
// "NumberOfEntries", read by the rules of IniLines.h, in the order of their numbers. In both,
// relative entries count from the playlist's folder, backslashes are folder separators,
// "file://" URLs become paths (their %-escapes are bytes of the name) and other URLs
// (streams) name no file.

enum class PlaylistKind { M3u, M3u8, Pls };

// The kind a name's ending (".m3u", ".m3u8", ".pls", any letter case) says; nothing for any
// other name.
std::optional<PlaylistKind> PlaylistKindOf(QStringView name);

// Whether a path names anything: a file, a folder, a dangling link.
using NameExistsFn = std::function<bool(const QString& path)>;

// How an entry writes its file's name, and so how a new name is written in its place.
enum class NameForm : quint8 {
    Bytes,       // the name's own bytes
    Windows1252, // the name's characters in Windows-1252, or its bytes where they have none
    Url,         // the name's bytes, percent-encoded
    Fixed,       // not to be rewritten: a Windows drive path, a PLS value cut at its limit
};

// One entry of a playlist that names a local file.
struct PlaylistEntry {
    QString path; // absolute and cleaned; a Windows drive path ("C:/Music/a.mp3") as written
    // The playlist's bytes that write the file's name (the part after the last folder
    // separator).
    qsizetype nameStart = 0;
    qsizetype nameEnd = 0;
    NameForm form = NameForm::Fixed;
    bool bare = false; // a relative entry that is the name alone

    bool operator==(const PlaylistEntry&) const = default;
};

// A playlist as read.
struct Playlist {
    QString path;   // the playlist file
    QString folder; // its folder, ending in "/": relative entries count from here
    PlaylistKind kind = PlaylistKind::M3u;
    QByteArray bytes;
    QList<PlaylistEntry> entries; // in the order the playlist lists them

    bool operator==(const Playlist&) const = default;
};

// The entries of a playlist's bytes that name local files; folder ends in "/". Time grows in
// proportion to the size of the bytes.
QList<PlaylistEntry> ParsePlaylist(PlaylistKind kind, QByteArrayView bytes, const QString& folder,
                                   const NameExistsFn& exists);

// A playlist with the entries of renamed files changed.
struct PlaylistRewrite {
    QByteArray bytes;
    QList<PlaylistEntry> entries; // as they read from bytes
    int changed = 0;              // how many entries now write a new name
};

// How many entries of the playlist name one of the renamed files.
int EntriesNaming(const Playlist& playlist, const QHash<QString, QString>& renamed);

// The playlist's bytes with every entry that names a renamed file (renamed: path before, path
// after, both in one folder) writing the new name in its own form: a relative entry stays
// relative, an absolute one absolute, a URL a percent-encoded URL, a name in the playlist's
// own bytes; every other byte stays as it was. A bare name that a new name would turn into a
// comment or lose its first blanks gets "./" before it. The new bytes are read again (with
// exists telling the names there are now): nothing is returned unless they name the new paths
// where the renamed files were named and the same files as before everywhere else.
std::optional<PlaylistRewrite> RewritePlaylist(const Playlist& playlist,
                                               const QHash<QString, QString>& renamed,
                                               const NameExistsFn& exists);

} // namespace vantuke
