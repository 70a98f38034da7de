#pragma once

#include "platform/FileAccess.h"
#include "tag/TagBytes.h"

#include <QByteArrayView>
#include <QString>

namespace vantuke {

// One change a run makes to a file, as the undo history records it before it is made: which
// file, where, how the change finds it and how it leaves it.
struct FileChange {
    enum class Kind : quint8 {
        WriteTag,      // a tag written over the old one, or appended
        RemoveTag,     // the tag cut off
        Rename,        // the file's name changed
        ClearReadOnly, // the owner's write permission added
    };

    Kind kind = Kind::WriteTag;
    QString path;    // where the change finds the file (a rename: the name it had)
    QString newPath; // a rename: the name it gives
    // The file as the change finds it: who it is, its size and mode; its access and
    // modification times as the run first saw them, before anything read the file.
    FileStat before;
    // A tag change: the last 128 bytes it writes over or cuts off (a file without a tag: the
    // bytes a written tag follows).
    RawTag oldLast{};
    // A tag write: the 128 bytes it writes.
    RawTag newLast{};
    // How the change leaves the file.
    qint64 newSize = 0;
    quint32 newMode = 0;
};

// A change of kind to the file at path, found as now and first seen as first (whose times it
// keeps); it leaves size and mode as they are until the caller says more.
FileChange StartChange(FileChange::Kind kind, const QString& path, const FileStat& now,
                       const FileStat& first);
// A tag written over the last bytes, when they are a tag, or else after them.
FileChange TagWrite(const QString& path, const FileStat& now, const FileStat& first,
                    QByteArrayView oldLast, const char* newLast);
// The tag (the last bytes) cut off.
FileChange TagCut(const QString& path, const FileStat& now, const FileStat& first,
                  QByteArrayView oldLast);

} // namespace vantuke
