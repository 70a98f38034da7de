#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vantuke {

// The file paths an ".m3u" playlist names. playlistDir (ending in "/") resolves relative
// entries. "#" lines are comments; "file://" URLs become paths; other URLs are skipped.
QStringList ParseM3u(const QByteArray& content, const QString& playlistDir);
// Reads and parses an ".m3u" file; throws IoError when it cannot be opened or read.
QStringList ReadM3u(const QString& path);

// The file paths a ".pls" playlist names in section "playlist", keys File1..FileN where N is
// "NumberOfEntries". Relative entries are resolved against playlistDir.
QStringList ParsePls(const QByteArray& content, const QString& playlistDir);
// Reads and parses a ".pls" file; an unreadable file has no entries.
QStringList ReadPls(const QString& path);

} // namespace vantuke
