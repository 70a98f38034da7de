#pragma once

#include <QString>

namespace vantuke {

// Where the name starts: just after the last "/" (0 when there is none).
qsizetype FileNameStart(QStringView path);
// The folder part of a path, up to and including the last "/" (empty when there is none).
QString FilePathOf(const QString& path);
// Whether the path ends in ".mp3" in any letter case (a to z folded only).
bool EndsWithMp3(QStringView path);
// The name after the last "/", without a final ".mp3" in any letter case.
QString FileTitleOf(const QString& path);
// The extension's text for a "Format of extension:" position (kExtensionForms, clamped).
QString ExtensionText(int extensionFormat);
// Replaces what by with, case-sensitively, resuming the scan at k + len(with) - len(what) + 1
// after each replacement, so text a replacement brings together is examined again.
void ReplaceAll(QString& text, const QString& what, const QString& with);
// Each of " * / : < > ? \ | and each control character 1 to 31 and 127 becomes a space;
// nothing else changes.
QString CleanFileName(const QString& name);
// The same in place, from position from on.
void CleanFileName(QString& text, qsizetype from);

// A path or tag value inside a status line must not break the line or start another: the
// control characters (C0, DEL, C1) and the line and paragraph separators U+2028 and U+2029
// show as "?". ShowInOneLine does so in place from position from on.
void ShowInOneLine(QString& text, qsizetype from = 0);
QString ShownInOneLine(const QString& text);

} // namespace vantuke
