#pragma once

#include <QString>

namespace vantuke {

// The folder part of a path, up to and including the last "/" (empty when there is none).
QString FilePathOf(const QString& path);
// The name after the last "/", without a final ".mp3" in any letter case.
QString FileTitleOf(const QString& path);
// "Mp3", "mp3", "MP3" or "mP3" for the extension format 0 to 3 (clamped).
QString ExtensionText(int extensionFormat);
// Replaces what by with, case-sensitively, resuming the scan at k + len(with) - len(what) + 1
// after each replacement, so text a replacement brings together is examined again.
void ReplaceAll(QString& text, const QString& what, const QString& with);
// Each of " * / : < > ? \ | becomes a space; nothing else changes.
QString CleanFileName(const QString& name);

} // namespace vantuke
