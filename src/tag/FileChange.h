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
    // A tag change: the bytes it writes over or cuts off, the tag with its Enhanced TAG block
    // (a file without a tag: its last 128 bytes, which a written tag follows).
    TagWriteBytes oldLast{};
    qsizetype oldLastSize = 0;
    // A tag write: the bytes it writes (BuildTagWrite).
    TagWriteBytes newLast{};
    qsizetype newLastSize = 0;
    QByteArrayView OldLast() const { return QByteArrayView(oldLast.data(), oldLastSize); }
    QByteArrayView NewLast() const { return QByteArrayView(newLast.data(), newLastSize); }
    // How the change leaves the file.
    qint64 newSize = 0;
    quint32 newMode = 0;
};

// A change of kind to the file at path, found as now and first seen as first (whose times it
// keeps); it leaves size and mode as they are until the caller says more.
FileChange StartChange(FileChange::Kind kind, const QString& path, const FileStat& now,
                       const FileStat& first);
// The bytes written (as BuildTagWrite makes them for end, the file's last bytes, EndBytes)
// over the file's tag, or after its last bytes when it has none.
FileChange TagWrite(const QString& path, const FileStat& now, const FileStat& first,
                    QByteArrayView end, QByteArrayView written);
// The tag, with its Enhanced TAG block, cut off the file whose last bytes are end.
FileChange TagCut(const QString& path, const FileStat& now, const FileStat& first,
                  QByteArrayView end);

} // namespace vantuke
