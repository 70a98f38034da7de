#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vantuke {

// Entries are bytes. A playlist that is UTF-8 (valid as a whole, or marked by a byte order
// mark) gives each entry's path exactly those bytes (NameFromBytes). Any other playlist was
// written in Windows-1252: an entry beyond ASCII then names the file of exactly its bytes
// when that file exists, and otherwise the file its characters name in UTF-8.

// The file paths an ".m3u" playlist names. playlistDir (ending in "/") resolves relative
// entries. "#" lines are comments; "file://" URLs become paths (their %-escapes are bytes of
// the name); other URLs are skipped.
QStringList ParseM3u(const QByteArray& content, const QString& playlistDir);
// Reads and parses an ".m3u" file; throws IoError when it cannot be opened or read, or is
// larger than kMaxWholeFileSize.
QStringList ReadM3u(const QString& path);

// The file paths a ".pls" playlist names in section "playlist", keys File1..FileN where N is
// "NumberOfEntries". Relative entries are resolved against playlistDir.
QStringList ParsePls(const QByteArray& content, const QString& playlistDir);
// Reads and parses a ".pls" file; an unreadable file has no entries, while one larger than
// kMaxWholeFileSize throws IoError::TooLarge. Time grows in proportion to the file's size.
QStringList ReadPls(const QString& path);

// The local files a "text/uri-list" names (what a file manager hands over in a drag and
// drop): its "file:" URLs as paths, read as M3U lines are, their %-escapes bytes of the name.
// Comments, other URLs and anything that is no absolute path are left out.
QStringList ParseUriList(const QByteArray& content);

} // namespace vantuke
