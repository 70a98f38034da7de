#pragma once

#include <QStringList>

class QFileDialog;
class QPlainTextEdit;
class QWidget;

namespace vantuke {

// Appends text (one line or several) to a status box and scrolls to its last line, at its
// start, whichever part of the box was in view before and whether the box is shown or not.
void AppendStatusText(QPlainTextEdit& box, const QString& text);

// From then on, a status box that shows its last line goes on showing it when the box is
// made smaller or larger.
void FollowLastLine(QPlainTextEdit& box);

// The lines of a status box; an empty box has none.
QStringList StatusLines(const QPlainTextEdit& box);

// Writes the lines, each followed by CR LF, replacing the file's contents. False when the
// file cannot be created or written whole.
bool WriteStatusFile(const QString& path, const QStringList& lines);

// Sets up the "Save status box" dialog: the two filters, the "txt" default extension and a
// warning before an existing file is replaced.
void ConfigureStatusFileDialog(QFileDialog& dialog);

} // namespace vantuke
