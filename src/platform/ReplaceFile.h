#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace vantuke {

// Replaces the whole content of the file that path finally names (the settings file).
// A chain of symbolic links is followed to the real file, and the new content goes into a
// temporary file beside that real file, which is flushed and then renamed over it: every link
// of the chain stays as it was, and the file holds either its old or its new content, never a
// part of either. The new file keeps the old one's owner and permissions. A file that does
// not exist yet is created where the last link points. Refused: a folder or any other file
// that is not a regular file, and a file without its owner's write permission (also for root,
// whom the kernel would let through). Throws IoError with the system's code, leaving the old
// file and the folder as they were.
void ReplaceFileContents(const QString& path, const QByteArray& bytes);

// The same for a file that must still hold old (a playlist the program read and rewrites):
// just before the new content takes its place, the file is read again, and when it holds
// anything else, it is left as it is and false is returned. A file that does not exist
// counts as changed.
bool ReplaceFileContentsIf(const QString& path, QByteArrayView old, const QByteArray& bytes);

} // namespace vantuke
