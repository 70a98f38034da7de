#include "selection/Playlist.h"

#include "platform/Directory.h"
#include "platform/FileAccess.h"
#include "platform/IoError.h"
#include "platform/Locations.h"

namespace vantuke {

namespace {

// The folder of a playlist's path, ending in "/".
QString FolderOf(const QString& path) {
    const QString folder = path.left(path.lastIndexOf(u'/') + 1);
    return folder.startsWith(u'/') ? folder : WorkingDir() + folder;
}

} // namespace

std::optional<Playlist> ReadPlaylist(const QString& path, PlaylistKind kind) {
    Playlist playlist;
    try {
        playlist.bytes = ReadWholeFile(path);
    } catch (const IoError& error) {
        // A PLS playlist that cannot be read has no entries; one too large to read is an
        // error the user must see.
        if (kind != PlaylistKind::Pls || error.ErrorKind() == IoError::Kind::TooLarge) {
            throw;
        }
        return std::nullopt;
    }
    playlist.folder = FolderOf(path);
    playlist.path = playlist.folder + path.mid(path.lastIndexOf(u'/') + 1);
    playlist.kind = kind;
    playlist.entries = ParsePlaylist(kind, playlist.bytes, playlist.folder, NameExists);
    return playlist;
}

QStringList ParseUriList(const QByteArray& content) {
    QStringList paths;
    for (const PlaylistEntry& entry : ParsePlaylist(PlaylistKind::M3u8, content, QString(),
                                                    [](const QString&) { return false; }))
        if (entry.path.startsWith(u'/'))
            paths.append(entry.path);
    return paths;
}

} // namespace vantuke
