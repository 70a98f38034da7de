#pragma once

#include "convert/PlaylistEntries.h"

#include <QString>
#include <optional>

namespace vantuke {

// Reads a playlist file: its bytes and the entries that name local files (see
// PlaylistEntries.h), relative entries counted from the playlist's folder, whose files are
// looked for on disk where a Windows-1252 entry has two readings. An M3U playlist that cannot
// be opened or read throws IoError; a PLS playlist that cannot be read gives nothing, while
// one larger than kMaxWholeFileSize throws IoError::TooLarge. Time grows in proportion to the
// file's size.
std::optional<Playlist> ReadPlaylist(const QString& path, PlaylistKind kind);

// The local files a "text/uri-list" names (what a file manager hands over in a drag and
// drop): its "file:" URLs as paths, read as M3U lines are, their %-escapes bytes of the name.
// Comments, other URLs and anything that is no absolute path are left out.
QStringList ParseUriList(const QByteArray& content);

} // namespace vantuke
